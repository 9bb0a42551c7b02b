// The schedule document: its file with every record kind, damaged files, the per-date indexes
// and the day questions, and the reminders it collects under a pinned clock.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "calendar/ScheduleDoc.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "core/KovDocumentScramble.h"

using namespace calendar_test;

namespace {

std::string ReadBytes(const CString& path) {
    std::ifstream in((LPCTSTR)path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const CString& path, const std::string& bytes) {
    std::ofstream((LPCTSTR)path, std::ios::binary | std::ios::trunc) << bytes;
}

CTask* MakeTask(const char* title, int state = 0) {
    auto* t = new CAdvTask;
    t->SetName(title);
    t->GetEvent()->m_base.m_nState = state;
    return t;
}

// Two groups with a sub-group, events of every recurrence kind and display mode, reminders of
// both modes, tasks with sub-tasks.
void Fill(CScheduleDoc& doc) {
    CScheduleGroup& root = doc.GetRootGroup();
    root.SetName("我的日程");
    auto* work = new CScheduleGroup("工作");
    auto* home = new CScheduleGroup("家庭");
    auto* sub = new CScheduleGroup("项目");
    root.AddSubgroup(work);
    root.AddSubgroup(home);
    work->AddSubgroup(sub);
    for (int kind = 0; kind <= 5; ++kind) {
        _CEvent* e = MakeRule("规则", kind, kind + 1, 0x1234567u >> kind, CDate(2023, 7, 9 + kind),
                              CDate(2024, 1, 1), kind % 2 ? CDate(2025, 1, 1) : CDate());
        e->m_period.m_nFlags = kind == 3 ? 1 : 0;
        for (int w = 1; w < 12; ++w)
            e->m_period.m_values[w] = kind == 5 ? 0x101u << w : (kind == 4 && w < 3 ? 7u : 0);
        e->m_remind.m_bEnabled = kind % 2;
        e->m_remind.m_when[1] = 15;
        e->m_display.m_nShowMode = kind % 4;
        work->AddContent(e, FALSE);
    }
    _CEvent* trip = MakeEvent("出差", CDateTime(2024, 3, 10, 9, 0, 0), CDateTime(2024, 3, 14, 18, 0, 0));
    trip->m_base.m_strContent = "上海\n杭州";
    trip->m_remind.m_bEnabled = TRUE;
    trip->m_remind.m_nMode = 1;
    int when[6] = {2024, 3, 9, 20, 0, 0};
    std::copy(when, when + 6, trip->m_remind.m_when);
    trip->SetLastReminded(CDateTime(2024, 3, 9, 20, 0, 1));
    home->AddContent(trip, FALSE);
    sub->AddContent(MakeEvent("评审", CDateTime(2024, 3, 15, 14, 0, 0), CDateTime(2024, 3, 15, 15, 0, 0)), FALSE);
    for (CScheduleGroup* g : {work, home}) {
        CTask* parent = MakeTask("准备", 1);
        parent->AddSubgroup(MakeTask("写稿", 2));
        parent->GetEvent()->m_base.m_bRecurring = TRUE;
        parent->GetEvent()->m_period.m_nKind = 1;
        parent->GetEvent()->m_period.m_values[0] = 0x7f;
        parent->GetEvent()->m_period.m_anchor = CDate(2024, 1, 1);
        g->AddTask(parent);
    }
}

class ScheduleDocTest : public CalendarTest {
protected:
    CString Saved(CScheduleDoc& doc, const char* name) {
        CString path = PathOf(name);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    static CScheduleGroup* Child(CGroup& g, const char* name) {
        return dynamic_cast<CScheduleGroup*>(
            g.GetAt(g.FindSubgroupNode(name)));
    }
};

} // namespace

TEST_F(ScheduleDocTest, EveryRecordKindRoundTripsByteForByte) {
    CScheduleDoc doc;
    Fill(doc);
    CString first = Saved(doc, "a.sch");
    CScheduleDoc back;
    ASSERT_TRUE(back.OnOpenDocument(first));
    CString second = Saved(back, "b.sch");
    EXPECT_TRUE(ReadBytes(first) == ReadBytes(second));
    EXPECT_TRUE(Messages().empty());

    CScheduleGroup* work = Child(back.GetRootGroup(), "工作");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->GetContentList().GetCount(), 6);
    EXPECT_EQ(work->GetContentCount(FALSE, FALSE), 1);  // tasks are what a group counts
    EXPECT_EQ(back.GetRootGroup().GetContentCount(TRUE, FALSE), 2);
    // Every task's event, sub-tasks too, belongs to the group it was stored in.
    for (const char* name : {"工作", "家庭"}) {
        CScheduleGroup* g = Child(back.GetRootGroup(), name);
        POSITION pos = g->GetTaskHolder().GetHeadPosition();
        CTask* task = g->GetTaskHolder().GetNextSubTask(pos);
        EXPECT_EQ(task->GetParent(), g) << name;
        EXPECT_EQ(task->GetEvent()->GetParent(), g) << name;
        pos = task->GetHeadPosition();
        CTask* subTask = task->GetNextSubTask(pos);
        EXPECT_EQ(Text(subTask->GetName()), "写稿");
        EXPECT_EQ(subTask->GetParent(), task);
        EXPECT_EQ(subTask->GetEvent()->GetParent(), g);
    }
}

TEST_F(ScheduleDocTest, DamagedFilesFailWithTheOpenMessageAndLeaveNothing) {
    CScheduleDoc doc;
    Fill(doc);
    std::string file = ReadBytes(Saved(doc, "a.sch"));
    CString cut = PathOf("cut.sch");
    // Every length short of the whole, in steps that still reach each field.
    for (size_t n = 4; n < file.size(); n += 13) {
        WriteBytes(cut, file.substr(0, n));
        CScheduleDoc bad;
        Messages().clear();
        ASSERT_FALSE(bad.OnOpenDocument(cut)) << n;
        ASSERT_EQ(Messages().size(), 1u) << n;
        EXPECT_EQ(Messages()[0], "打开文档失败。\n" + std::string(cut)) << n;
        EXPECT_TRUE(bad.GetRootGroup().IsEmpty()) << n;
    }
    // A huge task count in the first group's holder: refused before anything is allocated.
    std::string plain = file;
    ScrambleBytes(reinterpret_cast<BYTE*>(plain.data()), plain.size(), 0, FALSE);
    size_t holder = plain.find("\x04" "\xb9\xa4\xd7\xf7"); // the length-prefixed name 工作
    ASSERT_NE(holder, std::string::npos);
    std::string hostile = plain;
    // After the name comes the holder's event (its first int, importance); make the group's
    // sub-group count, which follows the holder, impossible instead by cutting the holder's
    // event short with a huge string length.
    size_t title = holder + 5 + 32;
    hostile[title] = '\xff';
    hostile.replace(title + 1, 4, "\xff\xff\xff\x7f");
    ScrambleBytes(reinterpret_cast<BYTE*>(hostile.data()), hostile.size(), 0, TRUE);
    WriteBytes(cut, hostile);
    CScheduleDoc bad;
    Messages().clear();
    EXPECT_FALSE(bad.OnOpenDocument(cut));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "打开文档失败。\n" + std::string(cut));
}

