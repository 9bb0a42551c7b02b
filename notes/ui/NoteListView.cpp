#include "notes/ui/NoteListView.h"

#include "core/QuillmarBaseDoc.h"
#include "notes/ui/NoteImages.h"
#include "notes/ui/NoteTreeView.h"

IMPLEMENT_DYNCREATE(CNoteListView, CGroupListView)

CNoteListView::CNoteListView() {
    m_nGroupImage = NoteImgGroup;
    m_nContentImage = NoteImgPage;
    m_nContextMenuId = 4951;
    m_nContextMenuPos = 0;
    m_strDefaultBkImage = "Images\\background6.jpg";
}

void CNoteListView::InitView() {
    MakeNoteImages(m_smallImages, 16);
    MakeNoteImages(m_normalImages, 32);
    GetBkManager().SetSection("Bkground\\NotebookList");
}

CGroup* CNoteListView::GetGroup() {
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
    if (pDoc == nullptr)
        return nullptr;
    return dynamic_cast<CGroup*>(pDoc->GetCurrentObject());
}

BOOL CNoteListView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                             AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (nID == CNoteTreeView::ID_NOTE_DELETE)
        nID = ID_DELETE;
    return CGroupListView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
