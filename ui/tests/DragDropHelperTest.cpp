#include "platform/gui/ListCtrl.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/ColumnTreeCtrl.h"
#include "ui/DragDropHelper.h"

#include <QDir>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

namespace {

// A window that another control's drag is over: keeps the highlight, scroll and wheel
// messages it gets.
class TargetWnd : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> highlights;
    std::vector<std::string> scrolls;
    int wheels = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DRAG_HIGHLIGHT)
            highlights.push_back({wParam, lParam});
        else if (message == WM_VSCROLL)
            scrolls.push_back(wParam == SB_LINEUP ? "up" : "down");
        else if (message == WM_HSCROLL)
            scrolls.push_back(wParam == SB_LINELEFT ? "left" : "right");
        else if (message == WM_MOUSEWHEEL)
            ++wheels;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ScrollTree : public CTreeCtrl {
public:
    std::vector<std::string> scrolls;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_VSCROLL)
            scrolls.push_back(wParam == SB_LINEUP ? "up" : "down");
        return CTreeCtrl::WindowProc(message, wParam, lParam);
    }
};

struct DropCall {
    DRAGITEM item;
    DRAGITEM target;
    int keys;
    BOOL test;
    BOOL hasNext;
};

class DragDropHelperTest : public GuiTest {
protected:
    CWnd host;
    ScrollTree tree;
    TargetWnd other;
    CTreeCtrlDragDropHelper drag;
    HTREEITEM a = nullptr, b = nullptr, c = nullptr;
    std::vector<DropCall> inSelf, onWindow;
    bool refuse = false;
    HWND otherAnswer = nullptr;

    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(100, 100, 500, 400), nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_TRACKSELECT, CRect(0, 50, 200, 250),
                                &host, 1));
        ASSERT_TRUE(other.CreateEx(0, nullptr, "other", WS_CHILD | WS_VISIBLE,
                                   CRect(250, 50, 390, 250), &host, 2));
        a = tree.InsertItem("甲");
        b = tree.InsertItem("乙");
        c = tree.InsertItem("丙");
        drag.Attach(&host, &tree);
        drag.SetCallbacks(
            &host,
            [this](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int keys, BOOL test,
                   BOOL hasNext, int&) {
                inSelf.push_back({item, target, keys, test, hasNext});
                return !refuse && target != 0 && target != item;
            },
            [this](CWnd*, DRAGITEM item, DWORD, int, int, int keys, BOOL test, int,
                   HWND& hWnd, DRAGITEM& target, BOOL hasNext, BOOL, int&) {
                onWindow.push_back({item, 0, keys, test, hasNext});
                hWnd = otherAnswer;
                target = otherAnswer ? 77 : 0;
                return otherAnswer != nullptr;
            });
    }
    void TearDown() override {
        drag.CancelDrag();
        if (other.m_hWnd)
            other.DestroyWindow();
        tree.DestroyWindow();
        host.DestroyWindow();
    }
    CPoint Center(HTREEITEM h) {
        CRect r;
        tree.GetItemRect(h, &r, TRUE);
        return r.CenterPoint();
    }
    void Begin(HTREEITEM h) {
        NMTREEVIEW nm{};
        nm.hdr.hwndFrom = tree.m_hWnd;
        nm.hdr.code = TVN_BEGINDRAG;
        nm.itemNew.hItem = h;
        nm.ptDrag = Center(h);
        EXPECT_TRUE(drag.OnMessage(WM_NOTIFY, 1, (LPARAM)&nm));
    }
    void Move(CPoint pt, UINT keys = 0) { drag.OnMessage(WM_MOUSEMOVE, keys, MAKELPARAM(pt.x, pt.y)); }
    void Up(CPoint pt, UINT keys = 0) { drag.OnMessage(WM_LBUTTONUP, keys, MAKELPARAM(pt.x, pt.y)); }
    // A point of the other window in the tree's client coordinates.
    CPoint InOther() {
        CPoint pt(20, 20);
        other.ClientToScreen(&pt);
        tree.ScreenToClient(&pt);
        return pt;
    }
    int RealDrops(const std::vector<DropCall>& calls) {
        int n = 0;
        for (const DropCall& d : calls)
            n += d.test ? 0 : 1;
        return n;
    }
};

} // namespace

