// The right pane's file list: the open files of the tree whose top item is selected (the address
// book, the notebooks, the message accounts or the schedules), one icon each with its name and
// path. Opening an entry asks the tree to select that file. The entry chosen last is remembered
// per tree, so coming back to a tree selects it again.
#pragma once

#include "platform/gui/CtrlView.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListCtrl.h"
#include "ui/BkManager.h"

#include <array>

class CGroupTreeView;

class CBrowseFileView : public CListView {
    DECLARE_DYNCREATE(CBrowseFileView)
public:
    // Slots: 1 address book, 2 notebooks, 3 message accounts, 4 schedules (0: none).
    enum { SlotNone = 0, SlotAddressBook = 1, SlotNotes = 2, SlotSenders = 3, SlotSchedules = 4 };

    CBrowseFileView();

    // The slot of a tree (by the right pane kind it shows its files in) and the image of its
    // files.
    static int SlotOfTree(const CGroupTreeView* pTree);
    static int ImageOfSlot(int nSlot);

    // Lists the open files of the owner tree again.
    void Refill();
    // Asks the owner tree to select its file number n.
    BOOL OpenItem(int n);
    int GetSlot() const { return m_nSlot; }
    int GetRemembered(int nSlot) const {
        return nSlot >= 0 && nSlot < (int)m_remembered.size() ? m_remembered[(size_t)nSlot] : -1;
    }
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }

    void OnInitialUpdate() override;

protected:
    CGroupTreeView* GetTree() const;
    LRESULT OnListFiles(WPARAM wParam, LPARAM lParam);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSize(UINT nType, int cx, int cy);
    void OnBkCommand(UINT nID);
    void OnUpdateBk(CCmdUI* pCmdUI);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()

    CImageList m_images;
    std::array<int, 5> m_remembered{-1, -1, -1, -1, -1};
    int m_nSlot = SlotNone;
    BOOL m_bRefilling = FALSE;
    BOOL m_bInitialized = FALSE;
    CListCtrlBkManager m_bkManager;
};
