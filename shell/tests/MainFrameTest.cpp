// The application started as the program starts it, offscreen, each test in its own folders:
// start-up and exit, the window state across two starts, the tray, opening files through the
// modules, the busy mode, refused closes, new messages and a second copy of the program.
#include "links/AppVersionChecker.h"
#include "links/ServiceAddress.h"
#include "links/tests/support/FakeModem.h"
#include "links/ui/DlgCheckVersion.h"
#include "links/ui/MEIndicatorWnd.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/ChildProcess.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Resource.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "res/mainframe.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/OptionPages.h"
#include "shell/RightPaneFrame.h"
#include "shell/SheetOption.h"
#include "shell/ShellModule.h"
#include "shell/SmsApp.h"
#include "shell/TrayIcon.h"
#include "shell/tests/ProgramRun.h"
#include "sms/SmsBox.h"
#include "testsupport/NetTestEnv.h"
#include "ui/KovMenu.h"

#include <QImage>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the test modules saw, in order.
std::vector<std::string> g_events;

// A module's folder window that hears the folder activation and a command of its own.
class CTestFolderView : public CView {
    DECLARE_DYNCREATE(CTestFolderView)
public:
    void OnDraw(CDC* pDC) override {
        CRect rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, RGB(255, 255, 255));
        pDC->DrawText("测试模块", -1, &rc, DT_CENTER);
    }
};
IMPLEMENT_DYNCREATE(CTestFolderView, CView)

// A module standing in for one not built yet: it opens its extensions by noting them.
class CTestModule : public CShellModule {
public:
    CTestModule(int folder, std::vector<CString> exts, const char* name)
        : m_folder(folder), m_exts(std::move(exts)), m_name(name) {}
    int GetFolder() const override { return m_folder; }
    CRuntimeClass* GetFolderClass() const override { return RUNTIME_CLASS(CTestFolderView); }
    std::vector<CString> GetExtensions() const override { return m_exts; }
    CDocument* OpenFile(CMainFrame* pFrame, LPCTSTR lpszPath, const CString&) override {
        g_events.push_back(m_name + " open " + lpszPath + " folder " +
                           std::to_string(pFrame->GetOutbar()->GetSelFolder()));
        if (m_pOpenedLog) {
            std::ofstream(m_pOpenedLog, std::ios::app) << lpszPath << "\n";
            if (++m_nOpened == m_nQuitAfter)
                pFrame->PostMessage(WM_CLOSE);
        }
        return reinterpret_cast<CDocument*>(this); // a marker: the file is open
    }
    BOOL CanClose(CString& reason) override {
        g_events.push_back(m_name + " can-close");
        if (!m_refuseReason.IsEmpty())
            reason = m_refuseReason;
        return m_refuseReason.IsEmpty();
    }
    BOOL CloseFiles(CMainFrame*) override {
        g_events.push_back(m_name + " close-files");
        return !m_bCancelClose;
    }
    void OnStartup(CSmsApp* app) override {
        g_events.push_back(m_name + " startup " +
                           (app->GetMainFrame()->IsWindowVisible() ? "shown" : "hidden"));
    }
    void OnExit(CSmsApp*) override { g_events.push_back(m_name + " exit"); }
    int FileNewMessages(CMainFrame*, void* account, _CSmsBox* box) override {
        return account && m_bFiles ? box->GetSmsCount() : 0;
    }

    CString m_refuseReason;
    BOOL m_bCancelClose = FALSE;
    BOOL m_bFiles = FALSE;
    const char* m_pOpenedLog = nullptr;
    int m_nQuitAfter = 0;
    int m_nOpened = 0;

private:
    int m_folder;
    std::vector<CString> m_exts;
    std::string m_name;
};

class MainFrameTest : public GuiTest {
protected:
    std::unique_ptr<AppFolders> folders = std::make_unique<AppFolders>();
    std::vector<MessageBoxCall> boxes;
    MessageBoxHook oldHook;
    CTestModule contacts{FolderAddressBook, {".sms", ".psn"}, "contacts"};
    CTestModule senders{FolderSms, {".sdr"}, "senders"};

    void SetUp() override {
        g_events.clear();
        AfxSetTrayAvailableForTesting(1);
        // Start-up never reaches out; a page opened from a menu goes to a closed local port.
        SetServiceBaseAddress("http://127.0.0.1:9/");
        oldHook = AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            boxes.push_back(c);
            return IDOK;
        });
        AfxRegisterShellModule(&contacts);
        AfxRegisterShellModule(&senders);
    }
    void TearDown() override {
        AfxUnregisterShellModule(nullptr);
        AfxSetMessageBoxHook(oldHook);
        AfxSetTrayAvailableForTesting(-1);
        SetServiceBaseAddress(nullptr);
    }

    std::unique_ptr<CSmsApp> Start(std::vector<CString> files = {}) { return StartProgram(files); }
    static BOOL Exit(CSmsApp& app) { return ExitProgram(app); }
    static void WriteGeneral(const char* entry, int value) {
        CProfileStore().WriteProfileInt("General", entry, value);
        CProfileStore::ReloadForTesting();
    }
    static int ReadGeneral(const char* entry) {
        CProfileStore::ReloadForTesting();
        return (int)CProfileStore().GetProfileInt("General", entry, -12345);
    }
    static void Command(CWnd* wnd, UINT id) { wnd->SendMessage(WM_COMMAND, id, 0); }
    // The state the frame's update rules give a command.
    struct State {
        BOOL enabled = TRUE; // an item stays enabled unless an update disables it
        int checked = 0;
    };
    static State Update(CMainFrame* frame, UINT id) {
        struct Probe : CCmdUI {
            State s;
            void Enable(BOOL b) override { s.enabled = b; }
            void SetCheck(int c) override { s.checked = c; }
        } probe;
        probe.m_nID = id;
        probe.DoUpdate(frame, TRUE);
        return probe.s;
    }
};

