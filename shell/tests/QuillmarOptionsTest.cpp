#include "platform/base/tests/TempFolder.h"
#include "shell/QuillmarOptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Each test gets a profile of its own, read again from its file where the test says so.
class OptionsTest : public ::testing::Test {
protected:
    test_folders::TempDir dir;
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", dir.str()};
    CProfileStore store;

    OptionsTest() { CProfileStore::ReloadForTesting(); }
    ~OptionsTest() override { CProfileStore::ReloadForTesting(); }

    // A record loaded from what is on disk.
    static std::unique_ptr<CQuillmarOptions> Reloaded() {
        CProfileStore::ReloadForTesting();
        auto options = std::make_unique<CQuillmarOptions>();
        options->Load();
        return options;
    }
    void StoreInts(LPCTSTR section, LPCTSTR entry, const std::vector<int>& values,
                   int extraBytes = 0) {
        std::vector<BYTE> bytes(values.size() * 4 + extraBytes, 0xAB);
        if (!values.empty())
            memcpy(bytes.data(), values.data(), values.size() * 4);
        store.WriteProfileBinary(section, entry, bytes.data(), (UINT)bytes.size());
    }
    std::vector<int> Ints(const CArray<int, int>& a) {
        return std::vector<int>(a.GetData(), a.GetData() + a.GetSize());
    }
    // The "General" values in the order of the section.
    static std::vector<int*> GeneralFields(CGeneralOptions& g) {
        return {&g.m_bAutoCheckVersion, &g.m_bAutoLoadOnFile, &g.m_bMiniToTray,
                &g.m_bCloseToTray,      &g.m_bTrayIcon,       &g.m_bOneInstance,
                &g.m_bAssocFiles,       &g.m_nMainFrmSizeCmd, &g.m_nMainFrmLastSizeCmd,
                &g.m_nMainFrmLeft,      &g.m_nMainFrmTop,     &g.m_nMainFrmRight,
                &g.m_nMainFrmBottom,    &g.m_nLeftPaneWidth,  &g.m_nLeftPaneMode};
    }
    static std::vector<int> GeneralValues(CGeneralOptions& g) {
        std::vector<int> out;
        for (int* v : GeneralFields(g))
            out.push_back(*v);
        return out;
    }
    static std::vector<std::string> Files(const CFileListOptions& f) {
        std::vector<std::string> out;
        for (POSITION pos = f.m_fileList.GetHeadPosition(); pos;)
            out.push_back(f.m_fileList.GetNext(pos).GetString());
        return out;
    }
};

TEST_F(OptionsTest, AFreshProfileGivesTheDefaults) {
    auto o = Reloaded();
    EXPECT_EQ(GeneralValues(o->m_general),
              std::vector<int>({1, 1, 1, 0, 1, 1, 0, 61488, 61488, 0, 0, 0, 0, 200, 3}));
    for (const CFileListOptions* f :
         {(CFileListOptions*)&o->m_namebook, &o->m_sender, &o->m_notebook, &o->m_task}) {
        EXPECT_FALSE(f->m_bAutoLoadFile) << f->m_strSection;
        EXPECT_TRUE(f->m_fileList.IsEmpty());
        EXPECT_TRUE(f->m_bClickRename);
    }
    EXPECT_EQ(Ints(o->m_namebook.m_fieldWidths), std::vector<int>(47, -1));
    EXPECT_EQ(o->m_namebook.m_fieldList.GetSize(), 0);
    EXPECT_EQ(o->m_namebook.m_nBirthdayRemindDays, 5);
    EXPECT_EQ(o->m_namebook.m_bAutoRemindBirthday, 1);
    EXPECT_EQ(o->m_sms.m_nWideMaxSize, 70);
    EXPECT_EQ(o->m_sms.m_nAnsiMaxSize, 160);
    EXPECT_EQ(o->m_calendar.m_nStartWeekDay, 0);
    EXPECT_EQ(o->m_proxy.m_nProxyScheme, 0);
    EXPECT_TRUE(o->m_proxy.m_strProxyAddr.IsEmpty());
    EXPECT_TRUE(o->m_proxy.m_strProxyPsw.IsEmpty());
    EXPECT_FALSE(o->m_proxy.m_bRememberPsw);
}

