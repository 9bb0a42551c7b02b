#include "ui/HyperLink.h"

#include "platform/base/Profile.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WndPrivate.h"

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_CONTROL_REFLECT(STN_CLICKED, &CHyperLink::OnClicked)
END_MESSAGE_MAP()

CHyperLink::CHyperLink() : m_crHoverColour(GetSysColor(COLOR_HIGHLIGHT)) {}

CHyperLink::~CHyperLink() = default;

COLORREF CHyperLink::CurrentColour() const {
    if (m_bOverControl)
        return m_crHoverColour;
    return m_bVisited ? m_crVisitedColour : m_crLinkColour;
}

void CHyperLink::SetLinkUrl(const CString& strURL) {
    m_strURL = strURL;
    if (m_hWnd) {
        FitToText();
        m_ToolTip.UpdateTipText(strURL, this, 1);
    }
}

void CHyperLink::SetVisited(BOOL bVisited) {
    m_bVisited = bVisited;
    if (m_hWnd)
        Invalidate();
}

void CHyperLink::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY);
    CString text;
    GetWindowText(text);
    if (m_strURL.IsEmpty())
        m_strURL = text;
    if (text.IsEmpty())
        SetWindowText(m_strURL);
    LOGFONT lf{};
    CFont* font = GetFont();
    if (!font)
        font = CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    font->GetLogFont(&lf);
    lf.lfUnderline = (BYTE)m_bUnderline;
    m_Font.CreateFontIndirect(&lf);
    SetFont(&m_Font);
    FitToText();
    LoadHandCursor();
    CRect rc;
    GetClientRect(&rc);
    m_ToolTip.Create(this);
    m_ToolTip.AddTool(this, m_strURL, &rc, 1);
    CStatic::PreSubclassWindow();
}

void CHyperLink::LoadHandCursor() {
    // The desktop's own hand shape is the link cursor; without one the arrow stays.
    if (!m_hLinkCursor)
        m_hLinkCursor = LoadCursor(nullptr, IDC_HAND);
}

void CHyperLink::FitToText() {
    if (!m_bAdjustToFit || !m_hWnd)
        return;
    CWnd* parent = GetParent();
    CRect rc;
    GetWindowRect(&rc);
    if (parent)
        parent->ScreenToClient(&rc);
    CString text;
    GetWindowText(text);
    CSize extent;
    {
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&m_Font);
        extent = dc.GetTextExtent(text);
        dc.SelectObject(old);
    }
    // The label lays its text out with fractional advances and wraps it onto a second, hidden
    // line at exactly the measured width; a few pixels more keep it on one line.
    extent.cx += 3;
    DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        rc.DeflateRect(0, (rc.Height() - extent.cy) / 2);
    } else {
        rc.bottom = rc.top + extent.cy;
    }
    if ((style & SS_TYPEMASK) == SS_CENTER) {
        rc.DeflateRect((rc.Width() - extent.cx) / 2, 0);
    } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
        rc.left = rc.right - extent.cx;
    } else {
        rc.right = rc.left + extent.cx;
    }
    SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER);
}

HBRUSH CHyperLink::CtlColor(CDC* pDC, UINT) {
    pDC->SetTextColor(CurrentColour());
    pDC->SetBkMode(TRANSPARENT);
    return (HBRUSH)GetStockObject(NULL_BRUSH);
}

BOOL CHyperLink::OnSetCursor(CWnd*, UINT, UINT) {
    if (!m_hLinkCursor)
        return FALSE;
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

void CHyperLink::OnMouseMove(UINT nFlags, CPoint point) {
    CStatic::OnMouseMove(nFlags, point);
    if (!m_bOverControl) {
        // The capture makes sure the pointer leaving is seen, however fast it goes.
        m_bOverControl = TRUE;
        Invalidate();
        UpdateWindow();
        SetCapture();
        return;
    }
    CRect rc;
    GetClientRect(&rc);
    if (!rc.PtInRect(point)) {
        m_bOverControl = FALSE;
        ReleaseCapture();
        Invalidate();
        UpdateWindow();
    }
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg) {
    if (m_ToolTip.m_hWnd)
        m_ToolTip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

void CHyperLink::OnClicked() {
    INT_PTR result = OpenLink(m_strURL, SW_SHOW);
    if (result > 32) {
        SetVisited();
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(result);
}

INT_PTR CHyperLink::OpenLink(LPCTSTR lpszURL, int nShowCmd) {
    INT_PTR result = ShellExecute(nullptr, "open", lpszURL, nullptr, nullptr, nShowCmd);
    if (result > 32)
        return result;
    // An address refused for what it is (not a web or mail address, a program) stays refused.
    if (AfxCheckShellTarget(lpszURL) != 0)
        return result;
    // The program registered for web pages, with the address after its command.
    char type[261] = {0};
    LONG size = sizeof type - 1;
    if (RegQueryValue(HKEY_CLASSES_ROOT, ".htm", type, &size) != ERROR_SUCCESS)
        return result;
    CString key;
    key.Format("%s\\shell\\open\\command", type);
    char command[261] = {0};
    size = sizeof command - 1;
    if (RegQueryValue(HKEY_CLASSES_ROOT, key, command, &size) != ERROR_SUCCESS)
        return result;
    CString line = command;
    int pos = line.Find("\"%1\"");
    if (pos < 0)
        pos = line.Find("%1");
    if (pos >= 0)
        line = line.Left(pos);
    line.TrimRight();
    // The address is one quoted word, so blanks or quotes in it cannot add arguments.
    CString url = lpszURL;
    url.Replace("\"", "%22");
    line += " \"" + url + "\"";
    return (INT_PTR)WinExec(line, (UINT)nShowCmd);
}

void CHyperLink::ShowOpenError(INT_PTR nError) {
    CString text;
    switch (nError) {
    case 0:
        text = "The operating system is out\nof memory or resources.";
        break;
    case SE_ERR_FNF:
        text = "The specified file was not found.";
        break;
    case SE_ERR_PNF:
        text = "The specified path was not found.";
        break;
    case SE_ERR_ACCESSDENIED:
        text = "The operating system denied\naccess to the specified file.";
        break;
    case SE_ERR_OOM:
        text = "There was not enough memory to complete the operation.";
        break;
    case ERROR_BAD_FORMAT:
        text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        break;
    case SE_ERR_SHARE:
        text = "A sharing violation occurred. ";
        break;
    case SE_ERR_ASSOCINCOMPLETE:
        text = "The filename association is\nincomplete or invalid.";
        break;
    case SE_ERR_DDETIMEOUT:
        text = "The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case SE_ERR_DDEFAIL:
        text = "The DDE transaction failed.";
        break;
    case SE_ERR_DDEBUSY:
        text = "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
               "being processed.";
        break;
    case SE_ERR_NOASSOC:
        text = "There is no application associated\nwith the given filename extension.";
        break;
    case SE_ERR_DLLNOTFOUND:
        text = "The specified dynamic-link library was not found.";
        break;
    default:
        text.Format("Unknown Error (%d) occurred.", (int)nError);
        break;
    }
    AfxMessageBox("Unable to open hyperlink:\n\n" + text, MB_ICONEXCLAMATION | MB_OK);
}
