#include "contacts/ui/DlgEditstrlist.h"

#include "contacts/ui/FieldValueActions.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"

namespace {

constexpr UINT kStateUnticked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kStateTicked = INDEXTOSTATEIMAGEMASK(2);
// String table: the save question (the caption for %s) and the link button's two texts.
constexpr UINT kSaveQuestion = 138, kWriteMailText = 139, kOpenPageText = 140;

} // namespace

CDlgEditstrlist::CDlgEditstrlist(CWnd* pOwner) : m_pOwner(pOwner) {}

CDlgEditstrlist::~CDlgEditstrlist() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CDlgEditstrlist::Create() {
    return CDialog::Create(IDD, m_pOwner);
}

BOOL CDlgEditstrlist::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_LIST, this);
    CString noteHeader;
    GetDlgItemText(IDC_NOTE_LABEL, noteHeader);
    while (noteHeader.Right(1) == ":")
        noteHeader = noteHeader.Left(noteHeader.GetLength() - 1);
    if (noteHeader.Right(2) == "：")
        noteHeader = noteHeader.Left(noteHeader.GetLength() - 2);
    m_list.InsertColumn(0, "col1", LVCFMT_LEFT, 100);
    m_list.InsertColumn(1, noteHeader, LVCFMT_LEFT, 100);
    m_nNoteColumn = 1;
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    CenterWindow(AfxGetMainWnd());
    return TRUE;
}

void CDlgEditstrlist::Configure(BOOL bTwoColumns, LPCTSTR lpszCaption, LPCTSTR lpszFirstHeader,
                                LPCTSTR lpszSecondHeader, LPCTSTR lpszFirstLabel,
                                CXStringList* pList, int nLinkKind) {
    if (pList != m_pList) {
        if (m_bAsking)
            return;
        if (m_bDirty && AskSave(TRUE, TRUE) == IDCANCEL)
            return;
        m_bTwoColumns = bTwoColumns;
        m_strCaption = lpszCaption ? lpszCaption : "";
        m_strFirstHeader = lpszFirstHeader ? lpszFirstHeader : "";
        m_strSecondHeader = lpszSecondHeader ? lpszSecondHeader : "";
        m_strFirstLabel = lpszFirstLabel ? lpszFirstLabel : "";
        m_pList = pList;
        m_nLinkKind = nLinkKind;
        Refresh();
    } else if (m_bNeedRefresh) {
        Refresh();
    }
}

