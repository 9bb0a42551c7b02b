#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTimer>

#include <string>

#include "links/CommDevice.h"
#include "links/ServiceAddress.h"
#include "links/ui/DlgReceiveSms.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "links/tests/CommDeviceTestSupport.h"
#include "links/ui/MainWndCommHost.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/Profile.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/sys/Sound.h"
#include "testsupport/NetTestEnv.h"

namespace {

using Kind = test_net::Reply::Kind;

// The main window as far as new messages go: it files them unread into the account's inbox.
class TestMainWnd : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_SMS_ARRIVED)
            return CWnd::WindowProc(message, wParam, lParam);
        ++arrivals;
        return commtest::FileHeldSms(reinterpret_cast<_CSender*>(wParam),
                                     reinterpret_cast<_CSmsBox*>(lParam)) > 0;
    }
    int arrivals = 0;
};

class SmsWindowsTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        CProfileStore::ReloadForTesting();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
        account.GetRecord().m_remote.m_strUserId = "13800138000";
        account.GetRecord().m_remote.m_strPassword = "pw";
        ASSERT_TRUE(mainWnd.CreateEx(0, nullptr, "墨川", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     CRect(0, 0, 640, 480), nullptr, 0));
        host.SetMainWnd(&mainWnd);
        host.SetActiveSender(&account);
        device.SetHost(&host);
    }
    void TearDown() override {
        AfxSetModalDialogHook(nullptr);
        CProfileStore::ReloadForTesting();
    }

    _CSmsBox& Box(int type) { return *account.GetRootSmsBox().GetSubBoxAt(type); }
    _CSms* Pending(const std::string& content, const char* recipient) {
        auto* sms = new _CSms("问候");
        sms->m_strContent = content.c_str();
        sms->m_recipient = CNameCodeString(recipient);
        sms->SetState(_CSms::STATE_PENDING);
        Box(1).AddSms(sms);
        return sms;
    }
    CDlgSendSmsProgress* Progress() {
        return dynamic_cast<CDlgSendSmsProgress*>(device.GetProgress());
    }
    static std::string Cell(CListCtrl& list, int row, int col) {
        return list.GetItemText(row, col).GetString();
    }
    // Every cell's text shows whole in its column, and the columns stay within the list.
    static void ExpectCellsShowWhole(CListCtrl& list) {
        CRect client;
        list.GetClientRect(&client);
        int total = 0;
        for (int col = 0; col < 5; ++col) {
            total += list.GetColumnWidth(col);
            for (int row = 0; row < list.GetItemCount(); ++row)
                EXPECT_GT(list.GetColumnWidth(col), list.GetStringWidth(list.GetItemText(row, col)) + 6)
                    << Cell(list, row, col);
        }
        EXPECT_LE(total, client.Width());
    }
    // A click of a dialog's button as the user makes it.
    static void Click(CWnd* dialog, int id) {
        QTest::mouseClick(dialog->GetDlgItem(id)->GetWidget(), Qt::LeftButton);
    }

    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    test_folders::TempDir config;
    test_folders::ScopedEnv configEnv{"QUILLMAR_CONFIG", config.str()};
    test_folders::TempDir home;
    test_folders::ScopedEnv homeEnv{"QUILLMAR_HOME", home.str()};
    _CSender account{"小王"};
    TestMainWnd mainWnd;
    CMainWndCommHost host;
    CCommDevice device;
};

