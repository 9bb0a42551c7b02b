#include "platform/gui/RtfFormat.h"

#include "platform/base/Gbk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

bool RichCharFormat::operator==(const RichCharFormat& o) const {
    return face == o.face && charset == o.charset && sizeTwips == o.sizeTwips && bold == o.bold &&
           italic == o.italic && underline == o.underline && strike == o.strike &&
           autoColor == o.autoColor && (autoColor || color == o.color) && vertical == o.vertical &&
           offsetTwips == o.offsetTwips && autoBackColor == o.autoBackColor &&
           (autoBackColor || backColor == o.backColor);
}

CString RichParagraph::Text() const {
    CString s;
    for (auto& r : runs)
        s += r.text;
    return s;
}

CString RichTextDoc::Text() const {
    CString s;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i)
            s += "\r\n";
        s += paragraphs[i].Text();
    }
    return s;
}

void RichTextDoc::Normalize() {
    for (auto& p : paragraphs) {
        std::vector<RichRun> out;
        for (auto& r : p.runs) {
            if (r.text.IsEmpty())
                continue;
            if (!out.empty() && out.back().format == r.format)
                out.back().text += r.text;
            else
                out.push_back(r);
        }
        p.runs = std::move(out);
    }
}

RichTextDoc RichTextFromPlain(const CString& text, const RichCharFormat& format) {
    RichTextDoc doc;
    doc.paragraphs.emplace_back();
    CString line;
    auto end = [&] {
        if (!line.IsEmpty())
            doc.paragraphs.back().runs.push_back({line, format});
        line.Empty();
    };
    const char* p = text.GetString();
    int n = text.GetLength();
    for (int i = 0; i < n; ++i) {
        if (p[i] == '\r' || p[i] == '\n') {
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            end();
            doc.paragraphs.emplace_back();
        } else {
            line += p[i];
        }
    }
    end();
    return doc;
}

// ---- Reading --------------------------------------------------------------------------------

namespace {

constexpr int kMaxDepth = 200; // deeper nesting is skipped, never followed down the stack

struct GroupState {
    RichCharFormat fmt;
    int font = 0;
    bool skip = false;   // inside a destination we do not read
    int ucSkip = 1;      // characters that stand in for a \uN
    int destination = 0; // 0 text, 1 font table, 2 colour table, 3 paragraph numbering
    // Double-byte text (\dbch) takes the associated bold and italic (\ab, \ai): writers mark
    // Chinese text bold or italic that way.
    bool dbch = false;
    bool assocBold = false;
    bool assocItalic = false;
};

struct FontEntry {
    CString face;
    BYTE charset = 0;
};

struct Reader {
    const char* p;
    const char* end;
    RichTextDoc doc;
    std::vector<GroupState> stack;
    std::map<int, FontEntry> fonts;
    std::vector<COLORREF> colors;
    int colorR = 0, colorG = 0, colorB = 0;
    bool colorSet = false;
    std::string fontName;
    int fontNumber = 0;
    BYTE fontCharset = 0;
    int pendingSkip = 0;
    std::string bytes; // text bytes of the current run in the current font's code page
    int align = RichAlignLeft, li = 0, fi = 0, ri = 0;
    bool bullet = false;
    // A table cell ended in this row: the next cell's text is set off from it by a tab.
    bool cellEnded = false;

    Reader(const char* data, size_t n) : p(data), end(data + n) {
        stack.push_back({});
        doc.paragraphs.emplace_back();
    }
    GroupState& S() { return stack.back(); }

