// The command line the program was started with: what it is asked to do (open a file, print,
// wait for the running copy's hand-over, register its file types) and the file.
#pragma once

#include "platform/base/CString.h"

class CCommandLineInfo {
public:
    enum {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppRegister,
        AppUnregister,
        FileNothing = -1
    } m_nShellCommand = FileNew;

    virtual ~CCommandLineInfo() = default;

    // One word of the command line: a flag (its "/" or "-" removed) or a parameter.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

protected:
    void ParseParamFlag(const char* pszParam);
    void ParseParamNotFlag(const char* pszParam);
    void ParseLast(BOOL bLast);
};

// Splits a command line (words apart by blanks, double quotes group words and are removed) and
// hands every word to ParseParam.
void AfxParseCommandLine(CCommandLineInfo& rCmdInfo, LPCTSTR lpCmdLine);
// The same over main()'s arguments (argv[0], the program, is skipped).
void AfxParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, const char* const* argv);
// Does what the command line asks through the document manager: a new document, opening the
// file (FALSE when it cannot be opened), printing it (ID_FILE_PRINT_DIRECT to the main window,
// then the program ends: FALSE), registering or removing the file types (FALSE: the program
// ends), nothing for FileDDE and FileNothing.
BOOL AfxProcessShellCommand(CCommandLineInfo& rCmdInfo);
