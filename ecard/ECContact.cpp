#include "ecard/ECContact.h"

#include <vector>

#include "contacts/FieldOps.h"
#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CECContact, _CPerson, 1)

namespace {

constexpr int kFirstExtraField = ECF_UID;
constexpr int kLastExtraField = ECF_NOTE;

BOOL IsExtraField(int nField) {
    return nField >= kFirstExtraField && nField <= kLastExtraField;
}

// A stored SMS box may list a standard box twice; the views and the message filing look up the
// first one of a kind only, so later ones would hold messages nobody sees.
void DropDuplicateStandardBoxes(_CSmsBox& box) {
    BOOL seen[4] = {FALSE, FALSE, FALSE, FALSE};
    std::vector<_CSmsBox*> duplicates;
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;) {
        _CSmsBox* pSub = box.GetNextSubBox(pos);
        int nType = pSub != nullptr ? pSub->GetBoxType() : -1;
        if (nType < 0 || nType > 3)
            continue;
        if (seen[nType])
            duplicates.push_back(pSub);
        seen[nType] = TRUE;
    }
    for (_CSmsBox* pSub : duplicates)
        box.RemoveSubgroup(pSub, TRUE);
}

} // namespace

CECContact::CECContact(LPCTSTR lpszName, BOOL bMakeBoxes) : _CPerson(lpszName, bMakeBoxes) {}

void CECContact::Serialize(CArchive& ar) {
    _CPerson::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_nUid << m_strUserName << m_strLocation << m_strAction << m_strNote
           << m_timeGoAccessModify << m_timeAccessModify;
    } else {
        ar >> m_nUid >> m_strUserName >> m_strLocation >> m_strAction >> m_strNote >>
            m_timeGoAccessModify >> m_timeAccessModify;
    }
    m_access.Serialize(ar);
    m_received.Serialize(ar);
    if (ar.IsLoading())
        DropDuplicateStandardBoxes(GetSmsBox());
}

void CECContact::CopyFrom(const CContent* pSource) {
    _CPerson::CopyFrom(pSource);
    const auto* pSrc = dynamic_cast<const CECContact*>(pSource);
    if (pSrc == nullptr || pSrc == this)
        return;
    m_nUid = pSrc->m_nUid;
    m_strUserName = pSrc->m_strUserName;
    m_nExists = pSrc->m_nExists;
    m_nResult = pSrc->m_nResult;
    m_dwStatus = pSrc->m_dwStatus;
    m_access = pSrc->m_access;
    m_strMemory = pSrc->m_strMemory;
    m_strLocation = pSrc->m_strLocation;
    m_strAction = pSrc->m_strAction;
    m_strNote = pSrc->m_strNote;
    m_received = pSrc->m_received;
    m_timeGoAccessModify = pSrc->m_timeGoAccessModify;
    m_timeAccessModify = pSrc->m_timeAccessModify;
}

CContent* CECContact::Clone() const {
    auto* pCopy = new CECContact(nullptr, FALSE);
    pCopy->CopyFrom(this);
    return pCopy;
}

CContent* CECContact::CreateInstance(LPCTSTR lpszName) const {
    return new CECContact(lpszName, TRUE);
}

void* CECContact::GetFieldData(int nField, int& nKind) {
    switch (nField) {
    case ECF_UID:
        nKind = FIELD_INT8;
        return &m_nUid;
    case ECF_USERNAME:
        nKind = FIELD_TEXT;
        return &m_strUserName;
    case ECF_LOCATION:
        nKind = FIELD_TEXT;
        return &m_strLocation;
    case ECF_ACTION:
        nKind = FIELD_TEXT;
        return &m_strAction;
    case ECF_NOTE:
        nKind = FIELD_TEXT;
        return &m_strNote;
    }
    return _CPerson::GetFieldData(nField, nKind);
}

