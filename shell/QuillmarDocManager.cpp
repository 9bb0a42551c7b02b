#include "shell/QuillmarDocManager.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>

#include "core/Autostart.h"
#include "platform/base/Gbk.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/OsPath.h"
#include "platform/base/Profile.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/Icon.h"
#include "res/mainframe.h"

#include <QBuffer>
#include <QImage>

extern char** environ;

namespace fs = std::filesystem;

IMPLEMENT_DYNAMIC(CQuillmarDocManager, CDocManager)

const char* const CQuillmarDocManager::kMimePackage = "mime/packages/quillmar.xml";
const char* const CQuillmarDocManager::kDesktopEntry = "quillmar.desktop";
const char* const CQuillmarDocManager::kIconFolder = "icons/hicolor/48x48";
const char* const CQuillmarDocManager::kAppIconName = "quillmar";

namespace {

CString& ProgramPathOverride() {
    static CString path;
    return path;
}

// The program's full path (GBK).
CString ProgramPath() {
    if (!ProgramPathOverride().IsEmpty())
        return ProgramPathOverride();
    char module[4096];
    GetModuleFileName(nullptr, module, sizeof module);
    return module;
}

LONG SetKeyText(const CString& key, const CString& text) {
    return RegSetValue(HKEY_CLASSES_ROOT, key, REG_SZ, text, (DWORD)text.GetLength());
}

// The first extension of a filter's list (".sms" of ".sms;.txt").
CString FirstExtension(const CString& exts) {
    int semi = exts.Find(';');
    CString ext = semi < 0 ? exts : exts.Left(semi);
    ext.Trim();
    if (ext.Left(1) == "*")
        ext = ext.Mid(1);
    return ext;
}

// Steps of one template; FALSE as soon as a write fails.
BOOL RegisterTemplate(CDocTemplate* tpl, int n, const CString& program, BOOL bFull) {
    CString typeId, typeName, exts;
    if (!tpl->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty())
        return TRUE;
    tpl->GetDocString(typeName, CDocTemplate::regFileTypeName);
    if (typeName.IsEmpty())
        typeName = typeId;
    tpl->GetDocString(exts, CDocTemplate::filterExt);

    if (SetKeyText(typeId, typeName) != ERROR_SUCCESS)
        return FALSE;
    if (bFull) {
        // The program's icons 1 to n are its templates' own icons.
        HICON icon = LoadIcon(nullptr, MAKEINTRESOURCE(tpl->GetResourceID()));
        CString iconRef;
        iconRef.Format("%s,%d", (LPCTSTR)program, icon != nullptr ? n : 0);
        if (SetKeyText(typeId + "\\DefaultIcon", iconRef) != ERROR_SUCCESS)
            return FALSE;
    }
    // The templates have no window title: the running program opens the file by a shell
    // command.
    struct Verb {
        const char* name;
        const char* ddeCommand;
    } verbs[] = {{"open", "[open(\"%1\")]"},
                 {"print", "[print(\"%1\")]"},
                 {"printto", "[printto(\"%1\",\"%2\",\"%3\",\"%4\")]"}};
    const CString command = program + " /dde";
    for (const Verb& v : verbs) {
        if (!bFull && CString(v.name) != "open")
            continue;
        CString key = typeId + "\\shell\\" + v.name;
        if (SetKeyText(key + "\\ddeexec", v.ddeCommand) != ERROR_SUCCESS ||
            SetKeyText(key + "\\command", command) != ERROR_SUCCESS)
            return FALSE;
    }

    const CString ext = FirstExtension(exts);
    if (ext.IsEmpty())
        return TRUE;
    char current[1024] = "";
    LONG size = sizeof current;
    LONG found = RegQueryValue(HKEY_CLASSES_ROOT, ext, current, &size);
    // An extension that belongs to another program's type stays with it.
    if (found == ERROR_SUCCESS && current[0] != '\0' && typeId != current)
        return TRUE;
    if (SetKeyText(ext, typeId) != ERROR_SUCCESS)
        return FALSE;
    if (bFull) {
        HKEY key = nullptr;
        if (RegCreateKey(HKEY_CLASSES_ROOT, ext + "\\ShellNew", &key) != ERROR_SUCCESS)
            return FALSE;
        LONG rc = RegSetValueEx(key, "NullFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return FALSE;
    }
    return TRUE;
}

// $XDG_DATA_HOME or $XDG_CONFIG_HOME (absolute only), else the folder under the home folder.
fs::path XdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {};
    return fs::path(home) / fallback;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// What the desktop needs of one registered type.
struct TypeToWrite {
    const SDesktopFileType* type;
    std::string comment; // UTF-8
    std::string glob;    // "*.sms", empty when the template has no extension
    bool bIcon = false;  // its own icon is in the icon theme
};

// The icon theme names a type's icon after the type, with a dash for the slash.
std::string TypeIconName(const SDesktopFileType& type) {
    std::string name = type.mimeType;
    for (char& c : name)
        if (c == '/')
            c = '-';
    return name;
}

// One of the program's icons as the PNG the icon theme wants; empty when there is no such icon.
std::string IconPng(UINT id) {
    HICON icon = LoadIcon(nullptr, MAKEINTRESOURCE(id));
    if (icon == nullptr)
        return {};
    const QImage image = AfxIconImage(icon, 48, 48);
    DestroyIcon(icon);
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return std::string(bytes.constData(), (size_t)bytes.size());
}

// Our files all start with the document file's version word (the current one, or the one of
// older plain files). Only the address book shares its extension with another program's type (a
// game ROM): the version word, at a priority of 80, claims our files, and a glob weight below the
// usual 50 leaves the other type the files of that extension that do not start that way. The
// other types have extensions of their own.
std::string MimePackage(const std::vector<TypeToWrite>& types) {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const TypeToWrite& t : types) {
        xml << "  <mime-type type=\"" << t.type->mimeType << "\">\n"
            << "    <comment>" << XmlEscaped(t.comment) << "</comment>\n"
            << "    <generic-icon name=\"" << t.type->iconName << "\"/>\n";
        if (t.bIcon)
            xml << "    <icon name=\"" << TypeIconName(*t.type) << "\"/>\n";
        if (!t.glob.empty())
            xml << "    <glob pattern=\"" << XmlEscaped(t.glob) << "\" weight=\"40\"/>\n";
        if (t.type->bMagic)
            xml << "    <magic priority=\"80\">\n"
                << "      <match type=\"little32\" offset=\"0\" value=\"0x0001003c\"/>\n"
                << "      <match type=\"little32\" offset=\"0\" value=\"0x00010000\"/>\n"
                << "    </magic>\n";
        xml << "  </mime-type>\n";
    }
    xml << "</mime-info>\n";
    return xml.str();
}

std::string DesktopEntry(const std::vector<TypeToWrite>& types, const std::string& program,
                         bool bIcon) {
    std::string mimeTypes;
    for (const TypeToWrite& t : types)
        mimeTypes += std::string(t.type->mimeType) + ";";
    // One file per start: the program opens the file it is given, or hands it to the copy that
    // is already running.
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + DesktopStringValue(GbkToUtf8("墨川")) + "\n";
    text +=
        "Comment=" + DesktopStringValue(GbkToUtf8("通讯录、短信、日程与记事的个人信息助手")) + "\n";
    text += "Exec=" + DesktopExecValue(program) + " %f\n";
    if (bIcon)
        text += std::string("Icon=") + CQuillmarDocManager::kAppIconName + "\n";
    text += "Terminal=false\nCategories=Office;ContactManagement;\n";
    text += "MimeType=" + mimeTypes + "\n";
    return text;
}

// The user's mimeapps.list with our types' default application set; every other line as it was.
std::string DefaultsList(const fs::path& path, const std::vector<TypeToWrite>& types) {
    const std::string section = "[Default Applications]";
    std::vector<std::string> lines;
    {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
    }
    auto ours = [&](const std::string& line) {
        for (const TypeToWrite& t : types) {
            const std::string key = std::string(t.type->mimeType) + "=";
            if (line.compare(0, key.size(), key) == 0)
                return true;
        }
        return false;
    };
    std::vector<std::string> out;
    bool inSection = false, written = false;
    auto writeOurs = [&] {
        for (const TypeToWrite& t : types)
            out.push_back(std::string(t.type->mimeType) + "=" + CQuillmarDocManager::kDesktopEntry);
        written = true;
    };
    for (const std::string& line : lines) {
        const bool header = !line.empty() && line[0] == '[';
        if (header && inSection && !written)
            writeOurs();
        if (header)
            inSection = line == section;
        if (inSection && ours(line))
            continue;
        out.push_back(line);
        if (header && inSection)
            writeOurs();
    }
    if (!written) {
        if (!out.empty() && !out.back().empty())
            out.push_back("");
        out.push_back(section);
        writeOurs();
    }
    std::string text;
    for (const std::string& line : out)
        text += line + "\n";
    return text;
}

// A file the desktop reads is rewritten only when its text changes.
bool WriteIfChanged(const fs::path& path, const std::string& text, bool& changed) {
    std::ifstream in(path, std::ios::binary);
    std::string old(std::istreambuf_iterator<char>(in), {});
    if (in.is_open() && old == text) {
        changed = false;
        return true;
    }
    changed = true;
    return WriteDesktopFile(path, text);
}

// Brings the desktop's database of types up to date with the package; a desktop without the
// tool reads the package when its own database is next built.
void UpdateMimeDatabase(const fs::path& mimeFolder) {
    std::string tool = "update-mime-database", folder = mimeFolder.string();
    char* argv[] = {tool.data(), folder.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, tool.c_str(), nullptr, nullptr, argv, environ) != 0)
        return;
    int status = 0;
    waitpid(pid, &status, 0);
}

} // namespace

