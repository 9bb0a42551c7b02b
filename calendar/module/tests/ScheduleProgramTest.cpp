// The schedules in the running program, as a user goes through them: the "任务日程" folder, a new
// file with a group, a weekly task with a reminder made in the event sheet, the task on the
// month grid and in week mode, saving, starting again with the file, the reminder at its time,
// and closing with a change.
#include "calendar/module/CalendarManagerWnd.h"
#include "calendar/module/CalendarModule.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/CalendarPane.h"
#include "calendar/ui/DlgTaskFilter.h"
#include "calendar/ui/ScheduleFrame.h"
#include "calendar/ui/ScheduleTreeView.h"
#include "calendar/ui/SheetEvent.h"
#include "calendar/ui/TaskListView.h"
#include "contacts/module/tests/ProgramTest.h"
#include "platform/gui/DateTimeCtrl.h"
#include "platform/gui/Menu.h"
#include "shell/PromptInfoWnd.h"
#include "shell/RightPaneFrame.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <map>

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
    // A schedule whose groups 工作 (one task, 交材料) and 家务 (none) are both shown in the
    // tree, 工作 chosen.
    struct TwoGroups {
        std::unique_ptr<CSmsApp> app;
        CMainFrame* frame = nullptr;
        CCalendarManagerWnd* page = nullptr;
        CScheduleTreeView* tree = nullptr;
        CScheduleDoc* doc = nullptr;
        CScheduleGroup* work = nullptr;
        CScheduleGroup* home = nullptr;
        CTaskListView* list = nullptr;
    };
    TwoGroups StartWithTwoGroups() {
        TwoGroups t;
        const CString path = WriteSchedule("两组.sch");
        {
            CScheduleDoc doc;
            if (!doc.OnOpenDocument(path))
                return t;
            doc.GetRootGroup().AddSubgroup(new CScheduleGroup("家务"));
            if (!doc.OnSaveDocument(path))
                return t;
        }
        t.app = StartProgram({path});
        if (!t.app)
            return t;
        t.frame = t.app->GetMainFrame();
        t.page = calendar.GetPage();
        t.tree = t.page != nullptr ? t.page->GetScheduleTree() : nullptr;
        if (t.tree == nullptr || t.tree->GetFileCount() != 1)
            return t;
        t.doc = t.tree->GetScheduleDoc(0);
        t.work = dynamic_cast<CScheduleGroup*>(t.doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
        t.home = dynamic_cast<CScheduleGroup*>(t.doc->GetRootGroup().FindByName("家务", TRUE, FALSE, TRUE));
        if (t.work == nullptr || t.home == nullptr)
            return t;
        t.tree->GetTreeCtrl().Expand(t.tree->GetFileAt(0)->hItem, TVE_EXPAND);
        t.tree->SelectGroup(t.work);
        t.list = ShownList(t.frame);
        return t;
    }
    static CPoint ItemPoint(CTreeCtrl& tree, HTREEITEM h) {
        CRect rc;
        EXPECT_TRUE(tree.GetItemRect(h, &rc, TRUE));
        return rc.CenterPoint();
    }
    // A row of the task list dragged with the mouse onto a tree item and let go there (with
    // the modifiers held at the release); during the drag, before the release, `over` runs.
    static void DragRowOnto(CTaskListView* list, HTREEITEM hRow, CTreeCtrl& tree, HTREEITEM hTarget,
                            Qt::KeyboardModifiers mods, const std::function<void()>& over = nullptr) {
        QWidget* w = list->Tree().GetWidget();
        const CPoint from = ItemPoint(list->Tree(), hRow);
        CPoint to = ItemPoint(tree, hTarget);
        tree.ClientToScreen(&to);
        list->Tree().ScreenToClient(&to);
        Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        Mouse(w, QEvent::MouseMove, from + CPoint(12, 12), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        EXPECT_TRUE(list->GetColumnTreeCtrl()->m_dragHelper.IsDragging()) << "the drag began";
        Mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, mods);
        if (over)
            over();
        Mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
    }
    // The calendar page chosen with its key.
    CCalendarManagerWnd* KeyCalendarPage(CMainFrame* frame) {
        frame->SetFocus();
        Key(frame, Qt::Key_4, Qt::ControlModifier);
        return calendar.GetPage();
    }
    // A click on the button of one of the page's folders.
    static void ClickFolder(CCalendarManagerWnd* page, int folder) {
        CRect button;
        ASSERT_TRUE(page->GetButtonRect(folder, button));
        ClickAt(page, button.CenterPoint());
        ASSERT_EQ(page->GetSelFolder(), folder);
    }
    static CTaskListView* ShownList(CMainFrame* frame) {
        auto* window = dynamic_cast<CScheduleFrame*>(frame->GetRightPane()->GetCurrentWnd());
        return window != nullptr ? window->GetTaskList() : nullptr;
    }
    // The sheet takes the title and OK.
    void AnswerSheetWithTitle(const char* title) {
        onDialog = [title = std::string(title)](CDialog& d) {
            auto* s = dynamic_cast<CSheetEvent*>(&d);
            if (s == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            s->GetGeneralPage().SetDlgItemText(CPageEventGeneral::IDC_TITLE, title.c_str());
            s->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
    }
    // The calendar window shown through the "万年历" folder button, painted once.
    static CCalendarPane* ShowGrid(CMainFrame* frame, CCalendarManagerWnd* page) {
        CRect button;
        EXPECT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderInfo, button));
        ClickAt(page, button.CenterPoint());
        auto* window = dynamic_cast<CCalendarFrame*>(frame->GetRightPane()->GetCurrentWnd());
        if (window == nullptr)
            return nullptr;
        window->GetPane()->GetWidget()->grab();
        return window->GetPane();
    }
    static CKovCalendarCell& CellOf(CCalendarPane* pane, int day) {
        int row = 0, column = 0;
        EXPECT_TRUE(pane->GetCellOfDay(day, row, column));
        return pane->GetCell(row * 7 + column);
    }
    // Where a click lands on the day's entry of the task titled so (the first entry when no
    // title is given), the grid painted afresh first.
    static CPoint EntryPoint(CCalendarPane* pane, int day, const char* title = nullptr) {
        pane->GetWidget()->grab();
        CKovCalendarCell& cell = CellOf(pane, day);
        for (POSITION pos = cell.items.GetHeadPosition(); pos != nullptr;) {
            const CKovCalendarCellItem& item = cell.items.GetNext(pos);
            if (title == nullptr || calendar_test::Text(item.m_strText) == title)
                return CRect(item.m_rect).CenterPoint();
        }
        ADD_FAILURE() << "no entry " << (title != nullptr ? title : "") << " on day " << day;
        return CPoint();
    }
    // Where a click lands on the day information's line of the task titled so, the window
    // refreshed and painted first.
    static CPoint LinePoint(CCalendarInfoWnd* info, const char* title) {
        info->Refresh();
        info->GetWidget()->grab();
        for (const auto& section : info->GetSections())
            for (CKovCalendarCellItem* item : section.items)
                if (calendar_test::Text(item->m_strText) == title)
                    return CRect(item->m_rect).CenterPoint() - info->GetScrollPosition();
        ADD_FAILURE() << "no line " << title;
        return CPoint();
    }
    // The right button pressed and let go, then (as the desktop follows a right click) the
    // context-menu event; a tree shows its menu on the press itself.
    static void RightClick(QWidget* w, CPoint at, bool contextEvent) {
        QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, QPoint(at.x, at.y));
        Pump();
        if (contextEvent) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(at.x, at.y),
                                   w->mapToGlobal(QPoint(at.x, at.y)));
            QApplication::sendEvent(w, &menu);
            Pump();
        }
    }
    // A mouse event where the pointer is: to the deepest widget there, as the desktop sends it
    // (the press, then moves and the release go to the widget the press went to).
    static void Mouse(QWidget* w, QEvent::Type type, CPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers mods) {
        static QPointer<QWidget> pressed;
        QPoint p(at.x, at.y);
        QWidget* target = w;
        if (type == QEvent::MouseButtonPress || pressed.isNull()) {
            while (QWidget* child = target->childAt(target->mapFrom(w, p)))
                target = child;
            pressed = target;
        } else {
            target = pressed;
        }
        const QPointF local = target->mapFrom(w, p);

        QMouseEvent e(type, local, target->mapToGlobal(local), button, held, mods);
        QApplication::sendEvent(target, &e);
        if (type == QEvent::MouseButtonRelease)
            pressed = nullptr;
        Pump();
    }
    // A right click at the point whose context menu picks the command; the states the menu
    // showed for the commands asked about are kept.
    std::map<UINT, UINT> RightClickPick(CWnd* w, CPoint at, UINT pick, std::vector<UINT> asked = {}) {
        std::map<UINT, UINT> states;
        asked.push_back(pick);
        PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
            for (UINT id : asked)
                states[id] = CMenu::FromHandle(hMenu)->GetMenuState(id, MF_BYCOMMAND);
            return pick;
        });
        RightClick(w->GetWidget(), at, dynamic_cast<CTreeCtrl*>(w) == nullptr);
        AfxSetPopupMenuHook(old);
        EXPECT_EQ(states.count(pick), 1u) << "no context menu came";
        return states;
    }
    // The empty group 家务 clicked in the tree: its list, or null when it is not shown.
    CTaskListView* ShowEmptyHome(TwoGroups& t) {
        if (t.list == nullptr)
            return nullptr;
        CTreeCtrl& treeCtrl = t.tree->GetTreeCtrl();
        ClickAt(&treeCtrl, ItemPoint(treeCtrl, (HTREEITEM)t.home->GetTreeItem()));
        CTaskListView* list = ShownList(t.frame);
        if (list == nullptr || list->GetCurrentGroup() != t.home || !Listed(list).empty())
            return nullptr;
        return list;
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
    // The notice at the bottom right, as it shows once it has slid in.
    CPromptInfoWnd* notice = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<CPromptInfoWnd*>(CWnd::FromWidget(w)); p != nullptr && w->isVisible())
            notice = p;
    ASSERT_NE(notice, nullptr);
    EXPECT_NE(calendar_test::Text(notice->GetText()).find("交周报"), std::string::npos);
    for (int i = 0; i < 500 && (notice->GetRunningTimers() & CPromptInfoWnd::TIMER_SLIDE_IN); ++i)
        notice->SendMessage(WM_TIMER, CPromptInfoWnd::TIMER_SLIDE_IN);
    EXPECT_TRUE(notice->GetWidget()->grab().save(ScreenPath("schedule-reminder-prompt").c_str()));
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

