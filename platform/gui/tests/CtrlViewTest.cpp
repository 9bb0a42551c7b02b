#include "GuiTestSupport.h"

#include "platform/gui/CtrlView.h"
#include "platform/gui/Frame.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/TreeCtrl.h"

#include <QImage>
#include <QTest>
#include <cstdio>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// The parent of the views: it reflects notifications to their windows as every window does and
// records those that came back to it unhandled.
class CViewHost : public CWnd {
public:
    struct Note {
        UINT code;
        UINT_PTR id;
        HWND from;
    };
    std::vector<Note> notes;
    std::map<UINT, LRESULT> answers;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (CWnd::OnNotify(wParam, lParam, pResult))
            return TRUE;
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        notes.push_back({nm->code, nm->idFrom, nm->hwndFrom});
        auto a = answers.find(nm->code);
        *pResult = a == answers.end() ? 0 : a->second;
        return TRUE;
    }
    int Count(UINT code) const {
        return (int)std::count_if(notes.begin(), notes.end(),
                                   [code](const Note& n) { return n.code == code; });
    }
    const Note* Find(UINT code) const {
        for (auto& n : notes)
            if (n.code == code)
                return &n;
        return nullptr;
    }
};

class CRowsView : public CListView {
    DECLARE_DYNCREATE(CRowsView)
public:
    std::vector<std::string> log;
    bool eatKeys = false;
    // The item-changing handler passes the notification on to the parent as well.
    bool passItemChanging = true;
    int initialUpdates = 0;
    CWnd* contextWnd = nullptr;
    int draws = 0;
    HWND drawnFor = nullptr;
    UINT drawnType = 0;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
        return CListView::PreCreateWindow(cs);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CListView::OnCreate(lpcs) == -1)
            return -1;
        GetListCtrl().InsertColumn(0, "名称", LVCFMT_LEFT, 120);
        GetListCtrl().InsertColumn(1, "号码", LVCFMT_LEFT, 100);
        return 0;
    }
    void OnInitialUpdate() override {
        ++initialUpdates;
        CListView::OnInitialUpdate();
    }
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
        log.push_back("key");
        if (!eatKeys)
            CListView::OnKeyDown(nChar, nRepCnt, nFlags);
    }
    void OnLButtonDown(UINT nFlags, CPoint point) {
        log.push_back("lbutton");
        CListView::OnLButtonDown(nFlags, point);
    }
    void OnContextMenu(CWnd* pWnd, CPoint) {
        log.push_back("context");
        contextWnd = pWnd;
    }
    void OnItemChanged(NMHDR*, LRESULT*) { log.push_back("changed"); }
    BOOL OnItemChanging(NMHDR*, LRESULT*) {
        log.push_back("changing");
        return !passItemChanging;
    }
    void OnListKey(NMHDR*, LRESULT*) { log.push_back("lvn-key"); }
    // Texts the list asks for: "行" and the row number.
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT*) {
        auto* di = reinterpret_cast<NMLVDISPINFO*>(pNMHDR);
        if (di->item.mask & LVIF_TEXT)
            std::snprintf(di->item.pszText, (size_t)di->item.cchTextMax, "行%d", di->item.iItem);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (reinterpret_cast<NMHDR*>(lParam)->code == HDN_ITEMCLICK)
            log.push_back("header-click");
        return CListView::OnNotify(wParam, lParam, pResult);
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++draws;
        drawnFor = dis->hwndItem;
        drawnType = dis->CtlType;
    }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 30; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRowsView, CListView)
BEGIN_MESSAGE_MAP(CRowsView, CListView)
ON_WM_CREATE()
ON_WM_KEYDOWN()
ON_WM_LBUTTONDOWN()
ON_WM_CONTEXTMENU()
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CRowsView::OnItemChanged)
ON_NOTIFY_REFLECT_EX(LVN_ITEMCHANGING, &CRowsView::OnItemChanging)
ON_NOTIFY_REFLECT(LVN_KEYDOWN, &CRowsView::OnListKey)
ON_NOTIFY_REFLECT(LVN_GETDISPINFO, &CRowsView::OnGetDispInfo)
END_MESSAGE_MAP()

class CFolderView : public CTreeView {
    DECLARE_DYNCREATE(CFolderView)
public:
    std::vector<std::string> log;
    int initialUpdates = 0;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        return CTreeView::PreCreateWindow(cs);
    }
    void OnInitialUpdate() override {
        ++initialUpdates;
        CTreeView::OnInitialUpdate();
        CTreeCtrl& tree = GetTreeCtrl();
        if (tree.GetCount() == 0) {
            HTREEITEM all = tree.InsertItem("全部联系人");
            tree.InsertItem("同事", all);
            tree.InsertItem("同学", all);
            tree.Expand(all, TVE_EXPAND);
        }
    }
    void OnSelChanged(NMHDR*, LRESULT*) { log.push_back("selchanged"); }
    // Accepts a new label unless it is empty.
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
        auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
        log.push_back("endedit");
        *pResult = di->item.pszText && *di->item.pszText;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CFolderView, CTreeView)