TEST_F(MainFrameTest, StartsWithItsBarsFoldersAndTrayAndEndsInOrder) {
    // A module registered a second time is still one module: started and ended once.
    AfxRegisterShellModule(&contacts);
    EXPECT_EQ(AfxGetShellModules(), (std::vector<CShellModule*>{&contacts, &senders}));
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    ASSERT_TRUE(frame && frame->IsWindowVisible());
    EXPECT_EQ(AfxGetMainWnd(), frame);
    EXPECT_TRUE(frame->IsZoomed()) << "the first start shows the window maximised";
    EXPECT_EQ(frame->GetTitle(), "墨川");
    EXPECT_EQ(CWnd::FindWindow(QUILLMAR_MAINFRAME_CLASS, nullptr), frame);

    // The rich-text editor's formats: three different numbers, the same on asking again.
    EXPECT_NE(g_cfEmbeddedObject, 0u);
    EXPECT_NE(g_cfEmbeddedObject, g_cfRichTextFormat);
    EXPECT_NE(g_cfRichTextFormat, g_cfRichTextAndObjects);
    EXPECT_EQ(RegisterClipboardFormat("rich text format"), g_cfRichTextFormat);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);

    EXPECT_EQ(frame->GetToolBar().GetCount(), 37);
    EXPECT_EQ(frame->GetToolBar().GetItemID(36), (UINT)ID_FILE_CLOSE);
    // After the first idle pass the buttons follow their commands: those of modules not in this
    // build stay disabled, the application's own are enabled.
    app->OnIdle(0);
    CToolBar& tools = frame->GetToolBar();
    auto disabled = [&](UINT id) {
        return (tools.GetButtonStyle(tools.CommandToIndex(id)) & TBBS_DISABLED) != 0;
    };
    EXPECT_TRUE(disabled(ID_SEND));
    EXPECT_TRUE(disabled(ID_NEW_CONTACT));
    EXPECT_TRUE(disabled(ID_FILE_SAVE));
    EXPECT_FALSE(disabled(ID_SMS_CENTER));
    EXPECT_EQ(frame->GetStatusBar().GetCount(), 5);
    EXPECT_EQ(frame->GetStatusBar().GetItemID(1), (UINT)ID_INDICATOR_DEVICE);

    COutbarWnd* bar = frame->GetOutbar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->GetStyle(), COutbarWnd::StyleModernDrawer);
    const char* captions[] = {"通讯录管理", "短信管理", "日常记事", "任务日历", "信息大全",
                              "电子邮件"};
    ASSERT_EQ(bar->GetFolderCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bar->GetFolderCaption(i), captions[i]);
        bool registered = i <= FolderSms;
        EXPECT_EQ(bar->GetFolderWnd(i)->IsKindOf(RUNTIME_CLASS(CModuleMissingView)), !registered)
            << i;
    }
    EXPECT_EQ(bar->GetSelFolder(), 0);
    EXPECT_EQ(CModuleMissingView::MessageFor("日常记事"), "“日常记事”模块不在本版本中。");
    EXPECT_EQ(frame->GetRightPane()->GetFolderWnd(0), bar->GetFolderWnd(0));

    TrayIconState tray;
    ASSERT_TRUE(AfxGetTrayIcon(frame->m_hWnd, 1, &tray));
    EXPECT_EQ(tray.tip, "墨川");
    EXPECT_EQ(tray.uCallbackMessage, (UINT)WM_TRAY_CALLBACK);

    EXPECT_EQ(g_events, (std::vector<std::string>{"contacts startup shown", "senders startup shown"}));
    g_events.clear();
    ASSERT_TRUE(Exit(*app));
    EXPECT_FALSE(AfxGetTrayIcon(nullptr, 1, &tray));
    EXPECT_EQ(g_events, (std::vector<std::string>{"contacts can-close", "senders can-close",
                                                  "contacts close-files", "senders close-files",
                                                  "contacts exit", "senders exit"}));
    EXPECT_EQ(ReadGeneral("LeftPaneMode"), 3) << "the options are saved at exit";
    EXPECT_EQ(boxes.size(), 0u);
}

