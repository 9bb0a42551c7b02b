// The certificates of a contact (identity card, passport, ...): type, number and summary.
#pragma once

#include "core/StringListXString.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

struct SCertificate {
    CString strType;
    CString strNumber;
    CString strSummary;
};

class CCertificateList : public CList<SCertificate, const SCertificate&> {
public:
    CCertificateList() : CList<SCertificate, const SCertificate&>(10) {}
    CCertificateList(const CCertificateList& other);
    CCertificateList& operator=(const CCertificateList& other);

    // Adds copies of the other list's entries; answers the number added.
    int Append(const CCertificateList& other);

    // Fills the one shared three-string list (type, number, summary per value) and returns it.
    // The shared list is overwritten by the next call: copy it to keep it.
    CXStringList& ToXStringList() const;
    // Replaces the entries with the values of a three-string list (other item sizes add nothing).
    void FromXStringList(const CXStringList& list);
    // CXStringList::Find over the entries as three-string values.
    BOOL Find(LPCTSTR text, int& nItem, int& nString, int& nPos, BOOL bPlain = TRUE) const;

    // 4-byte count, then type, number and summary of each entry.
    void Serialize(CArchive& ar) override;
};
