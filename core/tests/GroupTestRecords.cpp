#include "core/tests/GroupTestRecords.h"

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CTestCard, CContent, 1)
IMPLEMENT_SERIAL(CTestFolder, CGroup, 1)
IMPLEMENT_SERIAL(CBareFolder, CGroup, 1)
IMPLEMENT_DYNCREATE(CTestBookDoc, CQuillmarBaseDoc)

int CTestBookDoc::s_nFailAfterChildren = -1;

CTestCard::CTestCard(LPCTSTR lpszName) : CContent(lpszName) {}

void CTestCard::Serialize(CArchive& ar) {
    if (CTestBookDoc::s_nFailAfterChildren == 0)
        AfxThrowFileException(CFileException::diskFull);
    if (CTestBookDoc::s_nFailAfterChildren > 0)
        --CTestBookDoc::s_nFailAfterChildren;
    if (ar.IsStoring()) {
        ar << GetName() << m_strNote;
    } else {
        ar >> GetName() >> m_strNote;
    }
    m_phones.Serialize(ar);
    if (ar.IsStoring())
        ar << m_nAge;
    else
        ar >> m_nAge;
    m_birthday.Serialize(ar);
    if (ar.IsStoring())
        ar << m_created;
    else
        ar >> m_created;
    m_certificates.Serialize(ar);
    if (ar.IsStoring())
        ar << m_nRank << m_nScore << m_dwFlags << m_bVirtual << m_strLinkPath;
    else
        ar >> m_nRank >> m_nScore >> m_dwFlags >> m_bVirtual >> m_strLinkPath;
}

void CTestCard::CopyFrom(const CContent* pSource) {
    const auto* p = dynamic_cast<const CTestCard*>(pSource);
    if (p == nullptr)
        return;
    SetName(p->GetName());
    m_strNote = p->m_strNote;
    m_phones = p->m_phones;
    m_nAge = p->m_nAge;
    m_birthday = p->m_birthday;
    m_created = p->m_created;
    m_certificates = p->m_certificates;
    m_nRank = p->m_nRank;
    m_nScore = p->m_nScore;
    m_dwFlags = p->m_dwFlags;
    m_bVirtual = p->m_bVirtual;
    m_strLinkPath = p->m_strLinkPath;
}

CContent* CTestCard::Clone() const {
    auto* p = new CTestCard;
    p->CopyFrom(this);
    return p;
}

CContent* CTestCard::CreateInstance(LPCTSTR lpszName) const {
    return new CTestCard(lpszName);
}

void* CTestCard::GetFieldData(int nField, int& nKind) {
    nKind = nField >= kFieldName && nField <= kFieldFlags ? nField : FIELD_NONE;
    switch (nField) {
    case kFieldName:
        nKind = FIELD_TEXT;
        return &GetName();
    case kFieldNote:
        return &m_strNote;
    case kFieldPhones:
        return &m_phones;
    case kFieldAge:
        return &m_nAge;
    case kFieldBirthday:
        return &m_birthday;
    case kFieldCreated:
        return &m_created;
    case kFieldCertificates:
        return &m_certificates;
    case kFieldRank:
        return &m_nRank;
    case kFieldScore:
        return &m_nScore;
    case kFieldFlags:
        return &m_dwFlags;
    case kFieldShout:
        nKind = FIELD_TEXT;
        return nullptr;
    default:
        return nullptr;
    }
}

BOOL CTestCard::GetFieldValue(int nField, FieldValue& value) {
    if (nField != kFieldShout || value.nKind != FIELD_TEXT || value.pValue == nullptr)
        return FALSE;
    CString shout = GetName();
    shout.MakeUpper();
    *static_cast<CString*>(value.pValue) = shout;
    return TRUE;
}

CString CTestCard::GetText() {
    return GetName() + "\n" + m_strNote;
}

void CTestCard::SetVirtualLink(LPCTSTR lpszPath, CContent* pSource) {
    m_strLinkPath = lpszPath;
    m_bVirtual = TRUE;
    if (pSource != nullptr)
        SetName(pSource->GetName());
}

void CTestFolder::SerializeExtra(CArchive& ar) {
    if (ar.IsStoring())
        ar << GetName() << m_dwFlags << m_dwPasswordChecksum;
    else
        ar >> GetName() >> m_dwFlags >> m_dwPasswordChecksum;
}

void CTestFolder::CopyFrom(const CGroup* pSource) {
    CGroup::CopyFrom(pSource);
    if (pSource != nullptr)
        SetName(pSource->GetName());
}

void CTestBookDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_root.Serialize(ar);
}

CTestCard* MakeFullCard(LPCTSTR lpszName, int nSeed) {
    auto* card = new CTestCard(lpszName);
    card->m_strNote.Format("备注 %d", nSeed);
    CXString phone(2);
    phone.SetAt(0, "13800000000");
    phone.SetAt(1, "手机");
    card->m_phones.AddTail(phone);
    card->m_phones.SetCurrentIndex(0);
    card->m_nAge = nSeed;
    card->m_birthday = CDate(1980 + nSeed % 40, 1 + nSeed % 12, 1 + nSeed % 28);
    card->m_created = CTime((__time64_t)1700000000 + nSeed);
    card->m_certificates.AddTail(SCertificate{"身份证", "110101", "摘要"});
    card->m_nRank = -nSeed;
    card->m_nScore = nSeed * 3;
    card->m_dwFlags = 0x80000001u ^ (DWORD)nSeed;
    return card;
}

std::vector<std::string> ChildNames(const CGroup& group) {
    std::vector<std::string> names;
    for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
        names.emplace_back(group.GetNextSubgroup(pos)->GetName());
    for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;)
        names.emplace_back(group.GetNextContent(pos)->GetName());
    return names;
}

namespace {

std::vector<std::string>& RecordedMessages() {
    static std::vector<std::string> messages;
    return messages;
}

int Record(LPCTSTR text, UINT) {
    RecordedMessages().emplace_back(text);
    return 1;
}

} // namespace

MessageRecorder::MessageRecorder() : m_old(CDocument::SetMessageHook(&Record)) {
    RecordedMessages().clear();
}

MessageRecorder::~MessageRecorder() {
    CDocument::SetMessageHook(m_old);
}

const std::vector<std::string>& MessageRecorder::Messages() const {
    return RecordedMessages();
}
