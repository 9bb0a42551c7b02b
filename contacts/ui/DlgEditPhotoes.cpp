#include "contacts/ui/DlgEditPhotoes.h"

#include "core/FileUtil.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "ui/BkManager.h"

#include <vector>

namespace {
// The file dialog of the editor starts where the last one in the program ended.
int g_nEditorFilterIndex = -1;

std::vector<CString> PictureSuffixes() {
    // The all-pictures entry: "name|*.a;*.b;...|".
    const CString filter = GetPictureFilter();
    const int start = filter.Find('|') + 1;
    const int end = filter.Find('|', start);
    std::vector<CString> out;
    CString patterns = end > start ? filter.Mid(start, end - start) : CString();
    for (int i = 0; i >= 0;) {
        const int next = patterns.Find(';', i);
        CString one = next < 0 ? patterns.Mid(i) : patterns.Mid(i, next - i);
        i = next < 0 ? -1 : next + 1;
        if (one.Left(1) == "*")
            one = one.Mid(1);
        one.MakeLower();
        if (one.GetLength() > 1 && one[0] == '.')
            out.push_back(one);
    }
    return out;
}
} // namespace

CString ConvertPhotoPath(const CString& path, const CString& documentPath, BOOL bRelative) {
    CString out = path;
    if (documentPath.IsEmpty() || (IsRelativePath(path) != FALSE) == (bRelative != FALSE))
        return out;
    BOOL bDone = bRelative ? MakeRelativePath(out, documentPath, TRUE)
                           : ResolveRelativePath(out, documentPath, TRUE);
    return bDone ? out : path;
}

CString GetPictureFilter() {
    return CBkManager::ImageFileFilter();
}

BOOL IsPictureFile(LPCTSTR lpszPath) {
    static const std::vector<CString> suffixes = PictureSuffixes();
    CString path(lpszPath ? lpszPath : "");
    path.MakeLower();
    const int nameStart = FindLastPathSeparator(path) + 1;
    for (const CString& suffix : suffixes)
        if (path.GetLength() - nameStart > suffix.GetLength() &&
            path.Right(suffix.GetLength()) == suffix)
            return TRUE;
    return FALSE;
}

BOOL ChoosePictureFile(CWnd* pParent, int& nFilterIndex, CString& path) {
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                    GetPictureFilter(), pParent);
    if (nFilterIndex > 0)
        dlg.m_ofn.nFilterIndex = (DWORD)nFilterIndex;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    nFilterIndex = (int)dlg.m_ofn.nFilterIndex;
    path = dlg.GetPathName();
    return TRUE;
}

BEGIN_MESSAGE_MAP(CDlgEditPhotoes, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgEditPhotoes::CDlgEditPhotoes(const CStringList& photos, int nSelected, LPCTSTR lpszDocumentPath,
                                 CWnd* pParent)
    : CDialog(IDD, pParent), m_strDocumentPath(lpszDocumentPath ? lpszDocumentPath : "") {
    for (POSITION pos = photos.GetHeadPosition(); pos;)
        m_photos.AddTail(photos.GetNext(pos));
    m_nSelected = nSelected >= 0 && nSelected < (int)m_photos.GetCount() ? nSelected : -1;
}

CDlgEditPhotoes::~CDlgEditPhotoes() = default;

CString CDlgEditPhotoes::Absolute(const CString& path) const {
    return ConvertPhotoPath(path, m_strDocumentPath, FALSE);
}

CString CDlgEditPhotoes::EnteredPath() const {
    CString text;
    GetDlgItemText(IDC_PATH, text);
    text.Trim();
    return text;
}

BOOL CDlgEditPhotoes::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_LIST, this);
    // The template made the list box before it was ours: its rows take the thumbnails' height.
    m_list.SetItemHeight(0, (UINT)m_list.m_itemHeight);
    {
        CWaitCursor wait;
        for (POSITION pos = m_photos.GetHeadPosition(); pos;)
            m_list.AddImage(Absolute(m_photos.GetNext(pos)));
    }
    CheckRadioButton(IDC_ABSOLUTE, IDC_RELATIVE, m_nPathForm ? IDC_RELATIVE : IDC_ABSOLUTE);
    Select(m_nSelected);
    return TRUE;
}

