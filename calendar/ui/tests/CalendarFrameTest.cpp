#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "calendar/ui/DlgCalendarGoto.h"
#include "calendar/ui/tests/CalendarUiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using namespace calendar_ui_test;

namespace {

std::vector<std::string> Titles(const std::vector<CCalendarInfoWnd::CSection>& sections) {
    std::vector<std::string> out;
    for (const auto& s : sections)
        out.push_back((LPCTSTR)s.strTitle);
    return out;
}

std::vector<std::string> Lines(const CCalendarInfoWnd::CSection& s) {
    std::vector<std::string> out;
    for (const CString& l : s.lines)
        out.push_back((LPCTSTR)l);
    for (const CKovCalendarCellItem* p : s.items)
        out.push_back((LPCTSTR)p->m_strText);
    return out;
}

class CalendarFrameTest : public CalendarWindowTest {
protected:
    CCalendarFrame* frame = nullptr;
    CWnd infoParent;
    CCalendarInfoWnd info;
    CTableInfo entries;
    test_folders::TempDir home;
    std::optional<test_folders::ScopedEnv> homeEnv;

    void SetUp() override {
        CalendarWindowTest::SetUp();
        // The shipped festivals and entry pictures, as the program folder holds them.
        homeEnv.emplace("QUILLMAR_HOME", home.str().c_str());
        CopyShipped("Calendar/Festivals");
        CopyShipped("Icons");
        CCalendarPane::SetDefaults(1, &entries);
        frame = new CCalendarFrame;
        ASSERT_TRUE(frame->Create(nullptr, "日历", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CRect(0, 0, 900, 640)));
        ASSERT_TRUE(infoParent.CreateEx(0, nullptr, "i", WS_POPUP | WS_VISIBLE,
                                        CRect(0, 0, 220, 640), nullptr, 0));
        ASSERT_TRUE(info.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL,
                                CRect(0, 0, 220, 640), &infoParent, 1));
        info.SetCalendar(frame->GetPane());
        frame->GetToolbar().SetInfoWnd(&info);
        info.Refresh();
        Pump();
    }
    void TearDown() override {
        if (frame && ::IsWindow(frame->GetSafeHwnd()))
            frame->DestroyWindow();
        if (info.GetSafeHwnd())
            info.DestroyWindow();
        if (infoParent.GetSafeHwnd())
            infoParent.DestroyWindow();
        CCalendarPane::SetDefaults(1, nullptr);
        CalendarWindowTest::TearDown();
    }
    void CopyShipped(const char* folder) {
        const std::string from = std::string(QUILLMAR_SOURCE_DIR) + "/res/app/" + folder;
        const std::string to = home.str() + "/" + folder;
        std::filesystem::create_directories(to);
        for (const auto& e : std::filesystem::directory_iterator(from))
            std::filesystem::copy_file(e.path(), to + "/" + e.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing);
    }
    CCalendarPane& Pane() { return *frame->GetPane(); }
    CString YearText() {
        CString s;
        frame->GetToolbar().GetYearBox().GetWindowText(s);
        return s;
    }
    // Types into the year box and leaves it.
    void TypeYear(const char* text) {
        CYearComboBox& box = frame->GetToolbar().GetYearBox();
        box.SetFocus();
        box.SetWindowText(text);
        Pane().SetFocus();
        Pump();
    }
    const CCalendarInfoWnd::CSection* Section(const char* title) {
        for (const auto& s : info.GetSections())
            if (s.strTitle == title)
                return &s;
        return nullptr;
    }
};

