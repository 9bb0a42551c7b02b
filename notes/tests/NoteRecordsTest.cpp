// Note pages, note groups and the notebook file: the stored layout byte by byte, locks, copies,
// damaged files and the rich-text check for what the editor cannot keep.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "notes/WordPadDoc.h"
#include "platform/base/Document.h"
#include "platform/base/Time.h"
#include "platform/base/tests/TempFolder.h"
#include "testsupport/ArchiveBytes.h"

namespace {

using archive_bytes::Bytes;

std::vector<std::string>& Messages() {
    static std::vector<std::string> s;
    return s;
}

int RecordMessage(LPCTSTR text, UINT) {
    Messages().push_back(text != nullptr ? text : "");
    return 1;
}

void Put32(Bytes& b, unsigned v) {
    for (int i = 0; i < 4; ++i)
        b.push_back((unsigned char)(v >> (8 * i)));
}
void Put64(Bytes& b, unsigned long long v) {
    for (int i = 0; i < 8; ++i)
        b.push_back((unsigned char)(v >> (8 * i)));
}
void PutStr(Bytes& b, const CString& s) {
    b.push_back((unsigned char)s.GetLength());
    b.insert(b.end(), s.GetString(), s.GetString() + s.GetLength());
}

class NoteRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home.emplace("QUILLMAR_HOME", m_dir.str());
        Messages().clear();
        m_old = CDocument::SetMessageHook(RecordMessage);
        CTime::SetNowForTesting(1700000000);
    }
    void TearDown() override {
        CDocument::SetMessageHook(m_old);
        CTime::ResetNowForTesting();
    }
    CString PathOf(const char* name) const { return (m_dir.str() + "/" + name).c_str(); }

    test_folders::TempDir m_dir;
    std::optional<test_folders::ScopedEnv> m_home;
    CDocument::MessageHook m_old = nullptr;
};

// A root with an empty locked group and one page, as stored.
TEST_F(NoteRecordsTest, GroupAndPageAreStoredInTheirOwnLayout) {
    CNoteGroup root("本子");
    root.SetCreated(0x0102030405060708LL);
    auto* locked = new CNoteGroup("私人");
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD);
    locked->SetPasswordChecksum(0xCAFEF00D);
    locked->SetCreated(1000);
    root.AddSubgroup(locked, FALSE);
    auto* page = new CNoteContent("第一页");
    page->SetBodyText("{\\rtf1 hi}");
    page->SetCreated(1700000001);
    root.AddContent(page, FALSE);

    Bytes expected;
    PutStr(expected, "本子");
    Put32(expected, 1); // sub-groups
    Put32(expected, 1); // pages
    PutStr(expected, "私人");
    Put32(expected, 0);
    Put32(expected, 0);
    Put32(expected, 0x8000);
    Put32(expected, 0xCAFEF00D);
    Put64(expected, 1000);
    PutStr(expected, "第一页");
    expected.push_back(10); // the body's byte count, then its bytes
    expected.push_back(0);
    for (char c : std::string("{\\rtf1 hi}"))
        expected.push_back((unsigned char)c);
    Put64(expected, 1700000001);
    Put32(expected, 0);
    Put32(expected, 0);
    Put64(expected, 0x0102030405060708ULL);
    EXPECT_EQ(archive_bytes::Store(root), expected);

    CNoteGroup back;
    EXPECT_EQ(archive_bytes::Load(back, expected), 0u);
    ASSERT_EQ(back.GetSubgroupCount(), 1);
    POSITION pos = back.GetFirstSubgroupPosition();
    auto* g = static_cast<CNoteGroup*>(back.GetNextSubgroup(pos));
    // A group stored with its password set opens locked.
    EXPECT_TRUE(g->IsLocked());
    EXPECT_EQ(g->GetFlags(), 0xC000u);
    EXPECT_EQ(g->GetCreated(), 1000);
    pos = back.GetFirstContentPosition();
    auto* p = static_cast<CNoteContent*>(back.GetNextContent(pos));
    EXPECT_EQ(p->GetName(), "第一页");
    EXPECT_EQ(p->GetBodyText(), "{\\rtf1 hi}");
    EXPECT_EQ(p->GetBody().GetStoredLength(), 10);
    EXPECT_EQ(p->GetCreated(), 1700000001);
    EXPECT_EQ(back.GetCreated(), 0x0102030405060708LL);
}

