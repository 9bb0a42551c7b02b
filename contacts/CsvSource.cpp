#include "contacts/CsvSource.h"

#include <algorithm>
#include <cstring>

#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

// UTF-16 bytes as UTF-8, appended to out; unpaired surrogates and an odd last byte become
// U+FFFD, which has no GBK form and so counts as lost. Unless the bytes are the last, a unit
// that may still be completed by the next piece (an odd byte, a high surrogate at the end) is
// left: answers how many bytes were used.
size_t AppendUtf16AsUtf8(std::string& out, const unsigned char* s, size_t n, bool bigEndian,
                         bool last) {
    auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? (char32_t)((s[i] << 8) | s[i + 1]) : (char32_t)(s[i] | (s[i + 1] << 8));
    };
    size_t i = 0;
    for (; i + 1 < n; i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 < n) {
                char32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                    continue;
                }
            } else if (!last) {
                return i; // its low half may be in the next piece
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        AppendUtf8(out, u);
    }
    if (i < n) {
        if (!last)
            return i;
        AppendUtf8(out, 0xFFFD);
        ++i;
    }
    return i;
}

int CountChar(const CString& s, char c) {
    int n = 0;
    for (int i = 0; i < s.GetLength(); ++i)
        if (s[i] == c)
            ++n;
    return n;
}

} // namespace

CCsvSource::CCsvSource() = default;
CCsvSource::~CCsvSource() = default;

CCsvSource::Status CCsvSource::Load(LPCTSTR lpszPath) {
    m_memory.clear();
    m_pFile = std::make_unique<CFile>();
    if (!m_pFile->Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite)) {
        m_pFile.reset();
        return CSV_CANNOT_OPEN;
    }
    m_bCancelled = FALSE;
    m_nDone = 0;
    try {
        const ULONGLONG size = m_pFile->GetLength();
        if (size > kMaxFileSize)
            return CSV_TOO_LARGE;
        m_nTotal = 2 * size;
    } catch (CException* e) {
        e->Delete();
        return CSV_CANNOT_OPEN;
    }
    const Status status = Classify();
    if (status == CSV_OK && m_bCancelled)
        return CSV_CANCELLED;
    if (status == CSV_OK && m_bReadFailed)
        return CSV_CANNOT_OPEN;
    return status;
}

CCsvSource::Status CCsvSource::LoadBytes(const std::string& bytes) {
    m_pFile.reset();
    m_memory = bytes;
    return Classify();
}

size_t CCsvSource::ReadRaw(char* pBuf, size_t n) {
    if (m_pFile == nullptr) {
        const size_t take = std::min(n, m_memory.size() - m_nMemoryPos);
        std::memcpy(pBuf, m_memory.data() + m_nMemoryPos, take);
        m_nMemoryPos += take;
        return take;
    }
    if (m_bReadFailed || m_bCancelled)
        return 0;
    try {
        const UINT nRead = m_pFile->Read(pBuf, (UINT)n);
        m_nDone += nRead;
        if (m_pProgress != nullptr && !m_pProgress->OnCsvProgress(m_nDone, m_nTotal)) {
            m_bCancelled = TRUE; // the reading ends here
            return 0;
        }
        return nRead;
    } catch (CException* e) {
        e->Delete();
        m_bReadFailed = TRUE;
        return 0;
    }
}

void CCsvSource::Rewind(size_t nSkip) {
    m_text.clear();
    m_nPos = 0;
    m_carry.clear();
    m_nLossy = 0;
    m_bEnd = FALSE;
    if (m_pFile == nullptr) {
        m_nMemoryPos = std::min(nSkip, m_memory.size());
        return;
    }
    try {
        m_pFile->Seek((LONGLONG)nSkip, CFile::begin);
    } catch (CException* e) {
        e->Delete();
        m_bReadFailed = TRUE;
    }
}

CCsvSource::Status CCsvSource::Classify() {
    m_bReadFailed = FALSE;
    m_nMemoryPos = 0;
    std::string piece(kPieceSize, '\0');
    size_t n = ReadRaw(piece.data(), piece.size());
    const auto* s = reinterpret_cast<const unsigned char*>(piece.data());
    if (n >= 2 && s[0] == 0xFF && s[1] == 0xFE) {
        m_encoding = ENC_UTF16LE;
        Rewind(2);
        return CSV_OK;
    }
    if (n >= 2 && s[0] == 0xFE && s[1] == 0xFF) {
        m_encoding = ENC_UTF16BE;
        Rewind(2);
        return CSV_OK;
    }
    const bool bom = n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF;
    // Valid UTF-8 so far, and whether a byte above 0x7F was met; a character a piece cuts in two
    // is looked at again with the next piece.
    bool utf8 = true, nonAscii = false;
    std::string held;
    for (; n > 0; n = ReadRaw(piece.data(), piece.size())) {
        if (std::memchr(piece.data(), '\0', n) != nullptr)
            return CSV_NOT_TEXT;
        if (!utf8)
            continue;
        std::string bytes = held + piece.substr(0, n);
        held.clear();
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        for (size_t i = 0; i < bytes.size();) {
            if (b[i] < 0x80) {
                ++i;
                continue;
            }
            if (bytes.size() - i < 4) {
                const size_t len = Utf8SequenceLength(b + i, bytes.size() - i);
                if (len == 0) {
                    held = bytes.substr(i); // may be completed by the next piece
                    break;
                }
                nonAscii = true;
                i += len;
                continue;
            }
            const size_t len = Utf8SequenceLength(b + i, bytes.size() - i);
            if (len == 0) {
                utf8 = false;
                break;
            }
            nonAscii = true;
            i += len;
        }
    }
    if (!held.empty())
        utf8 = false; // the text ends inside a character
    if (bom) {
        m_encoding = ENC_UTF8_BOM;
        Rewind(3);
    } else {
        m_encoding = utf8 && nonAscii ? ENC_UTF8 : ENC_GBK;
        Rewind(0);
    }
    return CSV_OK;
}

