// The phone's windows against the fake phone on a pseudo-terminal: the set-up dialog connecting
// and failing, the call records and the status indicator with its menu.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "links/MobileAgent.h"
#include "links/tests/support/FakeModem.h"
#include "links/ui/DlgMEIncomingCallRecords.h"
#include "links/ui/DlgSetMobileEquipment.h"
#include "links/ui/MEIndicatorWnd.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Menu.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using test_modem::FakeModem;

struct Prompt {
    std::string title, text;
    int kind = 0;
    UINT ms = 0;
};

class PhoneWindowsTest : public GuiTest {
protected:
    void SetUp() override { CProfileStore::ReloadForTesting(); }
    void TearDown() override {
        agent.Close();
        AfxSetModalDialogHook(nullptr);
        AfxSetMessageBoxHook(nullptr);
        AfxSetPopupMenuHook(nullptr);
        CTime::ResetNowForTesting();
        CProfileStore::ReloadForTesting();
    }
    // The fake phone of this script as COM2.
    void StartPhone(const std::string& script) {
        modem = std::make_unique<FakeModem>(dir.path(), script);
        ASSERT_TRUE(modem->ok());
        CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2", modem->link.c_str());
    }
    static void Click(CWnd* dialog, int id) {
        QTest::mouseClick(dialog->GetDlgItem(id)->GetWidget(), Qt::LeftButton);
    }
    static std::string Text(CWnd* dialog, int id) {
        CString text;
        dialog->GetDlgItemText(id, text);
        return text.GetString();
    }
    static bool Enabled(CWnd* dialog, int id) { return dialog->GetDlgItem(id)->IsWindowEnabled(); }

    test_folders::TempDir dir;
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", dir.str()};
    std::unique_ptr<FakeModem> modem;
    CMobileAgent agent;
};

// Connect as the user does it: port and rate chosen, "连接" pressed; the outcome goes to the
// prompt with its title, kind and 15 seconds.
TEST_F(PhoneWindowsTest, SetupDialogConnectsAndTellsHowItWent) {
    struct Case {
        const char* name;
        std::string script; // empty: no phone on the port
        int kind;
        const char* title;
        const char* textStart;
        bool open;
        const char* centreAfter;
    } cases[] = {
        {"phone-setup-connected", R"({"csca": "8613800100500"})", PHONE_PROMPT_INFO, "开启成功",
         "移动设备已成功开启。", true, "8613800100500"},
        {"phone-setup-warning", R"({"errors": {"AT+CMEE=1": "ERROR", "AT+CSCA?": "ERROR"}})",
         PHONE_PROMPT_WARNING, "开启成功",
         "移动设备已成功开启。但遇到以下错误：\n- 配置移动设备时遇到错误，设备可能无法完全正常工作。"
         "\n- 自动获取短信中心号码失败。",
         true, "8613900000000"},
        {"phone-setup-failed", "", PHONE_PROMPT_ERROR, "开启失败",
         "没有成功开启移动设备。\n请检查移动设备是否已经与电脑正确连接。", false, "8613900000000"},
        // The phone answers the probe, then goes away while it is set up.
        {"phone-setup-vanished", R"({"vanish": "AT+CMGF=0"})", PHONE_PROMPT_ERROR, "开启失败",
         "没有成功开启移动设备。\n请检查移动设备是否已经与电脑正确连接。", false, "8613900000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.script.empty())
            CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2",
                                               (dir.path() / "no-such-device").c_str());
        else
            StartPhone(c.script);
        agent.SetComPort(5);
        agent.SetBaudRate(19200);
        agent.SetServiceCentre("13900000000");
        // A fake phone started moments ago on a busy machine may answer its first line late.
        agent.ScaleTimeoutsForTesting(10, 1);
        std::vector<Prompt> prompts;
        bool closeEnabledBefore = false, connectEnabledAfter = true, disconnectEnabledAfter = false;
        std::string centreShown;
        AfxSetModalDialogHook([&](CDialog& d) {
            auto& dlg = dynamic_cast<CDlgSetMobileEquipment&>(d);
            EXPECT_EQ("COM5", Text(&d, CDlgSetMobileEquipment::IDC_PORT));
            EXPECT_EQ("19200", Text(&d, CDlgSetMobileEquipment::IDC_BAUD));
            closeEnabledBefore = Enabled(&d, CDlgSetMobileEquipment::IDC_DISCONNECT);
            static_cast<CComboBox*>(d.GetDlgItem(CDlgSetMobileEquipment::IDC_PORT))->SetCurSel(1);
            static_cast<CComboBox*>(d.GetDlgItem(CDlgSetMobileEquipment::IDC_BAUD))->SetCurSel(6);
            Click(&d, CDlgSetMobileEquipment::IDC_CONNECT);
            connectEnabledAfter = Enabled(&d, CDlgSetMobileEquipment::IDC_CONNECT);
            disconnectEnabledAfter = Enabled(&d, CDlgSetMobileEquipment::IDC_DISCONNECT);
            centreShown = Text(&d, CDlgSetMobileEquipment::IDC_SERVICE_CENTRE);
            Pump();
            d.SaveScreenshot(ScreenPath(c.name).c_str());
            EXPECT_EQ(c.kind, dlg.GetLastOutcome().kind);
            Click(&d, IDCANCEL);
        });
        CDlgSetMobileEquipment dlg(&agent);
        dlg.SetPrompt([&](const CString& title, const CString& text, int kind, UINT ms) {
            prompts.push_back({title.GetString(), text.GetString(), kind, ms});
        });
        dlg.DoModal();

        ASSERT_EQ(1u, prompts.size());
        EXPECT_EQ(c.title, prompts[0].title);
        EXPECT_EQ(c.textStart, prompts[0].text);
        EXPECT_EQ(c.kind, prompts[0].kind);
        EXPECT_EQ(15000u, prompts[0].ms);
        EXPECT_FALSE(closeEnabledBefore);
        EXPECT_EQ(c.open, !connectEnabledAfter);
        EXPECT_EQ(c.open, disconnectEnabledAfter);
        EXPECT_EQ(c.centreAfter, centreShown);
        EXPECT_EQ(c.open, (bool)agent.IsOpen());
        // A failed probe leaves the stored port and rate as they were.
        const bool answered = !c.script.empty();
        EXPECT_EQ(answered ? 2u : 5u, agent.GetComPort());
        EXPECT_EQ(answered ? 115200u : 19200u, agent.GetBaudRate());
        EXPECT_STREQ(c.centreAfter, agent.GetServiceCentre());
        agent.Close();
        modem.reset();
    }
}