TEST_F(NoteRecordsTest, CopiedPageKeepsItsTimeAndCopiedGroupIsNew) {
    CNoteGroup source("旧组");
    source.SetCreated(5);
    source.ModifyFlags(0, CGroup::FLAG_PASSWORD);
    source.SetPasswordChecksum(77);
    auto* page = new CNoteContent("页");
    page->SetCreated(42);
    page->SetBodyText("abc");
    source.AddContent(page, FALSE);
    source.AddSubgroup(new CNoteGroup("子"), FALSE);

    CTime::SetNowForTesting(1800000000);
    std::unique_ptr<CContent> pageCopy(page->Clone());
    auto* pc = static_cast<CNoteContent*>(pageCopy.get());
    EXPECT_EQ(pc->GetCreated(), 42);
    EXPECT_EQ(pc->GetBodyText(), "abc");
    EXPECT_EQ(pc->GetParent(), nullptr);

    CNoteGroup shallow(source, FALSE);
    EXPECT_EQ(shallow.GetCreated(), 1800000000);
    EXPECT_EQ(shallow.GetName(), "旧组");
    EXPECT_EQ(shallow.GetPasswordChecksum(), 77u);
    EXPECT_TRUE(shallow.IsEmpty());

    CNoteGroup deep(source, TRUE);
    EXPECT_EQ(deep.GetCreated(), 1800000000);
    EXPECT_EQ(deep.GetSubgroupCount(), 1);
    POSITION pos = deep.GetFirstContentPosition();
    auto* copied = static_cast<CNoteContent*>(deep.GetNextContent(pos));
    EXPECT_EQ(copied->GetCreated(), 42);
    EXPECT_EQ(copied->GetParent(), &deep);

    // A new page and a new group are made now, empty.
    CNoteContent fresh("新");
    EXPECT_EQ(fresh.GetCreated(), 1800000000);
    EXPECT_EQ(fresh.GetBody().GetSize(), 0);
}

