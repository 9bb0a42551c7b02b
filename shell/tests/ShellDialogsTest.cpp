#include "links/ServiceAddress.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/AboutDlg.h"
#include "shell/DlgNoticeBoard.h"
#include "ui/DlgViewInfo.h"
#include "testsupport/NetTestEnv.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using test_net::Reply;
using Kind = test_net::Reply::Kind;
using namespace std::chrono_literals;

namespace {

enum { IDC_INFO_TEXT = 1006, IDC_LINK_HOME = 1233, IDC_LINK_SUPPORT = 1234, IDC_LINK_SMS = 1240 };

const char* const kBoardPage = "Profiles/board.htm";

class NoticeBoardTest : public GuiTest {
protected:
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;

    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    }
    void TearDown() override { SetServiceBaseAddress(nullptr); }

    static CString Text(CDialog& dlg) {
        CString s;
        dlg.GetDlgItemText(IDC_INFO_TEXT, s);
        return s;
    }
    // Opens the board and waits until its text is in; false when none came in time.
    bool OpenAndWait(CDlgNoticeBoard& dlg, CString& text) {
        if (!dlg.Create(CDlgNoticeBoard::IDD))
            return false;
        dlg.ShowWindow(SW_SHOW);
        bool arrived = WaitFor([&] { return !Text(dlg).IsEmpty(); }, 10000);
        text = Text(dlg);
        return arrived;
    }
};

TEST_F(NoticeBoardTest, ShowsFirstThenFetchesTheBoardOnAWorker) {
    CDlgNoticeBoard dlg;
    ASSERT_TRUE(dlg.Create(CDlgNoticeBoard::IDD));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsTimerRunning());
    EXPECT_FALSE(dlg.IsFetching()) << "nothing is fetched before the dialog is up";
    EXPECT_TRUE(server.Requests().empty());
    ASSERT_TRUE(WaitFor([&] { return !Text(dlg).IsEmpty(); }, 10000));
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(Text(dlg), "欢迎使用墨川！\r\n服务器运行正常。");
    dlg.SaveScreenshot(ScreenPath("notice-board").c_str());

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].page, kBoardPage);
    EXPECT_EQ(requests[0].Header("User-Agent"), GetHttpAgentName());
    dlg.DestroyWindow();
}

TEST_F(NoticeBoardTest, AnyFailureShowsTheNetworkError) {
    struct Row {
        const char* name;
        Reply reply;
    } rows[] = {
        {"status 500", Reply::Text("内部错误", 500)},
        {"dropped connection", Reply::Of(Kind::Close)},
        {"reply cut short", Reply::Of(Kind::CutShort, std::string(4000, 'x'))},
    };
    for (const Row& r : rows) {
        server.SetReply(kBoardPage, r.reply);
        CDlgNoticeBoard dlg;
        CString text;
        ASSERT_TRUE(OpenAndWait(dlg, text)) << r.name;
        EXPECT_EQ(text, CDlgNoticeBoard::kNetworkError) << r.name;
        if (std::string(r.name) == "status 500")
            dlg.SaveScreenshot(ScreenPath("notice-board-network-error").c_str());
        dlg.DestroyWindow();
    }

    // No server at all.
    server.Stop();
    CDlgNoticeBoard dlg;
    CString text;
    ASSERT_TRUE(OpenAndWait(dlg, text));
    EXPECT_EQ(text, CDlgNoticeBoard::kNetworkError);
    dlg.DestroyWindow();
}

// A server that never answers keeps the request waiting for minutes: the dialog stays usable
// meanwhile, and closing it drops the request instead of waiting for it.
TEST_F(NoticeBoardTest, ASilentServerFreezesNothingAndTheDialogMayClose) {
    server.SetReply(kBoardPage, Reply::Of(Kind::Silent));
    auto* dlg = new CDlgNoticeBoard;
    ASSERT_TRUE(dlg->Create(CDlgNoticeBoard::IDD));
    dlg->ShowWindow(SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return dlg->IsFetching() == TRUE; }));
    ASSERT_TRUE(server.WaitForRequests(1, 10s));

    QElapsedTimer loop;
    loop.start();
    Pump();
    // The silence lasts seconds (the receive time-out); the loop does not wait for it.
    EXPECT_LT(loop.elapsed(), 3000) << "the event loop keeps running";
    EXPECT_TRUE(Text(*dlg).IsEmpty());

    dlg->DestroyWindow();
    delete dlg;
    EXPECT_TRUE(server.WaitForAbandoned(1, 10s)) << "the request was given up";
}