TEST_F(MainFrameTest, ScreenshotsOfEachFolderAndStyle) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    frame->SendMessage(WM_SYSCOMMAND, SC_RESTORE_CMD, 0);
    frame->MoveWindow(0, 0, 900, 600);
    app->OnIdle(0); // the tool bar shows which commands work
    Pump();
    const UINT modules[] = {ID_MODULE_ADDRESSBOOK, ID_MODULE_SMS, ID_MODULE_NOTES,
                            ID_MODULE_CALENDAR, ID_MODULE_INFO};
    for (int i = 0; i < 5; ++i) {
        Command(frame, modules[i]);
        Pump();
        EXPECT_EQ(frame->GetOutbar()->GetSelFolder(), i);
        EXPECT_EQ(Update(frame, modules[i]).checked, 1);
        EXPECT_TRUE(frame->SaveScreenshot(ScreenPath(("mainframe-folder" + std::to_string(i)).c_str()).c_str()));
    }
    struct {
        UINT cmd;
        int style;
        const char* name;
    } looks[] = {{ID_OUTBAR_DRAWER, COutbarWnd::StyleDrawer, "mainframe-drawer"},
                 {ID_OUTBAR_SINGLE, COutbarWnd::StyleSingle, "mainframe-single"},
                 {ID_OUTBAR_TABS, COutbarWnd::StyleTabs, "mainframe-tabs"},
                 {ID_OUTBAR_MODERN, COutbarWnd::StyleModernDrawer, "mainframe-modern"}};
    for (auto& look : looks) {
        Command(frame, look.cmd);
        Pump();
        EXPECT_EQ(frame->GetOutbar()->GetStyle(), look.style) << look.name;
        for (auto& other : looks)
            EXPECT_EQ(Update(frame, other.cmd).checked, other.cmd == look.cmd ? 1 : 0);
        EXPECT_TRUE(frame->SaveScreenshot(ScreenPath(look.name).c_str()));
    }
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, WindowStateSurvivesARestart) {
    CRect before;
    {
        auto app = Start();
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        frame->SendMessage(WM_SYSCOMMAND, SC_RESTORE_CMD, 0);
        EXPECT_FALSE(frame->IsZoomed());
        frame->MoveWindow(40, 50, 700, 500);
        frame->GetWindowRect(&before);
        Command(frame, ID_OUTBAR_TABS);
        frame->GetSplitter().SetColumnInfo(0, 150, 0);
        frame->GetSplitter().RecalcLayout();
        ASSERT_TRUE(Exit(*app));
    }
    EXPECT_EQ(ReadGeneral("MainFrmSizeCmd"), SC_RESTORE_CMD);
    EXPECT_EQ(ReadGeneral("MainFrmLeft"), before.left);
    EXPECT_EQ(ReadGeneral("MainFrmBottom"), before.bottom);
    EXPECT_EQ(ReadGeneral("LeftPaneMode"), COutbarWnd::StyleTabs);
    EXPECT_EQ(ReadGeneral("LeftPaneWidth"), 150);

    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    EXPECT_FALSE(frame->IsZoomed());
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_EQ(rc, before);
    EXPECT_EQ(frame->GetOutbar()->GetStyle(), COutbarWnd::StyleTabs);
    EXPECT_EQ(frame->GetSplitter().GetColumnSize(0), 150);
    // Moving a maximised window does not touch the rectangle kept for the normal one.
    frame->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE_CMD, 0);
    frame->MoveWindow(5, 5, 300, 300);
    ASSERT_TRUE(Exit(*app));
    EXPECT_EQ(ReadGeneral("MainFrmSizeCmd"), SC_MAXIMIZE_CMD);
    EXPECT_EQ(ReadGeneral("MainFrmLeft"), before.left);
}

TEST_F(MainFrameTest, AnOutOfRangeNavigationStyleGivesTheModernDrawer) {
    WriteGeneral("LeftPaneMode", 7);
    auto app = Start();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->GetMainFrame()->GetOutbar()->GetStyle(), COutbarWnd::StyleModernDrawer);
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, MinimisedAtExitStartsMinimisedAndComesBackAsItWas) {
    WriteGeneral("MainFrmSizeCmd", SC_MINIMIZE_CMD);
    WriteGeneral("MainFrmLastSizeCmd", SC_MAXIMIZE_CMD);
    WriteGeneral("TrayIcon", 0);
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    EXPECT_TRUE(frame->IsIconic());
    EXPECT_TRUE(frame->IsWindowVisible()) << "without a tray icon it stays on the task bar";
    frame->SendMessage(WM_SYSCOMMAND, SC_RESTORE_CMD, 0);
    EXPECT_TRUE(frame->IsZoomed());
    EXPECT_EQ(frame->GetSizeCmd(), SC_MAXIMIZE_CMD);
    ASSERT_TRUE(Exit(*app));
}

// Minimising and the close box with the tray icon on or off, shown by the desktop or not.
TEST_F(MainFrameTest, HidesToTheTrayOnlyWhereTheIconCanBringItBack) {
    struct Case {
        const char* name;
        int trayIcon, trayShown, miniToTray, closeToTray;
        bool hiddenByMinimise, hiddenByCloseBox;
    } cases[] = {
        {"tray, minimise to tray", 1, 1, 1, 0, true, false},
        {"tray, close to tray", 1, 1, 0, 1, false, true},
        {"no icon", 0, 1, 1, 1, false, false},
        {"icon the desktop does not show", 1, 0, 1, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folders.reset();
        folders = std::make_unique<AppFolders>();
        WriteGeneral("TrayIcon", c.trayIcon);
        WriteGeneral("MiniToTray", c.miniToTray);
        WriteGeneral("CloseToTray", c.closeToTray);
        AfxSetTrayAvailableForTesting(c.trayShown);
        auto app = Start();
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        HWND h = frame->m_hWnd;

        frame->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE_CMD, 0);
        EXPECT_TRUE(frame->IsIconic());
        EXPECT_EQ(!frame->IsWindowVisible(), c.hiddenByMinimise);
        frame->SendMessage(WM_COMMAND, ID_SHOW_MAINWND, 0);
        EXPECT_TRUE(frame->IsWindowVisible());
        EXPECT_TRUE(frame->IsZoomed()) << "back as it was before minimising";

        frame->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        if (c.hiddenByCloseBox) {
            ASSERT_TRUE(::IsWindow(h));
            EXPECT_FALSE(frame->IsWindowVisible());
            // Taking the icon away while the window is hidden brings the window back first.
            frame->ShowTrayIcon(FALSE);
            EXPECT_TRUE(frame->IsWindowVisible());
            ASSERT_TRUE(Exit(*app)) << "the exit command closes for good";
        } else {
            EXPECT_FALSE(::IsWindow(h)) << "the close box closed the program";
            app->ExitInstance();
        }
    }
}

