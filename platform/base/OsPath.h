// Program paths and operating-system paths.
//
// Inside the program a path is a GBK CString whose separators may be `\` or `/`; the system was
// written for a file system that ignores case. At the operating-system boundary a path becomes
// UTF-8 with `/` separators, and each component that does not exist as written is looked up in its
// folder without regard to ASCII case.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Index of the last separator (`\` or `/`, never the second byte of a double-byte character) of a
// GBK path, or -1.
int FindLastPathSeparator(const char* path);

// The operating-system path (UTF-8, `/`) for a program path. Components are resolved case-
// insensitively as far as they exist; the rest is kept as written, so the result also serves to
// create a file. A trailing separator is kept.
std::string OsPathFromProgramPath(const char* path);

// A path as the user is shown it in messages: the operating-system path (`/` separators, the
// names as they exist on disk) in GBK text.
CString DisplayPathFromProgramPath(const char* path);

// The program path for an operating-system path. Paths the platform builds for the program use
// `\`, because the system's code splits names off with ReverseFind('\\') and joins them with "\\";
// `/` never occurs as a GBK trail byte, so each one is a separator and is turned into `\`.
CString ProgramPathFromOsPath(std::string_view osPath);

// Whether two program paths name the same file: the same file on disk when both exist, otherwise
// the same absolute path, compared without regard to ASCII case and separator style.
BOOL IsSameProgramPath(const char* a, const char* b);