TEST_F(SmsWindowsTest, ProgressPaintsDuringAPostAndCancelStopsBeforeTheNextPart) {
    test_net::Reply slow = test_net::Reply::Text("0");
    slow.delayMs = 400;
    server.SetReply(SMS_GATEWAY_SEND_PAGE, slow);
    Pending(std::string(160, 'a') + std::string(160, 'b') + "c", "张三\n13900000001");
    Pending("第二条短信", "李四\n13900000002");

    bool paintedDuringPost = false;
    bool stillSending = false;
    int partsSentAtCancel = -1;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // Once the gateway has the first part, and before it answers: the window still repaints
        // and takes the click.
        if (server.Requests().empty())
            return;
        watch.stop();
        CDlgSendSmsProgress* dlg = Progress();
        ASSERT_NE(nullptr, dlg);
        CString counter;
        dlg->GetDlgItemText(CDlgSendSmsProgress::IDC_PART_COUNTER, counter);
        QImage before = dlg->GetWidget()->grab().toImage();
        dlg->SetDlgItemText(CDlgSendSmsProgress::IDC_PART_COUNTER, "测试中");
        QCoreApplication::processEvents();
        paintedDuringPost = dlg->GetWidget()->grab().toImage() != before;
        dlg->SetDlgItemText(CDlgSendSmsProgress::IDC_PART_COUNTER, counter);
        partsSentAtCancel = dlg->GetPartsSent();
        Click(dlg, IDCANCEL);
        stillSending = device.IsSending();
    });
    watch.start();
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    EXPECT_FALSE(device.SendPendingInBox(&Box(1), TRUE));
    device.EndSend();

    EXPECT_TRUE(paintedDuringPost);
    EXPECT_TRUE(stillSending);
    EXPECT_EQ(0, partsSentAtCancel); // the click came while part one was in flight
    // Part one was waited for and counts; nothing more went.
    EXPECT_EQ(1u, server.Requests().size());
    EXPECT_EQ(1, Box(2).GetSmsCount());
    CDlgSendSmsProgress* dlg = Progress();
    ASSERT_NE(nullptr, dlg);
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_TRUE(dlg->IsCancelled());
    CListCtrl& list = dlg->GetList();
    ASSERT_EQ(1, list.GetItemCount());
    EXPECT_EQ("1", Cell(list, 0, CDlgSendSmsProgress::COL_NUMBER));
    EXPECT_EQ("张三<13900000001>", Cell(list, 0, CDlgSendSmsProgress::COL_RECIPIENT));
    EXPECT_EQ("3", Cell(list, 0, CDlgSendSmsProgress::COL_PARTS));
    EXPECT_EQ("1", Cell(list, 0, CDlgSendSmsProgress::COL_SENT));
    EXPECT_EQ("操作被用户终止", Cell(list, 0, CDlgSendSmsProgress::COL_NOTE));
    CString current;
    dlg->GetDlgItemText(CDlgSendSmsProgress::IDC_CURRENT_RECIPIENT, current);
    EXPECT_STREQ("已完毕", current);
    EXPECT_FALSE(dlg->GetBeads().IsWindowVisible());
    Pump();
    dlg->SaveScreenshot(ScreenPath("send-progress-cancelled").c_str());

    // After the run a Cancel closes the window, and the manager forgets it.
    BOOL alive = TRUE;
    dlg->SetDestroyedFlag(&alive);
    Click(dlg, IDCANCEL);
    EXPECT_FALSE(alive);
    EXPECT_EQ(nullptr, device.GetProgress());
}