// ---- Indexes -----------------------------------------------------------------------------------

class ScheduleIndexTest : public CalendarTest {
protected:
    CScheduleDoc doc;
    CScheduleGroup* group = nullptr;
    void SetUp() override {
        CalendarTest::SetUp();
        group = new CScheduleGroup("组");
        doc.GetRootGroup().AddSubgroup(group);
    }
    _CEvent* Add(_CEvent* e) {
        group->AddContent(e, FALSE);
        doc.IndexEvent(e);
        return e;
    }
    int Day(int y, int m, int d) { return doc.GetDayInfo(CDate(y, m, d), nullptr, FALSE); }
};

TEST_F(ScheduleIndexTest, SpansGoToTheSetOfTheirLength) {
    Add(MakeEvent("一天", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 10, 0, 0)));
    Add(MakeEvent("三天", CDateTime(2024, 3, 30, 9, 0, 0), CDateTime(2024, 4, 1, 10, 0, 0)));
    Add(MakeEvent("四天", CDateTime(2024, 3, 30, 9, 0, 0), CDateTime(2024, 4, 2, 10, 0, 0)));
    Add(MakeEvent("半年", CDateTime(2024, 11, 1, 9, 0, 0), CDateTime(2025, 4, 30, 10, 0, 0)));
    EXPECT_EQ(doc.GetDaySet().GetKeyCount(), 4);   // 15 March, 30 and 31 March, 1 April
    EXPECT_EQ(doc.GetMonthSet().GetKeyCount(), 2); // March and April
    EXPECT_EQ(doc.GetYearSet().GetKeyCount(), 2);  // 2024 and 2025
    EXPECT_EQ(Day(2024, 3, 15), 1);
    EXPECT_EQ(Day(2024, 3, 31), 2);
    EXPECT_EQ(Day(2024, 4, 2), 1);
    EXPECT_EQ(Day(2024, 4, 3), 0);
    EXPECT_EQ(Day(2025, 1, 1), 1);
    EXPECT_EQ(Day(2025, 5, 1), 0);
}

