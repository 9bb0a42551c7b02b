#include "shell/QuillmarOptions.h"

#include <cstring>
#include <memory>

#include "core/Autostart.h"
#include "core/Checksum.h"
#include "core/ProfileValues.h"
#include "core/StringUtil.h"

namespace {

// A stored array of 32-bit values; FALSE (the array unchanged) when the value is missing.
BOOL ReadIntArray(LPCTSTR section, LPCTSTR entry, CArray<int, int>& values) {
    BYTE* raw = nullptr;
    UINT bytes = 0;
    if (!OptionsProfile().GetProfileBinary(section, entry, &raw, &bytes))
        return FALSE;
    std::unique_ptr<BYTE[]> owned(raw);
    const int count = (int)(bytes / 4);
    values.SetSize(count);
    for (int i = 0; i < count; ++i) {
        int v;
        std::memcpy(&v, raw + 4 * i, 4);
        values[i] = v;
    }
    return TRUE;
}

void WriteIntArray(LPCTSTR section, LPCTSTR entry, const CArray<int, int>& values) {
    OptionsProfile().WriteProfileBinary(section, entry, reinterpret_cast<const BYTE*>(values.GetData()),
                                 (UINT)values.GetSize() * 4);
}

// A size read from the profile: above the longest it is the longest, below 1 the default.
int ValidPartSize(int value, int longest) {
    if (value > longest)
        return longest;
    return value < 1 ? longest : value;
}

} // namespace

// ---- General -----------------------------------------------------------------------------------

namespace {

// The "General" keys in the order of the section.
const struct {
    const char* entry;
    int CGeneralOptions::*member;
} kGeneralKeys[] = {
    {"AutoCheckVersion", &CGeneralOptions::m_bAutoCheckVersion},
    {"AutoLoadOnFile", &CGeneralOptions::m_bAutoLoadOnFile},
    {"MiniToTray", &CGeneralOptions::m_bMiniToTray},
    {"CloseToTray", &CGeneralOptions::m_bCloseToTray},
    {"TrayIcon", &CGeneralOptions::m_bTrayIcon},
    {"OneInstance", &CGeneralOptions::m_bOneInstance},
    {"AssocFiles", &CGeneralOptions::m_bAssocFiles},
    {"MainFrmSizeCmd", &CGeneralOptions::m_nMainFrmSizeCmd},
    {"MainFrmLastSizeCmd", &CGeneralOptions::m_nMainFrmLastSizeCmd},
    {"MainFrmLeft", &CGeneralOptions::m_nMainFrmLeft},
    {"MainFrmTop", &CGeneralOptions::m_nMainFrmTop},
    {"MainFrmRight", &CGeneralOptions::m_nMainFrmRight},
    {"MainFrmBottom", &CGeneralOptions::m_nMainFrmBottom},
    {"LeftPaneWidth", &CGeneralOptions::m_nLeftPaneWidth},
    {"LeftPaneMode", &CGeneralOptions::m_nLeftPaneMode},
};

} // namespace

void CGeneralOptions::Load() {
    for (const auto& key : kGeneralKeys)
        ReadProfileValue(m_strSection, key.entry, this->*key.member);
}

void CGeneralOptions::Save() const {
    for (const auto& key : kGeneralKeys)
        WriteProfileValue(m_strSection, key.entry, this->*key.member);
}

// ---- File lists --------------------------------------------------------------------------------

void CFileListOptions::Load() {
    int on = m_bAutoLoadFile;
    ReadProfileValue(m_strSection, "AutoLoadFile", on);
    m_bAutoLoadFile = on;
    LoadFileList();
    int rename = m_bClickRename;
    ReadProfileValue(m_strSection, "ClickRename", rename);
    m_bClickRename = rename;
}

void CFileListOptions::Save() const {
    SaveFileList();
    WriteProfileValue(m_strSection, "ClickRename", m_bClickRename);
}

void CFileListOptions::SaveFileList() const {
    WriteProfileValue(m_strSection, "AutoLoadFile", m_bAutoLoadFile);
    CString joined;
    for (POSITION pos = m_fileList.GetHeadPosition(); pos != nullptr;) {
        if (!joined.IsEmpty())
            joined += "\n";
        joined += m_fileList.GetNext(pos);
    }
    OptionsProfile().WriteProfileString(m_strSection, "AutoLoadFileList", joined);
}

BOOL CFileListOptions::LoadFileList() {
    CString joined = OptionsProfile().GetProfileString(m_strSection, "AutoLoadFileList", "");
    m_fileList.RemoveAll();
    if (joined.IsEmpty())
        return FALSE;
    CStringList pieces;
    SplitString(joined, pieces, "\n");
    // An empty piece (a doubled or trailing separator) names no file.
    for (POSITION pos = pieces.GetHeadPosition(); pos != nullptr;) {
        const CString& path = pieces.GetNext(pos);
        if (!path.IsEmpty())
            m_fileList.AddTail(path);
    }
    return TRUE;
}

