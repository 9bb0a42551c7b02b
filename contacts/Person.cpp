#include "contacts/Person.h"

#include <cstdlib>
#include <set>
#include <string>

#include "contacts/FieldOps.h"
#include "core/DateTime.h"
#include "core/HanziString.h"
#include "core/LunarDate.h"
#include "core/StringUtil.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"

IMPLEMENT_SERIAL(_CPerson, CContent, 1)

namespace {

std::string StoredBytes(_CSmsBox& box) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        box.Serialize(ar);
        ar.Close();
    }
    const size_t n = static_cast<size_t>(file.GetLength());
    BYTE* p = file.Detach();
    std::string bytes(reinterpret_cast<const char*>(p), n);
    std::free(p);
    return bytes;
}

std::set<const _CPerson*>& BoxesShownSet() {
    static std::set<const _CPerson*> s_set;
    return s_set;
}

const char* const kSexNames[2] = {"女", "男"};

// Reads a sex from text: male, female or unknown (2).
int ParseSex(LPCTSTR lpszText) {
    CString s(lpszText);
    s.Trim();
    s.MakeLower();
    if (s == "男" || s == "m" || s == "1")
        return 1;
    if (s == "女" || s == "f" || s == "0")
        return 0;
    return 2;
}

// Splits a text into values of the list's size and appends the non-empty ones; with
// bSkipPresent a text already in the list adds nothing.
void AppendValuesFromText(CXStringList& list, LPCTSTR lpszText, BOOL bSkipPresent,
                          LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator) {
    if (bSkipPresent) {
        if (list.GetItemSize() <= 1) {
            if (list.ContainsValue(lpszText))
                return;
        } else {
            CStringList parts;
            SplitString(lpszText, parts, lpszPartSeparator);
            for (POSITION pos = parts.GetHeadPosition(); pos != nullptr;) {
                const CString& part = parts.GetNext(pos);
                if (!part.IsEmpty() && list.ContainsValue(part))
                    return;
            }
        }
    }
    CStringList values;
    SplitString(lpszText, values, lpszSeparator);
    for (POSITION pos = values.GetHeadPosition(); pos != nullptr;) {
        const CString& text = values.GetNext(pos);
        if (text.IsEmpty())
            continue;
        CXString value(list.GetItemSize());
        value.SetFromText(text, lpszPartSeparator);
        list.AddTail(value);
    }
    if (list.GetCurrentIndex() < 0 && list.GetCount() > 0)
        list.SetCurrentIndex(0);
}

// The stored form of an SMS box not made yet: exactly what such a box writes, so that reading
// these bytes and writing them again are one and the same.
const std::string& StoredPendingBox(int nPending) {
    static const std::string s_forms[2] = {
        [] {
            _CSmsBox box("");
            return StoredBytes(box);
        }(),
        [] {
            _CSmsBox box("");
            box.AddStandardSubBoxes();
            return StoredBytes(box);
        }(),
    };
    return s_forms[nPending];
}

} // namespace

// ---- Construction -----------------------------------------------------------------------------

#if defined(__SANITIZE_ADDRESS__)
#define QUILLMAR_CONTACTS_IN_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMAR_CONTACTS_IN_BLOCKS 0
#endif
#endif
#ifndef QUILLMAR_CONTACTS_IN_BLOCKS
#define QUILLMAR_CONTACTS_IN_BLOCKS 1
#endif

void* _CPerson::operator new(size_t n) {
#if QUILLMAR_CONTACTS_IN_BLOCKS
    return PackedBlocks::Allocate(n, alignof(_CPerson));
#else
    return ::operator new(n);
#endif
}

void _CPerson::operator delete(void* p) {
#if QUILLMAR_CONTACTS_IN_BLOCKS
    PackedBlocks::Free(p);
#else
    ::operator delete(p);
#endif
}

_CPerson::_CPerson(LPCTSTR lpszName, BOOL bMakeBoxes)
    : CContent(lpszName), m_nPendingBox(bMakeBoxes ? BOX_STANDARD : BOX_EMPTY) {
    SetName(lpszName);
    m_timeModified = CTime::GetCurrentTime();
}

