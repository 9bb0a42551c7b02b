// Writes the valid schedule files the schedule corpus starts from, each made by the document that
// writes such files: `calendar_fuzz_seeds <source folder>/calendar/fuzz/corpus-schedule`.
#include <cstdio>
#include <filesystem>
#include <string>

#include "calendar/ScheduleDoc.h"
#include "core/fuzz/SeedFiles.h"

namespace {

_CEvent* Rule(int kind, int every) {
    auto* e = new _CEvent;
    e->SetName("规则");
    e->m_base.m_bRecurring = TRUE;
    e->m_period.m_nKind = kind;
    e->m_period.m_nEvery = every;
    for (int i = 0; i < 12; ++i)
        e->m_period.m_values[i] = 0x01010101u << (i % 4);
    e->m_period.m_anchor = CDate(2024, 1, 1);
    e->m_period.m_first.m_date = CDate(2024, 1, 1);
    e->m_remind.m_bEnabled = TRUE;
    e->m_remind.m_when[1] = 30;
    return e;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = seed_files::SeedFolder(argc, argv);
    if (folder.empty())
        return 2;
    auto path = [&](const char* name) { return seed_files::SeedPath(folder, name); };
    {
        CScheduleDoc empty;
        empty.OnSaveDocument(path("empty.sch"));
    }
    CScheduleDoc doc;
    auto* group = new CScheduleGroup("工作");
    doc.GetRootGroup().AddSubgroup(group);
    group->AddSubgroup(new CScheduleGroup("项目"));
    for (int kind = 0; kind <= 5; ++kind)
        group->AddContent(Rule(kind, kind % 3 + 1), FALSE);
    auto* once = new _CEvent;
    once->SetName("出差");
    once->m_base.m_end.m_date.AddDays(20);
    once->m_remind.m_bEnabled = TRUE;
    once->m_remind.m_nMode = 1;
    group->AddContent(once, FALSE);
    auto* task = new CAdvTask;
    task->SetName("准备");
    task->AddSubgroup(new CAdvTask);
    group->AddTask(task);
    doc.OnSaveDocument(path("schedule.sch"));
    return 0;
}
