#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/OutbarWnd.h"
#include "testsupport/ArchiveBytes.h"

#include "platform/gui/Frame.h"

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

const char* const kCaptions[] = {"通讯录管理", "短信管理", "日常记事", "任务日历", "信息大全"};

// What the folder windows heard, in order: (folder window id, wParam, lParam).
struct Heard {
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Heard& o) const {
        return id == o.id && wParam == o.wParam && lParam == o.lParam;
    }
};
std::vector<Heard> g_heard;
int g_initialUpdates = 0;
std::vector<UINT> g_commands;

constexpr UINT kTestCommand = 40123;

// A folder window as the module trees are: a view that hears the bar's folder messages.
class CFolderView : public CView {
    DECLARE_DYNCREATE(CFolderView)
public:
    void OnInitialUpdate() override { ++g_initialUpdates; }
    void OnDraw(CDC* pDC) override {
        CRect r;
        GetClientRect(&r);
        pDC->FillSolidRect(&r, RGB(255, 255, 255));
        CString text;
        text.Format("文件夹 %u", GetDlgCtrlID() - AFX_IDW_PANE_FIRST);
        pDC->DrawText(text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    LRESULT OnFolder(WPARAM wParam, LPARAM lParam) {
        g_heard.push_back({(UINT)GetDlgCtrlID(), wParam, lParam});
        return 0;
    }
    void OnTestCommand() { g_commands.push_back((UINT)GetDlgCtrlID()); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CFolderView, CView)
BEGIN_MESSAGE_MAP(CFolderView, CView)
ON_MESSAGE(WM_OUTBAR_FOLDER, &CFolderView::OnFolder)
ON_COMMAND(kTestCommand, &CFolderView::OnTestCommand)
END_MESSAGE_MAP()

// A page folder, a plain window kept by pointer; it goes with its window.
class CFolderPage : public CWnd {
    DECLARE_DYNCREATE(CFolderPage)
public:
    void PostNcDestroy() override { delete this; }
};
IMPLEMENT_DYNCREATE(CFolderPage, CWnd)

class CRecordingOutbar : public COutbarWnd {
public:
    using COutbarWnd::COutbarWnd;
    std::vector<int> changed;
    void OnFolderChanged(int i) override { changed.push_back(i); }
};

class OutbarWndTest : public GuiTest {
protected:
    std::unique_ptr<CFrameWnd> frame;
    CRecordingOutbar* bar = nullptr;

    void SetUp() override {
        g_heard.clear();
        g_commands.clear();
        g_initialUpdates = 0;
        frame.reset(new CFrameWnd);
        ASSERT_TRUE(frame->Create(nullptr, "导航", WS_POPUP | WS_VISIBLE, CRect(0, 0, 160, 300)));
    }
    void TearDown() override {
        if (frame && frame->GetSafeHwnd())
            frame->DestroyWindow(); // the frame deletes itself with its window
        (void)frame.release();
        delete bar;
    }
    // A bar of the style over the frame's client area with n view folders.
    void MakeBar(int style, int n, int cx = 160, int cy = 300) {
        bar = new CRecordingOutbar(style);
        ASSERT_TRUE(bar->Create(frame.get(), WS_CHILD | WS_BORDER, 114));
        bar->MoveWindow(0, 0, cx, cy);
        for (int i = 0; i < n; ++i)
            ASSERT_NE(nullptr,
                      bar->AddFolderView(RUNTIME_CLASS(CFolderView), nullptr, kCaptions[i], i));
    }
    CRect Button(int i) {
        CRect r;
        EXPECT_TRUE(bar->GetButtonRect(i, r));
        return r;
    }
    CRect Area() {
        CRect r;
        bar->GetFolderArea(r);
        return r;
    }
    void Click(CPoint p) { bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
    void Hover(CPoint p) { bar->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y)); }
};

TEST_F(OutbarWndTest, DrawerStylesStackButtonsAroundTheSelectedFolder) {
    for (int style : {COutbarWnd::StyleDrawer, COutbarWnd::StyleModernDrawer}) {
        MakeBar(style, 3);
        EXPECT_EQ(0u, bar->CWnd::GetStyle() & (WS_BORDER | WS_HSCROLL | WS_VSCROLL));
        ASSERT_TRUE(bar->SelectFolder(1, FALSE));
        EXPECT_EQ(CRect(0, 0, 160, 17), Button(0));
        EXPECT_EQ(CRect(0, 17, 160, 34), Button(1));
        EXPECT_EQ(CRect(0, 283, 160, 300), Button(2));
        EXPECT_EQ(CRect(0, 34, 160, 283), Area());
        // Only the selected folder's window shows, over the folder area.
        EXPECT_EQ(CRect(0, 34, 160, 283), RectIn(bar->GetFolderWnd(1), bar));
        EXPECT_TRUE(bar->GetFolderWnd(1)->IsWindowVisible());
        EXPECT_FALSE(bar->GetFolderWnd(0)->IsWindowVisible());
        EXPECT_FALSE(bar->GetFolderWnd(2)->IsWindowVisible());
        bar->DestroyWindow();
        delete bar;
        bar = nullptr;
    }
}

TEST_F(OutbarWndTest, TabAndSingleStylesLayTheirAreas) {
    MakeBar(COutbarWnd::StyleTabs, 3);
    bar->SelectFolder(2, FALSE);
    EXPECT_EQ(CRect(0, 70, 23, 140), Button(1));
    EXPECT_EQ(CRect(23, 0, 160, 300), Area());
    EXPECT_EQ(CRect(23, 0, 160, 300), RectIn(bar->GetFolderWnd(2), bar));

    // Switching to the single window: the folder has the whole bar and there are no buttons.
    bar->SetStyle(COutbarWnd::StyleSingle);
    bar->LayoutFolderWnds();
    CRect r;
    EXPECT_FALSE(bar->GetButtonRect(0, r));
    EXPECT_EQ(CRect(0, 0, 160, 300), RectIn(bar->GetFolderWnd(2), bar));
}

TEST_F(OutbarWndTest, HitTestFindsButtonsTheFolderAreaAndNothing) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    bar->SelectFolder(1, FALSE);
    struct Case {
        int style;
        CPoint p;
        int expect;
    } cases[] = {
        {COutbarWnd::StyleDrawer, {10, 5}, 0},
        {COutbarWnd::StyleDrawer, {10, 20}, 1},
        {COutbarWnd::StyleDrawer, {10, 100}, COutbarWnd::HitFolderArea},
        {COutbarWnd::StyleDrawer, {10, 299}, 2},
        {COutbarWnd::StyleDrawer, {10, 283}, 2},
        {COutbarWnd::StyleDrawer, {170, 5}, COutbarWnd::HitNothing},
        {COutbarWnd::StyleTabs, {10, 1}, COutbarWnd::HitNothing},
        {COutbarWnd::StyleTabs, {10, 75}, 1},
        {COutbarWnd::StyleTabs, {10, 250}, COutbarWnd::HitNothing}, // below the last tab
        {COutbarWnd::StyleTabs, {40, 75}, COutbarWnd::HitFolderArea},
        {COutbarWnd::StyleSingle, {10, 5}, COutbarWnd::HitFolderArea},
        {9, {10, 5}, COutbarWnd::HitFolderArea}, // a look it does not know: no buttons
    };
    for (const Case& c : cases) {
        bar->SetStyle(c.style);
        EXPECT_EQ(c.expect, bar->HitTest(c.p)) << c.style << " " << c.p.x << "," << c.p.y;
    }
}

TEST_F(OutbarWndTest, SelectingTellsTheFolderLeftAndTheFolderActivated) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    EXPECT_EQ(3, g_initialUpdates);
    const UINT f0 = COutbarWnd::FolderViewId(0), f1 = COutbarWnd::FolderViewId(1);
    ASSERT_TRUE(bar->SelectFolder(0, FALSE));
    EXPECT_TRUE(g_heard.empty());