_CPerson::~_CPerson() {
    BoxesShownSet().erase(this);
}

_CPersonInfo& _CPerson::Info() const {
    if (m_pInfo == nullptr) {
        auto pInfo = std::make_unique<_CPersonInfo>();
        if (!m_packed.IsNull())
            DecodePacked(*pInfo);
        else
            pInfo->Name() = m_strName;
        // Binding hands the record's name to the node, which holds it already.
        pInfo->BindName(const_cast<CString*>(&m_strName));
        m_pInfo = std::move(pInfo);
        m_packed.Reset();
    }
    return *m_pInfo;
}

void _CPerson::PrefetchDetails() const {
    const char* p = reinterpret_cast<const char*>(m_pInfo.get());
    const size_t n = m_pInfo != nullptr ? sizeof(_CPersonInfo) : 0;
    for (size_t at = 0; at < n; at += 64)
        __builtin_prefetch(p + at);
}

const CBirthday& _CPerson::GetBirthday() const {
    static const CBirthday s_none;
    if (m_pInfo != nullptr)
        return m_pInfo->m_personal.birthday;
    return !m_packed.IsNull() ? m_packedBirthday : s_none;
}

BOOL _CPerson::HasMobile(LPCTSTR lpszNumber) const {
    // Read only, whatever form the details are in: the details of a new contact have no
    // numbers, and kept ones are read into a record of this call's own.
    if (m_pInfo != nullptr)
        return m_pInfo->m_personal.mobiles.ContainsValue(lpszNumber);
    if (m_packed.IsNull())
        return FALSE;
    const char* number = lpszNumber != nullptr ? lpszNumber : "";
    if (!PackedMayContain(number))
        return FALSE;
    _CPersonInfo info;
    DecodePacked(info);
    return info.m_personal.mobiles.ContainsValue(number);
}

void _CPerson::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        if (IsPacked())
            StorePacked(ar);
        else
            Info().Serialize(ar);
    } else if (m_pInfo != nullptr || !LoadPacked(ar)) {
        // Details already made are read in place, as are stored forms that cannot be kept.
        Info().Serialize(ar);
    }
    if (ar.IsStoring()) {
        if (m_pSmsBox != nullptr) {
            m_pSmsBox->Serialize(ar);
        } else {
            const std::string& stored = StoredPendingBox(m_nPendingBox);
            ar.Write(stored.data(), static_cast<UINT>(stored.size()));
        }
    } else {
        // A box in one of the forms a box not made yet writes stays unmade; any other is read
        // in full (the stored box brings its own sub-boxes).
        m_pSmsBox.reset();
        BOOL bPending = FALSE;
        for (int nPending : {BOX_STANDARD, BOX_EMPTY}) {
            const std::string& stored = StoredPendingBox(nPending);
            if (ar.SkipIfNext(stored.data(), static_cast<UINT>(stored.size()))) {
                m_nPendingBox = static_cast<BYTE>(nPending);
                bPending = TRUE;
                break;
            }
        }
        if (!bPending) {
            m_nPendingBox = BOX_EMPTY;
            SmsBox().Serialize(ar);
        }
    }
    if (ar.IsStoring()) {
        ar << (LONGLONG)m_timeModified.GetTime();
    } else {
        LONGLONG t = 0;
        ar >> t;
        m_timeModified = CTime((__time64_t)t);
    }
}

// ---- Copies and links ---------------------------------------------------------------------------

void _CPerson::CopyFrom(const CContent* pSource) {
    SetTreeItem(0);
    SetBoxesShown(FALSE);
    m_timeModified = CTime::GetCurrentTime();
    const _CPerson* pSrc = dynamic_cast<const _CPerson*>(pSource);
    if (pSrc == nullptr || pSrc == this)
        return;
    if (m_pInfo == nullptr && pSrc->IsPacked()) {
        m_packed = pSrc->m_packed; // the bytes never change: the copy shares them
        m_nPackedNameAt = pSrc->m_nPackedNameAt;
        m_dwPackedSexPicture = pSrc->m_dwPackedSexPicture;
        m_nPackedLink = pSrc->m_nPackedLink;
        m_packedBirthday = pSrc->m_packedBirthday;
        m_strName = pSrc->m_strName;
    } else {
        Info() = pSrc->Info();
    }
    if (m_pSmsBox == nullptr && pSrc->m_pSmsBox == nullptr)
        m_nPendingBox = pSrc->m_nPendingBox;
    else
        SmsBox().CopyFrom(&pSrc->SmsBox());
    m_timeModified = pSrc->m_timeModified;
}

