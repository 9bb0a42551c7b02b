#include "notes/ui/WordPadView.h"

#include "core/QuillmarBaseDoc.h"
#include "links/ui/TaskProgress.h"
#include "notes/NoteContent.h"
#include "notes/WordPadDoc.h"
#include "notes/ui/DlgExportRtftxt.h"
#include "platform/base/File.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Icon.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/ShellServices.h"
#include "ui/ClipboardText.h"
#include "ui/KovRichEditCtrl.h"

#include <cstring>
#include <string>

IMPLEMENT_DYNCREATE(CWordPadView, CRichEditView)

BEGIN_MESSAGE_MAP(CWordPadView, CRichEditView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_AUTO_URL, &CWordPadView::OnAutoUrl)
ON_COMMAND(ID_READ_ONLY, &CWordPadView::OnReadOnly)
ON_COMMAND(ID_WORD_WRAP, &CWordPadView::OnWordWrap)
ON_COMMAND(ID_COPY_PLAIN, &CWordPadView::OnCopyPlain)
ON_COMMAND(ID_EXPORT, &CWordPadView::OnExport)
ON_COMMAND(ID_IMPORT, &CWordPadView::OnImport)
ON_COMMAND(ID_CHAR_COLOR, &CWordPadView::OnCharColor)
ON_COMMAND(ID_AUTO_COLOR, &CWordPadView::OnAutoColor)
ON_COMMAND(ID_HIGHLIGHT, &CWordPadView::OnHighlight)
ON_COMMAND(ID_NO_HIGHLIGHT, &CWordPadView::OnNoHighlight)
ON_COMMAND(ID_STRIKEOUT, &CWordPadView::OnStrikeout)
ON_COMMAND(ID_SUBSCRIPT, &CWordPadView::OnSubscript)
ON_COMMAND(ID_SUPERSCRIPT, &CWordPadView::OnSuperscript)
ON_COMMAND(ID_CHAR_BOLD, &CWordPadView::OnCharBold)
ON_COMMAND(ID_CHAR_ITALIC, &CWordPadView::OnCharItalic)
ON_COMMAND(ID_CHAR_UNDERLINE, &CWordPadView::OnCharUnderline)
ON_UPDATE_COMMAND_UI(ID_CHAR_BOLD, &CWordPadView::OnUpdateCharBold)
ON_UPDATE_COMMAND_UI(ID_CHAR_ITALIC, &CWordPadView::OnUpdateCharItalic)
ON_UPDATE_COMMAND_UI(ID_CHAR_UNDERLINE, &CWordPadView::OnUpdateCharUnderline)
ON_UPDATE_COMMAND_UI(ID_AUTO_URL, &CWordPadView::OnUpdateAutoUrl)
ON_UPDATE_COMMAND_UI(ID_READ_ONLY, &CWordPadView::OnUpdateReadOnly)
ON_UPDATE_COMMAND_UI(ID_WORD_WRAP, &CWordPadView::OnUpdateWordWrap)
ON_UPDATE_COMMAND_UI(ID_STRIKEOUT, &CWordPadView::OnUpdateStrikeout)
ON_UPDATE_COMMAND_UI(ID_SUBSCRIPT, &CWordPadView::OnUpdateSubscript)
ON_UPDATE_COMMAND_UI(ID_SUPERSCRIPT, &CWordPadView::OnUpdateSuperscript)
ON_UPDATE_COMMAND_UI(ID_EXPORT, &CWordPadView::OnUpdateNeedPage)
ON_UPDATE_COMMAND_UI(ID_IMPORT, &CWordPadView::OnUpdateNeedPage)
END_MESSAGE_MAP()

namespace {

struct StreamBuffer {
    std::string bytes;
    size_t pos = 0;
};

DWORD ReadFromBuffer(DWORD_PTR cookie, LPBYTE pb, LONG cb, LONG* pcb) {
    auto* b = reinterpret_cast<StreamBuffer*>(cookie);
    size_t n = std::min((size_t)cb, b->bytes.size() - b->pos);
    std::memcpy(pb, b->bytes.data() + b->pos, n);
    b->pos += n;
    *pcb = (LONG)n;
    return 0;
}

DWORD WriteToBuffer(DWORD_PTR cookie, LPBYTE pb, LONG cb, LONG* pcb) {
    auto* b = reinterpret_cast<StreamBuffer*>(cookie);
    b->bytes.append(reinterpret_cast<const char*>(pb), (size_t)cb);
    *pcb = cb;
    return 0;
}

CString LoadText(UINT nID) {
    CString s;
    s.LoadString(nID);
    return s;
}

// Shows the reading of a long page or file in the program's progress window; its 取消 (or
// Escape) stops the reading. A page of fewer paragraphs is read before a window could be seen.
class CReadProgress : public CIRichEditReadProgress {
public:
    static constexpr ULONGLONG kShowFrom = 50000;