TEST_F(DragDropHelperTest, DragsInsideTheTreeWithImageHighlightCursorAndDrop) {
    Begin(a);
    EXPECT_TRUE(drag.IsDragging());
    EXPECT_EQ(CWnd::GetCapture(), &tree);
    EXPECT_TRUE(AfxGetDragImageState(nullptr));
    // Hot tracking off and tool tips off for the time of the drag.
    EXPECT_EQ(tree.GetStyle() & (TVS_TRACKSELECT | TVS_NOTOOLTIPS), (DWORD)TVS_NOTOOLTIPS);

    Move(Center(b));
    EXPECT_EQ(tree.GetDropHilightItem(), b);
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_NORMAL);
    ASSERT_FALSE(inSelf.empty());
    EXPECT_TRUE(inSelf.back().test);
    EXPECT_EQ(inSelf.back().target, (DRAGITEM)b);
    Move(Center(c), MK_CONTROL);
    EXPECT_EQ(tree.GetDropHilightItem(), c);
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_CTRL);
    // Releasing Ctrl switches back at once, without a move.
    drag.OnMessage(WM_KEYDOWN, VK_CONTROL, 0);
    drag.OnMessage(WM_KEYUP, VK_CONTROL, 0);
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_NORMAL);
    // Over the source itself the callback refuses: the no-drop cursor.
    Move(Center(a));
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_NODROP);

    Move(Center(c), MK_CONTROL);
    inSelf.clear();
    Up(Center(c), MK_CONTROL);
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_FALSE(AfxGetDragImageState(nullptr));
    EXPECT_EQ(tree.GetDropHilightItem(), nullptr);
    EXPECT_EQ(tree.GetStyle() & (TVS_TRACKSELECT | TVS_NOTOOLTIPS), (DWORD)TVS_TRACKSELECT);
    // A test pass, then the real one, with the keys of the button-up.
    ASSERT_EQ(inSelf.size(), 2u);
    EXPECT_TRUE(inSelf[0].test);
    EXPECT_FALSE(inSelf[1].test);
    EXPECT_EQ(inSelf[1].target, (DRAGITEM)c);
    EXPECT_EQ(inSelf[1].keys, DRAG_KEY_CTRL);
    EXPECT_EQ(CDragDropHelper::GetDroppedCount(), 1);
    EXPECT_EQ(CDragDropHelper::GetDropIndex(), -1);
}

TEST_F(DragDropHelperTest, ARealDropCountsAcceptedItemsAndARefusedTestDropsNothing) {
    Begin(a);
    Move(Center(c));
    Up(Center(c));
    EXPECT_EQ(RealDrops(inSelf), 1);
    EXPECT_EQ(CDragDropHelper::GetDroppedCount(), 1);

    inSelf.clear();
    refuse = true;
    Begin(a);
    Move(Center(c));
    Up(Center(c));
    EXPECT_EQ(RealDrops(inSelf), 0);
}

TEST_F(DragDropHelperTest, EscapeContextMenuAndLostCaptureEndTheDragWithoutDropping) {
    enum How { Escape, ContextMenu, LostCapture };
    for (How how : {Escape, ContextMenu, LostCapture}) {
        SCOPED_TRACE(how);
        inSelf.clear();
        Begin(a);
        Move(Center(b));
        ASSERT_EQ(tree.GetDropHilightItem(), b);
        if (how == Escape)
            drag.OnMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        else if (how == ContextMenu)
            drag.OnMessage(WM_CONTEXTMENU, 0, 0);
        else {
            // Another window takes the mouse: the tree hears of it as its view would pass on.
            other.SetCapture();
            drag.OnMessage(WM_CAPTURECHANGED, 0, (LPARAM)other.m_hWnd);
        }
        EXPECT_FALSE(drag.IsDragging());
        EXPECT_EQ(tree.GetDropHilightItem(), nullptr);
        EXPECT_FALSE(AfxGetDragImageState(nullptr));
        // A later button-up drops nothing.
        Up(Center(b));
        EXPECT_EQ(RealDrops(inSelf), 0);
        ReleaseCapture();
    }
}

TEST_F(DragDropHelperTest, HighlightsInAnotherWindowGoByMessageAndADestroyedTargetIsLeftAlone) {
    otherAnswer = other.m_hWnd;
    Begin(a);
    Move(InOther());
    ASSERT_EQ(other.highlights.size(), 1u);
    EXPECT_EQ(other.highlights[0], (std::pair<WPARAM, LPARAM>{1, 77}));
    EXPECT_EQ(drag.GetCursorState(), DRAG_CURSOR_NORMAL);
    // Back over the tree: the other window's highlight goes.
    Move(Center(b));
    ASSERT_EQ(other.highlights.size(), 2u);
    EXPECT_EQ(other.highlights[1], (std::pair<WPARAM, LPARAM>{0, 77}));
    Move(InOther());
    EXPECT_EQ(other.highlights.size(), 3u);
    // The target goes away during the drag: nothing is sent to it, nothing breaks.
    HWND gone = other.m_hWnd;
    other.DestroyWindow();
    otherAnswer = nullptr;
    Move(InOther());
    EXPECT_FALSE(IsWindow(gone));
    Up(InOther());
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_EQ(RealDrops(onWindow), 0);
}

