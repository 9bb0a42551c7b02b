// Multi-value fields: a CXString is one value made of a fixed number of alternative strings (a
// phone number, a number and a nickname, ...), whose last string may carry a note after a
// newline; a CXStringList is the list of such values of one field with a current (preferred) one.
#pragma once

#include <string>
#include <vector>

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

// Position of the piece in one stored string of a value: bytes as they are (bPlain) or with the
// case of Latin letters ignored; -1 when absent. Searched in place.
int FindInValueText(const CString& text, LPCTSTR piece, BOOL bPlain);

class CXString {
public:
    explicit CXString(int nCount = 0);
    explicit CXString(const CString& text);
    virtual ~CXString() = default;
    CXString(const CXString& other) = default;
    CXString& operator=(const CXString& other) = default;

    int GetCount() const { return m_nCount; }
    void SetSize(int nCount);
    int GetCursor() const { return m_nCursor; }
    void SetCursor(int nCursor) { m_nCursor = nCursor; }

    // Raw strings, the note included. ElementAt throws std::out_of_range outside the strings;
    // GetStringAt answers an empty text there.
    CString& ElementAt(int nIndex);
    CString GetStringAt(int nIndex) const;
    // The string without its note (only the last string carries one).
    CString GetValue(int nIndex) const;
    CString GetNote() const;
    // An empty note removes the note.
    void SetNote(LPCTSTR note);
    // Replaces a string; the last string keeps its note.
    void SetAt(int nIndex, LPCTSTR text);
    // The only string's value, or the value under the cursor; empty when there is none.
    CString GetCurrentValue() const;
    // A string equal to the text, byte for byte.
    BOOL Contains(LPCTSTR text) const;
    // Searches the strings from nIndex on, as a plain substring or, without bPlain, ignoring
    // case. On a hit nIndex is the string and nPos the byte position in it; otherwise nIndex is -1.
    BOOL FindFrom(LPCTSTR text, int& nIndex, int& nPos, BOOL bPlain) const;
    // The values without notes; the separator only between two non-empty parts.
    CString JoinValues(LPCTSTR separator) const;
    // The display form: a note reads value(注:note); the separator only between non-empty parts.
    CString JoinStrings(LPCTSTR separator) const;
    // JoinStrings appended to out.
    void AppendJoinedStrings(std::string& out, LPCTSTR separator) const;
    // Empties the strings, then fills them in order from the text split at the separator; the
    // pieces left over go to the last string, each after the separator. Answers the strings filled.
    int SetFromText(LPCTSTR text, LPCTSTR separator);

    // The strings only, one after another: the owner knows how many.
    void Serialize(CArchive& ar);

private:
    int m_nCount = 0;
    int m_nCursor = -1;
    std::vector<CString> m_strings;
};

class CXStringList : public CList<CXString, const CXString&> {
public:
    explicit CXStringList(int nItemSize = 1);
    CXStringList(const CXStringList& other);
    CXStringList& operator=(const CXStringList& other);

    int GetItemSize() const { return m_nItemSize; }

    // Every value added gets exactly the list's number of strings.
    POSITION AddTail(const CXString& item);
    POSITION AddHead(const CXString& item);

    int GetCurrentIndex() const { return m_nCurrent; }
    // An index outside the list gives -1 (none).
    void SetCurrentIndex(int nIndex);
    // The current value, or the first when none is current; null for an empty list.
    CXString* GetCurrent();
    const CXString* GetCurrent() const;
    CString GetCurrentValue() const;

    CString& ElementAt(int nItem, int nString);
    CString GetValue(int nItem, int nString) const;
    // Searches from value nItem, string nString on; on a hit they and nPos locate it.
    BOOL Find(LPCTSTR text, int& nItem, int& nString, int& nPos, BOOL bPlain = TRUE) const;
    // A value one of whose strings equals the text.
    BOOL ContainsValue(LPCTSTR text) const;
    // Each value's JoinValues(separator), joined by the separator.
    CString JoinValues(LPCTSTR separator) const;
    // Adds copies of the other list's values when it has the same item size (nothing otherwise);
    // an empty list takes over the other's current index. Answers the number added.
    int Append(const CXStringList& other);
    void RemoveAll();

    // 4-byte count, each value's strings, then the 4-byte current index. Loading empties first.
    void Serialize(CArchive& ar) override;

private:
    int m_nItemSize;
    int m_nCurrent = -1;
};
