#include "platform/gui/RtfFormat.h"
#include "platform/gui/tests/RichTextExpect.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

constexpr COLORREF kAuto = 0xFFFFFFFF;

RichCharFormat Fmt(bool bold, bool italic, bool underline, bool strike, int twips,
                   const char* face = "宋体", COLORREF color = kAuto) {
    RichCharFormat f;
    f.bold = bold;
    f.italic = italic;
    f.underline = underline;
    f.strike = strike;
    f.sizeTwips = twips;
    f.face = face;
    if (color != kAuto) {
        f.autoColor = false;
        f.color = color;
    }
    return f;
}

RichTextDoc Sample() {
    RichTextDoc doc;
    RichParagraph title;
    title.align = RichAlignCenter;
    title.runs = {{"会议纪要", Fmt(true, false, false, false, 320, "黑体", RGB(200, 0, 0))}};
    RichParagraph body;
    body.leftIndentTwips = 360;
    body.firstIndentTwips = -180;
    body.runs = {
        {"时间：", Fmt(false, false, false, false, 200)},
        {"周三 {9:00} \\ 10:00", Fmt(false, true, true, false, 200, "宋体", RGB(0, 0, 255))},
        {"\t取消", Fmt(false, false, false, true, 240, "Arial")}};
    RichParagraph empty;
    RichParagraph right;
    right.align = RichAlignRight;
    right.runs = {{"张三", Fmt(false, false, false, false, 200)}};
    doc.paragraphs = {title, body, empty, right};
    return doc;
}

// Bulleted, indented on both sides, with sub- and superscript, a highlight and a raised run.
RichTextDoc Effects() {
    RichCharFormat plain, sub, sup, mark, up;
    sub.vertical = RichSubscript;
    sup.vertical = RichSuperscript;
    mark.autoBackColor = false;
    mark.backColor = RGB(255, 255, 0);
    up.offsetTwips = 60;
    RichParagraph p;
    p.bullet = true;
    p.leftIndentTwips = 360;
    p.firstIndentTwips = -360;
    p.rightIndentTwips = 240;
    p.runs = {{"H", plain}, {"2", sub}, {"O x", plain}, {"2", sup}, {" mark", mark}, {" up", up}};
    RichParagraph other;
    other.runs = {{"next", plain}};
    RichTextDoc doc;
    doc.paragraphs = {p, other, RichParagraph{}};
    return doc;
}

bool SameDoc(const RichTextDoc& a, const RichTextDoc& b) {
    if (a.paragraphs.size() != b.paragraphs.size())
        return false;
    for (size_t i = 0; i < a.paragraphs.size(); ++i) {
        const auto& pa = a.paragraphs[i];
        const auto& pb = b.paragraphs[i];
        if (pa.align != pb.align || pa.leftIndentTwips != pb.leftIndentTwips ||
            pa.firstIndentTwips != pb.firstIndentTwips ||
            pa.rightIndentTwips != pb.rightIndentTwips || pa.bullet != pb.bullet ||
            pa.runs.size() != pb.runs.size())
            return false;
        for (size_t r = 0; r < pa.runs.size(); ++r)
            if (pa.runs[r].text != pb.runs[r].text || !(pa.runs[r].format == pb.runs[r].format))
                return false;
    }
    return true;
}

TEST(RtfFormatTest, WhatWeWriteReadsBackTheSame) {
    RichTextDoc doc = Sample();
    CString rtf = RtfWrite(doc);
    // GBK text goes out as byte escapes; the RTF itself is plain ASCII.
    for (int i = 0; i < rtf.GetLength(); ++i)
        ASSERT_LT((unsigned char)rtf[i], 0x80) << i;
    EXPECT_NE(rtf.Find("\\'bb\\'e1"), -1) << "会 as two escaped GBK bytes";
    RichTextDoc back = RtfRead(rtf);
    ExpectSame(doc, back);
    EXPECT_EQ(back.Text(), CString("会议纪要\r\n时间：周三 {9:00} \\ 10:00\t取消\r\n\r\n张三"));
    // And again: writing what was read gives the same bytes.
    EXPECT_EQ(RtfWrite(back), rtf);

    // The other effects, an empty last paragraph, a font name with a ';' and the same face in
    // two scripts come back too.
    RichTextDoc effects = Effects();
    RichParagraph fonts;
    RichCharFormat odd, latin;
    odd.face = "Odd;Name";
    latin.charset = 0;
    fonts.runs = {{"a", odd}, {"b", latin}, {"c", RichCharFormat{}}};
    effects.paragraphs.insert(effects.paragraphs.begin() + 1, fonts);
    CString more = RtfWrite(effects);
    ExpectSame(effects, RtfRead(more));
    EXPECT_EQ(RtfRead(more).Text(), CString("H2O x2 mark up\r\nabc\r\nnext\r\n"));
}

