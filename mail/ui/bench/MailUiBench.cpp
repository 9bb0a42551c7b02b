// The e-mail views on a large box: 10 000 mails of 2 to 20 KB in one inbox. Prints the time to
// list them (from the record database, as after a start, and again from the cache), to sort them
// by date, to paint one page of the list, and to take a dropped folder of 2 000 files of 20
// extensions into the compose frame's attachment list. Targets: 1 s, 0.5 s, 16 ms and 1 s.
#include "core/QuillmarBaseDoc.h"
#include "mail/EmailAccount.h"
#include "mail/EmailMessage.h"
#include "mail/ui/EmailViews.h"
#include "mail/ui/FileListCtrl.h"
#include "platform/gui/MessageBox.h"
#include "ui/bench/GuiBench.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace {

void ListBox(CQuillmarBaseDoc& doc, CEmailBox* pBox) {
    SetDocCurrentBox(&doc, pBox);
    doc.UpdateAllViews(nullptr);
}

} // namespace

int main() {
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    StartGuiBenchmark();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDOK; });
    const CString folder = AfxFromQt(home.path() + "/account");
    {
        CEmailAccount account;
        if (!account.Create(folder)) {
            std::printf("could not make the account\n");
            return 1;
        }
        CString text, subject;
        for (int i = 0; i < 10000; ++i) {
            auto* m = new CEmailMessage;
            m->SetState(3);
            m->SetFlags(i % 3 == 0 ? CMessageBase::FLAG_UNREAD : 0);
            subject.Format("第%d封邮件：季度报告与会议安排", i);
            m->m_strSubject = subject;
            m->m_sender.m_strName = "王五";
            m->m_sender.m_strAddress = "wang@example.com";
            m->AddRecipients("李四 <li@example.com>", CEmailMessage::KIND_TO);
            m->SetTime(CTime(2020, 1, 1, 0, 0, 0) + CTimeSpan(0, 0, (i * 7919) % 500000, 0));
            const int size = 2048 + (i * 1543) % (18 * 1024);
            text = CString('x', size);
            m->SetText(text);
            if (!account.SaveMessage(m)) {
                std::printf("could not store mail %d\n", i);
                return 1;
            }
            account.Uncache(m->GetRecordId(), TRUE);
        }
    }

    auto account = std::make_unique<CEmailAccount>();
    if (!account->Open(folder))
        return 1;
    CQuillmarBaseDoc doc;
    doc.m_bAutoDelete = FALSE;
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 900, 700), nullptr, 0);
    CCreateContext context;
    context.m_pCurrentDoc = &doc;
    auto* view = new CEmailSplitView;
    view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 900, 700), &host,
                 AFX_IDW_PANE_FIRST, &context);
    view->OnInitialUpdate();
    CEmailListView* list = view->GetEmailList();
    CEmailBox* inbox = account->FindBox(0);

    auto t = std::chrono::steady_clock::now();
    ListBox(doc, inbox);
    std::printf("list 10 000 mails of 2-20 KB, loaded from the database: %.3f s (target < 1 s)\n",
                Seconds(t));
    if (list->List().GetItemCount() != 10000) {
        std::printf("listed %d mails\n", list->List().GetItemCount());
        return 1;
    }
    SetDocCurrentBox(&doc, nullptr);
    doc.UpdateAllViews(nullptr);
    t = std::chrono::steady_clock::now();
    ListBox(doc, inbox);
    std::printf("list them again from the cache: %.3f s (target < 1 s)\n", Seconds(t));

    t = std::chrono::steady_clock::now();
    list->SortItems(6, TRUE);
    std::printf("sort 10 000 mails by date: %.3f s (target < 0.5 s)\n", Seconds(t));
    t = std::chrono::steady_clock::now();
    list->SortItems(4, TRUE);
    std::printf("sort them by subject: %.3f s\n", Seconds(t));

    QWidget* w = list->List().GetWidget();
    w->grab(); // fonts and pictures made once
    const int rounds = 20;
    t = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        w->grab();
    std::printf("paint one page of the list: %.1f ms (target < 16 ms)\n",
                Seconds(t) * 1000 / rounds);

    // 2 000 files of 20 extensions in 20 folders.
    const QString drop = home.path() + "/drop";
    static const char* const kExtensions[] = {"txt", "doc", "pdf", "png", "jpg", "zip", "xls",
                                              "ppt", "html", "xml", "csv", "mp3", "wav", "c",
                                              "h", "py", "json", "rtf", "gif", "tar"};
    for (int i = 0; i < 2000; ++i) {
        const QString sub = drop + QString("/f%1").arg(i % 20);
        QDir().mkpath(sub);
        QFile f(sub + QString("/file%1.%2").arg(i).arg(kExtensions[i % 20]));
        f.open(QIODevice::WriteOnly);
        f.write("x");
    }
    CFileListCtrl files;
    files.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 600, 200), &host, 1203);
    t = std::chrono::steady_clock::now();
    files.AddPath(AfxFromQt(drop));
    std::printf("take a dropped folder of 2 000 files (20 extensions): %.3f s (target < 1 s), "
                "%d files, %d icons\n",
                Seconds(t), files.GetItemCount(), files.GetCachedIconCount());
    files.DestroyWindow();
    host.DestroyWindow();
    account.reset();
    return 0;
}
