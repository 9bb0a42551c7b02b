// The small floating editor of one multi-value field (phones, mail addresses, QQ numbers with
// nicknames ...): a row per value with one or two value columns and a note column, the preferred
// value ticked, add / change / delete buttons and an optional button that opens the value as a
// web address or writes mail to it. Changes reach the edited list only when the user commits;
// the owner page hears of a commit and of the close through WM_LIST_EDITOR_NOTIFY.
#pragma once

#include "core/StringListXString.h"
#include "platform/gui/Dialog.h"
#include "ui/KovListCtrl.h"

// To the owner: wParam 1 the rows were committed, 2 the editor was closed.
#define WM_LIST_EDITOR_NOTIFY (WM_USER + 10)
// To the editor: mark it as holding uncommitted changes.
#define WM_LIST_EDITOR_SET_DIRTY (WM_USER + 102)

class CDlgEditstrlist : public CDialog {
public:
    enum { IDD = 233 };
    enum {
        IDC_LIST = 1057,
        IDC_FIRST_LABEL = 1058,
        IDC_FIRST = 1022,
        IDC_SECOND_LABEL = 1060,
        IDC_SECOND = 1035,
        IDC_NOTE_LABEL = 1111,
        IDC_NOTE = 1037,
        IDC_ADD = 1033,
        IDC_CHANGE = 1031,
        IDC_DELETE = 1032,
        IDC_LINK = 3,
    };
    enum { LINK_NONE = 0, LINK_WEB = 1, LINK_MAIL = 2 };
    enum { NOTIFY_COMMITTED = 1, NOTIFY_CLOSED = 2 };

    explicit CDlgEditstrlist(CWnd* pOwner);
    ~CDlgEditstrlist() override;

    BOOL Create();
    // Points the editor at a list. Another list than the edited one is taken only when no save
    // question is open and the uncommitted rows were committed (Yes) or dropped (No) on request;
    // the same list is refreshed only when the editor was closed since.
    void Configure(BOOL bTwoColumns, LPCTSTR lpszCaption, LPCTSTR lpszFirstHeader,
                   LPCTSTR lpszSecondHeader, LPCTSTR lpszFirstLabel, CXStringList* pList,
                   int nLinkKind);
    // bLoad: the rows from the list, after asking about uncommitted rows; otherwise the rows
    // into the list.
    void Reload(BOOL bLoad);
    // Leaves the list: uncommitted rows are dropped without a question (the owner loads another
    // contact, whose lists these rows were never made on).
    void Detach();
    // Drops the uncommitted rows without a question and shows the list's own rows again.
    void DropEdits();
    // Appends a value as a new row and commits; uncommitted rows are first kept or dropped.
    void AddValue(LPCTSTR lpszText, BOOL bMakeDefault);
    void SetReadOnly(BOOL bReadOnly);
    BOOL IsDirty() const { return m_bDirty; }
    CXStringList* GetEditedList() const { return m_pList; }
    CKovListCtrl& GetList() { return m_list; }
    int GetDefaultRow() const { return m_nDefault; }
    int GetNoteColumn() const { return m_nNoteColumn; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Refresh();
    void LoadRows();
    void WriteRows();
    void ReadControls();
    void ShowSelected();
    void SetDirty(BOOL bDirty);
    void Commit();
    // The save question; answers IDYES, IDNO or IDCANCEL. With bCommit a Yes commits.
    int AskSave(BOOL bWithCancel, BOOL bCommit);
    void OnItemChanged(const NMLISTVIEW& change);
    void OnListClick(const NMITEMACTIVATE& click);
    void OpenLink();

    int m_nLinkKind = LINK_NONE;
    int m_nNoteColumn = 1;
    int m_nSelected = -1;
    int m_nDefault = -1;
    BOOL m_bDirty = FALSE;
    BOOL m_bAsking = FALSE;
    BOOL m_bNeedRefresh = TRUE;
    BOOL m_bReadOnly = FALSE;
    BOOL m_bTwoColumns = FALSE;
    BOOL m_bInItemChange = FALSE;
    CString m_strFirstHeader, m_strSecondHeader, m_strCaption;
    CXStringList* m_pList = nullptr;
    CKovListCtrl m_list;
    CString m_strFirstLabel, m_strFirst, m_strSecond, m_strNote;
    CWnd* m_pOwner;
};