CContent* _CPerson::Clone() const {
    auto* pCopy = new _CPerson(nullptr, FALSE);
    pCopy->CopyFrom(this);
    return pCopy;
}

CContent* _CPerson::CreateInstance(LPCTSTR lpszName) const {
    return new _CPerson(lpszName, TRUE);
}

BOOL _CPerson::IsVirtual() const {
    if (m_pInfo != nullptr)
        return m_pInfo->m_personal.nLinkMarker == kLinkMarker;
    return !m_packed.IsNull() && m_nPackedLink == kLinkMarker;
}

void _CPerson::GetVirtualPath(CString& strPath) const {
    strPath = Info().m_personal.strNickname;
}

void _CPerson::SetVirtualLink(LPCTSTR lpszPath, CContent* pSource) {
    SPersonalBlock& personal = Info().m_personal;
    personal.nLinkMarker = kLinkMarker;
    personal.strNickname = lpszPath != nullptr ? lpszPath : "";
    if (auto* pSrc = dynamic_cast<_CPerson*>(pSource)) {
        SetName(pSrc->GetName());
        personal.nSex = pSrc->Info().m_personal.nSex;
        personal.nPicture = pSrc->Info().m_personal.nPicture;
    }
}

// ---- Field access ------------------------------------------------------------------------------

void* _CPerson::GetFieldData(int nField, int& nKind) {
    if (nField == PF_MODIFIED) {
        nKind = FIELD_TIME;
        return &m_timeModified;
    }
    int nGroup = 0, nBit = 0;
    if (!GetPersonFieldLocation(nField, nGroup, nBit)) {
        nKind = 0;
        return nullptr;
    }
    return Info().Lookup(nGroup, nBit, nKind);
}

BOOL _CPerson::GetFieldValue(int nField, FieldValue& value) {
    int nKind = 0;
    void* pData = GetFieldData(nField, nKind);
    if (pData == nullptr || value.pValue == nullptr || nKind != value.nKind)
        return FALSE;
    return AssignFieldValue(value.pValue, pData, nKind);
}

int _CPerson::GetFieldAt(int nGroupBit, int nFieldBit) const {
    return GetPersonFieldAt(nGroupBit, nFieldBit);
}

BOOL _CPerson::GetFieldName(int nField, CString& out) const {
    return GetPersonFieldName(nField, out);
}

// ---- Texts -------------------------------------------------------------------------------------

namespace {

// The time as CTime::Format("%Y-%m-%d %H:%M:%S") writes it, its digits put in by hand: the general
// formatter's strftime per piece was the larger part of writing a contact's fields.
void AppendModifiedTime(std::string& out, const CTime& time) {
    struct tm tm;
    if (time.GetLocalTm(&tm) == nullptr)
        return;
    const int nYear = tm.tm_year + 1900;
    if (nYear < 1000 || nYear > 9999) {
        const CString text = time.Format("%Y-%m-%d %H:%M:%S");
        out.append(text.GetString(), (size_t)text.GetLength());
        return;
    }
    char text[] = "0000-00-00 00:00:00";
    auto put = [&text](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = (char)('0' + value % 10);
    };
    put(0, nYear, 4);
    put(5, tm.tm_mon + 1, 2);
    put(8, tm.tm_mday, 2);
    put(11, tm.tm_hour, 2);
    put(14, tm.tm_min, 2);
    put(17, tm.tm_sec, 2);
    out.append(text, sizeof text - 1);
}

} // namespace