TEST_F(ScheduleIndexTest, DayInfoItemsAndTheCountOnlyAnswer) {
    _CEvent* a = Add(MakeEvent("甲", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 9, 0, 0)));
    a->m_base.m_nState = 2;
    // A month-set event shows only on the days its display mode names.
    _CEvent* b = Add(MakeEvent("乙", CDateTime(2024, 3, 1, 9, 0, 0), CDateTime(2024, 3, 20, 9, 0, 0)));
    b->m_display.m_nShowMode = CEventDisplayInfo::SHOW_FIRST_AND_LAST;
    CKovCalendarCellItemList items;
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 15), &items, FALSE), 1);
    ASSERT_EQ(items.GetCount(), 1);
    const CKovCalendarCellItem& item = items.GetHead();
    EXPECT_EQ(item.m_nKind, CKovCalendarCellItem::KIND_EVENT);
    EXPECT_EQ(CScheduleDoc::GetCellElement(item), a->GetScheduleElement());
    EXPECT_EQ(item.m_nAltIcon, 1);
    EXPECT_EQ(item.m_dwOwner, reinterpret_cast<DWORD_PTR>(&doc));
    EXPECT_EQ(Text(item.m_strText), "甲");
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 20), &items, FALSE), 1);
    EXPECT_EQ(items.GetCount(), 2);
    // Count only: one, and nothing appended.
    Add(MakeEvent("丙", CDateTime(2024, 3, 20, 9, 0, 0), CDateTime(2024, 3, 20, 9, 0, 0)));
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 20), &items, TRUE), 1);
    EXPECT_EQ(items.GetCount(), 2);
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 21), &items, TRUE), 0);
}

TEST_F(ScheduleIndexTest, OpenEndedAndHostileSpansAreAskedEveryDay) {
    // An open-ended weekly rule shows on its days through the undated list.
    Add(MakeRule("周一", CEventPeriodInfo::BY_WEEK, 1, 1, CDate(2024, 1, 1), CDate(2024, 1, 1)));
    // A rule without any bound shows on every matching day too.
    Add(MakeRule("每月一号", CEventPeriodInfo::BY_MONTH, 1, 1, CDate(2024, 1, 1)));
    // A date from a file far beyond any key: no walk, no day.
    _CEvent* far = Add(MakeEvent("远", CDateTime(2024, 1, 1, 0, 0, 0), CDateTime(2000000000, 1, 1, 0, 0, 0)));
    // Nothing set at all: shown on no day.
    Add(MakeEvent("无", CDateTime(), CDateTime()));
    // Every year there is: no ten thousand year keys.
    Add(MakeEvent("永远", CDateTime(1, 1, 1, 0, 0, 0), CDateTime(9999, 12, 31, 0, 0, 0)));
    EXPECT_EQ(doc.GetUndatedList().GetCount(), 5);
    EXPECT_EQ(doc.GetYearSet().GetKeyCount(), 0);
    EXPECT_EQ(Day(2024, 3, 18), 3);  // a Monday: 周一, 远 and 永远
    EXPECT_EQ(Day(2031, 9, 1), 4);   // a Monday and the 1st
    EXPECT_EQ(Day(2023, 12, 25), 1); // before the first dates: only 永远
    // Unindexing takes an event out of every list.
    doc.UnindexEvent(far);
    EXPECT_EQ(far->GetLinkCount(), 0);
    EXPECT_EQ(Day(2024, 3, 18), 2);
}

TEST_F(ScheduleIndexTest, ChangedEventsAreFiledAgainAndDeletedOnesLeave) {
    _CEvent* e = Add(MakeEvent("会", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 9, 0, 0)));
    e->m_base.m_start.m_date = CDate(2024, 3, 16);
    e->m_base.m_end.m_date = CDate(2024, 3, 16);
    doc.IndexEvent(e);
    EXPECT_EQ(Day(2024, 3, 15), 0);
    EXPECT_EQ(Day(2024, 3, 16), 1);
    EXPECT_EQ(e->GetLinkCount(), 1);
    group->RemoveContent(e, TRUE);
    EXPECT_EQ(Day(2024, 3, 16), 0);
    // Clearing a set leaves the events alive and unlinked.
    _CEvent* f = Add(MakeEvent("另", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 9, 0, 0)));
    doc.GetDaySet().Clear();
    EXPECT_EQ(f->GetLinkCount(), 0);
    EXPECT_EQ(Day(2024, 3, 15), 0);
}

