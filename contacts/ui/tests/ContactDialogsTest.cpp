#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "contacts/SmsDoc.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "contacts/ui/DlgFindPerson.h"
#include "contacts/ui/DlgImportGroup.h"
#include "contacts/ui/DlgModifyPerson.h"
#include "contacts/ui/PersonFileDialogs.h"
#include "contacts/ui/SheetExportGroup.h"
#include "links/ui/DlgSendSmsProgress.h"
#include "links/ui/tests/ShownProgress.h"
#include "platform/base/Gbk.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

using contacts_test::AddFieldText;

class ContactDialogsTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& call) {
            messages.push_back(call.text.GetString());
            return answer ? answer(call) : IDOK;
        });
    }
    void TearDown() override {
        AfxSetMessageBoxHook(m_oldBox);
        AfxSetModalDialogHook(nullptr);
    }
    CString PathOf(const char* name) const { return (m_dir.str() + "/" + name).c_str(); }
    static void WriteBytes(const CString& path, const std::string& bytes) {
        contacts_test::WriteBytes(path, bytes);
    }
    static std::string ReadBytes(const CString& path) { return contacts_test::ReadBytes(path); }
    static bool Exists(const CString& path) { return std::ifstream(path.GetString()).good(); }
    static void Shot(CWnd& wnd, const char* name) {
        Pump();
        EXPECT_TRUE(wnd.SaveScreenshot(ScreenPath(name).c_str())) << name;
    }
    // Runs the steps against each modal dialog as it shows, in turn; a dialog beyond the steps
    // is cancelled.
    void OnDialogs(std::vector<std::function<void(CDialog&)>> steps) {
        m_steps = std::move(steps);
        m_step = 0;
        AfxSetModalDialogHook([this](CDialog& dlg) {
            if (m_step < m_steps.size())
                m_steps[m_step++](dlg);
            else
                dlg.EndDialog(IDCANCEL);
        });
    }
    static std::function<void(CDialog&)> ChooseFile(const CString& path) {
        return [path](CDialog& dlg) {
            auto* file = dynamic_cast<CFileDialog*>(&dlg);
            ASSERT_NE(nullptr, file);
            file->Answer(path);
        };
    }

    test_folders::TempDir m_dir;
    std::vector<std::string> messages;
    std::function<int(const MessageBoxCall&)> answer;
    MessageBoxHook m_oldBox;
    std::vector<std::function<void(CDialog&)>> m_steps;
    size_t m_step = 0;
};

// ---- CSV import ---------------------------------------------------------------------------------

