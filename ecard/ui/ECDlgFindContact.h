// Finding e-card contacts by their fields: the contacts' find dialog over the card's fields,
// the status fields included, with choices of its own kept for the run.
#pragma once

#include "contacts/ui/DlgFindPerson.h"

class CECDlgFindContact : public CDlgFindPerson {
public:
    CECDlgFindContact(_CGroup* pGroup, CWnd* pOwner, CString* pLastText = nullptr)
        : CDlgFindPerson(pGroup, pOwner, pLastText) {}

    // The e-card finds' choices: every field of the six categories ticked at first.
    static SFindSettings& GetECSettings();

protected:
    // The five groups of a contact's fields, then the status fields (category 32); no group
    // fields. The masks follow the access categories' order.
    SFieldTable GetFieldTable() const override;
    int GetFieldNumber(int nGroupBit, int nFieldBit) const override;
    BOOL GetFieldName(int nField, CString& out) const override;
    // Any of the six masks.
    BOOL HasPersonCriteria(const SFindSettings& settings) const override;
    SFindSettings& GetSettings() const override { return GetECSettings(); }
};
