#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/RightPaneFrame.h"
#include "ui/RightPaneView.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

int g_liveViews = 0;
std::vector<UINT> g_commands;
constexpr UINT kTestCommand = 40200;

// A module view as the pane shows it: it hears its notify window and commands.
class CPaneView : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CPaneView)
public:
    CWnd* m_pNotify = nullptr;
    int m_nNotifySet = 0;
    int m_nInitialUpdates = 0;
    CWnd* m_pNotifyAtInitialUpdate = nullptr;
    CPaneView() { ++g_liveViews; }
    ~CPaneView() override { --g_liveViews; }
    void SetNotifyWnd(CWnd* pWnd) override {
        m_pNotify = pWnd;
        ++m_nNotifySet;
    }
    void OnInitialUpdate() override {
        ++m_nInitialUpdates;
        m_pNotifyAtInitialUpdate = m_pNotify;
    }
    void OnDraw(CDC*) override {}
    void OnCommand() { g_commands.push_back((UINT)GetDlgCtrlID()); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CPaneView, CView)
BEGIN_MESSAGE_MAP(CPaneView, CView)
ON_COMMAND(kTestCommand, &CPaneView::OnCommand)
END_MESSAGE_MAP()

// A view over several documents at once (the contact list, the splitter views): it takes the
// document itself instead of being moved.
class CSelfTakingView : public CPaneView {
    DECLARE_DYNCREATE(CSelfTakingView)
public:
    CDocument* m_pTaken = nullptr;
    BOOL TakeDocument(CDocument* pDoc) override {
        m_pTaken = pDoc;
        return TRUE;
    }
};
IMPLEMENT_DYNCREATE(CSelfTakingView, CPaneView)

// The compose form, fixed view 2.
class CComposeView : public CPaneView, public CIComposeView {
    DECLARE_DYNCREATE(CComposeView)
public:
    CDocument* m_pDoc = nullptr;
    int m_nMode = -1;
    LPARAM m_lStart = 0;
    CWnd* m_pReturn = nullptr;
    BOOL TakeDocument(CDocument* pDoc) override {
        m_pDoc = pDoc;
        return TRUE;
    }
    void SetComposeMode(int nMode) override { m_nMode = nMode; }
    void StartCompose(LPARAM lStart, int) override { m_lStart = lStart; }
    void SetReturnWnd(CWnd* pWnd) override { m_pReturn = pWnd; }
};
IMPLEMENT_DYNCREATE(CComposeView, CPaneView)

// A plain framework view with no pane interface: the pane moves it between documents.
class CPlainView : public CView {
    DECLARE_DYNCREATE(CPlainView)
public:
    CPlainView() { ++g_liveViews; }
    ~CPlainView() override { --g_liveViews; }
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CPlainView, CView)

// A module frame (the notes and calendar kinds show frames).
class CModuleFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CModuleFrame)
public:
    CModuleFrame() { ++g_liveViews; }
    ~CModuleFrame() override { --g_liveViews; }
};
IMPLEMENT_DYNCREATE(CModuleFrame, CFrameWnd)

class CMainStandIn : public CWnd {
public:
    int relayouts = 0;
    LRESULT OnRelayout(WPARAM, LPARAM) {
        ++relayouts;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMainStandIn, CWnd)
ON_MESSAGE(WM_RELAYOUT_SPLITTER, &CMainStandIn::OnRelayout)
END_MESSAGE_MAP()

class RightPaneFrameTest : public GuiTest {
protected:
    CMainStandIn main;
    CRightPaneFrame* pane = nullptr;
    CDocument bookA, bookB, senders;

