#include "core/Content.h"

#include "core/Group.h"

IMPLEMENT_SERIAL(CContent, CObject, 1)

CContent::CContent(LPCTSTR lpszName) {
    SetName(lpszName);
}

void CContent::Serialize(CArchive&) {}

void CContent::CopyFrom(const CContent*) {}

CContent* CContent::Clone() const {
    return nullptr;
}

CContent* CContent::CreateInstance(LPCTSTR lpszName) const {
    return new CContent(lpszName);
}

void* CContent::GetFieldData(int, int& nKind) {
    nKind = FIELD_NONE;
    return nullptr;
}

BOOL CContent::GetFieldValue(int, FieldValue&) {
    return FALSE;
}

CString CContent::GetText() {
    return CString();
}

BOOL CContent::IsVirtual() const {
    return FALSE;
}

void CContent::GetVirtualPath(CString& strPath) const {
    strPath.Empty();
}

CContent* CContent::GetVirtualSource() {
    CString path;
    GetVirtualPath(path);
    if (GetParent() == nullptr)
        return nullptr;
    return GetParent()->GetRootGroup()->FindItemByPath(path, FALSE);
}

CString CContent::GetLinkPath() const {
    CString path;
    GetPath(path, nullptr, TRUE, "\\", FALSE);
    return path;
}

CContent* CContent::CreateVirtualCopy() {
    if (IsVirtual() || GetParent() == nullptr)
        return nullptr;
    CString path = GetLinkPath();
    CContent* pLink = CreateInstance(GetName());
    if (pLink != nullptr)
        pLink->SetVirtualLink(path, this);
    return pLink;
}

void CContent::LinkTo(CContent* pSource) {
    if (pSource != nullptr)
        SetVirtualLink(pSource->GetLinkPath(), pSource);
}

void CContent::SetVirtualLink(LPCTSTR, CContent*) {}

CContent* CContent::GetSibling(BOOL bNext) const {
    if (GetParent() == nullptr)
        return nullptr;
    const CObList& list = GetParent()->GetContentList();
    POSITION pos = list.Find(const_cast<CContent*>(this));
    if (pos == nullptr)
        return nullptr;
    if (bNext)
        list.GetNext(pos);
    else
        list.GetPrev(pos);
    return pos != nullptr ? static_cast<CContent*>(list.GetAt(pos)) : nullptr;
}

CContent* CContent::ResolveLink() {
    if (IsVirtual()) {
        if (CContent* pSource = GetVirtualSource())
            return pSource;
    }
    return this;
}

void CContent::GetPath(CString& strPath, const CGroup* pStop, BOOL bIncludeName,
                       LPCTSTR lpszSeparator, BOOL bIncludeTop) const {
    strPath.Empty();
    if (GetParent() != nullptr)
        GetParent()->GetPath(strPath, pStop, bIncludeTop);
    if (bIncludeName) {
        if (!strPath.IsEmpty())
            strPath += lpszSeparator != nullptr ? lpszSeparator : "";
        strPath += GetName();
    }
}

int CContent::CompareByField(CContent* a, CContent* b, int nField) {
    if (a == nullptr || b == nullptr)
        return 0;
    a = a->ResolveLink();
    b = b->ResolveLink();
    int nKindA = FIELD_NONE, nKindB = FIELD_NONE;
    void* pA = a->GetFieldData(nField, nKindA);
    void* pB = b->GetFieldData(nField, nKindB);
    if (pA != nullptr && pB != nullptr) {
        // Storage of two different kinds cannot be read as one.
        if (nKindA != nKindB)
            return 0;
        return CompareFieldValues(FieldValue{nKindA, pA}, FieldValue{nKindA, pB});
    }
    if (nKindA == FIELD_NONE)
        return 0;
    FieldValueHolder holderA, holderB;
    FieldValue valueA = holderA.MakeValue(nKindA);
    FieldValue valueB = holderB.MakeValue(nKindA);
    if (valueA.pValue == nullptr)
        return 0;
    if (a->GetFieldValue(nField, valueA) && b->GetFieldValue(nField, valueB))
        return CompareFieldValues(valueA, valueB);
    return 0;
}
