#include "core/Autostart.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "core/FileUtil.h"
#include "platform/base/Document.h"
#include "platform/base/Exception.h"
#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"

namespace fs = std::filesystem;

namespace {

fs::path AutostartFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/')
        return fs::path(config) / "autostart";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return fs::path(home) / ".config" / "autostart";
    return {};
}

// The entry's file, empty when the value name cannot be a file name.
fs::path EntryPath(LPCTSTR valueName) {
    if (valueName == nullptr || *valueName == '\0' || !IsValidFileName(valueName))
        return {};
    const CString name(valueName);
    if (name == "." || name == "..")
        return {};
    const fs::path folder = AutostartFolder();
    if (folder.empty())
        return {};
    return folder / (GbkToUtf8(valueName) + ".desktop");
}

// One argument of an Exec line: quoted when it holds a character the desktop would read as
// syntax, with the quoting characters escaped; a literal "%" is doubled in any case.
std::string QuoteExecArgument(const std::string& arg) {
    const bool needsQuotes =
        arg.empty() || arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string out;
    if (needsQuotes)
        out += '"';
    for (char c : arg) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c;
        if (c == '%')
            out += '%';
    }
    if (needsQuotes)
        out += '"';
    return out;
}

// The escapes every string value of a desktop entry goes through.
std::string EscapeValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UnescapeValue(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += value[i];
        }
    }
    return out;
}

// The first argument of an Exec line, its quoting and doubled "%" undone.
std::string FirstExecArgument(const std::string& exec) {
    std::string out;
    size_t i = exec.find_first_not_of(" \t");
    if (i == std::string::npos)
        return out;
    const bool quoted = exec[i] == '"';
    if (quoted)
        ++i;
    for (; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted && c == '"')
            break;
        if (!quoted && (c == ' ' || c == '\t'))
            break;
        if (quoted && c == '\\' && i + 1 < exec.size()) {
            out += exec[++i];
            continue;
        }
        if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%')
            ++i;
        out += c;
    }
    return out;
}

} // namespace

std::string OwnExecutable() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string DesktopExecValue(const std::string& program) {
    return EscapeValue(QuoteExecArgument(program));
}

std::string DesktopStringValue(const std::string& text) {
    return EscapeValue(text);
}

bool WriteDesktopFile(const std::filesystem::path& path, const std::string& content) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec)
        return false;
    // Written beside the file and put in its place in one step, so the desktop never reads half
    // a file; a file the user keeps elsewhere and links into place stays linked.
    try {
        CDocument::ReplaceOsFileContents(
            path.string(), reinterpret_cast<const BYTE*>(content.data()), content.size());
    } catch (CException* e) {
        e->Delete();
        return false;
    }
    return true;
}

BOOL SetRunAtStartup(LPCTSTR valueName, LPCTSTR commandPath, BOOL bSet, int nMethod) {
    if (nMethod != RUN_AT_STARTUP_ENTRY)
        return TRUE;
    const fs::path entry = EntryPath(valueName);
    if (entry.empty())
        return FALSE;
    if (!bSet) {
        std::error_code ec;
        fs::remove(entry, ec);
        return !ec;
    }
    const std::string command = commandPath != nullptr && *commandPath != '\0'
                                    ? OsPathFromProgramPath(commandPath)
                                    : OwnExecutable();
    if (command.empty())
        return FALSE;
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + EscapeValue(GbkToUtf8(valueName)) + "\n";
    text += "Exec=" + DesktopExecValue(command) + "\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return WriteDesktopFile(entry, text);
}

BOOL GetRunAtStartup(LPCTSTR valueName, CString* pCommand) {
    const fs::path entry = EntryPath(valueName);
    if (entry.empty())
        return FALSE;
    std::ifstream in(entry, std::ios::binary);
    if (!in)
        return FALSE;
    std::string line, exec;
    bool inMainGroup = false, hidden = false, haveExec = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        if (line.rfind("Exec=", 0) == 0) {
            exec = UnescapeValue(line.substr(5));
            haveExec = true;
        } else if (line == "Hidden=true") {
            hidden = true;
        }
    }
    if (!haveExec || hidden)
        return FALSE;
    if (pCommand != nullptr)
        *pCommand = Utf8ToGbk(FirstExecArgument(exec));
    return TRUE;
}

namespace {
const char* const kProgramEntryName = "Quillmar";
}

BOOL IsAutoStartSet() {
    return GetRunAtStartup(kProgramEntryName);
}

BOOL SetAutoStart(BOOL bOn) {
    return SetRunAtStartup(kProgramEntryName, nullptr, bOn);
}
