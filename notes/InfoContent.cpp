#include "notes/InfoContent.h"

#include <set>

IMPLEMENT_DYNCREATE(CInfoContent, CContent)

namespace {

// The most rows an item keeps inline and the most columns a file may declare: the base is made
// of small tables, and a damaged file must not claim the memory.
constexpr int kMaxInlineRows = 200000;
constexpr int kMaxColumns = 256;

// The column numbers in the parentheses right after the word at nAt in the style text.
std::vector<int> ColumnsAfter(const CString& style, int nAt, int nWordLength) {
    std::vector<int> columns;
    int i = nAt + nWordLength;
    while (i < style.GetLength() && (style[i] == ' ' || style[i] == '\t'))
        ++i;
    if (i >= style.GetLength() || style[i] != '(')
        return columns;
    int close = style.Find(')', i);
    CString inside = close < 0 ? style.Mid(i + 1) : style.Mid(i + 1, close - i - 1);
    CStringList parts;
    InfoSplitList(inside, parts);
    for (POSITION pos = parts.GetHeadPosition(); pos != nullptr;) {
        CString p = parts.GetNext(pos);
        if (!p.IsEmpty())
            columns.push_back(InfoParseInt(p));
    }
    return columns;
}

} // namespace

CInfoContent::CInfoContent(LPCTSTR lpszName) : CContent(lpszName) {
    m_columnFlags.SetSize(5);
}

void CInfoContent::TakeDefaults(int nFieldCount, const CStringList& fields,
                                const CArray<int, int>& widths) {
    m_nFieldCount = nFieldCount;
    m_fields.RemoveAll();
    m_fields.AddTail(&fields);
    m_fieldWidths.Copy(widths);
}

void CInfoContent::SetColumnFlags(int nColumn, int nMask, int nBits) {
    if (nColumn < 0 || nColumn >= m_nFieldCount)
        return;
    if (nColumn >= m_columnFlags.GetSize())
        m_columnFlags.SetSize(nColumn + 1);
    m_columnFlags[nColumn] = nBits | (m_columnFlags[nColumn] & ~nMask);
}

int CInfoContent::GetColumnFlags(int nColumn) const {
    return nColumn >= 0 && nColumn < m_columnFlags.GetSize() ? m_columnFlags[nColumn] : 0;
}

void CInfoContent::ParseStyle(const CString& value) {
    m_nStyle = 0;
    m_styleColumns.clear();
    if (value.Find("空格") >= 0)
        m_nStyle |= StyleBlank;
    else if (value.Find("英汉") >= 0)
        m_nStyle |= StyleEnCn;
    int at = value.Find("url");
    if (at >= 0) {
        m_nStyle |= StyleUrl;
        for (int c : ColumnsAfter(value, at, 3))
            m_styleColumns.emplace_back(c, ColumnUrl);
    }
    at = value.Find("mailto");
    if (at >= 0) {
        m_nStyle |= StyleMailto;
        for (int c : ColumnsAfter(value, at, 6))
            m_styleColumns.emplace_back(c, ColumnMail);
    }
}

BOOL CInfoContent::Parse(CInfoReader& reader) {
    CString raw;
    if (!reader.ReadLine(raw))
        return FALSE;
    CString key, value;
    InfoSplitKey(InfoStripLine(raw), key, value);
    if (key != "CONTENT")
        return FALSE;
    SetName(value);

    std::set<CString> seen{"CONTENT"};
    int mode = 0; // 0 header, 1 inline rows, 2 data-file name
    BOOL bNameRead = FALSE;
    auto endHeader = [this] {
        for (auto [column, bits] : m_styleColumns)
            SetColumnFlags(column, bits, bits);
    };
    while (reader.ReadLine(raw)) {
        if (mode == 0) {
            CString line = InfoStripLine(raw);
            if (line.IsEmpty())
                continue;
            InfoSplitKey(line, key, value);
            if (key == "BEGIN" || key == "BEGINLINK") {
                endHeader();
                mode = key == "BEGIN" ? 1 : 2;
                continue;
            }
            if (!seen.insert(key).second)
                continue; // a header key counts once
            if (key == "风格") {
                ParseStyle(value);
            } else if (key == "字段数") {
                m_nFieldCount = std::max(0, std::min(InfoParseInt(value), kMaxColumns));
            } else if (key == "字段") {
                InfoSplitList(value, m_fields);
            } else if (key == "字段宽度") {
                CStringList widths;
                InfoSplitList(value, widths);
                m_fieldWidths.RemoveAll();
                for (POSITION pos = widths.GetHeadPosition(); pos != nullptr;)
                    m_fieldWidths.Add(InfoParseInt(widths.GetNext(pos)));
            }
            continue;
        }
        if (mode == 1) {
            CString line = InfoStripLine(raw, (m_nStyle & StyleUrl) != 0);
            if (line.IsEmpty())
                continue;
            CString first, rest;
            InfoSplitKey(line, first, rest);
            int comma = first.Find(',');
            if (comma >= 0)
                first = first.Left(comma);
            if (first == "END") {
                m_bLoaded = TRUE;
                return TRUE;
            }
            if ((int)m_rows.size() < kMaxInlineRows)
                m_rows.push_back(InfoSplitRow(line, ',', FALSE));
            continue;
        }
        CString line = InfoStripLine(raw);
        if (line.IsEmpty())
            continue;
        if (line == "ENDLINK")
            return TRUE;
        if (!bNameRead) {
            bNameRead = TRUE;
            CString path;
            if (InfoResolveFileName(line, path))
                m_strLinkPath = path;
        }
    }
    // The end of the file closes the block.
    if (mode == 0)
        endHeader();
    if (mode == 1)
        m_bLoaded = TRUE;
    return TRUE;
}
