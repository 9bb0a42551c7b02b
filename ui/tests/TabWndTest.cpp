#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/TabWnd.h"

#include "platform/gui/CtrlView.h"
#include "platform/gui/Frame.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/TreeCtrl.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class CPeopleView : public CListView {
    DECLARE_DYNCREATE(CPeopleView)
public:
    static int alive;
    CPeopleView() { ++alive; }
    ~CPeopleView() override { --alive; }
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
        return CListView::PreCreateWindow(cs);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CListView::OnCreate(lpcs) == -1)
            return -1;
        CListCtrl& list = GetListCtrl();
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        list.InsertColumn(0, "姓名", LVCFMT_LEFT, 90);
        list.InsertColumn(1, "手机", LVCFMT_LEFT, 120);
        list.InsertColumn(2, "单位", LVCFMT_LEFT, 120);
        const char* rows[][3] = {{"张三", "13800000001", "墨川科技"},
                                 {"李四", "13900000002", "江南书院"},
                                 {"王五", "13700000003", "东城医院"}};
        for (int i = 0; i < 3; ++i) {
            list.InsertItem(i, rows[i][0]);
            list.SetItemText(i, 1, rows[i][1]);
            list.SetItemText(i, 2, rows[i][2]);
        }
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CPeopleView, CListView)
BEGIN_MESSAGE_MAP(CPeopleView, CListView)
ON_WM_CREATE()
END_MESSAGE_MAP()
int CPeopleView::alive = 0;

class CGroupsView : public CTreeView {
    DECLARE_DYNCREATE(CGroupsView)
public:
    static int alive;
    CGroupsView() { ++alive; }
    ~CGroupsView() override { --alive; }
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        return CTreeView::PreCreateWindow(cs);
    }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CTreeView::OnCreate(lpcs) == -1)
            return -1;
        CTreeCtrl& tree = GetTreeCtrl();
        HTREEITEM all = tree.InsertItem("全部联系人");
        tree.InsertItem("同事", all);
        HTREEITEM friends = tree.InsertItem("朋友", all);
        tree.InsertItem("同学", friends);
        tree.Expand(all, TVE_EXPAND);
        tree.Expand(friends, TVE_EXPAND);
        tree.SelectItem(friends);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CGroupsView, CTreeView)
BEGIN_MESSAGE_MAP(CGroupsView, CTreeView)
ON_WM_CREATE()
END_MESSAGE_MAP()
int CGroupsView::alive = 0;

// A plain window page that names itself.
class CNotesPage : public CWnd {
    DECLARE_DYNCREATE(CNotesPage)
public:
    static int alive;
    CNotesPage() { ++alive; }
    ~CNotesPage() override { --alive; }
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CWnd::OnCreate(lpcs) == -1)
            return -1;
        SetWindowText("备忘录");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNotesPage, CWnd)
BEGIN_MESSAGE_MAP(CNotesPage, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()
int CNotesPage::alive = 0;

// Page classes that cannot be made: a window refusing its creation, a constructor that throws,
// a class that is no window.
class CRefusingPage : public CWnd {
    DECLARE_DYNCREATE(CRefusingPage)
public:
    static int alive;
    CRefusingPage() { ++alive; }
    ~CRefusingPage() override { --alive; }
    int OnCreate(LPCREATESTRUCT) { return -1; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRefusingPage, CWnd)
BEGIN_MESSAGE_MAP(CRefusingPage, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()
int CRefusingPage::alive = 0;

class CThrowingPage : public CWnd {
    DECLARE_DYNCREATE(CThrowingPage)
public:
    CThrowingPage() { throw std::runtime_error("no page"); }
};
IMPLEMENT_DYNCREATE(CThrowingPage, CWnd)

class CNotAWindow : public CObject {
    DECLARE_DYNCREATE(CNotAWindow)
};
IMPLEMENT_DYNCREATE(CNotAWindow, CObject)

class CCountedTabWnd : public CTabWnd {
    DECLARE_DYNCREATE(CCountedTabWnd)
public:
    static int alive;
    CCountedTabWnd() { ++alive; }
    ~CCountedTabWnd() override { --alive; }
};
IMPLEMENT_DYNCREATE(CCountedTabWnd, CTabWnd)
int CCountedTabWnd::alive = 0;

// A tab window above a list view, both made by a splitter from their runtime classes.
class CSplitTabFrame : public CFrameWnd {
public:
    CSplitterWnd split;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return split.CreateStatic(this, 2, 1) &&
               split.CreateView(0, 0, RUNTIME_CLASS(CCountedTabWnd), CSize(0, 150), pContext) &&
               split.CreateView(1, 0, RUNTIME_CLASS(CPeopleView), CSize(0, 100), pContext);
    }
    void PostNcDestroy() override {}
};

class CHostFrame : public CFrameWnd {
public:
    void PostNcDestroy() override {}
};

class TabWndTest : public GuiTest {
protected:
    CHostFrame frame;
    CDocument doc;
    CCreateContext ctx;
    CCountedTabWnd* tab = nullptr;
    void SetUp() override {
        doc.m_bAutoDelete = FALSE;
        ctx.m_pCurrentDoc = &doc;
        ASSERT_TRUE(frame.Create(nullptr, "联系人", WS_OVERLAPPEDWINDOW, CRect(0, 0, 420, 300)));
        tab = new CCountedTabWnd;
        ASSERT_TRUE(tab->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100),
                                &frame, AFX_IDW_PANE_FIRST));
        frame.RecalcLayout();
        frame.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        frame.DestroyWindow();
        EXPECT_EQ(0, CCountedTabWnd::alive);
        EXPECT_EQ(0, CPeopleView::alive);
        EXPECT_EQ(0, CGroupsView::alive);
        EXPECT_EQ(0, CRefusingPage::alive);
        EXPECT_EQ(0, CNotesPage::alive);
        EXPECT_EQ(nullptr, doc.GetFirstViewPosition());
    }
    void AddThreePages() {
        ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CPeopleView), &ctx, "联系人", FALSE, TRUE));
        ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CGroupsView), &ctx, "分组", FALSE, TRUE));
        ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CNotesPage), nullptr, "?", TRUE, TRUE));
    }
    CString TabText(int i) {
        char buf[64] = {};
        TCITEM item{};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof buf;
        tab->GetTabCtrl()->GetItem(i, &item);
        return buf;
    }
    CRect PageRect(int i) {
        CRect rc;
        tab->GetPage(i)->GetWindowRect(&rc);
        tab->ScreenToClient(&rc);
        return rc;
    }
    CRect ExpectedPageRect() {
        CRect rc;
        tab->GetTabCtrl()->GetClientRect(&rc);
        tab->GetTabCtrl()->AdjustRect(FALSE, &rc);
        return CRect(rc.left - 3, rc.top - 3, rc.right + 3, rc.bottom);
    }
    void ClickTab(int i) {
        CRect rc;
        ASSERT_TRUE(tab->GetTabCtrl()->GetItemRect(i, &rc));
        CPoint c = rc.CenterPoint();
        tab->GetTabCtrl()->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        tab->GetTabCtrl()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    }
};

