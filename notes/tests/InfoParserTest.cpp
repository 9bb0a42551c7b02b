// The information base's files: group and item blocks, group files, data files, the key-line
// forms, the style rules, damaged and hostile files, and every file the program ships.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <algorithm>
#include <optional>
#include <string>

#include "notes/InfoGroup.h"
#include "platform/base/Gbk.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class InfoParserTest : public ::testing::Test {
protected:
    void SetUp() override { m_home.emplace("QUILLMAR_HOME", m_dir.str()); }

    // Writes a GBK file in the program folder (name and text given in UTF-8 source literals,
    // which the compiler made GBK).
    void Write(const CString& name, const CString& text) {
        std::string utf8 = GbkToUtf8(std::string_view(name.GetString(), name.GetLength()));
        std::replace(utf8.begin(), utf8.end(), '\\', '/');
        fs::path p = m_dir.path() / utf8;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary | std::ios::trunc) << text.GetString();
    }
    CString PathOf(const char* name) const { return GetModuleDirectory() + "\\" + name; }

    static CInfoGroup* Sub(CGroup& g, int i) {
        POSITION pos = g.GetFirstSubgroupPosition();
        CGroup* r = nullptr;
        for (int k = 0; k <= i && pos != nullptr; ++k)
            r = g.GetNextSubgroup(pos);
        return static_cast<CInfoGroup*>(r);
    }
    static CInfoContent* Item(CGroup& g, int i) {
        POSITION pos = g.GetFirstContentPosition();
        CContent* r = nullptr;
        for (int k = 0; k <= i && pos != nullptr; ++k)
            r = g.GetNextContent(pos);
        return static_cast<CInfoContent*>(r);
    }

    test_folders::TempDir m_dir;
    std::optional<test_folders::ScopedEnv> m_home;
};

TEST_F(InfoParserTest, ReadsGroupsItemsAndGroupFiles) {
    Write("info\\info.inf",
          "// the root\r\n"
          "GROUP = 信息大全\r\n"
          "版本 2\r\n"
          "描述\t根的描述\r\n"
          "描述 = 第二个描述不算\r\n"
          "标题 = 名称\r\n"
          "条目字段数 = 2\r\n"
          "条目字段 = 名称, 号码\r\n"
          "条目字段宽度 = 120,80\r\n"
          "BEGIN\r\n"
          "  GROUP = \"info\\电话.inf\"\r\n"
          "  GROUP = 内嵌组\r\n"
          "  BEGIN\r\n"
          "    CONTENT = 内嵌条目\r\n"
          "    BEGIN\r\n"
          "    甲,1\r\n"
          "    END\r\n"
          "  END\r\n"
          "  CONTENT = 默认列的条目 // uses the group's columns\r\n"
          "  BEGIN\r\n"
          "  火警,119,多余,字段\r\n"
          "\r\n"
          "  匪警 , 110\r\n"
          "  END\r\n"
          "END\r\n");
    Write("info\\电话.inf",
          "GROUP=电话\r\nBEGIN\r\nCONTENT=号码\r\n字段数=1\r\n字段=号\r\nBEGIN\r\n114\r\nEND\r\nEND\r\n");

    CInfoGroup root;
    ASSERT_TRUE(root.LoadFile(PathOf("info\\info.inf")));
    EXPECT_EQ(root.GetName(), "信息大全");
    EXPECT_EQ(root.GetVersion(), 2);
    EXPECT_EQ(root.GetDescription(), "根的描述");
    EXPECT_EQ(root.GetTitle(), "名称");
    EXPECT_EQ(root.GetItemFieldCount(), 2);
    ASSERT_EQ(root.GetItemFieldWidths().GetSize(), 2);
    EXPECT_EQ(root.GetItemFieldWidths()[0], 120);

    ASSERT_EQ(root.GetSubgroupCount(), 2);
    CInfoGroup* fromFile = Sub(root, 0);
    EXPECT_EQ(fromFile->GetName(), "电话");
    EXPECT_EQ(fromFile->GetSourcePath(), PathOf("info\\电话.inf"));
    EXPECT_EQ(Item(*fromFile, 0)->GetRows().at(0).at(0), "114");
    // The inline group ended at its own END and the outer group went on after it.
    CInfoGroup* inl = Sub(root, 1);
    EXPECT_EQ(inl->GetName(), "内嵌组");
    EXPECT_EQ(inl->GetContentList().GetCount(), 1);
    ASSERT_EQ(root.GetContentList().GetCount(), 1);

    CInfoContent* item = Item(root, 0);
    EXPECT_EQ(item->GetName(), "默认列的条目");
    EXPECT_TRUE(item->IsLoaded());
    EXPECT_EQ(item->GetFieldCount(), 2);
    EXPECT_EQ(item->GetFields().GetHead(), "名称");
    EXPECT_EQ(item->GetFieldWidths()[1], 80);
    ASSERT_EQ(item->GetRows().size(), 2u);
    // A row with more commas than columns keeps its extra fields.
    EXPECT_EQ(item->GetRows()[0].size(), 4u);
    EXPECT_EQ(item->GetRows()[0][3], "字段");
    EXPECT_EQ(item->GetRows()[1][0], "匪警");
    EXPECT_EQ(item->GetRows()[1][1], "110");
}

