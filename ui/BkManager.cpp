#include "ui/BkManager.h"

#include "platform/base/ModuleDir.h"
#include "platform/base/Profile.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/ListCtrl.h"

#include <QImageReader>

#include <set>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

// The file dialog's filter choice is offered again next time, by every view alike.
DWORD g_nImageFilterIndex = 1;

} // namespace

void CBkManager::SetWindow(CWnd* pWnd, int nKind) {
    m_pWnd = pWnd;
    m_nKind = nKind;
}

BOOL CBkManager::SetTextColor(COLORREF crText) {
    m_crText = crText;
    m_bDefTextClr = crText == BK_DEFAULT_COLOR;
    return TRUE;
}

BOOL CBkManager::SetBkColor(COLORREF) {
    return FALSE;
}

BOOL CBkManager::SetBkImage(LPCTSTR, BOOL, int, int) {
    return FALSE;
}

BOOL CBkManager::ApplyBkInfo(const CBkInfo* pInfo) {
    if (!pInfo) {
        SetBkColor(kWhite);
        BOOL bResult = SetBkImage(nullptr, TRUE, 0, 0);
        m_current.nMethod = CBkInfo::MethodNone;
        m_bDefaultBk = FALSE;
        return bResult;
    }
    BOOL bResult = FALSE;
    switch (pInfo->nMethod) {
    case CBkInfo::MethodColor:
        SetBkImage(nullptr, TRUE, 0, 0);
        bResult = SetBkColor(pInfo->crColor);
        break;
    case CBkInfo::MethodImage:
        // The colour shows where the image leaves room; when the image fails the list is left
        // plain white and the setting in force stays what it was.
        SetBkColor(kWhite);
        bResult = SetBkImage(pInfo->strImagePath, pInfo->bTile, pInfo->nXOffset, pInfo->nYOffset);
        break;
    default:
        return FALSE;
    }
    if (bResult) {
        // A copy first: pInfo may be the current setting itself.
        CBkInfo info = *pInfo;
        m_current = info;
        m_bDefaultBk = FALSE;
    }
    return bResult;
}

BOOL CBkManager::ApplyDefaultBk() {
    CBkInfo defaults = m_defaults;
    BOOL bResult = ApplyBkInfo(&defaults);
    if (bResult)
        m_bDefaultBk = TRUE;
    return bResult;
}

void CBkManager::ChooseBkColor() {
    // A setting that never had a colour (an image default) opens the dialog on white.
    const COLORREF crStart = (m_current.crColor & 0xFF000000) ? kWhite : m_current.crColor;
    CColorDialog dlg(crStart, 0, m_pWnd);
    if (dlg.DoModal() == IDOK) {
        CBkInfo info;
        info.nMethod = CBkInfo::MethodColor;
        info.crColor = dlg.GetColor();
        ApplyBkInfo(&info);
    }
    if (m_pWnd && m_pWnd->GetSafeHwnd())
        m_pWnd->SetFocus();
}

CString CBkManager::ImageFileFilter() {
    // Icons and metafiles are not backgrounds; the other formats are offered by their suffixes.
    static const std::set<QByteArray> skipped = {"ico", "cur", "icns", "emf", "wmf", "svg", "svgz"};
    CString all;
    CString each;
    std::set<QByteArray> seen;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        QByteArray f = format.toLower();
        if (skipped.count(f) || !seen.insert(f).second)
            continue;
        CString suffix;
        suffix.Format("*.%s", f.constData());
        if (!all.IsEmpty())
            all += ";";
        all += suffix;
        CString entry;
        entry.Format("%s (%s)|%s|", f.toUpper().constData(), (LPCTSTR)suffix, (LPCTSTR)suffix);
        each += entry;
    }
    return CString("所有图像文件|") + all + "|" + each + "|";
}

void CBkManager::ChooseBkImage() {
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, ImageFileFilter(),
                    m_pWnd);
    dlg.m_ofn.nFilterIndex = g_nImageFilterIndex;
    if (dlg.DoModal() == IDOK) {
        g_nImageFilterIndex = dlg.m_ofn.nFilterIndex;
        CBkInfo info;
        info.nMethod = CBkInfo::MethodImage;
        info.strImagePath = dlg.GetPathName();
        ApplyBkInfo(&info);
    }
    if (m_pWnd && m_pWnd->GetSafeHwnd())
        m_pWnd->SetFocus();
}

void CBkManager::ChooseTextColor() {
    // The control's default colour is black text.
    CColorDialog dlg((m_crText & 0xFF000000) ? 0 : m_crText, 0, m_pWnd);
    if (dlg.DoModal() == IDOK)
        SetTextColor(dlg.GetColor());
    if (m_pWnd && m_pWnd->GetSafeHwnd())
        m_pWnd->SetFocus();
}

void CBkManager::LoadFromProfile() {
    CProfileStore profile;
    m_bDefaultBk = (BOOL)profile.GetProfileInt(m_strSection, "IsDefaultBk", 1);
    m_current.nMethod = (int)profile.GetProfileInt(m_strSection, "BkMethod", 0);
    m_current.strImagePath = profile.GetProfileString(m_strSection, "BkImageUrl", "");
    m_current.crColor = profile.GetProfileInt(m_strSection, "BkColor", (int)kWhite);
    // Tile and offsets are not kept: an image read back is laid tiled from the corner.
    m_current.bTile = TRUE;
    m_current.nXOffset = m_current.nYOffset = 0;
    m_bDefTextClr = (BOOL)profile.GetProfileInt(m_strSection, "IsDefTextClr", 1);
    m_crText = profile.GetProfileInt(m_strSection, "TextColor", (int)BK_DEFAULT_COLOR);
    if (m_bDefaultBk) {
        ApplyDefaultBk();
    } else if (m_current.nMethod == CBkInfo::MethodNone) {
        ApplyBkInfo(nullptr);
    } else {
        CBkInfo stored = m_current;
        ApplyBkInfo(&stored);
    }
    SetTextColor(m_bDefTextClr ? BK_DEFAULT_COLOR : m_crText);
}

