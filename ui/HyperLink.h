// A static text of a dialog turned into a web link: drawn in link colours and underlined, sized
// to its text, a hand cursor over it, the address as its tip, and a click opens the address.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ToolTipCtrl.h"

class CHyperLink : public CStatic {
public:
    CHyperLink();
    ~CHyperLink() override;

    void SetLinkUrl(const CString& strURL);
    CString GetLinkUrl() const { return m_strURL; }
    void SetVisited(BOOL bVisited = TRUE);
    BOOL GetVisited() const { return m_bVisited; }
    void SetUnderline(BOOL bUnderline = TRUE) { m_bUnderline = bUnderline; }
    void SetAutoSize(BOOL bAutoSize = TRUE) { m_bAdjustToFit = bAutoSize; }
    BOOL IsOver() const { return m_bOverControl; }
    // The colour the text is drawn in now.
    COLORREF CurrentColour() const;

    // Opens the address with the desktop; answers the shell's code (above 32: success). An
    // address the shell refuses to hand on is never given to a program either.
    static INT_PTR OpenLink(LPCTSTR lpszURL, int nShowCmd);
    // A warning box: "Unable to open hyperlink:\n\n" and the text of the code.
    static void ShowOpenError(INT_PTR nError);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    COLORREF m_crLinkColour = RGB(0, 0, 238);
    COLORREF m_crVisitedColour = RGB(85, 26, 139);
    COLORREF m_crHoverColour;

protected:
    void PreSubclassWindow() override;
    void FitToText();
    void LoadHandCursor();
    void OnClicked();
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    BOOL m_bOverControl = FALSE;
    BOOL m_bVisited = FALSE;
    BOOL m_bUnderline = TRUE;
    BOOL m_bAdjustToFit = TRUE;
    CString m_strURL;
    CFont m_Font;
    HCURSOR m_hLinkCursor = nullptr;
    CToolTipCtrl m_ToolTip;
    DECLARE_MESSAGE_MAP()
};
