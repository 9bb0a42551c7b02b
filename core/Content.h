// The leaf record base: every stored item (a contact, a message, a note, a phrase, an event) is a
// CContent in a tree of groups. A leaf may stand as a link (a virtual copy) for another leaf of
// the same tree, found again by its path.
#pragma once

#include "core/FieldValue.h"
#include "core/GroupItem.h"
#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CGroup;

class CContent : public CObject, public CGroupItem {
    DECLARE_SERIAL(CContent)
public:
    explicit CContent(LPCTSTR lpszName = nullptr);
    ~CContent() override = default;

    // The base stores nothing: each record writes its own fields, its name included.
    void Serialize(CArchive& ar) override;

    // Copies the record data of the source; the base has none.
    virtual void CopyFrom(const CContent* pSource);
    // A new object of this class with a copy of the data; null in the base.
    virtual CContent* Clone() const;
    // A new object of this class with only the name set.
    virtual CContent* CreateInstance(LPCTSTR lpszName) const;
    // The storage of a field and its kind (FieldKind); null and FIELD_NONE in the base.
    virtual void* GetFieldData(int nField, int& nKind);
    // Copies a field into the holder member the value points at; FALSE in the base.
    virtual BOOL GetFieldValue(int nField, FieldValue& value);
    // The record's field texts joined by "\n".
    virtual CString GetText();
    virtual BOOL IsVirtual() const;
    virtual void GetVirtualPath(CString& strPath) const;
    // The leaf a link stands for: looked up from the top of the tree by the link's path, links
    // and locked groups not accepted. Null when not found.
    virtual CContent* GetVirtualSource();
    // A new unattached link to this leaf; null when this leaf is a link or in no group.
    virtual CContent* CreateVirtualCopy();
    // Makes this leaf a link to the source.
    virtual void LinkTo(CContent* pSource);
    // Records that this leaf links to the leaf at the path; a record that supports links keeps
    // the path, marks itself as a link and copies what it shows from the source.
    virtual void SetVirtualLink(LPCTSTR lpszPath, CContent* pSource);

    CObject* GetObject() override { return this; }

    // The next (bNext) or previous leaf of the parent's content list; null at either end.
    CContent* GetSibling(BOOL bNext) const;
    // The source of a link when it can be found; the leaf itself otherwise.
    CContent* ResolveLink();
    // The parent group's path (CGroup::GetPath) and, with bIncludeName, the separator and this
    // leaf's own name, never quoted.
    void GetPath(CString& strPath, const CGroup* pStop = nullptr, BOOL bIncludeName = TRUE,
                 LPCTSTR lpszSeparator = "\\", BOOL bIncludeTop = FALSE) const;
    // Compares two leaves by one field (links as their sources): <0, 0 or >0.
    static int CompareByField(CContent* a, CContent* b, int nField);

private:
    // The path a link to this leaf records: the groups below the top, then the name, by "\".
    CString GetLinkPath() const;
};