    CReadProgress(CWnd* pParent, LPCTSTR lpszTitle, LPCTSTR lpszSubject)
        : m_task(pParent, lpszTitle, "正在读取:", lpszSubject, kShowFrom) {}
    BOOL OnReadProgress(ULONGLONG nDone, ULONGLONG nTotal) override {
        return m_task.Step(nDone, nTotal);
    }

private:
    CTaskProgress m_task;
};

} // namespace

CWordPadView::CWordPadView() = default;

int CWordPadView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CRichEditView::OnCreate(lpcs) == -1)
        return -1;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SetOptions(ECOOP_OR, ECO_AUTOWORDSELECTION);
    ctrl.SendMessage(EM_SETLANGOPTIONS, 0,
                     ctrl.SendMessage(EM_GETLANGOPTIONS) & ~(LPARAM)IMF_AUTOFONT);
    if (m_bAutoLink) {
        ctrl.SendMessage(EM_AUTOURLDETECT, TRUE);
        ctrl.SetEventMask(ctrl.GetEventMask() | ENM_LINK);
    }
    m_nSavedWrap = m_nWordWrap;
    ApplyInitialState();
    return 0;
}

void CWordPadView::OnInitialUpdate() {
    CRichEditView::OnInitialUpdate();
    ShowPage(nullptr, nullptr);
}

void CWordPadView::ApplyInitialState() {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    CHARFORMAT2 cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE |
                CFM_COLOR | CFM_OFFSET | CFM_FACE;
    cf.dwEffects = CFE_AUTOCOLOR;
    cf.yHeight = 200;
    std::strncpy(cf.szFaceName, "宋体", LF_FACESIZE - 1);
    ctrl.SetDefaultCharFormat(cf);
    ctrl.EmptyUndoBuffer();
    ctrl.SetModify(FALSE);
}

void CWordPadView::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    // Text keeps a margin from the window's left and top edges.
    CRect rc(15, 5, std::max(15, cx), std::max(5, cy));
    GetRichEditCtrl().SetRect(rc);
}

void CWordPadView::ShowPage(CNoteContent* pPage, CQuillmarBaseDoc* pNotebook) {
    m_pPage = pPage;
    m_pNotebook = pPage != nullptr ? pNotebook : nullptr;
    m_bKeepsObjects = FALSE;
    if (m_hWnd == nullptr)
        return;
    m_bUnread = FALSE;
    m_bLoading = TRUE;
    CString body = pPage != nullptr ? pPage->GetBodyText() : CString();
    if (!ReadStreamText(SF_RTF, body.IsEmpty() ? CString("{\\rtf1 }") : body, "读取页面",
                        pPage != nullptr ? (LPCTSTR)pPage->GetName() : "")) {
        // The reading was stopped: the page shows nothing of itself, and nothing of it is
        // ever stored back from here.
        SetStreamText(SF_RTF, "{\\rtf1 }");
        m_bUnread = TRUE;
    }
    ApplyInitialState();
    m_bLoading = FALSE;
    m_bEditing = FALSE;
    m_bNotebookModifiedAtStart = m_pNotebook != nullptr && m_pNotebook->IsModified();
    if (m_bUnread) {
        m_bKeepsObjects = TRUE;
        SetReadOnlyMode(TRUE);
        AfxMessageBox("页面“" + pPage->GetName() +
                          "”没有读完，读取已取消。页面的内容没有改动；再次选中它可以重新读取。",
                      MB_ICONINFORMATION);
    } else if (pPage != nullptr && RtfHoldsObjects(body)) {
        // Storing the page again would drop what the editor could not read.
        m_bKeepsObjects = TRUE;
        SetReadOnlyMode(TRUE);
        AfxMessageBox(LoadText(4907), MB_ICONINFORMATION);
    } else {
        SetReadOnlyMode(pPage == nullptr ? TRUE : m_bReadOnly && pPage != nullptr);
    }
}

void CWordPadView::OnTextNotFound(LPCTSTR) {
    MessageBeep(MB_ICONHAND);
    AfxMessageBox(LoadText(120), MB_ICONINFORMATION);
}

BOOL CWordPadView::HasUnsavedEdits() const {
    return m_pPage != nullptr && !m_bKeepsObjects && !m_bLoading && m_hWnd != nullptr &&
           GetRichEditCtrl().GetModify();
}