void CBkManager::SaveToProfile() {
    CProfileStore profile;
    profile.WriteProfileInt(m_strSection, "IsDefaultBk", m_bDefaultBk ? 1 : 0);
    profile.WriteProfileInt(m_strSection, "BkMethod", m_current.nMethod);
    profile.WriteProfileString(m_strSection, "BkImageUrl", m_current.strImagePath);
    profile.WriteProfileInt(m_strSection, "BkColor", (int)m_current.crColor);
    profile.WriteProfileInt(m_strSection, "IsDefTextClr", m_bDefTextClr ? 1 : 0);
    profile.WriteProfileInt(m_strSection, "TextColor", (int)m_crText);
}

BOOL CBkManager::IsBkCommand(UINT nID) {
    switch (nID) {
    case IdChooseBkColor:
    case IdChooseBkImage:
    case IdDefaultBk:
    case IdNoBk:
    case IdChooseTextColor:
    case IdDefaultTextColor:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CBkManager::OnCommand(UINT nID) {
    switch (nID) {
    case IdChooseBkColor:
        ChooseBkColor();
        return TRUE;
    case IdChooseBkImage:
        ChooseBkImage();
        return TRUE;
    case IdDefaultBk:
        ApplyDefaultBk();
        return TRUE;
    case IdNoBk:
        ApplyBkInfo(nullptr);
        return TRUE;
    case IdChooseTextColor:
        ChooseTextColor();
        return TRUE;
    case IdDefaultTextColor:
        SetTextColor(m_crDefaultText);
        return TRUE;
    default:
        return FALSE;
    }
}

void CBkManager::OnUpdateCommand(CCmdUI* pCmdUI) const {
    CWnd* pFocus = CWnd::GetFocus();
    BOOL bFocused =
        m_pWnd && m_pWnd->GetSafeHwnd() && pFocus && (pFocus == m_pWnd || m_pWnd->IsChild(pFocus));
    pCmdUI->Enable(bFocused);
}

BOOL CListCtrlBkManager::SetTextColor(COLORREF crText) {
    if (!m_pWnd || !m_pWnd->SendMessage(LVM_SETTEXTCOLOR, 0, (LPARAM)crText))
        return FALSE;
    m_pWnd->Invalidate();
    return CBkManager::SetTextColor(crText);
}

BOOL CListCtrlBkManager::SetBkColor(COLORREF crBk) {
    if (!m_pWnd)
        return FALSE;
    BOOL bResult = (BOOL)m_pWnd->SendMessage(LVM_SETBKCOLOR, 0, (LPARAM)crBk);
    m_pWnd->SendMessage(LVM_SETTEXTBKCOLOR, 0, (LPARAM)CLR_NONE);
    return bResult;
}

BOOL CListCtrlBkManager::SetBkImage(LPCTSTR lpszPath, BOOL bTile, int nXOffset, int nYOffset) {
    if (!m_pWnd)
        return FALSE;
    CString path(lpszPath ? lpszPath : "");
    LVBKIMAGE bi{};
    bi.ulFlags = (lpszPath ? LVBKIF_SOURCE_URL : LVBKIF_SOURCE_NONE) |
                 (bTile ? LVBKIF_STYLE_TILE : LVBKIF_STYLE_NORMAL);
    bi.pszImage = lpszPath ? path.GetBuffer() : nullptr;
    bi.xOffsetPercent = nXOffset;
    bi.yOffsetPercent = nYOffset;
    BOOL bResult = (BOOL)m_pWnd->SendMessage(LVM_SETBKIMAGE, 0, (LPARAM)&bi);
    if (lpszPath)
        path.ReleaseBuffer();
    m_pWnd->SendMessage(LVM_SETTEXTBKCOLOR, 0, (LPARAM)CLR_NONE);
    return bResult;
}

void CListCtrlBkManager::AttachList(CWnd* pList, LPCTSTR lpszSection,
                                    LPCTSTR lpszDefaultImage) {
    if (lpszSection != nullptr)
        SetSection(lpszSection);
    SetWindow(pList, 2);
    // A missing or unreadable default image leaves the list plain.
    CBkInfo defaults;
    defaults.nMethod = CBkInfo::MethodImage;
    defaults.strImagePath = GetModuleDirectory() + "\\" + lpszDefaultImage;
    SetDefaultBkInfo(defaults);
    LoadFromProfile();
}

void CListCtrlBkManager::LoadFromProfile() {
    CBkManager::LoadFromProfile();
    if (!m_pWnd)
        return;
    DWORD exStyle = (DWORD)m_pWnd->SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE);
    m_bShowGrid = (exStyle & LVS_EX_GRIDLINES) != 0;
    m_bShowGrid = (BOOL)CProfileStore().GetProfileInt(m_strSection, "ShowGrid", m_bShowGrid);
    m_pWnd->SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES,
                        m_bShowGrid ? LVS_EX_GRIDLINES : 0);
}

void CListCtrlBkManager::SaveToProfile() {
    CBkManager::SaveToProfile();
    if (m_pWnd && m_pWnd->GetSafeHwnd()) {
        DWORD exStyle = (DWORD)m_pWnd->SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE);
        m_bShowGrid = (exStyle & LVS_EX_GRIDLINES) != 0;
    }
    CProfileStore().WriteProfileInt(m_strSection, "ShowGrid", m_bShowGrid ? 1 : 0);
}
