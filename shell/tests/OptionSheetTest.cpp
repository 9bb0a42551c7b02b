#include "links/HttpProxy.h"
#include "links/ServiceAddress.h"
#include "links/ui/PageOptionProxy.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Resource.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "shell/OptionPages.h"
#include "ui/KovListBox.h"
#include "shell/SheetOption.h"
#include "shell/ShellModule.h"
#include "shell/SmsApp.h"
#include "testsupport/NetTestEnv.h"

#include <QMouseEvent>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using test_net::Reply;

namespace {

// A module of the address-book kind that has two files open and hears the options' news.
class CFilesModule : public CShellModule {
public:
    std::vector<CString> GetExtensions() const override { return {".sms", ".sdr"}; }
    std::vector<CString> GetOpenFiles(const CString& ext) const override {
        return ext == ".sms" ? open : std::vector<CString>();
    }
    void OnPresetFilesChanged(const CString& ext) override { presetNews.push_back(ext); }
    void OnStartWeekDayChanged(int nDay) override { weekDays.push_back(nDay); }
    std::vector<CString> open;
    std::vector<CString> presetNews;
    std::vector<int> weekDays;
};

class OptionSheetTest : public GuiTest {
protected:
    test_folders::TempDir dir;
    test_folders::ScopedEnv home{"QUILLMAR_HOME", (dir.path() / "home").string()};
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", (dir.path() / "config").string()};
    test_folders::ScopedEnv xdg{"XDG_CONFIG_HOME", (dir.path() / "xdg").string()};
    std::unique_ptr<CSmsApp> app;
    CFilesModule module;
    std::vector<MessageBoxCall> boxes;
    int answer = IDYES;
    MessageBoxHook oldHook;
    CSheetOption* sheet = nullptr;

    void SetUp() override {
        CProfileStore::ReloadForTesting();
        app = std::make_unique<CSmsApp>();
        app->m_options.Load();
        oldHook = AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            boxes.push_back(c);
            return answer;
        });
        AfxRegisterShellModule(&module);
    }
    void TearDown() override {
        CloseSheet();
        AfxUnregisterShellModule(nullptr);
        AfxSetMessageBoxHook(oldHook);
        AfxSetModalDialogHook(nullptr);
        app.reset();
        CProfileStore::ReloadForTesting();
    }

    CSheetOption& Open() {
        sheet = new CSheetOption;
        EXPECT_TRUE(sheet->Create(CSheetOption::IDD, nullptr));
        sheet->ShowWindow(SW_SHOW);
        Pump();
        return *sheet;
    }
    void CloseSheet() {
        if (!sheet)
            return;
        if (sheet->GetSafeHwnd())
            sheet->DestroyWindow();
        delete sheet;
        sheet = nullptr;
    }
    void PressOK() { sheet->SendMessage(WM_COMMAND, IDOK, 0); }
    CString CaptionLine() {
        CString s;
        sheet->GetDlgItemText(COutbarSheet::IDC_PAGE_CAPTION, s);
        return s;
    }
    CKovPropertyPage& Page(int i) { return *sheet->GetPage(i); }
    // A click as the user makes it: the control changes and tells its page.
    static void Click(CWnd& page, int id) {
        CWnd* w = page.GetDlgItem(id);
        ASSERT_TRUE(w) << id;
        if (auto* b = dynamic_cast<CButton*>(w); b &&
                                                 (b->GetButtonStyle() & 0x0F) != BS_PUSHBUTTON &&
                                                 (b->GetButtonStyle() & 0x0F) != BS_DEFPUSHBUTTON) {
            UINT style = b->GetButtonStyle() & 0x0F;
            if (style == BS_AUTOCHECKBOX)
                b->SetCheck(b->GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            else if (style == BS_AUTORADIOBUTTON)
                b->SetCheck(BST_CHECKED);
        }
        page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)w->GetSafeHwnd());
    }
    static void Type(CWnd& page, int id, const char* text) {
        page.SetDlgItemText(id, text); // the edit tells its page (EN_CHANGE)
    }
    static BOOL Enabled(CWnd& page, int id) {
        CWnd* w = page.GetDlgItem(id);
        return w && w->IsWindowEnabled();
    }
    static CProfileStore Fresh() {
        CProfileStore::ReloadForTesting();
        return CProfileStore();
    }
    std::string Existing(const char* name) {
        std::string path = (dir.path() / name).string();
        std::ofstream(path) << "x";
        return path;
    }
    static CString Program(const std::string& os) { return ProgramPathFromOsPath(os); }
    static CString Lower(CString s) {
        s.MakeLower();
        return s;
    }
};