BOOL CWordPadView::StoreEdits() {
    if (m_pPage == nullptr || m_bKeepsObjects || m_bLoading)
        return FALSE;
    m_pPage->SetBodyText(GetStreamText(SF_RTF));
    GetRichEditCtrl().SetModify(FALSE);
    m_bEditing = FALSE;
    return TRUE;
}

void CWordPadView::ReloadPage() {
    BOOL bReadOnly = m_bReadOnly;
    ShowPage(m_pPage, m_pNotebook);
    if (!m_bKeepsObjects)
        SetReadOnlyMode(bReadOnly);
}

CString CWordPadView::GetStreamText(int nFormat) const {
    StreamBuffer buffer;
    EDITSTREAM es{(DWORD_PTR)&buffer, 0, &WriteToBuffer};
    GetRichEditCtrl().StreamOut(nFormat, es);
    return CString(buffer.bytes.data(), (int)buffer.bytes.size());
}

void CWordPadView::SetStreamText(int nFormat, const CString& text) {
    StreamTextIn(nFormat, text, nullptr);
}

BOOL CWordPadView::ReadStreamText(int nFormat, const CString& text, LPCTSTR lpszTitle,
                                  LPCTSTR lpszSubject) {
    CReadProgress progress(this, lpszTitle, lpszSubject);
    return StreamTextIn(nFormat, text, &progress) != kRichEditReadStopped;
}

DWORD CWordPadView::StreamTextIn(int nFormat, const CString& text,
                                 CIRichEditReadProgress* pProgress) {
    StreamBuffer buffer;
    buffer.bytes.assign(text.GetString(), (size_t)text.GetLength());
    EDITSTREAM es{(DWORD_PTR)&buffer, 0, &ReadFromBuffer};
    if (pProgress != nullptr)
        GetRichEditCtrl().StreamIn(nFormat, es, pProgress);
    else
        GetRichEditCtrl().StreamIn(nFormat, es);
    return es.dwError;
}

BOOL CWordPadView::ExportToFile(LPCTSTR lpszPath, int nFormat) {
    return StreamOutToFile(GetRichEditCtrl(), lpszPath, static_cast<UINT>(nFormat));
}

BOOL CWordPadView::ImportFromFile(LPCTSTR lpszPath, int nFormat, CString* pstrError) {
    const CString unreadable = CString("导入失败：无法读取文件 ") + lpszPath + "。";
    auto fail = [pstrError](const CString& reason) {
        if (pstrError != nullptr)
            *pstrError = reason;
        return FALSE;
    };
    CFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return fail(unreadable);
    std::string bytes;
    try {
        const ULONGLONG n = file.GetLength();
        if (n > 64ull * 1024 * 1024)
            return fail(unreadable);
        bytes.resize((size_t)n);
        bytes.resize(file.Read(bytes.data(), (UINT)n));
    } catch (CException* e) {
        e->Delete();
        return fail(unreadable);
    }
    // Anything else taken as RTF would replace the page with its bytes as text.
    if ((nFormat & SF_RTF) && !RtfHasHeader(bytes.data(), bytes.size()))
        return fail(CString("导入失败：文件 ") + lpszPath + " 不是 RTF 格式的文件，页面没有改动。");
    if (!ReadStreamText(nFormat, CString(bytes.data(), (int)bytes.size()), "导入文件", lpszPath))
        return fail(CString()); // stopped by the user: the page is as it was
    GetRichEditCtrl().SetModify(TRUE);
    return TRUE;
}

void CWordPadView::OnUpdate(CView*, LPARAM, CObject* pHint) {
    auto* pPage = dynamic_cast<CNoteContent*>(pHint);
    if (pPage == m_pPage && pPage != nullptr)
        return;
    ShowPage(pPage, dynamic_cast<CQuillmarBaseDoc*>(GetDocument() != nullptr
                                                        ? (CDocument*)GetDocument()
                                                        : m_pDocument));
}

BOOL CWordPadView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE)
        OnTextChanged();
    if (message == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (nm != nullptr && nm->code == EN_LINK) {
            auto* link = reinterpret_cast<ENLINK*>(lParam);
            if (link->msg == WM_LBUTTONDOWN) {
                CString url;
                GetRichEditCtrl().GetTextRange(link->chrg.cpMin, link->chrg.cpMax, url);
                ShellExecute(m_hWnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
                if (pResult != nullptr)
                    *pResult = 1;
                return TRUE;
            }
        }
    }
    return CRichEditView::OnChildNotify(message, wParam, lParam, pResult);
}

void CWordPadView::OnTextChanged() {
    // An edit begins with the first change after the page was shown or its edit ended: the
    // notebook's modified mark as it is now is what a discard goes back to.
    if (m_bLoading || m_bEditing || m_pPage == nullptr || !GetRichEditCtrl().GetModify())
        return;
    m_bEditing = TRUE;
    m_bNotebookModifiedAtStart = m_pNotebook != nullptr && m_pNotebook->IsModified();
}