TEST_F(CalendarFrameTest, TheToolbarFollowsTheGridAndItsBoxesMoveIt) {
    EXPECT_EQ(YearText(), "2024");
    EXPECT_EQ(frame->GetToolbar().GetMonthBox().GetCurSel(), 2);
    Pane().SetFocus();
    Key(Pane(), Qt::Key_PageDown);
    EXPECT_EQ(frame->GetToolbar().GetMonthBox().GetCurSel(), 3);

    struct Row {
        const char* text;
        int year, month, day;
    } rows[] = {
        {"2010", 2010, 4, 15},      // a year alone keeps the month
        {"2010-3", 2010, 3, 15},    // a year and month
        {"2012-2-29", 2012, 2, 29}, // a whole date is selected
        {"abc", 2012, 2, 29},       // no year: nothing changes
        {"2013-2-30", 2013, 2, 29}, // no such day: the year and month still show
        {"10000", 2013, 2, 29},     // beyond the years the grid shows
        {"0", 2013, 2, 29},
        {"", 2013, 2, 29},
    };
    for (const Row& r : rows) {
        TypeYear(r.text);
        EXPECT_EQ(Pane().GetYear(), r.year) << r.text;
        EXPECT_EQ(Pane().GetMonth(), r.month) << r.text;
        EXPECT_EQ(Pane().GetSelectedDay(), r.day) << r.text;
        EXPECT_EQ(YearText(), std::to_string(r.year).c_str()) << r.text;
    }
    // The month box.
    frame->GetToolbar().GetMonthBox().SetCurSel(10);
    frame->GetToolbar().SendMessage(WM_COMMAND, MAKEWPARAM(CCalendarToolbar::IDC_MONTH,
                                                           CBN_SELCHANGE),
                                    (LPARAM)frame->GetToolbar().GetMonthBox().GetSafeHwnd());
    EXPECT_EQ(Pane().GetMonth(), 11);
    // The tool-bar buttons.
    for (UINT id : {CCalendarPane::ID_NEXT_YEAR, CCalendarPane::ID_PREV_MONTH})
        frame->SendMessage(WM_COMMAND, id);
    EXPECT_EQ(Pane().GetYear(), 2014);
    EXPECT_EQ(Pane().GetMonth(), 10);
    frame->SendMessage(WM_COMMAND, CCalendarPane::ID_TODAY);
    EXPECT_EQ(Selected(Pane()), CDate(2024, 3, 15));
    EXPECT_EQ(YearText(), "2024");
}

TEST_F(CalendarFrameTest, SpanDialogMovesTheSelectionAndZeroDaysLeavesIt) {
    struct Row {
        UINT command;
        int days;
        CDate expected;
    } rows[] = {
        {CCalendarPane::ID_GOTO_AFTER, 20, CDate(2024, 4, 4)},
        {CCalendarPane::ID_GOTO_BEFORE, 0, CDate(2024, 4, 4)},
        {CCalendarPane::ID_GOTO_BEFORE, 366, CDate(2023, 4, 4)},
        {CCalendarPane::ID_GOTO_AFTER, 2000000000, CDate(2023, 4, 4)},
        {CCalendarPane::ID_GOTO_BEFORE, 800000, CDate(2023, 4, 4)},
    };
    for (const Row& r : rows) {
        int preset = -1;
        onDialog = [&](CDialog& d) {
            auto* span = dynamic_cast<CDlgCalendarGotoSpan*>(&d);
            ASSERT_NE(span, nullptr);
            preset = span->IsDlgButtonChecked(CDlgCalendarGotoSpan::IDC_BEFORE) ? 1 : 0;
            d.SetDlgItemInt(CDlgCalendarGotoSpan::IDC_DAYS, (UINT)r.days, FALSE);
            d.SendMessage(WM_COMMAND, IDOK);
        };
        frame->SendMessage(WM_COMMAND, r.command);
        EXPECT_EQ(preset, r.command == CCalendarPane::ID_GOTO_BEFORE ? 1 : 0);
        EXPECT_EQ(Selected(Pane()), r.expected) << r.days;
    }
}

