#include "calendar/ui/KovMonthCalendarCtrl.h"
#include "calendar/ui/tests/CalendarUiTestSupport.h"

#include <QImage>
#include <QWidget>

#include <memory>

using namespace calendar_ui_test;

namespace {

class KovMonthCalendarCtrlTest : public CalendarWindowTest {
protected:
    CWnd parent;
    std::unique_ptr<CKovMonthCalendarCtrl> ctrl;
    CCodeRecorder owner;

    void Open(int cx = 200, int cy = 180) {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 240, 200),
                                    nullptr, 0));
        ctrl = std::make_unique<CKovMonthCalendarCtrl>();
        ASSERT_TRUE(ctrl->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, cx, cy),
                                 &parent, 1));
        ctrl->m_pOwner = &owner;
        Pump();
        ctrl->GetWidget()->grab(); // lays the caption text out
    }
    void TearDown() override {
        if (ctrl && ctrl->GetSafeHwnd())
            ctrl->DestroyWindow();
        if (parent.GetSafeHwnd())
            parent.DestroyWindow();
        CalendarWindowTest::TearDown();
    }
    CPoint Centre(const CRect& r) { return r.CenterPoint(); }
    CString EditText() {
        CString s;
        ctrl->GetEdit().GetWindowText(s);
        return s;
    }
};

TEST_F(KovMonthCalendarCtrlTest, CaptionButtonsSitFromTheEdgesAndHitTestInOrder) {
    ASSERT_NO_FATAL_FAILURE(Open());
    using C = CKovMonthCalendarCtrl;
    EXPECT_EQ(ctrl->GetButtonRect(C::HitPrevYear), CRect(3, 2, 19, 18));
    EXPECT_EQ(ctrl->GetButtonRect(C::HitPrevMonth), CRect(22, 2, 38, 18));
    EXPECT_EQ(ctrl->GetButtonRect(C::HitToday), CRect(41, 2, 57, 18));
    EXPECT_EQ(ctrl->GetButtonRect(C::HitNextMonth), CRect(162, 2, 178, 18));
    EXPECT_EQ(ctrl->GetButtonRect(C::HitNextYear), CRect(181, 2, 197, 18));
    int row = 0, column = 0;
    for (int hit = C::HitPrevYear; hit <= C::HitToday; ++hit)
        EXPECT_EQ(ctrl->HitTest(Centre(ctrl->GetButtonRect(hit)), row, column), hit);
    // The caption text's hit area is the text's width, centred between the month buttons.
    const CRect text = ctrl->GetCaptionTextRect();
    EXPECT_GT(text.Width(), 0);
    EXPECT_LT(text.Width(), 162 - 3 - 41);
    EXPECT_EQ(text.left - 41, 159 - text.right);
    EXPECT_EQ(ctrl->HitTest(Centre(text), row, column), C::HitCaption);
    EXPECT_EQ(ctrl->HitTest(CPoint(text.left - 2, 10), row, column), C::HitNone);
    // Below the caption: the grid with its 16-pixel weekday strip.
    EXPECT_EQ(ctrl->HitTest(CPoint(5, 30), row, column), CKovCalendar::HitHeader);
    EXPECT_EQ(ctrl->HitTest(CPoint(5, 40), row, column), CKovCalendar::HitCell);
    EXPECT_EQ(row, 0);
}

TEST_F(KovMonthCalendarCtrlTest, NarrowControlKeepsItsButtonsAtTheEdgesAndNoText) {
    ASSERT_NO_FATAL_FAILURE(Open(60, 120));
    using C = CKovMonthCalendarCtrl;
    EXPECT_EQ(ctrl->GetButtonRect(C::HitPrevYear).left, 3);
    EXPECT_EQ(ctrl->GetButtonRect(C::HitNextYear).right, 57);
    EXPECT_TRUE(ctrl->GetCaptionTextRect().IsRectEmpty());
    int row = 0, column = 0;
    EXPECT_NE(ctrl->HitTest(CPoint(30, 10), row, column), C::HitCaption);
}