// The style words, each with the rows and column flags they give.
TEST_F(InfoParserTest, StyleWordsSetFlagsAndTheCommentRule) {
    Write("s.inf",
          "GROUP=g\nBEGIN\n"
          "CONTENT=网站\n风格=url(1)\n字段数=2\n字段=名,址\nBEGIN\n"
          "搜索,http://example.org/a//b // kept\nEND\n"
          "CONTENT=邮件\n风格 = mailto ( 1 , 7 ) url(0)\n字段数=2\nBEGIN\na,b\nEND\n"
          "CONTENT=空格表\n风格=空格 英汉\n字段数=2\nBEGIN\nx,y // cut\nEND\n"
          "CONTENT=英汉表\n风格=英汉\nBEGIN\nEND\n"
          "END\n");
    CInfoGroup g;
    ASSERT_TRUE(g.LoadFile(PathOf("s.inf")));
    ASSERT_EQ(g.GetContentList().GetCount(), 4);
    CInfoContent* web = Item(g, 0);
    EXPECT_EQ(web->GetStyle(), CInfoContent::StyleUrl);
    EXPECT_EQ(web->GetColumnFlags(1), CInfoContent::ColumnUrl);
    EXPECT_EQ(web->GetColumnFlags(0), 0);
    EXPECT_EQ(web->GetRows()[0][1], "http://example.org/a//b // kept");
    EXPECT_FALSE(web->HasComments());

    CInfoContent* mail = Item(g, 1);
    EXPECT_EQ(mail->GetStyle(), CInfoContent::StyleUrl | CInfoContent::StyleMailto);
    EXPECT_EQ(mail->GetColumnFlags(1), CInfoContent::ColumnMail);
    EXPECT_EQ(mail->GetColumnFlags(0), CInfoContent::ColumnUrl);
    // A column beyond the item's columns is ignored.
    EXPECT_EQ(mail->GetColumnFlags(7), 0);

    CInfoContent* blank = Item(g, 2);
    EXPECT_EQ(blank->GetStyle(), CInfoContent::StyleBlank);
    EXPECT_EQ(blank->GetSeparator(), ' ');
    EXPECT_EQ(blank->GetRows()[0].size(), 2u);
    EXPECT_EQ(blank->GetRows()[0][1], "y");
    EXPECT_EQ(Item(g, 3)->GetStyle(), CInfoContent::StyleEnCn);

    // Column flags set by hand follow the mask rule.
    web->SetColumnFlags(1, CInfoContent::ColumnUrl, CInfoContent::ColumnMail);
    EXPECT_EQ(web->GetColumnFlags(1), CInfoContent::ColumnMail);
    web->SetColumnFlags(1, 0, CInfoContent::ColumnUrl);
    EXPECT_EQ(web->GetColumnFlags(1), CInfoContent::ColumnMail | CInfoContent::ColumnUrl);
    web->SetColumnFlags(2, 0, 4);
    EXPECT_EQ(web->GetColumnFlags(2), 0);
}

