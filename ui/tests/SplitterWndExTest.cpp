#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/SplitterWndEx.h"

#include "platform/gui/Frame.h"

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

} // namespace