TEST_F(NoteRecordsTest, NotebookFileRoundTripsThroughTheDocument) {
    const CString path = PathOf("book.ntp");
    {
        CWordPadDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        auto* g = new CNoteGroup("工作");
        auto* page = new CNoteContent("周报");
        page->SetBodyText("{\\rtf1\\ansi \\b 粗\\b0 }");
        g->AddContent(page, FALSE);
        doc.GetRootGroup().AddSubgroup(g, FALSE);
        doc.GetRootGroup().AddSubgroup(new CNoteGroup("空组"), FALSE);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    CWordPadDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    CNoteGroup& root = doc.GetRootGroup();
    ASSERT_EQ(root.GetSubgroupCount(), 2);
    POSITION pos = root.GetFirstSubgroupPosition();
    CGroup* g = root.GetNextSubgroup(pos);
    CGroup* empty = root.GetNextSubgroup(pos);
    EXPECT_EQ(g->GetName(), "工作");
    EXPECT_TRUE(empty->IsEmpty());
    pos = g->GetFirstContentPosition();
    auto* page = static_cast<CNoteContent*>(g->GetNextContent(pos));
    EXPECT_EQ(page->GetBodyText(), "{\\rtf1\\ansi \\b 粗\\b0 }");
    EXPECT_EQ(doc.GetVersion(), 0x1003Cu);
}

// Damaged notebooks: each one fails with the document's message and leaves the document empty.
TEST_F(NoteRecordsTest, HostileNotebooksFailToOpen) {
    auto fileOf = [](const Bytes& body) {
        Bytes plain;
        Put32(plain, 0x00010000); // the plain older form: the bytes are read as they stand
        plain.insert(plain.end(), body.begin(), body.end());
        return plain;
    };
    std::vector<std::pair<const char*, Bytes>> cases;
    {
        Bytes b;
        PutStr(b, "r");
        Put32(b, 0x7FFFFFFF); // sub-groups far beyond the file
        Put32(b, 0);
        cases.emplace_back("huge group count", b);
    }
    {
        Bytes b;
        PutStr(b, "r");
        Put32(b, 0);
        Put32(b, 0x40000000); // pages beyond the file
        cases.emplace_back("huge page count", b);
    }
    {
        Bytes b;
        PutStr(b, "r");
        Put32(b, 0);
        Put32(b, 1);
        PutStr(b, "p");
        b.push_back(0xFF); // a body claiming 0xFFFFFFF0 bytes
        b.push_back(0xFF);
        Put32(b, 0xFFFFFFF0);
        cases.emplace_back("body length", b);
    }
    {
        Bytes b;
        for (int i = 0; i < 100000; ++i) { // nesting without end
            PutStr(b, "g");
            Put32(b, 1);
            Put32(b, 0);
        }
        cases.emplace_back("nesting", b);
    }
    {
        Bytes b;
        PutStr(b, "r");
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0); // cut inside the trailing fields
        cases.emplace_back("short", b);
    }
    for (auto& [name, body] : cases) {
        Messages().clear();
        const CString path = PathOf("bad.ntp");
        Bytes file = fileOf(body);
        std::ofstream((LPCTSTR)path, std::ios::binary | std::ios::trunc)
            .write((const char*)file.data(), (std::streamsize)file.size());
        CWordPadDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path)) << name;
        EXPECT_TRUE(doc.GetRootGroup().IsEmpty()) << name;
        ASSERT_EQ(Messages().size(), 1u) << name;
        EXPECT_NE(Messages()[0].find("打开文档失败。"), std::string::npos) << name;
    }
}

// A real notebook followed by bytes that are not part of it (a file that only starts like a
// notebook): refused, not opened with its tree read from the wrong bytes or cut short.
TEST_F(NoteRecordsTest, ANotebookWithBytesAfterItsTreeIsRefused) {
    const CString path = PathOf("book.ntp");
    {
        CWordPadDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        auto* g = new CNoteGroup("工作");
        g->AddContent(new CNoteContent("周报"), FALSE);
        doc.GetRootGroup().AddSubgroup(g, FALSE);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    std::string whole;
    {
        std::ifstream in((LPCTSTR)path, std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (const std::string& tail :
         {std::string(1, '\0'), std::string("\x05garbage"), std::string(4096, '\xA5')}) {
        SCOPED_TRACE(tail.size());
        Messages().clear();
        std::ofstream((LPCTSTR)path, std::ios::binary | std::ios::trunc) << whole << tail;
        CWordPadDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_TRUE(doc.GetRootGroup().IsEmpty());
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find("打开文档失败。"), std::string::npos);
    }
    std::ofstream((LPCTSTR)path, std::ios::binary | std::ios::trunc) << whole;
    CWordPadDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(1, doc.GetRootGroup().GetSubgroupCount());
}

TEST(RtfHoldsObjectsTest, FindsObjectsAndPicturesOnly) {
    struct Case {
        const char* rtf;
        BOOL holds;
    } cases[] = {
        {"{\\rtf1 plain \\b bold\\b0}", FALSE},
        {"{\\rtf1 {\\pict\\pngblip 89504e}}", TRUE},
        {"{\\rtf1 {\\object\\objemb {\\*\\objdata 0102}}}", TRUE},
        {"{\\rtf1 {\\*\\shppict {\\pict 00}}}", TRUE},
        {"{\\rtf1 \\pictwgoal not a picture word}", FALSE},
        {"{\\rtf1 escaped \\\\pict text}", FALSE},
        {"{\\rtf1 text about pict and object}", FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RtfHoldsObjects(c.rtf), c.holds) << c.rtf;
}

} // namespace
