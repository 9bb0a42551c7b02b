// Figures for the calendar window at 1600 x 1000 with the shipped festivals and large sources:
// two address books of 50 000 contacts each and a schedule of 10 000 events (500 of them
// recurring without end), so that most cells overflow. Run the release build:
//   build-release/calendar/ui/bench_calendar
#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "calendar/ScheduleDoc.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/KovMonthCalendarCtrl.h"
#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "calendar/ui/bench/BenchTiming.h"
#include "platform/gui/WndPrivate.h"

namespace {

using namespace bench;

// A book's birthdays, as the address-book tree answers for each open book.
class CBookInfo : public CCalendarExtInfo {
public:
    explicit CBookInfo(CSmsDoc& doc) : m_doc(doc) {}
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bCountOnly) override {
        CKovCalendarCellItemList scratch;
        return m_doc.GetCalendarItems(date, pItems ? *pItems : scratch, bCountOnly);
    }

private:
    CSmsDoc& m_doc;
};

class CScheduleInfo : public CCalendarExtInfo {
public:
    explicit CScheduleInfo(CScheduleDoc& doc) : m_doc(doc) {}
    int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bCountOnly) override {
        return m_doc.GetDayInfo(date, pItems, bCountOnly);
    }

private:
    CScheduleDoc& m_doc;
};

void FillBook(CSmsDoc& doc, int seed, int perGroup) {
    std::mt19937 rng((unsigned)seed);
    std::uniform_int_distribution<int> month(1, 12), day(1, 28), year(1950, 2010);
    _CGroup& root = doc.GetRootGroup();
    for (int g = 0; g < 50; ++g) {
        auto* group = new _CGroup(("组" + std::to_string(g)).c_str());
        root.AddSubgroup(group);
        for (int i = 0; i < perGroup; ++i) {
            auto* p = new _CPerson(("联系人" + std::to_string(g * 1000 + i)).c_str(), FALSE);
            p->GetBirthday().SetBirthday(year(rng), month(rng), day(rng), FALSE, i % 5 != 0);
            group->AddContent(p);
        }
    }
    doc.RebuildBirthdayMaps();
}

void FillSchedule(CScheduleDoc& doc) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> day(0, 730), kind(0, 5), every(1, 3);
    CScheduleGroup& root = doc.GetRootGroup();
    auto* group = new CScheduleGroup("事件");
    root.AddSubgroup(group, FALSE);
    const CDate base(2023, 1, 1);
    for (int i = 0; i < 10000; ++i) {
        auto* e = new _CEvent;
        e->SetName(("事件" + std::to_string(i)).c_str());
        CDate start = base.PlusDays(day(rng));
        e->m_base.m_start.m_date = start;
        e->m_base.m_end.m_date = start.PlusDays(i % 3);
        if (i < 500) {
            e->m_base.m_bRecurring = TRUE;
            e->m_period.m_nKind = 0; // daily
            e->m_period.m_nEvery = every(rng);
            e->m_period.m_anchor = start;
            e->m_period.m_first.m_date = start;
        }
        group->AddContent(e, FALSE);
    }
    doc.IndexGroup(&root, TRUE, TRUE);
}

