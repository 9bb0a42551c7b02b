#include "sms/SenderDoc.h"

IMPLEMENT_DYNCREATE(CSenderDoc, CQuillmarBaseDoc)

CSenderDoc::CSenderDoc(BOOL bStandardBoxes) : m_sender("", bStandardBoxes) {
    m_bAutoDelete = FALSE;
}

CSenderDoc::~CSenderDoc() = default;

void CSenderDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_sender.Serialize(ar);
}
