#include "contacts/ui/PagePhotoes.h"

#include "contacts/Person.h"
#include "contacts/ui/DlgEditPhotoes.h"
#include "contacts/ui/FormNamebook.h"
#include "core/FileUtil.h"
#include "platform/base/Document.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/View.h"
#include "ui/KovMenu.h"
#include "ui/WndHelpers.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr UINT kReferenceItem = 1125;
constexpr char kMenuName[] = "照片信息";
// The tool bar's buttons and, in the same order, the pictures of the buttons that are no
// separators.
const UINT kToolButtons[] = {CPagePhotoes::ID_PHOTO_PREVIOUS, CPagePhotoes::ID_PHOTO_NEXT,       0,
                             CPagePhotoes::ID_PHOTO_ADD,      CPagePhotoes::ID_PHOTO_DELETE,     0,
                             CPagePhotoes::ID_PHOTO_EDIT,     CPagePhotoes::ID_PHOTO_ACTUAL_SIZE};
const UINT kToolIcons[] = {500, 501, 503, 502, 525, 524};

void CopyList(CStringList& to, const CStringList& from) {
    to.RemoveAll();
    for (POSITION pos = from.GetHeadPosition(); pos;)
        to.AddTail(from.GetNext(pos));
}
} // namespace

void CPhotoToolBar::OnUpdateCmdUI(CFrameWnd*, BOOL bDisableIfNoHndler) {
    if (CWnd* pOwner = GetOwner())
        UpdateButtonsFrom(pOwner, bDisableIfNoHndler);
}

BOOL CPhotoImageWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if ((message == WM_LBUTTONDBLCLK || message == WM_RBUTTONUP) && GetParent()) {
        CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
        ClientToScreen(&pt);
        GetParent()->ScreenToClient(&pt);
        GetParent()->SendMessage(message, wParam, MAKELPARAM(pt.x, pt.y));
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    return CImageWnd::OnWndMsg(message, wParam, lParam, pResult);
}

BEGIN_MESSAGE_MAP(CPagePhotoes, CContactPropertyPage)
ON_COMMAND(ID_PHOTO_PREVIOUS, &CPagePhotoes::OnPrevious)
ON_COMMAND(ID_PHOTO_NEXT, &CPagePhotoes::OnNext)
ON_COMMAND(ID_PHOTO_ADD, &CPagePhotoes::OnAdd)
ON_COMMAND(ID_PHOTO_CHANGE, &CPagePhotoes::OnChange)
ON_COMMAND(ID_PHOTO_DELETE, &CPagePhotoes::OnDelete)
ON_COMMAND(ID_PHOTO_ACTUAL_SIZE, &CPagePhotoes::OnActualSize)
ON_COMMAND(ID_PHOTO_EDIT, &CPagePhotoes::OnEdit)
ON_UPDATE_COMMAND_UI(ID_PHOTO_DELETE, &CPagePhotoes::OnUpdateNeedsPhoto)
ON_UPDATE_COMMAND_UI(ID_PHOTO_PREVIOUS, &CPagePhotoes::OnUpdatePrevious)
ON_UPDATE_COMMAND_UI(ID_PHOTO_NEXT, &CPagePhotoes::OnUpdateNext)
ON_UPDATE_COMMAND_UI(ID_PHOTO_ACTUAL_SIZE, &CPagePhotoes::OnUpdateActualSize)
END_MESSAGE_MAP()

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
    CString missing;
    missing.LoadString(119);
    m_wndImage.SetEmptyText(missing);
    CreateToolBar();
    LayoutPage();
    m_bLoading = TRUE; // the photo loaded before the window was there
    ShowPhoto(m_nCurrent);
    m_bLoading = FALSE;
    return TRUE;
}

void CPagePhotoes::CreateToolBar() {
    if (m_toolImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 7, 5))
        for (UINT id : kToolIcons)
            if (HICON hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(id)))
                m_toolImages.Add(hIcon);
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT,
                            WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM | CBRS_TOOLTIPS,
                            CRect(0, 0, 0, 0), IDC_TOOLBAR))
        return;
    m_toolBar.SetOwner(this);
    m_toolBar.SetSizes(CSize(23, 22), CSize(16, 16));
    m_toolBar.SetButtons(kToolButtons, (int)std::size(kToolButtons));
    if (m_toolImages.GetSafeHandle())
        m_toolBar.GetToolBarCtrl().SetImageList(&m_toolImages);
}

BOOL CPagePhotoes::PreTranslateMessage(MSG* pMsg) {
    // The sheet is part of the form: a close request must not take the page away.
    if (pMsg->message == WM_CLOSE)
        return TRUE;
    return CWnd::PreTranslateMessage(pMsg);
}

void CPagePhotoes::ShowContextMenu(CWnd*, CPoint) {}

CString CPagePhotoes::GetAbsolutePath(int nIndex) const {
    if (nIndex < 0 || nIndex >= (int)m_photos.GetCount())
        return CString();
    return ConvertPhotoPath(m_photos.GetAt(m_photos.FindIndex(nIndex)), m_strDocumentPath, FALSE);
}

void CPagePhotoes::RefreshDocumentPath() {
    for (CWnd* pWnd = GetParent(); pWnd; pWnd = pWnd->GetParent())
        if (auto* pView = dynamic_cast<CView*>(pWnd)) {
            if (CDocument* pDoc = pView->GetDocument())
                m_strDocumentPath = pDoc->GetPathName();
            return;
        }
}

