#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/WinApp.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

void Log(const std::string& s) {
    g_log.push_back(s);
}

const UINT kRegistered = RegisterWindowMessage("QuillmarTestMessage");

// A window that answers a user message and records what it sees.
class CBaseProbe : public CWnd {
public:
    LRESULT OnUser1(WPARAM wp, LPARAM lp) { return (LRESULT)(wp + lp); }
    LRESULT OnUser2(WPARAM, LPARAM) { return 2; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
ON_MESSAGE(WM_USER + 1, &CBaseProbe::OnUser1)
ON_MESSAGE(WM_USER + 2, &CBaseProbe::OnUser2)
END_MESSAGE_MAP()

class CProbe : public CBaseProbe {
public:
    std::string name;
    bool eatKeys = false;
    explicit CProbe(std::string n = "probe") : name(std::move(n)) {}

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_USER + 7)
            Log(name + ":pre");
        return eatKeys && pMsg->message == WM_KEYDOWN;
    }
    LRESULT OnUser2Override(WPARAM, LPARAM) { return 22; }
    LRESULT OnRegistered(WPARAM wp, LPARAM) { return (LRESULT)wp * 10; }
    LRESULT OnPosted(WPARAM wp, LPARAM) {
        Log(name + ":posted" + std::to_string(wp));
        return 0;
    }
    void OnTimer(UINT_PTR id) { Log(name + ":timer" + std::to_string(id)); }
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) {
        Log(name + ":keydown" + std::to_string(nChar) + "/" + std::to_string(nRep) + "/" +
            std::to_string(nFlags & 0xC000));
        CWnd::OnKeyDown(nChar, nRep, nFlags);
    }
    void OnChar(UINT nChar, UINT, UINT) { Log(name + ":char" + std::to_string(nChar)); }
    void OnLButtonDown(UINT flags, CPoint pt) {
        Log(name + ":ldown" + std::to_string(flags) + "@" + std::to_string(pt.x) + "," +
            std::to_string(pt.y));
    }
    void OnLButtonUp(UINT flags, CPoint pt) {
        Log(name + ":lup" + std::to_string(flags) + "@" + std::to_string(pt.x) + "," +
            std::to_string(pt.y));
    }
    void OnLButtonDblClk(UINT, CPoint) { Log(name + ":ldbl"); }
    void OnDestroy() { Log(name + ":destroy"); }
    void OnNcDestroy() {
        Log(name + ":ncdestroy");
        CWnd::OnNcDestroy();
    }
    int OnCreate(LPCREATESTRUCT cs) {
        Log(name + ":create " + (cs->lpszName ? cs->lpszName : ""));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CProbe, CBaseProbe)
ON_MESSAGE(WM_USER + 2, &CProbe::OnUser2Override)
ON_MESSAGE(WM_USER + 7, &CProbe::OnPosted)
ON_REGISTERED_MESSAGE(kRegistered, &CProbe::OnRegistered)
ON_WM_TIMER()
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_DESTROY()
ON_WM_NCDESTROY()
ON_WM_CREATE()
END_MESSAGE_MAP()

// Deletes itself once its window is gone, as modeless windows of the system do.
class CSelfDeleting : public CProbe {
public:
    static int deleted;
    using CProbe::CProbe;
    ~CSelfDeleting() override { ++deleted; }
    void PostNcDestroy() override { delete this; }
};
int CSelfDeleting::deleted = 0;

class WndTest : public GuiTest {
protected:
    void SetUp() override { g_log.clear(); }
    CProbe top{"top"};
    CProbe child{"child"};
    void MakeTopAndChild() {
        ASSERT_TRUE(top.CreateEx(0, nullptr, "顶层", WS_POPUP | WS_VISIBLE, CRect(10, 10, 310, 210),
                                 nullptr, 0));
        ASSERT_TRUE(child.Create(nullptr, "子窗口", WS_CHILD | WS_VISIBLE, CRect(20, 30, 120, 90),
                                 &top, 42));
        g_log.clear();
    }
};

} // namespace