TEST_F(InfoParserTest, DataFilesAreNamedInsideTheProgramFolderAndReadOnDemand) {
    Write("d.inf",
          "GROUP=g\nBEGIN\n"
          "CONTENT=区号\n风格=空格\n字段数=2\nBEGINLINK\n\"info\\区号.txt\"\nENDLINK\n"
          "CONTENT=逃逸\nBEGINLINK\n..\\..\\etc\\passwd\nENDLINK\n"
          "CONTENT=绝对\nBEGINLINK\n/etc/passwd\nENDLINK\n"
          "END\n");
    Write("info\\区号.txt", "北京   010 // 首都\r\n\r\n上海\t021\r\n   \r\n广州 020\r\n");
    CInfoGroup g;
    ASSERT_TRUE(g.LoadFile(PathOf("d.inf")));
    CInfoContent* item = Item(g, 0);
    EXPECT_FALSE(item->IsLoaded());
    EXPECT_EQ(item->GetLinkPath(), PathOf("info\\区号.txt"));
    CInfoRows rows;
    ASSERT_TRUE(LoadInfoRows(item->GetLinkPath(), 2, item->GetSeparator(), item->HasComments(), rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (CInfoRow{"北京", "010"}));
    EXPECT_EQ(rows[1], (CInfoRow{"上海", "021"}));
    // A name leading out of the program folder is not used.
    EXPECT_EQ(Item(g, 1)->GetLinkPath(), "");
    EXPECT_EQ(Item(g, 2)->GetLinkPath(), "");
    EXPECT_FALSE(LoadInfoRows(PathOf("none.txt"), 2, ',', TRUE, rows));
    EXPECT_TRUE(rows.empty());

    // Commas keep empty fields; a cap bounds what one file may give.
    Write("c.txt", "a,,c\n,\n1\n2\n3\n");
    ASSERT_TRUE(LoadInfoRows(PathOf("c.txt"), 3, ',', TRUE, rows, 4));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (CInfoRow{"a", "", "c"}));
    EXPECT_EQ(rows[1], (CInfoRow{"", ""}));
}

TEST_F(InfoParserTest, DamagedAndHostileFilesStillLoadWhatTheyCan) {
    // A missing END: the end of the file closes every open block.
    Write("open.inf", "GROUP=g\nBEGIN\nGROUP=h\nBEGIN\nCONTENT=c\nBEGIN\n1,2\n");
    CInfoGroup open;
    ASSERT_TRUE(open.LoadFile(PathOf("open.inf")));
    ASSERT_EQ(open.GetSubgroupCount(), 1);
    CInfoContent* c = Item(*Sub(open, 0), 0);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->IsLoaded());
    EXPECT_EQ(c->GetRows().size(), 1u);

    // A group file naming itself, and a ring of two, are read once each.
    Write("self.inf", "GROUP=自己\nBEGIN\nGROUP=\"self.inf\"\nCONTENT=c\nBEGIN\nEND\nEND\n");
    CInfoGroup self;
    ASSERT_TRUE(self.LoadFile(PathOf("self.inf")));
    EXPECT_EQ(self.GetSubgroupCount(), 0);
    EXPECT_EQ(self.GetContentList().GetCount(), 1);
    Write("a.inf", "GROUP=a\nBEGIN\nGROUP=\"b.inf\"\nEND\n");
    Write("b.inf", "GROUP=b\nBEGIN\nGROUP=\"a.inf\"\nGROUP=\"leaf.inf\"\nGROUP=\"leaf.inf\"\nEND\n");
    Write("leaf.inf", "GROUP=leaf\nBEGIN\nEND\n");
    CInfoGroup ring;
    ASSERT_TRUE(ring.LoadFile(PathOf("a.inf")));
    ASSERT_EQ(ring.GetSubgroupCount(), 1);
    // The same file twice side by side is no ring: both are read.
    EXPECT_EQ(Sub(ring, 0)->GetSubgroupCount(), 2);

    // A long chain of group files stops at the cap.
    for (int i = 0; i < 20; ++i) {
        CString name, next;
        name.Format("chain%d.inf", i);
        next.Format("chain%d.inf", i + 1);
        Write(name, "GROUP=c\nBEGIN\nGROUP=\"" + next + "\"\nEND\n");
    }
    CInfoGroup chain;
    ASSERT_TRUE(chain.LoadFile(PathOf("chain0.inf")));
    int depth = 0;
    for (CGroup* g = &chain; g->GetSubgroupCount() > 0; g = Sub(*g, 0))
        ++depth;
    EXPECT_EQ(depth, CInfoReader::kMaxFileDepth - 1);

    // Inline nesting without end does not run away.
    CString deep;
    for (int i = 0; i < 5000; ++i)
        deep += "GROUP=x\nBEGIN\n";
    Write("deep.inf", deep);
    CInfoGroup d;
    EXPECT_TRUE(d.LoadFile(PathOf("deep.inf")));

    // No file, and a file that is no group.
    CInfoGroup none;
    EXPECT_FALSE(none.LoadFile(PathOf("missing.inf")));
    EXPECT_TRUE(none.IsEmpty());
    Write("junk.inf", "hello\nworld\n");
    CInfoGroup junk;
    EXPECT_TRUE(junk.LoadFile(PathOf("junk.inf")));
    EXPECT_TRUE(junk.IsEmpty());
    // Numbers that do not parse count as 0.
    Write("num.inf", "GROUP=g\n版本=abc\n条目字段数=-5\nBEGIN\nEND\n");
    CInfoGroup num;
    ASSERT_TRUE(num.LoadFile(PathOf("num.inf")));
    EXPECT_EQ(num.GetVersion(), 0);
    EXPECT_EQ(num.GetItemFieldCount(), 0);
}

