#include "core/StringListXString.h"

#include <cstring>
#include <stdexcept>

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/Gbk.h"

namespace {

const char kNoteSeparator = '\n';

void AppendPart(CString& out, const CString& part, LPCTSTR separator) {
    if (part.IsEmpty())
        return;
    if (!out.IsEmpty() && separator != nullptr)
        out += separator;
    out += part;
}

} // namespace

int FindInValueText(const CString& text, LPCTSTR piece, BOOL bPlain) {
    if (bPlain)
        return text.Find(piece);
    return GbkFindNoCase(text, text.GetLength(), piece);
}

// ---------------------------------------------------------------------------------------------
// CXString

CXString::CXString(int nCount) {
    SetSize(nCount);
}

CXString::CXString(const CString& text) : m_nCount(1), m_strings{text} {}

void CXString::SetSize(int nCount) {
    m_nCount = nCount < 0 ? 0 : nCount;
    m_strings.resize(m_nCount);
}

CString& CXString::ElementAt(int nIndex) {
    if (nIndex < 0 || nIndex >= m_nCount)
        throw std::out_of_range("CXString::ElementAt");
    return m_strings[nIndex];
}

CString CXString::GetStringAt(int nIndex) const {
    return nIndex >= 0 && nIndex < m_nCount ? m_strings[nIndex] : CString();
}

CString CXString::GetValue(int nIndex) const {
    CString text = GetStringAt(nIndex);
    if (nIndex == m_nCount - 1) {
        int note = text.Find(kNoteSeparator);
        if (note >= 0)
            return text.Left(note);
    }
    return text;
}

CString CXString::GetNote() const {
    if (m_nCount == 0)
        return CString();
    const CString& last = m_strings[m_nCount - 1];
    int note = last.Find(kNoteSeparator);
    return note < 0 ? CString() : last.Mid(note + 1);
}

void CXString::SetNote(LPCTSTR note) {
    if (m_nCount == 0)
        return;
    CString& last = m_strings[m_nCount - 1];
    int at = last.Find(kNoteSeparator);
    if (at >= 0)
        last = last.Left(at);
    if (note != nullptr && *note != 0) {
        last += kNoteSeparator;
        last += note;
    }
}

void CXString::SetAt(int nIndex, LPCTSTR text) {
    if (nIndex < 0 || nIndex >= m_nCount)
        return;
    CString note = nIndex == m_nCount - 1 ? GetNote() : CString();
    m_strings[nIndex] = text != nullptr ? text : "";
    if (!note.IsEmpty())
        SetNote(note);
}

CString CXString::GetCurrentValue() const {
    // A number with a note must be handed on as the number alone, so the value drops the note.
    if (m_nCount == 1)
        return GetValue(0);
    if (m_nCursor >= 0 && m_nCursor < m_nCount)
        return GetValue(m_nCursor);
    return CString();
}

BOOL CXString::Contains(LPCTSTR text) const {
    for (const CString& s : m_strings)
        if (s == text)
            return TRUE;
    return FALSE;
}

BOOL CXString::FindFrom(LPCTSTR text, int& nIndex, int& nPos, BOOL bPlain) const {
    for (int i = nIndex < 0 ? 0 : nIndex; i < m_nCount; ++i) {
        int at = FindInValueText(m_strings[i], text, bPlain);
        if (at >= 0) {
            nIndex = i;
            nPos = at;
            return TRUE;
        }
    }
    nIndex = -1;
    return FALSE;
}

CString CXString::JoinValues(LPCTSTR separator) const {
    CString out;
    for (int i = 0; i < m_nCount; ++i)
        AppendPart(out, GetValue(i), separator);
    return out;
}

CString CXString::JoinStrings(LPCTSTR separator) const {
    std::string out;
    AppendJoinedStrings(out, separator);
    return CString(out.data(), static_cast<int>(out.size()));
}

void CXString::AppendJoinedStrings(std::string& out, LPCTSTR separator) const {
    const size_t start = out.size();
    for (const CString& s : m_strings) {
        if (s.IsEmpty())
            continue;
        if (out.size() > start && separator != nullptr)
            out += separator;
        // A note follows its value as "(注:note)". A line feed is never the second byte of a
        // double-byte character, so a plain byte search finds the same ones CString would.
        const char* p = s.GetString();
        const char* end = p + s.GetLength();
        BOOL bNote = FALSE;
        for (const char* lf; (lf = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr;
             p = lf + 1) {
            out.append(p, lf);
            out += "(注:";
            bNote = TRUE;
        }
        out.append(p, end);
        if (bNote)
            out += ')';
    }
}

int CXString::SetFromText(LPCTSTR text, LPCTSTR separator) {
    for (CString& s : m_strings)
        s.Empty();
    if (m_nCount == 0)
        return 0;
    CString rest(text != nullptr ? text : "");
    CString sep(separator != nullptr ? separator : "");
    int filled = 0;
    while (true) {
        int at = sep.IsEmpty() ? -1 : rest.Find(sep);
        CString piece = at < 0 ? rest : rest.Left(at);
        if (filled < m_nCount) {
            m_strings[filled++] = piece;
        } else {
            m_strings[m_nCount - 1] += sep;
            m_strings[m_nCount - 1] += piece;
        }
        if (at < 0)
            break;
        rest = rest.Mid(at + sep.GetLength());
    }
    return filled;
}

void CXString::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        for (const CString& s : m_strings)
            ar << s;
    } else {
        for (CString& s : m_strings)
            ar >> s;
    }
}

