#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/ModuleDir.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/ChildProcess.h"
#include "platform/base/tests/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Each test gets an empty configuration folder and a store that reads it afresh.
class ProfileTest : public ::testing::Test {
protected:
    ProfileTest() : m_env("QUILLMAR_CONFIG", m_dir.str()) { CProfileStore::ReloadForTesting(); }
    ~ProfileTest() override { CProfileStore::ReloadForTesting(); }

    fs::path File() const { return m_dir.path() / "profile.reg"; }
    std::string FileText() const {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteFileText(const std::string& text) const {
        std::ofstream(File(), std::ios::binary) << text;
        CProfileStore::ReloadForTesting();
    }

    test_folders::TempDir m_dir;
    test_folders::ScopedEnv m_env;
};

const BYTE kBinary[] = {0x00, 0xFF, 0x0A, 0x22, 0x5C, 0x25};

void WriteSample(CProfileStore& app) {
    app.WriteProfileInt("General", "OneInstance", 1);
    app.WriteProfileInt("General", "MainFrmLeft", -5);
    app.WriteProfileString("Proxy", "ProxyAddr", "代理\\服务器 \"x\" 100%\nline");
    app.WriteProfileString("Namebook", "AutoLoadFileList", "");
    app.WriteProfileBinary("Proxy", "ProxyPsw", kBinary, sizeof kBinary);
    app.WriteProfileBinary("Proxy", "Empty", nullptr, 0);
    app.WriteProfileInt("Bkground\\ViewSms", "Method", 2);
}

void ExpectSample(const CProfileStore& app) {
    EXPECT_EQ(1u, app.GetProfileInt("General", "OneInstance", 0));
    EXPECT_EQ(-5, (int)app.GetProfileInt("General", "MainFrmLeft", 0));
    EXPECT_STREQ("代理\\服务器 \"x\" 100%\nline",
                 (const char*)app.GetProfileString("Proxy", "ProxyAddr"));
    EXPECT_STREQ("", (const char*)app.GetProfileString("Namebook", "AutoLoadFileList", "dflt"));
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(app.GetProfileBinary("Proxy", "ProxyPsw", &data, &size));
    ASSERT_EQ(sizeof kBinary, size);
    EXPECT_EQ(0, std::memcmp(kBinary, data, size));
    delete[] data;
    ASSERT_TRUE(app.GetProfileBinary("Proxy", "Empty", &data, &size));
    EXPECT_EQ(0u, size);
    delete[] data;
    EXPECT_EQ(2u, app.GetProfileInt("bkground\\viewsms", "method", 0)); // names ignore case
}

TEST_F(ProfileTest, ProfileCallsReadBackWhatTheyWrote) {
    CProfileStore app;
    WriteSample(app);
    ExpectSample(app);
    CProfileStore::ReloadForTesting(); // read again from the file
    ExpectSample(app);
}

TEST_F(ProfileTest, MissingOrMistypedEntriesGiveTheDefault) {
    CProfileStore app;
    app.WriteProfileString("S", "text", "12");
    app.WriteProfileInt("S", "number", 12);
    EXPECT_EQ(70u, app.GetProfileInt("S", "absent", 70));
    EXPECT_EQ(70u, app.GetProfileInt("Absent", "x", 70));
    EXPECT_EQ(70u, app.GetProfileInt("S", "text", 70));
    EXPECT_STREQ("d", (const char*)app.GetProfileString("S", "number", "d"));
    BYTE* data = (BYTE*)1;
    UINT size = 9;
    EXPECT_FALSE(app.GetProfileBinary("S", "number", &data, &size));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(0u, size);
}

TEST_F(ProfileTest, NullValueDeletesEntryAndNullEntryDeletesSection) {
    CProfileStore app;
    app.WriteProfileString("S", "a", "1");
    app.WriteProfileString("S", "b", "2");
    app.WriteProfileString("S\\Sub", "c", "3");
    EXPECT_TRUE(app.WriteProfileString("S", "a", nullptr));
    EXPECT_STREQ("gone", (const char*)app.GetProfileString("S", "a", "gone"));
    EXPECT_STREQ("2", (const char*)app.GetProfileString("S", "b"));
    EXPECT_TRUE(app.WriteProfileString("S", nullptr, nullptr));
    EXPECT_STREQ("gone", (const char*)app.GetProfileString("S", "b", "gone"));
    EXPECT_STREQ("gone", (const char*)app.GetProfileString("S\\Sub", "c", "gone"));
}

TEST_F(ProfileTest, RegistryKeySelectsTheApplicationKey) {
    CProfileStore app("Quillmar", "Other");
    EXPECT_STREQ("Software\\Other\\Quillmar", (const char*)app.GetAppKeyPath());
    app.WriteProfileInt("General", "X", 3);
    app.SetRegistryKey("Quillmar");
    EXPECT_EQ(0u, app.GetProfileInt("General", "X", 0));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Other\\Quillmar\\General",
                                          0, KEY_READ, &key));
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, "X", nullptr, &type, (LPBYTE)&value, &size));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(3u, value);
    RegCloseKey(key);
}

