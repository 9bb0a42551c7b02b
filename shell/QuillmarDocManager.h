// The program's document manager. Its one addition is registering the document file types, so
// that opening an address book, sender file, notebook or contact card from the desktop opens it
// in the program: the types go into the profile's classes root, and the desktop learns them from a
// shared-mime-info package, a desktop entry and the user's default application for these types,
// all under the user's own XDG folders.
#pragma once

#include "platform/gui/DocManager.h"

#include <string>
#include <vector>

// One of the program's document types as the desktop knows it.
struct SDesktopFileType {
    const char* typeId;   // the template's type id, "Receivers.Document"
    const char* mimeType; // "application/x-quillmar-addressbook"
    const char* iconName; // a generic icon of the desktop's icon theme
    BOOL bMagic;          // told apart from another type of the same extension by its content
    UINT nIconId;         // the program's own icon of the type, installed into the icon theme
};

class CQuillmarDocManager : public CDocManager {
    DECLARE_DYNAMIC(CQuillmarDocManager)
public:
    // Every template with a type id, in template order and numbered from 1: the type, its icon,
    // its open (and, with bFull, print) commands and its extension, unless the extension already
    // belongs to another type. A write that fails skips the rest of that template. Then the
    // desktop files (RegisterDesktopFileTypes).
    void RegisterShellFileTypes(BOOL bFull = FALSE) override;

    // Writes the desktop side for the program's own types among the templates; FALSE when a file
    // could not be written.
    BOOL RegisterDesktopFileTypes();

    // The classes-root entries, then everything the desktop side wrote: the type package, the
    // desktop entry, the icons and our lines of the user's default applications.
    void UnregisterShellFileTypes() override;

    // The program's four document types.
    static const std::vector<SDesktopFileType>& GetDesktopFileTypes();
    // The names of what is written, under $XDG_DATA_HOME and $XDG_CONFIG_HOME.
    static const char* const kMimePackage;  // "mime/packages/quillmar.xml"
    static const char* const kDesktopEntry; // "quillmar.desktop" in "applications"
    static const char* const kIconFolder;   // "icons/hicolor/48x48" under $XDG_DATA_HOME
    static const char* const kAppIconName;  // "quillmar", the desktop entry's icon

    // The program the types open with; its own executable unless set (tests).
    static void SetProgramPathForTesting(const char* path);
};
