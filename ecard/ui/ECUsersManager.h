// The e-card users of this program: the windows of the users logged in, the log-in loop with
// registration of new users, and the password checks against the stored user file or the
// service.
#pragma once

#include "ecard/ECAccount.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"

class CECFrame;
class CWnd;

// What CheckUserPassword answers offline.
enum {
    EC_PASSWORD_OK = 0,
    EC_PASSWORD_DIFFERS = 1,
    EC_PASSWORD_NO_FILE = 2,
    EC_PASSWORD_UNREADABLE = 3,
};

class CECUsersManager {
public:
    CECUsersManager();
    virtual ~CECUsersManager();
    CECUsersManager(const CECUsersManager&) = delete;
    CECUsersManager& operator=(const CECUsersManager&) = delete;

    // "AutoShowLogin" of the profile section "ECard" (the present value when absent).
    int LoadAutoShowLogin();
    void SaveAutoShowLogin();
    int m_bAutoShowLogin = 1;

    // The log-in dialog until a user logs in or the dialog is cancelled; registration runs from
    // it. A call while the loop runs returns at once.
    void ShowLoginDialog(CWnd* pParent = nullptr);
    // Opens the window of the user from its file, or a new user from the account given.
    BOOL OpenUserWindow(UINT nUid, const SECAccount* pAccount);

    CECFrame* FindUserWindow(UINT nUid) const;
    BOOL IsUserOpen(UINT nUid) const { return FindUserWindow(nUid) != nullptr; }
    void RemoveWindow(CECFrame* pFrame);
    int GetWindowCount() const { return (int)m_windows.GetSize(); }
    CECFrame* GetWindow(int i) const;

    // FALSE while a window talks to the service (the message says so).
    BOOL CanCloseAll(CString* pMessage) const;
    // Closes every window (each saves its user) and keeps the show-login setting.
    void CloseAll();

    // Deletes the user's folder with everything in it.
    static BOOL DeleteLocalUser(UINT nUid);
    // Online: the service's code for the password; offline: one of the EC_PASSWORD_ answers.
    static int CheckUserPassword(UINT nUid, LPCTSTR lpszPassword, BOOL bOnline);
    // Whether this or another running copy of the program has the user's window open: both
    // would write the one user file.
    static BOOL IsUserLockedElsewhere(UINT nUid);
    static CString GetUserLockName(UINT nUid);
    // Renames an unreadable user file to "User.dat.bad" and tells the user, so that nothing
    // writes over it; FALSE when it could not be moved.
    static BOOL SetAsideDamagedFile(UINT nUid);

private:
    CPtrArray m_windows;
};

// The number a typed text stands for: digits only, not 0 and within 32 bits; 0 for any other
// text (a longer number must never wrap to another user).
UINT ParseECUserNumber(const CString& text);