    ASSERT_TRUE(bar->SelectFolder(1, TRUE));
    EXPECT_EQ((std::vector<Heard>{{f0, 301, 0}, {f1, 300, 1}}), g_heard);
    // The selected view became the frame's active view.
    EXPECT_EQ(bar->GetFolderWnd(1), frame->GetActiveView());

    // Again with notify: only the activation.
    g_heard.clear();
    ASSERT_TRUE(bar->SelectFolder(1, TRUE));
    EXPECT_EQ((std::vector<Heard>{{f1, 300, 1}}), g_heard);
    EXPECT_EQ((std::vector<int>{0, 1, 1}), bar->changed);

    // A disabled folder and one that does not exist are refused; nothing is told.
    g_heard.clear();
    bar->EnableFolder(2, FALSE);
    EXPECT_FALSE(bar->IsFolderEnabled(2));
    EXPECT_FALSE(bar->SelectFolder(2, TRUE));
    EXPECT_FALSE(bar->SelectFolder(7, TRUE));
    EXPECT_FALSE(bar->SelectFolder(-1, TRUE));
    EXPECT_TRUE(g_heard.empty());
    EXPECT_EQ(1, bar->GetSelFolder());
}

TEST_F(OutbarWndTest, ClicksSwitchFoldersUnlessDisabledLockedOrWithoutButtons) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    bar->SelectFolder(0, FALSE);
    bar->EnableFolder(1, FALSE);
    Click(Button(1).CenterPoint());
    EXPECT_EQ(0, bar->GetSelFolder());

    bar->SetMouseLock(TRUE);
    Click(Button(2).CenterPoint());
    EXPECT_EQ(0, bar->GetSelFolder());
    bar->SetMouseLock(FALSE);
    Click(Button(2).CenterPoint());
    EXPECT_EQ(2, bar->GetSelFolder());
    EXPECT_EQ(COutbarWnd::FolderViewId(2), g_heard.back().id);
    EXPECT_EQ(300u, g_heard.back().wParam);

    bar->SetStyle(COutbarWnd::StyleSingle);
    bar->LayoutFolderWnds();
    for (int y : {5, 20, 150, 295})
        Click(CPoint(10, y));
    EXPECT_EQ(2, bar->GetSelFolder());
    EXPECT_TRUE(bar->SelectFolder(0, FALSE)); // only the program switches it
}

