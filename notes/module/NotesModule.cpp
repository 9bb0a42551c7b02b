#include "notes/module/NotesModule.h"

#include "notes/ui/BrowseFileView.h"
#include "notes/ui/InfoListView.h"
#include "notes/ui/InfoView.h"
#include "notes/ui/NoteFrame.h"
#include "notes/ui/NoteListView.h"
#include "notes/ui/NoteTreeView.h"
#include "shell/MainFrm.h"
#include "shell/OutbarWnd.h"
#include "shell/RightPaneFrame.h"

CRuntimeClass* CNotesModule::GetFolderClass() const {
    return RUNTIME_CLASS(CNoteTreeView);
}

void CNotesModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindNotes, CNoteTreeView::ViewPageList,
                                       RUNTIME_CLASS(CNoteListView));
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindNotes, CNoteTreeView::ViewEditor,
                                       RUNTIME_CLASS(CNoteFrame));
    // The file list every module tree shows for its top item.
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindFixed, 1,
                                       RUNTIME_CLASS(CBrowseFileView));
}

CNoteTreeView* CNotesModule::GetTree() const {
    return m_hTree != nullptr && ::IsWindow(m_hTree)
               ? dynamic_cast<CNoteTreeView*>(CWnd::FromHandle(m_hTree))
               : nullptr;
}

void CNotesModule::ConnectFrame(CMainFrame* pFrame) {
    m_hTree = nullptr;
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    auto* pTree = dynamic_cast<CNoteTreeView*>(pFrame->GetOutbar()->GetFolderWnd(FolderNotes));
    if (pTree == nullptr)
        return;
    pTree->m_pRightPane = pFrame->GetRightPane();
    m_hTree = pTree->GetSafeHwnd();
}

CDocument* CNotesModule::OpenFile(CMainFrame*, LPCTSTR lpszPath, const CString&) {
    CNoteTreeView* pTree = GetTree();
    return pTree != nullptr ? pTree->OpenFile(lpszPath, FALSE) : nullptr;
}

BOOL CNotesModule::CloseFiles(CMainFrame*) {
    CNoteTreeView* pTree = GetTree();
    return pTree == nullptr || pTree->CloseAllFiles();
}

std::vector<CString> CNotesModule::GetOpenFiles(const CString&) const {
    std::vector<CString> files;
    if (CNoteTreeView* pTree = GetTree()) {
        CStringList list;
        pTree->GetOpenFiles(list, TRUE);
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            files.push_back(list.GetNext(pos));
    }
    return files;
}

CRuntimeClass* CInfoModule::GetFolderClass() const {
    return RUNTIME_CLASS(CInfoView);
}

void CInfoModule::RegisterViews() {
    CRightPaneFrame::RegisterViewClass(CRightPaneFrame::KindFixed, CInfoView::ListViewNumber,
                                       RUNTIME_CLASS(CInfoListView));
}

void CInfoModule::ConnectFrame(CMainFrame* pFrame) {
    if (pFrame == nullptr || pFrame->GetOutbar() == nullptr)
        return;
    if (auto* pTree = dynamic_cast<CInfoView*>(pFrame->GetOutbar()->GetFolderWnd(FolderInfo)))
        pTree->m_pRightPane = pFrame->GetRightPane();
}

void RegisterNotesModule() {
    static CNotesModule s_notes;
    static CInfoModule s_info;
    AfxRegisterShellModule(&s_notes);
    AfxRegisterShellModule(&s_info);
}