TEST_F(OptionSheetTest, ListsItsEightPagesAndNamesTheChosenOne) {
    CSheetOption& s = Open();
    ASSERT_EQ(8, s.GetPageCount());
    const char* captions[] = {"常规",   "通讯录",   "发信人", "短信",
                              "记事本", "任务日程", "日历",   "代理"};
    CListBox* list = static_cast<CListBox*>(s.GetDlgItem(COutbarSheet::IDC_PAGE_LIST));
    ASSERT_EQ(8, list->GetCount());
    for (int i = 0; i < 8; ++i) {
        CString text;
        list->GetText(i, text);
        EXPECT_STREQ(captions[i], text);
        EXPECT_EQ(i, Page(i).GetPageId());
        EXPECT_EQ(i, static_cast<CKovListBox*>(list)->GetItemImage(i)) << "the page's picture";
    }
    EXPECT_TRUE(Page(7).IsKindOf(RUNTIME_CLASS(CPageOptionProxy)));
    // Every picture of the image table is one of ours.
    for (const OutbarSheetImage* row = CSheetOption::kImages; row->nID; ++row)
        EXPECT_TRUE(AfxFindImage(row->bBitmap ? RT_BITMAP : RT_ICON, row->nID)) << row->nID;
    EXPECT_EQ(0, s.GetActivePage());
    EXPECT_STREQ("请在此设置“常规”的有关信息", CaptionLine());
    EXPECT_FALSE(Enabled(s, IDOK)) << "nothing changed yet";

    for (int i = 0; i < 8; ++i) {
        s.SelectPage(i);
        Pump();
        EXPECT_EQ(i, s.GetActivePage());
        EXPECT_TRUE(Page(i).IsWindowVisible());
        EXPECT_STREQ(COutbarSheet::FormatCaptionLine(captions[i], FALSE), CaptionLine());
        s.SaveScreenshot(ScreenPath(("options-page-" + std::to_string(i)).c_str()).c_str());
    }
    // A choice beyond the pages shows the first.
    list->SetCurSel(-1);
    s.SendMessage(WM_COMMAND, MAKEWPARAM(COutbarSheet::IDC_PAGE_LIST, LBN_SELCHANGE),
                  (LPARAM)list->GetSafeHwnd());
    EXPECT_EQ(0, s.GetActivePage());
}

TEST_F(OptionSheetTest, OkWithoutChangesAppliesNothing) {
    // The record differs from the profile, so anything a page wrote would show.
    app->m_options.m_general.m_bTrayIcon = 0;
    app->m_options.m_sms.m_nWideMaxSize = 33;
    CSheetOption& s = Open();
    EXPECT_FALSE(Enabled(s, IDOK));
    PressOK();
    EXPECT_EQ(0, s.GetAppliedFlags());
    CProfileStore profile = Fresh();
    EXPECT_EQ(-1, (int)profile.GetProfileInt("General", "TrayIcon", -1));
    EXPECT_EQ(-1, (int)profile.GetProfileInt("Proxy", "ProxyScheme", -1));
    EXPECT_STREQ("", profile.GetProfileString("Namebook", "AutoLoadFileList", ""));
    EXPECT_EQ(33, app->m_options.m_sms.m_nWideMaxSize);
    EXPECT_FALSE(CQuillmarOptions::IsAutoStartSet());
    EXPECT_TRUE(boxes.empty());
}

// Sizes brought back to the stored ones, by 还原为默认值 or by typing, leave the page unmarked;
// OK stays on only while another page holds a change.
TEST_F(OptionSheetTest, SmsSizesBackToTheStoredOnesLeaveThePageUnmodified) {
    app->m_options.m_sms.m_nWideMaxSize = OPTIONS_WIDE_MAX_SIZE;
    app->m_options.m_sms.m_nAnsiMaxSize = OPTIONS_ANSI_MAX_SIZE;
    CSheetOption& s = Open();
    s.SelectPage(3);
    const CString plain = "请在此设置“短信”的有关信息";
    Type(Page(3), CPageOptionSMS::IDC_WIDE_MAX, "50");
    EXPECT_STREQ(plain + "（该项已修改）", CaptionLine());
    Click(Page(3), CPageOptionSMS::IDC_DEFAULTS);
    EXPECT_STREQ(plain, CaptionLine());
    EXPECT_FALSE(Page(3).IsPageModified());
    EXPECT_FALSE(Enabled(s, IDOK));

    s.SelectPage(0);
    Click(Page(0), CPageOptionGeneral::IDC_AUTO_CHECK_VERSION);
    s.SelectPage(3);
    Type(Page(3), CPageOptionSMS::IDC_ANSI_MAX, "100");
    EXPECT_STREQ(plain + "（该项已修改）", CaptionLine());
    Type(Page(3), CPageOptionSMS::IDC_ANSI_MAX, "160");
    EXPECT_STREQ(plain, CaptionLine());
    EXPECT_TRUE(Enabled(s, IDOK)) << "the general page still holds a change";
    PressOK();
    EXPECT_EQ(1 << 0, s.GetAppliedFlags());
}

