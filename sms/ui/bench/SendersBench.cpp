// The senders tree on a large sender file: 50 000 messages in 200 boxes (the standard boxes and
// user boxes below them). Prints the time to open the file into the tree, to paint the tree with
// every box expanded and its counts drawn, and to save the file; the targets are 1 s, 50 ms and
// 1 s.
#include "platform/base/OsPath.h"
#include "platform/gui/MessageBox.h"
#include "sms/Sms.h"
#include "sms/ui/SendersView.h"
#include "ui/bench/GuiBench.h"

#include <QTemporaryDir>
#include <QWidget>

int main() {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    StartGuiBenchmark();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDOK; });
    CDocument::SetMessageHook([](LPCTSTR, UINT) { return IDOK; });
    const CString path = ProgramPathFromOsPath((home.path() + "/bench.sdr").toStdString());
    {
        CSenderDoc doc(TRUE);
        doc.GetSender().GetName() = "大帐户";
        _CSmsBox& root = doc.GetRootBox();
        std::vector<_CSmsBox*> boxes;
        for (POSITION pos = root.GetFirstSubBoxPosition(); pos != nullptr;)
            boxes.push_back(root.GetNextSubBox(pos));
        CString name;
        for (int i = 0; boxes.size() < 200; ++i) {
            name.Format("信箱%03d", i);
            boxes.push_back(boxes[(size_t)i % 4]->AddSubBox(name, CMsgBoxBase::BOX_USER));
        }
        for (int i = 0; i < 50000; ++i) {
            auto* sms = new _CSms("主题");
            sms->m_strContent.Format("第%d条短信的内容，长度适中。", i);
            sms->m_recipient = CNameCodeString("13912345678");
            sms->SetState(i % 3 == 0 ? _CSms::STATE_UNREAD : _CSms::STATE_READ);
            boxes[(size_t)i % boxes.size()]->AddSms(sms);
        }
        if (!doc.OnSaveDocument(path)) {
            std::printf("could not write the sender file\n");
            return 1;
        }
    }
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 900), nullptr, 0);
    auto* tree = new CSendersView;
    tree->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 900), &host,
                 AFX_IDW_PANE_FIRST);
    tree->OnInitialUpdate();

    auto t = std::chrono::steady_clock::now();
    CSenderTreeDoc* doc = tree->OpenSenderFile(path, FALSE);
    std::printf("open 50 000 messages in 200 boxes: %.3f s (target < 1 s)\n", Seconds(t));
    if (doc == nullptr)
        return 1;

    CTreeCtrl& ctrl = tree->GetTreeCtrl();
    for (HTREEITEM h = ctrl.GetRootItem(); h != nullptr; h = ctrl.GetNextItem(h, TVGN_NEXTVISIBLE))
        ctrl.Expand(h, TVE_EXPAND);
    ctrl.UpdateWindow();
    t = std::chrono::steady_clock::now();
    const int runs = 10;
    int width = 0;
    for (int i = 0; i < runs; ++i)
        width += ctrl.GetWidget()->grab().width(); // a whole paint, custom drawing included
    std::printf("paint the tree with its counts: %.1f ms (target < 50 ms), %u items\n",
                Seconds(t) * 1000 / runs, ctrl.GetCount());
    (void)width;

    doc->SetModifiedFlag(TRUE);
    t = std::chrono::steady_clock::now();
    BOOL saved = doc->OnSaveDocument(path);
    std::printf("save the file: %.3f s (target < 1 s)%s\n", Seconds(t), saved ? "" : " FAILED");
    tree->CloseAllFiles();
    host.DestroyWindow();
    return 0;
}