void CDlgEditstrlist::Refresh() {
    if (!m_hWnd)
        return;
    if (m_bTwoColumns) {
        if (m_nNoteColumn == 1)
            m_list.InsertColumn(1, m_strSecondHeader, LVCFMT_LEFT, 100);
        SetListColumnText(m_list, 0, m_strFirstHeader);
        SetListColumnText(m_list, 1, m_strSecondHeader);
        m_nNoteColumn = 2;
    } else {
        if (m_nNoteColumn == 2)
            m_list.DeleteColumn(1);
        SetListColumnText(m_list, 0, m_strFirstHeader);
        m_nNoteColumn = 1;
    }
    CRect client;
    m_list.GetClientRect(&client);
    for (int i = 0; i <= m_nNoteColumn; ++i)
        m_list.SetColumnWidth(i, client.Width() / (m_nNoteColumn + 1));

    const int nShow = m_bTwoColumns ? SW_SHOW : SW_HIDE;
    if (CWnd* p = GetDlgItem(IDC_SECOND))
        p->ShowWindow(nShow);
    if (CWnd* p = GetDlgItem(IDC_SECOND_LABEL))
        p->ShowWindow(nShow);
    SetWindowText(m_strCaption);
    if (!m_strFirstLabel.IsEmpty())
        SetDlgItemText(IDC_FIRST_LABEL, m_strFirstLabel);
    // The first edit stops short of the second value's label beside it, or takes the whole row
    // when it is alone.
    CWnd* pFirst = GetDlgItem(IDC_FIRST);
    CWnd* pEnd = GetDlgItem(m_bTwoColumns ? IDC_SECOND_LABEL : IDC_SECOND);
    if (pFirst && pEnd) {
        CRect rcFirst, rcEnd;
        pFirst->GetWindowRect(&rcFirst);
        pEnd->GetWindowRect(&rcEnd);
        ScreenToClient(&rcFirst);
        ScreenToClient(&rcEnd);
        const int right = m_bTwoColumns ? rcEnd.left - 6 : rcEnd.right;
        pFirst->SetWindowPos(nullptr, 0, 0, std::max(20, (int)(right - rcFirst.left)),
                             rcFirst.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    LoadRows();

    CString linkText;
    if (m_nLinkKind == LINK_WEB)
        linkText.LoadString(kOpenPageText);
    else if (m_nLinkKind == LINK_MAIL)
        linkText.LoadString(kWriteMailText);
    if (CWnd* pLink = GetDlgItem(IDC_LINK)) {
        pLink->SetWindowText(linkText);
        pLink->ShowWindow(linkText.IsEmpty() ? SW_HIDE : SW_SHOW);
    }
    SetReadOnly(m_bReadOnly);
    m_bDirty = TRUE;
    SetDirty(FALSE);
    m_bNeedRefresh = FALSE;
}

void CDlgEditstrlist::LoadRows() {
    if (!m_hWnd)
        return;
    m_bInItemChange = TRUE;
    m_list.DeleteAllItems();
    m_nSelected = -1;
    m_nDefault = -1;
    if (m_pList) {
        const BOOL twoStrings = m_pList->GetItemSize() > 1;
        int row = 0;
        for (POSITION pos = m_pList->GetHeadPosition(); pos != nullptr; ++row) {
            const CXString& value = m_pList->GetNext(pos);
            m_list.InsertItem(row, value.GetValue(0));
            if (twoStrings && m_nNoteColumn == 2)
                m_list.SetItemText(row, 1, value.GetValue(1));
            m_list.SetItemText(row, m_nNoteColumn, value.GetNote());
        }
        const int current = m_pList->GetCurrentIndex();
        if (current >= 0 && current < m_list.GetItemCount()) {
            m_list.SetItemState(current, LVIS_SELECTED | LVIS_FOCUSED,
                                LVIS_SELECTED | LVIS_FOCUSED);
            m_list.SetItemState(current, kStateTicked, LVIS_STATEIMAGEMASK);
            m_nSelected = current;
            m_nDefault = current;
        }
    }
    m_bInItemChange = FALSE;
    ShowSelected();
    SetDirty(FALSE);
}

void CDlgEditstrlist::WriteRows() {
    if (!m_pList || !m_hWnd)
        return;
    ReadControls();
    m_pList->RemoveAll();
    const int nStrings = m_pList->GetItemSize();
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        CXString value(nStrings);
        for (int j = 0; j < nStrings; ++j)
            value.ElementAt(j) = j < m_nNoteColumn ? m_list.GetItemText(row, j) : CString();
        value.SetNote(m_list.GetItemText(row, m_nNoteColumn));
        m_pList->AddTail(value);
    }
    m_pList->SetCurrentIndex(m_nDefault);
}

void CDlgEditstrlist::Reload(BOOL bLoad) {
    if (!m_pList)
        return;
    if (bLoad) {
        if (m_bDirty)
            AskSave(FALSE, TRUE);
        SetDirty(FALSE);
        LoadRows();
    } else {
        WriteRows();
    }
}

void CDlgEditstrlist::DropEdits() {
    SetDirty(FALSE);
    LoadRows();
}

void CDlgEditstrlist::Detach() {
    SetDirty(FALSE);
    m_pList = nullptr;
    m_bNeedRefresh = TRUE;
    if (m_hWnd) {
        m_bInItemChange = TRUE;
        m_list.DeleteAllItems();
        m_bInItemChange = FALSE;
        m_nSelected = m_nDefault = -1;
        ShowSelected();
    }
}

void CDlgEditstrlist::AddValue(LPCTSTR lpszText, BOOL bMakeDefault) {
    if (m_bDirty && AskSave(FALSE, FALSE) == IDNO) {
        SetDirty(FALSE);
        LoadRows();
        return;
    }
    const int row = m_list.InsertItem(m_list.GetItemCount(), lpszText);
    if (row >= 0 && bMakeDefault) {
        m_bInItemChange = TRUE;
        if (m_nDefault >= 0)
            m_list.SetItemState(m_nDefault, kStateUnticked, LVIS_STATEIMAGEMASK);
        m_list.SetItemState(row, kStateTicked, LVIS_STATEIMAGEMASK);
        m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_bInItemChange = FALSE;
        m_nDefault = row;
        m_nSelected = row;
    }
    SetDirty(TRUE);
    Commit();
}

void CDlgEditstrlist::SetReadOnly(BOOL bReadOnly) {
    m_bReadOnly = bReadOnly;
    if (!m_hWnd)
        return;
    for (UINT id : {IDC_ADD, IDC_CHANGE, IDC_DELETE})
        if (CWnd* p = GetDlgItem((int)id))
            p->EnableWindow(!bReadOnly);
    for (UINT id : {IDC_FIRST, IDC_SECOND, IDC_NOTE})
        if (CWnd* p = GetDlgItem((int)id))
            p->SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly, 0);
}