TEST_F(OptionSheetTest, ChangesOnSeveralPagesSurviveSwitchingAndOkAppliesThem) {
    CSheetOption& s = Open();
    s.SelectPage(3);
    Type(Page(3), CPageOptionSMS::IDC_WIDE_MAX, "50");
    EXPECT_STREQ("请在此设置“短信”的有关信息（该项已修改）", CaptionLine());
    EXPECT_TRUE(Enabled(s, IDOK));

    s.SelectPage(0);
    EXPECT_STREQ("请在此设置“常规”的有关信息", CaptionLine());
    s.SaveScreenshot(ScreenPath("options-caption-unchanged").c_str());
    Click(Page(0), CPageOptionGeneral::IDC_AUTO_CHECK_VERSION);
    EXPECT_STREQ("请在此设置“常规”的有关信息（该项已修改）", CaptionLine());
    s.SaveScreenshot(ScreenPath("options-caption-changed").c_str());

    s.SelectPage(6);
    auto* combo =
        static_cast<CComboBox*>(Page(6).GetDlgItem(CPageOptionCalendar::IDC_START_WEEKDAY));
    combo->SetCurSel(1);
    Page(6).SendMessage(WM_COMMAND,
                        MAKEWPARAM(CPageOptionCalendar::IDC_START_WEEKDAY, CBN_SELCHANGE),
                        (LPARAM)combo->GetSafeHwnd());

    s.SelectPage(3);
    CString kept;
    Page(3).GetDlgItemText(CPageOptionSMS::IDC_WIDE_MAX, kept);
    EXPECT_STREQ("50", kept) << "the page kept its change while another was shown";
    EXPECT_STREQ("请在此设置“短信”的有关信息（该项已修改）", CaptionLine());

    PressOK();
    EXPECT_EQ((1 << 0) | (1 << 3) | (1 << 6), s.GetAppliedFlags());
    EXPECT_EQ(50, app->m_options.m_sms.m_nWideMaxSize);
    EXPECT_EQ(0, app->m_options.m_general.m_bAutoCheckVersion);
    EXPECT_EQ(1, app->m_options.m_calendar.m_nStartWeekDay);
    EXPECT_EQ(std::vector<int>{1}, module.weekDays);
    // The general page writes its section at once.
    EXPECT_EQ(0, (int)Fresh().GetProfileInt("General", "AutoCheckVersion", -1));
}

TEST_F(OptionSheetTest, GeneralPageGreysTheTrayBoxesAndSaysWhenAutostartCannotBeWritten) {
    CSheetOption& s = Open();
    CKovPropertyPage& general = Page(0);
    ASSERT_TRUE(Enabled(general, CPageOptionGeneral::IDC_MINI_TO_TRAY));
    Click(general, CPageOptionGeneral::IDC_TRAY_ICON);
    EXPECT_FALSE(Enabled(general, CPageOptionGeneral::IDC_MINI_TO_TRAY));
    EXPECT_FALSE(Enabled(general, CPageOptionGeneral::IDC_CLOSE_TO_TRAY));
    s.SaveScreenshot(ScreenPath("options-general-tray-greyed").c_str());
    Click(general, CPageOptionGeneral::IDC_TRAY_ICON);
    EXPECT_TRUE(Enabled(general, CPageOptionGeneral::IDC_CLOSE_TO_TRAY));
    Click(general, CPageOptionGeneral::IDC_TRAY_ICON);

    // The autostart folder cannot be made: a file is in the way.
    std::ofstream((dir.path() / "xdg").string()) << "not a folder";
    Click(general, CPageOptionGeneral::IDC_AUTOSTART);
    PressOK();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(-1, boxes[0].text.Find("自动运行"));
    EXPECT_EQ((UINT)MB_ICONERROR, boxes[0].type & 0xF0);
    EXPECT_FALSE(CQuillmarOptions::IsAutoStartSet());
    // The rest was applied all the same.
    EXPECT_EQ(0, (int)Fresh().GetProfileInt("General", "TrayIcon", -1));
}

