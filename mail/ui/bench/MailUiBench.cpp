// The e-mail views on a large box: `bench_mail_ui [mails]` fills one inbox with that many mails of
// 2 to 20 KB and prints the time to list them (from the record database, as after a start, and
// again from the cache; medians of a few), to sort them by date, to paint one page of the list, and
// to take a dropped folder of 2 000 files of 20 extensions into the compose frame's attachment
// list. Without an argument it runs at 10 000, 40 000, 50 000 and 100 000 mails, each in a fresh
// process, and prints how listing grows from 10 000 to 40 000 mails.
// Targets: listing 1 s up to 10 000 mails and 2.5 s for 50 000, growing linearly (40 000 at most
// 4.5 times 10 000); sorting by date 0.5 s for 10 000, linearly; a page painted in 16 ms; the
// dropped folder taken in 1 s.
// Storing syncs each mail to disk, so filling 100 000 takes minutes; with TMPDIR on a file
// system in memory (TMPDIR=/dev/shm) it takes seconds, and the listing reads the same either way
// (from the page cache, where the mails just written are).
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

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void ListBox(CQuillmarBaseDoc& doc, CEmailBox* pBox) {
    SetDocCurrentBox(&doc, pBox);
    doc.UpdateAllViews(nullptr);
}

// The listing target: 1 s up to 10 000 mails, 2.5 s for 50 000, linear beyond.
double ListTarget(int count) {
    return std::max(1.0, 2.5 * count / 50000);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        SizedFigures figures;
        if (!RunAtSizes({10000, 40000, 50000, 100000}, figures))
            return 1;
        PrintGrowth("listing from the database", figures, "list", 10000, 40000, 4.5);
        return 0;
    }
    const int count = std::atoi(argv[1]);
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_mail_ui [mails]\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toUtf8());
    qputenv("QUILLMAR_CONFIG", home.path().toUtf8());
    StartGuiBenchmark();
    AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDOK; });
    const CString folder = AfxFromQt(home.path() + "/account");
    auto t = std::chrono::steady_clock::now();
    {
        CEmailAccount account;
        if (!account.Create(folder)) {
            std::printf("could not make the account\n");
            return 1;
        }
        CString text, subject;
        for (int i = 0; i < count; ++i) {
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
    std::printf("%d mails: stored in %.1f s\n", count, Seconds(t));

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

    // Each listing from the database opens the account afresh, as a start of the program does;
    // the median of three is printed.
    std::unique_ptr<CEmailAccount> account;
    CEmailBox* inbox = nullptr;
    std::vector<double> times;
    for (int round = 0; round < 3; ++round) {
        if (account != nullptr) {
            SetDocCurrentBox(&doc, nullptr);
            doc.UpdateAllViews(nullptr);
        }
        account = std::make_unique<CEmailAccount>();
        if (!account->Open(folder))
            return 1;
        inbox = account->FindBox(0);
        t = std::chrono::steady_clock::now();
        ListBox(doc, inbox);
        times.push_back(Seconds(t));
        if (list->List().GetItemCount() != count) {
            std::printf("listed %d mails\n", list->List().GetItemCount());
            return 1;
        }
    }
    double seconds = Median(times);
    ReportFigure("list", seconds);
    std::printf("list %d mails of 2-20 KB, loaded from the database: %.3f s", count, seconds);
    PrintTarget(seconds, ListTarget(count), "s");
    times.clear();
    for (int round = 0; round < 5; ++round) {
        SetDocCurrentBox(&doc, nullptr);
        doc.UpdateAllViews(nullptr);
        t = std::chrono::steady_clock::now();
        ListBox(doc, inbox);
        times.push_back(Seconds(t));
    }
    seconds = Median(times);
    std::printf("list them again from the cache: %.3f s", seconds);
    PrintTarget(seconds, ListTarget(count), "s");

    t = std::chrono::steady_clock::now();
    list->SortItems(6, TRUE);
    seconds = Seconds(t);
    std::printf("sort %d mails by date: %.3f s", count, seconds);
    PrintTarget(seconds, 0.5 * std::max(1.0, count / 10000.0), "s");
    t = std::chrono::steady_clock::now();
    list->SortItems(4, TRUE);
    std::printf("sort them by subject: %.3f s\n", Seconds(t));

    QWidget* w = list->List().GetWidget();
    w->grab(); // fonts and pictures made once
    const int rounds = 20;
    t = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        w->grab();
    const double paintMs = Seconds(t) * 1000 / rounds;
    std::printf("paint one page of the list: %.1f ms", paintMs);
    PrintTarget(paintMs, 16, "ms");
    if (count != 10000) {
        host.DestroyWindow();
        account.reset();
        return 0;
    }

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
    seconds = Seconds(t);
    std::printf("take a dropped folder of 2 000 files (20 extensions), %d files, %d icons: %.3f s",
                files.GetItemCount(), files.GetCachedIconCount(), seconds);
    PrintTarget(seconds, 1, "s");
    files.DestroyWindow();
    host.DestroyWindow();
    account.reset();
    return 0;
}
