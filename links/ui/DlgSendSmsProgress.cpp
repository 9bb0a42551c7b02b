#include "links/ui/DlgSendSmsProgress.h"

#include <algorithm>

#include "links/ui/DialogPump.h"

#include <QWidget>

namespace {

enum { IDS_SENDING_NEXT = 169, IDS_COLUMN_FIRST = 171, IDS_ALL_SENT = 176, IDS_FINISHED = 909 };
enum { IDB_BEADS = 123 };
enum { BEAD_PENDING = 0, BEAD_CURRENT = 1, BEAD_DONE = 2 };

const int kColumnCount = 5;
// Room beside a cell's text: the list's margins on both sides of it.
const int kCellRoom = 16;
const COLORREF kHintColour = RGB(0, 0, 255);

// Where the window stood when it was last closed, for the rest of the program's run.
bool s_hasPlace = false;
CPoint s_place;

CString Res(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

CString Number(int n) {
    CString text;
    text.Format("%d", n);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgSendSmsProgress, CDialog)
ON_WM_DESTROY()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgSendSmsProgress::CDlgSendSmsProgress(CISendProgressOwner* pOwner, CWnd* pParent)
    : CDialog(IDD, pParent), m_pOwner(pOwner), m_pParent(pParent) {}

BOOL CDlgSendSmsProgress::CreateModeless() {
    return Create(IDD, m_pParent);
}

BOOL CDlgSendSmsProgress::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_SENT_LIST, this);
    m_recipientBar.SubclassDlgItem(IDC_RECIPIENT_BAR, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int i = 0; i < kColumnCount; ++i)
        m_list.InsertColumn(i, Res(IDS_COLUMN_FIRST + i), LVCFMT_LEFT, 0);
    FitColumnsToHeaders();

    // The bead bar takes the place of its placeholder.
    m_beadImages.Create(IDB_BEADS, 10, 1, RGB(255, 0, 255));
    CWnd* place = GetDlgItem(IDC_BEAD_PLACE);
    CRect rect;
    place->GetWindowRect(&rect);
    ScreenToClient(&rect);
    place->ShowWindow(SW_HIDE);
    m_beads.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, this, IDC_BEAD_PLACE + 100);
    m_beads.SetImages(&m_beadImages, BEAD_PENDING, BEAD_CURRENT, BEAD_DONE);
    return TRUE;
}

void CDlgSendSmsProgress::ShowForRun(LPCTSTR lpszTitle) {
    if (lpszTitle && *lpszTitle)
        SetWindowText(lpszTitle);
    // A new run starts with an empty window.
    m_list.DeleteAllItems();
    FitColumnsToHeaders();
    m_nPartsSent = -1;
    m_nPartsTotal = 0;
    m_nRecipientsTotal = 0;
    m_bCancelled = FALSE;
    m_bStopAsked = FALSE;
    m_recipientBar.SetRange32(0, 1);
    m_recipientBar.SetPos(0);
    m_beads.SetBeadCount(0);
    m_beads.SetPos(-1);
    m_beads.ShowWindow(SW_SHOW);
    SetDlgItemText(IDC_STATUS, "");
    SetDlgItemText(IDC_CURRENT_RECIPIENT, "");
    SetDlgItemText(IDC_PART_COUNTER, "");
    if (!IsWindowVisible()) {
        if (s_hasPlace)
            GetWidget()->move(s_place.x, s_place.y); // the frame's corner, as it was stored
        else
            CenterWindow(m_pParent);
    }
    ShowWindow(SW_SHOW);
    UpdateWindow();
}

