// Rich text as the rich edit control keeps it, and our reader and writer of its RTF form: fonts,
// colours, bold, italic, underline, strike-out, sizes, paragraphs and their alignment. Text is
// GBK; RTF carries it as \'hh bytes (taken as GBK), and \uN characters are turned into GBK. What
// the reader does not understand it skips; it never trusts nesting or numbers. Beside the character
// formats it keeps sub- and superscript, a raised or lowered baseline, a highlight colour, right
// indents and bulleted paragraphs.
#pragma once

#include "platform/base/CString.h"

#include <vector>

struct RichCharFormat {
    CString face = "宋体";
    BYTE charset = 134;  // GB2312
    int sizeTwips = 200; // 10 points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool autoColor = true;
    COLORREF color = 0;
    int vertical = 0;    // RichVerticalNone, RichSuperscript or RichSubscript
    int offsetTwips = 0; // baseline raised (positive) or lowered
    bool autoBackColor = true;
    COLORREF backColor = 0;
    bool operator==(const RichCharFormat& o) const;
};

enum RichVertical { RichVerticalNone = 0, RichSuperscript = 1, RichSubscript = 2 };

struct RichRun {
    CString text; // GBK, without paragraph ends
    RichCharFormat format;
};

enum RichAlign { RichAlignLeft = 1, RichAlignRight = 2, RichAlignCenter = 3, RichAlignJustify = 4 };

struct RichParagraph {
    std::vector<RichRun> runs;
    int align = RichAlignLeft;
    int leftIndentTwips = 0;
    int firstIndentTwips = 0;
    int rightIndentTwips = 0;
    bool bullet = false;
    // The plain text of the paragraph.
    CString Text() const;
};

struct RichTextDoc {
    std::vector<RichParagraph> paragraphs;
    // Paragraphs joined with "\r\n", as the control gives its text.
    CString Text() const;
    // Runs of equal format next to each other become one, empty runs go.
    void Normalize();
};

// Whether the data is RTF at all: "{\rtf" after any leading blanks and line ends.
bool RtfHasHeader(const char* data, size_t size);
RichTextDoc RtfRead(const char* data, size_t size);
inline RichTextDoc RtfRead(const CString& rtf) {
    return RtfRead(rtf.GetString(), (size_t)rtf.GetLength());
}
CString RtfWrite(const RichTextDoc& doc);
// Plain text in: one paragraph per line ("\r\n", "\n" or "\r"), all in one format.
RichTextDoc RichTextFromPlain(const CString& text, const RichCharFormat& format = {});
