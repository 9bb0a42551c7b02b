#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/DlgInputPassword.h"
#include "ui/DlgModifyPassword.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class PasswordDialogsTest : public ScriptedUserTest {
protected:
    void SetUp() override { InstallScriptedUser(IDOK); }
    void TearDown() override { RemoveScriptedUser(); }
};

enum { IDC_PASSWORD_CONFIRM = 1007, IDC_PASSWORD = 1009 };

} // namespace

TEST_F(PasswordDialogsTest, InputDialogShowsTheItemNameAndReturnsThePassword) {
    struct Row {
        const char* name;
        const char* caption;
    } rows[] = {{"", "输入口令"}, {"朋友", "输入口令[朋友]"}};
    for (const Row& r : rows) {
        CDlgInputPassword dlg;
        dlg.m_strName = r.name;
        CString caption;
        AfxSetModalDialogHook([&](CDialog& d) {
            d.GetWindowText(caption);
            d.SetDlgItemText(IDC_PASSWORD, "秘密123");
            d.SaveScreenshot(ScreenPath("input-password").c_str());
            d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        });
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(caption, r.caption);
        EXPECT_EQ(dlg.m_strPassword, "秘密123");
    }
}

TEST_F(PasswordDialogsTest, CancelLeavesThePasswordUnread) {
    CDlgInputPassword dlg;
    AfxSetModalDialogHook([](CDialog& d) {
        d.SetDlgItemText(IDC_PASSWORD, "abc");
        d.GetDlgItem(IDCANCEL)->SendMessage(BM_CLICK);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.m_strPassword.IsEmpty());
}

TEST_F(PasswordDialogsTest, ModifyDialogChecksTheTwoEntries) {
    struct Row {
        const char* first;
        const char* second;
        std::vector<int> answers;
        std::vector<std::string> messages; // in the order shown
        bool endsWithOk;
    } rows[] = {
        {"新口令", "新口令", {}, {}, true},
        {"新口令", "别的", {}, {"两次输入的密码不一致！请重新输入。"}, false},
        {"", "", {IDYES}, {"您真的想取消访问口令吗？"}, true},
        {"", "", {IDNO}, {"您真的想取消访问口令吗？"}, false},
        {"", "x", {}, {"两次输入的密码不一致！请重新输入。"}, false},
    };
    for (const Row& r : rows) {
        shown.clear();
        answers = r.answers;
        CDlgModifyPassword dlg;
        dlg.m_strName = "同事";
        bool stayedOpen = false;
        CString caption;
        AfxSetModalDialogHook([&](CDialog& d) {
            d.GetWindowText(caption);
            d.SetDlgItemText(IDC_PASSWORD, r.first);
            d.SetDlgItemText(IDC_PASSWORD_CONFIRM, r.second);
            d.SaveScreenshot(ScreenPath("modify-password").c_str());
            d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
            // A dialog that stayed open is still there when the loop runs again.
            HWND h = d.m_hWnd;
            QTimer::singleShot(0, [h, &stayedOpen] {
                if (auto* open = dynamic_cast<CDialog*>(CWnd::FromHandle(h))) {
                    stayedOpen = true;
                    open->EndDialog(IDCANCEL);
                }
            });
        });
        INT_PTR result = dlg.DoModal();
        EXPECT_EQ(caption, "访问口令[同事]");
        EXPECT_EQ(result == IDOK, r.endsWithOk) << r.first << "/" << r.second;
        EXPECT_EQ(stayedOpen, !r.endsWithOk) << r.first << "/" << r.second;
        ASSERT_EQ(shown.size(), r.messages.size()) << r.first << "/" << r.second;
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(std::string(shown[i].text), r.messages[i]);
        // The mismatch is an error; the removal a yes/no question.
        for (const MessageBoxCall& c : shown) {
            bool mismatch = std::string(c.text).find("不一致") != std::string::npos;
            EXPECT_EQ(c.type,
                      mismatch ? (UINT)(MB_OK | MB_ICONERROR) : (UINT)(MB_YESNO | MB_ICONQUESTION));
        }
        if (result == IDOK) {
            EXPECT_EQ(dlg.m_strPassword, r.first);
        }
    }
}