TEST_F(OutbarWndTest, HoverTracksOneHotButtonAndLetsTheMouseGoOutside) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    bar->SelectFolder(0, FALSE);
    Hover(Button(2).CenterPoint());
    EXPECT_EQ(2, COutbarWnd::GetHotButton());
    EXPECT_EQ(bar, CWnd::GetCapture());
    Hover(Button(1).CenterPoint());
    EXPECT_EQ(1, COutbarWnd::GetHotButton());
    Hover(Area().CenterPoint());
    EXPECT_EQ(-1, COutbarWnd::GetHotButton());
    EXPECT_EQ(nullptr, CWnd::GetCapture());
}

TEST_F(OutbarWndTest, CaptionsTurnGreyWhileTheBarOrTheirFolderIsDisabled) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    bar->SelectFolder(0, FALSE);
    bar->EnableFolder(2, FALSE);
    QTemporaryDir dir;
    // The darkest pixel of a button's caption: black text, or grey text when disabled.
    auto darkest = [&](int i) {
        const QString path = dir.filePath("bar.png");
        EXPECT_TRUE(bar->SaveScreenshot(AfxFromQt(path)));
        QImage img(path);
        CRect r = Button(i);
        r.DeflateRect(2, 2);
        int dark = 255;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                dark = std::min(dark, qGray(img.pixel(x, y)));
        return dark;
    };
    EXPECT_LT(darkest(1), 50);
    EXPECT_GE(darkest(2), 90);
    bar->EnableWindow(FALSE);
    EXPECT_GE(darkest(1), 90);
    bar->EnableWindow(TRUE);
    EXPECT_LT(darkest(1), 50);
}

TEST_F(OutbarWndTest, FolderIndexesOutOfRangeGiveNothing) {
    MakeBar(COutbarWnd::StyleDrawer, 2);
    for (int i : {-1, 2, 100}) {
        EXPECT_EQ(nullptr, bar->GetFolderWnd(i));
        bar->SetFolderCaption(i, "无", TRUE);
        bar->EnableFolder(i, TRUE);
        EXPECT_FALSE(bar->IsFolderEnabled(i));
    }
    EXPECT_EQ(CString("通讯录管理"), bar->GetFolderCaption(0));
    bar->SetFolderCaption(1, "短信与邮件");
    EXPECT_EQ(CString("短信与邮件"), bar->GetFolderCaption(1));
    EXPECT_EQ(nullptr, bar->GetSelFolderWnd());

    // A folder whose id is taken already, and a class that is no window, add nothing.
    CWnd squatter;
    ASSERT_TRUE(squatter.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 1, 1), bar,
                                COutbarWnd::FolderViewId(2)));
    EXPECT_EQ(nullptr, bar->AddFolderView(RUNTIME_CLASS(CFolderView), nullptr, "x"));
    squatter.DestroyWindow();
    EXPECT_EQ(nullptr, bar->AddFolderView(RUNTIME_CLASS(CObject), nullptr, "x"));
    EXPECT_EQ(2, bar->GetFolderCount());
}

TEST_F(OutbarWndTest, PageFoldersLiveUnderTheirOwnParentAndAreLaidOutThere) {
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300),
                            frame.get(), 1211));
    bar = new CRecordingOutbar(COutbarWnd::StyleSingle);
    ASSERT_TRUE(bar->Create(&host, WS_CHILD, 114));
    bar->MoveWindow(100, 40, 200, 150);
    CWnd* page = bar->AddFolderPage(RUNTIME_CLASS(CFolderPage), nullptr, "常规", 121, &host);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(&host, page->GetParent());
    EXPECT_EQ(page, bar->GetFolderWnd(0));
    ASSERT_TRUE(bar->SelectFolder(0, FALSE));
    EXPECT_EQ(CRect(100, 40, 300, 190), RectIn(page, &host));
    EXPECT_TRUE(page->IsWindowVisible());

    // A page whose window went (and its object with it) is no longer the folder's window.
    page->DestroyWindow();
    EXPECT_EQ(nullptr, bar->GetFolderWnd(0));
    bar->LayoutFolderWnds();
    EXPECT_TRUE(bar->SelectFolder(0, TRUE));
    bar->DestroyWindow();
}

