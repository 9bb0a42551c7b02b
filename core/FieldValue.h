// Typed field values: what CContent::GetFieldData and GetFieldValue hand out, and how two values
// of one kind compare when lists are sorted by a field.
#pragma once

#include "core/Date.h"
#include "core/StringListCertificate.h"
#include "core/StringListXString.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

// Field kind codes, the same for every record type.
enum FieldKind {
    FIELD_NONE = -1,
    FIELD_TEXT = 1,         // CString
    FIELD_MULTI_VALUE = 2,  // CXStringList
    FIELD_INT = 3,          // int
    FIELD_DATE = 4,         // CDate
    FIELD_TIME = 5,         // CTime
    FIELD_CERTIFICATES = 6, // CCertificateList
    FIELD_INT7 = 7,         // int, not compared
    FIELD_INT8 = 8,         // int
    FIELD_FLAGS = 9,        // 32-bit flag word, not compared
};

// A field's kind and a pointer to storage of that kind.
struct FieldValue {
    int nKind = FIELD_NONE;
    void* pValue = nullptr;
};

// One member per kind, empty or zero at construction.
struct FieldValueHolder {
    CString strText;
    CXStringList listValues;
    int nInt = 0;
    CDate date;
    CTime time;
    CCertificateList certificates;
    int nInt7 = 0;
    int nInt8 = 0;

    // The member that holds values of the kind; null for kinds without one.
    void* GetSlot(int nKind);
    // A value typed with the kind and pointing at its member.
    FieldValue MakeValue(int nKind) { return FieldValue{nKind, GetSlot(nKind)}; }
};

// The bytes of a kind held in plain storage: 4 for the integers and the flag word (3, 7, 8, 9), 16
// for a date, 8 for a time; -1 for kinds held in an object (text, lists, certificates) and for
// unknown kinds.
int GetFieldKindSize(int nKind);

// Compares two values of the kind a carries: texts and lists by the Chinese collation (lists and
// certificates as their values joined by newlines), integers 3 and 8 by difference, dates and
// times by order; kinds 7, 9 and unknown ones, missing storage, and two values whose kinds are
// held in different storage (a text against a date, say) compare equal.
int CompareFieldValues(const FieldValue& a, const FieldValue& b);

// Copies src into dst by dst's kind: a text, a multi-value list (values, parts per value and
// current value), an integer (3 or 8), a date or a time. Only when src holds the same storage
// (kinds 3 and 8 are both integers); otherwise, and for certificate lists, kinds 7 and 9 and
// missing storage, dst stays unchanged and the answer is FALSE.
BOOL CopyFieldValue(FieldValue& dst, const FieldValue& src);
