#include "ui/FieldActionOpen.h"

#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"

BOOL OpenFieldActionValue(FieldAction action, LPCTSTR lpszValue, LPCTSTR lpszOwnerName,
                          BOOL bQuoted) {
    CString address, error;
    if (!BuildFieldActionAddress(action, lpszValue, lpszOwnerName, bQuoted, address, error)) {
        if (!error.IsEmpty())
            AfxMessageBox(error, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (ShellExecute(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL) > 32)
        return TRUE;
    CString message;
    if (action == FIELD_ACTION_DIAL)
        message.Format("本机没有可以拨打电话的程序，无法拨打 %s。", lpszValue);
    else if (action == FIELD_ACTION_MAIL)
        message.Format("本机没有可以写邮件的程序，无法给 %s 写信。", lpszValue);
    else
        return OpenWebAddress(address);
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

void ShowMailtoFailure(INT_PTR nResult) {
    CString format, message;
    format.LoadString(nResult == SE_ERR_NOASSOC ? 216 : 209);
    message.Format(format, (int)nResult);
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
}

BOOL OpenWebAddress(LPCTSTR lpszAddress) {
    if (ShellExecute(nullptr, "open", lpszAddress, nullptr, nullptr, SW_SHOWNORMAL) > 32)
        return TRUE;
    CString message;
    message.Format("无法打开网址 %s。", lpszAddress);
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}
