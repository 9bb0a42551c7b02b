// Path and folder functions on program paths (GBK CStrings whose separators may be `\` or `/`).
//
// A folder path is given without its trailing separator. Paths these functions build are joined
// with `\`, as the rest of the program joins them; the platform turns them into operating-system
// paths when they reach the disk. Failures are reported as FALSE or an empty result, never as an
// exception.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/Types.h"

// ---- Building paths ------------------------------------------------------------------------

// The full file path of the module (null = the program), at most 260 characters.
CString GetModuleFilePath(HMODULE hModule = nullptr);
// A file or folder inside the program's own folder.
CString GetAppFilePath(LPCTSTR name);
// The folder joined with the name and canonicalised. A name that starts with a separator is
// already absolute and is taken alone; an empty side gives the other side.
void CombinePath(LPCTSTR folder, LPCTSTR name, CString& out);
// "." components removed and each ".." taken back with the component before it; a ".." above the
// root of an absolute path is dropped. A relative path whose components all cancel is empty.
CString CanonicalizePath(LPCTSTR path);
// The folder of the system's shared libraries.
CString GetSystemDir();

// ---- Taking paths apart --------------------------------------------------------------------

// The path with "\.." appended, canonicalised: the folder that holds the path's last component.
CString GetParentDirectory(LPCTSTR path);
// The parent folder joined with the new name; the path changes only when the result is not empty.
void ReplaceFileName(CString& path, LPCTSTR newName);
// Renames the file to the new name in its own folder (an existing file of that name is never
// replaced). On success the path takes the new path.
BOOL RenameFileInPlace(CString& path, LPCTSTR newName);
// The extension of the last component removed, then "." and the new extension appended.
void ChangeFileExtension(CString& path, LPCTSTR extension);
// The base (with bBaseIsFile: the base's folder) joined with the path and canonicalised. TRUE, and
// the path replaced, when the result is not empty.
BOOL ResolveRelativePath(CString& path, LPCTSTR base, BOOL bBaseIsFile);
// TRUE when the path names no root: it starts neither with a separator nor with a drive ("X:").
BOOL IsRelativePath(LPCTSTR path);
// The path written relative to the base (with bBaseIsFile: the base's folder): ".\" and the steps
// down for a path inside that folder, one "..\" for each step up. TRUE, and the path replaced,
// when both are absolute under the same root (one drive, compared without regard to case, or both
// without a drive); components are compared without regard to ASCII case. A path on another
// root has no relative form and stays as it is.
BOOL MakeRelativePath(CString& path, LPCTSTR base, BOOL bBaseIsFile);

// ---- File names ----------------------------------------------------------------------------

// TRUE when the name holds none of \ / : * ? " < > |. Double-byte characters are stepped over
// whole, so their second byte never counts as one of these.
BOOL IsValidFileName(LPCTSTR name);
CString RemoveInvalidFileNameChars(LPCTSTR name);
// base + extension, else base + 1 + extension, base + 2 + extension, ... : the first name that
// nothing in the folder has yet (names compared without regard to case). The result is the full
// path with bFullPath, else the bare name; it is also returned.
CString& MakeUniqueFileName(CString& out, LPCTSTR folder, LPCTSTR base, LPCTSTR extension,
                            BOOL bFullPath = TRUE);

// ---- Folders -------------------------------------------------------------------------------

// TRUE when the folder holds a sub-folder whose name equals the name exactly (case-sensitive).
BOOL SubdirectoryExists(LPCTSTR folder, LPCTSTR name);
// TRUE when the folder holds nothing (also when it does not exist).
BOOL IsDirectoryEmpty(LPCTSTR folder);
// Deletes every file of the folder (a file that cannot be deleted is left) and every sub-folder
// with DeleteDirectory. A symbolic link is deleted as a link; what it points to is never
// touched. TRUE when every sub-folder went away (or there was none).
BOOL DeleteDirectoryContents(LPCTSTR folder);
// Empties the folder and removes it. FALSE when the path is not a folder or it stays.
BOOL DeleteDirectory(LPCTSTR folder);
// Creates the folder, first its missing parents up to nDepth - 1 levels above it. FALSE for a root
// or a depth of 0 or less, or when a folder cannot be created; TRUE when the folder exists
// afterwards (also when it already did: callers want a folder to write into, and one that is
// there already serves).
BOOL CreateDirectoryPath(LPCTSTR folder, int nDepth);
// Deletes one file. FALSE when it could not be deleted (or was not there).
BOOL DeleteFileByPath(LPCTSTR path);