// Every value set to something other than its default, saved, read back by a new record; the
// profile holds each under the key other copies of the program read.
TEST_F(OptionsTest, EverySectionRoundTripsUnderItsKeys) {
    CQuillmarOptions o;
    CGeneralOptions& g = o.m_general;
    int i = 1000;
    for (int* v : GeneralFields(g))
        *v = i++;
    g.m_bAutoCheckVersion = 0;
    g.m_nMainFrmLeft = -30; // a window on a screen left of the first
    int n = 0;
    for (CFileListOptions* f :
         {(CFileListOptions*)&o.m_namebook, &o.m_sender, &o.m_notebook, &o.m_task}) {
        f->m_bAutoLoadFile = TRUE;
        f->m_bClickRename = FALSE;
        f->m_fileList.AddTail("/home/用户/文件" + CString((char)('a' + n++)));
        f->m_fileList.AddTail("/tmp/二.sms");
    }
    o.m_namebook.SetFieldWidth(0, 120);
    o.m_namebook.SetFieldWidth(46, 33);
    o.m_namebook.m_fieldList.Add(3);
    o.m_namebook.m_fieldList.Add(0);
    o.m_namebook.m_nBirthdayRemindDays = 9;
    o.m_namebook.m_bAutoRemindBirthday = 0;
    o.m_sms.m_nWideMaxSize = 60;
    o.m_sms.m_nAnsiMaxSize = 140;
    o.m_calendar.m_nStartWeekDay = 1;
    CProxyOptions& p = o.m_proxy;
    p.m_nProxyScheme = 2;
    p.m_nProxyType = 1;
    p.m_strProxyAddr = "代理.example";
    p.m_strProxyPort = "8080";
    p.m_strProxyUser = "用户";
    p.m_strProxyPsw = "口令pw";
    p.m_bRememberPsw = TRUE;
    o.SaveAll();

    auto r = Reloaded();
    EXPECT_EQ(GeneralValues(r->m_general), GeneralValues(g));
    n = 0;
    for (const CFileListOptions* f :
         {(CFileListOptions*)&r->m_namebook, &r->m_sender, &r->m_notebook, &r->m_task}) {
        EXPECT_TRUE(f->m_bAutoLoadFile) << f->m_strSection;
        EXPECT_FALSE(f->m_bClickRename) << f->m_strSection;
        std::string first = std::string("/home/用户/文件") + (char)('a' + n++);
        EXPECT_EQ(Files(*f), std::vector<std::string>({first, "/tmp/二.sms"}));
    }
    std::vector<int> widths(47, -1);
    widths[0] = 120;
    widths[46] = 33;
    EXPECT_EQ(Ints(r->m_namebook.m_fieldWidths), widths);
    EXPECT_EQ(Ints(r->m_namebook.m_fieldList), std::vector<int>({3, 0}));
    EXPECT_EQ(r->m_namebook.m_nBirthdayRemindDays, 9);
    EXPECT_EQ(r->m_namebook.m_bAutoRemindBirthday, 0);
    EXPECT_EQ(r->m_sms.m_nWideMaxSize, 60);
    EXPECT_EQ(r->m_sms.m_nAnsiMaxSize, 140);
    EXPECT_EQ(r->m_calendar.m_nStartWeekDay, 1);
    EXPECT_EQ(r->m_proxy.m_nProxyScheme, 2);
    EXPECT_EQ(r->m_proxy.m_nProxyType, 1);
    EXPECT_EQ(r->m_proxy.m_strProxyAddr, "代理.example");
    EXPECT_EQ(r->m_proxy.m_strProxyPort, "8080");
    EXPECT_EQ(r->m_proxy.m_strProxyUser, "用户");
    EXPECT_EQ(r->m_proxy.m_strProxyPsw, "口令pw");
    EXPECT_TRUE(r->m_proxy.m_bRememberPsw);

    struct Key {
        const char* section;
        const char* entry;
        int value;
    } keys[] = {{"General", "AutoCheckVersion", 0}, {"General", "MainFrmLeft", -30},
                {"General", "LeftPaneMode", 1014},  {"General", "AssocFiles", 1006},
                {"Namebook", "ClickRename", 0},     {"Namebook", "BirthdayRemindDays", 9},
                {"Sender", "AutoLoadFile", 1},      {"NoteBook", "ClickRename", 0},
                {"Task", "AutoLoadFile", 1},        {"SMS", "WideMaxSize", 60},
                {"SMS", "AnsiMaxSize", 140},        {"Calendar", "StartWeekDay", 1},
                {"Proxy", "ProxyScheme", 2},        {"Proxy", "RememberPsw", 1}};
    for (const Key& k : keys)
        EXPECT_EQ((int)store.GetProfileInt(k.section, k.entry, -99), k.value)
            << k.section << "\\" << k.entry;
    EXPECT_EQ(store.GetProfileString("Sender", "AutoLoadFileList"),
              "/home/用户/文件b\n/tmp/二.sms");
    BYTE* raw = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(store.GetProfileBinary("Proxy", "ProxyPsw", &raw, &bytes));
    std::unique_ptr<BYTE[]> owned(raw);
    EXPECT_EQ(bytes, 6u) << "the password's bytes, no terminator";
    EXPECT_NE(std::string((char*)raw, bytes), std::string("口令pw")) << "never in clear text";
}

