#include "calendar/module/CalendarManagerWnd.h"
#include "calendar/module/CalendarModule.h"
#include "calendar/tests/CalendarTestSupport.h"
#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/DlgCalendarGoto.h"
#include "contacts/module/tests/ProgramTest.h"
#include "contacts/ui/DlgBirthdayRemind.h"
#include "res/mainframe.h"
#include "shell/RightPaneFrame.h"

#include <QApplication>
#include <QTest>

#include <string>
#include <vector>

namespace {

class CalendarProgramTest : public ContactsProgramTest {
protected:
    CalendarProgramTest() : ContactsProgramTest(IDOK) {}
    CCalendarModule calendar;
    std::vector<std::string> reminded; // rows of each reminder shown, "" between runs
    int lunarDialogs = 0;

    void SetUp() override {
        calendar_test::PinLocal(2024, 3, 15, 9);
        CDate::GetToday(TRUE);
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&calendar);
        onDialog = [this](CDialog& d) {
            if (auto* remind = dynamic_cast<CDlgBirthdayRemind*>(&d)) {
                CListCtrl& list = remind->GetList();
                for (int i = 0; i < list.GetItemCount(); ++i)
                    reminded.push_back(std::string((LPCTSTR)list.GetItemText(i, 0)) + "|" +
                                       (LPCTSTR)list.GetItemText(i, 2));
                reminded.push_back("");
            } else if (dynamic_cast<CDlgCalendarGotoLunarDate*>(&d)) {
                // Lunar 2023, the leap second month, first day.
                ++lunarDialogs;
                d.SetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_YEAR, 2023, FALSE);
                d.SetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_MONTH, 2, FALSE);
                d.SetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_DAY, 1, FALSE);
                d.CheckDlgButton(CDlgCalendarGotoLunarDate::IDC_LEAP, BST_CHECKED);
                d.SendMessage(WM_COMMAND, IDOK);
                return;
            }
            d.EndDialog(IDCANCEL);
        };
    }
    void TearDown() override {
        ContactsProgramTest::TearDown();
        CTime::ResetNowForTesting();
        CDate::GetToday(TRUE);
    }
    // A book whose 王芳 has her birthday in three days.
    CString WriteBirthdayBook() {
        CSmsDoc doc;
        doc.GetRootGroup().SetName("我的通讯录");
        auto* family = new _CGroup("家人");
        doc.GetRootGroup().AddSubgroup(family);
        auto* wang = new _CPerson("王芳");
        wang->GetBirthday().SetBirthday(1990, 3, 18, FALSE, TRUE);
        family->AddContent(wang);
        CString path = (dir.str() + "/birthdays.sms").c_str();
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    static void Key(CWnd* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(w->GetWidget(), key, mods);
        Pump();
    }
};