BOOL CECContact::SearchExtra(LPCTSTR lpszText, int, CSearchItemArray& hits) {
    if (lpszText == nullptr)
        return FALSE;
    BOOL bFound = FALSE;
    CString number;
    number.Format("%u", m_nUid);
    int nPos = number.Find(lpszText);
    if (nPos >= 0) {
        AddSearchHit(hits, ECAC_STATE, 16, -1, -1, nPos);
        bFound = TRUE;
    }
    if (SearchFieldValue(&GetName(), FIELD_TEXT, lpszText, FALSE, hits, ECAC_INDIV, 1))
        bFound = TRUE;
    return bFound;
}

void CECContact::GetAllFieldsText(CString& out) {
    out.Empty();
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        int nField = GetECFieldInOrder(i);
        if (nField == PF_HOME_COUNTRY)
            nField = PF_HOME_LOCATION;
        else if (nField == PF_WORK_COUNTRY)
            nField = PF_WORK_LOCATION;
        else if (nField == PF_HOME_PROVINCE || nField == PF_HOME_CITY ||
                 nField == PF_WORK_PROVINCE || nField == PF_WORK_CITY)
            continue;
        int nLength = 0;
        CString text;
        GetFieldText(text, nField, TRUE, &nLength);
        if (nLength == 0)
            continue;
        if (!out.IsEmpty())
            out += "\n";
        out += text;
    }
}

int CECContact::GetFieldAt(int nCategoryBit, int nFieldBit) const {
    int nField = _CPerson::GetFieldAt(nCategoryBit, nFieldBit);
    return nField >= 0 ? nField : GetECExtraFieldAt(nCategoryBit, nFieldBit);
}

BOOL CECContact::GetFieldName(int nField, CString& out) const {
    if (IsExtraField(nField))
        return GetECExtraFieldLabel(nField, out);
    return _CPerson::GetFieldName(nField, out);
}

void CECContact::GetFieldText(CString& out, int nField, BOOL bWithLabel, int* pLength,
                              LPCTSTR lpszSeparator, LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) {
    if (!IsExtraField(nField)) {
        _CPerson::GetFieldText(out, nField, bWithLabel, pLength, lpszSeparator, lpszPartSeparator,
                               bCurrentOnly);
        return;
    }
    CString value;
    if (nField == ECF_UID) {
        value.Format("%u", m_nUid);
    } else {
        int nKind = 0;
        value = *static_cast<CString*>(GetFieldData(nField, nKind));
    }
    if (pLength != nullptr)
        *pLength = value.GetLength();
    CString label;
    if (bWithLabel && GetECExtraFieldLabel(nField, label))
        out = label + ":" + value;
    else
        out = value;
}

void CECContact::AppendFieldText(std::string& out, int nField, LPCTSTR lpszSeparator,
                                 LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) {
    if (!IsExtraField(nField)) {
        _CPerson::AppendFieldText(out, nField, lpszSeparator, lpszPartSeparator, bCurrentOnly);
        return;
    }
    CString value;
    GetFieldText(value, nField, FALSE, nullptr, lpszSeparator, lpszPartSeparator, bCurrentOnly);
    out.append(value.GetString(), (size_t)value.GetLength());
}

int CECContact::CompareByNumber(const CECContact* pOther) const {
    if (pOther == nullptr || pOther->m_nUid == m_nUid)
        return 0;
    return pOther->m_nUid < m_nUid ? 1 : -1;
}

BOOL CECContact::SearchCategory(LPCTSTR lpszText, int nCategoryBit, DWORD dwMask,
                                CSearchItemArray& hits, BOOL bMatchCase) {
    if (lpszText == nullptr)
        return FALSE;
    BOOL bFound = FALSE;
    for (int b = 0; b < 32; ++b) {
        const int nBit = (int)(1u << b);
        if ((dwMask & (DWORD)nBit) == 0)
            continue;
        int nField = GetFieldAt(nCategoryBit, nBit);
        if (nField < 0)
            continue;
        if (nField == ECF_UID) {
            CString number;
            number.Format("%u", m_nUid);
            int nPos = number.Find(lpszText);
            if (nPos >= 0) {
                AddSearchHit(hits, nCategoryBit, nBit, -1, -1, nPos);
                bFound = TRUE;
            }
            continue;
        }
        int nKind = 0;
        void* pData = GetFieldData(nField, nKind);
        if (pData != nullptr &&
            SearchFieldValue(pData, nKind, lpszText, bMatchCase, hits, nCategoryBit, nBit))
            bFound = TRUE;
    }
    return bFound;
}

