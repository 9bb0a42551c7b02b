// Rich-text streaming figures: about 1 MB of formatted Chinese RTF (a long note with bold,
// coloured and larger runs) streamed into a rich edit control from a byte buffer, streamed back
// out to a buffer, and measured by GetStreamOutLength, as a note is each time it is shown.
// Prints the best and the median time of each step over a few rounds (target: 100 ms each).
// Then a note of many short paragraphs, as a long list or a log pasted into a page is, read in
// at 5 MB and 10 MB into a control that is shown, as the page editor does: in pieces, telling a
// progress after each, with the longest time the progress waits to be told (the window it
// stands for is served that often). The control the first figures use is never shown, so they
// hold no layout; a shown control that is filled in place lays all of its text out at once.
// Last, the time a long page takes to be laid out again once its window is narrowed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/RtfFormat.h"
#include <QCoreApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include "platform/gui/Wnd.h"
#include "ui/KovRichEditCtrl.h"

namespace {

const char* const kPhrases[] = {
    "今天下午三点在会议室讨论新产品的发布计划，", "请大家提前准备好各自负责部分的材料。",
    "联系人：王芳，电话一三九一二三四五六七八，", "记得带上上个月的销售报表和客户反馈意见。"};

// A Chinese text as RTF escapes of its GBK bytes.
std::string Escaped(const char* gbk) {
    std::string out;
    char hex[8];
    for (const unsigned char* p = (const unsigned char*)gbk; *p; ++p) {
        if (*p < 0x80) {
            out += (char)*p;
            continue;
        }
        std::snprintf(hex, sizeof hex, "\\'%02x", *p);
        out += hex;
    }
    return out;
}

std::string MakeRtf(size_t bytes) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 " +
                      Escaped("宋体") + ";}{\\f1\\fnil\\fcharset134 " + Escaped("黑体") +
                      ";}}\r\n{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\r\n"
                      "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int n = 0; rtf.size() < bytes; ++n) {
        rtf += "\\b " + Escaped(kPhrases[n % 4]) + "\\b0 ";
        rtf += "\\cf1 " + Escaped(kPhrases[(n + 1) % 4]) + "\\cf0 ";
        rtf += "\\f1\\fs28 " + Escaped(kPhrases[(n + 2) % 4]) + "\\f0\\fs20 ";
        rtf += Escaped(kPhrases[(n + 3) % 4]) + "\\par\r\n";
    }
    return rtf + "}\r\n";
}

// Short plain paragraphs ("第n行" and a few letters), a million to about 5 MB.
std::string MakeShortParagraphsRtf(size_t bytes) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 " +
                      Escaped("宋体") + ";}}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int n = 0; rtf.size() < bytes; ++n)
        rtf += (n % 2 ? "ab" : "x") + std::string("\\par\n");
    return rtf + "}\r\n";
}

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-32s best %8.1f ms   median %8.1f ms\n", what, times.front(),
                times[times.size() / 2]);
}

} // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    AfxEnsureGuiApp();
    CWnd parent;
    parent.CreateEx(0, nullptr, "bench", WS_POPUP, CRect(0, 0, 600, 400), nullptr, 0);
    CKovRichEditCtrl edit;
    edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 600, 400), &parent, 1);

    const std::string rtf = MakeRtf(1 << 20);
    std::printf("RTF in: %zu bytes\n", rtf.size());
    std::vector<double> in, out, length;
    long outBytes = 0;
    for (int round = 0; round < 5; ++round) {
        CByteArrayWrapper source;
        source.Write(rtf.data(), (int)rtf.size());
        source.SetWriteMode(FALSE);
        auto t = std::chrono::steady_clock::now();
        StreamWithByteBuffer(edit, source, SF_RTF);
        in.push_back(Ms(t));

        CByteArrayWrapper sink;
        t = std::chrono::steady_clock::now();
        outBytes = StreamWithByteBuffer(edit, sink, SF_RTF);
        out.push_back(Ms(t));

        t = std::chrono::steady_clock::now();
        long counted = GetStreamOutLength(edit, SF_RTF);
        length.push_back(Ms(t));
        if (counted != outBytes) {
            std::printf("length %ld differs from the %ld bytes streamed out\n", counted, outBytes);
            return 1;
        }
    }
    std::printf("RTF out: %ld bytes, %ld characters\n", outBytes, edit.GetTextLength());
    Report("stream in from a buffer", in);
    Report("stream out to a buffer", out);
    Report("GetStreamOutLength", length);

    CWnd shownParent;
    shownParent.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400),
                         nullptr, 0);
    CKovRichEditCtrl page;
    page.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 600, 400), &shownParent, 1);
    // Tells how often the progress is told, as the page editor's progress window is served.
    struct Gaps : CIRichEditReadProgress {
        std::chrono::steady_clock::time_point last;
        double longest = 0;
        BOOL OnReadProgress(ULONGLONG, ULONGLONG) override {
            longest = std::max(longest, Ms(last));
            last = std::chrono::steady_clock::now();
            return TRUE;
        }
    };
    for (size_t mb : {5, 10}) {
        const std::string many = MakeShortParagraphsRtf(mb << 20);
        std::vector<double> parse, shown, gaps;
        for (int round = 0; round < 3; ++round) {
            auto t = std::chrono::steady_clock::now();
            RichTextDoc doc = RtfRead(many.data(), many.size());
            parse.push_back(Ms(t));
            struct Source {
                const std::string& bytes;
                size_t at = 0;
            } source{many};
            EDITSTREAM es{(DWORD_PTR)&source, 0,
                          [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
                              auto* from = reinterpret_cast<Source*>(cookie);
                              const size_t n =
                                  std::min((size_t)cb, from->bytes.size() - from->at);
                              std::copy_n(from->bytes.data() + from->at, n, buf);
                              from->at += n;
                              *pcb = (LONG)n;
                              return (DWORD)0;
                          }};
            Gaps progress;
            t = progress.last = std::chrono::steady_clock::now();
            page.StreamIn(SF_RTF, es, &progress);
            shown.push_back(Ms(t));
            gaps.push_back(progress.longest);
        }
        // Narrowed, the page is laid out again from the window's timer while events are served.
        QTextDocument* doc = qobject_cast<QTextEdit*>(page.GetWidget())->document();
        auto t = std::chrono::steady_clock::now();
        page.MoveWindow(0, 0, 500, 400);
        double longestPass = 0;
        while (doc->lastBlock().layout()->lineCount() == 0 && Ms(t) < 600000) {
            auto pass = std::chrono::steady_clock::now();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            longestPass = std::max(longestPass, Ms(pass));
        }
        const double relaid = Ms(t);
        page.MoveWindow(0, 0, 600, 400);
        std::printf("%zu MB of short paragraphs (%ld characters):\n", mb, page.GetTextLength());
        Report("  read the RTF", parse);
        Report("  stream in with progress", shown);
        Report("  longest wait for the progress", gaps);
        std::printf("  laid out again when narrowed: %.0f ms, events served at most %.0f ms apart\n",
                    relaid, longestPass);
    }
    return 0;
}
