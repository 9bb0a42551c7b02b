#include "notes/ui/NoteTreeView.h"

#include "notes/WordPadDoc.h"
#include "notes/ui/NoteFrame.h"
#include "notes/ui/NoteImages.h"
#include "notes/ui/WordPadView.h"
#include "platform/gui/MessageBox.h"

IMPLEMENT_DYNCREATE(CNoteTreeView, CGroupTreeView)

BEGIN_MESSAGE_MAP(CNoteTreeView, CGroupTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGING, &CNoteTreeView::OnSelChangingGuard)
END_MESSAGE_MAP()

CNoteTreeView::CNoteTreeView() {
    m_nViewNameId = 4900;
    m_nNewFileNameId = 4901;
    m_nNewGroupNameId = 4902;
    m_nNewContentNameId = 4903;
    m_nFileTypeId = 4904;
    m_nFileCountFormatId = 4905;
    m_nContextMenuId = 4950;
    m_nMenuPosContent = 0;
    m_nMenuPosGroup = 1;
    m_nMenuPosFile = 2;
    m_nMenuPosTop = 3;
    m_strExtension = "ntp";
    m_pGroupClass = RUNTIME_CLASS(CNoteGroup);
    m_pContentClass = RUNTIME_CLASS(CNoteContent);
    m_nTopImage = m_nTopSelImage = NoteImgTop;
    m_nFileImage = NoteImgBook;
    m_nFileExpandedImage = NoteImgBookOpen;
    m_nGroupImage = NoteImgGroup;
    m_nGroupExpandedImage = NoteImgGroupOpen;
    m_nContentImage = NoteImgPage;
    m_nContentSelImage = NoteImgPageSel;
    m_nGroupViewNumber = ViewPageList;
    m_nContentViewNumber = ViewEditor;
    m_nModuleKind = kModuleKind;
}

UINT CNoteTreeView::MapCommand(UINT nID) {
    switch (nID) {
    case ID_NOTE_NEW_PAGE: return ID_NEW_CONTENT;
    case ID_NOTE_NEW_GROUP: return ID_NEW_GROUP;
    case ID_NOTE_DELETE: return ID_DELETE;
    case ID_NOTE_PAGE_BEFORE: return ID_NEW_CONTENT_BEFORE;
    case ID_NOTE_PAGE_AFTER: return ID_NEW_CONTENT_AFTER;
    case ID_NOTE_GROUP_BEFORE: return ID_NEW_GROUP_BEFORE;
    case ID_NOTE_GROUP_AFTER: return ID_NEW_GROUP_AFTER;
    case ID_NOTE_RESORT_GROUPS: return ID_RESORT_GROUPS;
    case ID_NOTE_RESORT_PAGES: return ID_RESORT_CONTENTS;
    default: return nID;
    }
}

BOOL CNoteTreeView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                             AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The command and its enabling go through the same mapping.
    return CGroupTreeView::OnCmdMsg(MapCommand(nID), nCode, pExtra, pHandlerInfo);
}

void CNoteTreeView::InitView() {
    MakeNoteImages(m_imageList, 16);
}

void CNoteTreeView::OnInitialUpdate() {
    CGroupTreeView::OnInitialUpdate();
    m_bLoaded = TRUE;
}

CQuillmarBaseDoc* CNoteTreeView::CreateDocument() {
    return new CWordPadDoc;
}

CGroup* CNoteTreeView::GetRootGroup(CQuillmarBaseDoc* pDoc) {
    auto* pNotes = dynamic_cast<CWordPadDoc*>(pDoc);
    return pNotes != nullptr ? &pNotes->GetRootGroup() : nullptr;
}

CGroup* CNoteTreeView::CreateGroupFor(CObject*) {
    return new CNoteGroup;
}

CWordPadView* CNoteTreeView::GetEditor() {
    if (m_pRightPane == nullptr)
        return nullptr;
    auto* pFrame = dynamic_cast<CNoteFrame*>(m_pRightPane->GetView(ViewEditor, kModuleKind));
    return pFrame != nullptr ? pFrame->GetEditor() : nullptr;
}

BOOL CNoteTreeView::CanLeaveEditedPage(CQuillmarBaseDoc* pDocClosing) {
    CWordPadView* pEditor = GetEditor();
    if (pEditor == nullptr || pEditor->GetPage() == nullptr)
        return TRUE;
    if (pDocClosing != nullptr && pEditor->GetNotebook() != pDocClosing)
        return TRUE;
    if (!pEditor->HasUnsavedEdits())
        return TRUE;
    auto* pFrame = dynamic_cast<CNoteFrame*>(pEditor->GetParentFrame());
    int answer = AfxMessageBox(LoadText(4906), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return FALSE;
    if (pFrame != nullptr)
        pFrame->EndEdit(answer == IDYES);
    return TRUE;
}

void CNoteTreeView::OnSelChangingGuard(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    if (!m_bClosing && !CanLeaveEditedPage(nullptr)) {
        *pResult = 1;
        return;
    }
    OnSelChanging(pNMHDR, pResult);
}

BOOL CNoteTreeView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    if (pInfo == nullptr)
        return FALSE;
    if (!CanLeaveEditedPage(pInfo->pDoc))
        return FALSE;
    // The editor lets go of the closing notebook's page before its records go.
    if (CWordPadView* pEditor = GetEditor(); pEditor != nullptr && pEditor->GetNotebook() == pInfo->pDoc)
        pEditor->ShowPage(nullptr, nullptr);
    return CGroupTreeView::CloseFile(pInfo, bQuiet, bAskSave);
}
