#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "links/ServiceAddress.h"
#include "links/ui/DlgCheckVersion.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "testsupport/NetTestEnv.h"

using test_net::Reply;
using Kind = test_net::Reply::Kind;
using namespace std::chrono_literals;

namespace {

class DlgCheckVersionTest : public GuiTest {
protected:
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;

    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    }
    void TearDown() override {
        AfxSetShellOpenHook(nullptr);
        SetServiceBaseAddress(nullptr);
    }

    static CString Text(CDialog& dlg, int id) {
        CString s;
        dlg.GetDlgItemText(id, s);
        return s;
    }
    static bool Visible(CDialog& dlg, int id) {
        CWnd* w = dlg.GetDlgItem(id);
        return w && w->IsWindowVisible();
    }
    bool OpenAndWait(CDlgCheckVersion& dlg) {
        if (!dlg.Create(CDlgCheckVersion::IDD))
            return false;
        dlg.ShowWindow(SW_SHOW);
        return WaitFor([&] { return dlg.GetChecker().GetChecks() > 0; }, 10000);
    }
};

TEST_F(DlgCheckVersionTest, ANewerVersionShowsItsNotesAndOffersTheDownloadPage) {
    server.SetReply("Profiles/version.htm", Reply::Text("Version3.10\r\n新增：名片夹。"));
    CDlgCheckVersion dlg;
    ASSERT_TRUE(dlg.Create(CDlgCheckVersion::IDD));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_STREQ("正在检查程序版本，请稍候．．．", Text(dlg, CDlgCheckVersion::IDC_WAITING));
    EXPECT_FALSE(Visible(dlg, CDlgCheckVersion::IDC_DOWNLOAD));
    dlg.SaveScreenshot(ScreenPath("check-version-waiting").c_str());
    ASSERT_TRUE(WaitFor([&] { return dlg.GetChecker().GetChecks() > 0; }, 10000));

    EXPECT_STREQ("本程序版本是 3.00 ，当前的最新版本是 3.10 。\r\n新增：名片夹。",
                 Text(dlg, CDlgCheckVersion::IDC_NOTES));
    EXPECT_TRUE(Visible(dlg, CDlgCheckVersion::IDC_NOTES));
    EXPECT_FALSE(Visible(dlg, CDlgCheckVersion::IDC_WAITING));
    EXPECT_TRUE(Visible(dlg, CDlgCheckVersion::IDC_DOWNLOAD));
    dlg.SaveScreenshot(ScreenPath("check-version-newer").c_str());

    std::vector<std::string> opened;
    AfxSetShellOpenHook([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    dlg.SendMessage(
        WM_COMMAND, MAKEWPARAM(CDlgCheckVersion::IDC_DOWNLOAD, BN_CLICKED),
        reinterpret_cast<LPARAM>(dlg.GetDlgItem(CDlgCheckVersion::IDC_DOWNLOAD)->GetSafeHwnd()));
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(server.Url("download.htm"), opened[0]);

    // No browser on the desktop: the address is shown instead of nothing happening.
    std::vector<CString> said;
    MessageBoxHook oldBox = AfxSetMessageBoxHook([&](const MessageBoxCall& c) {
        said.push_back(c.text);
        return IDOK;
    });
    AfxSetShellOpenHook([](const std::string&) { return false; });
    dlg.SendMessage(
        WM_COMMAND, MAKEWPARAM(CDlgCheckVersion::IDC_DOWNLOAD, BN_CLICKED),
        reinterpret_cast<LPARAM>(dlg.GetDlgItem(CDlgCheckVersion::IDC_DOWNLOAD)->GetSafeHwnd()));
    AfxSetMessageBoxHook(oldBox);
    ASSERT_EQ(1u, said.size());
    EXPECT_STREQ(said[0], ("无法打开网址 " + server.Url("download.htm") + "。").c_str());
    dlg.DestroyWindow();
}

TEST_F(DlgCheckVersionTest, TheLatestVersionAndAFailureAreSaidInTheWaitingLine) {
    test_net::ScopedInternetDefault quick(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    struct Row {
        const char* name;
        Reply reply;
        const char* text;
    } rows[] = {
        {"same", Reply::Text("Version3.00\r\n"), "您所使用的已是本程序的最高版本 3.00 。"},
        {"empty first line", Reply::Text("\r\n说明"), "您所使用的已是本程序的最高版本 3.00 。"},
        {"error", Reply::Text("错误", 500), "网络连接出错，请检查网络后重试。"},
        {"silence", Reply::Of(Kind::Silent), "网络连接出错，请检查网络后重试。"},
    };
    for (const Row& r : rows) {
        server.SetReply("Profiles/version.htm", r.reply);
        CDlgCheckVersion dlg;
        ASSERT_TRUE(OpenAndWait(dlg)) << r.name;
        EXPECT_STREQ(r.text, Text(dlg, CDlgCheckVersion::IDC_WAITING)) << r.name;
        EXPECT_FALSE(Visible(dlg, CDlgCheckVersion::IDC_DOWNLOAD)) << r.name;
        if (std::string(r.name) == "same")
            dlg.SaveScreenshot(ScreenPath("check-version-latest").c_str());
        dlg.DestroyWindow();
    }
}

// The user closes the dialog at once; the request ends later and nothing is shown or touched.
TEST_F(DlgCheckVersionTest, ClosingDuringTheRequestIsSafe) {
    server.SetReply("Profiles/version.htm", [] {
        Reply r = Reply::Text("Version3.10\r\n晚到的说明");
        r.delayMs = 300;
        return r;
    }());
    auto* dlg = new CDlgCheckVersion;
    ASSERT_TRUE(dlg->Create(CDlgCheckVersion::IDD));
    dlg->ShowWindow(SW_SHOW);
    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    dlg->DestroyWindow();
    delete dlg;
    // The reply arrives after the dialog has gone.
    std::this_thread::sleep_for(500ms);
    Pump();
    SUCCEED();
}

} // namespace