TEST_F(ScheduleProgramTest, TheGridsMenuActsOnTheTaskUnderTheMouse) {
    const CString path = WriteSchedule("材料.sch");
    auto app = StartProgram({path});
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CCalendarManagerWnd* page = calendar.GetPage();
    ASSERT_NE(page, nullptr);
    CScheduleTreeView* tree = page->GetScheduleTree();
    CScheduleDoc* doc = tree->GetScheduleDoc(0);
    ASSERT_NE(doc, nullptr);
    auto* work = dynamic_cast<CScheduleGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    CTask* task = static_cast<CTask*>(work->GetTaskHolder().GetHead());
    CCalendarPane* pane = ShowGrid(frame, page);
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(doc->IsModified());

    // An empty day offers only a new task.
    pane->GetWidget()->grab();
    auto states = RightClickPick(pane, CPoint(pane->GetCellRect(3, 3).CenterPoint()), 0,
                                 {1573, 1574, 1576, 1577, 1578, 311});
    EXPECT_FALSE(states[1573] & MF_GRAYED);
    for (UINT id : {1574u, 1576u, 1577u, 1578u, 311u})
        EXPECT_TRUE(states[id] & MF_GRAYED) << id;

    // 已完成 on the task's entry: the state that was checked, the new one stored and shown.
    states = RightClickPick(pane, EntryPoint(pane, 15), 1580, {1578});
    EXPECT_TRUE(states[1578] & MF_CHECKED) << "未开始 is the task's state";
    EXPECT_FALSE(states[1580] & (MF_GRAYED | MF_CHECKED));
    EXPECT_EQ(task->GetEvent()->m_base.m_nState, 2);
    EXPECT_TRUE(doc->IsModified());
    pane->GetWidget()->grab();
    ASSERT_EQ(CellOf(pane, 15).items.GetCount(), 1);
    EXPECT_EQ(CellOf(pane, 15).items.GetHead().m_nAltIcon, 1) << "drawn as done";

    // 新建子任务: the sheet's task goes under it, on the selected day.
    AnswerSheetWithTitle("复印材料");
    RightClickPick(pane, EntryPoint(pane, 15), 1574);
    ASSERT_EQ(task->GetSubgroupCount(), 1);
    auto* sub = static_cast<CTask*>(task->GetHead());
    EXPECT_EQ(calendar_test::Text(sub->GetEvent()->GetTitle()), "复印材料");
    EXPECT_EQ(sub->GetEvent()->m_base.m_start.m_date, CDate(2024, 3, 15));

    // 修改: the sheet edits it; the entry shows the new title.
    AnswerSheetWithTitle("交材料两份");
    RightClickPick(pane, EntryPoint(pane, 15, "交材料"), 1577);
    EXPECT_EQ(calendar_test::Text(task->GetEvent()->GetTitle()), "交材料两份");
    pane->GetWidget()->grab();
    bool shown = false;
    for (POSITION pos = CellOf(pane, 15).items.GetHeadPosition(); pos != nullptr;)
        shown = shown || calendar_test::Text(CellOf(pane, 15).items.GetNext(pos).m_strText) == "交材料两份";
    EXPECT_TRUE(shown);
    onDialog = nullptr;

    // 转到高级管理界面: the schedule folder, its tree focused, the task's group and row.
    RightClickPick(pane, EntryPoint(pane, 15, "交材料两份"), 1576);
    EXPECT_EQ(page->GetSelFolder(), CCalendarManagerWnd::FolderSchedules);
    EXPECT_EQ(CWnd::GetFocus(), &tree->GetTreeCtrl());
    EXPECT_EQ(tree->GetCurrentGroup(), work);
    CTaskListView* list = ShownList(frame);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetFocusedTask(), task);

    // The day information passes a command it has no entry for on to the grid: the grid's
    // highlighted entry becomes 暂停 from the main window's menu route.
    pane = ShowGrid(frame, page);
    ASSERT_NE(pane, nullptr);
    ClickAt(pane, EntryPoint(pane, 15, "交材料两份"));
    ASSERT_NE(pane->GetHighlightedItem(), nullptr);
    CCalendarInfoWnd* info = page->GetInfoWnd();
    ASSERT_EQ(info->GetHighlightedItem(), nullptr);
    frame->SendMessage(WM_COMMAND, 1581);
    Pump();
    EXPECT_EQ(task->GetEvent()->m_base.m_nState, 3);

    // 删除 on the day information's line: the task and its sub-task go, with every entry
    // shown for them.
    RightClickPick(info, LinePoint(info, "交材料两份"), 311);
    EXPECT_EQ(work->GetTaskHolder().GetSubgroupCount(), 0);
    EXPECT_EQ(info->GetHighlightedItem(), nullptr);
    EXPECT_EQ(pane->GetHighlightedItem(), nullptr);
    pane->GetWidget()->grab();
    info->GetWidget()->grab();
    EXPECT_EQ(CellOf(pane, 15).items.GetCount(), 0);
    for (const auto& section : info->GetSections())
        EXPECT_NE(calendar_test::Text(section.strTitle), "任务");
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