void CDlgEditstrlist::SetDirty(BOOL bDirty) {
    if (bDirty == m_bDirty)
        return;
    m_bDirty = bDirty;
    if (CWnd* pOk = GetDlgItem(IDOK))
        pOk->EnableWindow(bDirty);
}

void CDlgEditstrlist::ReadControls() {
    GetDlgItemText(IDC_FIRST, m_strFirst);
    GetDlgItemText(IDC_SECOND, m_strSecond);
    GetDlgItemText(IDC_NOTE, m_strNote);
}

void CDlgEditstrlist::ShowSelected() {
    CString first, second, note;
    if (m_nSelected >= 0 && m_nSelected < m_list.GetItemCount()) {
        first = m_list.GetItemText(m_nSelected, 0);
        if (m_nNoteColumn == 2)
            second = m_list.GetItemText(m_nSelected, 1);
        note = m_list.GetItemText(m_nSelected, m_nNoteColumn);
    }
    SetDlgItemText(IDC_FIRST, first);
    SetDlgItemText(IDC_SECOND, second);
    SetDlgItemText(IDC_NOTE, note);
}

void CDlgEditstrlist::Commit() {
    if (!m_bDirty)
        return;
    SetDirty(FALSE);
    if (m_pOwner && m_pOwner->m_hWnd)
        m_pOwner->SendMessage(WM_LIST_EDITOR_NOTIFY, NOTIFY_COMMITTED, 0);
}