TEST_F(OptionSheetTest, GeneralPageWritesTheAutostartEntry) {
    Open();
    Click(Page(0), CPageOptionGeneral::IDC_AUTOSTART);
    PressOK();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(CQuillmarOptions::IsAutoStartSet());
}

TEST_F(OptionSheetTest, FileListPageShowsOpenAndPresetFilesAndChecksPaths) {
    const std::string open1 = Existing("Family.sms"), open2 = Existing("Work.sms");
    module.open = {Program(open1), Program(open2)};
    const CString preset = Program(Existing("Old.sms"));
    app->m_options.m_namebook.m_fileList.AddTail(preset);
    CSheetOption& s = Open();
    s.SelectPage(1);
    auto& page = static_cast<CPageOptionNamebook&>(Page(1));
    EXPECT_EQ(module.open, page.GetOpenPaths());
    ASSERT_EQ(1u, page.GetPresetPaths().size());

    // A bare name is relative: nothing to add.
    Type(page, CPageOptionNamebook::IDC_PATH, "Friends.sms");
    EXPECT_FALSE(Enabled(page, CPageOptionNamebook::IDC_ADD));
    s.SaveScreenshot(ScreenPath("options-file-list-relative").c_str());

    struct Row {
        CString path;
        BOOL acceptable;
    } rows[] = {
        {Program(Existing("New.sms")), TRUE},
        {Program(Existing("New.txt")), FALSE},
        {preset, FALSE},
        {"  " + preset + " ", FALSE},
        {"", FALSE},
        {"C:Friends.sms", FALSE}, // a drive without a separator still hangs on the working folder
        {Program((dir.path() / "Missing.SMS").string()), TRUE},
    };
    for (const Row& r : rows) {
        Type(page, CPageOptionNamebook::IDC_PATH, r.path);
        EXPECT_EQ(r.acceptable, Enabled(page, CPageOptionNamebook::IDC_ADD)) << r.path;
    }

    // Capitals are kept as typed.
    const CString capital = Program(Existing("Capital.SMS"));
    Type(page, CPageOptionNamebook::IDC_PATH, capital);
    Click(page, CPageOptionNamebook::IDC_ADD);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(2u, page.GetPresetPaths().size());
    EXPECT_STREQ(capital, page.GetPresetPaths()[1]);
    EXPECT_STREQ("请在此设置“通讯录”的有关信息（该项已修改）", CaptionLine());

    // The messages of a refused path.
    struct Refusal {
        CString path;
        const char* message;
        UINT icon;
        int answer;
        size_t presets;
    } refusals[] = {
        {Program(Existing("a.txt")), "文件类型错误！", MB_ICONERROR, IDOK, 2},
        {capital, "文件已存在于列表中！", MB_ICONINFORMATION, IDOK, 2},
        // Another spelling of a listed file names the same file.
        {Lower(capital), "文件已存在于列表中！", MB_ICONINFORMATION, IDOK, 2},
        {Program((dir.path() / "Gone.sms").string()), "该文件在磁盘上不存在！真的需要加入吗？",
         MB_ICONQUESTION, IDNO, 2},
        {Program((dir.path() / "Gone.sms").string()), "该文件在磁盘上不存在！真的需要加入吗？",
         MB_ICONQUESTION, IDYES, 3},
    };
    for (const Refusal& r : refusals) {
        boxes.clear();
        answer = r.answer;
        Type(page, CPageOptionNamebook::IDC_PATH, r.path);
        page.SendMessage(WM_COMMAND, MAKEWPARAM(CPageOptionNamebook::IDC_ADD, BN_CLICKED), 0);
        ASSERT_EQ(1u, boxes.size()) << r.path;
        EXPECT_STREQ(r.message, boxes[0].text);
        EXPECT_EQ(r.icon, boxes[0].type & 0xF0);
        EXPECT_EQ(r.presets, page.GetPresetPaths().size()) << r.path;
    }
    answer = IDYES;

    // "往上添加" takes the selected open files that are not listed yet.
    EXPECT_FALSE(Enabled(page, CPageOptionNamebook::IDC_ADD_OPEN));
    CListCtrl* openList =
        static_cast<CListCtrl*>(page.GetDlgItem(CPageOptionNamebook::IDC_OPEN_LIST));
    openList->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    openList->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(Enabled(page, CPageOptionNamebook::IDC_ADD_OPEN));
    s.SaveScreenshot(ScreenPath("options-file-list").c_str());
    Click(page, CPageOptionNamebook::IDC_ADD_OPEN);
    EXPECT_EQ(5u, page.GetPresetPaths().size());
    EXPECT_FALSE(Enabled(page, CPageOptionNamebook::IDC_ADD_OPEN)) << "both are listed now";

    // Removing the selection; then OK writes the list at once, as shown.
    EXPECT_TRUE(Enabled(page, CPageOptionNamebook::IDC_REMOVE));
    Click(page, CPageOptionNamebook::IDC_REMOVE);
    EXPECT_EQ(4u, page.GetPresetPaths().size());
    Click(page, CPageOptionNamebook::IDC_AUTO_LOAD);
    const std::vector<CString> shown = page.GetPresetPaths();
    PressOK();
    CQuillmarOptions readBack;
    CProfileStore::ReloadForTesting();
    readBack.Load();
    EXPECT_TRUE(readBack.m_namebook.m_bAutoLoadFile);
    std::vector<CString> stored;
    for (POSITION pos = readBack.m_namebook.m_fileList.GetHeadPosition(); pos;)
        stored.push_back(readBack.m_namebook.m_fileList.GetNext(pos));
    EXPECT_EQ(shown, stored);
    EXPECT_TRUE(module.presetNews.empty()) << "only the sender page tells its module";
}

