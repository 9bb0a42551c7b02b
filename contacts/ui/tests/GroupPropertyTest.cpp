#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/DlgGroupProperty.h"
#include "platform/base/Gbk.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddValue;

// The contacts tree's part: records what the dialog reports.
class COwner : public CWnd {
public:
    std::vector<WPARAM> notices;
    LRESULT OnNotice(WPARAM wParam, LPARAM) {
        notices.push_back(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwner, CWnd)
ON_MESSAGE(WM_GROUP_PROPERTY_NOTIFY, &COwner::OnNotice)
END_MESSAGE_MAP()

class GroupPropertyTest : public GuiTest {
protected:
    void SetUp() override {
        CTime::SetNowForTesting(1700000000);
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "tree", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                   nullptr, nullptr));
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            questions.push_back(call.text.GetString());
            return answer;
        });
        group.SetName("同学");
        SGroupInfo& info = group.GetInfo();
        info.nType = 3;
        info.strCountry = "中国";
        info.strProvince = "浙江";
        info.strCity = "杭州";
        info.strPostCode = "310000";
        info.strAddress = "西湖区某路1号";
        info.strNote = "高中同学\r\n每年聚会";
        AddValue(info.phones, "0571-1234");
        AddValue(info.phones, "0571-5678");
        info.phones.SetCurrentIndex(1);
        AddValue(info.faxes, "0571-9999");
        AddValue(info.email, "class@example.com");
        info.email.SetCurrentIndex(0);
        AddValue(info.homepage, "www.example.com");
        group.SetModifiedTime(CTime(1600000000));
        ASSERT_TRUE(dlg.Create(&owner));
        dlg.ShowWindow(SW_SHOW);
        ASSERT_TRUE(dlg.Exchange(&group, TRUE));
        Pump();
    }
    void TearDown() override {
        AfxSetMessageBoxHook(m_oldBox);
        CTime::ResetNowForTesting();
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        owner.DestroyWindow();
    }
    CString Text(UINT id) {
        CString s;
        dlg.GetDlgItemText((int)id, s);
        return s;
    }
    void Click(UINT id) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)dlg.GetDlgItem((int)id)->m_hWnd);
    }
    static std::string Bytes(SGroupInfo& info) {
        _CGroup copy("x");
        copy.GetInfo() = info;
        SGroupInfo& i = copy.GetInfo();
        const std::string bytes = contacts_test::StoredBytes(i.phones, i.faxes, i.email, i.homepage);
        return bytes + "|" + std::to_string(i.nType) + "|" + i.strCountry.GetString() + "|" +
               i.strProvince.GetString() + "|" + i.strCity.GetString() + "|" +
               i.strPostCode.GetString() + "|" + i.strAddress.GetString() + "|" +
               i.strNote.GetString();
    }

    COwner owner;
    CDlgGroupProperty dlg;
    _CGroup group;
    std::vector<std::string> questions;
    int answer = IDYES;
    MessageBoxHook m_oldBox;
};

TEST_F(GroupPropertyTest, ShowsTheGroupAndStoresItBackUnchanged) {
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_NAME), "同学");
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_PROVINCE), "浙江");
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_PHONES), "0571-5678");
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_FAXES), "");
    CString type;
    GetGroupTypeName(3, type);
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_TYPE), type);
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_MODIFIED),
                 CTime(1600000000).Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_FALSE(dlg.IsModified());
    EXPECT_FALSE(dlg.GetDlgItem(IDOK)->IsWindowEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(CDlgGroupProperty::IDC_APPLY)->IsWindowEnabled());
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(dlg.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("group-property")), "PNG"));

    const std::string before = Bytes(group.GetInfo());
    BOOL bNameChanged = TRUE;
    ASSERT_TRUE(dlg.Exchange(nullptr, FALSE, &bNameChanged));
    EXPECT_FALSE(bNameChanged);
    EXPECT_EQ(Bytes(group.GetInfo()), before);
    EXPECT_EQ(group.GetModifiedTime(), CTime(1700000000));
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_MODIFIED),
                 CTime(1700000000).Format("%Y-%m-%d %H:%M:%S"));
}