    CString Face(int f) const {
        auto it = fonts.find(f);
        return it == fonts.end() ? CString() : it->second.face;
    }
    // The run so far: its bytes are GBK (\'hh bytes are taken as GBK whatever the font says).
    void Flush() {
        if (bytes.empty())
            return;
        RichCharFormat fmt = S().fmt;
        if (S().dbch) {
            fmt.bold = fmt.bold || S().assocBold;
            fmt.italic = fmt.italic || S().assocItalic;
        }
        doc.paragraphs.back().runs.push_back({CString(bytes.data(), (int)bytes.size()), fmt});
        bytes.clear();
    }
    void EndParagraph() {
        Flush();
        RichParagraph& para = doc.paragraphs.back();
        para.align = align;
        para.leftIndentTwips = li;
        para.firstIndentTwips = fi;
        para.rightIndentTwips = ri;
        para.bullet = bullet;
        doc.paragraphs.emplace_back();
    }
    void AddChar(char c) {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (S().skip)
            return;
        if (S().destination == 1) {
            if (c == ';') {
                fonts[fontNumber] = {CString(fontName.c_str()), fontCharset};
                fontName.clear();
            } else {
                fontName += c;
            }
            return;
        }
        if (S().destination >= 2)
            return;
        StartCellText();
        bytes += c;
    }
    // Text after a cell's end goes into the next cell of the row.
    void StartCellText() {
        if (cellEnded) {
            cellEnded = false;
            bytes += '\t';
        }
    }
    void AddUnicode(long code) {
        if (S().skip || S().destination != 0)
            return;
        StartCellText();
        if (code < 0)
            code += 65536;
        char16_t u = (char16_t)code;
        CString g = Utf16ToGbk(std::u16string_view(&u, 1));
        // A character GBK lacks is dropped rather than shown as a guess.
        if (g == "?" && u != u'?')
            g.Empty();
        bytes.append(g.GetString(), (size_t)g.GetLength());
        pendingSkip = S().ucSkip;
    }
    void Word(const std::string& w, bool has, long n) {
        GroupState& s = S();
        // Format changes close the run so far.
        static const char* formatWords[] = {
            "b",    "i",          "ul", "ulnone", "strike",    "fs", "f",      "cf", "plain",
            "pard", "qc",         "qr", "ql",     "qj",        "li", "fi",     "ri", "super",
            "sub",  "nosupersub", "up", "dn",     "highlight", "cb", "chcbpat", "ab",
            "ai",   "dbch",       "loch", "hich"};
        for (const char* fw : formatWords)
            if (w == fw) {
                Flush();
                break;
            }
        if (w == "par" || w == "line") {
            if (!s.skip && s.destination == 0)
                EndParagraph();
        } else if (w == "cell" || w == "nestcell") {
            // Cells of a row are one paragraph, a tab between each and the next; an empty
            // cell still takes its tab.
            if (!s.skip && s.destination == 0) {
                StartCellText();
                cellEnded = true;
            }
        } else if (w == "row" || w == "nestrow") {
            if (!s.skip && s.destination == 0) {
                cellEnded = false;
                EndParagraph();
            }
        } else if (w == "bin") {
            // Binary data (a picture's) of exactly n bytes: never text, nor read as RTF. For
            // the \uc count it stands as one character.
            if (has && n > 0)
                p += (size_t)std::min<long>(n, (long)(end - p));
            if (pendingSkip > 0)
                --pendingSkip;
        } else if (w == "tab") {
            AddChar('\t');
        } else if (w == "b") {
            s.fmt.bold = !has || n != 0;
        } else if (w == "i") {
            s.fmt.italic = !has || n != 0;
        } else if (w == "ab") {
            s.assocBold = !has || n != 0;
        } else if (w == "ai") {
            s.assocItalic = !has || n != 0;
        } else if (w == "dbch") {
            s.dbch = true;
        } else if (w == "loch" || w == "hich") {
            s.dbch = false;
        } else if (w == "ul") {
            s.fmt.underline = !has || n != 0;
        } else if (w == "ulnone") {
            s.fmt.underline = false;
        } else if (w == "strike") {
            s.fmt.strike = !has || n != 0;
        } else if (w == "fs") {
            s.fmt.sizeTwips = std::clamp((int)(has ? n : 24), 2, 3276) * 10;
        } else if (w == "f") {
            if (s.destination == 1) {
                fontNumber = (int)n;
                fontCharset = 0;
                fontName.clear();
            } else {
                s.font = (int)n;
                auto it = fonts.find((int)n);
                if (it != fonts.end()) {
                    s.fmt.face = it->second.face;
                    s.fmt.charset = it->second.charset;
                }
            }
        } else if (w == "fcharset") {
            fontCharset = (BYTE)std::clamp(n, 0L, 255L);
        } else if (w == "cf") {
            // Entry 0 of the table is the automatic colour.
            if (n > 0 && n < (long)colors.size()) {
                s.fmt.autoColor = false;
                s.fmt.color = colors[(size_t)n];
            } else {
                s.fmt.autoColor = true;
            }
        } else if (w == "highlight" || w == "cb" || w == "chcbpat") {
            if (n > 0 && n < (long)colors.size()) {
                s.fmt.autoBackColor = false;
                s.fmt.backColor = colors[(size_t)n];
            } else {
                s.fmt.autoBackColor = true;
            }
        } else if (w == "super") {
            s.fmt.vertical = RichSuperscript;
        } else if (w == "sub") {
            s.fmt.vertical = RichSubscript;
        } else if (w == "nosupersub") {
            s.fmt.vertical = RichVerticalNone;
        } else if (w == "up" || w == "dn") {
            // Half points; the default shift is three points.
            int half = (int)std::clamp(has ? n : 6L, 0L, 3276L);
            s.fmt.offsetTwips = (w == "up" ? half : -half) * 10;
        } else if (w == "red" || w == "green" || w == "blue") {
            int v = (int)std::clamp(n, 0L, 255L);
            (w == "red" ? colorR : w == "green" ? colorG : colorB) = v;
            colorSet = true;
        } else if (w == "plain") {
            CString face = s.fmt.face;
            BYTE cs = s.fmt.charset;
            s.fmt = RichCharFormat{};
            s.fmt.face = face;
            s.fmt.charset = cs;
            s.assocBold = s.assocItalic = false;
        } else if (w == "pard") {
            align = RichAlignLeft;
            li = fi = ri = 0;
            bullet = false;
        } else if (w == "qc") {
            align = RichAlignCenter;
        } else if (w == "qr") {
            align = RichAlignRight;
        } else if (w == "ql") {
            align = RichAlignLeft;
        } else if (w == "qj") {
            align = RichAlignJustify;
        } else if (w == "li") {
            li = (int)std::clamp(n, -100000L, 100000L);
        } else if (w == "fi") {
            fi = (int)std::clamp(n, -100000L, 100000L);
        } else if (w == "ri") {
            ri = (int)std::clamp(n, -100000L, 100000L);
        } else if (w == "pn") {
            // Paragraph numbering: read for its bullet, its texts are not ours to show.
            s.skip = false;
            s.destination = 3;
        } else if (w == "pnlvlblt") {
            if (s.destination == 3)
                bullet = true;
        } else if (w == "uc") {
            s.ucSkip = (int)std::clamp(n, 0L, 10L);
        } else if (w == "u") {
            AddUnicode(n);
        } else if (w == "fonttbl") {
            s.destination = 1;
        } else if (w == "colortbl") {
            s.destination = 2;
        } else if (w == "stylesheet" || w == "info" || w == "pict" || w == "header" ||
                   w == "footer" || w == "object" || w == "listtable" || w == "generator" ||
                   w == "pntext" || w == "listtext" || w == "fldinst" || w == "listoverridetable" ||
                   w == "themedata" || w == "xmlnstbl" || w == "latentstyles") {
            s.skip = true;
        }
    }

