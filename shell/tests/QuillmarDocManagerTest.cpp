#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommandLineInfo.h"
#include "platform/gui/DocTemplate.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/gui/TrayIcon.h"
#include "shell/MainFrm.h"
#include "shell/QuillmarDocManager.h"
#include "shell/ShellModule.h"
#include "shell/SmsApp.h"
#include "shell/tests/ProgramRun.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A template described by its strings, as the program's string resources describe its own.
class CTestTemplate : public CMultiDocTemplate {
public:
    CTestTemplate(UINT id, const char* strings)
        : CMultiDocTemplate(id, RUNTIME_CLASS(CDocument), nullptr, nullptr) {
        m_strDocStrings = strings;
    }
};

const char* const kTemplates[] = {
    "\nEditSmsForm\nEditSm\n通讯录文件 (*.sms)\n.sms\nReceivers.Document\n墨川通讯录文件",
    "\nSendersView\nSendersView\n发信人文件 (*.sdr)\n.sdr\nSenders.Document\n墨川发信人文件",
    "\nNotebookView\nNotebookView\n记事本文件 (*.ntp)\n.ntp\nNotebook.Document\n墨川记事本文件",
    "\nPersonView\nPersonView\n联系人文件 (*.psn)\n.psn\nQuillmarPerson.Document\n墨川联系人文件",
};
const char* const kProgram = "/opt/墨川/quillmar";

// Every key and value below a key, as "path=value" lines.
void Dump(HKEY root, const std::string& path, std::map<std::string, std::string>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name, cb = sizeof data, type = 0;
        if (RegEnumValue(key, i, name, &cch, nullptr, &type, data, &cb) != ERROR_SUCCESS)
            break;
        out[path + "\\@" + name] = std::string((const char*)data, cb);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name;
        if (RegEnumKeyEx(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.push_back(path.empty() ? name : path + "\\" + name);
    }
    RegCloseKey(key);
    for (const std::string& c : children)
        Dump(root, c, out);
}

std::string KeyText(const char* key) {
    char buf[1024] = "";
    LONG size = sizeof buf;
    if (RegQueryValue(HKEY_CLASSES_ROOT, key, buf, &size) != ERROR_SUCCESS)
        return "(missing)";
    return buf;
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DocManagerTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    test_folders::ScopedEnv profile{"QUILLMAR_CONFIG", (dir.path() / "profile").string()};
    test_folders::ScopedEnv data{"XDG_DATA_HOME", (dir.path() / "data").string()};
    test_folders::ScopedEnv config{"XDG_CONFIG_HOME", (dir.path() / "config").string()};
    CQuillmarDocManager manager;

    void SetUp() override {
        CProfileStore::ReloadForTesting();
        CQuillmarDocManager::SetProgramPathForTesting(kProgram);
        for (size_t i = 0; i < std::size(kTemplates); ++i)
            manager.AddDocTemplate(new CTestTemplate(81 + (UINT)i, kTemplates[i]));
    }
    void TearDown() override {
        CQuillmarDocManager::SetProgramPathForTesting(nullptr);
        CProfileStore::ReloadForTesting();
    }
    std::map<std::string, std::string> ClassesRoot() {
        std::map<std::string, std::string> keys;
        Dump(HKEY_CLASSES_ROOT, "", keys);
        return keys;
    }
    // Runs a command with the desktop's folders of this test only; its output.
    std::string Run(const std::string& command) {
        std::string line = "env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME='" + dir.str() +
                           "' XDG_DATA_HOME='" + (dir.path() / "data").string() +
                           "' XDG_CONFIG_HOME='" + (dir.path() / "config").string() +
                           "' XDG_DATA_DIRS=/usr/share XDG_CONFIG_DIRS='" +
                           (dir.path() / "etc").string() + "' " + command + " 2>&1";
        std::string out;
        if (FILE* p = popen(line.c_str(), "r")) {
            char buf[512];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0)
                out.append(buf, n);
            pclose(p);
        }
        return out;
    }
    std::string ContentType(const fs::path& file) {
        std::string out = Run("gio info -a standard::content-type '" + file.string() + "'");
        const std::string key = "standard::content-type: ";
        size_t at = out.find(key);
        if (at == std::string::npos)
            return out;
        size_t end = out.find('\n', at);
        return out.substr(at + key.size(), end - at - key.size());
    }
    static bool HaveTool(const char* tool) {
        return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
    }
};

