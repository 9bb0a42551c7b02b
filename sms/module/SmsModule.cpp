#include "sms/module/SmsModule.h"

#include "contacts/Person.h"
#include "contacts/ui/LeftView.h"
#include "platform/base/OsPath.h"
#include "platform/gui/DocTemplate.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"
#include "sms/ui/PersonalBoxActions.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/Sender.h"
#include "sms/ui/SmsRecordViews.h"
#include "contacts/ui/ViewPerson.h"
#include "sms/ui/SenderForm.h"
#include "sms/ui/SendersView.h"

namespace {
// The contacts' pictures for the batch list, made once with the program's first form.
CImageList& ContactImages() {
    static CImageList s_images;
    if (s_images.GetSafeHandle() == nullptr)
        MakeContactImages(s_images, 16);
    return s_images;
}
} // namespace

void CSmsModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindFixed, 2,
                                       RUNTIME_CLASS(CEditSmsForm));
    // A contact's boxes and a sender's boxes list their messages over the focused one's text;
    // a contact's details show its message records and the content pane.
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindAddressBook, CLeftView::ViewSplitter,
                                       RUNTIME_CLASS(CSplitterView));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindSenders, CSendersView::ViewBox,
                                       RUNTIME_CLASS(CSplitterView));
    CViewPerson::SetPaneClasses(RUNTIME_CLASS(CViewSmsRecord), RUNTIME_CLASS(CFormContent));
    SetSmsComposeHost(this);
    SetSmsListHost(this);
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindSenders, CSendersView::ViewAccount,
                                       RUNTIME_CLASS(CSenderForm));
    CSenderForm::StartupListUpdater() = [](const CString& path, BOOL bListed) {
        CSmsApp* pApp = AfxGetSmsApp();
        if (pApp == nullptr)
            return;
        CFileListOptions& options = pApp->m_options.m_sender;
        CStringList& list = options.m_fileList;
        POSITION found = nullptr;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr && found == nullptr;) {
            POSITION at = pos;
            if (IsSameProgramPath(list.GetNext(pos), path))
                found = at;
        }
        // An account the user wants loaded at start is loaded: its tick also turns on the
        // opening of the listed sender files, which is off until then.
        const BOOL bSwitchOn = bListed && !options.m_bAutoLoadFile;
        if (bListed && found == nullptr)
            list.AddTail(path);
        else if (!bListed && found != nullptr)
            list.RemoveAt(found);
        else if (!bSwitchOn)
            return;
        if (bSwitchOn)
            options.m_bAutoLoadFile = TRUE;
        options.SaveFileList();
    };
    static CPersonalBoxActions s_boxActions;
    CLeftView::PersonalBoxActions() = &s_boxActions;
    CLeftView::SmsToContact() = [](_CPerson* pPerson, CDocument* pDoc) {
        CPersonSmsManager manager(pPerson, pDoc);
        return manager.SendSmsToPerson();
    };
}

CRuntimeClass* CSmsModule::GetFolderClass() const {
    return RUNTIME_CLASS(CSendersView);
}

void CSmsModule::ConnectFrame(CMainFrame* pFrame) {
    m_hTree = nullptr;
    m_hSenders = nullptr;
    if (pFrame != nullptr && pFrame->GetRightPane() != nullptr)
        if (CWnd* pTree = pFrame->GetRightPane()->GetFolderWnd(0))
            m_hTree = pTree->GetSafeHwnd();
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    auto* pSenders = dynamic_cast<CSendersView*>(pFrame->GetOutbar()->GetFolderWnd(FolderSms));
    if (pSenders == nullptr)
        return;
    pSenders->m_pRightPane = pFrame->GetRightPane();
    m_hSenders = pSenders->GetSafeHwnd();
}

CSendersView* CSmsModule::GetSendersTree() const {
    return m_hSenders != nullptr && ::IsWindow(m_hSenders)
               ? dynamic_cast<CSendersView*>(CWnd::FromHandle(m_hSenders))
               : nullptr;
}

CDocument* CSmsModule::OpenFile(CMainFrame*, LPCTSTR lpszPath, const CString&) {
    CSendersView* pTree = GetSendersTree();
    return pTree != nullptr ? pTree->OpenSenderFile(lpszPath, FALSE) : nullptr;
}

BOOL CSmsModule::CloseFiles(CMainFrame*) {
    CSendersView* pTree = GetSendersTree();
    return pTree == nullptr || pTree->CloseAllFiles();
}

std::vector<CString> CSmsModule::GetOpenFiles(const CString&) const {
    std::vector<CString> files;
    if (CSendersView* pTree = GetSendersTree()) {
        CStringList list;
        pTree->GetOpenFiles(list, TRUE);
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            files.push_back(list.GetNext(pos));
    }
    return files;
}

