#include "ui/KovPropertyPage.h"

#include "platform/base/File.h"
#include "ui/WndHelpers.h"

namespace {

// A description is a short help page; anything bigger is not one.
constexpr UINT kMaxDescription = 4u << 20;

// The plain sheet's own map, where the walk up a derived sheet's maps stops.
struct SheetMap : CPropertySheet {
    static const AFX_MSGMAP* Get() { return CPropertySheet::GetThisMessageMap(); }
};

bool MapHandles(const AFX_MSGMAP* map, UINT message) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nMessage; ++e)
            if (e->nMessage == message)
                return true;
        if (map == SheetMap::Get())
            return false; // the sheet's own handling is what must not run
    }
    return false;
}

} // namespace

LRESULT SendPageReport(CWnd* pHost, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!pHost || !pHost->m_hWnd)
        return 0;
    if (pHost->IsKindOf(RUNTIME_CLASS(CPropertySheet)) &&
        !MapHandles(static_cast<const CCmdTarget*>(pHost)->GetMessageMap(), message))
        return 0;
    return pHost->SendMessage(message, wParam, lParam);
}

IMPLEMENT_DYNAMIC(CKovPropertyPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CKovPropertyPage, CPropertyPage)
ON_MESSAGE(WM_KOVPAGE_DESCRIPTION, &CKovPropertyPage::OnDescription)
END_MESSAGE_MAP()

CKovPropertyPage::CKovPropertyPage() = default;

CKovPropertyPage::CKovPropertyPage(UINT nIDTemplate)
    : CPropertyPage(nIDTemplate), m_templateId(nIDTemplate) {}

CKovPropertyPage::~CKovPropertyPage() = default;

BOOL CKovPropertyPage::PreCreateWindow(CREATESTRUCT& cs) {
    if (m_creatingChild) {
        // Page templates are made for sheets (often disabled pop-ups); as a plain child the page
        // must be usable where its host puts it.
        cs.style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                      WS_DISABLED);
        cs.style |= WS_CHILD | DS_CONTROL;
        cs.dwExStyle |= WS_EX_CONTROLPARENT;
    }
    return CPropertyPage::PreCreateWindow(cs);
}

BOOL CKovPropertyPage::Create(LPCTSTR, LPCTSTR, DWORD, const RECT&, CWnd* pParentWnd, UINT nID,
                              void*) {
    m_creatingChild = pParentWnd != nullptr;
    BOOL ok = CDialog::Create(m_templateId, pParentWnd);
    m_creatingChild = false;
    if (!ok)
        return FALSE;
    if (pParentWnd) {
        SetDlgCtrlID((int)nID);
        if (GetParent() != pParentWnd)
            SetParent(pParentWnd);
    }
    return TRUE;
}

BOOL CKovPropertyPage::OnInitDialog() {
    BOOL r = CPropertyPage::OnInitDialog();
    m_initialized = TRUE;
    return r;
}

void CKovPropertyPage::OnPageChanged() {
    if (!m_initialized)
        return; // changes made while the page fills its controls are not the user's
    if (!m_notifyFirstChange || m_modified) {
        SetPageModified(TRUE, FALSE);
        return;
    }
    // The host's reaction must not take the focus from the control being edited.
    CWnd* focus = GetFocus();
    HWND hFocus = focus ? focus->m_hWnd : nullptr;
    SetPageModified(TRUE, TRUE);
    if (hFocus && ::IsWindow(hFocus))
        CWnd::FromHandle(hFocus)->SetFocus();
}

void CKovPropertyPage::ExchangeData(void*, BOOL) {}

LRESULT CKovPropertyPage::SetPageModified(BOOL bModified, BOOL bNotify) {
    m_modified = bModified;
    if (!bNotify || !m_hWnd)
        return 0;
    CWnd* host = GetOwner();
    if (!host)
        host = GetParent();
    return SendPageReport(host, WM_KOVPAGE_CHANGED, (WPARAM)m_pageId, (LPARAM)m_modified);
}

int CKovPropertyPage::SetPageId(int id) {
    int old = m_pageId;
    m_pageId = id;
    return old;
}

void CKovPropertyPage::EnableDlgItems(const UINT* pIDs, BOOL bEnable) {
    ::EnableDlgItems(this, pIDs, bEnable);
}

LRESULT CKovPropertyPage::OnDescription(WPARAM wParam, LPARAM lParam) {
    auto* out = reinterpret_cast<CString*>(lParam);
    if (!out)
        return 0;
    if (wParam) {
        *out = m_descriptionFile;
        return 0;
    }
    out->Empty();
    if (m_descriptionFile.IsEmpty())
        return 0;
    CFile file;
    if (!file.Open(m_descriptionFile, CFile::modeRead | CFile::shareDenyNone))
        return 0;
    std::string text;
    char buf[4096];
    while (text.size() < kMaxDescription) {
        UINT n = file.Read(buf, sizeof buf);
        if (n == 0)
            break;
        text.append(buf, n);
    }
    if (text.size() > kMaxDescription)
        text.resize(kMaxDescription);
    *out = CString(text.c_str(), (int)text.size());
    return 0;
}