TEST_F(NoticeBoardTest, ClosingAfterTheReplyCameButBeforeItWasShownIsSafe) {
    server.SetReply(kBoardPage, Reply::Text("迟到的公告"));
    auto* dlg = new CDlgNoticeBoard;
    ASSERT_TRUE(dlg->Create(CDlgNoticeBoard::IDD));
    ASSERT_TRUE(WaitFor([&] { return dlg->IsFetching() == TRUE; }));
    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    // Let the worker finish but close before the dialog polls it.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        std::this_thread::sleep_for(10ms);
    dlg->DestroyWindow();
    delete dlg;
    Pump();
}

class ShellDialogsTest : public GuiTest {
protected:
    static CString LinkUrl(CDialog& d, int id) {
        auto* link = dynamic_cast<CHyperLink*>(d.GetDlgItem(id));
        return link != nullptr ? link->GetLinkUrl() : CString("(no link)");
    }
    void TearDown() override {
        AfxSetModalDialogHook(nullptr);
        AfxSetShellOpenHook(nullptr);
    }
};

TEST_F(ShellDialogsTest, InformationViewerShowsTheTextUnderTheCallersCaption) {
    struct Row {
        const char* title;
        const char* caption;
    } rows[] = {{"", "查看信息"}, {"群组信息", "群组信息"}};
    for (const Row& r : rows) {
        CDlgViewInfo dlg;
        dlg.m_strTitle = r.title;
        dlg.m_strText = "张三 <zhang@example.com>\r\n李四 <li@example.com>";
        CString caption, text;
        BOOL readOnly = FALSE;
        AfxSetModalDialogHook([&](CDialog& d) {
            d.GetWindowText(caption);
            d.GetDlgItemText(IDC_INFO_TEXT, text);
            readOnly = (d.GetDlgItem(IDC_INFO_TEXT)->GetStyle() & ES_READONLY) != 0;
            if (*r.title)
                d.SaveScreenshot(ScreenPath("view-info").c_str());
            d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(caption, r.caption);
        EXPECT_EQ(text, dlg.m_strText);
        EXPECT_TRUE(readOnly);
    }
}

TEST_F(ShellDialogsTest, AboutBoxScrollsItsCreditsAndStopsOnEveryWayOut) {
    std::vector<std::string> opened;
    AfxSetShellOpenHook([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    struct Row {
        int button;
        INT_PTR result;
    } rows[] = {{IDOK, IDOK}, {IDCANCEL, IDCANCEL}, {CAboutDlg::IDC_ECARD_LOGIN, 1021}};
    for (const Row& r : rows) {
        CAboutDlg dlg;
        BOOL scrolling = FALSE;
        CString home, sms, support;
        AfxSetModalDialogHook([&](CDialog& d) {
            auto& about = static_cast<CAboutDlg&>(d);
            scrolling = about.IsScrolling() && about.GetCredits().IsScrolling();
            EXPECT_GT(about.GetCredits().GetLineCount(), 5);
            home = LinkUrl(d, IDC_LINK_HOME);
            sms = LinkUrl(d, IDC_LINK_SMS);
            support = LinkUrl(d, IDC_LINK_SUPPORT);
            if (r.button == IDOK) {
                for (int i = 0; i < 120; ++i)
                    about.GetCredits().Tick();
                about.GetCredits().Invalidate();
                Pump();
                d.SaveScreenshot(ScreenPath("about-box").c_str());
            }
            // The box has no Cancel button: Escape and the close box send the command.
            if (r.button == IDCANCEL)
                d.SendMessage(WM_COMMAND, IDCANCEL);
            else
                d.GetDlgItem(r.button)->SendMessage(BM_CLICK);
            EXPECT_FALSE(about.GetCredits().IsScrolling());
            EXPECT_FALSE(about.IsScrolling());
        });
        EXPECT_EQ(dlg.DoModal(), r.result);
        EXPECT_TRUE(scrolling);
        EXPECT_EQ(home, GetServiceBaseAddress());
        EXPECT_EQ(sms, GetServiceUrl("sms/"));
        EXPECT_EQ(support.Left(7), "mailto:");
    }
    EXPECT_TRUE(opened.empty()) << "nothing opened without a click on a link";
}

} // namespace
