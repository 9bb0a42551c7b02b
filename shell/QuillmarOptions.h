// The program's configuration: the options record the application holds for the whole run. It is
// read from the profile once at start, changed by the option pages, the main frame and the
// modules, and written back whole at exit; some pages write their own section at once. Each
// section knows its profile section and reads and writes its own keys; a key missing from the
// profile keeps the section's current value.
#pragma once

#include "platform/base/Collections.h"
#include "links/ProxyOptions.h"
#include "platform/base/Profile.h"

// Number of contact fields, and so of contact-list column widths.
constexpr int OPTIONS_FIELD_COUNT = 47;
// The longest SMS parts: characters when the text holds double-byte characters, bytes otherwise.
constexpr int OPTIONS_WIDE_MAX_SIZE = 70;
constexpr int OPTIONS_ANSI_MAX_SIZE = 160;
// Window size commands kept for the main frame.
constexpr int OPTIONS_SIZE_MINIMIZE = 0xF020;
constexpr int OPTIONS_SIZE_MAXIMIZE = 0xF030;
constexpr int OPTIONS_SIZE_RESTORE = 0xF120;

class CGeneralOptions {
public:
    void Load();
    void Save() const;

    int m_bAutoCheckVersion = 1;
    int m_bAutoLoadOnFile = 1; // open the preset files also when started with a file
    int m_bMiniToTray = 1;
    int m_bCloseToTray = 0;
    int m_bTrayIcon = 1;
    int m_bOneInstance = 1;
    int m_bAssocFiles = 0; // register the document file types with the desktop at every start
    int m_nMainFrmSizeCmd = OPTIONS_SIZE_MAXIMIZE;
    int m_nMainFrmLastSizeCmd = OPTIONS_SIZE_MAXIMIZE;
    // The restored main window in screen coordinates; empty lets the desktop place it.
    int m_nMainFrmLeft = 0;
    int m_nMainFrmTop = 0;
    int m_nMainFrmRight = 0;
    int m_nMainFrmBottom = 0;
    int m_nLeftPaneWidth = 200;
    int m_nLeftPaneMode = 3; // navigation bar style
    CString m_strSection = "General";
};

// The files of one kind opened at start, and the click-to-rename setting of that kind's tree.
class CFileListOptions {
public:
    explicit CFileListOptions(LPCTSTR lpszSection) : m_strSection(lpszSection) {}
    virtual ~CFileListOptions() = default;

    virtual void Load();
    virtual void Save() const;
    // AutoLoadFile and AutoLoadFileList only. Files are kept as one text, joined by "\n".
    void SaveFileList() const;
    // Replaces the list with the stored one; FALSE when the stored text is missing or empty.
    BOOL LoadFileList();

    BOOL m_bAutoLoadFile = FALSE;
    CStringList m_fileList;
    BOOL m_bClickRename = TRUE;
    CString m_strSection;
};

// The address books: the file list plus the contact list's columns and the birthday reminder.
class CNamebookOptions : public CFileListOptions {
public:
    CNamebookOptions();

    void Load() override;
    void Save() const override;
    // The contact list's columns: "FieldWidthList" and "FieldList", 32 bits per entry.
    void LoadFieldList();
    void SaveFieldList() const;

    // A field's column width, -1 when not set or when the field number is outside the table.
    int GetFieldWidth(int nField) const;
    // Ignored for a field number outside the table.
    void SetFieldWidth(int nField, int nWidth);

    // Field numbers of the shown columns in display order.
    CArray<int, int> m_fieldList;
    // One width per contact field, always OPTIONS_FIELD_COUNT entries (-1 = not set).
    CArray<int, int> m_fieldWidths;
    int m_nBirthdayRemindDays = 5;
    int m_bAutoRemindBirthday = 1;
    int m_nBirthdayRemindMode = 0; // the birthday reminder's calendar form (0..4)
};

class CCalendarOptions {
public:
    void Load();
    void Save() const;

    int m_nStartWeekDay = 0; // 0 Sunday
    CString m_strSection = "Calendar";
};

// How long an SMS part may be.
class CSmsSizeOptions {
public:
    // A stored size above the longest part is read as the longest; one below 1 (which would
    // divide by zero or never end cutting a text into parts) as the default.
    void Load();
    void Save() const;

    int m_nWideMaxSize = OPTIONS_WIDE_MAX_SIZE;
    int m_nAnsiMaxSize = OPTIONS_ANSI_MAX_SIZE;
    CString m_strSection = "SMS";
};

class CQuillmarOptions {
public:
    CQuillmarOptions();

    // Reads "General", "Namebook", "Sender", "SMS", "NoteBook", "Task", "Calendar", "Proxy".
    void Load();
    // Writes them in the same order.
    void SaveAll() const;

    // Starting with the desktop session is no option of the record: it is the program's autostart
    // entry.
    static BOOL IsAutoStartSet();
    static BOOL SetAutoStart(BOOL bOn);

    CGeneralOptions m_general;
    CNamebookOptions m_namebook;
    CFileListOptions m_sender;
    CSmsSizeOptions m_sms;
    CFileListOptions m_notebook;
    CFileListOptions m_task;
    CCalendarOptions m_calendar;
    CProxyOptions m_proxy;
};
