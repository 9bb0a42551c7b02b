// What the windows that write short messages need of the program around them: the active sender
// account, the manager that sends, the address-book tree that stays in picking while a message is
// written, and the contacts' pictures. The module that joins the windows to the program sets it;
// without one they write and file messages but send none.
#pragma once

#include "platform/base/Types.h"

class CCommDevice;
class CImageList;
class CWnd;
class _CPerson;
class _CSender;
class _CSms;

class CISmsComposeHost {
public:
    virtual ~CISmsComposeHost() = default;
    // The main window's active sender account, or null.
    virtual _CSender* GetActiveSender() = 0;
    // Makes the account (null: none) the one that sends, receives and listens.
    virtual void SetActiveSender(_CSender* /*pAccount*/) {}
    virtual CCommDevice* GetCommDevice() = 0;
    // A message was filed into the account's boxes by a window of its own (the dialog that
    // writes to one contact): the account's file is to be saved and its views show it.
    virtual void OnSmsWritten(_CSender* /*pAccount*/) {}
    // The main window shows that a message is being written (TRUE) or no longer (FALSE).
    virtual void ShowWriting(BOOL /*bWriting*/) {}
    // The address-book tree told when writing begins (0x450) and ends (0x451), or null.
    virtual CWnd* GetPickTree() { return nullptr; }
    // The contacts' small pictures and the picture of one contact (-1 none).
    virtual CImageList* GetContactImages() { return nullptr; }
    virtual int GetContactImage(_CPerson* /*pPerson*/) { return -1; }
};

void SetSmsComposeHost(CISmsComposeHost* pHost);
CISmsComposeHost* GetSmsComposeHost();

// The account sends go out from, or null: the active one of the host.
_CSender* GetComposeSender();
// Sends one message at once through the host's manager for the account: the manager's usual
// run (set the account, begin, send, file, end). FALSE when nothing could be started; the
// message then stays where it is filed.
BOOL SendSmsNow(_CSender* pAccount, _CSms* pSms, int nRecipients);