TEST_F(ProfileTest, RegistryCallsFollowTheUsualContract) {
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_LOCAL_MACHINE, run, 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_LOCAL_MACHINE, run, 0, nullptr, 0, KEY_WRITE,
                                            nullptr, &key, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    const char cmd[] = "/usr/bin/quillmar";
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueEx(key, "Quillmar", 0, REG_SZ, (const BYTE*)cmd, sizeof cmd));

    // Size query, too small a buffer, exact buffer.
    DWORD type = 0, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, "quillmar", nullptr, &type, nullptr, &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(sizeof cmd, size);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueEx(key, "Quillmar", nullptr, nullptr, (LPBYTE)small, &size));
    EXPECT_EQ(sizeof cmd, size);
    char buf[64];
    size = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueEx(key, "Quillmar", nullptr, nullptr, (LPBYTE)buf, &size));
    EXPECT_STREQ(cmd, buf);

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValue(key, "Quillmar"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValue(key, "Quillmar"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueEx(key, "Quillmar", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegQueryValueEx(key, "Quillmar", nullptr, nullptr, nullptr, &size));
}

TEST_F(ProfileTest, DefaultValuesAndDeletingKeys) {
    // The shell file-type registration writes default values of sub-keys.
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValue(HKEY_CLASSES_ROOT, "Receivers.Document\\shell\\open\\command", REG_SZ,
                          "quillmar /dde", 0));
    char buf[64];
    LONG size = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValue(HKEY_CLASSES_ROOT,
                                           "receivers.document\\shell\\open\\command", buf, &size));
    EXPECT_STREQ("quillmar /dde", buf);
    EXPECT_EQ(14, size);
    size = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValue(HKEY_CLASSES_ROOT, "Receivers.Document", buf, &size));
    EXPECT_STREQ("", buf); // a key without a default value
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValue(HKEY_CLASSES_ROOT, ".sms", buf, &size));

    HKEY open;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKey(HKEY_CLASSES_ROOT, "Receivers.Document\\shell", &open));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKey(HKEY_CLASSES_ROOT, "Receivers.Document"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTree(HKEY_CLASSES_ROOT, "Receivers.Document"));
    HKEY gone;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKey(HKEY_CLASSES_ROOT, "Receivers.Document", &gone));
    EXPECT_EQ(nullptr, gone);
    // A handle into the deleted tree fails cleanly instead of resurrecting it.
    const char v[] = "x";
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueEx(open, "a", 0, REG_SZ, (const BYTE*)v, sizeof v));
    RegCloseKey(open);
}

