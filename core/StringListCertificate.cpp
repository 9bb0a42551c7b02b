#include "core/StringListCertificate.h"

#include "platform/base/Archive.h"

namespace {

void FillXStringList(const CCertificateList& certificates, CXStringList& list) {
    list.RemoveAll();
    for (POSITION pos = certificates.GetHeadPosition(); pos != nullptr;) {
        const SCertificate& entry = certificates.GetNext(pos);
        CXString value(3);
        value.ElementAt(0) = entry.strType;
        value.ElementAt(1) = entry.strNumber;
        value.ElementAt(2) = entry.strSummary;
        list.AddTail(value);
    }
}

} // namespace

CCertificateList::CCertificateList(const CCertificateList& other)
    : CList<SCertificate, const SCertificate&>(10) {
    Append(other);
}

CCertificateList& CCertificateList::operator=(const CCertificateList& other) {
    if (this != &other) {
        RemoveAll();
        Append(other);
    }
    return *this;
}

int CCertificateList::Append(const CCertificateList& other) {
    // Counted first, so that appending a list to itself copies each entry once.
    int count = other.GetCount();
    POSITION pos = other.GetHeadPosition();
    for (int i = 0; i < count; ++i)
        AddTail(other.GetNext(pos));
    return count;
}

CXStringList& CCertificateList::ToXStringList() const {
    static CXStringList shared(3);
    FillXStringList(*this, shared);
    return shared;
}

void CCertificateList::FromXStringList(const CXStringList& list) {
    RemoveAll();
    if (list.GetItemSize() != 3)
        return;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        const CXString& value = list.GetNext(pos);
        AddTail({value.GetStringAt(0), value.GetStringAt(1), value.GetStringAt(2)});
    }
}

BOOL CCertificateList::Find(LPCTSTR text, int& nItem, int& nString, int& nPos, BOOL bPlain) const {
    // The walk of CXStringList::Find over the three strings of each entry, without building the
    // list.
    const int first = nItem < 0 ? 0 : nItem;
    int string = nString < 0 ? 0 : nString;
    int item = 0;
    for (POSITION pos = GetHeadPosition(); pos != nullptr; ++item) {
        const SCertificate& entry = GetNext(pos);
        if (item < first)
            continue;
        const CString* parts[3] = {&entry.strType, &entry.strNumber, &entry.strSummary};
        for (; string < 3; ++string) {
            int at = FindInValueText(*parts[string], text, bPlain);
            if (at >= 0) {
                nItem = item;
                nString = string;
                nPos = at;
                return TRUE;
            }
        }
        string = 0;
    }
    nItem = -1;
    nString = -1;
    return FALSE;
}

void CCertificateList::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(GetCount());
        for (POSITION pos = GetHeadPosition(); pos != nullptr;) {
            const SCertificate& entry = GetNext(pos);
            ar << entry.strType << entry.strNumber << entry.strSummary;
        }
    } else {
        RemoveAll();
        DWORD count = 0;
        ar >> count;
        // Each entry takes at least the three one-byte length prefixes of its strings.
        ar.RequireBytes(static_cast<ULONGLONG>(count) * 3);
        for (DWORD i = 0; i < count; ++i) {
            SCertificate entry;
            ar >> entry.strType >> entry.strNumber >> entry.strSummary;
            AddTail(entry);
        }
    }
}