// ---- Address books -----------------------------------------------------------------------------

CNamebookOptions::CNamebookOptions() : CFileListOptions("Namebook") {
    m_fieldWidths.SetSize(OPTIONS_FIELD_COUNT);
    for (int i = 0; i < OPTIONS_FIELD_COUNT; ++i)
        m_fieldWidths[i] = -1;
}

void CNamebookOptions::Load() {
    CFileListOptions::Load();
    LoadFieldList();
    ReadProfileValue(m_strSection, "BirthdayRemindDays", m_nBirthdayRemindDays);
    ReadProfileValue(m_strSection, "AutoRemindBirthday", m_bAutoRemindBirthday);
    ReadProfileValue(m_strSection, "BirthdayRemindMode", m_nBirthdayRemindMode);
}

void CNamebookOptions::Save() const {
    CFileListOptions::Save();
    SaveFieldList();
    WriteProfileValue(m_strSection, "BirthdayRemindDays", m_nBirthdayRemindDays);
    WriteProfileValue(m_strSection, "AutoRemindBirthday", m_bAutoRemindBirthday);
    WriteProfileValue(m_strSection, "BirthdayRemindMode", m_nBirthdayRemindMode);
}

void CNamebookOptions::LoadFieldList() {
    // Widths are looked up by field number: a stored array of another length is cut or padded
    // with "not set" so that every field has exactly one entry.
    if (ReadIntArray(m_strSection, "FieldWidthList", m_fieldWidths)) {
        const int stored = m_fieldWidths.GetSize();
        m_fieldWidths.SetSize(OPTIONS_FIELD_COUNT);
        for (int i = stored; i < OPTIONS_FIELD_COUNT; ++i)
            m_fieldWidths[i] = -1;
    }
    ReadIntArray(m_strSection, "FieldList", m_fieldList);
}

void CNamebookOptions::SaveFieldList() const {
    WriteIntArray(m_strSection, "FieldWidthList", m_fieldWidths);
    WriteIntArray(m_strSection, "FieldList", m_fieldList);
}

int CNamebookOptions::GetFieldWidth(int nField) const {
    if (nField < 0 || nField >= m_fieldWidths.GetSize())
        return -1;
    return m_fieldWidths[nField];
}

void CNamebookOptions::SetFieldWidth(int nField, int nWidth) {
    if (nField >= 0 && nField < m_fieldWidths.GetSize())
        m_fieldWidths[nField] = nWidth;
}

// ---- Calendar, SMS -----------------------------------------------------------------------------

void CCalendarOptions::Load() {
    ReadProfileValue(m_strSection, "StartWeekDay", m_nStartWeekDay);
}

void CCalendarOptions::Save() const {
    WriteProfileValue(m_strSection, "StartWeekDay", m_nStartWeekDay);
}

void CSmsSizeOptions::Load() {
    ReadProfileValue(m_strSection, "WideMaxSize", m_nWideMaxSize);
    ReadProfileValue(m_strSection, "AnsiMaxSize", m_nAnsiMaxSize);
    m_nWideMaxSize = ValidPartSize(m_nWideMaxSize, OPTIONS_WIDE_MAX_SIZE);
    m_nAnsiMaxSize = ValidPartSize(m_nAnsiMaxSize, OPTIONS_ANSI_MAX_SIZE);
}

void CSmsSizeOptions::Save() const {
    WriteProfileValue(m_strSection, "WideMaxSize", m_nWideMaxSize);
    WriteProfileValue(m_strSection, "AnsiMaxSize", m_nAnsiMaxSize);
}

// ---- The record --------------------------------------------------------------------------------

CQuillmarOptions::CQuillmarOptions() : m_sender("Sender"), m_notebook("NoteBook"), m_task("Task") {}

void CQuillmarOptions::Load() {
    m_general.Load();
    m_namebook.Load();
    m_sender.Load();
    m_sms.Load();
    m_notebook.Load();
    m_task.Load();
    m_calendar.Load();
    m_proxy.Load();
}

void CQuillmarOptions::SaveAll() const {
    m_general.Save();
    m_namebook.Save();
    m_sender.Save();
    m_sms.Save();
    m_notebook.Save();
    m_task.Save();
    m_calendar.Save();
    m_proxy.Save();
}

BOOL CQuillmarOptions::IsAutoStartSet() {
    return ::IsAutoStartSet();
}

BOOL CQuillmarOptions::SetAutoStart(BOOL bOn) {
    return ::SetAutoStart(bOn);
}