TEST(RtfFormatTest, ReadsWhatOtherWritersWrite) {
    struct Case {
        const char* rtf;
        const char* text;
    } cases[] = {
        // Unicode characters with their stand-in, and a \uc change.
        {"{\\rtf1\\ansi\\uc1 \\u24352?\\u19977?}", "张三"},
        {"{\\rtf1\\uc2 \\u3585??x}", "x"}, // a character GBK lacks is dropped, not guessed
        // Destinations we do not read are skipped, with what they hold.
        {"{\\rtf1{\\*\\generator Msftedit;}{\\info{\\title x}}abc{\\*\\unknown {deep}}def}",
         "abcdef"},
        {"{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\pict\\wmetafile8 0102ff}ok}", "ok"},
        // Symbols and escapes.
        {"{\\rtf1 a\\{b\\}c\\\\d\\~e\\-f}", "a{b}c\\d ef"},
        {"{\\rtf1 line1\\par line2\\line line3}", "line1\r\nline2\r\nline3"},
        {"{\\rtf1 \\'d5\\'c5\\'c8\\'fd}", "张三"},
        // Binary data is exactly its count of bytes, braces and words in it included.
        {"{\\rtf1 before{\\pict\\bin6 }}{x}}} after}", "before after"},
        {"{\\rtf1 A\\bin4 \\parB}", "AB"},
        {"{\\rtf1 A{\\pict\\bin3 \\'4}B}", "AB"},
        // The data stands in for the character before it, as a \uc count reckons.
        {"{\\rtf1\\uc1 \\u24352\\bin2 abX}", "张X"},
        // A table: a tab between the cells of a row, a paragraph per row, empty cells kept.
        {"{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl 姓名\\cell 城市\\cell\\row"
         "\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl 张三\\cell\\cell 北京\\cell\\row"
         "\\pard 表格之后的一行。\\par}",
         "姓名\t城市\r\n张三\t\t北京\r\n表格之后的一行。"},
        {"{\\rtf1 {\\b A}\\cell{\\i B}\\cell\\row}", "A\tB"},
    };
    for (auto& c : cases)
        EXPECT_EQ(RtfRead(CString(c.rtf)).Text(), CString(c.text)) << c.rtf;

    // Bullets, highlights, shading and vertical offsets of other writers.
    RichTextDoc fx = RtfRead(
        CString("{\\rtf1{\\colortbl ;\\red0\\green0\\blue255;}\\pard{\\pntext\\f1\\'b7\\tab}"
                "{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\ri100 A{\\highlight1 B}"
                "{\\cb1 C}{\\chcbpat1\\super D}{\\sub E}{\\dn4 F}\\par\\pard G}"));
    ASSERT_EQ(fx.paragraphs.size(), 2u);
    EXPECT_TRUE(fx.paragraphs[0].bullet);
    EXPECT_EQ(fx.paragraphs[0].rightIndentTwips, 100);
    EXPECT_FALSE(fx.paragraphs[1].bullet);
    EXPECT_EQ(fx.Text(), CString("ABCDEF\r\nG")) << "the bullet's stand-in text is not text";
    // B and C have the same highlight: one run.
    auto& fr = fx.paragraphs[0].runs;
    ASSERT_EQ(fr.size(), 5u);
    EXPECT_EQ(fr[1].text, CString("BC"));
    for (int i : {1, 2}) {
        EXPECT_FALSE(fr[i].format.autoBackColor) << i;
        EXPECT_EQ(fr[i].format.backColor, RGB(0, 0, 255)) << i;
    }
    EXPECT_EQ(fr[2].format.vertical, RichSuperscript);
    EXPECT_EQ(fr[3].format.vertical, RichSubscript);
    EXPECT_EQ(fr[4].format.offsetTwips, -40);

    // Fonts and colours come from their tables; groups keep formats to themselves.
    RichTextDoc d = RtfRead(CString("{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
                                    "{\\f1\\fswiss Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                                    "\\f1\\fs28 A{\\b\\cf1 B}C\\f0 D}"));
    ASSERT_EQ(d.paragraphs.size(), 1u);
    auto& runs = d.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, CString("A"));
    EXPECT_EQ(runs[0].format.face, CString("Arial"));
    EXPECT_EQ(runs[0].format.sizeTwips, 280);
    EXPECT_EQ(runs[1].text, CString("B"));
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_EQ(runs[1].format.color, RGB(255, 0, 0));
    EXPECT_FALSE(runs[1].format.autoColor);
    EXPECT_EQ(runs[2].text, CString("C"));
    EXPECT_FALSE(runs[2].format.bold);
    EXPECT_EQ(runs[2].format.face, CString("Arial"));
    EXPECT_EQ(runs[3].format.face, CString("宋体"));
    EXPECT_EQ(d.paragraphs[0].Text(), CString("ABCD"));
}