TEST(InfoKeyLineTest, SplitsAtTheFirstEqualsBlankOrTab) {
    struct Case {
        const char* line;
        const char* key;
        const char* value;
    } cases[] = {
        {"标题=名称", "标题", "名称"},     {"标题 = 名称", "标题", "名称"},
        {"标题 名称 甲", "标题", "名称 甲"}, {"标题\t名称", "标题", "名称"},
        {"END", "END", ""},              {"字段=a=b", "字段", "a=b"},
    };
    for (const Case& c : cases) {
        CString key, value;
        InfoSplitKey(c.line, key, value);
        EXPECT_EQ(key, c.key) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

// Every file the program ships loads, and every item's rows can be read.
TEST(ShippedInfoBaseTest, EveryShippedFileLoads) {
    const fs::path shipped = GetShippedDataFolderPath();
    ASSERT_FALSE(shipped.empty());
    test_folders::ScopedEnv home("QUILLMAR_HOME", shipped.string());
    CInfoGroup root;
    ASSERT_TRUE(root.LoadFile(GetModuleDirectory() + "\\info\\info.inf"));
    int groups = 0, items = 0;
    std::function<void(CGroup&)> walk = [&](CGroup& g) {
        ++groups;
        for (POSITION pos = g.GetFirstContentPosition(); pos != nullptr;) {
            auto* item = static_cast<CInfoContent*>(g.GetNextContent(pos));
            ++items;
            EXPECT_GT(item->GetFieldCount(), 0) << item->GetName().GetString();
            if (!item->IsLoaded()) {
                CInfoRows rows;
                EXPECT_TRUE(LoadInfoRows(item->GetLinkPath(), item->GetFieldCount(),
                                         item->GetSeparator(), item->HasComments(), rows))
                    << item->GetLinkPath().GetString();
                EXPECT_FALSE(rows.empty()) << item->GetName().GetString();
            } else {
                EXPECT_FALSE(item->GetRows().empty()) << item->GetName().GetString();
            }
        }
        for (POSITION pos = g.GetFirstSubgroupPosition(); pos != nullptr;)
            walk(*g.GetNextSubgroup(pos));
    };
    walk(root);
    EXPECT_GE(groups, 4);
    EXPECT_GE(items, 8);
}

} // namespace
