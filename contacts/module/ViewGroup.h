// A group's contacts: on the left the navigation bar with one page, the contacts as icons under
// the group's name and counts; on the right their message boxes (CViewPersonsBox). The view sits
// beside the address-book tree, which it asks to select a contact or the group above. The inner
// views belong to no document: this view passes the document's updates on to them.
#pragma once

#include "contacts/ui/ViewPerson.h"
#include "platform/gui/ImageList.h"
#include "shell/OutbarWnd.h"

class CContentView;
class CViewPersonsBox;
class _CGroup;
class _CPerson;

class CViewGroup : public CView, public CIRightPaneView {
    DECLARE_DYNCREATE(CViewGroup)
public:
    enum : UINT {
        ID_SEND_EMAIL = 345,
        ID_SEND_SMS = 364,
        ID_OPEN = 32847,
        ID_GO_UP = 32846,
        ID_SMALL_ICONS = 59408,
        ID_LARGE_ICONS = 59409,
    };
    static constexpr int kOutbarWidth = 150;

    CViewGroup();

    // The page caption for a group: its name and its counts of contacts and sub-groups.
    static CString GetCaption(_CGroup* pGroup);

    COutbarWnd& GetOutbar() { return m_outbar; }
    CContentView* GetContentView() const { return m_pContent; }
    CViewPersonsBox* GetPersonsBox() const;
    CSplitterWndEx& GetSplitter() { return m_splitter; }
    // The contact of the selected icon, else of the hot one (null for none).
    _CPerson* GetTargetPerson() const;

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    // The bar of one page: the content view is added as a window of its own.
    class COnePageOutbar : public COutbarWnd {
    public:
        void AddPageWnd(CWnd* pWnd) { AppendFolder(pWnd, "", 0, FALSE); }
    };

    CSplitterWndEx m_splitter;
    COnePageOutbar m_outbar;
    CContentView* m_pContent = nullptr;
    CImageList m_largeImages;
    CImageList m_smallImages;
    BOOL m_bInitialized = FALSE;
    int m_nLastHeight = -1;

    CWnd* Tree();
    _CGroup* CurrentGroup() const;
    void Fill(_CGroup* pGroup);
    // Asks the tree to select the item of a record (0: the top item).
    void SelectInTree(DWORD_PTR hItem);
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    LRESULT OnContentNotify(WPARAM wParam, LPARAM lParam);
    void OnSendEmail();
    void OnSendSms();
    void OnOpen();
    void OnGoUp();
    void OnIconSize(UINT nID);
    void OnUpdateCommand(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
