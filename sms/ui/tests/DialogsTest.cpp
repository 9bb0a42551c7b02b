#include "ComposeTestSupport.h"

#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/Menu.h"
#include "sms/Sender.h"
#include "sms/ui/DlgCodeInfo.h"
#include "sms/ui/DlgEditNameCode.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/DlgMessageBank.h"
#include "sms/ui/SenderForm.h"

#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

CString Caption(CWnd& w) {
    CString s;
    w.GetWindowText(s);
    return s;
}

CString ItemText(CWnd& w, UINT id) {
    CString s;
    w.GetDlgItemText((int)id, s);
    return s;
}

class SmsDialogsTest : public ScriptedUserTest {
protected:
    void SetUp() override { InstallScriptedUser(IDOK); }
    void TearDown() override {
        RemoveScriptedUser();
        SetSmsComposeHost(nullptr);
    }
};

TEST_F(SmsDialogsTest, TheNameAndNumberCompanionIsNewOrEditAndStaysWhenClosed) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                                nullptr, 0));
    CDlgEditNameCode dlg;
    ASSERT_TRUE(dlg.Create(&parent));
    std::unique_ptr<_CPerson> person(MakePerson("王芳", "13912345678"));
    person->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13700000000")));
    CString name = "旧", number = "1";
    dlg.m_bEmailOption = FALSE;
    dlg.Show(name, number, TRUE, TRUE, TRUE);
    EXPECT_EQ(Caption(dlg), "新建姓名和号码");
    EXPECT_EQ(ItemText(dlg, CDlgEditNameCode::IDC_NAME), "");
    EXPECT_FALSE(dlg.GetDlgItem(CDlgEditNameCode::IDC_EMAIL)->IsWindowEnabled());
    Pump();
    dlg.SaveScreenshot(ScreenPath("sms-name-number-new").c_str());

    name = "王芳";
    number = "13912345678";
    dlg.m_pPerson = person.get();
    dlg.m_nType = 0;
    dlg.m_bEmailOption = TRUE;
    dlg.Show(name, number, TRUE, TRUE, FALSE);
    EXPECT_EQ(Caption(dlg), "编辑姓名和号码");
    EXPECT_EQ(ItemText(dlg, CDlgEditNameCode::IDC_NUMBER_LABEL), "手机号码:");
    EXPECT_EQ(ItemText(dlg, CDlgEditNameCode::IDC_LENGTH), "11");
    EXPECT_EQ(static_cast<CComboBox*>(dlg.GetDlgItem(CDlgEditNameCode::IDC_NUMBER))->GetCount(), 2);
    EXPECT_FALSE(dlg.GetDlgItem(CDlgEditNameCode::IDC_APPLY)->IsWindowEnabled());
    dlg.GetDlgItem(CDlgEditNameCode::IDC_NUMBER)->SetFocus();
    dlg.SetDlgItemText(CDlgEditNameCode::IDC_NUMBER, "139");
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditNameCode::IDC_NUMBER, CBN_EDITCHANGE),
                    (LPARAM)dlg.GetDlgItem(CDlgEditNameCode::IDC_NUMBER)->GetSafeHwnd());
    EXPECT_EQ(ItemText(dlg, CDlgEditNameCode::IDC_LENGTH), "3");
    EXPECT_TRUE(dlg.GetDlgItem(CDlgEditNameCode::IDC_APPLY)->IsWindowEnabled());
    Pump();
    dlg.SaveScreenshot(ScreenPath("sms-name-number-edit").c_str());
    // "取消修改" puts the stored values back.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditNameCode::IDC_UNDO, BN_CLICKED));
    EXPECT_EQ(ItemText(dlg, CDlgEditNameCode::IDC_NUMBER), "13912345678");
    EXPECT_FALSE(dlg.GetDlgItem(CDlgEditNameCode::IDC_APPLY)->IsWindowEnabled());

    dlg.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_NE(dlg.GetSafeHwnd(), nullptr) << "kept for the next time";
    dlg.m_pPerson = nullptr;
    dlg.DestroyWindow();
    parent.DestroyWindow();
}

