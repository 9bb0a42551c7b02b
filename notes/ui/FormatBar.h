// The format bar above the page editor: a font name box and a size box that show the face and
// size of the selection and set them. The bar talks to its owner (the editor's frame) only
// through WM_NOTIFY messages that carry a character format: it sends the new face or size, asks
// for the selection's format, and tells when a box took or gave up the focus.
#pragma once

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

// One face of the font box.
struct CFontItem {
    CString face;
    CString script; // empty when the system names none
    BYTE charSet = 1;
    BYTE pitchAndFamily = 0;
    int type = 0; // 0x200 scalable outline font
};

class CFormatBar : public CToolBar {
    DECLARE_DYNAMIC(CFormatBar)
public:
    enum { IDC_FONTNAME = 600, IDC_FONTSIZE = 601 };
    static const int kStandardSizes[16];

    CFormatBar();
    ~CFormatBar() override;

    BOOL Create(CWnd* pParent, UINT nID);
    // Fills the font box from the screen's fonts, keeping the text shown.
    void FillFontBox();
    // The faces listed, each with its shown text.
    const std::vector<CFontItem>& GetFontItems() const { return m_fonts; }
    static std::vector<std::pair<CString, CFontItem>> ListFaces(const std::vector<CFontItem>& all);

    // Shows the owner's selection format (unless a box has the focus).
    void SyncFromOwner(BOOL bEvenWithFocus = FALSE);
    // Reads and applies the size box; FALSE when the text was refused.
    BOOL ApplySize();
    void ApplyFace();
    void SetSizeText(long lTwips);

    CComboBox m_fontBox;
    CComboBox m_sizeBox;

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT NotifyOwner(UINT code, CHARFORMAT2* pcf);
    static void ShowText(CComboBox& box, const CString& text);
    BOOL BoxHasFocus() const;
    void FillSizeBox();

    std::vector<CFontItem> m_fonts;
    int m_nLastTwips = -1;
};
