// Figures for a large schedule: loading and indexing, a month's day questions for the grid, and
// task filters over a month and over ten years.
//   build/calendar/bench_schedule
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "calendar/ScheduleDoc.h"
#include "calendar/Task.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Fill(CScheduleDoc& doc) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> day(0, 3650), len(0, 400), kind(0, 5), every(1, 4),
        word(0, 0x7FFFFFFF);
    CScheduleGroup& root = doc.GetRootGroup();
    CScheduleGroup* groups[10];
    for (int g = 0; g < 10; ++g) {
        groups[g] = new CScheduleGroup(std::to_string(g).c_str());
        root.AddSubgroup(groups[g], FALSE);
    }
    const CDate base(2020, 1, 1);
    for (int i = 0; i < 10000; ++i) {
        auto* e = new _CEvent;
        e->SetName(("事件" + std::to_string(i)).c_str());
        CDate start = base.PlusDays(day(rng));
        // Most events last a day or three; some weeks, a few months or years.
        int length = i % 50 == 0 ? len(rng) * 3 : i % 10 == 0 ? len(rng) / 10 : i % 3;
        e->m_base.m_start.m_date = start;
        e->m_base.m_end.m_date = start.PlusDays(length);
        if (i < 500) {
            e->m_base.m_bRecurring = TRUE;
            e->m_period.m_nKind = i % 6;
            e->m_period.m_nEvery = every(rng);
            for (DWORD& v : e->m_period.m_values)
                v = (DWORD)word(rng) & 0x01010101;
            e->m_period.m_anchor = start;
            e->m_period.m_first.m_date = start; // open-ended: no last date
        }
        if (i % 7 == 0) {
            e->m_remind.m_bEnabled = TRUE;
            e->m_remind.m_when[0] = 1;
        }
        groups[i % 10]->AddContent(e, FALSE);
    }
    for (int i = 0; i < 2000; ++i) {
        auto* t = new CAdvTask;
        t->SetName(("任务" + std::to_string(i)).c_str());
        CDate start = base.PlusDays(day(rng));
        t->GetEvent()->m_base.m_start.m_date = start;
        t->GetEvent()->m_base.m_end.m_date = start.PlusDays(len(rng) / 20);
        t->GetEvent()->m_base.m_nState = i % 5;
        for (int s = 0; s < 2; ++s) {
            auto* sub = new CAdvTask;
            sub->GetEvent()->m_base.m_nState = (i + s) % 5;
            sub->GetEvent()->m_base.m_start.m_date = start.PlusDays(s);
            sub->GetEvent()->m_base.m_end.m_date = start.PlusDays(s + 1);
            t->AddSubgroup(sub, FALSE);
        }
        groups[i % 10]->AddTask(t);
    }
}

int CountAccepted(CScheduleGroup& root, const CTaskFilter& filter) {
    int n = 0;
    for (POSITION pos = root.GetFirstSubgroupPosition(); pos != nullptr;) {
        auto* g = static_cast<CScheduleGroup*>(root.GetNextSubgroup(pos));
        for (POSITION t = g->GetTaskHolder().GetHeadPosition(); t != nullptr;)
            n += filter.Accepts(g->GetTaskHolder().GetNextSubTask(t)) ? 1 : 0;
    }
    return n;
}

} // namespace

int main() {
    std::filesystem::path file = std::filesystem::temp_directory_path() / "bench_schedule.sch";
    {
        CScheduleDoc doc;
        Fill(doc);
        doc.OnSaveDocument(file.string().c_str());
    }
    CScheduleDoc doc;
    auto t0 = Clock::now();
    if (!doc.OnOpenDocument(file.string().c_str())) {
        std::printf("could not load %s\n", file.string().c_str());
        return 1;
    }
    double load = Ms(t0);
    auto t1 = Clock::now();
    doc.IndexGroup(&doc.GetRootGroup(), TRUE, TRUE);
    double index = Ms(t1);
    std::printf("load 10000 events, 2000 tasks with 4000 sub-tasks: %.1f ms (limit 1000 with "
                "indexing)\n", load);
    std::printf("index: %.1f ms; total %.1f ms\n", index, load + index);

    // A month's grid: 42 cells from the Sunday before the 1st.
    const int months = 24;
    auto t2 = Clock::now();
    long long found = 0;
    for (int m = 0; m < months; ++m) {
        CDate first(2022 + m / 12, m % 12 + 1, 1);
        CDate cell = first.PlusDays(-first.GetDayOfWeek());
        for (int i = 0; i < 42; ++i, cell.NextDay()) {
            CKovCalendarCellItemList items;
            found += doc.GetDayInfo(cell, &items, FALSE);
        }
    }
    std::printf("GetDayInfo, 42 cells: %.2f ms a month (limit 5), %lld items over %d months\n",
                Ms(t2) / months, found, months);

    CTaskFilter filter;
    filter.SetCriteria(0xFF, CTaskFilter::BY_DATE);
    for (auto [from, to, what] : {std::tuple{CDate(2024, 3, 1), CDate(2024, 3, 31), "a month"},
                                  std::tuple{CDate(2020, 1, 1), CDate(2029, 12, 31), "ten years"}}) {
        filter.SetRange(from, to);
        auto t3 = Clock::now();
        int n = CountAccepted(doc.GetRootGroup(), filter);
        std::printf("task filter over %s: %.2f ms, %d of 2000 tasks\n", what, Ms(t3), n);
    }
    std::filesystem::remove(file);
    return 0;
}
