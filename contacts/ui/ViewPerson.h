// A contact's details: above, tabs with the contact's information list and its message records;
// below, the pane of the message content. Its inner views read the contact this view's document
// holds as its current object: they belong to no document themselves, so a book that closes
// takes none of them along.
#pragma once

#include "contacts/ui/ViewPsnInfo.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/View.h"
#include "ui/RightPaneView.h"
#include "ui/SplitterWndEx.h"

#include <initializer_list>

class CContent;
class CTabWnd;
class CViewPsnInfo;

// The pane below a contact's details that shows one field of the record or one message; the
// contact view makes it from a class another module registers.
class CIRecordContentPane {
public:
    virtual ~CIRecordContentPane() = default;
    // One field of the record with its text and title (record mode); field -1 empties it.
    virtual void ShowRecordContent(CContent* pRecord, int nField, LPCTSTR lpszText,
                                   LPCTSTR lpszTitle) = 0;
};

// A pane that shows its selection in a content pane (the contact's message records).
class CIContentPaneUser {
public:
    virtual ~CIContentPaneUser() = default;
    virtual void LinkContentPane(CWnd* pPane) = 0;
};

// An information list that shows the field it selects in a content pane.
class CPersonInfoList : public CViewPsnInfo {
    DECLARE_DYNCREATE(CPersonInfoList)
public:
    CIRecordContentPane* m_pContentPane = nullptr;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// An empty pane: what the message records and the message content show is built elsewhere.
class CPersonBlankPane : public CView {
    DECLARE_DYNCREATE(CPersonBlankPane)
public:
    void OnDraw(CDC* pDC) override;
};

class CViewPerson : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewPerson)
public:
    // The tab images: bitmap 279 holds two 16 x 16 pictures on white.
    static constexpr UINT IDB_TAB_IMAGES = 279;

    CViewPerson();

    // The classes of the message-record tab and of the content pane below the tabs, registered
    // by the module that shows messages; without them both are blank panes.
    static void SetPaneClasses(CRuntimeClass* pRecords, CRuntimeClass* pContent);
    CWnd* GetRecordsPane() const;
    CWnd* GetContentPane() const;

    CTabWnd* GetTabs() const { return m_pTabs; }
    CViewPsnInfo* GetInfoList() const { return m_pInfo; }
    CSplitterWndEx& GetSplitter() { return m_splitter; }

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    CSplitterWndEx m_splitter;
    CTabWnd* m_pTabs = nullptr;
    CViewPsnInfo* m_pInfo = nullptr;
    static CRuntimeClass* s_pRecordsClass;
    static CRuntimeClass* s_pContentClass;
    CImageList m_tabImages;
    BOOL m_bInitialized = FALSE;
    int m_nLastHeight = -1;

    void CreatePanes();
    void Layout(int cx, int cy);
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    DECLARE_MESSAGE_MAP()
};

// Hands the focus back to the window that had it before a composite view took it (the tree
// keeps the keyboard while the view beside it changes); without one, to the view's owner.
void ReturnFocus(CWnd* pView, CWnd* pOldWnd);
// The window among pCandidates that holds the focus (itself or a child of it), null for none.
CWnd* FocusedAmong(std::initializer_list<CWnd*> candidates);
