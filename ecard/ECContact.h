// A contact of the e-card service: a contact record with the other user's number and name on the
// service, the present-status texts, what that user may read of the own card (the access record)
// and what the last download of the contact brought (the received-fields mask).
#pragma once

#include "contacts/Person.h"
#include "ecard/ECAccess.h"
#include "ecard/ECFields.h"
#include "platform/base/Time.h"

class CECContact : public _CPerson {
    DECLARE_SERIAL(CECContact)
public:
    // Status flag bits.
    enum : DWORD {
        STATUS_ACCESS_PENDING = 1, // its access is among what the next set-access request sends
        STATUS_FRIEND = 2,         // the other side keeps this user as a friend
        STATUS_DEREGISTERED = 4,   // the service no longer knows the number
    };

    explicit CECContact(LPCTSTR lpszName = nullptr, BOOL bMakeBoxes = TRUE);
    ~CECContact() override = default;

    // The contact record, the number, the user name, the three status texts, the two access
    // times, the access record and the received-fields mask. Loading keeps only the first
    // sub-box of each standard kind the stored SMS box holds.
    void Serialize(CArchive& ar) override;
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;
    CContent* CreateInstance(LPCTSTR lpszName) const override;

    // 0..49 as a contact; 1000 the number (kind 8), 1001..1004 texts.
    void* GetFieldData(int nField, int& nKind) override;
    // The text against the number and the name; hits are appended.
    BOOL SearchExtra(LPCTSTR lpszText, int nReserved, CSearchItemArray& hits) override;
    // Every non-empty field in upload order as labelled text, one per line; the home and work
    // location once each as their pseudo-fields.
    void GetAllFieldsText(CString& out) override;
    int GetFieldAt(int nCategoryBit, int nFieldBit) const override;
    BOOL GetFieldName(int nField, CString& out) const override;
    void GetFieldText(CString& out, int nField, BOOL bWithLabel = FALSE, int* pLength = nullptr,
                      LPCTSTR lpszSeparator = "\n", LPCTSTR lpszPartSeparator = "-",
                      BOOL bCurrentOnly = FALSE) override;
    void AppendFieldText(std::string& out, int nField, LPCTSTR lpszSeparator,
                         LPCTSTR lpszPartSeparator, BOOL bCurrentOnly) override;
    int GetIdentifier() const override { return (int)m_nUid; }

    virtual UINT GetNumber() const { return m_nUid; }
    virtual void SetNumber(UINT nUid) { m_nUid = nUid; }
    virtual const CString& GetUserName() const { return m_strUserName; }
    virtual void SetUserName(LPCTSTR lpszName) { m_strUserName = lpszName ? lpszName : ""; }
    // 1 when the other's number is lower, -1 when higher, 0 when equal.
    virtual int CompareByNumber(const CECContact* pOther) const;
    // Searches the fields of one category chosen by the mask; each hit is appended with the
    // category and the field's bit. TRUE when any matched.
    virtual BOOL SearchCategory(LPCTSTR lpszText, int nCategoryBit, DWORD dwMask,
                                CSearchItemArray& hits, BOOL bMatchCase);
    // The contact search over five masks, then the status fields chosen by the sixth.
    BOOL SearchWithStatus(LPCTSTR lpszText, const DWORD* pMasks, CSearchItemArray& hits,
                          BOOL bMatchCase);

    // New flags = set bits | (old flags & ~cleared bits).
    void UpdateStatus(DWORD dwSet, DWORD dwClear) { m_dwStatus = dwSet | (m_dwStatus & ~dwClear); }

    UINT m_nUid = 0;
    CString m_strUserName;
    int m_nExists = 1;
    int m_nResult = 0;
    DWORD m_dwStatus = 0;
    SECAccess m_access;
    CString m_strMemory; // never stored
    CString m_strLocation, m_strAction, m_strNote;
    SECAccess m_received;
    CTime m_timeGoAccessModify{0};
    CTime m_timeAccessModify{0};
};

// Which record a readability test looks at.
enum { EC_RECORD_ACCESS = 0, EC_RECORD_RECEIVED = 1 };

// The modification time, the number and the user name always; other fields by their bit in the
// received mask (EC_RECORD_RECEIVED) or the access record; unknown fields never.
BOOL IsECFieldReadable(const CECContact& contact, int nField, int nWhich);
void MarkECFieldReceived(SECAccess& mask, int nField, BOOL bOn);
// The labels, through the format ("%s"), of the fields whose readability is bReadable, joined by
// the separator; the modification time, number and user name are left out. When every field was
// taken the format applied to "<全部资料>".
CString GetECReadableFieldsText(const CECContact& contact, BOOL bReadable, int nWhich,
                                LPCTSTR lpszFormat, LPCTSTR lpszSeparator);
// Gathers the access common to several contacts: the first one sets the values and all mask bits
// (and clears bFirst); later ones keep only the mask bits where they agree with the values.
void ReadPendingAccess(const CECContact& contact, SECAccess& values, SECAccess& masks,
                       BOOL& bFirst);
