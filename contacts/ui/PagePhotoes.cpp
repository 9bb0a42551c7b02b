#include "contacts/ui/PagePhotoes.h"

#include "core/FileUtil.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"

namespace {
constexpr UINT kReferenceItem = 1125;
const char* const kPictureFilter =
    "所有图像文件|*.bmp;*.jpg;*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff|BMP (*.bmp)|*.bmp|"
    "JPEG (*.jpg;*.jpeg;*.jpe)|*.jpg;*.jpeg;*.jpe|PNG (*.png)|*.png|GIF (*.gif)|*.gif|"
    "TIFF (*.tif;*.tiff)|*.tif;*.tiff||";
const char* const kPictureTypes[] = {".bmp", ".jpg", ".jpeg", ".jpe", ".png", ".gif", ".tif",
                                     ".tiff"};
} // namespace

CPagePhotoes::CPagePhotoes() : CContactPropertyPage(IDD, 0) {
    m_layoutTopItem = kReferenceItem;
}

CPagePhotoes::~CPagePhotoes() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CPagePhotoes::OnInitDialog() {
    CContactPropertyPage::OnInitDialog();
    CRect rc;
    GetLayoutRect(&rc);
    m_wndImage.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rc, this, IDC_IMAGE);
    m_wndImage.SetImageStyle(0, IWS_FIT);
    m_wndImage.SetEmptyText("找不到图片文件！");
    LayoutPage();
    ShowPhoto(m_nCurrent);
    return TRUE;
}

BOOL CPagePhotoes::IsPictureFile(LPCTSTR lpszPath) {
    CString path(lpszPath ? lpszPath : "");
    path.MakeLower();
    for (const char* type : kPictureTypes) {
        const int n = (int)strlen(type);
        if (path.GetLength() > n && path.Right(n) == type)
            return TRUE;
    }
    return FALSE;
}

CString CPagePhotoes::GetAbsolutePath(int nIndex) const {
    if (nIndex < 0 || nIndex >= (int)m_photos.GetCount())
        return CString();
    CString path = m_photos.GetAt(m_photos.FindIndex(nIndex));
    if (!m_strDocumentPath.IsEmpty())
        ResolveRelativePath(path, m_strDocumentPath, TRUE);
    return path;
}

void CPagePhotoes::ExchangePhotos(CStringListEx& photos, BOOL bToPage) {
    if (bToPage) {
        m_photos.RemoveAll();
        for (POSITION pos = photos.GetHeadPosition(); pos;)
            m_photos.AddTail(photos.GetNext(pos));
        m_nStoredCurrent = photos.GetCurrentIndex();
        int nShow = std::max(0, m_nStoredCurrent);
        if (nShow >= (int)m_photos.GetCount())
            nShow = (int)m_photos.GetCount() - 1;
        ShowPhoto(nShow);
        m_nLoadedCurrent = m_nCurrent;
        return;
    }
    CStringListEx out;
    for (POSITION pos = m_photos.GetHeadPosition(); pos;)
        out.AddTail(m_photos.GetNext(pos));
    // The stored index stays as it was unless the user moved to another photo.
    out.SetCurrentIndex(m_nCurrent == m_nLoadedCurrent ? m_nStoredCurrent : m_nCurrent);
    photos = out;
}

BOOL CPagePhotoes::ShowPhoto(int nIndex) {
    BOOL bLoaded = FALSE;
    if (nIndex < 0 || nIndex >= (int)m_photos.GetCount()) {
        m_nCurrent = -1;
        if (m_wndImage.m_hWnd)
            m_wndImage.Clear();
    } else {
        m_nCurrent = nIndex;
        if (m_wndImage.m_hWnd) {
            bLoaded = m_wndImage.LoadImage(GetAbsolutePath(nIndex));
            m_wndImage.Invalidate();
        }
    }
    UpdateTexts();
    return bLoaded;
}