TEST_F(DocManagerTest, EachTypeGetsItsNameIconCommandsAndExtension) {
    manager.RegisterShellFileTypes(TRUE);
    struct Row {
        const char* type;
        const char* name;
        const char* ext;
    } rows[] = {{"Receivers.Document", "墨川通讯录文件", ".sms"},
                {"Senders.Document", "墨川发信人文件", ".sdr"},
                {"Notebook.Document", "墨川记事本文件", ".ntp"},
                {"QuillmarPerson.Document", "墨川联系人文件", ".psn"}};
    const std::string command = std::string(kProgram) + " /dde";
    for (const Row& r : rows) {
        std::string t = r.type;
        EXPECT_EQ(KeyText(r.type), r.name);
        EXPECT_EQ(KeyText((t + "\\DefaultIcon").c_str()), std::string(kProgram) + ",0")
            << "the templates have no icons of their own yet";
        EXPECT_EQ(KeyText((t + "\\shell\\open\\ddeexec").c_str()), "[open(\"%1\")]");
        EXPECT_EQ(KeyText((t + "\\shell\\print\\ddeexec").c_str()), "[print(\"%1\")]");
        EXPECT_EQ(KeyText((t + "\\shell\\printto\\ddeexec").c_str()),
                  "[printto(\"%1\",\"%2\",\"%3\",\"%4\")]");
        for (const char* verb : {"open", "print", "printto"})
            EXPECT_EQ(KeyText((t + "\\shell\\" + verb + "\\command").c_str()), command) << verb;
        EXPECT_EQ(KeyText(r.ext), r.type);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, (std::string(r.ext) + "\\ShellNew").c_str(), &key),
                  ERROR_SUCCESS);
        DWORD type = 0, cb = 0;
        EXPECT_EQ(RegQueryValueEx(key, "NullFile", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
        RegCloseKey(key);
    }
}

TEST_F(DocManagerTest, WithoutFullOnlyTheOpenVerbAndNoNewFileEntry) {
    manager.RegisterShellFileTypes(FALSE);
    EXPECT_EQ(KeyText("Senders.Document\\shell\\open\\command"), std::string(kProgram) + " /dde");
    for (const char* key : {"Senders.Document\\DefaultIcon", "Senders.Document\\shell\\print",
                            "Senders.Document\\shell\\printto", ".sdr\\ShellNew"})
        EXPECT_EQ(KeyText(key), "(missing)") << key;
    EXPECT_EQ(KeyText(".sdr"), "Senders.Document");
}

TEST_F(DocManagerTest, AnExtensionOfAnotherTypeStaysWithIt) {
    RegSetValue(HKEY_CLASSES_ROOT, ".sms", REG_SZ, "Rom.MasterSystem", 16);
    manager.AddDocTemplate(new CTestTemplate(90, "\nX\nX\nX\n.xyz\n\n无类型"));
    manager.AddDocTemplate(new CTestTemplate(91, "\nY\nY\nY\n.yyy\nOnly.Id\n"));
    manager.RegisterShellFileTypes(TRUE);
    EXPECT_EQ(KeyText("Receivers.Document"), "墨川通讯录文件") << "the type itself is registered";
    EXPECT_EQ(KeyText(".sms"), "Rom.MasterSystem");
    EXPECT_EQ(KeyText(".sms\\ShellNew"), "(missing)");
    EXPECT_EQ(KeyText(".xyz"), "(missing)") << "a template without a type id is skipped";
    EXPECT_EQ(KeyText("Only.Id"), "Only.Id") << "no type name: the id names the type";
}