// A task deleted on the 万年历 page, from the grid's menu or the day information's, leaves its
// file modified, and the main window's caption says so there and when the page is chosen again.
TEST_F(ScheduleProgramTest, ADeleteOnTheCalendarPageMarksTheCaptionModified) {
    for (bool fromInfo : {false, true}) {
        SCOPED_TRACE(fromInfo ? "day information" : "grid");
        const CString path = WriteSchedule(fromInfo ? "信息.sch" : "月历.sch");
        auto app = StartProgram({path});
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        CCalendarManagerWnd* page = calendar.GetPage();
        ASSERT_NE(page, nullptr);
        CScheduleDoc* doc = page->GetScheduleTree()->GetScheduleDoc(0);
        ASSERT_NE(doc, nullptr);
        CCalendarPane* pane = ShowGrid(frame, page);
        ASSERT_NE(pane, nullptr);
        auto caption = [&] {
            CString title;
            frame->GetWindowText(title);
            return calendar_test::Text(title);
        };
        EXPECT_EQ(caption(), "墨川 - 万年历");
        EXPECT_FALSE(doc->IsModified());

        if (fromInfo)
            RightClickPick(page->GetInfoWnd(), LinePoint(page->GetInfoWnd(), "交材料"), 311);
        else
            RightClickPick(pane, EntryPoint(pane, 15), 311);
        auto* work = dynamic_cast<CScheduleGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
        ASSERT_NE(work, nullptr);
        EXPECT_EQ(work->GetTaskHolder().GetSubgroupCount(), 0);
        EXPECT_TRUE(doc->IsModified());
        EXPECT_EQ(caption(), "墨川 - 万年历（已修改）");

        // Over to the schedule folder and back: the mark stays while the file is unsaved.
        CRect button;
        ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderSchedules, button));
        ClickAt(page, button.CenterPoint());
        ASSERT_NE(ShowGrid(frame, page), nullptr);
        EXPECT_EQ(caption(), "墨川 - 万年历（已修改）");
        answers = {IDNO};
        EXPECT_TRUE(ExitProgram(*app));
    }
}

