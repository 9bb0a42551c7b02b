// The desktop's find and replace dialog: modeless, owned by the window that searches. Each
// button tells the owner through the registered message FINDMSGSTRING, whose lParam is the
// dialog's FINDREPLACE; the owner reads the request with GetNotifier and the accessors. Closing
// the dialog tells the owner once more (IsTerminating) and the dialog object deletes itself, so
// it is always made with new.
#pragma once

#include "platform/gui/CommonDialogs.h"

#ifndef FR_DOWN
#define FR_DOWN 0x00000001
#endif
#ifndef FR_WHOLEWORD
#define FR_WHOLEWORD 0x00000002
#endif
#ifndef FR_MATCHCASE
#define FR_MATCHCASE 0x00000004
#endif
#define FR_FINDNEXT 0x00000008
#define FR_REPLACE 0x00000010
#define FR_REPLACEALL 0x00000020
#define FR_DIALOGTERM 0x00000040
#define FR_HIDEUPDOWN 0x00004000
#define FR_HIDEMATCHCASE 0x00008000
#define FR_HIDEWHOLEWORD 0x00010000

#define FINDMSGSTRING "commdlg_FindReplace"

struct FINDREPLACE {
    DWORD lStructSize;
    HWND hwndOwner;
    DWORD Flags;
    LPSTR lpstrFindWhat;
    LPSTR lpstrReplaceWith;
    WORD wFindWhatLen;
    WORD wReplaceWithLen;
    LPARAM lCustData;
};

class CFindReplaceDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFindReplaceDialog)
public:
    // The controls, with the numbers the desktop's dialog gives them.
    enum : UINT {
        IDC_FINDWHAT = 0x480, IDC_REPLACEWITH = 0x481, IDC_WHOLEWORD = 0x410,
        IDC_MATCHCASE = 0x411, IDC_UP = 0x420, IDC_DOWN = 0x421, IDC_REPLACE = 0x400,
        IDC_REPLACEALL = 0x401,
    };

    CFindReplaceDialog();

    // Shows the find dialog (bFindDialogOnly) or the replace dialog, owned by pParentWnd (the
    // main window when null), which receives its requests.
    BOOL Create(BOOL bFindDialogOnly, LPCTSTR lpszFindWhat, LPCTSTR lpszReplaceWith = nullptr,
                DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    FINDREPLACE m_fr{};

    CString GetFindString() const { return m_szFindWhat; }
    CString GetReplaceString() const { return m_szReplaceWith; }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL ReplaceCurrent() const { return (m_fr.Flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_fr.Flags & FR_REPLACEALL) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }
    BOOL IsFindOnly() const { return m_bFindOnly; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    INT_PTR RunQtDialog() override { return IDCANCEL; }
    void PostNcDestroy() override;
    // Reads the controls into m_fr, sets the request bit and tells the owner.
    void Request(DWORD dwRequest);
    // The buttons that need a text to look for are usable only with one.
    void EnableButtons();

    BOOL m_bFindOnly = TRUE;
    char m_szFindWhat[128]{};
    char m_szReplaceWith[128]{};
};
