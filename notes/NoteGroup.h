// A group of a notebook: pages are its contents. Its stored form is its own: the name, the two
// counts and the children, then the flags, the password checksum and the creation time.
#pragma once

#include "core/Group.h"
#include "notes/NoteContent.h"

class CNoteGroup : public CGroup {
    DECLARE_SERIAL(CNoteGroup)
public:
    // An empty group made now, without flags or password.
    explicit CNoteGroup(LPCTSTR lpszName = nullptr);
    // A copy of the name, the flags and the password checksum, made now; with bDeep every
    // sub-group and page as well.
    CNoteGroup(const CNoteGroup& other, BOOL bDeep);
    ~CNoteGroup() override;

    void Serialize(CArchive& ar) override;
    CRuntimeClass* GetContentClass() const override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;
    // The group copy, then the name; a copied group is a new one, made now.
    void CopyFrom(const CGroup* pSource) override;
    void CopyAttributes(const CGroup* pSource) override;

    __time64_t GetCreated() const { return m_created; }
    void SetCreated(__time64_t t) { m_created = t; }

private:
    __time64_t m_created = 0;
};