TEST_F(TabWndTest, PagesGetTabsAtTheBottomPaneIdsTitlesAndTheDisplayArea) {
    CTabCtrl* tabs = tab->GetTabCtrl();
    ASSERT_NE(nullptr, tabs->m_hWnd);
    EXPECT_EQ(1000, tabs->GetDlgCtrlID());
    EXPECT_TRUE(tabs->GetStyle() & TCS_BOTTOM);
    EXPECT_TRUE(tabs->GetStyle() & TCS_HOTTRACK);
    AddThreePages();
    EXPECT_EQ(3, tab->GetPageCount());
    EXPECT_EQ(3, tabs->GetItemCount());
    EXPECT_STREQ("联系人", (LPCTSTR)TabText(0));
    EXPECT_STREQ("分组", (LPCTSTR)TabText(1));
    EXPECT_STREQ("备忘录", (LPCTSTR)TabText(2)); // the page's own text
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        CWnd* page = tab->GetPage(i);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(page, tab->GetDlgItem(AFX_IDW_PANE_FIRST + i));
        EXPECT_FALSE(page->IsWindowVisible());
        EXPECT_TRUE(page->GetStyle() & WS_BORDER);
        EXPECT_EQ(ExpectedPageRect(), PageRect(i));
    }
    EXPECT_EQ(nullptr, tab->GetCurrentPage());
    EXPECT_EQ(nullptr, tab->GetPage(3));
    EXPECT_EQ(&doc, static_cast<CView*>(tab->GetPage(0))->GetDocument());

    // The tabs stay at the bottom edge and the pages follow a new size.
    frame.MoveWindow(0, 0, 500, 360);
    CRect client, strip;
    tab->GetClientRect(&client);
    tabs->GetItemRect(0, &strip);
    EXPECT_GE(strip.bottom, client.bottom - 4);
    EXPECT_GT(strip.top, client.Height() / 2);
    EXPECT_EQ(ExpectedPageRect(), PageRect(1));
    EXPECT_LE(PageRect(1).bottom, strip.top);
}

TEST_F(TabWndTest, SelectingShowsOnlyThatPageAndActivatesViews) {
    AddThreePages();
    auto* people = static_cast<CPeopleView*>(tab->GetPage(0));
    auto* groups = static_cast<CGroupsView*>(tab->GetPage(1));
    CWnd* notes = tab->GetPage(2);

    tab->SelectPage(0);
    EXPECT_EQ(people, tab->GetCurrentPage());
    EXPECT_EQ(0, tab->GetTabCtrl()->GetCurSel());
    EXPECT_TRUE(people->IsWindowVisible());
    EXPECT_FALSE(groups->IsWindowVisible());
    EXPECT_EQ(people, frame.GetActiveView());

    // A page that is no view gets the focus.
    tab->SelectPage(2);
    EXPECT_FALSE(people->IsWindowVisible());
    EXPECT_TRUE(notes->IsWindowVisible());
    EXPECT_EQ(2, tab->GetTabCtrl()->GetCurSel());
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == notes; }));

    // Selecting the current page again does nothing, not even to the tab.
    tab->GetTabCtrl()->SetCurSel(0);
    tab->SelectPage(2, TRUE);
    EXPECT_EQ(0, tab->GetTabCtrl()->GetCurSel());
    EXPECT_EQ(notes, tab->GetCurrentPage());
    EXPECT_TRUE(notes->IsWindowVisible());
    tab->SelectPage(7); // no such page
    EXPECT_EQ(notes, tab->GetCurrentPage());

    // A click on a tab shows its page.
    ClickTab(1);
    EXPECT_EQ(groups, tab->GetCurrentPage());
    EXPECT_EQ(1, tab->GetTabCtrl()->GetCurSel());
    EXPECT_TRUE(groups->IsWindowVisible());
    EXPECT_FALSE(notes->IsWindowVisible());
    EXPECT_EQ(groups, frame.GetActiveView());
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &groups->GetTreeCtrl(); }));

    // The focus given to the tab window goes on to the current page.
    tab->GetTabCtrl()->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == tab->GetTabCtrl(); }));
    tab->SendMessage(WM_SETFOCUS);
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == &groups->GetTreeCtrl(); }));
}

