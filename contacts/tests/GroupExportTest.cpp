#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/GroupExport.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"

namespace {

using contacts_test::AddFieldText;
using contacts_test::ContactsTest;
using contacts_test::FillEveryKind;

typedef std::vector<std::vector<std::string>> Rows; // UTF-8

// Runs a peer that prints each record as hexadecimal UTF-8 fields joined by ","; answers the
// records, and the exit status in *pStatus.
Rows ReadWithPeer(const std::string& command, int* pStatus) {
    Rows rows;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        *pStatus = -1;
        return rows;
    }
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    *pStatus = pclose(pipe);
    // A peer that failed (not installed, say) printed its error, not hexadecimal rows: hand the
    // text back whole so that the status check shows it.
    if (*pStatus != 0) {
        rows.push_back({out});
        return rows;
    }
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(start, end - start);
        start = end + 1;
        std::vector<std::string> fields;
        size_t f = 0;
        for (;;) {
            size_t comma = line.find(',', f);
            std::string hex = line.substr(f, comma == std::string::npos ? std::string::npos
                                                                         : comma - f);
            std::string value;
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                value += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
            fields.push_back(value);
            if (comma == std::string::npos)
                break;
            f = comma + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

class GroupExportTest : public ContactsTest {
protected:
    // Contacts with a value of every field kind and the characters CSV must protect.
    void Fill(_CGroup& root) {
        auto* full = new _CPerson("张三");
        FillEveryKind(*full);
        root.AddContent(full, FALSE, nullptr, TRUE, TRUE);
        _CPerson* tricky = AddPerson(root, "李\"四\",小李");
        AddFieldText(*tricky, PF_NOTE, "第一行\r\n第二行, 还有\"引号\"");
        AddFieldText(*tricky, PF_PHONE, "010-1,2");
        AddFieldText(*tricky, PF_PHONE, "020\"3\"");
        AddFieldText(*tricky, PF_HOME_ADDRESS, "  前后空格  ");
        // Carriage returns that end no line: alone, doubled before a line end, last.
        AddFieldText(*tricky, PF_TITLE, "甲\r乙\r\r\n丙\r");
        auto* sub = new _CGroup("子组");
        root.AddSubgroup(sub, FALSE, nullptr, TRUE, TRUE);
        AddFieldText(*AddPerson(*sub, "王五"), PF_COMPANY, "甲,乙");
        CContent* link = static_cast<CContent*>(sub->GetContentList().GetHead())->CreateVirtualCopy();
        root.AddContent(link, FALSE, nullptr, TRUE, TRUE);
    }

    // What the file must read back to: the header of names, then each exported contact's values
    // (line breaks in values are CR LF in the file).
    static Rows Expected(_CGroup& root, const CArray<int, int>& fields, DWORD flags) {
        Rows rows(1);
        for (int k = 0; k < fields.GetSize(); ++k) {
            CString name;
            GetPersonFieldName(fields[k], name);
            rows[0].push_back(GbkToUtf8(name.GetString()));
        }
        std::vector<_CGroup*> order;
        for (POSITION pos = root.GetFirstSubgroupPosition(); pos != nullptr;)
            order.push_back(root.GetNextGroup(pos));
        order.push_back(&root);
        for (_CGroup* g : order)
            for (POSITION pos = g->GetFirstPersonPosition(); pos != nullptr;) {
                _CPerson* p = g->GetNextPerson(pos);
                _CPerson* source = p;
                if (p->IsVirtual()) {
                    if (!(flags & _CGroup::EXPORT_LINKS))
                        continue;
                    source = static_cast<_CPerson*>(p->GetVirtualSource());
                }
                std::vector<std::string> row;
                for (int k = 0; k < fields.GetSize(); ++k) {
                    CString value;
                    if (fields[k] == PF_NAME) {
                        value = p->GetName();
                        if (p->IsVirtual())
                            value += "(虚拟联系人)";
                    } else {
                        source->GetFieldText(value, fields[k], FALSE, nullptr, "\n", "-",
                                             (flags & _CGroup::EXPORT_CURRENT_ONLY) != 0);
                    }
                    value.Replace("\r\n", "\n");
                    value.Replace("\n", "\r\n");
                    row.push_back(GbkToUtf8(value.GetString()));
                }
                rows.push_back(row);
            }
        return rows;
    }
};

TEST_F(GroupExportTest, CsvReadsBackThroughPythonAndStrictCsvParse) {
    _CGroup root("通讯录");
    Fill(root);
    CArray<int, int> all;
    GetAllPersonFields(all);
    const DWORD flagSets[] = {_CGroup::EXPORT_SUBGROUPS | _CGroup::EXPORT_LINKS,
                              _CGroup::EXPORT_SUBGROUPS | _CGroup::EXPORT_CURRENT_ONLY};
    for (DWORD flags : flagSets) {
        SCOPED_TRACE(flags);
        const CString path = PathOf("group.csv");
        ASSERT_EQ(GROUP_EXPORT_OK,
                  ExportGroupToPath(root, path, all, _CGroup::EXPORT_CSV, flags));
        const Rows want = Expected(root, all, flags);
        ASSERT_EQ(47u, want[0].size());
        EXPECT_EQ(GbkToUtf8("姓名"), want[0].front());
        EXPECT_EQ(GbkToUtf8("头像"), want[0].back());

        int status = 0;
        const Rows python = ReadWithPeer(std::string("/usr/bin/python3 ") + CONTACTS_TESTS_DIR +
                                             "/support/read_csv.py '" + path.GetString() + "'",
                                         &status);
        EXPECT_EQ(0, status);
        EXPECT_EQ(want, python);
        const Rows strict = ReadWithPeer(std::string("NODE_PATH=") + CONTACTS_TESTS_DIR +
                                             "/../../tools/csv-peer/node_modules /usr/bin/node " +
                                             CONTACTS_TESTS_DIR + "/support/read_csv.js '" +
                                             path.GetString() + "' 2>&1",
                                         &status);
        EXPECT_EQ(0, status) << (strict.empty() || strict[0].empty() ? "" : strict[0][0]);
        EXPECT_EQ(want, strict);

        // Python's writer, given the records it read, writes the very bytes we wrote.
        const CString again = PathOf("python.csv");
        EXPECT_EQ(0, system((std::string("/usr/bin/python3 ") + CONTACTS_TESTS_DIR +
                             "/support/rewrite_csv.py '" + path.GetString() + "' '" +
                             again.GetString() + "'")
                                .c_str()));
        EXPECT_EQ(ReadBytes(path), ReadBytes(again));
    }
}

TEST_F(GroupExportTest, CardHeaderCountsSubGroupsOnlyWhenTheyAreExported) {
    _CGroup root("同学");
    Fill(root);
    auto* locked = new _CGroup("私密");
    root.AddSubgroup(locked, FALSE, nullptr, TRUE, TRUE);
    AddPerson(*locked, "秘密");
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    CArray<int, int> fields;
    fields.Add(PF_NAME);
    const std::string stars(47, '*');
    for (DWORD flags : {0u, (unsigned)_CGroup::EXPORT_SUBGROUPS}) {
        const CString path = PathOf("card.txt");
        ASSERT_EQ(GROUP_EXPORT_OK,
                  ExportGroupToPath(root, path, fields, _CGroup::EXPORT_CARD_TEXT, flags));
        const std::string text = ReadBytes(path);
        const std::string head = stars + "\r\n卡片式联系人记录文件\r\n组名:\t同学\r\n总人数:\t" +
                                 (flags ? "4" : "3") + "人\r\n制作者:\t墨川(Quillmar)，超越无限,完美体验！\r\n时间:\t" +
                                 CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M:%S").GetString() +
                                 "\r\n" + stars + "\r\n\r\n";
        EXPECT_EQ(head, text.substr(0, head.size())) << flags;
        EXPECT_EQ(flags != 0, text.find("王五") != std::string::npos);
        EXPECT_EQ(std::string::npos, text.find("秘密"));
    }
}

TEST_F(GroupExportTest, WriteFailureRemovesThePartialFile) {
    _CGroup root("大组");
    for (int i = 0; i < 2000; ++i) {
        CString name;
        name.Format("联系人%04d", i);
        AddFieldText(*AddPerson(root, name), PF_NOTE, CString('x', 200));
    }
    CArray<int, int> all;
    GetAllPersonFields(all);
    const CString path = PathOf("full.csv");

    // The disk is "full" after 64 KB.
    const GroupExportResult result = contacts_test::WithFileSizeLimit(64 * 1024, [&] {
        return ExportGroupToPath(root, path, all, _CGroup::EXPORT_CSV, 0);
    });
    EXPECT_EQ(GROUP_EXPORT_WRITE_FAILED, result);
    CFileStatus st;
    EXPECT_FALSE(CFile::GetStatus(path, st)) << "no cut-off file is left";
}

TEST_F(GroupExportTest, FileThatCannotBeMadeIsReportedAndNothingIsLeft) {
    _CGroup root("组");
    AddPerson(root, "张三");
    CArray<int, int> all;
    GetAllPersonFields(all);
    const CString path = PathOf("missing-folder/out.csv");
    EXPECT_EQ(GROUP_EXPORT_CANNOT_CREATE,
              ExportGroupToPath(root, path, all, _CGroup::EXPORT_CSV, 0));
}

} // namespace