void CSmsModule::OnPresetFilesChanged(const CString&) {
    CSendersView* pTree = GetSendersTree();
    CSmsApp* pApp = AfxGetSmsApp();
    if (pTree != nullptr && pApp != nullptr)
        pTree->RefreshAccountFlags(pApp->m_options.m_sender.m_bAutoLoadFile,
                                   pApp->m_options.m_sender.m_fileList);
}

int CSmsModule::FileNewMessages(CMainFrame*, void* pAccount, _CSmsBox* pBox) {
    CSendersView* pTree = GetSendersTree();
    return pTree != nullptr ? pTree->FileNewMessages(static_cast<_CSender*>(pAccount), pBox) : 0;
}

void CSmsModule::OnExit(CSmsApp* pApp) {
    if (pApp != nullptr)
        pApp->GetCommHost().SetActiveSender(nullptr);
    if (GetSmsComposeHost() == this)
        SetSmsComposeHost(nullptr);
    CLeftView::SmsToContact() = nullptr;
    CLeftView::PersonalBoxActions() = nullptr;
    if (GetSmsListHost() == this)
        SetSmsListHost(nullptr);
    CViewPerson::SetPaneClasses(nullptr, nullptr);
    m_clipboard.DeleteAllSms();
    CSenderForm::StartupListUpdater() = nullptr;
}

namespace {
CRightPaneFrame* RightPane() {
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    return pFrame != nullptr ? pFrame->GetRightPane() : nullptr;
}
} // namespace

CEditSmsForm* CSmsModule::OpenComposeForm(CDocument* pDoc, CWnd* pSource) {
    CRightPaneFrame* pPane = RightPane();
    if (pPane == nullptr ||
        !pPane->OpenSmsEditor(pDoc, CEditSmsForm::ModeNew, pSource, 0, 0))
        return nullptr;
    return dynamic_cast<CEditSmsForm*>(pPane->GetView(2, CRightPaneFrame::KindFixed));
}

BOOL CSmsModule::EditCurrentSms(CDocument* pDoc, CWnd* pSource) {
    CRightPaneFrame* pPane = RightPane();
    return pPane != nullptr &&
           pPane->OpenSmsEditor(pDoc, CEditSmsForm::ModeEditExisting, pSource, 0, 0);
}

CMsgAccountBase* CSmsModule::GetCurrentSender() {
    // The account selected in the senders tree; with none selected, the active one.
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    CMsgAccountBase* pAccount = pFrame != nullptr ? pFrame->GetCurrentSender() : nullptr;
    return pAccount != nullptr ? pAccount : GetActiveSender();
}

CDocTemplate* CSmsModule::CreateDocTemplate() {
    return new CMultiDocTemplate(82, RUNTIME_CLASS(CSenderTreeDoc), nullptr,
                                 RUNTIME_CLASS(CSendersView));
}

BOOL CSmsModule::CanClose(CString& reason) {
    CSendersView* pTree = GetSendersTree();
    if (pTree == nullptr || pTree->GetBusy() != 3)
        return TRUE;
    reason = pTree->GetPaneMode() == CSendersView::PaneWriting
                 ? "正在编写短信，请先发送、保存或放弃后再关闭！"
                 : "正在编辑发信人帐户，请先确认或取消修改后再关闭！";
    return FALSE;
}

_CSender* CSmsModule::GetActiveSender() {
    CSmsApp* pApp = AfxGetSmsApp();
    return pApp != nullptr ? pApp->GetCommHost().GetActiveSender() : nullptr;
}

void CSmsModule::SetActiveSender(_CSender* pAccount) {
    if (CSmsApp* pApp = AfxGetSmsApp())
        pApp->GetCommHost().SetActiveSender(pAccount);
}

CCommDevice* CSmsModule::GetCommDevice() {
    CSmsApp* pApp = AfxGetSmsApp();
    return pApp != nullptr ? &pApp->GetCommDevice() : nullptr;
}

void CSmsModule::OnSmsWritten(_CSender* pAccount) {
    if (CSendersView* pTree = GetSendersTree())
        pTree->OnSmsWritten(pAccount);
}

void CSmsModule::ShowWriting(BOOL bWriting) {
    if (auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd()))
        pFrame->SetTitleNote(bWriting ? "正在撰写短信" : "");
}

CWnd* CSmsModule::GetPickTree() {
    return m_hTree != nullptr && ::IsWindow(m_hTree) ? CWnd::FromHandle(m_hTree) : nullptr;
}

CImageList* CSmsModule::GetContactImages() {
    return &ContactImages();
}

int CSmsModule::GetContactImage(_CPerson* pPerson) {
    if (pPerson == nullptr)
        return -1;
    int nImage = 0, nSelected = 0;
    CLeftView::ContactImages(pPerson->GetInfo().m_personal.nSex, nImage, nSelected);
    return nImage;
}

void RegisterSmsModule() {
    static CSmsModule s_module;
    AfxRegisterShellModule(&s_module);
}
