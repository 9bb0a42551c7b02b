#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/AddressAutoFill.h"
#include "contacts/ui/PageAddress.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/base/Gbk.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddValue;
namespace fs = std::filesystem;

class AddressPagesTest : public GuiTest {
protected:
    void SetUp() override {
        m_home.emplace("QUILLMAR_HOME", m_dir.str().c_str());
        m_config.emplace("QUILLMAR_CONFIG", m_dir.str().c_str());
        fs::create_directories(ProvinceFolder());
    }
    void TearDown() override {
        if (m_sheet.m_hWnd)
            m_sheet.DestroyWindow();
    }
    // Narrow texts here are GBK; the file system takes UTF-8.
    static fs::path U(const char* gbk) { return fs::path(GbkToUtf8(gbk)); }
    fs::path ProvinceFolder() const { return m_dir.path() / "info" / U("邮编区号"); }
    void WriteProvince(const char* province, const std::string& gbkText) {
        std::ofstream(ProvinceFolder() / U((std::string(province) + ".inf").c_str()), std::ios::binary)
            << gbkText;
    }
    void CopyShippedProvinces() {
        const fs::path shipped = GetShippedDataFolderPath() / "info" / U("邮编区号");
        ASSERT_TRUE(fs::is_directory(shipped)) << shipped;
        fs::copy(shipped, ProvinceFolder(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    void Open(std::initializer_list<CPropertyPage*> pages) {
        for (CPropertyPage* page : pages)
            m_sheet.AddPage(page);
        ASSERT_TRUE(m_sheet.Create());
        m_sheet.SetWindowPos(nullptr, 0, 0, 620, 470, SWP_NOMOVE | SWP_NOZORDER);
        m_sheet.ShowWindow(SW_SHOW);
        // Every page window exists from the start, as the contacts form makes sure.
        for (int i = 0; i < m_sheet.GetPageCount(); ++i)
            m_sheet.SetActivePage(i);
        m_sheet.SetActivePage(0);
        Pump();
    }
    static CString Text(CWnd& page, UINT id) {
        CString s;
        page.GetDlgItem((int)id)->GetWindowText(s);
        return s;
    }
    static void SetText(CWnd& page, UINT id, const char* text) {
        page.GetDlgItem((int)id)->SetWindowText(text);
    }
    static void Notify(CWnd& page, UINT id, UINT code) {
        page.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)page.GetDlgItem((int)id)->m_hWnd);
    }
    static std::vector<std::string> Items(CComboBox& box) {
        std::vector<std::string> items;
        for (int i = 0; i < box.GetCount(); ++i) {
            CString s;
            box.GetLBText(i, s);
            items.emplace_back(s.GetString());
        }
        return items;
    }
    static void Shot(CWnd& wnd, const char* name) {
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        EXPECT_TRUE(wnd.GetWidget()->grab().toImage().save(
            QString::fromStdString(ScreenPath(name)), "PNG"));
    }
    template <class T> static std::string Bytes(T& block) {
        CMemFile mem;
        {
            CArchive ar(&mem, CArchive::store);
            block.Serialize(ar);
            ar.Close();
        }
        const ULONGLONG n = mem.GetLength();
        std::string bytes((size_t)n, '\0');
        mem.SeekToBegin();
        mem.Read(bytes.data(), (UINT)n);
        return bytes;
    }
    // An edit's selection (the page hooks its edits, so ask the window itself).
    static std::pair<int, int> Sel(CWnd& page, UINT id) {
        DWORD start = 0, end = 0;
        page.GetDlgItem((int)id)->SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        return {(int)start, (int)end};
    }
    static CComboBox& Combo(CWnd& page, UINT id) {
        return *static_cast<CComboBox*>(page.GetDlgItem((int)id));
    }

    test_folders::TempDir m_dir;
    std::optional<test_folders::ScopedEnv> m_home, m_config;
    // The pages outlive the sheet's window, as in the contacts form.
    CPageHome home;
    CPageUnit unit;
    CPageCommaddr comm;
    CHostSheet m_sheet;
};

TEST_F(AddressPagesTest, ShippedProvinceFilesGiveEveryProvinceItsCitiesAndPostCodes) {
    CopyShippedProvinces();
    Open({&home});
    CComboBox& province = Combo(home, CPageHome::IDC_PROVINCE);
    CComboBox& city = Combo(home, CPageHome::IDC_CITY);
    ASSERT_EQ(province.GetCount(), 32);
    for (int i = 0; i < province.GetCount(); ++i) {
        CString name;
        province.GetLBText(i, name);
        SCOPED_TRACE(name.GetString());
        province.SetCurSel(i);
        city.SetWindowText("");
        Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
        const CXStringList& table = home.GetAutoFill().GetCityTable();
        ASSERT_GT(city.GetCount(), 0);
        ASSERT_EQ((INT_PTR)city.GetCount(), table.GetCount());
        // Every city of the list has its post code, found by the name the list shows.
        const int codeLength = name == "台湾" ? 3 : 6;
        for (int j = 0; j < city.GetCount(); ++j) {
            CString cityName;
            city.GetLBText(j, cityName);
            city.SetWindowText(cityName);
            SetText(home, CPageHome::IDC_POSTCODE, "");
            home.GetAutoFill().OnPostCodeFocus();
            const CString code = Text(home, CPageHome::IDC_POSTCODE);
            EXPECT_EQ(code.GetLength(), codeLength) << cityName.GetString();
            EXPECT_EQ(code.SpanIncluding("0123456789"), code) << cityName.GetString();
        }
    }
}

TEST_F(AddressPagesTest, ProvinceFileLinesLoadWhatTheyCan) {
    WriteProvince("测试", "// 城市,邮编,区号\r\n"
                          "\r\n"
                          "甲城\r\n"
                          "乙城,123456\r\n"
                          "丙城,234567,021,多余\r\n"
                          " 丁城 , 345678 , 0755 // 注释\r\n"
                          ",456789,010\r\n"
                          "戊城,567890,0571");
    CXStringList table(3);
    ASSERT_TRUE(CAddressAutoFill::LoadProvinceFile(CAddressAutoFill::GetProvinceFilePath("测试"),
                                                   table));
    const std::vector<std::vector<std::string>> expected = {{"甲城", "", ""},
                                                            {"乙城", "123456", ""},
                                                            {"丙城", "234567", "021"},
                                                            {"丁城", "345678", "0755"},
                                                            {"戊城", "567890", "0571"}};
    ASSERT_EQ(table.GetCount(), (INT_PTR)expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(table.GetValue((int)i, j).GetString(), expected[i][(size_t)j]) << i << j;
    CXStringList none(3);
    EXPECT_FALSE(CAddressAutoFill::LoadProvinceFile(CAddressAutoFill::GetProvinceFilePath("没有"),
                                                    none));
    EXPECT_EQ(none.GetCount(), 0);
}

TEST_F(AddressPagesTest, ProvinceTextNamesAFileOnlyInsideTheFolder) {
    WriteProvince("北京", "东城区,100010,010\r\n");
    // Files a path could reach from the province folder.
    std::ofstream(m_dir.path() / "info" / U("外面.inf")) << "outside,999999,0\r\n";
    std::ofstream(m_dir.path() / "info" / "..inf") << "dots,888888,0\r\n";
    std::ofstream(ProvinceFolder() / "..inf") << "dots,777777,0\r\n";
    Open({&home});
    CComboBox& province = Combo(home, CPageHome::IDC_PROVINCE);
    CComboBox& city = Combo(home, CPageHome::IDC_CITY);
    for (const char* text : {"", ".", "..", "..\\外面", "../外面", "北京/..", "a:b", "北京\\"}) {
        SCOPED_TRACE(text);
        province.SetCurSel(-1);
        province.SetWindowText("北京");
        Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
        ASSERT_EQ(city.GetCount(), 1);
        province.SetWindowText(text);
        Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
        EXPECT_EQ(city.GetCount(), 0);
        EXPECT_EQ(home.GetAutoFill().GetCityTable().GetCount(), 0);
    }
}

TEST_F(AddressPagesTest, CityListFollowsTheProvinceAndKeepsTheTypedCity) {
    WriteProvince("浙江", "杭州,310000,0571\r\n宁波,315000,0574\r\n");
    WriteProvince("江苏", "南京,210000,025\r\n");
    Open({&home});
    CComboBox& province = Combo(home, CPageHome::IDC_PROVINCE);
    CComboBox& city = Combo(home, CPageHome::IDC_CITY);
    province.SelectString(-1, "浙江");
    city.SetWindowText("温州");
    Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
    EXPECT_EQ(Items(city), (std::vector<std::string>{"杭州", "宁波"}));
    EXPECT_STREQ(Text(home, CPageHome::IDC_CITY), "温州");
    // The same province again reads nothing: what the list holds stays.
    city.AddString("自加");
    Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
    EXPECT_EQ(city.GetCount(), 3);
    province.SelectString(-1, "江苏");
    Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
    EXPECT_EQ(Items(city), (std::vector<std::string>{"南京"}));
    // A province without a file: no cities, no post codes.
    province.SelectString(-1, "西藏");
    Notify(home, CPageHome::IDC_CITY, CBN_SETFOCUS);
    EXPECT_EQ(city.GetCount(), 0);
    city.SetWindowText("南京");
    home.SetChanged(TRUE);
    Notify(home, CPageHome::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(home, CPageHome::IDC_POSTCODE), "");
}

TEST_F(AddressPagesTest, PostCodeIsFilledOnlyWhenEmptyAndTheUserIsEditing) {
    WriteProvince("浙江", "杭州,310000,0571\r\n宁波,315000,0574\r\n");
    Open({&unit});
    Combo(unit, CPageUnit::IDC_PROVINCE).SelectString(-1, "浙江");
    Notify(unit, CPageUnit::IDC_CITY, CBN_SETFOCUS);
    Combo(unit, CPageUnit::IDC_CITY).SetWindowText("宁波");
    unit.SetChanged(FALSE);
    // A page the user has not touched keeps its post code empty.
    Notify(unit, CPageUnit::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(unit, CPageUnit::IDC_POSTCODE), "");
    unit.SetChanged(TRUE);
    Notify(unit, CPageUnit::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(unit, CPageUnit::IDC_POSTCODE), "315000");
    EXPECT_EQ(Sel(unit, CPageUnit::IDC_POSTCODE), std::make_pair(4, 6));
    // A code the user typed is never replaced; a city part matches too.
    SetText(unit, CPageUnit::IDC_POSTCODE, "31");
    Combo(unit, CPageUnit::IDC_CITY).SetWindowText("杭");
    Notify(unit, CPageUnit::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(unit, CPageUnit::IDC_POSTCODE), "31");
    SetText(unit, CPageUnit::IDC_POSTCODE, "");
    Notify(unit, CPageUnit::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(unit, CPageUnit::IDC_POSTCODE), "310000");
    // No city, no code.
    SetText(unit, CPageUnit::IDC_POSTCODE, "");
    Combo(unit, CPageUnit::IDC_CITY).SetWindowText("");
    Notify(unit, CPageUnit::IDC_POSTCODE, EN_SETFOCUS);
    EXPECT_STREQ(Text(unit, CPageUnit::IDC_POSTCODE), "");
}

SPersonHomeBlock FilledHome() {
    SPersonHomeBlock home;
    home.strCountry = "中国";
    home.strProvince = "广东";
    home.strCity = "广州";
    home.strPostCode = "510000";
    home.strAddress = "天河路2号\r\n3楼";
    home.strSpouse = "李四";
    home.strCustom = "自定义";
    home.strMembers = "父亲\r\n母亲";
    AddValue(home.phones, "020-12345678");
    AddValue(home.phones, "020-87654321");
    home.phones.GetHead().SetNote("晚上");
    home.phones.SetCurrentIndex(1);
    AddValue(home.faxes, "020-11112222"); // no current value
    return home;
}

SPersonWorkBlock FilledWork() {
    SPersonWorkBlock work;
    work.strCompany = "墨川公司";
    work.strCountry = "中国";
    work.strProvince = "台湾";
    work.strCity = "台北";
    work.strPostCode = "100";
    work.strAddress = "某路1号";
    work.strTitle = "经理";
    work.strDepartment = "研发部";
    work.strOffice = "301室";
    work.strCustom = "备用";
    AddValue(work.phones, "02-1234");
    work.phones.SetCurrentIndex(0);
    AddValue(work.dormPhones, "62751234");
    AddValue(work.faxes, "02-5678");
    AddValue(work.email, "a@example.com");
    AddValue(work.email, "b@example.com");
    work.email.SetCurrentIndex(1);
    AddValue(work.homepage, "www.example.com");
    return work;
}

TEST_F(AddressPagesTest, BlocksComeBackByteIdenticalThroughThePages) {
    Open({&home, &unit, &comm});
    SPersonHomeBlock homeIn = FilledHome();
    SPersonWorkBlock workIn = FilledWork();
    SPersonAddressBlock addressIn;
    addressIn.strPostCode = "100080";
    addressIn.strAddress = "北京市海淀区中关村大街1号";
    addressIn.strNote = "周末不在";
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        home.ExchangeHome(homeIn, TRUE);
        unit.ExchangeWork(workIn, TRUE);
        comm.ExchangeCurrentAddress(addressIn, TRUE);
        SPersonHomeBlock homeOut;
        SPersonWorkBlock workOut;
        SPersonAddressBlock addressOut;
        home.ExchangeHome(homeOut, FALSE);
        unit.ExchangeWork(workOut, FALSE);
        comm.ExchangeCurrentAddress(addressOut, FALSE);
        EXPECT_EQ(Bytes(homeOut), Bytes(homeIn));
        EXPECT_EQ(Bytes(workOut), Bytes(workIn));
        EXPECT_EQ(Bytes(addressOut), Bytes(addressIn));
        // Loading marks nothing changed.
        EXPECT_FALSE(home.IsChanged());
        EXPECT_FALSE(unit.IsChanged());
        EXPECT_FALSE(comm.IsChanged());
        // The second pass loads an empty contact over the filled one first.
        if (pass == 0) {
            SPersonHomeBlock emptyHome, emptyOut;
            home.ExchangeHome(emptyHome, TRUE);
            home.ExchangeHome(emptyOut, FALSE);
            EXPECT_EQ(Bytes(emptyOut), Bytes(emptyHome));
        }
    }
    m_sheet.SetActivePage(0);
    Pump();
    Shot(m_sheet, "contact-page-home");
    m_sheet.SetActivePage(1);
    Pump();
    Shot(m_sheet, "contact-page-unit");
    m_sheet.SetActivePage(2);
    Pump();
    Shot(m_sheet, "contact-page-commaddr");
    EXPECT_FALSE(comm.GetDlgItem(CPageCommaddr::IDC_IMPORT)->IsWindowEnabled());
    EXPECT_TRUE(comm.GetDlgItem(CPageCommaddr::IDC_IMPORT)->IsWindowVisible());
}

TEST_F(AddressPagesTest, ProvinceBoxTakesTheFirstItemBeginningWithTheStoredText) {
    Open({&home});
    const struct {
        const char* stored;
        const char* saved;
    } cases[] = {{"河", "河北"}, {"黑龙江", "黑龙江"}, {"火星", "火星"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SPersonHomeBlock in, out;
        in.strProvince = c.stored;
        home.ExchangeHome(in, TRUE);
        home.ExchangeHome(out, FALSE);
        EXPECT_STREQ(out.strProvince, c.saved);
    }
}

// The province and city boxes complete what is typed: from the start of an item, or from the
// pinyin initials of the items with the list dropped at the match.
TEST_F(AddressPagesTest, ProvinceAndCityBoxesCompleteTheTypedText) {
    Open({&home, &unit});
    for (CLocationPage* page : {(CLocationPage*)&home, (CLocationPage*)&unit}) {
        m_sheet.SetActivePage(page);
        m_sheet.SetForegroundWindow();
        Pump();
        auto* pProvince = dynamic_cast<CKovComboBox*>(page->GetDlgItem(CLocationPage::IDC_PROVINCE));
        auto* pCity = dynamic_cast<CKovComboBox*>(page->GetDlgItem(CLocationPage::IDC_CITY));
        ASSERT_TRUE(pProvince && pCity);
        CKovComboBox& province = *pProvince;
        province.SetFocus();
        province.SetWindowText("");
        QTest::keyClicks(province.GetWidget(), "hlj");
        ASSERT_TRUE(WaitFor([&] { return province.GetDroppedState() != FALSE; }));
        EXPECT_EQ(province.GetList().m_forcedIndex, 9) << "黑龙江";
        province.ShowDropDown(FALSE);

        CKovComboBox& city = *pCity;
        city.SetFocus(); // the focus fills the list from the province: the item comes after
        city.ResetContent();
        city.AddString("Hangzhou");
        city.SetWindowText("");
        QTest::keyClicks(city.GetWidget(), "Ha");
        EXPECT_STREQ(Text(*page, CLocationPage::IDC_CITY), "Hangzhou");
    }
}

TEST_F(AddressPagesTest, TypedValuesJoinTheirLists) {
    Open({&unit});
    SPersonWorkBlock in = FilledWork(), out;
    unit.ExchangeWork(in, TRUE);
    // A new e-mail address becomes the current one; a phone already listed is chosen, not doubled.
    Combo(unit, CPageUnit::IDC_EMAIL).SetWindowText("c@example.com");
    Combo(unit, CPageUnit::IDC_FAXES).SetWindowText("02-5678");
    unit.ExchangeWork(out, FALSE);
    ASSERT_EQ(out.email.GetCount(), 3);
    EXPECT_STREQ(out.email.GetCurrentValue(), "c@example.com");
    EXPECT_EQ(out.faxes.GetCount(), 1);
    EXPECT_EQ(out.faxes.GetCurrentIndex(), 0);
    EXPECT_EQ(unit.GetMultiValueCombo(CPageUnit::IDC_EMAIL_BUTTON),
              unit.GetMultiValueCombo(CPageUnit::IDC_EMAIL));
    EXPECT_EQ(unit.GetMultiValueCombo(CPageUnit::IDC_COMPANY), nullptr);
}

TEST_F(AddressPagesTest, EditsReportChangesUnlessThePageIsReadOnly) {
    Open({&home});
    SPersonHomeBlock in = FilledHome();
    home.ExchangeHome(in, TRUE);
    home.SetChanged(FALSE);
    m_sheet.changes = 0;
    SetText(home, CPageHome::IDC_SPOUSE, "王五");
    EXPECT_TRUE(home.IsChanged());
    EXPECT_GT(m_sheet.changes, 0);

    home.SetChanged(FALSE);
    home.SetReadOnly(TRUE);
    m_sheet.changes = 0;
    EXPECT_TRUE(home.SetChanged(TRUE));
    EXPECT_FALSE(home.IsChanged());
    EXPECT_EQ(m_sheet.changes, 0);
    home.SetReadOnly(FALSE);
    home.SetChanged(TRUE);
    EXPECT_TRUE(home.IsChanged());
    home.SetChanged(FALSE);
    EXPECT_FALSE(home.IsChanged());

    const UINT edits[] = {CPageHome::IDC_SPOUSE, CPageHome::IDC_POSTCODE, 0};
    home.SetEditsReadOnly(edits, TRUE);
    EXPECT_TRUE(home.GetDlgItem(CPageHome::IDC_SPOUSE)->GetStyle() & ES_READONLY);
    EXPECT_TRUE(home.GetDlgItem(CPageHome::IDC_POSTCODE)->GetStyle() & ES_READONLY);
    home.SetEditsReadOnly(edits, FALSE);
    EXPECT_FALSE(home.GetDlgItem(CPageHome::IDC_SPOUSE)->GetStyle() & ES_READONLY);
}

TEST_F(AddressPagesTest, FieldNumbersLeadToTheirControls) {
    Open({&home, &unit, &comm});
    const struct {
        CContactPropertyPage* page;
        int nField;
        UINT nFocus; // 0: not on the page
    } cases[] = {{&home, 48, 1043}, {&home, 18, 1046}, {&home, 24, 1051}, {&unit, 49, 1043},
                 {&unit, 25, 1021}, {&unit, 28, 1044}, {&comm, 42, 1037}, {&home, 25, 0},
                 {&unit, 45, 0},    {&comm, 46, 0},    {&home, 47, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nField);
        m_sheet.SetActivePage(c.page);
        Pump();
        EXPECT_EQ(c.page->FocusField(c.nField), c.nFocus != 0);
        if (!c.nFocus)
            continue;
        CWnd* focus = CWnd::GetFocus();
        ASSERT_NE(focus, nullptr);
        CWnd* control = c.page->GetDlgItem((int)c.nFocus);
        EXPECT_TRUE(focus == control || focus->GetParent() == control);
    }
    // An edit's text is selected whole.
    SPersonWorkBlock work = FilledWork();
    unit.ExchangeWork(work, TRUE);
    m_sheet.SetActivePage(&unit);
    ASSERT_TRUE(unit.FocusField(25));
    EXPECT_EQ(Sel(unit, CPageUnit::IDC_COMPANY), std::make_pair(0, work.strCompany.GetLength()));
}

TEST_F(AddressPagesTest, TallEditsShrinkToTwentyPixelsOnASmallPage) {
    Open({&home, &comm});
    for (CMultiValuePage* page : {(CMultiValuePage*)&home, (CMultiValuePage*)&comm}) {
        page->SetWindowPos(nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER);
        page->LayoutPage();
        const UINT tall[2] = {page == &home ? 1052u : 1006u, page == &home ? 1051u : 1037u};
        for (UINT id : tall) {
            CRect rc;
            page->GetDlgItem((int)id)->GetWindowRect(&rc);
            EXPECT_EQ(rc.Height(), 20) << id;
        }
    }
}

} // namespace
