// Figures of the e-card window: a user of 10 000 contacts in nested groups logged in offline to
// a shown tree, and a synchronisation answer of 10 000 contacts (1 000 of them changing group)
// applied to it. Release target: 1 s each.
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECUsersManager.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "platform/gui/Wnd.h"
#include "testsupport/ECardService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main() {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    AfxEnsureGuiApp();

    const UINT kUser = 20000001;
    const int kGroups = 100, kPerGroup = 100;
    test_net::ServiceStandIn server;
    test_net::ECardService service;
    service.users[kUser].password = "secret";
    {
        CECUserDoc doc;
        CECUser& user = doc.GetUser();
        user.SetUserNumber(kUser);
        user.GetAccount().m_strPassword = "secret";
        UINT uid = 30000000;
        for (int g = 0; g < kGroups; ++g) {
            CString name;
            name.Format("组%d", g);
            auto* outer = static_cast<CECGroup*>(user.GetFriends().CreateSubGroup(name));
            user.GetFriends().AddSubgroup(outer);
            auto* inner = static_cast<CECGroup*>(outer->CreateSubGroup("子组"));
            outer->AddSubgroup(inner);
            for (int i = 0; i < kPerGroup; ++i) {
                CString person;
                person.Format("联系人%u", uid);
                auto* contact = new CECContact(person);
                contact->m_nUid = uid;
                contact->m_dwStatus = CECContact::STATUS_FRIEND;
                (i % 2 ? inner : outer)->InsertPerson(contact);
                service.users[uid].name = "contact";
                service.users[uid].password = "x";
                // One in ten no longer keeps this user as a friend: it moves to the strangers.
                if (i % 10 != 0)
                    service.users[uid].friends.insert(kUser);
                ++uid;
            }
        }
        doc.SaveUser();
    }
    service.Attach(server);
    SetServiceBaseAddress(server.BaseAddress().c_str());

    CECUsersManager manager;
    QElapsedTimer timer;
    timer.start();
    manager.OpenUserWindow(kUser, nullptr);
    CECFrame* frame = manager.GetWindow(0);
    QCoreApplication::processEvents();
    std::printf("offline log-in of %d contacts to a shown tree: %lld ms\n", kGroups * kPerGroup,
                (long long)timer.elapsed());

    timer.restart();
    frame->SendMessage(WM_COMMAND, 1525, 0);
    while (frame->IsBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const int strangers = frame->GetUserDoc()->GetUser().GetStrangers().GetContentCount(TRUE, TRUE);
    std::printf("synchronisation answer of %d contacts applied (%d moved to the strangers): %lld ms\n",
                kGroups * kPerGroup, strangers, (long long)timer.elapsed());
    manager.CloseAll();
    return 0;
}
