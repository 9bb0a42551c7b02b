#include "core/FieldValue.h"

#include "platform/base/Collate.h"

void* FieldValueHolder::GetSlot(int nKind) {
    switch (nKind) {
    case FIELD_TEXT:
        return &strText;
    case FIELD_MULTI_VALUE:
        return &listValues;
    case FIELD_INT:
        return &nInt;
    case FIELD_DATE:
        return &date;
    case FIELD_TIME:
        return &time;
    case FIELD_CERTIFICATES:
        return &certificates;
    case FIELD_INT7:
        return &nInt7;
    case FIELD_INT8:
        return &nInt8;
    default:
        return nullptr;
    }
}

namespace {

CString JoinedValues(const CXStringList& list) {
    return list.JoinValues("\n");
}

CString JoinedValues(const CCertificateList& list) {
    // The shared three-string list is overwritten by the next call: take the text at once.
    return list.ToXStringList().JoinValues("\n");
}

template <class T> const T& As(const FieldValue& v) {
    return *static_cast<const T*>(v.pValue);
}

template <class T> T& AsMutable(FieldValue& v) {
    return *static_cast<T*>(v.pValue);
}

// The kind whose storage a value of nKind uses: 8 shares the integer of 3. Kinds 7 and 9 are
// integers too but are never compared or copied, so they stand for themselves.
int StorageKind(int nKind) {
    return nKind == FIELD_INT8 ? FIELD_INT : nKind;
}

// Whether b may be read as a value of a's kind: reading it through another kind's type would
// use its memory as an object it is not.
bool SameStorage(const FieldValue& a, const FieldValue& b) {
    return a.pValue != nullptr && b.pValue != nullptr &&
           StorageKind(a.nKind) == StorageKind(b.nKind);
}

} // namespace

int GetFieldKindSize(int nKind) {
    switch (nKind) {
    case FIELD_INT:
    case FIELD_INT7:
    case FIELD_INT8:
    case FIELD_FLAGS:
        return 4;
    case FIELD_DATE:
        return 16;
    case FIELD_TIME:
        return 8;
    default:
        return -1;
    }
}

BOOL CopyFieldValue(FieldValue& dst, const FieldValue& src) {
    if (!SameStorage(dst, src))
        return FALSE;
    switch (dst.nKind) {
    case FIELD_TEXT:
        AsMutable<CString>(dst) = As<CString>(src);
        return TRUE;
    case FIELD_MULTI_VALUE:
        AsMutable<CXStringList>(dst) = As<CXStringList>(src);
        return TRUE;
    case FIELD_INT:
    case FIELD_INT8:
        AsMutable<int>(dst) = As<int>(src);
        return TRUE;
    case FIELD_DATE:
        AsMutable<CDate>(dst) = As<CDate>(src);
        return TRUE;
    case FIELD_TIME:
        AsMutable<CTime>(dst) = As<CTime>(src);
        return TRUE;
    default:
        return FALSE;
    }
}

int CompareFieldValues(const FieldValue& a, const FieldValue& b) {
    if (!SameStorage(a, b))
        return 0;
    switch (a.nKind) {
    case FIELD_TEXT:
        return GbkCollate(As<CString>(a), As<CString>(b));
    case FIELD_MULTI_VALUE:
        return GbkCollate(JoinedValues(As<CXStringList>(a)), JoinedValues(As<CXStringList>(b)));
    case FIELD_CERTIFICATES: {
        CString first = JoinedValues(As<CCertificateList>(a));
        return GbkCollate(first, JoinedValues(As<CCertificateList>(b)));
    }
    case FIELD_INT:
    case FIELD_INT8: {
        // The difference, computed wide so that far-apart values keep their sign.
        long long d = (long long)As<int>(a) - As<int>(b);
        return d < 0 ? -1 : (d > 0 ? 1 : 0);
    }
    case FIELD_DATE:
        return As<CDate>(a).Compare(As<CDate>(b));
    case FIELD_TIME: {
        __time64_t ta = As<CTime>(a).GetTime(), tb = As<CTime>(b).GetTime();
        return ta < tb ? -1 : (ta > tb ? 1 : 0);
    }
    default:
        return 0;
    }
}