TEST_F(MainFrameTest, TrayClicksAndTheRestartedShell) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    // A left click carries out the tray menu's first command: hide, then show again.
    AfxClickTrayIcon(frame->m_hWnd, 1, WM_LBUTTONDOWN);
    EXPECT_FALSE(frame->IsWindowVisible());
    AfxClickTrayIcon(frame->m_hWnd, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(frame->IsWindowVisible());
    // The shell restarted: the icon is added again.
    AfxResetTrayIcons();
    TrayIconState tray;
    EXPECT_FALSE(AfxGetTrayIcon(frame->m_hWnd, 1, &tray));
    frame->SendMessage(RegisterWindowMessage("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(AfxGetTrayIcon(frame->m_hWnd, 1, &tray));
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, FilesOpenInTheirModulesByExtension) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    struct {
        const char* path;
        const char* event; // null: nothing opens
    } cases[] = {
        {"\"/d/book.SMS\"", "contacts open /d/book.SMS folder 0"},
        {"/d/card.psn", "contacts open /d/card.psn folder 0"},
        {"/d/me.sdr", "senders open /d/me.sdr folder 1"},
        {"/d/notes.ntp", nullptr}, // its module is not in this build
        {"/d/plan.sch", nullptr},
        {"/d/readme.txt", nullptr},
        {"/d.dir/noext", nullptr},
        {"", nullptr},
        {"\"\"", nullptr},
    };
    for (auto& c : cases) {
        g_events.clear();
        CDocument* doc = app->OpenDocumentFile(c.path);
        EXPECT_EQ(doc != nullptr, c.event != nullptr) << c.path;
        if (c.event)
            EXPECT_EQ(g_events, std::vector<std::string>{c.event}) << c.path;
        else
            EXPECT_TRUE(g_events.empty()) << c.path;
    }

    // Dropped files open in drop order, each selecting its folder.
    g_events.clear();
    CStringArray paths;
    paths.Add("/d/a.sdr");
    paths.Add("/d/b.sms");
    paths.Add("/d/c.sdr");
    frame->SendMessage(WM_DROPFILES, (WPARAM)AfxMakeDrop(paths, CPoint(10, 10)), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"senders open /d/a.sdr folder 1",
                                                  "contacts open /d/b.sms folder 0",
                                                  "senders open /d/c.sdr folder 1"}));
    EXPECT_EQ(frame->GetOutbar()->GetSelFolder(), 1);

    // Only the four document kinds are remembered, each in its own list.
    app->AddToRecentFileList("/d/x.SDR");
    app->AddToRecentFileList("/d/y.txt");
    EXPECT_EQ((*app->m_pRecentSenderList)[0], "/d/x.SDR");
    EXPECT_TRUE((*app->m_pRecentFileList)[0].IsEmpty());
    EXPECT_TRUE((*app->m_pRecentNoteList)[0].IsEmpty());
    ASSERT_TRUE(Exit(*app));
    app.reset();
    app = Start();
    ASSERT_TRUE(app);
    EXPECT_EQ((*app->m_pRecentSenderList)[0], "/d/x.SDR") << "kept across starts";
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, AStartWithFilesOpensThemAfterTheWindowShowsAndSkipsPresetFiles) {
    CProfileStore().WriteProfileInt("Sender", "AutoLoadFile", 1);
    CProfileStore().WriteProfileString("Sender", "AutoLoadFileList", "/d/preset.sdr");
    WriteGeneral("AutoLoadOnFile", 0);
    auto app = Start({"/d/given.sms"});
    ASSERT_TRUE(app);
    EXPECT_EQ(g_events, (std::vector<std::string>{"contacts open /d/given.sms folder 0",
                                                  "contacts startup shown",
                                                  "senders startup shown"}));
    ASSERT_TRUE(Exit(*app));
    app.reset();

    // Started bare, the preset files open while the window is built, before it shows.
    g_events.clear();
    app = Start();
    ASSERT_TRUE(app);
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events[0], "senders open /d/preset.sdr folder 1");
    EXPECT_EQ(app->GetMainFrame()->GetOutbar()->GetSelFolder(), 1);
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, EditModeRefusesFilesClosingAndApplicationCommands) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    EXPECT_TRUE(Update(frame, ID_APP_ABOUT).enabled);
    EXPECT_FALSE(Update(frame, ID_FILE_PRINT_SETUP).enabled) << "nothing prints";
    EXPECT_EQ(frame->SendMessage(WM_EDIT_MODE, EDIT_MODE_ENTER, 0), 0);
    EXPECT_TRUE(frame->IsBusy());
    EXPECT_FALSE(Update(frame, ID_APP_ABOUT).enabled);
    EXPECT_FALSE(Update(frame, ID_NOTICE_BOARD).enabled);

    g_events.clear();
    EXPECT_EQ(app->OpenDocumentFile("/d/card.psn"), nullptr);
    EXPECT_TRUE(g_events.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "程序正处于编辑模式，谢绝打扰。请另外选择时间打开文件。");
    EXPECT_FALSE(Exit(*app));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "程序正处于编辑模式，请先退出编辑模式：单击工具栏上的“确认修改”按钮"
                             "(Ctrl+E)保存所做的修改，或“放弃修改”按钮(Ctrl+Alt+Q)放弃它们。");
    EXPECT_TRUE(g_events.empty()) << "no module was asked";

    frame->SendMessage(WM_EDIT_MODE, 7, 0); // not a mode change
    EXPECT_TRUE(frame->IsBusy());
    frame->SendMessage(WM_EDIT_MODE, EDIT_MODE_LEAVE, 0);
    EXPECT_TRUE(Update(frame, ID_APP_ABOUT).enabled);

    // While command routing through the frame is off, no command is handled at all.
    EXPECT_EQ(frame->SendMessage(WM_SET_CMD_ROUTING, 0, 0), 1);
    EXPECT_FALSE(Update(frame, ID_VIEW_LEFTPANE).enabled);
    frame->SendMessage(WM_SET_CMD_ROUTING, 1, 0);
    EXPECT_TRUE(Update(frame, ID_VIEW_LEFTPANE).enabled);
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, RefusedClosesKeepTheWindow) {
    auto app = Start();
    ASSERT_TRUE(app);
    contacts.m_refuseReason = "电子名片正在与服务器通信，请稍候再退出。";
    g_events.clear();
    EXPECT_FALSE(Exit(*app));
    EXPECT_EQ(g_events, std::vector<std::string>{"contacts can-close"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, contacts.m_refuseReason);
    contacts.m_refuseReason.Empty();

    // A tree whose files are not closed (the user cancelled) stops the close there.
    senders.m_bCancelClose = TRUE;
    g_events.clear();
    EXPECT_FALSE(Exit(*app));
    EXPECT_EQ(g_events, (std::vector<std::string>{"contacts can-close", "senders can-close",
                                                  "contacts close-files", "senders close-files"}));
    senders.m_bCancelClose = FALSE;
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, NewMessagesAddUpInThePromptUntilItCloses) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    EXPECT_EQ(frame->SendMessage(WM_NEW_MESSAGES, 0, 0), 1) << "no holding box";

    auto batch = [](int n) {
        auto box = std::make_unique<_CSmsBox>("");
        for (int i = 0; i < n; ++i)
            box->AddSms(new _CSms("你好"));
        return box;
    };
    auto first = batch(2);
    EXPECT_EQ(frame->SendMessage(WM_NEW_MESSAGES, 0, (LPARAM)first.get()), 0)
        << "nothing was filed, so no sound";
    for (POSITION pos = first->GetFirstSmsPosition(); pos;)
        EXPECT_EQ(first->GetNextSms(pos)->GetState(), 5);
    ASSERT_TRUE(frame->GetPromptWnd());
    EXPECT_EQ(frame->GetNewMessageCount(), 2);

    senders.m_bFiles = TRUE;
    int account = 0;
    auto second = batch(3);
    EXPECT_EQ(frame->SendMessage(WM_NEW_MESSAGES, (WPARAM)&account, (LPARAM)second.get()), 1);
    EXPECT_EQ(frame->GetNewMessageCount(), 5);
    frame->SaveScreenshot(ScreenPath("mainframe-new-messages").c_str());
    frame->GetPromptWnd()->SaveScreenshot(ScreenPath("mainframe-new-messages-prompt").c_str());

    frame->GetPromptWnd()->DestroyWindow();
    EXPECT_EQ(frame->GetPromptWnd(), nullptr);
    EXPECT_EQ(frame->GetNewMessageCount(), 0);
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, FrameCommandsKeysAndTheirStates) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    COutbarWnd* bar = frame->GetOutbar();

    Command(frame, ID_MODULE_CALENDAR);
    EXPECT_EQ(bar->GetSelFolder(), FolderCalendar);
    bar->EnableFolder(FolderCalendar, FALSE);
    EXPECT_FALSE(Update(frame, ID_MODULE_CALENDAR).enabled);
    EXPECT_TRUE(Update(frame, ID_MODULE_INFO).enabled);
    for (UINT id : {(UINT)ID_RECEIVE_SMS, (UINT)ID_FILE_SAVE, (UINT)ID_FILE_SAVE_AS})
        EXPECT_FALSE(Update(frame, id).enabled) << id;
    EXPECT_EQ(Update(frame, ID_SORT_ASCENDING).checked, 0);

    // F12 hides and shows the navigation bar; F1 finds no help to show.
    auto key = [&](UINT vk) {
        MSG msg{frame->m_hWnd, WM_KEYDOWN, vk, 0, 0, {0, 0}};
        return frame->PreTranslateMessage(&msg);
    };
    EXPECT_TRUE(Update(frame, ID_VIEW_LEFTPANE).checked);
    EXPECT_TRUE(key(VK_F12));
    EXPECT_FALSE(frame->IsLeftPaneVisible());
    EXPECT_TRUE(frame->GetSplitter().IsColumnHidden(0));
    EXPECT_EQ(Update(frame, ID_VIEW_LEFTPANE).checked, 0);
    key(VK_F12);
    EXPECT_TRUE(frame->IsLeftPaneVisible());
    key(VK_F1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "无法启动帮助。");

    // Pages of the service open with the desktop's browser.
    std::vector<std::string> opened;
    auto oldOpen = AfxSetShellOpenHook([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    Command(frame, ID_SMS_CENTER);
    Command(frame, ID_REGISTER_SMS);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1:9/sms/",
                                                "http://127.0.0.1:9/sms/#Register"}));
    // With no browser on the desktop each says so and shows the address.
    AfxSetShellOpenHook([](const std::string&) { return false; });
    boxes.clear();
    for (UINT id : {(UINT)ID_HOME_PAGE, (UINT)ID_SMS_CENTER, (UINT)ID_REGISTER_SMS})
        Command(frame, id);
    AfxSetShellOpenHook(oldOpen);
    std::vector<std::string> said;
    for (const MessageBoxCall& b : boxes)
        said.push_back(b.text.GetString());
    EXPECT_EQ(said, (std::vector<std::string>{"无法打开网址 http://127.0.0.1:9/。",
                                              "无法打开网址 http://127.0.0.1:9/sms/。",
                                              "无法打开网址 http://127.0.0.1:9/sms/#Register。"}));
    ASSERT_TRUE(Exit(*app));
}