TEST_F(TabWndTest, APageThatCannotBeMadeAddsNoTab) {
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CNotesPage), nullptr, "备忘录", FALSE, TRUE));
    struct Case {
        const char* name;
        CRuntimeClass* cls;
    } cases[] = {
        {"no class", nullptr},
        {"not a window", RUNTIME_CLASS(CNotAWindow)},
        {"constructor throws", RUNTIME_CLASS(CThrowingPage)},
        {"window refuses creation", RUNTIME_CLASS(CRefusingPage)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(tab->AddPage(c.cls, &ctx, "坏页", FALSE, TRUE));
        EXPECT_EQ(1, tab->GetPageCount());
        EXPECT_EQ(1, tab->GetTabCtrl()->GetItemCount());
        EXPECT_EQ(nullptr, tab->GetDlgItem(AFX_IDW_PANE_FIRST + 1));
        EXPECT_EQ(0, CRefusingPage::alive);
    }
    // The next page still takes the next id.
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CGroupsView), &ctx, "分组", FALSE, TRUE));
    EXPECT_EQ(tab->GetPage(1), tab->GetDlgItem(AFX_IDW_PANE_FIRST + 1));
}

TEST_F(TabWndTest, DestroyingTheTabWindowDeletesItsOwnPagesAndItself) {
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CNotesPage), nullptr, "归我", FALSE, TRUE));
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CNotesPage), nullptr, "归别人", FALSE, FALSE));
    // Views delete themselves with their windows, owned or not, and only once.
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CPeopleView), &ctx, "联系人", FALSE, TRUE));
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CGroupsView), &ctx, "分组", FALSE, FALSE));
    tab->SelectPage(2);
    CWnd* kept = tab->GetPage(1);
    EXPECT_EQ(2, CNotesPage::alive);
    tab->DestroyWindow();
    EXPECT_EQ(0, CCountedTabWnd::alive);
    EXPECT_EQ(1, CNotesPage::alive);
    EXPECT_EQ(nullptr, kept->m_hWnd);
    EXPECT_EQ(0, CPeopleView::alive);
    EXPECT_EQ(0, CGroupsView::alive);
    EXPECT_EQ(nullptr, frame.GetActiveView());
    delete kept;
}

TEST_F(TabWndTest, ATabWindowMadeByASplitterHoldsViewsOfTheDocument) {
    CSplitTabFrame split;
    ASSERT_TRUE(split.Create(nullptr, "联系人", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr,
                             nullptr, 0, &ctx));
    auto* pane = dynamic_cast<CTabWnd*>(split.split.GetPane(0, 0));
    ASSERT_NE(nullptr, pane);
    EXPECT_EQ(2, CCountedTabWnd::alive);
    ASSERT_TRUE(pane->AddPage(RUNTIME_CLASS(CPeopleView), &ctx, "个人基本资料", FALSE, TRUE));
    ASSERT_TRUE(pane->AddPage(RUNTIME_CLASS(CGroupsView), &ctx, "短信收发记录", FALSE, TRUE));
    pane->SelectPage(1);
    EXPECT_EQ(pane->GetPage(1), split.GetActiveView());
    EXPECT_EQ(&doc, static_cast<CView*>(pane->GetPage(1))->GetDocument());
    split.DestroyWindow();
    EXPECT_EQ(1, CCountedTabWnd::alive);
    EXPECT_EQ(0, CGroupsView::alive);
}

TEST_F(TabWndTest, ShowsAListViewPageAndATreeViewPage) {
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CPeopleView), &ctx, "个人基本资料", FALSE, TRUE));
    ASSERT_TRUE(tab->AddPage(RUNTIME_CLASS(CGroupsView), &ctx, "联系人分组", FALSE, TRUE));
    tab->SelectPage(0);
    Pump();
    EXPECT_TRUE(frame.SaveScreenshot(ScreenPath("tab-window-list-page").c_str()));
    ClickTab(1);
    Pump();
    EXPECT_TRUE(frame.SaveScreenshot(ScreenPath("tab-window-tree-page").c_str()));
}

} // namespace
