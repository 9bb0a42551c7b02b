#include "GuiTestSupport.h"
#include "WheelLinesSetting.h"

#include "platform/gui/Controls.h"
#include "platform/gui/ScrollView.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <vector>

namespace {

// Draws a white page with a red square at logical (250, 180).
class CDrawingView : public CScrollView {
public:
    std::vector<UINT> codes; // what reached OnScroll
    BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll) override {
        codes.push_back(nScrollCode);
        return CScrollView::OnScroll(nScrollCode, nPos, bDoScroll);
    }
    void OnDraw(CDC* pDC) override {
        CSize total = GetTotalSize();
        pDC->FillSolidRect(0, 0, total.cx, total.cy, RGB(255, 255, 255));
        pDC->FillSolidRect(250, 180, 20, 20, RGB(220, 0, 0));
    }
};

class ScrollViewTest : public GuiTest {
protected:
    CWnd host;
    CDrawingView* view = nullptr; // deletes itself with its window

    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 320, 260),
                                  nullptr, 0));
        view = new CDrawingView;
        ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150),
                                 &host, AFX_IDW_PANE_FIRST));
    }
    void TearDown() override {
        SetUserWheelLines(nullptr);
        host.DestroyWindow();
    }
    QScrollBar* QtBar(int nBar) const {
        for (auto* b : view->GetWidget()->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
            if (b->orientation() == (nBar == SB_HORZ ? Qt::Horizontal : Qt::Vertical))
                return b;
        return nullptr;
    }
    void Vert(UINT code) { view->SendMessage(WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
    void Horz(UINT code) { view->SendMessage(WM_HSCROLL, MAKEWPARAM(code, 0), 0); }
    LONG Y() const { return view->GetScrollPosition().y; }
    void Wheel(short delta, UINT keys = 0) {
        view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(keys, (WORD)delta), 0);
    }
};

TEST_F(ScrollViewTest, StepsDefaultToTenthsOfPageAndTotal) {
    struct Case {
        SIZE total, page, line, wantPage, wantLine;
    };
    const Case cases[] = {
        {{1000, 500}, {0, 0}, {0, 0}, {100, 50}, {10, 5}},
        {{1000, 500}, {300, 0}, {0, 7}, {300, 50}, {30, 7}},
        {{640, 480}, {64, 48}, {1, 1}, {64, 48}, {1, 1}},
    };
    for (const Case& c : cases) {
        view->SetScrollSizes(MM_TEXT, c.total, c.page, c.line);
        int mode = 0;
        SIZE total, page, line;
        view->GetDeviceScrollSizes(mode, total, page, line);
        EXPECT_EQ(mode, MM_TEXT);
        EXPECT_EQ(CSize(total), CSize(c.total));
        EXPECT_EQ(CSize(page), CSize(c.wantPage)) << c.total.cx << "x" << c.total.cy;
        EXPECT_EQ(CSize(line), CSize(c.wantLine)) << c.total.cx << "x" << c.total.cy;
    }
}

TEST_F(ScrollViewTest, BarsAppearWhereTheTotalExceedsTheRoomLeft) {
    // The view is 200 x 150; a bar is 17 thick and takes room from the other direction.
    struct Case {
        SIZE total;
        bool h, v;
        CSize visible;
    };
    const Case cases[] = {
        {{150, 100}, false, false, {200, 150}}, {{400, 100}, true, false, {200, 133}},
        {{150, 400}, false, true, {183, 150}},  {{190, 400}, true, true, {183, 133}},
        {{400, 140}, true, true, {183, 133}},   {{200, 150}, false, false, {200, 150}},
    };
    for (const Case& c : cases) {
        view->SetScrollSizes(MM_TEXT, c.total);
        DWORD style = view->GetStyle();
        SCOPED_TRACE(testing::Message() << c.total.cx << "x" << c.total.cy);
        EXPECT_EQ((style & WS_HSCROLL) != 0, c.h);
        EXPECT_EQ((style & WS_VSCROLL) != 0, c.v);
        CRect client;
        view->GetClientRect(&client);
        EXPECT_EQ(client.Size(), c.visible);
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        if (c.v) {
            view->GetScrollInfo(SB_VERT, &si);
            EXPECT_EQ(si.nMax, c.total.cy - 1);
            EXPECT_EQ((LONG)si.nPage, c.visible.cy);
            ASSERT_NE(QtBar(SB_VERT), nullptr);
            EXPECT_TRUE(QtBar(SB_VERT)->isVisible());
            EXPECT_EQ(QtBar(SB_VERT)->geometry(), QRect(183, 0, 17, c.visible.cy));
        }
        if (c.h) {
            view->GetScrollInfo(SB_HORZ, &si);
            EXPECT_EQ(si.nMax, c.total.cx - 1);
            EXPECT_EQ((LONG)si.nPage, c.visible.cx);
        }
    }
    // Scrolled to the far corner, a smaller total brings the drawing back to the origin.
    view->SetScrollSizes(MM_TEXT, CSize(1000, 600));
    view->ScrollToPosition(CPoint(5000, 5000));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(1000 - 183, 600 - 133));
    view->SetScrollSizes(MM_TEXT, CSize(1000, 100));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(1000 - 200, 0));
    view->SetScrollSizes(MM_TEXT, CSize(10, 10));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
    EXPECT_FALSE(QtBar(SB_HORZ)->isVisible());
}

