#include "sms/module/SmsModule.h"

#include "contacts/Person.h"
#include "contacts/ui/LeftView.h"
#include "shell/MainFrm.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/EditSmsForm.h"
#include "sms/Sender.h"
#include "sms/ui/SmsRecordViews.h"
#include "contacts/ui/ViewPerson.h"

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
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindSenders, 2,
                                       RUNTIME_CLASS(CSplitterView));
    CViewPerson::SetPaneClasses(RUNTIME_CLASS(CViewSmsRecord), RUNTIME_CLASS(CFormContent));
    SetSmsComposeHost(this);
    SetSmsListHost(this);
    CLeftView::SmsToContact() = [](_CPerson* pPerson, CDocument* pDoc) {
        CPersonSmsManager manager(pPerson, pDoc);
        return manager.SendSmsToPerson();
    };
}

void CSmsModule::ConnectFrame(CMainFrame* pFrame) {
    m_hTree = nullptr;
    if (pFrame != nullptr && pFrame->GetRightPane() != nullptr)
        if (CWnd* pTree = pFrame->GetRightPane()->GetFolderWnd(0))
            m_hTree = pTree->GetSafeHwnd();
}

void CSmsModule::OnExit(CSmsApp*) {
    if (GetSmsComposeHost() == this)
        SetSmsComposeHost(nullptr);
    CLeftView::SmsToContact() = nullptr;
    if (GetSmsListHost() == this)
        SetSmsListHost(nullptr);
    CViewPerson::SetPaneClasses(nullptr, nullptr);
    m_clipboard.DeleteAllSms();
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
    return GetActiveSender();
}

_CSender* CSmsModule::GetActiveSender() {
    CSmsApp* pApp = AfxGetSmsApp();
    return pApp != nullptr ? pApp->GetCommHost().GetActiveSender() : nullptr;
}

CCommDevice* CSmsModule::GetCommDevice() {
    CSmsApp* pApp = AfxGetSmsApp();
    return pApp != nullptr ? &pApp->GetCommDevice() : nullptr;
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