TEST_F(ScheduleIndexTest, TasksAreFiledAsThemselvesThroughTheirEvents) {
    CTask* task = MakeTask("任务", 2);
    task->GetEvent()->m_base.m_start = CDateTime(2024, 3, 15, 9, 0, 0);
    task->GetEvent()->m_base.m_end = CDateTime(2024, 3, 15, 9, 0, 0);
    CTask* sub = MakeTask("子任务");
    sub->GetEvent()->m_base.m_start = CDateTime(2024, 3, 15, 9, 0, 0);
    sub->GetEvent()->m_base.m_end = CDateTime(2024, 3, 15, 9, 0, 0);
    task->AddSubgroup(sub);
    group->AddTask(task);
    doc.IndexGroup(group, TRUE, TRUE);
    EXPECT_TRUE(group->IsIndexed());
    CKovCalendarCellItemList items;
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 15), &items, FALSE), 2);
    EXPECT_EQ(CScheduleDoc::GetCellElement(items.GetHead()), task->GetScheduleElement());
    EXPECT_EQ(CScheduleDoc::GetCellElement(items.GetHead())->GetElementObject(), task);
    EXPECT_EQ(items.GetHead().m_nAltIcon, 1);
    // Deleting a sub-task takes it out of the lists.
    task->RemoveSubgroup(sub, TRUE);
    EXPECT_EQ(Day(2024, 3, 15), 1);
    doc.IndexGroup(group, FALSE, TRUE);
    EXPECT_EQ(Day(2024, 3, 15), 0);
    EXPECT_FALSE(group->IsIndexed());
}

TEST_F(ScheduleIndexTest, TwoDocumentsAnswerTheirOwnDays) {
    Add(MakeEvent("甲", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 9, 0, 0)));
    CScheduleDoc other;
    auto* e = MakeEvent("乙", CDateTime(2024, 3, 15, 9, 0, 0), CDateTime(2024, 3, 15, 9, 0, 0));
    other.GetRootGroup().AddContent(e, FALSE);
    other.IndexGroup(&other.GetRootGroup(), TRUE, TRUE);
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 15), nullptr, FALSE) +
                  other.GetDayInfo(CDate(2024, 3, 15), nullptr, FALSE),
              2);
}

// ---- Reminders ---------------------------------------------------------------------------------

class ScheduleReminderTest : public ScheduleIndexTest {
protected:
    std::vector<std::string> Collect(int h, int m, int s, int day = 15) {
        PinLocal(2024, 3, day, h, m, s);
        CReminder::CPromptList prompts;
        doc.CollectDuePrompts(prompts, CDateTime::GetCurrent());
        std::vector<std::string> texts;
        for (POSITION pos = prompts.GetHeadPosition(); pos != nullptr;)
            texts.push_back(Text(prompts.GetNext(pos).m_strText));
        return texts;
    }
    _CEvent* Fixed(const char* title, int h, int m, int s) {
        _CEvent* e = MakeEvent(title, CDateTime(2024, 3, 15, 11, 0, 0), CDateTime(2024, 3, 15, 12, 0, 0));
        e->m_remind.m_bEnabled = TRUE;
        e->m_remind.m_nMode = CEventRemindInfo::MODE_FIXED;
        int when[6] = {2024, 3, 15, h, m, s};
        std::copy(when, when + 6, e->m_remind.m_when);
        return Add(e);
    }
    // Mondays at 09:00, half an hour ahead (the base date is years away and ignored), filed at
    // 07:00 on Monday 18 March.
    _CEvent* AddMondayMeeting() {
        _CEvent* e = MakeRule("晨会", CEventPeriodInfo::BY_WEEK, 1, 1, CDate(2024, 1, 1));
        e->m_base.m_start = CDateTime(2030, 6, 1, 9, 0, 0);
        e->m_remind.m_bEnabled = TRUE;
        e->m_remind.m_when[1] = 30;
        PinLocal(2024, 3, 18, 7, 0, 0);
        return Add(e);
    }
};

TEST_F(ScheduleReminderTest, AFixedReminderFiresOnceFromFiveSecondsBefore) {
    Fixed("周会", 10, 0, 0);
    EXPECT_TRUE(Collect(9, 59, 54).empty());
    std::vector<std::string> due = Collect(9, 59, 55);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0], "任务执行提醒：\n周会\n执行时间：\n2024- 3-15 11:00");
    EXPECT_TRUE(Collect(10, 0, 0).empty());
    EXPECT_TRUE(Collect(15, 0, 0).empty());
    EXPECT_TRUE(doc.IsModified());
    // Saved and opened again, the reminder is known to be given.
    CString path = PathOf("r.sch");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.IndexGroup(&doc.GetRootGroup(), TRUE, TRUE);
    EXPECT_TRUE(Collect(10, 0, 5).empty());
}

