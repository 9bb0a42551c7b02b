#include "notes/ui/FormatBar.h"

#include "notes/FormatRules.h"
#include "platform/base/Gbk.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CFormatBar, CToolBar)

void CFormatBar::ShowText(CComboBox& box, const CString& text) {
    // The entry of exactly that text, else the text alone: never an entry it only begins
    // (size 1 is not 10), and nothing at all rather than the first entry.
    int n = text.IsEmpty() ? -1 : box.FindStringExact(-1, text);
    box.SetCurSel(n);
    if (n < 0)
        box.SetWindowText(text);
}

CFormatBar::CFormatBar() = default;

CFormatBar::~CFormatBar() = default;

BOOL CFormatBar::Create(CWnd* pParent, UINT nID) {
    if (!CreateEx(pParent, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS,
                  CRect(0, 0, 0, 0), nID))
        return FALSE;
    const UINT buttons[3] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
    SetButtons(buttons, 3);
    SetButtonInfo(0, IDC_FONTNAME, TBBS_SEPARATOR, 48 * 7);
    SetButtonInfo(1, ID_SEPARATOR, TBBS_SEPARATOR, 8);
    SetButtonInfo(2, IDC_FONTSIZE, TBBS_SEPARATOR, 10 * 7);
    CRect rc;
    GetItemRect(0, &rc);
    rc.bottom = rc.top + 300;
    m_fontBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT |
                         CBS_AUTOHSCROLL | WS_TABSTOP,
                     rc, this, IDC_FONTNAME);
    const int rowHeight = CFontComboBox::GetRowHeight(m_fontBox);
    m_fontBox.LimitText(32);
    GetItemRect(2, &rc);
    rc.bottom = rc.top + 300;
    m_sizeBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | WS_TABSTOP, rc, this,
                     IDC_FONTSIZE);
    m_sizeBox.LimitText(4);
    CFontComboBox::SetRowHeight(m_sizeBox, rowHeight);
    FillFontBox();
    m_sizeBox.FillSizes(CString());
    return TRUE;
}

void CFormatBar::FillSizeBox() {
    // The size read first: a refused text says so and the last size accepted comes back.
    CString text;
    m_sizeBox.GetWindowText(text);
    int twips = ParseSizeText(text);
    bool refused = false;
    if (twips == SizeTextInvalid || (twips >= 0 && !IsSizeInRange(twips))) {
        AfxMessageBox(twips == SizeTextInvalid ? "This is not a valid number."
                                               : "The number must be between 1 and 1638.",
                      MB_ICONINFORMATION);
        twips = m_sizeBox.m_nTwipsLast;
        refused = true;
    }
    CString shown;
    m_fontBox.GetWindowText(shown);
    const CFontItem* item = m_fontBox.FindItem(shown);
    m_sizeBox.FillSizes(item != nullptr ? item->face : shown);
    // The refused text goes (for nothing when no size was accepted yet).
    if (refused || twips != SizeTextEmpty)
        m_sizeBox.SetTwips(twips);
}

void CFormatBar::SetSizeText(long lTwips) {
    m_sizeBox.SetTwips(lTwips);
}

LRESULT CFormatBar::NotifyOwner(UINT code, CHARFORMAT2* pcf) {
    CWnd* pOwner = GetOwner() != nullptr ? GetOwner() : GetParent();
    if (pOwner == nullptr)
        return 0;
    CHARHDR fnm{};
    fnm.hdr.hwndFrom = m_hWnd;
    fnm.hdr.idFrom = GetDlgCtrlID();
    fnm.hdr.code = code;
    if (pcf != nullptr)
        fnm.cf = *pcf;
    fnm.cf.cbSize = sizeof(CHARFORMAT2);
    LRESULT r = pOwner->SendMessage(WM_NOTIFY, fnm.hdr.idFrom, (LPARAM)&fnm);
    if (pcf != nullptr)
        *pcf = fnm.cf;
    return r;
}

BOOL CFormatBar::BoxHasFocus() const {
    CWnd* pFocus = CWnd::GetFocus();
    if (pFocus == nullptr)
        return FALSE;
    auto within = [pFocus](const CComboBox& box) {
        return box.m_hWnd != nullptr &&
               (pFocus->m_hWnd == box.m_hWnd || box.IsChild(pFocus));
    };
    return within(m_fontBox) || within(m_sizeBox);
}

