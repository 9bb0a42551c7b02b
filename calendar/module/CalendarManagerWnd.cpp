#include "calendar/module/CalendarManagerWnd.h"

#include "calendar/ui/CalendarFrame.h"
#include "calendar/ui/CalendarInfoWnd.h"
#include "platform/gui/Icon.h"
#include "shell/RightPaneFrame.h"

IMPLEMENT_DYNCREATE(CCalendarManagerWnd, COutbarWnd)

BEGIN_MESSAGE_MAP(CCalendarManagerWnd, COutbarWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_MESSAGE(WM_OUTBAR_FOLDER, &CCalendarManagerWnd::OnFolderMessage)
END_MESSAGE_MAP()

namespace {
// The key under which the page registers the calendar window with the right pane.
DWORD_PTR KeyOf(const CCalendarManagerWnd* p) {
    return (DWORD_PTR)p;
}
} // namespace

CCalendarManagerWnd::CCalendarManagerWnd() : COutbarWnd(StyleDrawer) {}

CCalendarManagerWnd::~CCalendarManagerWnd() = default;

int CCalendarManagerWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CString caption;
    caption.LoadString(127);
    if (caption.IsEmpty())
        caption = "万年历";
    CWnd* pInfo = AddFolderPage(RUNTIME_CLASS(CCalendarInfoWnd), nullptr, caption, IDC_INFO_WND,
                                this);
    if (pInfo == nullptr)
        return -1;
    static_cast<CCalendarInfoWnd*>(pInfo)->m_bAutoDelete = TRUE;
    SelectFolder(FolderInfo, FALSE);
    ActivateFolderWnd(FolderInfo);
    return 0;
}

void CCalendarManagerWnd::PostNcDestroy() {
    // The navigation bar never deletes its folder windows.
    delete this;
}

void CCalendarManagerWnd::OnDestroy() {
    if (m_pRightPane != nullptr && m_pRightPane->GetSafeHwnd())
        m_pRightPane->DestroyViews(KeyOf(this), CRightPaneFrame::KindCalendar, FALSE);
    m_pRightPane = nullptr;
    COutbarWnd::OnDestroy();
}

CCalendarInfoWnd* CCalendarManagerWnd::GetInfoWnd() const {
    return dynamic_cast<CCalendarInfoWnd*>(GetFolderWnd(FolderInfo));
}

CCalendarFrame* CCalendarManagerWnd::GetCalendarFrame() const {
    return m_pRightPane != nullptr
               ? dynamic_cast<CCalendarFrame*>(m_pRightPane->GetView(1, CRightPaneFrame::KindCalendar))
               : nullptr;
}

void CCalendarManagerWnd::ConnectRightPane(CRightPaneFrame* pRightPane, CWnd* pMainFrame) {
    m_pRightPane = pRightPane;
    m_pMainFrame = pMainFrame;
    if (m_hCursor == nullptr)
        m_hCursor = ::LoadCursor(nullptr, MAKEINTRESOURCE(IDC_PAGE_CURSOR));
    if (m_hCursor != nullptr)
        SetCursorHandle(m_hCursor, TRUE);
    if (m_pRightPane == nullptr)
        return;
    m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
    LinkViews();
}

void CCalendarManagerWnd::LinkViews() {
    CCalendarFrame* pFrame = GetCalendarFrame();
    CCalendarInfoWnd* pInfo = GetInfoWnd();
    if (pFrame == nullptr || pInfo == nullptr)
        return;
    pInfo->SetCalendar(pFrame->GetPane());
    pFrame->GetToolbar().SetInfoWnd(pInfo);
    pInfo->Refresh();
}

BOOL CCalendarManagerWnd::ShowCalendar() {
    if (m_pRightPane == nullptr)
        return FALSE;
    if (!m_pRightPane->IsRegistered(KeyOf(this), CRightPaneFrame::KindCalendar))
        m_pRightPane->CreateViews(KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
    LinkViews();
    return m_pRightPane->ShowView(1, KeyOf(this), nullptr, CRightPaneFrame::KindCalendar, this);
}

LRESULT CCalendarManagerWnd::OnFolderMessage(WPARAM wParam, LPARAM) {
    if (wParam == OUTBAR_FOLDER_ACTIVATED) {
        ShowCalendar();
        SelectFolder(GetSelFolder() < 0 ? FolderInfo : GetSelFolder(), FALSE);
        if (m_pMainFrame != nullptr && m_pMainFrame->GetSafeHwnd()) {
            CString title, caption;
            title.LoadString(0xE000);
            caption.LoadString(127);
            if (!title.IsEmpty()) {
                CString text;
                text.Format("%s - %s", (LPCTSTR)title, (LPCTSTR)caption);
                m_pMainFrame->SetWindowText(text);
            }
        }
    }
    return 0;
}

void CCalendarManagerWnd::OnFolderChanged(int i) {
    if (i == FolderInfo)
        ShowCalendar();
}