// 查看 > 工具栏 and 状态栏 show whether the bars are shown and hide or show them; the view area
// takes the room a hidden bar leaves.
TEST_F(MainFrameTest, TheViewMenuShowsAndTogglesTheToolBarAndStatusBar) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    auto paneHeight = [&] {
        CRect r;
        frame->GetSplitter().GetWindowRect(&r);
        return r.Height();
    };
    struct {
        UINT id;
        CWnd* bar;
    } bars[] = {{ID_VIEW_TOOLBAR, frame->GetToolBar().GetParent()},
                {ID_VIEW_STATUS_BAR, &frame->GetStatusBar()}};
    for (const auto& b : bars) {
        SCOPED_TRACE(b.id);
        ASSERT_NE(b.bar, nullptr);
        EXPECT_TRUE(b.bar->IsWindowVisible());
        State shown = Update(frame, b.id);
        EXPECT_TRUE(shown.enabled);
        EXPECT_EQ(shown.checked, 1);
        const int before = paneHeight();
        Command(frame, b.id);
        EXPECT_FALSE(b.bar->IsWindowVisible());
        EXPECT_EQ(Update(frame, b.id).checked, 0);
        EXPECT_GT(paneHeight(), before);
        Command(frame, b.id);
        EXPECT_TRUE(b.bar->IsWindowVisible());
        EXPECT_EQ(Update(frame, b.id).checked, 1);
        EXPECT_EQ(paneHeight(), before);
    }
    ASSERT_TRUE(Exit(*app));
}

