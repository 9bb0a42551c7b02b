#include "sms/ui/SmsRecordViews.h"

#include "contacts/Person.h"
#include "contacts/ui/ViewPsnInfo.h"
#include "core/Content.h"
#include "core/FieldValue.h"
#include "core/QuillmarBaseDoc.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/WinApp.h"
#include "sms/Sms.h"
#include "sms/SmsBox.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNCREATE(CFormContent, CFormView)
IMPLEMENT_DYNCREATE(CViewSmsRecord, CListView)

namespace {

CString LoadText(UINT nId) {
    CString text;
    text.LoadString(nId);
    return text;
}

void AppendRun(CRichEditCtrl& edit, const CString& text, COLORREF crText, COLORREF crBack,
               BOOL bDefaultColour, int nOffset) {
    if (text.IsEmpty())
        return;
    const long nEnd = edit.GetTextLength();
    edit.SetSel(nEnd, nEnd);
    edit.ReplaceSel(text);
    CHARFORMAT2 cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR | CFM_BACKCOLOR | CFM_OFFSET;
    cf.dwEffects = bDefaultColour ? CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR : 0;
    if (!bDefaultColour) {
        cf.crTextColor = crText;
        cf.crBackColor = crBack;
        if (crBack == (COLORREF)-1)
            cf.dwEffects |= CFE_AUTOBACKCOLOR;
    }
    cf.yOffset = nOffset;
    edit.SetSel(nEnd, nEnd + text.GetLength());
    edit.SetSelectionCharFormat(cf);
    edit.SetSel(-1, -1);
}

} // namespace

// ---- Content form -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFormContent, CFormView)
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_WM_ERASEBKGND()
ON_WM_CONTEXTMENU()
ON_EN_SETFOCUS(CFormContent::IDC_TEXT, &CFormContent::OnEditorSetFocus)
ON_EN_KILLFOCUS(CFormContent::IDC_TEXT, &CFormContent::OnEditorKillFocus)
ON_COMMAND(CFormContent::ID_CHOOSE_FONT, &CFormContent::OnChooseFont)
ON_COMMAND(CFormContent::ID_DEFAULT_FONT, &CFormContent::OnDefaultFont)
ON_COMMAND(CFormContent::ID_COPY, &CFormContent::OnCopy)
END_MESSAGE_MAP()

CFormContent::CFormContent() : CFormView(IDD) {
    m_brush.CreateSolidBrush(RGB(35, 132, 228));
}

CFormContent::~CFormContent() = default;

void CFormContent::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEXT, m_text);
}

void CFormContent::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CFormView::OnInitialUpdate();
    if (auto* pSend = static_cast<CStatic*>(GetDlgItem(IDC_SEND_ICON)))
        pSend->SetIcon(AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(256) : nullptr);
    if (auto* pReceive = static_cast<CStatic*>(GetDlgItem(IDC_RECEIVE_ICON)))
        pReceive->SetIcon(AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(259) : nullptr);
    ApplyDefaultFont();
    SetMode(ModeRecord);
    CRect rc;
    GetClientRect(&rc);
    Layout(rc.Width(), rc.Height());
}

void CFormContent::SetMode(int nMode) {
    m_nMode = nMode == ModeMessage ? ModeMessage : ModeRecord;
    if (GetSafeHwnd() == nullptr)
        return;
    const BOOL bMessage = m_nMode == ModeMessage;
    for (UINT id : {IDC_SENDER_LABEL, IDC_DATE_LABEL, IDC_RECIPIENT, IDC_TIME, IDC_RECIPIENT_LABEL,
                    IDC_TIME_LABEL, IDC_SENDER, IDC_DATE, IDC_SEND_ICON, IDC_RECEIVE_ICON})
        if (CWnd* pItem = GetDlgItem(id))
            pItem->ShowWindow(bMessage ? SW_SHOW : SW_HIDE);
    if (CWnd* pTitle = GetDlgItem(IDC_TITLE))
        pTitle->ShowWindow(bMessage ? SW_HIDE : SW_SHOW);
    CWnd* pMarker = GetDlgItem(IDC_TEXT_TOP);
    if (pMarker == nullptr || m_text.GetSafeHwnd() == nullptr)
        return;
    CRect marker, text;
    pMarker->GetWindowRect(&marker);
    ScreenToClient(&marker);
    m_text.GetWindowRect(&text);
    ScreenToClient(&text);
    text.top = bMessage ? marker.bottom : marker.top;
    m_text.MoveWindow(&text);
}