TEST_F(WndTest, SendMessageAnswersThroughTheMostDerivedMap) {
    MakeTopAndChild();
    struct Row {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        LRESULT expected;
    } rows[] = {
        {WM_USER + 1, 40, 2, 42}, // the base class's entry
        {WM_USER + 2, 0, 0, 22},  // the derived class's entry wins over the base's
        {kRegistered, 7, 0, 70},  // a registered message found by its run-time number
        {WM_USER + 99, 1, 1, 0},  // nobody handles it: the default answers 0
    };
    for (const Row& r : rows)
        EXPECT_EQ(child.SendMessage(r.msg, r.wp, r.lp), r.expected) << std::hex << r.msg;
    EXPECT_EQ(RegisterWindowMessage("QuillmarTestMessage"), kRegistered);
    EXPECT_GE(kRegistered, 0xC000u);
}

TEST_F(WndTest, PostedMessagesArriveInOrderAfterSentOnes) {
    MakeTopAndChild();
    child.PostMessage(WM_USER + 7, 1);
    child.PostMessage(WM_USER + 7, 2);
    child.SendMessage(WM_USER + 7, 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:posted0"}));
    Pump();
    // Each posted message goes through PreTranslateMessage of the window and its parent first.
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"child:posted0", "child:pre", "top:pre", "child:posted1",
                                        "child:pre", "top:pre", "child:posted2"}));
}

TEST_F(WndTest, PostedMessageToDestroyedWindowIsDropped) {
    auto* w = new CSelfDeleting("gone");
    ASSERT_TRUE(w->CreateEx(0, nullptr, "x", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    HWND h = w->m_hWnd;
    w->PostMessage(WM_USER + 7, 5);
    w->DestroyWindow();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(::PostMessage(h, WM_USER + 7, 6));
    Pump();
    for (const std::string& s : g_log)
        EXPECT_EQ(s.find("posted"), std::string::npos) << s;
}

TEST_F(WndTest, DestroyRunsDestroyThenNcDestroyOnceAndPostNcDestroyLast) {
    int before = CSelfDeleting::deleted;
    auto* parent = new CSelfDeleting("p");
    auto* kid = new CSelfDeleting("k");
    ASSERT_TRUE(parent->CreateEx(0, nullptr, "p", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    ASSERT_TRUE(kid->Create(nullptr, "k", WS_CHILD, CRect(0, 0, 5, 5), parent, 1));
    HWND hp = parent->m_hWnd, hk = kid->m_hWnd;
    g_log.clear();
    parent->DestroyWindow();
    EXPECT_FALSE(IsWindow(hp));
    EXPECT_FALSE(IsWindow(hk));
    EXPECT_EQ(CSelfDeleting::deleted, before + 2);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"p:destroy", "k:destroy", "k:ncdestroy", "p:ncdestroy"}));
}

TEST_F(WndTest, OwnedPopupGoesWithItsOwner) {
    MakeTopAndChild();
    CProbe popup("popup");
    // Given a child as parent, the pop-up is owned by the child's top-level window.
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "pop", WS_POPUP, CRect(0, 0, 20, 20), &child, 0));
    EXPECT_EQ(popup.GetOwner(), &top);
    EXPECT_EQ(popup.GetParent(), &top);
    top.DestroyWindow();
    EXPECT_EQ(popup.m_hWnd, nullptr);
    EXPECT_EQ(child.m_hWnd, nullptr);
}