    void SetUp() override {
        g_commands.clear();
        CRightPaneFrame::ForgetViewClasses();
        for (int n = 1; n <= 6; ++n)
            ASSERT_TRUE(CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, n,
                                                           n == 3 ? RUNTIME_CLASS(CSelfTakingView)
                                                                  : RUNTIME_CLASS(CPaneView)));
        CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindSenders, 1,
                                           RUNTIME_CLASS(CPlainView));
        // Senders view 2 is left unregistered, as a module not built yet.
        CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindFixed, 1, RUNTIME_CLASS(CPaneView));
        CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindFixed, 2,
                                           RUNTIME_CLASS(CComposeView));
        CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindEmail, 1, RUNTIME_CLASS(CPaneView));
        CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindNotes, 1,
                                           RUNTIME_CLASS(CModuleFrame));
        for (CDocument* d : {&bookA, &bookB, &senders})
            d->m_bAutoDelete = FALSE;
        ASSERT_TRUE(main.CreateEx(0, nullptr, "主窗口", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 500, 300), nullptr, 0));
        pane = new CRightPaneFrame;
        ASSERT_TRUE(
            pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &main));
    }
    void TearDown() override {
        if (pane && pane->GetSafeHwnd())
            pane->DestroyWindow(); // deletes itself and its views
        CRightPaneFrame::ForgetViewClasses();
        EXPECT_EQ(0, g_liveViews);
    }
    CWnd* View(int n, int kind) { return pane->GetView(n, kind); }
    static bool Shows(CDocument& doc, CWnd* view) {
        for (POSITION pos = doc.GetFirstViewPosition(); pos;)
            if (doc.GetNextView(pos) == view)
                return true;
        return false;
    }
};

TEST_F(RightPaneFrameTest, FixedViewsComeWithTheFrameAndUnregisteredOnesAreNotMade) {
    EXPECT_EQ(2, g_liveViews); // fixed views 1 and 2 are registered, 3 is not
    ASSERT_NE(nullptr, View(1, CRightPaneFrame::KindFixed));
    EXPECT_EQ(1, View(1, CRightPaneFrame::KindFixed)->GetDlgCtrlID());
    EXPECT_EQ(2, View(2, CRightPaneFrame::KindFixed)->GetDlgCtrlID());
    EXPECT_EQ(nullptr, View(3, CRightPaneFrame::KindFixed));
    EXPECT_FALSE(pane->ShowView(3, 0, nullptr, CRightPaneFrame::KindFixed, nullptr));
    EXPECT_EQ(nullptr, pane->GetCurrentView());
    // A second call makes nothing new.
    const int live = g_liveViews;
    EXPECT_EQ(0, pane->CreateViews(0, nullptr, CRightPaneFrame::KindFixed, nullptr));
    EXPECT_EQ(live, g_liveViews);
}

TEST_F(RightPaneFrameTest, ASplitterMakesThePaneFromItsClassAndItMakesOnlyTheFixedViews) {
    const int live = g_liveViews;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CRightPaneFrame);
    CWnd* made = CView::CreateFromContext(&context, &main, AFX_IDW_PANE_FIRST + 1,
                                          WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100));
    auto* other = dynamic_cast<CRightPaneFrame*>(made);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(live + 2, g_liveViews);
    EXPECT_NE(nullptr, other->GetView(2, CRightPaneFrame::KindFixed));
    EXPECT_EQ(nullptr, other->GetDlgItem(AFX_IDW_PANE_FIRST));
    other->DestroyWindow();
    EXPECT_EQ(live, g_liveViews);
}

