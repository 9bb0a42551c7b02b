// A group of e-card contacts. The user's three fixed groups and the root above them carry a role
// number; groups the user makes carry 0 and take the role of the nearest fixed group above them.
#pragma once

#include "contacts/ContactGroup.h"
#include "ecard/ECContact.h"
#include "platform/base/Collections.h"

typedef CMap<UINT, UINT, CECContact*, CECContact*> CECContactMap;

class CECGroup : public _CGroup {
    DECLARE_SERIAL(CECGroup)
public:
    enum {
        ROLE_NONE = 0,
        ROLE_FRIENDS = 1,
        ROLE_STRANGERS = 2,
        ROLE_DEREGISTERED = 3,
        ROLE_ROOT = 4
    };

    explicit CECGroup(LPCTSTR lpszName = nullptr, int nRole = ROLE_NONE);
    ~CECGroup() override = default;

    // Number of sub-groups and of contacts (32-bit each), the sub-groups, the contacts, the name
    // and the flags. A group with a password comes back locked. Counts, nesting and lengths are
    // checked against the file before anything is made.
    void Serialize(CArchive& ar) override;
    CRuntimeClass* GetContentClass() const override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;

    int GetRole() const { return m_nRole; }
    void SetRole(int nRole) { m_nRole = nRole; }
    // The role of this group or of the nearest group above it whose role is not 0.
    int GetTopRole() const;

    // Appends the contact after the last one, unsorted, and makes this group its parent.
    void InsertPerson(CECContact* pContact);
    // The contacts of this group first, then each sub-group in order; null when none.
    CECContact* FindByNumber(UINT nUid) const;
    void CollectNumbers(CDWordArray& numbers) const;
    void CollectContacts(CECContactMap& contacts) const;
    // ReadPendingAccess over every contact here and below.
    void ReadPendingAccess(SECAccess& values, SECAccess& masks, BOOL& bFirst) const;
    // The other group's name, display record, flags and password checksum.
    void CopyProperties(const CECGroup& other);

    // Continues a search by contact name (the text found in the name, or in its pinyin initials
    // with bInitials) after the position: the indexes of the sub-groups from this group inwards,
    // then the contact's index in its group. An empty position starts at the beginning; the
    // contacts of a group come before its sub-groups. The group holding the next hit is answered
    // and the position moved to the hit; null, with the position emptied, at the end.
    CECGroup* SearchNext(LPCTSTR lpszText, CList<int, int>& position, BOOL bInitials);

    // An e-card contact is searched in its person fields and in the status fields the sixth mask
    // chooses.
    BOOL SearchPerson(_CPerson* pPerson, LPCTSTR lpszText, const DWORD* pPersonMasks,
                      CSearchItemArray& hits, BOOL bMatchCase) override;

private:
    void SerializeAt(CArchive& ar, int nDepth);

    int m_nRole = ROLE_NONE;
};