void CDlgEditPhotoes::Select(int nIndex) {
    m_list.SetCurSel(nIndex);
    ShowSelection();
}

void CDlgEditPhotoes::ShowSelection() {
    m_nSelected = m_list.GetCurSel();
    if (m_nSelected < 0 || m_nSelected >= (int)m_photos.GetCount()) {
        m_nSelected = -1;
        m_bStoredRelative = FALSE;
        SetDlgItemText(IDC_STORED, "");
        SetDlgItemText(IDC_PATH, "");
    } else {
        const CString stored = m_photos.GetAt(m_photos.FindIndex(m_nSelected));
        m_bStoredRelative = IsRelativePath(stored);
        SetDlgItemText(IDC_STORED, stored);
        SetDlgItemText(IDC_PATH, ConvertPhotoPath(stored, m_strDocumentPath, m_nPathForm == 1));
    }
    if (CWnd* pStored = GetDlgItem(IDC_STORED))
        pStored->Invalidate();
    UpdateControls();
}

void CDlgEditPhotoes::SetPathForm(int nForm) {
    if (nForm == m_nPathForm)
        return;
    m_nPathForm = nForm;
    SetDlgItemText(IDC_PATH, ConvertPhotoPath(EnteredPath(), m_strDocumentPath, nForm == 1));
}

void CDlgEditPhotoes::Insert(BOOL bAfter) {
    const CString path = EnteredPath();
    if (path.IsEmpty())
        return;
    const int nCount = (int)m_photos.GetCount();
    int nAt = m_nSelected < 0 ? (bAfter ? nCount : 0) : m_nSelected + (bAfter ? 1 : 0);
    if (nAt >= nCount) {
        m_photos.AddTail(path);
        m_list.AddImage(Absolute(path));
        nAt = nCount;
    } else {
        m_photos.InsertBefore(m_photos.FindIndex(nAt), path);
        m_list.InsertImage(nAt, Absolute(path));
    }
    m_bChanged = TRUE;
    Select(nAt);
}

void CDlgEditPhotoes::Modify() {
    const CString path = EnteredPath();
    if (m_nSelected < 0 || path.IsEmpty())
        return;
    const int nAt = m_nSelected;
    m_photos.SetAt(m_photos.FindIndex(nAt), path);
    m_list.ReplaceImage(nAt, Absolute(path));
    m_bChanged = TRUE;
    Select(nAt);
}

void CDlgEditPhotoes::Delete() {
    if (m_nSelected < 0)
        return;
    const int nAt = m_nSelected;
    m_photos.RemoveAt(m_photos.FindIndex(nAt));
    m_list.DeleteImage(nAt);
    m_bChanged = TRUE;
    Select(std::min(nAt, (int)m_photos.GetCount() - 1));
}

void CDlgEditPhotoes::DeleteAll() {
    if (m_photos.IsEmpty())
        return;
    CString question;
    question.LoadString(910);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_photos.RemoveAll();
    m_list.ResetContent();
    m_bChanged = TRUE;
    Select(-1);
}

void CDlgEditPhotoes::Move(BOOL bDown) {
    const int nFrom = m_nSelected;
    const int nTo = nFrom + (bDown ? 1 : -1);
    if (nFrom < 0 || nTo < 0 || nTo >= (int)m_photos.GetCount())
        return;
    POSITION pos = m_photos.FindIndex(nFrom);
    const CString path = m_photos.GetAt(pos);
    m_photos.RemoveAt(pos);
    if (nTo >= (int)m_photos.GetCount())
        m_photos.AddTail(path);
    else
        m_photos.InsertBefore(m_photos.FindIndex(nTo), path);
    m_list.DeleteImage(nFrom);
    if (nTo >= m_list.GetCount())
        m_list.AddImage(Absolute(path));
    else
        m_list.InsertImage(nTo, Absolute(path));
    m_bChanged = TRUE;
    Select(nTo);
}