TEST_F(SmsWindowsTest, RowsCountersAndBeadsFollowTheParts) {
    commtest::Respond(server, SMS_GATEWAY_SEND_PAGE, [](const test_net::RecordedRequest& r) {
        const bool last = r.body.find("Phone=13900000005") != std::string::npos;
        test_net::Reply reply = test_net::Reply::Text(last ? "120#密码错" : "0");
        if (r.body.find("Phone=13900000003") != std::string::npos)
            reply.delayMs = 150; // time to look at the window with a part in flight
        return reply;
    });
    for (int i = 1; i <= 5; ++i)
        Pending(i == 3 ? std::string(320, 'x') + "y" : "你好，周末一起吃饭吧！",
                (std::string("联系人") + std::to_string(i) + "\n1390000000" + std::to_string(i))
                    .c_str());
    CDlgSendSmsProgress* seen = nullptr;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // The second part of the third recipient is on its way.
        if (server.Requests().size() < 4 || !seen)
            return;
        watch.stop();
        EXPECT_EQ(1, seen->GetPartsSent());
        seen->SaveScreenshot(ScreenPath("send-progress-running").c_str());
    });
    watch.start();
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    seen = Progress();
    ASSERT_NE(nullptr, seen);
    EXPECT_TRUE(device.SendPendingInBox(&Box(1), TRUE));
    // The last of the five failed on its only part: 120 is not fatal.
    CString status, counter, caption;
    seen->GetDlgItemText(CDlgSendSmsProgress::IDC_STATUS, status);
    seen->GetDlgItemText(CDlgSendSmsProgress::IDC_PART_COUNTER, counter);
    seen->GetWindowText(caption);
    EXPECT_STREQ("已处理5人/共5人", status);
    EXPECT_STREQ("“小王”发送短信", caption);
    CListCtrl& list = seen->GetList();
    ASSERT_EQ(5, list.GetItemCount());
    EXPECT_EQ("全部成功发送 :)", Cell(list, 0, CDlgSendSmsProgress::COL_NOTE));
    EXPECT_EQ("3", Cell(list, 2, CDlgSendSmsProgress::COL_PARTS));
    EXPECT_EQ("3", Cell(list, 2, CDlgSendSmsProgress::COL_SENT));
    EXPECT_EQ("0", Cell(list, 4, CDlgSendSmsProgress::COL_SENT));
    EXPECT_EQ("用户名/密码错误", Cell(list, 4, CDlgSendSmsProgress::COL_NOTE));
    ExpectCellsShowWhole(list);
    EXPECT_EQ(5, seen->GetRecipientBar().GetPos());
    // OK does nothing while the run goes on.
    seen->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(seen->IsWindowVisible());
    device.EndSend();

    // A part failing in the middle: one part sent, the failure's text.
    seen->ShowForRun("");
    seen->SetTotal(0); // changes nothing
    seen->BeginRecipient("王五<13900000009>", 3);
    seen->ReportPartResult(0, FALSE);
    seen->ReportPartResult(30, FALSE);
    EXPECT_EQ("1", Cell(list, 0, CDlgSendSmsProgress::COL_SENT));
    EXPECT_EQ("服务器发送给对方手机时失败", Cell(list, 0, CDlgSendSmsProgress::COL_NOTE));
    seen->ReportPartResult(990, FALSE, "出错!(ERROR)");
    EXPECT_EQ("出错!(ERROR)", Cell(list, 0, CDlgSendSmsProgress::COL_NOTE));
    ExpectCellsShowWhole(list);
    seen->GetDlgItemText(CDlgSendSmsProgress::IDC_PART_COUNTER, counter);
    EXPECT_STREQ("第2条/共3条", counter);
    seen->GetDlgItemText(CDlgSendSmsProgress::IDC_STATUS, status);
    EXPECT_STREQ("已处理1人/共0人", status);
}