namespace {
class CRefuse : public CWnd {
public:
    int OnCreate(LPCREATESTRUCT) { return -1; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRefuse, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()
} // namespace

TEST_F(WndTest, CreateRefusedByOnCreateLeavesNoWindow) {
    CRefuse w;
    EXPECT_FALSE(w.CreateEx(0, nullptr, "no", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    EXPECT_EQ(w.m_hWnd, nullptr);
}

// ---- Input ----

TEST_F(WndTest, KeysBecomeKeyDownAndCharWithClassicCodes) {
    MakeTopAndChild();
    struct Row {
        Qt::Key key;
        QString text;
        std::vector<std::string> expected;
    } rows[] = {
        {Qt::Key_A, "a", {"child:pre", "top:pre", "child:keydown65/1/0", "child:char97"}},
        {Qt::Key_Return, "\r", {"child:pre", "top:pre", "child:keydown13/1/0", "child:char13"}},
        {Qt::Key_F4, "", {"child:pre", "top:pre", "child:keydown115/1/0"}},
        {Qt::Key_Delete, "\x7f", {"child:pre", "top:pre", "child:keydown46/1/0"}},
        {Qt::Key_PageDown, "", {"child:pre", "top:pre", "child:keydown34/1/0"}},
    };
    for (const Row& r : rows) {
        g_log.clear();
        QKeyEvent press(QEvent::KeyPress, r.key, Qt::NoModifier, r.text);
        QCoreApplication::sendEvent(child.GetWidget(), &press);
        EXPECT_EQ(g_log, r.expected) << r.key;
    }
}

TEST_F(WndTest, ChineseCharacterArrivesAsTwoGbkBytes) {
    MakeTopAndChild();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(u8"中"));
    QCoreApplication::sendEvent(child.GetWidget(), &press);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:char214", "child:char208"}));
}

TEST_F(WndTest, PreTranslateMessageCanSwallowAKeyBeforeTheWindowSeesIt) {
    MakeTopAndChild();
    top.eatKeys = true;
    QTest::keyClick(child.GetWidget(), Qt::Key_B);
    // The parent swallowed the key: no key-down, and no characters are made from it.
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:pre", "top:pre"}));
}

TEST_F(WndTest, KeyReleaseCarriesTransitionFlags) {
    MakeTopAndChild();
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(child.GetWidget(), &release);
    EXPECT_TRUE(g_log.empty()); // a key-up has no handler here and makes no characters
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "", true);
    QCoreApplication::sendEvent(child.GetWidget(), &repeat);
    EXPECT_EQ(g_log.at(2), "child:keydown65/1/16384"); // previous-state bit of a repeat
}

TEST_F(WndTest, MouseButtonsBecomeClientMessagesWithModifierFlags) {
    MakeTopAndChild();
    QTest::mouseClick(child.GetWidget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 7));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:ldown5@5,7", "child:lup4@5,7"}));
    g_log.clear();
    QTest::mouseDClick(child.GetWidget(), Qt::LeftButton, Qt::ControlModifier, QPoint(1, 2));
    ASSERT_FALSE(g_log.empty());
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "child:ldbl"), g_log.end());
    // The click on the child never reaches the parent as its own click.
    for (const std::string& s : g_log)
        EXPECT_EQ(s.rfind("top:", 0), std::string::npos) << s;
}

TEST_F(WndTest, CaptureSendsTheMouseToTheCapturingWindow) {
    MakeTopAndChild();
    top.SetCapture();
    EXPECT_EQ(CWnd::GetCapture(), &top);
    QTest::mousePress(child.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ReleaseCapture();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].rfind("top:ldown1@", 0), 0u) << g_log[0];
    QTest::mouseRelease(child.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

// ---- Timers ----

TEST_F(WndTest, TimersFireRepeatedlyUntilKilled) {
    MakeTopAndChild();
    EXPECT_EQ(child.SetTimer(3, 10, nullptr), 3u);
    ASSERT_TRUE(
        WaitFor([] { return std::count(g_log.begin(), g_log.end(), "child:timer3") >= 2; }));
    EXPECT_TRUE(child.KillTimer(3));
    EXPECT_FALSE(child.KillTimer(3));
    g_log.clear();
    QTest::qWait(50);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "child:timer3"), 0);
}

TEST_F(WndTest, SettingATimerAgainReplacesIt) {
    MakeTopAndChild();
    child.SetTimer(1, 5000, nullptr);
    child.SetTimer(1, 10, nullptr);
    ASSERT_TRUE(WaitFor([] { return !g_log.empty(); }, 1000));
    child.KillTimer(1);
}

namespace {
int g_callbackCount = 0;
void TimerCallback(HWND, UINT msg, UINT_PTR id, DWORD) {
    if (msg == WM_TIMER && id == 9)
        ++g_callbackCount;
}
} // namespace

