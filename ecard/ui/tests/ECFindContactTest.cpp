// Finding e-card contacts by their fields from the window: the find command's enabling, the
// dialog over the card's fields (status fields too) with its own kept choices, and its hits
// selecting their contacts in the tree.
#include "ECUiTestSupport.h"

#include "contacts/PersonFields.h"
#include "ecard/ECAccess.h"
#include "ecard/ui/ECDialogs.h"
#include "ecard/ui/ECDlgFindContact.h"
#include "platform/gui/Menu.h"

#include <QDir>
#include <QInputMethodEvent>

using namespace ecard_ui_test;

namespace {

constexpr UINT kCarol = 20000005;

class ECFindContactTest : public ECWindowTest {
protected:
    void SetUp() override {
        ECWindowTest::SetUp();
        CECDlgFindContact::GetECSettings() = SFindSettings();
        for (DWORD& mask : CECDlgFindContact::GetECSettings().personMasks)
            mask = 0xFFFFFFFF;
        SFindSettings::Get() = SFindSettings();
        {
            CECUserDoc doc;
            CECUser& u = doc.GetUser();
            u.SetUserNumber(kAlice);
            u.GetAccount().m_strPassword = "alice1";
            // As the service brings a contact: no name of its own, its user name on the service.
            CECContact* bob = AddContact(u.GetFriends(), kBob, "");
            bob->m_strUserName = "鲍勃";
            bob->m_strLocation = "北京图书馆"; // a status field
            auto* classmates = new CECGroup("同学");
            u.GetFriends().AddSubgroup(classmates, FALSE);
            CECContact* carol = AddContact(*classmates, kCarol, "卡罗");
            carol->SetFieldText(PF_NOTE, "北京大学", TRUE, 0, "\n", "-");
            AddContact(u.GetStrangers(), 20000003, "北京路人");
            ASSERT_TRUE(doc.SaveUser());
        }
        OpenWindow(kAlice);
    }
    static void Save(CWnd* w, const char* name) {
        Pump();
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        EXPECT_TRUE(
            w->GetWidget()->grab().toImage().save(QString::fromStdString(ScreenPath(name)), "PNG"))
            << name;
    }
    // Types a text as a person does: the input method hands over each character.
    static void TypeText(CWnd* pDlg, int nID, const char* gbk) {
        CWnd* pCtrl = pDlg->GetDlgItem(nID);
        ASSERT_NE(nullptr, pCtrl) << nID;
        pCtrl->SetWindowText("");
        pCtrl->GetWidget()->setFocus();
        for (QChar ch : AfxToQt(gbk)) {
            QInputMethodEvent commit;
            commit.setCommitString(QString(ch));
            QApplication::sendEvent(pCtrl->GetWidget(), &commit);
        }
    }
    void Select(HTREEITEM h) {
        tree->GetTreeCtrl().SelectItem(h);
        Pump();
    }
    BOOL FindButtonEnabled() {
        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        return frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(57636);
    }
    void ClickFindButton(UINT nID = 57636) {
        CToolBar& bar = frame->GetToolBar();
        CRect r;
        bar.GetItemRect(bar.CommandToIndex(nID), &r);
        QTest::mouseClick(bar.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(r.CenterPoint().x, r.CenterPoint().y));
        Pump();
    }
    static std::vector<std::string> Rows(CDlgFindPerson& dlg) {
        std::vector<std::string> rows;
        CListCtrl& list = dlg.GetResultList();
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.push_back(std::string(list.GetItemText(i, 0).GetString()) + "|" +
                           list.GetItemText(i, 1).GetString());
        return rows;
    }
    // The labels of the field tree's groups, and of the fields of the last one.
    static void TreeLabels(CDlgFindPerson& dlg, std::vector<CString>& groups,
                           std::vector<CString>& lastFields, int& roots) {
        auto& t = static_cast<CTreeCtrl&>(*dlg.GetDlgItem(CDlgFindPerson::IDC_FIELD_TREE));
        roots = 0;
        for (HTREEITEM r = t.GetRootItem(); r; r = t.GetNextSiblingItem(r))
            ++roots;
        HTREEITEM last = nullptr;
        for (HTREEITEM g = t.GetChildItem(t.GetRootItem()); g; g = t.GetNextSiblingItem(g)) {
            groups.push_back(t.GetItemText(g));
            last = g;
        }
        for (HTREEITEM f = t.GetChildItem(last); f; f = t.GetNextSiblingItem(f))
            lastFields.push_back(t.GetItemText(f));
    }
};

TEST_F(ECFindContactTest, TheCommandIsForGroupsOnly) {
    // Nothing is selected before the tree picks its first item; afterwards a contact refuses
    // the command, a fixed group, a sub-group and the root take it.
    struct Case {
        HTREEITEM item;
        bool enabled;
    };
    CTreeCtrl& t = tree->GetTreeCtrl();
    const Case cases[] = {
        {ItemOf(kBob), false},
        {tree->GetGroupItem(CECContactsTreeView::KindFriends), true},
        {t.GetParentItem(ItemOf(kCarol)), true},
        {ItemOf(20000003), false},
        {tree->GetRootItem(), true},
    };
    for (const Case& c : cases) {
        Select(c.item);
        EXPECT_EQ(c.enabled, FindButtonEnabled() != FALSE) << t.GetItemText(c.item);
    }
    // A contact selected, with the right pane's card as the window's active view (as after a
    // click on the card): still refused.
    Select(ItemOf(kBob));
    auto* card = dynamic_cast<CView*>(frame->GetRightPane()->GetViewWnd(EC_VIEW_CARD_FORM));
    ASSERT_NE(nullptr, card);
    frame->SetActiveView(card);
    EXPECT_FALSE(FindButtonEnabled());
    frame->SetActiveView(tree);
    // A contact selected: the command does nothing even when sent.
    Select(ItemOf(kBob));
    bool opened = false;
    onDialog = [&](CDialog& d) {
        opened = true;
        d.EndDialog(IDCANCEL);
    };
    Command(57636);
    EXPECT_FALSE(opened);
}

TEST_F(ECFindContactTest, AfterARequestTheFindButtonsOpenWhatTheMenuItemsOpen) {
    // While a request runs every command of the window is greyed; once it is answered, each
    // find button is enabled exactly when its item in the menu bar's 联系人 menu is, and a
    // click on it opens the dialog that the menu item opens.
    test_net::Reply slow = test_net::Reply::Text("0#");
    slow.delayMs = 300;
    server.SetReply("ecard/syncallfriends.asp", slow);
    Command(1525);
    ASSERT_TRUE(frame->IsBusy());
    EXPECT_FALSE(FindButtonEnabled());
    EXPECT_FALSE(frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled(1528));
    WaitIdle();

    CMenu* contacts = frame->GetMenu()->GetSubMenu(2);
    ASSERT_NE(nullptr, contacts);
    struct Case {
        HTREEITEM item;
        UINT id;
        bool opens;
    };
    const Case cases[] = {
        {tree->GetGroupItem(CECContactsTreeView::KindFriends), 57636, true},
        {tree->GetRootItem(), 1528, true},
        {ItemOf(kBob), 1528, true},
        {ItemOf(kBob), 57636, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << tree->GetTreeCtrl().GetItemText(c.item));
        Select(c.item);
        std::vector<CString> opened;
        onDialog = [&](CDialog& d) {
            CString caption;
            d.GetWindowText(caption);
            const char* kind = dynamic_cast<CECDlgFindContactID*>(&d) ? "by ID"
                               : dynamic_cast<CECDlgFindContact*>(&d) ? "by fields"
                                                                      : "other";
            opened.push_back(CString(kind) + "|" + caption);
            d.EndDialog(IDCANCEL);
        };
        AfxSendInitMenuPopup(frame, contacts->GetSafeHmenu(), 2);
        const bool menuEnabled = !(contacts->GetMenuState(c.id, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_EQ(c.opens, menuEnabled);
        if (menuEnabled)
            Command(c.id);
        Pump();
        const std::vector<CString> fromMenu = opened;
        opened.clear();

        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        EXPECT_EQ(menuEnabled,
                  frame->GetToolBar().GetToolBarCtrl().IsButtonEnabled((int)c.id) != FALSE);
        ClickFindButton(c.id);
        EXPECT_EQ(c.opens ? 1u : 0u, opened.size());
        EXPECT_EQ(fromMenu, opened);
    }
}

TEST_F(ECFindContactTest, FindByIdSearchesTheChosenScopeAndAMissSelectsNothing) {
    // The stranger is in another group than the selected contact; the classmate is in a
    // sub-group of the selected group.
    struct Case {
        HTREEITEM selected;
        const char* id;
        int scope;
        HTREEITEM after;
    };
    const Case cases[] = {
        {ItemOf(kBob), "20000003", CECDlgFindContactID::IDC_IN_ALL, ItemOf(20000003)},
        {ItemOf(kBob), "20000003", CECDlgFindContactID::IDC_IN_GROUP, ItemOf(kBob)},
        {tree->GetGroupItem(CECContactsTreeView::KindFriends), "20000005",
         CECDlgFindContactID::IDC_IN_GROUP, ItemOf(kCarol)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << (c.scope == CECDlgFindContactID::IDC_IN_ALL ? " in all" : " in the group"));
        Select(c.selected);
        int opened = 0;
        onDialog = [&](CDialog& d) {
            ++opened;
            ASSERT_NE(nullptr, dynamic_cast<CECDlgFindContactID*>(&d));
            Type(&d, CECDlgFindContactID::IDC_ID, c.id);
            Click(&d, c.scope);
            Click(&d, IDOK);
        };
        shown.clear();
        answers = {IDNO};
        Command(1528);
        Pump();
        EXPECT_EQ(1, opened);
        const bool missed = c.after == c.selected;
        EXPECT_EQ(missed ? std::vector<CString>{"未找到指定的联系人！需要重新查找吗？"} : std::vector<CString>{},
                  Texts());
        EXPECT_EQ(c.after, tree->GetTreeCtrl().GetSelectedItem());
    }
}

TEST_F(ECFindContactTest, FindsInCardAndStatusFieldsAndSelectsTheHit) {
    Select(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    ASSERT_TRUE(FindButtonEnabled());
    CString caption;
    std::vector<CString> groups, statusFields;
    int roots = 0;
    std::vector<std::string> found;
    HTREEITEM selectedAfterDoubleClick = nullptr;
    onDialog = [&](CDialog& d) {
        auto* dlg = dynamic_cast<CECDlgFindContact*>(&d);
        ASSERT_NE(nullptr, dlg);
        d.GetWindowText(caption);
        TreeLabels(*dlg, groups, statusFields, roots);
        TypeText(&d, CDlgFindPerson::IDC_TEXT, "北京");
        Click(&d, CDlgFindPerson::IDC_FIND_ALL);
        found = Rows(*dlg);
        // A double click on the second row selects that contact in the window's tree.
        CListCtrl& list = dlg->GetResultList();
        CRect r;
        list.GetItemRect(1, &r, LVIR_LABEL);
        const QPoint row(r.CenterPoint().x, r.CenterPoint().y);
        QTest::mouseClick(list.GetWidget(), Qt::LeftButton, Qt::NoModifier, row);
        Pump();
        QTest::mouseDClick(list.GetWidget(), Qt::LeftButton, Qt::NoModifier, row);
        Pump();
        selectedAfterDoubleClick = tree->GetTreeCtrl().GetSelectedItem();
        Save(&d, "ecard-find-text");
        dlg->ShowTab(CDlgFindPerson::TAB_FIELDS);
        Save(&d, "ecard-find-fields");
        Click(&d, IDOK);
    };
    ClickFindButton();
    EXPECT_EQ("在\"我的好友\"中查找联系人/组", caption);
    EXPECT_EQ((std::vector<CString>{"个人基本信息", "家庭信息", "单位信息", "目前通讯地址",
                                    "其他信息", "状态信息"}),
              groups);
    EXPECT_EQ((std::vector<CString>{"用户名称", "目前位置", "目前活动", "用户ID"}), statusFields);
    EXPECT_EQ(1, roots) << "no group fields are offered";
    // The stranger is outside the searched group; the status field is named by its label; a
    // contact without a name of its own reads as in the tree.
    EXPECT_EQ((std::vector<std::string>{"鲍勃|目前位置", "卡罗|附注"}), found);
    EXPECT_EQ(ItemOf(kCarol), selectedAfterDoubleClick);

    // The text is kept for the next opening.
    CString text;
    Select(tree->GetRootItem());
    onDialog = [&](CDialog& d) {
        d.GetDlgItemText(CDlgFindPerson::IDC_TEXT, text);
        Click(&d, IDOK);
    };
    ClickFindButton();
    EXPECT_EQ("北京", text);
}

TEST_F(ECFindContactTest, TheStatusFieldsAloneStillSearchContactsAndTheChoicesAreItsOwn) {
    Select(tree->GetRootItem());
    std::vector<std::string> byNumber, nothingTicked;
    CString message;
    onDialog = [&](CDialog& d) {
        auto* dlg = dynamic_cast<CECDlgFindContact*>(&d);
        ASSERT_NE(nullptr, dlg);
        CFieldTree& fields = dlg->GetFieldTree();
        fields.Tick(fields.GetPersonRoot(), FALSE);
        fields.Tick(fields.FindItem(ECAC_STATE, 16), TRUE); // 用户ID only
        TypeText(&d, CDlgFindPerson::IDC_TEXT, "0000002");
        Click(&d, CDlgFindPerson::IDC_FIND_ALL);
        byNumber = Rows(*dlg);
        Click(&d, CDlgFindPerson::IDC_CLEAR_ALL);
        fields.Tick(fields.GetPersonRoot(), FALSE);
        Click(&d, CDlgFindPerson::IDC_FIND_ALL);
        nothingTicked = Rows(*dlg);
        fields.Tick(fields.FindItem(ECAC_STATE, 16), TRUE);
        Click(&d, IDOK);
    };
    ClickFindButton();
    EXPECT_EQ((std::vector<std::string>{"鲍勃|用户ID"}), byNumber);
    EXPECT_TRUE(nothingTicked.empty());
    EXPECT_TRUE(Shown("已在指定范围内完成搜索，但没有找到符合条件的联系人/组!"));

    const SFindSettings& own = CECDlgFindContact::GetECSettings();
    for (int k = 0; k < kPersonGroupCount; ++k)
        EXPECT_EQ(0u, own.personMasks[k]) << k;
    EXPECT_EQ(16u, own.personMasks[CategoryIndex(ECAC_STATE)]);
    // The address book's choices are untouched.
    const SFindSettings book;
    for (int k = 0; k < kFindMaskCount; ++k)
        EXPECT_EQ(book.personMasks[k], SFindSettings::Get().personMasks[k]) << k;

    // Reopened, the dialog shows the kept ticks.
    BOOL statusTicked = FALSE, basicTicked = TRUE;
    onDialog = [&](CDialog& d) {
        auto* dlg = dynamic_cast<CECDlgFindContact*>(&d);
        CFieldTree& fields = dlg->GetFieldTree();
        auto& t = static_cast<CTreeCtrl&>(*d.GetDlgItem(CDlgFindPerson::IDC_FIELD_TREE));
        statusTicked = t.GetCheck(fields.FindItem(ECAC_STATE, 16));
        basicTicked = t.GetCheck(fields.FindItem(PFG_BASIC));
        Click(&d, IDOK);
    };
    ClickFindButton();
    EXPECT_TRUE(statusTicked);
    EXPECT_FALSE(basicTicked);
}

} // namespace