TEST_F(ContactDialogsTest, ImportDialogGuessesMappingsFromAUtf8Header) {
    const CString csv = PathOf("contacts.csv");
    WriteBytes(csv, GbkToUtf8("姓名,手机号码,手机,电话,组别,E-mail\r\n张三,1,13800138000,010-1,同学,a@b.cn\r\n"));
    CDlgImportGroup dlg;
    dlg.m_strCsvPath = csv;
    std::vector<int> guessed;
    int groupSel = -2;
    OnDialogs({[&](CDialog&) {
        CListCtrl& cols = dlg.GetColumnList();
        for (int i = 0; i < cols.GetItemCount(); ++i)
            guessed.push_back((int)(INT_PTR)cols.GetItemData(i));
        groupSel = static_cast<CComboBox*>(dlg.GetDlgItem(CDlgImportGroup::IDC_GROUP_COLUMN))
                       ->GetCurSel();
        cols.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        Shot(dlg, "contacts-import-csv");

        // Two columns on one field: the field stays ticked until neither maps to it.
        dlg.SetMapping(1, PF_MOBILE, 1);
        dlg.SetMapping(2, -1, 0);
        EXPECT_TRUE(dlg.GetFieldList().GetCheck(PF_MOBILE));
        dlg.SetMapping(1, -1, 0);
        EXPECT_FALSE(dlg.GetFieldList().GetCheck(PF_MOBILE));
        // The user cannot tick a field by hand.
        dlg.GetFieldList().SetCheck(PF_NOTE, TRUE);
        EXPECT_FALSE(dlg.GetFieldList().GetCheck(PF_NOTE));
        dlg.SetMapping(2, PF_MOBILE, 1);
        dlg.SetMapping(5, PF_EMAIL, 0); // mapped but left out
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<int>{PF_NAME, -1, PF_MOBILE, PF_PHONE, -1, PF_EMAIL}), guessed);
    EXPECT_EQ(4, groupSel) << "the column whose title begins with 组";
    ASSERT_EQ(6, dlg.m_resultMap.GetSize());
    EXPECT_EQ(PF_NAME, dlg.m_resultMap[0]);
    EXPECT_EQ(-1, dlg.m_resultMap[1]);
    EXPECT_EQ(PF_MOBILE, dlg.m_resultMap[2]);
    EXPECT_EQ(-1, dlg.m_resultMap[5]);
}

TEST_F(ContactDialogsTest, DoubleClicksJumpBetweenColumnsAndTheirField) {
    const CString csv = PathOf("dbl.csv");
    WriteBytes(csv, "手机,姓名,手机\r\n");
    CDlgImportGroup dlg;
    dlg.m_strCsvPath = csv;
    std::vector<int> fieldSel, columnSel;
    OnDialogs({[&](CDialog&) {
        CListCtrl& cols = dlg.GetColumnList();
        CListCtrl& fields = dlg.GetFieldList();
        auto dblClick = [&](CListCtrl& list) {
            NMITEMACTIVATE nm{};
            nm.hdr.hwndFrom = list.m_hWnd;
            nm.hdr.idFrom = (UINT_PTR)list.GetDlgCtrlID();
            nm.hdr.code = NM_DBLCLK;
            dlg.SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
        };
        auto selected = [](CListCtrl& list) { return list.GetNextItem(-1, LVNI_SELECTED); };
        cols.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        dblClick(cols);
        fieldSel.push_back(selected(fields));
        fields.SetItemState(PF_MOBILE, LVIS_SELECTED, LVIS_SELECTED);
        dblClick(fields); // the next column after the selected one that maps to 手机
        columnSel.push_back(selected(cols));
        dblClick(fields); // and round again to the first
        columnSel.push_back(selected(cols));
        dlg.EndDialog(IDCANCEL);
    }});
    dlg.DoModal();
    EXPECT_EQ((std::vector<int>{PF_NAME}), fieldSel);
    EXPECT_EQ((std::vector<int>{2, 0}), columnSel);
}

TEST_F(ContactDialogsTest, SavedMapRestoresMappingsAndLeftOutColumns) {
    const CString csv = PathOf("c.csv");
    WriteBytes(csv, "名字,\"电话,手机\",附注\r\nx,y,z\r\n");
    const CString map = PathOf("c.map");
    {
        CDlgImportGroup dlg;
        dlg.m_strCsvPath = csv;
        OnDialogs({[&](CDialog&) {
            dlg.SetMapping(0, PF_NAME, 1);
            dlg.SetMapping(1, PF_MOBILE, 0);
            EXPECT_TRUE(dlg.SaveMap(map));
            dlg.EndDialog(IDCANCEL);
        }});
        dlg.DoModal();
    }
    EXPECT_EQ("映射文件已成功保存！", messages.back());
    CDlgImportGroup dlg;
    dlg.m_strCsvPath = csv;
    OnDialogs({[&](CDialog&) {
        dlg.LoadMap(map);
        EXPECT_EQ(PF_MOBILE, (int)(INT_PTR)dlg.GetColumnList().GetItemData(1));
        EXPECT_FALSE(dlg.GetColumnList().GetCheck(1));
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(PF_NAME, dlg.m_resultMap[0]);
    EXPECT_EQ(-1, dlg.m_resultMap[1]);
    EXPECT_EQ(PF_CUR_NOTE, dlg.m_resultMap[2]) << "the first field whose name holds 附注";

    CDlgImportGroup again;
    again.m_strCsvPath = csv;
    OnDialogs({[&](CDialog&) {
        messages.clear();
        EXPECT_FALSE(again.SaveMap(PathOf("no-folder/c.map")));
        again.EndDialog(IDCANCEL);
    }});
    again.DoModal();
    ASSERT_EQ(1u, messages.size()) << "a map that cannot be written is reported";
}

TEST_F(ContactDialogsTest, ImportReportsLostCharactersAndRefusesNonText) {
    const CString csv = PathOf("lossy.csv");
    WriteBytes(csv, GbkToUtf8("姓名,附注\n张三,好\n") + "\xED\x95\x9C,x\n");
    _CGroup group("");
    OnDialogs({ChooseFile(csv), [](CDialog& dlg) { dlg.SendMessage(WM_COMMAND, IDOK, 0); }});
    EXPECT_EQ(2, ImportCsvIntoGroup(&group));
    // Only the lost characters are told here: the caller tells the count.
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages.back().find("1 个值"));
    EXPECT_EQ(2, group.GetContentCount(FALSE, TRUE));

    const CString sheet = PathOf("book.xls");
    WriteBytes(sheet, std::string("\xD0\xCF\x11\xE0\0\0\0\0", 8));
    messages.clear();
    bool importDialogShown = false;
    OnDialogs({ChooseFile(sheet), [&](CDialog& dlg) {
                   importDialogShown = true;
                   dlg.EndDialog(IDCANCEL);
               }});
    EXPECT_EQ(-1, ImportCsvIntoGroup(&group));
    EXPECT_FALSE(importDialogShown);
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("不是文本格式"));
    EXPECT_EQ(2, group.GetContentCount(FALSE, TRUE));
}

// A file too large to import is refused before the import dialog, with the bound named.
TEST_F(ContactDialogsTest, ImportRefusesAFileOverTheBoundAtOnce) {
    const CString csv = PathOf("huge.csv");
    WriteBytes(csv, "姓名\r\n张三\r\n");
    std::filesystem::resize_file(csv.GetString(), 1ull << 30);
    _CGroup group("");
    bool importDialogShown = false;
    OnDialogs({ChooseFile(csv), [&](CDialog& dlg) {
                   importDialogShown = true;
                   dlg.EndDialog(IDCANCEL);
               }});
    EXPECT_EQ(-1, ImportCsvIntoGroup(&group));
    EXPECT_FALSE(importDialogShown);
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("64 MB")) << messages[0];
    EXPECT_TRUE(group.IsEmptyGroup());
}

// A large file's reading shows in the progress window, which keeps being served (a timer of the
// program fires meanwhile) and stops the import with its 取消 or with Escape, whether the header
// or the records are being read: nothing is said, and the group is as it was.
TEST_F(ContactDialogsTest, ImportOfALargeFileShowsProgressAndStopsOnCancel) {
    std::string bytes = "姓名,手机\r\n";
    for (int i = 0; i < 20000; ++i)
        bytes += "新人" + std::to_string(i) + ",13700137000\r\n";
    const CString csv = PathOf("many.csv");
    WriteBytes(csv, bytes);
    struct Case {
        const char* label;
        bool duringRecords; // else while the header is read, before the import dialog
        bool escape;        // else a click on 取消
    } cases[] = {{"header, 取消", false, false}, {"records, Escape", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        _CGroup group("");
        group.AddContent(new _CPerson("张三"), FALSE, nullptr, TRUE, TRUE);
        messages.clear();
        bool stopped = false, importDialogShown = false;
        CString caption, status;
        auto stopWhenShown = [&] {
            CDlgSendSmsProgress* dlg = ReadingProgress();
            ASSERT_NE(nullptr, dlg) << "the window shows while the file is read";
            dlg->GetWindowText(caption);
            dlg->GetDlgItemText(CDlgSendSmsProgress::IDC_STATUS, status);
            if (c.duringRecords)
                Shot(*dlg, "contacts-import-progress");
            if (c.escape)
                QTest::keyClick(dlg->GetWidget(), Qt::Key_Escape);
            else
                QTest::mouseClick(dlg->GetDlgItem(IDCANCEL)->GetWidget(), Qt::LeftButton);
            stopped = true;
        };
        if (!c.duringRecords)
            QTimer::singleShot(0, stopWhenShown);
        OnDialogs({ChooseFile(csv), [&](CDialog& dlg) {
                       importDialogShown = true;
                       QTimer::singleShot(0, stopWhenShown);
                       dlg.SendMessage(WM_COMMAND, IDOK, 0);
                   }});
        EXPECT_EQ(-1, ImportCsvIntoGroup(&group));
        EXPECT_TRUE(stopped);
        EXPECT_EQ(c.duringRecords, importDialogShown);
        EXPECT_STREQ("导入联系人", caption);
        EXPECT_EQ(0, status.Find("已读取")) << status.GetString();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(1, group.GetContentCount(FALSE, TRUE));
        Pump();
        EXPECT_EQ(nullptr, ReadingProgress()) << "the window is gone";
    }
    // Left alone, the same import goes through.
    _CGroup group("");
    OnDialogs({ChooseFile(csv), [](CDialog& dlg) { dlg.SendMessage(WM_COMMAND, IDOK, 0); }});
    EXPECT_EQ(20000, ImportCsvIntoGroup(&group));
    EXPECT_EQ(nullptr, ReadingProgress());
}

TEST_F(ContactDialogsTest, ImportGoesIntoTheGroupSelectedInTheBook) {
    const CString csv = PathOf("one.csv");
    WriteBytes(csv, "姓名\r\n王五\r\n");
    CSmsDoc doc;
    auto* friends = new _CGroup("朋友");
    doc.GetRootGroup().AddSubgroup(friends, FALSE, nullptr, TRUE, TRUE);
    bool asked = false;
    OnDialogs({[&](CDialog& dlg) {
        asked = true;
        dlg.EndDialog(IDCANCEL);
    }});
    EXPECT_EQ(-1, ImportCsvIntoSelectedGroup(doc)) << "no group selected";
    EXPECT_FALSE(asked);
    doc.SetCurrentObject(friends);
    OnDialogs({ChooseFile(csv), [](CDialog& dlg) { dlg.SendMessage(WM_COMMAND, IDOK, 0); }});
    EXPECT_EQ(1, ImportCsvIntoSelectedGroup(doc));
    EXPECT_EQ(1, friends->GetContentCount(FALSE, TRUE));
    EXPECT_EQ(0, doc.GetRootGroup().GetContentCount(FALSE, TRUE));
}

// ---- Group export -------------------------------------------------------------------------------

class ExportTest : public ContactDialogsTest {
protected:
    void SetUp() override {
        ContactDialogsTest::SetUp();
        AddFieldText(*AddPerson("张三"), PF_MOBILE, "13800138000");
        AddPerson("李四");
        current.Add(PF_NAME);
        current.Add(PF_MOBILE);
    }
    _CPerson* AddPerson(const char* name) {
        auto* p = new _CPerson(name);
        group.AddContent(p, FALSE, nullptr, TRUE, TRUE);
        return p;
    }
    // Fills the sheet's path and field set and presses OK.
    static std::function<void(CDialog&)> Sheet(const CString& path, int nFieldSet,
                                                const char* shot = nullptr) {
        return [=](CDialog& dlg) {
            auto* sheet = dynamic_cast<CPSheetExportGroup*>(&dlg);
            ASSERT_NE(nullptr, sheet);
            if (shot != nullptr) {
                Shot(*sheet, shot);
                sheet->SetActivePage(1);
                Shot(*sheet, "contacts-export-fields");
                sheet->SetActivePage(0);
            }
            sheet->m_pageExport.SetDlgItemText(CPageExportGroup::IDC_PATH, path);
            sheet->m_pageExport.CheckRadioButton(1213, 1215, 1213 + nFieldSet);
            sheet->SendMessage(WM_COMMAND, IDOK, 0);
        };
    }
    BOOL Run(int nFormat = _CGroup::EXPORT_CSV) {
        CPersonFieldSource source;
        return ExportGroup(&group, nFormat, current, &source, CPersonFieldSource::kPositions);
    }
    _CGroup group{"同学"};
    CArray<int, int> current;
};

TEST_F(ExportTest, WritesTheChosenFieldsAndCongratulates) {
    const CString path = PathOf("out.csv");
    OnDialogs({Sheet(path, CPageExportGroup::FIELDS_CURRENT, "contacts-export-basic")});
    EXPECT_TRUE(Run());
    EXPECT_EQ("姓名,手机\r\n张三,13800138000\r\n李四,\r\n", ReadBytes(path));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("恭喜，文件已成功导出并保存！", messages[0]);
}

TEST_F(ExportTest, ReplacesATypedExistingPathOnlyWhenTheUserAgrees) {
    const CString path = PathOf("keep.csv");
    WriteBytes(path, "precious");
    answer = [](const MessageBoxCall&) { return IDNO; };
    OnDialogs({Sheet(path, 0)}); // asked, refused: the sheet shows again and is cancelled
    EXPECT_FALSE(Run());
    EXPECT_EQ("precious", ReadBytes(path));
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("已经存在"));

    answer = [](const MessageBoxCall&) { return IDYES; };
    messages.clear();
    OnDialogs({Sheet(path, 0)});
    EXPECT_TRUE(Run());
    EXPECT_EQ(0u, ReadBytes(path).find("姓名,性别,昵称"));
}

TEST_F(ExportTest, FileThatCannotBeMadeAsksToRetry) {
    answer = [](const MessageBoxCall&) { return IDNO; };
    OnDialogs({Sheet(PathOf("no-folder/out.csv"), 0)});
    EXPECT_FALSE(Run());
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("建立文件失败"));
    EXPECT_FALSE(Exists(PathOf("no-folder/out.csv")));
}

