#include "platform/gui/RichEditView.h"

#include "platform/base/Archive.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNCREATE(CRichEditView, CCtrlView)
IMPLEMENT_DYNAMIC(CRichEditDoc, CDocument)

BEGIN_MESSAGE_MAP(CRichEditView, CCtrlView)
ON_WM_CREATE()
ON_COMMAND(ID_EDIT_UNDO, &CRichEditView::OnEditUndo)
ON_COMMAND(ID_EDIT_REDO, &CRichEditView::OnEditRedo)
ON_COMMAND(ID_EDIT_CUT, &CRichEditView::OnEditCut)
ON_COMMAND(ID_EDIT_COPY, &CRichEditView::OnEditCopy)
ON_COMMAND(ID_EDIT_PASTE, &CRichEditView::OnEditPaste)
ON_COMMAND(ID_EDIT_CLEAR, &CRichEditView::OnEditClear)
ON_COMMAND(ID_EDIT_SELECT_ALL, &CRichEditView::OnEditSelectAll)
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CRichEditView::OnUpdateEditUndo)
ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, &CRichEditView::OnUpdateEditRedo)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CRichEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CRichEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, &CRichEditView::OnUpdateNeedSel)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CRichEditView::OnUpdateEditPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, &CRichEditView::OnUpdateNeedText)
END_MESSAGE_MAP()

namespace {

// Archive bytes through the stream callbacks.
DWORD ReadArchive(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    *pcb = (LONG) reinterpret_cast<CArchive*>(cookie)->Read(buf, (UINT)cb);
    return 0;
}
DWORD WriteArchive(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    reinterpret_cast<CArchive*>(cookie)->Write(buf, (UINT)cb);
    *pcb = cb;
    return 0;
}

} // namespace

// ---- CRichEditView ----

CRichEditView::CRichEditView()
    : CCtrlView("RichEdit20A", AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL |
                                   ES_AUTOVSCROLL | ES_MULTILINE | ES_NOHIDESEL) {
    SetControl(new CCtrlViewControl<CRichEditCtrl>);
    m_charformat.cbSize = sizeof m_charformat;
    m_paraformat.cbSize = sizeof m_paraformat;
}

CRichEditCtrl& CRichEditView::GetRichEditCtrl() const {
    return *static_cast<CRichEditCtrl*>(GetControl());
}

CRichEditDoc* CRichEditView::GetDocument() const {
    return dynamic_cast<CRichEditDoc*>(m_pDocument);
}

BOOL CRichEditView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CCtrlView::PreCreateWindow(cs))
        return FALSE;
    // Text that wraps needs no horizontal bar.
    if (m_nWordWrap != WrapNone)
        cs.style &= ~WS_HSCROLL;
    return TRUE;
}

int CRichEditView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CCtrlView::OnCreate(lpcs) == -1)
        return -1;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.LimitText(0x7FFFFFFF);
    ctrl.SetEventMask(ENM_CHANGE | ENM_SELCHANGE | ENM_SCROLL);
    WrapChanged();
    return 0;
}

void CRichEditView::OnInitialUpdate() {
    CCtrlView::OnInitialUpdate();
    // A document that comes with its text is not changed by being shown.
    if (CRichEditDoc* doc = GetDocument(); doc && !doc->CDocument::IsModified())
        GetRichEditCtrl().SetModify(FALSE);
}

void CRichEditView::WrapChanged() {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    switch (m_nWordWrap) {
    case WrapNone:
        ctrl.SetTargetDevice(nullptr, 1);
        break;
    case WrapToTargetDevice:
        // The page's width less its margins, as it would print.
        ctrl.SetTargetDevice(
            nullptr, std::max(1L, (long)(m_sizePaper.cx - m_rectMargin.left - m_rectMargin.right)));
        break;
    default:
        ctrl.SetTargetDevice(nullptr, 0);
    }
}

CHARFORMAT2& CRichEditView::GetCharFormatSelection() {
    m_charformat.cbSize = sizeof m_charformat;
    GetRichEditCtrl().GetSelectionCharFormat(m_charformat);
    return m_charformat;
}