TEST_F(RightPaneFrameTest, FilesOfOneKindShareItsViewsUntilTheLastCloses) {
    const int fixed = g_liveViews;
    EXPECT_EQ(0, pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, &main));
    EXPECT_EQ(fixed + 6, g_liveViews);
    for (int n = 1; n <= 6; ++n) {
        ASSERT_NE(nullptr, View(n, 0)) << n;
        EXPECT_EQ(8 + n, View(n, 0)->GetDlgCtrlID());
        auto* view = dynamic_cast<CPaneView*>(View(n, 0));
        EXPECT_EQ(&main, view->m_pNotify);
        // Each view is made ready once, already knowing the window it tells.
        EXPECT_EQ(1, view->m_nInitialUpdates) << n;
        EXPECT_EQ(&main, view->m_pNotifyAtInitialUpdate) << n;
    }
    EXPECT_EQ(-1, pane->CreateViews(1, &bookB, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(0, pane->CreateViews(2, &bookB, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(fixed + 6, g_liveViews); // the second book reuses the six views
    EXPECT_EQ(1, dynamic_cast<CPaneView*>(View(3, 0))->m_nInitialUpdates);
    CWnd* list = View(3, 0);

    CMainStandIn* m = &main;
    EXPECT_TRUE(pane->DestroyViews(1, CRightPaneFrame::KindAddressBook, TRUE));
    EXPECT_EQ(1, m->relayouts);
    EXPECT_EQ(list, View(3, 0));
    EXPECT_FALSE(pane->DestroyViews(1, CRightPaneFrame::KindAddressBook, TRUE));
    EXPECT_EQ(1, m->relayouts);
    ASSERT_TRUE(pane->ShowView(3, 2, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_TRUE(pane->DestroyViews(2, CRightPaneFrame::KindAddressBook, FALSE));
    EXPECT_EQ(fixed, g_liveViews);
    EXPECT_EQ(nullptr, View(3, 0));
    EXPECT_EQ(nullptr, pane->GetCurrentView());
    EXPECT_EQ(nullptr, pane->GetActiveView());
    // The documents belong to their trees: the views went without closing them.
    EXPECT_EQ(nullptr, bookB.GetFirstViewPosition());
}

// A window that keeps a kind's views without a document of its own (registered with none)
// keeps them when the last file of the kind closes: they leave the closed file's document
// and stay the same windows for the next file.
TEST_F(RightPaneFrameTest, AWindowRegisteredWithoutADocumentKeepsTheViewsPastTheLastFile) {
    const int fixed = g_liveViews;
    ASSERT_EQ(0, pane->CreateViews(100, nullptr, CRightPaneFrame::KindAddressBook, &main));
    ASSERT_EQ(0, pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, nullptr));
    ASSERT_TRUE(pane->ShowView(4, 1, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    CWnd* list = View(4, 0);
    ASSERT_TRUE(Shows(bookA, list));
    EXPECT_TRUE(pane->DestroyViews(1, CRightPaneFrame::KindAddressBook, FALSE));
    EXPECT_EQ(fixed + 6, g_liveViews);
    EXPECT_EQ(list, View(4, 0));
    EXPECT_FALSE(Shows(bookA, list));
    EXPECT_EQ(nullptr, bookA.GetFirstViewPosition());
    ASSERT_EQ(0, pane->CreateViews(2, &bookB, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(list, View(4, 0));
    EXPECT_TRUE(pane->DestroyViews(2, CRightPaneFrame::KindAddressBook, FALSE));
    // The window's own registration going takes the views with it.
    EXPECT_TRUE(pane->DestroyViews(100, CRightPaneFrame::KindAddressBook, FALSE));
    EXPECT_EQ(fixed, g_liveViews);
    EXPECT_EQ(nullptr, View(4, 0));
}

TEST_F(RightPaneFrameTest, ShowingAViewAttachesItsDocumentAndMakesItTheOnlyOneShown) {
    pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, nullptr);
    pane->CreateViews(2, &bookB, CRightPaneFrame::KindAddressBook, nullptr);
    pane->CreateViews(7, &senders, CRightPaneFrame::KindSenders, nullptr);
    EXPECT_FALSE(pane->ShowView(1, 99, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_FALSE(pane->ShowView(1, 7, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_FALSE(pane->ShowView(2, 7, nullptr, CRightPaneFrame::KindSenders, nullptr))
        << "a view whose class no module registered shows nothing";
    EXPECT_FALSE(pane->ShowView(7, 1, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(nullptr, pane->GetCurrentView());

    // A plain view moves to the document it shows.
    ASSERT_TRUE(pane->ShowView(1, 7, nullptr, CRightPaneFrame::KindSenders, nullptr));
    auto* form = static_cast<CView*>(View(1, CRightPaneFrame::KindSenders));
    EXPECT_EQ(&senders, form->GetDocument());
    EXPECT_EQ(form, pane->GetActiveView());
    EXPECT_EQ(AFX_IDW_PANE_FIRST, (UINT)form->GetDlgCtrlID());
    EXPECT_TRUE(form->IsWindowVisible());
    EXPECT_EQ(CRect(0, 0, 400, 300), RectIn(form, pane));

    ASSERT_TRUE(pane->ShowView(2, 1, nullptr, CRightPaneFrame::KindAddressBook, &main));
    auto* person = static_cast<CPaneView*>(View(2, 0));
    EXPECT_EQ(&bookA, person->GetDocument());
    EXPECT_EQ(&main, person->m_pNotify);
    EXPECT_FALSE(form->IsWindowVisible());
    EXPECT_EQ(8008 + 1, form->GetDlgCtrlID()); // its own id back
    ASSERT_TRUE(pane->ShowView(2, 2, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(&bookB, person->GetDocument());
    EXPECT_FALSE(Shows(bookA, person));
    EXPECT_TRUE(Shows(bookB, person));

    // A view over several documents takes the document itself.
    ASSERT_TRUE(pane->ShowView(3, 1, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    EXPECT_EQ(&bookA, static_cast<CSelfTakingView*>(View(3, 0))->m_pTaken);

    // Commands reach the view shown now and nothing else.
    EXPECT_TRUE(pane->OnCmdMsg(kTestCommand, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ((std::vector<UINT>{AFX_IDW_PANE_FIRST}), g_commands);
    EXPECT_FALSE(pane->OnCmdMsg(kTestCommand + 1, CN_COMMAND, nullptr, nullptr));
}

TEST_F(RightPaneFrameTest, RestoreReturnsFromTheComposeFormToTheList) {
    EXPECT_FALSE(pane->RestoreView());
    pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, nullptr);
    pane->CreateViews(2, &bookB, CRightPaneFrame::KindAddressBook, nullptr);
    ASSERT_TRUE(pane->ShowView(3, 2, &bookB, CRightPaneFrame::KindAddressBook, nullptr));
    CWnd tree;
    ASSERT_TRUE(tree.CreateEx(0, nullptr, "树", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(pane->OpenSmsEditor(&bookB, 3, &tree, 1234, 0));
    auto* compose = static_cast<CComposeView*>(View(2, CRightPaneFrame::KindFixed));
    EXPECT_EQ(compose, pane->GetCurrentView());
    EXPECT_EQ(&bookB, compose->m_pDoc);
    EXPECT_EQ(3, compose->m_nMode);
    EXPECT_EQ(1234, compose->m_lStart);
    EXPECT_EQ(&tree, compose->m_pReturn);

    ASSERT_TRUE(pane->RestoreView());
    EXPECT_EQ(View(3, 0), pane->GetCurrentView());
    EXPECT_EQ(&bookB, static_cast<CSelfTakingView*>(View(3, 0))->m_pTaken);
}

TEST_F(RightPaneFrameTest, RestoreNeverBringsBackAFileClosedSince) {
    pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, nullptr);
    pane->CreateViews(2, &bookB, CRightPaneFrame::KindAddressBook, nullptr);

    // Closed while its view was the one before the current.
    ASSERT_TRUE(pane->ShowView(2, 1, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    ASSERT_TRUE(pane->ShowView(2, 0, &bookB, CRightPaneFrame::KindFixed, nullptr));
    ASSERT_TRUE(pane->DestroyViews(1, CRightPaneFrame::KindAddressBook, FALSE));
    EXPECT_FALSE(pane->RestoreView());
    EXPECT_EQ(View(2, CRightPaneFrame::KindFixed), pane->GetCurrentView());

    // Closed while its view was the current one: showing another must not remember it.
    ASSERT_EQ(0, pane->CreateViews(1, &bookA, CRightPaneFrame::KindAddressBook, nullptr));
    ASSERT_TRUE(pane->ShowView(4, 1, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    auto* shared = static_cast<CPaneView*>(View(4, 0));
    ASSERT_TRUE(pane->DestroyViews(1, CRightPaneFrame::KindAddressBook, FALSE));
    // The shared view moved on to the book still open, away from the closed one.
    for (int n = 1; n <= 6; ++n)
        EXPECT_FALSE(Shows(bookA, View(n, 0))) << n;
    EXPECT_EQ(&bookB, shared->GetDocument());
    ASSERT_TRUE(pane->ShowView(1, 0, nullptr, CRightPaneFrame::KindFixed, nullptr));
    EXPECT_FALSE(pane->RestoreView());

    // Another file of the same kind is unaffected.
    ASSERT_TRUE(pane->ShowView(4, 2, nullptr, CRightPaneFrame::KindAddressBook, nullptr));
    ASSERT_TRUE(pane->ShowView(1, 0, nullptr, CRightPaneFrame::KindFixed, nullptr));
    ASSERT_TRUE(pane->RestoreView());
    EXPECT_EQ(shared, pane->GetCurrentView());
}

TEST_F(RightPaneFrameTest, KindsOfOneViewAndFramesAndTheRegistrationTable) {
    struct Case {
        int kind, nView;
        UINT id;
    } ids[] = {{0, 1, 9},     {0, 6, 14},    {1, 2, 8010},  {3, 1, 16009}, {3, 2, 16010},
               {4, 1, 40009}, {5, 1, 40009}, {6, 1, 40009}, {2, 3, 3}};
    for (const Case& c : ids)
        EXPECT_EQ(c.id, CRightPaneFrame::GetViewChildId(c.kind, c.nView)) << c.kind;
    EXPECT_EQ(0, CRightPaneFrame::GetViewCount(7));
    EXPECT_FALSE(CRightPaneFrame::RegisterViewClass(4, 2, RUNTIME_CLASS(CPaneView)));
    EXPECT_FALSE(CRightPaneFrame::RegisterViewClass(9, 1, RUNTIME_CLASS(CPaneView)));
    EXPECT_FALSE(CRightPaneFrame::RegisterViewClass(4, 1, RUNTIME_CLASS(CWnd)));

    // The e-mail kind's one view.
    CDocument mail;
    mail.m_bAutoDelete = FALSE;
    ASSERT_EQ(0, pane->CreateViews(11, &mail, CRightPaneFrame::KindEmail, nullptr));
    ASSERT_TRUE(pane->ShowView(1, 11, nullptr, CRightPaneFrame::KindEmail, nullptr));
    EXPECT_EQ(&mail, pane->GetCurrentView()->GetDocument());
    EXPECT_FALSE(pane->ShowView(2, 11, nullptr, CRightPaneFrame::KindEmail, nullptr));
    // A kind whose class is not registered registers the file but shows nothing.
    ASSERT_EQ(0, pane->CreateViews(12, &mail, CRightPaneFrame::KindCalendar, nullptr));
    EXPECT_FALSE(pane->ShowView(1, 12, nullptr, CRightPaneFrame::KindCalendar, nullptr));
    EXPECT_TRUE(pane->DestroyViews(12, CRightPaneFrame::KindCalendar, FALSE));

    // A module frame is shown as a view of the pane.
    CDocument notes;
    notes.m_bAutoDelete = FALSE;
    ASSERT_EQ(0, pane->CreateViews(13, &notes, CRightPaneFrame::KindNotes, nullptr));
    ASSERT_TRUE(pane->ShowView(1, 13, nullptr, CRightPaneFrame::KindNotes, nullptr));
    EXPECT_TRUE(dynamic_cast<CModuleFrame*>(pane->GetCurrentWnd()));
    EXPECT_EQ(nullptr, pane->GetCurrentView());
    EXPECT_TRUE(pane->DestroyViews(13, CRightPaneFrame::KindNotes, FALSE));
    EXPECT_TRUE(pane->DestroyViews(11, CRightPaneFrame::KindEmail, FALSE));
}

} // namespace
