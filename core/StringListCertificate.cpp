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
    CXStringList list(3);
    FillXStringList(*this, list);
    return list.Find(text, nItem, nString, nPos, bPlain);
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
