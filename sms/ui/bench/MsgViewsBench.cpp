// The message list over a box of messages: `bench_msg_views [messages]` prints the time to fill
// the list, to sort it by each column, to delete every other message into the recycle box and to
// export what is left as cards. Without an argument it runs at 10 000 and 50 000 messages, each in
// a fresh process. Release targets at 10 000, growing linearly: 300 ms, 200 ms per sort and
// 500 ms; the delete 1 s at any size.
#include "platform/base/OsPath.h"
#include "platform/gui/MessageBox.h"
#include "sms/SenderDoc.h"
#include "sms/Sms.h"
#include "sms/ui/SmsBoxFiles.h"
#include "sms/ui/SmsView.h"
#include "ui/bench/GuiBench.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        SizedFigures figures;
        return RunAtSizes({10000, 50000}, figures) ? 0 : 1;
    }
    const int count = std::atoi(argv[1]);
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_msg_views [messages]\n");
        return 2;
    }
    const double scale = std::max(1.0, count / 10000.0);
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    StartGuiBenchmark();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDYES; });

    CSenderDoc doc;
    doc.m_bAutoDelete = FALSE;
    auto& inbox = *static_cast<_CSmsBox*>(doc.GetRootBox().FindSubBoxByType(CMsgBoxBase::BOX_INBOX));
    auto& recycle =
        *static_cast<_CSmsBox*>(doc.GetRootBox().FindSubBoxByType(CMsgBoxBase::BOX_RECYCLE));
    CString name, number, text;
    for (int i = 0; i < count; ++i) {
        auto* sms = new _CSms(i % 5 == 0 ? "问候" : "");
        name.Format("联系人%04d", (i * 7919) % count);
        number.Format("139%08d", (i * 104729) % 100000000);
        sms->m_sender.Set(name, number);
        sms->m_recipient.Set("我", "13800138000");
        text.Format("第%d条短信，内容长短不一%s", i, i % 3 == 0 ? "，再多写几个字。" : "");
        sms->m_strContent = text;
        sms->m_nSize = text.GetLength();
        sms->m_nKind = i % 7 == 0 ? _CSms::KIND_INSTANT : _CSms::KIND_MOBILE;
        sms->SetState(i % 4 == 0 ? _CSms::STATE_UNREAD : _CSms::STATE_READ);
        sms->SetTime(CTime(2020 + i % 6, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 13) % 60));
        inbox.AddSms(sms);
    }

    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 700), nullptr, 0);
    CCreateContext context;
    context.m_pCurrentDoc = &doc;
    auto* view = new CSplitterView;
    view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 1000, 700), &host,
                 AFX_IDW_PANE_FIRST, &context);
    view->OnInitialUpdate();
    CSmsView* list = view->GetSmsList();
    CListCtrl& rows = list->List();

    auto t = std::chrono::steady_clock::now();
    SetDocCurrentBox(&doc, &inbox);
    doc.UpdateAllViews(nullptr);
    double ms = Seconds(t) * 1000;
    std::printf("fill the list with %d messages, %d rows: %.0f ms", count, rows.GetItemCount(), ms);
    PrintTarget(ms, 300 * scale, "ms");

    for (int column = 1; column < 8; ++column) {
        t = std::chrono::steady_clock::now();
        list->SortByColumn(column);
        ms = Seconds(t) * 1000;
        std::printf("sort by column %d: %.0f ms", column, ms);
        PrintTarget(ms, 200 * scale, "ms");
    }

    rows.SetItemState(-1, 0, LVIS_SELECTED);
    for (int i = 0; i < rows.GetItemCount(); i += 2)
        rows.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    t = std::chrono::steady_clock::now();
    list->SendMessage(WM_COMMAND, CMsgListView::ID_DELETE, 0);
    ms = Seconds(t) * 1000;
    std::printf("delete %d into the recycle box, %d rows left, %d recycled: %.0f ms",
                (count + 1) / 2, rows.GetItemCount(), recycle.GetSmsCount(), ms);
    PrintTarget(ms, 1000, "ms");

    const CString path = ProgramPathFromOsPath((home.path() + "/cards.txt").toStdString());
    t = std::chrono::steady_clock::now();
    const SmsCardExportResult result = WriteBoxCards(inbox, path);
    ms = Seconds(t) * 1000;
    std::printf("export %d messages as cards%s: %.0f ms", inbox.GetSmsCount(),
                result == SMS_CARDS_WRITTEN ? "" : " FAILED", ms);
    PrintTarget(ms, 500 * scale, "ms");
    host.DestroyWindow();
    return 0;
}