TEST_F(DragDropHelperTest, APointerJustOutsideTheLastTargetScrollsIt) {
    Begin(a);
    Move(Center(b));
    struct Row {
        int y;
        std::vector<std::string> expected;
    } rows[] = {{-10, {"up"}}, {-14, {"up"}}, {-30, {}}, {210, {"down"}}};
    for (const Row& r : rows) {
        tree.scrolls.clear();
        Move(CPoint(50, r.y));
        EXPECT_EQ(tree.scrolls, r.expected) << r.y;
        Move(Center(b));
    }
}

TEST_F(DragDropHelperTest, TheWheelScrollsTheTargetNotTheSource) {
    otherAnswer = other.m_hWnd;
    Begin(a);
    Move(InOther());
    MSG msg{};
    msg.hwnd = tree.m_hWnd;
    msg.message = WM_MOUSEWHEEL;
    msg.wParam = MAKEWPARAM(0, (WORD)(short)-120);
    msg.lParam = 0;
    EXPECT_TRUE(drag.FilterMessage(&msg));
    EXPECT_EQ(msg.message, 0u);
    EXPECT_EQ(other.wheels, 1);
    // Less than a notch does nothing.
    msg.message = WM_MOUSEWHEEL;
    msg.wParam = MAKEWPARAM(0, 60);
    drag.FilterMessage(&msg);
    EXPECT_EQ(other.wheels, 1);
    drag.CancelDrag();
    // Outside a drag the wheel is the control's own.
    msg.message = WM_MOUSEWHEEL;
    EXPECT_FALSE(drag.FilterMessage(&msg));
}

TEST_F(DragDropHelperTest, SeveralListRowsDragWithoutImageButWithHighlight) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 240, 200), &host, 3));
    list.InsertColumn(0, "名称", LVCFMT_LEFT, 200);
    for (const char* n : {"一", "二", "三"})
        list.InsertItem(list.GetItemCount(), n);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    CListCtrlDragDropHelper ldrag;
    ldrag.Attach(&host, &list);
    std::vector<DropCall> calls;
    ldrag.SetCallbacks(&host,
                       [&](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int keys,
                           BOOL test, BOOL hasNext, int&) {
                           calls.push_back({item, target, keys, test, hasNext});
                           return target == 2;
                       },
                       nullptr);
    CRect r0, r2;
    list.GetItemRect(0, &r0, LVIR_BOUNDS);
    list.GetItemRect(2, &r2, LVIR_BOUNDS);
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = list.m_hWnd;
    nm.hdr.code = LVN_BEGINDRAG;
    nm.iItem = 0;
    nm.ptAction = r0.CenterPoint();
    ldrag.OnMessage(WM_NOTIFY, 3, (LPARAM)&nm);
    ASSERT_TRUE(ldrag.IsDragging());
    EXPECT_FALSE(AfxGetDragImageState(nullptr));
    ldrag.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(r2.CenterPoint().x, r2.CenterPoint().y));
    EXPECT_EQ(list.GetItemState(2, LVIS_DROPHILITED), (UINT)LVIS_DROPHILITED);
    EXPECT_EQ(ldrag.GetCursorState(), DRAG_CURSOR_NORMAL);
    calls.clear();
    ldrag.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(r2.CenterPoint().x, r2.CenterPoint().y));
    EXPECT_EQ(list.GetItemState(2, LVIS_DROPHILITED), 0u);
    // Both rows in the test pass and in the real one, the first told that one more follows.
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].item, 0);
    EXPECT_TRUE(calls[2].hasNext);
    EXPECT_EQ(calls[3].item, 1);
    EXPECT_FALSE(calls[3].hasNext);
    EXPECT_EQ(CDragDropHelper::GetDroppedCount(), 2);
    ReleaseCapture();
    list.DestroyWindow();
}