void CFormContent::Layout(int cx, int cy) {
    if (m_text.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    auto rectOf = [this](UINT id) {
        CRect r;
        if (CWnd* p = GetDlgItem(id)) {
            p->GetWindowRect(&r);
            ScreenToClient(&r);
        }
        return r;
    };
    auto place = [this](UINT id, const CRect& r) {
        if (CWnd* p = GetDlgItem(id))
            p->MoveWindow(&r);
    };
    const int mid = cx / 2;
    CRect icon = rectOf(IDC_RECEIVE_ICON);
    icon.OffsetRect(cx - 5 - icon.right, 0);
    place(IDC_RECEIVE_ICON, icon);
    for (UINT id : {IDC_SENDER, IDC_DATE}) {
        CRect r = rectOf(id);
        r.right = std::max((int)r.left, mid);
        place(id, r);
    }
    for (auto pair : {std::make_pair(IDC_RECIPIENT_LABEL, IDC_RECIPIENT),
                      std::make_pair(IDC_TIME_LABEL, IDC_TIME)}) {
        CRect label = rectOf(pair.first);
        label.OffsetRect(mid - label.left, 0);
        place(pair.first, label);
        CRect value = rectOf(pair.second);
        value.left = label.right;
        value.right = std::max((int)value.left, (int)icon.left);
        place(pair.second, value);
    }
    CRect title = rectOf(IDC_TITLE);
    title.right = std::max((int)title.left, cx - title.left);
    place(IDC_TITLE, title);
    CRect text = rectOf(IDC_TEXT);
    text.right = std::max((int)text.left + 1, cx - text.left);
    text.bottom = std::max((int)text.top + 1, cy);
    m_text.MoveWindow(&text);
}

void CFormContent::OnSize(UINT nType, int cx, int cy) {
    CFormView::OnSize(nType, cx, cy);
    Layout(cx, cy);
}

void CFormContent::ShowRecordField(CContent* pRecord, int nField, LPCTSTR lpszTitle) {
    if (m_nMode != ModeRecord || m_text.GetSafeHwnd() == nullptr)
        return;
    m_text.SetWindowText("");
    int nKind = FIELD_NONE;
    void* pData = pRecord != nullptr ? pRecord->GetFieldData(nField, nKind) : nullptr;
    if (pData != nullptr && nKind == FIELD_MULTI_VALUE) {
        auto* pList = static_cast<CXStringList*>(pData);
        const int nCurrent = pList->GetCurrentIndex();
        int i = 0;
        for (POSITION pos = pList->GetHeadPosition(); pos != nullptr; ++i) {
            const CXString& entry = pList->GetNext(pos);
            // An entry of two or more strings is a label and its value; one string is a value.
            const BOOL bLabelled = entry.GetCount() > 1;
            CString label = bLabelled ? entry.GetValue(0) : CString();
            CString value;
            for (int s = bLabelled ? 1 : 0; s < entry.GetCount(); ++s) {
                if (!value.IsEmpty())
                    value += " ";
                value += entry.GetValue(s);
            }
            if (i > 0)
                AppendRun(m_text, "\n", 0, 0, TRUE, 0);
            if (!label.IsEmpty())
                AppendRun(m_text, label + " ", RGB(0, 0, 255), (COLORREF)-1, i != nCurrent, 0);
            AppendRun(m_text, value, RGB(0, 200, 0), RGB(215, 215, 215), FALSE, -20);
        }
        SetDlgItemText(IDC_TITLE, lpszTitle);
        return;
    }
    CString text;
    if (pData != nullptr && nKind == FIELD_TEXT)
        text = *static_cast<CString*>(pData);
    else if (pData != nullptr && (nKind == FIELD_INT || nKind == FIELD_INT8))
        text.Format("%d", *static_cast<int*>(pData));
    SetTitleAndText(text, lpszTitle);
}

void CFormContent::ShowRecordContent(CContent* pRecord, int nField, LPCTSTR lpszText,
                                     LPCTSTR lpszTitle) {
    if (!m_bInitialized)
        OnInitialUpdate();
    SetMode(ModeRecord);
    int nKind = FIELD_NONE;
    if (pRecord != nullptr && nField >= 0 && pRecord->GetFieldData(nField, nKind) != nullptr &&
        nKind == FIELD_MULTI_VALUE)
        ShowRecordField(pRecord, nField, lpszTitle);
    else
        SetTitleAndText(lpszText, lpszTitle);
}

void CFormContent::SetTitleAndText(LPCTSTR lpszText, LPCTSTR lpszTitle) {
    if (m_nMode != ModeRecord || GetSafeHwnd() == nullptr)
        return;
    m_text.SetWindowText(lpszText != nullptr ? lpszText : "");
    SetDlgItemText(IDC_TITLE, lpszTitle != nullptr ? lpszTitle : "");
}

void CFormContent::ShowMessage(_CSms* pSms) {
    if (m_nMode != ModeMessage || GetSafeHwnd() == nullptr)
        return;
    auto oneLine = [](CString text) {
        text.Replace("\r\n", " ");
        text.Replace("\n", " ");
        return text;
    };
    SetDlgItemText(IDC_SENDER, pSms != nullptr ? oneLine(pSms->m_sender.GetDisplayText()) : "");
    SetDlgItemText(IDC_RECIPIENT, pSms != nullptr ? oneLine(pSms->GetRecipientsText()) : "");
    SetDlgItemText(IDC_DATE, pSms != nullptr ? pSms->GetTime().Format("%Y-%m-%d") : "");
    SetDlgItemText(IDC_TIME, pSms != nullptr ? pSms->GetTime().Format("%H:%M:%S") : "");
    m_text.SetWindowText(pSms != nullptr ? pSms->m_strContent : "");
}

void CFormContent::ApplyDefaultFont() {
    // From the form's own font every time, so that asking twice gives the same size.
    LOGFONT lf{};
    CFont* pFont = GetFont();
    if (pFont == nullptr)
        pFont = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT));
    if (pFont != nullptr)
        pFont->GetLogFont(&lf);
    if (lf.lfHeight == 0)
        lf.lfHeight = -12;
    lf.lfHeight = lf.lfHeight * 3 / 2;
    strncpy(lf.lfFaceName, "Fixedsys", LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    ApplyFont(lf);
}