void CWordPadView::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(kContextMenuId))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return;
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the caret.
        long start = 0, end = 0;
        GetRichEditCtrl().GetSel(start, end);
        point = GetRichEditCtrl().GetCharPos(end);
        ClientToScreen(&point);
    }
    CWnd* pOwner = GetParentFrame() != nullptr ? (CWnd*)GetParentFrame() : (CWnd*)this;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, pOwner);
}

void CWordPadView::SetReadOnlyMode(BOOL bReadOnly) {
    if (m_hWnd == nullptr)
        return;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SetReadOnly(bReadOnly);
    // Read-only text sits on the button face, editable text on the window colour.
    ctrl.SetBackgroundColor(bReadOnly ? FALSE : TRUE, ::GetSysColor(COLOR_BTNFACE));
}

void CWordPadView::OnAutoUrl() {
    m_bAutoLink = !m_bAutoLink;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SendMessage(EM_AUTOURLDETECT, m_bAutoLink);
    ctrl.SetEventMask(m_bAutoLink ? ctrl.GetEventMask() | ENM_LINK
                                  : ctrl.GetEventMask() & ~(DWORD)ENM_LINK);
}

void CWordPadView::OnUpdateAutoUrl(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bAutoLink ? 1 : 0);
}

void CWordPadView::OnReadOnly() {
    if (m_bKeepsObjects)
        return;
    m_bReadOnly = !m_bReadOnly;
    SetReadOnlyMode(m_bReadOnly || m_pPage == nullptr);
}

void CWordPadView::OnUpdateReadOnly(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pPage != nullptr && !m_bKeepsObjects);
    pCmdUI->SetCheck(m_bReadOnly || m_bKeepsObjects ? 1 : 0);
}

void CWordPadView::OnWordWrap() {
    CWaitCursor wait;
    if (m_nWordWrap == WrapNone) {
        m_nWordWrap = m_nSavedWrap == WrapNone ? WrapToWindow : m_nSavedWrap;
    } else {
        m_nSavedWrap = m_nWordWrap;
        m_nWordWrap = WrapNone;
    }
    WrapChanged();
}

void CWordPadView::OnUpdateWordWrap(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_nWordWrap != WrapNone ? 1 : 0);
}

void CWordPadView::OnCopyPlain() {
    CString text = GetRichEditCtrl().GetSelText();
    if (!text.IsEmpty())
        CopyTextToClipboard(text);
}

void CWordPadView::OnUpdateNeedPage(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pPage != nullptr && !m_bUnread);
}

void CWordPadView::OnExport() {
    if (m_bUnread)
        return;
    CDlgExportRtftxt dlg(this);
    if (m_pPage != nullptr)
        dlg.m_strFileName = m_pPage->GetName();
    if (dlg.DoModal() != IDOK)
        return;
    if (!ExportToFile(dlg.m_strFileName, dlg.GetStreamFlags())) {
        AfxMessageBox("导出失败：无法写入文件 " + dlg.m_strFileName + "。", MB_ICONEXCLAMATION);
        return;
    }
    AfxMessageBox(LoadText(924), MB_ICONINFORMATION);
}

void CWordPadView::OnImport() {
    if (m_bKeepsObjects || m_bReadOnly)
        return;
    CDlgImportRtftxt dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    CString error;
    if (!ImportFromFile(dlg.m_strFileName, dlg.GetStreamFlags(), &error) && !error.IsEmpty())
        AfxMessageBox(error, MB_ICONEXCLAMATION);
}

void CWordPadView::SetColour(DWORD dwMask, DWORD dwEffects, COLORREF cr) {
    CHARFORMAT2 cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = dwMask;
    cf.dwEffects = dwEffects;
    cf.crTextColor = cf.crBackColor = cr;
    SetCharFormat(cf);
}

void CWordPadView::OnCharColor() {
    CColorDialog dlg(GetCharFormatSelection().crTextColor, 0, this);
    if (dlg.DoModal() == IDOK)
        SetColour(CFM_COLOR, 0, dlg.GetColor());
}

void CWordPadView::OnAutoColor() {
    SetColour(CFM_COLOR, CFE_AUTOCOLOR, 0);
}

void CWordPadView::OnHighlight() {
    CColorDialog dlg(RGB(255, 255, 0), 0, this);
    if (dlg.DoModal() == IDOK)
        SetColour(CFM_BACKCOLOR, 0, dlg.GetColor());
}

void CWordPadView::OnNoHighlight() {
    SetColour(CFM_BACKCOLOR, CFE_AUTOBACKCOLOR, 0);
}
