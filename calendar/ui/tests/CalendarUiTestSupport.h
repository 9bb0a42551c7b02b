// Shared pieces of the calendar window tests: a pinned today, a recording owner and a source of
// entries that answers from a table.
#pragma once

#include "calendar/CalendarExtInfo.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "calendar/ui/KovCalendar.h"
#include "platform/gui/tests/GuiTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <map>
#include <set>
#include <vector>

namespace calendar_ui_test {

// Records the codes the grid sends.
class CCodeRecorder : public CICalendarController {
public:
    void OnCalendarDateChanged(int nCode) override { codes.push_back(nCode); }
    std::vector<int> codes;
};

// Counts activations of the entries it handles.
class CCountingHandler : public CKovCalendarCellItemHandler {
public:
    int Activate(CKovCalendarCellItem*) override { return ++count, 1; }
    int count = 0;
};

// Entries by date: n entries titled "事件1".."事件n", all events (odd n) or all birthdays (even
// n); dates set mixed get birthdays and events in turn, named as such.
class CTableInfo : public CCalendarExtInfo {
public:
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bCountOnly) override {
        auto it = counts.find(date.GetYear() * 10000 + date.GetMonth() * 100 + date.GetDay());
        if (it == counts.end())
            return 0;
        if (bCountOnly)
            return 1;
        const bool mix = mixed.count(it->first) != 0;
        for (int i = 1; i <= it->second; ++i) {
            CKovCalendarCellItem item;
            item.m_nKind = it->second % 2 ? CKovCalendarCellItem::KIND_EVENT
                                          : CKovCalendarCellItem::KIND_BIRTHDAY;
            item.m_strText.Format("事件%d", i);
            if (mix) {
                const bool birthday = i % 2 == 1;
                item.m_nKind = birthday ? CKovCalendarCellItem::KIND_BIRTHDAY
                                        : CKovCalendarCellItem::KIND_EVENT;
                item.m_strText = birthday ? (i == 1 ? "李雷" : "韩梅梅") : "项目周会";
                item.m_nColour = i == 3 ? 0 : 1; // the second birthday is a lunar one
                item.m_nAltIcon = i == 4 ? 1 : 0; // and the second event is done
            }
            item.m_pHandler = handler;
            if (pItems)
                pItems->AddTail(item);
        }
        return it->second;
    }
    void Set(int y, int m, int d, int n, bool mix = false) {
        counts[y * 10000 + m * 100 + d] = n;
        if (mix)
            mixed.insert(y * 10000 + m * 100 + d);
    }
    std::map<int, int> counts;
    std::set<int> mixed;
    CKovCalendarCellItemHandler* handler = nullptr;
};

class CalendarWindowTest : public ScriptedUserTest {
protected:
    void SetUp() override {
        calendar_test::PinLocal(2024, 3, 15, 9, 0, 0);
        CDate::GetToday(TRUE);
        InstallScriptedUser(IDOK);
    }
    void TearDown() override {
        RemoveScriptedUser();
        CTime::ResetNowForTesting();
        CDate::GetToday(TRUE);
    }
    static void Click(CWnd& w, CPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(w.GetWidget(), Qt::LeftButton, mods, QPoint(p.x, p.y));
        Pump();
    }
    static void DoubleClick(CWnd& w, CPoint p) {
        QTest::mouseDClick(w.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(p.x, p.y));
        Pump();
    }
    static void Key(CWnd& w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(w.GetWidget(), key, mods);
        Pump();
    }
    static void Wheel(CWnd& w, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = w.GetWidget();
        QPointF at(target->width() / 2, target->height() / 2);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        Pump();
    }
    static CDate Selected(const CKovCalendar& c) {
        CDate d;
        c.GetDate(d);
        return d;
    }
};

} // namespace calendar_ui_test