TEST_F(ScrollViewTest, ScrollCodesMoveByTheirStepsAndStopAtTheEnds) {
    view->SetScrollSizes(MM_TEXT, CSize(1000, 600)); // page 100 x 60, line 10 x 6
    // Visible area 183 x 133, so the last position is 467 down and 817 across.
    struct Step {
        UINT code;
        LONG y;
    };
    const Step steps[] = {{SB_LINEDOWN, 6},    {SB_PAGEDOWN, 66},  {SB_PAGEUP, 6},
                          {SB_LINEUP, 0},      {SB_LINEUP, 0},     {SB_BOTTOM, 467},
                          {SB_LINEDOWN, 467},  {SB_PAGEDOWN, 467}, {SB_THUMBPOSITION, 467},
                          {SB_ENDSCROLL, 467}, {SB_TOP, 0}};
    for (const Step& s : steps) {
        Vert(s.code);
        EXPECT_EQ(Y(), s.y) << "code " << s.code;
        EXPECT_EQ(view->GetScrollPos(SB_VERT), s.y);
    }
    Horz(SB_RIGHT);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(817, 0));
    EXPECT_TRUE(view->OnScroll(MAKEWORD(SB_LINELEFT, 0xFF), 0, FALSE)) << "would move";
    EXPECT_EQ(view->GetScrollPosition().x, 817) << "only asked";
    EXPECT_FALSE(view->OnScroll(MAKEWORD(SB_LINERIGHT, 0xFF), 0, FALSE)) << "at the end";
}

TEST_F(ScrollViewTest, TheQtBarsClickAndTrackThroughTheWindowsMessages) {
    view->SetScrollSizes(MM_TEXT, CSize(1000, 600));
    QScrollBar* bar = QtBar(SB_VERT);
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Y(), 6);
    EXPECT_EQ(bar->value(), 6);
    EXPECT_EQ(view->codes, std::vector<UINT>{MAKEWORD(0xFF, SB_LINEDOWN)}) << "one message";
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Y(), 66) << "the view's page step, not the bar's";
    EXPECT_EQ(bar->value(), 66);
    // Dragging the thumb scrolls as it goes, through the track position.
    bar->setSliderDown(true);
    bar->setSliderPosition(250);
    EXPECT_EQ(Y(), 250);
    bar->setSliderPosition(9999);
    EXPECT_EQ(Y(), 467);
    bar->setSliderDown(false);
    EXPECT_EQ(Y(), 467);
    QtBar(SB_HORZ)->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(817, 467));
    // A real click on the bar's upper end (its arrow) steps a line back.
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 4));
    EXPECT_EQ(Y(), 461);
}

