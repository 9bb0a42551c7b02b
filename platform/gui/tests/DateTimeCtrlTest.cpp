#include "NotifyRecorder.h"

#include "platform/gui/DateTimeCtrl.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QString>
#include <QTest>

namespace {

class DateTimeCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CDateTimeCtrl picker;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(200, 60));
        ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE | DTS_SHOWNONE | DTS_APPCANPARSE,
                                  CRect(0, 0, 180, 24), &parent, 8));
        parent.sizes[DTN_DATETIMECHANGE] = sizeof(NMDATETIMECHANGE);
        parent.sizes[DTN_USERSTRING] = sizeof(NMDATETIMESTRING);
        SYSTEMTIME st{2024, 2, 0, 29, 9, 5, 0, 0};
        ASSERT_TRUE(picker.SetTime(&st));
        parent.notes.clear();
    }
};

TEST(PickerFormatTest, ClassicFormatsBecomeTheEditorsOwn) {
    struct Case {
        const char* classic;
        const char* qt;
    } cases[] = {
        {"yyyy-M-d", "yyyy'-'M'-'d"},
        {"HH:mm", "HH':'mm"},
        {"yyyy-M-d HH:mm", "yyyy'-'M'-'d' 'HH':'mm"},
        {"yy/MM/dd", "yy'/'MM'/'dd"},
        {"hh:mm tt", "hh':'mm' 'AP"},
        {"h:mm", "H':'mm"}, // no half-day marker: the editor counts 24 hours
        {"MMMM dddd", "MMMM' 'dddd"},
        {"'unknown'", "'unknown'"},
        {"'it''s' d", "'it''s 'd"},
        {"'zone' t", "'zone 'A"},
        {"", ""},
    };
    for (auto& c : cases)
        EXPECT_EQ(AfxPickerFormatToQt(QString::fromUtf8(c.classic)), QString::fromUtf8(c.qt))
            << c.classic;
}

TEST_F(DateTimeCtrlTest, FormatsShowTheTimeOrFixedText) {
    struct Case {
        const char* format;
        const char* shown;
    } cases[] = {
        {"yyyy-M-d", "2024-2-29"}, {"HH:mm", "09:05"}, {"yyyy-M-d HH:mm", "2024-2-29 09:05"},
        {"'不详'", "不详"}, // a picker that shows text instead of a date
        {"M'月'd'日'", "2月29日"},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(picker.SendMessage(DTM_SETFORMAT, 0, (LPARAM)c.format));
        EXPECT_EQ(picker.GetText(), CString(c.shown)) << c.format;
    }
    // The time survives the format changes; the seconds stay as set.
    SYSTEMTIME st{};
    ASSERT_EQ(picker.SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&st), GDT_VALID);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wDayOfWeek, 4);
    EXPECT_EQ(st.wHour, 9);
    EXPECT_EQ(st.wSecond, 0);
    EXPECT_TRUE(parent.Codes().empty()) << "the program's own changes are not told";
    picker.SetFormat("'不详'");
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("date-time-picker").c_str()));
}

TEST_F(DateTimeCtrlTest, NoDateRangesAndTheUsersChanges) {
    ASSERT_TRUE(picker.SendMessage(DTM_SETSYSTEMTIME, GDT_NONE, 0));
    SYSTEMTIME st{};
    EXPECT_EQ(picker.GetTime(&st), (DWORD)GDT_NONE);
    SYSTEMTIME range[2] = {{2000, 1, 0, 1, 0, 0, 0, 0}, {2030, 12, 0, 31, 23, 59, 59, 0}};
    ASSERT_TRUE(picker.SendMessage(DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range));
    SYSTEMTIME late{2040, 1, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(picker.SetTime(&late));
    SYSTEMTIME bad{2023, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_FALSE(picker.SetTime(&bad)) << "no 30 February";

    // A change in the editor is told with the new time.
    auto* editor = qobject_cast<QDateTimeEdit*>(picker.GetWidget());
    ASSERT_NE(editor, nullptr);
    editor->setDateTime(QDateTime(QDate(2025, 5, 1), QTime(8, 0)));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{DTN_DATETIMECHANGE}));
    auto& nm = parent.notes[0].As<NMDATETIMECHANGE>();
    EXPECT_EQ(nm.dwFlags, (DWORD)GDT_VALID);
    EXPECT_EQ(nm.st.wYear, 2025);
    EXPECT_EQ(nm.st.wMonth, 5);
    EXPECT_EQ(picker.GetTime(&st), (DWORD)GDT_VALID);
}