void CDlgSendSmsProgress::ShowForTask(LPCTSTR lpszTitle, LPCTSTR lpszLabel,
                                      LPCTSTR lpszSubject) {
    SetWindowText(lpszTitle);
    m_bTask = TRUE;
    m_bCancelled = FALSE;
    m_bStopAsked = FALSE;
    // What belongs to sends goes (确定 too: a task ends by itself or by 取消); the rows below the list move up into its place and the window
    // loses the height of the list and the hint.
    CRect top, hint, bar;
    GetDlgItem(IDC_LIST_LABEL)->GetWindowRect(&top);
    GetDlgItem(IDC_HINT)->GetWindowRect(&hint);
    m_recipientBar.GetWindowRect(&bar);
    for (int id : {(int)IDC_LIST_LABEL, (int)IDC_SENT_LIST, (int)IDC_HINT, IDOK})
        GetDlgItem(id)->ShowWindow(SW_HIDE);
    m_beads.ShowWindow(SW_HIDE);
    const int rise = bar.top - top.top;
    for (int id : {(int)IDC_RECIPIENT_BAR, (int)IDC_STATUS, (int)IDC_RECIPIENT_LABEL,
                   (int)IDC_CURRENT_RECIPIENT, (int)IDC_PART_COUNTER, IDOK, IDCANCEL}) {
        CWnd* item = GetDlgItem(id);
        CRect rect;
        item->GetWindowRect(&rect);
        ScreenToClient(&rect);
        const int by = id == IDOK || id == IDCANCEL ? rise + hint.Height() : rise;
        rect.OffsetRect(0, -by);
        item->MoveWindow(&rect);
    }
    CRect frame;
    GetWindowRect(&frame);
    frame.bottom -= rise + hint.Height();
    MoveWindow(&frame);
    SetDlgItemText(IDC_RECIPIENT_LABEL, lpszLabel);
    SetDlgItemText(IDC_CURRENT_RECIPIENT, lpszSubject);
    SetDlgItemText(IDC_PART_COUNTER, "");
    m_recipientBar.SetRange32(0, 100);
    SetTaskProgress(0, "");
    CenterWindow(m_pParent);
    ShowWindow(SW_SHOW);
    UpdateWindow();
}

void CDlgSendSmsProgress::SetTaskProgress(int nPercent, LPCTSTR lpszStatus) {
    m_recipientBar.SetPos(std::clamp(nPercent, 0, 100));
    SetDlgItemText(IDC_STATUS, lpszStatus);
}

void CDlgSendSmsProgress::SetTotal(int n) {
    if (n <= 0)
        return;
    m_nRecipientsTotal = n;
    m_recipientBar.SetRange32(0, n);
    m_recipientBar.SetPos(0);
    m_recipientBar.SetStep(1);
    ShowStatus();
}

void CDlgSendSmsProgress::BeginRecipient(LPCTSTR lpszRecipient, int nParts) {
    const int row = m_list.GetItemCount();
    m_list.InsertItem(row, Number(row + 1));
    FitColumn(row, COL_NUMBER);
    SetCell(row, COL_RECIPIENT, lpszRecipient);
    SetCell(row, COL_PARTS, Number(nParts));
    SetCell(row, COL_NOTE, Res(IDS_SENDING_NEXT));
    m_list.EnsureVisible(row, FALSE);
    m_nPartsTotal = nParts;
    m_beads.SetBeadCount(nParts);
    SetDlgItemText(IDC_CURRENT_RECIPIENT, lpszRecipient);
    m_nPartsSent = -1;
    CountPartSent(row); // nothing sent yet, the first part on its way
    ShowStatus();
}

void CDlgSendSmsProgress::ReportPartResult(int nCode, BOOL bLastPart, LPCTSTR lpszText) {
    const int row = m_list.GetItemCount() - 1;
    if (row < 0)
        return;
    if (nCode != 0) {
        CString text = lpszText   ? CString(lpszText)
                       : m_pOwner ? m_pOwner->GetSendResultText(nCode)
                                  : CString();
        SetCell(row, COL_NOTE, text);
        return;
    }
    CountPartSent(row);
    if (bLastPart)
        SetCell(row, COL_NOTE, Res(IDS_ALL_SENT));
}

void CDlgSendSmsProgress::FitColumnsToHeaders() {
    // Each column as wide as its title; the note, the last, takes the rest of the list.
    for (int i = 0; i < kColumnCount; ++i)
        m_list.SetColumnWidth(i, LVSCW_AUTOSIZE_USEHEADER);
    m_nNoteWidth = m_list.GetStringWidth(Res(IDS_COLUMN_FIRST + COL_NOTE)) + kCellRoom;
}