TEST_F(OptionSheetTest, FileListPagesOpenPresetFilesAndBrowseWithTheirOwnKind) {
    CSheetOption& s = Open();
    s.SelectPage(4);
    auto& note = static_cast<CPageOptionNamebook&>(Page(4));
    std::vector<std::string> filters;
    AfxSetModalDialogHook([&](CDialog& dlg) {
        auto* files = dynamic_cast<CFileDialog*>(&dlg);
        ASSERT_TRUE(files);
        filters.push_back(files->m_ofn.lpstrFilter ? "set" : "none");
        files->Answer(Program((dir.path() / "diary").string()));
    });
    Click(note, CPageOptionNamebook::IDC_BROWSE);
    CString path;
    note.GetDlgItemText(CPageOptionNamebook::IDC_PATH, path);
    EXPECT_STREQ(Program((dir.path() / "diary.ntp").string()), path);
    EXPECT_EQ(1u, filters.size());
    EXPECT_TRUE(Enabled(note, CPageOptionNamebook::IDC_ADD));

    // The sender page tells its module after applying.
    s.SelectPage(2);
    auto& sender = static_cast<CPageOptionNamebook&>(Page(2));
    Type(sender, CPageOptionNamebook::IDC_PATH, Program(Existing("me.sdr")));
    Click(sender, CPageOptionNamebook::IDC_ADD);
    PressOK();
    EXPECT_EQ(std::vector<CString>{".sdr"}, module.presetNews);
    EXPECT_EQ(1, app->m_options.m_sender.m_fileList.GetCount());
}

TEST_F(OptionSheetTest, SmsPageTakesOnlySizesInRange) {
    struct Row {
        const char* wide;
        const char* ansi;
        int wideAfter, ansiAfter;
    } rows[] = {
        {"50", "120", 50, 120}, {"70", "160", 70, 160},  {"1", "1", 1, 1},
        {"80", "161", 66, 150}, {"0", "0", 66, 150},     {"-5", "-1", 66, 150},
        {"abc", "", 66, 150},   {" 12 ", "3x", 12, 150},
    };
    for (const Row& r : rows) {
        app->m_options.m_sms.m_nWideMaxSize = 66;
        app->m_options.m_sms.m_nAnsiMaxSize = 150;
        CSheetOption& s = Open();
        Type(Page(3), CPageOptionSMS::IDC_WIDE_MAX, r.wide);
        Type(Page(3), CPageOptionSMS::IDC_ANSI_MAX, r.ansi);
        PressOK();
        EXPECT_EQ(r.wideAfter, app->m_options.m_sms.m_nWideMaxSize) << r.wide;
        EXPECT_EQ(r.ansiAfter, app->m_options.m_sms.m_nAnsiMaxSize) << r.ansi;
        EXPECT_TRUE(boxes.empty()) << "a refused size is ignored without a message";
        (void)s;
        CloseSheet();
    }

    // "还原为默认值" fills the defaults and marks the page.
    CSheetOption& s = Open();
    s.SelectPage(3);
    Click(Page(3), CPageOptionSMS::IDC_DEFAULTS);
    EXPECT_TRUE(Page(3).IsPageModified());
    PressOK();
    EXPECT_EQ(70, app->m_options.m_sms.m_nWideMaxSize);
    EXPECT_EQ(160, app->m_options.m_sms.m_nAnsiMaxSize);
}