TEST_F(CalendarFrameTest, LunarDialogSelectsTheDayAndStaysOpenOnAMissingLeapMonth) {
    // The person's next step after OK on a month the year lacks comes as a later event, as a
    // second click does: a dialog that ended on that OK is gone by then. Corrected and OK, the
    // day is selected; Cancel selects nothing.
    struct Row {
        bool correct;
        CDate expected;
    };
    const Row rows[] = {{true, CDate(2023, 3, 22)}, {false, CDate(2024, 3, 15)}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.correct ? "corrected" : "cancelled");
        Pane().SelectDate(2024, 3, 15);
        Pump();
        int opened = 0;
        bool red = false, stayed = false;
        CString error;
        onDialog = [&](CDialog& d) {
            ++opened;
            auto* lunar = dynamic_cast<CDlgCalendarGotoLunarDate*>(&d);
            ASSERT_NE(lunar, nullptr);
            // Preset with the selected day: 15 March 2024 is the sixth of the second lunar month.
            EXPECT_EQ(d.GetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_YEAR), 2024u);
            EXPECT_EQ(d.GetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_MONTH), 2u);
            EXPECT_EQ(d.GetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_DAY), 6u);
            // 2024 has no leap second month.
            d.CheckDlgButton(CDlgCalendarGotoLunarDate::IDC_LEAP, BST_CHECKED);
            d.SendMessage(WM_COMMAND, IDOK);
            const HWND hwnd = d.GetSafeHwnd();
            QTimer::singleShot(0, [&, hwnd, lunar] {
                if (!::IsWindow(hwnd))
                    return;
                stayed = true;
                lunar->GetDlgItemText(CDlgCalendarGotoLunarDate::IDC_RESULT, error);
                red = lunar->IsShowingError();
                if (!r.correct) {
                    lunar->SendMessage(WM_COMMAND, IDCANCEL);
                    return;
                }
                ASSERT_TRUE(lunar->SaveScreenshot(ScreenPath("calendar-goto-lunar-error").c_str()));
                // 2023 has: its leap second month begins on 22 March.
                lunar->SetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_YEAR, 2023, FALSE);
                lunar->SetDlgItemInt(CDlgCalendarGotoLunarDate::IDC_DAY, 1, FALSE);
                lunar->SendMessage(WM_COMMAND, CDlgCalendarGotoLunarDate::IDC_CONVERT);
                EXPECT_FALSE(lunar->IsShowingError());
                lunar->SendMessage(WM_COMMAND, IDOK);
            });
        };
        frame->SendMessage(WM_COMMAND, CCalendarPane::ID_GOTO_LUNAR);
        Pump();
        EXPECT_EQ(opened, 1);
        EXPECT_TRUE(stayed);
        EXPECT_TRUE(red);
        EXPECT_FALSE(error.IsEmpty());
        EXPECT_EQ(Selected(Pane()), r.expected);
    }
}

TEST_F(CalendarFrameTest, DayInformationListsEverySection) {
    entries.Set(2024, 3, 15, 3);
    info.Refresh();
    Pump();
    info.GetWidget()->grab();
    // Today: no line of days before or after; 2024 is a leap year.
    ASSERT_NE(Section("阳历 (今天)"), nullptr);
    const std::vector<std::string> solar = Lines(*Section("阳历 (今天)"));
    EXPECT_EQ(solar.size(), 3u);
    EXPECT_EQ(solar[1], "2024年是闰年");
    EXPECT_EQ(solar[2], "第75天/共366天");
    EXPECT_EQ(Lines(*Section("星期")), (std::vector<std::string>{"星期五 第11周"}));
    ASSERT_NE(Section("任务"), nullptr);
    EXPECT_EQ(Lines(*Section("任务")).size(), 3u);
    EXPECT_EQ(Section("生日"), nullptr);

    // A day of a solar term in a lunar year with a leap month, before today.
    Pane().SelectDate(2023, 4, 5); // 清明
    Pump();
    info.GetWidget()->grab();
    EXPECT_EQ(Titles(info.GetSections()),
              (std::vector<std::string>{"阳历", "阴历", "星期", "星座"}));
    const std::vector<std::string> solarBefore = Lines(*Section("阳历"));
    EXPECT_EQ(solarBefore.back(), "在今日前345天");
    const std::vector<std::string> lunar = Lines(*Section("阴历"));
    EXPECT_NE(std::find(lunar.begin(), lunar.end(), "节气: 清明"), lunar.end());
    EXPECT_NE(std::find(lunar.begin(), lunar.end(), "2023年是闰年 闰二月"), lunar.end());

    // A festival.
    Pane().SelectDate(2023, 3, 8);
    Pump();
    info.GetWidget()->grab();
    ASSERT_NE(Section("节日"), nullptr);
    EXPECT_EQ(Lines(*Section("节日")), (std::vector<std::string>{"妇女节"}));

    Pane().SelectDate(2024, 3, 18);
    entries.Set(2024, 3, 18, 2); // two birthdays
    info.Refresh();
    Pump();
    info.GetWidget()->grab();
    EXPECT_EQ(Lines(*Section("阳历")).back(), "在今日后3天");
    ASSERT_NE(Section("生日"), nullptr);
    EXPECT_EQ(Section("任务"), nullptr);
    // A click highlights an entry.
    CKovCalendarCellItem* first = Section("生日")->items.front();
    Click(info, CRect(first->m_rect).CenterPoint());
    EXPECT_EQ(info.GetHighlightedItem(), first);
}