TEST_F(MainFrameTest, FacesKeepTheirNumbersAndUnknownOnesShowTheDefault) {
    auto app = Start();
    ASSERT_TRUE(app);
    const int base = app->m_nFaceBase16;
    EXPECT_EQ(base, 1 + 2 * CSmsApp::kFaceCount);
    EXPECT_EQ(app->m_imageList16.GetImageCount(), base + 33);
    EXPECT_EQ(app->m_imageList32.GetImageCount(), app->m_nFaceBase32 + 33);
    struct {
        int face, sex, index;
    } cases[] = {{5, 0, 5},           {base - 1, 2, base - 1}, {0, 1, base + 27},
                 {0, 0, base + 28},   {0, 9, base + 29},      {base, 1, base + 27},
                 {-4, 0, base + 28},  {100000, 2, base + 29}};
    for (auto& c : cases)
        EXPECT_EQ(app->GetFaceIndex(c.face, c.sex), c.index) << c.face << "/" << c.sex;
    ASSERT_TRUE(Exit(*app));
}

// Every picture is there (the tool bar's, the menus', the views', the faces) and the images of
// each kind differ from one another; a contact sheet shows them with their ids.
TEST_F(MainFrameTest, OurArtworkIsComplete) {
    auto app = Start();
    ASSERT_TRUE(app);
    std::vector<UINT> ids;
    for (UINT id : CMainFrame::kToolBarIcons)
        ids.push_back(id);
    for (int i = 0; i < CSmsApp::kMenuIconCount; ++i)
        ids.push_back(CSmsApp::kMenuIcons[i].nIcon);
    for (UINT id : {80u, 511u, 512u, 513u, 515u, 125u, 182u, 183u, 514u, 531u, 532u, 533u, 529u,
                    528u, 526u, 527u, 581u, 582u, 583u, 590u})
        ids.push_back(id);
    for (UINT id : ids)
        EXPECT_TRUE(AfxFindImage(RT_ICON, id)) << "icon " << id;
    EXPECT_TRUE(AfxFindImage(RT_BITMAP, 237));
    EXPECT_TRUE(AfxFindImage(RT_CURSOR, 218));
    EXPECT_EQ(g_menuImageMap.GetCount(), CSmsApp::kMenuIconCount);

    // The faces came from their files, each its own picture, not the stand-in.
    EXPECT_EQ(app->m_imageList32.GetImage(1), app->m_imageList32.GetImage(CSmsApp::kFaceCount + 1))
        << "the second set repeats the first";
    for (int n = 1; n < CSmsApp::kFaceCount; ++n)
        EXPECT_NE(app->m_imageList32.GetImage(n), app->m_imageList32.GetImage(n + 1)) << n;
    EXPECT_EQ(app->m_imageList16.GetImage(5).size(), QSize(16, 16));

    // The contact sheet: every icon at both sizes, then the faces.
    std::vector<UINT> all;
    for (UINT id = 1; id < 3000; ++id)
        if (AfxFindImage(RT_ICON, id))
            all.push_back(id);
    const int cell = 56, perRow = 16;
    int iconRows = ((int)all.size() + perRow - 1) / perRow;
    int faceRows = (CSmsApp::kFaceCount + perRow - 1) / perRow;
    QImage sheet(cell * perRow, cell * (iconRows + faceRows + 1), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    for (size_t i = 0; i < all.size(); ++i) {
        int x = (int)(i % perRow) * cell, y = (int)(i / perRow) * cell;
        HICON h = ::LoadIcon(nullptr, MAKEINTRESOURCE(all[i]));
        p.drawImage(x + 4, y + 4, AfxIconImage(h, 32, 32));
        p.drawImage(x + 38, y + 4, AfxIconImage(h, 16, 16));
        p.drawText(x + 4, y + 50, QString::number(all[i]));
    }
    for (int i = 0; i < 11; ++i) {
        QImage part = app->m_imageList16.GetImage(app->m_nFaceBase16 + 8 + i);
        p.drawImage(i * 20 + 4, cell * iconRows + 8, part);
    }
    p.drawText(11 * 20 + 8, cell * iconRows + 20, "237 (+8..+18)");
    for (int n = 1; n <= CSmsApp::kFaceCount; ++n) {
        int x = ((n - 1) % perRow) * cell, y = cell * (iconRows + 1 + (n - 1) / perRow);
        p.drawImage(x + 4, y + 4, app->m_imageList32.GetImage(n));
        p.drawText(x + 4, y + 50, QString("face %1").arg(n));
    }
    p.end();
    EXPECT_TRUE(sheet.save(QString::fromStdString(ScreenPath("artwork"))));
    ASSERT_TRUE(Exit(*app));
}

// ---- A second copy of the program ---------------------------------------------------------

const char* const kOpenedLog = "opened.txt";

// The first copy, in a process of its own: it runs until it has been handed two files.
TEST(MainFrameChild, FirstCopy) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    AfxSetTrayAvailableForTesting(0);
    // Beside the settings folder: the runtime folder may be unset.
    std::string log = (fs::path(getenv("QUILLMAR_CONFIG")).parent_path() / kOpenedLog).string();
    CTestModule contacts{FolderAddressBook, {".sms"}, "contacts"};
    CTestModule senders{FolderSms, {".sdr"}, "senders"};
    contacts.m_pOpenedLog = senders.m_pOpenedLog = log.c_str();
    contacts.m_nQuitAfter = 1; // the address book comes last
    AfxRegisterShellModule(&contacts);
    AfxRegisterShellModule(&senders);
    CSmsApp app;
    if (!app.InitInstance())
        std::_Exit(3);
    std::printf("\nrunning\n");
    std::fflush(stdout);
    QTimer::singleShot(30000, [] { std::_Exit(4); });
    app.Run();
    std::_Exit(0);
}