TEST_F(ProfileTest, EnumeratesSubKeysByNameAndValuesInOrderSet) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKey(HKEY_CURRENT_USER, "E", &key));
    for (const char* name : {"beta", "Alpha", "gamma"}) {
        HKEY sub;
        RegCreateKey(key, name, &sub);
        RegCloseKey(sub);
    }
    for (const char* name : {"z", "a", "m"}) {
        DWORD v = 1;
        RegSetValueEx(key, name, 0, REG_DWORD, (const BYTE*)&v, 4);
    }
    std::vector<std::string> keys, values;
    char name[16];
    DWORD cch = sizeof name;
    for (DWORD i = 0;
         RegEnumKeyEx(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, cch = sizeof name)
        keys.push_back(name);
    cch = sizeof name;
    for (DWORD i = 0;
         RegEnumValue(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, cch = sizeof name)
        values.push_back(name);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "gamma"}), keys);
    EXPECT_EQ((std::vector<std::string>{"z", "a", "m"}), values);
    cch = 3;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumKeyEx(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(ProfileTest, GbkNamesWithBackslashTrailBytesStayOneKey) {
    // 0x5C, the backslash, is also a GBK trail byte: "\x95\x5C" is one character, not a separator.
    const char name[] = "\x95\x5C"
                        "A";
    CProfileStore app;
    app.WriteProfileInt(name, "v", 7);
    CProfileStore::ReloadForTesting();
    EXPECT_EQ(7u, app.GetProfileInt(name, "v", 0));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKey(HKEY_CURRENT_USER, app.GetAppKeyPath() + "\\" + name, &key));
    RegCloseKey(key);
}

TEST_F(ProfileTest, DamagedLinesAreSkippedAndTheRestLoads) {
    WriteFileText("garbage before any key\n"
                  "[HKEY_CURRENT_USER\\Software\\Quillmar\\Quillmar\\General]\r\n"
                  "\"Good\"=dword:0000002a\n"
                  "\"BadDword\"=dword:xyz\n"
                  "\"BadHex\"=hex:0g,11\n"
                  "\"Unclosed=\"x\"\n"
                  "\"BadEscape\"=\"%Z1\"\n"
                  "\"Text\"=\"ok\"\n"
                  "[HKEY_NOWHERE\\X]\n"
                  "\"Lost\"=dword:00000001\n"
                  "[HKEY_CURRENT_USER\\Software\\Quillmar\\Quillmar\\Proxy]\n"
                  "\"ProxyPsw\"=hex:01,02,03\n"
                  "\"Truncated\"=hex:01,0");
    CProfileStore app;
    EXPECT_EQ(42u, app.GetProfileInt("General", "Good", 0));
    EXPECT_EQ(5u, app.GetProfileInt("General", "BadDword", 5));
    EXPECT_STREQ("ok", (const char*)app.GetProfileString("General", "Text"));
    EXPECT_STREQ("d", (const char*)app.GetProfileString("General", "BadEscape", "d"));
    BYTE* data;
    UINT size;
    EXPECT_FALSE(app.GetProfileBinary("General", "BadHex", &data, &size));
    EXPECT_FALSE(app.GetProfileBinary("Proxy", "Truncated", &data, &size));
    ASSERT_TRUE(app.GetProfileBinary("Proxy", "ProxyPsw", &data, &size));
    EXPECT_EQ(3u, size);
    delete[] data;
}

TEST_F(ProfileTest, FileIsReadableTextAndReplacedWhole) {
    CProfileStore app;
    app.WriteProfileString("General", "Name", "张三");
    std::string text = FileText();
    EXPECT_NE(std::string::npos,
              text.find("[HKEY_CURRENT_USER\\Software\\Quillmar\\Quillmar\\General]"));
    EXPECT_NE(std::string::npos, text.find(reinterpret_cast<const char*>(u8"\"Name\"=\"张三\"")));
    // Nothing of the way it was written stays beside it.
    for (const fs::directory_entry& entry : fs::directory_iterator(m_dir.path()))
        EXPECT_EQ(File(), entry.path());
}