TEST_F(GroupPropertyTest, RenamingIsReportedAndOkAndApplyFollowTheChanges) {
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_NAME, "大学同学");
    EXPECT_TRUE(dlg.IsModified());
    EXPECT_TRUE(dlg.GetDlgItem(IDOK)->IsWindowEnabled());
    EXPECT_TRUE(dlg.GetDlgItem(CDlgGroupProperty::IDC_APPLY)->IsWindowEnabled());
    Click(CDlgGroupProperty::IDC_APPLY);
    EXPECT_EQ(owner.notices, std::vector<WPARAM>{CDlgGroupProperty::NOTIFY_APPLY});
    EXPECT_FALSE(dlg.IsModified());
    // The owner stores on the notice; a rename is told so the tree can sort again.
    BOOL bNameChanged = FALSE;
    ASSERT_TRUE(dlg.Exchange(nullptr, FALSE, &bNameChanged));
    EXPECT_TRUE(bNameChanged);
    EXPECT_STREQ(group.GetName(), "大学同学");
    // Nothing changed since Apply: closing asks nothing.
    Click(IDCANCEL);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(owner.notices.back(), (WPARAM)CDlgGroupProperty::NOTIFY_CLOSED);
    EXPECT_FALSE(dlg.m_hWnd);
}

TEST_F(GroupPropertyTest, ClosingWithChangesAsksFirst) {
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_NOTE, "新附注");
    answer = IDNO;
    Click(IDCANCEL);
    EXPECT_EQ(questions, std::vector<std::string>{"您真的想放弃修改吗？"});
    EXPECT_TRUE(dlg.m_hWnd);
    EXPECT_TRUE(owner.notices.empty());
    answer = IDYES;
    Click(IDCANCEL);
    EXPECT_EQ(owner.notices, std::vector<WPARAM>{CDlgGroupProperty::NOTIFY_CLOSED});
    EXPECT_FALSE(dlg.m_hWnd);
    EXPECT_STREQ(group.GetInfo().strNote, "高中同学\r\n每年聚会");
}

TEST_F(GroupPropertyTest, OkReportsAndCloses) {
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_ADDRESS, "滨江区2号");
    Click(IDOK);
    EXPECT_EQ(owner.notices, std::vector<WPARAM>{CDlgGroupProperty::NOTIFY_OK});
    EXPECT_FALSE(dlg.m_hWnd);
}

TEST_F(GroupPropertyTest, EnterInAValueBoxTakesTheValueAndKeepsTheDialogOpen) {
    CWnd* phones = dlg.GetDlgItem(CDlgGroupProperty::IDC_PHONES);
    phones->SetWindowText("0571-0000");
    phones->SetFocus();
    Pump();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    Pump();
    EXPECT_TRUE(dlg.m_hWnd);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_TRUE(owner.notices.empty());
    EXPECT_TRUE(dlg.IsModified());
    EXPECT_EQ(static_cast<CComboBox*>(phones)->GetCount(), 3);
    ASSERT_TRUE(dlg.Exchange(nullptr, FALSE));
    ASSERT_EQ(group.GetInfo().phones.GetCount(), 3);
    EXPECT_STREQ(group.GetInfo().phones.GetCurrentValue(), "0571-0000");
}

TEST_F(GroupPropertyTest, AForgottenGroupIsNeverReachedAgain) {
    _CGroup other("其他");
    dlg.ForgetGroup(&other); // not the one shown: nothing changes
    EXPECT_EQ(dlg.GetGroup(), &group);
    dlg.ForgetGroup(&group);
    EXPECT_EQ(dlg.GetGroup(), nullptr);
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_NAME, "已删除");
    EXPECT_FALSE(dlg.Exchange(nullptr, FALSE));
    EXPECT_FALSE(dlg.Exchange(nullptr, TRUE));
    EXPECT_STREQ(group.GetName(), "同学");
    // A group handed in again is shown and stored as before.
    ASSERT_TRUE(dlg.Exchange(&other, TRUE));
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_NAME), "其他");
}

