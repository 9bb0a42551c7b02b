#include "contacts/CsvSource.h"

#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"

namespace {

// Whether the bytes are valid UTF-8 holding at least one byte above 0x7F.
bool IsNonAsciiUtf8(const std::string& bytes, size_t start) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    bool any = false;
    for (size_t i = start; i < n;) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t len = Utf8SequenceLength(s + i, n - i);
        if (len == 0)
            return false;
        any = true;
        i += len;
    }
    return any;
}

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

// UTF-16 bytes (after the mark) as UTF-8; unpaired surrogates and an odd last byte become
// U+FFFD, which has no GBK form and so counts as lost.
std::string Utf16BytesToUtf8(const std::string& bytes, size_t start, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? (char32_t)((s[i] << 8) | s[i + 1]) : (char32_t)(s[i] | (s[i + 1] << 8));
    };
    size_t i = start;
    for (; i + 1 < n; i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        AppendUtf8(out, u);
    }
    if (i < n)
        AppendUtf8(out, 0xFFFD);
    return out;
}

int CountChar(const CString& s, char c) {
    int n = 0;
    for (int i = 0; i < s.GetLength(); ++i)
        if (s[i] == c)
            ++n;
    return n;
}

} // namespace

CCsvSource::Status CCsvSource::Load(LPCTSTR lpszPath) {
    std::string bytes;
    try {
        CFile file;
        if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
            return CSV_CANNOT_OPEN;
        const ULONGLONG nLength = file.GetLength();
        bytes.resize((size_t)nLength);
        const UINT nRead = bytes.empty() ? 0 : file.Read(bytes.data(), (UINT)bytes.size());
        bytes.resize(nRead);
        file.Close();
    } catch (CException* e) {
        e->Delete();
        return CSV_CANNOT_OPEN;
    }
    return LoadBytes(bytes);
}

CCsvSource::Status CCsvSource::LoadBytes(const std::string& bytes) {
    m_text.clear();
    m_nPos = 0;
    m_nLossy = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 2 && s[0] == 0xFF && s[1] == 0xFE) {
        m_encoding = ENC_UTF16LE;
        m_text = Utf16BytesToUtf8(bytes, 2, false);
        return CSV_OK;
    }
    if (n >= 2 && s[0] == 0xFE && s[1] == 0xFF) {
        m_encoding = ENC_UTF16BE;
        m_text = Utf16BytesToUtf8(bytes, 2, true);
        return CSV_OK;
    }
    if (bytes.find('\0') != std::string::npos)
        return CSV_NOT_TEXT;
    if (n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) {
        m_encoding = ENC_UTF8_BOM;
        m_text = bytes.substr(3);
    } else {
        m_encoding = IsNonAsciiUtf8(bytes, 0) ? ENC_UTF8 : ENC_GBK;
        m_text = bytes;
    }
    return CSV_OK;
}

BOOL CCsvSource::ReadString(CString& rString) {
    if (m_nPos >= m_text.size()) {
        rString.Empty();
        return FALSE;
    }
    size_t end = m_text.find('\n', m_nPos);
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

CString CCsvSource::GetStatusMessage(Status status) {
    switch (status) {
    case CSV_CANNOT_OPEN:
        return "无法打开所选的文件，请检查文件是否存在以及是否有权读取。";
    case CSV_NOT_TEXT:
        return "所选的文件不是文本格式的CSV文件（可能是电子表格文件），无法导入。\n"
               "请先在电子表格程序中将其另存为CSV文件。";
    case CSV_NO_HEADER:
        return "所选的文件中没有标题行（第一行应是各列的名称），没有导入任何联系人。";
    default:
        return "";
    }
}

CCsvSource::Status ReadCsvHeader(LPCTSTR lpszPath, CStringList& titles) {
    titles.RemoveAll();
    CCsvSource source;
    const CCsvSource::Status status = source.Load(lpszPath);
    if (status == CCsvSource::CSV_OK && source.ReadRecord(titles) < 0)
        titles.RemoveAll();
    return status;
}
