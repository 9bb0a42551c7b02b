// The "短信管理" folder in the running program: sender files made, opened, saved and closed in the
// senders tree, the active account that listens and sends through the service's stand-in, and
// the boxes of an account.
#include "contacts/module/tests/ProgramTest.h"
#include "contacts/ui/FormNamebook.h"
#include "contacts/ui/PagePerson.h"
#include "core/Checksum.h"
#include "links/CommDevice.h"
#include "links/ServiceAddress.h"
#include "platform/base/File.h"
#include "platform/base/ModuleDir.h"
#include "platform/sys/Sound.h"
#include "platform/base/OsPath.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "sms/Sms.h"
#include "sms/module/SmsModule.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/DlgSmsAccount.h"
#include "sms/ui/DlgSmsBoxInfo.h"
#include "sms/ui/SmsView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/DocTemplate.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/ui/SenderForm.h"
#include "sms/ui/SendersView.h"
#include "sms/ui/WizardRegsmsuser.h"
#include "ui/DlgInputPassword.h"
#include "ui/DlgModifyPassword.h"
#include "testsupport/ECardService.h"
#include "testsupport/NetTestEnv.h"

#include <QAbstractScrollArea>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include "platform/gui/Controls.h"
#include <functional>

namespace {

// A loopback port free at the time of asking.
UINT FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(fd);
    return ntohs(a.sin_port);
}

class SendersProgramTest : public ContactsProgramTest {
protected:
    SendersProgramTest() : ContactsProgramTest(IDOK) {}

    CSmsModule smsModule;
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    UINT oldPort = 0;
    std::unique_ptr<CSmsApp> app;
    CSendersView* tree = nullptr;

    void SetUp() override {
        ContactsProgramTest::SetUp();
        AfxRegisterShellModule(&smsModule);
        oldPort = CSendersView::SetListenPort(FreePort());
        app = Start();
        ASSERT_NE(app, nullptr);
        tree = smsModule.GetSendersTree();
        ASSERT_NE(tree, nullptr);
    }
    void TearDown() override {
        if (app) {
            answers.assign(8, IDNO);
            Exit(*app);
        }
        app.reset();
        CSendersView::SetListenPort(oldPort);
        ContactsProgramTest::TearDown();
    }

    CString Path(const char* name) { return (dir.str() + "/" + name).c_str(); }
    CSenderTreeDoc* Doc(int i) {
        CGroupTreeView::CFileInfo* p = tree->GetFileAt(i);
        return p != nullptr ? dynamic_cast<CSenderTreeDoc*>(p->pDoc) : nullptr;
    }
    // A new account made through the tree's command and a save dialog answered with the path.
    CSenderTreeDoc* NewAccount(const char* name) {
        AnswerFile(Path(name));
        int before = tree->GetFileCount();
        tree->SendMessage(WM_COMMAND, CSendersView::ID_ACCOUNT_NEW);
        onDialog = nullptr;
        return tree->GetFileCount() > before ? Doc(tree->GetFileCount() - 1) : nullptr;
    }
    // A sender file on disk, written outside the program.
    CString WriteAccount(const char* file, const char* name, int nInbox = 0) {
        CSenderDoc doc(TRUE);
        doc.GetSender().GetName() = name;
        auto* inbox = static_cast<_CSmsBox*>(doc.GetRootBox().FindSubBoxByType(0));
        for (int i = 0; i < nInbox; ++i) {
            auto* sms = new _CSms("主题");
            sms->m_strContent = "来信";
            sms->SetState(_CSms::STATE_UNREAD);
            inbox->AddSms(sms);
        }
        CString path = Path(file);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }
    // The user clicks the "短信管理" button of the navigation bar.
    void OpenSmsFolder() {
        COutbarWnd* bar = app->GetMainFrame()->GetOutbar();
        CRect rc;
        ASSERT_TRUE(bar->GetButtonRect(FolderSms, rc));
        QTest::mouseClick(bar->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        ASSERT_EQ(bar->GetSelFolder(), (int)FolderSms);
    }
    // A real mouse drag of one tree item onto another.
    void DragItem(HTREEITEM item, HTREEITEM target, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        CTreeCtrl& ctrl = tree->GetTreeCtrl();
        CRect from, to;
        ctrl.GetItemRect(item, &from, TRUE);
        ctrl.GetItemRect(target, &to, TRUE);
        QWidget* w = ctrl.GetWidget();
        auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
            QPointF local(pt.x, pt.y);
            QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, mods);
            QCoreApplication::sendEvent(w, &e);
        };
        send(QEvent::MouseButtonPress, from.CenterPoint(), Qt::LeftButton);
        send(QEvent::MouseMove, from.CenterPoint() + CPoint(0, 8), Qt::LeftButton);
        send(QEvent::MouseMove, to.CenterPoint(), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to.CenterPoint(), Qt::NoButton);
        Pump();
    }
    // A right click on the item with the menu answered by picking the command (when it is
    // enabled). Answers the command's state in the menu, -1 when no menu came.
    UINT PickFromMenu(HTREEITEM hItem, UINT nCmd) {
        UINT state = (UINT)-1;
        PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
            state = CMenu::FromHandle(hMenu)->GetMenuState(nCmd, MF_BYCOMMAND);
            return state & (MF_GRAYED | MF_DISABLED) ? 0u : nCmd;
        });
        CRect rc;
        tree->GetTreeCtrl().GetItemRect(hItem, &rc, TRUE);
        QTest::mouseClick(tree->GetTreeCtrl().GetWidget(), Qt::RightButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        AfxSetPopupMenuHook(old);
        return state;
    }
    // The message list the right pane shows for the selected box.
    CSmsView* ShownList() {
        auto* view = dynamic_cast<CSplitterView*>(
            app->GetMainFrame()->GetRightPane()->GetCurrentView());
        return view != nullptr ? view->GetSmsList() : nullptr;
    }
    // A real mouse drag of a list row onto a tree item (the list's subject column is grabbed).
    void DragRow(CListCtrl& list, int row, HTREEITEM target,
                 Qt::KeyboardModifiers mods = Qt::NoModifier) {
        CRect from, to;
        list.GetItemRect(row, &from, LVIR_BOUNDS);
        tree->GetTreeCtrl().GetItemRect(target, &to, TRUE);
        CPoint start(200, from.CenterPoint().y);
        CPoint end = to.CenterPoint();
        tree->GetTreeCtrl().ClientToScreen(&end);
        list.ScreenToClient(&end);
        QWidget* w = list.GetWidget();
        auto send = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
            QPointF local(pt.x, pt.y);
            QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, mods);
            QCoreApplication::sendEvent(w, &e);
        };
        send(QEvent::MouseButtonPress, start, Qt::LeftButton);
        send(QEvent::MouseMove, start + CPoint(0, 8), Qt::LeftButton);
        send(QEvent::MouseMove, end, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, end, Qt::NoButton);
        Pump();
    }
    // The compose form opened from the box by the frame's command, with a number and the text
    // typed; null when no form came.
    CEditSmsForm* WriteFrom(_CSmsBox* box, const char* text) {
        tree->GetTreeCtrl().SelectItem((HTREEITEM)box->GetTreeItem());
        Pump();
        CMainFrame* frame = app->GetMainFrame();
        frame->SendMessage(WM_COMMAND, CSendersView::ID_WRITE_SMS);
        Pump();
        auto* form = dynamic_cast<CEditSmsForm*>(frame->GetRightPane()->GetCurrentWnd());
        if (form == nullptr)
            return nullptr;
        QTest::keyClicks(form->GetDlgItem(CEditSmsForm::IDC_SINGLE)->GetWidget(), "13900139000");
        QTest::keyClicks(form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget(), text);
        return form;
    }
    // A book whose group 家人 holds 王芳, opened in the running program with the group expanded
    // in the address-book tree; null when any step failed.
    _CPerson* OpenFamilyBook() {
        if (app->GetMainFrame()->OpenFileByExtension(WriteBook("book.sms", "我的通讯录", "王芳")) ==
            nullptr)
            return nullptr;
        CLeftView* contacts = module.GetTree();
        auto* bookDoc = static_cast<CSmsDoc*>(contacts->GetFileAt(0)->pDoc);
        auto* family =
            dynamic_cast<_CGroup*>(bookDoc->GetRootGroup().FindByName("家人", TRUE, FALSE, TRUE));
        if (family == nullptr)
            return nullptr;
        contacts->GetTreeCtrl().Expand(contacts->GetFileAt(0)->hItem, TVE_EXPAND);
        contacts->GetTreeCtrl().Expand((HTREEITEM)family->GetTreeItem(), TVE_EXPAND);
        return dynamic_cast<_CPerson*>(family->FindByName("王芳", FALSE, TRUE, TRUE));
    }
    bool Shown(const char* text) const {
        for (const auto& c : shown)
            if (c.text.Find(text) >= 0)
                return true;
        return false;
    }
};

TEST_F(SendersProgramTest, ANewAccountIsSavedAtOnceNamedAfterItsFileAndBecomesActive) {
    CSenderTreeDoc* doc = NewAccount("张三.sdr");
    ASSERT_NE(doc, nullptr);
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus(Path("张三.sdr"), status)) << "made on disk at once";
    EXPECT_EQ(doc->GetSender().GetName(), "张三");
    EXPECT_EQ(4, doc->GetRootBox().GetSubBoxCount()) << "the standard boxes";
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &doc->GetSender()) << "the only file";
    EXPECT_TRUE(doc->IsListening());
    EXPECT_EQ(tree->GetItemKind(tree->GetCurrentItem()), CSendersView::KindAccount);
    // The title names the folder and the account.
    CString title;
    app->GetMainFrame()->GetWindowText(title);
    EXPECT_NE(title.Find(" - 短信管理 - 张三"), -1) << title.GetString();
}

// A new user's first file dialog opens in the home folder, later ones where the last sender
// file was made, opened or saved.
TEST_F(SendersProgramTest, FileDialogsOpenAtHomeFirstThenWhereTheLastSenderFileWas) {
    test_folders::TempDir home;
    test_folders::ScopedEnv homeEnv{"HOME", home.str().c_str()};
    std::vector<CString> folders;
    auto watch = [&](const char* answer) {
        onDialog = [&folders, answer](CDialog& d) {
            auto* f = dynamic_cast<CFileDialog*>(&d);
            if (f == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            folders.push_back(f->m_ofn.lpstrInitialDir != nullptr ? f->m_ofn.lpstrInitialDir : "");
            if (answer == nullptr) {
                f->EndDialog(IDCANCEL);
                return;
            }
            CStringArray a;
            a.Add(answer);
            f->Answer(a);
            f->EndDialog(IDOK);
        };
    };
    const CString accounts = Path("帐户");
    ASSERT_TRUE(CreatePrivateFolders(OsPathFromProgramPath(accounts)));
    const CString made = accounts + "/一.sdr";
    watch(made.GetString());
    tree->SendMessage(WM_COMMAND, CSendersView::ID_ACCOUNT_NEW);
    ASSERT_EQ(tree->GetFileCount(), 1);
    const CString others = Path("别处");
    ASSERT_TRUE(CreatePrivateFolders(OsPathFromProgramPath(others)));
    const CString opened = WriteAccount("别处/二.sdr", "二");
    watch(opened.GetString());
    tree->SendMessage(WM_COMMAND, 0xE101); // the tool bar's 打开
    ASSERT_EQ(tree->GetFileCount(), 2);
    watch(nullptr);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_ACCOUNT_NEW);
    onDialog = nullptr;
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], ProgramPathFromOsPath(home.str())) << "nothing opened yet";
    EXPECT_EQ(folders[1], accounts) << "where the new account was made";
    EXPECT_EQ(folders[2], others) << "where the last file was opened";
}

TEST_F(SendersProgramTest, TheListenerMovesWithTheActiveAccountAndClosingItMakesTheNextActive) {
    CSenderTreeDoc* first = NewAccount("甲.sdr");
    CSenderTreeDoc* second = NewAccount("乙.sdr");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &first->GetSender()) << "the first stays";
    EXPECT_FALSE(second->IsListening());

    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(1)->hItem);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SET_ACTIVE);
    EXPECT_FALSE(first->IsListening()) << "the old listener stops before the new one starts";
    EXPECT_TRUE(second->IsListening());
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &second->GetSender());

    tree->SendMessage(WM_COMMAND, CSendersView::ID_CANCEL_ACTIVE);
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), nullptr);
    EXPECT_FALSE(second->IsListening());

    tree->SendMessage(WM_COMMAND, CSendersView::ID_SET_ACTIVE);
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_CLOSE);
    ASSERT_EQ(1, tree->GetFileCount());
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &first->GetSender());
    EXPECT_TRUE(first->IsListening());
}

