// The notebook tree of the "日常记事" folder: the open notebook files with their groups and pages.
// The list of a group's pages and the page editor are the right pane's views of the notes kind.
// A page with unsaved edits is never left silently: selecting another item or closing its
// notebook first asks whether to confirm them, discard them or stay.
#pragma once

#include "ui/GroupTreeView.h"

class CWordPadView;

class CNoteTreeView : public CGroupTreeView {
    DECLARE_DYNCREATE(CNoteTreeView)
public:
    // The notes menu's commands and the base commands they stand for.
    enum : UINT {
        ID_NOTE_NEW_PAGE = 450, ID_NOTE_NEW_GROUP = 451, ID_NOTE_DELETE = 800,
        ID_NOTE_PAGE_BEFORE = 1554, ID_NOTE_PAGE_AFTER = 1555, ID_NOTE_GROUP_BEFORE = 1556,
        ID_NOTE_GROUP_AFTER = 1557, ID_NOTE_RESORT_GROUPS = 1562, ID_NOTE_RESORT_PAGES = 1563,
    };
    // The right pane's views of the notes kind.
    enum { ViewPageList = 1, ViewEditor = 2 };
    static constexpr int kModuleKind = 3;

    CNoteTreeView();

    // The base command a notes command stands for; the command itself when none.
    static UINT MapCommand(UINT nID);

    void InitView() override;
    CQuillmarBaseDoc* CreateDocument() override;
    CGroup* GetRootGroup(CQuillmarBaseDoc* pDoc) override;
    CGroup* CreateGroupFor(CObject* pObject) override;
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void OnInitialUpdate() override;

    // The page editor of the right pane, null before it exists.
    CWordPadView* GetEditor();

protected:
    // Whether the page being edited may be left; asks when it has unsaved edits.
    BOOL CanLeaveEditedPage(CQuillmarBaseDoc* pDocClosing);
    void OnSelChangingGuard(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    BOOL m_bLoaded = FALSE;
};
