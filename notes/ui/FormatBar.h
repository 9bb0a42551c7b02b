// The format bar above the page editor: a font name box and a size box that show the face and
// size of the selection and set them. The bar talks to its owner (the editor's frame) only
// through WM_NOTIFY messages that carry a character format: it sends the new face or size, asks
// for the selection's format, and tells when a box took or gave up the focus.
#pragma once

#include "notes/ui/FontComboBox.h"
#include "platform/gui/Controls.h"
#include "platform/gui/RichEditCtrl.h"
#include "platform/gui/ToolBar.h"

#include <vector>

// The notifications to the owner, with the NMHDR of the bar's id.
#define FN_SETFORMAT 0x1000
#define FN_GETFORMAT 0x1001

struct CHARHDR {
    NMHDR hdr;
    CHARFORMAT2 cf;
};

class CFormatBar : public CToolBar {
    DECLARE_DYNAMIC(CFormatBar)
public:
    enum { IDC_FONTNAME = 600, IDC_FONTSIZE = 601 };
    CFormatBar();
    ~CFormatBar() override;

    BOOL Create(CWnd* pParent, UINT nID);
    // Fills the font box from the screen's fonts, keeping the text shown.
    void FillFontBox() { m_fontBox.Fill(); }
    // Refills the size box with the sizes of the face the font box shows.
    void FillSizeBox();
    // The faces listed.
    const std::vector<CFontItem>& GetFontItems() const { return m_fontBox.GetItems(); }

    // Shows the owner's selection format (unless a box has the focus).
    void SyncFromOwner(BOOL bEvenWithFocus = FALSE);
    // Reads and applies the size box; FALSE when the text was refused.
    BOOL ApplySize();
    void ApplyFace();
    void SetSizeText(long lTwips);

    CFontComboBox m_fontBox;
    CSizeComboBox m_sizeBox;

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT NotifyOwner(UINT code, CHARFORMAT2* pcf);
    static void ShowText(CComboBox& box, const CString& text);
    BOOL BoxHasFocus() const;
};