TEST_F(ExportTest, FullDiskIsReportedNeverCongratulated) {
    for (int i = 0; i < 1500; ++i) {
        CString name;
        name.Format("联系人%d", i);
        AddFieldText(*AddPerson(name), PF_NOTE, CString('x', 300));
    }
    const CString path = PathOf("full.txt");
    OnDialogs({Sheet(path, 0)});
    const BOOL ok =
        contacts_test::WithFileSizeLimit(64 * 1024, [&] { return Run(_CGroup::EXPORT_CARD_TEXT); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("磁盘可能已满"));
    EXPECT_FALSE(Exists(path));
}

// ---- Field page ---------------------------------------------------------------------------------

TEST_F(ContactDialogsTest, FieldPageOpensOnADamagedListAndAppendsAtTheEnd) {
    CPSheetPersonList sheet;
    CPersonFieldSource source;
    sheet.m_pageFields.SetFieldSource(&source, CPersonFieldSource::kPositions);
    for (int f : {0, 5, 4000, -7, 13})
        sheet.m_pageFields.GetChosenList().Add(f);
    OnDialogs({[&](CDialog&) {
        CPageCfgPsnFields& page = sheet.m_pageFields;
        auto* available = static_cast<CListBox*>(page.GetDlgItem(CPageCfgPsnFields::IDC_AVAILABLE));
        available->SetSel(0, TRUE); // 性别
        available->SetSel(2, TRUE); // 生日
        page.AddSelected();
        Shot(sheet, "contacts-field-page");
        sheet.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    ASSERT_EQ(IDOK, sheet.DoModal());
    const CArray<int, int>& chosen = sheet.m_pageFields.GetChosenList();
    ASSERT_EQ(5, chosen.GetSize());
    const int want[] = {0, 5, 13, 1, 3};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(want[i], chosen[i]) << i;
}

// A window that keeps the lParam of every message of one kind (and of one wParam, unless -1).
class MessageRecorder : public CWnd {
public:
    MessageRecorder(UINT message, WPARAM wParam) : m_message(message), m_wParam(wParam) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == m_message && (m_wParam == (WPARAM)-1 || wParam == m_wParam))
            received.push_back(lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    BOOL Create() {
        return CreateEx(0, nullptr, "墨川", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0);
    }
    std::vector<LPARAM> received;

private:
    UINT m_message;
    WPARAM m_wParam;
};

TEST_F(ContactDialogsTest, ColumnSheetTellsItsParentOfEachApply) {
    MessageRecorder parent(CPSheetPersonList::WM_PERSON_LIST_APPLIED, (WPARAM)-1);
    ASSERT_TRUE(parent.Create());
    CPSheetPersonList sheet(&parent);
    CPersonFieldSource source;
    sheet.m_pageFields.SetFieldSource(&source, CPersonFieldSource::kPositions);
    sheet.m_pageFields.GetChosenList().Add(PF_NAME);
    ASSERT_TRUE(sheet.Create(&parent));
    sheet.SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
    EXPECT_TRUE(parent.received.empty()) << "nothing changed: Apply cannot be pressed";
    sheet.m_pageFields.AddAll();
    sheet.SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
    ASSERT_EQ(1u, parent.received.size());
    EXPECT_EQ((LPARAM)&sheet, parent.received[0]);
    EXPECT_EQ(PERSON_FIELD_COUNT, sheet.m_pageFields.GetChosenList().GetSize());
    sheet.DestroyWindow();
    parent.DestroyWindow();
}

// ---- Find ---------------------------------------------------------------------------------------

class FindTest : public ContactDialogsTest {
protected:
    void SetUp() override {
        ContactDialogsTest::SetUp();
        SFindSettings::Get() = SFindSettings();
        auto add = [](_CGroup& g, const char* name) {
            auto* p = new _CPerson(name);
            g.AddContent(p, FALSE, nullptr, TRUE, TRUE);
            return p;
        };
        AddFieldText(*add(root, "张一"), PF_NOTE, "北京大学");
        sub = new _CGroup("北京同学");
        root.AddSubgroup(sub, FALSE, nullptr, TRUE, TRUE);
        add(*sub, "张二")->GetBirthday().SetBirthday(1990, 12, 10, FALSE, TRUE);
        add(*sub, "李三");
        add(*sub, "张四")->GetBirthday().SetBirthday(1980, 12, 10, FALSE, TRUE);
    }
    std::vector<std::string> Rows(CDlgFindPerson& dlg) {
        std::vector<std::string> rows;
        CListCtrl& list = dlg.GetResultList();
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.push_back(std::string(list.GetItemText(i, 0).GetString()) + "|" +
                           list.GetItemText(i, 1).GetString());
        return rows;
    }
    _CGroup root{"通讯录"};
    _CGroup* sub = nullptr;
};

TEST_F(FindTest, EachTabListsWhatItFinds) {
    CString lastText = "北京";
    CDlgFindPerson dlg(&root, nullptr, &lastText);
    std::vector<std::string> text, initials, birthdays;
    OnDialogs({[&](CDialog&) {
        dlg.FindNext();
        dlg.FindNext(); // moves on by itself
        text = Rows(dlg);
        Shot(dlg, "contacts-find-text");
        dlg.ShowTab(CDlgFindPerson::TAB_FIELDS);
        Shot(dlg, "contacts-find-fields");
        dlg.ClearAll();
        dlg.ShowTab(CDlgFindPerson::TAB_INITIALS);
        dlg.SetDlgItemText(CDlgFindPerson::IDC_INITIALS, "z");
        dlg.FindAll();
        initials = Rows(dlg);
        Shot(dlg, "contacts-find-pinyin");
        dlg.ClearAll();
        dlg.ShowTab(CDlgFindPerson::TAB_BIRTHDAY);
        static_cast<CComboBox*>(dlg.GetDlgItem(CDlgFindPerson::IDC_DATE_MODE))->SetCurSel(0);
        dlg.FindAll();
        birthdays = Rows(dlg);
        Shot(dlg, "contacts-find-birthday");
        dlg.SetDlgItemText(CDlgFindPerson::IDC_TEXT, "新的");
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    CTime::SetNowForTesting(CTime(2024, 12, 10, 12, 0, 0).GetTime());
    dlg.DoModal();
    CTime::ResetNowForTesting();
    EXPECT_EQ((std::vector<std::string>{"张一|附注", "北京同学|姓名"}), text);
    EXPECT_EQ((std::vector<std::string>{"张一|", "张二|", "张四|"}), initials);
    EXPECT_EQ((std::vector<std::string>{"张二|生日", "张四|生日"}), birthdays);
    EXPECT_STREQ("新的", lastText);
    EXPECT_EQ(CDlgFindPerson::TAB_BIRTHDAY, SFindSettings::Get().nTab);
}

TEST_F(FindTest, TicksFollowTheTreeAndSurviveReopening) {
    {
        CDlgFindPerson dlg(&root, nullptr);
        OnDialogs({[&](CDialog&) {
            CFieldTree& tree = dlg.GetFieldTree();
            tree.Tick(tree.GetPersonRoot(), FALSE);
            tree.Tick(tree.GetGroupRoot(), FALSE);
            tree.Tick(tree.FindItem(PFG_HOME), TRUE); // a group ticks all its fields
            tree.Tick(tree.FindItem(PFG_OTHER, 2), TRUE);
            tree.Tick(tree.FindItem(PFG_OTHER, 2), FALSE); // its last field: group unticked
            dlg.SendMessage(WM_COMMAND, IDOK, 0);
        }});
        dlg.DoModal();
    }
    const SFindSettings& settings = SFindSettings::Get();
    EXPECT_EQ(0u, settings.personMasks[0]);
    EXPECT_EQ(GetPersonGroupFullMask(PFG_HOME), settings.personMasks[1]);
    EXPECT_EQ(0u, settings.personMasks[4]);
    EXPECT_EQ(0u, settings.dwGroupMask);

    CDlgFindPerson dlg(&root, nullptr);
    std::vector<std::string> found;
    OnDialogs({[&](CDialog&) {
        CFieldTree& tree = dlg.GetFieldTree();
        CTreeCtrl& ctrl = static_cast<CTreeCtrl&>(*dlg.GetDlgItem(CDlgFindPerson::IDC_FIELD_TREE));
        EXPECT_TRUE(ctrl.GetCheck(tree.FindItem(PFG_HOME)));
        EXPECT_FALSE(ctrl.GetCheck(tree.FindItem(PFG_OTHER)));
        EXPECT_TRUE(ctrl.GetCheck(tree.GetPersonRoot()));
        EXPECT_FALSE(ctrl.GetCheck(tree.GetGroupRoot()));
        dlg.SetDlgItemText(CDlgFindPerson::IDC_TEXT, "北京");
        messages.clear();
        dlg.FindAll(); // no home field holds it
        found = Rows(dlg);
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    dlg.DoModal();
    EXPECT_TRUE(found.empty());
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("没有找到"));
}

TEST_F(FindTest, AutoOpenTellsTheOwnerOfEachHit) {
    MessageRecorder owner(CDlgFindPerson::WM_FOUND_ITEM, CDlgFindPerson::FOUND_ITEM_CODE);
    ASSERT_TRUE(owner.Create());
    SFindSettings::Get().bAutoOpen = TRUE;
    // A link to 张二 in the root: its row carries the link overlay.
    root.AddContent(static_cast<CContent*>(sub->GetContentList().GetHead())->CreateVirtualCopy(),
                    FALSE, nullptr, TRUE, TRUE);
    CDlgFindPerson dlg(&root, &owner);
    dlg.SetItemImages(nullptr, [](CObject* item) { return dynamic_cast<_CGroup*>(item) ? 1 : 7; });
    std::vector<UINT> overlays;
    std::vector<int> images;
    OnDialogs({[&](CDialog&) {
        dlg.ShowTab(CDlgFindPerson::TAB_INITIALS);
        dlg.SetDlgItemText(CDlgFindPerson::IDC_INITIALS, "z");
        dlg.FindNext();
        dlg.FindNext();
        CListCtrl& list = dlg.GetResultList();
        for (int i = 0; i < list.GetItemCount(); ++i) {
            overlays.push_back(list.GetItemState(i, LVIS_OVERLAYMASK));
            LVITEM item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            list.GetItem(&item);
            images.push_back(item.iImage);
        }
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    dlg.DoModal();
    EXPECT_EQ((std::vector<UINT>{0, INDEXTOOVERLAYMASK(CDlgFindPerson::kLinkOverlay)}), overlays);
    EXPECT_EQ((std::vector<int>{7, 7}), images);
    ASSERT_EQ(2u, owner.received.size());
    auto nameOf = [&](int i) {
        return static_cast<_CPerson*>(reinterpret_cast<SFindResult*>(owner.received[i])->pItem)
            ->GetName();
    };
    EXPECT_STREQ("张一", nameOf(0));
    EXPECT_STREQ("张二", nameOf(1)) << "the link, by its name";
    owner.DestroyWindow();
}

// The options away from their defaults: without "ignore year" a range holds only the birthdays of
// its own years; with "match case" a text differing in case is no hit.
TEST_F(FindTest, TheYearAndCaseOptionsNarrowTheSearchWhenSet) {
    auto* wang = new _CPerson("王五");
    AddFieldText(*wang, PF_NOTE, "Beijing Road");
    root.AddContent(wang, FALSE, nullptr, TRUE, TRUE);
    struct BirthdayCase {
        BOOL ignoreYear;
        CTime from, to;
        std::vector<std::string> rows;
    };
    const std::vector<BirthdayCase> birthdayCases = {
        {TRUE,
         CTime(2024, 12, 1, 0, 0, 0),
         CTime(2024, 12, 31, 0, 0, 0),
         {"张二|生日", "张四|生日"}},
        {FALSE, CTime(1990, 12, 1, 0, 0, 0), CTime(1990, 12, 31, 0, 0, 0), {"张二|生日"}},
        {FALSE, CTime(1980, 12, 1, 0, 0, 0), CTime(1980, 12, 31, 0, 0, 0), {"张四|生日"}},
        {FALSE, CTime(2024, 12, 1, 0, 0, 0), CTime(2024, 12, 31, 0, 0, 0), {}},
    };
    struct TextCase {
        const char* text;
        BOOL matchCase;
        std::vector<std::string> rows;
    };
    const std::vector<TextCase> textCases = {
        {"beijing", FALSE, {"王五|附注"}},
        {"beijing", TRUE, {}},
        {"Beijing", TRUE, {"王五|附注"}},
    };
    std::vector<std::vector<std::string>> birthdays, texts;
    std::vector<size_t> birthdayMessages, textMessages;
    CDlgFindPerson dlg(&root, nullptr);
    OnDialogs({[&](CDialog&) {
        dlg.ShowTab(CDlgFindPerson::TAB_BIRTHDAY);
        static_cast<CComboBox*>(dlg.GetDlgItem(CDlgFindPerson::IDC_DATE_MODE))->SetCurSel(1);
        for (const BirthdayCase& c : birthdayCases) {
            dlg.ClearAll();
            messages.clear();
            dlg.CheckDlgButton(CDlgFindPerson::IDC_IGNORE_YEAR, c.ignoreYear);
            dynamic_cast<CDateTimeCtrl&>(*dlg.GetDlgItem(CDlgFindPerson::IDC_FROM))
                .SetTime(&c.from);
            dynamic_cast<CDateTimeCtrl&>(*dlg.GetDlgItem(CDlgFindPerson::IDC_TO)).SetTime(&c.to);
            dlg.FindAll();
            birthdays.push_back(Rows(dlg));
            birthdayMessages.push_back(messages.size());
        }
        dlg.ClearAll();
        dlg.ShowTab(CDlgFindPerson::TAB_TEXT);
        for (const TextCase& c : textCases) {
            dlg.ClearAll();
            messages.clear();
            dlg.SetDlgItemText(CDlgFindPerson::IDC_TEXT, c.text);
            dlg.CheckDlgButton(CDlgFindPerson::IDC_MATCH_CASE, c.matchCase);
            dlg.FindAll();
            texts.push_back(Rows(dlg));
            textMessages.push_back(messages.size());
        }
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    dlg.DoModal();
    ASSERT_EQ(birthdayCases.size(), birthdays.size());
    for (size_t i = 0; i < birthdayCases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(birthdayCases[i].rows, birthdays[i]);
        EXPECT_EQ(birthdayCases[i].rows.empty() ? 1u : 0u, birthdayMessages[i]) << "没有找到";
    }
    ASSERT_EQ(textCases.size(), texts.size());
    for (size_t i = 0; i < textCases.size(); ++i) {
        SCOPED_TRACE(textCases[i].text);
        EXPECT_EQ(textCases[i].rows, texts[i]);
        EXPECT_EQ(textCases[i].rows.empty() ? 1u : 0u, textMessages[i]) << "没有找到";
    }
}

// ---- Modify contacts ----------------------------------------------------------------------------

TEST_F(ContactDialogsTest, ModifyDialogCollectsFieldsAndScheme) {
    CDlgModifyPerson dlg;
    dlg.SetScheme(3);
    dlg.m_masks[0] = 1 | 128; // name and mobile
    BOOL deleteShown = FALSE;
    OnDialogs({[&](CDialog&) {
        deleteShown = dlg.IsDlgButtonChecked(1215);
        Shot(dlg, "contacts-modify-fields");
        CFieldTree& tree = dlg.GetFieldTree();
        tree.Tick(tree.GetPersonRoot(), TRUE);
        dlg.CheckRadioButton(1213, 1215, 1214);
        dlg.SendMessage(WM_COMMAND, IDOK, 0);
    }});
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(deleteShown);
    EXPECT_EQ(2, dlg.GetScheme());
    EXPECT_EQ(GetPersonGroupFullMask(PFG_BASIC) & ~1u, dlg.m_masks[0]) << "the name is ignored";
    for (int k = 1; k < 5; ++k)
        EXPECT_EQ(GetPersonGroupFullMask(kPersonGroupOrder[k]), dlg.m_masks[k]) << k;

    // Only the name chosen, and ignored: nothing is left to change.
    CDlgModifyPerson nameOnly;
    nameOnly.m_masks[0] = 1;
    OnDialogs({[&](CDialog& d) { d.SendMessage(WM_COMMAND, IDOK, 0); }});
    ASSERT_EQ(IDOK, nameOnly.DoModal());
    for (DWORD m : nameOnly.m_masks)
        EXPECT_EQ(0u, m);
}

} // namespace

// ---- Contact cards ------------------------------------------------------------------------------

namespace {

class CardFilesTest : public ContactDialogsTest {};

TEST_F(CardFilesTest, SavesUnderTheProposedNameAndImportsManyCards) {
    _CPerson person("张?三");
    CString proposed;
    const CString path = PathOf("card.psn");
    OnDialogs({[&](CDialog& dlg) {
        auto& file = dynamic_cast<CFileDialog&>(dlg);
        proposed = file.m_ofn.lpstrFile;
        file.Answer(path);
    }});
    ASSERT_TRUE(SavePersonAs(&person));
    EXPECT_STREQ("张三", proposed) << "the proposal leaves out what a file name cannot hold";

    // Enough cards that their names overflow the first buffer of 520 characters.
    CStringArray chosen;
    for (int i = 0; i < 20; ++i) {
        CString name;
        name.Format("card-with-a-rather-long-file-name-%02d.psn", i);
        chosen.Add(PathOf(name));
        _CPerson p(CString("联系人") + name.Left(2));
        ASSERT_TRUE(SavePersonAs(&p, PathOf(name)));
    }
    std::vector<DWORD> sizes;
    OnDialogs({[&](CDialog& dlg) {
                   auto& file = dynamic_cast<CFileDialog&>(dlg);
                   sizes.push_back(file.m_ofn.nMaxFile);
                   file.Answer(chosen);
               },
               [&](CDialog& dlg) {
                   auto& file = dynamic_cast<CFileDialog&>(dlg);
                   sizes.push_back(file.m_ofn.nMaxFile);
                   file.Answer(chosen);
               }});
    messages.clear();
    _CGroup group("");
    EXPECT_EQ(20, ImportPersonFiles(&group));
    EXPECT_EQ((std::vector<DWORD>{520, 1040}), sizes);
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("缓存不够"));
    EXPECT_EQ(20, group.GetContentCount(FALSE, TRUE));
}

} // namespace