void _CPerson::GetFieldText(CString& out, int nField, BOOL bWithLabel, int* pLength,
                            LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) {
    CString name;
    const BOOL bLabel = bWithLabel && GetPersonFieldName(nField, name);
    CString separator(lpszSeparator != nullptr ? lpszSeparator : "");
    if (bLabel)
        AppendRepeated(separator, " ", name.GetLength() + 1);
    std::string value;
    if (bLabel)
        value.append(name.GetString(), (size_t)name.GetLength()) += ':';
    const size_t valueAt = value.size();
    AppendFieldText(value, nField, separator, lpszPartSeparator, bCurrentOnly);
    if (pLength != nullptr)
        *pLength = static_cast<int>(value.size() - valueAt);
    out = CString(value.data(), static_cast<int>(value.size()));
}

void _CPerson::AppendFieldText(std::string& out, int nField, LPCTSTR lpszSeparator,
                               LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) {
    auto append = [&out](const CString& s) { out.append(s.GetString(), (size_t)s.GetLength()); };
    LPCTSTR separator = lpszSeparator != nullptr ? lpszSeparator : "";
    LPCTSTR partSeparator = lpszPartSeparator != nullptr ? lpszPartSeparator : "";
    const _CPersonInfo& info = Info();
    const SPersonalBlock& personal = info.m_personal;
    switch (nField) {
    case PF_SEX:
        if (personal.nSex == 0 || personal.nSex == 1)
            out += kSexNames[personal.nSex];
        break;
    case PF_BIRTHDAY: {
        CString text;
        personal.birthday.GetDisplayText(text);
        append(text);
        break;
    }
    case PF_MODIFIED:
        AppendModifiedTime(out, m_timeModified);
        break;
    case PF_PICTURE:
        break;
    case PF_CERTIFICATES:
        AppendJoinedMultiValue(out, info.m_other.certificates.ToXStringList(), separator,
                               partSeparator, bCurrentOnly);
        break;
    case PF_HOME_LOCATION:
        append(info.m_home.strCountry);
        append(info.m_home.strProvince);
        append(info.m_home.strCity);
        break;
    case PF_WORK_LOCATION:
        append(info.m_work.strCountry);
        append(info.m_work.strProvince);
        append(info.m_work.strCity);
        break;
    default: {
        int nKind = 0;
        void* pData = GetFieldData(nField, nKind);
        if (nKind == FIELD_TEXT)
            append(*static_cast<CString*>(pData));
        else if (nKind == FIELD_MULTI_VALUE)
            AppendJoinedMultiValue(out, *static_cast<CXStringList*>(pData), separator,
                                   partSeparator, bCurrentOnly);
        break;
    }
    }
}

CString _CPerson::GetText() {
    CString all;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i) {
        CString text;
        GetFieldText(text, i);
        if (text.IsEmpty())
            continue;
        if (!all.IsEmpty())
            all += "\n";
        all += text;
    }
    return all;
}

void _CPerson::GetSummaryText(CString& out) {
    out.Empty();
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i) {
        int nField = i;
        if (i == PF_HOME_COUNTRY)
            nField = PF_HOME_LOCATION;
        else if (i == PF_WORK_COUNTRY)
            nField = PF_WORK_LOCATION;
        else if (i == PF_HOME_PROVINCE || i == PF_HOME_CITY || i == PF_WORK_PROVINCE ||
                 i == PF_WORK_CITY)
            continue;
        int nLength = 0;
        CString entry;
        GetFieldText(entry, nField, TRUE, &nLength);
        if (nLength == 0)
            continue;
        if (!out.IsEmpty())
            out += "\n";
        out += entry;
    }
}

void _CPerson::GetAllFieldsText(CString& out) {
    CArray<int, int> fields;
    for (int i = 0; i < PERSON_FIELD_COUNT; ++i)
        fields.Add(i);
    GetFieldsText(out, fields);
}

void _CPerson::GetFieldsText(CString& out, const CArray<int, int>& fields) {
    out.Empty();
    for (int k = 0; k < fields.GetSize(); ++k) {
        int nField = fields[k];
        CString value;
        GetFieldText(value, nField);
        if (value.IsEmpty())
            continue;
        AppendFieldBlock(out, nField, value, "\r\n");
    }
}

// ---- Setting fields
// -------------------------------------------------------------------------------