TEST_F(WndTest, TimerWithCallbackCallsItInsteadOfTheWindow) {
    MakeTopAndChild();
    g_callbackCount = 0;
    child.SetTimer(9, 10, &TimerCallback);
    ASSERT_TRUE(WaitFor([] { return g_callbackCount >= 1; }));
    child.KillTimer(9);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "child:timer9"), 0);
}

TEST_F(WndTest, DestroyedWindowStopsItsTimers) {
    auto* w = new CSelfDeleting("t");
    ASSERT_TRUE(w->CreateEx(0, nullptr, "t", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    w->SetTimer(1, 10, nullptr);
    w->DestroyWindow();
    g_log.clear();
    QTest::qWait(40);
    EXPECT_TRUE(g_log.empty());
}

// ---- Relations, lookup, geometry ----

// A pop-up owned by a window sits among its Qt children; the walk through the child windows
// (a frame laying out its bars) passes over it and reaches the controls made after it.
TEST_F(WndTest, AWalkThroughTheChildrenPassesOverAnOwnedPopup) {
    MakeTopAndChild();
    CProbe popup("popup");
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "pop", WS_POPUP, CRect(0, 0, 20, 20), &top, 0));
    CProbe later("later");
    ASSERT_TRUE(later.CreateEx(0, nullptr, "later", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20),
                               &top, 43));
    std::vector<CWnd*> walked;
    for (CWnd* c = top.GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT))
        walked.push_back(c);
    EXPECT_EQ(walked, (std::vector<CWnd*>{&child, &later}));
    EXPECT_EQ(top.GetDlgItem(43), &later);
    EXPECT_EQ(popup.GetOwner(), &top);
}

TEST_F(WndTest, RelationsAndDialogItems) {
    MakeTopAndChild();
    EXPECT_EQ(child.GetParent(), &top);
    EXPECT_EQ(child.GetTopLevelParent(), &top);
    EXPECT_EQ(top.GetDlgItem(42), &child);
    EXPECT_EQ(top.GetDlgItem(43), nullptr);
    EXPECT_TRUE(top.IsChild(&child));
    EXPECT_EQ(CWnd::FromHandle(child.m_hWnd), &child);
    EXPECT_EQ(child.GetDlgCtrlID(), 42);
    EXPECT_TRUE(child.GetStyle() & WS_CHILD);
    CString text;
    child.GetWindowText(text);
    EXPECT_EQ(text, "子窗口");

    // A short buffer takes whole characters only (each of these takes two bytes).
    struct Row {
        WPARAM size;
        const char* text;
    } rows[] = {{1, ""}, {2, ""}, {3, "子"}, {4, "子"}, {6, "子窗"}, {7, "子窗口"}, {64, "子窗口"}};
    for (const Row& r : rows) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        LRESULT n = child.SendMessage(WM_GETTEXT, r.size, (LPARAM)buffer);
        EXPECT_STREQ(buffer, r.text) << r.size;
        EXPECT_EQ((size_t)n, std::strlen(r.text)) << r.size;
    }
    char untouched[4] = "abc";
    EXPECT_EQ(0, child.SendMessage(WM_GETTEXT, 0, (LPARAM)untouched));
    EXPECT_STREQ(untouched, "abc");
}

TEST_F(WndTest, FindWindowByClassNameAndTitle) {
    struct CNamed : CWnd {
        BOOL PreCreateWindow(CREATESTRUCT& cs) override {
            cs.lpszClass = "QuillmarMainFrameWindow";
            return TRUE;
        }
    } named;
    ASSERT_TRUE(
        named.CreateEx(0, nullptr, "墨川", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(CWnd::FindWindow("QuillmarMainFrameWindow", nullptr), &named);
    EXPECT_EQ(CWnd::FindWindow(nullptr, "墨川"), &named);
    EXPECT_EQ(CWnd::FindWindow("QuillmarMainFrameWindow", "别的"), nullptr);
    EXPECT_EQ(CWnd::FindWindow("Other", nullptr), nullptr);
}

TEST_F(WndTest, ClientAndScreenCoordinatesMapBothWays) {
    MakeTopAndChild();
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 100, 60));
    CPoint pt(3, 4);
    child.ClientToScreen(&pt);
    CPoint back = pt;
    top.ScreenToClient(&back);
    EXPECT_EQ(back, CPoint(23, 34));
    child.MoveWindow(1, 2, 30, 40);
    CRect wr;
    child.GetWindowRect(&wr);
    top.ScreenToClient(&wr);
    EXPECT_EQ(wr, CRect(1, 2, 31, 42));
}

