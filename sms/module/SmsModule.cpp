#include "sms/module/SmsModule.h"

#include "contacts/Person.h"
#include "contacts/ui/LeftView.h"
#include "shell/MainFrm.h"
#include "shell/RightPaneFrame.h"
#include "shell/SmsApp.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/EditSmsForm.h"

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
    SetSmsComposeHost(this);
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
