// An e-card card shown with the contacts' property pages: the six-page sheet (state, personal,
// home, work, address, other) and the right pane's form that holds it. A contact's card is
// read-only but for its local display name; the user's own card is writable and confirming it
// uploads it to the service.
#pragma once

#include "contacts/ui/PSheetNamebook.h"
#include "ecard/ECUser.h"
#include "platform/gui/View.h"

#include <memory>

class CECUserDoc;

// The state page: the number, the local display name and the three status texts.
class CPageECState : public CContactPropertyPage {
public:
    enum { IDD = 4000 };
    enum : UINT {
        IDC_NUMBER = 1255,
        IDC_DISPLAY_NAME = 1022,
        IDC_DISPLAY_NAME_LABEL = 1021,
        IDC_LOCATION = 1253,
        IDC_ACTION = 1254,
        IDC_NOTE = 1037,
    };
    // The display name's label while the page is read-only (COLORREF).
    static const COLORREF kReadOnlyLabel = 0xFF0000;

    CPageECState();
    BOOL OnInitDialog() override;
    void SetReadOnly(BOOL bReadOnly) override;
    // Writes the contact into the controls or (bToPage FALSE) back: a read-only page writes the
    // display name only. A contact without a name of its own shows what the tree calls it (the
    // service's user name, else its number); that becomes its own name only when edited.
    void ExchangeState(CECContact& contact, BOOL bToPage);

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDataChanged() override;
    void ApplyReadOnly();
    DECLARE_MESSAGE_MAP()

    CString m_strShownName; // the display name as loaded
};

// A contacts page that also makes its own edits (and combo boxes' edits) read-only with the page,
// and starts read-only.
template <class Base>
class CECContactPage : public Base {
public:
    CECContactPage(const UINT* pEdits, const UINT* pCombos) : m_pEdits(pEdits), m_pCombos(pCombos) {
        Base::SetReadOnly(TRUE);
    }
    BOOL OnInitDialog() override {
        BOOL r = Base::OnInitDialog();
        ApplyReadOnly();
        return r;
    }
    void SetReadOnly(BOOL bReadOnly) override {
        Base::SetReadOnly(bReadOnly);
        ApplyReadOnly();
    }

protected:
    virtual void ApplyReadOnly() {
        if (this->GetSafeHwnd() == nullptr)
            return;
        this->SetEditsReadOnly(m_pEdits, this->IsReadOnly());
        this->SetCombosReadOnly(m_pCombos, this->IsReadOnly());
    }
    const UINT* m_pEdits;
    const UINT* m_pCombos;
};

class CPageECOther : public CECContactPage<CPageOther> {
public:
    CPageECOther();

protected:
    // The new-certificate button works only on a writable page.
    void ApplyReadOnly() override;
};

class CPSheetECPerson : public CPropertySheet {
public:
    enum { PAGE_STATE, PAGE_PERSON, PAGE_HOME, PAGE_UNIT, PAGE_COMMADDR, PAGE_OTHER, PAGE_COUNT };

    CPSheetECPerson();
    ~CPSheetECPerson() override;

    // TRUE fills the pages from the contact; FALSE writes the writable pages back (a read-only
    // sheet only the display name).
    void Exchange(CECContact& contact, BOOL bToPages);
    void SetReadOnly(BOOL bReadOnly);
    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL IsModified();
    void SetModified(BOOL bModified);
    // The page of a card field: 1000..1004 the state page, else as the contacts' sheet; -1 none.
    static int GetFieldPage(int nField);
    // Steps to the field's page, one page at a time, and focuses the field.
    BOOL ShowField(int nField);
    CContactPropertyPage* Page(int nIndex);

    // A running request locks the sheet: keys are swallowed.
    void SetLocked(BOOL bLocked) { m_bLocked = bLocked; }
    BOOL IsLocked() const { return m_bLocked; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CPageECState m_pageState;
    CECContactPage<CPagePerson> m_pagePerson;
    CECContactPage<CPageHome> m_pageHome;
    CECContactPage<CPageUnit> m_pageUnit;
    CECContactPage<CPageCommaddr> m_pageCommaddr;
    CPageECOther m_pageOther;

protected:
    LRESULT OnPageChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bReadOnly = TRUE;
    BOOL m_bLocked = FALSE;
    std::unique_ptr<CImageList> m_pTabImages;
};

// Notices of the card form to the tree (wParam; lParam the command for 102).
#define WM_EC_CARD_EDIT (WM_USER + 101)
// Asks the card form to show a field (wParam the field number).
#define WM_EC_SHOW_FIELD (WM_USER + 401)

class CFormECPerson : public CView, public CECSessionOwner {
    DECLARE_DYNCREATE(CFormECPerson)
public:
    enum : UINT {
        ID_DOWNLOAD_CARD = 1512,
        ID_CONFIRM = 32821,
        ID_DISCARD = 32822,
        ID_GO_UP = 32846,
        IDC_SHEET = 1005,
    };
    CFormECPerson();
    ~CFormECPerson() override;

    CPSheetECPerson& GetSheet() { return m_sheet; }
    CECContact* GetShownContact() const { return m_pContact; }
    // The shown card is the user's own (writable) one.
    BOOL IsOwnCard() const;
    CECUserDoc* GetUserDoc() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void OnECSessionBegin(CECUser* pUser) override;
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser* pUser) override;

    // The commands, callable directly.
    void Confirm();
    void Discard();
    void DownloadCard();

protected:
    void CreateSheet();
    void LoadCard();
    CWnd* Tree();
    void OnSize(UINT nType, int cx, int cy);
    void OnUpdateModified(CCmdUI* pCmdUI);
    void OnUpdateDownload(CCmdUI* pCmdUI);
    void OnUpdateGoUp(CCmdUI* pCmdUI);
    LRESULT OnShowField(WPARAM wParam, LPARAM lParam);
    LRESULT OnSheetChanged(WPARAM wParam, LPARAM lParam);
    void OnCmdConfirm() { Confirm(); }
    void OnCmdDiscard() { Discard(); }
    void OnCmdDownload() { DownloadCard(); }

    CPSheetECPerson m_sheet;
    CECContact* m_pContact = nullptr;
    BOOL m_bFirstUpdate = FALSE;
    DECLARE_MESSAGE_MAP()
};