TEST_F(PhoneWindowsTest, SetupDialogChecksTheNumberAndKeepsWhatOkStores) {
    struct Case {
        const char* centre;
        bool autoGet;
        bool accepted;
    } cases[] = {
        {"", true, true},          {"", false, false},   {"+8613800100500", false, true},
        {"1380abc", true, false},  {"12345678901234567", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centre);
        std::vector<std::string> boxes;
        AfxSetMessageBoxHook([&](const MessageBoxCall& call) {
            boxes.push_back(call.text.GetString());
            return IDOK;
        });
        AfxSetModalDialogHook([&](CDialog& d) {
            d.SetDlgItemText(CDlgSetMobileEquipment::IDC_SERVICE_CENTRE, c.centre);
            d.CheckDlgButton(CDlgSetMobileEquipment::IDC_AUTO_GET_CENTRE,
                             c.autoGet ? BST_CHECKED : BST_UNCHECKED);
            d.CheckDlgButton(CDlgSetMobileEquipment::IDC_AUTO_CONNECT, BST_CHECKED);
            static_cast<CComboBox*>(d.GetDlgItem(CDlgSetMobileEquipment::IDC_PORT))->SetCurSel(3);
            Click(&d, IDOK);
            // A refused number keeps the dialog open, after saying so.
            if (!boxes.empty())
                Click(&d, IDCANCEL);
        });
        CMobileAgent fresh;
        CDlgSetMobileEquipment dlg(&fresh);
        INT_PTR result = dlg.DoModal();
        EXPECT_EQ(c.accepted, result == IDOK);
        EXPECT_EQ(c.accepted ? 0u : 1u, boxes.size());
        if (!boxes.empty()) {
            EXPECT_EQ("短信中心号码不正确！", boxes[0]);
        }
        EXPECT_EQ(c.accepted ? 4u : 1u, fresh.GetComPort());
        EXPECT_EQ(c.accepted, (bool)fresh.GetAutoConnect());
    }
}