TEST_F(DateTimeCtrlTest, TheNoDateBoxIsTheUsersWayToNoDateAndBack) {
    auto* check = picker.GetWidget()->findChild<QCheckBox*>();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    SYSTEMTIME st{};
    EXPECT_EQ(picker.GetTime(&st), (DWORD)GDT_VALID);

    // The program's "no date" clears the box and tells nothing.
    ASSERT_TRUE(picker.SetTime((const SYSTEMTIME*)nullptr));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(picker.SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&st), GDT_NONE);
    EXPECT_TRUE(parent.Codes().empty());

    // The user ticking the box brings the shown date back, and clearing it takes it away.
    struct Step {
        bool tick;
        DWORD flags;
    } steps[] = {{true, GDT_VALID}, {false, GDT_NONE}, {true, GDT_VALID}};
    for (auto& step : steps) {
        parent.notes.clear();
        check->click();
        EXPECT_EQ(check->isChecked(), step.tick);
        ASSERT_EQ(parent.Codes(), (std::vector<UINT>{DTN_DATETIMECHANGE}));
        const auto& nm = parent.notes[0].As<NMDATETIMECHANGE>();
        EXPECT_EQ(nm.dwFlags, step.flags);
        EXPECT_EQ(picker.GetTime(&st), step.flags);
        if (step.flags == GDT_VALID) {
            EXPECT_EQ(nm.st.wYear, 2024);
            EXPECT_EQ(nm.st.wDay, 29);
        }
    }
    // A date the user changes while there is none ticks the box.
    ASSERT_TRUE(picker.SendMessage(DTM_SETSYSTEMTIME, GDT_NONE, 0));
    parent.notes.clear();
    qobject_cast<QDateTimeEdit*>(picker.GetWidget())
        ->setDateTime(QDateTime(QDate(2025, 1, 2), QTime(0, 0)));
    EXPECT_TRUE(check->isChecked());
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{DTN_DATETIMECHANGE}));
    EXPECT_EQ(parent.notes[0].As<NMDATETIMECHANGE>().dwFlags, (DWORD)GDT_VALID);
    // A time set by the program ticks it too, quietly.
    ASSERT_TRUE(picker.SetTime((const SYSTEMTIME*)nullptr));
    parent.notes.clear();
    SYSTEMTIME day{2024, 3, 0, 1, 0, 0, 0, 0};
    ASSERT_TRUE(picker.SetTime(&day));
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(parent.Codes().empty());

    // Without the style there is no box and no "no date".
    CDateTimeCtrl plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE, CRect(0, 30, 180, 54), &parent, 9));
    EXPECT_EQ(plain.GetWidget()->findChild<QCheckBox*>(), nullptr);
    EXPECT_FALSE(plain.SetTime((const SYSTEMTIME*)nullptr));
    EXPECT_EQ(plain.GetTime(&st), (DWORD)GDT_VALID);
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("date-picker-no-date").c_str()));
}

TEST_F(DateTimeCtrlTest, FreeTextIsParsedByTheParent) {
    // The parent understands "明天" as 1 March and "不详" as no date; anything else it leaves.
    parent.handler = [](NMHDR* nm) -> LRESULT {
        if (nm->code != DTN_USERSTRING)
            return 0;
        auto* us = reinterpret_cast<NMDATETIMESTRING*>(nm);
        CString text(us->pszUserString);
        if (text == "明天")
            us->st = SYSTEMTIME{2024, 3, 0, 1, 0, 0, 0, 0};
        else if (text == "不详")
            us->dwFlags = GDT_NONE;
        else
            us->dwFlags = (DWORD)GDT_ERROR;
        return 0;
    };
    struct Case {
        const char* typed;
        DWORD expect;
        int month;
    } cases[] = {{"明天", GDT_VALID, 3}, {"胡说", GDT_VALID, 3}, {"不详", GDT_NONE, 0}};
    for (auto& c : cases) {
        picker.SendMessage(WM_KEYDOWN, VK_F2);
        CWnd* edit = picker.GetDlgItem(1);
        ASSERT_NE(edit, nullptr);
        auto* typed = qobject_cast<QLineEdit*>(edit->GetWidget());
        ASSERT_NE(typed, nullptr);
        typed->setText(AfxToQt(c.typed));
        QTest::keyClick(typed, Qt::Key_Return);
        SYSTEMTIME st{};
        EXPECT_EQ(picker.GetTime(&st), c.expect) << c.typed;
        if (c.expect == GDT_VALID) {
            EXPECT_EQ(st.wMonth, c.month) << c.typed;
        }
        Pump();
    }
    parent.handler = nullptr;
}

} // namespace
