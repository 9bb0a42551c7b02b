#include "contacts/PersonInfo.h"

#include "core/FieldValue.h"
#include "platform/base/Archive.h"

namespace {

void* Found(void* p, int kind, int& nKind) {
    nKind = kind;
    return p;
}

void* NotFound(int& nKind) {
    nKind = FIELD_NONE;
    return nullptr;
}

// The sex and the picture number share one stored word.
DWORD PackSexPicture(int nSex, int nPicture) {
    return ((DWORD)nPicture << 2) | ((DWORD)nSex & 3);
}

} // namespace

// ---- Blocks -----------------------------------------------------------------------------------

void* SPersonAddressBlock::Lookup(int nBit, int& nKind) {
    switch (nBit) {
    case 1:
        return Found(&strPostCode, FIELD_TEXT, nKind);
    case 2:
        return Found(&strAddress, FIELD_TEXT, nKind);
    case 4:
        return Found(&strNote, FIELD_TEXT, nKind);
    }
    return NotFound(nKind);
}

void SPersonAddressBlock::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << strPostCode << strAddress << strNote;
    else
        ar >> strPostCode >> strAddress >> strNote;
}

void* SPersonLocation::LookupLocation(int nBit, int& nKind) {
    switch (nBit) {
    case 1:
        return Found(&strCountry, FIELD_TEXT, nKind);
    case 2:
        return Found(&strProvince, FIELD_TEXT, nKind);
    case 4:
        return Found(&strCity, FIELD_TEXT, nKind);
    case 8:
        return Found(&strPostCode, FIELD_TEXT, nKind);
    case 16:
        return Found(&strAddress, FIELD_TEXT, nKind);
    }
    return NotFound(nKind);
}

void* SPersonHomeBlock::Lookup(int nBit, int& nKind) {
    switch (nBit) {
    case 32:
        return Found(&phones, FIELD_MULTI_VALUE, nKind);
    case 64:
        return Found(&faxes, FIELD_MULTI_VALUE, nKind);
    case 128:
        return Found(&strSpouse, FIELD_TEXT, nKind);
    case 256:
        return Found(&strCustom, FIELD_TEXT, nKind);
    case 512:
        return Found(&strMembers, FIELD_TEXT, nKind);
    }
    return LookupLocation(nBit, nKind);
}

void SPersonHomeBlock::Serialize(CArchive& ar) {
    // The address is stored twice; the second copy is the one a reader keeps.
    if (ar.IsStoring()) {
        ar << strAddress << strCountry << strProvince << strCity << strPostCode << strAddress
           << strSpouse << strCustom << strMembers;
    } else {
        CString first;
        ar >> first >> strCountry >> strProvince >> strCity >> strPostCode >> strAddress >>
            strSpouse >> strCustom >> strMembers;
    }
    phones.Serialize(ar);
    faxes.Serialize(ar);
}

void* SPersonalBlock::Lookup(int nBit, int& nKind) {
    switch (nBit) {
    case 1:
        return Found(pName, FIELD_TEXT, nKind);
    case 2:
        return Found(&nSex, FIELD_INT, nKind);
    case 4:
        return Found(&strNickname, FIELD_TEXT, nKind);
    case 8:
        return Found(&birthday, FIELD_DATE, nKind);
    case 64:
        return Found(&strPager, FIELD_TEXT, nKind);
    case 128:
        return Found(&mobiles, FIELD_MULTI_VALUE, nKind);
    case 256:
        return Found(&strHobby, FIELD_TEXT, nKind);
    case 512:
        return Found(&strSpeciality, FIELD_TEXT, nKind);
    case 1024:
        return Found(&strCustom, FIELD_TEXT, nKind);
    case 2048:
        return Found(&qq, FIELD_MULTI_VALUE, nKind);
    case 4096:
        return Found(&icq, FIELD_MULTI_VALUE, nKind);
    case 8192:
        return Found(&email, FIELD_MULTI_VALUE, nKind);
    case 16384:
        return Found(&homepage, FIELD_MULTI_VALUE, nKind);
    case 32768:
        return Found(&phones, FIELD_MULTI_VALUE, nKind);
    case 65536:
        return Found(&web, FIELD_MULTI_VALUE, nKind);
    case 131072:
        return Found(&nPicture, FIELD_INT, nKind);
    }
    return NotFound(nKind);
}

void SPersonalBlock::CopyFrom(const SPersonalBlock& o) {
    *pName = *o.pName;
    strNickname = o.strNickname;
    strPager = o.strPager;
    strHobby = o.strHobby;
    strSpeciality = o.strSpeciality;
    strCustom = o.strCustom;
    birthday = o.birthday;
    nSex = o.nSex;
    nPicture = o.nPicture;
    nReserved = o.nReserved;
    nLinkMarker = o.nLinkMarker;
    mobiles = o.mobiles;
    phones = o.phones;
    web = o.web;
    email = o.email;
    homepage = o.homepage;
    qq = o.qq;
    icq = o.icq;
}

