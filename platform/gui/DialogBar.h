// A control bar made of a dialog template's controls, on one edge of its frame. It keeps the
// template's size across the bar (stretched along the edge), sends its controls' commands and
// notifications to the frame and brings their enabled state up to date at idle time.
#pragma once

#include "platform/gui/ControlBar.h"
#include "platform/gui/Dialog.h"

class CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    CDialogBar();
    ~CDialogBar() override;

    // nStyle: the edge (CBRS_TOP, CBRS_BOTTOM, CBRS_LEFT, CBRS_RIGHT and the CBRS_ flags) and
    // WS_VISIBLE. FALSE when the template does not exist or the window cannot be made.
    virtual BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // The template's size in pixels.
    CSize m_sizeDefault{0, 0};

protected:
    CFont m_font;
};