TEST_F(SendersProgramTest, APortTakenByAnotherProgramIsReportedAndTheAccountStaysActive) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a));
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ASSERT_EQ(0, ::listen(fd, 1));
    CSendersView::SetListenPort(ntohs(a.sin_port));

    CSenderTreeDoc* doc = NewAccount("丙.sdr");
    ::close(fd);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(Shown("发信人侦听失败!"));
    EXPECT_FALSE(doc->IsListening());
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &doc->GetSender());
}

TEST_F(SendersProgramTest, ANewAccountAsksBeforeReplacingAFileAndRefusesAnOpenOne) {
    CString other = WriteAccount("李四.sdr", "李四", 2);
    std::ifstream in(OsPathFromProgramPath(other), std::ios::binary);
    ASSERT_TRUE(in.good());
    std::string before((std::istreambuf_iterator<char>(in)), {});
    in.close();

    answers = {IDNO};
    EXPECT_EQ(NewAccount("李四.sdr"), nullptr);
    EXPECT_TRUE(Shown("要替换它吗"));
    std::ifstream again(OsPathFromProgramPath(other), std::ios::binary);
    std::string after((std::istreambuf_iterator<char>(again)), {});
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(before, after) << "the other account's file is untouched";

    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(other), nullptr);
    shown.clear();
    EXPECT_EQ(NewAccount("李四.sdr"), nullptr);
    EXPECT_TRUE(Shown("已经被打开"));
    EXPECT_EQ(1, tree->GetFileCount());
    EXPECT_EQ(2, Doc(0)->GetRootBox().CountSmsByState(-1, TRUE));
}

TEST_F(SendersProgramTest, AFileNamedAnotherWayIsTheSameOpenFile) {
    CString path = WriteAccount("王五.sdr", "王五");
    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(path), nullptr);
    ::mkdir((dir.str() + "/sub").c_str(), 0700);
    for (CString other : {Path("sub/../王五.sdr"), Path("./王五.sdr")}) {
        shown.clear();
        EXPECT_EQ(app->GetMainFrame()->OpenFileByExtension(other), nullptr) << other.GetString();
        EXPECT_TRUE(Shown("已经被打开"));
        EXPECT_EQ(1, tree->GetFileCount());
    }
}

TEST_F(SendersProgramTest, ThreeFilesOpenAtOnceAndOneAlreadyOpenIsReported) {
    CString a = WriteAccount("a.sdr", "帐户A"), b = WriteAccount("b.sdr", "帐户B"),
            c = WriteAccount("c.sdr", "帐户C", 3);
    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(b), nullptr);
    onDialog = [&](CDialog& d) {
        auto* f = dynamic_cast<CFileDialog*>(&d);
        ASSERT_NE(f, nullptr);
        CStringArray paths;
        paths.Add(a);
        paths.Add(b);
        paths.Add(c);
        f->Answer(paths);
        f->EndDialog(IDOK);
    };
    shown.clear();
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_OPEN);
    onDialog = nullptr;
    ASSERT_EQ(3, tree->GetFileCount());
    EXPECT_TRUE(Shown("已经被打开"));
    EXPECT_EQ(Doc(2)->GetSender().GetName(), "帐户C");
    EXPECT_EQ(3, Doc(2)->GetRootBox().CountSmsByState(_CSms::STATE_UNREAD, TRUE));
    std::vector<CString> open = smsModule.GetOpenFiles(".sdr");
    EXPECT_EQ(3u, open.size());
}

TEST_F(SendersProgramTest, ADamagedFileFailsToOpenAndAddsNoRoot) {
    CString path = Path("坏.sdr");
    {
        std::ofstream out(OsPathFromProgramPath(path), std::ios::binary);
        out << std::string("\x3c\x00\x01\x00garbage that is not an account", 34);
    }
    EXPECT_EQ(app->GetMainFrame()->OpenFileByExtension(path), nullptr);
    EXPECT_EQ(0, tree->GetFileCount());
    EXPECT_TRUE(Shown("打开文档失败")) << (shown.empty() ? "nothing shown" : shown[0].text.GetString());
}

TEST_F(SendersProgramTest, SavedBoxesMessagesAndSettingsComeBackWhenReopened) {
    CSenderTreeDoc* doc = NewAccount("往返.sdr");
    ASSERT_NE(doc, nullptr);
    doc->GetSender().GetMobileInfo().m_strMobileNumber = "13800138000";
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    _CSmsBox* mine = outbox->AddSubBox("我的", CMsgBoxBase::BOX_USER);
    auto* sms = new _CSms("主题");
    sms->m_strContent = "明天见";
    sms->SetState(_CSms::STATE_PENDING);
    mine->AddSms(sms);
    doc->SetModifiedFlag(TRUE);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_SAVE);
    EXPECT_FALSE(doc->IsModified());
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_CLOSE);
    ASSERT_EQ(0, tree->GetFileCount());
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), nullptr);

    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(Path("往返.sdr")), nullptr);
    CSenderTreeDoc* back = Doc(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetSender().GetMobileInfo().m_strMobileNumber, "13800138000");
    auto* outbox2 = static_cast<_CSmsBox*>(back->GetRootBox().FindSubBoxByType(1));
    ASSERT_NE(outbox2, nullptr);
    ASSERT_EQ(1, outbox2->GetSubBoxCount());
    EXPECT_EQ(1, outbox2->CountSmsByState(_CSms::STATE_PENDING, TRUE));
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &back->GetSender());
}

// A message to a contact written from the address book and kept in the active account's outbox
// (where a new program keeps it) belongs to the account's file: the program asks to save it on
// the way out, and the file opened again holds it.
TEST_F(SendersProgramTest, AMessageToAContactKeptInTheSendersOutboxIsSavedWithTheAccount) {
    CSenderTreeDoc* doc = NewAccount("发信.sdr");
    ASSERT_NE(doc, nullptr);
    ASSERT_FALSE(doc->IsModified());
    ASSERT_EQ(app->GetCommHost().GetActiveSender(), &doc->GetSender());
    _CPerson* person = OpenFamilyBook();
    ASSERT_NE(person, nullptr);
    CLeftView* contacts = module.GetTree();
    auto* bookDoc = static_cast<CSmsDoc*>(contacts->GetFileAt(0)->pDoc);
    person->GetInfo().m_personal.mobiles.AddTail(CXString(CString("13912345678")));
    contacts->SetMode(CLeftView::ModeMessages);
    contacts->GetTreeCtrl().SelectItem((HTREEITEM)person->GetTreeItem());
    Pump();

    CDlgEditSms::SavePlace() = CDlgEditSms::PlaceSender;
    bool bSenderPlace = false;
    onDialog = [&](CDialog& d) {
        bSenderPlace = d.IsDlgButtonChecked(CDlgEditSms::IDC_PLACE_SENDER) != 0;
        CWnd* edit = d.GetDlgItem(CDlgEditSms::IDC_TEXT);
        edit->SetFocus();
        QTest::keyClicks(edit->GetWidget(), "see you");
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditSms::IDC_PENDING, BN_CLICKED));
    };
    app->GetMainFrame()->SendMessage(WM_COMMAND, CLeftView::ID_SEND_SMS);
    onDialog = nullptr;
    EXPECT_TRUE(bSenderPlace) << "the account's box is offered first";
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    ASSERT_EQ(1, outbox->CountSmsByState(_CSms::STATE_PENDING, TRUE));
    EXPECT_EQ(0, person->CountSmsByState(-1));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(bookDoc->IsModified());

    answers.assign(4, IDYES);
    shown.clear();
    ASSERT_TRUE(Exit(*app));
    app.reset();
    EXPECT_TRUE(Shown("是否保存对 发信 的更改?"));

    app = Start();
    ASSERT_NE(app, nullptr);
    tree = smsModule.GetSendersTree();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(Path("发信.sdr")), nullptr);
    CSenderTreeDoc* back = Doc(0);
    ASSERT_NE(back, nullptr);
    auto* outbox2 = static_cast<_CSmsBox*>(back->GetRootBox().FindSubBoxByType(1));
    ASSERT_NE(outbox2, nullptr);
    ASSERT_EQ(1, outbox2->GetSmsCount());
    POSITION pos = outbox2->GetFirstSmsPosition();
    const _CSms* kept = outbox2->GetNextSms(pos);
    EXPECT_EQ(kept->m_strContent, "see you");
    EXPECT_EQ(kept->GetState(), _CSms::STATE_PENDING);
    EXPECT_EQ(kept->m_recipient.GetCode(), "13912345678");
}

TEST_F(SendersProgramTest, PendingMessagesOfTheOutboxGoThroughTheGatewayAndAreFiledAsSent) {
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    CSenderTreeDoc* doc = NewAccount("发送.sdr");
    ASSERT_NE(doc, nullptr);
    doc->GetSender().GetRecord().m_remote.m_strUserId = "13800138000";
    doc->GetSender().GetRecord().m_remote.m_strPassword = "pw";
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    _CSmsBox* sub = outbox->AddSubBox("我的", CMsgBoxBase::BOX_USER);
    for (const char* text : {"first", "second"}) {
        auto* sms = new _CSms("主题");
        sms->m_strContent = text;
        sms->m_recipient = CNameCodeString("13912345678");
        sms->SetState(_CSms::STATE_PENDING);
        (text[0] == 'f' ? outbox : sub)->AddSms(sms);
    }
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SEND_PENDING);
    ASSERT_TRUE(WaitFor([&] { return server.Requests().size() >= 2; }, 5000));
    EXPECT_EQ(0, outbox->CountSmsByState(_CSms::STATE_PENDING, TRUE));
    auto* sent = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(2));
    EXPECT_EQ(2, sent->CountSmsByState(_CSms::STATE_SENT, TRUE));
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(SendersProgramTest, AMessageSentByOneAccountArrivesInTheInboxOfTheNumbersAccount) {
    test_net::ECardService service;
    service.Attach(server);
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    CSenderTreeDoc* from = NewAccount("小王.sdr");
    CSenderTreeDoc* to = NewAccount("小李.sdr");
    ASSERT_NE(from, nullptr);
    ASSERT_NE(to, nullptr);
    from->GetSender().GetRecord().m_remote.m_strUserId = "13800138000";
    to->GetSender().GetRecord().m_remote.m_strUserId = "13900139000";
    auto* outbox = static_cast<_CSmsBox*>(from->GetRootBox().FindSubBoxByType(1));
    auto* sms = new _CSms("主题");
    sms->m_strContent = "see you";
    sms->m_recipient = CNameCodeString("13900139000");
    sms->SetState(_CSms::STATE_PENDING);
    outbox->AddSms(sms);
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SEND_PENDING);

    int received = 0;
    EXPECT_EQ(0, app->GetCommDevice().FetchIncomingSms(to->GetSender(), received));
    EXPECT_EQ(1, received);
    auto* inbox = static_cast<_CSmsBox*>(to->GetRootBox().FindSubBoxByType(0));
    ASSERT_EQ(1, inbox->CountSmsByState(_CSms::STATE_UNREAD, TRUE)) << "filed for its account";
    POSITION pos = inbox->GetFirstSmsPosition();
    EXPECT_EQ(inbox->GetNextSms(pos)->m_strContent, "see you");
    EXPECT_TRUE(to->IsModified());
    EXPECT_EQ(0, app->GetCommDevice().FetchIncomingSms(to->GetSender(), received));
    EXPECT_EQ(0, received) << "handed over once";
    app->GetMainFrame()->GetOutbar()->SelectFolder(FolderSms, TRUE);
    tree->GetTreeCtrl().SelectItem((HTREEITEM)inbox->GetTreeItem());
    Pump();
    app->GetMainFrame()->SaveScreenshot(ScreenPath("sms-senders-after-receiving").c_str());
}

TEST_F(SendersProgramTest, ArrivedMessagesAreFiledInTheActiveInboxAndLeaveTheStoreOnSave) {
    CSenderTreeDoc* doc = NewAccount("收信.sdr");
    ASSERT_NE(doc, nullptr);
    auto* sms = new _CSms("主题");
    sms->m_strContent = "你好";
    LRESULT r = app->GetCommDevice().DeliverIncomingSms(sms, &doc->GetSender());
    EXPECT_NE(0, r);
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    EXPECT_EQ(1, inbox->CountSmsByState(_CSms::STATE_UNREAD, TRUE));
    EXPECT_TRUE(doc->IsModified());
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_FILE_SAVE);
    EXPECT_EQ(0, app->GetCommDevice().LoadIncomingSms()) << "the store let go of it";
}

