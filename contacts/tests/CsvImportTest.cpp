#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contacts/ContactGroup.h"
#include "contacts/CsvColumnMap.h"
#include "contacts/CsvSource.h"
#include "contacts/tests/ContactsTestSupport.h"
#include "platform/base/Gbk.h"

namespace {

using contacts_test::AddFieldText;
using contacts_test::ContactsTest;

std::string Utf8(const char* gbk) {
    return GbkToUtf8(gbk);
}

std::string Utf16Le(const char* gbk) {
    std::string out = "\xFF\xFE";
    for (char16_t u : GbkToUtf16(gbk)) {
        out += (char)(u & 0xFF);
        out += (char)(u >> 8);
    }
    return out;
}

std::string Utf16Be(const char* gbk) {
    std::string out = "\xFE\xFF";
    for (char16_t u : GbkToUtf16(gbk)) {
        out += (char)(u >> 8);
        out += (char)(u & 0xFF);
    }
    return out;
}

// Every field of every contact, in list order, as one text.
std::string Describe(_CGroup& group) {
    std::string out;
    for (POSITION pos = group.GetFirstPersonPosition(); pos != nullptr;) {
        CString text;
        group.GetNextPerson(pos)->GetAllFieldsText(text);
        out += std::string(text.GetString()) + "\n--\n";
    }
    return out;
}

// A column map that lives as long as the statement using it.
struct Map : CArray<int, int> {
    Map(std::initializer_list<int> fields) {
        for (int f : fields)
            Add(f);
    }
};

// A literal's bytes, NUL bytes included.
template <size_t N> std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

class CsvImportTest : public ContactsTest {};

TEST_F(CsvImportTest, SameContactsFromEveryEncoding) {
    const char* text = "姓名,手机,家庭地址,附注\r\n"
                       "张三,13800138000,\"北京市海淀区\r\n中关村\",\"他说\"\"你好\"\"\"\n"
                       "李四,13900139000,上海,\n"
                       "王五,,\"广州,天河\",English only\r\n";
    const Map map({PF_NAME, PF_MOBILE, PF_HOME_ADDRESS, PF_NOTE});
    struct Case {
        const char* name;
        std::string bytes;
        CCsvSource::Encoding encoding;
    } cases[] = {
        {"gbk", text, CCsvSource::ENC_GBK},
        {"utf8", Utf8(text), CCsvSource::ENC_UTF8},
        {"utf8-bom", "\xEF\xBB\xBF" + Utf8(text), CCsvSource::ENC_UTF8_BOM},
        {"utf16le", Utf16Le(text), CCsvSource::ENC_UTF16LE},
        {"utf16be", Utf16Be(text), CCsvSource::ENC_UTF16BE},
    };
    std::string first;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CString path = PathOf("in.csv");
        WriteBytes(path, c.bytes);
        CCsvSource source;
        ASSERT_EQ(CCsvSource::CSV_OK, source.Load(path));
        EXPECT_EQ(c.encoding, source.GetEncoding());

        // The header reads as GBK, so its titles find their fields.
        CStringList titles;
        ASSERT_EQ(CCsvSource::CSV_OK, ReadCsvHeader(path, titles));
        ASSERT_EQ(4, titles.GetCount());
        EXPECT_EQ(PF_NAME, FindPersonFieldByName(titles.GetHead()));

        _CGroup group("");
        SCsvImportReport report;
        EXPECT_EQ(3, group.ImportCsv(path, map, 0, -1, &report));
        EXPECT_EQ(0, report.nLossyValues);
        const std::string described = Describe(group);
        if (first.empty())
            first = described;
        EXPECT_EQ(first, described);
    }
    EXPECT_NE(std::string::npos, first.find("北京市海淀区\r\n中关村"));
    EXPECT_NE(std::string::npos, first.find("他说\"你好\""));
    EXPECT_NE(std::string::npos, first.find("广州,天河"));
}

