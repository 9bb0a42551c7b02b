#include "platform/gui/RichEditView.h"

#include "platform/base/Archive.h"
#include "platform/gui/FindReplaceDialog.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNCREATE(CRichEditView, CCtrlView)
IMPLEMENT_DYNAMIC(CRichEditDoc, CDocument)

namespace {
const UINT kFindReplaceMessage = RegisterWindowMessage(FINDMSGSTRING);
}

BEGIN_MESSAGE_MAP(CRichEditView, CCtrlView)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_COMMAND(ID_EDIT_FIND, &CRichEditView::OnEditFind)
ON_COMMAND(ID_EDIT_REPLACE, &CRichEditView::OnEditReplace)
ON_UPDATE_COMMAND_UI(ID_EDIT_FIND, &CRichEditView::OnUpdateNeedText)
ON_UPDATE_COMMAND_UI(ID_EDIT_REPLACE, &CRichEditView::OnUpdateNeedText)
ON_REGISTERED_MESSAGE(kFindReplaceMessage, &CRichEditView::OnFindReplaceCmd)
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

void CRichEditView::OnDestroy() {
    // The dialog searches this view only; it goes with it, without telling a view that is
    // being destroyed.
    if (CFindReplaceDialog* dlg = std::exchange(m_pFindReplaceDlg, nullptr))
        dlg->DestroyWindow();
    CCtrlView::OnDestroy();
}

void CRichEditView::OnEditFindReplace(BOOL bFindOnly) {
    if (m_pFindReplaceDlg) {
        if (m_pFindReplaceDlg->IsFindOnly() == bFindOnly) {
            m_pFindReplaceDlg->ShowWindow(SW_SHOW);
            m_pFindReplaceDlg->SetActiveWindow();
            return;
        }
        std::exchange(m_pFindReplaceDlg, nullptr)->DestroyWindow();
    }
    CString find = GetRichEditCtrl().GetSelText();
    int lineBreak = find.FindOneOf("\r\n");
    if (lineBreak >= 0)
        find = find.Left(lineBreak);
    if (find.IsEmpty())
        find = m_strFind;
    DWORD flags = (m_bNext ? FR_DOWN : 0) | (m_bCase ? FR_MATCHCASE : 0) |
                  (m_bWord ? FR_WHOLEWORD : 0);
    auto* dlg = new CFindReplaceDialog;
    if (!dlg->Create(bFindOnly, find, m_strReplace, flags, this)) {
        delete dlg;
        return;
    }
    m_pFindReplaceDlg = dlg;
    m_lInitialSearchPos = -1;
}

LRESULT CRichEditView::OnFindReplaceCmd(WPARAM, LPARAM lParam) {
    CFindReplaceDialog* dlg = CFindReplaceDialog::GetNotifier(lParam);
    if (!dlg || dlg != m_pFindReplaceDlg)
        return 0;
    if (dlg->IsTerminating()) {
        m_pFindReplaceDlg = nullptr;
        return 0;
    }
    CString find = dlg->GetFindString();
    BOOL bNext = dlg->SearchDown(), bCase = dlg->MatchCase(), bWord = dlg->MatchWholeWord();
    // Another text or other options begin a new search.
    if (find != m_strFind || bNext != m_bNext || bCase != m_bCase || bWord != m_bWord)
        m_lInitialSearchPos = -1;
    m_strFind = find;
    m_strReplace = dlg->GetReplaceString();
    m_bNext = bNext;
    m_bCase = bCase;
    m_bWord = bWord;
    if (dlg->FindNext())
        OnFindNext(m_strFind, bNext, bCase, bWord);
    else if (dlg->ReplaceCurrent())
        OnReplaceSel(m_strFind, bNext, bCase, bWord, m_strReplace);
    else if (dlg->ReplaceAll())
        OnReplaceAll(m_strFind, m_strReplace, bCase, bWord);
    return 0;
}

BOOL CRichEditView::SameAsSelected(LPCTSTR lpszFind, BOOL bCase) {
    CString sel = GetRichEditCtrl().GetSelText();
    return bCase ? sel == lpszFind : sel.CompareNoCase(lpszFind) == 0;
}