TEST_F(SendersProgramTest, BoxesAreMadeAndDeletedAfterTheRulesAndLeaveThePaneFirst) {
    CSenderTreeDoc* doc = NewAccount("信箱.sdr");
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& t = tree->GetTreeCtrl();
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    HTREEITEM hInbox = (HTREEITEM)inbox->GetTreeItem();
    EXPECT_EQ(tree->NewBoxName(tree->GetFileAt(0)->hItem), "新信箱");
    EXPECT_EQ(tree->NewBoxName(hInbox), "新" + CMsgBoxBase::GetTypeName(0));

    // A new box under the inbox, named in its label edit.
    t.SelectItem(hInbox);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_BOX_NEW);
    CEdit* edit = t.GetEditControl();
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("work");
    QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
    Pump();
    _CSmsBox* made = inbox->GetSubBoxCount() == 1 ? inbox->GetSubBoxAt(0) : nullptr;
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetName(), "work");
    EXPECT_EQ(made->GetBoxType(), CMsgBoxBase::BOX_USER);
    EXPECT_TRUE(doc->IsModified());
    // Empty, it goes without a question.
    shown.clear();
    ASSERT_TRUE(tree->DeleteBox((HTREEITEM)made->GetTreeItem()));
    EXPECT_TRUE(shown.empty());

    // Every standard box stays: the command is off for it, and asked directly the tree says why.
    for (int type = CMsgBoxBase::BOX_INBOX; type <= CMsgBoxBase::BOX_RECYCLE; ++type) {
        SCOPED_TRACE(type);
        auto* standard = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(type));
        ASSERT_NE(standard, nullptr);
        HTREEITEM hStandard = (HTREEITEM)standard->GetTreeItem();
        t.SelectItem(hStandard);
        shown.clear();
        tree->SendMessage(WM_COMMAND, CSendersView::ID_BOX_DELETE);
        EXPECT_TRUE(shown.empty());
        EXPECT_FALSE(tree->DeleteBox(hStandard));
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(shown[0].text, "标准信箱不允许删除！");
        EXPECT_EQ(4, doc->GetRootBox().GetSubBoxCount());
    }

    // A user box with a message in a sub-box, shown in the pane, asks; "no" keeps it.
    _CSmsBox* box = inbox->AddSubBox("朋友", CMsgBoxBase::BOX_USER);
    _CSmsBox* inner = box->AddSubBox("老同学", CMsgBoxBase::BOX_USER);
    inner->AddSms(new _CSms("主题"));
    HTREEITEM hBox = tree->GetGroupHelper().InsertGroupItem(hInbox, box, TVI_LAST,
                                                            tree->GetGroupHelper().m_nInsertFlags);
    ASSERT_NE(hBox, nullptr);
    t.Expand(hBox, TVE_EXPAND);
    t.SelectItem((HTREEITEM)inner->GetTreeItem());
    EXPECT_EQ(doc->GetCurrentBoxObject(), inner);
    answers = {IDNO};
    EXPECT_FALSE(tree->DeleteBox(hBox));
    EXPECT_EQ(1, inbox->GetSubBoxCount());
    answers = {IDYES};
    EXPECT_TRUE(tree->DeleteBox(hBox));
    EXPECT_EQ(0, inbox->GetSubBoxCount());
    EXPECT_EQ(t.GetSelectedItem(), hInbox) << "the parent is shown";
    EXPECT_EQ(doc->GetCurrentBoxObject(), inbox);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(SendersProgramTest, AProtectedAccountLocksWhenCollapsedAndOpensOnlyWithItsPassword) {
    enum { IDC_PASSWORD_CONFIRM = 1007, IDC_PASSWORD = 1009 };
    CSenderTreeDoc* doc = NewAccount("口令.sdr");
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag(FALSE);
    HTREEITEM hAccount = tree->GetFileAt(0)->hItem;
    CTreeCtrl& t = tree->GetTreeCtrl();
    // The user types the password twice in the access password dialog, or once to unlock.
    auto typing = [this](const char* password) {
        onDialog = [password](CDialog& d) {
            d.SetDlgItemText(IDC_PASSWORD, password);
            if (d.GetDlgItem(IDC_PASSWORD_CONFIRM) != nullptr &&
                dynamic_cast<CDlgModifyPassword*>(&d) != nullptr)
                d.SetDlgItemText(IDC_PASSWORD_CONFIRM, password);
            d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        };
    };
    t.SelectItem(hAccount);
    typing("mima1");
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_PASSWORD);
    EXPECT_TRUE(doc->GetSender().GetFlags() & CMsgAccountBase::FLAG_PASSWORD);
    EXPECT_TRUE(doc->IsModified());

    t.Expand(hAccount, TVE_COLLAPSE);
    EXPECT_TRUE(doc->GetSender().IsLocked());
    EXPECT_EQ(t.GetSelectedItem(), tree->GetTopItem()) << "the top item is shown instead";

    shown.clear();
    typing("wrong");
    t.SelectItem(hAccount);
    EXPECT_TRUE(doc->GetSender().IsLocked());
    EXPECT_EQ(t.GetSelectedItem(), tree->GetTopItem());
    EXPECT_TRUE(Shown("对不起，密码错误，您无权访问！"));

    typing("mima1");
    t.SelectItem(hAccount);
    EXPECT_FALSE(doc->GetSender().IsLocked());
    EXPECT_EQ(t.GetSelectedItem(), hAccount);

    // Clearing the password removes the protection and marks the file modified.
    doc->SetModifiedFlag(FALSE);
    answers = {IDYES};
    typing("");
    tree->SendMessage(WM_COMMAND, CGroupTreeView::ID_PASSWORD);
    onDialog = nullptr;
    EXPECT_FALSE(doc->GetSender().GetFlags() & CMsgAccountBase::FLAG_PASSWORD);
    EXPECT_TRUE(doc->IsModified());
    t.Expand(hAccount, TVE_COLLAPSE);
    EXPECT_FALSE(doc->GetSender().IsLocked());
}

TEST_F(SendersProgramTest, RenamingAnAccountRenamesItsAccountAndMarksTheFile) {
    CSenderTreeDoc* doc = NewAccount("改名.sdr");
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag(FALSE);
    CTreeCtrl& t = tree->GetTreeCtrl();
    t.SelectItem(tree->GetFileAt(0)->hItem);
    tree->SendMessage(WM_COMMAND, CSendersView::ID_ACCOUNT_RENAME);
    CEdit* edit = t.GetEditControl();
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("工作帐户");
    QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
    Pump();
    EXPECT_EQ(doc->GetSender().GetName(), "工作帐户");
    EXPECT_TRUE(doc->IsModified());
    CString title;
    app->GetMainFrame()->GetWindowText(title);
    EXPECT_NE(title.Find("工作帐户"), -1) << title.GetString();
    EXPECT_NE(title.Find("（已修改）"), -1);
}

TEST_F(SendersProgramTest, ThreeAccountsShowTheActiveOneTheModifiedMarkTheCountsAndTheLock) {
    CString a = WriteAccount("工作.sdr", "工作", 2), b = WriteAccount("家庭.sdr", "家庭", 1);
    {
        CSenderDoc locked(TRUE);
        locked.GetSender().GetName() = "私人";
        locked.GetSender().SetPasswordChecksum(CalcStringChecksum("mima1"));
        locked.GetSender().ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD);
        ASSERT_TRUE(locked.OnSaveDocument(Path("私人.sdr")));
    }
    for (const CString& path : {a, b, Path("私人.sdr")})
        ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(path), nullptr);
    ASSERT_EQ(3, tree->GetFileCount());
    EXPECT_TRUE(Doc(2)->GetSender().IsLocked()) << "a protected account comes back locked";
    EXPECT_EQ(app->GetCommHost().GetActiveSender(), &Doc(0)->GetSender());
    // The second account's box with 2 messages and a sub-box with 3.
    auto* inbox = static_cast<_CSmsBox*>(Doc(1)->GetRootBox().FindSubBoxByType(0));
    _CSmsBox* sub = inbox->AddSubBox("朋友", CMsgBoxBase::BOX_USER);
    for (int i = 0; i < 3; ++i)
        sub->AddSms(new _CSms("主题"));
    tree->GetGroupHelper().InsertGroupItem((HTREEITEM)inbox->GetTreeItem(), sub, TVI_LAST,
                                           tree->GetGroupHelper().m_nInsertFlags);
    Doc(1)->SetModifiedFlag(TRUE);
    CTreeCtrl& t = tree->GetTreeCtrl();
    t.Expand((HTREEITEM)inbox->GetTreeItem(), TVE_EXPAND);
    t.SelectItem((HTREEITEM)inbox->GetTreeItem());
    Pump();
    CString title;
    app->GetMainFrame()->GetWindowText(title);
    EXPECT_NE(title.Find(" - 短信管理 - 家庭 {收信箱}（已修改）"), -1) << title.GetString();
    app->GetMainFrame()->SaveScreenshot(ScreenPath("sms-senders-tree-all-counts").c_str());
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SHOW_PENDING_COUNTS);
    EXPECT_FALSE(tree->m_bShowAllCounts);
    Pump();
    app->GetMainFrame()->SaveScreenshot(ScreenPath("sms-senders-tree-unread-counts").c_str());
}

// The account's setting pages in the right pane.
class SenderFormTest : public SendersProgramTest {
protected:
    CSenderTreeDoc* doc = nullptr;
    CSenderForm* form = nullptr;
    void SetUp() override {
        SendersProgramTest::SetUp();
        CPageSenderSendScheme::ForgetTrustedLibraries();
        doc = NewAccount("设置.sdr");
        ASSERT_NE(doc, nullptr);
        doc->SetModifiedFlag(FALSE);
        tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
        tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
        Pump();
        form = dynamic_cast<CSenderForm*>(
            app->GetMainFrame()->GetRightPane()->GetView(1, CRightPaneFrame::KindSenders));
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(app->GetMainFrame()->GetRightPane()->GetCurrentWnd(), form);
    }
    void TearDown() override {
        CPageSenderSendScheme::ForgetTrustedLibraries();
        // Changes left on the pages hold the program in its editing mode, which refuses to close.
        if (form != nullptr && form->GetModifiedPages() != 0)
            form->SendMessage(WM_COMMAND, 32822);
        SendersProgramTest::TearDown();
    }
    CWnd* Page(int i) {
        form->SelectPage(i);
        return form->GetPage(i);
    }
    static void Type(CWnd* page, int id, const char* text) {
        CWnd* edit = page->GetDlgItem(id);
        edit->SetFocus();
        edit->SetWindowText("");
        bool ascii = true;
        for (const char* p = text; *p; ++p)
            ascii = ascii && (unsigned char)*p < 0x80;
        if (ascii)
            QTest::keyClicks(edit->GetWidget(), text);
        else
            edit->SetWindowText(text); // typed text in GBK comes as one change
    }
    static void Click(CWnd* page, int id) {
        page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          (LPARAM)page->GetDlgItem(id)->GetSafeHwnd());
    }
};

TEST_F(SenderFormTest, TwoModifiedPagesAreCancelledTogetherAndConfirmedIntoTheAccount) {
    doc->GetSender().GetMobileInfo().m_strMobileNumber = "13800138000";
    doc->UpdateAllViews(nullptr);
    CWnd* mobile = Page(2);
    CString number;
    mobile->GetDlgItemText(CPageSenderMobileInfo::IDC_NUMBER, number);
    EXPECT_EQ(number, "13800138000");
    Type(mobile, CPageSenderMobileInfo::IDC_NUMBER, "13900139000");
    Type(Page(0), CPageSenderAccount::IDC_USER, "20000001");
    EXPECT_EQ(form->GetModifiedPages(), 2 | 16);
    CString frame;
    form->GetDlgItemText(CSenderForm::IDC_FRAME, frame);
    EXPECT_EQ(frame, "短信帐户（已修改）");
    form->SaveScreenshot(ScreenPath("sms-sender-form-modified").c_str());

    form->SendMessage(WM_COMMAND, CSenderForm::ID_CANCEL_EDIT);
    EXPECT_EQ(form->GetModifiedPages(), 0);
    Page(2)->GetDlgItemText(CPageSenderMobileInfo::IDC_NUMBER, number);
    EXPECT_EQ(number, "13800138000");
    EXPECT_FALSE(doc->IsModified());

    Type(Page(2), CPageSenderMobileInfo::IDC_NUMBER, "13900139000");
    Type(Page(1), CPageSenderPersonInfo::IDC_NAME, "新名字");
    form->SendMessage(WM_COMMAND, CSenderForm::ID_CONFIRM);
    EXPECT_EQ(doc->GetSender().GetMobileInfo().m_strMobileNumber, "13900139000");
    EXPECT_EQ(doc->GetSender().GetName(), "新名字");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(tree->GetTreeCtrl().GetItemText(tree->GetFileAt(0)->hItem), "新名字");
}

