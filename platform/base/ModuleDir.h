// The program folder and the user's configuration folder.
//
// The system keeps its data in its program folder, shipped files beside files it writes. Here that
// folder is one writable folder per user: $QUILLMAR_HOME, else $XDG_DATA_HOME/Quillmar, else
// ~/.local/share/Quillmar. Shipped files are copied into it when missing (SeedProgramFolder), so
// the user's own changes are never overwritten. The profile lives in the configuration folder:
// $QUILLMAR_CONFIG, else $XDG_CONFIG_HOME/Quillmar, else ~/.config/Quillmar.
//
// The environment is read on every call (tests point each case at its own folder); the folders
// are created when first asked for.
#pragma once

#include <filesystem>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Creates a folder and whichever folders above it are missing, each for the user alone (0700,
// whatever the umask): the program's data and stores live in them. Folders already there keep
// their mode. True when the folder exists afterwards.
bool CreatePrivateFolders(const std::filesystem::path& folder);

// Operating-system paths (UTF-8).
std::filesystem::path GetProgramFolderPath();
std::filesystem::path GetConfigFolderPath();
// The shipped data: <executable's folder>/../share/quillmar when installed, else the res/app
// folder of the source tree the program was built from. Empty when neither exists.
std::filesystem::path GetShippedDataFolderPath();

// Copies every file of the shipped folder (recursively) that does not exist in the program
// folder yet; nothing there is ever replaced. Returns how many files were copied.
int SeedProgramFolder(const std::filesystem::path& shippedDir);

// The program folder as a program path (GBK, `\` separators), without a trailing separator; the
// system appends "\\face\\1-1.bmp" and the like. A non-null module is a loaded library: its own
// folder.
CString GetModuleDirectory(HMODULE hModule = nullptr);
// The program's own file, named inside the program folder, as the system expects of a program
// that lives in its folder; a library's own file for a non-null module. Copies at most nSize - 1
// bytes plus a terminator; returns the length copied (0 on failure).
DWORD GetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