BOOL CRichEditView::FindInSession(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CHARRANGE sel;
    ctrl.GetSel(sel);
    if (m_lInitialSearchPos >= 0 &&
        (sel.cpMin != m_lastFound.cpMin || sel.cpMax != m_lastFound.cpMax))
        m_lInitialSearchPos = -1; // the selection moved: a new search from here
    if (m_lInitialSearchPos < 0) {
        m_lInitialSearchPos = bNext ? sel.cpMin : sel.cpMax;
        m_bWrapped = FALSE;
    }
    const long begin = m_lInitialSearchPos;
    const long end = GetTextLength();
    const DWORD flags = (bCase ? FR_MATCHCASE : 0) | (bWord ? FR_WHOLEWORD : 0) |
                        (bNext ? FR_DOWN : 0);
    FINDTEXTEX ft{};
    ft.lpstrText = lpszFind;
    ft.chrg = bNext ? CHARRANGE{sel.cpMax, -1} : CHARRANGE{sel.cpMin, 0};
    long at = ctrl.FindText(flags, &ft);
    if (at < 0 && !m_bWrapped) {
        m_bWrapped = TRUE;
        ft.chrg = bNext ? CHARRANGE{0, -1} : CHARRANGE{(LONG)end, 0};
        at = ctrl.FindText(flags, &ft);
    }
    // Once round, a match at or beyond where the search began has been seen already.
    bool seen = m_bWrapped && at >= 0 &&
                (bNext ? ft.chrgText.cpMin >= begin : ft.chrgText.cpMax <= begin);
    if (at < 0 || seen) {
        m_lInitialSearchPos = -1;
        m_lastFound = CHARRANGE{-1, -1};
        return FALSE;
    }
    ctrl.SetSel(ft.chrgText);
    ctrl.SendMessage(EM_SCROLLCARET);
    m_lastFound = ft.chrgText;
    return TRUE;
}

void CRichEditView::OnFindNext(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord) {
    if (!lpszFind || !*lpszFind || !FindInSession(lpszFind, bNext, bCase, bWord))
        OnTextNotFound(lpszFind);
}

void CRichEditView::OnReplaceSel(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord,
                                 LPCTSTR lpszReplace) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (ctrl.GetStyle() & ES_READONLY) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    // The first press finds the text; a press with the text selected replaces it and moves on.
    if (SameAsSelected(lpszFind, bCase)) {
        ctrl.ReplaceSel(lpszReplace, TRUE);
        // The search goes on after the replacement, which counts as the match it replaced.
        CHARRANGE now;
        ctrl.GetSel(now);
        long len = now.cpMax - m_lastFound.cpMin;
        if (m_lInitialSearchPos >= 0 && m_lastFound.cpMin >= 0 && len >= 0) {
            if (m_lInitialSearchPos > m_lastFound.cpMin)
                m_lInitialSearchPos += len - (m_lastFound.cpMax - m_lastFound.cpMin);
            m_lastFound = now;
        }
    }
    OnFindNext(lpszFind, bNext, bCase, bWord);
}

void CRichEditView::OnReplaceAll(LPCTSTR lpszFind, LPCTSTR lpszReplace, BOOL bCase,
                                 BOOL bWord) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (ctrl.GetStyle() & ES_READONLY) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    CWaitCursor wait;
    const DWORD flags = FR_DOWN | (bCase ? FR_MATCHCASE : 0) | (bWord ? FR_WHOLEWORD : 0);
    // Every match from the start to the end, each searched for after the text that replaced the
    // one before, so a replacement holding the text looked for is not replaced again.
    long from = 0;
    for (;;) {
        FINDTEXTEX ft{};
        ft.lpstrText = lpszFind;
        ft.chrg = CHARRANGE{(LONG)from, -1};
        if (ctrl.FindText(flags, &ft) < 0)
            break;
        ctrl.SetSel(ft.chrgText);
        ctrl.ReplaceSel(lpszReplace, TRUE);
        CHARRANGE now;
        ctrl.GetSel(now);
        from = now.cpMax;
    }
    m_lInitialSearchPos = -1;
    OnTextNotFound(lpszFind);
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
