// The archive forms of the framework's collections: an element count (CArchive::WriteCount), then
// the elements. Numbers are stored raw and little-endian, strings with their length prefix.
#include <climits>

#include "platform/base/Archive.h"
#include "platform/base/Collections.h"

namespace {

// Raw element bytes in steps that fit CArchive's UINT sizes.
template <class T> void TransferRaw(CArchive& ar, T* data, DWORD_PTR count) {
    const DWORD_PTR step = 0x10000000 / sizeof(T);
    for (DWORD_PTR done = 0; done < count; done += step) {
        DWORD_PTR n = count - done < step ? count - done : step;
        UINT bytes = static_cast<UINT>(n * sizeof(T));
        if (ar.IsStoring()) {
            ar.Write(data + done, bytes);
        } else if (ar.Read(data + done, bytes) != bytes) {
            AfxThrowArchiveException(CArchiveException::endOfFile,
                                     ar.GetFile() != nullptr ? (LPCTSTR)ar.GetFile()->GetFilePath()
                                                             : "");
        }
    }
}

// A count read from the archive that an int-sized collection can hold, each element taking at
// least minBytes bytes of what is left.
int ReadElementCount(CArchive& ar, ULONGLONG minBytes) {
    DWORD_PTR n = ar.ReadCountOf(minBytes);
    if (n > static_cast<DWORD_PTR>(INT_MAX)) {
        AfxThrowArchiveException(CArchiveException::badIndex);
    }
    return static_cast<int>(n);
}

template <class T> void SerializeNumbers(CArray<T, T>& array, CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD_PTR>(array.GetSize()));
        TransferRaw(ar, array.GetData(), static_cast<DWORD_PTR>(array.GetSize()));
    } else {
        int n = ReadElementCount(ar, sizeof(T));
        array.SetSize(n);
        TransferRaw(ar, array.GetData(), static_cast<DWORD_PTR>(n));
    }
}

// Every string takes at least its one-byte length prefix. The collection grows as strings arrive
// rather than being sized for the count up front.
template <class Append> void LoadStrings(CArchive& ar, Append append) {
    int n = ReadElementCount(ar, 1);
    for (int i = 0; i < n; ++i) {
        CString s;
        ar >> s;
        append(s);
    }
}

} // namespace

void CByteArray::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    SerializeNumbers(*this, ar);
}

void CWordArray::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    SerializeNumbers(*this, ar);
}

void CDWordArray::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    SerializeNumbers(*this, ar);
}

void CUIntArray::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    SerializeNumbers(*this, ar);
}

void CStringArray::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD_PTR>(GetSize()));
        for (int i = 0; i < GetSize(); ++i) {
            ar << ElementAt(i);
        }
    } else {
        RemoveAll();
        LoadStrings(ar, [this](const CString& s) { Add(s); });
    }
}

void CStringList::Serialize(CArchive& ar) {
    CObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD_PTR>(GetCount()));
        for (POSITION pos = GetHeadPosition(); pos != nullptr;) {
            ar << GetNext(pos);
        }
    } else {
        // Loaded strings are appended to what the list already holds, as the framework does.
        LoadStrings(ar, [this](const CString& s) { AddTail(s); });
    }
}

// Object collections would need class tags in the archive, which no file of the program has:
// records serialize their children themselves. Reaching these is a programming error.
void CObList::Serialize(CArchive&) {
    AfxThrowNotSupportedException();
}

void CObArray::Serialize(CArchive&) {
    AfxThrowNotSupportedException();
}