TEST_F(DocManagerTest, RegisteringTwiceLeavesTheSameKeysAndFiles) {
    fs::create_directories(dir.path() / "config");
    std::ofstream(dir.path() / "config" / "mimeapps.list")
        << "[Default Applications]\ntext/plain=editor.desktop\n"
           "application/x-quillmar-notebook=old.desktop\n\n[Added Associations]\n"
           "image/png=viewer.desktop;\n";
    manager.RegisterShellFileTypes(TRUE);
    auto keys = ClassesRoot();
    std::string list = FileText(dir.path() / "config" / "mimeapps.list");
    std::string package = FileText(dir.path() / "data" / CQuillmarDocManager::kMimePackage);
    const fs::path cache = dir.path() / "data" / "mime" / "mime.cache";
    const bool haveCache = fs::exists(cache); // when the desktop's tool is installed
    const auto built = haveCache ? fs::last_write_time(cache) : fs::file_time_type();
    manager.RegisterShellFileTypes(TRUE);
    if (haveCache) {
        EXPECT_EQ(fs::last_write_time(cache), built) << "nothing changed, nothing rebuilt";
    }
    EXPECT_EQ(ClassesRoot(), keys);
    EXPECT_EQ(FileText(dir.path() / "config" / "mimeapps.list"), list);
    EXPECT_EQ(FileText(dir.path() / "data" / CQuillmarDocManager::kMimePackage), package);

    EXPECT_EQ(list, "[Default Applications]\n"
                    "application/x-quillmar-addressbook=quillmar.desktop\n"
                    "application/x-quillmar-senders=quillmar.desktop\n"
                    "application/x-quillmar-notebook=quillmar.desktop\n"
                    "application/x-quillmar-person=quillmar.desktop\n"
                    "text/plain=editor.desktop\n\n[Added Associations]\n"
                    "image/png=viewer.desktop;\n")
        << "other types keep their applications";
}

// Each type shows the program's own document icon, and the desktop entry the program's icon;
// unregistering takes back everything the desktop side wrote and nothing of anyone else's.
TEST_F(DocManagerTest, IconsAreInstalledAndUnregisteringRemovesOnlyOurs) {
    fs::create_directories(dir.path() / "config");
    std::ofstream(dir.path() / "config" / "mimeapps.list")
        << "[Default Applications]\ntext/plain=editor.desktop\n"
           "application/x-quillmar-senders=other.desktop\n";
    manager.RegisterShellFileTypes(TRUE);
    const fs::path data = dir.path() / "data";
    const fs::path icons = data / CQuillmarDocManager::kIconFolder;
    const std::string package = FileText(data / CQuillmarDocManager::kMimePackage);
    for (const SDesktopFileType& t : CQuillmarDocManager::GetDesktopFileTypes()) {
        std::string name = t.mimeType;
        name[name.find('/')] = '-';
        const fs::path png = icons / "mimetypes" / (name + ".png");
        QImage image(QString::fromStdString(png.string()));
        EXPECT_EQ(image.size(), QSize(48, 48)) << png;
        EXPECT_NE(package.find("<icon name=\"" + name + "\"/>"), std::string::npos) << name;
    }
    EXPECT_FALSE(QImage(QString::fromStdString((icons / "apps" / "quillmar.png").string())).isNull());
    const fs::path entry = data / "applications" / CQuillmarDocManager::kDesktopEntry;
    EXPECT_NE(FileText(entry).find("\nIcon=quillmar\n"), std::string::npos);

    manager.UnregisterShellFileTypes();
    EXPECT_EQ(KeyText("Receivers.Document"), "(missing)");
    EXPECT_EQ(KeyText(".sdr"), "(missing)");
    EXPECT_FALSE(fs::exists(data / CQuillmarDocManager::kMimePackage));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(fs::is_empty(icons / "mimetypes"));
    EXPECT_TRUE(fs::is_empty(icons / "apps"));
    EXPECT_EQ(FileText(dir.path() / "config" / "mimeapps.list"),
              "[Default Applications]\ntext/plain=editor.desktop\n");
}