// The main window's caption names the schedule folder as soon as the folder is chosen.
TEST_F(ScheduleProgramTest, ANewTaskFromTheGridGoesIntoTheTreesGroupOrAsksForOne) {
    auto app = StartProgram();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CCalendarManagerWnd* page = KeyCalendarPage(frame);
    ASSERT_NE(page, nullptr);
    CCalendarPane* pane = ShowGrid(frame, page);
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(pane->SelectDate(2024, 3, 20));
    int row = 0, column = 0;
    ASSERT_TRUE(pane->GetCellOfDay(20, row, column));
    const CPoint day20 = pane->GetCellRect(row, column).CenterPoint();

    // No group chosen anywhere: the question; No stays, Yes goes to the schedule folder.
    onDialog = [](CDialog& d) {
        ADD_FAILURE() << "no sheet without a group";
        d.EndDialog(IDCANCEL);
    };
    answers = {IDNO};
    RightClickPick(pane, day20, 1573);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(calendar_test::Text(shown[0].text).find("当前没有选定的日程组"), std::string::npos);
    EXPECT_EQ(page->GetSelFolder(), CCalendarManagerWnd::FolderInfo);
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(calendar_test::Text(title), "墨川 - 万年历");
    answers = {IDYES};
    RightClickPick(pane, day20, 1573);
    EXPECT_EQ(page->GetSelFolder(), CCalendarManagerWnd::FolderSchedules);
    frame->GetWindowText(title);
    EXPECT_EQ(calendar_test::Text(title), "墨川 - 任务日程") << "no tree item chosen yet";
    EXPECT_EQ(ShownList(frame), page->GetTaskList());
    EXPECT_NE(ShownList(frame), nullptr);

    // With the tree's group chosen, the sheet's task goes there, dated on the grid's day.
    const CString path = WriteSchedule("材料.sch");
    ASSERT_NE(frame->OpenFileByExtension(path), nullptr);
    CScheduleTreeView* tree = page->GetScheduleTree();
    CScheduleDoc* doc = tree->GetScheduleDoc(0);
    auto* work = dynamic_cast<CScheduleGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    ASSERT_TRUE(tree->SelectGroup(work));
    pane = ShowGrid(frame, page);
    ASSERT_NE(pane, nullptr);
    ClickAt(pane, day20);
    AnswerSheetWithTitle("新会议");
    RightClickPick(pane, day20, 1573);
    onDialog = nullptr;
    ASSERT_EQ(work->GetTaskHolder().GetSubgroupCount(), 2);
    CTask* made = nullptr;
    for (POSITION pos = work->GetTaskHolder().GetHeadPosition(); pos != nullptr;) {
        auto* t = static_cast<CTask*>(work->GetTaskHolder().GetNext(pos));
        if (calendar_test::Text(t->GetEvent()->GetTitle()) == "新会议")
            made = t;
    }
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetEvent()->m_base.m_start.m_date, CDate(2024, 3, 20));
    EXPECT_TRUE(doc->IsModified());
    pane->GetWidget()->grab();
    ASSERT_EQ(CellOf(pane, 20).items.GetCount(), 1);
    EXPECT_EQ(calendar_test::Text(CellOf(pane, 20).items.GetHead().m_strText), "新会议");
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

