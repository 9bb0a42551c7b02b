#include "ui/MultiComboBox.h"

#include "platform/gui/Dc.h"
#include "ui/EnterEscapeHook.h"

IMPLEMENT_DYNAMIC(CMultiComboBox, CComboBox)

BEGIN_MESSAGE_MAP(CMultiComboBox, CComboBox)
ON_CONTROL_REFLECT_EX(CBN_SELCHANGE, &CMultiComboBox::OnSelChange)
ON_CONTROL_REFLECT_EX(CBN_EDITCHANGE, &CMultiComboBox::OnEditChange)
ON_COMMAND(IDOK, &CMultiComboBox::OnEditChanged)
ON_COMMAND(IDCANCEL, &CMultiComboBox::OnCancelCommand)
ON_WM_KEYUP()
END_MESSAGE_MAP()

CMultiComboBox::CMultiComboBox(int columns) : m_values(columns) {}

CMultiComboBox::~CMultiComboBox() = default;

void CMultiComboBox::AddValue(LPCTSTR text) {
    AddString(text);
    CXString value(m_values.GetItemSize());
    if (value.GetCount() > 0)
        value.SetAt(0, text);
    m_values.AddTail(value);
}

void CMultiComboBox::ResetValues() {
    ResetContent();
    m_values.RemoveAll();
}

void CMultiComboBox::SelectValue(int index) {
    m_values.SetCurrentIndex(index);
    SetCurSel(m_values.GetCurrentIndex());
}

void CMultiComboBox::RefreshList() {
    ResetContent();
    for (POSITION pos = m_values.GetHeadPosition(); pos;)
        AddString(m_values.GetNext(pos).GetValue(0));
    SelectValue(m_values.GetCurrentIndex());
}

void CMultiComboBox::SetValueList(const CXStringList& list) {
    ResetValues();
    m_values = list;
    RefreshList();
}

BOOL CMultiComboBox::AddEditText(BOOL onlyIfChanged, BOOL rejectDuplicate) {
    if (onlyIfChanged && !m_editChanged)
        return FALSE;
    CString text;
    GetWindowText(text);
    if (text.IsEmpty() || (rejectDuplicate && m_values.ContainsValue(text)))
        return FALSE;
    AddValue(text);
    m_editChanged = FALSE;
    SelectValue(GetCount() - 1);
    return TRUE;
}

namespace {

// Enter and Escape in the combo box's edit become commands for the combo box.
CWnd* EditOf(CComboBox* pCombo) {
    CWnd* child = pCombo ? pCombo->GetWindow(GW_CHILD) : nullptr;
    return child && child->GetClassName().CompareNoCase("Edit") == 0 ? child : nullptr;
}

} // namespace

BOOL CMultiComboBox::HookEditKeys(CComboBox* pCombo) {
    return HookEnterEscapeKeys(EditOf(pCombo));
}

BOOL CMultiComboBox::OnSelChange() {
    m_values.SetCurrentIndex(GetCurSel());
    m_selChanged = TRUE;
    return FALSE; // the parent hears of it as well
}

BOOL CMultiComboBox::OnEditChange() {
    m_editChanged = TRUE;
    return FALSE;
}

void CMultiComboBox::OnEditChanged() {
    CWnd* parent = GetParent();
    HWND self = m_hWnd;
    if (AddEditText(TRUE, TRUE)) {
        NMHDR hdr{m_hWnd, (UINT_PTR)GetDlgCtrlID(), (UINT)NM_RETURN};
        if (CWnd* owner = GetOwner() ? GetOwner() : parent)
            owner->SendMessage(WM_NOTIFY, (WPARAM)GetDlgCtrlID(), (LPARAM)&hdr);
        if (IsWindow(self) && parent)
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE),
                                (LPARAM)m_hWnd);
        return;
    }
    // Nothing to add: the dialog's default button acts.
    if (parent)
        parent->SendMessage(WM_COMMAND, IDOK, 0);
}

void CMultiComboBox::OnCancelCommand() {
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, IDCANCEL, 0);
}

void CMultiComboBox::OnKeyUp(UINT nChar, UINT, UINT) {
    HWND self = m_hWnd;
    Default();
    CWnd* parent = IsWindow(self) ? GetParent() : nullptr;
    if (!parent)
        return;
    if (nChar == VK_RETURN)
        parent->SendMessage(WM_COMMAND, IDOK, 0);
    else if (nChar == VK_ESCAPE)
        parent->SendMessage(WM_COMMAND, IDCANCEL, 0);
}

void CMultiComboBox::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    int columns = m_values.GetItemSize();
    int index = (int)lpDIS->itemID;
    // A value without strings has no columns to share the width: nothing to draw.
    if (index < 0 || index >= m_values.GetCount() || columns <= 0)
        return;
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    bool editPart = (lpDIS->itemState & ODS_COMBOBOXEDIT) != 0;
    CRect rc(lpDIS->rcItem);
    if (!editPart)
        rc.top -= 1;
    int saved = pDC->SaveDC();
    CPen pen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
    pDC->SelectObject(&pen);
    int w = rc.Width() / columns;
    if (!editPart) {
        bool marked = (lpDIS->itemState & ODS_SELECTED) || lpDIS->itemAction == ODA_FOCUS;
        pDC->SetTextColor(marked ? RGB(0, 0, 255) : GetSysColor(COLOR_BTNTEXT));
    }
    const CXString& value = m_values.GetAt(m_values.FindIndex(index));
    CRect cell(rc.left + 2, rc.top + 2, rc.left + w, rc.bottom);
    for (int i = 0; i < columns; ++i) {
        pDC->DrawText(value.GetValue(i), &cell, 0);
        if (i != columns - 1) {
            pDC->MoveTo(cell.right - 2, cell.top - 2);
            pDC->LineTo(cell.right - 2, cell.bottom);
        }
        cell = CRect(cell.right + 1, cell.top, cell.right + 1 + w, cell.bottom);
    }
    pDC->RestoreDC(saved);
    CBrush frame(GetSysColor(COLOR_GRAYTEXT));
    pDC->FrameRect(&rc, &frame);
}