// Changes that wait for confirming close the tree and the "短信" menu off; the form says so and
// how to go on, and the keys it names end the wait.
TEST_F(SenderFormTest, WaitingChangesAreExplainedAndTheNamedKeysEndTheWait) {
    CWnd* hint = form->GetDlgItem(CSenderForm::IDC_PENDING_HINT);
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->IsWindowVisible());
    struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* stored;
    } cases[] = {{Qt::Key_E, Qt::ControlModifier, "20000001"},
                 {Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "20000001"}};
    for (const auto& c : cases) {
        CWnd* page = Page(0);
        Type(page, CPageSenderAccount::IDC_USER, c.key == Qt::Key_E ? "20000001" : "20000002");
        EXPECT_TRUE(hint->IsWindowVisible()) << c.key;
        CString text;
        hint->GetWindowText(text);
        EXPECT_NE(text.Find("Ctrl+E"), -1);
        EXPECT_NE(text.Find("Ctrl+Alt+Q"), -1);
        EXPECT_EQ(tree->GetBusy(), 3) << "the tree's commands are off meanwhile";
        QTest::keyClick(page->GetDlgItem(CPageSenderAccount::IDC_USER)->GetWidget(),
                        (Qt::Key)c.key, c.modifiers);
        Pump();
        EXPECT_EQ(form->GetModifiedPages(), 0) << c.key;
        EXPECT_FALSE(hint->IsWindowVisible()) << c.key;
        EXPECT_EQ(tree->GetBusy(), 0) << c.key;
        EXPECT_EQ(doc->GetSender().GetRecord().m_remote.m_strUserId, c.stored) << c.key;
    }
}

// The pages' reload and confirm reach the tree first (it is the folder in front); through the
// account's document they have the form take what a page holds, the tree being closed off or not.
TEST_F(SenderFormTest, ReloadOrConfirmSentToTheTreeLeavesTheAccountHoldingThePagesChange) {
    const struct {
        UINT command;
        const char* typed;
    } rows[] = {{CSendersView::ID_CONFIRM_PAGES, "20000001"},
                {CSendersView::ID_RELOAD_PAGES, "20000002"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        doc->SetModifiedFlag(FALSE);
        Type(Page(0), CPageSenderAccount::IDC_USER, r.typed);
        ASSERT_NE(form->GetModifiedPages(), 0);
        ASSERT_EQ(tree->GetBusy(), 3);
        tree->SendMessage(WM_COMMAND, r.command);
        EXPECT_EQ(doc->GetSender().GetRecord().m_remote.m_strUserId, r.typed);
        EXPECT_EQ(form->GetModifiedPages(), 0);
        EXPECT_TRUE(doc->IsModified());
        EXPECT_EQ(tree->GetBusy(), 0) << "the tree is open again";
    }

    // Showing the selection again brings the account's values back into the pages, but not
    // over a change that waits.
    doc->GetSender().GetMobileInfo().m_strMobileNumber = "13800138000";
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SHOW_SELECTION);
    CString number;
    Page(2)->GetDlgItemText(CPageSenderMobileInfo::IDC_NUMBER, number);
    EXPECT_EQ(number, "13800138000");
    Type(Page(2), CPageSenderMobileInfo::IDC_NUMBER, "13900139000");
    tree->SendMessage(WM_COMMAND, CSendersView::ID_SHOW_SELECTION);
    Page(2)->GetDlgItemText(CPageSenderMobileInfo::IDC_NUMBER, number);
    EXPECT_EQ(number, "13900139000");
    EXPECT_NE(form->GetModifiedPages(), 0);
}

// While a message is written the same commands are the compose form's: its confirm saves the
// message.
TEST_F(SendersProgramTest, WhileAMessageIsWrittenConfirmIsTheComposeFormsOwn) {
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("写信.sdr", "写信", 0), FALSE);
    ASSERT_NE(doc, nullptr);
    OpenSmsFolder();
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    ASSERT_NE(WriteFrom(outbox, "hello"), nullptr);
    app->GetMainFrame()->SendMessage(WM_COMMAND, CEditSmsForm::ID_CONFIRM);
    Pump();
    ASSERT_EQ(outbox->GetSmsCount(), 1);
    POSITION pos = outbox->GetFirstSmsPosition();
    EXPECT_EQ(outbox->GetNextSms(pos)->m_strContent, "hello");
}

// A new user writing a message: the title says so, closing the window names the way out, and
// the key it names leaves the form.
TEST_F(SendersProgramTest, WhileAMessageIsWrittenTheTitleSaysSoAndClosingNamesTheWayOut) {
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("写信.sdr", "写信", 0), FALSE);
    ASSERT_NE(doc, nullptr);
    OpenSmsFolder();
    CMainFrame* frame = app->GetMainFrame();
    CString before;
    frame->GetWindowText(before);
    EXPECT_EQ(before.Find("正在撰写短信"), -1);
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    CEditSmsForm* form = WriteFrom(outbox, "hello");
    ASSERT_NE(form, nullptr);
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(title.Find("正在撰写短信 - "), 0) << (LPCTSTR)title;
    EXPECT_NE(title.Find(before), -1) << "the tree's title stays after the note";

    // The window manager's close (Alt+F4) is refused with the buttons and keys that end writing.
    shown.clear();
    frame->GetWidget()->close();
    Pump();
    ASSERT_TRUE(::IsWindow(frame->GetSafeHwnd()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.Find("“放弃修改”按钮(Ctrl+Alt+Q)"), -1) << (LPCTSTR)shown[0].text;
    EXPECT_NE(shown[0].text.Find("“确认修改”按钮(Ctrl+E)"), -1);

    // The named key, typed in the message, asks before it discards it.
    shown.clear();
    answers = {IDYES};
    QWidget* editor = form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    Pump();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "您真的想放弃修改吗？");
    EXPECT_FALSE(frame->IsBusy());
    EXPECT_EQ(outbox->GetSmsCount(), 0);
    frame->GetWindowText(title);
    EXPECT_EQ(title.Find("正在撰写短信"), -1) << (LPCTSTR)title;
}

TEST_F(SenderFormTest, TheIntervalIsRaisedToTheLimitOfItsUnit) {
    struct {
        int unit;
        const char* typed;
        int saved;
    } rows[] = {{1, "3", 5}, {0, "3", 3}, {0, "0", 1}, {1, "7", 7}};
    for (const auto& r : rows) {
        CWnd* recv = Page(5);
        static_cast<CComboBox*>(recv->GetDlgItem(CPageSenderRecvScheme::IDC_UNIT))->SetCurSel(r.unit);
        recv->CheckDlgButton(CPageSenderRecvScheme::IDC_AUTO, 1);
        Type(recv, CPageSenderRecvScheme::IDC_INTERVAL, r.typed);
        form->SendMessage(WM_COMMAND, CSenderForm::ID_CONFIRM);
        EXPECT_EQ(doc->GetSender().GetRecord().m_receive.m_nInterval, r.saved) << r.typed;
        EXPECT_EQ(doc->GetSender().GetRecord().m_receive.m_nIntervalUnit, r.unit);
    }
}

// Each page, picked in the list with the mouse, shows its own picture and its help below it.
TEST_F(SenderFormTest, EachPagePickedInTheListShowsItsHelp) {
    auto* list = static_cast<CKovListBox*>(form->GetDlgItem(CSenderForm::IDC_LIST));
    CWnd* help = form->GetDlgItem(CSenderForm::IDC_HELP_TEXT);
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->IsWindowVisible());
    ASSERT_EQ(list->GetCount(), CSenderForm::kPageCount);
    ASSERT_NE(list->GetImageList(), nullptr);
    EXPECT_EQ(list->GetImageList()->GetImageCount(), CSenderForm::kPageCount);
    // A phrase of each page's help that names what the page sets.
    const char* const kPhrases[] = {"电子名片号和登录密码", "启动时自动加载本帐户", "手机号码",
                                    "与发送短信服务器相同", "模块文件", "试听"};
    std::set<std::string> texts;
    for (int i : {3, 0, 5, 1, 4, 2}) {
        CRect rc;
        list->GetItemRect(i, &rc);
        auto* rows = qobject_cast<QAbstractScrollArea*>(list->GetWidget());
        ASSERT_NE(rows, nullptr);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        ASSERT_EQ(form->GetCurrentPage(), i);
        EXPECT_EQ(list->GetItemImage(i), i);
        CString text;
        help->GetWindowText(text);
        const std::string shown = text.GetString();
        const std::string title = form->GetPage(i)->GetTitle().GetString();
        EXPECT_EQ(shown.rfind(title, 0), 0u) << i << ": " << shown;
        EXPECT_NE(shown.find(kPhrases[i]), std::string::npos) << i << ": " << shown;
        texts.insert(shown);
    }
    EXPECT_EQ(texts.size(), (size_t)CSenderForm::kPageCount) << "a help of its own for each page";
    form->SaveScreenshot(ScreenPath("sms-sender-form-help").c_str());
}

// The receive page's interval steps by its unit's limit and follows a change of unit at once;
// "..." fills the sound path from a file dialog and "试听" plays that file.
TEST_F(SenderFormTest, TheReceivePagesSpinStepsByTheUnitAndTheSoundFileIsChosenAndHeard) {
    CWnd* recv = Page(5);
    auto interval = [&] {
        CString text;
        recv->GetDlgItemText(CPageSenderRecvScheme::IDC_INTERVAL, text);
        return std::string(text.GetString());
    };
    auto* unit = static_cast<CComboBox*>(recv->GetDlgItem(CPageSenderRecvScheme::IDC_UNIT));
    QWidget* spin = recv->GetDlgItem(CPageSenderRecvScheme::IDC_SPIN)->GetWidget();
    auto step = [&](bool up) {
        QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier,
                          QPoint(spin->width() / 2, up ? 2 : spin->height() - 2));
        Pump();
    };
    recv->CheckDlgButton(CPageSenderRecvScheme::IDC_AUTO, 1);
    Type(recv, CPageSenderRecvScheme::IDC_INTERVAL, "3");
    ASSERT_EQ(unit->GetCurSel(), 0) << "minutes";
    step(true);
    EXPECT_EQ(interval(), "4");
    step(false);
    step(false);
    step(false);
    EXPECT_EQ(interval(), "1") << "not below a minute";

    // Seconds: 3 becomes 5 at once, and a step is 5 seconds.
    Type(recv, CPageSenderRecvScheme::IDC_INTERVAL, "3");
    unit->SetFocus();
    QTest::keyClick(unit->GetWidget(), Qt::Key_Down);
    Pump();
    ASSERT_EQ(unit->GetCurSel(), 1) << "seconds";
    EXPECT_EQ(interval(), "5");
    step(true);
    EXPECT_EQ(interval(), "10");
    step(false);
    step(false);
    EXPECT_EQ(interval(), "5");
    int lower = 0, upper = 0;
    recv->SendDlgItemMessage(CPageSenderRecvScheme::IDC_SPIN, UDM_GETRANGE32, (WPARAM)&lower,
                             (LPARAM)&upper);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(upper, INT_MAX);

    // The sound file: "..." and "试听" wait for "选自文件".
    CWnd* browse = recv->GetDlgItem(CPageSenderRecvScheme::IDC_BROWSE);
    CWnd* listen = recv->GetDlgItem(CPageSenderRecvScheme::IDC_LISTEN);
    ASSERT_NE(browse, nullptr);
    ASSERT_NE(listen, nullptr);
    recv->CheckDlgButton(CPageSenderRecvScheme::IDC_SOUND, 1);
    Click(recv, CPageSenderRecvScheme::IDC_SOUND_DEFAULT);
    EXPECT_FALSE(browse->IsWindowEnabled());
    EXPECT_FALSE(listen->IsWindowEnabled());
    QTest::mouseClick(recv->GetDlgItem(CPageSenderRecvScheme::IDC_SOUND_FILE)->GetWidget(),
                      Qt::LeftButton);
    Pump();
    ASSERT_TRUE(browse->IsWindowEnabled());
    ASSERT_TRUE(listen->IsWindowEnabled());

    const std::filesystem::path wave = GetShippedDataFolderPath() / "Sound" / "msgarrival.wav";
    const CString wavePath = ProgramPathFromOsPath(wave.string());
    CString filter;
    onDialog = [&](CDialog& d) {
        auto* f = dynamic_cast<CFileDialog*>(&d);
        ASSERT_NE(f, nullptr);
        filter = CString(f->m_ofn.lpstrFilter);
        CStringArray a;
        a.Add(wavePath);
        f->Answer(a);
        f->EndDialog(IDOK);
    };
    QTest::mouseClick(browse->GetWidget(), Qt::LeftButton);
    Pump();
    onDialog = nullptr;
    EXPECT_EQ(filter.Find("波形文件 (*.wav)"), 0) << filter.GetString();
    CString path;
    recv->GetDlgItemText(CPageSenderRecvScheme::IDC_SOUND_PATH, path);
    EXPECT_EQ(path, wavePath);

    const std::string device = "file:'" + (std::filesystem::path(dir.str()) / "sound.raw").string() + "',raw";
    SetSoundDeviceForTesting(device.c_str());
    TakeSoundsPlayedForTesting();
    QTest::mouseClick(listen->GetWidget(), Qt::LeftButton);
    EXPECT_TRUE(WaitForSoundIdleForTesting(5000));
    const auto played = TakeSoundsPlayedForTesting();
    SetSoundDeviceForTesting(nullptr);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_GT(played[0].nFrames, 0u);
    EXPECT_EQ(played[0].nWritten, played[0].nFrames) << "the whole file";

    form->SendMessage(WM_COMMAND, CSenderForm::ID_CONFIRM);
    EXPECT_EQ(doc->GetSender().GetRecord().m_receive.m_strSoundFile, wavePath);
    EXPECT_EQ(doc->GetSender().GetRecord().m_receive.m_nInterval, 5);
}