// The desktop's own tools read what was written: gio finds our types by extension and by the
// leading version bytes, while a game ROM named *.sms keeps the type the system gives it.
TEST_F(DocManagerTest, TheDesktopSeesOurTypesAndLeavesOtherSmsFilesAlone) {
    if (!HaveTool("gio") || !HaveTool("update-mime-database") || !HaveTool("desktop-file-validate"))
        FAIL() << "the desktop tools are not installed (scripts/install-deps.sh installs them)";
    // The desktop lists only applications whose program exists: this test program stands in.
    CQuillmarDocManager::SetProgramPathForTesting(nullptr);
    // What the program does on "/register".
    auto* processManager = new CQuillmarDocManager;
    for (size_t i = 0; i < std::size(kTemplates); ++i)
        processManager->AddDocTemplate(new CTestTemplate(81 + (UINT)i, kTemplates[i]));
    AfxSetDocManager(processManager);
    CCommandLineInfo cmd;
    AfxParseCommandLine(cmd, "/register");
    EXPECT_FALSE(AfxProcessShellCommand(cmd)) << "the program ends after registering";
    AfxSetDocManager(nullptr);

    const fs::path entry =
        dir.path() / "data" / "applications" / CQuillmarDocManager::kDesktopEntry;
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_EQ(Run("desktop-file-validate '" + entry.string() + "'"), "");

    const fs::path files = dir.path() / "files";
    fs::create_directories(files);
    auto write = [&](const char* name, std::string bytes) {
        bytes.resize(64, '\x5a');
        std::ofstream(files / name, std::ios::binary) << bytes;
        return files / name;
    };
    const std::string current("\x3c\x00\x01\x00\x01", 5), plain("\x00\x00\x01\x00\x02", 5);
    struct Row {
        fs::path file;
        const char* type;
    } rows[] = {
        {write("通讯录.sms", current), "application/x-quillmar-addressbook"},
        {write("old.sms", plain), "application/x-quillmar-addressbook"},
        {write("game.sms", "\xf3\xed\x56\xc3\x00\x01TMR SEGA"), "application/x-sms-rom"},
        {write("a.sdr", current), "application/x-quillmar-senders"},
        {write("a.ntp", current), "application/x-quillmar-notebook"},
        {write("a.psn", current), "application/x-quillmar-person"},
        {write("no-extension", current), "application/x-quillmar-addressbook"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ContentType(r.file), r.type) << r.file.filename();

    for (const SDesktopFileType& t : CQuillmarDocManager::GetDesktopFileTypes()) {
        std::string out = Run(std::string("gio mime ") + t.mimeType);
        EXPECT_NE(out.find(": quillmar.desktop"), std::string::npos) << t.mimeType << "\n" << out;
    }
    std::string rom = Run("gio mime application/x-sms-rom");
    EXPECT_EQ(rom.find("quillmar.desktop"), std::string::npos) << rom;
}

// The user's own lines for our types outside the defaults (an application added beside ours, one
// removed) are theirs: registering leaves them, and unregistering gives the file back as it was.
TEST_F(DocManagerTest, OurTypesLinesInOtherSectionsOfTheUsersListStay) {
    fs::create_directories(dir.path() / "config");
    const std::string own = "[Added Associations]\n"
                            "application/x-quillmar-notebook=viewer.desktop;quillmar.desktop;\n"
                            "\n[Default Applications]\ntext/plain=editor.desktop\n"
                            "\n[Removed Associations]\n"
                            "application/x-quillmar-senders=other.desktop;\n";
    std::ofstream(dir.path() / "config" / "mimeapps.list") << own;
    manager.RegisterShellFileTypes(TRUE);
    EXPECT_EQ(FileText(dir.path() / "config" / "mimeapps.list"),
              "[Added Associations]\n"
              "application/x-quillmar-notebook=viewer.desktop;quillmar.desktop;\n"
              "\n[Default Applications]\n"
              "application/x-quillmar-addressbook=quillmar.desktop\n"
              "application/x-quillmar-senders=quillmar.desktop\n"
              "application/x-quillmar-notebook=quillmar.desktop\n"
              "application/x-quillmar-person=quillmar.desktop\n"
              "text/plain=editor.desktop\n"
              "\n[Removed Associations]\n"
              "application/x-quillmar-senders=other.desktop;\n");
    manager.UnregisterShellFileTypes();
    EXPECT_EQ(FileText(dir.path() / "config" / "mimeapps.list"), own);
}

// A type's name is the package's text, not its markup: one with XML's own characters reads back
// whole.
TEST_F(DocManagerTest, ATypeNameWithMarkupCharactersReadsBackWhole) {
    CQuillmarDocManager marked;
    marked.AddDocTemplate(new CTestTemplate(
        90, "\nNotebookView\nNotebookView\nA (*.ntp)\n.ntp\nNotebook.Document\nA&B <x> \"y\""));
    ASSERT_TRUE(marked.RegisterDesktopFileTypes());
    QFile package(
        QString::fromStdString((dir.path() / "data" / CQuillmarDocManager::kMimePackage).string()));
    ASSERT_TRUE(package.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&package);
    QStringList comments;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("comment"))
            comments << xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(comments, QStringList{"A&B <x> \"y\""});
}

