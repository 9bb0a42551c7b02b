#include "calendar/ui/DlgTaskFilter.h"

const CDlgTaskFilter::Criterion CDlgTaskFilter::kCriteria[5] = {
    {1024, CTaskFilter::BY_STATUS, {1207, 1216, 1274, 1275, 1284}, 5},
    {1276, CTaskFilter::BY_IMPORTANCE, {1277, 1278, 1279}, 3},
    {1280, CTaskFilter::BY_URGENCY, {1281, 1282, 1283}, 3},
    {1025, CTaskFilter::BY_HAS_DATE, {1260, 1259}, 2},
    {1026, CTaskFilter::BY_RECURRING, {1261, 1262}, 2},
};

CDlgTaskFilter::CDlgTaskFilter(CTaskFilter* pFilter, CWnd* pParent)
    : CDialog(IDD, pParent), m_pFilter(pFilter) {}

void CDlgTaskFilter::EnableValues(const Criterion& c) {
    const BOOL on = IsDlgButtonChecked(c.nBox) == BST_CHECKED;
    for (int i = 0; i < c.nValues; ++i)
        if (CWnd* p = GetDlgItem(c.values[i]))
            p->EnableWindow(on);
}

BOOL CDlgTaskFilter::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const Criterion& c : kCriteria) {
        CheckDlgButton(c.nBox, m_pFilter != nullptr && (m_pFilter->GetCriteria() & c.nBit)
                                   ? BST_CHECKED : BST_UNCHECKED);
        const int set = m_pFilter != nullptr ? m_pFilter->GetChoice(c.nBit) : 0;
        for (int i = 0; i < c.nValues; ++i)
            CheckDlgButton(c.values[i], (set & (1 << i)) ? BST_CHECKED : BST_UNCHECKED);
        EnableValues(c);
    }
    return TRUE;
}

BOOL CDlgTaskFilter::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        if (id == IDC_CLEAR) {
            for (const Criterion& c : kCriteria) {
                CheckDlgButton(c.nBox, BST_UNCHECKED);
                EnableValues(c);
            }
            return TRUE;
        }
        for (const Criterion& c : kCriteria)
            if (id == c.nBox) {
                EnableValues(c);
                return TRUE;
            }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgTaskFilter::OnOK() {
    if (m_pFilter != nullptr) {
        int bits = 0;
        for (const Criterion& c : kCriteria) {
            if (IsDlgButtonChecked(c.nBox) != BST_CHECKED)
                continue;
            int set = 0;
            for (int i = 0; i < c.nValues; ++i)
                if (IsDlgButtonChecked(c.values[i]) == BST_CHECKED)
                    set |= 1 << i;
            // A criterion that lets nothing through counts as off.
            if (set == 0)
                continue;
            m_pFilter->SetChoice(c.nBit, set);
            bits |= c.nBit;
        }
        m_pFilter->SetCriteria(0x7C, bits);
    }
    CDialog::OnOK();
}
