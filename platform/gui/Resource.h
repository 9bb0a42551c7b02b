// Resources: the tables the resource converter generates from res/*.rc, and their loaders.
// Texts in the tables are GBK; dialog coordinates are dialog units.
#pragma once

#include "platform/base/CString.h"
#include "platform/gui/WinDefs.h"

#include <cstddef>

struct ResString {
    UINT id;
    const char* text;
};

struct ResDialogItem {
    const char* className; // "BUTTON", "EDIT", "STATIC", ... or a registered class name
    const char* text;
    int id;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct ResDialog {
    UINT id;
    const char* caption;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    short pointSize; // 0: the default dialog font
    const char* faceName;
    const ResDialogItem* items;
    int itemCount;
};

// A menu flattened in order; depth gives the nesting (0 for the bar or the top level).
struct ResMenuItem {
    int depth;
    UINT flags; // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED, ...
    UINT id;
    const char* text;
};

struct ResMenu {
    UINT id;
    const ResMenuItem* items;
    int itemCount;
};

struct ResAccel {
    BYTE fVirt; // FVIRTKEY, FCONTROL, FSHIFT, FALT
    WORD key;
    WORD cmd;
};

struct ResAccelTable {
    UINT id;
    const ResAccel* entries;
    int count;
};

struct ResToolBar {
    UINT id;
    short cx, cy;
    const UINT* buttons; // 0 is a separator
    int count;
};

// An icon, bitmap or cursor file embedded in the program.
struct ResImage {
    UINT kind; // RT_ICON, RT_BITMAP, RT_CURSOR
    UINT id;
    const char* name; // the resource name when the script names it instead of numbering it
    const unsigned char* data;
    size_t size;
};

// Initial data of a dialog's controls: messages sent with their text once the dialog exists.
struct ResDlgInitEntry {
    int control;
    UINT message; // CB_ADDSTRING or LB_ADDSTRING, or their 16-bit numbers 0x403 and 0x401
    const char* text;
};

struct ResDlgInit {
    UINT id; // the dialog's
    const ResDlgInitEntry* entries;
    int count;
};

struct ResModule {
    const ResString* strings;
    int stringCount;
    const ResDialog* dialogs;
    int dialogCount;
    const ResMenu* menus;
    int menuCount;
    const ResAccelTable* accels;
    int accelCount;
    const ResToolBar* toolbars;
    int toolbarCount;
    const ResImage* images;
    int imageCount;
};

#define RT_CURSOR 1
#define RT_BITMAP 2
#define RT_ICON 3

#define MF_STRING 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_CHECKED 0x0008
#define MF_POPUP 0x0010
#define MF_MENUBARBREAK 0x0020
#define MF_MENUBREAK 0x0040
#define MF_SEPARATOR 0x0800
#define MF_HELP 0x4000

#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L
#define DS_CONTROL 0x0400L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Adds a module's tables; the generated code registers itself while the program starts. Later
// modules win over earlier ones for the same id. Installs the string-table loader of CString.
void AfxRegisterResources(const ResModule* module);

const char* AfxFindString(UINT id);
const ResDialog* AfxFindDialog(UINT id);
const ResMenu* AfxFindMenu(UINT id);
const ResAccelTable* AfxFindAccelerators(UINT id);
const ResToolBar* AfxFindToolBar(UINT id);
const ResDlgInit* AfxFindDlgInit(UINT dialogId);
const ResImage* AfxFindImage(UINT kind, UINT id);
const ResImage* AfxFindImage(UINT kind, LPCTSTR name);

// MAKEINTRESOURCE-style ids: a small number passed where a name is expected.
#define MAKEINTRESOURCE(i) ((LPCTSTR)(ULONG_PTR)(WORD)(i))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

// Dialog units to pixels for a dialog font: the average width of the letters and the height.
struct DialogUnits {
    int baseX;
    int baseY;
    int ToPixelsX(int x) const { return (x * baseX + 2) / 4; }
    int ToPixelsY(int y) const { return (y * baseY + 4) / 8; }
};
DialogUnits AfxDialogUnits(HFONT hFont);

// Adds the initial data of a module's dialogs (later modules win, as for the other tables).
void AfxRegisterDlgInits(const ResDlgInit* table, int count);

class AfxDlgInitRegistrar {
public:
    AfxDlgInitRegistrar(const ResDlgInit* table, int count) { AfxRegisterDlgInits(table, count); }
};

class AfxResourceRegistrar {
public:
    explicit AfxResourceRegistrar(const ResModule* module) { AfxRegisterResources(module); }
};
