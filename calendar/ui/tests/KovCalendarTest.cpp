#include "calendar/ui/tests/CalendarUiTestSupport.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <string>

using namespace calendar_ui_test;

namespace {

class KovCalendarTest : public CalendarWindowTest {
protected:
    CWnd parent;
    std::unique_ptr<CKovCalendar> grid;
    CCodeRecorder owner;

    // A grid of the size given, 703 x 620 by default (cells of 100 or 101 by 100 pixels).
    void Open(int cx = 703, int cy = 620) {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, cx, cy),
                                    nullptr, 0));
        grid = std::make_unique<CKovCalendar>();
        ASSERT_TRUE(grid->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, cx, cy),
                                 &parent, 1));
        grid->m_pOwner = &owner;
        Pump();
    }
    void TearDown() override {
        if (grid && grid->GetSafeHwnd())
            grid->DestroyWindow();
        if (parent.GetSafeHwnd())
            parent.DestroyWindow();
        CalendarWindowTest::TearDown();
    }
    CPoint CellCentre(int row, int column) { return grid->GetCellRect(row, column).CenterPoint(); }
};

TEST(KovCalendarGeometry, CellBoundsAreTruncatedSeventhsAndSixthsBelowTheHeader) {
    const CRect grid(10, 5, 713, 625); // 703 wide, 600 below the header
    struct Row {
        int row, column;
        CRect expected;
    } rows[] = {
        {-1, 0, CRect(10, 5, 111, 25)},    {-1, 6, CRect(613, 5, 714, 25)},
        {0, 0, CRect(10, 25, 111, 126)},   {0, 1, CRect(111, 25, 211, 126)},
        {5, 6, CRect(613, 526, 714, 626)}, {2, 3, CRect(312, 226, 412, 326)},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CKovCalendar::CellRect(grid, r.row, r.column, 20), r.expected)
            << r.row << "," << r.column;
}

TEST_F(KovCalendarTest, CellDatesForBothFirstWeekdays) {
    ASSERT_NO_FATAL_FAILURE(Open());
    struct Case {
        int year, month, firstDay;
        int row, column;
        int result;
        CDate date;
    } cases[] = {
        // September 2024 begins on a Sunday.
        {2024, 9, 0, 0, 0, 1, CDate(2024, 9, 1)},
        {2024, 9, 0, 4, 1, 30, CDate(2024, 9, 30)},
        {2024, 9, 0, 4, 2, 0, CDate(2024, 10, 1)},
        {2024, 9, 0, 5, 6, 0, CDate(2024, 10, 12)},
        // Weeks from Monday: six days of August come first.
        {2024, 9, 1, 0, 0, -1, CDate(2024, 8, 26)},
        {2024, 9, 1, 0, 5, -1, CDate(2024, 8, 31)},
        {2024, 9, 1, 0, 6, 1, CDate(2024, 9, 1)},
        {2024, 9, 1, 5, 0, 30, CDate(2024, 9, 30)},
        {2024, 9, 1, 5, 1, 0, CDate(2024, 10, 1)},
        // January's previous month is December of the year before; December's next is January.
        {2025, 1, 1, 0, 0, -1, CDate(2024, 12, 30)},
        {2024, 12, 1, 5, 6, 0, CDate(2025, 1, 5)},
        // February 2021 (Monday the 1st) fills exactly four rows from Monday.
        {2021, 2, 1, 0, 0, 1, CDate(2021, 2, 1)},
        {2021, 2, 1, 4, 0, 0, CDate(2021, 3, 1)},
    };
    for (const Case& c : cases) {
        grid->SetFirstDayOfWeek(c.firstDay, TRUE);
        ASSERT_TRUE(grid->SetYearMonth(c.year, c.month, FALSE));
        CDate d;
        EXPECT_EQ(grid->GetCellDate(c.row, c.column, d), c.result)
            << c.year << "-" << c.month << " " << c.row << "," << c.column;
        EXPECT_EQ(d, c.date) << c.year << "-" << c.month << " " << c.row << "," << c.column;
    }
    // GetCellOfDay is the inverse for every day of the month, and refuses the others.
    for (int first : {0, 1}) {
        grid->SetFirstDayOfWeek(first, FALSE);
        grid->SetYearMonth(2024, 9, FALSE);
        for (int day = 1; day <= 30; ++day) {
            int row = -9, column = -9;
            ASSERT_TRUE(grid->GetCellOfDay(day, row, column));
            CDate d;
            EXPECT_EQ(grid->GetCellDate(row, column, d), day);
        }
        int row = 0, column = 0;
        EXPECT_FALSE(grid->GetCellOfDay(0, row, column));
        EXPECT_FALSE(grid->GetCellOfDay(31, row, column));
    }
    // Values outside 0..6 leave the first day of the week as it is.
    grid->SetFirstDayOfWeek(7, TRUE);
    grid->SetFirstDayOfWeek(-1, TRUE);
    EXPECT_EQ(grid->GetFirstDayOfWeek(), 1);
}

