#include "platform/gui/CommandLineInfo.h"

#include "platform/gui/DocManager.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WinApp.h"

#include <cstring>
#include <strings.h>
#include <vector>

#define ID_FILE_PRINT_DIRECT 0xE108

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
    if (bFlag)
        ParseParamFlag(pszParam);
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const char* pszParam) {
    if (strcasecmp(pszParam, "pt") == 0)
        m_nShellCommand = FilePrintTo;
    else if (strcasecmp(pszParam, "p") == 0)
        m_nShellCommand = FilePrint;
    else if (strcasecmp(pszParam, "register") == 0 || strcasecmp(pszParam, "regserver") == 0)
        m_nShellCommand = AppRegister;
    else if (strcasecmp(pszParam, "unregister") == 0 || strcasecmp(pszParam, "unregserver") == 0)
        m_nShellCommand = AppUnregister;
    else if (strcasecmp(pszParam, "dde") == 0)
        m_nShellCommand = FileDDE;
    else if (strcasecmp(pszParam, "embedding") == 0) {
        m_bShowSplash = FALSE;
        m_bRunEmbedded = TRUE;
    } else if (strcasecmp(pszParam, "automation") == 0) {
        m_bShowSplash = FALSE;
        m_bRunAutomated = TRUE;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const char* pszParam) {
    // Printing to a printer takes three more words: printer, driver and port.
    if (m_strFileName.IsEmpty())
        m_strFileName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty())
        m_strPrinterName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.IsEmpty())
        m_strDriverName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.IsEmpty())
        m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast) {
    if (bLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
        m_nShellCommand = FileOpen;
}

static void ParseWords(CCommandLineInfo& info, const std::vector<CString>& words) {
    for (size_t i = 0; i < words.size(); ++i) {
        const char* w = words[i];
        BOOL flag = (w[0] == '-' || w[0] == '/') && w[1] != 0;
        // A path that starts with '/' is a file, not a flag: flags are single words of letters.
        if (flag && w[0] == '/' && strchr(w + 1, '/'))
            flag = FALSE;
        info.ParseParam(flag ? w + 1 : w, flag, i + 1 == words.size());
    }
}

void AfxParseCommandLine(CCommandLineInfo& rCmdInfo, LPCTSTR lpCmdLine) {
    std::vector<CString> words;
    CString cur;
    bool quoted = false, any = false;
    for (const char* p = lpCmdLine ? lpCmdLine : ""; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any)
                words.push_back(cur);
            cur.Empty();
            any = false;
        } else {
            cur += *p;
            any = true;
        }
    }
    if (any)
        words.push_back(cur);
    ParseWords(rCmdInfo, words);
}

void AfxParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, const char* const* argv) {
    std::vector<CString> words;
    for (int i = 1; i < argc; ++i)
        words.emplace_back(argv[i]);
    ParseWords(rCmdInfo, words);
}

BOOL AfxProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    CDocManager* dm = AfxGetDocManager();
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        dm->OnFileNew();
        return TRUE;
    case CCommandLineInfo::FileOpen:
        return dm->OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo: {
        if (!dm->OpenDocumentFile(rCmdInfo.m_strFileName))
            return FALSE;
        if (CWnd* main = AfxGetMainWnd())
            main->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        return FALSE;
    }
    case CCommandLineInfo::AppRegister:
        dm->RegisterShellFileTypes(TRUE);
        return FALSE;
    case CCommandLineInfo::AppUnregister:
        dm->UnregisterShellFileTypes();
        return FALSE;
    case CCommandLineInfo::FileDDE:
    case CCommandLineInfo::FileNothing:
    default:
        return TRUE;
    }
}