TEST(RtfFormatTest, DamagedInputIsReadAsFarAsItMakesSense) {
    std::string deep = "{\\rtf1 a";
    for (int i = 0; i < 100000; ++i)
        deep += "{";
    deep += "lost";
    std::string closers(100000, '}');
    deep += closers + "b}";
    struct Case {
        std::string rtf;
        std::string text;
    } cases[] = {
        {deep, "ab"},
        {"{\\rtf1 cut here\\", "cut here"},
        {"{\\rtf1 \\'4", "\x04"},
        {"{\\rtf1 \\fs99999999999999999999 big}", "big"},
        {"{\\rtf1 \\cf99 \\f77 unknown tables}", "unknown tables"},
        {"}}}}{{{", ""},
        {"", ""},
        {"plain text without rtf", "plain text without rtf"},
        // A byte count beyond the end, or none that makes sense, stops at the input's end.
        {"{\\rtf1 a\\bin999999999 bcd}", "a"},
        {"{\\rtf1 a\\bin99999999999999 bcd}", "a"},
        {"{\\rtf1 a\\bin-3 bcd}", "abcd"},
        {"{\\rtf1 a\\bin", "a"},
        {std::string("{\\rtf1 nul\0byte}", 16), std::string("nul\0byte", 8)},
    };
    for (auto& c : cases) {
        RichTextDoc d = RtfRead(c.rtf.data(), c.rtf.size());
        EXPECT_EQ(d.Text(), CString(c.text.data(), (int)c.text.size())) << c.rtf.substr(0, 40);
        for (auto& p : d.paragraphs)
            for (auto& r : p.runs)
                EXPECT_GE(r.format.sizeTwips, 20);
    }
}

TEST(RtfFormatTest, PlainTextBecomesParagraphs) {
    RichTextDoc d = RichTextFromPlain("一\r\n二\n\r三");
    ASSERT_EQ(d.paragraphs.size(), 4u);
    EXPECT_EQ(d.Text(), CString("一\r\n二\r\n\r\n三"));
    EXPECT_EQ(RtfRead(RtfWrite(d)).Text(), d.Text());
}

// Seeds cut, spliced and sprinkled with RTF's special characters: the reader survives them, and
// what it makes of them writes and reads back the same.
TEST(RtfFormatTest, MutatedInputIsSurvivedAndReadsBackAsWritten) {
    auto bytes = [](const CString& s) { return std::string(s.GetString(), (size_t)s.GetLength()); };
    const std::vector<std::string> seeds = {
        bytes(RtfWrite(Sample())),
        bytes(RtfWrite(Effects())),
        "{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce;}{\\f1 A\\'3bB;}}{\\colortbl ;\\red1"
        "\\green2\\blue3;}\\uc2\\f1\\cf1\\u24352??{\\*\\pn\\pnlvlblt}x\\line y\\par}",
    };
    const std::string specials = "{}\\;'*-0123456789abcdefu \r\n";
    std::mt19937 rng(20261210);
    auto pick = [&](size_t n) { return n ? (size_t)(rng() % n) : 0; };
    for (int i = 0; i < 3000; ++i) {
        std::string s = seeds[pick(seeds.size())];
        for (int k = 1 + (int)pick(6); k > 0; --k) {
            size_t at = pick(s.size() + 1);
            switch (pick(5)) {
            case 0:
                if (at < s.size())
                    s[at] = (char)(s[at] ^ (1 << pick(8)));
                break;
            case 1:
                s.insert(at, 1, specials[pick(specials.size())]);
                break;
            case 2:
                s.erase(at, pick(16));
                break;
            case 3:
                s.insert(at, s.substr(pick(s.size()), pick(24)));
                break;
            default:
                s.resize(at);
            }
        }
        RichTextDoc d = RtfRead(s.data(), s.size());
        CString w = RtfWrite(d);
        ASSERT_TRUE(SameDoc(d, RtfRead(w))) << i << ": " << s;
        for (auto& p : d.paragraphs)
            for (auto& r : p.runs)
                ASSERT_GE(r.format.sizeTwips, 20) << i;
    }
}