TEST_F(PhoneWindowsTest, CallRecordsListEveryCallThatRang) {
    StartPhone(R"({"before": {"AT+CSCA?": ["RING", "+CLIP: \"13912345678\",129"],
                              "AT+CMGF=0": ["RING"]}})");
    agent.ScaleTimeoutsForTesting(10, 1);
    CTime::SetNowForTesting(CTime(2026, 12, 10, 9, 30, 0).GetTime());
    ASSERT_TRUE(agent.Probe(2, 115200));
    CString centre;
    CString response;
    agent.Command("AT+CMGF=0\r", response, 2000); // a caller without a number
    CTime::SetNowForTesting(CTime(2026, 12, 10, 10, 15, 0).GetTime());
    agent.QueryServiceCentre(centre);
    CTime::SetNowForTesting(CTime(2026, 12, 10, 10, 15, 5).GetTime());
    agent.QueryServiceCentre(centre);
    CTime::SetNowForTesting(CTime(2026, 12, 10, 10, 15, 10).GetTime());
    agent.QueryServiceCentre(centre);
    ASSERT_EQ(2u, agent.GetCallRecords().size());

    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> columns;
    AfxSetModalDialogHook([&](CDialog& d) {
        auto& dlg = dynamic_cast<CDlgMEIncomingCallRecords&>(d);
        CListCtrl& list = dlg.GetList();
        for (int i = 0; i < 3; ++i) {
            LVCOLUMN col{};
            char text[64] = "";
            col.mask = LVCF_TEXT;
            col.pszText = text;
            col.cchTextMax = sizeof text;
            list.GetColumn(i, &col);
            columns.push_back(text);
        }
        for (int r = 0; r < list.GetItemCount(); ++r)
            rows.push_back({list.GetItemText(r, 0).GetString(), list.GetItemText(r, 1).GetString(),
                            list.GetItemText(r, 2).GetString()});
        Pump();
        d.SaveScreenshot(ScreenPath("phone-call-records").c_str());
        Click(&d, IDOK);
    });
    CDlgMEIncomingCallRecords dlg(&agent);
    dlg.DoModal();
    EXPECT_EQ((std::vector<std::string>{"来电号码", "呼入时间", "振铃持续"}), columns);
    EXPECT_EQ((std::vector<std::vector<std::string>>{
                  {"未知号码", "2026-12-10 09:30:00", "0秒"},
                  {"13912345678", "2026-12-10 10:15:00", "10秒"}}),
              rows);

    // Without a phone link the list is there, empty.
    size_t count = 99;
    AfxSetModalDialogHook([&](CDialog& d) {
        count = (size_t)dynamic_cast<CDlgMEIncomingCallRecords&>(d).GetList().GetItemCount();
        Click(&d, IDOK);
    });
    CDlgMEIncomingCallRecords none(nullptr);
    none.DoModal();
    EXPECT_EQ(0u, count);
}

// A frame that records the commands it is sent.
class CommandFrame : public CFrameWnd {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.push_back((UINT)LOWORD(wParam));
        return CFrameWnd::OnCommand(wParam, lParam);
    }
    std::vector<UINT> commands;
};

TEST_F(PhoneWindowsTest, IndicatorShowsThePhonesStateAndOpensItsCommands) {
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "墨川", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              CRect(0, 0, 200, 80)));
    CMEIndicatorWnd indicator;
    ASSERT_TRUE(indicator.Create(frame, CRect(10, 10, 40, 32), 928));
    indicator.SetInterval(20);

    struct Step {
        const char* name;
        void (CMEIndicatorWnd::*act)();
        int frame;
        bool animating;
    } steps[] = {
        {"phone-indicator-disconnected", &CMEIndicatorWnd::ShowDisconnected, 0, false},
        {"phone-indicator-busy", &CMEIndicatorWnd::StartAnimation, 1, true},
        {"phone-indicator-connected", &CMEIndicatorWnd::ShowConnected, 1, false},
    };
    std::vector<QImage> pictures;
    for (const Step& s : steps) {
        (indicator.*s.act)();
        EXPECT_EQ(s.frame, indicator.GetFrame()) << s.name;
        EXPECT_EQ(s.animating, (bool)indicator.IsAnimating()) << s.name;
        if (s.animating) {
            // The busy phone alternates between its two pictures.
            std::vector<int> seen{indicator.GetFrame()};
            for (int i = 0; i < 3; ++i) {
                indicator.SendMessage(WM_TIMER, CAnimateImageWnd::TIMER_ANIMATE);
                seen.push_back(indicator.GetFrame());
            }
            EXPECT_EQ((std::vector<int>{1, 2, 1, 2}), seen);
            EXPECT_TRUE(WaitFor([&] { return indicator.GetFrame() == 1; }, 2000));
        }
        Pump();
        indicator.SaveScreenshot(ScreenPath(s.name).c_str());
        pictures.push_back(indicator.GetWidget()->grab().toImage());
    }
    EXPECT_NE(pictures[0], pictures[2]) << "connected and disconnected look different";

    // A double click opens the set-up; a right click the device menu, its first item default.
    QTest::mouseDClick(indicator.GetWidget(), Qt::LeftButton);
    std::vector<UINT> items;
    UINT defaultItem = 0;
    AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        CMenu* menu = CMenu::FromHandle(hMenu);
        for (UINT i = 0; i < menu->GetMenuItemCount(); ++i)
            items.push_back(menu->GetMenuItemID((int)i));
        defaultItem = menu->GetDefaultItem(0, FALSE);
        return 1538;
    });
    QTest::mouseClick(indicator.GetWidget(), Qt::RightButton);
    Pump();
    EXPECT_EQ((std::vector<UINT>{1535, 0, 1536, 1537, 0, 1538}), items);
    EXPECT_EQ(1535u, defaultItem);
    EXPECT_EQ((std::vector<UINT>{1535, 1538}), frame->commands);
    indicator.DestroyWindow();
    frame->DestroyWindow();
}

} // namespace