BOOL CCsvSource::Refill() {
    if (m_bEnd)
        return FALSE;
    std::string piece(kPieceSize, '\0');
    const size_t n = ReadRaw(piece.data(), piece.size());
    piece.resize(n);
    const bool last = n == 0;
    if (m_encoding == ENC_UTF16LE || m_encoding == ENC_UTF16BE) {
        std::string bytes = m_carry + piece;
        const size_t used =
            AppendUtf16AsUtf8(m_text, reinterpret_cast<const unsigned char*>(bytes.data()),
                              bytes.size(), m_encoding == ENC_UTF16BE, last);
        m_carry = bytes.substr(used);
    } else {
        m_text += piece;
    }
    if (last)
        m_bEnd = TRUE;
    return TRUE;
}

BOOL CCsvSource::ReadString(CString& rString) {
    size_t end = m_text.find('\n', m_nPos);
    while (end == std::string::npos && !m_bEnd) {
        // What was read goes; the line's start stays.
        m_text.erase(0, m_nPos);
        m_nPos = 0;
        const size_t searched = m_text.size();
        Refill();
        end = m_text.find('\n', searched);
    }
    if (m_nPos >= m_text.size()) {
        rString.Empty();
        return FALSE;
    }
    size_t next = end == std::string::npos ? m_text.size() : end + 1;
    if (end == std::string::npos)
        end = m_text.size();
    if (end > m_nPos && m_text[end - 1] == '\r' && next != end)
        --end; // CR LF ends a line as LF does
    rString = CString(m_text.data() + m_nPos, (int)(end - m_nPos));
    m_nPos = next;
    return TRUE;
}

int CCsvSource::ReadRecord(CStringList& list) {
    // The separators, quotes and line ends are ASCII and never part of a multi-byte character in
    // either UTF-8 or GBK, so the record splits the same before conversion as after.
    const int nFields = CCsvFile::ReadRecord(list);
    if (nFields <= 0 || m_encoding == ENC_GBK)
        return nFields;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        CString& value = list.GetNext(pos);
        CString gbk = Utf8ToGbk(std::string_view(value.GetString(), (size_t)value.GetLength()));
        if (CountChar(gbk, '?') > CountChar(value, '?'))
            ++m_nLossy;
        value = gbk;
    }
    return nFields;
}

CString CCsvSource::GetStatusMessage(Status status, int nLine) {
    switch (status) {
    case CSV_UNCLOSED_QUOTE: {
        CString text;
        text.Format("所选的文件从第%d行起已损坏：该行开始的记录中，有一个用引号括起的值一直没有"
                    "结束（缺少后引号），没有导入任何联系人。\n请在该行补上引号后再导入。",
                    nLine);
        return text;
    }
    case CSV_TOO_LARGE: {
        CString text;
        text.Format("所选的文件大于%d MB，超过了一次可以导入的上限（约20万个联系人），没有导入任何"
                    "联系人。\n请将它分成几个较小的文件后再分别导入。",
                    (int)(kMaxFileSize >> 20));
        return text;
    }
    case CSV_CANNOT_OPEN:
        return "无法打开所选的文件，请检查文件是否存在以及是否有权读取。";
    case CSV_NOT_TEXT:
        return "所选的文件不是文本格式的CSV文件（可能是电子表格文件），无法导入。\n"
               "请先在电子表格程序中将其另存为CSV文件。";
    case CSV_NO_HEADER:
        return "所选的文件中没有标题行（第一行应是各列的名称），没有导入任何联系人。";
    case CSV_READ_ERROR:
        return "读取所选的文件时出错，没有导入任何联系人。";
    case CSV_NO_MEMORY:
        return "内存不足，无法导入所选的文件，没有导入任何联系人。";
    default:
        return "";
    }
}

CCsvSource::Status ReadCsvHeader(LPCTSTR lpszPath, CStringList& titles,
                                 CICsvProgress* pProgress) {
    titles.RemoveAll();
    CCsvSource source;
    source.SetProgress(pProgress);
    const CCsvSource::Status status = source.Load(lpszPath);
    if (status == CCsvSource::CSV_OK && source.ReadRecord(titles) < 0)
        titles.RemoveAll();
    if (source.IsCancelled()) {
        titles.RemoveAll();
        return CCsvSource::CSV_CANCELLED;
    }
    return status;
}