TEST_F(SenderFormTest, UncheckingLoadAtStartRemovesTheAccountFromTheStartupList) {
    CWnd* person = Page(1);
    Click(person, CPageSenderPersonInfo::IDC_LOAD_AT_START);
    person->CheckDlgButton(CPageSenderPersonInfo::IDC_LOAD_AT_START, 1);
    form->SendMessage(WM_COMMAND, CSenderForm::ID_CONFIRM);
    CStringList& list = app->m_options.m_sender.m_fileList;
    ASSERT_EQ(1, (int)list.GetCount());
    EXPECT_TRUE(IsSameProgramPath(list.GetHead(), Path("设置.sdr")));
    person = Page(1);
    person->CheckDlgButton(CPageSenderPersonInfo::IDC_LOAD_AT_START, 0);
    Click(person, CPageSenderPersonInfo::IDC_LOAD_AT_START);
    person->CheckDlgButton(CPageSenderPersonInfo::IDC_LOAD_AT_START, 0);
    form->SendMessage(WM_COMMAND, CSenderForm::ID_CONFIRM);
    EXPECT_EQ(0, (int)list.GetCount());
    EXPECT_EQ(0u, doc->GetSender().GetPersonInfo().m_dwValue);
}

// Ticking "启动时自动加载本帐户" is all a user does to have the account back after a restart.
TEST_F(SenderFormTest, TickingLoadAtStartOpensTheAccountWhenTheProgramStartsAgain) {
    ASSERT_FALSE(app->m_options.m_sender.m_bAutoLoadFile) << "off in a new profile";
    CWnd* box = Page(1)->GetDlgItem(CPageSenderPersonInfo::IDC_LOAD_AT_START);
    box->SetFocus();
    QTest::keyClick(box->GetWidget(), Qt::Key_Space);
    ASSERT_EQ(form->GetModifiedPages(), 1);
    QTest::keyClick(box->GetWidget(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(form->GetModifiedPages(), 0);
    EXPECT_TRUE(app->m_options.m_sender.m_bAutoLoadFile);
    ASSERT_TRUE(tree->SaveFile(tree->GetFileAt(0), FALSE));
    form = nullptr;
    ASSERT_TRUE(Exit(*app));
    app.reset();
    app = Start();
    ASSERT_NE(app, nullptr);
    tree = smsModule.GetSendersTree();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->GetFileCount(), 1);
    EXPECT_TRUE(IsSameProgramPath(tree->GetFileAt(0)->pDoc->GetPathName(), Path("设置.sdr")));
}

TEST_F(SenderFormTest, APlugInNamedByAFileIsLoadedOnlyOnceTheUserChoseIt) {
    // An account file from elsewhere names a library: showing the server page must not run it.
    doc->GetSender().GetRecord().m_send.m_strGatewayLibrary = GATEWAY_PLUGIN1;
    doc->UpdateAllViews(nullptr);
    Page(3);
    auto* combo = static_cast<CComboBox*>(form->GetPage(3)->GetDlgItem(CPageSenderSmsServer::IDC_SEND_SERVER));
    EXPECT_EQ(0, combo->GetCount());
    EXPECT_EQ(doc->GetSender().GetRecord().m_send.m_strGatewayLibrary, GATEWAY_PLUGIN1)
        << "the stored path stays";

    AnswerFile(GATEWAY_PLUGIN1);
    Click(Page(4), CPageSenderSendScheme::IDC_CHOOSE);
    onDialog = nullptr;
    Page(3);
    ASSERT_EQ(2, combo->GetCount()) << "chosen with 选择... it lists its gateways";
    CString first;
    combo->GetLBText(0, first);
    EXPECT_EQ(first, "移动网关");
}

// The gateway account dialogs opened from an account, each run by the scripted user.
class GatewayDialogsTest : public SendersProgramTest {
protected:
    CSenderTreeDoc* doc = nullptr;
    void SetUp() override {
        SendersProgramTest::SetUp();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
        doc = NewAccount("网关.sdr");
        ASSERT_NE(doc, nullptr);
        doc->GetSender().GetRecord().m_remote.m_strUserId = "20000001";
        doc->GetSender().GetRecord().m_remote.m_strPassword = "secret";
        tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    }
    // Opens the dialog of the command and lets body act on it before Cancel closes it.
    void Run(UINT nID, const std::function<void(CDlgSmsAccountBase&)>& body) {
        bool ran = false;
        onDialog = [&](CDialog& d) {
            auto* dlg = dynamic_cast<CDlgSmsAccountBase*>(&d);
            ASSERT_NE(dlg, nullptr);
            ran = true;
            body(*dlg);
            d.EndDialog(IDCANCEL);
        };
        tree->SendMessage(WM_COMMAND, nID);
        onDialog = nullptr;
        EXPECT_TRUE(ran);
    }
    static void Click(CDialog& d, int id) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)d.GetDlgItem(id)->GetSafeHwnd());
    }
    static CString Result(CDialog& d) {
        CString text;
        d.GetDlgItemText(CDlgSmsAccountBase::IDC_RESULT, text);
        return text;
    }
};

TEST_F(GatewayDialogsTest, AFailedRechargeStaysOpenWithItsReasonAndASecondTrySucceeds) {
    server.SetReply("ecard/sms/chargesms.asp", test_net::Reply::Text("990#充值卡密码错误"));
    Run(CSendersView::ID_GATEWAY_CHARGE, [&](CDlgSmsAccountBase& d) {
        CString user;
        d.GetDlgItemText(CDlgSmsAccountBase::IDC_USER, user);
        EXPECT_EQ(user, "20000001") << "the account's gateway user";
        d.SetDlgItemText(CDlgSmsAccountBase::IDC_FIELD1, "8001");
        d.SetDlgItemText(CDlgSmsAccountBase::IDC_FIELD2, "bad");
        Click(d, IDOK);
        EXPECT_TRUE(d.IsWindowVisible() || d.GetSafeHwnd() != nullptr) << "OK never closes";
        EXPECT_EQ(Result(d), "充值卡密码错误");
        EXPECT_NE(0, d.m_nResult) << "drawn in red";
        d.SaveScreenshot(ScreenPath("sms-gateway-charge-failed").c_str());
        server.SetReply("ecard/sms/chargesms.asp", test_net::Reply::Text("0#充值成功"));
        d.SetDlgItemText(CDlgSmsAccountBase::IDC_FIELD2, "good");
        Click(d, IDOK);
        EXPECT_EQ(Result(d), "充值成功");
        EXPECT_EQ(0, d.m_nResult);
        d.SaveScreenshot(ScreenPath("sms-gateway-charge-done").c_str());
    });
    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_NE(requests[1].body.find("UserID=20000001&Password=secret&CardNo=8001&CardPwd=good"),
              std::string::npos)
        << requests[1].body;
}

TEST_F(GatewayDialogsTest, TheServiceNumberAndTheSuffixInformationAskTheSamePage) {
    server.SetReply("ecard/sms/getsuffixcode.asp", test_net::Reply::Text("0#1065800020000001"));
    Run(CSendersView::ID_GATEWAY_CODE, [&](CDlgSmsAccountBase& d) {
        Click(d, IDOK);
        EXPECT_EQ(Result(d), "1065800020000001");
    });
    Run(CSendersView::ID_GATEWAY_SUFFIX, [&](CDlgSmsAccountBase& d) {
        // The number, the check code and "我想获取" only for a new phone.
        for (int choice : {CDlgSmsAccountEditSuffixCode::IDC_CHOICE_CARD,
                           CDlgSmsAccountEditSuffixCode::IDC_CHOICE_NEW}) {
            d.CheckRadioButton(CDlgSmsAccountEditSuffixCode::IDC_CHOICE_CARD,
                               CDlgSmsAccountEditSuffixCode::IDC_CHOICE_NEW, choice);
            Click(d, choice);
            BOOL bNew = choice == CDlgSmsAccountEditSuffixCode::IDC_CHOICE_NEW;
            for (int id : {(int)CDlgSmsAccountBase::IDC_FIELD1, (int)CDlgSmsAccountBase::IDC_FIELD2,
                           (int)CDlgSmsAccountBase::IDC_BUTTON2})
                EXPECT_EQ(bNew, d.GetDlgItem(id)->IsWindowEnabled()) << id;
        }
        Click(d, CDlgSmsAccountBase::IDC_BUTTON1);
        EXPECT_EQ(Result(d), "1065800020000001");
    });
    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(requests[0].page, requests[1].page);
}

TEST_F(GatewayDialogsTest, AUserNumberThatIsNoDigitsWithin32BitsIsRefusedBeforeAnyRequest) {
    struct Row {
        const char* user;
        bool ok;
    } rows[] = {{"4294967295", true}, {"4294967296", false}, {"99999999999", false},
                {"12a4", false},      {"", false},           {"-1", false}};
    for (const Row& r : rows) {
        UINT n = 0;
        EXPECT_EQ(r.ok, CDlgSmsAccountBase::ParseUserNumber(r.user, n) != FALSE) << r.user;
    }
    doc->GetSender().GetRecord().m_remote.m_strUserId = "4294967297";
    Run(CSendersView::ID_GATEWAY_BALANCE, [&](CDlgSmsAccountBase& d) {
        Click(d, IDOK);
        EXPECT_NE(0, d.m_nResult);
        EXPECT_FALSE(Result(d).IsEmpty());
    });
    EXPECT_TRUE(server.Requests().empty());
}

// The gateway registration wizard, run from the senders tree.
class RegisterWizardTest : public SendersProgramTest {
protected:
    void SetUp() override {
        SendersProgramTest::SetUp();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    }
    void Run(const std::function<void(CWizardRegsmsuser*)>& body) {
        bool ran = false;
        onDialog = [&](CDialog& d) {
            auto* w = dynamic_cast<CWizardRegsmsuser*>(&d);
            if (w == nullptr) {
                d.EndDialog(IDCANCEL);
                return;
            }
            ran = true;
            CString caption;
            w->GetWindowText(caption);
            EXPECT_EQ(caption, "注册短信向导");
            body(w);
            w->EndDialog(IDCANCEL);
        };
        tree->SendMessage(WM_COMMAND, CSendersView::ID_GATEWAY_REGISTER);
        onDialog = nullptr;
        EXPECT_TRUE(ran);
    }
    static void Next(CPropertySheet* w) {
        w->GetDlgItem(ID_WIZNEXT)->SendMessage(BM_CLICK);
        Pump();
    }
    static void Set(CPropertySheet* w, int id, const char* text) {
        w->GetActivePage()->SetDlgItemText(id, text);
    }
};

