#include "platform/gui/Controls.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/gui/tests/WheelLinesSetting.h"
#include "ui/ScrollWindow.h"

#include <QImage>
#include <QScrollBar>

namespace {

// A chequered sheet of 50-pixel squares with a blue square at logical (600, 400).
class CSheetWindow : public CScrollWindow {
public:
    void OnDraw(CDC* pDC) override {
        for (int y = 0; y < 1000; y += 50)
            for (int x = 0; x < 1000; x += 50)
                pDC->FillSolidRect(x, y, 50, 50,
                                   ((x + y) / 50) % 2 ? RGB(230, 230, 230) : RGB(255, 255, 255));
        pDC->FillSolidRect(600, 400, 50, 50, RGB(0, 0, 200));
        pDC->SetBkMode(TRANSPARENT);
        pDC->TextOut(605, 455, "墨川");
    }
};

// A parent that lays its children out itself and says how much room the window has.
class CLayoutParent : public CWnd {
public:
    CRect room{0, 0, 0, 0};
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_RECALCPARENT && !room.IsRectEmpty()) {
            *reinterpret_cast<LPRECT>(lParam) = room;
            return TRUE;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ScrollWindowTest : public GuiTest {
protected:
    CLayoutParent parent;
    CSheetWindow wnd;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 300, 240), nullptr, 0));
        ASSERT_TRUE(
            wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150), &parent, 1));
    }
    void TearDown() override {
        SetUserWheelLines(nullptr);
        parent.DestroyWindow();
    }
    void Send(UINT message, UINT code) { wnd.SendMessage(message, MAKEWPARAM(code, 0), 0); }
};

TEST_F(ScrollWindowTest, TenthsGiveThePageAndLineSteps) {
    wnd.SetScrollSizes(1000, 500, CSize(0, 0), CSize(0, 0));
    // Visible: 183 x 133 beside and above the bars.
    struct Step {
        UINT message, code;
        CPoint pos;
    };
    const Step steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, {0, 5}},
        {WM_VSCROLL, SB_PAGEDOWN, {0, 55}},
        {WM_HSCROLL, SB_LINERIGHT, {10, 55}},
        {WM_HSCROLL, SB_PAGERIGHT, {110, 55}},
        {WM_VSCROLL, SB_BOTTOM, {110, 500 - 133}},
        {WM_HSCROLL, SB_RIGHT, {1000 - 183, 367}},
        {WM_VSCROLL, SB_PAGEDOWN, {817, 367}},
        {WM_HSCROLL, SB_LEFT, {0, 367}},
        {WM_VSCROLL, SB_TOP, {0, 0}},
        {WM_VSCROLL, SB_LINEUP, {0, 0}},
    };
    for (const Step& s : steps) {
        Send(s.message, s.code);
        EXPECT_EQ(wnd.GetScrollPosition(), s.pos) << s.message << " " << s.code;
    }
    wnd.ScrollToPosition(-5, 100000);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 367));
}

TEST_F(ScrollWindowTest, SizesSetBeforeTheWindowExistsApplyWhenItIsSized) {
    CSheetWindow late;
    late.SetScrollSizes(1000, 500);
    EXPECT_EQ(late.GetScrollPosition(), CPoint(0, 0));
    ASSERT_TRUE(
        late.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 90), &parent, 2));
    late.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(late.GetScrollPosition(), CPoint(0, 500 - (90 - 17)));
}

TEST_F(ScrollWindowTest, WheelNotchWithPageScrollingMovesOnePage) {
    wnd.SetScrollSizes(1000, 500); // page 50, line 5
    SetUserWheelLines("-1");
    wnd.SendMessage(WM_SETTINGCHANGE);
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 0);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 50));
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)120), 0);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 0));
    SetUserWheelLines("2", true);
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 0);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 50)) << "kept until the settings change";
    wnd.SendMessage(WM_SETTINGCHANGE);
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 0);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 60));
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)-120), 0);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 60));
}

TEST_F(ScrollWindowTest, AChildScrollBarsMessagesDoNotScrollTheWindow) {
    wnd.SetScrollSizes(1000, 500);
    CScrollBar child;
    ASSERT_TRUE(child.Create(SBS_VERT | WS_CHILD | WS_VISIBLE, CRect(10, 10, 27, 110), &wnd, 7));
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    child.SetScrollInfo(&si);
    auto* bar = qobject_cast<QScrollBar*>(child.GetWidget());
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), (LPARAM)child.m_hWnd);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 0));
    Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(wnd.GetScrollPosition(), CPoint(0, 50)) << "its own bar still scrolls";
}

TEST_F(ScrollWindowTest, ThePlaceALaidOutParentGivesDecidesTheBars) {
    wnd.SetScrollSizes(150, 100);
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u) << "fits in 200 x 150";
    parent.room = CRect(0, 0, 120, 140);
    wnd.SetScrollSizes(150, 100);
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), (DWORD)WS_HSCROLL);
    // A room no larger than a bar either way shows no bars at all.
    parent.room = CRect(0, 0, 17, 17);
    wnd.SetScrollSizes(1000, 1000);
    EXPECT_EQ(wnd.GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
}

TEST_F(ScrollWindowTest, AScrolledWindowShowsThatPartOfTheDrawing) {
    parent.MoveWindow(0, 0, 300, 240);
    wnd.MoveWindow(0, 0, 300, 240);
    wnd.SetScrollSizes(1000, 1000);
    wnd.ScrollToPosition(550, 350);
    Pump();
    QImage shot = wnd.GetWidget()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(75, 75)), QColor(0, 0, 200)) << "(600, 400) less the position";
    EXPECT_EQ(QColor(shot.pixel(25, 25)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(shot.pixel(25, 75)), QColor(230, 230, 230));
    ASSERT_TRUE(wnd.SaveScreenshot(ScreenPath("scroll-window").c_str()));
}

} // namespace