// ---------------------------------------------------------------------------------------------
// CXStringList

CXStringList::CXStringList(int nItemSize)
    : CList<CXString, const CXString&>(10), m_nItemSize(nItemSize < 0 ? 0 : nItemSize) {}

CXStringList::CXStringList(const CXStringList& other)
    : CList<CXString, const CXString&>(10), m_nItemSize(other.m_nItemSize) {
    *this = other;
}

CXStringList& CXStringList::operator=(const CXStringList& other) {
    if (this != &other) {
        RemoveAll();
        m_nItemSize = other.m_nItemSize;
        for (POSITION pos = other.GetHeadPosition(); pos != nullptr;)
            AddTail(other.GetNext(pos));
        m_nCurrent = other.m_nCurrent;
    }
    return *this;
}

POSITION CXStringList::AddTail(const CXString& item) {
    POSITION pos = CList<CXString, const CXString&>::AddTail(item);
    GetAt(pos).SetSize(m_nItemSize);
    return pos;
}

POSITION CXStringList::AddHead(const CXString& item) {
    POSITION pos = CList<CXString, const CXString&>::AddHead(item);
    GetAt(pos).SetSize(m_nItemSize);
    return pos;
}

void CXStringList::SetCurrentIndex(int nIndex) {
    m_nCurrent = nIndex >= 0 && nIndex < GetCount() ? nIndex : -1;
}

CXString* CXStringList::GetCurrent() {
    return const_cast<CXString*>(static_cast<const CXStringList*>(this)->GetCurrent());
}

const CXString* CXStringList::GetCurrent() const {
    if (IsEmpty())
        return nullptr;
    POSITION pos = m_nCurrent >= 0 ? FindIndex(m_nCurrent) : nullptr;
    return &GetAt(pos != nullptr ? pos : GetHeadPosition());
}

CString CXStringList::GetCurrentValue() const {
    const CXString* current = GetCurrent();
    return current != nullptr ? current->GetCurrentValue() : CString();
}

CString& CXStringList::ElementAt(int nItem, int nString) {
    POSITION pos = nItem >= 0 ? FindIndex(nItem) : nullptr;
    if (pos == nullptr)
        throw std::out_of_range("CXStringList::ElementAt");
    return GetAt(pos).ElementAt(nString);
}

CString CXStringList::GetValue(int nItem, int nString) const {
    POSITION pos = nItem >= 0 ? FindIndex(nItem) : nullptr;
    return pos != nullptr ? GetAt(pos).GetValue(nString) : CString();
}

BOOL CXStringList::Find(LPCTSTR text, int& nItem, int& nString, int& nPos, BOOL bPlain) const {
    int item = nItem < 0 ? 0 : nItem;
    int string = nString < 0 ? 0 : nString;
    for (POSITION pos = FindIndex(item); pos != nullptr; ++item, string = 0) {
        const CXString& value = GetNext(pos);
        if (value.FindFrom(text, string, nPos, bPlain)) {
            nItem = item;
            nString = string;
            return TRUE;
        }
    }
    nItem = -1;
    nString = -1;
    return FALSE;
}

BOOL CXStringList::ContainsValue(LPCTSTR text) const {
    for (POSITION pos = GetHeadPosition(); pos != nullptr;)
        if (GetNext(pos).Contains(text))
            return TRUE;
    return FALSE;
}

CString CXStringList::JoinValues(LPCTSTR separator) const {
    CString out;
    for (POSITION pos = GetHeadPosition(); pos != nullptr;)
        AppendPart(out, GetNext(pos).JoinValues(separator), separator);
    return out;
}

int CXStringList::Append(const CXStringList& other) {
    if (other.m_nItemSize != m_nItemSize || &other == this)
        return 0;
    bool wasEmpty = IsEmpty();
    int added = 0;
    for (POSITION pos = other.GetHeadPosition(); pos != nullptr; ++added)
        AddTail(other.GetNext(pos));
    if (wasEmpty)
        m_nCurrent = other.m_nCurrent;
    return added;
}

void CXStringList::RemoveAll() {
    CList<CXString, const CXString&>::RemoveAll();
    m_nCurrent = -1;
}

void CXStringList::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(GetCount());
        for (POSITION pos = GetHeadPosition(); pos != nullptr;)
            GetNext(pos).Serialize(ar);
        ar << static_cast<LONG>(m_nCurrent);
    } else {
        RemoveAll();
        DWORD count = 0;
        ar >> count;
        // Each string takes at least its one-byte length prefix, and the current index follows.
        // Values of no strings take no bytes at all, so for them no count but 0 can be checked.
        if (m_nItemSize == 0 && count != 0)
            AfxThrowArchiveException(CArchiveException::badIndex);
        ar.RequireBytes(static_cast<ULONGLONG>(count) * m_nItemSize + 4);
        for (DWORD i = 0; i < count; ++i) {
            CXString value(m_nItemSize);
            value.Serialize(ar);
            CList<CXString, const CXString&>::AddTail(value);
        }
        LONG current = -1;
        ar >> current;
        m_nCurrent = current;
    }
}