PARAFORMAT& CRichEditView::GetParaFormatSelection() {
    m_paraformat.cbSize = sizeof m_paraformat;
    GetRichEditCtrl().GetParaFormat(m_paraformat);
    return m_paraformat;
}

void CRichEditView::SetCharFormat(CHARFORMAT2 cf) {
    GetRichEditCtrl().SetSelectionCharFormat(cf);
}

void CRichEditView::SetParaFormat(PARAFORMAT& pf) {
    GetRichEditCtrl().SetParaFormat(pf);
}

long CRichEditView::GetTextLength() const {
    return GetRichEditCtrl().GetTextLengthEx(GTL_NUMCHARS);
}

// Turns an effect off where the whole selection has it, else on. Of a group of effects that
// exclude each other (subscript and superscript), turning one on turns the others off.
void CRichEditView::OnCharEffect(DWORD dwMask, DWORD dwEffect) {
    CHARFORMAT2 cf = GetCharFormatSelection();
    if ((cf.dwMask & dwMask) == dwMask && (cf.dwEffects & dwEffect))
        cf.dwEffects &= ~dwEffect;
    else
        cf.dwEffects = (cf.dwEffects & ~dwMask) | dwEffect;
    cf.dwMask = dwMask;
    SetCharFormat(cf);
}

void CRichEditView::OnUpdateCharEffect(CCmdUI* pCmdUI, DWORD dwMask, DWORD dwEffect) {
    const CHARFORMAT2& cf = GetCharFormatSelection();
    pCmdUI->SetCheck((cf.dwMask & dwMask) == dwMask ? ((cf.dwEffects & dwEffect) ? 1 : 0) : 2);
}

void CRichEditView::OnParaAlign(WORD wAlign) {
    PARAFORMAT pf{};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = wAlign;
    SetParaFormat(pf);
}

void CRichEditView::OnUpdateParaAlign(CCmdUI* pCmdUI, WORD wAlign) {
    const PARAFORMAT& pf = GetParaFormatSelection();
    pCmdUI->SetCheck((pf.dwMask & PFM_ALIGNMENT) ? (pf.wAlignment == wAlign) : 2);
}

void CRichEditView::OnBullet() {
    PARAFORMAT pf = GetParaFormatSelection();
    if ((pf.dwMask & PFM_NUMBERING) && pf.wNumbering == PFN_BULLET) {
        pf.wNumbering = 0;
        pf.dxOffset = 0;
        pf.dxStartIndent = 0;
        pf.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
    } else {
        pf.wNumbering = PFN_BULLET;
        pf.dwMask = PFM_NUMBERING;
        // Text under the bullet stands off from it unless the paragraph already hangs.
        if (pf.dxOffset == 0) {
            pf.dxOffset = m_nBulletIndent;
            pf.dwMask |= PFM_STARTINDENT | PFM_OFFSET;
        }
    }
    SetParaFormat(pf);
}

void CRichEditView::OnUpdateBullet(CCmdUI* pCmdUI) {
    const PARAFORMAT& pf = GetParaFormatSelection();
    pCmdUI->SetCheck((pf.dwMask & PFM_NUMBERING) ? (pf.wNumbering == PFN_BULLET) : 2);
}

BOOL CRichEditView::FindText(LPCTSTR lpszFind, BOOL bCase, BOOL bWord, BOOL bNext) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (!lpszFind || !*lpszFind) {
        OnTextNotFound(lpszFind);
        return FALSE;
    }
    DWORD flags = (bCase ? FR_MATCHCASE : 0) | (bWord ? FR_WHOLEWORD : 0) | (bNext ? FR_DOWN : 0);
    CHARRANGE sel;
    ctrl.GetSel(sel);
    long end = GetTextLength();
    // From after the selection to the end, then from the start round to where it began.
    FINDTEXTEX ft{};
    ft.lpstrText = lpszFind;
    ft.chrg = bNext ? CHARRANGE{sel.cpMax, -1} : CHARRANGE{sel.cpMin, 0};
    long at = ctrl.FindText(flags, &ft);
    if (at < 0) {
        ft.chrg = bNext ? CHARRANGE{0, sel.cpMax} : CHARRANGE{(LONG)end, sel.cpMin};
        at = ctrl.FindText(flags, &ft);
    }
    if (at < 0) {
        OnTextNotFound(lpszFind);
        return FALSE;
    }
    ctrl.SetSel(ft.chrgText);
    ctrl.SendMessage(EM_SCROLLCARET);
    return TRUE;
}

