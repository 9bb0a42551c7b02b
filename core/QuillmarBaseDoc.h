// The common base of the application's own documents: the scrambled document file plus the tree
// view that shows the file and the object selected in it.
#pragma once

#include "core/KovDocument.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

class CView;

class CQuillmarBaseDoc : public CKovDocument {
    DECLARE_DYNCREATE(CQuillmarBaseDoc)
public:
    CQuillmarBaseDoc();
    ~CQuillmarBaseDoc() override;

    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;

    CView* GetOwnerView() const { return m_pOwnerView; }
    void SetOwnerView(CView* pView) { m_pOwnerView = pView; }
    // The record or group selected in the tree view.
    CObject* GetCurrentObject() const { return m_pCurrentObject; }
    void SetCurrentObject(CObject* pObject) { m_pCurrentObject = pObject; }
    // There is a current object and it is of the class or derived from it.
    BOOL IsCurrentObjectKindOf(const CRuntimeClass* pClass) const;
    // The box and the message the document's views show now (null for none), whatever the kind
    // of document: the windows that write messages file into that box or edit that message.
    CObject* GetCurrentBoxObject() const { return m_pCurrentBox; }
    CObject* GetCurrentMessageObject() const { return m_pCurrentMessage; }

protected:
    CView* m_pOwnerView = nullptr;
    CObject* m_pCurrentObject = nullptr;
    // Kept for the derived documents; the message documents use them for the current box, the
    // current message and whether the message list has a selection.
    CObject* m_pCurrentBox = nullptr;
    CObject* m_pCurrentMessage = nullptr;
    DWORD_PTR m_dwHasSelection = 0;
};