BEGIN_MESSAGE_MAP(CFolderView, CTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CFolderView::OnSelChanged)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CFolderView::OnEndLabelEdit)
END_MESSAGE_MAP()

// A view class whose control object is missing: its window cannot be made.
class CNoControlView : public CCtrlView {
    DECLARE_DYNCREATE(CNoControlView)
public:
    CNoControlView() : CCtrlView("SysListView32", AFX_WS_DEFAULT_VIEW) {}
};
IMPLEMENT_DYNCREATE(CNoControlView, CCtrlView)

// A frame with a list view and a tree view side by side in a static splitter.
class CSplitFrame : public CFrameWnd {
public:
    CSplitterWnd split;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return split.CreateStatic(this, 1, 2) &&
               split.CreateView(0, 0, RUNTIME_CLASS(CRowsView), CSize(200, 100), pContext) &&
               split.CreateView(0, 1, RUNTIME_CLASS(CFolderView), CSize(150, 100), pContext);
    }
    void PostNcDestroy() override {}
};

class CtrlViewTest : public GuiTest {
protected:
    CViewHost host;
    CRowsView* view = nullptr;
    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300),
                                  nullptr, 0));
        view = new CRowsView;
        ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(10, 10, 310, 210),
                                 &host, AFX_IDW_PANE_FIRST, nullptr));
    }
    void TearDown() override { host.DestroyWindow(); }
    CListCtrl& List() { return view->GetListCtrl(); }
    void AddRows(int n) {
        for (int i = 0; i < n; ++i)
            List().InsertItem(i, i % 2 ? "李四" : "张三");
    }
    CRect ControlRect() {
        CRect rc;
        List().GetWindowRect(&rc);
        view->ScreenToClient(&rc);
        return rc;
    }
    int Selected() { return List().GetNextItem(-1, LVNI_SELECTED); }
    void Render() {
        QImage img(300, 200, QImage::Format_RGB32);
        CDC dc;
        dc.AttachImage(&img);
        List().SendMessage(WM_PAINT, (WPARAM)dc.GetSafeHdc(), 0);
    }
};

TEST_F(CtrlViewTest, ControlTakesTheViewsStylesAndFillsIt) {
    CListCtrl& list = List();
    ASSERT_NE(nullptr, list.m_hWnd);
    EXPECT_EQ(view, list.GetParent());
    EXPECT_EQ((DWORD)LVS_REPORT, list.GetStyle() & LVS_TYPEMASK);
    EXPECT_TRUE(list.GetStyle() & LVS_SHOWSELALWAYS);
    EXPECT_STREQ("SysListView32", (LPCTSTR)view->GetClassName());
    // The derived view filled the control in its own WM_CREATE.
    EXPECT_EQ(2, list.GetHeaderCtrl()->GetItemCount());
    EXPECT_EQ(CRect(0, 0, 300, 200), ControlRect());
    view->MoveWindow(0, 0, 250, 120);
    EXPECT_EQ(CRect(0, 0, 250, 120), ControlRect());

    // The control's style bits are one set, changed through either window.
    view->ModifyStyle(LVS_TYPEMASK, LVS_LIST);
    EXPECT_EQ((DWORD)LVS_LIST, list.GetStyle() & LVS_TYPEMASK);
    list.ModifyStyle(0, LVS_EDITLABELS);
    EXPECT_TRUE(view->GetStyle() & LVS_EDITLABELS);
    EXPECT_TRUE(view->GetStyle() & WS_BORDER); // the view's own bits stay its own
    EXPECT_FALSE(list.GetStyle() & WS_BORDER);
    // Scroll bars are the control's: it keeps covering the whole view.
    view->ModifyStyle(0, WS_VSCROLL);
    EXPECT_TRUE(list.GetStyle() & WS_VSCROLL);
    view->MoveWindow(0, 0, 260, 130);
    EXPECT_EQ(CRect(0, 0, 260, 130), ControlRect());
}