void CRichEditView::OnTextNotFound(LPCTSTR) {
    MessageBeep(MB_ICONHAND);
}

void CRichEditView::Serialize(CArchive& ar) {
    Stream(ar, FALSE);
}

void CRichEditView::Stream(CArchive& ar, BOOL bSelection) {
    CRichEditDoc* doc = GetDocument();
    int format = (doc && !doc->m_bRTF) ? SF_TEXT : SF_RTF;
    if (bSelection)
        format |= SFF_SELECTION;
    EDITSTREAM es{(DWORD_PTR)&ar, 0, ar.IsStoring() ? WriteArchive : ReadArchive};
    if (ar.IsStoring()) {
        GetRichEditCtrl().StreamOut(format, es);
    } else {
        GetRichEditCtrl().StreamIn(format, es);
        GetRichEditCtrl().SetModify(FALSE);
    }
}

void CRichEditView::DeleteContents() {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SetWindowText("");
    ctrl.EmptyUndoBuffer();
    ctrl.SetModify(FALSE);
}

void CRichEditView::OnEditUndo() {
    GetRichEditCtrl().Undo();
}
void CRichEditView::OnEditRedo() {
    GetRichEditCtrl().Redo();
}
void CRichEditView::OnEditCut() {
    GetRichEditCtrl().Cut();
}
void CRichEditView::OnEditCopy() {
    GetRichEditCtrl().Copy();
}
void CRichEditView::OnEditPaste() {
    GetRichEditCtrl().Paste();
}
void CRichEditView::OnEditClear() {
    GetRichEditCtrl().Clear();
}
void CRichEditView::OnEditSelectAll() {
    GetRichEditCtrl().SetSel(0, -1);
}
void CRichEditView::OnUpdateEditUndo(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetRichEditCtrl().CanUndo());
}
void CRichEditView::OnUpdateEditRedo(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetRichEditCtrl().CanRedo());
}
void CRichEditView::OnUpdateNeedSel(CCmdUI* pCmdUI) {
    CHARRANGE cr;
    GetRichEditCtrl().GetSel(cr);
    pCmdUI->Enable(cr.cpMin != cr.cpMax);
}
void CRichEditView::OnUpdateEditPaste(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetRichEditCtrl().CanPaste());
}
void CRichEditView::OnUpdateNeedText(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetTextLength() != 0);
}

// ---- CRichEditDoc ----

CRichEditView* CRichEditDoc::GetView() const {
    POSITION pos = GetFirstViewPosition();
    while (pos)
        if (auto* v = dynamic_cast<CRichEditView*>(GetNextView(pos)))
            return v;
    return nullptr;
}

BOOL CRichEditDoc::IsModified() {
    CRichEditView* view = GetView();
    return CDocument::IsModified() || (view && view->GetRichEditCtrl().GetModify());
}

void CRichEditDoc::SetModifiedFlag(BOOL bModified) {
    if (CRichEditView* view = GetView(); view && view->GetRichEditCtrl().m_hWnd)
        view->GetRichEditCtrl().SetModify(bModified);
    CDocument::SetModifiedFlag(bModified);
}

void CRichEditDoc::DeleteContents() {
    if (CRichEditView* view = GetView(); view && view->GetRichEditCtrl().m_hWnd)
        view->DeleteContents();
    CDocument::DeleteContents();
}

void CRichEditDoc::Serialize(CArchive& ar) {
    if (CRichEditView* view = GetView())
        view->Serialize(ar);
}
