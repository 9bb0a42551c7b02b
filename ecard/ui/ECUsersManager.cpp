#include "ecard/ui/ECUsersManager.h"

#include "core/FileUtil.h"
#include "ecard/ECRequest.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "ecard/ui/ECDlgLogin.h"
#include "ecard/ui/ECFrame.h"
#include "ecard/ui/ECWizardRegister.h"
#include "platform/base/File.h"
#include "platform/base/Profile.h"
#include "platform/base/Sync.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"

#include <algorithm>

namespace {

const char kSection[] = "ECard";
const char kAutoShowLogin[] = "AutoShowLogin";

// A document that reads the user file without telling anybody when it cannot: the password
// check answers "unreadable" instead.
class CQuietECUserDoc : public CECUserDoc {
public:
    void ReportSaveLoadException(LPCTSTR, CException*, BOOL, UINT) override {}
};

// Moves a new user window down and to the right, one title bar at a time, while an open one has
// its corner in the same place: centred like the first, it would lie exactly over it and hide
// that another user is logged in. The window stays in the work area where it fits; one larger
// than the work area still takes a few steps, its corner and title bar on the screen. Past that
// it starts again at the work area's top left corner.
void PlaceClearOfOpenWindows(CWnd* pFrame, const CPtrArray& windows) {
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME);
    const int kStepsOverEdge = 8;
    CRect work, rect;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    pFrame->GetWindowRect(&rect);
    const CPoint last(std::max(work.right - rect.Width(), work.left + kStepsOverEdge * step),
                      std::max(work.bottom - rect.Height(), work.top + kStepsOverEdge * step));
    auto taken = [&windows](const CPoint& corner) {
        for (INT_PTR i = 0; i < windows.GetSize(); ++i) {
            CRect other;
            static_cast<CWnd*>(windows[i])->GetWindowRect(&other);
            if (other.TopLeft() == corner)
                return true;
        }
        return false;
    };
    CPoint corner = rect.TopLeft();
    // Each open window can push the new one one step at most.
    for (INT_PTR tries = 0; tries <= windows.GetSize() && taken(corner); ++tries) {
        corner.Offset(step, step);
        if (corner.x > last.x || corner.y > last.y)
            corner = work.TopLeft();
    }
    if (corner != rect.TopLeft())
        pFrame->SetWindowPos(nullptr, corner.x, corner.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

UINT ParseECUserNumber(const CString& text) {
    return ParseECUserFolderName(text);
}

CECUsersManager::CECUsersManager() = default;

CECUsersManager::~CECUsersManager() {
    CloseAll();
}

int CECUsersManager::LoadAutoShowLogin() {
    m_bAutoShowLogin = (int)CProfileStore().GetProfileInt(kSection, kAutoShowLogin, m_bAutoShowLogin);
    return m_bAutoShowLogin;
}

void CECUsersManager::SaveAutoShowLogin() {
    CProfileStore().WriteProfileInt(kSection, kAutoShowLogin, m_bAutoShowLogin);
}

void CECUsersManager::ShowLoginDialog(CWnd* pParent) {
    static bool s_bRunning = false;
    if (s_bRunning)
        return;
    s_bRunning = true;
    for (;;) {
        CECDlgLogin dlg(this, pParent);
        const INT_PTR nResult = dlg.DoModal();
        if (nResult == IDOK) {
            OpenUserWindow(dlg.GetUserNumber(), nullptr);
            break;
        }
        if (nResult != CECDlgLogin::IDC_NEW_USER)
            break;
        CECWizardRegister wizard("新用户注册", pParent);
        if (wizard.DoModal() == ID_WIZFINISH && wizard.IsLoginAfterFinish()) {
            const SECAccount& account = wizard.GetAccount();
            CreateDirectoryPath(GetECUserFolder(account.m_nUid), 4);
            OpenUserWindow(account.m_nUid, &account);
            break;
        }
    }
    s_bRunning = false;
}

BOOL CECUsersManager::OpenUserWindow(UINT nUid, const SECAccount* pAccount) {
    if (nUid == 0 || IsUserOpen(nUid))
        return FALSE;
    const CString path = GetECUserFilePath(nUid);
    auto* pDoc = new CECUserDoc;
    pDoc->m_bAutoDelete = FALSE;
    BOOL bLoadFailed = FALSE;
    CFileStatus status;
    if (CFile::GetStatus(path, status)) {
        if (!pDoc->OnOpenDocument(path)) {
            // The window saves its user at close: it must never write over a file that could
            // not be read, so the file goes aside first, or the window does not save at all.
            bLoadFailed = !SetAsideDamagedFile(nUid);
            if (pAccount != nullptr)
                pDoc->GetUser().GetAccount() = *pAccount;
        }
    } else if (pAccount != nullptr) {
        pDoc->GetUser().GetAccount() = *pAccount;
    }
    pDoc->GetUser().SetUserNumber(nUid);
    CString title;
    title.Format("%u", nUid);
    pDoc->SetTitle(title);
    pDoc->SetPathName(path, FALSE);
    pDoc->SetTitle(title);

    auto* pFrame = new CECFrame(this, pDoc);
    pFrame->m_bSaveOnClose = FALSE; // nothing is written for a window that never opened
    // A frame that fails goes with its window, the document with it.
    if (!AfxCreateFrameSafely(pFrame, CECFrame::IDR_ECFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                              nullptr, nullptr))
        return FALSE;
    pFrame->m_bSaveOnClose = !bLoadFailed;
    // A size that shows the tree and the right pane side by side, over the program's window.
    pFrame->SetWindowPos(nullptr, 0, 0, 820, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pFrame->CenterWindow(AfxGetMainWnd());
    PlaceClearOfOpenWindows(pFrame, m_windows);
    pFrame->ShowWindow(SW_SHOW);
    // The tree opens with its root selected, so the right pane lists the groups instead of
    // showing an empty list until the user clicks an item.
    if (CECContactsTreeView* pTree = pFrame->GetTree())
        if (pTree->GetTreeCtrl().GetSelectedItem() == nullptr)
            pTree->SendMessage(WM_USER + 400, 0, 0);
    pFrame->UpdateWindow();
    m_windows.Add(pFrame);
    return TRUE;
}

CECFrame* CECUsersManager::FindUserWindow(UINT nUid) const {
    for (INT_PTR i = 0; i < m_windows.GetSize(); ++i) {
        auto* pFrame = static_cast<CECFrame*>(m_windows[i]);
        if (pFrame->GetUserNumber() == nUid)
            return pFrame;
    }
    return nullptr;
}

CECFrame* CECUsersManager::GetWindow(int i) const {
    return i >= 0 && i < m_windows.GetSize() ? static_cast<CECFrame*>(m_windows[i]) : nullptr;
}

void CECUsersManager::RemoveWindow(CECFrame* pFrame) {
    for (INT_PTR i = 0; i < m_windows.GetSize(); ++i)
        if (m_windows[i] == pFrame) {
            m_windows.RemoveAt(i);
            return;
        }
}

BOOL CECUsersManager::CanCloseAll(CString* pMessage) const {
    for (INT_PTR i = 0; i < m_windows.GetSize(); ++i)
        if (static_cast<CECFrame*>(m_windows[i])->IsBusy()) {
            if (pMessage != nullptr)
                *pMessage = "电子名片窗口正在与服务器通信，请稍候再关闭程序！";
            return FALSE;
        }
    return TRUE;
}

void CECUsersManager::CloseAll() {
    while (m_windows.GetSize() > 0) {
        auto* pFrame = static_cast<CECFrame*>(m_windows[0]);
        m_windows.RemoveAt(0);
        if (pFrame->GetSafeHwnd() != nullptr)
            pFrame->DestroyWindow();
    }
    SaveAutoShowLogin();
}

BOOL CECUsersManager::DeleteLocalUser(UINT nUid) {
    if (nUid == 0)
        return FALSE;
    return DeleteDirectory(GetECUserFolder(nUid));
}

int CECUsersManager::CheckUserPassword(UINT nUid, LPCTSTR lpszPassword, BOOL bOnline) {
    if (bOnline)
        return CheckECPassword(nUid, lpszPassword);
    const CString path = GetECUserFilePath(nUid);
    CFileStatus status;
    if (!CFile::GetStatus(path, status))
        return EC_PASSWORD_NO_FILE;
    CQuietECUserDoc doc;
    if (!doc.OnOpenDocument(path))
        return EC_PASSWORD_UNREADABLE;
    return doc.GetUser().GetAccount().m_strPassword == (lpszPassword != nullptr ? lpszPassword : "")
               ? EC_PASSWORD_OK
               : EC_PASSWORD_DIFFERS;
}

BOOL CECUsersManager::SetAsideDamagedFile(UINT nUid) {
    const CString path = GetECUserFilePath(nUid);
    const CString kept = path + ".bad";
    try {
        CFileStatus status;
        if (CFile::GetStatus(kept, status))
            CFile::Remove(kept);
        CFile::Rename(path, kept);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    CString text;
    text.Format("用户%u的资料文件已损坏，无法读取。原文件已保留为\"%s\"。", nUid, (LPCTSTR)kept);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    return TRUE;
}

CString CECUsersManager::GetUserLockName(UINT nUid) {
    CString name;
    name.Format("Quillmar-ECardUser-%u", nUid);
    return name;
}

BOOL CECUsersManager::IsUserLockedElsewhere(UINT nUid) {
    HANDLE h = CreateMutex(nullptr, FALSE, GetUserLockName(nUid));
    if (h == nullptr)
        return FALSE;
    const BOOL bExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    return bExisted;
}
