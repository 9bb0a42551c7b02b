#include "shell/ShellModule.h"

#include "platform/gui/Dc.h"
#include "shell/OutbarWnd.h"

#include <algorithm>

namespace {
std::vector<CShellModule*>& Modules() {
    static std::vector<CShellModule*> modules;
    return modules;
}
} // namespace

void AfxRegisterShellModule(CShellModule* pModule) {
    if (pModule && std::find(Modules().begin(), Modules().end(), pModule) == Modules().end())
        Modules().push_back(pModule);
}

void AfxUnregisterShellModule(CShellModule* pModule) {
    if (!pModule) {
        Modules().clear();
        return;
    }
    Modules().erase(std::remove(Modules().begin(), Modules().end(), pModule), Modules().end());
}

const std::vector<CShellModule*>& AfxGetShellModules() {
    return Modules();
}

CShellModule* AfxFindFolderModule(int nFolder) {
    CShellModule* found = nullptr;
    for (CShellModule* m : Modules())
        if (m->GetFolder() == nFolder && m->GetFolderClass())
            found = m;
    return found;
}

CShellModule* AfxFindExtensionModule(const CString& ext) {
    CShellModule* found = nullptr;
    for (CShellModule* m : Modules())
        for (const CString& e : m->GetExtensions())
            if (e.CompareNoCase(ext) == 0)
                found = m;
    return found;
}

IMPLEMENT_DYNCREATE(CModuleMissingView, CView)

CString CModuleMissingView::MessageFor(LPCTSTR lpszCaption) {
    CString text;
    text.Format("“%s”模块不在本版本中。", lpszCaption);
    return text;
}

void CModuleMissingView::OnDraw(CDC* pDC) {
    CString caption;
    if (auto* bar = dynamic_cast<COutbarWnd*>(GetParent()))
        for (int i = 0; i < bar->GetFolderCount(); ++i)
            if (bar->GetFolderWnd(i) == this)
                caption = bar->GetFolderCaption(i);
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_WINDOW));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    rc.DeflateRect(8, 16);
    pDC->DrawText(MessageFor(caption), &rc, DT_CENTER | DT_WORDBREAK);
}
