// Any bytes read as RTF: the reader must survive them, and what the writer makes of the result
// must read back as the same text in the same formats.
#include "platform/gui/RtfFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RichTextDoc doc = RtfRead(reinterpret_cast<const char*>(data), size);
    CString rtf = RtfWrite(doc);
    RichTextDoc back = RtfRead(rtf);
    if (back.paragraphs.size() != doc.paragraphs.size())
        std::abort();
    for (size_t i = 0; i < doc.paragraphs.size(); ++i) {
        const RichParagraph& a = doc.paragraphs[i];
        const RichParagraph& b = back.paragraphs[i];
        if (a.align != b.align || a.leftIndentTwips != b.leftIndentTwips ||
            a.firstIndentTwips != b.firstIndentTwips || a.rightIndentTwips != b.rightIndentTwips ||
            a.bullet != b.bullet || a.runs.size() != b.runs.size())
            std::abort();
        for (size_t r = 0; r < a.runs.size(); ++r)
            if (a.runs[r].text != b.runs[r].text || !(a.runs[r].format == b.runs[r].format))
                std::abort();
    }
    // Writing what was read back gives the same bytes.
    if (RtfWrite(back) != rtf)
        std::abort();
    return 0;
}
