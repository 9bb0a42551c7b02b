#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/PageOther.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

namespace fs = std::filesystem;

class COtherSheetPage : public CPropertyPage {
public:
    COtherSheetPage() : CPropertyPage(146, 0) {}
};

class OtherPageTest : public GuiTest {
protected:
    void SetUp() override {
        m_home.emplace("QUILLMAR_HOME", m_dir.str().c_str());
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            messages.push_back(call.text.GetString());
            return IDOK;
        });
        // The shipped certificate types.
        fs::create_directories(m_dir.path() / "Profiles");
        fs::copy_file(GetShippedDataFolderPath() / "Profiles" / "Certificates.inf",
                      m_dir.path() / "Profiles" / "Certificates.inf");
        m_sheet.AddPage(&page);
        m_sheet.AddPage(&second);
        ASSERT_TRUE(m_sheet.Create());
        m_sheet.SetWindowPos(nullptr, 0, 0, 620, 470, SWP_NOMOVE | SWP_NOZORDER);
        m_sheet.ShowWindow(SW_SHOW);
        m_sheet.SetActivePage(1);
        m_sheet.SetActivePage(0);
        Pump();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(m_oldBox);
        m_sheet.DestroyWindow();
    }
    static std::string Bytes(SPersonOtherBlock& block) { return contacts_test::StoredBytes(block); }
    void Click(CWnd& wnd, UINT id) {
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        (LPARAM)wnd.GetDlgItem((int)id)->m_hWnd);
    }
    void Select(int row) {
        CKovListCtrl& list = page.GetList();
        for (int i = 0; i < list.GetItemCount(); ++i)
            list.SetItemState(i, i == row ? LVIS_SELECTED : 0, LVIS_SELECTED);
        Pump();
    }
    BOOL Enabled(UINT id) { return page.GetDlgItem((int)id)->IsWindowEnabled(); }
    // Fills the dialog's fields and presses its first button.
    void Enter(const char* type, const char* number, const char* summary) {
        CEditCertificateDlg* d = page.GetCertificateDialog();
        ASSERT_NE(d, nullptr);
        d->SetDlgItemText(CEditCertificateDlg::IDC_TYPE, type);
        d->SetDlgItemText(CEditCertificateDlg::IDC_NUMBER, number);
        d->SetDlgItemText(CEditCertificateDlg::IDC_SUMMARY, summary);
        Click(*d, IDOK);
    }
    std::vector<std::string> Row(int i) {
        CKovListCtrl& list = page.GetList();
        return {list.GetItemText(i, 0).GetString(), list.GetItemText(i, 1).GetString(),
                list.GetItemText(i, 2).GetString()};
    }

    test_folders::TempDir m_dir;
    std::optional<test_folders::ScopedEnv> m_home;
    MessageBoxHook m_oldBox;
    std::vector<std::string> messages;
    CPageOther page;
    COtherSheetPage second;
    CHostSheet m_sheet;
};

TEST_F(OtherPageTest, CertificatesAndNotesComeBackByteIdentical) {
    SPersonOtherBlock in;
    in.certificates.AddTail(SCertificate{"身份证", "110101198003050011", "本人"});
    in.certificates.AddTail(SCertificate{"", "", "只有摘要"});
    in.certificates.AddTail(SCertificate{"银行卡", "6222 0000", ""});
    in.strNote = "第一行\r\n第二行";
    for (int pass = 0; pass < 2; ++pass) {
        page.ExchangeOther(in, TRUE);
        SPersonOtherBlock out;
        page.ExchangeOther(out, FALSE);
        EXPECT_EQ(Bytes(out), Bytes(in)) << pass;
    }
    EXPECT_EQ(page.GetList().GetItemCount(), 3);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"身份证", "110101198003050011", "本人"}));
    SPersonOtherBlock empty, out;
    page.ExchangeOther(empty, TRUE);
    page.ExchangeOther(out, FALSE);
    EXPECT_EQ(Bytes(out), Bytes(empty));
    EXPECT_FALSE(page.FocusField(45));
    EXPECT_TRUE(page.FocusField(44));
}

