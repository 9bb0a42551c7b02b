// The right pane's read-only card of a contact: every card field with its value in a list (a
// field the contact hides from the user says so, in red), the selected field's full text below.
#pragma once

#include "contacts/ui/ViewPerson.h"
#include "ui/SplitterWndEx.h"

class CECContact;

class CECViewContactInfoList : public CPersonInfoList {
    DECLARE_DYNCREATE(CECViewContactInfoList)
public:
    static constexpr const char* kHidden = "您无权访问此人的该项信息！";
    static const COLORREF kHiddenColour = 0x0000FF;

    CECViewContactInfoList();
    CECContact* CurrentContact() const;
    // Whether the row's field is one the contact does not let the user read.
    BOOL IsHiddenRow(int nRow) const;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL GetRowText(_CPerson* pPerson, int nField, CString& text) override;

protected:
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CECViewBrowseContact : public CView {
    DECLARE_DYNCREATE(CECViewBrowseContact)
public:
    CECViewContactInfoList* GetInfoList() const;
    CWnd* GetContentPane() const;
    CSplitterWndEx& GetSplitter() { return m_splitter; }
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    CSplitterWndEx m_splitter;
    BOOL m_bInitialized = FALSE;
    DECLARE_MESSAGE_MAP()
};