TEST_F(SmsDialogsTest, TheAddressInformationListsEveryRecipientWithTheCount) {
    _CSms batch("");
    batch.m_sender = CNameCodeString("小王", "13800138000");
    batch.m_bBatch = TRUE;
    batch.m_batchList.AddTail(CNameCodeString("甲", "13711111111").m_str);
    batch.m_batchList.AddTail(CNameCodeString("", "13722222222").m_str);
    std::vector<CString> rows;
    CString count, sender;
    onDialog = [&](CDialog& d) {
        auto* list = static_cast<CListBox*>(d.GetDlgItem(CDlgCodeInfo::IDC_RECIPIENTS));
        rows.clear();
        for (int i = 0; i < list->GetCount(); ++i) {
            CString s;
            list->GetText(i, s);
            rows.push_back(s);
        }
        d.GetDlgItemText(CDlgCodeInfo::IDC_COUNT, count);
        d.GetDlgItemText(CDlgCodeInfo::IDC_SENDER, sender);
        d.SaveScreenshot(ScreenPath("sms-address-information").c_str());
        d.EndDialog(IDOK);
    };
    CDlgCodeInfo(&batch).DoModal();
    EXPECT_EQ(rows, (std::vector<CString>{"甲<13711111111>", "13722222222"}));
    EXPECT_EQ(count, "共2人");
    EXPECT_EQ(sender, "小王<13800138000>");

    _CSms single("");
    single.m_recipient = CNameCodeString("", "13733333333");
    CDlgCodeInfo(&single).DoModal();
    EXPECT_EQ(rows, (std::vector<CString>{"13733333333"}));
    EXPECT_EQ(count, "共1人");
}

// ---- The compose dialog -----------------------------------------------------------------------

class ComposeDialogTest : public SmsDialogsTest {
protected:
    FakeComposeHost composeHost;
    std::unique_ptr<_CPerson> person{MakePerson("王芳", "13911111111")};
    _CSender account{"小王"};

    void SetUp() override {
        SmsDialogsTest::SetUp();
        SetSmsComposeHost(&composeHost);
        auto& mobiles = person->GetInfo().m_personal.mobiles;
        mobiles.AddTail(CXString(CString("13922222222")));
        mobiles.AddTail(CXString(CString("13933333333")));
        mobiles.SetCurrentIndex(1);
        account.GetMobileInfo().m_strMobileNumber = "13800138000";
        CDlgEditSms::SmsType() = 0;
        CDlgEditSms::SavePlace() = CDlgEditSms::PlaceSender;
    }
    _CSms* Received(const char* text, int state, int box, time_t when) {
        auto* sms = new _CSms("");
        sms->m_strContent = text;
        sms->m_sender = CNameCodeString(state == _CSms::STATE_SENT ? "小王" : "王芳", "139");
        sms->SetState(state);
        sms->SetTime(CTime(when));
        person->GetSmsBox(box)->AddSms(sms);
        return sms;
    }
    // Runs the dialog for the contact; the script acts on it.
    int Run(std::function<void(CDlgEditSms&)> script, _CSender* sender, _CSms* sms = nullptr) {
        CDlgEditSms dlg;
        dlg.m_pPerson = person.get();
        dlg.m_pSender = sender;
        dlg.m_pSms = sms;
        dlg.m_strCaption = "撰写新短信";
        onDialog = [&](CDialog& d) { script(static_cast<CDlgEditSms&>(d)); };
        return (int)dlg.DoModal();
    }
    static void Type(CDlgEditSms& d, const char* text) {
        CWnd* edit = d.GetDlgItem(CDlgEditSms::IDC_TEXT);
        edit->SetFocus();
        QTest::keyClicks(edit->GetWidget(), QString::fromUtf8(text));
    }
};

