#include "ui/KovComboBox.h"

#include "core/HanziString.h"
#include "platform/gui/Dc.h"
#include "ui/EnterEscapeHook.h"

#include <cstring>

LRESULT CKovComboEmbededListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == LB_SETCURSEL || message == LB_SETTOPINDEX) && m_forcedIndex != -1)
        wParam = (WPARAM)m_forcedIndex;
    return CListBox::WindowProc(message, wParam, lParam);
}

BOOL CKovComboEmbededEdit::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN) {
        m_lastKey = (UINT)pMsg->wParam;
    } else if (pMsg->message == WM_KEYUP) {
        UINT key = (UINT)pMsg->wParam;
        bool enterOrEscape = key == VK_RETURN || key == VK_ESCAPE;
        // Only a key pressed in the edit counts: the Enter that picked an item in the dropped
        // list went down there.
        CWnd* parent = GetParent();
        if (enterOrEscape && m_keysToParent && parent && m_lastKey == key) {
            if (key == VK_RETURN && !(GetStyle() & ES_WANTRETURN))
                parent->PostMessage(WM_COMMAND, IDOK, 0);
            else if (key == VK_ESCAPE)
                parent->PostMessage(WM_COMMAND, IDCANCEL, 0);
        }
        if (enterOrEscape)
            m_keysToParent = TRUE;
        m_lastKey = 0;
    }
    return CEdit::PreTranslateMessage(pMsg);
}

LRESULT CKovComboEmbededEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT r = CEdit::WindowProc(message, wParam, lParam);
    // The dialog leaves Enter and Escape to the edit, which hands them to the combo box.
    if (message == WM_GETDLGCODE && m_keysToParent)
        r = WantEnterEscape(r, lParam);
    return r;
}

IMPLEMENT_DYNAMIC(CKovComboBox, CComboBox)

BEGIN_MESSAGE_MAP(CKovComboBox, CComboBox)
ON_CONTROL_REFLECT_EX(CBN_EDITUPDATE, &CKovComboBox::OnEditUpdate)
ON_CONTROL_REFLECT_EX(CBN_EDITCHANGE, &CKovComboBox::OnEditChange)
ON_CONTROL_REFLECT_EX(CBN_DROPDOWN, &CKovComboBox::OnDropDown)
ON_CONTROL_REFLECT_EX(CBN_CLOSEUP, &CKovComboBox::OnCloseUp)
ON_WM_CTLCOLOR()
ON_WM_CHAR()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CKovComboBox::CKovComboBox() = default;

CKovComboBox::~CKovComboBox() = default;

CBrush& CKovComboBox::ListBrush() {
    static CBrush brush(RGB(150, 210, 242));
    return brush;
}

BOOL CKovComboBox::SubclassEdit() {
    if (m_editSubclassed)
        return TRUE;
    CWnd* child = GetWindow(GW_CHILD);
    if (!child || !m_edit.SubclassWindow(child->m_hWnd))
        return FALSE;
    m_editSubclassed = TRUE;
    return TRUE;
}

void CKovComboBox::ResetContentKeepText() {
    CString text;
    GetWindowText(text);
    int start = 0, end = 0;
    BOOL hasSel = GetEditSel(start, end);
    ResetContent();
    SetWindowText(text);
    if (hasSel)
        SetEditSel(start, end);
}

BOOL CKovComboBox::GetEditSel(int& nStart, int& nEnd) {
    DWORD start = 0, end = 0;
    if ((int)SendMessage(CB_GETEDITSEL, (WPARAM)&start, (LPARAM)&end) == CB_ERR)
        return FALSE;
    nStart = (int)start;
    nEnd = (int)end;
    return TRUE;
}

BOOL CKovComboBox::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN) {
        m_lastKey = (UINT)pMsg->wParam;
        m_completeAllowed = pMsg->wParam != VK_BACK && pMsg->wParam != VK_DELETE;
    }
    return CComboBox::PreTranslateMessage(pMsg);
}

LRESULT CKovComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = m_hWnd;
    LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL) && IsWindow(self))
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND, wParam, 0);
    return r;
}

BOOL CKovComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return CComboBox::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CKovComboBox::OnEditUpdate() {
    Complete();
    return FALSE;
}

void CKovComboBox::Complete() {
    // A pinyin match of an earlier pass must not steer this pass's selection.
    if (m_listSubclassed)
        m_list.m_forcedIndex = -1;
    CString text;
    GetWindowText(text);
    int caret = -1;
    if (m_editSubclassed) {
        DWORD start = 0;
        m_edit.SendMessage(EM_GETSEL, (WPARAM)&start, 0);
        caret = (int)start;
    }
    int count = GetCount();
    if (m_completeAllowed) {
        for (int i = 0; i < count; ++i) {
            CString item;
            GetLBText(i, item);
            if (text.IsEmpty() || item.GetLength() < text.GetLength() ||
                std::memcmp(item.GetString(), text.GetString(), (size_t)text.GetLength()) != 0)
                continue;
            SetCurSel(i);
            if (m_editSubclassed && caret >= 0) {
                m_edit.SendMessage(EM_SETSEL, (WPARAM)caret, -1);
                m_edit.SendMessage(EM_SCROLLCARET);
            }
            ShowDropDown(FALSE);
            m_completeAllowed = FALSE;
            return;
        }
    }
    if (!text.IsEmpty()) {
        CString typed = text;
        typed.MakeUpper();
        int match = -1;
        for (int i = 0; i < count && match < 0; ++i) {
            CString item, initials;
            GetLBText(i, item);
            CHanziString(item).GetPinyinInitials(initials);
            if (initials.GetLength() >= typed.GetLength() &&
                std::memcmp(initials.GetString(), typed.GetString(), (size_t)typed.GetLength()) ==
                    0)
                match = i;
        }
        if (match >= 0) {
            ShowDropDown(TRUE);
            SendMessage(CB_SETTOPINDEX, (WPARAM)match, 0);
            if (m_listSubclassed)
                m_list.m_forcedIndex = match;
        } else {
            ShowDropDown(FALSE);
        }
    } else {
        ShowDropDown(FALSE);
    }
    m_completeAllowed = FALSE;
}

BOOL CKovComboBox::OnDropDown() {
    m_edit.m_keysToParent = FALSE;
    return FALSE;
}

BOOL CKovComboBox::OnCloseUp() {
    if (m_edit.m_lastKey != VK_RETURN && m_edit.m_lastKey != VK_ESCAPE)
        m_edit.m_keysToParent = TRUE;
    // A closed list follows the combo box again.
    if (m_listSubclassed)
        m_list.m_forcedIndex = -1;
    return FALSE;
}

HBRUSH CKovComboBox::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    if (nCtlColor != CTLCOLOR_LISTBOX)
        return (HBRUSH)Default();
    if (!m_listSubclassed && pWnd && pWnd->m_hWnd != m_hWnd &&
        m_list.SubclassWindow(pWnd->m_hWnd)) {
        m_listSubclassed = TRUE;
        m_list.SetOwner(this);
    }
    pDC->SetBkMode(TRANSPARENT);
    return (HBRUSH)ListBrush().GetSafeHandle();
}

int FillComboBoxFromList(CComboBox& combo, const CStringList& list) {
    int added = 0;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        if (combo.AddString(list.GetNext(pos)) >= 0)
            ++added;
    return added;
}