TEST_F(CsvImportTest, CharactersGbkLacksBecomeQuestionMarksAndAreCounted) {
    // Hangul and a character beyond the basic plane have no GBK form; a "?" of the file's own
    // does not count as lost.
    const std::string bytes = Utf8("姓名,附注\n") + "\xED\x95\x9C" + Utf8("明,好?\n") +
                              Utf8("李四,笑") + "\xF0\x9F\x98\x80" + "\n";
    const CString path = PathOf("lossy.csv");
    WriteBytes(path, bytes);
    _CGroup group("");
    SCsvImportReport report;
    EXPECT_EQ(2, group.ImportCsv(path, Map({PF_NAME, PF_NOTE}), 0, -1, &report));
    EXPECT_EQ(2, report.nLossyValues);
    EXPECT_NE(nullptr, group.FindByName("?明", FALSE, FALSE, FALSE));
    auto* li = dynamic_cast<_CPerson*>(group.FindByName("李四", FALSE, FALSE, FALSE));
    ASSERT_NE(nullptr, li);
    CString note;
    li->GetFieldText(note, PF_NOTE);
    EXPECT_STREQ("笑?", note);
}

TEST_F(CsvImportTest, FilesThatAreNotCsvImportNothingWithAReason) {
    struct Case {
        const char* name;
        std::string bytes; // empty name of file: the file is missing
        int status;
    } cases[] = {
        {"sheet.xls", Bytes("\xD0\xCF\x11\xE0\0\0\0\0姓名,手机\r\n张三,1\r\n"),
         CCsvSource::CSV_NOT_TEXT},
        {"nul.csv", Bytes("姓名,手机\r\n张三\0,1\r\n"), CCsvSource::CSV_NOT_TEXT},
        {"empty.csv", "", CCsvSource::CSV_NO_HEADER},
        {"blank.csv", "\r\n\r\n  \n", CCsvSource::CSV_NO_HEADER},
        {"missing.csv", "-", CCsvSource::CSV_CANNOT_OPEN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CString path = PathOf(c.name);
        if (c.bytes != "-")
            WriteBytes(path, c.bytes);
        _CGroup group("");
        SCsvImportReport report;
        EXPECT_EQ(-1, group.ImportCsv(path, Map({PF_NAME, PF_MOBILE}), 0, -1, &report));
        EXPECT_EQ(c.status, report.nStatus);
        EXPECT_FALSE(report.strMessage.IsEmpty());
        EXPECT_TRUE(group.IsEmptyGroup());
    }
}

// A quote that is never closed would take every line after it into one value, so the rest of
// the file would silently vanish: such a file imports nothing, the book stays as it was, and the
// message names the line where the record began, whether the file ends inside the value or the
// value runs past what a value may hold.
TEST_F(CsvImportTest, AQuoteLeftOpenToTheEndImportsNothingAndNamesItsLine) {
    struct Case {
        const char* label;
        std::string bytes;
        int line;
    } cases[] = {
        {"in a record", Bytes("姓名,附注\r\n张三,\"第一行\r\n第二行\"\r\n李四,\"没有结束\r\n王五,1\r\n"),
         4},
        {"in the header", Bytes("\r\n姓名,\"附注\r\n张三,1\r\n"), 2},
        {"on the last line", Bytes("姓名,附注\n张三,1\n李四,\"1"), 3},
        {"past its bound", [] {
             std::string s = "姓名,附注\r\n张三,\"没有结束\r\n";
             for (int i = 0; i < 2 * CCsvFile::kMaxQuotedLines; ++i)
                 s += "李四,1\r\n";
             return s;
         }(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const CString path = PathOf("open.csv");
        WriteBytes(path, c.bytes);
        for (DWORD flags : {0u, (DWORD)(_CGroup::IMPORT_SORTED | _CGroup::IMPORT_MERGE)}) {
            _CGroup group("");
            _CPerson* kept = AddPerson(group, "张三");
            AddFieldText(*kept, PF_NOTE, "原来的");
            SCsvImportReport report;
            EXPECT_EQ(-1, group.ImportCsv(path, Map({PF_NAME, PF_NOTE}), flags, -1, &report));
            EXPECT_EQ(CCsvSource::CSV_UNCLOSED_QUOTE, report.nStatus);
            CString line;
            line.Format("第%d行", c.line);
            EXPECT_GE(report.strMessage.Find(line), 0) << report.strMessage.GetString();
            EXPECT_GE(report.strMessage.Find("损坏"), 0);
            EXPECT_EQ(1, group.GetContentCount(TRUE, TRUE));
            CString note;
            kept->GetFieldText(note, PF_NOTE);
            EXPECT_STREQ("原来的", note);
        }
    }
}

TEST_F(CsvImportTest, ReaderKeepsItsOwnDeparturesFromTheStandard) {
    // The rows Python's csv would read otherwise: no empty last field after a trailing comma,
    // bytes after a closing quote skipped, a quote inside an unquoted field kept, blank lines
    // skipped; LF and CR LF both end a line.
    const CString path = PathOf("odd.csv");
    WriteBytes(path, "a,b,c\r\n"
                     "x1,y1,\n"
                     "\r\n"
                     "\"x2\"tail,y\"2,\"z\"\"2\"\r\n"
                     "x3,,z3");
    CCsvSource source;
    ASSERT_EQ(CCsvSource::CSV_OK, source.Load(path));
    std::vector<std::vector<std::string>> rows;
    CStringList record;
    while (source.ReadRecord(record) >= 0) {
        rows.emplace_back();
        for (POSITION pos = record.GetHeadPosition(); pos != nullptr;)
            rows.back().push_back(record.GetNext(pos).GetString());
    }
    const std::vector<std::vector<std::string>> want = {
        {"a", "b", "c"}, {"x1", "y1"}, {"x2", "y\"2", "z\"2"}, {"x3", "", "z3"}};
    EXPECT_EQ(want, rows);
}

TEST_F(CsvImportTest, SortedImportPlacesContactsAsOneByOneInsertionWould) {
    const char* names[] = {"王五", "张三", "李四", "阿Q", "张三", "赵六", "bob", "Alice", "钱七"};
    std::string csv = "姓名,附注\r\n";
    for (size_t i = 0; i < std::size(names); ++i)
        csv += std::string(names[i]) + ",n" + std::to_string(i) + "\r\n";
    const CString path = PathOf("sorted.csv");
    WriteBytes(path, csv);

    // Existing contacts, deliberately not in order.
    auto fill = [](_CGroup& g) {
        AddPerson(g, "孙八");
        AddPerson(g, "李四");
        AddPerson(g, "陈九");
    };
    _CGroup imported(""), expected("");
    fill(imported);
    fill(expected);
    EXPECT_EQ(9, imported.ImportCsv(path, Map({PF_NAME, PF_NOTE}), _CGroup::IMPORT_SORTED, -1));
    for (size_t i = 0; i < std::size(names); ++i) {
        auto* p = new _CPerson(names[i]);
        CString note;
        note.Format("n%d", (int)i);
        p->SetFieldText(PF_NOTE, note, FALSE, 0, "\r\n", "-");
        expected.AddContent(p, TRUE, nullptr, TRUE, TRUE);
    }
    EXPECT_EQ(Describe(expected), Describe(imported));
}

TEST_F(CsvImportTest, MergeFindsContactsAnywhereBelowAndOnlyOnce) {
    const CString path = PathOf("merge.csv");
    WriteBytes(path, "姓名,手机\r\n"
                     "张三,13800138000\r\n"
                     "新人,13700137000\r\n"
                     "新人,13600136000\r\n"
                     "张三,13800138000\r\n");
    _CGroup root("");
    auto* sub = new _CGroup("同事");
    root.AddSubgroup(sub, FALSE, nullptr, TRUE, TRUE);
    AddPerson(*sub, "张三");
    EXPECT_EQ(4, root.ImportCsv(path, Map({PF_NAME, PF_MOBILE}),
                                _CGroup::IMPORT_MERGE | _CGroup::IMPORT_SORTED, -1));
    EXPECT_EQ(1, root.GetContentCount(FALSE, TRUE)) << "only one new contact";
    EXPECT_EQ(1, sub->GetContentCount(FALSE, TRUE));
    CString mobiles;
    static_cast<_CPerson*>(root.FindByName("新人", FALSE, FALSE, FALSE))
        ->GetFieldText(mobiles, PF_MOBILE);
    EXPECT_STREQ("13700137000\n13600136000", mobiles);
    static_cast<_CPerson*>(sub->FindByName("张三", FALSE, FALSE, FALSE))
        ->GetFieldText(mobiles, PF_MOBILE);
    EXPECT_STREQ("13800138000", mobiles) << "a number already there is not added twice";
}

TEST_F(CsvImportTest, FilesLongerThanOnePieceReadTheSameWhereverThePiecesCut) {
    // Rows of uneven lengths, so that the reader's pieces cut characters, surrogate pairs,
    // line ends and quoted fields at every kind of place.
    std::string text = "姓名,附注\r\n";
    const int rows = 4 * (int)CCsvSource::kPieceSize / 40;
    for (int i = 0; i < rows; ++i)
        text += "张" + std::string(i % 7, 'x') + std::to_string(i) + ",\"第" + std::to_string(i) +
                "行\r\n续\"\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        CCsvSource::Encoding encoding;
    } cases[] = {
        {"gbk", text, CCsvSource::ENC_GBK},
        {"utf8", Utf8(text.c_str()), CCsvSource::ENC_UTF8},
        {"utf16le", Utf16Le(text.c_str()), CCsvSource::ENC_UTF16LE},
        {"utf16be", Utf16Be(text.c_str()), CCsvSource::ENC_UTF16BE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.bytes.size(), 2 * CCsvSource::kPieceSize);
        const CString path = PathOf("long.csv");
        WriteBytes(path, c.bytes);
        CCsvSource source;
        ASSERT_EQ(CCsvSource::CSV_OK, source.Load(path));
        EXPECT_EQ(c.encoding, source.GetEncoding());
        CStringList record;
        ASSERT_EQ(2, source.ReadRecord(record));
        int n = 0;
        for (; source.ReadRecord(record) >= 0 && n < rows; ++n) {
            ASSERT_EQ(2, record.GetCount()) << n;
            CString want;
            want.Format("张%s%d", std::string(n % 7, 'x').c_str(), n);
            EXPECT_STREQ(want, record.GetHead()) << n;
            want.Format("第%d行\r\n续", n);
            EXPECT_STREQ(want, record.GetTail()) << n;
        }
        EXPECT_EQ(rows, n);
        EXPECT_EQ(0, source.GetLossyValueCount());
    }
    // A byte that is no UTF-8 only in the last piece still makes the file GBK.
    {
        const CString path = PathOf("late.csv");
        WriteBytes(path, Utf8(text.c_str()) + "\xD5\xC5,\r\n");
        CCsvSource source;
        ASSERT_EQ(CCsvSource::CSV_OK, source.Load(path));
        EXPECT_EQ(CCsvSource::ENC_GBK, source.GetEncoding());
    }

    // A surrogate pair (a character GBK lacks) split by the piece boundary is one lost value.
    std::string wide = "\xFF\xFE";
    for (size_t i = 2; i < CCsvSource::kPieceSize - 2; i += 2)
        wide += std::string("a\0", 2);
    wide += std::string("\x3D\xD8\x00\xDE\n\0", 6); // U+1F600, then a line end
    const CString path = PathOf("pair.csv");
    WriteBytes(path, wide);
    CCsvSource source;
    ASSERT_EQ(CCsvSource::CSV_OK, source.Load(path));
    CStringList record;
    ASSERT_EQ(1, source.ReadRecord(record));
    EXPECT_EQ(std::string(CCsvSource::kPieceSize / 2 - 2, 'a') + "?",
              std::string(record.GetHead().GetString()));
    EXPECT_EQ(1, source.GetLossyValueCount());
}

TEST_F(CsvImportTest, MemoryRunningOutLeavesTheBookAsItWas) {
    const CString path = PathOf("big.csv");
    WriteBytes(path, "姓名,手机,组\r\n"
                     "张三,13800138000,同事\r\n"
                     "新人,13700137000,朋友/大学\r\n"
                     "李四,13600136000,\r\n");
    _CGroup root("");
    auto* sub = new _CGroup("同事");
    root.AddSubgroup(sub, FALSE, nullptr, TRUE, TRUE);
    AddPerson(*sub, "张三")->SetFieldText(PF_MOBILE, "13900139000", FALSE, 0, "\r\n", "-");
    AddPerson(root, "王五");
    const std::string before = Describe(root) + Describe(*sub);
    const CTime modified =
        static_cast<_CPerson*>(sub->FindByName("张三", FALSE, FALSE, FALSE))->GetModifiedTime();
    for (int failAfter : {0, 1, 2}) {
        SCOPED_TRACE(failAfter);
        const int old = SetCsvImportFailureForTesting(failAfter);
        SCsvImportReport report;
        EXPECT_EQ(-1, root.ImportCsv(path, Map({PF_NAME, PF_MOBILE, -1}), _CGroup::IMPORT_MERGE, 2,
                                     &report));
        SetCsvImportFailureForTesting(old);
        EXPECT_EQ(CCsvSource::CSV_NO_MEMORY, report.nStatus);
        EXPECT_NE(-1, report.strMessage.Find("内存不足"));
        EXPECT_EQ(before, Describe(root) + Describe(*sub));
        EXPECT_EQ(1, root.GetSubgroupCount()) << "no group made";
        EXPECT_EQ(modified, static_cast<_CPerson*>(sub->FindByName("张三", FALSE, FALSE, FALSE))
                                ->GetModifiedTime());
    }
    // Without the failure the same import goes through.
    EXPECT_EQ(3, root.ImportCsv(path, Map({PF_NAME, PF_MOBILE, -1}), _CGroup::IMPORT_MERGE, 2));
    EXPECT_EQ(2, root.GetSubgroupCount());
}

// Counts the reports of the reading and stops it at a chosen one.
struct StopAt : CICsvProgress {
    explicit StopAt(int n) : stopAt(n) {}
    BOOL OnCsvProgress(ULONGLONG nDone, ULONGLONG nTotal) override {
        EXPECT_LE(nDone, nTotal);
        last = nDone;
        total = nTotal;
        return ++calls != stopAt;
    }
    int stopAt;
    int calls = 0;
    ULONGLONG last = 0, total = 0;
};

// A file over the bound is refused before a byte of it is read (a sparse file stands for one of
// a gigabyte), by the dialog's look at the header as by the import, and the message names the
// bound.
TEST_F(CsvImportTest, AFileOverTheBoundIsRefusedUnread) {
    const CString path = PathOf("huge.csv");
    WriteBytes(path, "姓名,手机\r\n张三,1\r\n");
    std::filesystem::resize_file(path.GetString(), 1ull << 30);
    _CGroup group("");
    StopAt progress(-1);
    SCsvImportReport report;
    EXPECT_EQ(-1, group.ImportCsv(path, Map({PF_NAME, PF_MOBILE}), 0, -1, &report, &progress));
    EXPECT_EQ(CCsvSource::CSV_TOO_LARGE, report.nStatus);
    EXPECT_GE(report.strMessage.Find("64 MB"), 0) << report.strMessage.GetString();
    EXPECT_EQ(0, progress.calls);
    EXPECT_TRUE(group.IsEmptyGroup());
    CStringList titles;
    EXPECT_EQ(CCsvSource::CSV_TOO_LARGE, ReadCsvHeader(path, titles));

    // At the bound itself the file is read.
    std::filesystem::resize_file(path.GetString(), CCsvSource::kMaxFileSize);
    EXPECT_NE(CCsvSource::CSV_TOO_LARGE, ReadCsvHeader(path, titles));
}

// The reading is reported piece by piece over both readings of the file; stopping it anywhere,
// in the first reading or among the records, leaves the book as it was.
TEST_F(CsvImportTest, StoppingTheReadingLeavesTheBookAsItWas) {
    std::string bytes = "姓名,手机\r\n张三,13800138000\r\n";
    for (int i = 0; i < 20000; ++i)
        bytes += "新人" + std::to_string(i) + ",13700137000\r\n";
    const CString path = PathOf("many.csv");
    WriteBytes(path, bytes);
    _CGroup root("");
    AddPerson(root, "张三")->SetFieldText(PF_MOBILE, "13900139000", FALSE, 0, "\r\n", "-");
    const std::string before = Describe(root);

    _CGroup probe("");
    StopAt all(-1);
    EXPECT_EQ(20001, probe.ImportCsv(path, Map({PF_NAME, PF_MOBILE}), 0, -1, nullptr, &all));
    EXPECT_EQ(2 * bytes.size(), all.total);
    EXPECT_EQ(all.total, all.last);
    ASSERT_GT(all.calls, 4) << "a report per piece read";

    for (int stop : {1, all.calls / 2 + 1, all.calls}) {
        SCOPED_TRACE(stop);
        StopAt progress(stop);
        SCsvImportReport report;
        EXPECT_EQ(-1, root.ImportCsv(path, Map({PF_NAME, PF_MOBILE}),
                                     _CGroup::IMPORT_MERGE | _CGroup::IMPORT_SORTED, -1, &report,
                                     &progress));
        EXPECT_EQ(CCsvSource::CSV_CANCELLED, report.nStatus);
        EXPECT_EQ(stop, progress.calls) << "no reading after the stop";
        EXPECT_EQ(before, Describe(root));
    }
}

TEST_F(CsvImportTest, ColumnMapsReadBackTitlesWithCommasAndQuotes) {
    const std::vector<SColumnMapEntry> entries = {
        {"姓名", PF_NAME, TRUE},
        {"电话,手机", PF_MOBILE, FALSE},
        {"他的\"主页\"", PF_HOMEPAGE, TRUE},
        {"备用", -1, TRUE},
    };
    const CString path = PathOf("cols.map");
    ASSERT_TRUE(WriteColumnMap(path, entries));
    EXPECT_EQ("姓名,姓名,\r\n\"电话,手机\",手机,UNCHECKED\r\n\"他的\"\"主页\"\"\",个人主页,\r\n"
              "备用,,\r\n",
              ReadBytes(path));
    std::vector<SColumnMapEntry> back;
    ASSERT_TRUE(ReadColumnMap(path, back));
    ASSERT_EQ(3u, back.size()) << "a column mapped to no field is not a mapping";
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_STREQ(entries[i].strTitle, back[i].strTitle);
        EXPECT_EQ(entries[i].nField, back[i].nField);
        EXPECT_EQ(entries[i].bChecked, back[i].bChecked);
    }

    // Maps written without quoting, and in UTF-8 by another editor, read as before.
    WriteBytes(path, Utf8("姓名,姓名,\r\n手机,手机,UNCHECKED\r\n没有,无此字段,\r\n,姓名,\n"));
    ASSERT_TRUE(ReadColumnMap(path, back));
    ASSERT_EQ(2u, back.size());
    EXPECT_STREQ("手机", back[1].strTitle);
    EXPECT_EQ(PF_MOBILE, back[1].nField);
    EXPECT_FALSE(back[1].bChecked);

    EXPECT_FALSE(WriteColumnMap(PathOf("no-such-folder/cols.map"), entries));
}

} // namespace
