#include "platform/gui/FindReplaceDialog.h"

#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFindReplaceDialog, CCommonDialog)

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = kChild | WS_TABSTOP;

using D = CFindReplaceDialog;

const ResDialogItem kFindItems[] = {
    {"STATIC", "查找内容(&N):", -1, 6, 9, 50, 10, kChild | WS_GROUP, 0},
    {"EDIT", "", D::IDC_FINDWHAT, 58, 7, 112, 13, kEdit | WS_GROUP, 0},
    {"BUTTON", "全字匹配(&W)", D::IDC_WHOLEWORD, 6, 26, 74, 10, kCheck | WS_GROUP, 0},
    {"BUTTON", "区分大小写(&C)", D::IDC_MATCHCASE, 6, 42, 74, 10, kCheck, 0},
    {"BUTTON", "方向", -1, 84, 26, 86, 28, kChild | BS_GROUPBOX, 0},
    {"BUTTON", "向上(&U)", D::IDC_UP, 90, 38, 36, 10, kChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0},
    {"BUTTON", "向下(&D)", D::IDC_DOWN, 130, 38, 36, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {"BUTTON", "查找下一个(&F)", IDOK, 176, 6, 54, 14, kButton | WS_GROUP | BS_DEFPUSHBUTTON, 0},
    {"BUTTON", "取消", IDCANCEL, 176, 24, 54, 14, kButton, 0},
};

const ResDialogItem kReplaceItems[] = {
    {"STATIC", "查找内容(&N):", -1, 6, 9, 50, 10, kChild | WS_GROUP, 0},
    {"EDIT", "", D::IDC_FINDWHAT, 58, 7, 112, 13, kEdit | WS_GROUP, 0},
    {"STATIC", "替换为(&P):", -1, 6, 27, 50, 10, kChild | WS_GROUP, 0},
    {"EDIT", "", D::IDC_REPLACEWITH, 58, 25, 112, 13, kEdit | WS_GROUP, 0},
    {"BUTTON", "全字匹配(&W)", D::IDC_WHOLEWORD, 6, 48, 74, 10, kCheck | WS_GROUP, 0},
    {"BUTTON", "区分大小写(&C)", D::IDC_MATCHCASE, 6, 64, 74, 10, kCheck, 0},
    {"BUTTON", "查找下一个(&F)", IDOK, 176, 6, 54, 14, kButton | WS_GROUP | BS_DEFPUSHBUTTON, 0},
    {"BUTTON", "替换(&R)", D::IDC_REPLACE, 176, 24, 54, 14, kButton, 0},
    {"BUTTON", "全部替换(&A)", D::IDC_REPLACEALL, 176, 42, 54, 14, kButton, 0},
    {"BUTTON", "取消", IDCANCEL, 176, 60, 54, 14, kButton, 0},
};

// The desktop's own numbers for the two layouts.
constexpr UINT kFindDialogId = 1540;
constexpr UINT kReplaceDialogId = 1541;

const ResDialog kTemplates[] = {
    {kFindDialogId, "查找", kDialogStyle, 0, 0, 0, 236, 62, 9, "宋体",
     kFindItems, (int)(sizeof kFindItems / sizeof kFindItems[0])},
    {kReplaceDialogId, "替换", kDialogStyle, 0, 0, 0, 236, 82, 9, "宋体", kReplaceItems,
     (int)(sizeof kReplaceItems / sizeof kReplaceItems[0])},
};

// The layouts join the program's resource tables once, before the first dialog is made.
void RegisterTemplates() {
    static const ResModule module = [] {
        ResModule m{};
        m.dialogs = kTemplates;
        m.dialogCount = 2;
        return m;
    }();
    static const bool registered = (AfxRegisterResources(&module), true);
    (void)registered;
}

UINT FindMessage() {
    static const UINT msg = RegisterWindowMessage(FINDMSGSTRING);
    return msg;
}

} // namespace