TEST_F(ScheduleProgramTest, TasksDragFromTheListOntoTheTreesGroups) {
    TwoGroups t = StartWithTwoGroups();
    ASSERT_NE(t.list, nullptr);
    CTreeCtrl& tree = t.tree->GetTreeCtrl();
    const HTREEITEM workItem = (HTREEITEM)t.work->GetTreeItem();
    const HTREEITEM homeItem = (HTREEITEM)t.home->GetTreeItem();
    ASSERT_EQ(Listed(t.list), std::vector<std::string>{"交材料"});
    CTask* task = t.list->GetItemTask(t.list->Tree().GetRootItem());

    // Onto its own group: refused, nothing changes.
    DragRowOnto(t.list, t.list->Tree().GetRootItem(), tree, workItem, Qt::NoModifier);
    EXPECT_EQ(t.work->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_FALSE(t.doc->IsModified());
    // With Ctrl onto its own group: a copy there.
    DragRowOnto(t.list, t.list->Tree().GetRootItem(), tree, workItem, Qt::ControlModifier);
    ASSERT_EQ(t.work->GetTaskHolder().GetSubgroupCount(), 2);
    EXPECT_EQ(Listed(t.list), (std::vector<std::string>{"交材料", "交材料"}));
    EXPECT_TRUE(t.doc->IsModified());

    // The original onto 家务: it moves; the tree item lights up under the pointer meanwhile.
    HTREEITEM hRow = t.list->FindItem(task);
    ASSERT_NE(hRow, nullptr);
    DragRowOnto(t.list, hRow, tree, homeItem, Qt::NoModifier, [&] {
        EXPECT_EQ(tree.GetItemState(homeItem, TVIS_DROPHILITED), (UINT)TVIS_DROPHILITED);
        ASSERT_TRUE(t.frame->SaveScreenshot(ScreenPath("schedule-drag-over-tree").c_str()));
    });
    EXPECT_EQ(t.work->GetTaskHolder().GetSubgroupCount(), 1);
    ASSERT_EQ(t.home->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(t.home->GetTaskHolder().GetHead(), task);
    EXPECT_EQ(t.list->FindItem(task), nullptr);
    EXPECT_EQ(Listed(t.list), std::vector<std::string>{"交材料"});
    // Filed in the document under its new group: choosing 家务 lists it.
    ASSERT_TRUE(t.tree->SelectGroup(t.home));
    EXPECT_EQ(t.list->FindItem(task) != nullptr, true);
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

TEST_F(ScheduleProgramTest, TheTreesContextMenuFollowsTheClickedItem) {
    TwoGroups t = StartWithTwoGroups();
    ASSERT_NE(t.list, nullptr);
    CTreeCtrl& tree = t.tree->GetTreeCtrl();
    // The first command of each item's menu: the top item's, a file's, a group's.
    std::vector<UINT> first;
    QImage groupMenu;
    PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* pOwner, POINT, UINT) -> UINT {
        first.push_back(CMenu::FromHandle(hMenu)->GetMenuItemID(0));
        if (first.size() == 3)
            groupMenu = AfxRenderPopupMenu(hMenu, pOwner, 0);
        return 0u;
    });
    for (HTREEITEM h : {t.tree->GetTopItem(), t.tree->GetFileAt(0)->hItem, (HTREEITEM)t.home->GetTreeItem()}) {
        const CPoint at = ItemPoint(tree, h);
        QTest::mouseClick(tree.GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(at.x, at.y));
        Pump();
    }
    AfxSetPopupMenuHook(old);
    EXPECT_EQ(first, (std::vector<UINT>{57600, 450, 450}));
    ASSERT_FALSE(groupMenu.isNull());
    EXPECT_TRUE(groupMenu.save(ScreenPath("schedule-tree-menu").c_str()));
    EXPECT_EQ(t.tree->GetCurrentGroup(), t.home) << "the right click chose the group";

    // 新建页 from the group's menu: the sheet's task goes into that group and the list.
    AnswerSheetWithTitle("买菜");
    RightClickPick(&tree, ItemPoint(tree, (HTREEITEM)t.home->GetTreeItem()), 450);
    onDialog = nullptr;
    ASSERT_EQ(t.home->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(Listed(t.list), std::vector<std::string>{"买菜"});
    EXPECT_TRUE(t.doc->IsModified());

    // The list's own menu, as it shows over a row.
    t.list->Tree().CTreeCtrl::SelectItem(t.list->Tree().GetRootItem());
    QImage listMenu;
    old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* pOwner, POINT, UINT) -> UINT {
        listMenu = AfxRenderPopupMenu(hMenu, pOwner, 0);
        return 0u;
    });
    RightClick(t.list->Tree().GetWidget(), ItemPoint(t.list->Tree(), t.list->Tree().GetRootItem()), false);
    AfxSetPopupMenuHook(old);
    ASSERT_FALSE(listMenu.isNull());
    EXPECT_TRUE(listMenu.save(ScreenPath("schedule-task-list-menu").c_str()));
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

TEST_F(ScheduleProgramTest, TheTaskListsToolBarRunsTheListsCommands) {
    TwoGroups t = StartWithTwoGroups();
    ASSERT_NE(t.list, nullptr);
    auto* window = dynamic_cast<CScheduleFrame*>(t.frame->GetRightPane()->GetCurrentWnd());
    ASSERT_NE(window, nullptr);
    CToolBar& bar = window->GetToolBar();
    ASSERT_EQ(bar.GetCount(), 8);
    const UINT order[] = {484, 1575, 1623, 1624, 1622, 0, 1573, 1574};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bar.GetItemID(i), order[i]) << i;
    auto click = [&](UINT id) {
        CRect rc;
        bar.GetItemRect(bar.CommandToIndex(id), &rc);
        QTest::mouseClick(bar.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
    };
    click(1623);
    EXPECT_EQ(t.list->GetViewMode(), CTaskListView::ModeWeek);
    bar.OnUpdateCmdUI(window, FALSE);
    EXPECT_TRUE(bar.GetToolBarCtrl().IsButtonChecked(1623));
    EXPECT_FALSE(bar.GetToolBarCtrl().IsButtonChecked(1624));
    click(484);
    EXPECT_TRUE(t.list->IsAllLevels());
    // The filter button opens the filter dialog.
    int filters = 0;
    onDialog = [&](CDialog& d) {
        filters += dynamic_cast<CDlgTaskFilter*>(&d) != nullptr;
        d.EndDialog(IDCANCEL);
    };
    click(1622);
    onDialog = nullptr;
    EXPECT_EQ(filters, 1);
    // 新建任务 makes a task in the chosen group.
    AnswerSheetWithTitle("整理文件");
    click(1573);
    onDialog = nullptr;
    EXPECT_EQ(t.work->GetTaskHolder().GetSubgroupCount(), 2);
    ASSERT_TRUE(t.frame->SaveScreenshot(ScreenPath("schedule-task-list-toolbar").c_str()));
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

// Closing the file and opening it again: a click on a day of the month grid over the tree
// reaches the list that is shown, which lists the group's task.
TEST_F(ScheduleProgramTest, AScheduleClosedAndOpenedAgainListsItsGroupWhenTheGridIsClicked) {
    TwoGroups t = StartWithTwoGroups();
    ASSERT_NE(t.list, nullptr);
    const CString path = t.doc->GetPathName();
    CTreeCtrl& treeCtrl = t.tree->GetTreeCtrl();
    ASSERT_EQ(Listed(t.list), std::vector<std::string>{"交材料"});

    ClickAt(&treeCtrl, ItemPoint(treeCtrl, t.tree->GetFileAt(0)->hItem));
    t.tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_CLOSE);
    Pump();
    ASSERT_EQ(t.tree->GetFileCount(), 0);

    AnswerFile(path);
    t.tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_OPEN);
    Pump();
    onDialog = nullptr;
    ASSERT_EQ(t.tree->GetFileCount(), 1);
    CScheduleDoc* doc = t.tree->GetScheduleDoc(0);
    auto* work = dynamic_cast<CScheduleGroup*>(doc->GetRootGroup().FindByName("工作", TRUE, FALSE, TRUE));
    ASSERT_NE(work, nullptr);
    treeCtrl.Expand(t.tree->GetFileAt(0)->hItem, TVE_EXPAND);
    ClickAt(&treeCtrl, ItemPoint(treeCtrl, (HTREEITEM)work->GetTreeItem()));
    ASSERT_EQ(t.tree->GetCurrentGroup(), work);
    CTaskListView* list = ShownList(t.frame);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCurrentGroup(), work);
    EXPECT_EQ(Listed(list), std::vector<std::string>{"交材料"});

    // The month grid over the tree: its 15th clicked, then again with the list following
    // the grid's day.
    CScheduleMonthCalendarWnd* month = t.page->GetNavigator()->GetMonthCalendar();
    ASSERT_NE(month, nullptr);
    month->GetWidget()->grab();
    int row = 0, column = 0;
    ASSERT_TRUE(month->GetCellOfDay(15, row, column));
    ClickAt(month, month->GetCellRect(row, column).CenterPoint());
    list->SetViewMode(CTaskListView::ModeDay);
    ClickAt(month, month->GetCellRect(row, column).CenterPoint());
    ASSERT_EQ(ShownList(t.frame), list);
    EXPECT_EQ(Listed(list), std::vector<std::string>{"交材料"});
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