BOOL _CPerson::SetFieldText(int nField, LPCTSTR lpszText, BOOL bClearFirst, DWORD dwFlags,
                            LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator) {
    int nKind = 0;
    void* pData = GetFieldData(nField, nKind);
    if (pData == nullptr)
        return FALSE;
    const BOOL bSkipPresent = (dwFlags & FLAG_SKIP_PRESENT) != 0;
    LPCTSTR separator = lpszSeparator != nullptr ? lpszSeparator : "\n";
    LPCTSTR partSeparator = lpszPartSeparator != nullptr ? lpszPartSeparator : "-";
    switch (nKind) {
    case FIELD_TEXT: {
        CString& s = *static_cast<CString*>(pData);
        if (bClearFirst)
            s.Empty();
        if (lpszText != nullptr && !(bSkipPresent && s.Find(lpszText) >= 0))
            s += lpszText;
        return TRUE;
    }
    case FIELD_MULTI_VALUE: {
        auto& list = *static_cast<CXStringList*>(pData);
        if (bClearFirst)
            list.RemoveAll();
        if (lpszText != nullptr)
            AppendValuesFromText(list, lpszText, bSkipPresent, separator, partSeparator);
        return TRUE;
    }
    case FIELD_INT: {
        int& n = *static_cast<int*>(pData);
        if (nField == PF_SEX) {
            if (bClearFirst)
                n = 2;
            if (lpszText != nullptr)
                n = ParseSex(lpszText);
            return TRUE;
        }
        if (bClearFirst)
            n = 0;
        if (lpszText == nullptr)
            return TRUE;
        int value = 0;
        int digits = 0;
        if (CDate::ScanNumbers(lpszText, &value, &digits, 1) < 1 || value < 0)
            return FALSE;
        n = value;
        return TRUE;
    }
    case FIELD_DATE: {
        auto& birthday = *static_cast<CBirthday*>(pData);
        if (bClearFirst)
            birthday.SetNull();
        if (lpszText == nullptr)
            return TRUE;
        // Parsed aside: a text that is not a whole date leaves the birthday as it was.
        CDate date;
        if (!date.Parse(lpszText))
            return FALSE;
        if (date.IsNull())
            birthday.SetNull();
        else
            birthday.SetBirthday(date.GetYear(), date.GetMonth(), date.GetDay(), FALSE, TRUE);
        return TRUE;
    }
    case FIELD_TIME: {
        auto& time = *static_cast<CTime*>(pData);
        if (bClearFirst)
            time = CTime(0);
        if (lpszText != nullptr && !ParseTimeText(lpszText, time))
            time = CTime::GetCurrentTime();
        return TRUE;
    }
    case FIELD_CERTIFICATES: {
        auto& certificates = *static_cast<CCertificateList*>(pData);
        if (bClearFirst)
            certificates.RemoveAll();
        if (lpszText == nullptr)
            return TRUE;
        CXStringList values(3);
        AppendValuesFromText(values, lpszText, FALSE, separator, partSeparator);
        CCertificateList added;
        added.FromXStringList(values);
        certificates.Append(added);
        return TRUE;
    }
    }
    return FALSE;
}

BOOL _CPerson::ApplyFieldValue(int nField, const void* pValue, int nValueKind, int nMode,
                               DWORD dwFlags) {
    if (pValue == nullptr && nMode != MODE_CLEAR)
        return FALSE;
    if (nValueKind == kFieldKindPlainText) {
        // Replace and clear both start from an empty field; only append keeps what is there,
        // and clearing adds nothing.
        LPCTSTR text =
            nMode == MODE_CLEAR ? nullptr : static_cast<const CString*>(pValue)->GetString();
        return SetFieldText(nField, text, nMode != MODE_APPEND, dwFlags, "\n", "-");
    }
    int nKind = 0;
    void* pData = GetFieldData(nField, nKind);
    if (pData == nullptr)
        return FALSE;
    if (nMode == MODE_CLEAR)
        return ClearFieldValue(pData, nKind, nField == PF_SEX ? 2 : 0);
    if (nKind != nValueKind)
        return FALSE;
    if (nMode == MODE_APPEND) {
        // Adding nothing keeps what is there: an unset birthday or an unknown sex does not
        // replace the contact's own.
        if (nKind == FIELD_DATE) {
            auto* pDate = static_cast<const CDate*>(pValue);
            auto* pBirthday = dynamic_cast<const CBirthday*>(pDate);
            if (pBirthday != nullptr ? !pBirthday->IsValid() : pDate->IsNull())
                return FALSE;
        }
        if (nField == PF_SEX && *static_cast<const int*>(pValue) == 2)
            return FALSE;
        return AppendFieldValue(pData, pValue, nKind);
    }
    return AssignFieldValue(pData, pValue, nKind);
}