TEST_F(RegisterWizardTest, TheNumberMustBeElevenDigitsBeginningWith13BeforeAnyRequest) {
    server.SetReply("sms/user/sendcheckcode.asp", test_net::Reply::Text("0#已发送"));
    Run([&](CWizardRegsmsuser* w) {
        for (const char* bad : {"1391234567", "15912345678", "1391234567a", "139123456789"}) {
            shown.clear();
            Set(w, CPageRegsmsuserPhone::IDC_NUMBER, bad);
            Next(w);
            EXPECT_EQ(0, w->GetActiveIndex()) << bad;
            EXPECT_TRUE(Shown("无效的手机号码！")) << bad;
        }
        EXPECT_TRUE(server.Requests().empty());
        Set(w, CPageRegsmsuserPhone::IDC_NUMBER, "13912345678");
        Next(w);
        EXPECT_EQ(1, w->GetActiveIndex());
    });
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("sms/user/sendcheckcode.asp", server.Requests()[0].page);
    EXPECT_EQ("\r\nN=n&Phone=13912345678", server.Requests()[0].body);
}

TEST_F(RegisterWizardTest, AWholeRegistrationShowsTheAnswerAndTheRedHint) {
    server.SetReply("sms/user/checkcode.asp", test_net::Reply::Text("0#验证通过"));
    server.SetReply("sms/user/submitpsw.asp",
                    test_net::Reply::Text("0#注册成功，您的用户名是20000009。#请牢记您的密码"));
    Run([&](CWizardRegsmsuser* w) {
        // The code has come already: no new one is asked for.
        Set(w, CPageRegsmsuserPhone::IDC_NUMBER, "13912345678");
        w->GetActivePage()->CheckDlgButton(CPageRegsmsuserPhone::IDC_HAVE_CODE, 1);
        Next(w);
        ASSERT_EQ(1, w->GetActiveIndex());
        EXPECT_TRUE(server.Requests().empty());
        Set(w, CPageRegsmsuserCheckcode::IDC_CODE, "4711");
        Next(w);
        ASSERT_EQ(2, w->GetActiveIndex());
        struct {
            const char* password;
            const char* repeat;
            const char* told;
        } refused[] = {
            {"abc123", "abc124", "两次输入的密码不一致！请重新输入。"},
            {"abcde", "abcde", "密码位数必须在6位以上！请重新输入。"},
            {"abc,12", "abc,12", "密码只能包含字母与数字！请重新输入。"},
        };
        for (const auto& r : refused) {
            shown.clear();
            Set(w, CPageRegsmsuserPassword::IDC_PASSWORD, r.password);
            Set(w, CPageRegsmsuserPassword::IDC_REPEAT, r.repeat);
            Next(w);
            EXPECT_EQ(2, w->GetActiveIndex()) << r.password;
            EXPECT_TRUE(Shown(r.told)) << r.password;
        }
        Set(w, CPageRegsmsuserPassword::IDC_PASSWORD, "Abc123");
        Set(w, CPageRegsmsuserPassword::IDC_REPEAT, "Abc123");
        Set(w, CPageRegsmsuserPassword::IDC_EMAIL, "me@example.org");
        Next(w);
        ASSERT_EQ(3, w->GetActiveIndex());
        CWnd* page = w->GetActivePage();
        CString answer, hint;
        page->GetDlgItemText(CPageRegsmsuserComplete::IDC_ANSWER, answer);
        page->GetDlgItemText(CPageRegsmsuserComplete::IDC_HINT, hint);
        EXPECT_EQ(answer, "注册成功，您的用户名是20000009。");
        EXPECT_EQ(hint, "请牢记您的密码");
        EXPECT_TRUE(page->GetDlgItem(CPageRegsmsuserComplete::IDC_HINT)->IsWindowVisible());
        w->SaveScreenshot(ScreenPath("sms-register-wizard-done").c_str());
    });
    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("\r\nN=n&Phone=13912345678&Checkcode=4711", requests[0].body);
    EXPECT_EQ("\r\nN=n&Phone=13912345678&Checkcode=4711&Password=Abc123&Email=me%40example.org",
              requests[1].body);
}

TEST_F(RegisterWizardTest, TheServicesRefusalKeepsTheStepAndSaysWhy) {
    server.SetReply("sms/user/sendcheckcode.asp", test_net::Reply::Text("12#该手机号已注册"));
    Run([&](CWizardRegsmsuser* w) {
        Set(w, CPageRegsmsuserPhone::IDC_NUMBER, "13912345678");
        Next(w);
        EXPECT_EQ(0, w->GetActiveIndex());
        EXPECT_TRUE(Shown("该手机号已注册"));
    });
}

TEST(RegisterWizardTexts, TheFinalTextSplitsAtItsLastHash) {
    struct {
        const char* text;
        const char* answer;
        const char* hint;
    } rows[] = {{"完成", "完成", ""}, {"完成#注意", "完成", "注意"}, {"完成#", "完成", ""},
                {"a#b#c", "a#b", "c"}};
    for (const auto& r : rows) {
        CString answer, hint;
        CPageRegsmsuserComplete::SplitFinalText(r.text, answer, hint);
        EXPECT_EQ(answer, r.answer) << r.text;
        EXPECT_EQ(hint, r.hint) << r.text;
    }
}

} // namespace

// A box picked in the senders tree shows its messages in the right pane's list, and another box
// of the same account refills it.
TEST_F(SendersProgramTest, ABoxPickedInTheTreeListsItsMessages) {
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("列表.sdr", "列表", 3), FALSE);
    ASSERT_NE(doc, nullptr);
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    outbox->AddSms(new _CSms("草稿"));
    CTreeCtrl& t = tree->GetTreeCtrl();
    t.SelectItem((HTREEITEM)inbox->GetTreeItem());
    Pump();
    auto* view = dynamic_cast<CSplitterView*>(app->GetMainFrame()->GetRightPane()->GetCurrentView());
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetSmsList(), nullptr);
    EXPECT_EQ(3, view->GetSmsList()->GetListCtrl().GetItemCount());
    t.SelectItem((HTREEITEM)outbox->GetTreeItem());
    Pump();
    view = dynamic_cast<CSplitterView*>(app->GetMainFrame()->GetRightPane()->GetCurrentView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(1, view->GetSmsList()->GetListCtrl().GetItemCount());
}

// A message written from a box's pane (the address book lends its tree for picking meanwhile)
// gives the pane back to that box when it is sent or saved, under the account's title and with
// the senders tree in front again.
TEST_F(SendersProgramTest, AfterWritingTheBoxWrittenFromIsShownAgain) {
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("写信.sdr", "写信", 0), FALSE);
    ASSERT_NE(doc, nullptr);
    doc->GetSender().GetRecord().m_remote.m_strUserId = "13800138000";
    doc->GetSender().GetRecord().m_remote.m_strPassword = "pw";
    OpenSmsFolder();
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    auto* sent = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(2));
    CMainFrame* frame = app->GetMainFrame();
    // Sent at once, the message has left the outbox that the pane shows again.
    for (UINT nEnd : {(UINT)CEditSmsForm::ID_SAVE_PENDING, (UINT)CEditSmsForm::ID_SAVE_DRAFT,
                      (UINT)CEditSmsForm::ID_SEND}) {
        ASSERT_NE(WriteFrom(outbox, "hello"), nullptr);
        // Off to the address book, as to pick a recipient there.
        COutbarWnd* bar = frame->GetOutbar();
        CRect rc;
        ASSERT_TRUE(bar->GetButtonRect(FolderAddressBook, rc));
        QTest::mouseClick(bar->GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        ASSERT_EQ(bar->GetSelFolder(), (int)FolderAddressBook);
        frame->SendMessage(WM_COMMAND, nEnd);
        Pump();
        EXPECT_EQ(bar->GetSelFolder(), (int)FolderSms) << nEnd;
        auto* view = dynamic_cast<CSplitterView*>(frame->GetRightPane()->GetCurrentView());
        ASSERT_NE(view, nullptr) << nEnd;
        ASSERT_NE(view->GetSmsList(), nullptr);
        EXPECT_EQ(outbox->GetSmsCount(), view->GetSmsList()->GetListCtrl().GetItemCount()) << nEnd;
        CString title;
        frame->GetWindowText(title);
        EXPECT_NE(title.Find("短信管理"), -1) << title.GetString();
    }
    EXPECT_EQ(outbox->GetSmsCount(), 2);
    EXPECT_EQ(sent->GetSmsCount(), 1);
}

// The counts beside the boxes follow a message deleted from a list, also when the account's
// file was changed before (the tree is then told nothing new about the file itself).
TEST_F(SendersProgramTest, ADeletedMessageRepaintsTheCountsOfAChangedAccount) {
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("计数.sdr", "计数", 0), FALSE);
    ASSERT_NE(doc, nullptr);
    OpenSmsFolder();
    auto* sent = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(2));
    auto* recycle = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(3));
    sent->AddSms(new _CSms("一"));
    sent->AddSms(new _CSms("二"));
    tree->GetTreeCtrl().SelectItem((HTREEITEM)sent->GetTreeItem());
    Pump();
    doc->SetModifiedFlag(TRUE);
    CSmsView* list = ShownList();
    ASSERT_NE(list, nullptr);
    CRect rc;
    list->GetListCtrl().GetItemRect(0, &rc, LVIR_LABEL);
    QTest::mouseClick(list->GetListCtrl().GetWidget(), Qt::LeftButton, {},
                      QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
    Pump();

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    QWidget* treeWidget = tree->GetTreeCtrl().GetWidget();
    treeWidget->installEventFilter(&counter);
    for (QWidget* child : treeWidget->findChildren<QWidget*>())
        child->installEventFilter(&counter);
    QTest::keyClick(list->GetListCtrl().GetWidget(), Qt::Key_Delete);
    Pump();
    ASSERT_EQ(sent->GetSmsCount(), 1);
    ASSERT_EQ(recycle->GetSmsCount(), 1);
    EXPECT_GT(counter.paints, 0) << "the tree shows the new counts";
    treeWidget->removeEventFilter(&counter);
    for (QWidget* child : treeWidget->findChildren<QWidget*>())
        child->removeEventFilter(&counter);
}

// Messages dragged out of a box's list land in the box they are dropped on, when that box takes
// them and the copy key is not held; the program's clipboard is pasted into a box from its menu.
TEST_F(SendersProgramTest, MessagesDraggedOntoABoxMoveThereAndTheClipboardIsPastedIntoABox) {
    OpenSmsFolder();
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("拖放.sdr", "拖放", 3), FALSE);
    ASSERT_NE(doc, nullptr);
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    _CSmsBox* friends = inbox->AddSubBox("朋友", CMsgBoxBase::BOX_USER);
    CTreeCtrl& t = tree->GetTreeCtrl();
    HTREEITEM hFriends = tree->GetGroupHelper().InsertGroupItem(
        (HTREEITEM)inbox->GetTreeItem(), friends, TVI_LAST, tree->GetGroupHelper().m_nInsertFlags);
    ASSERT_NE(hFriends, nullptr);
    t.Expand((HTREEITEM)inbox->GetTreeItem(), TVE_EXPAND);
    doc->SetModifiedFlag(FALSE);
    t.SelectItem((HTREEITEM)inbox->GetTreeItem());
    Pump();
    CSmsView* list = ShownList();
    ASSERT_NE(list, nullptr);
    CListCtrl& rows = list->GetListCtrl();
    ASSERT_EQ(3, rows.GetItemCount());

    struct Case {
        const char* what;
        HTREEITEM target;
        Qt::KeyboardModifiers mods;
        int inInbox, inFriends;
    } cases[] = {
        {"a received message never goes to the outbox", (HTREEITEM)outbox->GetTreeItem(),
         Qt::NoModifier, 3, 0},
        {"the copy key refuses the drop", hFriends, Qt::ControlModifier, 3, 0},
        {"onto the account item itself", tree->GetFileAt(0)->hItem, Qt::NoModifier, 3, 0},
        {"into the user box under the inbox", hFriends, Qt::NoModifier, 2, 1},
    };
    for (const Case& c : cases) {
        DragRow(rows, 0, c.target, c.mods);
        EXPECT_EQ(c.inInbox, inbox->GetSmsCount()) << c.what;
        EXPECT_EQ(c.inFriends, friends->GetSmsCount()) << c.what;
        EXPECT_EQ(c.inInbox, rows.GetItemCount()) << c.what << ": the list shows what is left";
    }
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(inbox->CountSmsByState(-1, TRUE), 3) << "nothing lost";

    // Paste: disabled with an empty clipboard, then the clipboard's messages move into the box.
    _CSmsBox* clip = smsModule.GetClipboardBox();
    ASSERT_NE(clip, nullptr);
    t.SelectItem(hFriends);
    Pump();
    EXPECT_TRUE(PickFromMenu(hFriends, CGroupTreeView::ID_PASTE) & MF_GRAYED);
    clip->AddSms(new _CSms("甲"));
    clip->AddSms(new _CSms("乙"));
    UINT state = PickFromMenu(hFriends, CGroupTreeView::ID_PASTE);
    EXPECT_FALSE(state & MF_GRAYED);
    EXPECT_EQ(0, clip->GetSmsCount());
    EXPECT_EQ(3, friends->GetSmsCount());
    ASSERT_NE(ShownList(), nullptr);
    EXPECT_EQ(3, ShownList()->GetListCtrl().GetItemCount()) << "the box is shown again";
}