int CDlgEditstrlist::AskSave(BOOL bWithCancel, BOOL bCommit) {
    CString text;
    text.Format(kSaveQuestion, (LPCTSTR)m_strCaption);
    CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    if (pFrame)
        pFrame->BeginModalState();
    m_bAsking = TRUE;
    const int answer =
        AfxMessageBox(text, (bWithCancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONQUESTION);
    m_bAsking = FALSE;
    if (pFrame)
        pFrame->EndModalState();
    if (answer == IDYES && bCommit)
        Commit();
    return answer;
}

void CDlgEditstrlist::OnOK() {
    Commit();
}

void CDlgEditstrlist::OnCancel() {
    if (m_bDirty) {
        const int answer = AskSave(TRUE, TRUE);
        if (answer == IDCANCEL)
            return;
        m_bNeedRefresh = TRUE;
    }
    SetDirty(FALSE);
    ShowWindow(SW_HIDE);
    if (m_pOwner && m_pOwner->m_hWnd)
        m_pOwner->SendMessage(WM_LIST_EDITOR_NOTIFY, NOTIFY_CLOSED, 0);
}

void CDlgEditstrlist::OpenLink() {
    ReadControls();
    if (m_strFirst.IsEmpty())
        return;
    if (m_nLinkKind == LINK_WEB)
        OpenFieldActionValue(FIELD_ACTION_WEB, m_strFirst, nullptr, FALSE);
    else if (m_nLinkKind == LINK_MAIL)
        OpenFieldActionValue(FIELD_ACTION_MAIL, m_strFirst, nullptr, FALSE);
}

BOOL CDlgEditstrlist::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT nID = LOWORD(wParam), nCode = HIWORD(wParam);
    if (nCode == EN_CHANGE && (nID == IDC_FIRST || nID == IDC_SECOND || nID == IDC_NOTE)) {
        if (!m_bReadOnly && !m_bInItemChange) {
            if (CWnd* p = GetDlgItem(IDC_CHANGE))
                p->EnableWindow(m_nSelected >= 0);
            if (CWnd* p = GetDlgItem(IDC_ADD))
                p->EnableWindow(TRUE);
        }
        return TRUE;
    }
    if (nCode == BN_CLICKED) {
        switch (nID) {
        case IDC_ADD: {
            ReadControls();
            const int row = m_list.InsertItem(m_list.GetItemCount(), m_strFirst);
            if (row >= 0) {
                if (m_nNoteColumn == 2)
                    m_list.SetItemText(row, 1, m_strSecond);
                m_list.SetItemText(row, m_nNoteColumn, m_strNote);
            }
            SetDirty(TRUE);
            return TRUE;
        }
        case IDC_CHANGE:
            if (m_nSelected >= 0) {
                ReadControls();
                m_list.SetItemText(m_nSelected, 0, m_strFirst);
                if (m_nNoteColumn == 2)
                    m_list.SetItemText(m_nSelected, 1, m_strSecond);
                m_list.SetItemText(m_nSelected, m_nNoteColumn, m_strNote);
                GetDlgItem(IDC_CHANGE)->EnableWindow(FALSE);
                GetDlgItem(IDC_ADD)->EnableWindow(FALSE);
                SetDirty(TRUE);
            }
            return TRUE;
        case IDC_DELETE:
            DeleteSelectedListItems(m_list, TRUE);
            SetDirty(TRUE);
            return TRUE;
        case IDC_LINK:
            OpenLink();
            return TRUE;
        default: break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgEditstrlist::OnItemChanged(const NMLISTVIEW& change) {
    if (m_bInItemChange || !(change.uChanged & LVIF_STATE))
        return;
    m_bInItemChange = TRUE;
    const int oldDefault = m_nDefault;
    const int row = change.iItem;
    const UINT newImage = change.uNewState & LVIS_STATEIMAGEMASK;
    const UINT oldImage = change.uOldState & LVIS_STATEIMAGEMASK;
    if (newImage != oldImage) {
        if (newImage == kStateTicked) {
            if (m_nDefault >= 0 && m_nDefault != row)
                m_list.SetItemState(m_nDefault, kStateUnticked, LVIS_STATEIMAGEMASK);
            m_nDefault = row;
        } else if (row == m_nDefault) {
            if (m_list.IsDragging()) {
                // A row dropped in above the ticked row pushes it on by one.
                if (change.uOldState == 0 && row <= m_nDefault)
                    ++m_nDefault;
            } else {
                // The preferred value only moves to another row; it is never simply removed.
                m_list.SetItemState(row, kStateTicked, LVIS_STATEIMAGEMASK);
            }
        }
    }
    if ((change.uNewState & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED))
        m_nSelected = row;
    if (m_list.GetSelectedCount() == 0)
        m_nSelected = -1;
    ShowSelected();
    if (!m_bReadOnly) {
        GetDlgItem(IDC_DELETE)->EnableWindow(m_nSelected >= 0);
        GetDlgItem(IDC_CHANGE)->EnableWindow(FALSE);
        GetDlgItem(IDC_ADD)->EnableWindow(FALSE);
        if (oldDefault != m_nDefault)
            SetDirty(TRUE);
    }
    m_bInItemChange = FALSE;
}

void CDlgEditstrlist::OnListClick(const NMITEMACTIVATE& click) {
    int column = -1;
    if (SubItemHitTest(m_list, click.ptAction, &column) < 0 && column < 0)
        return;
    UINT id = 0;
    if (column == 0)
        id = IDC_FIRST;
    else if (column == 1)
        id = m_bTwoColumns ? IDC_SECOND : IDC_NOTE;
    else if (column == 2)
        id = IDC_NOTE;
    if (CWnd* pEdit = id ? GetDlgItem((int)id) : nullptr) {
        pEdit->SetFocus();
        pEdit->SendMessage(EM_SETSEL, 0, (LPARAM)-1);
    }
}

BOOL CDlgEditstrlist::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr && pHdr->idFrom == IDC_LIST) {
        if (pHdr->code == LVN_ITEMCHANGED) {
            OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        } else if (pHdr->code == LVN_DELETEITEM) {
            const int row = reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem;
            if (row == m_nDefault)
                m_nDefault = -1;
            else if (row < m_nDefault)
                --m_nDefault;
            if (row == m_nSelected)
                m_nSelected = -1;
            else if (row < m_nSelected)
                --m_nSelected;
        } else if (pHdr->code == NM_CLICK) {
            OnListClick(*reinterpret_cast<const NMITEMACTIVATE*>(lParam));
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

LRESULT CDlgEditstrlist::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LIST_EDITOR_SET_DIRTY) {
        SetDirty(TRUE);
        return 0;
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        if (CWnd* pFirst = GetDlgItem(IDC_FIRST)) {
            pFirst->SetFocus();
            pFirst->SendMessage(EM_SETSEL, 0, (LPARAM)-1);
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
