// The task list over a schedule: what it lists for a group, how it follows changes made
// elsewhere and the day, week or month of a month grid, and its cut, copy, paste and delete.
#include "calendar/ui/ScheduleUI.h"
#include "calendar/ui/SheetEvent.h"
#include "calendar/ui/TaskListView.h"
#include "calendar/ui/tests/CalendarUiTestSupport.h"

using namespace calendar_ui_test;

namespace {

class OneDocSink : public CEventsManager::CSink {
public:
    CScheduleDoc* doc = nullptr;
    CScheduleDoc* GetDocumentOf(CScheduleElement*) override { return doc; }
    CScheduleDoc* GetDocumentOfGroup(CGroup*) override { return doc; }
};

// A listener that records what goes out.
class Recorder : public CScheduleUI {
public:
    std::vector<std::pair<int, CScheduleElement*>> heard;
    void OnScheduleChanged(CScheduleUI*, int nKind, CScheduleElement* pElement, CGroup*, int,
                           CGroup*) override {
        heard.emplace_back(nKind, pElement);
    }
};

class TaskListViewTest : public CalendarWindowTest {
protected:
    CWnd host;
    CTaskListView* view = nullptr;
    CKovCalendar gridWnd;
    CKovCalendar* grid = &gridWnd;
    CScheduleDoc doc;
    CScheduleGroup* work = nullptr;
    CScheduleGroup* home = nullptr;
    CScheduleUIManager manager;
    OneDocSink sink;
    Recorder recorder;

    void SetUp() override {
        CalendarWindowTest::SetUp();
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 1100, 400), nullptr, 0));
        ASSERT_TRUE(grid->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150),
                                 &host, 2, nullptr));
        grid->SetFirstDayOfWeek(1, FALSE);
        grid->SelectDate(2024, 3, 15);
        view = new CTaskListView;
        ASSERT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(200, 0, 1100, 400),
                                 &host, AFX_IDW_PANE_FIRST, nullptr));
        view->OnInitialUpdate();
        view->m_pCalendar = grid;
        grid->m_pOwner = view;
        work = new CScheduleGroup("工作");
        home = new CScheduleGroup("家务");
        doc.GetRootGroup().AddSubgroup(work);
        doc.GetRootGroup().AddSubgroup(home);
        sink.doc = &doc;
        manager.GetEventsManager().m_pSink = &sink;
        manager.AddListener(view);
        manager.AddListener(&recorder);
    }
    void TearDown() override {
        manager.RemoveAllListeners();
        host.DestroyWindow();
        CalendarWindowTest::TearDown();
    }
    CTask* AddTask(CGroup* parent, const char* title, const CDate& date = CDate()) {
        auto* t = new CAdvTask;
        t->GetEvent()->SetName(title);
        if (date.IsValid()) {
            t->GetEvent()->m_base.m_start = CDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), 9, 0, 0);
            t->GetEvent()->m_base.m_end = CDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), 10, 0, 0);
        } else {
            t->GetEvent()->m_base.m_start.SetNull();
            t->GetEvent()->m_base.m_end.SetNull();
        }
        if (auto* g = dynamic_cast<CScheduleGroup*>(parent)) {
            g->AddTask(t);
        } else {
            parent->AddSubgroup(t, TRUE);
            t->SetEventParent(CEventsManager::GroupOf(static_cast<CTask*>(parent)));
        }
        doc.IndexTask(t, TRUE, FALSE);
        return t;
    }
    // The labels of the list, depth-first, sub-tasks indented by two spaces.
    std::vector<std::string> Listed() {
        std::vector<std::string> out;
        std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM h, int depth) {
            for (; h != nullptr; h = view->Tree().GetNextSiblingItem(h)) {
                out.push_back(std::string(2 * depth, ' ') +
                              (LPCTSTR)view->GetItemText(h, CTaskListView::ColTitle));
                walk(view->Tree().GetChildItem(h), depth + 1);
            }
        };
        walk(view->Tree().GetRootItem(), 0);
        return out;
    }
    void Choose(CScheduleGroup* g) {
        manager.Broadcast(nullptr, ScheduleGroupChosen, nullptr, g, 0, nullptr);
    }
    void Command(UINT id) {
        view->SendMessage(WM_COMMAND, id);
        Pump();
    }
    void Select(CTask* t) {
        view->Tree().CTreeCtrl::SelectItem(view->FindItem(t));
    }
};