TEST_F(OptionSheetTest, SmsPageAsksTheServerForTheSizes) {
    test_net::NetTestEnv env;
    test_net::ScopedInternetDefault quick(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    test_net::ServiceStandIn server;
    ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    HttpProxySettings direct;
    direct.nScheme = HTTP_PROXY_DIRECT;
    SetHttpProxySettings(direct);
    struct Row {
        const char* name;
        Reply reply;
        const char *wide, *ansi;
        bool message, modified;
    } rows[] = {
        {"two numbers", Reply::Text("0#60,150"), "60", "150", false, true},
        {"one number", Reply::Text("0#最大65字"), "65", "160", false, true},
        // The sizes stay the stored ones: nothing to apply.
        {"no number", Reply::Text("0#"), "70", "160", false, false},
        {"error with text", Reply::Text("990#帐户已停用"), "70", "160", true, false},
        {"error without text", Reply::Text("101"), "70", "160", true, false},
        {"silence", Reply::Of(Reply::Kind::Silent), "70", "160", true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        server.SetReply("ecard/sms/getsmsmaxsize.asp", r.reply);
        boxes.clear();
        CSheetOption& s = Open();
        s.SelectPage(3);
        CKovPropertyPage& page = Page(3);
        auto& sms = dynamic_cast<CPageOptionSMS&>(page);
        Click(page, CPageOptionSMS::IDC_ASK_SERVER);
        // The click returns at once; the answer comes later through the event loop.
        EXPECT_TRUE(sms.IsAsking());
        EXPECT_TRUE(boxes.empty());
        ASSERT_TRUE(WaitFor([&] { return !sms.IsAsking(); }, 5000));
        CString wide, ansi;
        page.GetDlgItemText(CPageOptionSMS::IDC_WIDE_MAX, wide);
        page.GetDlgItemText(CPageOptionSMS::IDC_ANSI_MAX, ansi);
        EXPECT_STREQ(r.wide, wide);
        EXPECT_STREQ(r.ansi, ansi);
        EXPECT_EQ(r.modified, (bool)page.IsPageModified());
        ASSERT_EQ(r.message ? 1u : 0u, boxes.size());
        if (r.message) {
            EXPECT_FALSE(boxes[0].text.IsEmpty());
            EXPECT_EQ((UINT)MB_ICONSTOP, boxes[0].type & 0xF0);
        }
        if (std::string(r.name) == "error with text") {
            EXPECT_STREQ("帐户已停用", boxes[0].text);
        }
        CloseSheet();
    }

    // While the server keeps silent the program goes on: a window timer keeps firing, a second
    // click asks nothing more, and the sheet closed before the answer hears nothing of it.
    server.SetReply("ecard/sms/getsmsmaxsize.asp", Reply::Of(Reply::Kind::Silent));
    // Long enough for the checks below to run while the request still waits.
    test_net::ScopedInternetDefault patient(INTERNET_OPTION_RECEIVE_TIMEOUT, 3000);
    auto asked = [&] {
        size_t n = 0;
        for (const auto& request : server.Requests())
            n += request.page == "ecard/sms/getsmsmaxsize.asp";
        return n;
    };
    const size_t before = asked();
    boxes.clear();
    CSheetOption& s = Open();
    s.SelectPage(3);
    auto& sms = dynamic_cast<CPageOptionSMS&>(Page(3));
    Click(sms, CPageOptionSMS::IDC_ASK_SERVER);
    Click(sms, CPageOptionSMS::IDC_ASK_SERVER);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    EXPECT_TRUE(WaitFor([&] { return ticks >= 5; }, 2000));
    ticker.stop();
    EXPECT_TRUE(sms.IsAsking());
    CloseSheet();
    WaitFor([] { return false; }, 3500); // past the receive time-out: the late answer arrives
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(before + 1, asked());
    SetServiceBaseAddress(nullptr);
    SetHttpProxySettings(HttpProxySettings());
}

TEST_F(OptionSheetTest, CalendarPageShowsTheWeekAndTellsTheModuleOfANewFirstDay) {
    app->m_options.m_calendar.m_nStartWeekDay = 9;
    CSheetOption& s = Open();
    s.SelectPage(6);
    auto* combo =
        static_cast<CComboBox*>(Page(6).GetDlgItem(CPageOptionCalendar::IDC_START_WEEKDAY));
    ASSERT_EQ(7, combo->GetCount());
    EXPECT_EQ(0, combo->GetCurSel()) << "a stored day outside the week shows Sunday";
    CString sunday;
    combo->GetLBText(0, sunday);
    EXPECT_NE(-1, sunday.Find("日"));
    // Choosing the shown day again changes nothing the module must hear of.
    Page(6).SendMessage(WM_COMMAND,
                        MAKEWPARAM(CPageOptionCalendar::IDC_START_WEEKDAY, CBN_SELCHANGE),
                        (LPARAM)combo->GetSafeHwnd());
    PressOK();
    EXPECT_EQ(0, app->m_options.m_calendar.m_nStartWeekDay);
    EXPECT_TRUE(module.weekDays.empty());
}

TEST_F(OptionSheetTest, ProxyPageSavesTheSectionAndTheRequestsFollowIt) {
    app->m_options.m_proxy.m_strProxyAddr = "old.example";
    CSheetOption& s = Open();
    s.SelectPage(7);
    CKovPropertyPage& page = Page(7);
    CString server;
    page.GetDlgItemText(CPageOptionProxy::IDC_SERVER, server);
    EXPECT_STREQ("old.example", server);
    // The second choice takes the desktop's own proxy settings and says so.
    CString system;
    page.GetDlgItemText(CPageOptionProxy::IDC_SCHEME_SYSTEM, system);
    EXPECT_STREQ("使用系统的代理设置", system);
    for (int id : {CPageOptionProxy::IDC_SCHEME_DIRECT, CPageOptionProxy::IDC_SCHEME_SYSTEM})
        static_cast<CButton*>(page.GetDlgItem(id))->SetCheck(BST_UNCHECKED);
    Click(page, CPageOptionProxy::IDC_SCHEME_CUSTOM);
    auto* type = static_cast<CComboBox*>(page.GetDlgItem(CPageOptionProxy::IDC_PROXY_TYPE));
    ASSERT_EQ(3, type->GetCount());
    type->SetCurSel(2);
    Type(page, CPageOptionProxy::IDC_SERVER, "127.0.0.1");
    Type(page, CPageOptionProxy::IDC_PORT, "1080");
    Type(page, CPageOptionProxy::IDC_USER, "bob");
    Type(page, CPageOptionProxy::IDC_PASSWORD, "secret");
    s.SaveScreenshot(ScreenPath("options-proxy").c_str());
    PressOK();

    CProxyOptions& proxy = app->m_options.m_proxy;
    EXPECT_EQ(2, proxy.m_nProxyScheme);
    EXPECT_EQ(2, proxy.m_nProxyType);
    EXPECT_STREQ("secret", proxy.m_strProxyPsw) << "kept for this run";
    HttpProxySettings now = GetHttpProxySettings();
    EXPECT_EQ(HTTP_PROXY_CUSTOM, now.nScheme);
    EXPECT_STREQ("socks5h://127.0.0.1:1080", FormatHttpProxyName(now));
    EXPECT_STREQ("bob", now.strUser);
    EXPECT_STREQ("secret", now.strPassword);

    // Written at once; the password only when it is to be remembered.
    CProxyOptions readBack;
    CProfileStore::ReloadForTesting();
    readBack.m_bRememberPsw = TRUE;
    readBack.Load();
    EXPECT_EQ(2, readBack.m_nProxyScheme);
    EXPECT_STREQ("127.0.0.1", readBack.m_strProxyAddr);
    EXPECT_STREQ("1080", readBack.m_strProxyPort);
    EXPECT_FALSE(readBack.m_bRememberPsw);
    EXPECT_STREQ("", readBack.m_strProxyPsw);
    SetHttpProxySettings(HttpProxySettings());
}

// Files opened from the sheet may close the window that had the focus: it is not touched then.
TEST_F(OptionSheetTest, ClosingGivesTheFocusBackOnlyToAWindowStillThere) {
    for (bool closeFirst : {false, true}) {
        auto* owner = new CWnd;
        ASSERT_TRUE(owner->CreateEx(0, nullptr, "主窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CRect(0, 0, 300, 200), nullptr, 0));
        CEdit edit;
        ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 30), owner, 10));
        edit.SetFocus();
        Pump();
        ASSERT_EQ(&edit, CWnd::GetFocus());
        Open();
        sheet->GetDlgItem(COutbarSheet::IDC_PAGE_LIST)->SetFocus();
        if (closeFirst) {
            edit.DestroyWindow();
            owner->DestroyWindow();
            delete owner;
            owner = nullptr;
        }
        CloseSheet();
        Pump();
        if (owner) {
            owner->SetActiveWindow();
            Pump();
            EXPECT_EQ(&edit, CWnd::GetFocus());
            edit.DestroyWindow();
            owner->DestroyWindow();
            delete owner;
        }
    }
}

// The same for the main window's active view: a view closed meanwhile is not made active again.
TEST_F(OptionSheetTest, ClosingGivesTheActivationBackOnlyToAViewStillThere) {
    for (bool closeFirst : {false, true}) {
        auto* frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "主窗口"));
        app->m_pMainWnd = frame;
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CModuleMissingView);
        auto* first = static_cast<CView*>(frame->CreateView(&context, AFX_IDW_PANE_FIRST));
        auto* second = static_cast<CView*>(frame->CreateView(&context, AFX_IDW_PANE_FIRST + 1));
        ASSERT_TRUE(first && second);
        frame->SetActiveView(first);
        Open();
        // A file opened from the sheet brings its own view forward.
        frame->SetActiveView(second);
        if (closeFirst)
            first->DestroyWindow(); // the view goes with its window
        CloseSheet();
        EXPECT_EQ(closeFirst ? second : first, frame->GetActiveView());
        app->m_pMainWnd = nullptr;
        frame->DestroyWindow();
    }
}