void CFormContent::ApplyFont(const LOGFONT& lf) {
    m_logFont = lf;
    m_font.DeleteObject();
    if (m_font.CreateFontIndirect(&m_logFont) && m_text.GetSafeHwnd() != nullptr)
        m_text.SetFont(&m_font);
}

void CFormContent::OnDefaultFont() {
    ApplyDefaultFont();
}

void CFormContent::OnChooseFont() {
    LOGFONT lf = m_logFont;
    CFontDialog dialog(&lf, CF_SCREENFONTS, nullptr, this);
    if (dialog.DoModal() != IDOK)
        return;
    dialog.GetCurrentFont(&lf);
    ApplyFont(lf);
}

void CFormContent::OnCopy() {
    if (m_text.GetSafeHwnd() != nullptr)
        m_text.Copy();
}

void CFormContent::OnEditorSetFocus() {
    m_bEditorFocused = TRUE;
    Invalidate();
}

void CFormContent::OnEditorKillFocus() {
    m_bEditorFocused = FALSE;
    Invalidate();
}

HBRUSH CFormContent::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CFormView::OnCtlColor(pDC, pWnd, nCtlColor);
    if (!m_bEditorFocused || nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_LISTBOX)
        return hbr;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(0, 255, 0));
    return (HBRUSH)m_brush.GetSafeHandle();
}

BOOL CFormContent::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    if (m_text.GetSafeHwnd() != nullptr) {
        CRect text;
        m_text.GetWindowRect(&text);
        ScreenToClient(&text);
        pDC->ExcludeClipRect(&text);
    }
    if (m_bEditorFocused)
        pDC->FillRect(&rc, &m_brush);
    else
        pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
    return TRUE;
}

void CFormContent::OnContextMenu(CWnd*, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(170))
        return;
    CMenu* pPopup = menu.GetSubMenu(4);
    if (pPopup == nullptr)
        return;
    if (point.x == -1 && point.y == -1) { // from the keyboard: at the form's corner
        point = CPoint(0, 0);
        ClientToScreen(&point);
    }
    CWnd* pFrame = GetTopLevelFrame();
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y,
                           pFrame != nullptr ? pFrame : this);
}

// ---- Message records ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CViewSmsRecord, CListView)
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CViewSmsRecord::OnItemChanged)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CViewSmsRecord::OnCustomDraw)
ON_COMMAND_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                 &CViewSmsRecord::OnBkCommand)
ON_UPDATE_COMMAND_UI_RANGE(CBkManager::IdChooseBkColor, CBkManager::IdDefaultTextColor,
                           &CViewSmsRecord::OnUpdateBkCommand)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CViewSmsRecord::CViewSmsRecord() = default;

void CViewSmsRecord::LinkContentPane(CWnd* pPane) {
    m_pForm = dynamic_cast<CFormContent*>(pPane);
}

void CViewSmsRecord::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
}