TEST_F(CalendarFrameTest, ScreensOfTheMonthForBothFirstWeekdaysAndOfTheDayInformation) {
    // March 2024: 惊蛰 on the 5th and 春分 on the 20th, 妇女节 and 植树节, 龙抬头 on the 11th.
    entries.Set(2024, 3, 8, 4, true);
    entries.Set(2024, 3, 18, 2);
    entries.Set(2024, 3, 21, 9, true); // more than the cell holds
    entries.Set(2024, 3, 27, 1);
    Pane().SelectDate(2024, 3, 8);
    Pump();
    frame->SetWindowPos(nullptr, 0, 0, 1100, 760, SWP_NOZORDER | SWP_NOMOVE);
    Pump();
    ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("calendar-month-monday").c_str()));
    int row = 0, column = 0;
    ASSERT_TRUE(Pane().GetCellOfDay(21, row, column));
    EXPECT_FALSE(Pane().GetCell(row * 7 + column).rcMore.IsRectEmpty());
    ASSERT_TRUE(Pane().GetCellOfDay(8, row, column));
    EXPECT_EQ(Pane().GetCell(row * 7 + column).items.GetCount(), 4);
    Pane().SetFirstDayOfWeek(0, TRUE);
    Pump();
    ASSERT_TRUE(frame->SaveScreenshot(ScreenPath("calendar-month-sunday").c_str()));
    // The 8th: every section of the day information.
    info.Refresh();
    Pump();
    ASSERT_TRUE(infoParent.SaveScreenshot(ScreenPath("calendar-day-info").c_str()));
    EXPECT_EQ(Titles(info.GetSections()), (std::vector<std::string>{"阳历", "阴历", "星期", "星座",
                                                                     "节日", "生日", "任务"}));
    EXPECT_EQ(Lines(*Section("生日")), (std::vector<std::string>{"李雷", "韩梅梅"}));
    // A solar-term day names its term in the lunar section.
    Pane().SelectDate(2024, 3, 20);
    Pump();
    info.GetWidget()->grab();
    const std::vector<std::string> lunar = Lines(*Section("阴历"));
    EXPECT_NE(std::find(lunar.begin(), lunar.end(), "节气: 春分"), lunar.end());
}

TEST_F(CalendarFrameTest, SpanDialogScreen) {
    onDialog = [&](CDialog& d) {
        d.SetDlgItemInt(CDlgCalendarGotoSpan::IDC_DAYS, 100, FALSE);
        EXPECT_TRUE(d.SaveScreenshot(ScreenPath("calendar-goto-span").c_str()));
        d.SendMessage(WM_COMMAND, IDCANCEL);
    };
    frame->SendMessage(WM_COMMAND, CCalendarPane::ID_GOTO_AFTER);
    EXPECT_EQ(Selected(Pane()), CDate(2024, 3, 15));
}

TEST_F(CalendarFrameTest, YearBoxEscapePutsTheGridYearBackAndEnterReturnsToTheGrid) {
    CYearComboBox& box = frame->GetToolbar().GetYearBox();
    box.SetFocus();
    box.SetWindowText("1999");
    Key(box, Qt::Key_Escape);
    EXPECT_EQ(YearText(), "2024");
    EXPECT_EQ(Pane().GetYear(), 2024);
    EXPECT_EQ(CWnd::GetFocus(), &Pane());
}

} // namespace
