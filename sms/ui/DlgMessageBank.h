// The phrase bank: its groups (folders) in a tree, the phrases of the chosen set (file) in a list.
// The user edits phrases and groups here and picks one to insert: "确定" closes with the text,
// "插入" sends it to the owner window (WM_USER+70) and stays open.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeCtrl.h"
#include "sms/SentenceSet.h"
#include "ui/BkManager.h"
#include "ui/GroupHelper.h"
#include "ui/KovListCtrl.h"

class CDlgMessageBank : public CDialog {
public:
    enum { IDD = 304 };
    enum : UINT {
        IDC_PHRASES = 1157,
        IDC_TREE = 1158,
        IDC_TEXT = 1006,
        IDC_INSERT = 4,
        IDC_OK = 1175,
        IDC_CANCEL = 1176,
        IDR_MENU = 350,
        ID_GROUP_NEW = 351,
        ID_GROUP_DELETE = 352,
        ID_RENAME = 358,
        ID_PHRASE_MODIFY = 354,
        ID_PHRASE_INSERT = 355,
        ID_PHRASE_APPEND = 356,
        ID_PHRASE_DELETE = 357
    };
    static constexpr UINT WM_INSERT_TEXT = 0x446;
    static constexpr int kRowHeight = 40; // the phrase list's rows, in pixels
    // Label edits: a new group, renaming a group, renaming a set.
    enum { EditNone = 0, EditNewGroup = 1, EditRenameGroup = 2, EditRenameSet = 4 };

    // The bank in the folder, or in the program's "SentenceBank" without one.
    explicit CDlgMessageBank(CWnd* pOwner, LPCTSTR lpszFolder = nullptr);
    ~CDlgMessageBank() override;

    // The text picked (when DoModal answered IDOK).
    CString m_strSelected;

    CSentenceSetGroup& GetRoot() { return m_root; }
    CSentenceSet* GetCurrentSet() const { return m_pCurrentSet; }
    CTreeCtrl& GetTree() { return m_tree; }
    CKovListCtrl& GetList() { return m_list; }
    // The command handlers, also for the tests that drive the menu.
    void RunCommand(UINT nID);
    BOOL IsCommandEnabled(UINT nID);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;
    void OfferToSave();
    void ShowSet(CSentenceSet* pSet);
    void OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTreeEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnInsert();
    void OnOkButton();
    void OnCancelButton();
    void OnCommandRange(UINT nID);
    void OnUpdateCommandRange(CCmdUI* pCmdUI);
    CSentenceSetGroup* GroupForNew();
    void NewGroup();
    void FinishNewGroup(HTREEITEM hItem, const CString& text);
    void FinishRename(HTREEITEM hItem, const CString& text);
    DECLARE_MESSAGE_MAP()

    CWnd* m_pOwner;
    CString m_strFolder;
    CSentenceSetGroup m_root;
    CImageList m_images;
    CImageList m_rowHeight; // one empty picture as tall as a phrase row
    CGroupHelper m_helper;
    CFont m_textFont;
    CKovListCtrl m_list;
    CTreeCtrl m_tree;
    CListCtrlBkManager m_background;
    CSentenceSet* m_pCurrentSet = nullptr;
    CSentenceSetGroup* m_pSelectedGroup = nullptr;
    int m_nEditMode = EditNone;
    CSentenceSetGroup* m_pNewParent = nullptr;
};