TEST_F(WndTest, EnableShowAndTopMostState) {
    MakeTopAndChild();
    EXPECT_TRUE(child.IsWindowVisible());
    child.ShowWindow(SW_HIDE);
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_FALSE(child.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(child.EnableWindow(FALSE)); // was enabled
    EXPECT_TRUE(child.GetStyle() & WS_DISABLED);
    EXPECT_TRUE(child.EnableWindow(TRUE)); // was disabled
    top.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(top.GetExStyle() & WS_EX_TOPMOST);
    EXPECT_TRUE(top.GetWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(WndTest, SystemMetricsAndWorkArea) {
    CRect work;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.Width(), 0);
    EXPECT_LE(work.Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
}

// ---- The application loop ----

namespace {
class CIdleApp : public CWinApp {
public:
    std::vector<LONG> counts;
    BOOL OnIdle(LONG lCount) override {
        counts.push_back(lCount);
        // Asks for two more passes, then quits at the third idle pass.
        if (lCount >= 2) {
            PostQuitMessage(7);
            return FALSE;
        }
        return TRUE;
    }
};
} // namespace

TEST_F(WndTest, RunCallsOnIdleWithRisingCountAndEndsWithTheQuitCode) {
    CIdleApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    int code = app.Run();
    EXPECT_EQ(code, 7);
    ASSERT_GE(app.counts.size(), 3u);
    EXPECT_EQ(app.counts[0], 0);
    EXPECT_EQ(app.counts[1], 1);
    EXPECT_EQ(app.counts[2], 2);
}

namespace {
// Remembers the creation parameter its WM_CREATE carried.
class CContextProbe : public CWnd {
public:
    void* seen = nullptr;
    int OnCreate(LPCREATESTRUCT cs) {
        seen = cs->lpCreateParams;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CContextProbe, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()
} // namespace

TEST_F(WndTest, CreateHandsItsContextToWmCreate) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    int context = 0;
    CContextProbe child;
    ASSERT_TRUE(child.Create(nullptr, "c", WS_CHILD, CRect(0, 0, 10, 10), &parent, 1, &context));
    EXPECT_EQ(child.seen, &context);
}

TEST_F(WndTest, OwnScrollBarsStayOutsideTheClientArea) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
    struct Case {
        DWORD style;
        int cx, cy;
    } cases[] = {{0, 100, 80},
                 {WS_VSCROLL, 100 - GetSystemMetrics(SM_CXVSCROLL), 80},
                 {WS_HSCROLL, 100, 80 - GetSystemMetrics(SM_CYHSCROLL)},
                 {WS_VSCROLL | WS_HSCROLL, 100 - GetSystemMetrics(SM_CXVSCROLL),
                  80 - GetSystemMetrics(SM_CYHSCROLL)}};
    UINT id = 10;
    for (const Case& c : cases) {
        CWnd w;
        ASSERT_TRUE(
            w.Create(nullptr, "w", WS_CHILD | c.style, CRect(0, 0, 100, 80), &parent, id++));
        CRect r;
        w.GetClientRect(&r);
        EXPECT_EQ(r, CRect(0, 0, c.cx, c.cy)) << c.style;
    }
    // A Qt control places its own bars.
    CEdit edit;
    ASSERT_TRUE(
        edit.Create(WS_CHILD | WS_VSCROLL | ES_MULTILINE, CRect(0, 0, 100, 80), &parent, 20));
    CRect r;
    edit.GetClientRect(&r);
    EXPECT_EQ(r.Width(), 100);
}
