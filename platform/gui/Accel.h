// Keyboard accelerators: tables from the resource scripts or made at run time, and the
// translation of a key message into the WM_COMMAND of its command.
#pragma once

#include "platform/gui/Resource.h"

#define FNOINVERT 0x02

struct ACCEL {
    BYTE fVirt; // FVIRTKEY, FSHIFT, FCONTROL, FALT
    WORD key;   // a virtual key with FVIRTKEY, else a character
    WORD cmd;
};
typedef ACCEL* LPACCEL;

// The table of the program's resources (hInstance is ignored); loaded tables are shared and
// stay valid for the life of the program.
HACCEL LoadAccelerators(HINSTANCE hInstance, LPCTSTR lpTableName);
HACCEL CreateAcceleratorTable(LPACCEL paccel, int cAccel);
BOOL DestroyAcceleratorTable(HACCEL hAccel);
// Copies up to cAccelEntries entries, or answers the count when lpAccelDst is null.
int CopyAcceleratorTable(HACCEL hAccelSrc, LPACCEL lpAccelDst, int cAccelEntries);
// When the key message matches an entry, sends WM_COMMAND (command id, 1) to hWnd and answers
// non-zero; the caller then drops the message.
int TranslateAccelerator(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);