TEST_F(ScrollViewTest, DrawingAndChildWindowsFollowThePosition) {
    view->SetScrollSizes(MM_TEXT, CSize(1000, 600));
    CStatic label;
    ASSERT_TRUE(label.Create("标签", WS_CHILD | WS_VISIBLE, CRect(300, 200, 360, 220), view, 9));
    view->ScrollToPosition(CPoint(200, 150));
    CRect r;
    label.GetWindowRect(&r);
    view->ScreenToClient(&r);
    EXPECT_EQ(r.TopLeft(), CPoint(100, 50));
    Pump();
    QImage shot = view->GetWidget()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(55, 35)), QColor(220, 0, 0)) << "square at (250, 180) - (200, 150)";
    EXPECT_EQ(QColor(shot.pixel(20, 20)), QColor(255, 255, 255));
    ASSERT_TRUE(view->SaveScreenshot(ScreenPath("scroll-view").c_str()));
    // A scroll-bar control among the children does not scroll the view.
    CScrollBar ctl;
    ASSERT_TRUE(ctl.Create(SBS_VERT | WS_CHILD, CRect(0, 0, 17, 100), view, 10));
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), (LPARAM)ctl.m_hWnd);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(200, 150));
}

TEST_F(ScrollViewTest, WheelScrollsLinesAtMostAPageAndPagesWhenSetSo) {
    view->SetScrollSizes(MM_TEXT, CSize(1000, 600)); // page 60, line 6 down
    view->ScrollToPosition(CPoint(0, 200));
    struct Case {
        const char* setting; // the user's lines per notch, null for none
        short delta;
        UINT keys;
        LONG y;
    };
    const Case cases[] = {
        {nullptr, -120, 0, 218}, // three lines down
        {nullptr, 120, 0, 182},  // three lines up
        {nullptr, -240, 0, 236}, // two notches at once
        {nullptr, -120, MK_CONTROL, 200},
        {nullptr, -120, MK_SHIFT, 200},
        {"1", -120, 0, 206},
        {"1", 120, 0, 194},   // one line up, as one line down
        {"50", -120, 0, 260}, // at most a page
        {"50", 120, 0, 140},  // either way
        {"-1", -120, 0, 260}, // a page per notch
        {"-1", 120, 0, 140},
    };
    for (const Case& c : cases) {
        SetUserWheelLines(c.setting);
        view->ScrollToPosition(CPoint(0, 200));
        Wheel(c.delta, c.keys);
        EXPECT_EQ(Y(), c.y) << (c.setting ? c.setting : "default") << " " << c.delta;
    }
    // A turn of the wheel over the drawing, and over the bar, as Qt delivers them.
    SetUserWheelLines(nullptr);
    for (QWidget* target : {view->GetWidget(), static_cast<QWidget*>(QtBar(SB_VERT))}) {
        view->ScrollToPosition(CPoint(0, 200));
        QPointF at(target->width() / 2, target->height() / 2);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        EXPECT_EQ(Y(), 218) << target->metaObject()->className();
    }
    // With only a horizontal bar the wheel scrolls across.
    SetUserWheelLines(nullptr);
    view->SetScrollSizes(MM_TEXT, CSize(1000, 100));
    Wheel(-120);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(30, 0));
}

// A wheel driver's window answers how many lines a notch scrolls.
class CWheelDriver : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == RegisterWindowMessage("MSH_SCROLL_LINES_MSG"))
            return 7;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(ScrollViewTest, WheelLinesAreKeptUntilTheSettingsChange) {
    SetUserWheelLines("5");
    EXPECT_EQ(AfxGetMouseScrollLines(), 5);
    SetUserWheelLines(nullptr);
    EXPECT_EQ(AfxGetMouseScrollLines(), 3) << "the system's value";
    SetUserWheelLines("9", true);
    EXPECT_EQ(AfxGetMouseScrollLines(), 3) << "kept";
    view->SendMessage(WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(AfxGetMouseScrollLines(), 9);
    SetUserWheelLines("garbage");
    EXPECT_EQ(AfxGetMouseScrollLines(), 3) << "an unreadable setting counts as none";

    CWheelDriver driver;
    ASSERT_TRUE(
        driver.CreateEx(0, "MouseZ", "Magellan MSWHEEL", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0));
    AfxResetMouseScrollLines();
    EXPECT_EQ(AfxGetMouseScrollLines(), 7) << "the driver comes first";
    driver.DestroyWindow();
    AfxResetMouseScrollLines();
    EXPECT_EQ(AfxGetMouseScrollLines(), 3);
}

} // namespace
