// Prints how long the notes take with large data: a notebook of 2 000 pages, 200 of them 200 KB
// to 1 MB of formatted rich text, opened as a document and into the notes tree; its largest page
// read and written back as the editor does when it shows and confirms it, and through the
// editor's control; 100 000 rows of an information data file read; the font box filled with the
// screen's faces. Run it with QT_QPA_PLATFORM=offscreen where there is no display.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "notes/InfoReader.h"
#include "notes/WordPadDoc.h"
#include "notes/ui/FontComboBox.h"
#include "notes/ui/NoteTreeView.h"
#include "platform/base/OsPath.h"
#include "platform/gui/RichEditCtrl.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Wnd.h"

#include <cstring>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int Ignore(LPCTSTR, UINT) {
    return 1;
}

// Formatted rich text of about nBytes bytes: paragraphs of bold, coloured and plain runs.
CString MakeRtf(size_t nBytes) {
    std::string s = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce;}}"
                    "{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs20 ";
    while (s.size() < nBytes)
        s += "\\b \\'d6\\'d0\\'ce\\'c4 bold\\b0  \\cf1 red text\\cf0  plain words here\\par ";
    s += "}";
    return CString(s.data(), (int)s.size());
}

DWORD ReadBytes(DWORD_PTR cookie, LPBYTE pb, LONG cb, LONG* pcb) {
    auto* src = reinterpret_cast<std::pair<const CString*, size_t>*>(cookie);
    size_t n = std::min((size_t)cb, (size_t)src->first->GetLength() - src->second);
    std::memcpy(pb, src->first->GetString() + src->second, n);
    src->second += n;
    *pcb = (LONG)n;
    return 0;
}

DWORD CountBytes(DWORD_PTR cookie, LPBYTE, LONG cb, LONG* pcb) {
    *reinterpret_cast<size_t*>(cookie) += (size_t)cb;
    *pcb = cb;
    return 0;
}

} // namespace

int main() {
    AfxEnsureGuiApp();
    CDocument::SetMessageHook(&Ignore);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quillmar-bench-notes";
    std::filesystem::create_directories(dir);
    const CString book = ProgramPathFromOsPath((dir / "bench.ntp").string());
    CString largest;
    {
        CWordPadDoc doc;
        doc.OnNewDocument();
        for (int g = 0; g < 20; ++g) {
            auto* group = new CNoteGroup;
            CString name;
            name.Format("组%d", g);
            group->SetName(name);
            for (int p = 0; p < 100; ++p) {
                name.Format("页%d", p);
                auto* page = new CNoteContent(name);
                const int n = g * 100 + p;
                if (n % 10 == 0) {
                    CString rtf = MakeRtf(200 * 1024 + (size_t)(n % 9) * 100 * 1024);
                    if (rtf.GetLength() > largest.GetLength())
                        largest = rtf;
                    page->SetBodyText(rtf);
                } else {
                    page->SetBodyText("{\\rtf1 short page}");
                }
                group->AddContent(page, FALSE);
            }
            doc.GetRootGroup().AddSubgroup(group, FALSE);
        }
        doc.OnSaveDocument(book);
    }
    auto t = std::chrono::steady_clock::now();
    {
        CWordPadDoc doc;
        if (!doc.OnOpenDocument(book)) {
            std::printf("the notebook did not open\n");
            return 1;
        }
        std::printf("notebook of 2000 pages (%lld MB) opened: %.3f s\n",
                    (long long)(std::filesystem::file_size(dir / "bench.ntp") >> 20), Seconds(t));
    }
    // The same notebook opened through the notes tree: read and every group and page put in.
    {
        auto* frame = new CFrameWnd;
        frame->Create(nullptr, "bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 700));
        auto* tree = new CNoteTreeView;
        tree->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 680), frame,
                     AFX_IDW_PANE_FIRST, nullptr);
        tree->OnInitialUpdate();
        t = std::chrono::steady_clock::now();
        if (!tree->OpenFile(book, FALSE)) {
            std::printf("the notebook did not open in the tree\n");
            return 1;
        }
        std::printf("notebook opened into the tree (%u items): %.3f s\n",
                    tree->GetTreeCtrl().GetCount(), Seconds(t));
        frame->DestroyWindow();
    }
    t = std::chrono::steady_clock::now();
    RichTextDoc page = RtfRead(largest);
    std::printf("largest page (%d KB) read: %.3f s\n", largest.GetLength() / 1024, Seconds(t));
    t = std::chrono::steady_clock::now();
    CString back = RtfWrite(page);
    std::printf("largest page written back: %.3f s\n", Seconds(t));

    // The same page through the editor's control: shown (streamed in) and confirmed (out).
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP, CRect(0, 0, 800, 600), nullptr, 0);
    CRichEditCtrl edit;
    edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 800, 600), &host, 1);
    std::pair<const CString*, size_t> source{&largest, 0};
    EDITSTREAM in{(DWORD_PTR)&source, 0, &ReadBytes};
    t = std::chrono::steady_clock::now();
    edit.StreamIn(SF_RTF, in);
    std::printf("largest page shown in the editor: %.3f s\n", Seconds(t));
    size_t written = 0;
    EDITSTREAM out{(DWORD_PTR)&written, 0, &CountBytes};
    t = std::chrono::steady_clock::now();
    edit.StreamOut(SF_RTF, out);
    std::printf("largest page confirmed from the editor (%zu KB): %.3f s\n", written / 1024,
                Seconds(t));

    CFontComboBox fonts;
    fonts.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT, CRect(0, 0, 300, 300), &host,
                 600);
    t = std::chrono::steady_clock::now();
    fonts.Fill();
    std::printf("font box filled (%d entries): %.3f s\n", fonts.GetCount(), Seconds(t));
    host.DestroyWindow();

    {
        std::ofstream rows(dir / "rows.txt", std::ios::binary);
        for (int i = 0; i < 100000; ++i)
            rows << "city" << i << ",100" << i % 1000 << ",0" << i % 100 << "\r\n";
    }
    t = std::chrono::steady_clock::now();
    CInfoRows rows;
    LoadInfoRows(ProgramPathFromOsPath((dir / "rows.txt").string()), 3, ',', TRUE, rows);
    std::printf("%zu data-file rows read: %.3f s\n", rows.size(), Seconds(t));
    std::filesystem::remove_all(dir);
    return 0;
}