// 新建任务 from the list's menu, the sheet confirmed with no title typed: the task is
// labelled 新任务 in the list, and the row it sits on is highlighted across every column.
TEST_F(ScheduleProgramTest, ANewTaskLeftWithoutATitleIsLabelledAndItsRowHighlighted) {
    TwoGroups t = StartWithTwoGroups();
    CTaskListView* list = ShowEmptyHome(t);
    ASSERT_NE(list, nullptr);

    int sheets = 0;
    bool confirmed = false;
    onDialog = [&](CDialog& d) {
        auto* sheet = dynamic_cast<CSheetEvent*>(&d);
        if (sheet == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        ++sheets;
        // The title left empty, OK clicked.
        CWnd* ok = d.GetDlgItem(IDOK);
        ASSERT_NE(ok, nullptr);
        QTest::mouseClick(ok->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          ok->GetWidget()->rect().center());
        Pump();
        confirmed = sheet->WasAccepted() != FALSE;
        if (!confirmed)
            d.EndDialog(IDCANCEL);
    };
    list->Tree().GetWidget()->grab();
    RightClickPick(&list->Tree(), CPoint(40, list->Tree().GetWidget()->height() - 10), 1573);
    onDialog = nullptr;
    EXPECT_EQ(sheets, 1);
    ASSERT_TRUE(confirmed);
    ASSERT_EQ(t.home->GetTaskHolder().GetSubgroupCount(), 1);
    EXPECT_EQ(Listed(list), std::vector<std::string>{"新任务"});
    HTREEITEM row = list->Tree().GetRootItem();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(list->Tree().GetSelectedItem(), row);
    EXPECT_TRUE(t.doc->IsModified());

    // The selected row is painted in the selection colour from the left edge to the last column.
    list->Tree().SetFocus();
    Pump();
    const QImage shot = list->Tree().GetWidget()->grab().toImage();
    CRect rc;
    ASSERT_TRUE(list->Tree().GetItemRect(row, &rc, FALSE));
    const QColor selection = QColor::fromRgb(GetRValue(GetSysColor(COLOR_HIGHLIGHT)),
                                             GetGValue(GetSysColor(COLOR_HIGHLIGHT)),
                                             GetBValue(GetSysColor(COLOR_HIGHLIGHT)));
    const int y = rc.CenterPoint().y;
    // Past the title's text, and at the start of every other column in view.
    std::vector<int> xs{list->GetColumnTreeCtrl()->GetColumnWidth(0) - 20};
    for (int c = 1, left = 0; c <= CTaskListView::ColEnd; ++c) {
        left += list->GetColumnTreeCtrl()->GetColumnWidth(c - 1);
        if (left + 4 < shot.width() - 20)
            xs.push_back(left + 4);
    }
    ASSERT_GE(xs.size(), 3u);
    for (int x : xs)
        EXPECT_EQ(shot.pixelColor(x, y).name().toStdString(), selection.name().toStdString()) << x;
    ASSERT_TRUE(t.frame->SaveScreenshot(ScreenPath("schedule-new-task-label").c_str()));
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

// The event sheet from the keyboard alone: the title typed and Enter confirms the sheet as its
// 确定 does; Escape in a second sheet cancels it and adds nothing.
TEST_F(ScheduleProgramTest, EnterAndEscapeInTheEventSheetsPagesEndTheSheet) {
    TwoGroups t = StartWithTwoGroups();
    CTaskListView* list = ShowEmptyHome(t);
    ASSERT_NE(list, nullptr);

    struct Case {
        Qt::Key key;
        bool accepted;
        std::vector<std::string> listed;
    };
    const Case cases[] = {{Qt::Key_Return, true, {"weekly"}}, {Qt::Key_Escape, false, {"weekly"}}};
    for (const Case& c : cases) {
        bool accepted = false;
        bool stayedOpen = false;
        onDialog = [&](CDialog& d) {
            auto* sheet = dynamic_cast<CSheetEvent*>(&d);
            if (sheet == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            CWnd* title = sheet->GetGeneralPage().GetDlgItem(CPageEventGeneral::IDC_TITLE);
            ASSERT_NE(title, nullptr);
            title->SetFocus();
            Pump();
            QTest::keyClicks(title->GetWidget(), c.key == Qt::Key_Return ? "weekly" : "dropped");
            Key(title, c.key);
            accepted = sheet->WasAccepted() != FALSE;
            // A sheet the key left open is ended here, so that the test goes on to report it.
            // (The timer goes with the sheet's window when the key ended it.)
            QTimer::singleShot(2000, d.GetWidget(), [&d, &stayedOpen] {
                stayedOpen = true;
                d.EndDialog(IDCANCEL);
            });
        };
        RightClickPick(&list->Tree(), CPoint(40, list->Tree().GetWidget()->height() - 10), 1573);
        Pump();
        onDialog = nullptr;
        EXPECT_EQ(accepted, c.accepted) << c.key;
        EXPECT_FALSE(stayedOpen) << c.key;
        EXPECT_EQ(Listed(list), c.listed) << c.key;
    }
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

// The reminder's two modes, clicked in turn in the sheet: each click leaves only its own radio
// button checked, and the task is reminded in the mode chosen last.
TEST_F(ScheduleProgramTest, TheReminderModesAreOneChoice) {
    TwoGroups t = StartWithTwoGroups();
    CTaskListView* list = ShowEmptyHome(t);
    ASSERT_NE(list, nullptr);
    std::vector<std::pair<bool, bool>> seen;
    onDialog = [&](CDialog& d) {
        auto* sheet = dynamic_cast<CSheetEvent*>(&d);
        if (sheet == nullptr) {
            d.EndDialog(IDCANCEL);
            return;
        }
        sheet->SelectPage(CSheetEvent::PageRemind);
        CPageEventRemind& r = sheet->GetRemindPage();
        ClickBox(r, CPageEventRemind::IDC_ENABLED);
        for (UINT id : {CPageEventRemind::IDC_FIXED, CPageEventRemind::IDC_ADVANCE}) {
            ClickBox(r, id);
            seen.emplace_back(r.IsDlgButtonChecked(CPageEventRemind::IDC_ADVANCE) == BST_CHECKED,
                              r.IsDlgButtonChecked(CPageEventRemind::IDC_FIXED) == BST_CHECKED);
        }
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Pump();
        if (!sheet->WasAccepted())
            d.EndDialog(IDCANCEL);
    };
    RightClickPick(&list->Tree(), CPoint(40, list->Tree().GetWidget()->height() - 10), 1573);
    onDialog = nullptr;
    const std::vector<std::pair<bool, bool>> expected{{false, true}, {true, false}};
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(t.home->GetTaskHolder().GetSubgroupCount(), 1);
    const _CEvent* event = static_cast<CTask*>(t.home->GetTaskHolder().GetHead())->GetEvent();
    EXPECT_TRUE(event->m_remind.m_bEnabled);
    EXPECT_EQ(event->m_remind.m_nMode, CEventRemindInfo::MODE_ADVANCE);
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*t.app));
}

} // namespace

// A new user's first steps: the top item chosen (no list on the right), a new file, then 新建页 on the file: the page's task is listed at once, and 新建任务 in the
// list puts a second one beside it.
TEST_F(ScheduleProgramTest, ATaskPageMadeInANewFileIsListedAtOnce) {
    auto app = StartProgram();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CCalendarManagerWnd* page = calendar.GetPage();
    ASSERT_NE(page, nullptr);
    CRect button;
    ASSERT_TRUE(page->GetButtonRect(CCalendarManagerWnd::FolderSchedules, button));
    ClickAt(page, button.CenterPoint());
    CScheduleTreeView* tree = page->GetScheduleTree();
    ASSERT_NE(tree, nullptr);
    CTreeCtrl& treeCtrl = tree->GetTreeCtrl();
    ClickAt(&treeCtrl, ItemPoint(treeCtrl, tree->GetTopItem()));
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_NEW);
    Pump();
    TypeLabel(tree, nullptr);
    ASSERT_EQ(tree->GetFileCount(), 1);
    CScheduleDoc* doc = tree->GetScheduleDoc(0);
    ASSERT_NE(doc, nullptr);

    AnswerSheetWithTitle("开会");
    tree->SetFocus();
    tree->SendMessage(WM_COMMAND, CScheduleTreeView::ID_NEW_TASK_PAGE);
    Pump();
    ASSERT_EQ(doc->GetRootGroup().GetTaskHolder().GetSubgroupCount(), 1);
    CTaskListView* list = ShownList(frame);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCurrentGroup(), &doc->GetRootGroup());
    EXPECT_EQ(Listed(list), std::vector<std::string>{"开会"});

    AnswerSheetWithTitle("买菜");
    list->SendMessage(WM_COMMAND, CTaskListView::ID_NEW_TASK);
    Pump();
    onDialog = nullptr;
    EXPECT_EQ(doc->GetRootGroup().GetTaskHolder().GetSubgroupCount(), 2);
    EXPECT_EQ(Listed(list), (std::vector<std::string>{"开会", "买菜"}));
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}