TEST_F(ComposeDialogTest, ItOpensNarrowWithTheContactsNumbersAndSavesOnlyWhenThereIsText) {
    int result = Run(
        [&](CDlgEditSms& d) {
            EXPECT_EQ(Caption(d), "撰写新短信");
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_NAME), "王芳");
            auto* numbers = static_cast<CComboBox*>(d.GetDlgItem(CDlgEditSms::IDC_NUMBER));
            EXPECT_EQ(numbers->GetCount(), 3);
            EXPECT_EQ(numbers->GetCurSel(), 1);
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_SENDER), "小王<13800138000>");
            EXPECT_FALSE(d.IsHistoryShown());
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_HISTORY_BUTTON), "短信记录>>");
            for (UINT id : {CDlgEditSms::IDC_SEND_NOW, CDlgEditSms::IDC_PENDING, CDlgEditSms::IDC_DRAFT})
                EXPECT_FALSE(d.GetDlgItem(id)->IsWindowEnabled()) << id;
            Type(d, "hello");
            EXPECT_TRUE(d.GetDlgItem(CDlgEditSms::IDC_PENDING)->IsWindowEnabled());
            Pump();
            d.SaveScreenshot(ScreenPath("sms-dialog-narrow").c_str());
            // Type 1: no limit; back to 0 brings the limit back.
            auto* type = static_cast<CComboBox*>(d.GetDlgItem(CDlgEditSms::IDC_TYPE));
            auto* limit = static_cast<CComboBox*>(d.GetDlgItem(CDlgEditSms::IDC_LIMIT));
            type->SetCurSel(1);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_TYPE, CBN_SELCHANGE),
                          (LPARAM)type->GetSafeHwnd());
            EXPECT_EQ(limit->GetCurSel(), 0);
            EXPECT_FALSE(limit->IsWindowEnabled());
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_SENDER), "小王");
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_ALLOWED), "无限");
            type->SetCurSel(0);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_TYPE, CBN_SELCHANGE),
                          (LPARAM)type->GetSafeHwnd());
            EXPECT_EQ(limit->GetCurSel(), 1);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_PENDING, BN_CLICKED));
        },
        &account);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(1, account.GetRootSmsBox().GetSubBoxAt(1)->GetSmsCount());
    POSITION pos = account.GetRootSmsBox().GetSubBoxAt(1)->GetFirstSmsPosition();
    _CSms* sms = account.GetRootSmsBox().GetSubBoxAt(1)->GetNextSms(pos);
    EXPECT_EQ(sms->m_strContent, "hello");
    EXPECT_EQ(sms->m_recipient.m_str, "王芳\n13922222222");
    EXPECT_EQ(sms->GetState(), _CSms::STATE_PENDING);
    EXPECT_EQ(sms->m_sender.GetCode(), "13800138000");
}

TEST_F(ComposeDialogTest, TheHistoryShowsSentInBlueAndReceivedInRed) {
    Received("早上好", _CSms::STATE_READ, 0, 1700000000);
    Received("晚安", _CSms::STATE_SENT, 2, 1700003600);
    Received("草稿不算", _CSms::STATE_DRAFT, 1, 1700007200);
    Run(
        [&](CDlgEditSms& d) {
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_HISTORY_BUTTON, BN_CLICKED));
            EXPECT_TRUE(d.IsHistoryShown());
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_HISTORY_BUTTON), "短信记录<<");
            auto* history = static_cast<CRichEditCtrl*>(d.GetDlgItem(CDlgEditSms::IDC_HISTORY));
            CString text;
            history->GetWindowText(text);
            EXPECT_NE(text.Find("早上好"), -1);
            EXPECT_NE(text.Find("晚安"), -1);
            EXPECT_EQ(text.Find("草稿不算"), -1);
            EXPECT_NE(text.Find("):"), -1);
            auto colourAt = [&](const char* what) {
                // Character offsets: the control counts a double-byte character once.
                CString before = text.Left(text.Find(what));
                long at = 0;
                for (int i = 0; i < before.GetLength(); ++i, ++at)
                    if ((unsigned char)before[i] >= 0x80)
                        ++i;
                history->SetSel(at, at + 1);
                CHARFORMAT cf{};
                cf.cbSize = sizeof cf;
                history->GetSelectionCharFormat(cf);
                return cf.crTextColor;
            };
            EXPECT_EQ(colourAt("早上好"), RGB(255, 0, 0));
            EXPECT_EQ(colourAt("晚安"), RGB(0, 0, 255));
            Pump();
            d.SaveScreenshot(ScreenPath("sms-dialog-history").c_str());
            d.EndDialog(IDCANCEL);
        },
        &account);
}

