#include "contacts/module/ContactsModule.h"

#include "contacts/module/ViewGroup.h"
#include "contacts/ui/DlgBirthdayRemind.h"
#include "contacts/ui/FormNamebook.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PagePerson.h"
#include "contacts/ui/ViewInvalidVirtualItem.h"
#include "contacts/ui/ViewPerson.h"
#include "contacts/ui/ViewPersonList.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"

namespace {
// The main window's command that brings up the address book.
const UINT kSwitchToAddressBook = 32833;
} // namespace

CRuntimeClass* CContactsModule::GetFolderClass() const {
    return RUNTIME_CLASS(CLeftView);
}

void CContactsModule::RegisterViews() {
    // The book views join here as they are built; a view without a class shows nothing.
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, CLeftView::ViewPersonList,
                                       RUNTIME_CLASS(CViewPersonList));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, CLeftView::ViewForm,
                                       RUNTIME_CLASS(CFormNamebook));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, CLeftView::ViewPerson,
                                       RUNTIME_CLASS(CViewPerson));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, CLeftView::ViewGroup,
                                       RUNTIME_CLASS(CViewGroup));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook,
                                       CLeftView::ViewInvalidVirtual,
                                       RUNTIME_CLASS(CViewInvalidVirtualItem));
    if (CSmsApp* pApp = AfxGetSmsApp()) {
        CViewPersonList::SetSharedColumnSettings(
            &pApp->m_options.m_namebook.m_fieldList, &pApp->m_options.m_namebook.m_fieldWidths,
            [pApp] { pApp->m_options.m_namebook.SaveFieldList(); });
        // Image i of the program's small list is face i (0 the empty picture).
        CPagePerson::SetSharedHeadImages(&pApp->m_imageList16);
        CNamebookOptions& namebook = pApp->m_options.m_namebook;
        CDlgBirthdayRemind::CSettings settings;
        settings.pDays = &namebook.m_nBirthdayRemindDays;
        settings.pAutoRemind = &namebook.m_bAutoRemindBirthday;
        settings.pMode = &namebook.m_nBirthdayRemindMode;
        settings.save = [pApp] { pApp->m_options.m_namebook.Save(); };
        CDlgBirthdayRemind::SetSharedSettings(settings);
    }
}

void CContactsModule::OnExit(CSmsApp*) {
    // The settings go with the application; the list has stored its columns into them.
    CViewPersonList::SetSharedColumnSettings(nullptr, nullptr);
    CPagePerson::SetSharedHeadImages(nullptr);
    CDlgBirthdayRemind::SetSharedSettings({});
}

void CContactsModule::OnStartup(CSmsApp* pApp) {
    CLeftView* pTree = GetTree();
    if (pApp == nullptr || pTree == nullptr || !pApp->m_options.m_namebook.m_bAutoRemindBirthday ||
        pTree->GetFileCount() == 0)
        return;
    if (CWnd* pMain = pTree->GetTopLevelFrame())
        pMain->SendMessage(WM_COMMAND, kSwitchToAddressBook);
    pTree->RemindBirthdays(nullptr, TRUE);
}

CLeftView* CContactsModule::GetTree() const {
    // The tree goes with its window: a handle that is no window any more finds nothing.
    return m_hTree != nullptr && ::IsWindow(m_hTree)
               ? dynamic_cast<CLeftView*>(CWnd::FromHandle(m_hTree))
               : nullptr;
}

void CContactsModule::ConnectFrame(CMainFrame* pFrame) {
    m_hTree = nullptr;
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    auto* pTree = dynamic_cast<CLeftView*>(pFrame->GetOutbar()->GetFolderWnd(FolderAddressBook));
    if (pTree == nullptr)
        return;
    pTree->m_pRightPane = pFrame->GetRightPane();
    // The birthdays of the open books show in the calendar.
    pFrame->GetCalendarExtInfoManager()->AddExtInfo(pTree);
    m_hTree = pTree->GetSafeHwnd();
}

CDocument* CContactsModule::OpenFile(CMainFrame*, LPCTSTR lpszPath, const CString& ext) {
    CLeftView* pTree = GetTree();
    if (pTree != nullptr && ext.CompareNoCase(".psn") == 0)
        return pTree->AddContactFromFile(lpszPath); // a contact card joins the current group
    return pTree != nullptr ? pTree->OpenFile(lpszPath, FALSE) : nullptr;
}

std::vector<CString> CContactsModule::GetOpenFiles(const CString& ext) const {
    std::vector<CString> paths;
    CLeftView* pTree = GetTree();
    if (pTree == nullptr || ext.CompareNoCase(".sms") != 0)
        return paths;
    for (int i = 0; i < pTree->GetFileCount(); ++i) {
        CGroupTreeView::CFileInfo* pInfo = pTree->GetFileAt(i);
        CString path = pInfo->pDoc != nullptr ? pInfo->pDoc->GetPathName() : CString();
        if (!path.IsEmpty())
            paths.push_back(path);
    }
    return paths;
}

BOOL CContactsModule::CloseFiles(CMainFrame*) {
    CLeftView* pTree = GetTree();
    return pTree == nullptr || pTree->CloseAllFiles();
}

void RegisterContactsModule() {
    static CContactsModule s_module;
    AfxRegisterShellModule(&s_module);
}
