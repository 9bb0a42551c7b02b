#include "platform/gui/RtfFormat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
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

void ExpectSame(const RichTextDoc& a, const RichTextDoc& b) {
    ASSERT_EQ(a.paragraphs.size(), b.paragraphs.size());
    for (size_t i = 0; i < a.paragraphs.size(); ++i) {
        const auto& pa = a.paragraphs[i];
        const auto& pb = b.paragraphs[i];
        EXPECT_EQ(pa.align, pb.align) << i;
        EXPECT_EQ(pa.leftIndentTwips, pb.leftIndentTwips) << i;
        EXPECT_EQ(pa.firstIndentTwips, pb.firstIndentTwips) << i;
        ASSERT_EQ(pa.runs.size(), pb.runs.size()) << i;
        for (size_t r = 0; r < pa.runs.size(); ++r) {
            EXPECT_EQ(pa.runs[r].text, pb.runs[r].text) << i << "/" << r;
            EXPECT_TRUE(pa.runs[r].format == pb.runs[r].format) << i << "/" << r;
        }
    }
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
    };
    for (auto& c : cases)
        EXPECT_EQ(RtfRead(CString(c.rtf)).Text(), CString(c.text)) << c.rtf;

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

// LibreOffice, when installed, reads what we write as the same text.
TEST(RtfFormatTest, AnIndependentReaderSeesTheSameText) {
    QString office = QStandardPaths::findExecutable("soffice");
    if (office.isEmpty())
        office = QStandardPaths::findExecutable("libreoffice");
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    QFile f(dir.filePath("sample.rtf"));
    CString rtf = RtfWrite(Sample());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(rtf.GetString(), rtf.GetLength());
    f.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir.path());
    p.setProcessEnvironment(env);
    p.start(office,
            {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless",
             "--convert-to", "txt:Text (encoded):UTF8", "--outdir", dir.path(), f.fileName()});
    ASSERT_TRUE(p.waitForFinished(120000));
    QFile out(dir.filePath("sample.txt"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(out.readAll()).remove(QChar(0xFEFF)).trimmed();
    QStringList lines = text.split(QRegularExpression("\r?\n"));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], QString::fromUtf8(u8"会议纪要"));
    EXPECT_EQ(lines[1], QString::fromUtf8(u8"时间：周三 {9:00} \\ 10:00\t取消"));
    EXPECT_EQ(lines.last(), QString::fromUtf8(u8"张三"));
}

} // namespace