TEST_F(CtrlViewTest, MessagesSentToTheViewReachTheControl) {
    AddRows(1);
    EXPECT_EQ(1, view->SendMessage(LVM_GETITEMCOUNT));
    char text[] = "王五";
    LVITEM item{};
    item.mask = LVIF_TEXT;
    item.iItem = 1;
    item.pszText = text;
    EXPECT_EQ(1, view->SendMessage(LVM_INSERTITEM, 0, (LPARAM)&item));
    EXPECT_STREQ("王五", (LPCTSTR)List().GetItemText(1, 0));

    view->SetWindowText("通讯录");
    CString title;
    List().GetWindowText(title);
    EXPECT_STREQ("通讯录", (LPCTSTR)title);
    view->GetWindowText(title);
    EXPECT_STREQ("通讯录", (LPCTSTR)title);

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, "宋体"));
    view->SetFont(&font);
    EXPECT_EQ(font.m_hObject, List().GetFont()->m_hObject);
    EXPECT_EQ(font.m_hObject, view->GetFont()->m_hObject);

    // Keys sent to the view by code: the view's handler first, then the control moves on.
    List().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    view->log.clear();
    view->SendMessage(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(1, Selected());
    ASSERT_GE(view->log.size(), 2u);
    EXPECT_EQ("key", view->log[0]);
    EXPECT_EQ("lvn-key", view->log[1]);
}

TEST_F(CtrlViewTest, NotificationsAreReflectedToTheViewThenReachTheParentAsTheViews) {
    AddRows(2);
    const CViewHost::Note* inserted = host.Find(LVN_INSERTITEM);
    ASSERT_NE(nullptr, inserted); // the view has no handler for it
    EXPECT_EQ(view->m_hWnd, inserted->from);
    EXPECT_EQ((UINT_PTR)AFX_IDW_PANE_FIRST, inserted->id);

    host.notes.clear();
    view->log.clear();
    EXPECT_TRUE(List().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ((std::vector<std::string>{"changing", "changed"}), view->log);
    EXPECT_EQ(1, host.Count(LVN_ITEMCHANGING)); // passed on by the view's handler
    EXPECT_EQ(0, host.Count(LVN_ITEMCHANGED));  // taken by the view

    // The parent's answer is the control's: it refuses the change.
    host.answers[LVN_ITEMCHANGING] = TRUE;
    EXPECT_FALSE(List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_FALSE(List().GetItemState(0, LVIS_SELECTED));

    // A handler that keeps the notification answers alone.
    view->passItemChanging = false;
    host.notes.clear();
    EXPECT_TRUE(List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(0, host.Count(LVN_ITEMCHANGING));

    // Texts the view gives when the list asks.
    ASSERT_EQ(2, List().InsertItem(2, LPSTR_TEXTCALLBACK));
    EXPECT_STREQ("行2", (LPCTSTR)List().GetItemText(2, 0));
    EXPECT_EQ(0, host.Count(LVN_GETDISPINFO));
}

TEST_F(CtrlViewTest, InputToTheControlReachesTheViewsHandlersFirst) {
    for (bool eat : {false, true}) {
        SCOPED_TRACE(eat ? "view eats keys" : "view passes keys on");
        List().DeleteAllItems();
        AddRows(3);
        List().SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        view->eatKeys = eat;
        view->log.clear();
        QTest::keyClick(List().GetWidget(), Qt::Key_Down);
        ASSERT_FALSE(view->log.empty());
        EXPECT_EQ("key", view->log.front());
        EXPECT_EQ(eat ? 0 : 1, Selected());
        EXPECT_EQ(!eat, std::count(view->log.begin(), view->log.end(), "lvn-key") == 1);
    }

    CRect row;
    ASSERT_TRUE(List().GetItemRect(2, &row, LVIR_BOUNDS));
    CPoint c = row.CenterPoint();
    view->log.clear();
    List().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    List().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    ASSERT_FALSE(view->log.empty());
    EXPECT_EQ("lbutton", view->log.front());
    EXPECT_EQ(2, Selected());

    // The control's context menu request is the view's, about the view.
    List().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.x, c.y));
    List().SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(1, std::count(view->log.begin(), view->log.end(), "context"));
    EXPECT_EQ(view, view->contextWnd);

    // The focus given to the view goes to its control, which the view hears of.
    view->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &List(); }));
}

TEST_F(CtrlViewTest, HeaderNotificationsReachTheViewOnceAndTheParentUnchanged) {
    CHeaderCtrl* header = List().GetHeaderCtrl();
    ASSERT_NE(nullptr, header);
    CRect second;
    header->GetItemRect(1, &second);
    CPoint c = second.CenterPoint();
    host.notes.clear();
    view->log.clear();
    header->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    header->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(1, std::count(view->log.begin(), view->log.end(), "header-click"));
    ASSERT_EQ(1, host.Count(HDN_ITEMCLICK));
    EXPECT_EQ(header->m_hWnd, host.Find(HDN_ITEMCLICK)->from);
    ASSERT_EQ(1, host.Count(LVN_COLUMNCLICK));
    EXPECT_EQ(view->m_hWnd, host.Find(LVN_COLUMNCLICK)->from);
}