void CDlgEditPhotoes::ConvertAll(BOOL bRelative) {
    for (POSITION pos = m_photos.GetHeadPosition(); pos;) {
        POSITION at = pos;
        const CString path = m_photos.GetNext(pos);
        m_photos.SetAt(at, ConvertPhotoPath(path, m_strDocumentPath, bRelative));
    }
    m_bChanged = TRUE;
    // The path shown takes the form every stored path has now.
    m_nPathForm = bRelative ? 1 : 0;
    CheckRadioButton(IDC_ABSOLUTE, IDC_RELATIVE, bRelative ? IDC_RELATIVE : IDC_ABSOLUTE);
    Select(m_nSelected);
}

void CDlgEditPhotoes::OpenFolder() {
    const CString path = Absolute(EnteredPath());
    CFileStatus status;
    if (path.IsEmpty() || !CFile::GetStatus(path, status)) {
        CString text;
        text.LoadString(119);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The folder, never the file: a stored path may name a program.
    ShellExecute(m_hWnd, "open", GetParentDirectory(path), nullptr, nullptr, SW_SHOWNORMAL);
}

void CDlgEditPhotoes::UpdateControls() {
    const int nCount = (int)m_photos.GetCount();
    const struct {
        UINT id;
        BOOL enable;
    } states[] = {
        {IDOK, m_bChanged},
        {IDC_DELETE_ALL, nCount > 0},
        {IDC_ALL_ABSOLUTE, nCount > 0},
        {IDC_ALL_RELATIVE, nCount > 0},
        {IDC_MODIFY, m_nSelected >= 0},
        {IDC_DELETE, m_nSelected >= 0},
        {IDC_UP, m_nSelected > 0},
        {IDC_DOWN, m_nSelected >= 0 && m_nSelected < nCount - 1},
    };
    for (const auto& s : states)
        if (CWnd* pItem = GetDlgItem(s.id))
            pItem->EnableWindow(s.enable);
}

BOOL CDlgEditPhotoes::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    if (nID == IDC_LIST) {
        if (nCode == LBN_SELCHANGE)
            ShowSelection();
        return TRUE;
    }
    if (nCode != BN_CLICKED)
        return CDialog::OnCommand(wParam, lParam);
    switch (nID) {
    case IDC_ABSOLUTE:
    case IDC_RELATIVE:
        SetPathForm(nID == IDC_RELATIVE ? 1 : 0);
        return TRUE;
    case IDC_CHOOSE: {
        CString path;
        if (ChoosePictureFile(this, g_nEditorFilterIndex, path))
            SetDlgItemText(IDC_PATH, ConvertPhotoPath(path, m_strDocumentPath, m_nPathForm == 1));
        return TRUE;
    }
    case IDC_OPEN_FOLDER:
        OpenFolder();
        return TRUE;
    case IDC_INSERT_BEFORE:
    case IDC_INSERT_AFTER:
        Insert(nID == IDC_INSERT_AFTER);
        return TRUE;
    case IDC_MODIFY:
        Modify();
        return TRUE;
    case IDC_DELETE:
        Delete();
        return TRUE;
    case IDC_DELETE_ALL:
        DeleteAll();
        return TRUE;
    case IDC_UP:
    case IDC_DOWN:
        Move(nID == IDC_DOWN);
        return TRUE;
    case IDC_ALL_ABSOLUTE:
    case IDC_ALL_RELATIVE:
        ConvertAll(nID == IDC_ALL_RELATIVE);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

HBRUSH CDlgEditPhotoes::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_STORED && m_bStoredRelative) {
        pDC->SetTextColor(RGB(0, 0, 255));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}