// Runs LibreOffice, when installed, on an RTF file of ours; the converted file's text, or a
// skip when there is no LibreOffice.
class OfficeConversion {
public:
    bool Available() {
        office = QStandardPaths::findExecutable("soffice");
        if (office.isEmpty())
            office = QStandardPaths::findExecutable("libreoffice");
        return !office.isEmpty();
    }
    QString Convert(const CString& rtf, const QString& filter, const QString& ext) {
        QFile f(dir.filePath("sample.rtf"));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(rtf.GetString(), rtf.GetLength());
        f.close();
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        p.setProcessEnvironment(env);
        p.start(office, {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless",
                         "--convert-to", filter, "--outdir", dir.path(), f.fileName()});
        if (!p.waitForFinished(120000))
            return {};
        QFile out(dir.filePath("sample." + ext));
        if (!out.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(out.readAll()).remove(QChar(0xFEFF));
    }

private:
    QString office;
    QTemporaryDir dir;
};

// LibreOffice reads what we write as the same text in the same formats.
TEST(RtfFormatTest, AnIndependentReaderSeesTheSameTextAndFormats) {
    OfficeConversion office;
    if (!office.Available())
        FAIL() << "LibreOffice is not installed (scripts/install-deps.sh installs it)";
    QString text = office.Convert(RtfWrite(Sample()), "txt:Text (encoded):UTF8", "txt").trimmed();
    QStringList lines = text.split(QRegularExpression("\r?\n"));
    ASSERT_GE(lines.size(), 4) << text.toStdString();
    EXPECT_EQ(lines[0], QString::fromUtf8(u8"会议纪要"));
    EXPECT_EQ(lines[1], QString::fromUtf8(u8"时间：周三 {9:00} \\ 10:00\t取消"));
    EXPECT_EQ(lines.last(), QString::fromUtf8(u8"张三"));

    RichTextDoc both = Sample();
    for (auto& p : Effects().paragraphs)
        both.paragraphs.push_back(p);
    QString html = office.Convert(RtfWrite(both), "html", "html");
    auto has = [&](auto pattern) {
        return html.contains(QRegularExpression(QString::fromUtf8(pattern),
                                                QRegularExpression::DotMatchesEverythingOption));
    };
    // Within one paragraph: no "</p>" between the parts.
    EXPECT_TRUE(has(u8"align=\"center\"((?!</p>).)*#c80000((?!</p>).)*<b>会议纪要</b>"))
        << "centred red bold title";
    EXPECT_TRUE(has(u8"#0000ff((?!</p>).)*<i><u>\\{9:00\\}\\s*\\\\ 10:00</u></i>"))
        << "blue italic underlined";
    EXPECT_TRUE(has("<strike>"));
    EXPECT_TRUE(has("<sub>(<[^>]*>)*2")) << "subscript";
    EXPECT_TRUE(has("<sup>(<[^>]*>)*2")) << "superscript";
    EXPECT_TRUE(has("background: #ffff00")) << "highlight";
    EXPECT_TRUE(has("<ul>\\s*<li>")) << "bullet";
    EXPECT_TRUE(has(u8"align=\"right\".*张三"));
}

} // namespace

// Writers mark double-byte text bold or italic with the associated properties.
TEST(RtfFormatTest, DoubleByteTextTakesTheAssociatedBoldAndItalic) {
    RichTextDoc doc = RtfRead("{\\rtf1 {\\dbch\\ab\\dbch \\u31895\\'3f}{\\loch\\ab x}"
                              "{\\dbch\\ai \\u26012\\'3f}{\\dbch\\ab\\plain \\dbch y}}");
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].format.bold);   // 粗, double-byte with \ab
    EXPECT_FALSE(runs[1].format.bold);  // x, low-ANSI text ignores \ab
    EXPECT_TRUE(runs[2].format.italic); // 斜
    EXPECT_FALSE(runs[3].format.bold);  // \plain ends the associated bold
}
