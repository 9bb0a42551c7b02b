// A contact card: one ".psn" file holding exactly one contact, for exchanging single contacts
// between address books. The contact belongs to the caller.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"
#include "core/KovDocument.h"
#include "platform/base/Collections.h"

class CPersonDoc : public CKovDocument {
    DECLARE_DYNCREATE(CPersonDoc)
public:
    CPersonDoc() = default;
    ~CPersonDoc() override = default;

    // The version word, then the contact.
    void Serialize(CArchive& ar) override;

    void SetPerson(_CPerson* pPerson) { m_pPerson = pPerson; }
    _CPerson* GetPerson() const { return m_pPerson; }

    // Reads the file into the contact; TRUE when it was read.
    BOOL LoadPerson(_CPerson* pPerson, LPCTSTR lpszPath);
    // Writes the contact to the path; FALSE without a path.
    static BOOL SavePersonAs(_CPerson* pPerson, LPCTSTR lpszPath);
    // The file name proposed for a contact: its name without the characters a file name cannot
    // hold.
    static CString MakeFileName(const CString& name);
    // Loads each file into a new contact and sorts it into the group; files that cannot be read
    // are skipped. Answers the number of contacts added.
    static int ImportPersonFiles(_CGroup* pGroup, const CStringList& paths);

private:
    _CPerson* m_pPerson = nullptr;
};
