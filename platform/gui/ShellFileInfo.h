// What the desktop knows about a kind of file: its icon and its type name, from the desktop's
// MIME database and icon theme. With SHGFI_USEFILEATTRIBUTES only the name (its extension) and
// the attributes given count, so "foo.pdf" gives the icon of every PDF file without any file
// existing; without it an existing file is also looked at by its content.
#pragma once

#include "platform/gui/Icon.h"

#ifndef FILE_ATTRIBUTE_DIRECTORY
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#endif

#define SHGFI_LARGEICON 0x000000000
#define SHGFI_SMALLICON 0x000000001
#define SHGFI_USEFILEATTRIBUTES 0x000000010
#define SHGFI_ICON 0x000000100
#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_TYPENAME 0x000000400

struct SHFILEINFO {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    CHAR szDisplayName[260];
    CHAR szTypeName[80];
};

// Fills what uFlags ask: SHGFI_ICON a new icon (32 x 32, or 16 x 16 with SHGFI_SMALLICON) the
// caller destroys with DestroyIcon; SHGFI_TYPENAME the desktop's name of the type (GBK);
// SHGFI_DISPLAYNAME the file name. Answers non-zero on success, 0 for a missing file asked about
// without SHGFI_USEFILEATTRIBUTES or a null path.
DWORD_PTR SHGetFileInfo(LPCTSTR pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags);