BOOL _CPerson::MergeFields(_CPerson* pSource, const DWORD* pMasks, int nMode, DWORD dwFlags) {
    if (nMode != MODE_CLEAR && pSource == this)
        return FALSE;
    if (pMasks == nullptr)
        return FALSE;
    BOOL bChanged = FALSE;
    for (int g = 0; g < kPersonGroupCount; ++g) {
        for (int b = 0; b < 32; ++b) {
            DWORD bit = 1u << b;
            if ((pMasks[g] & bit) == 0)
                continue;
            int nField = GetPersonFieldAt(kPersonGroupOrder[g], (int)bit);
            if (nField < 0)
                continue;
            void* pValue = nullptr;
            int nKind = 0;
            if (nMode != MODE_CLEAR && pSource != nullptr)
                pValue = pSource->GetFieldData(nField, nKind);
            if (ApplyFieldValue(nField, pValue, nKind, nMode, dwFlags))
                bChanged = TRUE;
        }
    }
    if (bChanged)
        m_timeModified = CTime::GetCurrentTime();
    return bChanged;
}

// ---- Searching ----------------------------------------------------------------------------------

BOOL _CPerson::SearchExtra(LPCTSTR, int, CSearchItemArray&) {
    return FALSE;
}

BOOL _CPerson::Search(LPCTSTR lpszText, const DWORD* pMasks, CSearchItemArray& hits,
                      BOOL bMatchCase) {
    hits.RemoveAll();
    if (lpszText == nullptr || pMasks == nullptr)
        return FALSE;
    if (!IsPacked())
        return SearchDetails(Info(), lpszText, pMasks, hits, bMatchCase);
    // Kept details are looked at in their stored bytes first; only a contact that may hold the
    // text has them read, into a record of the search's own, so that a search leaves the
    // contacts as compact as it found them.
    if (!PackedMayContain(lpszText))
        return FALSE;
    _CPersonInfo info;
    DecodePacked(info);
    return SearchDetails(info, lpszText, pMasks, hits, bMatchCase);
}

BOOL _CPerson::SearchDetails(_CPersonInfo& info, LPCTSTR lpszText, const DWORD* pMasks,
                             CSearchItemArray& hits, BOOL bMatchCase) {
    BOOL bFound = FALSE;
    for (int g = 0; g < kPersonGroupCount; ++g) {
        const int nGroup = kPersonGroupOrder[g];
        for (int b = 0; b < 32; ++b) {
            const int nBit = (int)(1u << b);
            if ((pMasks[g] & (DWORD)nBit) == 0)
                continue;
            int nKind = 0;
            void* pData = info.Lookup(nGroup, nBit, nKind);
            if (pData == nullptr)
                continue;
            if (SearchFieldValue(pData, nKind, lpszText, bMatchCase, hits, nGroup, nBit))
                bFound = TRUE;
        }
    }
    return bFound;
}

BOOL _CPerson::IsBirthdayInRange(const CDate& from, const CDate& to, BOOL bIgnoreYear,
                                 CSearchItemArray& hits) {
    if (!from.IsValid() || !to.IsValid())
        return FALSE;
    const CBirthday& birthday = static_cast<const _CPerson*>(this)->GetBirthday();
    CDate day(birthday.GetYear(), birthday.GetMonth(), birthday.GetDay());
    CDate first = from, last = to;
    if (bIgnoreYear) {
        int year = birthday.GetYear();
        // A solar birthday without a year still has a month and day to compare; a leap year
        // lets 29 February take part.
        if (CDate::IsYearUnknown(year) && !birthday.IsLunarMonthDay() && birthday.IsValid())
            year = 2000;
        day.SetDate(year, -1, -1);
        first.SetDate(year, -1, -1);
        last.SetDate(year, -1, -1);
    }
    if (!day.IsValid() || day < first || day > last)
        return FALSE;
    AddSearchHit(hits, 1, 8, -1, -1, -1);
    return TRUE;
}

