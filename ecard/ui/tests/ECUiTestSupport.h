// The e-card window tests: folders and settings of the test's own, the e-card service standing
// in on loopback with two users, a stand-in user for message boxes and dialogs, and helpers that
// act on a dialog as a person does (typing into its controls, clicking its buttons).
#pragma once

#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECUsersManager.h"
#include "links/ServiceAddress.h"
#include "platform/base/File.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/tests/ProgramRun.h"
#include "testsupport/ECardService.h"
#include "testsupport/NetTestEnv.h"

#include <QMouseEvent>
#include <QTest>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

namespace ecard_ui_test {

constexpr UINT kAlice = 20000001;
constexpr UINT kBob = 20000002;

// A loopback address where nobody listens: a port bound and closed again.
inline std::string ClosedPortAddress() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/";
}

// Whether a modal dialog has been given its answer (its loop ends when the event loop next runs).
struct DialogProbe : CDialog {
    static bool Ended(CDialog& d) {
        int CDialog::*result = &DialogProbe::m_nModalResult;
        return d.*result != -1;
    }
};

class ECUiTest : public ScriptedUserTest {
protected:
    AppFolders folders;
    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
    test_net::ECardService service;

    void SetUp() override {
        ASSERT_TRUE(server.IsListening());
        service.Attach(server);
        {
            std::lock_guard<std::mutex> g(service.lock);
            service.users[kAlice].password = "alice1";
            service.users[kAlice].name = "爱丽丝";
            service.users[kBob].password = "bob123";
            service.users[kBob].name = "鲍勃";
            service.nextNumber = 30000001;
        }
        UseService();
        InstallScriptedUser(IDOK);
        // The right pane's views as the program registers them.
        CECRightPaneFrame::RegisterStandardViews();
    }
    void TearDown() override { RemoveScriptedUser(); }

    void UseService() { ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str())); }
    void UseNoService() { ASSERT_TRUE(SetServiceBaseAddress(ClosedPortAddress().c_str())); }

    // The pages the service was asked for, in order.
    std::vector<std::string> Pages() const {
        std::vector<std::string> pages;
        for (const auto& r : server.Requests())
            pages.push_back(r.page.substr(r.page.rfind('/') + 1));
        return pages;
    }
    std::vector<CString> Texts() const {
        std::vector<CString> texts;
        for (const auto& c : shown)
            texts.push_back(c.text);
        return texts;
    }
    BOOL Shown(const char* text) const {
        for (const auto& c : shown)
            if (c.text == text)
                return TRUE;
        return FALSE;
    }

    static void Click(CWnd* pDlg, int nID) {
        CWnd* pButton = pDlg->GetDlgItem(nID);
        ASSERT_NE(nullptr, pButton) << nID;
        ASSERT_TRUE(pButton->IsWindowEnabled()) << nID;
        // Near the left edge: a check box or radio button takes clicks only on its mark and text.
        QWidget* w = pButton->GetWidget();
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
    }
    // The control that keys typed into the dialog reach, once the dialog is the active window.
    static QWidget* KeyboardFocus(CWnd& dlg) {
        QWidget* window = dlg.GetWidget()->window();
        window->activateWindow();
        if (!WaitFor([window] { return QApplication::activeWindow() == window; }))
            return nullptr;
        return QApplication::focusWidget();
    }
    // Replaces the control's text as a person does: select all, type.
    static void Type(CWnd* pDlg, int nID, const char* text) {
        CWnd* pCtrl = pDlg->GetDlgItem(nID);
        ASSERT_NE(nullptr, pCtrl) << nID;
        pCtrl->SetWindowText("");
        QTest::keyClicks(pCtrl->GetWidget(), QString::fromUtf8(text));
    }
    static void SetText(CWnd* pDlg, int nID, const char* gbkText) {
        pDlg->SetDlgItemText(nID, gbkText);
    }

    // Writes a user file as a finished log-in leaves it.
    static void StoreUser(UINT nUid, const char* password) {
        CECUserDoc doc;
        doc.GetUser().SetUserNumber(nUid);
        doc.GetUser().GetAccount().m_strPassword = password;
        ASSERT_TRUE(doc.SaveUser());
    }
    // A contact of the number and name put into the group.
    static CECContact* AddContact(CECGroup& group, UINT uid, const char* name) {
        auto* p = new CECContact(name);
        p->m_nUid = uid;
        group.InsertPerson(p);
        return p;
    }
    static BOOL FileExists(const CString& path) {
        CFileStatus status;
        return CFile::GetStatus(path, status);
    }
};

// The window of a logged-in user opened from a stored file: its tree, its user, and the commands
// and waits of the window tests.
class ECWindowTest : public ECUiTest {
protected:
    CECUsersManager manager;
    CECFrame* frame = nullptr;
    CECContactsTreeView* tree = nullptr;
    CECUser* user = nullptr;

    void TearDown() override {
        manager.CloseAll();
        ECUiTest::TearDown();
    }
    // Opens the user's window over the stored file.
    void OpenWindow(UINT nUid) {
        ASSERT_TRUE(manager.OpenUserWindow(nUid, nullptr));
        frame = manager.GetWindow(manager.GetWindowCount() - 1);
        tree = frame->GetTree();
        user = &frame->GetUserDoc()->GetUser();
        Pump();
    }
    HTREEITEM ItemOf(UINT uid) const {
        return tree->FindItemOf(user->GetRootGroup().FindByNumber(uid));
    }
    CString ParentText(HTREEITEM h) const {
        return tree->GetTreeCtrl().GetItemText(tree->GetTreeCtrl().GetParentItem(h));
    }
    void WaitIdle() { ASSERT_TRUE(WaitFor([this] { return !frame->IsBusy(); }, 20000)); }
    void Command(UINT id) { frame->SendMessage(WM_COMMAND, id, 0); }
    // Whether the window's command routing enables the command now.
    BOOL Enabled(UINT nID) {
        struct Probe : CCmdUI {
            BOOL enabled = FALSE;
            void Enable(BOOL b) override { enabled = b; m_bEnableChanged = TRUE; }
        } cmd;
        cmd.m_nID = nID;
        cmd.DoUpdate(frame, FALSE);
        return cmd.enabled;
    }
    // Drags one item of the tree onto another with the left button, as a person does: press, a
    // first move past the drag threshold, the move to the target, release.
    void DragItem(HTREEITEM from, HTREEITEM to) {
        CTreeCtrl& t = tree->GetTreeCtrl();
        CRect a, b;
        ASSERT_TRUE(t.GetItemRect(from, &a, TRUE));
        ASSERT_TRUE(t.GetItemRect(to, &b, TRUE));
        QWidget* w = t.GetWidget();
        auto send = [w](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
            QPointF local(pt.x, pt.y);
            QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        };
        send(QEvent::MouseButtonPress, a.CenterPoint(), Qt::LeftButton);
        send(QEvent::MouseMove, a.CenterPoint() + CPoint(0, -8), Qt::LeftButton);
        send(QEvent::MouseMove, b.CenterPoint(), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, b.CenterPoint(), Qt::NoButton);
    }
};

} // namespace ecard_ui_test