TEST_F(ComposeDialogTest, WithoutAnAccountItFilesInTheContactsBoxAndRefusesSendingNow) {
    shown.clear();
    int result = Run(
        [&](CDlgEditSms& d) {
            EXPECT_FALSE(d.GetDlgItem(CDlgEditSms::IDC_PLACE_SENDER)->IsWindowEnabled());
            EXPECT_TRUE(d.IsDlgButtonChecked(CDlgEditSms::IDC_PLACE_CONTACT));
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_SENDER), "未设定");
            Type(d, "hi");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_SEND_NOW, BN_CLICKED));
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, "您没有指定活动的发信人帐户！请先到短信管理视图中指定一个活动发信人。");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_DRAFT, BN_CLICKED));
        },
        nullptr);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(1, person->GetSmsBox(1)->GetSmsCount());
    EXPECT_EQ(CDlgEditSms::SavePlace(), (int)CDlgEditSms::PlaceContact);
}

TEST_F(ComposeDialogTest, WithoutAnOutboxTheDialogSaysSoAndStaysOpen) {
    // The contact's box has lost its outbox: nothing can hold the message.
    _CSmsBox* outbox = person->GetSmsBox(1);
    person->GetSmsBox().RemoveSubgroup(outbox, TRUE);
    shown.clear();
    bool stayed = false;
    int result = Run(
        [&](CDlgEditSms& d) {
            Type(d, "hi");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_PENDING, BN_CLICKED));
            stayed = d.IsWindowVisible() != FALSE;
            d.EndDialog(IDCANCEL);
        },
        nullptr);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("没有可以存放"), -1);
}

TEST_F(ComposeDialogTest, AContactWithoutANumberGetsAReasonAndOnlyADraftIsKept) {
    // A contact with a mail address but no mobile number and no network address.
    person.reset(MakePerson("李雷", nullptr, "ll@example.com"));
    composeHost.sender = &account; // an active account, so that sending now gets as far as saving
    struct Case {
        int type;
        UINT button;
        const char* names; // the missing kind of number the message names
    };
    const Case cases[] = {
        {0, CDlgEditSms::IDC_PENDING, "手机号码"},
        {0, CDlgEditSms::IDC_SEND_NOW, "手机号码"},
        {1, CDlgEditSms::IDC_PENDING, "网络地址"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        CDlgEditSms::SmsType() = c.type;
        shown.clear();
        bool stayed = false;
        const int result = Run(
            [&](CDlgEditSms& d) {
                Type(d, "hi");
                QTest::mouseClick(d.GetDlgItem(c.button)->GetWidget(), Qt::LeftButton);
                stayed = d.IsWindowVisible() != FALSE;
                d.EndDialog(IDCANCEL);
            },
            &account);
        EXPECT_TRUE(stayed);
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].text.Find(CString("收信人没有") + c.names), -1) << shown[0].text;
        EXPECT_EQ(0, account.GetRootSmsBox().GetSubBoxAt(1)->GetSmsCount());
        EXPECT_EQ(0, person->GetSmsBox(1)->GetSmsCount());
    }
    // A draft waits for the number to be filled in later.
    CDlgEditSms::SmsType() = 0;
    shown.clear();
    const int result = Run(
        [&](CDlgEditSms& d) {
            Type(d, "hi");
            QTest::mouseClick(d.GetDlgItem(CDlgEditSms::IDC_DRAFT)->GetWidget(), Qt::LeftButton);
        },
        &account);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(1, account.GetRootSmsBox().GetSubBoxAt(1)->GetSmsCount());
}