void CFormatBar::SyncFromOwner(BOOL bEvenWithFocus) {
    if (!bEvenWithFocus && BoxHasFocus())
        return; // what is being typed stays
    CHARFORMAT2 cf{};
    NotifyOwner(FN_GETFORMAT, &cf);
    if ((cf.dwMask & (CFM_FACE | CFM_CHARSET)) == (CFM_FACE | CFM_CHARSET)) {
        // The entry of that face in that script (any script for the default set).
        int found = -1;
        for (int i = 0; i < m_fontBox.GetCount() && found < 0; ++i) {
            const auto* item = reinterpret_cast<const CFontItem*>(m_fontBox.GetItemData(i));
            if (item != nullptr && item->face == cf.szFaceName &&
                (cf.bCharSet == DEFAULT_CHARSET || item->charSet == cf.bCharSet))
                found = i;
        }
        if (found >= 0)
            m_fontBox.SetCurSel(found);
        else
            ShowText(m_fontBox, cf.szFaceName);
    } else {
        ShowText(m_fontBox, "");
    }
    if (cf.dwMask & CFM_SIZE)
        SetSizeText(cf.yHeight);
    else {
        ShowText(m_sizeBox, "");
        m_sizeBox.m_nTwipsLast = -1;
    }
}

BOOL CFormatBar::ApplySize() {
    NotifyOwner((UINT)NM_KILLFOCUS, nullptr);
    CString text;
    m_sizeBox.GetWindowText(text);
    int twips = ParseSizeText(text);
    if (twips == SizeTextInvalid) {
        AfxMessageBox("This is not a valid number.", MB_ICONINFORMATION);
        return FALSE;
    }
    if (twips == SizeTextEmpty)
        return TRUE;
    if (!IsSizeInRange(twips)) {
        AfxMessageBox("The number must be between 1 and 1638.", MB_ICONINFORMATION);
        return FALSE;
    }
    CHARFORMAT2 cf{};
    cf.dwMask = CFM_SIZE;
    cf.yHeight = twips;
    NotifyOwner(FN_SETFORMAT, &cf);
    m_sizeBox.m_nTwipsLast = twips;
    return TRUE;
}

void CFormatBar::ApplyFace() {
    NotifyOwner((UINT)NM_KILLFOCUS, nullptr);
    CString text;
    m_fontBox.GetWindowText(text);
    text.Trim();
    if (text.IsEmpty())
        return;
    CHARFORMAT2 cf{};
    cf.dwMask = CFM_FACE | CFM_CHARSET;
    CString face = text;
    cf.bCharSet = DEFAULT_CHARSET;
    if (const CFontItem* item = m_fontBox.FindItem(text)) {
        face = item->face;
        cf.bCharSet = item->charSet;
        cf.bPitchAndFamily = item->pitchAndFamily;
    }
    face = CutFaceName(face);
    std::strncpy(cf.szFaceName, face.GetString(), LF_FACESIZE - 1);
    NotifyOwner(FN_SETFORMAT, &cf);
}

BOOL CFormatBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (nID == IDC_FONTNAME || nID == IDC_FONTSIZE) {
        switch (code) {
        case CBN_SETFOCUS:
            NotifyOwner((UINT)NM_SETFOCUS, nullptr);
            return TRUE;
        case CBN_CLOSEUP:
            NotifyOwner((UINT)NM_RETURN, nullptr);
            return TRUE;
        case CBN_DROPDOWN:
            if (nID == IDC_FONTSIZE)
                FillSizeBox();
            return TRUE;
        case CBN_SELENDOK:
            if (nID == IDC_FONTNAME)
                ApplyFace();
            else
                ApplySize();
            return TRUE;
        case CBN_KILLFOCUS:
            if (nID == IDC_FONTNAME)
                ApplyFace();
            else
                ApplySize();
            return TRUE;
        default:
            break;
        }
    }
    return CToolBar::OnCommand(wParam, lParam);
}

BOOL CFormatBar::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && BoxHasFocus()) {
        CWnd* pFocus = CWnd::GetFocus();
        const bool inSize =
            pFocus != nullptr && (pFocus->m_hWnd == m_sizeBox.m_hWnd || m_sizeBox.IsChild(pFocus));
        switch (pMsg->wParam) {
        case VK_RETURN:
            if (inSize ? ApplySize() : (ApplyFace(), TRUE))
                NotifyOwner((UINT)NM_RETURN, nullptr);
            return TRUE;
        case VK_ESCAPE:
            SyncFromOwner(TRUE);
            NotifyOwner((UINT)NM_RETURN, nullptr);
            return TRUE;
        case VK_UP:
        case VK_DOWN: {
            // Up or Down opens a closed list; with Alt or Ctrl the box has the key.
            if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_CONTROL) < 0)
                break;
            CComboBox& box = inSize ? static_cast<CComboBox&>(m_sizeBox)
                                    : static_cast<CComboBox&>(m_fontBox);
            if (box.GetDroppedState())
                break;
            box.ShowDropDown(TRUE);
            return TRUE;
        }
        case VK_TAB:
            (inSize ? static_cast<CComboBox&>(m_fontBox) : static_cast<CComboBox&>(m_sizeBox))
                .SetFocus();
            return TRUE;
        default:
            break;
        }
    }
    return CToolBar::PreTranslateMessage(pMsg);
}

void CFormatBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    CToolBar::OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
    SyncFromOwner();
}