TEST_F(KovCalendarTest, HitTestsHeaderCellsAndTheOutside) {
    ASSERT_NO_FATAL_FAILURE(Open());
    int row = 7, column = 7;
    EXPECT_EQ(grid->HitTest(CPoint(50, 10), row, column), CKovCalendar::HitHeader);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(grid->HitTest(CPoint(702, 619), row, column), CKovCalendar::HitCell);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(column, 6);
    EXPECT_EQ(grid->HitTest(CPoint(350, 20 + 250), row, column), CKovCalendar::HitCell);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(column, 3);
    EXPECT_EQ(grid->HitTest(CPoint(703, 100), row, column), CKovCalendar::HitNone);
    EXPECT_EQ(grid->HitTest(CPoint(-1, 100), row, column), CKovCalendar::HitNone);

    // A grid no taller than its header is all header; a grid without width hits nothing.
    grid->MoveWindow(0, 0, 300, 20);
    for (CPoint p : {CPoint(0, 0), CPoint(299, 19), CPoint(150, 10)}) {
        EXPECT_EQ(grid->HitTest(p, row, column), CKovCalendar::HitHeader);
        EXPECT_EQ(row, -1);
    }
    grid->MoveWindow(0, 0, 300, 12);
    EXPECT_EQ(grid->HitTest(CPoint(299, 11), row, column), CKovCalendar::HitHeader);
    EXPECT_EQ(column, 6);
    grid->MoveWindow(0, 0, 0, 400);
    EXPECT_EQ(grid->HitTest(CPoint(0, 100), row, column), CKovCalendar::HitNone);
    // Seven pixels wide: one column per pixel.
    grid->MoveWindow(0, 0, 7, 140);
    EXPECT_EQ(grid->HitTest(CPoint(4, 139), row, column), CKovCalendar::HitCell);
    EXPECT_EQ(column, 4);
    EXPECT_EQ(row, 5);
}

