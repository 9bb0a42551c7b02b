// A group of the information base: a header (version, description, title, the default columns of
// its items) and a body of sub-groups and items. A sub-group may come from a group file of its
// own; the program only reads these files.
#pragma once

#include "core/Group.h"
#include "notes/InfoContent.h"
#include "notes/InfoReader.h"

class CInfoGroup : public CGroup {
    DECLARE_DYNCREATE(CInfoGroup)
public:
    explicit CInfoGroup(LPCTSTR lpszName = nullptr);
    ~CInfoGroup() override;

    CRuntimeClass* GetContentClass() const override;
    CGroup* CreateSubGroup(LPCTSTR lpszName) override;

    // Opens the file and parses a group block from it; FALSE when it cannot be opened.
    BOOL LoadFile(LPCTSTR lpszPath);
    // Parses a group block from the reader's current line: TRUE when the block ended or the file
    // ended, FALSE when the line is no group's.
    BOOL Parse(CInfoReader& reader);

    int GetVersion() const { return m_nVersion; }
    const CString& GetDescription() const { return m_strDescription; }
    const CString& GetTitle() const { return m_strTitle; }
    int GetItemFieldCount() const { return m_nItemFieldCount; }
    const CStringList& GetItemFields() const { return m_itemFields; }
    const CArray<int, int>& GetItemFieldWidths() const { return m_itemFieldWidths; }
    const CString& GetSourcePath() const { return m_strSourcePath; }

private:
    BOOL LoadFileFrom(LPCTSTR lpszPath, const CInfoReader* pParent);

    int m_nVersion = 1;
    CString m_strDescription;
    CString m_strTitle;
    int m_nDefaultWidth = 150;
    int m_nItemFieldCount = 0;
    CStringList m_itemFields;
    CArray<int, int> m_itemFieldWidths;
    CString m_strSourcePath;
};
