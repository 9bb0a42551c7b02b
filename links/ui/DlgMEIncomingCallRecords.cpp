#include "links/ui/DlgMEIncomingCallRecords.h"

#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include "links/MobileAgent.h"
#include "platform/gui/Icon.h"

CDlgMEIncomingCallRecords::CDlgMEIncomingCallRecords(CMobileAgent* pAgent, CWnd* pParent)
    : CDialog(IDD, pParent), m_pAgent(pAgent) {}

CDlgMEIncomingCallRecords::~CDlgMEIncomingCallRecords() = default;

BOOL CDlgMEIncomingCallRecords::OnInitDialog() {
    CDialog::OnInitDialog();
    m_hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(IDI_PHONE_CALL));
    if (QWidget* w = GetWidget(); w && m_hIcon)
        w->setWindowIcon(QIcon(QPixmap::fromImage(AfxIconImage(m_hIcon, 16, 16))));

    m_list.SubclassDlgItem(IDC_CALL_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.InsertColumn(0, "来电号码", LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, "呼入时间", LVCFMT_LEFT, 160);
    m_list.InsertColumn(2, "振铃持续", LVCFMT_LEFT, 70);
    if (!m_pAgent)
        return TRUE;
    int row = 0;
    for (const MOBILE_CALL_RECORD& call : m_pAgent->GetCallRecords()) {
        // A caller the network did not name is shown as such, not as an empty cell.
        m_list.InsertItem(row, call.number.IsEmpty() ? CString("未知号码") : call.number);
        m_list.SetItemText(row, 1, call.time.Format("%Y-%m-%d %H:%M:%S"));
        CString seconds;
        seconds.Format("%d秒", call.ringSeconds);
        m_list.SetItemText(row, 2, seconds);
        ++row;
    }
    return TRUE;
}
