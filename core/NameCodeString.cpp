#include "core/NameCodeString.h"

namespace {

CString Join(const CString& name, const CString& code) {
    CString stored;
    stored.Format("%s\n%s", (LPCTSTR)name, (LPCTSTR)code);
    return stored;
}

} // namespace

void CNameCodeString::Set(LPCTSTR name, LPCTSTR code) {
    CString strName(name != nullptr ? name : "");
    CString strCode(code != nullptr ? code : "");
    if (!strName.IsEmpty() && !strCode.IsEmpty())
        m_str = Join(strName, strCode);
    else if (!strName.IsEmpty())
        m_str = strName;
    else if (!strCode.IsEmpty())
        m_str = strCode;
}

CString CNameCodeString::GetCode() const {
    int first = m_str.Find('\n');
    if (first < 0)
        return m_str;
    int second = m_str.Find('\n', first + 1);
    return second < 0 ? m_str.Mid(first + 1) : m_str.Mid(first + 1, second - first - 1);
}

CString CNameCodeString::GetName(BOOL bCodeIfEmpty) const {
    int first = m_str.Find('\n');
    CString name = first < 0 ? CString() : m_str.Left(first);
    if (name.IsEmpty() && bCodeIfEmpty)
        return GetCode();
    return name;
}

CString CNameCodeString::GetDisplayText() const {
    CString name = GetName();
    if (name.IsEmpty())
        return GetCode();
    CString display;
    display.Format("%s<%s>", (LPCTSTR)name, (LPCTSTR)GetCode());
    return display;
}

void CNameCodeString::ParseDisplayText(LPCTSTR display) {
    CString text(display != nullptr ? display : "");
    int open = text.ReverseFind('<');
    if (open < 0) {
        m_str = text;
        return;
    }
    // A ">" before the "<" closes nothing: the code then runs to the end of the text.
    int close = text.ReverseFind('>');
    CString code = close > open ? text.Mid(open + 1, close - open - 1) : text.Mid(open + 1);
    CString name = text.Left(open);
    m_str = name.IsEmpty() ? code : Join(name, code);
}

CString CNameCodeString::GetNameOf(LPCTSTR stored, BOOL bCodeIfEmpty) {
    return CNameCodeString(stored).GetName(bCodeIfEmpty);
}

BOOL IsEmptyOrElevenChars(const CString& text) {
    return text.IsEmpty() || text.GetLength() == 11;
}