TEST_F(OptionsTest, AMissingKeyKeepsTheCurrentValue) {
    store.WriteProfileInt("General", "TrayIcon", 0);
    store.WriteProfileString("Proxy", "ProxyAddr", "host");
    CQuillmarOptions o;
    o.m_general.m_nLeftPaneWidth = 321;
    o.m_proxy.m_strProxyUser = "someone";
    CProfileStore::ReloadForTesting();
    o.Load();
    EXPECT_EQ(o.m_general.m_bTrayIcon, 0);
    EXPECT_EQ(o.m_general.m_nLeftPaneWidth, 321);
    EXPECT_EQ(o.m_proxy.m_strProxyAddr, "host");
    EXPECT_EQ(o.m_proxy.m_strProxyUser, "someone");
}

// Widths are looked up by field number, so a stored array of another length never changes how
// many there are.
TEST_F(OptionsTest, ColumnWidthsAlwaysCoverEveryField) {
    struct Row {
        std::vector<int> stored;
        int extraBytes;
        std::vector<int> first; // the leading widths read; the rest are -1
    } rows[] = {
        {{80, 90, 100}, 0, {80, 90, 100}},
        {{}, 0, {}},
        {{7}, 3, {7}}, // a broken tail is no entry
        {std::vector<int>(60, 50), 0, std::vector<int>(47, 50)},
    };
    for (const Row& r : rows) {
        StoreInts("Namebook", "FieldWidthList", r.stored, r.extraBytes);
        auto o = Reloaded();
        std::vector<int> expected(47, -1);
        std::copy(r.first.begin(), r.first.end(), expected.begin());
        EXPECT_EQ(Ints(o->m_namebook.m_fieldWidths), expected) << r.stored.size();
        EXPECT_EQ(o->m_namebook.GetFieldWidth(46), expected[46]);
    }
    CNamebookOptions nb;
    for (int field : {-1, 47, 1000}) {
        nb.SetFieldWidth(field, 5);
        EXPECT_EQ(nb.GetFieldWidth(field), -1) << field;
    }
    EXPECT_EQ(nb.m_fieldWidths.GetSize(), 47);

    StoreInts("Namebook", "FieldList", {5, 2, 44});
    auto o = Reloaded();
    EXPECT_EQ(Ints(o->m_namebook.m_fieldList), std::vector<int>({5, 2, 44}));
}

