// Figures of the e-card right pane over a friends group of 5 000: the contact list and the
// access table filled and painted, and the access dialog opened on the group. Release targets:
// 300 ms a fill, 16 ms a paint, 1 s the dialog.
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "ecard/ui/ECUsersManager.h"
#include "platform/gui/Wnd.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

long long PaintMs(CWnd* pWnd) {
    QElapsedTimer timer;
    timer.start();
    pWnd->GetWidget()->grab();
    return (long long)timer.elapsed();
}

} // namespace

int main() {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    AfxEnsureGuiApp();
    CECRightPaneFrame::RegisterStandardViews();

    const UINT kUser = 20000001;
    const int kFriends = 5000;
    {
        CECUserDoc doc;
        CECUser& user = doc.GetUser();
        user.SetUserNumber(kUser);
        user.GetAccount().m_strPassword = "secret";
        for (int i = 0; i < kFriends; ++i) {
            CString name;
            name.Format("好友%d", i);
            auto* contact = new CECContact(name);
            contact->m_nUid = 30000000 + (UINT)i;
            contact->m_dwStatus = CECContact::STATUS_FRIEND;
            contact->m_access[0] = i % 2 ? 0x3FFCF : 0x1;
            user.GetFriends().InsertPerson(contact);
        }
        doc.SaveUser();
    }
    CECUsersManager manager;
    manager.OpenUserWindow(kUser, nullptr);
    CECFrame* frame = manager.GetWindow(0);
    frame->MoveWindow(0, 0, 1000, 700);
    QCoreApplication::processEvents();
    CECContactsTreeView* tree = frame->GetTree();
    CECRightPaneFrame* pane = frame->GetRightPane();

    QElapsedTimer timer;
    timer.start();
    tree->GetTreeCtrl().SelectItem(tree->GetGroupItem(CECContactsTreeView::KindFriends));
    std::printf("contact list of %d friends filled: %lld ms\n", kFriends,
                (long long)timer.elapsed());
    std::printf("contact list painted: %lld ms\n",
                PaintMs(pane->GetViewWnd(EC_VIEW_PERSON_LIST)));

    timer.restart();
    frame->SendMessage(WM_COMMAND, ID_EC_VIEW_ACCESS_LIST, 0);
    frame->GetUserDoc()->UpdateAllViews(nullptr, 0x2000);
    std::printf("access table of %d friends shown and filled: %lld ms\n", kFriends,
                (long long)timer.elapsed());
    std::printf("access table painted: %lld ms\n", PaintMs(pane->GetViewWnd(EC_VIEW_ACCESS_LIST)));

    CECUser& user = frame->GetUserDoc()->GetUser();
    CECDlgModifyAccess dlg(&user, {&user.GetFriends()}, frame);
    long long opened = 0;
    QTimer::singleShot(0, [&] {
        opened = (long long)timer.elapsed();
        dlg.EndDialog(IDCANCEL);
    });
    timer.restart();
    dlg.DoModal();
    std::printf("access dialog opened on %d friends: %lld ms\n", kFriends, opened);
    manager.CloseAll();
    return 0;
}
