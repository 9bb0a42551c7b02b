// A view whose client area holds the controls of a dialog template. It scrolls when the template
// is larger than the view, exchanges data with its controls like a dialog and moves between them
// with the dialog keys.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/ScrollView.h"

class CFormView : public CScrollView {
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT nIDTemplate);
    ~CFormView() override;

    UINT GetTemplateID() const { return m_nIDTemplate; }
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Fills the controls from the members, then the view's own first update.
    void OnInitialUpdate() override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSetFocus(CWnd* pOldWnd);

    UINT m_nIDTemplate;
    CFont m_font;
    // The control that had the focus when the view was last left; it gets it back.
    HWND m_hWndFocus = nullptr;
    DECLARE_MESSAGE_MAP()
};
