// The message list over a box of N messages: prints the time to fill the list, to sort it by
// each column, to take every other message out of the list (deleted into the recycle box, moved
// to another box as a drop does, cut as the clipboard does) with the list painted again, and to
// export the box as cards.
//
//     bench_msg_views [messages ...]      (default: 10000 50000)
//
// Release targets: fill 300 ms and each sort 200 ms per 10 000 messages, export 100 ms per 1 000;
// taking half of the list out, 1 s at any size up to 50 000.
#include "platform/base/OsPath.h"
#include "platform/gui/MessageBox.h"
#include "sms/SenderDoc.h"
#include "sms/Sms.h"
#include "sms/ui/SmsBoxFiles.h"
#include "sms/ui/SmsView.h"
#include "ui/bench/GuiBench.h"

#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

void FillBox(_CSmsBox& box, int count) {
    CString name, number, text;
    for (int i = 0; i < count; ++i) {
        auto* sms = new _CSms(i % 5 == 0 ? "问候" : "");
        name.Format("联系人%05d", (i * 7919) % count);
        number.Format("139%08d", (i * 104729) % 100000000);
        sms->m_sender.Set(name, number);
        sms->m_recipient.Set("我", "13800138000");
        text.Format("第%d条短信，内容长短不一%s", i, i % 3 == 0 ? "，再多写几个字。" : "");
        sms->m_strContent = text;
        sms->m_nSize = text.GetLength();
        sms->m_nKind = i % 7 == 0 ? _CSms::KIND_INSTANT : _CSms::KIND_MOBILE;
        sms->SetState(i % 4 == 0 ? _CSms::STATE_UNREAD : _CSms::STATE_READ);
        sms->SetTime(CTime(2020 + i % 6, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 13) % 60));
        box.AddSms(sms);
    }
}

void SelectEveryOtherRow(CListCtrl& rows) {
    rows.SetItemState(-1, 0, LVIS_SELECTED);
    for (int i = 0; i < rows.GetItemCount(); i += 2)
        rows.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
}

// Where the list's rows are dropped: a box the window moves them into, as the senders tree does.
class CDropTarget : public CWnd {
public:
    CMsgBoxBase* pBox = nullptr;
    LRESULT OnDrop(WPARAM, LPARAM lParam) {
        auto& q = *reinterpret_cast<MSGDROPQUERY*>(lParam);
        return DropMessageOnBox(q, pBox);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDropTarget, CWnd)
ON_MESSAGE(WM_MSGLIST_DROP, &CDropTarget::OnDrop)
END_MESSAGE_MAP()

// Whether a figure met its target.
const char* Verdict(double ms, double targetMs) {
    return ms < targetMs ? "met" : "NOT MET";
}

// Paints the list as the screen would show it now.
void Repaint(CWnd& list) {
    list.GetWidget()->grab();
}

int Run(int count, const QString& folder) {
    std::printf("---- %d messages\n", count);
    const double scale = count / 10000.0;
    CSenderDoc doc;
    doc.m_bAutoDelete = FALSE;
    _CSmsBox& root = doc.GetRootBox();
    auto& inbox = *static_cast<_CSmsBox*>(root.FindSubBoxByType(CMsgBoxBase::BOX_INBOX));
    auto& recycle = *static_cast<_CSmsBox*>(root.FindSubBoxByType(CMsgBoxBase::BOX_RECYCLE));
    _CSmsBox* mine = root.AddSubBox("我的", _CSmsBox::BOX_USER);
    _CSmsBox clip;
    FillBox(inbox, count);

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
    CDropTarget target;
    target.pBox = mine;
    target.CreateEx(0, nullptr, "target", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 700), nullptr,
                    0);

    auto t = std::chrono::steady_clock::now();
    SetDocCurrentBox(&doc, &inbox);
    doc.UpdateAllViews(nullptr);
    double ms = Seconds(t) * 1000;
    std::printf("fill the list: %.0f ms (target < %.0f ms: %s), %d rows\n", ms, 300 * scale,
                Verdict(ms, 300 * scale), rows.GetItemCount());

    for (int column = 1; column < 8; ++column) {
        t = std::chrono::steady_clock::now();
        list->SortByColumn(column);
        ms = Seconds(t) * 1000;
        std::printf("sort by column %d: %.0f ms (target < %.0f ms: %s)\n", column, ms,
                    200 * scale, Verdict(ms, 200 * scale));
    }

    // Each way out takes every other row of a full inbox and ends with the list painted.
    struct Way {
        const char* what;
        std::function<void()> take;
        _CSmsBox* into;
    } ways[] = {
        {"delete into the recycle box",
         [&] { list->SendMessage(WM_COMMAND, CMsgListView::ID_DELETE, 0); }, &recycle},
        {"move to another box (a drop)",
         [&] {
             // The drag helper's drop on another window, as a mouse release ends a drag.
             CArray<DRAGITEM, DRAGITEM> dragged;
             CDWordArray data;
             for (POSITION pos = rows.GetFirstSelectedItemPosition(); pos != nullptr;) {
                 dragged.Add(rows.GetNextSelectedItem(pos));
                 data.Add(0);
             }
             HWND hTarget = nullptr;
             DRAGITEM onto = 0;
             list->SetOwner(&target);
             list->GetDragDrop().DropOnWindow(dragged, data, 20, 40, 0, FALSE, 0, hTarget, onto);
             list->SetOwner(nullptr);
         },
         mine},
        {"cut to the clipboard", [&] { list->RemoveSelected(FALSE, &clip); }, &clip},
    };
    for (const Way& way : ways) {
        if (inbox.GetSmsCount() != count) {
            inbox.DeleteAllSms();
            FillBox(inbox, count);
            doc.UpdateAllViews(nullptr);
        }
        Repaint(rows);
        SelectEveryOtherRow(rows);
        const int before = way.into->GetSmsCount();
        t = std::chrono::steady_clock::now();
        way.take();
        Repaint(rows);
        ms = Seconds(t) * 1000;
        std::printf("%s, %d of %d, and paint: %.0f ms (target < 1000 ms: %s), %d rows left, %d "
                    "arrived\n",
                    way.what, (count + 1) / 2, count, ms, Verdict(ms, 1000), rows.GetItemCount(),
                    way.into->GetSmsCount() - before);
    }

    const CString path =
        ProgramPathFromOsPath((folder + QString("/cards%1.txt").arg(count)).toStdString());
    t = std::chrono::steady_clock::now();
    const SmsCardExportResult result = WriteBoxCards(inbox, path);
    ms = Seconds(t) * 1000;
    const double exportTarget = inbox.GetSmsCount() / 10.0;
    std::printf("export %d messages as cards: %.0f ms (target < %.0f ms: %s)%s\n",
                inbox.GetSmsCount(), ms, exportTarget, Verdict(ms, exportTarget),
                result == SMS_CARDS_WRITTEN ? "" : " FAILED");
    target.DestroyWindow();
    host.DestroyWindow();
    return result == SMS_CARDS_WRITTEN ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    StartGuiBenchmark();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDYES; });
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const int n = std::atoi(argv[i]);
        if (n < 2) {
            std::fprintf(stderr, "usage: bench_msg_views [messages ...]\n");
            return 2;
        }
        sizes.push_back(n);
    }
    if (sizes.empty())
        sizes = {10000, 50000};
    int failed = 0;
    for (int n : sizes)
        failed |= Run(n, home.path());
    return failed;
}