    void Run() {
        while (p < end) {
            char c = *p++;
            if (c == '{') {
                Flush();
                if ((int)stack.size() >= kMaxDepth) {
                    SkipGroup();
                    continue;
                }
                stack.push_back(S());
            } else if (c == '}') {
                Flush();
                if (S().destination == 2 && colorSet)
                    colorSet = false;
                if (stack.size() > 1)
                    stack.pop_back();
            } else if (c == '\\') {
                Control();
            } else if (c == '\r' || c == '\n') {
                // Line ends in RTF are not text.
            } else if (S().destination == 2 && c == ';') {
                colors.push_back(RGB(colorR, colorG, colorB));
                colorR = colorG = colorB = 0;
                colorSet = false;
            } else {
                AddChar(c);
            }
        }
        Flush();
        // The last paragraph keeps the paragraph settings in force.
        RichParagraph& last = doc.paragraphs.back();
        last.align = align;
        last.leftIndentTwips = li;
        last.firstIndentTwips = fi;
        last.rightIndentTwips = ri;
        last.bullet = bullet;
        if (last.runs.empty() && doc.paragraphs.size() > 1)
            doc.paragraphs.pop_back();
        doc.Normalize();
    }
    // A group nested too deep: its text is dropped up to its end.
    void SkipGroup() {
        int depth = 1;
        while (p < end && depth > 0) {
            char c = *p++;
            if (c == '\\' && p < end)
                ++p;
            else if (c == '{')
                ++depth;
            else if (c == '}')
                --depth;
        }
    }
    void Control() {
        if (p >= end)
            return;
        char c = *p;
        if (std::isalpha((unsigned char)c)) {
            std::string w;
            while (p < end && std::isalpha((unsigned char)*p) && w.size() < 32)
                w += *p++;
            while (p < end && std::isalpha((unsigned char)*p))
                ++p; // an over-long word is read as its first 32 letters
            bool has = false;
            bool neg = false;
            long n = 0;
            if (p < end && *p == '-') {
                neg = true;
                ++p;
            }
            int digits = 0;
            while (p < end && std::isdigit((unsigned char)*p)) {
                if (digits < 9)
                    n = n * 10 + (*p - '0');
                ++digits;
                ++p;
                has = true;
            }
            if (neg)
                n = -n;
            if (p < end && *p == ' ')
                ++p;
            Word(w, has, n);
            return;
        }
        ++p;
        switch (c) {
        case '\'': {
            int v = 0, got = 0;
            while (got < 2 && p < end && std::isxdigit((unsigned char)*p)) {
                char h = *p++;
                v = v * 16 +
                    (std::isdigit((unsigned char)h) ? h - '0' : (std::tolower(h) - 'a' + 10));
                ++got;
            }
            if (!got)
                return;
            // An escaped byte of a font name is part of the name, even a ';'.
            if (S().destination == 1 && !S().skip && pendingSkip == 0)
                fontName += (char)v;
            else
                AddChar((char)v);
            return;
        }
        case '\\':
        case '{':
        case '}':
            AddChar(c);
            return;
        case '~':
            AddChar(' ');
            return;
        case '*':
            S().skip = true;
            return;
        case '\r':
        case '\n':
            if (!S().skip && S().destination == 0)
                EndParagraph();
            return;
        default:
            return; // \- \_ and the like: nothing to show
        }
    }
};

} // namespace