void CViewSmsRecord::OnInitialUpdate() {
    if (m_bInitialized)
        return;
    m_bInitialized = TRUE;
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHOWSELALWAYS);
    const DWORD ex = LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT;
    list.SetExtendedStyleMasked(ex, ex);
    const struct {
        UINT nId;
        int cx;
    } kColumns[] = {{226, 100}, {227, 100}, {230, 500}, {231, 130}};
    for (int i = 0; i < 4; ++i)
        list.InsertColumn(i, LoadText(kColumns[i].nId), LVCFMT_LEFT, kColumns[i].cx);
    InitListBackground(m_bkManager, list, "Bkground\\ViewMsgRecord", "Images\\background4.bmp");
}

void CViewSmsRecord::OnUpdate(CView*, LPARAM, CObject*) {
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetShownDocument(this));
    Fill(pDoc != nullptr ? dynamic_cast<CContent*>(pDoc->GetCurrentObject()) : nullptr);
}

void CViewSmsRecord::Fill(CContent* pContact) {
    if (GetSafeHwnd() == nullptr)
        return;
    if (!m_bInitialized)
        OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    m_pSelected = nullptr;
    auto* pPerson = dynamic_cast<_CPerson*>(pContact);
    if (pPerson != nullptr && pPerson->IsVirtual())
        pPerson = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
    if (pPerson != nullptr) {
        // Borrowed, not owned: the box only lists the contact's messages for a moment.
        _CSmsBox all;
        for (int nBox : {CMsgBoxBase::BOX_INBOX, CMsgBoxBase::BOX_SENT})
            if (_CSmsBox* pBox = pPerson->GetSmsBox(nBox))
                all.CopySmsFrom(pBox, FALSE, nullptr, TRUE, FALSE, TRUE);
        for (POSITION pos = all.GetFirstSmsPosition(); pos != nullptr;) {
            _CSms* pSms = all.GetNextSms(pos);
            const int nImage = pSms != nullptr ? pSms->GetStateImage() : -1;
            if (nImage != CMsgBoxBase::BOX_INBOX && nImage != CMsgBoxBase::BOX_SENT)
                continue;
            auto oneLine = [](CString text) {
                text.Replace("\r\n", " ");
                text.Replace("\n", " ");
                return text;
            };
            const int nRow = list.InsertItem(LVIF_TEXT | LVIF_PARAM, list.GetItemCount(),
                                             oneLine(pSms->m_sender.m_str), 0, 0, 0,
                                             (LPARAM) static_cast<CObject*>(pSms));
            list.SetItemText(nRow, 1, oneLine(pSms->GetRecipientsText()));
            list.SetItemText(nRow, 2, oneLine(pSms->m_strContent));
            list.SetItemText(nRow, 3, pSms->GetTimeText());
        }
        all.DeleteAllSms();
    }
    list.SetRedraw(TRUE);
    list.Invalidate();
    if (m_pForm != nullptr && m_pForm->GetSafeHwnd() != nullptr) {
        m_pForm->SetMode(CFormContent::ModeMessage);
        m_pForm->ShowMessage(nullptr);
    }
}

void CViewSmsRecord::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    auto* pInfo = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    if (pInfo == nullptr || (pInfo->uChanged & LVIF_STATE) == 0 ||
        (pInfo->uNewState & LVIS_SELECTED) == 0)
        return;
    m_pSelected = dynamic_cast<_CSms*>(
        reinterpret_cast<CObject*>(GetListCtrl().GetItemData(pInfo->iItem)));
    if (m_pForm != nullptr && m_pForm->GetSafeHwnd() != nullptr) {
        m_pForm->SetMode(CFormContent::ModeMessage);
        m_pForm->ShowMessage(m_pSelected);
    }
}

void CViewSmsRecord::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {
    CListView::OnActivateView(bActivate, pActivateView, pDeactiveView);
    if (bActivate && m_pForm != nullptr && m_pForm->GetSafeHwnd() != nullptr) {
        m_pForm->SetMode(CFormContent::ModeMessage);
        m_pForm->ShowMessage(m_pSelected);
    }
}

void CViewSmsRecord::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (cd->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return;
    auto* pSms = dynamic_cast<_CSms*>(reinterpret_cast<CObject*>(cd->nmcd.lItemlParam));
    if (pSms != nullptr && (pSms->GetState() == _CSms::STATE_READ ||
                            pSms->GetState() == _CSms::STATE_UNREAD))
        cd->clrText = RGB(0, 0, 255);
}

void CViewSmsRecord::OnBkCommand(UINT nID) {
    m_bkManager.OnCommand(nID);
}

void CViewSmsRecord::OnUpdateBkCommand(CCmdUI* pCmdUI) {
    m_bkManager.OnUpdateCommand(pCmdUI);
}

void CViewSmsRecord::OnDestroy() {
    if (m_bInitialized)
        m_bkManager.SaveToProfile();
    CListView::OnDestroy();
}
