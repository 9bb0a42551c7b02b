#include "calendar/ui/CalendarPane.h"

#include "calendar/ui/DlgCalendarGoto.h"
#include "platform/base/ModuleDir.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"
#include "ui/KovMenu.h"

#include <QImage>

IMPLEMENT_DYNCREATE(CCalendarPane, CKovCalendar)

BEGIN_MESSAGE_MAP(CCalendarPane, CKovCalendar)
ON_WM_CONTEXTMENU()
ON_WM_RBUTTONDOWN()
ON_WM_DESTROY()
ON_MESSAGE(WM_INITMENUPOPUP, &CCalendarPane::OnInitMenuPopup)
END_MESSAGE_MAP()

namespace {
int g_nDefaultFirstDay = 1;
CCalendarExtInfo* g_pDefaultExtInfo = nullptr;
CCalendarPane* g_pCurrent = nullptr;
} // namespace

void CCalendarPane::SetDefaults(int nFirstDayOfWeek, CCalendarExtInfo* pExtInfo) {
    if (nFirstDayOfWeek >= 0 && nFirstDayOfWeek <= 6)
        g_nDefaultFirstDay = nFirstDayOfWeek;
    g_pDefaultExtInfo = pExtInfo;
}

int CCalendarPane::GetDefaultFirstDayOfWeek() {
    return g_nDefaultFirstDay;
}

CCalendarExtInfo* CCalendarPane::GetDefaultExtInfo() {
    return g_pDefaultExtInfo;
}

CCalendarPane* CCalendarPane::GetCurrent() {
    return g_pCurrent;
}

void CCalendarPane::SetCurrent(CCalendarPane* pPane) {
    g_pCurrent = pPane;
}

CCalendarPane::CCalendarPane() {
    SetFirstDayOfWeek(g_nDefaultFirstDay, FALSE);
    m_festivals.LoadProgramFolder();
    SetFestivalTable(&m_festivals);
    m_pExtInfo = g_pDefaultExtInfo;
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 5, 5);
    AddIconFile(m_images, "Icons\\Birthday.ico");
    AddIconFile(m_images, "Icons\\Task.ico");
    AddIconFile(m_images, "Icons\\TaskDone.ico");
}

CCalendarPane::~CCalendarPane() {
    if (g_pCurrent == this)
        g_pCurrent = nullptr;
}

void CCalendarPane::AddIconFile(CImageList& images, LPCTSTR lpszRelativePath) {
    const CString path = GetModuleDirectory() + "\\" + lpszRelativePath;
    HICON hIcon = (HICON)::LoadImage(nullptr, path, IMAGE_ICON, 16, 16, LR_LOADFROMFILE);
    if (hIcon != nullptr && images.Add(hIcon) >= 0) {
        ::DestroyIcon(hIcon);
        return;
    }
    if (hIcon != nullptr)
        ::DestroyIcon(hIcon);
    // A transparent square in place of the missing picture.
    CBitmap blank, mask;
    QImage empty(16, 16, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    blank.AttachImageData(empty);
    images.Add(&blank, (CBitmap*)nullptr);
}

void CCalendarPane::PostNcDestroy() {
    CKovCalendar::PostNcDestroy();
    if (m_bAutoDelete)
        delete this;
}

void CCalendarPane::OnDestroy() {
    if (g_pCurrent == this)
        g_pCurrent = nullptr;
    CKovCalendar::OnDestroy();
}

void CCalendarPane::OnContextMenu(CWnd*, CPoint point) {
    if (point.x == -1 && point.y == -1) { // from the keyboard: at the entry or the selected cell
        CRect at;
        if (CKovCalendarCellItem* pItem = GetHighlightedItem()) {
            at = pItem->m_rect;
        } else {
            int row = 0, column = 0;
            CDate date;
            GetDate(date);
            GetCellOfDay(date.GetDay(), row, column);
            at = GetCellRect(row, column);
        }
        point = at.CenterPoint();
        ClientToScreen(&point);
    }
    ShowPopupMenu(IDR_ITEMS_MENU, 0, point, TPM_LEFTALIGN | TPM_RIGHTBUTTON, this);
}

void CCalendarPane::DropAndRedraw(BOOL bNow) {
    DropEntries();
    if (GetSafeHwnd() != nullptr && IsWindowVisible()) {
        Invalidate(FALSE);
        if (bNow)
            UpdateWindow();
    }
}

BOOL CCalendarPane::SelectDaysFromSelection(int nDays) {
    CDate date;
    GetDate(date);
    // Day numbers of the years 1..9999 stay far from the int limits; a larger span is refused.
    if (nDays > 3660000 || nDays < -3660000)
        return FALSE;
    CDate target = date.PlusDays(nDays);
    if (nDays != 0 && target == date)
        return FALSE;
    return SelectDate(target);
}

BOOL CCalendarPane::GotoSpan(BOOL bBefore) {
    CDlgCalendarGotoSpan dlg(this);
    dlg.m_nDirection = bBefore ? 1 : 0;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    return SelectDaysFromSelection(dlg.m_nDirection == 1 ? -dlg.m_nDays : dlg.m_nDays);
}

BOOL CCalendarPane::GotoLunarDate() {
    CDlgCalendarGotoLunarDate dlg(this);
    CDate date;
    GetDate(date);
    int y = 0, m = 0, d = 0;
    if (const int kind = date.ToLunar(&y, &m, &d); kind != 0) {
        dlg.m_nYear = y;
        dlg.m_nMonth = m;
        dlg.m_nDay = d;
        dlg.m_bLeap = kind == 2;
    }
    if (dlg.DoModal() != IDOK || !dlg.m_result.IsValid())
        return FALSE;
    return SelectDate(dlg.m_result);
}

BOOL CCalendarPane::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (nCode == (int)CN_UPDATE_COMMAND_UI && OnUpdateCommand(nID, static_cast<CCmdUI*>(pExtra)))
        return TRUE;
    if (nCode == (int)CN_COMMAND && IsTaskCommand(nID)) {
        if (pHandlerInfo == nullptr)
            CCalendarItemsHandler::OnCommand(nID);
        return TRUE;
    }
    if (nCode == (int)CN_COMMAND || nCode == (int)CN_UPDATE_COMMAND_UI) {
        const BOOL ours = (nID >= ID_PREV_MONTH && nID <= ID_TODAY) ||
                          (nID >= ID_GOTO_AFTER && nID <= ID_GOTO_LUNAR);
        if (ours) {
            if (nCode == (int)CN_UPDATE_COMMAND_UI) {
                if (auto* pCmdUI = static_cast<CCmdUI*>(pExtra))
                    pCmdUI->Enable(TRUE);
                return TRUE;
            }
            if (pHandlerInfo != nullptr)
                return TRUE;
            switch (nID) {
            case ID_PREV_MONTH: PrevMonth(); break;
            case ID_NEXT_MONTH: NextMonth(); break;
            case ID_PREV_YEAR: PrevYear(); break;
            case ID_NEXT_YEAR: NextYear(); break;
            case ID_TODAY: GoToday(); break;
            case ID_GOTO_AFTER: GotoSpan(FALSE); break;
            case ID_GOTO_BEFORE: GotoSpan(TRUE); break;
            case ID_GOTO_LUNAR: GotoLunarDate(); break;
            default: break;
            }
            return TRUE;
        }
    }
    return CKovCalendar::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CCalendarPane::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam) == 0)
        CCalendarItemsHandler::UpdatePopupMenu((HMENU)wParam, this);
    return 0;
}
