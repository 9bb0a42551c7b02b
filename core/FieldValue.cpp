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

} // namespace

int CompareFieldValues(const FieldValue& a, const FieldValue& b) {
    if (a.pValue == nullptr || b.pValue == nullptr)
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