const std::vector<SDesktopFileType>& CQuillmarDocManager::GetDesktopFileTypes() {
    static const std::vector<SDesktopFileType> types = {
        {"Receivers.Document", "application/x-quillmar-addressbook", "x-office-address-book", TRUE,
         581},
        {"Senders.Document", "application/x-quillmar-senders", "x-office-document", FALSE, 582},
        {"Notebook.Document", "application/x-quillmar-notebook", "x-office-document", FALSE, 583},
        {"QuillmarPerson.Document", "application/x-quillmar-person", "x-office-address-book",
         FALSE, 590},
    };
    return types;
}

void CQuillmarDocManager::SetProgramPathForTesting(const char* path) {
    ProgramPathOverride() = path != nullptr ? path : "";
}

void CQuillmarDocManager::RegisterShellFileTypes(BOOL bFull) {
    const CString program = ProgramPath();
    int n = 1;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos != nullptr; ++n)
        RegisterTemplate(GetNextDocTemplate(pos), n, program, bFull);
    RegisterDesktopFileTypes();
}

BOOL CQuillmarDocManager::RegisterDesktopFileTypes() {
    std::vector<TypeToWrite> types;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos != nullptr;) {
        CDocTemplate* tpl = GetNextDocTemplate(pos);
        CString typeId, typeName, exts;
        tpl->GetDocString(typeId, CDocTemplate::regFileTypeId);
        for (const SDesktopFileType& known : GetDesktopFileTypes()) {
            if (typeId != known.typeId)
                continue;
            tpl->GetDocString(typeName, CDocTemplate::regFileTypeName);
            tpl->GetDocString(exts, CDocTemplate::filterExt);
            const CString ext = FirstExtension(exts);
            const CString comment = typeName.IsEmpty() ? typeId : typeName;
            types.push_back({&known, GbkToUtf8(comment.GetString()),
                             ext.IsEmpty() ? std::string() : "*" + GbkToUtf8(ext.GetString())});
        }
    }
    if (types.empty())
        return TRUE;
    const fs::path data = XdgFolder("XDG_DATA_HOME", ".local/share");
    const fs::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
    if (data.empty() || config.empty())
        return FALSE;
    // The desktop starts the executable itself, wherever the program folder is.
    const std::string program = ProgramPathOverride().IsEmpty()
                                    ? OwnExecutable()
                                    : OsPathFromProgramPath(ProgramPathOverride());
    const fs::path defaults = config / "mimeapps.list";
    bool changed = false;
    bool ok = true;
    // The icons go first: the type package and the desktop entry name only icons that exist.
    const fs::path icons = data / kIconFolder;
    for (TypeToWrite& t : types) {
        const std::string png = IconPng(t.type->nIconId);
        if (png.empty())
            continue;
        t.bIcon = WriteIfChanged(icons / "mimetypes" / (TypeIconName(*t.type) + ".png"), png,
                                 changed);
        ok = t.bIcon && ok;
    }
    const std::string appPng = IconPng(IDI_APP);
    const bool appIcon =
        !appPng.empty() &&
        WriteIfChanged(icons / "apps" / (std::string(kAppIconName) + ".png"), appPng, changed);
    ok = (appPng.empty() || appIcon) && ok;
    ok = WriteIfChanged(data / kMimePackage, MimePackage(types), changed) && ok;
    // The program registers at every start when asked to: the database is rebuilt only when the
    // package changed or was never built.
    if (ok && (changed || !fs::exists(data / "mime" / "mime.cache")))
        UpdateMimeDatabase(data / "mime");
    ok = WriteIfChanged(data / "applications" / kDesktopEntry, DesktopEntry(types, program, appIcon),
                        changed) &&
         ok;
    ok = WriteIfChanged(defaults, DefaultsList(defaults, types), changed) && ok;
    return ok;
}

