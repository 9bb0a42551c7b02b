// Pictures of the e-card windows with their real texts, for a person to look at: the log-in with
// local users, each page of the registration wizard, and the user's window (three groups, a
// friend, the own card, a stranger with unread messages, the account page, busy).
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECAccountDialogs.h"
#include "ecard/ui/ECBrowseContact.h"
#include "ecard/ui/ECCardForm.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECDlgLogin.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECMessageViews.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECWizardRegister.h"
#include "contacts/PersonFields.h"
#include "platform/gui/Menu.h"
#include "shell/OutbarWnd.h"
#include "shell/SmsApp.h"
#include "ui/KovMenu.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"

#include <QDir>
#include <QPainter>

using namespace ecard_ui_test;

namespace {

class ECScreensTest : public ECUiTest {
protected:
    CECUsersManager manager;

    void SetUp() override {
        ECUiTest::SetUp();
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
    }
    void TearDown() override {
        manager.CloseAll();
        ECUiTest::TearDown();
    }
    static void Save(CWnd* w, const char* name) {
        Pump();
        EXPECT_TRUE(w->GetWidget()->grab().toImage().save(
            QString::fromStdString(ScreenPath(name)), "PNG"))
            << name;
    }
};

TEST_F(ECScreensTest, LogInAndEachWizardPage) {
    StoreUser(kAlice, "alice1");
    StoreUser(kBob, "bob123");
    int logins = 0;
    onDialog = [&logins](CDialog& d) {
        if (dynamic_cast<CECDlgLogin*>(&d) != nullptr && logins++ == 0) {
            SetText(&d, CECDlgLogin::IDC_NUMBER, "20000001");
            Save(&d, "ecard-login");
            Click(&d, CECDlgLogin::IDC_NEW_USER);
        } else if (auto* w = dynamic_cast<CECWizardRegister*>(&d)) {
            Save(w, "ecard-wizard-1-auto");
            Click(w->GetActivePage(), CECPageRegSelectID::IDC_OWN);
            Type(w->GetActivePage(), CECPageRegSelectID::IDC_NUMBER, "12345678");
            Click(w->GetActivePage(), CECPageRegSelectID::IDC_ACTION);
            Save(w, "ecard-wizard-1-own");
            // The two notes under the number are written in red.
            for (int id : {CECPageRegSelectID::IDC_NOTE_NET, CECPageRegSelectID::IDC_NOTE_SPECIAL}) {
                CWnd* note = w->GetActivePage()->GetDlgItem(id);
                ASSERT_NE(nullptr, note);
                QImage img = note->GetWidget()->grab().toImage();
                bool red = false;
                for (int y = 0; y < img.height() && !red; ++y)
                    for (int x = 0; x < img.width() && !red; ++x) {
                        QColor c = img.pixelColor(x, y);
                        red = c.red() > 180 && c.green() < 90 && c.blue() < 90;
                    }
                EXPECT_TRUE(red) << id;
            }
            Click(w, ID_WIZNEXT);
            Type(w->GetActivePage(), 1007, "newuser");
            Type(w->GetActivePage(), 1012, "pass12");
            Type(w->GetActivePage(), 1013, "pass12");
            Type(w->GetActivePage(), 1020, "new@example.org");
            Save(w, "ecard-wizard-2-account");
            Click(w, ID_WIZNEXT);
            Save(w, "ecard-wizard-3-security");
            Click(w, ID_WIZNEXT);
            Save(w, "ecard-wizard-4-checkup");
            Click(w, ID_WIZNEXT);
            Save(w, "ecard-wizard-5-finish");
            w->EndDialog(IDCANCEL);
        } else {
            d.EndDialog(IDCANCEL);
        }
    };
    manager.ShowLoginDialog();
    EXPECT_EQ(2, logins);
}

TEST_F(ECScreensTest, TheUsersWindow) {
    {
        CECUserDoc doc;
        CECUser& u = doc.GetUser();
        u.SetUserNumber(kAlice);
        u.GetAccount().m_strPassword = "alice1";
        auto* colleagues = static_cast<CECGroup*>(u.GetFriends().CreateSubGroup("同事"));
        u.GetFriends().AddSubgroup(colleagues);
        CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
        bob->m_dwStatus = CECContact::STATUS_FRIEND;
        bob->SetFieldText(PF_EMAIL, "bob@example.com", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(PF_WORK_EMAIL, "bob@work.example.com", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(6, "13800001111", FALSE, 0, "\x01", "\x02");
        AddContact(u.GetFriends(), kAlice, "我自己")->m_dwStatus = CECContact::STATUS_FRIEND;
        AddContact(*colleagues, 20000005, "王工");
        CECContact* stranger = AddContact(u.GetStrangers(), 20000003, "路人");
        for (int i = 0; i < 2; ++i) {
            auto* sms = new _CSms("");
            sms->SetState(_CSms::STATE_UNREAD);
            sms->m_strContent = "你好";
            stranger->GetSmsBox(0)->AddSms(sms);
        }
        AddContact(u.GetDeregistered(), 20000004, "旧友");
        ASSERT_TRUE(doc.SaveUser());
    }
    ASSERT_TRUE(manager.OpenUserWindow(kAlice, nullptr));
    CECFrame* frame = manager.GetWindow(0);
    frame->MoveWindow(0, 0, 900, 560);
    CECContactsTreeView* tree = frame->GetTree();
    CTreeCtrl& t = tree->GetTreeCtrl();
    for (int k = CECContactsTreeView::KindFriends; k <= CECContactsTreeView::KindDeregistered; ++k)
        t.Expand(tree->GetGroupItem(k), TVE_EXPAND);
    CECUser& user = frame->GetUserDoc()->GetUser();
    HTREEITEM hStranger = tree->FindItemOf(user.GetRootGroup().FindByNumber(20000003));
    t.SelectItem(hStranger);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);

    COLORREF colour = 0;
    int unread = 0;
    EXPECT_EQ("2", tree->GetItemExtraText(hStranger, colour, unread));
    EXPECT_EQ(2, unread);
    HTREEITEM hBob = tree->FindItemOf(user.GetRootGroup().FindByNumber(kBob));
    EXPECT_EQ("(20000002)", tree->GetItemExtraText(hBob, colour, unread));
    EXPECT_EQ(RGB(0, 0, 255), colour);
    HTREEITEM hOwn = tree->FindItemOf(user.GetRootGroup().FindByNumber(kAlice));
    EXPECT_EQ("(20000001)", tree->GetItemExtraText(hOwn, colour, unread));
    EXPECT_EQ(RGB(255, 0, 0), colour);
    EXPECT_EQ("(2/3)", tree->GetItemExtraText(tree->GetGroupItem(CECContactsTreeView::KindFriends),
                                              colour, unread));
    EXPECT_EQ(0, unread);
    EXPECT_EQ(2, CECContactsTreeView::CountUnread(&user.GetStrangers()));
    Save(frame, "ecard-window-tree");

    // The tree's three menus (the contact's with its mail values), open over the window where
    // the right click was, drawn with the program's menu pictures.
    CImageList menuPictures;
    menuPictures.Create(16, 16, ILC_COLOR32 | ILC_MASK, 25, 10);
    CImageList* oldPictures = GetMenuImageList();
    for (int i = 0; i < CSmsApp::kMenuIconCount; ++i) {
        const CSmsApp::MenuIcon& row = CSmsApp::kMenuIcons[i];
        const int index = menuPictures.Add(::LoadIcon(nullptr, MAKEINTRESOURCE(row.nIcon)));
        if (index >= 0)
            g_menuImageMap.SetAt(row.nCommand, index);
    }
    SetMenuImageList(&menuPictures);
    const char* menuName = nullptr;
    AfxSetPopupMenuHook([&menuName, frame](HMENU hMenu, CWnd* pOwner, POINT pt, UINT) -> UINT {
        QWidget* window = frame->GetWidget();
        QImage shot = window->grab().toImage();
        QPainter painter(&shot);
        auto open = [&painter](const QImage& popup, QPoint at) {
            painter.fillRect(QRect(at + QPoint(3, 3), popup.size()), QColor(0, 0, 0, 60));
            painter.drawImage(at, popup);
            painter.setPen(QColor(120, 120, 120));
            painter.drawRect(QRect(at, popup.size()).adjusted(0, 0, -1, -1));
        };
        const QPoint at = window->mapFromGlobal(QPoint(pt.x, pt.y));
        const QImage popup = AfxRenderPopupMenu(hMenu, pOwner, 0);
        open(popup, at);
        CMenu* mail = CMenu::FromHandle(hMenu)->GetSubMenu(0);
        if (mail != nullptr && std::string(menuName) == "ecard-menu-contact")
            open(AfxRenderPopupMenu(mail->GetSafeHmenu(), pOwner, 0),
                 at + QPoint(popup.width() - 4, 0));
        painter.end();
        EXPECT_TRUE(shot.save(QString::fromStdString(ScreenPath(menuName)), "PNG")) << menuName;
        return 0;
    });
    const struct {
        const char* name;
        HTREEITEM item;
    } menus[] = {{"ecard-menu-root", tree->GetRootItem()},
                 {"ecard-menu-group", tree->GetGroupItem(CECContactsTreeView::KindFriends)},
                 {"ecard-menu-contact", hBob}};
    for (const auto& m : menus) {
        menuName = m.name;
        CRect r;
        ASSERT_TRUE(t.GetItemRect(m.item, &r, TRUE));
        CPoint pt = r.CenterPoint();
        t.ClientToScreen(&pt);
        tree->ShowItemMenu(m.item, pt);
    }
    AfxSetPopupMenuHook(nullptr);
    SetMenuImageList(oldPictures);
    for (int i = 0; i < CSmsApp::kMenuIconCount; ++i)
        g_menuImageMap.RemoveKey(CSmsApp::kMenuIcons[i].nCommand);

    // Busy: the animation runs and the commands are off.
    test_net::Reply slow = test_net::Reply::Text("0#");
    slow.delayMs = 800;
    server.SetReply("ecard/syncallfriends.asp", slow);
    frame->SendMessage(WM_COMMAND, 1525, 0);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    Save(frame, "ecard-window-busy");
    ASSERT_TRUE(WaitFor([frame] { return !frame->IsBusy(); }, 20000));

    frame->GetOutbar()->SelectFolder(1, TRUE);
    Save(frame, "ecard-window-account");
}

TEST_F(ECScreensTest, TheRightPanesViewsAndTheDialogs) {
    {
        CECUserDoc doc;
        CECUser& u = doc.GetUser();
        u.SetUserNumber(kAlice);
        u.GetAccount().m_strPassword = "alice1";
        u.SetName("爱丽丝");
        u.m_access[0] = 0x1;
        CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
        bob->SetFieldText(PF_MOBILE, "13900000002", FALSE, 0, "\x01", "\x02");
        bob->SetFieldText(PF_EMAIL, "bob@example.com", FALSE, 0, "\x01", "\x02");
        bob->m_access[0] = 0x81;
        bob->m_access[1] = 0x3;
        bob->m_received.SetAll(-1);
        MarkECFieldReceived(bob->m_received, PF_HOME_ADDRESS, FALSE);
        MarkECFieldReceived(bob->m_received, PF_HOME_PHONE, FALSE);
        AddContact(u.GetFriends(), 20000005, "卡罗")->m_access[0] = 0x3FFCF;
        AddContact(u.GetStrangers(), 20000003, "路人");
        ASSERT_TRUE(doc.SaveUser());
    }
    ASSERT_TRUE(manager.OpenUserWindow(kAlice, nullptr));
    CECFrame* frame = manager.GetWindow(0);
    frame->MoveWindow(0, 0, 1000, 620);
    CECContactsTreeView* tree = frame->GetTree();
    CTreeCtrl& t = tree->GetTreeCtrl();
    CECUser& user = frame->GetUserDoc()->GetUser();
    auto idle = [frame] { frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE); };
    t.SelectItem(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    idle();
    Save(frame, "ecard-contact-list");
    frame->SendMessage(WM_COMMAND, ID_EC_VIEW_ACCESS_LIST, 0);
    idle();
    Save(frame, "ecard-access-table");
    t.SelectItem(tree->FindItemOf(user.GetRootGroup().FindByNumber(kBob)));
    frame->SendMessage(WM_COMMAND, ID_EC_VIEW_CARD_FORM, 0);
    idle();
    auto* form = dynamic_cast<CFormECPerson*>(frame->GetRightPane()->GetViewWnd(EC_VIEW_CARD_FORM));
    ASSERT_NE(nullptr, form);
    Save(frame, "ecard-card-contact-state");
    const char* tabs[] = {"person", "home", "unit", "commaddr", "other"};
    for (int i = 1; i < CPSheetECPerson::PAGE_COUNT; ++i) {
        form->GetSheet().SetActivePage(i);
        Save(frame, ("ecard-card-contact-" + std::string(tabs[i - 1])).c_str());
    }
    form->GetSheet().SetActivePage(0);
    frame->SendMessage(WM_COMMAND, ID_EC_VIEW_BROWSE_CARD, 0);
    idle();
    Save(frame, "ecard-card-read-only");
    frame->GetUserDoc()->SetCurrentObject(&user);
    frame->GetRightPane()->SetMode(EC_MODE_NONE, tree);
    frame->GetRightPane()->ShowViewNumber(EC_VIEW_CARD_FORM, tree);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0);
    Save(frame, "ecard-card-own");

    // The dialogs, each as it opens.
    std::vector<CObject*> two = {user.GetRootGroup().FindByNumber(kBob),
                                 user.GetRootGroup().FindByNumber(20000005)};
    struct Shot {
        const char* name;
        std::function<void(CDialog&)> act;
    };
    auto take = [&](const Shot& shot, CDialog& dlg) {
        onDialog = [&](CDialog& d) {
            if (shot.act)
                shot.act(d);
            Save(&d, shot.name);
            d.EndDialog(IDCANCEL);
        };
        dlg.DoModal();
    };
    {
        CECDlgModifyAccess d(&user, two, frame);
        take({"ecard-access-dialog", nullptr}, d);
    }
    {
        CECDlgModifyAccess d(&user, two, frame);
        take({"ecard-access-dialog-states",
              [](CDialog& dlg) {
                  auto& a = static_cast<CECDlgModifyAccess&>(dlg);
                  a.FindButton(1107)->SetState(1);
                  a.FindButton(1108)->SetState(2);
                  a.FindButton(1109)->SetState(0);
              }},
             d);
    }
    {
        CECDlgModifyAccess d(&user, {}, frame);
        take({"ecard-access-dialog-default", nullptr}, d);
    }
    {
        CECDlgChangePassword d(&user, frame);
        take({"ecard-dialog-password", nullptr}, d);
    }
    {
        CECDlgDeregister d(&user, frame);
        take({"ecard-dialog-deregister", nullptr}, d);
    }
    {
        user.GetAccount().m_strSecureEmail = "safe@example.com";
        CECDlgModifyAccount d(&user, frame);
        take({"ecard-dialog-account", nullptr}, d);
    }
    {
        CECDlgLeaveMessage d(&user, "20000002", frame);
        take({"ecard-dialog-leave-message",
              [](CDialog& dlg) {
                  static_cast<CECDlgLeaveMessage&>(dlg).InsertText(
                      "您好！您可以看到我的%ACCESSIBLE_FIELDS%。");
              }},
             d);
    }
}

TEST_F(ECScreensTest, TheMessageViewWithItsCountsAndTheComposeDialog) {
    {
        CECUserDoc doc;
        CECUser& u = doc.GetUser();
        u.SetUserNumber(kAlice);
        u.GetAccount().m_strPassword = "alice1";
        u.GetAccount().m_strUserName = "爱丽丝";
        CECContact* bob = AddContact(u.GetFriends(), kBob, "鲍勃");
        bob->m_received.SetAll(-1);
        bob->m_access[0] = 0x81;
        auto add = [bob](int nType, int nState, const char* subject, const char* text) {
            auto* p = new _CSms("");
            p->SetState(nState);
            p->m_nKind = _CSms::KIND_NOTE;
            p->m_strSubject = subject;
            p->m_strContent = text;
            p->m_sender = CNameCodeString(nType == 0 ? "鲍勃" : "爱丽丝", nType == 0 ? "20000002" : "20000001");
            p->m_recipient = CNameCodeString(nType == 0 ? "爱丽丝" : "鲍勃", nType == 0 ? "20000001" : "20000002");
            p->SetTime(CTime(2024, 3, 4, 5, 6, 7));
            dynamic_cast<_CSmsBox*>(bob->GetSmsBox().FindSubBoxByType(nType))->AddSms(p);
        };
        add(0, _CSms::STATE_UNREAD, "周末", "周六一起去爬山吗？");
        add(0, _CSms::STATE_UNREAD, "资料", "我的名片已经更新了。");
        add(0, _CSms::STATE_READ, "你好", "很高兴认识你。");
        add(1, _CSms::STATE_PENDING, "回复", "好的，周六见。");
        add(1, _CSms::STATE_DRAFT, "草稿", "还没写完……");
        ASSERT_TRUE(doc.SaveUser());
    }
    ASSERT_TRUE(manager.OpenUserWindow(kAlice, nullptr));
    CECFrame* frame = manager.GetWindow(0);
    frame->MoveWindow(0, 0, 1000, 620);
    CECContactsTreeView* tree = frame->GetTree();
    CECUser& user = frame->GetUserDoc()->GetUser();
    CECContact* bob = user.GetRootGroup().FindByNumber(kBob);
    tree->GetTreeCtrl().SelectItem(tree->FindItemOf(bob));
    frame->SendMessage(WM_COMMAND, ID_EC_VIEW_MESSAGES, 0);
    auto* view = dynamic_cast<CECMessageContainerView*>(
        frame->GetRightPane()->GetViewWnd(EC_VIEW_MESSAGES));
    ASSERT_NE(nullptr, view);
    CECMessageTreeView* boxes = view->GetTree();
    boxes->GetTreeCtrl().SelectItem(
        boxes->FindBoxItem(dynamic_cast<_CSmsBox*>(bob->GetSmsBox().FindSubBoxByType(0))));
    CListCtrl& rows = view->GetListContainer()->GetMessageList()->GetListCtrl();
    rows.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    Save(frame, "ecard-messages");

    onDialog = [](CDialog& d) {
        SetText(&d, CDlgEditSms::IDC_SUBJECT, "我的资料");
        static_cast<CDlgEditECMessage&>(d).InsertText(
            "你好！你可以看到我的%ACCESSIBLE_FIELDS%，看不到%UNACCESSIBLE_FIELDS%。");
        Save(&d, "ecard-dialog-compose");
        d.EndDialog(IDCANCEL);
    };
    EditECMessage(&user, bob, nullptr, nullptr, frame);
}

} // namespace