TEST_F(ComposeDialogTest, TooLongOrEmptyTextIsRefused) {
    shown.clear();
    Run(
        [&](CDlgEditSms& d) {
            CString text;
            for (int i = 0; i < 71; ++i)
                text += "字";
            d.GetDlgItem(CDlgEditSms::IDC_TEXT)->SetWindowText(text);
            EXPECT_EQ(ItemText(d, CDlgEditSms::IDC_PARTS), "2");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_PENDING, BN_CLICKED));
            d.GetDlgItem(CDlgEditSms::IDC_TEXT)->SetWindowText("");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_PENDING, BN_CLICKED));
            d.EndDialog(IDCANCEL);
        },
        &account);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "您的短信内容太长，请先修改！");
    EXPECT_EQ(shown[1].text, "您的短信内容为空，请重新输入！");
    EXPECT_TRUE(account.GetRootSmsBox().GetSubBoxAt(1)->IsSmsListEmpty());
}

// ---- The phrase bank --------------------------------------------------------------------------

class MessageBankTest : public SmsDialogsTest {
protected:
    test_folders::TempDir dir;
    fs::path bank = dir.path() / "bank";
    void SetUp() override {
        SmsDialogsTest::SetUp();
        fs::create_directories(bank / "g1");
        fs::create_directories(bank / "g2");
        std::ofstream(bank / "g1" / "s1.dat", std::ios::binary) << "one\r\n\r\ntwo\r\n";
        std::ofstream(bank / "g1" / "s2.txt", std::ios::binary) << "x\r\n";
    }
    CString Folder() const { return bank.string().c_str(); }
    HTREEITEM Find(CDlgMessageBank& d, HTREEITEM parent, const char* text) {
        CTreeCtrl& t = d.GetTree();
        for (HTREEITEM h = t.GetChildItem(parent); h != nullptr; h = t.GetNextSiblingItem(h))
            if (t.GetItemText(h) == text)
                return h;
        return nullptr;
    }
    // Opens the group g1 and shows its set s1; answers the group's item.
    HTREEITEM ShowFirstSet(CDlgMessageBank& d) {
        HTREEITEM g1 = Find(d, TVI_ROOT, "g1");
        if (g1 != nullptr) {
            d.GetTree().Expand(g1, TVE_EXPAND);
            d.GetTree().SelectItem(Find(d, g1, "s1"));
        }
        return g1;
    }
    void EndEdit(CDlgMessageBank& d, const char* text) {
        CEdit* edit = d.GetTree().GetEditControl();
        ASSERT_NE(edit, nullptr);
        edit->SetWindowText(text);
        d.GetTree().EndEditLabelNow(FALSE);
    }
};

TEST_F(MessageBankTest, AMissingBankSaysSoAndCloses) {
    CDlgMessageBank dlg(nullptr, (dir.str() + "/none").c_str());
    onDialog = [](CDialog&) {};
    shown.clear();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "找不到短语库文件! 请确保短语库文件的正确安装!");
}

