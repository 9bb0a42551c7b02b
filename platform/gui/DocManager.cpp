#include "platform/gui/DocManager.h"

#include "platform/base/ModuleDir.h"
#include "platform/base/OsPath.h"
#include "platform/base/Profile.h"
#include "platform/gui/Frame.h"
#include "platform/gui/RecentFileList.h"
#include "platform/gui/WinApp.h"

#include <memory>
#include <sys/stat.h>

IMPLEMENT_DYNAMIC(CDocManager, CObject)

namespace {

std::unique_ptr<CDocManager>& Manager() {
    static std::unique_ptr<CDocManager> manager;
    return manager;
}

FileNamePromptHook& PromptHook() {
    static FileNamePromptHook hook;
    return hook;
}

bool FileExists(LPCTSTR path) {
    struct stat st {};
    return stat(OsPathFromProgramPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

CDocManager* AfxGetDocManager() {
    if (!Manager())
        Manager() = std::make_unique<CDocManager>();
    return Manager().get();
}

void AfxSetDocManager(CDocManager* pManager) {
    Manager().reset(pManager);
}

FileNamePromptHook AfxSetFileNamePromptHook(FileNamePromptHook hook) {
    FileNamePromptHook old = std::move(PromptHook());
    PromptHook() = std::move(hook);
    return old;
}

CDocManager::CDocManager() = default;

CDocManager::~CDocManager() {
    for (POSITION pos = m_templateList.GetHeadPosition(); pos;)
        delete static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
}

void CDocManager::AddDocTemplate(CDocTemplate* pTemplate) {
    if (pTemplate && !m_templateList.Find(pTemplate))
        m_templateList.AddTail(pTemplate);
}

int CDocManager::GetDocumentCount() const {
    int n = 0;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* tpl = GetNextDocTemplate(pos);
        for (POSITION d = tpl->GetFirstDocPosition(); d; tpl->GetNextDoc(d))
            ++n;
    }
    return n;
}

CDocument* CDocManager::OpenDocumentFile(LPCTSTR lpszFileName) {
    if (!lpszFileName || !*lpszFileName)
        return nullptr;
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* open = nullptr;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* tpl = GetNextDocTemplate(pos);
        CDocument* match = nullptr;
        CDocTemplate::Confidence c = tpl->MatchDocType(lpszFileName, match);
        if (c > bestMatch) {
            bestMatch = c;
            best = tpl;
            open = match;
        }
        if (c == CDocTemplate::yesAlreadyOpen)
            break;
    }
    if (bestMatch == CDocTemplate::yesAlreadyOpen && open) {
        POSITION pos = open->GetFirstViewPosition();
        if (CView* v = pos ? open->GetNextView(pos) : nullptr) {
            if (CFrameWnd* f = v->GetParentFrame()) {
                if (f->IsIconic())
                    f->ShowWindow(SW_RESTORE);
                f->ActivateFrame();
            }
        }
        return open;
    }
    if (!best)
        return nullptr;
    if (!FileExists(lpszFileName)) {
        CDocument::ShowMessage(CDocument::GetFailedToOpenText(lpszFileName), MB_ICONEXCLAMATION);
        return nullptr;
    }
    return best->OpenDocumentFile(lpszFileName);
}

BOOL CDocManager::OnDDECommand(LPTSTR lpszCommand) {
    CString cmd = lpszCommand ? lpszCommand : "";
    cmd.Trim();
    const CString head = "[open(", tail = ")]";
    if (cmd.GetLength() < head.GetLength() + tail.GetLength() ||
        cmd.Left(head.GetLength()).CompareNoCase(head) != 0 || cmd.Right(tail.GetLength()) != tail)
        return FALSE;
    CString path = cmd.Mid(head.GetLength(), cmd.GetLength() - head.GetLength() - tail.GetLength());
    path.Trim();
    if (path.GetLength() >= 2 && path[0] == '"' && path[path.GetLength() - 1] == '"')
        path = path.Mid(1, path.GetLength() - 2);
    if (path.IsEmpty())
        return FALSE;
    CWinApp* app = AfxGetApp();
    CDocument* doc = app ? app->OpenDocumentFile(path) : OpenDocumentFile(path);
    if (!doc)
        return FALSE;
    CWnd* main = AfxGetMainWnd();
    if (main && main->IsIconic())
        main->ShowWindow(SW_RESTORE);
    return TRUE;
}

void CDocManager::OnFileNew() {
    POSITION pos = GetFirstDocTemplatePosition();
    if (pos)
        GetNextDocTemplate(pos)->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen() {
    CString name;
    if (DoPromptFileName(name, 0, 0, TRUE, nullptr))
        OpenDocumentFile(name);
}

BOOL CDocManager::SaveAllModified() {
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;)
        if (!GetNextDocTemplate(pos)->SaveAllModified())
            return FALSE;
    return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL bEndSession) {
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;)
        GetNextDocTemplate(pos)->CloseAllDocuments(bEndSession);
}

BOOL CDocManager::DoPromptFileName(CString& fileName, UINT, DWORD, BOOL bOpenFileDialog,
                                   CDocTemplate* pTemplate) {
    if (PromptHook())
        return PromptHook()(fileName, bOpenFileDialog);
    return AfxPromptForDocumentFile(fileName, bOpenFileDialog, this, pTemplate);
}

void CDocManager::AddToRecentFileList(LPCTSTR lpszPathName) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(lpszPathName);
    // The application decides which of its lists the file joins.
    if (CWinApp* app = AfxGetApp())
        app->AddToRecentFileList(lpszPathName);
}

void CDocManager::RegisterShellFileTypes(BOOL) {
    char module[1024];
    GetModuleFileName(nullptr, module, sizeof module);
    CString command;
    command.Format("\"%s\" \"%%1\"", module);
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* tpl = GetNextDocTemplate(pos);
        CString typeId, typeName, ext;
        if (!tpl->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty())
            continue;
        tpl->GetDocString(typeName, CDocTemplate::regFileTypeName);
        tpl->GetDocString(ext, CDocTemplate::filterExt);
        RegSetValue(HKEY_CLASSES_ROOT, typeId, REG_SZ, typeName, (DWORD)typeName.GetLength());
        CString key = typeId + "\\shell\\open\\command";
        RegSetValue(HKEY_CLASSES_ROOT, key, REG_SZ, command, (DWORD)command.GetLength());
        int semi = ext.Find(';');
        if (semi >= 0)
            ext = ext.Left(semi);
        if (!ext.IsEmpty())
            RegSetValue(HKEY_CLASSES_ROOT, ext, REG_SZ, typeId, (DWORD)typeId.GetLength());
    }
}

void CDocManager::UnregisterShellFileTypes() {
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* tpl = GetNextDocTemplate(pos);
        CString typeId, ext;
        if (!tpl->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty())
            continue;
        RegDeleteTree(HKEY_CLASSES_ROOT, typeId);
        tpl->GetDocString(ext, CDocTemplate::filterExt);
        int semi = ext.Find(';');
        if (semi >= 0)
            ext = ext.Left(semi);
        if (!ext.IsEmpty())
            RegDeleteTree(HKEY_CLASSES_ROOT, ext);
    }
}
