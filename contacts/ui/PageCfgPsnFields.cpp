#include "contacts/ui/PageCfgPsnFields.h"

#include <algorithm>

namespace {
const char* const kEndMarker = "<<选此处将添加到末尾>>";
constexpr UINT kApplyId = 12321;
} // namespace

BEGIN_MESSAGE_MAP(CPageCfgPsnFields, CPropertyPage)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_ADD, &CPageCfgPsnFields::AddSelected)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_ADD_ALL, &CPageCfgPsnFields::AddAll)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_REMOVE, &CPageCfgPsnFields::RemoveSelected)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_REMOVE_ALL, &CPageCfgPsnFields::RemoveAll)
ON_LBN_DBLCLK(CPageCfgPsnFields::IDC_AVAILABLE, &CPageCfgPsnFields::AddSelected)
ON_LBN_DBLCLK(CPageCfgPsnFields::IDC_CHOSEN, &CPageCfgPsnFields::RemoveSelected)
ON_LBN_SELCHANGE(CPageCfgPsnFields::IDC_AVAILABLE, &CPageCfgPsnFields::OnSelChange)
ON_LBN_SELCHANGE(CPageCfgPsnFields::IDC_CHOSEN, &CPageCfgPsnFields::OnSelChange)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_MOVE_UP, &CPageCfgPsnFields::OnMoveUp)
ON_BN_CLICKED(CPageCfgPsnFields::IDC_MOVE_DOWN, &CPageCfgPsnFields::OnMoveDown)
END_MESSAGE_MAP()

CPageCfgPsnFields::CPageCfgPsnFields() : CPropertyPage(IDD) {}

void CPageCfgPsnFields::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CHOSEN, m_wndChosen);
    DDX_Control(pDX, IDC_AVAILABLE, m_wndAvailable);
    DDX_Radio(pDX, IDC_INSERT_BEFORE, m_nInsertMode);
}

BOOL CPageCfgPsnFields::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    // A chosen list from a damaged profile may name fields the source cannot place; they are
    // left out here rather than marked outside the positions.
    m_choice.Init(m_pSource, m_nPositions, m_chosen);
    m_choice.GetChosen(m_chosen);
    FillLists({});
    return TRUE;
}

void CPageCfgPsnFields::FillLists(const std::vector<int>& selectedChosen) {
    m_wndChosen.ResetContent();
    for (int nField : m_choice.GetChosen()) {
        const int i = m_wndChosen.AddString(m_choice.GetName(nField));
        m_wndChosen.SetItemData(i, (DWORD_PTR)(INT_PTR)nField);
    }
    const int nMarker = m_wndChosen.AddString(kEndMarker);
    m_wndChosen.SetItemData(nMarker, (DWORD_PTR)(INT_PTR)-1);
    for (int i : selectedChosen)
        m_wndChosen.SetSel(i, TRUE);
    m_wndAvailable.ResetContent();
    for (int nField : m_choice.GetAvailable()) {
        const int i = m_wndAvailable.AddString(m_choice.GetName(nField));
        m_wndAvailable.SetItemData(i, (DWORD_PTR)(INT_PTR)nField);
    }
    EnableButtons();
}

std::vector<int> CPageCfgPsnFields::SelectedChosen() const {
    std::vector<int> indices((size_t)std::max(0, m_wndChosen.GetSelCount()));
    if (!indices.empty())
        indices.resize((size_t)m_wndChosen.GetSelItems((int)indices.size(), indices.data()));
    const int nFields = (int)m_choice.GetChosen().size();
    indices.erase(std::remove_if(indices.begin(), indices.end(),
                                 [&](int i) { return i >= nFields; }),
                  indices.end());
    return indices;
}

void CPageCfgPsnFields::Changed() {
    m_choice.GetChosen(m_chosen);
    SetModified(TRUE);
}

void CPageCfgPsnFields::AddSelected() {
    UpdateData(TRUE);
    std::vector<int> fields;
    for (int i = 0; i < m_wndAvailable.GetCount(); ++i)
        if (m_wndAvailable.GetSel(i) > 0)
            fields.push_back((int)(INT_PTR)m_wndAvailable.GetItemData(i));
    if (fields.empty())
        return;
    // The insertion point is the first selected item; the end marker means the end.
    int nAt = -1;
    for (int i = 0; i < m_wndChosen.GetCount(); ++i)
        if (m_wndChosen.GetSel(i) > 0) {
            nAt = i;
            break;
        }
    const std::vector<int> added = m_choice.Add(fields, nAt, m_nInsertMode);
    FillLists(added);
    Changed();
}

void CPageCfgPsnFields::AddAll() {
    for (int i = 0; i < m_wndAvailable.GetCount(); ++i)
        m_wndAvailable.SetSel(i, TRUE);
    AddSelected();
}

void CPageCfgPsnFields::RemoveSelected() {
    const std::vector<int> indices = SelectedChosen();
    if (indices.empty())
        return;
    m_choice.Remove(indices);
    FillLists({});
    Changed();
}

void CPageCfgPsnFields::RemoveAll() {
    for (int i = 0; i < m_wndChosen.GetCount(); ++i)
        m_wndChosen.SetSel(i, TRUE);
    RemoveSelected();
}

void CPageCfgPsnFields::MoveSelected(BOOL bUp) {
    const std::vector<int> indices = SelectedChosen();
    if (indices.empty())
        return;
    FillLists(bUp ? m_choice.MoveUp(indices) : m_choice.MoveDown(indices));
    Changed();
}

void CPageCfgPsnFields::OnSelChange() {
    EnableButtons();
}

void CPageCfgPsnFields::EnableButtons() {
    const std::vector<int> selected = SelectedChosen();
    const int nFields = (int)m_choice.GetChosen().size();
    BOOL bAvailableSelected = FALSE;
    for (int i = 0; i < m_wndAvailable.GetCount() && !bAvailableSelected; ++i)
        bAvailableSelected = m_wndAvailable.GetSel(i) > 0;
    auto enable = [this](int id, BOOL b) {
        if (CWnd* w = GetDlgItem(id))
            w->EnableWindow(b);
    };
    enable(IDC_ADD, bAvailableSelected);
    enable(IDC_ADD_ALL, m_wndAvailable.GetCount() > 0);
    enable(IDC_REMOVE, !selected.empty());
    enable(IDC_REMOVE_ALL, nFields > 0);
    enable(IDC_MOVE_UP, !selected.empty() && selected.front() != 0);
    enable(IDC_MOVE_DOWN, !selected.empty() && selected.back() != nFields - 1);
}

CPSheetPersonList::CPSheetPersonList(CWnd* pParent) : CPropertySheet("选择字段", pParent) {
    AddPage(&m_pageFields);
}

BOOL CPSheetPersonList::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Only an Apply the user could press (the button shown and enabled) applies and is told.
    CWnd* pApply = GetDlgItem(kApplyId);
    const BOOL bApply = LOWORD(wParam) == kApplyId && pApply != nullptr &&
                        pApply->IsWindowEnabled() && pApply->IsWindowVisible();
    const BOOL bDone = CPropertySheet::OnCommand(wParam, lParam);
    if (bApply) {
        CWnd* pTarget = GetParent() != nullptr ? GetParent() : GetOwner();
        if (pTarget != nullptr)
            pTarget->SendMessage(WM_PERSON_LIST_APPLIED, 0, (LPARAM)this);
    }
    return bDone;
}