TEST_F(KovMonthCalendarCtrlTest, ButtonsAndRightDoubleClickMoveTheMonth) {
    ASSERT_NO_FATAL_FAILURE(Open());
    using C = CKovMonthCalendarCtrl;
    struct Step {
        int hit;
        int year, month;
    } steps[] = {{C::HitNextMonth, 2024, 4}, {C::HitNextYear, 2025, 4},
                 {C::HitPrevMonth, 2025, 3}, {C::HitPrevYear, 2024, 3}};
    for (const Step& s : steps) {
        Click(*ctrl, Centre(ctrl->GetButtonRect(s.hit)));
        EXPECT_EQ(ctrl->GetYear(), s.year) << s.hit;
        EXPECT_EQ(ctrl->GetMonth(), s.month) << s.hit;
    }
    ctrl->SelectDate(2001, 2, 3);
    Click(*ctrl, Centre(ctrl->GetButtonRect(C::HitToday)));
    EXPECT_EQ(Selected(*ctrl), CDate(2024, 3, 15));
    ctrl->SelectDate(2001, 2, 3);
    QTest::mouseDClick(ctrl->GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    Pump();
    EXPECT_EQ(Selected(*ctrl), CDate(2024, 3, 15));
}

// Qt makes every second quick click a double click: each still counts on the caption buttons.
TEST_F(KovMonthCalendarCtrlTest, QuickClicksOnTheButtonsEachCount) {
    ASSERT_NO_FATAL_FAILURE(Open());
    using C = CKovMonthCalendarCtrl;
    auto quickClicks = [&](int hit, int pairs) {
        // Sent to the window as the system would, so Qt itself makes the double click.
        QWidget* w = ctrl->GetWidget();
        const CPoint c = Centre(ctrl->GetButtonRect(hit));
        const QPoint at = w->mapTo(w->window(), QPoint(c.x, c.y));
        for (int i = 0; i < pairs; ++i)
            QTest::mouseDClick(w->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        Pump();
    };
    quickClicks(C::HitNextMonth, 5); // ten clicks
    EXPECT_EQ(ctrl->GetYear(), 2025);
    EXPECT_EQ(ctrl->GetMonth(), 1);
    quickClicks(C::HitPrevYear, 1);
    EXPECT_EQ(ctrl->GetYear(), 2023);
    quickClicks(C::HitPrevMonth, 3);
    EXPECT_EQ(ctrl->GetYear(), 2022);
    EXPECT_EQ(ctrl->GetMonth(), 7);
}

TEST_F(KovMonthCalendarCtrlTest, CaptionEditTakesAYearAMonthOrADate) {
    ASSERT_NO_FATAL_FAILURE(Open());
    const CPoint caption = Centre(ctrl->GetCaptionTextRect());
    // Alt offers the whole date; Enter selects what was typed.
    Click(*ctrl, caption, Qt::AltModifier);
    ASSERT_TRUE(ctrl->GetEdit().IsWindowVisible());
    EXPECT_EQ(EditText(), "2024 3 15");
    ASSERT_TRUE(ctrl->SaveScreenshot(ScreenPath("month-calendar-caption-edit").c_str()));
    ctrl->GetEdit().SetWindowText("2023 12 24");
    Key(ctrl->GetEdit(), Qt::Key_Return);
    EXPECT_FALSE(ctrl->GetEdit().IsWindowVisible());
    EXPECT_EQ(Selected(*ctrl), CDate(2023, 12, 24));

    // Ctrl offers year and month.
    Click(*ctrl, caption, Qt::ControlModifier);
    EXPECT_EQ(EditText(), "2023 12");
    ctrl->GetEdit().SetWindowText("2010 7");
    Key(ctrl->GetEdit(), Qt::Key_Return);
    EXPECT_EQ(ctrl->GetYear(), 2010);
    EXPECT_EQ(ctrl->GetMonth(), 7);
    EXPECT_EQ(owner.codes.back(), CKovCalendar::NotifyMonth);

    // The year alone; leaving the edit applies it too.
    Click(*ctrl, caption);
    EXPECT_EQ(EditText(), "2010");
    ctrl->GetEdit().SetWindowText("1999");
    ctrl->SetFocus();
    Pump();
    EXPECT_EQ(ctrl->GetYear(), 1999);
    EXPECT_EQ(ctrl->GetMonth(), 7);

    // Esc leaves everything as it was, although the edit then loses the focus.
    Click(*ctrl, caption);
    ctrl->GetEdit().SetWindowText("1888");
    Key(ctrl->GetEdit(), Qt::Key_Escape);
    ctrl->SetFocus();
    Pump();
    EXPECT_FALSE(ctrl->GetEdit().IsWindowVisible());
    EXPECT_EQ(ctrl->GetYear(), 1999);

    // Texts that are no year change nothing.
    for (const char* bad : {"abc", "0", "", "12000"}) {
        Click(*ctrl, caption);
        ctrl->GetEdit().SetWindowText(bad);
        Key(ctrl->GetEdit(), Qt::Key_Return);
        EXPECT_EQ(ctrl->GetYear(), 1999) << bad;
        EXPECT_EQ(ctrl->GetMonth(), 7) << bad;
    }
}

TEST_F(KovMonthCalendarCtrlTest, DaysWithEntriesAreBold) {
    CTableInfo info;
    for (int d : {4, 12, 20})
        info.Set(2024, 3, d, 2);
    ASSERT_NO_FATAL_FAILURE(Open(220, 180));
    ctrl->m_pExtInfo = &info;
    ctrl->Invalidate();
    Pump();
    ctrl->GetWidget()->grab();
    int row = 0, column = 0;
    ASSERT_TRUE(ctrl->GetCellOfDay(12, row, column));
    EXPECT_TRUE(ctrl->GetCell(row * 7 + column).bHasItems);
    // Only counted: nothing kept to draw.
    EXPECT_TRUE(ctrl->GetCell(row * 7 + column).items.IsEmpty());
    ASSERT_TRUE(ctrl->GetCellOfDay(13, row, column));
    EXPECT_FALSE(ctrl->GetCell(row * 7 + column).bHasItems);
    ASSERT_TRUE(ctrl->SaveScreenshot(ScreenPath("month-calendar").c_str()));
    ctrl->m_pExtInfo = nullptr;
}

} // namespace