TEST_F(KovCalendarTest, KeysMoveTheSelectionAndTheMonth) {
    ASSERT_NO_FATAL_FAILURE(Open());
    grid->SetFocus();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        CDate expected;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, CDate(2024, 3, 16)},
        {Qt::Key_Left, Qt::NoModifier, CDate(2024, 3, 15)},
        {Qt::Key_Down, Qt::NoModifier, CDate(2024, 3, 22)},
        {Qt::Key_Down, Qt::NoModifier, CDate(2024, 3, 29)},
        {Qt::Key_Down, Qt::NoModifier, CDate(2024, 4, 5)},
        {Qt::Key_Up, Qt::NoModifier, CDate(2024, 3, 29)},
        {Qt::Key_End, Qt::NoModifier, CDate(2024, 3, 31)},
        {Qt::Key_Home, Qt::NoModifier, CDate(2024, 3, 1)},
        {Qt::Key_Up, Qt::NoModifier, CDate(2024, 2, 23)},
        {Qt::Key_PageDown, Qt::NoModifier, CDate(2024, 3, 23)},
        {Qt::Key_PageUp, Qt::ControlModifier, CDate(2023, 3, 23)},
        {Qt::Key_PageDown, Qt::ControlModifier, CDate(2024, 3, 23)},
        {Qt::Key_PageUp, Qt::NoModifier, CDate(2024, 2, 23)},
        {Qt::Key_End, Qt::ControlModifier, CDate(2024, 2, 29)},
        {Qt::Key_Right, Qt::ControlModifier, CDate(2024, 3, 1)},
        {Qt::Key_Left, Qt::NoModifier, CDate(2024, 2, 29)},
    };
    for (const Step& s : steps) {
        Key(*grid, s.key, s.mods);
        EXPECT_EQ(Selected(*grid), s.expected) << s.key << " " << (int)s.mods;
    }
    // Ctrl+Home brings today back from any month.
    grid->SetYearMonth(1999, 7, TRUE);
    Key(*grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Selected(*grid), CDate(2024, 3, 15));
}

TEST_F(KovCalendarTest, WheelStepsDaysMonthsOrYearsCtrlBeforeShift) {
    ASSERT_NO_FATAL_FAILURE(Open());
    struct Step {
        int delta;
        Qt::KeyboardModifiers mods;
        CDate expected;
    } steps[] = {
        {-120, Qt::NoModifier, CDate(2024, 3, 16)},
        {120, Qt::NoModifier, CDate(2024, 3, 15)},
        {-120, Qt::ControlModifier, CDate(2024, 4, 15)},
        {120, Qt::ControlModifier, CDate(2024, 3, 15)},
        {-120, Qt::ShiftModifier, CDate(2025, 3, 15)},
        {120, Qt::ShiftModifier, CDate(2024, 3, 15)},
        {-120, Qt::ControlModifier | Qt::ShiftModifier, CDate(2024, 4, 15)},
    };
    for (const Step& s : steps) {
        Wheel(*grid, s.delta, s.mods);
        EXPECT_EQ(Selected(*grid), s.expected) << s.delta << " " << (int)s.mods;
    }
}

TEST_F(KovCalendarTest, OwnerHearsMonthAndDayChanges) {
    ASSERT_NO_FATAL_FAILURE(Open());
    grid->NextMonth();
    grid->SetYearMonth(2024, 4, TRUE); // unchanged: nothing sent
    grid->SetYearMonth(2024, 5, FALSE);
    grid->SelectDate(2024, 5, 15); // shown and selected already
    grid->SelectDate(2024, 5, 16);
    EXPECT_EQ(owner.codes, (std::vector<int>{6, 7}));

    // A grey day of the next month switches the month and sends only the day's code.
    owner.codes.clear();
    grid->SetFirstDayOfWeek(1, TRUE);
    grid->SetYearMonth(2024, 9, FALSE);
    Click(*grid, CellCentre(5, 1));
    EXPECT_EQ(owner.codes, (std::vector<int>{7}));
    EXPECT_EQ(Selected(*grid), CDate(2024, 10, 1));
    // And of the month before.
    owner.codes.clear();
    grid->SetYearMonth(2024, 9, FALSE);
    Click(*grid, CellCentre(0, 0));
    EXPECT_EQ(owner.codes, (std::vector<int>{7}));
    EXPECT_EQ(Selected(*grid), CDate(2024, 8, 26));
    // A day of the shown month.
    owner.codes.clear();
    Click(*grid, CellCentre(2, 2));
    EXPECT_EQ(owner.codes, (std::vector<int>{7}));
    EXPECT_EQ(Selected(*grid), CDate(2024, 8, 14));
    // The header selects nothing.
    owner.codes.clear();
    Click(*grid, CPoint(10, 5));
    EXPECT_TRUE(owner.codes.empty());
}

