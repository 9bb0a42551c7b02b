// The information list of one contact: a row per non-empty field ("条目" and "内容"), in the
// order a reader takes in a person (name and personal details, ways of reaching them, home,
// work, current address, certificates and notes). The tree's current contact is shown; the
// selected field can be copied or opened in the contact form.
#pragma once

#include "platform/gui/CtrlView.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/ImageList.h"
#include "ui/BkManager.h"
#include "ui/RightPaneView.h"

class _CPerson;

// The document a view shows: its own, else (a view inside a composite view, which passes its
// updates on) the nearest enclosing view's.
CDocument* GetShownDocument(const CView* pView);
// Binds the manager to a report list, with its profile section and its default image (a file
// of the program folder), and applies the stored setting.
void InitListBackground(CListCtrlBkManager& manager, CListCtrl& list, LPCTSTR lpszSection,
                        LPCTSTR lpszDefaultImage);

class CViewPsnInfo : public CListView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewPsnInfo)
public:
    enum : UINT {
        ID_DEFAULT_VALUES_ONLY = 487,
        ID_GO_TO_FIELD = 1565,
        ID_SHOW_ALL_FIELDS = 1566,
        ID_COPY = 57634,
    };
    // The fields in the order the list shows them.
    static const int kFieldOrder[];
    static const int kFieldOrderCount;

    CViewPsnInfo();

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    // The document's current object when it is a contact.
    _CPerson* CurrentPerson() const;
    BOOL IsDefaultValuesOnly() const { return m_bDefaultOnly; }
    BOOL IsShowAllFields() const { return m_bShowAll; }
    // The selected field (-1 none), its label and its value.
    int GetSelectedField() const { return m_nField; }
    const CString& GetSelectedLabel() const { return m_strLabel; }
    const CString& GetSelectedValue() const { return m_strValue; }
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }
    // Rebuilds the rows for the contact (null keeps the rows as they are).
    void Fill(_CPerson* pPerson);
    // The value a field's row shows; FALSE leaves the field out.
    virtual BOOL GetRowText(_CPerson* pPerson, int nField, CString& text);

protected:
    CImageList m_images;
    CListCtrlBkManager m_bkManager;
    CString m_strDefaultBkImage = "Images\\background3.bmp";
    CString m_strBkSection = "Bkground\\ViewPsnInfo";
    int m_nField = -1;
    CString m_strLabel;
    CString m_strValue;
    BOOL m_bDefaultOnly = FALSE;
    BOOL m_bShowAll = FALSE;
    BOOL m_bInitialized = FALSE;
    BOOL m_bFilling = FALSE;

    CListCtrl& List() const { return GetListCtrl(); }
    // Remembers the row's field, label and value (none for -1).
    void RememberRow(int nRow);
    BOOL ListHasFocus() const;
    // The contact form among the document's views, else the tree's right pane's.
    CWnd* FindContactForm();

    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDefaultValuesOnly();
    void OnShowAllFields();
    void OnGoToField();
    void OnCopy();
    void OnBkCommand(UINT nID);
    void OnUpdateCommand(CCmdUI* pCmdUI);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
