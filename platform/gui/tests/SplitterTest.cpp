#include "FrameTestSupport.h"
#include "GuiTestSupport.h"

#include "platform/gui/Accel.h"
#include "platform/gui/Frame.h"
#include "platform/gui/RichEditCtrl.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/TreeCtrl.h"

#include <QTest>

namespace {

// A frame whose client is a splitter of two views side by side.
class CSplitFrame : public CFrameWnd {
public:
    CSplitterWnd split;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        if (!split.CreateStatic(this, 1, 2))
            return FALSE;
        return split.CreateView(0, 0, RUNTIME_CLASS(CPaneColourView), CSize(120, 0), pContext) &&
               split.CreateView(0, 1, RUNTIME_CLASS(CPaneColourView), CSize(0, 0), pContext);
    }
};

class SplitterTest : public GuiTest {
protected:
    CSplitFrame* frame = nullptr;
    void SetUp() override {
        frame = new CSplitFrame;
        ASSERT_TRUE(frame->Create(nullptr, "splitter", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200)));
        frame->ShowWindow(SW_SHOW);
        frame->MoveWindow(0, 0, 400, 200);
    }
    void TearDown() override {
        if (IsWindow(frame->m_hWnd))
            frame->DestroyWindow(); // the frame deletes itself
    }
};

TEST_F(SplitterTest, PanesTakeIdealSizesAndTheLastColumnTheRest) {
    CSplitterWnd& s = frame->split;
    CWnd* left = s.GetPane(0, 0);
    CWnd* right = s.GetPane(0, 1);
    ASSERT_NE(nullptr, left);
    ASSERT_NE(nullptr, right);
    EXPECT_EQ(AFX_IDW_PANE_FIRST + 1, right->GetDlgCtrlID());
    EXPECT_EQ(AFX_IDW_PANE_FIRST, s.GetDlgCtrlID());
    int cur, min;
    s.GetColumnInfo(0, cur, min);
    EXPECT_EQ(120, cur);
    CRect inside;
    s.GetClientRect(&inside);
    s.GetColumnInfo(1, cur, min);
    EXPECT_EQ(inside.Width() - 2 * 2 - 120 - 7, cur);

    // A column below its minimum gets nothing and its pane is hidden.
    s.SetColumnInfo(0, 30, 50);
    s.RecalcLayout();
    s.GetColumnInfo(0, cur, min);
    EXPECT_EQ(0, cur);
    EXPECT_FALSE(left->IsWindowVisible());
    s.SetColumnInfo(0, 150, 50);
    s.RecalcLayout();
    EXPECT_TRUE(left->IsWindowVisible());
    CRect rc;
    left->GetClientRect(&rc);
    EXPECT_EQ(150, rc.Width());
}

TEST_F(SplitterTest, DraggingTheBarResizesTheFirstColumn) {
    CSplitterWnd& s = frame->split;
    CRect bar;
    s.GetHitRect(CSplitterWnd::vSplitterBar1, bar);
    EXPECT_EQ(2 + 120, bar.left);
    EXPECT_EQ(CSplitterWnd::vSplitterBar1, s.HitTest(CPoint(bar.left + 2, 50)));
    EXPECT_EQ(CSplitterWnd::noHit, s.HitTest(CPoint(10, 50)));
    s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 2, 50));
    s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar.left + 42, 60));
    s.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(bar.left + 42, 60));
    int cur, min;
    s.GetColumnInfo(0, cur, min);
    EXPECT_EQ(160, cur);
    // A drag past the edge stops at the splitter's inside.
    s.GetHitRect(CSplitterWnd::vSplitterBar1, bar);
    s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left, 50));
    s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, 50));
    s.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5000, 50));
    s.GetColumnInfo(1, cur, min);
    EXPECT_EQ(0, cur);
    Pump();
}

TEST_F(SplitterTest, ActivePaneFollowsTheFramesActiveView) {
    CSplitterWnd& s = frame->split;
    int row = 9, col = 9;
    EXPECT_EQ(nullptr, s.GetActivePane(&row, &col));
    EXPECT_EQ(-1, row);
    s.SetActivePane(0, 1);
    EXPECT_EQ(s.GetPane(0, 1), frame->GetActiveView());
    EXPECT_EQ(s.GetPane(0, 1), s.GetActivePane(&row, &col));
    EXPECT_EQ(0, row);
    EXPECT_EQ(1, col);
    Pump();
    EXPECT_TRUE(frame->SaveScreenshot(ScreenPath("splitter-two-views").c_str()));
}

