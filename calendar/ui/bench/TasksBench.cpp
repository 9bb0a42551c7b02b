// Figures for the schedule windows: `bench_tasks [tasks]` opens a file of 10 000 events and that
// many tasks three levels deep into the schedule tree, lists the tasks with all sub-levels, changes
// the list's filter and mode, and paints the navigator's month calendar. Without an argument it
// runs at 10 000 and 50 000 tasks, each in a fresh process, and prints how listing grows. Targets
// grow linearly from those at 10 000 tasks: listing 70 ms, the open, a filter and a mode change
// 1 s, 300 ms and 300 ms; the calendar painted in 5 ms. Run the release build:
//   build-release/calendar/ui/bench_tasks
#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "calendar/ScheduleDoc.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "calendar/ui/TaskListView.h"
#include "calendar/ui/bench/BenchTiming.h"
#include "platform/gui/WndPrivate.h"
#include "ui/bench/GuiBench.h"

namespace {

using namespace bench;

CAdvTask* MakeTask(int n, int level) {
    auto* t = new CAdvTask;
    char title[64];
    std::snprintf(title, sizeof title, "任务%d-%d", level, n);
    t->GetEvent()->SetName(title);
    const int day = 1 + n % 28, month = 1 + n % 12;
    t->GetEvent()->m_base.m_start = CDateTime(2024, month, day, 9, 0, 0);
    t->GetEvent()->m_base.m_end = CDateTime(2024, month, day, 10, 0, 0);
    t->GetEvent()->m_base.m_nImportance = n % 3;
    t->GetEvent()->m_remind.m_bEnabled = n % 5 == 0;
    return t;
}

// 10 000 events over 2024, and the tasks: a fifth at the top, each with 2 sub-tasks of 1
// sub-task each (2 000 tasks: 400 + 800 + 800).
void FillSchedule(CScheduleDoc& doc, int tasks) {
    auto* group = new CScheduleGroup("全部");
    doc.GetRootGroup().AddSubgroup(group);
    for (int i = 0; i < 10000; ++i) {
        auto* e = new _CEvent;
        e->SetName("事件");
        const int day = 1 + i % 28, month = 1 + i / 28 % 12;
        e->m_base.m_start = CDateTime(2024, month, day, 8, 0, 0);
        e->m_base.m_end = CDateTime(2024, month, day, 9, 0, 0);
        group->AddContent(e, FALSE);
    }
    int n = 0;
    for (int i = 0; i < tasks / 5; ++i) {
        CAdvTask* top = MakeTask(n++, 1);
        for (int j = 0; j < 2; ++j) {
            CAdvTask* sub = MakeTask(n++, 2);
            sub->AddSubgroup(MakeTask(n++, 3), TRUE);
            top->AddSubgroup(sub, TRUE);
        }
        group->AddTask(top);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        SizedFigures figures;
        if (!RunAtSizes({10000, 50000}, figures))
            return 1;
        PrintGrowth("listing the tasks", figures, "list", 10000, 50000, 5.6);
        return 0;
    }
    const int tasks = std::atoi(argv[1]) / 5 * 5;
    if (tasks <= 0) {
        std::fprintf(stderr, "usage: bench_tasks [tasks]\n");
        return 2;
    }
    const double scale = std::max(1.0, tasks / 10000.0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("bench_tasks_" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    qputenv("QUILLMAR_HOME", home.string().c_str());
    qputenv("QUILLMAR_CONFIG", home.string().c_str());
    AfxEnsureGuiApp();

    const std::string path = (home / "bench.sch").string();
    {
        CScheduleDoc doc;
        FillSchedule(doc, tasks);
        doc.OnSaveDocument(path.c_str());
    }

    CWnd host;
    host.CreateEx(0, nullptr, "tasks", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1400, 900), nullptr, 0);
    auto* navigator = new CScheduleNavigatorWnd;
    navigator->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 220, 900), &host, 1);
    auto* list = new CTaskListView;
    list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(220, 0, 1400, 900), &host, 2, nullptr);
    list->OnInitialUpdate();
    CScheduleTreeView* tree = navigator->GetTree();
    CScheduleMonthCalendarWnd* month = navigator->GetMonthCalendar();
    list->m_pCalendar = month;
    month->m_pOwner = list;
    navigator->GetUIManager().AddListener(list);
    month->SelectDate(2024, 3, 15);

    auto t0 = Clock::now();
    tree->OpenFile(path.c_str(), FALSE);
    const double openMs = Ms(t0);
    std::printf("open 10000 events and %d tasks into the tree: %.1f ms", tasks, openMs);
    PrintTarget(openMs, 1000 * scale, "ms");

    CScheduleDoc* doc = tree->GetScheduleDoc(0);
    auto* group = static_cast<CScheduleGroup*>(doc->GetRootGroup().GetHead());
    list->SetAllLevels(TRUE);
    Figures listing = Measure(10, [&](int) { list->SetCurrentGroup(group); });
    ReportFigure("list", listing.median);
    std::printf("list %d tasks with all sub-levels: median %.1f ms, p95 %.1f ms", tasks,
                listing.median, listing.p95);
    PrintTarget(listing.median, 70 * tasks / 10000.0, "ms");
    Figures filter = Measure(10, [&](int i) {
        list->GetFilter().SetChoice(CTaskFilter::BY_IMPORTANCE, i % 2 ? 0x7 : 0x4);
        list->GetFilter().SetCriteria(CTaskFilter::BY_IMPORTANCE, CTaskFilter::BY_IMPORTANCE);
        list->Refill();
    });
    std::printf("filter change: median %.1f ms, p95 %.1f ms", filter.median, filter.p95);
    PrintTarget(filter.median, 300 * scale, "ms");
    list->GetFilter().SetCriteria(CTaskFilter::BY_IMPORTANCE, 0);
    Figures mode = Measure(10, [&](int i) {
        list->SetViewMode(i % 2 ? CTaskListView::ModeWeek : CTaskListView::ModeMonth);
    });
    std::printf("mode change: median %.1f ms, p95 %.1f ms", mode.median, mode.p95);
    PrintTarget(mode.median, 300 * scale, "ms");
    QWidget* w = month->GetWidget();
    // A grab paints the control whether or not the screen shows it now.
    Figures paint = Measure(100, [&](int) {
        month->Invalidate(FALSE);
        w->grab();
    });
    std::printf("month calendar paint: median %.2f ms, p95 %.2f ms", paint.median, paint.p95);
    PrintTarget(paint.median, 5, "ms");

    navigator->GetUIManager().RemoveAllListeners();
    host.DestroyWindow();
    std::filesystem::remove_all(home);
    return 0;
}
