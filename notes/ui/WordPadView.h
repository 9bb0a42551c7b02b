// The page editor: a rich-edit view that shows one note page at a time. The page's stored rich
// text is loaded into the control; edits stay in the control until they are confirmed (stored
// back into the page) or discarded (the stored text shown again). A page whose stored text holds
// what the editor cannot keep (embedded objects, pictures) is shown read-only and never stored
// back. Links found in the text open in the system's handler; the character effects, colours,
// read-only, wrap, plain-text copy, export and import are its commands.
#pragma once

#include "platform/gui/RichEditView.h"

class CNoteContent;
class CQuillmarBaseDoc;

class CWordPadView : public CRichEditView {
    DECLARE_DYNCREATE(CWordPadView)
public:
    enum : UINT {
        ID_AUTO_URL = 490, ID_READ_ONLY = 491, ID_EXPORT = 496, ID_IMPORT = 498,
        ID_WORD_WRAP = 1502, ID_COPY_PLAIN = 1567, ID_CHAR_BOLD = 31799, ID_CHAR_ITALIC = 31800,
        ID_CHAR_COLOR = 31801, ID_CHAR_UNDERLINE = 31802, ID_STRIKEOUT = 31816,
        ID_SUBSCRIPT = 31817, ID_SUPERSCRIPT = 31818, ID_AUTO_COLOR = 31819,
        ID_HIGHLIGHT = 31820, ID_NO_HIGHLIGHT = 31821,
    };
    static constexpr UINT kContextMenuId = 101;

    CWordPadView();

    // Shows the page of the notebook (null: nothing); the control is then unmodified.
    void ShowPage(CNoteContent* pPage, CQuillmarBaseDoc* pNotebook);
    CNoteContent* GetPage() const { return m_pPage; }
    CQuillmarBaseDoc* GetNotebook() const { return m_pNotebook; }
    // The page shows edits not stored into it yet.
    BOOL HasUnsavedEdits() const;
    // The page's stored text holds objects the editor would lose, or its reading was stopped:
    // it is shown read-only.
    BOOL IsKeptReadOnly() const { return m_bKeepsObjects; }
    // The page's reading was stopped: the editor shows nothing of it.
    BOOL IsUnread() const { return m_bUnread; }
    // Stores the control's rich text into the page; FALSE when there is nothing to store.
    BOOL StoreEdits();
    // Shows the page's stored text again.
    void ReloadPage();
    // Whether the notebook was marked modified when this page's editing began.
    BOOL WasNotebookModifiedAtStart() const { return m_bNotebookModifiedAtStart; }
    void SetNotebookModifiedAtStart(BOOL b) { m_bNotebookModifiedAtStart = b; }

    // The whole text (or the selection) as RTF or plain text.
    CString GetStreamText(int nFormat) const;
    // Replaces the whole text (or the selection, with SFF_SELECTION) by the RTF or plain text.
    void SetStreamText(int nFormat, const CString& text);

    // Writes the text to a file (RTF with SF_RTF, else plain text; SFF_SELECTION for the
    // selection). A failed write leaves no partial file. FALSE on failure.
    BOOL ExportToFile(LPCTSTR lpszPath, int nFormat);
    // Reads a file in (RTF or plain text) over the whole text or the selection. A file that
    // cannot be read, or is no RTF when RTF is asked for, changes nothing: FALSE, with the
    // reason for the user in pstrError when given. A long read the user stops changes nothing
    // either: FALSE with no reason.
    BOOL ImportFromFile(LPCTSTR lpszPath, int nFormat, CString* pstrError = nullptr);

    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL IsAutoLink() const { return m_bAutoLink; }

    // A search that came to its end says so.
    void OnTextNotFound(LPCTSTR lpszFind) override;

    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnInitialUpdate() override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // The commands, public for the format bar's frame and the tests.
    void OnAutoUrl();
    void OnReadOnly();
    void OnWordWrap();
    void OnCopyPlain();
    void OnExport();
    void OnImport();
    void OnCharColor();
    void OnHighlight();
    void OnNoHighlight();
    void OnAutoColor();
    void OnStrikeout() { OnCharEffect(CFM_STRIKEOUT, CFE_STRIKEOUT); }
    void OnSubscript() { OnCharEffect(CFM_SUBSCRIPT, CFE_SUBSCRIPT); }
    void OnSuperscript() { OnCharEffect(CFM_SUPERSCRIPT, CFE_SUPERSCRIPT); }
    void SetReadOnlyMode(BOOL bReadOnly);

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnUpdateAutoUrl(CCmdUI* pCmdUI);
    void OnUpdateReadOnly(CCmdUI* pCmdUI);
    void OnUpdateWordWrap(CCmdUI* pCmdUI);
    void OnUpdateStrikeout(CCmdUI* p) { OnUpdateCharEffect(p, CFM_STRIKEOUT, CFE_STRIKEOUT); }
    void OnUpdateSubscript(CCmdUI* p) { OnUpdateCharEffect(p, CFM_SUBSCRIPT, CFE_SUBSCRIPT); }
    void OnUpdateSuperscript(CCmdUI* p) { OnUpdateCharEffect(p, CFM_SUPERSCRIPT, CFE_SUPERSCRIPT); }
    void OnUpdateNeedPage(CCmdUI* pCmdUI);
    void ApplyInitialState();
    // Replaces the whole text as SetStreamText does; a long text is read with the progress
    // window (its title, and the page or file read), whose 取消 stops it: FALSE then, and the
    // control shows what it showed before.
    BOOL ReadStreamText(int nFormat, const CString& text, LPCTSTR lpszTitle, LPCTSTR lpszSubject);
    // Streams the text in, telling the progress when one is given; the stream's error.
    DWORD StreamTextIn(int nFormat, const CString& text, CIRichEditReadProgress* pProgress);
    void OnTextChanged();
    // Sets the text colour (CFM_COLOR) or the highlight (CFM_BACKCOLOR) of the selection.
    void SetColour(DWORD dwMask, DWORD dwEffects, COLORREF cr);
    DECLARE_MESSAGE_MAP()

    CNoteContent* m_pPage = nullptr;
    CQuillmarBaseDoc* m_pNotebook = nullptr;
    BOOL m_bAutoLink = TRUE;
    BOOL m_bReadOnly = FALSE;
    BOOL m_bKeepsObjects = FALSE;
    int m_nSavedWrap = WrapToWindow;
    BOOL m_bNotebookModifiedAtStart = FALSE;
    BOOL m_bLoading = FALSE;
    BOOL m_bUnread = FALSE;
    BOOL m_bEditing = FALSE;
};