// A profile kept elsewhere (with the user's other settings) and linked into the folder stays so.
TEST_F(ProfileTest, ASaveThroughALinkKeepsTheLinkAndWritesItsTarget) {
    const fs::path kept = m_dir.path() / "dotfiles" / "quillmar.reg";
    fs::create_directory(kept.parent_path());
    std::ofstream(kept, std::ios::binary)
        << "[HKEY_CURRENT_USER\\Software\\Quillmar\\Quillmar\\General]\n"
           "\"A\"=dword:00000001\n";
    fs::create_symlink(kept, File());
    CProfileStore::ReloadForTesting();
    CProfileStore app;
    ASSERT_TRUE(app.WriteProfileInt("General", "B", 2));
    EXPECT_TRUE(fs::is_symlink(File()));
    CProfileStore::ReloadForTesting();
    EXPECT_EQ(1u, app.GetProfileInt("General", "A", 0));
    EXPECT_EQ(2u, app.GetProfileInt("General", "B", 0));
    EXPECT_EQ(1, (int)std::distance(fs::directory_iterator(kept.parent_path()),
                                    fs::directory_iterator()));
}

// Two running copies that save their settings at the same moment: whenever the file is read it is
// the whole of one copy's profile, never one cut short or one copy's text over the other's.
TEST_F(ProfileTest, CopiesSavingAtOnceAlwaysLeaveOneWholeProfile) {
    const std::string valueA(3000, 'a'), valueB(7000, 'b');
    CProfileStore app;
    ASSERT_TRUE(app.WriteProfileString("General", "Who", valueA.c_str()));
    const std::string textA = FileText();
    ASSERT_TRUE(app.WriteProfileString("General", "Who", valueB.c_str()));
    const std::string textB = FileText();

    std::vector<pid_t> copies;
    for (const std::string* value : {&valueA, &valueB}) {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < 400; ++i)
                app.WriteProfileString("General", "Who", value->c_str());
            _exit(0);
        }
        ASSERT_GT(pid, 0);
        copies.push_back(pid);
    }
    int reads = 0, torn = 0;
    for (int running = 2; running > 0;) {
        running = 0;
        for (pid_t pid : copies)
            running += ::waitpid(pid, nullptr, WNOHANG) == 0 ? 1 : 0;
        const std::string text = FileText();
        ++reads;
        if (text != textA && text != textB)
            ++torn;
    }
    for (pid_t pid : copies)
        ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(0, torn) << "of " << reads << " reads";
    EXPECT_TRUE(FileText() == textA || FileText() == textB);
}

TEST_F(ProfileTest, AChangeThatCannotBeSavedIsReported) {
    CProfileStore app;
    app.WriteProfileInt("General", "A", 1);
    fs::remove(File());
    fs::create_directory(File()); // the file's place is taken: the rename must fail
    EXPECT_FALSE(app.WriteProfileInt("General", "B", 2));
    EXPECT_EQ(2u, app.GetProfileInt("General", "B", 0)); // still in effect for this run
    fs::remove(File());
}

TEST_F(ProfileTest, ABatchWritesTheFileOnceWhenTheLastBatchEnds) {
    CProfileStore app;
    app.WriteProfileInt("General", "A", 1);
    const std::string before = FileText();
    {
        CProfileWriteBatch outer;
        EXPECT_TRUE(app.WriteProfileInt("General", "A", 2));
        {
            CProfileWriteBatch inner;
            EXPECT_TRUE(app.WriteProfileString("General", "B", "乙"));
        }
        EXPECT_EQ(FileText(), before) << "nothing written while a batch lives";
        EXPECT_EQ(2u, app.GetProfileInt("General", "A", 0)) << "but in effect at once";
    }
    CProfileStore::ReloadForTesting();
    EXPECT_EQ(2u, app.GetProfileInt("General", "A", 0));
    EXPECT_STREQ("乙", (const char*)app.GetProfileString("General", "B"));
    // A batch without changes leaves the file alone.
    { CProfileWriteBatch idle; }
    EXPECT_NE(FileText(), before);
}

// Written by the test below, read back by a fresh process.
TEST(ProfileChild, ReadsSampleAfterRestart) {
    if (!child_process::Role())
        GTEST_SKIP() << "runs only as a child process";
    CProfileStore app;
    ExpectSample(app);
    std::_Exit(::testing::Test::HasFailure() ? 1 : 33);
}

TEST_F(ProfileTest, ValuesSurviveARestartOfTheProcess) {
    CProfileStore app;
    WriteSample(app);
    EXPECT_EQ(33, child_process::Run("ProfileChild.ReadsSampleAfterRestart", "profile"));
}

} // namespace