// The running program registers the types of the modules it is built with, whose files the
// modules open themselves: on "/register", and at start when the option asks for it.
TEST_F(DocManagerTest, TheProgramRegistersItsModulesTypesWithTheDesktop) {
    if (!HaveTool("gio") || !HaveTool("update-mime-database"))
        FAIL() << "the desktop tools are not installed (scripts/install-deps.sh installs them)";
    // The desktop lists only applications whose program exists: this test program stands in.
    CQuillmarDocManager::SetProgramPathForTesting(nullptr);
    struct ModuleOfFiles : CShellModule {
        int folder;
        std::vector<CString> exts;
        ModuleOfFiles(int f, std::vector<CString> e) : folder(f), exts(std::move(e)) {}
        int GetFolder() const override { return folder; }
        std::vector<CString> GetExtensions() const override { return exts; }
    } contacts{FolderAddressBook, {".sms", ".psn"}}, senders{FolderSms, {".sdr"}};
    AfxRegisterShellModule(&contacts);
    AfxRegisterShellModule(&senders);
    test_folders::ScopedEnv home{"QUILLMAR_HOME", (dir.path() / "home").string()};
    test_folders::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.str()};
    AfxSetTrayAvailableForTesting(0);
    struct Case {
        const char* how;
        const char* commandLine;
        int assocFiles;
    } cases[] = {{"/register", "/register", 0}, {"the option at start", "", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        fs::remove_all(dir.path() / "data");
        fs::remove_all(dir.path() / "config");
        CProfileStore().WriteProfileInt("General", "AssocFiles", c.assocFiles);
        CProfileStore::ReloadForTesting();
        CSmsApp app;
        std::string line = c.commandLine;
        app.m_lpCmdLine = line.data();
        const BOOL started = app.InitInstance();
        EXPECT_EQ(started, c.commandLine[0] == '\0') << "the program ends after registering";
        if (started)
            EXPECT_TRUE(ExitProgram(app));
        else
            app.ExitInstance(); // what start-up set up goes
        for (const char* type : {"application/x-quillmar-addressbook",
                                 "application/x-quillmar-person", "application/x-quillmar-senders"}) {
            std::string out = Run(std::string("gio mime ") + type);
            EXPECT_NE(out.find(": quillmar.desktop"), std::string::npos) << type << "\n" << out;
        }
        EXPECT_EQ(KeyText(".sms"), "Receivers.Document");
    }
    AfxSetTrayAvailableForTesting(-1);
    AfxUnregisterShellModule(nullptr);
}

} // namespace