void CPagePhotoes::StepPhoto(BOOL bForward) {
    if (bForward && m_nCurrent < (int)m_photos.GetCount() - 1)
        ShowPhoto(m_nCurrent + 1);
    else if (!bForward && m_nCurrent > 0)
        ShowPhoto(m_nCurrent - 1);
}

void CPagePhotoes::AddPhoto(LPCTSTR lpszPath, BOOL bChange) {
    if (bChange) {
        if (m_nCurrent < 0)
            return;
        m_photos.SetAt(m_photos.FindIndex(m_nCurrent), lpszPath);
        ShowPhoto(m_nCurrent);
    } else {
        m_photos.AddTail(lpszPath);
        ShowPhoto((int)m_photos.GetCount() - 1);
    }
    SetChanged(TRUE);
}

void CPagePhotoes::DeletePhoto() {
    if (m_nCurrent < 0 || AfxMessageBox("您真的要删除该项吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_photos.RemoveAt(m_photos.FindIndex(m_nCurrent));
    ShowPhoto(std::min(m_nCurrent, (int)m_photos.GetCount() - 1));
    SetChanged(TRUE);
}

void CPagePhotoes::UpdateTexts() {
    if (!m_hWnd)
        return;
    CString position, zoom;
    position.Format("%d/%d", m_nCurrent + 1, (int)m_photos.GetCount());
    zoom.Format("%d%%", (int)(m_wndImage.m_hWnd ? m_wndImage.GetZoom() * 100 + 0.5 : 0));
    SetDlgItemText(IDC_POSITION, position);
    SetDlgItemText(IDC_ZOOM, zoom);
}

BOOL CPagePhotoes::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case ID_PHOTO_PREVIOUS:
    case ID_PHOTO_NEXT:
        StepPhoto(LOWORD(wParam) == ID_PHOTO_NEXT);
        return TRUE;
    case ID_PHOTO_DELETE:
        DeletePhoto();
        return TRUE;
    case ID_PHOTO_ACTUAL_SIZE:
        if (m_nCurrent >= 0) {
            m_wndImage.SetImageStyle(IWS_FIT, (m_wndImage.GetImageStyle() & IWS_FIT) ? 0 : IWS_FIT);
            m_wndImage.UpdateScrollBars(TRUE);
            m_wndImage.Invalidate();
            UpdateTexts();
        }
        return TRUE;
    case ID_PHOTO_ADD:
    case ID_PHOTO_CHANGE: {
        const BOOL bChange = LOWORD(wParam) == ID_PHOTO_CHANGE;
        if (bChange && m_nCurrent < 0)
            return TRUE;
        CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                        kPictureFilter, this);
        if (m_nFilterIndex > 0)
            dlg.m_ofn.nFilterIndex = (DWORD)m_nFilterIndex;
        if (dlg.DoModal() == IDOK) {
            AddPhoto(dlg.GetPathName(), bChange);
            m_nFilterIndex = (int)dlg.m_ofn.nFilterIndex;
        }
        return TRUE;
    }
    }
    return CContactPropertyPage::OnCommand(wParam, lParam);
}

BOOL CPagePhotoes::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_SIZE && m_initialized)
        LayoutPage();
    if (message == WM_LBUTTONDBLCLK && m_nCurrent >= 0 && m_wndImage.m_hWnd) {
        CRect rc;
        m_wndImage.GetWindowRect(&rc);
        ScreenToClient(&rc);
        const CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
        const CString path = GetAbsolutePath(m_nCurrent);
        // Only a picture goes to the desktop: a stored path could name any program.
        if (rc.PtInRect(pt) && IsPictureFile(path))
            ShellExecute(m_hWnd, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return CContactPropertyPage::OnWndMsg(message, wParam, lParam, pResult);
}

void CPagePhotoes::LayoutPage() {
    if (!m_wndImage.m_hWnd)
        return;
    CRect area;
    GetLayoutRect(&area);
    m_wndImage.SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(),
                            SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndImage.UpdateScrollBars(TRUE);
    UpdateTexts();
}