bool RtfHasHeader(const char* data, size_t size) {
    const std::string_view text(data != nullptr ? data : "", data != nullptr ? size : 0);
    const size_t i = text.find_first_not_of(" \t\r\n");
    return i != std::string_view::npos && text.substr(i, 5) == "{\\rtf";
}

RichTextDoc RtfRead(const char* data, size_t size) {
    Reader r(data ? data : "", data ? size : 0);
    r.Run();
    return std::move(r.doc);
}

// ---- Writing --------------------------------------------------------------------------------

CString RtfWrite(const RichTextDoc& doc) {
    // A font is its face with its character set: the same face in two scripts is two entries.
    std::vector<std::pair<CString, BYTE>> fonts;
    std::vector<COLORREF> colors;
    auto fontIndex = [&](const RichCharFormat& f) {
        std::pair<CString, BYTE> key{f.face, f.charset};
        auto it = std::find(fonts.begin(), fonts.end(), key);
        if (it != fonts.end())
            return (int)(it - fonts.begin());
        fonts.push_back(key);
        return (int)fonts.size() - 1;
    };
    auto colorIndex = [&](COLORREF c) {
        auto it = std::find(colors.begin(), colors.end(), c);
        if (it != colors.end())
            return (int)(it - colors.begin()) + 1;
        colors.push_back(c);
        return (int)colors.size();
    };
    fontIndex(RichCharFormat{});
    for (auto& p : doc.paragraphs)
        for (auto& r : p.runs) {
            fontIndex(r.format);
            if (!r.format.autoColor)
                colorIndex(r.format.color);
            if (!r.format.autoBackColor)
                colorIndex(r.format.backColor);
        }
    // In a font name ';' ends the name, so there it goes as a byte escape.
    auto escape = [](const CString& s, bool name = false) {
        CString out;
        char buf[8];
        for (int i = 0; i < s.GetLength(); ++i) {
            unsigned char c = (unsigned char)s[i];
            if (name && c == ';') {
                out += "\\'3b";
            } else if (c == '\\' || c == '{' || c == '}') {
                out += '\\';
                out += (char)c;
            } else if (c == '\t') {
                out += "\\tab ";
            } else if (c >= 0x80 || c < 0x20) {
                std::snprintf(buf, sizeof buf, "\\'%02x", c);
                out += buf;
            } else {
                out += (char)c;
            }
        }
        return out;
    };
    CString out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl";
    char buf[96];
    for (size_t i = 0; i < fonts.size(); ++i) {
        std::snprintf(buf, sizeof buf, "{\\f%d\\fnil\\fcharset%d ", (int)i, (int)fonts[i].second);
        out += buf;
        out += escape(fonts[i].first, true);
        out += ";}";
    }
    out += "}\r\n";
    if (!colors.empty()) {
        out += "{\\colortbl ;";
        for (COLORREF c : colors) {
            std::snprintf(buf, sizeof buf, "\\red%d\\green%d\\blue%d;", GetRValue(c), GetGValue(c),
                          GetBValue(c));
            out += buf;
        }
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1";
    static const char* alignWords[] = {"", "\\ql", "\\qr", "\\qc", "\\qj"};
    for (size_t pi = 0; pi < doc.paragraphs.size(); ++pi) {
        const RichParagraph& p = doc.paragraphs[pi];
        out += "\\pard";
        if (p.bullet)
            out += "{\\*\\pn\\pnlvlblt\\pnindent0}";
        out += alignWords[std::clamp(p.align, 1, 4)];
        const std::pair<const char*, int> indents[] = {
            {"li", p.leftIndentTwips}, {"fi", p.firstIndentTwips}, {"ri", p.rightIndentTwips}};
        for (auto& [word, value] : indents)
            if (value) {
                std::snprintf(buf, sizeof buf, "\\%s%d", word, value);
                out += buf;
            }
        for (auto& r : p.runs) {
            const RichCharFormat& f = r.format;
            // A raised or lowered run is a group of its own: some readers let sub- and
            // superscript outlast the \plain of the next run.
            if (f.vertical != RichVerticalNone)
                out += "{";
            std::snprintf(buf, sizeof buf, "\\plain\\f%d\\fs%d", fontIndex(f),
                          std::max(2, f.sizeTwips / 10));
            out += buf;
            if (f.bold)
                out += "\\b";
            if (f.italic)
                out += "\\i";
            if (f.underline)
                out += "\\ul";
            if (f.strike)
                out += "\\strike";
            if (f.vertical == RichSuperscript)
                out += "\\super";
            else if (f.vertical == RichSubscript)
                out += "\\sub";
            if (f.offsetTwips) {
                std::snprintf(buf, sizeof buf, "\\%s%d", f.offsetTwips > 0 ? "up" : "dn",
                              std::abs(f.offsetTwips) / 10);
                out += buf;
            }
            if (!f.autoColor) {
                std::snprintf(buf, sizeof buf, "\\cf%d", colorIndex(f.color));
                out += buf;
            }
            if (!f.autoBackColor) {
                // Highlight for rich edits, shading for word processors: the same colour.
                int c = colorIndex(f.backColor);
                std::snprintf(buf, sizeof buf, "\\highlight%d\\chcbpat%d", c, c);
                out += buf;
            }
            out += ' ';
            out += escape(r.text);
            if (f.vertical != RichVerticalNone)
                out += "}";
        }
        // Every paragraph ends with its mark, the last one too: a reader takes the mark at the
        // very end as the end of the text, so an empty last paragraph survives.
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}