// A part size of 0 would divide by zero when a message is counted and never end cutting it.
TEST_F(OptionsTest, SmsPartSizesAreReadWithinOneToTheLongest) {
    struct Row {
        int stored, wide, ansi;
    } rows[] = {{100, 70, 100}, {10, 10, 10},   {0, 70, 160}, {-5, 70, 160},
                {1, 1, 1},      {200, 70, 160}, {70, 70, 70}};
    for (const Row& r : rows) {
        store.WriteProfileInt("SMS", "WideMaxSize", r.stored);
        store.WriteProfileInt("SMS", "AnsiMaxSize", r.stored);
        auto o = Reloaded();
        EXPECT_EQ(o->m_sms.m_nWideMaxSize, r.wide) << r.stored;
        EXPECT_EQ(o->m_sms.m_nAnsiMaxSize, r.ansi) << r.stored;
    }
}

TEST_F(OptionsTest, AForgottenProxyPasswordIsNeitherReadNorKept) {
    CProxyOptions p;
    p.m_strProxyPsw = "秘密";
    p.m_bRememberPsw = TRUE;
    p.Save();
    store.WriteProfileInt("Proxy", "RememberPsw", 0);
    auto o = Reloaded();
    EXPECT_TRUE(o->m_proxy.m_strProxyPsw.IsEmpty()) << "not read while it is not remembered";

    o->m_proxy.m_strProxyPsw = "刚输入的";
    o->m_proxy.Save();
    BYTE* raw = nullptr;
    UINT bytes = 99;
    ASSERT_TRUE(store.GetProfileBinary("Proxy", "ProxyPsw", &raw, &bytes));
    delete[] raw;
    EXPECT_EQ(bytes, 0u) << "an empty value replaces the stored one";

    store.WriteProfileInt("Proxy", "RememberPsw", 7);
    EXPECT_TRUE(Reloaded()->m_proxy.m_bRememberPsw) << "any non-zero value means remember";
}

TEST_F(OptionsTest, FileListsReportWhetherAnythingWasStored) {
    CFileListOptions f("Task");
    f.m_fileList.AddTail("old.sch");
    EXPECT_FALSE(f.LoadFileList());
    EXPECT_TRUE(f.m_fileList.IsEmpty());

    store.WriteProfileString("Task", "AutoLoadFileList", "");
    EXPECT_FALSE(f.LoadFileList());

    store.WriteProfileString("Task", "AutoLoadFileList", "甲.sch\n\n乙.sch\n");
    EXPECT_TRUE(f.LoadFileList());
    EXPECT_EQ(Files(f), std::vector<std::string>({"甲.sch", "乙.sch"}));

    f.m_bAutoLoadFile = TRUE;
    f.m_bClickRename = FALSE;
    f.SaveFileList();
    EXPECT_EQ(store.GetProfileString("Task", "AutoLoadFileList"), "甲.sch\n乙.sch");
    EXPECT_EQ((int)store.GetProfileInt("Task", "AutoLoadFile", -1), 1);
    EXPECT_EQ((int)store.GetProfileInt("Task", "ClickRename", -1), -1)
        << "only the list and its switch";
}

TEST_F(OptionsTest, StartingWithTheDesktopIsTheAutostartEntry) {
    test_folders::ScopedEnv xdg("XDG_CONFIG_HOME", dir.str());
    EXPECT_FALSE(CQuillmarOptions::IsAutoStartSet());
    ASSERT_TRUE(CQuillmarOptions::SetAutoStart(TRUE));
    EXPECT_TRUE(CQuillmarOptions::IsAutoStartSet());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "autostart" / "Quillmar.desktop"));
    ASSERT_TRUE(CQuillmarOptions::SetAutoStart(FALSE));
    EXPECT_FALSE(CQuillmarOptions::IsAutoStartSet());
}

} // namespace
