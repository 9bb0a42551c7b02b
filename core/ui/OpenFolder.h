// Showing a file's folder with the desktop's file manager.
#pragma once

#include "platform/base/Types.h"

// Opens the folder that holds the file with the desktop's default action, the file name passed
// as the parameter text; the file itself is never opened. FALSE when the path has no folder part
// or the desktop did not open the folder.
BOOL OpenContainingFolder(LPCTSTR filePath);