TEST_F(KovCalendarTest, SelectedDateStaysInTheShownMonth) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(grid->SelectDate(2024, 1, 31));
    grid->NextMonth();
    // The day number is kept, so that going on to March finds the 31st again ...
    EXPECT_EQ(grid->GetSelectedDay(), 31);
    // ... but the date users take is a real one.
    EXPECT_EQ(Selected(*grid), CDate(2024, 2, 29));
    grid->NextDay();
    EXPECT_EQ(Selected(*grid), CDate(2024, 3, 1));
    grid->SelectDate(2023, 12, 31);
    grid->SetYearMonth(2023, 2, FALSE);
    EXPECT_EQ(Selected(*grid), CDate(2023, 2, 28));
    grid->NextWeek();
    EXPECT_EQ(Selected(*grid), CDate(2023, 3, 7));
    grid->SetYearMonth(2023, 2, FALSE);
    grid->SelectDate(2023, 2, 3);
    grid->PrevWeek();
    EXPECT_EQ(Selected(*grid), CDate(2023, 1, 27));

    // Week starts.
    for (int first : {0, 1, 3}) {
        grid->SetFirstDayOfWeek(first, FALSE);
        for (int day = 10; day <= 16; ++day) { // Sunday 10 .. Saturday 16 March 2024
            CDate d(2024, 3, day);
            grid->GetWeekStartDate(d);
            EXPECT_EQ(d.GetDayOfWeek(), first);
            EXPECT_LE(d, CDate(2024, 3, day));
            EXPECT_GT(d.PlusDays(7), CDate(2024, 3, day));
        }
    }
}

TEST_F(KovCalendarTest, YearsStayWithinOneTo9999) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(grid->SetYearMonth(10000, 1, TRUE));
    EXPECT_FALSE(grid->SetYearMonth(0, 1, TRUE));
    EXPECT_FALSE(grid->SetYearMonth(2024, 13, TRUE));
    EXPECT_FALSE(grid->SelectDate(2147483647, 1, 1));
    EXPECT_EQ(grid->GetYear(), 2024);

    ASSERT_TRUE(grid->SelectDate(9999, 12, 20));
    grid->SetFocus();
    owner.codes.clear();
    Key(*grid, Qt::Key_PageDown, Qt::ControlModifier);
    grid->NextYear();
    grid->NextMonth();
    EXPECT_EQ(Selected(*grid), CDate(9999, 12, 20));
    grid->SelectDate(9999, 12, 31);
    grid->NextDay();
    grid->NextWeek();
    EXPECT_EQ(Selected(*grid), CDate(9999, 12, 31));

    ASSERT_TRUE(grid->SelectDate(1, 1, 3));
    grid->PrevYear();
    grid->PrevMonth();
    grid->PrevWeek();
    EXPECT_EQ(Selected(*grid), CDate(1, 1, 3));
    EXPECT_EQ(owner.codes, (std::vector<int>{7, 7}));
}

