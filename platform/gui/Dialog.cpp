#include "platform/gui/Dialog.h"

#include "platform/base/Exception.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, &CDialog::OnInitDialogMessage)
ON_COMMAND(IDOK, &CDialog::OnOKCommand)
ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
ON_WM_CLOSE()
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

namespace {

ModalDialogHook& Hook() {
    static ModalDialogHook hook;
    return hook;
}

std::map<CString, AfxControlFactory>& ControlFactories() {
    static std::map<CString, AfxControlFactory> factories;
    return factories;
}

} // namespace

void AfxRegisterControlClass(const char* className, AfxControlFactory factory) {
    CString cls(className);
    cls.MakeUpper();
    ControlFactories()[cls] = factory;
}

CWnd* AfxNewTemplateItem(const char* className) {
    CString cls(className);
    cls.MakeUpper();
    auto it = ControlFactories().find(cls);
    if (it != ControlFactories().end())
        if (CWnd* w = it->second())
            return w;
    if (cls == "BUTTON")
        return new CTemplateItem<CButton>;
    if (cls == "EDIT")
        return new CTemplateItem<CEdit>;
    if (cls == "STATIC")
        return new CTemplateItem<CStatic>;
    if (cls == "COMBOBOX")
        return new CTemplateItem<CComboBox>;
    if (cls == "LISTBOX")
        return new CTemplateItem<CListBox>;
    if (cls == "SCROLLBAR")
        return new CTemplateItem<CScrollBar>;
    if (cls == "MSCTLS_UPDOWN32")
        return new CTemplateItem<CSpinButtonCtrl>;
    if (cls == "MSCTLS_PROGRESS32")
        return new CTemplateItem<CProgressCtrl>;
    return new CTemplateItem<CWnd>;
}