// The preset files are put in order by dragging one onto the row it should go before.
TEST_F(OptionSheetTest, DraggingAPresetFileMovesIt) {
    for (const char* name : {"a.sms", "b.sms", "c.sms"})
        app->m_options.m_namebook.m_fileList.AddTail(Program(Existing(name)));
    CSheetOption& s = Open();
    s.SelectPage(1);
    auto& page = static_cast<CPageOptionNamebook&>(Page(1));
    auto* list = static_cast<CListCtrl*>(page.GetDlgItem(CPageOptionNamebook::IDC_PRESET_LIST));
    auto names = [&] {
        std::string order;
        for (const CString& p : page.GetPresetPaths())
            order += p.Right(5).Left(1);
        return order;
    };
    // Mouse input through the window layer, as a user's reaches the list.
    auto mouse = [&](QEvent::Type type, CPoint pt, Qt::MouseButtons buttons) {
        QWidget* w = list->GetWidget();
        QPointF local(pt.x, pt.y);
        QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    auto rowPoint = [&](int row) {
        CRect r;
        list->GetItemRect(row, &r, LVIR_BOUNDS);
        return CPoint(r.left + 30, r.CenterPoint().y);
    };
    auto drag = [&](int from, int to) {
        list->SetFocus();
        list->SetItemState(-1, 0, LVIS_SELECTED);
        list->SetItemState(from, LVIS_SELECTED, LVIS_SELECTED);
        mouse(QEvent::MouseButtonPress, rowPoint(from), Qt::LeftButton);
        mouse(QEvent::MouseMove, rowPoint(from) + CPoint(0, 8), Qt::LeftButton);
        mouse(QEvent::MouseMove, rowPoint(to), Qt::LeftButton);
        mouse(QEvent::MouseMove, rowPoint(to) + CPoint(3, 0), Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, rowPoint(to), Qt::NoButton);
    };
    ASSERT_EQ("abc", names());
    EXPECT_FALSE(page.IsPageModified());
    drag(2, 0);
    EXPECT_EQ("cab", names());
    EXPECT_TRUE(page.IsPageModified());
    EXPECT_STREQ("请在此设置“通讯录”的有关信息（该项已修改）", CaptionLine());
    PressOK();
    EXPECT_STREQ(Program((dir.path() / "c.sms").string()),
                 app->m_options.m_namebook.m_fileList.GetHead());
}

// Enter and Escape in a page are the dialog's: Enter is the dialog's OK (every page applies, the
// dialog ends), Escape its Cancel; a page never applies itself on its own.
TEST_F(OptionSheetTest, EnterAndEscapeInAPageAreTheDialogs) {
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        app->m_options.m_sms.m_nWideMaxSize = 70;
        CSheetOption& s = Open();
        s.SelectPage(3);
        CWnd* edit = Page(3).GetDlgItem(CPageOptionSMS::IDC_WIDE_MAX);
        Type(Page(3), CPageOptionSMS::IDC_WIDE_MAX, "40");
        edit->SetFocus();
        Pump();
        QTest::keyClick(edit->GetWidget(), (Qt::Key)key);
        Pump();
        EXPECT_FALSE(s.IsWindowVisible()) << key;
        EXPECT_EQ(key == Qt::Key_Return ? 1 << 3 : 0, s.GetAppliedFlags());
        EXPECT_EQ(key == Qt::Key_Return ? 40 : 70, app->m_options.m_sms.m_nWideMaxSize);
        CloseSheet();
    }
}

} // namespace