// With a session's runtime folder and without one (a plain shell): the single-instance lock and
// the hand-over channel work either way, and without one they live in a folder of the user's
// own in the temporary folder.
TEST_F(MainFrameTest, ALaterCopyHandsItsFilesOverOrStepsAside) {
    for (bool session : {true, false}) {
        SCOPED_TRACE(session ? "with XDG_RUNTIME_DIR" : "without XDG_RUNTIME_DIR");
        folders.reset();
        folders = std::make_unique<AppFolders>();
        boxes.clear();
        std::optional<test_folders::ScopedEnv> noRuntime, tmp;
        if (!session) {
            noRuntime.emplace("XDG_RUNTIME_DIR", nullptr);
            tmp.emplace("TMPDIR", folders->dir.str());
        }
        std::string out;
        pid_t first = child_process::StartAndReadUntil("MainFrameChild.FirstCopy", "first",
                                                       {"\nrunning\n"}, out);
        ASSERT_GT(first, 0);
        ASSERT_NE(out.find("\nrunning\n"), std::string::npos) << out;
        if (!session) {
            fs::path own = folders->dir.path() / ("quillmar-" + std::to_string(getuid()));
            struct stat st {};
            ASSERT_EQ(::lstat(own.c_str(), &st), 0) << own;
            EXPECT_EQ(st.st_mode & 0777, 0700u) << "the stand-in folder is the user's alone";
            bool channel = false;
            for (const auto& entry : fs::directory_iterator(own))
                channel |= entry.path().filename().string().rfind("handover-", 0) == 0;
            EXPECT_TRUE(channel) << "the first copy listens in it";
        }

        // Bare, with one copy allowed: said so, and the first copy carries on.
        EXPECT_FALSE(Start());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "已有一个墨川的实例在运行！");

        // With files: handed over in order, quietly, whatever the option says.
        WriteGeneral("OneInstance", 0);
        EXPECT_FALSE(Start({"/d/first.sdr", "/d/second.sms"}));
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(child_process::Wait(first), 0) << "the first copy ends after opening both";
        std::ifstream in(folders->dir.path() / kOpenedLog);
        std::stringstream got;
        got << in.rdbuf();
        EXPECT_EQ(got.str(), "/d/first.sdr\n/d/second.sms\n");

        // Alone again, a copy starts normally; and with one copy allowed off, a second one too.
        auto app = Start();
        ASSERT_TRUE(app);
        ASSERT_TRUE(Exit(*app));
    }
}

// The lock says a copy runs but nothing listens for files (it hung or died before listening):
// the files given are not lost; this copy opens them itself, without a word.
TEST_F(MainFrameTest, AFileWhoseHandOverFailsIsOpenedByTheNewCopy) {
    CNamedMutex held;
    ASSERT_TRUE(held.Create());
    auto app = Start({"/d/given.sms"});
    ASSERT_TRUE(app);
    EXPECT_TRUE(boxes.empty());
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events[0], "contacts open /d/given.sms folder 0");
    ASSERT_TRUE(Exit(*app));
}

// With the option set, the version is checked once per run from idle time; a newer version
// opens the version dialog (which asks again), the same version opens nothing.
TEST_F(MainFrameTest, SilentVersionCheckRunsOncePerRunFromIdle) {
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    auto versionRequests = [&] {
        int n = 0;
        for (const auto& r : server.Requests())
            n += r.page == CAppVersionChecker::kVersionPage;
        return n;
    };
    std::vector<CString> shown;
    AfxSetModalDialogHook([&](CDialog& dlg) {
        auto* version = dynamic_cast<CDlgCheckVersion*>(&dlg);
        ASSERT_TRUE(version);
        WaitFor([&] { return version->GetChecker().GetChecks() > 0; }, 10000);
        CString text;
        dlg.GetDlgItemText(CDlgCheckVersion::IDC_NOTES, text);
        shown.push_back(text);
        dlg.EndDialog(IDCANCEL);
    });
    struct Row {
        int option;
        const char* page;
        int requests; // the silent one, and the dialog's own
        size_t dialogs;
    } rows[] = {
        {1, "Version3.10\r\n新版本说明", 2, 1},
        {1, "Version3.00", 1, 0},
        {0, "Version3.10", 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.page);
        const int before = versionRequests();
        shown.clear();
        server.SetReply(CAppVersionChecker::kVersionPage, test_net::Reply::Text(r.page));
        WriteGeneral("AutoCheckVersion", r.option);
        auto app = Start();
        ASSERT_TRUE(app);
        LONG count = 0;
        WaitFor([&] {
            app->OnIdle(count++);
            return app->GetVersionChecker() == nullptr && !app->m_bVersionCheckPending &&
                   shown.size() == r.dialogs;
        }, 10000);
        for (int i = 0; i < 5; ++i) {
            app->OnIdle(0);
            Pump();
        }
        EXPECT_EQ(r.requests, versionRequests() - before);
        ASSERT_EQ(r.dialogs, shown.size());
        if (r.dialogs) {
            EXPECT_STREQ("本程序版本是 3.00 ，当前的最新版本是 3.10 。\r\n新版本说明", shown[0]);
        }
        ASSERT_TRUE(Exit(*app));
    }
    AfxSetModalDialogHook(nullptr);
}