TEST_F(OutbarWndTest, ArchivedFolderListNeverCarriesAWindow) {
    MakeBar(COutbarWnd::StyleDrawer, 2);
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame.get(), 5));
    ASSERT_NE(nullptr, bar->AddFolderPage(RUNTIME_CLASS(CFolderPage), nullptr, "代理", 121, &host));
    bar->EnableFolder(1, FALSE);
    archive_bytes::Bytes bytes = archive_bytes::Store(*bar);
    // count, then per folder: index, caption (length byte and text), image, view flag, window,
    // disabled flag. Every window slot is 0.
    const size_t caption0 = CString(kCaptions[0]).GetLength();
    const size_t window0 = 4 + 4 + 1 + caption0 + 4 + 4;
    ASSERT_GT(bytes.size(), window0 + 4);
    EXPECT_EQ(
        (archive_bytes::Bytes{0, 0, 0, 0}),
        archive_bytes::Bytes(bytes.begin() + (long)window0, bytes.begin() + (long)window0 + 4));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(0, bytes[bytes.size() - 8 + i]); // the page's window slot too

    // A file carrying a window address: loaded, it is never used. View folders are found again
    // by their ids, the page has no window.
    archive_bytes::Bytes hostile = bytes;
    for (size_t i = 0; i < 4; ++i)
        hostile[bytes.size() - 8 + i] = 0xAB;
    CRecordingOutbar other(COutbarWnd::StyleDrawer);
    ASSERT_TRUE(other.Create(frame.get(), WS_CHILD, 115));
    EXPECT_EQ(0u, archive_bytes::Load(other, hostile));
    EXPECT_EQ(3, other.GetFolderCount());
    EXPECT_EQ(nullptr, other.GetFolderWnd(2));
    EXPECT_EQ(nullptr, other.GetFolderWnd(0)); // no view of that id under this bar
    EXPECT_FALSE(other.IsFolderEnabled(1));
    EXPECT_EQ(CString("代理"), other.GetFolderCaption(2));
    EXPECT_TRUE(other.SelectFolder(2, TRUE)); // no window to tell, no crash
    EXPECT_EQ(0u, archive_bytes::Load(*bar, bytes));
    EXPECT_EQ(bar->GetDlgItem(COutbarWnd::FolderViewId(0)), bar->GetFolderWnd(0));

    // A count larger than the file is refused before anything is allocated.
    archive_bytes::Bytes huge = {0xFF, 0xFF, 0xFF, 0x0F, 0, 0};
    EXPECT_EQ(CArchiveException::endOfFile, archive_bytes::LoadFailure(other, huge));
    archive_bytes::Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CArchiveException::badIndex, archive_bytes::LoadFailure(other, negative));
    EXPECT_EQ(3, other.GetFolderCount());
    other.DestroyWindow();
}

TEST_F(OutbarWndTest, CommandsAndFocusGoToTheSelectedFolder) {
    MakeBar(COutbarWnd::StyleDrawer, 3);
    bar->SelectFolder(2, FALSE);
    EXPECT_TRUE(bar->OnCmdMsg(kTestCommand, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ((std::vector<UINT>{COutbarWnd::FolderViewId(2)}), g_commands);
    EXPECT_FALSE(bar->OnCmdMsg(kTestCommand + 1, CN_COMMAND, nullptr, nullptr));

    frame->SetForegroundWindow();
    bar->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == bar->GetFolderWnd(2); }));
}

// The bar in each style with the five module folders, the third one hot and the fifth disabled,
// for a person to look at.
TEST_F(OutbarWndTest, ScreenshotsOfTheFourStyles) {
    const struct {
        int style;
        const char* name;
    } looks[] = {{COutbarWnd::StyleDrawer, "outbar-classic-drawer"},
                 {COutbarWnd::StyleSingle, "outbar-single-window"},
                 {COutbarWnd::StyleTabs, "outbar-tabs"},
                 {COutbarWnd::StyleModernDrawer, "outbar-modern-drawer"}};
    for (const auto& look : looks) {
        MakeBar(look.style, 5, 160, 420);
        bar->EnableFolder(4, FALSE);
        bar->SelectFolder(1, FALSE);
        if (look.style != COutbarWnd::StyleSingle) {
            Hover(Button(2).CenterPoint());
            EXPECT_EQ(2, COutbarWnd::GetHotButton());
        }
        Pump();
        EXPECT_TRUE(bar->SaveScreenshot(ScreenPath(look.name).c_str())) << look.name;
        bar->DestroyWindow();
        delete bar;
        bar = nullptr;
    }
}

} // namespace