void CQuillmarDocManager::UnregisterShellFileTypes() {
    CDocManager::UnregisterShellFileTypes();
    const fs::path data = XdgFolder("XDG_DATA_HOME", ".local/share");
    const fs::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
    if (data.empty() || config.empty())
        return;
    std::error_code ec;
    const bool hadPackage = fs::remove(data / kMimePackage, ec);
    if (hadPackage)
        UpdateMimeDatabase(data / "mime");
    fs::remove(data / "applications" / kDesktopEntry, ec);
    fs::remove(data / kIconFolder / "apps" / (std::string(kAppIconName) + ".png"), ec);
    for (const SDesktopFileType& t : GetDesktopFileTypes())
        fs::remove(data / kIconFolder / "mimetypes" / (TypeIconName(t) + ".png"), ec);
    // Only the lines that name our desktop entry go; another program's choice stays.
    const fs::path defaults = config / "mimeapps.list";
    std::ifstream in(defaults, std::ios::binary);
    if (!in.is_open())
        return;
    std::string text, line;
    bool dropped = false;
    while (std::getline(in, line)) {
        bool ours = false;
        for (const SDesktopFileType& t : GetDesktopFileTypes())
            ours = ours || line == std::string(t.mimeType) + "=" + kDesktopEntry;
        dropped = dropped || ours;
        if (!ours)
            text += line + "\n";
    }
    in.close();
    if (dropped)
        WriteDesktopFile(defaults, text);
}
