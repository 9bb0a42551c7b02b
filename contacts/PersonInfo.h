// The details of a contact in six blocks (current address, home, personal, other, work, extra),
// each able to find a field's storage by its field bit. The contact's name lives in its tree
// node; the personal block reaches it through a bound pointer so that renaming either renames
// both.
#pragma once

#include "calendar/Birthday.h"
#include "core/StringListCertificate.h"
#include "core/StringListEx.h"
#include "core/StringListXString.h"
#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CArchive;

struct SPersonAddressBlock {
    CString strPostCode; // 目前邮编
    CString strAddress;  // 目前通信地址
    CString strNote;     // 通信附注

    void* Lookup(int nBit, int& nKind);
    void Serialize(CArchive& ar);
};

// Country, province, city, post code and address: field bits 1 to 16 of home and work alike.
struct SPersonLocation {
    CString strCountry, strProvince, strCity, strPostCode, strAddress;

    void* LookupLocation(int nBit, int& nKind);
};

struct SPersonHomeBlock : SPersonLocation {
    CString strSpouse, strCustom, strMembers;
    CXStringList phones{1}, faxes{1};

    void* Lookup(int nBit, int& nKind);
    void Serialize(CArchive& ar);
};

struct SPersonalBlock {
    SPersonalBlock() = default;
    // The name pointer must never be shared between two records: copy through CopyFrom.
    SPersonalBlock(const SPersonalBlock&) = delete;
    SPersonalBlock& operator=(const SPersonalBlock&) = delete;

    CString* pName = nullptr; // bound by the owner; see _CPersonInfo
    CString strNickname, strPager, strHobby, strSpeciality, strCustom;
    CBirthday birthday;
    int nSex = 2; // 0 female, 1 male, 2 unknown
    int nPicture = 0;
    int nReserved = -1;
    int nLinkMarker = -1; // 100 marks a link contact
    CXStringList mobiles{1}, phones{1}, web{1}, email{1}, homepage{1}, qq{2}, icq{2};

    void* Lookup(int nBit, int& nKind);
    // Everything but the name pointer itself: the name's value is copied through it.
    void CopyFrom(const SPersonalBlock& other);
    void Serialize(CArchive& ar);
};

struct SPersonOtherBlock {
    CCertificateList certificates;
    CString strNote; // 附注

    void* Lookup(int nBit, int& nKind);
    void Serialize(CArchive& ar);
};

struct SPersonWorkBlock : SPersonLocation {
    CString strCompany;
    CString strTitle, strDepartment, strOffice, strCustom;
    CXStringList phones{1}, dormPhones{1}, faxes{1}, email{1}, homepage{1};

    void* Lookup(int nBit, int& nKind);
    void Serialize(CArchive& ar);
};

class _CPersonInfo : public CObject {
public:
    // Unbound, the name is kept in the record itself.
    _CPersonInfo();
    _CPersonInfo(const _CPersonInfo& other);
    _CPersonInfo& operator=(const _CPersonInfo& other);
    ~_CPersonInfo() override = default;

    // Keeps the name in the caller's string from now on (its current value is taken over).
    void BindName(CString* pName);
    CString& Name() { return *m_personal.pName; }
    const CString& Name() const { return *m_personal.pName; }

    // Storage and kind of the field of a (group, bit) pair; null and kind -1 when none.
    void* Lookup(int nGroupBit, int nFieldBit, int& nKind);

    void Serialize(CArchive& ar) override;

    SPersonAddressBlock m_address;
    SPersonHomeBlock m_home;
    SPersonalBlock m_personal;
    SPersonOtherBlock m_other;
    SPersonWorkBlock m_work;
    CStringListEx m_extra;

private:
    CString m_strOwnName;
};