BOOL CECContact::SearchWithStatus(LPCTSTR lpszText, const DWORD* pMasks, CSearchItemArray& hits,
                                  BOOL bMatchCase) {
    if (pMasks == nullptr)
        return FALSE;
    BOOL bFound = Search(lpszText, pMasks, hits, bMatchCase);
    if (SearchCategory(lpszText, ECAC_STATE, pMasks[kPersonGroupCount], hits, bMatchCase))
        bFound = TRUE;
    return bFound;
}

// ---- Readability ------------------------------------------------------------------------------

BOOL IsECFieldReadable(const CECContact& contact, int nField, int nWhich) {
    if (nField == PF_MODIFIED || nField == ECF_UID || nField == ECF_USERNAME)
        return TRUE;
    int nCategory = 0, nBit = 0;
    if (!GetECFieldLocation(nField, nCategory, nBit))
        return FALSE;
    int i = CategoryIndex(nCategory);
    if (i < 0)
        return FALSE;
    const SECAccess& record = nWhich == EC_RECORD_RECEIVED ? contact.m_received : contact.m_access;
    return ((DWORD)record[i] & (DWORD)nBit) != 0;
}

void MarkECFieldReceived(SECAccess& mask, int nField, BOOL bOn) {
    int nCategory = 0, nBit = 0;
    if (!GetECFieldLocation(nField, nCategory, nBit))
        return;
    int i = CategoryIndex(nCategory);
    if (i < 0)
        return;
    if (bOn)
        mask[i] = (int)((DWORD)mask[i] | (DWORD)nBit);
    else
        mask[i] = (int)((DWORD)mask[i] & ~(DWORD)nBit);
}

CString GetECReadableFieldsText(const CECContact& contact, BOOL bReadable, int nWhich,
                                LPCTSTR lpszFormat, LPCTSTR lpszSeparator) {
    CString format = lpszFormat != nullptr ? lpszFormat : "%s";
    CString out;
    BOOL bLeftOut = FALSE;
    for (int i = 0; i < EC_FIELD_ORDER_COUNT; ++i) {
        int nField = GetECFieldInOrder(i);
        int nCategory = 0, nBit = 0;
        // Fields always readable, and those outside every category, are no choice of the user.
        if (nField == ECF_UID || nField == ECF_USERNAME ||
            !GetECFieldLocation(nField, nCategory, nBit))
            continue;
        if (!IsECFieldReadable(contact, nField, nWhich) != !bReadable) {
            bLeftOut = TRUE;
            continue;
        }
        CString label;
        contact.GetFieldName(nField, label);
        CString item;
        item.Format(format, (LPCTSTR)label);
        if (!out.IsEmpty() && lpszSeparator != nullptr)
            out += lpszSeparator;
        out += item;
    }
    if (!bLeftOut)
        out.Format(format, "<全部资料>");
    return out;
}

void ReadPendingAccess(const CECContact& contact, SECAccess& values, SECAccess& masks,
                       BOOL& bFirst) {
    if (bFirst) {
        values = contact.m_access;
        masks.SetAll(-1);
        bFirst = FALSE;
        return;
    }
    for (int i = 0; i < EC_ACCESS_CATEGORY_COUNT; ++i)
        masks[i] = (int)((DWORD)masks[i] & ~((DWORD)values[i] ^ (DWORD)contact.m_access[i]));
}