TEST_F(TaskListViewTest, AGroupListsItsTasksWithSubTasksTheirTextsAndFlags) {
    CTask* report = AddTask(work, "写报告", CDate(2024, 3, 18));
    AddTask(report, "查数据");
    CTask* meeting = AddTask(work, "开会");
    meeting->GetEvent()->m_base.m_nImportance = 2;
    meeting->GetEvent()->m_base.m_nUrgency = 0;
    meeting->GetEvent()->m_base.m_nState = 2;
    meeting->GetEvent()->m_base.m_nPercentDone = 100;
    meeting->GetEvent()->m_remind.m_bEnabled = TRUE;
    AddTask(home, "买菜");
    Choose(work);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"开会", "写报告", "  查数据"}));
    HTREEITEM h = view->FindItem(meeting);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(calendar_test::Text(view->GetItemText(h, CTaskListView::ColState)), "已完成");
    EXPECT_EQ(calendar_test::Text(view->GetItemText(h, CTaskListView::ColPercent)), "100%");
    int xs[4];
    CTaskColumnTreeCtrl::FlagPlaces(*meeting->GetEvent(), xs);
    EXPECT_EQ(std::vector<int>(xs, xs + 4), (std::vector<int>{0, 9, -1, 34}));
    CTaskColumnTreeCtrl::FlagPlaces(*report->GetEvent(), xs);
    EXPECT_EQ(std::vector<int>(xs, xs + 4), (std::vector<int>{-1, -1, -1, -1}));
    // Another group of the same file reloads the list.
    Choose(home);
    EXPECT_EQ(Listed(), std::vector<std::string>{"买菜"});
    // With all sub-levels, the tasks of groups below are listed too.
    auto* sub = new CScheduleGroup("子组");
    work->AddSubgroup(sub);
    AddTask(sub, "子组的任务");
    Choose(work);
    Command(CTaskListView::ID_ALL_LEVELS);
    EXPECT_TRUE(view->IsAllLevels());
    EXPECT_EQ(Listed().size(), 4u);
}

TEST_F(TaskListViewTest, ChangesFromElsewhereReachTheListAndItsOwnAreNotAddedTwice) {
    Choose(work);
    CTask* t = AddTask(work, "外来的");
    manager.Broadcast(nullptr, ScheduleCreated, t, work, 0);
    EXPECT_EQ(Listed(), std::vector<std::string>{"外来的"});
    manager.Broadcast(view, ScheduleCreated, t, work, 0); // its own change
    EXPECT_EQ(Listed(), std::vector<std::string>{"外来的"});
    t->GetEvent()->SetName("改名了");
    manager.Broadcast(nullptr, ScheduleChanged, t, nullptr, 0);
    EXPECT_EQ(Listed(), std::vector<std::string>{"改名了"});
    manager.Broadcast(nullptr, ScheduleMoving, t, work, 0);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(t->GetTreeItem(), 0u);
    manager.Broadcast(nullptr, ScheduleMoving, t, work, 1);
    EXPECT_EQ(Listed(), std::vector<std::string>{"改名了"});
    manager.Broadcast(nullptr, ScheduleDeleting, t, nullptr, 0);
    EXPECT_TRUE(Listed().empty());
    // A task of another group is not listed; a closing file takes the list's group away.
    CTask* other = AddTask(home, "别的组");
    manager.Broadcast(nullptr, ScheduleCreated, other, home, 0);
    EXPECT_TRUE(Listed().empty());
    AddTask(work, "留下的");
    Choose(work);
    manager.Broadcast(nullptr, ScheduleGroupsChanged, nullptr, &doc.GetRootGroup(), 0);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(view->GetCurrentGroup(), nullptr);
}