TEST_F(KovCalendarTest, FullCellShowsTheMarkerWhichHitsAsMoreAndActivatesNothing) {
    ASSERT_NO_FATAL_FAILURE(Open());
    CTableInfo info;
    CCountingHandler handler;
    info.handler = &handler;
    info.Set(2024, 3, 20, 9); // far more than a 100-pixel cell holds
    info.Set(2024, 3, 21, 1);
    grid->m_pExtInfo = &info;
    grid->SetFirstDayOfWeek(1, TRUE);
    grid->Invalidate();
    Pump();
    QImage shot = grid->GetWidget()->grab().toImage();

    int row = 0, column = 0;
    ASSERT_TRUE(grid->GetCellOfDay(20, row, column));
    CKovCalendarCell& full = grid->GetCell(row * 7 + column);
    ASSERT_FALSE(full.rcMore.IsRectEmpty());
    EXPECT_EQ(full.rcMore.Width(), 20);
    EXPECT_EQ(full.rcMore.Height(), 9);
    EXPECT_EQ(shot.pixel(full.rcMore.left + 1, full.rcMore.top + 1) & 0xffffff, 0xffffd5u);
    EXPECT_EQ(shot.pixel(full.rcMore.left, full.rcMore.top) & 0xffffff, 0u);
    // Only the lines that fit were drawn, the rest have no place.
    int drawn = 0;
    for (POSITION pos = full.items.GetHeadPosition(); pos;)
        drawn += CRect(full.items.GetNext(pos).m_rect).IsRectEmpty() ? 0 : 1;
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, 9);

    const CPoint marker = full.rcMore.CenterPoint();
    EXPECT_EQ(grid->HitTest(marker, row, column), CKovCalendar::HitMore);
    DoubleClick(*grid, marker);
    EXPECT_EQ(handler.count, 0);

    // The entry of the next day fits; a double-click on it activates it.
    ASSERT_TRUE(grid->GetCellOfDay(21, row, column));
    CKovCalendarCell& one = grid->GetCell(row * 7 + column);
    EXPECT_TRUE(one.rcMore.IsRectEmpty());
    ASSERT_EQ(one.items.GetCount(), 1);
    const CPoint entry = CRect(one.items.GetHead().m_rect).CenterPoint();
    CKovCalendarCellItem* pItem = nullptr;
    EXPECT_EQ(grid->HitTest(entry, row, column, &pItem), CKovCalendar::HitCell);
    EXPECT_EQ(pItem, &one.items.GetHead());
    owner.codes.clear();
    DoubleClick(*grid, entry);
    EXPECT_EQ(handler.count, 1);
    EXPECT_EQ(owner.codes.back(), 7);
    grid->m_pExtInfo = nullptr;
}

TEST_F(KovCalendarTest, ClickOnAnEntryHighlightsIt) {
    ASSERT_NO_FATAL_FAILURE(Open());
    CTableInfo info;
    info.Set(2024, 3, 21, 2);
    grid->m_pExtInfo = &info;
    grid->Invalidate();
    Pump();
    grid->GetWidget()->grab();
    Pump();
    int row = 0, column = 0;
    ASSERT_TRUE(grid->GetCellOfDay(21, row, column));
    CKovCalendarCellItem& second = grid->GetCell(row * 7 + column).items.GetTail();
    Click(*grid, CRect(second.m_rect).CenterPoint());
    EXPECT_EQ(grid->GetHighlightedItem(), &second);
    EXPECT_EQ(second.m_nState & 1, 1);
    EXPECT_EQ(Selected(*grid), CDate(2024, 3, 21));
    grid->m_pExtInfo = nullptr;
}

TEST_F(KovCalendarTest, TodayIsFramedRedAndTheSelectedDayStripIsBlue) {
    ASSERT_NO_FATAL_FAILURE(Open());
    grid->SelectDate(2024, 3, 12);
    grid->Invalidate();
    Pump();
    QImage shot = grid->GetWidget()->grab().toImage();
    int row = 0, column = 0;
    ASSERT_TRUE(grid->GetCellOfDay(15, row, column));
    CRect today = grid->GetCellRect(row, column);
    // The frame: the cell shrunk by 1 + 4, grown by 2 again.
    EXPECT_EQ(shot.pixel(today.left + 3, today.CenterPoint().y) & 0xffffff, 0xff0000u);
    ASSERT_TRUE(grid->GetCellOfDay(12, row, column));
    CRect sel = grid->GetCellRect(row, column);
    const QRgb strip = shot.pixel(sel.right - 8, sel.top + 4);
    EXPECT_LT(qRed(strip), 60);
    EXPECT_GT(qBlue(strip), 150);
}

} // namespace
