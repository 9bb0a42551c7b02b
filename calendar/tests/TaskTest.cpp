// Tasks and the task filter.
#include <gtest/gtest.h>

#include <memory>

#include "calendar/Task.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "testsupport/ArchiveBytes.h"

using namespace calendar_test;

namespace {

std::unique_ptr<CTask> Task(int state, int importance = 1, int urgency = 1) {
    auto t = std::make_unique<CAdvTask>();
    t->GetEvent()->m_base.m_nState = state;
    t->GetEvent()->m_base.m_nImportance = importance;
    t->GetEvent()->m_base.m_nUrgency = urgency;
    return t;
}

class TaskFilterTest : public CalendarTest {};

} // namespace

TEST_F(TaskFilterTest, SetsAcceptTheirBitsOnly) {
    struct Row {
        int criterion, set, state, importance, urgency;
        BOOL accepted;
    } rows[] = {
        {0, 0, 4, 2, 2, TRUE}, // no criteria: everything
        {CTaskFilter::BY_STATUS, 0x04, 2, 1, 1, TRUE},
        {CTaskFilter::BY_STATUS, 0x04, 1, 1, 1, FALSE},
        {CTaskFilter::BY_STATUS, 0x1F, 7, 1, 1, FALSE}, // a state no set holds
        {CTaskFilter::BY_IMPORTANCE, 0x01, 2, 0, 1, TRUE},
        {CTaskFilter::BY_IMPORTANCE, 0x01, 2, 2, 1, FALSE},
        {CTaskFilter::BY_URGENCY, 0x06, 2, 1, 2, TRUE},
        {CTaskFilter::BY_URGENCY, 0x06, 2, 1, -1, FALSE},
    };
    for (const Row& row : rows) {
        CTaskFilter filter;
        filter.SetCriteria(0xFF, row.criterion);
        filter.SetChoice(row.criterion, row.set);
        EXPECT_EQ(filter.Accepts(Task(row.state, row.importance, row.urgency).get()), row.accepted)
            << row.criterion << " " << row.set;
    }
}

TEST_F(TaskFilterTest, DateAndRecurrenceChoices) {
    auto dated = Task(0);
    dated->GetEvent()->m_base.m_start = CDateTime(2024, 3, 1, 9, 0, 0);
    dated->GetEvent()->m_base.m_end.SetNull();
    auto undated = Task(0);
    undated->GetEvent()->m_base.m_start.SetNull();
    undated->GetEvent()->m_base.m_end.SetNull();
    auto weekly = Task(0);
    weekly->GetEvent()->m_base.m_bRecurring = TRUE;
    weekly->GetEvent()->m_period.m_nKind = CEventPeriodInfo::BY_WEEK;
    weekly->GetEvent()->m_period.m_values[0] = 1; // Mondays

    CTaskFilter filter;
    filter.SetCriteria(CTaskFilter::BY_HAS_DATE, CTaskFilter::BY_HAS_DATE);
    filter.SetChoice(CTaskFilter::BY_HAS_DATE, 0);
    EXPECT_FALSE(filter.Accepts(dated.get()));
    EXPECT_FALSE(filter.Accepts(undated.get()));
    filter.SetChoice(CTaskFilter::BY_HAS_DATE, 1);
    EXPECT_FALSE(filter.Accepts(dated.get()));
    EXPECT_TRUE(filter.Accepts(undated.get()));
    filter.SetChoice(CTaskFilter::BY_HAS_DATE, 3);
    EXPECT_TRUE(filter.Accepts(dated.get()));
    EXPECT_TRUE(filter.Accepts(weekly.get()));

    filter.SetCriteria(0xFF, CTaskFilter::BY_RECURRING);
    filter.SetChoice(CTaskFilter::BY_RECURRING, 2);
    EXPECT_TRUE(filter.Accepts(weekly.get()));
    EXPECT_FALSE(filter.Accepts(dated.get()));

    // A single date: the day test. A recurring task recurs on it; an event's open end is no
    // range, a rule's goes on.
    filter.SetCriteria(0xFF, CTaskFilter::BY_DATE);
    filter.SetRange(CDate(2024, 3, 4), CDate());
    EXPECT_TRUE(filter.Accepts(weekly.get()));
    EXPECT_FALSE(filter.Accepts(dated.get()));
    filter.SetRange(CDate(2024, 3, 1), CDate());
    EXPECT_TRUE(filter.Accepts(dated.get()));
    filter.SetRange(CDate(2024, 2, 1), CDate(2024, 3, 31));
    EXPECT_FALSE(filter.Accepts(dated.get())); // its last date is unset
    EXPECT_TRUE(filter.Accepts(weekly.get()));  // Mondays with no end: every week has one
    weekly->GetEvent()->m_period.m_last.m_date = CDate(2024, 12, 31);
    EXPECT_TRUE(filter.Accepts(weekly.get()));
    weekly->GetEvent()->m_period.m_last.m_date = CDate(2024, 1, 31);
    EXPECT_FALSE(filter.Accepts(weekly.get()));
    CDate from, to;
    filter.GetRange(from, to);
    EXPECT_EQ(to, CDate(2024, 3, 31));
}

TEST_F(TaskFilterTest, AParentIsShownThroughAnAcceptedDescendant) {
    auto parent = Task(0);
    auto* child = new CAdvTask;
    auto* grandchild = new CAdvTask;
    grandchild->GetEvent()->m_base.m_nState = 2;
    child->AddSubgroup(grandchild);
    parent->AddSubgroup(child);
    CTaskFilter filter;
    filter.SetCriteria(CTaskFilter::BY_STATUS, CTaskFilter::BY_STATUS);
    filter.SetChoice(CTaskFilter::BY_STATUS, 0x04);
    EXPECT_TRUE(filter.Accepts(parent.get()));
    grandchild->GetEvent()->m_base.m_nState = 1;
    EXPECT_FALSE(filter.Accepts(parent.get()));
    // Criteria bits are changed through the mask only.
    filter.SetCriteria(CTaskFilter::BY_URGENCY, CTaskFilter::BY_URGENCY);
    EXPECT_EQ(filter.GetCriteria(), CTaskFilter::BY_STATUS | CTaskFilter::BY_URGENCY);
}

TEST_F(TaskFilterTest, TasksCopyAndStoreTheirEventAndSubTasks) {
    auto task = Task(1, 2, 0);
    task->SetName("父");
    auto* sub = new CAdvTask;
    sub->SetName("子");
    task->AddSubgroup(sub);
    EXPECT_EQ(Text(task->GetName()), "父");
    EXPECT_EQ(sub->GetParent(), task.get());
    CAdvTask copy;
    copy.CopyFrom(task.get());
    EXPECT_EQ(Text(copy.GetName()), "父");
    EXPECT_EQ(copy.GetEvent()->m_base.m_nImportance, 2);
    ASSERT_EQ(copy.GetSubgroupCount(), 1);
    POSITION pos = copy.GetHeadPosition();
    EXPECT_EQ(Text(copy.GetNextSubTask(pos)->GetName()), "子");
    archive_bytes::Bytes bytes = archive_bytes::Store(*task);
    CAdvTask back;
    EXPECT_EQ(archive_bytes::Load(back, bytes), 0u);
    EXPECT_TRUE(archive_bytes::Store(back) == bytes);
    // Taken out without being deleted, a sub-task leaves its event's group too.
    CGroup group("组");
    sub->GetEvent()->SetParent(&group);
    task->RemoveSubgroup(sub, FALSE);
    EXPECT_EQ(sub->GetParent(), nullptr);
    delete sub;
}