// The options open from the main window; taking the tray icon away while the window is hidden in
// the tray brings the window back, or nothing would reach it any more.
TEST_F(MainFrameTest, OptionsCommandOpensTheSheetAndATrayLessWindowComesBack) {
    auto app = Start();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    AfxClickTrayIcon(frame->m_hWnd, 1, WM_LBUTTONDOWN);
    ASSERT_FALSE(frame->IsWindowVisible());
    int sheets = 0;
    AfxSetModalDialogHook([&](CDialog& dlg) {
        auto* sheet = dynamic_cast<CSheetOption*>(&dlg);
        ASSERT_TRUE(sheet);
        ++sheets;
        CWnd* general = sheet->GetPage(0);
        auto* tray = static_cast<CButton*>(general->GetDlgItem(CPageOptionGeneral::IDC_TRAY_ICON));
        tray->SetCheck(BST_UNCHECKED);
        general->SendMessage(WM_COMMAND, MAKEWPARAM(CPageOptionGeneral::IDC_TRAY_ICON, BN_CLICKED),
                             (LPARAM)tray->GetSafeHwnd());
        sheet->SendMessage(WM_COMMAND, IDOK, 0);
    });
    Command(frame, ID_OPTIONS);
    AfxSetModalDialogHook(nullptr);
    EXPECT_EQ(1, sheets);
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(0, app->m_options.m_general.m_bTrayIcon);
    EXPECT_EQ(0, ReadGeneral("TrayIcon"));
    ASSERT_TRUE(Exit(*app));
}

// The manager of short messages and the phone belong to the application: held messages come
// back at start and go to the store at close, F4 receives for the active account, the close
// waits for a send run, and the phone connects at start and from the menu, shown in the status
// bar.
TEST_F(MainFrameTest, TheMessageManagerAndThePhoneJoinTheMainWindow) {
    {
        CCommDevice before;
        auto* held = new _CSms();
        held->m_strContent = "昨天收到的";
        held->SetState(_CSms::STATE_HELD);
        before.GetHoldingBox().AddSms(held);
        ASSERT_TRUE(before.SaveIncomingSms());
    }
    test_modem::FakeModem modem(folders->dir.path(), R"({"csca": "8613800100500"})");
    ASSERT_TRUE(modem.ok());
    CProfileStore profile;
    profile.WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2", modem.link.c_str());
    profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "Port", 2);
    profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "AutoConnect", 1);

    auto app = std::make_unique<CSmsApp>();
    // A fake phone started moments ago on a busy machine may answer its first line late.
    app->GetCommDevice().GetMobileAgent()->ScaleTimeoutsForTesting(10, 1);
    ASSERT_TRUE(app->InitInstance());
    Pump();
    CMainFrame* frame = app->GetMainFrame();
    CCommDevice& device = app->GetCommDevice();
    ASSERT_EQ(1, device.GetHoldingBox().GetSmsCount());
    EXPECT_TRUE(device.IsPhoneOpen());
    ASSERT_TRUE(frame->GetDeviceIndicator());
    EXPECT_EQ(CMEIndicatorWnd::FRAME_CONNECTED, frame->GetDeviceIndicator()->GetFrame());
    EXPECT_FALSE(Update(frame, ID_DEVICE_CONNECT).enabled);
    EXPECT_TRUE(Update(frame, ID_DEVICE_DISCONNECT).enabled);

    // From the menu: off, then on again with the outcome in the phone's notice.
    Command(frame, ID_DEVICE_DISCONNECT);
    EXPECT_FALSE(device.IsPhoneOpen());
    EXPECT_EQ(CMEIndicatorWnd::FRAME_DISCONNECTED, frame->GetDeviceIndicator()->GetFrame());
    Command(frame, ID_DEVICE_CONNECT);
    EXPECT_TRUE(device.IsPhoneOpen());
    ASSERT_TRUE(frame->GetPhonePromptWnd());
    EXPECT_EQ(frame->GetPhonePromptWnd()->GetTitle(), "开启成功");
    EXPECT_EQ(frame->GetPhonePromptWnd()->GetKind(), CPromptInfoWnd::KIND_INFO);
    Command(frame, ID_DEVICE_DISCONNECT);
    Pump();
    EXPECT_EQ(frame->GetPhonePromptWnd()->GetTitle(), "开启成功") << "a close asked for is no news";

    // F4 needs an account to receive for; new messages reach the frame's modules.
    _CSender account("小王");
    EXPECT_FALSE(Update(frame, ID_RECEIVE_SMS).enabled);
    app->GetCommHost().SetActiveSender(&account);
    EXPECT_TRUE(Update(frame, ID_RECEIVE_SMS).enabled);
    senders.m_bFiles = TRUE;
    EXPECT_EQ(1, device.DeliverIncomingSms(nullptr, &account));
    EXPECT_EQ(frame->GetNewMessageCount(), 1);

    // The phone that goes away by itself is said, not only drawn in the status bar.
    Command(frame, ID_DEVICE_CONNECT);
    ASSERT_TRUE(device.IsPhoneOpen());
    modem.Kill();
    EXPECT_TRUE(WaitFor([&] { return !device.IsPhoneOpen(); }, 10000));
    EXPECT_TRUE(WaitFor([&] { return frame->GetPhonePromptWnd()->GetTitle() == "连接断开"; }, 10000));
    EXPECT_EQ(frame->GetPhonePromptWnd()->GetKind(), CPromptInfoWnd::KIND_ERROR);
    EXPECT_EQ(CMEIndicatorWnd::FRAME_DISCONNECTED, frame->GetDeviceIndicator()->GetFrame());

    // No close while a send run goes on; afterwards the held message is kept for the next start.
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    EXPECT_FALSE(Exit(*app));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "正在收发短信，请稍后再尝试关闭！");
    device.EndSend();
    app->GetCommHost().SetActiveSender(nullptr);
    ASSERT_TRUE(Exit(*app));
    CCommDevice after;
    EXPECT_EQ(1, after.LoadIncomingSms());
}

} // namespace