// A box's two statistics dialogs come from its menu; the CSV import files pending messages into
// a user box of the account, and the inbox takes none.
TEST_F(SendersProgramTest, TheBoxMenuShowsItsStatisticsAndImportsACsvFileAsPendingMessages) {
    OpenSmsFolder();
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("导入.sdr", "导入", 2), FALSE);
    ASSERT_NE(doc, nullptr);
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    HTREEITEM hInbox = (HTREEITEM)inbox->GetTreeItem();
    tree->GetTreeCtrl().SelectItem(hInbox);
    Pump();

    std::vector<std::string> opened;
    onDialog = [&](CDialog& d) {
        auto* info = dynamic_cast<CDlgSmsBoxInfo*>(&d);
        if (info != nullptr) {
            CString name;
            d.GetDlgItemText(CDlgSmsBoxInfo::IDC_NAME, name);
            opened.push_back(std::string(dynamic_cast<CDlgSmsBoxInfoEx*>(&d) ? "basic " : "") +
                             name.GetString());
        }
        d.EndDialog(IDCANCEL);
    };
    PickFromMenu(hInbox, CSendersView::ID_BOX_STATISTICS);
    PickFromMenu(hInbox, CSendersView::ID_BOX_BASIC_STATISTICS);
    EXPECT_EQ(opened, (std::vector<std::string>{inbox->GetName().GetString(),
                                                std::string("basic ") + inbox->GetName().GetString()}));
    onDialog = nullptr;

    bool asked = false;
    onDialog = [&](CDialog& d) {
        asked = true;
        d.EndDialog(IDCANCEL);
    };
    PickFromMenu(hInbox, CSendersView::ID_IMPORT_CSV);
    EXPECT_FALSE(asked) << "the inbox takes no import";
    CString csv = Path("名单.csv");
    {
        const char text[] = "name,number,content\n"
                            "\xd5\xc5\xc8\xfd,13900000001,hello\n"
                            "b,13900000002,second\n"
                            "c,13900000003,third\n";
        CFile out(csv, CFile::modeCreate | CFile::modeWrite);
        out.Write(text, sizeof text - 1);
    }
    // A user box of the account's own: the import stays in it.
    _CSmsBox* root = &doc->GetRootBox();
    _CSmsBox* mine = root->AddSubBox("名单", CMsgBoxBase::BOX_USER);
    HTREEITEM hMine = tree->GetGroupHelper().InsertGroupItem(
        tree->GetFileAt(0)->hItem, mine, TVI_LAST, tree->GetGroupHelper().m_nInsertFlags);
    tree->GetTreeCtrl().SelectItem(hMine);
    Pump();
    doc->SetModifiedFlag(FALSE);
    AnswerFile(csv);
    UINT state = PickFromMenu(hMine, CSendersView::ID_IMPORT_CSV);
    onDialog = nullptr;
    EXPECT_FALSE(state & MF_GRAYED);
    EXPECT_EQ(3, mine->CountSmsByState(_CSms::STATE_PENDING, FALSE));
    EXPECT_EQ(0, outbox->GetSmsCount());
    EXPECT_EQ(0, inbox->GetSubBoxCount());
    EXPECT_TRUE(doc->IsModified());
    for (const auto& c : shown)
        ADD_FAILURE() << c.text.GetString();
}

// Boxes are dragged within their account: a move into another kind of box asks first (and "no"
// keeps it), while a box of the recycle box or of the account's own moves without a question;
// standard boxes, copies and moves below the box itself are refused.
TEST_F(SendersProgramTest, BoxesMoveByDraggingAndAMoveIntoAnotherKindOfBoxAsksFirst) {
    OpenSmsFolder();
    CSenderTreeDoc* doc = NewAccount("移动.sdr");
    ASSERT_NE(doc, nullptr);
    _CSmsBox& root = doc->GetRootBox();
    auto* inbox = static_cast<_CSmsBox*>(root.FindSubBoxByType(0));
    auto* outbox = static_cast<_CSmsBox*>(root.FindSubBoxByType(1));
    auto* recycle = static_cast<_CSmsBox*>(root.FindSubBoxByType(3));
    _CSmsBox* friends = inbox->AddSubBox("朋友", CMsgBoxBase::BOX_USER);
    _CSmsBox* school = friends->AddSubBox("同学", CMsgBoxBase::BOX_USER);
    school->AddSms(new _CSms("来信"));
    _CSmsBox* old = recycle->AddSubBox("旧", CMsgBoxBase::BOX_USER);
    _CSmsBox* mine = root.AddSubBox("我的", CMsgBoxBase::BOX_USER);
    // The tree shows the account as the file dialog left it: rebuild its items.
    CTreeCtrl& t = tree->GetTreeCtrl();
    HTREEITEM hRoot = tree->GetFileAt(0)->hItem;
    while (HTREEITEM h = t.GetChildItem(hRoot))
        t.DeleteItem(h);
    tree->GetGroupHelper().InsertChildren(hRoot, &root, TVI_LAST,
                                          tree->GetGroupHelper().m_nInsertFlags);
    for (CGroup* g : {(CGroup*)inbox, (CGroup*)friends, (CGroup*)recycle})
        t.Expand((HTREEITEM)g->GetTreeItem(), TVE_EXPAND);
    auto item = [](CGroup* g) { return (HTREEITEM)g->GetTreeItem(); };
    auto parentOf = [](CGroup* g) { return g->GetParent(); };
    doc->SetModifiedFlag(FALSE);

    struct Case {
        const char* what;
        CGroup* box;
        CGroup* target;
        Qt::KeyboardModifiers mods;
        std::vector<int> answers;
        bool asked;
        CGroup* parentAfter;
    } cases[] = {
        {"a box of the inbox never goes into the outbox", friends, outbox, Qt::NoModifier, {},
         false, inbox},
        {"a standard box stays", inbox, recycle, Qt::NoModifier, {}, false, &root},
        {"never below itself", friends, school, Qt::NoModifier, {}, false, inbox},
        {"the copy key moves nothing", friends, recycle, Qt::ControlModifier, {}, false, inbox},
        {"into the recycle box: asked, and no keeps it", friends, recycle, Qt::NoModifier, {IDNO},
         true, inbox},
        {"into the recycle box: asked, yes moves it", friends, recycle, Qt::NoModifier, {IDYES},
         true, recycle},
        {"within the recycle box: no question", friends, old, Qt::NoModifier, {}, false, old},
        {"the account's own box into the recycle box: no question", mine, recycle,
         Qt::NoModifier, {}, false, recycle},
    };
    for (const Case& c : cases) {
        shown.clear();
        answers.assign(c.answers.begin(), c.answers.end());
        DragItem(item(c.box), item(c.target), c.mods);
        bool asked = false;
        for (const auto& m : shown)
            asked = asked || (m.caption == "移动信箱" &&
                              m.text == "您正在进行的信箱移动是无法恢复的，继续吗?");
        EXPECT_EQ(asked, c.asked) << c.what;
        EXPECT_EQ(parentOf(c.box), c.parentAfter) << c.what;
        ASSERT_NE(item(c.box), nullptr) << c.what;
        EXPECT_EQ(t.GetParentItem(item(c.box)), item(c.parentAfter)) << c.what;
    }
    EXPECT_EQ(school->GetParent(), friends) << "the sub-box went along";
    EXPECT_EQ(1, school->GetSmsCount());
    EXPECT_TRUE(doc->IsModified());
}

// Writing a message or changing the account's pages closes the tree off (and the later
// folders, and the program's close) until the message is done with or the changes are
// confirmed or cancelled.
TEST_F(SenderFormTest, TheTreeIsClosedOffWhileTheAccountIsEditedOrAMessageWritten) {
    OpenSmsFolder();
    CMainFrame* frame = app->GetMainFrame();
    COutbarWnd* bar = frame->GetOutbar();
    auto idle = [&](const char* when) {
        EXPECT_EQ(tree->GetBusy(), 0) << when;
        EXPECT_TRUE(tree->IsWindowEnabled()) << when;
        EXPECT_TRUE(bar->IsWindowEnabled()) << when;
        EXPECT_TRUE(bar->IsFolderEnabled(bar->GetFolderCount() - 1)) << when;
        EXPECT_FALSE(frame->IsBusy()) << when;
    };
    idle("at first");

    Type(Page(2), CPageSenderMobileInfo::IDC_NUMBER, "13900139000");
    EXPECT_EQ(tree->GetBusy(), 3);
    EXPECT_EQ(tree->GetPaneMode(), (int)CSendersView::PaneEditing);
    EXPECT_FALSE(bar->IsWindowEnabled()) << "the bar that holds the tree";
    EXPECT_FALSE(bar->IsFolderEnabled(2));
    EXPECT_TRUE(frame->IsBusy());
    CString reason;
    EXPECT_FALSE(smsModule.CanClose(reason));
    EXPECT_FALSE(reason.IsEmpty());
    frame->SendMessage(WM_COMMAND, CSenderForm::ID_CANCEL_EDIT);
    idle("after cancelling");
    EXPECT_EQ(tree->GetPaneMode(), 2) << "the account pane again";
    EXPECT_TRUE(smsModule.CanClose(reason));

    // Writing from the account's menu: the compose form, the tree closed off; discarding the
    // message brings the account pane back.
    HTREEITEM hAccount = tree->GetFileAt(0)->hItem;
    EXPECT_FALSE(PickFromMenu(hAccount, CSendersView::ID_WRITE_SMS) & MF_GRAYED);
    EXPECT_NE(dynamic_cast<CEditSmsForm*>(frame->GetRightPane()->GetCurrentWnd()), nullptr);
    EXPECT_EQ(tree->GetBusy(), 3);
    EXPECT_FALSE(tree->IsWindowEnabled());
    EXPECT_FALSE(bar->IsFolderEnabled(2));
    EXPECT_TRUE(frame->IsBusy());
    // A pane refresh asked meanwhile leaves the message being written.
    tree->SendMessage(WM_VIEW_BUSY, 300);
    EXPECT_NE(dynamic_cast<CEditSmsForm*>(frame->GetRightPane()->GetCurrentWnd()), nullptr);
    answers = {IDYES};
    frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
    Pump();
    idle("after discarding the message");
    EXPECT_EQ(frame->GetRightPane()->GetCurrentWnd(), form);
}