TEST_F(TaskListViewTest, DayWeekAndMonthModesFollowTheGrid) {
    AddTask(work, "周一", CDate(2024, 3, 11));
    AddTask(work, "周五", CDate(2024, 3, 15));
    AddTask(work, "下周三", CDate(2024, 3, 20));
    AddTask(work, "四月", CDate(2024, 4, 2));
    Choose(work);
    EXPECT_EQ(Listed().size(), 4u);
    Command(CTaskListView::ID_DAY_MODE);
    EXPECT_EQ(Listed(), std::vector<std::string>{"周五"});
    grid->SelectDate(2024, 3, 11);
    EXPECT_EQ(Listed(), std::vector<std::string>{"周一"});
    // Week mode (weeks from Monday): any day of the same week leaves the list as it is.
    Command(CTaskListView::ID_WEEK_MODE);
    EXPECT_EQ(view->GetViewMode(), CTaskListView::ModeWeek);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"周一", "周五"}));
    HTREEITEM before = view->Tree().GetRootItem();
    grid->SelectDate(2024, 3, 17);
    EXPECT_EQ(view->Tree().GetRootItem(), before); // no refill
    grid->SelectDate(2024, 3, 18);
    EXPECT_EQ(Listed(), std::vector<std::string>{"下周三"});
    Command(CTaskListView::ID_MONTH_MODE);
    EXPECT_EQ(Listed().size(), 3u);
    // Choosing the mode shown again stops following the dates.
    Command(CTaskListView::ID_MONTH_MODE);
    EXPECT_EQ(view->GetViewMode(), CTaskListView::ModeNone);
    EXPECT_FALSE(view->GetFilter().GetCriteria() & CTaskFilter::BY_DATE);
    EXPECT_EQ(Listed().size(), 4u);
}

// The grid and the schedule windows outlive a list that goes: neither tells it anything after.
TEST_F(TaskListViewTest, AListThatGoesIsToldNothingByTheGridOrTheOtherWindows) {
    AddTask(work, "周五", CDate(2024, 3, 15));
    Choose(work);
    Command(CTaskListView::ID_DAY_MODE);
    view->DestroyWindow(); // the view deletes itself
    view = nullptr;
    EXPECT_EQ(grid->m_pOwner, nullptr);
    EXPECT_EQ(manager.GetListeners(), std::vector<CScheduleUI*>{&recorder});
    grid->SelectDate(2024, 3, 11);
    Choose(home);
    EXPECT_EQ(recorder.heard.back().first, (int)ScheduleGroupChosen);
}

TEST_F(TaskListViewTest, CutAndCopyThenPasteMoveOrCopyAndEmptyTheClipboard) {
    CTask* a = AddTask(work, "甲", CDate(2024, 3, 18));
    AddTask(a, "甲的子任务");
    AddTask(work, "乙");
    Choose(work);
    Select(a);
    Command(CTaskListView::ID_CUT);
    // Gone from the list, the group and the document's indexes at once.
    EXPECT_EQ(Listed(), std::vector<std::string>{"乙"});
    EXPECT_EQ(work->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 18), nullptr, TRUE), 0);
    EXPECT_TRUE(doc.IsModified());
    Choose(home);
    view->Tree().CTreeCtrl::SelectItem(nullptr);
    recorder.heard.clear();
    Command(CTaskListView::ID_PASTE);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"甲", "  甲的子任务"}));
    EXPECT_EQ(home->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 18), nullptr, TRUE), 1);
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].first, ScheduleCreated);
    // Paste again: the clipboard is empty.
    Command(CTaskListView::ID_PASTE);
    EXPECT_EQ(home->GetTaskHolder().GetSubgroupCount(), 1);
    // Copy makes an independent task.
    CTask* pasted = static_cast<CTask*>(home->GetTaskHolder().GetHead());
    Select(pasted);
    Command(CTaskListView::ID_COPY);
    Command(CTaskListView::ID_PASTE); // under the selected task
    ASSERT_EQ(pasted->GetSubgroupCount(), 2);
    pasted->GetEvent()->SetName("原件");
    int copies = 0;
    for (POSITION pos = pasted->GetHeadPosition(); pos != nullptr;)
        copies += calendar_test::Text(pasted->GetNextSubTask(pos)->GetEvent()->GetTitle()) == "甲";
    EXPECT_EQ(copies, 1);
}