TEST_F(GroupPropertyTest, PostCodeFollowsTheCityFromTheProvinceFile) {
    test_folders::TempDir home;
    test_folders::ScopedEnv env("QUILLMAR_HOME", home.str().c_str());
    const std::filesystem::path folder = home.path() / "info" / GbkToUtf8("邮编区号");
    std::filesystem::create_directories(folder);
    std::ofstream(folder / GbkToUtf8("浙江.inf"), std::ios::binary) << "杭州,310000,0571\r\n";
    auto focus = [&](UINT id, UINT code) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)dlg.GetDlgItem((int)id)->m_hWnd);
    };
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_POSTCODE, "");
    focus(CDlgGroupProperty::IDC_CITY, CBN_SETFOCUS);
    EXPECT_EQ(static_cast<CComboBox*>(dlg.GetDlgItem(CDlgGroupProperty::IDC_CITY))->GetCount(), 1);
    focus(CDlgGroupProperty::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_POSTCODE), "310000");
    // A code the user typed stays.
    dlg.SetDlgItemText(CDlgGroupProperty::IDC_POSTCODE, "3100");
    focus(CDlgGroupProperty::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(CDlgGroupProperty::IDC_POSTCODE), "3100");
}

} // namespace

namespace {

// The list buttons open the dialog's list editor; a commit reaches the box and the group, and rows
// typed for one group never go into another group's lists.
TEST_F(GroupPropertyTest, ListButtonsEditTheGroupsListsAndNeverMixGroups) {
    CDlgEditstrlist* editor = dlg.GetListEditor();
    ASSERT_NE(editor, nullptr);
    Click(CDlgGroupProperty::IDC_PHONES_BUTTON);
    EXPECT_TRUE(editor->IsWindowVisible());
    ASSERT_EQ(editor->GetList().GetItemCount(), 2);
    EXPECT_TRUE(editor->GetList().GetCheck(1));
    editor->SetDlgItemText(CDlgEditstrlist::IDC_FIRST, "0571-0000");
    editor->SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditstrlist::IDC_ADD, BN_CLICKED),
                        (LPARAM)editor->GetDlgItem(CDlgEditstrlist::IDC_ADD)->m_hWnd);
    editor->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        (LPARAM)editor->GetDlgItem(IDOK)->m_hWnd);
    EXPECT_TRUE(dlg.IsModified());
    ASSERT_TRUE(dlg.Exchange(nullptr, FALSE));
    EXPECT_EQ(group.GetInfo().phones.GetCount(), 3);
    EXPECT_EQ(group.GetInfo().phones.GetCurrentIndex(), 1);

    Click(CDlgGroupProperty::IDC_EMAIL_BUTTON);
    CString link;
    editor->GetDlgItemText(CDlgEditstrlist::IDC_LINK, link);
    EXPECT_STREQ(link, "给他写信");
    editor->SetDlgItemText(CDlgEditstrlist::IDC_FIRST, "other@example.com");
    editor->SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditstrlist::IDC_ADD, BN_CLICKED),
                        (LPARAM)editor->GetDlgItem(CDlgEditstrlist::IDC_ADD)->m_hWnd);
    _CGroup other("同事");
    questions.clear();
    ASSERT_TRUE(dlg.Exchange(&other, TRUE));
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(editor->IsDirty());
    EXPECT_EQ(editor->GetList().GetItemCount(), 0);
    ASSERT_TRUE(dlg.Exchange(nullptr, FALSE));
    EXPECT_EQ(other.GetInfo().email.GetCount(), 0);
    EXPECT_EQ(group.GetInfo().email.GetCount(), 1);
}

} // namespace
