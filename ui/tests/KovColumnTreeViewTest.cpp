#include "platform/gui/CommCtrl.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovColumnTreeView.h"
#include "ui/TreeViewDrawHelper.h"

#include <QImage>

namespace {

class CTaskColumnTree : public CColumnTreeCtrl {
    DECLARE_DYNCREATE(CTaskColumnTree)
};
IMPLEMENT_DYNCREATE(CTaskColumnTree, CColumnTreeCtrl)

class KovColumnTreeViewTest : public GuiTest {
protected:
    CWnd host;
    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 320, 240),
                                  nullptr, 0));
    }
    void TearDown() override { host.DestroyWindow(); }
    // The view is a heap object: it deletes itself when its window goes.
    CKovColumnTreeView* MakeView(CRuntimeClass* controlClass) {
        auto* view = new CKovColumnTreeView;
        if (controlClass != nullptr)
            view->m_pControlClass = controlClass;
        EXPECT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host,
                                 AFX_IDW_PANE_FIRST, nullptr));
        return view;
    }
};

} // namespace

TEST_F(KovColumnTreeViewTest, CreatesItsControlClassFillingTheView) {
    for (CRuntimeClass* cls : {(CRuntimeClass*)nullptr, RUNTIME_CLASS(CTaskColumnTree)}) {
        CKovColumnTreeView* view = MakeView(cls);
        CColumnTreeCtrl* ctrl = view->GetColumnTreeCtrl();
        ASSERT_NE(ctrl, nullptr);
        EXPECT_EQ(ctrl->IsKindOf(RUNTIME_CLASS(CTaskColumnTree)), cls != nullptr);
        EXPECT_EQ(ctrl->GetDlgCtrlID(), 1000);
        DWORD bits = TVS_HASBUTTONS | TVS_LINESATROOT | TVS_FULLROWSELECT;
        EXPECT_EQ(view->GetTreeCtrl().GetStyle() & bits, bits);
        view->SetWindowPos(nullptr, 0, 0, 260, 150, SWP_NOZORDER | SWP_NOMOVE);
        CRect rc;
        ctrl->GetWindowRect(&rc);
        EXPECT_EQ(rc.Size(), CSize(260, 150));
        view->DestroyWindow();
    }
}

TEST_F(KovColumnTreeViewTest, TheColumnTreeHandsItsBeginDragToItsDragEngine) {
    CKovColumnTreeView* view = MakeView(nullptr);
    CColumnTreeCtrl* ctrl = view->GetColumnTreeCtrl();
    ctrl->InsertColumn(0, "任务", HDF_LEFT, 200);
    CCustomTreeChildCtrl& tree = view->GetTreeCtrl();
    HTREEITEM x = tree.InsertItem("一");
    HTREEITEM y = tree.InsertItem("二");
    tree.CKovTreeCtrlEnhancer::SelectItem(x, TRUE);
    tree.CKovTreeCtrlEnhancer::SelectItem(y, TRUE);
    ctrl->m_dragHelper.Attach(view, &tree);
    NMTREEVIEW nm{};
    nm.itemNew.hItem = y;
    AfxSendNotify(&tree, &nm.hdr, TVN_BEGINDRAG);
    EXPECT_TRUE(ctrl->m_dragHelper.IsDragging());
    EXPECT_EQ(ctrl->m_dragHelper.GetItems().GetSize(), 2);
    // The tree losing the mouse ends the drag.
    host.SetCapture();
    EXPECT_FALSE(ctrl->m_dragHelper.IsDragging());
    ReleaseCapture();
    view->DestroyWindow();
}

TEST_F(KovColumnTreeViewTest, TextAfterAnItemClearsAStripAndAnswersItsWidth) {
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host, 1));
    HTREEITEM item = tree.InsertItem("组");
    CTreeViewDrawHelper draw;
    draw.m_pTree = &tree;
    draw.SetBackgroundColor(RGB(0, 0, 255));
    CRect label;
    tree.GetItemRect(item, &label, TRUE);
    QImage img(600, 200, QImage::Format_ARGB32);
    img.fill(Qt::red);
    CString longText("(1234567890/1234567890/1234567890)");
    int width = 0, measured = 0;
    {
        CDC dc;
        dc.AttachImage(&img);
        width = draw.DrawTextAfterItem(&dc, item, longText, RGB(0, 0, 0), 2);
        measured = dc.GetTextExtent(longText).cx;
    }
    EXPECT_EQ(width, measured);
    EXPECT_GT(width, 100);
    int y = label.top + 1;
    // The strip of 100 pixels after the offset is cleared; nothing before it or past it.
    EXPECT_EQ(img.pixelColor(label.right + 2 + 99, y), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(label.right + 1, y), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(label.right + 2 + 101, y), QColor(Qt::red));
    tree.DestroyWindow();
}

TEST(FormatItemCount, CountsOwnAndAllContents) {
    struct Row {
        int own, all;
        const char* text; // null: no text
    } rows[] = {{0, 0, nullptr}, {-1, 0, nullptr}, {0, 4, "(0/4)"}, {3, 3, "(3)"},
                {3, 5, "(3/5)"}};
    for (const Row& r : rows) {
        CString text;
        EXPECT_EQ(FormatItemCount(r.own, r.all, text), r.text != nullptr);
        if (r.text != nullptr) {
            EXPECT_EQ(text, r.text);
        }
    }
}