void CPagePhotoes::ExchangePhotos(CStringListEx& photos, BOOL bToPage) {
    if (bToPage) {
        RefreshDocumentPath();
        m_photos.RemoveAll();
        for (POSITION pos = photos.GetHeadPosition(); pos;)
            m_photos.AddTail(photos.GetNext(pos));
        m_nStoredCurrent = photos.GetCurrentIndex();
        int nShow = std::max(0, m_nStoredCurrent);
        if (nShow >= (int)m_photos.GetCount())
            nShow = (int)m_photos.GetCount() - 1;
        // Loading shows a photo without storing its index: the stored one stays as it was.
        m_bLoading = TRUE;
        ShowPhoto(nShow);
        m_bLoading = FALSE;
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
        if (m_wndImage.m_hWnd) {
            m_wndImage.Clear();
            m_wndImage.Invalidate(); // the last picture or its text goes too
        }
    } else {
        m_nCurrent = nIndex;
        if (m_wndImage.m_hWnd) {
            bLoaded = m_wndImage.LoadImage(GetAbsolutePath(nIndex));
            m_wndImage.UpdateScrollBars(TRUE);
            m_wndImage.Invalidate();
        }
    }
    UpdateTexts();
    UpdateToolBar();
    if (!m_bLoading)
        StoreCurrentIndex();
    return bLoaded;
}

void CPagePhotoes::StoreCurrentIndex() {
    // The photo the user went to is remembered at once, without a save of the other fields
    // and without marking the contact or its book changed.
    for (CWnd* pWnd = GetParent(); pWnd; pWnd = pWnd->GetParent())
        if (auto* pForm = dynamic_cast<CFormNamebook*>(pWnd)) {
            if (_CPerson* pPerson = pForm->GetPerson())
                pPerson->GetInfo().m_extra.SetCurrentIndex(m_nCurrent);
            return;
        }
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
    if (m_nCurrent < 0)
        return;
    CString question;
    question.LoadString(260);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_photos.RemoveAt(m_photos.FindIndex(m_nCurrent));
    ShowPhoto(std::min(m_nCurrent, (int)m_photos.GetCount() - 1));
    SetChanged(TRUE);
}

void CPagePhotoes::ChoosePhoto(BOOL bChange) {
    if (bChange && m_nCurrent < 0)
        return;
    CString path;
    if (ChoosePictureFile(this, m_nFilterIndex, path))
        AddPhoto(path, bChange);
}

void CPagePhotoes::OnActualSize() {
    if (m_nCurrent < 0 || !m_wndImage.m_hWnd)
        return;
    m_wndImage.SetImageStyle(IWS_FIT, (m_wndImage.GetImageStyle() & IWS_FIT) ? 0 : IWS_FIT);
    m_wndImage.Invalidate();
    m_wndImage.UpdateScrollBars(TRUE);
    UpdateTexts();
    UpdateToolBar();
}

void CPagePhotoes::OnEdit() {
    CDlgEditPhotoes dlg(m_photos, m_nCurrent, m_strDocumentPath, this);
    if (dlg.DoModal() != IDOK)
        return;
    const int nSelected = dlg.GetSelected();
    if (dlg.IsChanged()) {
        CopyList(m_photos, dlg.GetPhotos());
        SetChanged(TRUE);
    } else if (nSelected == m_nCurrent) {
        return;
    }
    ShowPhoto(nSelected < 0 ? 0 : nSelected);
}

void CPagePhotoes::OnUpdateNeedsPhoto(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nCurrent >= 0);
}

void CPagePhotoes::OnUpdatePrevious(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nCurrent > 0);
}

void CPagePhotoes::OnUpdateNext(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nCurrent < (int)m_photos.GetCount() - 1);
}

void CPagePhotoes::OnUpdateActualSize(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nCurrent >= 0);
    if (m_nCurrent < 0)
        pCmdUI->SetCheck(2);
    else
        pCmdUI->SetCheck(m_wndImage.m_hWnd && !(m_wndImage.GetImageStyle() & IWS_FIT) ? 1 : 0);
}

void CPagePhotoes::UpdateToolBar() {
    if (m_toolBar.m_hWnd)
        m_toolBar.UpdateButtonsFrom(this, TRUE);
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

BOOL CPagePhotoes::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_SIZE && m_initialized)
        LayoutPage();
    const CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
    if (message == WM_RBUTTONUP) {
        CPoint screen = pt;
        ClientToScreen(&screen);
        ShowNamedPopupMenu(IDR_CONTEXT_MENUS, kMenuName, screen, TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                           this);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    if (message == WM_INITMENUPOPUP) {
        if (CMenu* pMenu = CMenu::FromHandle((HMENU)wParam))
            UpdateMenuItemsUI(this, pMenu);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    if (message == WM_LBUTTONDBLCLK && m_nCurrent >= 0 && m_wndImage.m_hWnd) {
        CRect rc;
        m_wndImage.GetWindowRect(&rc);
        ScreenToClient(&rc);
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
    CRect client;
    GetClientRect(&client);
    CRect area = client;
    CRect reference;
    if (GetItemRect(kReferenceItem, &reference))
        area.top = reference.bottom + 2;
    area.bottom -= std::max(0, area.Height()) / 20;
    area.DeflateRect(2, 0);
    int nImageBottom = area.bottom;
    if (m_toolBar.m_hWnd) {
        const CSize size = m_toolBar.CalcFixedLayout(FALSE, TRUE);
        const int x = area.left + (area.Width() - size.cx) / 2;
        m_toolBar.SetWindowPos(nullptr, x, area.bottom - size.cy, size.cx, size.cy,
                               SWP_NOZORDER | SWP_NOACTIVATE);
        nImageBottom = area.bottom - size.cy - 2;
    }
    m_wndImage.SetWindowPos(nullptr, area.left, area.top, area.Width(),
                            std::max(0, nImageBottom - area.top), SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndImage.UpdateScrollBars(TRUE);
    UpdateTexts();
}
