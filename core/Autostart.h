// Starting the program with the user's desktop session.
//
// The start-up entry is an autostart desktop entry, "<value name>.desktop" in the "autostart"
// folder of the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config), which the desktop
// reads when the session starts.
#pragma once

#include <filesystem>
#include <string>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The autostart method that writes the entry; any other method does nothing and answers TRUE.
constexpr int RUN_AT_STARTUP_ENTRY = 1;

// With bSet writes the entry that runs the command (a program path; the program's own executable
// when null or empty), otherwise removes it. FALSE when the entry could not be written or
// removed, or the value name cannot name a file; removing an entry that is not there succeeds.
BOOL SetRunAtStartup(LPCTSTR valueName, LPCTSTR commandPath, BOOL bSet,
                     int nMethod = RUN_AT_STARTUP_ENTRY);

// TRUE when the entry exists and is not hidden; pCommand (may be null) then receives the
// command it runs.
BOOL GetRunAtStartup(LPCTSTR valueName, CString* pCommand = nullptr);

// The program's own start-up entry, named "Quillmar": whether it is set, and setting or removing
// it for the program's executable. SetAutoStart answers FALSE when the entry could not be changed.
BOOL IsAutoStartSet();
BOOL SetAutoStart(BOOL bOn);

// ---- Desktop files (UTF-8) ----------------------------------------------------------------------

// The path of the running program's executable; empty when it cannot be found.
std::string OwnExecutable();
// The value of an Exec key that runs the program (quoted and escaped as the desktop reads it); a
// field code such as " %f" may follow.
std::string DesktopExecValue(const std::string& program);
// A string value with the escapes of desktop entries.
std::string DesktopStringValue(const std::string& text);
// Writes a whole file beside its place and puts it in the old one's place in one step (through a
// link to the file it points at), creating the folder, so that the desktop never reads half a
// file. false when it could not be written; the old file is as it was then.
bool WriteDesktopFile(const std::filesystem::path& path, const std::string& content);