CFindReplaceDialog::CFindReplaceDialog() : CCommonDialog(nullptr) {
    m_fr.lStructSize = sizeof m_fr;
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = sizeof m_szFindWhat;
    m_fr.lpstrReplaceWith = m_szReplaceWith;
    m_fr.wReplaceWithLen = sizeof m_szReplaceWith;
    m_fr.lCustData = (LPARAM)this;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam) {
    auto* fr = reinterpret_cast<FINDREPLACE*>(lParam);
    return fr ? reinterpret_cast<CFindReplaceDialog*>(fr->lCustData) : nullptr;
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCTSTR lpszFindWhat,
                                LPCTSTR lpszReplaceWith, DWORD dwFlags, CWnd* pParentWnd) {
    m_bFindOnly = bFindDialogOnly;
    m_fr.Flags = dwFlags & (FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE | FR_HIDEUPDOWN |
                            FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD);
    std::strncpy(m_szFindWhat, lpszFindWhat ? lpszFindWhat : "", sizeof m_szFindWhat - 1);
    std::strncpy(m_szReplaceWith, lpszReplaceWith ? lpszReplaceWith : "",
                 sizeof m_szReplaceWith - 1);
    CWnd* pOwner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    m_fr.hwndOwner = pOwner ? pOwner->m_hWnd : nullptr;
    RegisterTemplates();
    if (!CDialog::Create(bFindDialogOnly ? kFindDialogId : kReplaceDialogId, pOwner))
        return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CFindReplaceDialog::OnInitDialog() {
    SendDlgItemMessage(IDC_FINDWHAT, EM_LIMITTEXT, sizeof m_szFindWhat - 1);
    SetDlgItemText(IDC_FINDWHAT, m_szFindWhat);
    if (!m_bFindOnly) {
        SendDlgItemMessage(IDC_REPLACEWITH, EM_LIMITTEXT, sizeof m_szReplaceWith - 1);
        SetDlgItemText(IDC_REPLACEWITH, m_szReplaceWith);
    } else {
        CheckRadioButton(IDC_UP, IDC_DOWN, (m_fr.Flags & FR_DOWN) ? IDC_DOWN : IDC_UP);
    }
    CheckDlgButton(IDC_WHOLEWORD, (m_fr.Flags & FR_WHOLEWORD) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_MATCHCASE, (m_fr.Flags & FR_MATCHCASE) ? BST_CHECKED : BST_UNCHECKED);
    const std::pair<DWORD, UINT> hidden[] = {{FR_HIDEWHOLEWORD, IDC_WHOLEWORD},
                                             {FR_HIDEMATCHCASE, IDC_MATCHCASE},
                                             {FR_HIDEUPDOWN, IDC_UP},
                                             {FR_HIDEUPDOWN, IDC_DOWN}};
    for (auto [flag, id] : hidden)
        if ((m_fr.Flags & flag) != 0)
            if (CWnd* c = GetDlgItem((int)id))
                c->ShowWindow(SW_HIDE);
    EnableButtons();
    // The text to look for starts selected, ready to be typed over.
    if (CWnd* edit = GetDlgItem(IDC_FINDWHAT)) {
        GotoDlgCtrl(edit);
        return FALSE;
    }
    return TRUE;
}

void CFindReplaceDialog::EnableButtons() {
    CString what;
    GetDlgItemText(IDC_FINDWHAT, what);
    for (UINT id : {(UINT)IDOK, (UINT)IDC_REPLACE, (UINT)IDC_REPLACEALL})
        if (CWnd* b = GetDlgItem((int)id))
            b->EnableWindow(!what.IsEmpty());
}

void CFindReplaceDialog::Request(DWORD dwRequest) {
    CString what, with;
    GetDlgItemText(IDC_FINDWHAT, what);
    if (what.IsEmpty() && dwRequest != FR_DIALOGTERM)
        return;
    std::strncpy(m_szFindWhat, what, sizeof m_szFindWhat - 1);
    m_szFindWhat[sizeof m_szFindWhat - 1] = 0;
    if (!m_bFindOnly) {
        GetDlgItemText(IDC_REPLACEWITH, with);
        std::strncpy(m_szReplaceWith, with, sizeof m_szReplaceWith - 1);
        m_szReplaceWith[sizeof m_szReplaceWith - 1] = 0;
    }
    DWORD flags = m_fr.Flags & (FR_HIDEUPDOWN | FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD);
    if (IsDlgButtonChecked(IDC_WHOLEWORD) == BST_CHECKED)
        flags |= FR_WHOLEWORD;
    if (IsDlgButtonChecked(IDC_MATCHCASE) == BST_CHECKED)
        flags |= FR_MATCHCASE;
    // The replace dialog always searches towards the end.
    if (!m_bFindOnly || IsDlgButtonChecked(IDC_DOWN) == BST_CHECKED)
        flags |= FR_DOWN;
    m_fr.Flags = flags | dwRequest;
    if (CWnd* pOwner = CWnd::FromHandle(m_fr.hwndOwner); pOwner && ::IsWindow(m_fr.hwndOwner))
        pOwner->SendMessage(FindMessage(), 0, (LPARAM)&m_fr);
}

void CFindReplaceDialog::OnOK() {
    Request(FR_FINDNEXT);
}

void CFindReplaceDialog::OnCancel() {
    HWND self = m_hWnd;
    Request(FR_DIALOGTERM);
    if (::IsWindow(self))
        DestroyWindow();
}

BOOL CFindReplaceDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_FINDWHAT && code == EN_CHANGE) {
        EnableButtons();
        return TRUE;
    }
    if (code == BN_CLICKED && (id == IDC_REPLACE || id == IDC_REPLACEALL)) {
        Request(id == IDC_REPLACE ? FR_REPLACE : FR_REPLACEALL);
        return TRUE;
    }
    return CCommonDialog::OnCommand(wParam, lParam);
}

void CFindReplaceDialog::PostNcDestroy() {
    delete this;
}