void CopyFestivals(const std::filesystem::path& home) {
    const std::filesystem::path from =
        std::filesystem::path(QUILLMAR_SOURCE_DIR) / "res/app/Calendar/Festivals";
    std::filesystem::create_directories(home / "Calendar/Festivals");
    for (const auto& e : std::filesystem::directory_iterator(from))
        std::filesystem::copy_file(e.path(), home / "Calendar/Festivals" / e.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("bench_calendar_" + std::to_string(getpid()));
    CopyFestivals(home);
    qputenv("QUILLMAR_HOME", home.string().c_str());
    qputenv("QUILLMAR_CONFIG", home.string().c_str());
    // An optional argument gives the contacts of each book (50 000 by default) for a quick look.
    const int contacts = argc > 1 ? std::max(50, std::atoi(argv[1])) : 50000;
    AfxEnsureGuiApp();

    auto t0 = Clock::now();
    CSmsDoc book1, book2;
    FillBook(book1, 1, contacts / 50);
    FillBook(book2, 2, contacts / 50);
    CScheduleDoc schedule;
    FillSchedule(schedule);
    std::printf("sources: 2 x %d contacts, 10000 events (500 recurring): %.0f ms to build\n",
                contacts / 50 * 50, Ms(t0));
    CBookInfo info1(book1), info2(book2);
    CScheduleInfo infoSchedule(schedule);
    CCalendarExtInfoManager manager;
    manager.AddExtInfo(&info1);
    manager.AddExtInfo(&info2);
    manager.AddExtInfo(&infoSchedule);
    CCalendarPane::SetDefaults(1, &manager);

    auto* frame = new CCalendarFrame;
    frame->Create(nullptr, "日历", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1600, 1000));
    CCalendarPane* pane = frame->GetPane();
    pane->SelectDate(2024, 3, 15);
    QApplication::processEvents();
    QWidget* w = pane->GetWidget();

    int overflowing = 0;
    w->repaint();
    for (int i = 0; i < CKovCalendar::Cells; ++i)
        overflowing += pane->GetCell(i).rcMore.IsRectEmpty() ? 0 : 1;
    std::printf("grid %dx%d, %d of 42 cells overflow\n", w->width(), w->height(), overflowing);

    // Each paint is preceded by the invalidation that asks for it: a paint without one only
    // shows the picture the window keeps.
    Figures full = Measure(200, [&](int) {
        pane->Invalidate(FALSE);
        w->repaint();
    });
    std::printf("full repaint: median %.2f ms, p95 %.2f ms (target 16.7)\n", full.median,
                full.p95);
    Figures select = Measure(200, [&](int i) { i % 2 ? pane->PrevDay() : pane->NextDay(); });
    std::printf("selection move: median %.3f ms, p95 %.3f ms (target 2)\n", select.median,
                select.p95);
    Figures page = Measure(200, [&](int i) {
        i % 2 ? pane->PrevMonth() : pane->NextMonth(); // invalidates the grid
        w->repaint();
    });
    std::printf("Page Down with its repaint: median %.2f ms, p95 %.2f ms (target 16.7)\n",
                page.median, page.p95);

    CWnd host;
    host.CreateEx(0, nullptr, "i", WS_POPUP | WS_VISIBLE, CRect(0, 0, 220, 1000), nullptr, 0);
    CCalendarInfoWnd dayInfo;
    dayInfo.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 220, 1000),
                   &host, 1);
    dayInfo.SetCalendar(pane);
    // The day information and the month control sit in windows of their own: grabbing them
    // paints them.
    Figures info = Measure(200, [&](int) {
        dayInfo.Refresh(); // asks the sources again
        dayInfo.GetWidget()->grab();
    });
    std::printf("day information with its entries asked: median %.2f ms, p95 %.2f ms "
                "(target 16.7)\n",
                info.median, info.p95);

    CWnd host2;
    host2.CreateEx(0, nullptr, "m", WS_POPUP | WS_VISIBLE, CRect(0, 0, 220, 180), nullptr, 0);
    CKovMonthCalendarCtrl month;
    month.m_pExtInfo = &manager;
    month.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 220, 180), &host2, 1);
    month.SelectDate(2024, 3, 15);
    Figures small = Measure(200, [&](int) { month.GetWidget()->grab(); });
    std::printf("month calendar control: median %.2f ms, p95 %.2f ms (target 5)\n", small.median,
                small.p95);

    month.DestroyWindow();
    host2.DestroyWindow();
    dayInfo.DestroyWindow();
    host.DestroyWindow();
    frame->DestroyWindow();
    CCalendarPane::SetDefaults(1, nullptr);
    std::filesystem::remove_all(home);
    return 0;
}