TEST_F(DragDropHelperTest, AMultipleSelectionTreeDragsEverySelectedItem) {
    CColumnTreeCtrl ctree;
    ASSERT_TRUE(ctree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 240, 200), &host, 4));
    ctree.InsertColumn(0, "任务", HDF_LEFT, 200);
    CCustomTreeChildCtrl& inner = ctree.GetTreeCtrl();
    HTREEITEM x = inner.InsertItem("一");
    HTREEITEM y = inner.InsertItem("二");
    HTREEITEM z = inner.InsertItem("三");
    inner.CKovTreeCtrlEnhancer::SelectItem(x, TRUE);
    inner.CKovTreeCtrlEnhancer::SelectItem(z, TRUE);
    CTreeCtrlExDragDropHelper mdrag;
    mdrag.Attach(&host, &inner);
    mdrag.SetTreeCtrl(&inner);
    std::vector<DRAGITEM> dropped;
    mdrag.SetCallbacks(&host,
                       [&](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int, BOOL test,
                           BOOL, int&) {
                           if (!test)
                               dropped.push_back(item);
                           return target == (DRAGITEM)y;
                       },
                       nullptr);
    NMTREEVIEW nm{};
    nm.hdr.code = TVN_BEGINDRAG;
    nm.itemNew.hItem = z;
    CRect rz, ry;
    inner.GetItemRect(z, &rz, TRUE);
    inner.GetItemRect(y, &ry, TRUE);
    nm.ptDrag = rz.CenterPoint();
    mdrag.OnMessage(WM_NOTIFY, 4, (LPARAM)&nm);
    EXPECT_EQ(mdrag.GetItems().GetSize(), 2);
    mdrag.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(ry.CenterPoint().x, ry.CenterPoint().y));
    mdrag.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(ry.CenterPoint().x, ry.CenterPoint().y));
    EXPECT_EQ(dropped, (std::vector<DRAGITEM>{(DRAGITEM)x, (DRAGITEM)z}));
    ctree.DestroyWindow();
}

TEST(DragCursors, TheThreeDragCursorsAreInTheProgramsResources) {
    AfxEnsureGuiApp();
    QImage sheet(3 * 40, 40, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int x = 4;
    for (UINT id : {241u, 242u, 243u}) {
        HCURSOR h = LoadCursor(nullptr, MAKEINTRESOURCE(id));
        ASSERT_NE(h, nullptr) << id;
        QImage img = AfxIconImage((HICON)h);
        ASSERT_EQ(img.size(), QSize(32, 32)) << id;
        p.drawImage(x, 4, img);
        x += 40;
    }
    p.end();
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    sheet.save(QString::fromStdString(std::string(QUILLMAR_SCREENS_DIR) + "/drag-cursors.png"));
}

namespace {

// A tree that shows another control's drop target the way the group views do.
class TargetTree : public CTreeCtrl {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DRAG_HIGHLIGHT) {
            SelectDropTarget(wParam ? (HTREEITEM)lParam : nullptr);
            return 0;
        }
        return CTreeCtrl::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST_F(DragDropHelperTest, DragsAnItemFromOneTreeIntoAnother) {
    TargetTree second;
    ASSERT_TRUE(second.Create(WS_CHILD | WS_VISIBLE, CRect(250, 50, 390, 250), &host, 5));
    HTREEITEM folder = second.InsertItem("文件夹");
    CTreeCtrlDragDropHelper tdrag;
    tdrag.Attach(&host, &tree);
    std::vector<std::string> moved;
    tdrag.SetCallbacks(&host, nullptr,
                       [&](CWnd*, DRAGITEM item, DWORD, int x, int y, int, BOOL test, int,
                           HWND& hWnd, DRAGITEM& target, BOOL, BOOL, int&) {
                           CPoint pt(x, y);
                           tree.ClientToScreen(&pt);
                           second.ScreenToClient(&pt);
                           CRect rc;
                           second.GetClientRect(&rc);
                           if (!rc.PtInRect(pt))
                               return FALSE;
                           HTREEITEM hit = second.HitTest(pt);
                           hWnd = second.m_hWnd;
                           target = (DRAGITEM)hit;
                           if (hit == nullptr)
                               return FALSE;
                           if (!test) {
                               second.InsertItem(tree.GetItemText((HTREEITEM)item), hit);
                               moved.push_back(tree.GetItemText((HTREEITEM)item).GetString());
                               tree.DeleteItem((HTREEITEM)item);
                           }
                           return TRUE;
                       });
    NMTREEVIEW nm{};
    nm.hdr.code = TVN_BEGINDRAG;
    nm.itemNew.hItem = b;
    nm.ptDrag = Center(b);
    tdrag.OnMessage(WM_NOTIFY, 1, (LPARAM)&nm);
    CRect rf;
    second.GetItemRect(folder, &rf, TRUE);
    CPoint pt = rf.CenterPoint();
    second.ClientToScreen(&pt);
    tree.ScreenToClient(&pt);
    tdrag.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(second.GetDropHilightItem(), folder);
    EXPECT_EQ(tdrag.GetCursorState(), DRAG_CURSOR_NORMAL);
    tdrag.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(second.GetDropHilightItem(), nullptr);
    EXPECT_EQ(moved, std::vector<std::string>{"乙"});
    EXPECT_EQ(second.GetItemText(second.GetChildItem(folder)), "乙");
    EXPECT_FALSE(tree.IsValidItem(b));
    second.DestroyWindow();
}
