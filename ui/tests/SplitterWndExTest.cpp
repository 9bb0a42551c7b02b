#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/SplitterWndEx.h"

#include "platform/gui/Frame.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class CGridView : public CView {
    DECLARE_DYNCREATE(CGridView)
};
IMPLEMENT_DYNCREATE(CGridView, CView)

class CGridFrame : public CFrameWnd {
public:
    CSplitterWndEx split;
    int rows = 1, cols = 3;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        if (!split.CreateStatic(this, rows, cols))
            return FALSE;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (!split.CreateView(r, c, RUNTIME_CLASS(CGridView), CSize(100, 60), pContext))
                    return FALSE;
        return TRUE;
    }
};

// Opens the drawing steps to the tests.
class COpenSplitter : public CSplitterWndEx {
public:
    using CSplitterWndEx::DrawAllSplitBars;
    using CSplitterWndEx::m_bHasVScroll;
};

QColor Colour(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

class SplitterWndExTest : public GuiTest {
protected:
    CGridFrame* Make(int rows, int cols) {
        auto* f = new CGridFrame;
        f->rows = rows;
        f->cols = cols;
        EXPECT_TRUE(f->Create(nullptr, "grid", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
        f->ShowWindow(SW_SHOW);
        f->MoveWindow(0, 0, 400, 300);
        return f;
    }
};

TEST_F(SplitterWndExTest, HiddenColumnKeepsItsPaneAndTheOthersMoveUp) {
    CGridFrame* f = Make(1, 3);
    CSplitterWndEx& s = f->split;
    CWnd* first = s.GetPane(0, 0);
    CWnd* middle = s.GetPane(0, 1);
    CWnd* last = s.GetPane(0, 2);
    s.HideColumn(1);
    EXPECT_TRUE(s.IsColumnHidden(1));
    EXPECT_EQ(2, s.GetColumnCount());
    EXPECT_EQ(last, s.GetPaneEx(0, 2));
    EXPECT_EQ(last, s.GetPane(0, 1));
    EXPECT_EQ(middle, s.GetPaneEx(0, 1));
    EXPECT_EQ(CSplitterWndEx::HiddenId(0, 1), middle->GetDlgCtrlID());
    EXPECT_FALSE(middle->IsWindowVisible());
    EXPECT_EQ(100, s.GetColumnSize(1));
    s.HideColumn(1, FALSE);
    EXPECT_EQ(3, s.GetColumnCount());
    EXPECT_EQ(middle, s.GetPane(0, 1));
    EXPECT_EQ(last, s.GetPane(0, 2));
    EXPECT_EQ(first, s.GetPane(0, 0));
    EXPECT_TRUE(middle->IsWindowVisible());
    f->DestroyWindow();
}

TEST_F(SplitterWndExTest, HidingAndShowingARowRestoresItsHeight) {
    CGridFrame* f = Make(3, 1);
    CSplitterWndEx& s = f->split;
    int before, min;
    s.GetRowInfo(1, before, min);
    EXPECT_EQ(60, before);
    s.HideRowOrColumn(1, TRUE, TRUE);
    EXPECT_TRUE(s.IsRowHidden(1));
    EXPECT_EQ(2, s.GetRowCount());
    s.HideRowOrColumn(1, TRUE, TRUE); // already hidden: nothing changes
    EXPECT_EQ(2, s.GetRowCount());
    s.HideRowOrColumn(1, FALSE, TRUE);
    int after;
    s.GetRowInfo(1, after, min);
    EXPECT_EQ(before, after);
    f->DestroyWindow();
}

TEST_F(SplitterWndExTest, HidingTheActiveRowActivatesTheNextOne) {
    CGridFrame* f = Make(3, 1);
    CSplitterWndEx& s = f->split;
    CWnd* third = s.GetPane(2, 0);
    s.SetActivePane(1, 0);
    s.HideRowOrColumn(1, TRUE, TRUE);
    EXPECT_EQ(third, f->GetActiveView());
    int row, col;
    EXPECT_EQ(third, s.GetActivePane(&row, &col));
    EXPECT_EQ(1, row);
    Pump();
    EXPECT_TRUE(f->SaveScreenshot(ScreenPath("splitter-hidden-row").c_str()));
    f->DestroyWindow();
}

TEST_F(SplitterWndExTest, BarsAreHitABorderBeyondTheirEdgesAndDragExactly) {
    CGridFrame* f = Make(2, 2);
    CSplitterWndEx& s = f->split;
    CRect left = RectIn(s.GetPane(0, 0), &s), right = RectIn(s.GetPane(0, 1), &s);
    CRect top = left, bottom = RectIn(s.GetPane(1, 0), &s);
    CRect bar;
    s.GetHitRect(CSplitterWnd::vSplitterBar1, bar);
    EXPECT_EQ(left.right - 1, bar.left);
    EXPECT_EQ(right.left + 1, bar.right);
    s.GetHitRect(CSplitterWnd::hSplitterBar1, bar);
    EXPECT_EQ(top.bottom - 1, bar.top);
    EXPECT_EQ(bottom.top + 1, bar.bottom);
    EXPECT_EQ(CSplitterWnd::vSplitterBar1, s.HitTest(CPoint(left.right - 1, 5)));

    // A bar dragged by 10 pixels moves the pane edge by exactly 10, and one merely clicked
    // stays where it is.
    struct Drag {
        int ht, dx, dy, grow;
    } drags[] = {{CSplitterWnd::vSplitterBar1, 10, 0, 10},
                 {CSplitterWnd::vSplitterBar1, 0, 0, 0},
                 {CSplitterWnd::hSplitterBar1, 0, -7, -7}};
    for (const Drag& d : drags) {
        bool column = d.ht == CSplitterWnd::vSplitterBar1;
        int before, min;
        column ? s.GetColumnInfo(0, before, min) : s.GetRowInfo(0, before, min);
        s.GetHitRect(d.ht, bar);
        CPoint at = bar.CenterPoint();
        s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x + d.dx, at.y + d.dy));
        s.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x + d.dx, at.y + d.dy));
        int after;
        column ? s.GetColumnInfo(0, after, min) : s.GetRowInfo(0, after, min);
        EXPECT_EQ(before + d.grow, after) << d.ht << " by " << d.dx << "," << d.dy;
    }
    f->DestroyWindow();
}

