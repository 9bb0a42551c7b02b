// The rich-edit view and its document: a view whose whole client area is a rich edit control,
// and a document whose file is the RTF (or the plain text) of that view. The control's modified
// flag is the document's. The view has the framework's standard editing commands (undo, redo,
// cut, copy, paste, clear, select all), character effects, paragraph alignment and bullets for
// its derived views' maps, word wrap (none, to the window, to the page width) and a find that
// tells when nothing more is found, with the find and replace dialog. Embedded objects and
// printing are not here.
#pragma once

#include "platform/base/Document.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/EditCommands.h"
#include "platform/gui/RichEditCtrl.h"

class CArchive;
class CFindReplaceDialog;
class CRichEditDoc;


class CRichEditView : public CCtrlView {
    DECLARE_DYNCREATE(CRichEditView)
public:
    enum WordWrapType { WrapNone = 0, WrapToWindow = 1, WrapToTargetDevice = 2 };

    CRichEditView();

    CRichEditCtrl& GetRichEditCtrl() const;
    CRichEditDoc* GetDocument() const;

    // The wrap mode WrapChanged applies; the page (twips, A4) gives the width of
    // WrapToTargetDevice.
    int m_nWordWrap = WrapToWindow;
    CSize m_sizePaper{11906, 16838};
    CRect m_rectMargin{1800, 1440, 1800, 1440};
    // How far a bulleted paragraph's text stands from its bullet (twips).
    int m_nBulletIndent = 720;
    virtual void WrapChanged();

    // The format of the selection as the control reports it (the mask says what agrees).
    CHARFORMAT2& GetCharFormatSelection();
    PARAFORMAT& GetParaFormatSelection();
    void SetCharFormat(CHARFORMAT2 cf);
    void SetParaFormat(PARAFORMAT& pf);
    long GetTextLength() const;

    // Finds the next match after the selection (or before it, with bNext FALSE), going round
    // the text once; selects it, or calls OnTextNotFound and answers FALSE.
    BOOL FindText(LPCTSTR lpszFind, BOOL bCase = TRUE, BOOL bWord = TRUE, BOOL bNext = TRUE);
    // What a search that found nothing does: the system beep.
    virtual void OnTextNotFound(LPCTSTR lpszFind);

    // The find (or replace) dialog of this view, null while none is open.
    CFindReplaceDialog* GetFindReplaceDialog() const { return m_pFindReplaceDlg; }
    // Opens the find dialog (bFindOnly) or the replace dialog, preset with the selected text (up
    // to its first line break) or else the text last looked for. A dialog of the other kind
    // closes first; one of the same kind comes to the front.
    void OnEditFindReplace(BOOL bFindOnly);
    // The dialog's requests. A search started from the dialog goes round the text once: after
    // the last match before where it began, it ends with OnTextNotFound. Replacing changes
    // nothing in read-only text.
    void OnFindNext(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord);
    void OnReplaceSel(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord, LPCTSTR lpszReplace);
    void OnReplaceAll(LPCTSTR lpszFind, LPCTSTR lpszReplace, BOOL bCase, BOOL bWord);

    // Reads or writes the whole text: RTF when the document says so, else plain text.
    void Serialize(CArchive& ar) override;
    // The same through any archive, for the whole text or just the selection.
    void Stream(CArchive& ar, BOOL bSelection);
    // Empties the text, its undo history and its modified flag.
    virtual void DeleteContents();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;

    // Character and paragraph commands, for derived views to map to their own ids.
    void OnCharEffect(DWORD dwMask, DWORD dwEffect);
    void OnUpdateCharEffect(CCmdUI* pCmdUI, DWORD dwMask, DWORD dwEffect);
    void OnParaAlign(WORD wAlign);
    void OnUpdateParaAlign(CCmdUI* pCmdUI, WORD wAlign);
    void OnCharBold() { OnCharEffect(CFM_BOLD, CFE_BOLD); }
    void OnCharItalic() { OnCharEffect(CFM_ITALIC, CFE_ITALIC); }
    void OnCharUnderline() { OnCharEffect(CFM_UNDERLINE, CFE_UNDERLINE); }
    void OnUpdateCharBold(CCmdUI* p) { OnUpdateCharEffect(p, CFM_BOLD, CFE_BOLD); }
    void OnUpdateCharItalic(CCmdUI* p) { OnUpdateCharEffect(p, CFM_ITALIC, CFE_ITALIC); }
    void OnUpdateCharUnderline(CCmdUI* p) { OnUpdateCharEffect(p, CFM_UNDERLINE, CFE_UNDERLINE); }
    void OnParaLeft() { OnParaAlign(PFA_LEFT); }
    void OnParaCenter() { OnParaAlign(PFA_CENTER); }
    void OnParaRight() { OnParaAlign(PFA_RIGHT); }
    void OnUpdateParaLeft(CCmdUI* p) { OnUpdateParaAlign(p, PFA_LEFT); }
    void OnUpdateParaCenter(CCmdUI* p) { OnUpdateParaAlign(p, PFA_CENTER); }
    void OnUpdateParaRight(CCmdUI* p) { OnUpdateParaAlign(p, PFA_RIGHT); }
    void OnBullet();
    void OnUpdateBullet(CCmdUI* pCmdUI);

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    void OnEditFind() { OnEditFindReplace(TRUE); }
    void OnEditReplace() { OnEditFindReplace(FALSE); }
    LRESULT OnFindReplaceCmd(WPARAM, LPARAM lParam);
    // Whether the selection is the text looked for (in its case when bCase).
    BOOL SameAsSelected(LPCTSTR lpszFind, BOOL bCase);
    // One step of a search that goes round once; FALSE at its end (nothing is selected then).
    BOOL FindInSession(LPCTSTR lpszFind, BOOL bNext, BOOL bCase, BOOL bWord);
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateEditRedo(CCmdUI* pCmdUI);
    void OnUpdateNeedSel(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateNeedText(CCmdUI* pCmdUI);

    CHARFORMAT2 m_charformat{};
    PARAFORMAT m_paraformat{};

    CFindReplaceDialog* m_pFindReplaceDlg = nullptr;
    CString m_strFind, m_strReplace;
    BOOL m_bCase = FALSE, m_bWord = FALSE, m_bNext = TRUE;
    // The search going round: where it began (-1: none), whether it has gone past the end, and
    // the match it selected last (another selection begins a new search).
    long m_lInitialSearchPos = -1;
    BOOL m_bWrapped = FALSE;
    CHARRANGE m_lastFound{-1, -1};
    DECLARE_MESSAGE_MAP()
};

class CRichEditDoc : public CDocument {
    DECLARE_DYNAMIC(CRichEditDoc)
public:
    // Whether the file is RTF (else plain text).
    BOOL m_bRTF = TRUE;

    // The rich-edit view showing the document; null before it has one.
    CRichEditView* GetView() const;

    // The control's modified flag is the document's.
    BOOL IsModified() override;
    void SetModifiedFlag(BOOL bModified = TRUE) override;
    void DeleteContents() override;
    // The view reads or writes the text.
    void Serialize(CArchive& ar) override;
};