void CDlgSendSmsProgress::SetCell(int row, int col, const CString& text) {
    m_list.SetItemText(row, col, text);
    FitColumn(row, col);
}

void CDlgSendSmsProgress::FitColumn(int row, int col) {
    // A column only widens, for the one cell that changed: a run of thousands of recipients
    // never measures the rows before it again.
    const int need = m_list.GetStringWidth(m_list.GetItemText(row, col)) + kCellRoom;
    if (col == COL_NOTE)
        m_nNoteWidth = std::max(m_nNoteWidth, need);
    else if (need > m_list.GetColumnWidth(col))
        m_list.SetColumnWidth(col, need);
    // The note, the last column, takes the rest of the list when its texts leave some.
    CRect client;
    m_list.GetClientRect(&client);
    int others = 0;
    for (int i = 0; i < kColumnCount; ++i)
        if (i != COL_NOTE)
            others += m_list.GetColumnWidth(i);
    const int note = std::max(m_nNoteWidth, (int)client.Width() - others);
    if (note != m_list.GetColumnWidth(COL_NOTE))
        m_list.SetColumnWidth(COL_NOTE, note);
}

void CDlgSendSmsProgress::CountPartSent(int row) {
    ++m_nPartsSent;
    SetCell(row, COL_SENT, Number(m_nPartsSent));
    m_beads.SetPos(m_nPartsSent);
    m_beads.Invalidate();
    // The part on its way; once all went, the last one.
    CString counter;
    counter.Format("第%d条/共%d条", std::min(m_nPartsSent + 1, m_nPartsTotal), m_nPartsTotal);
    SetDlgItemText(IDC_PART_COUNTER, counter);
}

void CDlgSendSmsProgress::StepProgress() {
    m_recipientBar.StepIt();
    ShowStatus();
}

void CDlgSendSmsProgress::ShowStatus() {
    CString status;
    status.Format("已处理%d人/共%d人", m_list.GetItemCount(), m_nRecipientsTotal);
    SetDlgItemText(IDC_STATUS, status);
}

void CDlgSendSmsProgress::SetFinished() {
    m_beads.ShowWindow(SW_HIDE);
    SetDlgItemText(IDC_CURRENT_RECIPIENT, Res(IDS_FINISHED));
}

void CDlgSendSmsProgress::PumpMessages() {
    PumpWindowMessages(this);
}

void CDlgSendSmsProgress::DestroyProgress() {
    m_pOwner = nullptr;
    DestroyWindow();
}

void CDlgSendSmsProgress::OnOK() {
    if (m_pOwner && m_pOwner->IsSending())
        return;
    Close();
}

void CDlgSendSmsProgress::OnCancel() {
    m_bCancelled = TRUE;
    if (m_pOwner && m_pOwner->IsSending()) {
        // The run ends before its next part; a part on its way is waited for.
        if (!m_bStopAsked) {
            m_bStopAsked = TRUE;
            m_pOwner->SetStopRequested(TRUE);
        }
        return;
    }
    Close();
}

void CDlgSendSmsProgress::Close() {
    DestroyWindow();
}

void CDlgSendSmsProgress::OnDestroy() {
    // The frame's top-left corner (the window rectangle's), where the window shows next time it
    // shows a send.
    if (!m_bTask) {
        const QPoint corner = GetWidget()->pos();
        s_place = CPoint(corner.x(), corner.y());
        s_hasPlace = true;
    }
    CDialog::OnDestroy();
}

void CDlgSendSmsProgress::PostNcDestroy() {
    if (m_pOwner)
        m_pOwner->OnProgressDestroyed(this);
    if (m_pDestroyedFlag)
        *m_pDestroyedFlag = FALSE;
    delete this;
}

HBRUSH CDlgSendSmsProgress::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_HINT) {
        pDC->SetTextColor(kHintColour);
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); // the dialog's ground shows
    }
    return brush;
}
