// What the right pane asks of the module views it shows. A view implements these next to its
// window class when it has more to do than the pane's defaults; the pane finds them with
// dynamic_cast.
#pragma once

#include "platform/base/Document.h"
#include "platform/base/Types.h"
#include "platform/gui/View.h"

class CDocument;
class CObject;
class CWnd;

class CIRightPaneView {
public:
    virtual ~CIRightPaneView() = default;

    // The window told of what happens in the view (selection, activation), or null.
    virtual void SetNotifyWnd(CWnd* pWnd) = 0;
    // The view is about to show pDoc. TRUE when it took the document by its own means (views
    // over several documents at once, the compose form); FALSE leaves the pane to move the view
    // from its old document to pDoc.
    virtual BOOL TakeDocument(CDocument* /*pDoc*/) { return FALSE; }
};

// The message compose form the right pane opens for a tree.
class CIComposeView {
public:
    virtual ~CIComposeView() = default;

    virtual void SetComposeMode(int nMode) = 0;
    // Starts composing with what the mode names: recipients or a message to answer or pass on.
    virtual void StartCompose(LPARAM lStart, int nOption) = 0;
    // The window the form returns to when the user is done (the tree it was opened from).
    virtual void SetReturnWnd(CWnd* pWnd) = 0;
};

// A view that takes records dragged from a tree onto it (the compose form takes contacts and
// groups as recipients).
class CIRecordDropTarget {
public:
    virtual ~CIRecordDropTarget() = default;

    // The record dropped at the point (the view's client coordinates); bAdd is the Ctrl key.
    // With bTest only whether it would be taken. FALSE when the view takes nothing there.
    virtual BOOL DropRecord(CObject* pRecord, CPoint point, BOOL bAdd, BOOL bTest) = 0;
};

// Moves a view to pDoc (null: to none). The document it leaves stays open even when this was its
// last view: it belongs to the tree that opened it. Views shared by several open files move
// between their documents.
inline void MoveViewToDocument(CView* pView, CDocument* pDoc) {
    if (pView == nullptr)
        return;
    CDocument* pOld = pView->GetDocument();
    if (pOld == pDoc)
        return;
    if (pOld != nullptr) {
        const BOOL bAutoDelete = pOld->m_bAutoDelete;
        pOld->m_bAutoDelete = FALSE;
        pOld->RemoveView(pView);
        pOld->m_bAutoDelete = bAutoDelete;
    }
    if (pDoc)
        pDoc->AddView(pView);
}