TEST_F(MessageBankTest, ASetShowsItsPhrasesWhichAreEditedSavedAndInserted) {
    struct COwner : CWnd {
        std::vector<CString> got;
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
            if (m == 0x446)
                got.push_back(reinterpret_cast<LPCTSTR>(l));
            return CWnd::WindowProc(m, w, l);
        }
    } owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "o", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    CDlgMessageBank dlg(&owner, Folder());
    answers = {IDYES};
    onDialog = [&](CDialog& d) {
        auto& b = static_cast<CDlgMessageBank&>(d);
        HTREEITEM g1 = ShowFirstSet(b);
        ASSERT_NE(g1, nullptr);
        ASSERT_NE(b.GetCurrentSet(), nullptr);
        EXPECT_EQ(b.GetList().GetItemCount(), 2) << "blank lines are no phrases";
        CRect first, second;
        b.GetList().GetItemRect(0, &first, LVIR_BOUNDS);
        b.GetList().GetItemRect(1, &second, LVIR_BOUNDS);
        EXPECT_EQ(first.Height(), 40);
        EXPECT_EQ(second.top - first.top, 40);
        b.GetList().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EXPECT_EQ(ItemText(b, CDlgMessageBank::IDC_TEXT), "two");
        b.SetDlgItemText(CDlgMessageBank::IDC_TEXT, "新短语");
        b.RunCommand(CDlgMessageBank::ID_PHRASE_APPEND);
        EXPECT_EQ(b.GetList().GetItemCount(), 3);
        Pump();
        b.SaveScreenshot(ScreenPath("sms-phrase-bank").c_str());
        b.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgMessageBank::IDC_INSERT, BN_CLICKED));
        // Leaving for another set asks to save (Yes).
        b.GetTree().SelectItem(Find(b, g1, "s2"));
        EXPECT_EQ(b.GetList().GetItemCount(), 1);
        b.SetDlgItemText(CDlgMessageBank::IDC_TEXT, "picked");
        b.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgMessageBank::IDC_OK, BN_CLICKED));
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strSelected, "picked");
    EXPECT_EQ(owner.got, (std::vector<CString>{"新短语"}));
    std::ifstream in(bank / "g1" / "s1.dat", std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(saved, std::string("one\r\ntwo\r\n") + std::string((LPCTSTR)CString("新短语")) + "\r\n");
    owner.DestroyWindow();
}

TEST_F(MessageBankTest, DeletingPhrasesRemovesTheSelectedRowsFromTheListAndTheSavedSet) {
    struct Case {
        const char* file;
        std::vector<int> selected;
        std::vector<CString> remaining;
    };
    const Case cases[] = {
        {"p0\r\np1\r\np2\r\np3\r\n", {0}, {"p1", "p2", "p3"}},
        {"p0\r\np1\r\np2\r\np3\r\n", {0, 2}, {"p1", "p3"}},
        {"p0\r\n", {0}, {}},
        {"p0\r\np1\r\np2\r\np3\r\n", {1, 2}, {"p0", "p3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " less " << c.selected.size() << " from row " << c.selected[0]);
        std::ofstream(bank / "g1" / "s1.dat", std::ios::binary | std::ios::trunc) << c.file;
        CDlgMessageBank dlg(nullptr, Folder());
        answers = {IDYES};
        onDialog = [&](CDialog& d) {
            auto& b = static_cast<CDlgMessageBank&>(d);
            HTREEITEM g1 = ShowFirstSet(b);
            ASSERT_NE(g1, nullptr);
            for (int row : c.selected)
                b.GetList().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
            b.RunCommand(CDlgMessageBank::ID_PHRASE_DELETE);
            std::vector<CString> rows;
            for (int i = 0; i < b.GetList().GetItemCount(); ++i)
                rows.push_back(b.GetList().GetItemText(i, 0));
            EXPECT_EQ(rows, c.remaining);
            b.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgMessageBank::IDC_OK, BN_CLICKED));
        };
        EXPECT_EQ(dlg.DoModal(), IDOK);
        std::string expected;
        for (const CString& p : c.remaining)
            expected += std::string((LPCTSTR)p) + "\r\n";
        std::ifstream in(bank / "g1" / "s1.dat", std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), expected);
    }
}