ModalDialogHook AfxSetModalDialogHook(ModalDialogHook hook) {
    ModalDialogHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

void AfxCreateTemplateFont(const ResDialog& t, CFont& font) {
    // The template's font decides the size of a dialog unit.
    LOGFONT lf{};
    lf.lfHeight = t.pointSize > 0 ? -(t.pointSize * 96 + 36) / 72 : -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    std::strncpy(lf.lfFaceName, t.faceName ? t.faceName : "", LF_FACESIZE - 1);
    font.DeleteObject();
    font.CreateFontIndirect(&lf);
}

UINT AfxCreateTemplateControls(CWnd* pWnd, const ResDialog& t, CFont& font) {
    DialogUnits du = AfxDialogUnits(font);
    UINT defId = 0;
    for (int i = 0; i < t.itemCount; ++i) {
        const ResDialogItem& it = t.items[i];
        CWnd* item = AfxNewTemplateItem(it.className);
        if (!item->CreateEx(it.exStyle, it.className, it.text, it.style | WS_CHILD,
                            du.ToPixelsX(it.x), du.ToPixelsY(it.y), du.ToPixelsX(it.cx),
                            du.ToPixelsY(it.cy), pWnd->m_hWnd, (HMENU)(INT_PTR)it.id)) {
            delete item;
            continue;
        }
        item->SetFont(&font, FALSE);
        if ((it.style & 0x0F) == 0x01 && std::strcmp(it.className, "BUTTON") == 0)
            defId = (UINT)it.id;
    }
    // Initial list rows of the template's combo and list boxes.
    if (const ResDlgInit* init = AfxFindDlgInit(t.id)) {
        for (int i = 0; i < init->count; ++i) {
            const ResDlgInitEntry& e = init->entries[i];
            // Only the add-string messages carry text; others are not taken from a script.
            UINT msg = e.message == 0x403   ? CB_ADDSTRING
                       : e.message == 0x401 ? LB_ADDSTRING
                                            : e.message;
            if (msg != CB_ADDSTRING && msg != LB_ADDSTRING)
                continue;
            if (CWnd* c = pWnd->GetDlgItem(e.control))
                c->SendMessage(msg, 0, (LPARAM)e.text);
        }
    }
    return defId;
}

CSize AfxTemplateSize(const ResDialog& t, CFont& font) {
    DialogUnits du = AfxDialogUnits(font);
    return CSize(du.ToPixelsX(t.cx), du.ToPixelsY(t.cy));
}

BOOL CDialog::CreateFromTemplate(CWnd* pParentWnd) {
    const ResDialog* t = AfxFindDialog(m_nIDTemplate);
    if (!t)
        return FALSE;
    AfxCreateTemplateFont(*t, m_font);
    DialogUnits du = AfxDialogUnits(m_font);

    DWORD style = t->style & ~(WS_VISIBLE | WS_CHILD);
    if (!(t->style & WS_CHILD))
        style |= WS_POPUP;
    else
        style = t->style & ~WS_VISIBLE;
    CWnd* parent = pParentWnd ? pParentWnd : AfxGetMainWnd();
    if (!CreateEx(t->exStyle, "#32770", t->caption, style, du.ToPixelsX(t->x), du.ToPixelsY(t->y),
                  du.ToPixelsX(t->cx), du.ToPixelsY(t->cy), parent ? parent->m_hWnd : nullptr,
                  nullptr))
        return FALSE;
    SetFont(&m_font, FALSE);
    if (UINT defId = AfxCreateTemplateControls(this, *t, m_font))
        m_nDefID = defId;
    // A dialog at the template's origin is centred over its owner.
    if ((t->x == 0 && t->y == 0) || (t->style & DS_CENTER))
        CenterWindow();
    HWND self = m_hWnd;
    BOOL focusDefault = (BOOL)SendMessage(WM_INITDIALOG, 0, 0);
    if (!IsWindow(self))
        return FALSE;
    if (focusDefault)
        if (CWnd* first = GetNextDlgTabItem(nullptr))
            GotoDlgCtrl(first);
    return TRUE;
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    m_nModalResult = -1;
    if (!CreateFromTemplate(m_pParentWnd)) {
        m_bModal = false;
        return -1;
    }
    return RunModalLoop();
}

INT_PTR CDialog::RunModalLoop() {
    m_bModal = true;
    CModalActivation activation;
    QWidget* w = GetWidget();
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    m_loop = &loop;
    if (m_nModalResult == -1) {
        ShowWindow(SW_SHOW);
        // While the loop waits, the dialog gets its idle message, as the framework sends it.
        LONG idleCount = 0;
        HWND self = m_hWnd;
        auto idle = QObject::connect(QAbstractEventDispatcher::instance(),
                                     &QAbstractEventDispatcher::aboutToBlock, [&idleCount, self] {
                                         if (CWnd* dlg = CWnd::FromHandle(self))
                                             dlg->SendMessage(WM_KICKIDLE, 0, idleCount++);
                                     });
        if (Hook())
            QTimer::singleShot(0, w, [this] {
                if (m_hWnd && Hook())
                    Hook()(*this);
            });
        if (m_nModalResult == -1)
            loop.exec();
        QObject::disconnect(idle);
    }
    m_loop = nullptr;
    m_bModal = false;
    if (m_hWnd) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    if (!CreateFromTemplate(pParentWnd))
        return FALSE;
    if (const ResDialog* t = AfxFindDialog(nIDTemplate); t && (t->style & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (m_loop)
        static_cast<QEventLoop*>(m_loop)->exit(0);
    else if (!m_bModal)
        ShowWindow(SW_HIDE);
}

void CDialog::OnNcDestroy() {
    if (m_loop) {
        if (m_nModalResult == -1)
            m_nModalResult = IDABORT;
        static_cast<QEventLoop*>(m_loop)->exit(0);
    }
    CWnd::OnNcDestroy();
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnClose() {
    SendMessage(WM_COMMAND, IDCANCEL, 0);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    return AfxExchangeData(this, bSaveAndValidate,
                           [this](CDataExchange* pDX) { DoDataExchange(pDX); });
}

BOOL AfxExchangeData(CWnd* pWnd, BOOL bSaveAndValidate,
                     const std::function<void(CDataExchange*)>& exchange) {
    CDataExchange dx(pWnd, bSaveAndValidate);
    try {
        exchange(&dx);
    } catch (CException* e) {
        // The user has been told what is wrong; the exchange stops at that control.
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Commands the dialog does not handle go to the application (not to the owner, which could
    // act on them in the wrong context).
    if ((nCode != CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI) || !AfxGetApp())
        return FALSE;
    return AfxGetApp()->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return IsDialogMessage(pMsg);
    return FALSE;
}

namespace {

// The letter after a single '&' of a caption, upper-cased; 0 when there is none.
char MnemonicOf(const CString& text) {
    const char* s = text.GetString();
    for (; *s; ++s) {
        if ((BYTE)*s >= 0x80 && s[1]) {
            ++s; // a GBK character is never a mnemonic
            continue;
        }
        if (*s == '&') {
            if (s[1] == '&') {
                ++s;
                continue;
            }
            char c = s[1];
            return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
        }
    }
    return 0;
}

bool IsLabel(CWnd* c) {
    CString cls = c->GetClassName();
    cls.MakeUpper();
    return cls == "STATIC" || (c->SendMessage(WM_GETDLGCODE) & DLGC_STATIC);
}

bool Usable(CWnd* c) {
    return c->IsWindowVisible() && c->IsWindowEnabled();
}

bool IsDialogWindow(CWnd* w) {
    return w->GetClassName() == "#32770";
}

// The dialog whose Tab order a child dialog's controls belong to: a page laid into a dialog (a
// control parent, directly or through other control parents) is part of that dialog's order,
// so Tab leaves the page for the dialog's next control.
CWnd* TabRoot(CWnd* pDlg) {
    CWnd* root = pDlg;
    while (root->GetStyle() & WS_CHILD) {
        bool inParent = (root->GetExStyle() & WS_EX_CONTROLPARENT) ||
                        ((root->GetStyle() & DS_CONTROL) && IsDialogWindow(root));
        CWnd* parent = root->GetParent();
        if (!inParent || !parent ||
            !(IsDialogWindow(parent) || (parent->GetExStyle() & WS_EX_CONTROLPARENT)))
            break;
        root = parent;
    }
    return root;
}

} // namespace

void AfxGotoDlgCtrl(CWnd* pWndCtrl) {
    if (!pWndCtrl)
        return;
    AfxShowKeyboardCues(pWndCtrl);
    pWndCtrl->SetFocus();
    // An edit control entered from the keyboard has its text selected.
    if ((UINT)pWndCtrl->SendMessage(WM_GETDLGCODE) & DLGC_HASSETSEL)
        pWndCtrl->SendMessage(EM_SETSEL, 0, -1);
}

static BOOL AfxDialogMnemonic(CWnd* pDlg, char key) {
    if (key >= 'a' && key <= 'z')
        key = (char)(key - 'a' + 'A');
    for (CWnd* c = pDlg->GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        // The controls of a page laid into the dialog (a property sheet's page) are the
        // dialog's own for their letters too.
        const bool controlParent = (c->GetExStyle() & WS_EX_CONTROLPARENT) ||
                                   ((c->GetStyle() & DS_CONTROL) && IsDialogWindow(c));
        if (controlParent) {
            if (Usable(c) && AfxDialogMnemonic(c, key))
                return TRUE;
            continue;
        }
        CString text;
        c->GetWindowText(text);
        if (MnemonicOf(text) != key || !Usable(c))
            continue;
        if (IsLabel(c)) {
            // A label's letter leads to the control that follows it.
            for (CWnd* n = c->GetWindow(GW_HWNDNEXT); n; n = n->GetWindow(GW_HWNDNEXT))
                if (Usable(n) && !IsLabel(n)) {
                    AfxGotoDlgCtrl(n);
                    return TRUE;
                }
            return TRUE;
        }
        UINT code = (UINT)c->SendMessage(WM_GETDLGCODE);
        if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            c->SendMessage(BM_CLICK);
        } else if (code & (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
            AfxGotoDlgCtrl(c);
            c->SendMessage(BM_CLICK);
        } else {
            AfxGotoDlgCtrl(c);
        }
        return TRUE;
    }
    return FALSE;
}

BOOL AfxIsDialogMessage(CWnd* pDlg, LPMSG lpMsg, UINT nDefID) {
    UINT message = lpMsg->message;
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN && message != WM_CHAR)
        return FALSE;
    CWnd* target = CWnd::FromHandle(lpMsg->hwnd);
    if (!target || (target != pDlg && !pDlg->IsChild(target)))
        return FALSE;
    UINT code =
        target != pDlg ? (UINT)target->SendMessage(WM_GETDLGCODE, lpMsg->wParam, (LPARAM)lpMsg) : 0;
    if (message == WM_SYSKEYDOWN) {
        // Alt with a letter or digit: the control whose caption marks it. With Ctrl held too the
        // key is an accelerator's, never a mnemonic.
        if (GetKeyState(VK_CONTROL) < 0)
            return FALSE;
        WPARAM k = lpMsg->wParam;
        bool letter = (k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9');
        return letter && AfxDialogMnemonic(pDlg, (char)k);
    }
    if (message == WM_CHAR) {
        // A control that takes no typing lets plain letters act as mnemonics.
        if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL))
            return FALSE;
        char ch = (char)lpMsg->wParam;
        bool letter =
            (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
        return letter && target != pDlg && AfxDialogMnemonic(pDlg, ch);
    }
    switch (lpMsg->wParam) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        // Arrows move within a group; an automatic radio button is chosen as it is reached.
        if (target == pDlg || (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)))
            return FALSE;
        bool back = lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP;
        CWnd* next = pDlg->GetNextDlgGroupItem(target, back);
        if (!next || next == target)
            return TRUE;
        AfxGotoDlgCtrl(next);
        if ((next->SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON) &&
            (next->GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            next->SendMessage(BM_CLICK);
        return TRUE;
    }
    case VK_TAB: {
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))
            return FALSE;
        CWnd* root = TabRoot(pDlg);
        AfxGotoDlgCtrl(root->GetNextDlgTabItem(CWnd::GetFocus(), GetKeyState(VK_SHIFT) < 0));
        return TRUE;
    }
    case VK_RETURN: {
        if (code & DLGC_WANTALLKEYS)
            return FALSE;
        // A focused push button is pressed; otherwise the default button.
        CWnd* focus = CWnd::GetFocus();
        UINT id = nDefID;
        if (focus && pDlg->IsChild(focus)) {
            UINT fcode = (UINT)focus->SendMessage(WM_GETDLGCODE);
            if (fcode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
                id = (UINT)focus->GetDlgCtrlID();
        }
        CWnd* button = pDlg->GetDlgItem((int)id);
        if (button && !button->IsWindowEnabled()) {
            MessageBeep(0);
            return TRUE;
        }
        pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          (LPARAM)(button ? button->m_hWnd : nullptr));
        return TRUE;
    }
    case VK_ESCAPE: {
        if (code & DLGC_WANTALLKEYS)
            return FALSE;
        CWnd* cancel = pDlg->GetDlgItem(IDCANCEL);
        if (cancel && !cancel->IsWindowEnabled())
            return TRUE;
        pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                          (LPARAM)(cancel ? cancel->m_hWnd : nullptr));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CDialog::OnMnemonic(char key) {
    return AfxDialogMnemonic(this, key);
}

BOOL CDialog::IsDialogMessage(LPMSG lpMsg) {
    return AfxIsDialogMessage(this, lpMsg, GetDefID() & 0xFFFF);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    AfxGotoDlgCtrl(pWndCtrl);
}

void CDialog::NextDlgCtrl() const {
    CWnd* next = GetNextDlgTabItem(GetFocus());
    const_cast<CDialog*>(this)->GotoDlgCtrl(next);
}

void CDialog::PrevDlgCtrl() const {
    CWnd* prev = GetNextDlgTabItem(GetFocus(), TRUE);
    const_cast<CDialog*>(this)->GotoDlgCtrl(prev);
}

void CDialog::SetDefID(UINT nID) {
    if (CWnd* old = GetDlgItem((int)m_nDefID))
        old->SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    m_nDefID = nID;
    if (CWnd* now = GetDlgItem((int)nID))
        now->SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

DWORD CDialog::GetDefID() const {
    return MAKELONG(m_nDefID, 0x534B);
}

void CDialog::MapDialogRect(LPRECT r) const {
    DialogUnits du = AfxDialogUnits(m_font.m_hObject);
    r->left = du.ToPixelsX(r->left);
    r->right = du.ToPixelsX(r->right);
    r->top = du.ToPixelsY(r->top);
    r->bottom = du.ToPixelsY(r->bottom);
}

void CDialog::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    AfxUpdateDialogControls(this, pTarget, bDisableIfNoHndler);
}

void AfxUpdateDialogControls(CWnd* pDlg, CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    for (CWnd* c = pDlg->GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        int id = c->GetDlgCtrlID();
        if (id == 0 || id == IDC_STATIC)
            continue;
        CCmdUI ui;
        ui.m_nID = (UINT)id;
        ui.m_pOther = c;
        // Buttons with a handler in the window's own map are left enabled.
        AFX_CMDHANDLERINFO info{nullptr, nullptr};
        BOOL own = pDlg->OnCmdMsg((UINT)id, CN_COMMAND, nullptr, &info);
        // Only a button that stands for a command is greyed for want of a handler: fields,
        // lists and the buttons that keep their own state (automatic check boxes and radio
        // buttons, group boxes) are for the user whether or not a command acts on them.
        bool commandButton = false;
        if (c->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON) {
            UINT kind = (UINT)(c->GetStyle() & 0x0F);
            commandButton = kind != BS_AUTOCHECKBOX && kind != BS_AUTO3STATE &&
                            kind != BS_GROUPBOX && kind != BS_AUTORADIOBUTTON;
        }
        ui.DoUpdate(pTarget, bDisableIfNoHndler && !own && commandButton);
    }
}

// ---- Data exchange --------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    CWnd* c = m_pDlgWnd->GetDlgItem(nIDC);
    return c ? c->m_hWnd : nullptr;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND h = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate)
        if (CWnd* c = m_pDlgWnd->GetDlgItem(m_idLastControl)) {
            c->SetFocus();
            if (m_bEditLastControl)
                c->SendMessage(EM_SETSEL, 0, -1);
        }
    throw new CUserException;
}

namespace {

CWnd* Control(CDataExchange* pDX, int nIDC, bool edit = false) {
    HWND h = edit ? pDX->PrepareEditCtrl(nIDC) : pDX->PrepareCtrl(nIDC);
    return CWnd::FromHandle(h);
}

CString TextOf(CWnd* c) {
    CString s;
    if (c)
        c->GetWindowText(s);
    return s;
}

// Reads a whole number: optional blanks and sign, digits, optional blanks; nothing else.
bool ParseInt(const CString& text, long long& out) {
    const char* p = text.GetString();
    while (*p == ' ' || *p == '\t')
        ++p;
    if (!*p)
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    return *end == 0;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    CWnd* c = Control(pDX, nIDC, true);
    if (pDX->m_bSaveAndValidate)
        value = TextOf(c);
    else if (c)
        c->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* c = Control(pDX, nIDC, true);
    if (!pDX->m_bSaveAndValidate) {
        CString s;
        s.Format("%d", value);
        if (c)
            c->SetWindowText(s);
        return;
    }
    long long v = 0;
    if (!ParseInt(TextOf(c), v) || v < INT32_MIN || v > INT32_MAX) {
        AfxMessageBox("请输入一个整数。", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = (int)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    CWnd* c = Control(pDX, nIDC, true);
    if (!pDX->m_bSaveAndValidate) {
        CString s;
        s.Format("%u", value);
        if (c)
            c->SetWindowText(s);
        return;
    }
    long long v = 0;
    if (!ParseInt(TextOf(c), v) || v < 0 || v > 0xFFFFFFFFLL) {
        AfxMessageBox("请输入一个正整数。", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = (UINT)v;
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* c = Control(pDX, nIDC);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate)
        value = (int)c->SendMessage(BM_GETCHECK);
    else
        c->SendMessage(BM_SETCHECK, (WPARAM)std::clamp(value, 0, 2));
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* first = Control(pDX, nIDC);
    if (!first)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs from the first button to the next control that starts a group.
    int index = 0;
    for (CWnd* c = first; c; c = c->GetWindow(GW_HWNDNEXT), ++index) {
        if (c != first && (c->GetStyle() & WS_GROUP))
            break;
        if (!(c->SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON))
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (c->SendMessage(BM_GETCHECK) && value == -1)
                value = index;
        } else {
            c->SendMessage(BM_SETCHECK, index == value);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    CWnd* c = Control(pDX, nIDC);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate)
        index = (int)c->SendMessage(CB_GETCURSEL);
    else
        c->SendMessage(CB_SETCURSEL, (WPARAM)index);
}

static void ComboString(CDataExchange* pDX, int nIDC, CString& value, UINT findMsg) {
    CWnd* c = Control(pDX, nIDC);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = TextOf(c);
        return;
    }
    int i = (int)c->SendMessage(findMsg, (WPARAM)-1, (LPARAM)value.GetString());
    if (i >= 0)
        c->SendMessage(CB_SETCURSEL, (WPARAM)i);
    else
        // An editable combo shows the text even when no row starts with it.
        c->SetWindowText(value);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    ComboString(pDX, nIDC, value, CB_FINDSTRING);
}

void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
    ComboString(pDX, nIDC, value, CB_FINDSTRINGEXACT);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    CWnd* c = Control(pDX, nIDC);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate)
        index = (int)c->SendMessage(LB_GETCURSEL);
    else
        c->SendMessage(LB_SETCURSEL, (WPARAM)index);
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) {
    auto* c = static_cast<CListBox*>(Control(pDX, nIDC));
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate) {
        int i = (int)c->SendMessage(LB_GETCURSEL);
        value.Empty();
        if (i >= 0)
            c->GetText(i, value);
    } else {
        c->SendMessage(LB_SELECTSTRING, (WPARAM)-1, (LPARAM)value.GetString());
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd)
        return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h || !rControl.SubclassWindow(h))
        throw new CNotSupportedException;
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        if (CWnd* c = pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl))
            c->SendMessage(EM_LIMITTEXT, (WPARAM)nChars);
        return;
    }
    if (value.GetLength() > nChars) {
        CString msg;
        msg.Format("请输入不超过 %d 个字符。", nChars);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString msg;
    msg.Format("请输入一个介于 %d 和 %d 之间的整数。", minVal, maxVal);
    AfxMessageBox(msg, MB_ICONEXCLAMATION);
    pDX->Fail();
}
