// The CSV reader over real files: quoting, fields over several lines, blank lines, and the places
// where it departs from RFC 4180 on purpose (no empty last field after a trailing comma, bytes
// after a closing quote skipped, an unclosed quote at the end of the file dropped).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/CsvFile.h"
#include "platform/base/OsPath.h"
#include "platform/base/tests/TempFolder.h"

namespace fs = std::filesystem;
using test_folders::TempDir;

namespace {

using Record = std::vector<std::string>;

CString WriteFile(const TempDir& tmp, const std::string& bytes, const char* name = "in.csv") {
    std::ofstream(tmp.path() / name, std::ios::binary) << bytes;
    return ProgramPathFromOsPath((tmp.path() / name).string());
}

Record ToRecord(const CStringList& list) {
    Record r;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        r.emplace_back(list.GetNext(pos).GetString());
    return r;
}

// Every record of the file, in order, until ReadRecord answers -1. Each answer must equal the
// number of fields it put into the list.
std::vector<Record> ReadAll(const CString& path) {
    CCsvFile file;
    EXPECT_TRUE(file.Open(path, CFile::modeRead | CFile::typeText));
    std::vector<Record> records;
    CStringList list;
    for (int n; (n = file.ReadRecord(list)) != -1;) {
        EXPECT_EQ(n, list.GetCount());
        records.push_back(ToRecord(list));
        if (records.size() > 100)
            break;
    }
    EXPECT_EQ(list.GetCount(), 0); // the -1 answer leaves the list empty
    return records;
}

struct CsvCase {
    const char* name;
    std::string input;
    std::vector<Record> expected;
};

} // namespace

TEST(CsvFile, ReadsRecordsTheWayTheProgramDoes) {
    const CsvCase cases[] = {
        {"plain", "a,b,c\r\nd,e\r\n", {{"a", "b", "c"}, {"d", "e"}}},
        {"last line without line end", "a,b\nc", {{"a", "b"}, {"c"}}},
        {"trailing comma gives no empty field", "a,b,\r\n", {{"a", "b"}}},
        {"empty fields inside stay", "a,,b\r\n,x\r\n", {{"a", "", "b"}, {"", "x"}}},
        {"blank lines skipped", "\r\n   \r\n\t\r\na\r\n\r\nb\r\n", {{"a"}, {"b"}}},
        {"spaces at the line ends trimmed, inside kept", "  a , b  \r\n", {{"a ", " b"}}},
        {"quoted comma and doubled quotes",
         "\"x,y\",\"say \"\"hi\"\"\"\r\n",
         {{"x,y", "say \"hi\""}}},
        {"empty quoted field", "\"\",a\r\n", {{"", "a"}}},
        {"bytes after a closing quote skipped", "\"a\"x,b\r\n", {{"a", "b"}}},
        {"quote inside an unquoted field is a byte", "a\"b,c\r\n", {{"a\"b", "c"}}},
        {"field over several lines",
         "1,\"line one\r\nline two\r\n\r\nline four\",end\r\nnext\r\n",
         {{"1", "line one\r\nline two\r\n\r\nline four", "end"}, {"next"}}},
        {"quote opened at a line end", "a,\"\r\nb\"\r\n", {{"a", "\r\nb"}}},
        {"doubled quote in a continued field", "\"x\r\n\"\"y\"\"\",z\r\n", {{"x\r\n\"y\"", "z"}}},
        {"continuation keeps its own spaces", "\"a\r\n  b  \"\r\n", {{"a\r\n  b  "}}},
        {"unclosed quote at the end is dropped", "a,\"never\r\nclosed\r\n", {{"a"}}},
        {"Chinese text", "张三,\"李,四\",乗\r\n", {{"张三", "李,四", "乗"}}},
        {"empty file", "", {}},
        {"only blank lines", "\r\n \r\n", {}},
    };
    for (const CsvCase& c : cases) {
        TempDir tmp;
        EXPECT_EQ(ReadAll(WriteFile(tmp, c.input)), c.expected) << c.name;
    }
}

TEST(CsvFile, FirstRecordSkipsBlankLinesAndReportsItsCount) {
    TempDir tmp;
    CStringList list;
    EXPECT_EQ(ReadCsvFirstRecord(WriteFile(tmp, "\r\n\r\n姓名,手机,\"备注\"\r\nx,y\r\n"), list), 3);
    EXPECT_EQ(ToRecord(list), (Record{"姓名", "手机", "备注"}));

    list.AddTail("stale");
    EXPECT_EQ(
        ReadCsvFirstRecord(ProgramPathFromOsPath((tmp.path() / "missing.csv").string()), list), 0);
    EXPECT_TRUE(list.IsEmpty());

    list.AddTail("stale");
    EXPECT_EQ(ReadCsvFirstRecord(WriteFile(tmp, "", "empty.csv"), list), 0);
    EXPECT_TRUE(list.IsEmpty());
}

// A quote that is never closed stops the reading once the field it opens runs past its bound in
// lines or in bytes: the rest of the file is not read, the line of the quote is told, and no
// record follows.
TEST(CsvFile, AQuoteLeftOpenStopsAtItsBoundAndTellsItsLine) {
    const std::string manyLines = [] {
        std::string s;
        for (int i = 0; i < 200000; ++i)
            s += "张三,13900000000\r\n";
        return s;
    }();
    const struct {
        const char* name;
        std::string tail;
    } cases[] = {
        {"too many lines", manyLines},
        {"one long line", std::string(3 << 20, 'x') + "\r\n" + manyLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tmp;
        const std::string bytes = "姓名,附注\r\n\r\n张三,\"没有结束\r\n" + c.tail;
        CCsvFile file;
        ASSERT_TRUE(file.Open(WriteFile(tmp, bytes), CFile::modeRead | CFile::typeText));
        CStringList list;
        EXPECT_EQ(file.ReadRecord(list), 2);
        EXPECT_EQ(file.ReadRecord(list), -1);
        EXPECT_TRUE(list.IsEmpty());
        EXPECT_EQ(file.GetUnclosedQuoteLine(), 3);
        EXPECT_LT(file.GetPosition(), bytes.size() / 2) << "the reading stopped at the bound";
        EXPECT_EQ(file.ReadRecord(list), -1);
    }
}