int _CPerson::MatchNameInitials(LPCTSTR lpszText) {
    // Made afresh each time: a table look-up per character costs a search no more than comparing
    // a kept copy, and keeping none spares the memory, the open and the first search.
    const CString& name = GetName();
    const int len = name.GetLength();
    char buffer[64];
    if (len < (int)sizeof buffer) {
        CopyPinyinInitials(name, len, buffer);
        return FindNoCase(buffer, lpszText != nullptr ? lpszText : "");
    }
    CString initials;
    AppendPinyinInitials(name, len, initials);
    return FindNoCase(initials, lpszText != nullptr ? lpszText : "");
}

BOOL _CPerson::MatchPinyinInitials(LPCTSTR lpszText, void* pStorage, int nKind, int* pPos,
                                   int* pLength) {
    if (nKind != FIELD_TEXT || pStorage == nullptr || lpszText == nullptr)
        return FALSE;
    const CString& value = *static_cast<CString*>(pStorage);
    CString initials;
    AppendPinyinInitials(value, value.GetLength(), initials);
    int pos = FindNoCase(initials, lpszText);
    if (pos < 0)
        return FALSE;
    if (pPos != nullptr)
        *pPos = pos;
    if (pLength != nullptr)
        *pLength = (int)strlen(lpszText);
    return TRUE;
}

// ---- Birthdays
// ------------------------------------------------------------------------------------

void _CPerson::AddBirthdayTo(CBirthdayMap& solarMap, CBirthdayMap& lunarMap) {
    const CBirthday& birthday = static_cast<const _CPerson*>(this)->GetBirthday();
    if (!birthday.IsValid())
        return;
    BOOL bSolar = birthday.IsRemindSolar();
    BOOL bLunar = birthday.IsRemindLunar();
    if (!bSolar && !bLunar)
        bSolar = TRUE;
    int solarKey = BirthdayKey(birthday.GetMonth(), birthday.GetDay());
    int lunarKey = 0;
    if (CDate::IsYearUnknown(birthday.GetYear())) {
        bLunar = birthday.IsLunarMonthDay();
        bSolar = !bLunar;
        lunarKey = solarKey;
    } else if (bLunar) {
        // Converting is the costly part of filing a book's birthdays: only for a lunar reminder.
        CLunarDate lunar;
        if (lunar.SetFromSolar(birthday))
            lunarKey = BirthdayKey(lunar.GetMonth(), lunar.GetDay());
        else
            bLunar = FALSE;
    }
    auto add = [this](CBirthdayMap& map, int key) {
        CString& names = map[key];
        if (!names.IsEmpty())
            names += "\n";
        names += GetName();
    };
    if (bSolar)
        add(solarMap, solarKey);
    if (bLunar)
        add(lunarMap, lunarKey);
}

// ---- Boxes
// ----------------------------------------------------------------------------------------

_CSmsBox& _CPerson::SmsBox() const {
    if (m_pSmsBox == nullptr) {
        m_pSmsBox = std::make_unique<_CSmsBox>("");
        if (m_nPendingBox == BOX_STANDARD)
            m_pSmsBox->AddStandardSubBoxes();
    }
    return *m_pSmsBox;
}

_CSmsBox* _CPerson::GetSmsBox(int i) {
    return SmsBox().GetSubBoxAt(i);
}

int _CPerson::CountSmsByState(int nState) const {
    // A box not made yet holds no messages.
    return m_pSmsBox != nullptr ? m_pSmsBox->CountSmsByState(nState, TRUE) : 0;
}

void _CPerson::SetBoxesShown(BOOL b) {
    if (!m_bBoxesShown == !b)
        return;
    m_bBoxesShown = b ? TRUE : FALSE;
    if (m_bBoxesShown)
        BoxesShownSet().insert(this);
    else
        BoxesShownSet().erase(this);
}

BOOL _CPerson::IsInBoxesShownSet(const _CPerson* pPerson) {
    return BoxesShownSet().count(pPerson) != 0;
}