void SPersonalBlock::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << strPager << *pName << strNickname << strHobby << strSpeciality << strCustom;
        ar << PackSexPicture(nSex, nPicture) << (DWORD)nReserved << (DWORD)nLinkMarker;
    } else {
        ar >> strPager >> *pName >> strNickname >> strHobby >> strSpeciality >> strCustom;
        DWORD sexPicture = 0, reserved = 0, link = 0;
        ar >> sexPicture >> reserved >> link;
        nSex = (int)(sexPicture & 3);
        nPicture = (int)(sexPicture >> 2);
        nReserved = (int)reserved;
        nLinkMarker = (int)link;
    }
    birthday.Serialize(ar);
    email.Serialize(ar);
    icq.Serialize(ar);
    mobiles.Serialize(ar);
    phones.Serialize(ar);
    qq.Serialize(ar);
    homepage.Serialize(ar);
    web.Serialize(ar);
}

void* SPersonOtherBlock::Lookup(int nBit, int& nKind) {
    switch (nBit) {
    case 1:
        return Found(&certificates, FIELD_CERTIFICATES, nKind);
    case 2:
        return Found(&strNote, FIELD_TEXT, nKind);
    }
    return NotFound(nKind);
}

void SPersonOtherBlock::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << strNote;
    else
        ar >> strNote;
    certificates.Serialize(ar);
}

void* SPersonWorkBlock::Lookup(int nBit, int& nKind) {
    switch (nBit) {
    case 32:
        return Found(&phones, FIELD_MULTI_VALUE, nKind);
    case 64:
        return Found(&dormPhones, FIELD_MULTI_VALUE, nKind);
    case 128:
        return Found(&faxes, FIELD_MULTI_VALUE, nKind);
    case 256:
        return Found(&strDepartment, FIELD_TEXT, nKind);
    case 512:
        return Found(&strTitle, FIELD_TEXT, nKind);
    case 1024:
        return Found(&strOffice, FIELD_TEXT, nKind);
    case 2048:
        return Found(&strCustom, FIELD_TEXT, nKind);
    case 4096:
        return Found(&email, FIELD_MULTI_VALUE, nKind);
    case 8192:
        return Found(&homepage, FIELD_MULTI_VALUE, nKind);
    case 32768:
        return Found(&strCompany, FIELD_TEXT, nKind);
    }
    return LookupLocation(nBit, nKind);
}

void SPersonWorkBlock::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << strCompany << strCountry << strProvince << strCity << strPostCode << strAddress
           << strTitle << strDepartment << strOffice << strCustom;
    } else {
        ar >> strCompany >> strCountry >> strProvince >> strCity >> strPostCode >> strAddress >>
            strTitle >> strDepartment >> strOffice >> strCustom;
    }
    dormPhones.Serialize(ar);
    phones.Serialize(ar);
    faxes.Serialize(ar);
    email.Serialize(ar);
    homepage.Serialize(ar);
}

// ---- _CPersonInfo -------------------------------------------------------------------------------

_CPersonInfo::_CPersonInfo() {
    m_personal.pName = &m_strOwnName;
}

_CPersonInfo::_CPersonInfo(const _CPersonInfo& other) : CObject() {
    m_personal.pName = &m_strOwnName;
    *this = other;
}

_CPersonInfo& _CPersonInfo::operator=(const _CPersonInfo& other) {
    if (this == &other)
        return *this;
    m_address = other.m_address;
    m_home = other.m_home;
    m_personal.CopyFrom(other.m_personal);
    m_other.certificates = other.m_other.certificates;
    m_other.strNote = other.m_other.strNote;
    m_work = other.m_work;
    m_extra = other.m_extra;
    return *this;
}

void _CPersonInfo::BindName(CString* pName) {
    CString* pTarget = pName != nullptr ? pName : &m_strOwnName;
    if (pTarget != m_personal.pName)
        *pTarget = *m_personal.pName;
    m_personal.pName = pTarget;
}

void* _CPersonInfo::Lookup(int nGroupBit, int nFieldBit, int& nKind) {
    switch (nGroupBit) {
    case 1:
        return m_personal.Lookup(nFieldBit, nKind);
    case 2:
        return m_home.Lookup(nFieldBit, nKind);
    case 4:
        return m_work.Lookup(nFieldBit, nKind);
    case 8:
        return m_address.Lookup(nFieldBit, nKind);
    case 16:
        return m_other.Lookup(nFieldBit, nKind);
    }
    return NotFound(nKind);
}

void _CPersonInfo::Serialize(CArchive& ar) {
    m_address.Serialize(ar);
    m_home.Serialize(ar);
    m_personal.Serialize(ar);
    m_other.Serialize(ar);
    m_work.Serialize(ar);
    m_extra.Serialize(ar);
}