TEST_F(CalendarProgramTest, AUserWalksFromTheBirthdayReminderThroughTheCalendar) {
    CString book = WriteBirthdayBook();
    auto app = StartProgram({book});
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    // The start-up reminder lists her.
    EXPECT_EQ(reminded, (std::vector<std::string>{"王芳|3天", ""}));

    // Ctrl+4 brings up the calendar.
    frame->SetFocus();
    Key(frame, Qt::Key_4, Qt::ControlModifier);
    ASSERT_EQ(frame->GetOutbar()->GetSelFolder(), FolderCalendar);
    auto* window = dynamic_cast<CCalendarFrame*>(frame->GetRightPane()->GetCurrentWnd());
    ASSERT_NE(window, nullptr);
    CCalendarPane* pane = window->GetPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->GetYear(), 2024);
    EXPECT_EQ(pane->GetMonth(), 3);
    // The keys typed next go to the month grid: Page Down wherever the focus is turns the
    // month, Page Up turns it back.
    ASSERT_EQ(CWnd::GetFocus(), pane);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    Pump();
    EXPECT_EQ(pane->GetMonth(), 4);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    Pump();
    EXPECT_EQ(pane->GetMonth(), 3);
    auto* page = calendar.GetPage();
    ASSERT_NE(page, nullptr);
    CCalendarInfoWnd* info = page->GetInfoWnd();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetCalendar(), pane);

    // Her birthday is on the grid ...
    pane->GetWidget()->grab();
    int row = 0, column = 0;
    ASSERT_TRUE(pane->GetCellOfDay(18, row, column));
    CKovCalendarCell& cell = pane->GetCell(row * 7 + column);
    ASSERT_EQ(cell.items.GetCount(), 1);
    EXPECT_EQ(cell.items.GetHead().m_strText, "王芳");
    EXPECT_EQ(cell.items.GetHead().m_nKind, CKovCalendarCellItem::KIND_BIRTHDAY);
    // ... and, once her day is clicked, in the day information.
    const CPoint at = pane->GetCellRect(row, column).CenterPoint();
    QTest::mouseClick(pane->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x, at.y));
    Pump();
    info->GetWidget()->grab();
    EXPECT_EQ(info->GetShownDate(), CDate(2024, 3, 18));
    const CCalendarInfoWnd::CSection* birthdays = nullptr;
    for (const auto& s : info->GetSections())
        if (s.strTitle == "生日")
            birthdays = &s;
    ASSERT_NE(birthdays, nullptr);
    ASSERT_EQ(birthdays->items.size(), 1u);
    EXPECT_EQ(birthdays->items[0]->m_strText, "王芳");
    ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("calendar-program").c_str()));

    // Page Down shows April; the month box follows.
    Key(pane, Qt::Key_PageDown);
    EXPECT_EQ(pane->GetMonth(), 4);
    EXPECT_EQ(window->GetToolbar().GetMonthBox().GetCurSel(), 3);

    // "2010-3" typed in the year box shows March 2010 once the box is left.
    CYearComboBox& year = window->GetToolbar().GetYearBox();
    year.SetFocus();
    year.SetWindowText("");
    QTest::keyClicks(year.GetWidget(), "2010-3");
    Key(&year, Qt::Key_Return);
    EXPECT_EQ(pane->GetYear(), 2010);
    EXPECT_EQ(pane->GetMonth(), 3);
    EXPECT_EQ(CWnd::GetFocus(), pane);

    // The lunar date dialog with a leap month.
    window->SendMessage(WM_COMMAND, CCalendarPane::ID_GOTO_LUNAR);
    EXPECT_EQ(lunarDialogs, 1);
    CDate selected;
    pane->GetDate(selected);
    EXPECT_EQ(selected, CDate(2023, 3, 22));
    EXPECT_EQ(info->GetShownDate(), CDate(2023, 3, 22));

    // 494 from the address book's tree menu.
    reminded.clear();
    frame->SendMessage(WM_COMMAND, ID_MODULE_ADDRESSBOOK);
    CLeftView* tree = module.GetTree();
    ASSERT_NE(tree, nullptr);
    tree->GetTreeCtrl().SelectItem(tree->GetTreeCtrl().GetRootItem());
    tree->SendMessage(WM_COMMAND, CLeftView::ID_REMIND_BIRTHDAYS);
    EXPECT_EQ(reminded, (std::vector<std::string>{"王芳|3天", ""}));
    ASSERT_TRUE(Exit(*app));
}

TEST_F(CalendarProgramTest, WithTheOptionOffOrNoBookThereIsNoReminderAtStart) {
    {
        auto app = StartProgram();
        ASSERT_TRUE(app);
        EXPECT_TRUE(reminded.empty()) << "no book open";
        ASSERT_TRUE(Exit(*app));
    }
    CString book = WriteBirthdayBook();
    CProfileStore().WriteProfileInt("Namebook", "AutoRemindBirthday", 0);
    auto app = StartProgram({book});
    ASSERT_TRUE(app);
    EXPECT_TRUE(reminded.empty());
    ASSERT_TRUE(Exit(*app));
}

TEST_F(CalendarProgramTest, TheFirstWeekdayOptionRepaintsTheOpenCalendar) {
    auto app = StartProgram();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    frame->SendMessage(WM_COMMAND, ID_MODULE_CALENDAR);
    CCalendarPane* pane = CCalendarPane::GetCurrent();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->GetFirstDayOfWeek(), 0); // the option's default, Sunday
    EXPECT_EQ(pane->m_pExtInfo, frame->GetCalendarExtInfoManager());
    calendar.OnStartWeekDayChanged(1);
    EXPECT_EQ(pane->GetFirstDayOfWeek(), 1);
    // Panes made later still ask the main window's sources.
    EXPECT_EQ(CCalendarPane::GetDefaultExtInfo(), frame->GetCalendarExtInfoManager());
    EXPECT_EQ(CCalendarPane::GetDefaultFirstDayOfWeek(), 1);
    ASSERT_TRUE(Exit(*app));
    EXPECT_EQ(CCalendarPane::GetCurrent(), nullptr);
}

} // namespace