TEST_F(OtherPageTest, NewCertificatesAreAddedOnceAndEmptyOnesRefused) {
    page.SetChanged(FALSE);
    EXPECT_FALSE(Enabled(CPageOther::IDC_CHANGE));
    Click(page, CPageOther::IDC_NEW);
    CEditCertificateDlg* d = page.GetCertificateDialog();
    ASSERT_NE(d, nullptr);
    CString caption, ok;
    d->GetWindowText(caption);
    d->GetDlgItemText(IDOK, ok);
    EXPECT_STREQ(caption, "新建证件");
    EXPECT_STREQ(ok, "添加");
    // The type box lists the shipped names, one a line.
    auto* types = static_cast<CComboBox*>(d->GetDlgItem(CEditCertificateDlg::IDC_TYPE));
    EXPECT_GE(types->GetCount(), 5);
    EXPECT_GE(types->FindStringExact(-1, "身份证"), 0);
    EXPECT_FALSE(Enabled(CPageOther::IDC_NEW));

    Enter("", "", "");
    EXPECT_EQ(messages, std::vector<std::string>{"您尚未输入任何数据！请重新输入。"});
    EXPECT_EQ(page.GetList().GetItemCount(), 0);
    Enter("护照", "G12345678", "");
    ASSERT_EQ(page.GetList().GetItemCount(), 1);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"护照", "G12345678", ""}));
    EXPECT_TRUE(page.IsChanged());
    // The same fields again: nothing new.
    Click(*d, IDOK);
    EXPECT_EQ(messages.back(), "您尚未修改任何数据！请重新输入。");
    EXPECT_EQ(page.GetList().GetItemCount(), 1);
    // A summary alone is a certificate.
    Enter("", "", "备用卡");
    ASSERT_EQ(page.GetList().GetItemCount(), 2);
    EXPECT_EQ(Row(1), (std::vector<std::string>{"", "", "备用卡"}));

    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(m_sheet.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("contact-page-other")), "PNG"));
    EXPECT_TRUE(d->GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("certificate-dialog")), "PNG"));
    Click(*d, IDCANCEL);
    EXPECT_EQ(page.GetCertificateDialog(), nullptr);
    EXPECT_TRUE(Enabled(CPageOther::IDC_NEW));
}

TEST_F(OtherPageTest, ChangingAndDeletingWorkOnTheSelectedRows) {
    SPersonOtherBlock in;
    in.certificates.AddTail(SCertificate{"身份证", "1101", "本人"});
    in.certificates.AddTail(SCertificate{"驾驶证", "2202", ""});
    in.certificates.AddTail(SCertificate{"护照", "G3", ""});
    page.ExchangeOther(in, TRUE);
    page.SetChanged(FALSE);
    Select(1);
    EXPECT_TRUE(Enabled(CPageOther::IDC_CHANGE));
    Click(page, CPageOther::IDC_CHANGE);
    CEditCertificateDlg* d = page.GetCertificateDialog();
    ASSERT_NE(d, nullptr);
    CString caption, number;
    d->GetWindowText(caption);
    d->GetDlgItemText(CEditCertificateDlg::IDC_NUMBER, number);
    EXPECT_STREQ(caption, "修改证件");
    EXPECT_STREQ(number, "2202");
    Enter("驾驶证", "2203", "已换证");
    EXPECT_EQ(Row(1), (std::vector<std::string>{"驾驶证", "2203", "已换证"}));
    EXPECT_EQ(page.GetList().GetItemCount(), 3);
    EXPECT_TRUE(page.IsChanged());
    // Another row chosen while the dialog is open fills the dialog.
    Select(2);
    d->GetDlgItemText(CEditCertificateDlg::IDC_NUMBER, number);
    EXPECT_STREQ(number, "G3");
    Click(*d, IDCANCEL);

    page.SetChanged(FALSE);
    CKovListCtrl& list = page.GetList();
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    Click(page, CPageOther::IDC_DELETE);
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(Row(0)[1], "2203");
    EXPECT_TRUE(page.IsChanged());
}

TEST_F(OtherPageTest, TheDialogClosesWithThePageAndEmptiesForAnotherContact) {
    Click(page, CPageOther::IDC_NEW);
    CEditCertificateDlg* d = page.GetCertificateDialog();
    ASSERT_NE(d, nullptr);
    d->SetDlgItemText(CEditCertificateDlg::IDC_NUMBER, "123");
    SPersonOtherBlock other;
    other.certificates.AddTail(SCertificate{"学生证", "S1", ""});
    page.ExchangeOther(other, TRUE);
    CString number;
    d->GetDlgItemText(CEditCertificateDlg::IDC_NUMBER, number);
    EXPECT_STREQ(number, "");
    m_sheet.SetActivePage(1);
    Pump();
    EXPECT_EQ(page.GetCertificateDialog(), nullptr);
    EXPECT_TRUE(Enabled(CPageOther::IDC_NEW));
}

} // namespace
