#include "core/ui/OpenFolder.h"

#include "platform/base/CString.h"
#include "platform/base/OsPath.h"
#include "platform/gui/ShellServices.h"

BOOL OpenContainingFolder(LPCTSTR filePath) {
    if (filePath == nullptr)
        return FALSE;
    const CString path(filePath);
    const int separator = FindLastPathSeparator(path);
    if (separator < 0)
        return FALSE;
    // A file at the root keeps the root separator as its folder.
    const CString folder = path.Left(separator > 0 ? separator : 1);
    const CString name = path.Mid(separator + 1);
    return ShellExecute(nullptr, "open", folder, name, nullptr, SW_SHOWNORMAL) > 32;
}