TEST_F(CtrlViewTest, OwnerDrawnRowsAreMeasuredAndDrawnByTheView) {
    view->ModifyStyle(0, LVS_OWNERDRAWFIXED);
    AddRows(3);
    Render();
    EXPECT_GE(view->draws, 3);
    EXPECT_EQ(view->m_hWnd, view->drawnFor);
    EXPECT_EQ((UINT)ODT_LISTVIEW, view->drawnType);
    CRect first, second;
    ASSERT_TRUE(List().GetItemRect(0, &first, LVIR_BOUNDS));
    ASSERT_TRUE(List().GetItemRect(1, &second, LVIR_BOUNDS));
    EXPECT_EQ(30, second.top - first.top);

    // Invalidating the view redraws the rows (their look may depend on what only the view knows).
    view->UpdateWindow();
    Pump();
    int before = view->draws;
    view->UpdateWindow();
    EXPECT_EQ(before, view->draws); // nothing was invalid
    view->Invalidate();
    view->UpdateWindow();
    EXPECT_GE(view->draws, before + 3);
}

TEST_F(CtrlViewTest, TreeLabelEditsEndInTheViewsReflectedHandler) {
    auto* folders = new CFolderView;
    ASSERT_TRUE(folders->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW | TVS_EDITLABELS,
                                CRect(0, 0, 200, 150), &host, AFX_IDW_PANE_FIRST + 2, nullptr));
    folders->SendMessage(WM_INITIALUPDATE);
    CTreeCtrl& tree = folders->GetTreeCtrl();
    EXPECT_TRUE(tree.GetStyle() & TVS_EDITLABELS);
    HTREEITEM item = tree.GetChildItem(tree.GetRootItem());
    ASSERT_NE(nullptr, item);
    struct Case {
        const char* typed;
        const char* expect;
    } cases[] = {{"家人", "家人"}, {"", "家人"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        folders->log.clear();
        CEdit* edit = tree.EditLabel(item);
        ASSERT_NE(nullptr, edit);
        edit->SetWindowText(c.typed);
        QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
        EXPECT_EQ(1, std::count(folders->log.begin(), folders->log.end(), "endedit"));
        EXPECT_STREQ(c.expect, (LPCTSTR)tree.GetItemText(item));
        EXPECT_EQ(0, host.Count(TVN_ENDLABELEDIT));
    }
}

TEST_F(CtrlViewTest, AViewWithoutItsControlIsNotCreated) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CNoControlView);
    EXPECT_EQ(nullptr, CView::CreateFromContext(&ctx, &host, AFX_IDW_PANE_FIRST + 1,
                                                AFX_WS_DEFAULT_VIEW, CRect(0, 0, 50, 50)));
    EXPECT_EQ(nullptr, host.GetDlgItem(AFX_IDW_PANE_FIRST + 1));
}

TEST_F(CtrlViewTest, ListAndTreeViewsMadeByRuntimeClassInASplitterJoinTheDocument) {
    CDocument doc;
    doc.m_bAutoDelete = FALSE;
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    CSplitFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, "联系人", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 300), nullptr,
                             nullptr, 0, &ctx));
    auto* rows = dynamic_cast<CRowsView*>(frame.split.GetPane(0, 0));
    auto* folders = dynamic_cast<CFolderView*>(frame.split.GetPane(0, 1));
    ASSERT_NE(nullptr, rows);
    ASSERT_NE(nullptr, folders);
    frame.SetActiveView(rows, FALSE);
    frame.InitialUpdateFrame(&doc, TRUE);
    EXPECT_EQ(&doc, rows->GetDocument());
    EXPECT_EQ(&doc, folders->GetDocument());
    EXPECT_EQ(1, rows->initialUpdates);
    EXPECT_EQ(1, folders->initialUpdates);
    EXPECT_EQ((DWORD)LVS_REPORT, rows->GetListCtrl().GetStyle() & LVS_TYPEMASK);
    EXPECT_TRUE(folders->GetTreeCtrl().GetStyle() & TVS_HASBUTTONS);

    // Notifications of a pane's control come back to the pane through the splitter.
    CTreeCtrl& tree = folders->GetTreeCtrl();
    HTREEITEM child = tree.GetChildItem(tree.GetRootItem());
    ASSERT_NE(nullptr, child);
    EXPECT_TRUE(tree.SelectItem(child));
    EXPECT_EQ((std::vector<std::string>{"selchanged"}), folders->log);

    // Activating a pane focuses its control; the splitter still knows the pane.
    frame.SetActiveView(folders);
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &tree; }));
    EXPECT_EQ(folders, frame.split.GetActivePane());

    frame.DestroyWindow();
    EXPECT_EQ(nullptr, doc.GetFirstViewPosition());
}

} // namespace