TEST_F(TaskListViewTest, DeleteAsksAndNoKeepsTheTask) {
    CTask* a = AddTask(work, "要删的", CDate(2024, 3, 18));
    Choose(work);
    Select(a);
    answers = {IDNO};
    Command(CTaskListView::ID_DELETE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(calendar_test::Text(shown[0].text), "您真的要删除该项吗？");
    EXPECT_EQ(Listed().size(), 1u);
    answers = {IDYES};
    recorder.heard.clear();
    Command(CTaskListView::ID_DELETE);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(work->GetTaskHolder().GetSubgroupCount(), 0);
    EXPECT_EQ(doc.GetDayInfo(CDate(2024, 3, 18), nullptr, TRUE), 0);
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].first, ScheduleDeleting);
}

TEST_F(TaskListViewTest, StateCommandsSetEverySelectedTaskAndCheckTheFocusedOnesState) {
    CTask* a = AddTask(work, "一");
    CTask* b = AddTask(work, "二");
    Choose(work);
    view->Tree().SelectAll(TRUE);
    Select(a);
    view->Tree().SelectAll(TRUE);
    Command(CTaskListView::ID_STATE_FIRST + 1);
    EXPECT_EQ(a->GetEvent()->m_base.m_nState, 1);
    EXPECT_EQ(b->GetEvent()->m_base.m_nState, 1);
    EXPECT_EQ(calendar_test::Text(view->GetItemText(view->FindItem(b), CTaskListView::ColState)), "进行中");
    Command(CTaskListView::ID_IMPORTANCE_FIRST + 2);
    EXPECT_EQ(b->GetEvent()->m_base.m_nImportance, 2);
}

// Two files: the sink knows each group's document by its root.
class TwoDocSink : public CEventsManager::CSink {
public:
    CScheduleDoc* docs[2] = {};
    CScheduleDoc* GetDocumentOfGroup(CGroup* g) override {
        while (g != nullptr && g->GetParent() != nullptr)
            g = g->GetParent();
        for (CScheduleDoc* d : docs)
            if (d != nullptr && &d->GetRootGroup() == g)
                return d;
        return nullptr;
    }
    CScheduleDoc* GetDocumentOf(CScheduleElement* e) override {
        CTask* t = AsTask(e);
        return t != nullptr ? GetDocumentOfGroup(CEventsManager::GroupOf(t)) : nullptr;
    }
};

TEST(ScheduleUIManagerTest, AMoveToAnotherFileMarksBothModifiedAndRefilesTheTask) {
    CScheduleDoc from, to;
    auto* a = new CScheduleGroup("甲");
    auto* b = new CScheduleGroup("乙");
    from.GetRootGroup().AddSubgroup(a);
    to.GetRootGroup().AddSubgroup(b);
    auto* task = new CAdvTask;
    task->GetEvent()->SetName("搬走的");
    task->GetEvent()->m_base.m_start = CDateTime(2024, 3, 15, 9, 0, 0);
    task->GetEvent()->m_base.m_end = CDateTime(2024, 3, 15, 10, 0, 0);
    a->AddTask(task);
    from.IndexTask(task, TRUE, TRUE);
    TwoDocSink sink;
    sink.docs[0] = &from;
    sink.docs[1] = &to;
    CScheduleUIManager manager;
    manager.GetEventsManager().m_pSink = &sink;
    Recorder recorder;
    manager.AddListener(&recorder);
    ASSERT_TRUE(manager.MoveToGroup(nullptr, task, b));
    EXPECT_TRUE(from.IsModified());
    EXPECT_TRUE(to.IsModified());
    EXPECT_EQ(a->GetTaskHolder().GetSubgroupCount(), 0);
    EXPECT_EQ(b->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(from.GetDayInfo(CDate(2024, 3, 15), nullptr, TRUE), 0);
    EXPECT_EQ(to.GetDayInfo(CDate(2024, 3, 15), nullptr, TRUE), 1);
    // Before and after the move, in that order.
    ASSERT_EQ(recorder.heard.size(), 2u);
    EXPECT_EQ(recorder.heard[0].first, ScheduleMoving);
    EXPECT_EQ(recorder.heard[1].first, ScheduleMoving);
    manager.RemoveAllListeners();
}

} // namespace