TEST_F(SplitterWndExTest, PaneBordersAreDrawnTwoBordersOut) {
    auto* f = new CFrameWnd;
    ASSERT_TRUE(f->Create(nullptr, "grid", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    f->ShowWindow(SW_SHOW);
    COpenSplitter s;
    ASSERT_TRUE(s.CreateStatic(f, 1, 2));
    for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(s.CreateView(0, c, RUNTIME_CLASS(CGridView), CSize(100, 60), nullptr));
    s.MoveWindow(0, 0, 300, 200);
    CRect left = RectIn(s.GetPane(0, 0), &s), right = RectIn(s.GetPane(0, 1), &s);
    QImage img(340, 240, QImage::Format_RGB32); // room for what is drawn past the edges
    img.fill(Qt::white);
    CDC dc;
    dc.AttachImage(&img);
    s.DrawAllSplitBars(&dc, 298, 198);
    int y = left.CenterPoint().y;
    QColor bar = Colour(s.m_crBar), face = Colour(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(bar, QColor(img.pixel(left.right + 1, y)));
    EXPECT_EQ(bar, QColor(img.pixel(right.left - 2, y)));
    EXPECT_EQ(bar, QColor(img.pixel(right.CenterPoint().x, right.bottom + 1)));
    EXPECT_EQ(face, QColor(img.pixel(left.right + 2, y))) << "the bar between the frames";
    // With a vertical scroll bar the last column's frame takes it in.
    s.m_bHasVScroll = TRUE;
    img.fill(Qt::white);
    s.DrawAllSplitBars(&dc, 298, 198);
    EXPECT_EQ(bar, QColor(img.pixel(right.right + 1 + GetSystemMetrics(SM_CXVSCROLL), y)));
    dc.DeleteDC();
    s.DestroyWindow();
    f->DestroyWindow();
}

TEST_F(SplitterWndExTest, NestedSplitterDrawsOnTheChosenWindow) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 360, 260),
                                nullptr, 0));
    COpenSplitter s;
    ASSERT_TRUE(s.CreateStatic(&parent, 1, 2));
    for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(s.CreateView(0, c, RUNTIME_CLASS(CGridView), CSize(100, 60), nullptr));
    s.MoveWindow(20, 30, 300, 200);
    s.m_nDrawWindow = 2;
    s.SetNested(TRUE);
    CRect left = RectIn(s.GetPane(0, 0), &parent);
    QImage own(300, 200, QImage::Format_RGB32);
    own.fill(Qt::white);
    {
        CDC dc;
        dc.AttachImage(&own);
        s.DrawAllSplitBars(&dc, 298, 198);
    }
    const QImage& drawn = parent.m_p->backing;
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(Colour(s.m_crBar), QColor(drawn.pixel(left.right + 1, left.CenterPoint().y)))
        << "in the parent's coordinates";
    EXPECT_EQ(QColor(Qt::white), QColor(own.pixel(left.right - 20 + 1, left.CenterPoint().y - 30)))
        << "nothing on the splitter's own surface";

    // The tracker inverts the parent's picture where the bar is, and a second time puts it back.
    CRect hit;
    s.GetHitRect(CSplitterWnd::vSplitterBar1, hit);
    CPoint at(hit.CenterPoint().x, 100);
    QRgb before = drawn.pixel(at.x + 20, at.y + 30);
    s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    EXPECT_EQ((before ^ 0xFFFFFF) & 0xFFFFFF,
              parent.m_p->backing.pixel(at.x + 20, at.y + 30) & 0xFFFFFF);
    s.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(before & 0xFFFFFF, parent.m_p->backing.pixel(at.x + 20, at.y + 30) & 0xFFFFFF);
    s.DestroyWindow();
    parent.DestroyWindow();
}

} // namespace
