// A child window made of a tab control with its tabs at the bottom and a stack of pages above
// it, one per tab; only the page of the selected tab shows. Pages are made from runtime classes
// (any window or view class) and may belong to the tab window, which deletes them after its
// window is gone, and then itself.
#pragma once

#include "platform/gui/TabCtrl.h"
#include "platform/gui/View.h"

#include <memory>
#include <vector>

class CTabWnd : public CWnd {
    DECLARE_DYNCREATE(CTabWnd)
public:
    struct CTabInfo {
        CString m_strTitle;
        CWnd* m_pWnd = nullptr;
        BOOL m_bDelete = FALSE;
        // Views delete themselves with their windows; the tab window never deletes them again.
        BOOL m_bDeletesItself = FALSE;
    };

    CTabWnd();
    ~CTabWnd() override;

    // Makes a page of pClass (pContext, when given, joins a view to its document) and a tab at
    // the end titled lpszTitle, or the page's own window text with bTitleFromWindow. FALSE, with
    // no tab added, when the page cannot be made.
    BOOL AddPage(CRuntimeClass* pClass, CCreateContext* pContext, LPCTSTR lpszTitle,
                 BOOL bTitleFromWindow, BOOL bDeleteWithTab);
    CWnd* GetPage(int nIndex) const;
    // Null while no page has been shown.
    CWnd* GetCurrentPage() const { return GetPage(m_nCurPage); }
    int GetPageCount() const { return m_nPages; }
    int GetCurrentPageIndex() const { return m_nCurPage; }
    // Shows page nIndex unless it is the current one; with bUpdateTab the tab follows.
    void SelectPage(int nIndex, BOOL bUpdateTab = TRUE);
    CTabCtrl* GetTabCtrl() const { return m_pTabCtrl.get(); }

    // Where the pages go: the tab control's display area grown by the margins.
    virtual void GetPageRect(CRect& rect);

    void PostNcDestroy() override;

protected:
    // The page's object and window (hidden, bordered, id AFX_IDW_PANE_FIRST + nIndex); null on
    // any failure, an exception of the class's constructor included.
    virtual CWnd* CreatePage(int nIndex, CRuntimeClass* pClass, CCreateContext* pContext);
    void ShowPage(int nIndex);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    std::vector<CTabInfo> m_tabs;
    std::unique_ptr<CTabCtrl> m_pTabCtrl;
    int m_nPages = 0;
    int m_nCurPage = -1;
    // How far the page area reaches beyond the tab control's display area on each side.
    int m_nMarginLeft = 3;
    int m_nMarginTop = 3;
    int m_nMarginRight = 3;
    int m_nMarginBottom = 0;

private:
    // Set once the window is fully made: a window whose creation failed leaves its object to the
    // code that made it.
    bool m_bCreated = false;
};
