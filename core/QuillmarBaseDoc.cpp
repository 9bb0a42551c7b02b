#include "core/QuillmarBaseDoc.h"

IMPLEMENT_DYNCREATE(CQuillmarBaseDoc, CKovDocument)

CQuillmarBaseDoc::CQuillmarBaseDoc() = default;

CQuillmarBaseDoc::~CQuillmarBaseDoc() = default;

void CQuillmarBaseDoc::Serialize(CArchive& ar) {
    CKovDocument::Serialize(ar);
}

BOOL CQuillmarBaseDoc::OnNewDocument() {
    return CKovDocument::OnNewDocument();
}

BOOL CQuillmarBaseDoc::IsCurrentObjectKindOf(const CRuntimeClass* pClass) const {
    return m_pCurrentObject != nullptr && m_pCurrentObject->IsKindOf(pClass);
}