// A contact's form changed and not yet confirmed holds the address book: Ctrl+2 keeps the
// folder, so no sender file opens behind the edit and no message is written while the tree is
// closed off. Once the change is discarded or confirmed the user goes on, and the tree lends its
// contacts to the message being written.
TEST_F(SendersProgramTest, AnUnconfirmedContactEditKeepsTheAddressBookUntilItIsConfirmed) {
    CMainFrame* frame = app->GetMainFrame();
    COutbarWnd* bar = frame->GetOutbar();
    const CString sender = WriteAccount("发信.sdr", "发信");
    _CPerson* person = OpenFamilyBook();
    ASSERT_NE(person, nullptr);
    CLeftView* contacts = module.GetTree();
    CTreeCtrl& ctrl = contacts->GetTreeCtrl();
    frame->SetForegroundWindow();
    auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
        Pump();
    };

    // Ctrl+1, the contact picked with the mouse, its nickname typed into the form.
    ctrl.SetFocus();
    Pump();
    key(Qt::Key_1);
    ASSERT_EQ(bar->GetSelFolder(), (int)FolderAddressBook);
    CRect rc;
    ctrl.GetItemRect((HTREEITEM)person->GetTreeItem(), &rc, TRUE);
    QTest::mouseClick(ctrl.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
    Pump();
    auto* form = dynamic_cast<CFormNamebook*>(frame->GetRightPane()->GetCurrentView());
    ASSERT_NE(form, nullptr);
    CWnd* nickname = form->GetSheet().m_pagePerson.GetDlgItem(CPagePerson::IDC_NICKNAME);
    auto type = [&](const char* text) {
        nickname->SetFocus();
        Pump();
        QTest::keyClicks(nickname->GetWidget(), text);
        Pump();
    };
    type("x");
    EXPECT_FALSE(bar->IsFolderEnabled(FolderSms)) << "the change holds the address book";
    // Discarded with Ctrl+Alt+Q: the other folders are open again.
    answers = {IDYES};
    key(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_TRUE(bar->IsFolderEnabled(FolderSms));
    EXPECT_FALSE(frame->IsBusy());
    type("fang");
    ASSERT_TRUE(form->IsEditModified());
    ASSERT_TRUE(frame->IsBusy());

    // Ctrl+2 and Ctrl+O while the change waits: the folder stays, nothing opens.
    AnswerFile(sender);
    key(Qt::Key_2);
    key(Qt::Key_O);
    onDialog = nullptr;
    EXPECT_EQ(bar->GetSelFolder(), (int)FolderAddressBook);
    EXPECT_EQ(tree->GetFileCount(), 0) << "no sender file opens during the edit";
    EXPECT_EQ(frame->GetRightPane()->GetCurrentView(), form);
    EXPECT_TRUE(form->IsEditModified()) << "the change is kept";

    // Confirmed with Ctrl+E: the tree is free, the sender file opens and a message is written
    // with the tree open for picking.
    nickname->SetFocus();
    Pump();
    key(Qt::Key_E);
    EXPECT_FALSE(form->IsEditModified());
    EXPECT_EQ(person->GetInfo().m_personal.strNickname, "fang");
    EXPECT_TRUE(contacts->IsWindowEnabled());
    EXPECT_FALSE(frame->IsBusy());
    key(Qt::Key_2);
    ASSERT_EQ(bar->GetSelFolder(), (int)FolderSms);
    AnswerFile(sender);
    tree->SetFocus();
    Pump();
    key(Qt::Key_O);
    onDialog = nullptr;
    ASSERT_EQ(tree->GetFileCount(), 1);
    EXPECT_FALSE(PickFromMenu(tree->GetFileAt(0)->hItem, CSendersView::ID_WRITE_SMS) & MF_GRAYED);
    EXPECT_NE(dynamic_cast<CEditSmsForm*>(frame->GetRightPane()->GetCurrentWnd()), nullptr);
    EXPECT_TRUE(contacts->IsWindowEnabled()) << "contacts can be dragged in";
    answers = {IDYES};
    frame->SendMessage(WM_COMMAND, CEditSmsForm::ID_DISCARD);
    Pump();
    EXPECT_FALSE(frame->IsBusy());
}

// The main window's queries are answered from the senders tree: the selected account (none
// while it is locked), its document and its top box; a list without an account of its own
// sends with it.
TEST_F(SendersProgramTest, TheMainWindowAsksTheTreeForTheSelectedAccountAndItsDocument) {
    CMainFrame* frame = app->GetMainFrame();
    EXPECT_EQ(frame->GetCurrentSender(), nullptr) << "no file open";
    CSenderTreeDoc* first = NewAccount("一.sdr");
    CSenderTreeDoc* second = NewAccount("二.sdr");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    auto* outbox = second->GetRootBox().FindSubBoxByType(1);
    tree->GetTreeCtrl().SelectItem((HTREEITEM)outbox->GetTreeItem());
    Pump();
    EXPECT_EQ(frame->GetCurrentSender(), &second->GetSender()) << "selected, not the active one";
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ROOT_DOCUMENT), (LRESULT)second);
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ITEM_DOCUMENT), (LRESULT)second);
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ROOT_BOX), (LRESULT)&second->GetRootBox());
    EXPECT_EQ(smsModule.GetCurrentSender(), &second->GetSender());

    // The top item: no account selected; a list then sends with the active account.
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    Pump();
    EXPECT_EQ(frame->GetCurrentSender(), nullptr);
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ITEM_DOCUMENT), 0);
    EXPECT_EQ(smsModule.GetCurrentSender(), &first->GetSender());

    // A selected account that is locked gives neither its account nor its boxes.
    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(1)->hItem);
    Pump();
    second->GetSender().ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED);
    EXPECT_EQ(frame->GetCurrentSender(), nullptr);
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ROOT_BOX), 0);
    EXPECT_EQ(frame->SendMessage(WM_SENDERS_ROOT_DOCUMENT), (LRESULT)second);
    second->GetSender().ModifyFlags(CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED, 0);

    // The sender file's type is the program's.
    bool found = false;
    CDocManager* manager = AfxGetDocManager();
    for (POSITION pos = manager->GetFirstDocTemplatePosition(); pos != nullptr;) {
        CString ext;
        CDocTemplate* tpl = manager->GetNextDocTemplate(pos);
        if (tpl->GetDocString(ext, CDocTemplate::filterExt) && ext == ".sdr")
            found = tpl->GetDocString(ext, CDocTemplate::regFileTypeName) && ext == "墨川发信人文件";
    }
    EXPECT_TRUE(found);
}

// "帐户管理" on the gateway page offers the gateway commands below the button; one picked opens
// its dialog for the account's gateway user.
TEST_F(SenderFormTest, TheManageButtonOffersTheGatewayCommandsForTheAccount) {
    OpenSmsFolder();
    doc->GetSender().GetRecord().m_remote.m_strUserId = "20000001";
    CWnd* page = Page(0);
    ASSERT_NE(page, nullptr);
    CWnd* button = page->GetDlgItem(CPageSenderAccount::IDC_MANAGE);
    ASSERT_NE(button, nullptr);
    std::vector<UINT> offered;
    PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd*, POINT, UINT) -> UINT {
        CMenu* m = CMenu::FromHandle(hMenu);
        for (int i = 0; i < m->GetMenuItemCount(); ++i)
            if (m->GetMenuItemID(i) != 0)
                offered.push_back(m->GetMenuItemID(i));
        return CSendersView::ID_GATEWAY_BALANCE;
    });
    CString user;
    bool balance = false;
    onDialog = [&](CDialog& d) {
        if (auto* dlg = dynamic_cast<CDlgSmsAccountGetSmsBalance*>(&d)) {
            balance = true;
            user = dlg->m_strUser;
        }
        d.EndDialog(IDCANCEL);
    };
    QTest::mouseClick(button->GetWidget(), Qt::LeftButton);
    Pump();
    AfxSetPopupMenuHook(old);
    EXPECT_EQ(offered, (std::vector<UINT>{1542, 1543, 1544, 1545, 1564, 495}));
    EXPECT_TRUE(balance);
    EXPECT_EQ(user, "20000001");
    EXPECT_EQ(form->GetModifiedPages(), 0) << "opening the menu changes nothing";
    EXPECT_EQ(tree->GetBusy(), 0);
}

// A right click offers the menu of the item under the mouse: the folder's for the top item, the
// account's, the box's; a locked account offers none. The menus are kept as pictures.
TEST_F(SendersProgramTest, EachKindOfItemOffersItsOwnMenuAndALockedAccountNone) {
    OpenSmsFolder();
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("菜单.sdr", "菜单", 2), FALSE);
    ASSERT_NE(doc, nullptr);
    auto* inbox = doc->GetRootBox().FindSubBoxByType(0);
    struct Case {
        const char* screen;
        HTREEITEM item;
        UINT present, absent;
    } cases[] = {
        {"sms-senders-menu-top", tree->GetTopItem(), CSendersView::ID_ACCOUNT_NEW,
         CSendersView::ID_SET_ACTIVE},
        {"sms-senders-menu-account", tree->GetFileAt(0)->hItem, CSendersView::ID_CANCEL_ACTIVE,
         CSendersView::ID_BOX_DELETE},
        {"sms-senders-menu-box", (HTREEITEM)inbox->GetTreeItem(), CSendersView::ID_BOX_STATISTICS,
         CSendersView::ID_SET_ACTIVE},
    };
    for (const Case& c : cases) {
        UINT present = (UINT)-1, absent = 0;
        bool rendered = false;
        PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* owner, POINT, UINT) -> UINT {
            CMenu* m = CMenu::FromHandle(hMenu);
            present = m->GetMenuState(c.present, MF_BYCOMMAND);
            absent = m->GetMenuState(c.absent, MF_BYCOMMAND);
            QImage image = AfxRenderPopupMenu(hMenu, owner);
            rendered = !image.isNull() &&
                       image.save(QString::fromStdString(ScreenPath(c.screen)), "PNG");
            return 0u;
        });
        CRect rc;
        tree->GetTreeCtrl().GetItemRect(c.item, &rc, TRUE);
        QTest::mouseClick(tree->GetTreeCtrl().GetWidget(), Qt::RightButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        AfxSetPopupMenuHook(old);
        EXPECT_NE(present, (UINT)-1) << c.screen;
        EXPECT_FALSE(present & MF_GRAYED) << c.screen;
        EXPECT_EQ(absent, (UINT)-1) << c.screen;
        EXPECT_TRUE(rendered) << c.screen;
    }

    // A locked account: the right click brings no menu.
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    doc->GetSender().ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED);
    EXPECT_EQ(PickFromMenu(tree->GetFileAt(0)->hItem, CSendersView::ID_CANCEL_ACTIVE), (UINT)-1);
    doc->GetSender().ModifyFlags(CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED, 0);
}

// A reply written from a message of a box's list, with an address book open (its tree lends
// itself for picking meanwhile), gives the pane back to that box when it is saved or thrown
// away: not to the address book's list.
TEST_F(SendersProgramTest, AfterAReplyFromABoxsListTheBoxIsShownAgain) {
    const CString book = WriteBook("book.sms", "我的通讯录", "王芳");
    ASSERT_NE(app->GetMainFrame()->OpenFileByExtension(book), nullptr);
    CSenderTreeDoc* doc = tree->OpenSenderFile(WriteAccount("回信.sdr", "回信", 1), FALSE);
    ASSERT_NE(doc, nullptr);
    OpenSmsFolder();
    auto* inbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(0));
    auto* outbox = static_cast<_CSmsBox*>(doc->GetRootBox().FindSubBoxByType(1));
    POSITION first = inbox->GetFirstSmsPosition();
    inbox->GetNextSms(first)->m_sender = CNameCodeString("王芳\n13900139000");
    CMainFrame* frame = app->GetMainFrame();
    for (UINT nEnd : {(UINT)CEditSmsForm::ID_SAVE_DRAFT, (UINT)CEditSmsForm::ID_DISCARD}) {
        SCOPED_TRACE(nEnd);
        CRect rc;
        tree->GetTreeCtrl().GetItemRect((HTREEITEM)inbox->GetTreeItem(), &rc, TRUE);
        QTest::mouseClick(tree->GetTreeCtrl().GetWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rc.CenterPoint().x, rc.CenterPoint().y));
        Pump();
        CSmsView* list = ShownList();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->List().GetItemCount(), 1);
        // The row clicked, then 回复 chosen from its menu.
        CRect row;
        list->List().GetItemRect(0, &row, LVIR_LABEL);
        const QPoint at(row.CenterPoint().x, row.CenterPoint().y);
        QTest::mouseClick(list->List().GetWidget(), Qt::LeftButton, {}, at);
        Pump();
        PopupMenuHook old = AfxSetPopupMenuHook(
            [](HMENU, CWnd*, POINT, UINT) -> UINT { return CSmsView::ID_REPLY; });
        QTest::mouseClick(list->List().GetWidget(), Qt::RightButton, {}, at);
        Pump();
        AfxSetPopupMenuHook(old);
        auto* form = dynamic_cast<CEditSmsForm*>(frame->GetRightPane()->GetCurrentWnd());
        ASSERT_NE(form, nullptr);
        QTest::keyClicks(form->GetDlgItem(CEditSmsForm::IDC_TEXT)->GetWidget(), "ok");
        answers = {IDYES};
        frame->SendMessage(WM_COMMAND, nEnd);
        Pump();
        CSmsView* back = ShownList();
        ASSERT_NE(back, nullptr) << "the pane shows no box's list";
        EXPECT_EQ(back->List().GetItemCount(), inbox->GetSmsCount());
        CString title;
        frame->GetWindowText(title);
        EXPECT_NE(title.Find("短信管理"), -1) << title.GetString();
    }
    EXPECT_EQ(outbox->GetSmsCount(), 1);
}