// Leaving the schedules, for the day information or for another page of the main window, has the
// main window put its panes back where its splitter's columns are.
TEST_F(ScheduleProgramTest, LeavingTheSchedulesLaysTheMainWindowsPanesOutAgain) {
    auto app = StartProgram();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    CCalendarManagerWnd* page = KeyCalendarPage(frame);
    ASSERT_NE(page, nullptr);
    ClickFolder(page, CCalendarManagerWnd::FolderSchedules);
    CWnd* pane = frame->GetRightPane();
    CWnd* splitter = pane->GetParent();
    const CRect placed = RectIn(pane, splitter);
    // The right pane moved off its column, as a layout left behind.
    auto displace = [&] {
        pane->MoveWindow(placed.left, placed.top, placed.Width() - 80, placed.Height() - 60);
        ASSERT_NE(RectIn(pane, splitter), placed);
    };

    displace();
    ClickFolder(page, CCalendarManagerWnd::FolderInfo);
    EXPECT_EQ(RectIn(pane, splitter), placed) << "from the schedules to the day information";

    ClickFolder(page, CCalendarManagerWnd::FolderSchedules);
    displace();
    Key(frame, Qt::Key_1, Qt::ControlModifier); // the address books
    ASSERT_EQ(frame->GetOutbar()->GetSelFolder(), (int)FolderAddressBook);
    EXPECT_EQ(RectIn(pane, splitter), placed) << "from the schedules to another page";
    answers = {IDNO};
    EXPECT_TRUE(ExitProgram(*app));
}