TEST_F(MessageBankTest, TheKeyboardsContextMenusOpenAtTheSelectedGroupAndTheFocusedPhrase) {
    CDlgMessageBank dlg(nullptr, Folder());
    std::vector<CPoint> at;
    AfxSetPopupMenuHook([&](HMENU, CWnd*, POINT pt, UINT) {
        at.push_back(pt);
        return 0u;
    });
    CRect groupRect, rowRect;
    onDialog = [&](CDialog& d) {
        auto& b = static_cast<CDlgMessageBank&>(d);
        HTREEITEM g1 = ShowFirstSet(b);
        ASSERT_NE(g1, nullptr);
        b.GetTree().GetItemRect(Find(b, g1, "s1"), &groupRect, TRUE);
        b.GetTree().ClientToScreen(&groupRect);
        QTest::keyClick(b.GetTree().GetWidget(), Qt::Key_F10, Qt::ShiftModifier);
        b.GetList().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        b.GetList().GetItemRect(1, &rowRect, LVIR_BOUNDS);
        b.GetList().ClientToScreen(&rowRect);
        QTest::keyClick(b.GetList().GetWidget(), Qt::Key_Menu);
        b.EndDialog(IDCANCEL);
    };
    dlg.DoModal();
    AfxSetPopupMenuHook(nullptr);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_GE(at[0].x, groupRect.left);
    EXPECT_LE(at[0].x, groupRect.right);
    EXPECT_GE(at[0].y, groupRect.top);
    EXPECT_LE(at[0].y, groupRect.bottom + 1);
    EXPECT_TRUE(rowRect.PtInRect(at[1]));
}

TEST_F(MessageBankTest, GroupsAreMadeRenamedAndDeletedAsFoldersWithoutClobbering) {
    CDlgMessageBank dlg(nullptr, Folder());
    onDialog = [&](CDialog& d) {
        auto& b = static_cast<CDlgMessageBank&>(d);
        // Two new groups in a row: 新组, then 新组1.
        b.GetTree().SelectItem(nullptr);
        b.RunCommand(CDlgMessageBank::ID_GROUP_NEW);
        EndEdit(b, "");
        b.GetTree().SelectItem(nullptr);
        b.RunCommand(CDlgMessageBank::ID_GROUP_NEW);
        EndEdit(b, "");
        EXPECT_TRUE(fs::is_directory(fs::path(OsPathFromProgramPath(Folder() + "\\" + CString("新组")))));
        EXPECT_TRUE(fs::is_directory(fs::path(OsPathFromProgramPath(Folder() + "\\" + CString("新组1")))));
        // A name that is no file name is refused.
        shown.clear();
        b.GetTree().SelectItem(nullptr);
        b.RunCommand(CDlgMessageBank::ID_GROUP_NEW);
        EndEdit(b, "..\\out");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_FALSE(fs::exists(dir.path() / "out"));

        // Renaming onto an existing group or set fails and keeps both.
        HTREEITEM g1 = Find(b, TVI_ROOT, "g1");
        b.GetTree().SelectItem(g1);
        EXPECT_FALSE(b.IsCommandEnabled(CDlgMessageBank::ID_GROUP_DELETE)) << "it holds sets";
        shown.clear();
        b.RunCommand(CDlgMessageBank::ID_RENAME);
        EndEdit(b, "g2");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0].text.Find("重命名为 \"g2\" 时，操作失败!"), -1);
        EXPECT_EQ(shown[0].caption, "文件夹操作失败");
        EXPECT_TRUE(fs::exists(bank / "g1" / "s1.dat"));
        b.GetTree().Expand(g1, TVE_EXPAND);
        HTREEITEM s1 = Find(b, g1, "s1");
        b.GetTree().SelectItem(s1);
        shown.clear();
        b.RunCommand(CDlgMessageBank::ID_RENAME);
        EndEdit(b, "s2");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, "文件操作失败");
        EXPECT_EQ(std::ifstream(bank / "g1" / "s2.txt").rdbuf()->sgetc(), 'x');
        // A good name: the file of that name plus ".txt".
        b.GetTree().SelectItem(s1);
        b.RunCommand(CDlgMessageBank::ID_RENAME);
        EndEdit(b, "问候");
        EXPECT_TRUE(fs::exists(fs::path(OsPathFromProgramPath(Folder() + "\\g1\\" + CString("问候.txt")))));
        EXPECT_FALSE(fs::exists(bank / "g1" / "s1.dat"));
        // An empty group goes with its folder.
        HTREEITEM g2 = Find(b, TVI_ROOT, "g2");
        b.GetTree().SelectItem(g2);
        EXPECT_TRUE(b.IsCommandEnabled(CDlgMessageBank::ID_GROUP_DELETE));
        b.RunCommand(CDlgMessageBank::ID_GROUP_DELETE);
        EXPECT_FALSE(fs::exists(bank / "g2"));
        EXPECT_EQ(Find(b, TVI_ROOT, "g2"), nullptr);
        b.EndDialog(IDCANCEL);
    };
    dlg.DoModal();
}

} // namespace