TEST_F(ScheduleReminderTest, APassedReminderOfTodayFiresOnTheNextTickButNotOtherDays) {
    PinLocal(2024, 3, 15, 13, 0, 0);
    Fixed("午会", 12, 0, 0);
    _CEvent* tomorrow = Fixed("明天", 12, 0, 0);
    tomorrow->m_remind.m_when[2] = 16;
    doc.IndexEvent(tomorrow);
    EXPECT_EQ(Collect(13, 0, 5), std::vector<std::string>{"任务执行提醒：\n午会\n执行时间：\n2024- 3-15 11:00"});
    EXPECT_TRUE(Collect(13, 0, 10).empty());
}

TEST_F(ScheduleReminderTest, RecurringEventsRemindBeforeEveryOccurrence) {
    AddMondayMeeting();
    EXPECT_TRUE(Collect(8, 29, 54, 18).empty());
    EXPECT_EQ(Collect(8, 29, 55, 18).size(), 1u);
    EXPECT_TRUE(Collect(8, 45, 0, 18).empty());
    // Later days are filed when they come: nothing on Tuesday, again next Monday.
    EXPECT_TRUE(Collect(8, 30, 0, 19).empty());
    EXPECT_EQ(Collect(8, 30, 0, 25).size(), 1u);
    EXPECT_TRUE(Collect(8, 31, 0, 25).empty());
}

TEST_F(ScheduleReminderTest, TaskRemindersNameTheTask) {
    CTask* task = MakeTask("交报告");
    _CEvent* e = task->GetEvent();
    e->m_base.m_start = CDateTime(2024, 3, 15, 17, 0, 0);
    e->m_base.m_end = CDateTime(2024, 3, 15, 17, 0, 0);
    e->m_remind.m_bEnabled = TRUE;
    e->m_remind.m_when[0] = 1;
    e->m_remind.m_nPopup = -1;
    e->m_remind.m_nSound = 1;
    group->AddTask(task);
    doc.IndexTask(task, TRUE, TRUE);
    PinLocal(2024, 3, 15, 16, 0, 0);
    CReminder::CPromptList prompts;
    doc.CollectDuePrompts(prompts, CDateTime::GetCurrent());
    ASSERT_EQ(prompts.GetCount(), 1);
    EXPECT_EQ(prompts.GetHead().m_pElement->GetElementObject(), task);
    EXPECT_EQ(prompts.GetHead().m_nPopup, -1);
    EXPECT_EQ(prompts.GetHead().m_nSound, 1);
}

// An occurrence reminded is not reminded again when its event is filed again the same day, by
// being indexed afresh, by the schedule being opened again or by the day being filed again after
// the clock went back; the next occurrence still is, and an event whose mark is cleared (as an
// edit of it does) is reminded again.
TEST_F(ScheduleReminderTest, ARecurringEventFiledAgainOnItsDayIsRemindedOnce) {
    _CEvent* e = AddMondayMeeting();
    EXPECT_EQ(Collect(8, 30, 0, 18).size(), 1u);

    doc.UnindexEvent(e);
    doc.IndexEvent(e);
    EXPECT_TRUE(Collect(8, 40, 0, 18).empty()) << "indexed again";

    const CString path = PathOf("r.sch");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.IndexGroup(&doc.GetRootGroup(), TRUE, TRUE);
    EXPECT_TRUE(Collect(8, 50, 0, 18).empty()) << "opened again";

    EXPECT_EQ(Collect(8, 30, 0, 25).size(), 1u) << "the next Monday";
    EXPECT_TRUE(Collect(8, 40, 0, 25).empty());

    auto* reopened =
        dynamic_cast<CScheduleGroup*>(doc.GetRootGroup().FindByName("组", TRUE, FALSE, FALSE));
    ASSERT_NE(reopened, nullptr);
    auto* again = dynamic_cast<_CEvent*>(reopened->GetContentList().GetHead());
    ASSERT_NE(again, nullptr);
    again->SetLastReminded(CDateTime());
    doc.IndexEvent(again);
    EXPECT_EQ(Collect(8, 45, 0, 25).size(), 1u) << "the mark cleared";

    // The clock put back a day and forward again: the day is filed afresh, its reminder given.
    EXPECT_TRUE(Collect(9, 0, 0, 24).empty());
    EXPECT_TRUE(Collect(9, 5, 0, 25).empty()) << "the clock back on the day reminded";
}
