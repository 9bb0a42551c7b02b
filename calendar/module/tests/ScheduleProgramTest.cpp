// The schedules in the running program, as a user goes through them: the "任务日程" folder, a new
// file with a group, a weekly task with a reminder made in the event sheet, the task on the
// month grid and in week mode, saving, starting again with the file, the reminder at its time,
// and closing with a change.
#include "calendar/module/CalendarManagerWnd.h"
#include "calendar/module/CalendarModule.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "calendar/ui/SheetEvent.h"
#include "calendar/ui/TaskListView.h"
#include "contacts/module/tests/ProgramTest.h"
#include "platform/gui/DateTimeCtrl.h"
#include "shell/RightPaneFrame.h"

#include <QApplication>
#include <QTest>

#include <fstream>

namespace {

class ScheduleProgramTest : public ContactsProgramTest {
protected:
    ScheduleProgramTest() : ContactsProgramTest(IDOK) {}
    CCalendarModule calendar;

    void SetUp() override {
        calendar_test::PinLocal(2024, 3, 15, 9, 0, 0);
        CDate::GetToday(TRUE);
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&calendar);
    }
    void TearDown() override {
        ContactsProgramTest::TearDown();
        CTime::ResetNowForTesting();
        CDate::GetToday(TRUE);
    }
    static void Key(CWnd* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(w->GetWidget(), key, mods);
        Pump();
    }
    static void ClickAt(CWnd* w, CPoint p) {
        QTest::mouseClick(w->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(p.x, p.y));
        Pump();
    }
    static void ClickBox(CWnd& page, UINT id) {
        CWnd* w = page.GetDlgItem(id);
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(6, w->GetWidget()->height() / 2));
        Pump();
    }
    // The label edit a new file or group opened takes the text and Enter.
    static void TypeLabel(CScheduleTreeView* tree, const char* text) {
        CEdit* edit = tree->GetTreeCtrl().GetEditControl();
        ASSERT_NE(edit, nullptr);
        if (text != nullptr)
            edit->SetWindowText(text);
        QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
        Pump();
        if (tree->GetTreeCtrl().GetEditControl() != nullptr)
            tree->GetTreeCtrl().EndEditLabelNow(FALSE);
    }
    // The sheet as the user fills it: a task every Friday, reminded 15 minutes before 10:00.
    void AnswerSheetWithWeeklyTask() {
        onDialog = [](CDialog& d) {
            auto* s = dynamic_cast<CSheetEvent*>(&d);
            if (s == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            CPageEventGeneral& g = s->GetGeneralPage();
            g.SetDlgItemText(CPageEventGeneral::IDC_TITLE, "交周报");
            ClickBox(g, CPageEventGeneral::IDC_RECURRING);
            // 10:00 typed into the start's time (the picker keeps its own date).
            auto* start = dynamic_cast<CDateTimeCtrl*>(g.GetDlgItem(CPageEventGeneral::IDC_START_TIME));
            SYSTEMTIME st{};
            start->GetTime(&st);
            st.wHour = 10;
            st.wMinute = 0;
            EXPECT_TRUE(start->SetTime(&st));
            s->SelectPage(CSheetEvent::PageRemind);
            ClickBox(s->GetRemindPage(), CPageEventRemind::IDC_ENABLED);
            s->GetRemindPage().SetDlgItemText(CPageEventRemind::IDC_HOURS, "0");
            s->GetRemindPage().SetDlgItemText(CPageEventRemind::IDC_MINUTES, "15");
            s->SelectPage(CSheetEvent::PagePeriod);
            ClickBox(s->GetPeriodPage(), CPageEventPeriod::IDC_KIND_FIRST + 1);
            CTreeEventSelectDays& days = s->GetPeriodPage().GetModePage(1)->GetTree();
            days.SetCheck(days.ItemAt(4), TRUE);
            // Until the end of the year (a rule without an end is in no date range).
            ClickBox(s->GetPeriodPage(), CPageEventPeriod::IDC_HAS_LAST);
            auto* last = dynamic_cast<CDateTimeCtrl*>(s->GetPeriodPage().GetDlgItem(CPageEventPeriod::IDC_LAST));
            SYSTEMTIME end{2024, 12, 2, 31, 0, 0, 0, 0};
            last->SetTime(&end);
            s->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
    }
    // A schedule whose group 工作 holds a one-off task on 2024-03-15.
    CString WriteSchedule(const char* file) {
        CScheduleDoc doc;
        auto* work = new CScheduleGroup("工作");
        doc.GetRootGroup().AddSubgroup(work);
        auto* task = new CAdvTask;
        task->GetEvent()->SetName("交材料");
        task->GetEvent()->m_base.m_start = CDateTime(2024, 3, 15, 14, 0, 0);
        task->GetEvent()->m_base.m_end = CDateTime(2024, 3, 15, 15, 0, 0);
        work->AddTask(task);
        CString path = (dir.str() + "/" + file).c_str();
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    static CTaskListView* ShownList(CMainFrame* frame) {
        return dynamic_cast<CTaskListView*>(frame->GetRightPane()->GetCurrentWnd());
    }
    static std::vector<std::string> Listed(CTaskListView* list) {
        std::vector<std::string> out;
        for (HTREEITEM h = list->Tree().GetRootItem(); h != nullptr; h = list->Tree().GetNextSiblingItem(h))
            out.push_back((LPCTSTR)list->GetItemText(h, CTaskListView::ColTitle));
        return out;
    }
};

TEST_F(ScheduleProgramTest, AWeeklyTaskWithAReminderIsMadeSavedRemindedAndClosed) {
    const CString path = (dir.str() + "/日程.sch").c_str();
    {
        auto app = StartProgram();
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        frame->SetFocus();
        Key(frame, Qt::Key_4, Qt::ControlModifier);
        CCalendarManagerWnd* page = calendar.GetPage();
        ASSERT_NE(page, nullptr);
        // "任务日程": the navigator's folder button, then the task list on the right.
        CRect button;
        ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderSchedules, button));
        ClickAt(page, button.CenterPoint());
        ASSERT_EQ(page->GetSelFolder(), CCalendarManagerWnd::FolderSchedules);
        CTaskListView* list = ShownList(frame);
        ASSERT_NE(list, nullptr);
        CScheduleTreeView* tree = page->GetScheduleTree();
        ASSERT_NE(tree, nullptr);

        // A new file and a group in it.
        tree->SetFocus();
        tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_NEW);
        Pump();
        TypeLabel(tree, nullptr);
        ASSERT_EQ(tree->GetFileCount(), 1);
        tree->SendMessage(WM_COMMAND, CScheduleTreeView::ID_NEW_GROUP_MENU);
        Pump();
        TypeLabel(tree, "工作");
        CScheduleDoc* doc = tree->GetScheduleDoc(0);
        ASSERT_NE(doc, nullptr);
        auto* work = dynamic_cast<CScheduleGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
        ASSERT_NE(work, nullptr);
        ASSERT_TRUE(tree->SelectGroup(work));
        EXPECT_EQ(list->GetCurrentGroup(), work);

        // 新建任务 in the list: the sheet makes a weekly task with a reminder.
        AnswerSheetWithWeeklyTask();
        frame->GetRightPane()->SetFocus();
        list->SendMessage(WM_COMMAND, CTaskListView::ID_NEW_TASK);
        Pump();
        EXPECT_EQ(Listed(list), std::vector<std::string>{"交周报"});
        ASSERT_EQ(work->GetTaskHolder().GetSubgroupCount(), 1);
        CTask* task = static_cast<CTask*>(work->GetTaskHolder().GetHead());
        EXPECT_TRUE(task->GetEvent()->IsRecurring());
        EXPECT_TRUE(task->GetEvent()->m_remind.m_bEnabled);
        EXPECT_TRUE(doc->IsModified());
        ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("schedule-task-list").c_str()));

        // On the month grid: every Friday, no other day.
        ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderInfo, button));
        ClickAt(page, button.CenterPoint());
        auto* window = dynamic_cast<CCalendarFrame*>(frame->GetRightPane()->GetCurrentWnd());
        ASSERT_NE(window, nullptr);
        CCalendarPane* pane = window->GetPane();
        pane->GetWidget()->grab();
        int row = 0, column = 0;
        ASSERT_TRUE(pane->GetCellOfDay(22, row, column));
        ASSERT_EQ(pane->GetCell(row * 7 + column).items.GetCount(), 1);
        EXPECT_EQ(calendar_test::Text(pane->GetCell(row * 7 + column).items.GetHead().m_strText), "交周报");
        ASSERT_TRUE(pane->GetCellOfDay(21, row, column));
        EXPECT_EQ(pane->GetCell(row * 7 + column).items.GetCount(), 0);
        ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("schedule-task-on-grid").c_str()));

        // Week mode: the week shown has a Friday, so it is listed.
        ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderSchedules, button));
        ClickAt(page, button.CenterPoint());
        list = ShownList(frame);
        ASSERT_NE(list, nullptr);
        list->SendMessage(WM_COMMAND, CTaskListView::ID_WEEK_MODE);
        Pump();
        EXPECT_EQ(list->GetViewMode(), CTaskListView::ModeWeek);
        EXPECT_EQ(Listed(list), std::vector<std::string>{"交周报"});

        // Saved under a name of the user's.
        AnswerFile(path);
        tree->SetFocus();
        tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_SAVE);
        Pump();
        EXPECT_FALSE(doc->IsModified());
        EXPECT_EQ(calendar.GetOpenFiles(".sch"), std::vector<CString>{path});
        ASSERT_TRUE(ExitProgram(*app));
    }

    // Started again with the file named: at 09:45, 15 minutes before the task's start, the
    // reminder comes on the main window's timer, without the folder opened, and shows the
    // task's group and row.
    calendar_test::PinLocal(2024, 3, 15, 9, 44, 0);
    CDate::GetToday(TRUE);
    shown.clear();
    auto app = StartProgram({path});
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CScheduleTreeView* tree = calendar.GetScheduleTree();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->GetFileCount(), 1);
    // A minute early nothing is due; at 09:45 the task is.
    frame->SendMessage(WM_TIMER, CCalendarModule::ReminderTimer);
    EXPECT_EQ(calendar.GetReminder().GetPending().GetCount(), 0);
    calendar_test::PinLocal(2024, 3, 15, 9, 45, 0);
    frame->SendMessage(WM_TIMER, CCalendarModule::ReminderTimer);
    Pump();
    ASSERT_EQ(calendar.GetReminder().GetPending().GetCount(), 1);
    EXPECT_NE(calendar_test::Text(calendar.GetReminder().GetPending().GetHead().m_strText).find("交周报"),
              std::string::npos);
    CScheduleGroup* group = tree->GetCurrentGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(calendar_test::Text(group->GetName()), "工作");
    CTaskListView* list = calendar.GetPage()->GetTaskList();
    ASSERT_NE(list, nullptr);
    CTask* task = list->GetFocusedTask();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(calendar_test::Text(task->GetEvent()->GetTitle()), "交周报");
    // Once given, the next tick is silent.
    frame->SendMessage(WM_TIMER, CCalendarModule::ReminderTimer);
    EXPECT_EQ(calendar.GetReminder().GetPending().GetCount(), 0);

    // A change, then closing: Cancel keeps the program, Yes saves and ends it.
    list->SendMessage(WM_COMMAND, CTaskListView::ID_STATE_FIRST + 1);
    EXPECT_TRUE(tree->GetScheduleDoc(0)->IsModified());
    answers = {IDCANCEL};
    EXPECT_FALSE(ExitProgram(*app));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(calendar_test::Text(shown[0].text).find("是否保存对"), std::string::npos);
    answers = {IDYES};
    EXPECT_TRUE(ExitProgram(*app));
    CScheduleDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    auto* work = dynamic_cast<CScheduleGroup*>(reread.GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(work->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(static_cast<CTask*>(work->GetTaskHolder().GetHead())->GetEvent()->m_base.m_nState, 1);
}

TEST_F(ScheduleProgramTest, AnEntryOfATaskDeletedInTheListIsGoneFromTheDayInformation) {
    const CString path = WriteSchedule("材料.sch");
    auto app = StartProgram({path});
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CCalendarManagerWnd* page = calendar.GetPage();
    ASSERT_NE(page, nullptr);
    // The file opened into the schedule folder.
    EXPECT_EQ(page->GetSelFolder(), CCalendarManagerWnd::FolderSchedules);
    CScheduleTreeView* tree = page->GetScheduleTree();
    ASSERT_EQ(tree->GetFileCount(), 1);

    // The day information of today lists the task; its line is where a double click goes.
    CRect button;
    ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderInfo, button));
    ClickAt(page, button.CenterPoint());
    CCalendarInfoWnd* info = page->GetInfoWnd();
    ASSERT_NE(info, nullptr);
    info->Refresh();
    info->GetWidget()->grab();
    const CCalendarInfoWnd::CSection* tasks = nullptr;
    for (const auto& section : info->GetSections())
        if (section.strTitle == "任务")
            tasks = &section;
    ASSERT_NE(tasks, nullptr);
    ASSERT_EQ(tasks->items.size(), 1u);
    const CPoint line = CRect(tasks->items[0]->m_rect).CenterPoint() - info->GetScrollPosition();

    // Deleted in the task list (Yes to the question) ...
    ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderSchedules, button));
    ClickAt(page, button.CenterPoint());
    auto* work = dynamic_cast<CScheduleGroup*>(
        tree->GetScheduleDoc(0)->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    ASSERT_TRUE(tree->SelectGroup(work));
    CTaskListView* list = ShownList(frame);
    ASSERT_NE(list, nullptr);
    list->Tree().CTreeCtrl::SelectItem(list->Tree().GetRootItem());
    answers = {IDYES};
    list->SendMessage(WM_COMMAND, CTaskListView::ID_DELETE);
    EXPECT_EQ(work->GetTaskHolder().GetSubgroupCount(), 0);

    // ... a double click on its old line in the day information finds nothing to open.
    shown.clear();
    onDialog = [](CDialog& d) {
        ADD_FAILURE() << "no sheet may open";
        d.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(info->GetHighlightedItem(), nullptr);
    QTest::mouseDClick(info->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(line.x, line.y));
    Pump();
    info->GetWidget()->grab();
    for (const auto& section : info->GetSections())
        EXPECT_NE(calendar_test::Text(section.strTitle), "任务");
    onDialog = nullptr;
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(ScheduleProgramTest, ADamagedScheduleFileAddsNoRoot) {
    const CString bad = (dir.str() + "/damaged.sch").c_str();
    {
        std::ofstream out((LPCTSTR)bad, std::ios::binary);
        out << "这不是日程文件\x01\x02\x03";
    }
    auto app = StartProgram();
    ASSERT_TRUE(app);
    CScheduleTreeView* tree = calendar.GetScheduleTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(app->GetMainFrame()->OpenFileByExtension(bad), nullptr);
    EXPECT_EQ(tree->GetFileCount(), 0);
    EXPECT_TRUE(ExitProgram(*app));
}

} // namespace
