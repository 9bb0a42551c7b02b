#include "notes/ui/FormatBar.h"

#include "notes/FormatRules.h"
#include "platform/base/Gbk.h"
#include "platform/gui/MessageBox.h"

#include <QFontDatabase>
#include <QList>
#include <QStringList>
#include <QString>

#include <algorithm>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CFormatBar, CToolBar)

const int CFormatBar::kStandardSizes[16] = {8, 9, 10, 11, 12, 14, 16, 18,
                                            20, 22, 24, 26, 28, 36, 48, 72};

namespace {

CString FromQt(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    return Utf8ToGbk(std::string_view(utf8.constData(), (size_t)utf8.size()));
}

} // namespace

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
    m_fontBox.LimitText(32);
    GetItemRect(2, &rc);
    rc.bottom = rc.top + 300;
    m_sizeBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | WS_TABSTOP, rc, this,
                     IDC_FONTSIZE);
    m_sizeBox.LimitText(4);
    FillFontBox();
    FillSizeBox();
    return TRUE;
}

std::vector<std::pair<CString, CFontItem>>
CFormatBar::ListFaces(const std::vector<CFontItem>& all) {
    // A face offered in several scripts shows each with its script in parentheses.
    std::map<CString, int> count;
    for (const CFontItem& f : all)
        ++count[f.face];
    std::vector<std::pair<CString, CFontItem>> shown;
    for (const CFontItem& f : all) {
        CString text = f.face;
        if (count[f.face] > 1 && !f.script.IsEmpty())
            text += " (" + f.script + ")";
        shown.emplace_back(text, f);
    }
    return shown;
}

void CFormatBar::FillFontBox() {
    CString current;
    m_fontBox.GetWindowText(current);
    m_fontBox.ResetContent();
    m_fonts.clear();
    for (const QString& family : QFontDatabase::families()) {
        // Faces meant for vertical writing are left out, as are bitmap-only faces.
        if (family.startsWith('@') || QFontDatabase::isBitmapScalable(family) &&
                                          !QFontDatabase::isSmoothlyScalable(family))
            continue;
        const auto systems = QFontDatabase::writingSystems(family);
        CFontItem item;
        item.face = CutFaceName(FromQt(family));
        item.type = QFontDatabase::isSmoothlyScalable(family) ? 0x200 : 0;
        item.pitchAndFamily = QFontDatabase::isFixedPitch(family) ? 1 : 2;
        bool any = false;
        if (systems.contains(QFontDatabase::SimplifiedChinese)) {
            item.script = "中文 GB2312";
            item.charSet = 134;
            m_fonts.push_back(item);
            any = true;
        }
        if (systems.contains(QFontDatabase::Latin) || !any) {
            item.script = systems.contains(QFontDatabase::Latin) ? "西方" : "";
            item.charSet = 0;
            m_fonts.push_back(item);
        }
    }
    for (auto& [text, item] : ListFaces(m_fonts)) {
        (void)item;
        m_fontBox.AddString(text);
    }
    // A box shows nothing until it is told a face (it would otherwise show its first entry).
    ShowText(m_fontBox, current);
}

void CFormatBar::FillSizeBox() {
    CString current;
    m_sizeBox.GetWindowText(current);
    m_sizeBox.ResetContent();
    for (int pt : kStandardSizes) {
        CString s;
        s.Format("%d", pt);
        int n = m_sizeBox.AddString(s);
        m_sizeBox.SetItemData(n, (DWORD_PTR)(pt * 20));
    }
    ShowText(m_sizeBox, current);
}

void CFormatBar::SetSizeText(long lTwips) {
    CString text = FormatSizeText(lTwips);
    CString shown;
    m_sizeBox.GetWindowText(shown);
    if (shown != text)
        ShowText(m_sizeBox, text);
    m_nLastTwips = lTwips;
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
        int found = -1;
        for (int i = 0; i < m_fontBox.GetCount() && found < 0; ++i) {
            CString text;
            m_fontBox.GetLBText(i, text);
            if (text == cf.szFaceName || text.Find(CString(cf.szFaceName) + " (") == 0)
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
        m_nLastTwips = -1;
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
    m_nLastTwips = twips;
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
    cf.bCharSet = 1;
    for (auto& [shown, item] : ListFaces(m_fonts)) {
        if (shown == text) {
            face = item.face;
            cf.bCharSet = item.charSet;
            cf.bPitchAndFamily = item.pitchAndFamily;
            break;
        }
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
        case VK_TAB:
            (inSize ? m_fontBox : m_sizeBox).SetFocus();
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