// A frame like the program's main window: on the left a pane window that holds a tree, on the
// right a view; F6 and Shift+F6 are the frame's accelerators.
class CPanesFrame : public CFrameWnd {
public:
    CSplitterWnd split;
    CWnd holder;
    CTreeCtrl tree;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        if (!split.CreateStatic(this, 1, 2))
            return FALSE;
        CRect r(0, 0, 100, 100);
        if (!holder.Create(nullptr, "", WS_CHILD | WS_VISIBLE, r, &split,
                           split.IdFromRowCol(0, 0)) ||
            !tree.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, r, &holder, 100))
            return FALSE;
        split.SetColumnInfo(0, 120, 10);
        return split.CreateView(0, 1, RUNTIME_CLASS(CPaneColourView), CSize(0, 0), pContext);
    }
};

TEST_F(SplitterTest, F6MovesTheFocusRoundThePanesAndShiftF6Back) {
    auto* f = new CPanesFrame;
    ASSERT_TRUE(f->Create(nullptr, "panes", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200)));
    ACCEL keys[] = {{FVIRTKEY, VK_F6, ID_NEXT_PANE}, {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE}};
    f->m_hAccelTable = CreateAcceleratorTable(keys, 2);
    f->ShowWindow(SW_SHOW);
    f->tree.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &f->tree; }));
    CWnd* view = f->split.GetPane(0, 1);
    auto press = [](Qt::KeyboardModifiers mods) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(nullptr, focus);
        QTest::keyClick(focus, Qt::Key_F6, mods);
        Pump();
    };
    press(Qt::NoModifier);
    EXPECT_EQ(view, CWnd::GetFocus());
    EXPECT_EQ(view, f->GetActiveView());
    press(Qt::NoModifier); // round again, into the control inside the left pane
    EXPECT_EQ(&f->tree, CWnd::GetFocus());
    press(Qt::ShiftModifier);
    EXPECT_EQ(view, CWnd::GetFocus());
    press(Qt::ShiftModifier);
    EXPECT_EQ(&f->tree, CWnd::GetFocus());
    // With the left pane hidden there is nowhere else to go: the focus stays in the view.
    f->holder.ShowWindow(SW_HIDE);
    view->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == view; }));
    press(Qt::NoModifier);
    EXPECT_EQ(view, CWnd::GetFocus());
    press(Qt::ShiftModifier);
    EXPECT_EQ(view, CWnd::GetFocus());
    f->DestroyWindow();
}

// The program's main window translates its keys itself, without the frame's own translation.
class COwnKeysFrame : public CPanesFrame {
public:
    BOOL PreTranslateMessage(MSG*) override { return FALSE; }
};

TEST_F(SplitterTest, TabGoesRoundThePanesUnlessTheFocusedWindowUsesIt) {
    auto* f = new COwnKeysFrame;
    ASSERT_TRUE(f->Create(nullptr, "panes", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200)));
    f->ShowWindow(SW_SHOW);
    CWnd* view = f->split.GetPane(0, 1);
    auto tab = [](Qt::KeyboardModifiers mods) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(nullptr, focus);
        QTest::keyClick(focus, Qt::Key_Tab, mods);
        Pump();
    };
    f->tree.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &f->tree; }));
    // An Alt whose release went elsewhere (to a menu opened with it) must not stop Tab.
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Alt);
    const struct {
        Qt::KeyboardModifiers mods;
        CWnd* to;
    } steps[] = {{Qt::NoModifier, view},
                 {Qt::NoModifier, &f->tree},
                 {Qt::ShiftModifier, view},
                 {Qt::ShiftModifier, &f->tree}};
    for (const auto& step : steps) {
        tab(step.mods);
        EXPECT_EQ(step.to, CWnd::GetFocus());
    }
    EXPECT_EQ(view, f->GetActiveView());
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);

    // A text field in a pane types the Tab: the focus stays.
    CRichEditCtrl text;
    ASSERT_TRUE(text.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, CRect(0, 0, 80, 40),
                            &f->holder, 101));
    text.SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &text; }));
    tab(Qt::NoModifier);
    EXPECT_EQ(&text, CWnd::GetFocus());
    CString typed;
    text.GetWindowText(typed);
    EXPECT_EQ(CString("\t"), typed);
    text.DestroyWindow();
    f->DestroyWindow();
}

} // namespace