TEST_F(SmsWindowsTest, ProgressWindowComesBackWhereItWasClosed) {
    CDlgSendSmsProgress* first = new CDlgSendSmsProgress(nullptr, &mainWnd);
    ASSERT_TRUE(first->CreateModeless());
    first->ShowForRun("");
    first->SetWindowPos(nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CRect placed;
    first->GetWindowRect(&placed);
    BOOL alive = TRUE;
    first->SetDestroyedFlag(&alive);
    first->SendMessage(WM_COMMAND, IDOK, 0); // no owner: OK closes
    EXPECT_FALSE(alive);

    CDlgSendSmsProgress* second = new CDlgSendSmsProgress(nullptr, &mainWnd);
    ASSERT_TRUE(second->CreateModeless());
    second->ShowForRun("");
    CRect again;
    second->GetWindowRect(&again);
    EXPECT_EQ(placed.TopLeft(), again.TopLeft());
    second->DestroyWindow();
}

struct ReceiveCase {
    const char* name;
    test_net::Reply reply;
    int kind;
    const char* text;
    int filed;
};

TEST_F(SmsWindowsTest, ReceiveWindowShowsEachOutcomeInItsColourAndHandsMessagesOn) {
    const std::string two =
        "0\r\nsep=|||from=张三\n13900000001to=13800138000time=2026-3-1 8:00:00content=早上好"
        "|||from=13900000002to=13800138000time=2026-3-1 8:01:00content=收到请回复";
    const ReceiveCase cases[] = {
        {"receive-received", test_net::Reply::Text(two), CDlgReceiveSms::STATUS_RECEIVED,
         "成功收取新短信2条，已被保存到帐户 [小王] 的收信箱中，请查看。", 2},
        {"receive-nothing-new", test_net::Reply::Text("0"), CDlgReceiveSms::STATUS_NOTHING_NEW,
         "您目前没有新短信!", 0},
        {"receive-error", test_net::Reply::Of(Kind::Close), CDlgReceiveSms::STATUS_ERROR,
         "网络连接出错", 0},
        {"receive-refused", test_net::Reply::Text("121#锁定"), CDlgReceiveSms::STATUS_ERROR,
         "用户帐户被锁定", 0},
    };
    // The arrival sound goes to a file instead of a sound card.
    ASSERT_GT(SeedProgramFolder(GetShippedDataFolderPath()), 0);
    const std::string soundFile = "file:'" + (home.path() / "sound.raw").string() + "',raw";
    SetSoundDeviceForTesting(soundFile.c_str());
    TakeSoundsPlayedForTesting();
    for (const ReceiveCase& c : cases) {
        server.SetReply(SMS_GATEWAY_RECEIVE_PAGE, c.reply);
        Box(0).DeleteAllSms();
        int kind = -1;
        std::string text;
        AfxSetModalDialogHook([&](CDialog& d) {
            auto& dlg = dynamic_cast<CDlgReceiveSms&>(d);
            ASSERT_TRUE(WaitFor([&] { return dlg.HasReceived(); }, 8000));
            kind = dlg.GetStatusKind();
            text = dlg.GetStatusText().GetString();
            Pump();
            d.SaveScreenshot(ScreenPath(c.name).c_str());
            Click(&d, IDOK);
        });
        device.ReceiveSms();
        EXPECT_EQ(c.kind, kind) << c.name;
        EXPECT_EQ(c.text, text) << c.name;
        EXPECT_EQ(c.filed, Box(0).CountSmsByState(_CSms::STATE_UNREAD, FALSE)) << c.name;
    }
    EXPECT_EQ(1, mainWnd.arrivals);
    EXPECT_TRUE(WaitForSoundIdleForTesting(5000));
    EXPECT_EQ(1u, TakeSoundsPlayedForTesting().size()); // once, for the messages filed
    SetSoundDeviceForTesting(nullptr);
    EXPECT_EQ(RGB(0, 210, 0), CDlgReceiveSms::GetStatusColour(CDlgReceiveSms::STATUS_RECEIVED));
    EXPECT_EQ(RGB(128, 0, 64), CDlgReceiveSms::GetStatusColour(CDlgReceiveSms::STATUS_NOTHING_NEW));
    EXPECT_EQ(RGB(255, 0, 0), CDlgReceiveSms::GetStatusColour(CDlgReceiveSms::STATUS_ERROR));
}

TEST_F(SmsWindowsTest, ReceiveWindowPaintsWhileWaitingAndCannotBeClosedUntilTheReplyIsIn) {
    test_net::Reply slow = test_net::Reply::Text("0");
    slow.delayMs = 400;
    server.SetReply(SMS_GATEWAY_RECEIVE_PAGE, slow);
    bool busyAtClose = false, stayedOpen = false;
    std::string workingText;
    bool closedAfter = false;
    AfxSetModalDialogHook([&](CDialog& d) {
        auto& dlg = dynamic_cast<CDlgReceiveSms&>(d);
        QTimer::singleShot(200, [&] {
            busyAtClose = dlg.IsBusy();
            workingText = dlg.GetStatusText().GetString();
            d.SaveScreenshot(ScreenPath("receive-working").c_str());
            Click(&d, IDCANCEL);
            d.SendMessage(WM_CLOSE);
            stayedOpen = d.IsWindowVisible() != FALSE;
        });
        ASSERT_TRUE(WaitFor([&] { return dlg.HasReceived(); }, 8000));
        Click(&d, IDCANCEL);
        closedAfter = true;
    });
    device.ReceiveSms();
    EXPECT_TRUE(busyAtClose);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ("正在与服务器通信。请稍候...", workingText);
    EXPECT_TRUE(closedAfter);
    EXPECT_FALSE(device.IsReceiving());
}

} // namespace
