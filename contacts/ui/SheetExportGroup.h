// Exporting a contact group to a CSV or card text file: a sheet of two pages collects the file,
// the field set and the options, then the group's contacts are written.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/ui/PageCfgPsnFields.h"
#include "ui/KovPropertyPage.h"

class CPageExportGroup : public CKovPropertyPage {
public:
    enum { IDD = 394 };
    enum {
        IDC_PATH = 1219,
        IDC_BROWSE = 1220,
        IDC_FIELDS_ALL = 1213,
        IDC_SUBGROUPS = 1226,
        IDC_LINKS = 1024,
        IDC_CURRENT_ONLY = 1207,
    };
    enum { FIELDS_ALL = 0, FIELDS_CURRENT = 1, FIELDS_CUSTOM = 2 };

    CPageExportGroup();

    CString m_strGroupName;
    int m_nFormat = _CGroup::EXPORT_CSV;
    CString m_strPath;
    int m_nFieldSet = FIELDS_CURRENT;
    BOOL m_bSubgroups = TRUE;
    BOOL m_bLinks = FALSE;
    BOOL m_bCurrentOnly = FALSE;
    // The path the save dialog chose, whose replacing the user has already agreed to there.
    BOOL m_bPathConfirmed = FALSE;
    CString m_strConfirmedPath;

    // The flags of ExportPersons.
    DWORD GetExportFlags() const;
    // The save dialog of the browse button; the chosen path goes into the edit.
    void Browse();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    DECLARE_MESSAGE_MAP()
};

class CPSheetExportGroup : public CPropertySheet {
public:
    explicit CPSheetExportGroup(CWnd* pParent = nullptr);
    CPageExportGroup m_pageExport;
    CPageCfgPsnFields m_pageFields;
};

// Runs the export of the group: the sheet, then the file. An existing file is replaced only when
// the user agrees; a file that cannot be made asks to try again; a write failure is reported and
// leaves no file. currentColumns is the contact list's column list (field set 1); the field page
// edits a copy of it for field set 2. Answers TRUE when a file was written; 0 for a null group.
BOOL ExportGroup(_CGroup* pGroup, int nFormat, const CArray<int, int>& currentColumns,
                 CIFieldSource* pFieldSource, int nPositions, CWnd* pParent = nullptr);