// ---- The sender wizard ---------------------------------------------------------------------

// The wizard of the person and the phone: the person first, Next to the phone, Back again, and
// Finish on the phone's page with what was typed kept on the pages.
TEST_F(SmsDialogsTest, TheSenderWizardRunsThePersonThenThePhonePage) {
    CPSheetSender sheet;
    struct Step {
        int index;
        bool back, next, finish;
    };
    std::vector<Step> steps;
    QTimer guard;
    guard.setSingleShot(true);
    auto note = [&](CPropertySheet& w) {
        auto enabled = [&](int id) {
            CWnd* b = w.GetDlgItem(id);
            return b != nullptr && b->IsWindowVisible() && b->IsWindowEnabled();
        };
        steps.push_back({w.GetActiveIndex(), enabled(ID_WIZBACK), enabled(ID_WIZNEXT),
                         enabled(ID_WIZFINISH)});
    };
    auto click = [](CPropertySheet& w, int id) {
        QTest::mouseClick(w.GetDlgItem(id)->GetWidget(), Qt::LeftButton);
        Pump();
    };
    onDialog = [&](CDialog& d) {
        auto& w = static_cast<CPropertySheet&>(d);
        ASSERT_TRUE(w.IsWizard());
        note(w);
        EXPECT_EQ(w.GetActivePage(), &sheet.m_person);
        QTest::keyClicks(sheet.m_person.GetDlgItem(CPageSenderPersonInfo::IDC_NAME)->GetWidget(),
                         "Wang");
        click(w, ID_WIZNEXT);
        note(w);
        EXPECT_EQ(w.GetActivePage(), &sheet.m_mobile);
        click(w, ID_WIZBACK);
        note(w);
        click(w, ID_WIZNEXT);
        QTest::keyClicks(sheet.m_mobile.GetDlgItem(CPageSenderMobileInfo::IDC_NUMBER)->GetWidget(),
                         "13900139000");
        // A Finish that does not end the wizard must not hold the test up.
        QObject::connect(&guard, &QTimer::timeout, [&w] { w.EndDialog(IDCANCEL); });
        guard.start(3000);
        click(w, ID_WIZFINISH);
    };
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    ASSERT_EQ(steps.size(), 3u);
    const Step expected[] = {{0, false, true, false}, {1, true, false, true}, {0, false, true, false}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(steps[i].index, expected[i].index) << i;
        EXPECT_EQ(steps[i].back, expected[i].back) << i;
        EXPECT_EQ(steps[i].next, expected[i].next) << i;
        EXPECT_EQ(steps[i].finish, expected[i].finish) << i;
    }
    SSenderAccountRecord record;
    sheet.m_person.Exchange(record, FALSE);
    sheet.m_mobile.Exchange(record, FALSE);
    EXPECT_EQ(record.m_person.m_strText[SENDER_NAME], "Wang");
    EXPECT_EQ(record.m_mobile.m_strMobileNumber, "13900139000");
}
