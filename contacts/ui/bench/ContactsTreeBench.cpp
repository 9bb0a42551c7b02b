// Times the address-book tree and contact list on a large book: 50 000 contacts in 500 groups
// (100 of them in one group of 5 000) opened into the tree, the big group listed and sorted by
// name then by mobile, every contact of the book listed with all sub-nodes, the book closed.
// Release-build targets: open under 3 s; 5 000 rows filled and sorted under 0.5 s, 50 000 under
// 5 s. An optional argument replaces the 50 000. A sanitized debug build is several times slower.
#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "contacts/PersonFields.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/ViewPersonList.h"
#include "platform/base/Document.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WndPrivate.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double Millis(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

int ColumnOf(CViewPersonList& list, int field) {
    const CArray<int, int>& fields = list.GetColumnFields();
    for (int i = 0; i < fields.GetSize(); ++i)
        if (fields[i] == field)
            return i;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 50000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    AfxEnsureGuiApp();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDNO; });
    QTemporaryDir dir;
    // The other groups share the rest evenly, the first ones one more each: count in all.
    const int big = count / 10, groups = 500, perGroup = (count - big) / (groups - 1),
              extra = (count - big) % (groups - 1);

    CString path = (dir.path() + "/big.sms").toUtf8().constData();
    {
        CSmsDoc doc;
        _CGroup& root = doc.GetRootGroup();
        root.SetName("大通讯录");
        CString name, mobile;
        int made = 0;
        for (int g = 0; g < groups; ++g) {
            name.Format("组%03d", g);
            auto* group = new _CGroup(name);
            root.AddSubgroup(group, FALSE);
            const int n = g == 0 ? big : perGroup + (g <= extra ? 1 : 0);
            for (int i = 0; i < n; ++i, ++made) {
                name.Format("联系人%06d", (int)((long long)made * 7919 % 1000003));
                auto* person = new _CPerson(name);
                mobile.Format("139%08d", (int)((long long)made * 104729 % 100000000));
                person->SetFieldText(PF_MOBILE, mobile, TRUE, 0, "\n", "-");
                group->AddContent(person, FALSE);
            }
        }
        if (!doc.OnSaveDocument(path)) {
            std::printf("could not write the book\n");
            return 1;
        }
        std::printf("book of %d contacts in %d groups written\n", made, groups);
    }

    auto* frame = new CFrameWnd;
    frame->Create(nullptr, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1000, 600));
    auto* tree = new CLeftView;
    tree->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 250, 580), frame,
                 AFX_IDW_PANE_FIRST, nullptr);
    tree->OnInitialUpdate();
    auto* list = new CViewPersonList;
    list->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(250, 0, 990, 580), frame,
                 AFX_IDW_PANE_FIRST + 1, nullptr);
    list->SetOwner(tree);
    list->OnInitialUpdate();

    auto t = std::chrono::steady_clock::now();
    auto* doc = dynamic_cast<CSmsDoc*>(tree->OpenFile(path, FALSE));
    std::printf("open into the tree: %.1f ms (target < 3000 ms)\n", Millis(t));
    if (doc == nullptr)
        return 1;

    auto* bigGroup =
        dynamic_cast<CGroupItem*>(doc->GetRootGroup().FindByName("组000", TRUE, FALSE, FALSE));
    tree->GetTreeCtrl().SelectItem((HTREEITEM)bigGroup->GetTreeItem());
    const auto fillStart = std::chrono::steady_clock::now();
    t = fillStart;
    list->OnUpdate(nullptr, 0, nullptr);
    std::printf("list %d contacts: %.1f ms\n", list->GetListCtrl().GetItemCount(), Millis(t));
    for (int field : {(int)PF_NAME, (int)PF_MOBILE}) {
        t = std::chrono::steady_clock::now();
        list->Sort(ColumnOf(*list, field), TRUE);
        std::printf("  sorted by %s: %.1f ms\n", field == PF_NAME ? "name" : "mobile", Millis(t));
    }
    std::printf("%d rows filled and sorted by name then by mobile: %.1f ms (target < 500 ms)\n",
                list->GetListCtrl().GetItemCount(), Millis(fillStart));

    tree->GetTreeCtrl().SelectItem(tree->GetFileAt(0)->hItem);
    tree->OnCmdMsg(CLeftView::ID_SHOW_ALL_SUBNODES, CN_COMMAND, nullptr, nullptr);
    list->Sort(-1, TRUE);
    t = std::chrono::steady_clock::now();
    list->OnUpdate(nullptr, 0, nullptr);
    list->Sort(ColumnOf(*list, PF_NAME), TRUE);
    std::printf(
        "all sub-nodes of the root, %d rows filled and sorted: %.1f ms (target < 5000 ms)\n",
        list->GetListCtrl().GetItemCount(), Millis(t));

    t = std::chrono::steady_clock::now();
    tree->GetTreeCtrl().SelectItem(tree->GetTopItem());
    list->GetListCtrl().DeleteAllItems();
    tree->CloseAllFiles();
    std::printf("close: %.1f ms\n", Millis(t));
    frame->DestroyWindow();
    AfxSetMessageBoxHook(nullptr);
    return 0;
}
