#include "contacts/FieldOps.h"

#include <algorithm>
#include <cstring>

#include "calendar/Birthday.h"
#include "core/StringUtil.h"
#include "platform/base/Time.h"

CString JoinMultiValue(const CXStringList& list, LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator,
                       BOOL bCurrentOnly) {
    std::string text;
    AppendJoinedMultiValue(text, list, lpszSeparator, lpszPartSeparator, bCurrentOnly);
    return CString(text.data(), static_cast<int>(text.size()));
}

void AppendJoinedMultiValue(std::string& out, const CXStringList& list, LPCTSTR lpszSeparator,
                            LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) {
    LPCTSTR partSeparator = lpszPartSeparator != nullptr ? lpszPartSeparator : "";
    if (bCurrentOnly) {
        if (const CXString* pCurrent = list.GetCurrent())
            pCurrent->AppendJoinedStrings(out, partSeparator);
        return;
    }
    BOOL bFirst = TRUE;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        if (!bFirst && lpszSeparator != nullptr)
            out += lpszSeparator;
        list.GetNext(pos).AppendJoinedStrings(out, partSeparator);
        bFirst = FALSE;
    }
}

void AppendFieldBlock(CString& out, int nField, const CString& value, LPCTSTR lpszLineBreak) {
    CString text = value;
    if (IsPersonMultiValueField(nField))
        text.Replace(" \n", "; ");
    if (!out.IsEmpty())
        out += lpszLineBreak;
    if (nField == PF_MODIFIED) {
        out += text;
        return;
    }
    CString name;
    GetPersonFieldName(nField, name);
    out += name + ":";
    if (text.Find("\n", 1) > 0)
        out += "\n";
    out += text;
}

namespace {

BOOL IsIntegerKind(int nKind) {
    return nKind == FIELD_INT || nKind == FIELD_INT7 || nKind == FIELD_INT8 || nKind == FIELD_FLAGS;
}

} // namespace

BOOL AssignFieldValue(void* pTarget, const void* pSource, int nKind) {
    if (IsIntegerKind(nKind)) {
        *static_cast<int*>(pTarget) = *static_cast<const int*>(pSource);
        return TRUE;
    }
    switch (nKind) {
    case FIELD_TEXT:
        *static_cast<CString*>(pTarget) = *static_cast<const CString*>(pSource);
        return TRUE;
    case FIELD_MULTI_VALUE:
        *static_cast<CXStringList*>(pTarget) = *static_cast<const CXStringList*>(pSource);
        return TRUE;
    case FIELD_DATE:
        // Dates of contacts are birthdays; their flags travel with them.
        *static_cast<CDate*>(pTarget) = *static_cast<const CDate*>(pSource);
        if (auto* pBirthday = dynamic_cast<CBirthday*>(static_cast<CDate*>(pTarget)))
            if (auto* pFrom = dynamic_cast<const CBirthday*>(static_cast<const CDate*>(pSource)))
                pBirthday->SetFlags(pFrom->GetFlags());
        return TRUE;
    case FIELD_TIME:
        *static_cast<CTime*>(pTarget) = *static_cast<const CTime*>(pSource);
        return TRUE;
    case FIELD_CERTIFICATES:
        *static_cast<CCertificateList*>(pTarget) = *static_cast<const CCertificateList*>(pSource);
        return TRUE;
    }
    return FALSE;
}

BOOL AppendFieldValue(void* pTarget, const void* pSource, int nKind) {
    switch (nKind) {
    case FIELD_TEXT:
        *static_cast<CString*>(pTarget) += *static_cast<const CString*>(pSource);
        return TRUE;
    case FIELD_MULTI_VALUE:
        static_cast<CXStringList*>(pTarget)->Append(*static_cast<const CXStringList*>(pSource));
        return TRUE;
    case FIELD_CERTIFICATES:
        static_cast<CCertificateList*>(pTarget)->Append(
            *static_cast<const CCertificateList*>(pSource));
        return TRUE;
    }
    // A single value has nothing to append to: it is copied.
    return AssignFieldValue(pTarget, pSource, nKind);
}

BOOL ClearFieldValue(void* pTarget, int nKind, int nIntDefault) {
    if (IsIntegerKind(nKind)) {
        *static_cast<int*>(pTarget) = nIntDefault;
        return TRUE;
    }
    switch (nKind) {
    case FIELD_TEXT:
        static_cast<CString*>(pTarget)->Empty();
        return TRUE;
    case FIELD_MULTI_VALUE:
        static_cast<CXStringList*>(pTarget)->RemoveAll();
        return TRUE;
    case FIELD_DATE:
        static_cast<CDate*>(pTarget)->SetNull();
        return TRUE;
    case FIELD_TIME:
        return TRUE;
    case FIELD_CERTIFICATES:
        static_cast<CCertificateList*>(pTarget)->RemoveAll();
        return TRUE;
    }
    return FALSE;
}

BOOL SearchFieldValue(void* pData, int nKind, LPCTSTR lpszText, BOOL bMatchCase,
                      CSearchItemArray& hits, int nGroup, int nBit) {
    int nValue = 0, nPart = 0, nPos = -1;
    switch (nKind) {
    case FIELD_TEXT: {
        const CString& s = *static_cast<CString*>(pData);
        nPos = bMatchCase ? s.Find(lpszText) : FindNoCase(s, lpszText);
        break;
    }
    case FIELD_MULTI_VALUE:
        if (!static_cast<CXStringList*>(pData)->Find(lpszText, nValue, nPart, nPos, bMatchCase))
            nPos = -1;
        break;
    case FIELD_CERTIFICATES:
        if (!static_cast<CCertificateList*>(pData)->Find(lpszText, nValue, nPart, nPos, bMatchCase))
            nPos = -1;
        break;
    case FIELD_INT: {
        CString number;
        number.Format("%d", *static_cast<int*>(pData));
        nPos = number.Find(lpszText);
        break;
    }
    }
    if (nPos < 0)
        return FALSE;
    AddSearchHit(hits, nGroup, nBit, nValue, nPart, nPos);
    return TRUE;
}

void AddSearchHit(CSearchItemArray& hits, int nGroup, int nBit, int nValue, int nPart, int nPos) {
    SSearchItemInfo hit;
    hit.nGroup = nGroup;
    hit.nField = nBit;
    hit.nValue = nValue;
    hit.nPart = nPart;
    hit.nPos = nPos;
    hits.Add(hit);
}

CString QuoteCsvField(const CString& value) {
    std::string quoted;
    AppendCsvField(quoted, value.GetString(), (size_t)value.GetLength());
    return CString(quoted.data(), static_cast<int>(quoted.size()));
}

BOOL CsvFieldNeedsQuotes(const char* p, size_t n) {
    // None of the four bytes can be the second byte of a double-byte character, so a plain byte
    // search finds the same ones as the GBK-aware CString search.
    return std::find_if(p, p + n, [](char c) {
               return c == '"' || c == ',' || c == '\r' || c == '\n';
           }) != p + n;
}

void AppendCsvField(std::string& out, const char* p, size_t n) {
    const char* end = p + n;
    if (!CsvFieldNeedsQuotes(p, n)) {
        out.append(p, end);
        return;
    }
    out += '"';
    for (const char* quote; (quote = static_cast<const char*>(std::memchr(p, '"', end - p))) != nullptr;
         p = quote + 1)
        out.append(p, quote + 1) += '"';
    out.append(p, end);
    out += '"';
}
