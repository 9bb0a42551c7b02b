#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "mail/EmailMessage.h"
#include "mail/MiniDB.h"
#include "mail/SmtpData.h"
#include "mail/tests/MailTestSupport.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/base/Time.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/sys/Md5.h"
#include "testsupport/ArchiveBytes.h"

using namespace mailtest;
using archive_bytes::Store;

namespace {

// 2026-03-14 09:26:53 UTC.
constexpr __time64_t kNow = 1773480413;

// The clock pinned and the zone set for one test.
class PinnedClockAndZone {
public:
    explicit PinnedClockAndZone(const char* zone) : m_zone("TZ", zone) {
        tzset();
        CTime::SetNowForTesting(kNow);
    }
    ~PinnedClockAndZone() { CTime::ResetNowForTesting(); }

private:
    // Destroyed after the zone variable is restored, so the library reads the old zone again.
    struct ZoneReset {
        ~ZoneReset() { tzset(); }
    } m_reset;
    test_folders::ScopedEnv m_zone;
};

// Boundaries are random; the golden files hold fixed ones.
void FixBoundaries(CEmailBodyPart& part, int& n) {
    part.m_strBoundary.Format("----=_Part_%d", n++);
    for (int i = 0; i < part.GetChildCount(); ++i)
        FixBoundaries(*part.GetChild(i), n);
}

class EmailMessageTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return m_dir.str() + "/" + name; }

    // A message with every field set, an HTML part and two attachments (one of them GBK-named).
    std::unique_ptr<CEmailMessage> MakeFullMessage() {
        WriteBytes(OsPathFromProgramPath(Path("报价单.txt").c_str()), "price list\r\n.\r\nend");
        std::string binary;
        for (int i = 0; i < 3000; ++i)
            binary += static_cast<char>(i * 31 % 256);
        WriteBytes(Path("data.bin"), binary);
        auto m = std::make_unique<CEmailMessage>();
        m->SetState(1);
        m->SetFlags(0x100);
        m->SetTime(CTime(kNow));
        m->m_sender.Set("张三", "zhang@example.com");
        m->m_replyTo.Set("", "reply@example.com");
        m->AddRecipients("李四 <li@example.com>; \"Wang Wu\" <wang@example.com>",
                         CEmailMessage::KIND_TO);
        m->AddRecipients("zhao@example.com", CEmailMessage::KIND_CC);
        m->AddRecipients("secret@example.com", CEmailMessage::KIND_BCC);
        m->m_strSubject = "季度报告：鎔 & more?";
        m->SetImportance(1);
        m->m_dwNotify = CEmailMessage::NOTIFY_SUCCESS | CEmailMessage::NOTIFY_FAILURE;
        m->m_bReturnFull = TRUE;
        m->m_strEnvelopeId = "ENV42";
        m->m_strMailer = "Quillmar";
        m->m_bReadReceipt = TRUE;
        m->AddHeaderLine("X-Project: alpha");
        m->SetText("各位好：\n.\n附件是报价单。\r\n.starts with a dot\rend");
        m->SetHtml("<p>各位好</p>", "http://example.com/");
        m->AddAttachment(CString(Path("报价单.txt").c_str()));
        m->AddAttachment(CString(Path("data.bin").c_str()));
        int n = 0;
        FixBoundaries(m->GetRoot(), n);
        return m;
    }

    test_folders::TempDir m_dir;
};

// ---- Addresses ---------------------------------------------------------------------------

TEST(RegEmailAddress, ParsesNameAndAddress) {
    const struct {
        const char* text;
        const char* name;
        const char* address;
    } cases[] = {
        {"张三 <zhang@example.com>", "张三", "zhang@example.com"},
        {"\"Wang Wu\" <wang@example.com>", "Wang Wu", "wang@example.com"},
        {"  <  bare@example.com >  ", "", "bare@example.com"},
        {"  plain@example.com ", "", "plain@example.com"},
        {"odd> name <x@example.com", "", "odd> name <x@example.com"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CRegEmailAddress a(c.text);
        EXPECT_EQ(c.name, S(a.m_strName));
        EXPECT_EQ(c.address, S(a.m_strAddress));
    }
    CRegEmailAddress set;
    set.m_dwTag = 9;
    set.Set("Given", "Parsed <p@example.com>");
    EXPECT_EQ("Given", S(set.m_strName));
    EXPECT_EQ("p@example.com", S(set.m_strAddress));
    EXPECT_EQ(0u, set.m_dwTag);
}

TEST(RegEmailAddress, FormatsByMode) {
    CRegEmailAddress a;
    a.Set("a b", "x@example.com");
    EXPECT_EQ("=?gb2312?B?YSBi?= <x@example.com>", S(a.Format('B', "gb2312")));
    EXPECT_EQ("=?gb2312?Q?a=20b?= <x@example.com>", S(a.Format('Q', "gb2312")));
    EXPECT_EQ("a b <x@example.com>", S(a.Format(0, "gb2312")));
    EXPECT_EQ(" <x@example.com>", S(a.Format(1, "gb2312")));
    EXPECT_EQ("a b", S(a.GetDisplayText()));
    const CRegEmailAddress bare("x@example.com");
    EXPECT_EQ("x@example.com", S(bare.Format('B', "gb2312")));
    EXPECT_EQ("x@example.com", S(bare.GetDisplayText()));
}

TEST(RegEmailAddress, RecipientTextsSplitAtCommasAndSemicolons) {
    CKovPtrArray<CRegEmailAddress> list;
    EXPECT_EQ(3, CRegEmailAddress::AddList("a@x.cn, 张三 <b@x.cn>;;  ;c@x.cn;", list));
    ASSERT_EQ(3, list.GetCount());
    EXPECT_EQ("张三", S(list.GetAt(1)->m_strName));
    EXPECT_EQ("c@x.cn", S(list.GetAt(2)->m_strAddress));
}

TEST(RegEmailAddress, OnlyPlainAddressesCanBeSent) {
    const struct {
        std::string address;
        bool ok;
    } cases[] = {
        {"a@example.com", true},
        {"", false},
        {"a@x.cn\r\nRCPT TO:<b@x.cn>", false},
        {"a@x.cn\n", false},
        {"a b@x.cn", false},
        {"a<b@x.cn", false},
        {"a>@x.cn", false},
        {std::string("a\0b", 3), false},
        {"a\t@x.cn", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        CRegEmailAddress a;
        a.m_strAddress = Bytes(c.address);
        EXPECT_EQ(c.ok, a.IsSendable() != FALSE);
    }
}

// ---- The pointer array's cursor ----------------------------------------------------------

TEST(KovPtrArray, CursorWalksAndFollowsChanges) {
    CKovPtrArray<CRegEmailAddress> list;
    list.First();
    EXPECT_EQ(-1, list.GetCursor());
    for (const char* a : {"a@x", "b@x", "c@x", "d@x"})
        list.Add(new CRegEmailAddress(a));
    list.First();
    list.Next();
    EXPECT_EQ("b@x", S(list.Current()->m_strAddress));
    list.Move(5);
    EXPECT_EQ(CKovPtrArray<CRegEmailAddress>::PAST_END, list.GetCursor());
    EXPECT_FALSE(list.IsValid());
    list.Move(-1); // back from the end
    EXPECT_EQ("d@x", S(list.Current()->m_strAddress));
    list.Move(-10);
    EXPECT_EQ(-1, list.GetCursor());
    list.Move(5);
    list.Add(new CRegEmailAddress("e@x")); // added while past the end: the new one is current
    EXPECT_EQ("e@x", S(list.Current()->m_strAddress));
    list.RemoveAt(1, 2); // below the cursor: back to just before the removal point
    EXPECT_EQ(0, list.GetCursor());
    CKovPtrArray<CRegEmailAddress> copy = list;
    copy.GetAt(0)->m_strAddress = "changed";
    EXPECT_EQ("a@x", S(list.GetAt(0)->m_strAddress));
}

// ---- Body parts and MIME switching -------------------------------------------------------

TEST_F(EmailMessageTest, TextLineEndsBecomeCrLf) {
    CEmailBodyPart part;
    part.m_strContentType = "text/html";
    part.SetText("a\r\nb\nc\rd\n\r");
    EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\n", S(part.m_strText));
    EXPECT_EQ("text/plain", S(part.m_strContentType));
    part.SetFile("C:\\docs\\sub/年报.doc");
    EXPECT_EQ("年报.doc", S(part.m_strName));
    EXPECT_EQ("application/octet-stream", S(part.m_strContentType));
}

TEST_F(EmailMessageTest, SwitchingMimeOnMovesTheTextIntoOnePlainPart) {
    CEmailMessage m;
    m.SetText("hello");
    m.SetMime(TRUE);
    m.SetMime(TRUE);
    ASSERT_EQ(1, m.GetRoot().GetChildCount());
    EXPECT_EQ("multipart/mixed", S(m.GetRoot().m_strContentType));
    EXPECT_EQ("This is a multi-part message in MIME format.\r\n", S(m.GetRoot().m_strText));
    EXPECT_EQ("text/plain", S(m.GetRoot().GetChild(0)->m_strContentType));
    EXPECT_EQ("hello", S(m.GetPlainText()));
    m.SetText("again");
    EXPECT_EQ(1, m.GetRoot().GetChildCount());
    EXPECT_EQ("again", S(m.GetPlainText()));
    m.SetHtml("<b>x</b>", "");
    m.SetHtml("<b>y</b>", "base");
    ASSERT_EQ(2, m.GetRoot().GetChildCount());
    EXPECT_EQ("base", S(m.GetRoot().GetChild(1)->m_strContentBase));
    m.SetMime(FALSE);
    EXPECT_EQ(0, m.GetRoot().GetChildCount());
    EXPECT_EQ("again", S(m.GetPlainText()));
    EXPECT_EQ("text/plain", S(m.GetRoot().m_strContentType));

    // HTML makes a plain message a MIME one, and the text stays.
    CEmailMessage html;
    html.SetText("plain");
    html.SetHtml("<i>x</i>", "");
    EXPECT_TRUE(html.IsMime());
    ASSERT_EQ(2, html.GetRoot().GetChildCount());
    EXPECT_EQ("plain", S(html.GetPlainText()));

    CEmailMessage empty;
    empty.SetMime(TRUE);
    EXPECT_EQ(0, empty.GetRoot().GetChildCount());
    EXPECT_EQ("", S(empty.GetPlainText()));
}

// ---- Stored form -------------------------------------------------------------------------

TEST_F(EmailMessageTest, EveryFieldRoundTripsThroughTheDatabase) {
    std::unique_ptr<CEmailMessage> m = MakeFullMessage();
    const archive_bytes::Bytes stored = Store(*m);
    // The id, state and flags lead the record, where other code rewrites them in place.
    const DWORD head[3] = {0xFFFFFFFF, 1, 0x100};
    EXPECT_EQ(0, std::memcmp(stored.data(), head, sizeof head));

    CMiniDB db;
    ASSERT_TRUE(db.Open(Path("mail.dat").c_str(), Path("mail.idx").c_str()));
    ASSERT_EQ(0, db.Append(m.get()));
    CEmailMessage other;
    ASSERT_EQ(1, db.Append(&other));
    db.Close();

    ASSERT_TRUE(db.Open(Path("mail.dat").c_str(), Path("mail.idx").c_str()));
    auto loaded = std::make_unique<CTFEmailMessage>();
    ASSERT_TRUE(db.Load(0, loaded.get()));
    EXPECT_EQ(0u, loaded->GetRecordId());
    EXPECT_EQ(Store(*m), Store(*loaded));
    EXPECT_EQ(2, loaded->GetAttachmentCount());
    EXPECT_EQ("李四;Wang Wu", S(loaded->GetText(CEmailMessage::FIELD_TO)));
    EXPECT_EQ(loaded->GetRoot().GetChild(0),
              loaded->GetRoot().GetChild(0)->GetParent()->GetChild(0));
    CString original, reloaded;
    {
        PinnedClockAndZone clock("UTC0");
        ASSERT_TRUE(m->FormatMessage(original));
        ASSERT_TRUE(loaded->FormatMessage(reloaded));
    }
    EXPECT_EQ(WithoutMessageId(S(original)), WithoutMessageId(S(reloaded)));

    // A rewrite after a change keeps the id.
    loaded->m_strSubject = "changed";
    ASSERT_TRUE(db.Rewrite(loaded.get()));
    CEmailMessage again;
    ASSERT_TRUE(db.Load(0, &again));
    EXPECT_EQ("changed", S(again.m_strSubject));

    // The short form holds the raw text alone.
    CEmailMessage raw;
    raw.m_strRawText = "From: a@x\r\n\r\nbody";
    raw.m_strSubject = "not stored";
    CEmailMessage rawLoaded;
    archive_bytes::Load(rawLoaded, Store(raw));
    EXPECT_EQ(S(raw.m_strRawText), S(rawLoaded.m_strRawText));
    EXPECT_EQ("", S(rawLoaded.m_strSubject));
}

TEST_F(EmailMessageTest, ListTextsShowTheCorrespondentByTheMessagesBox) {
    PinnedClockAndZone clock("CST-8");
    std::unique_ptr<CEmailMessage> m = MakeFullMessage();
    EXPECT_EQ("张三", S(m->GetText(CEmailMessage::FIELD_SENDER)));
    EXPECT_EQ(S(m->m_strSubject), S(m->GetText(CEmailMessage::FIELD_SUBJECT)));
    EXPECT_EQ("2026-03-14 17:26", S(m->GetText(CEmailMessage::FIELD_TIME)));
    EXPECT_EQ("", S(m->GetText(4)));
    const struct {
        int state;
        const char* correspondent;
    } cases[] = {{0, "李四;Wang Wu"}, {1, "李四;Wang Wu"}, {2, "李四;Wang Wu"}, {3, "张三"}};
    for (const auto& c : cases) {
        m->SetState(c.state);
        EXPECT_EQ(c.correspondent, S(m->GetText(CEmailMessage::FIELD_CORRESPONDENT))) << c.state;
    }
}

TEST_F(EmailMessageTest, CloneCopiesTheContentButNotTheEnvelope) {
    std::unique_ptr<CEmailMessage> m = MakeFullMessage();
    std::unique_ptr<CContent> clone(m->Clone());
    auto* c = dynamic_cast<CEmailMessage*>(clone.get());
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(S(m->m_strSubject), S(c->m_strSubject));
    EXPECT_EQ(2, c->m_to.GetCount());
    EXPECT_EQ(1, c->m_bcc.GetCount());
    EXPECT_EQ(1, c->GetImportance());
    EXPECT_EQ(1, c->m_headerLines.GetSize());
    EXPECT_EQ(4, c->GetRoot().GetChildCount());
    EXPECT_EQ("", S(c->m_sender.m_strAddress));
    EXPECT_EQ(0u, c->m_dwNotify);
    EXPECT_EQ(CMiniDBRecord::NO_ID, c->GetRecordId());
    c->m_to.GetAt(0)->m_strAddress = "other@x";
    EXPECT_EQ("li@example.com", S(m->m_to.GetAt(0)->m_strAddress));
}

TEST_F(EmailMessageTest, DamagedRecordsFailToLoad) {
    std::unique_ptr<CEmailMessage> m = MakeFullMessage();
    const archive_bytes::Bytes whole = Store(*m);
    for (size_t n = 0; n < whole.size(); n += (n < 200 ? 1 : 7)) {
        CEmailMessage loaded;
        CMemFile file(const_cast<BYTE*>(whole.data()), static_cast<UINT>(n));
        EXPECT_FALSE(loaded.LoadFromFile(&file)) << "length " << n;
    }

    // Counts larger than the record, and parts nested past the limit.
    auto header = [](DWORD state) {
        return archive_bytes::Write([&](CArchive& ar) {
            ar << DWORD(5) << state << DWORD(0) << DWORD(0) << DWORD(0) << DWORD(0) << DWORD(0)
               << DWORD(0) << DWORD(0);
            ar << CTime(kNow) << CString() << CString() << CString();
            CStringArray none;
            none.Serialize(ar);
            CRegEmailAddress().Serialize(ar);
            CRegEmailAddress().Serialize(ar);
        });
    };
    auto part = [](CArchive& ar, DWORD children) {
        for (int i = 0; i < 9; ++i)
            ar << CString();
        ar << DWORD(2) << DWORD(0) << children;
    };
    const struct {
        const char* what;
        archive_bytes::Bytes tail;
    } cases[] = {
        {"huge To count", archive_bytes::Write([](CArchive& ar) { ar << DWORD(0x7FFFFFFF); })},
        {"huge child count", archive_bytes::Write([&](CArchive& ar) {
             ar << DWORD(0) << DWORD(0) << DWORD(0);
             part(ar, 0xFFFFFFFF);
         })},
        {"parts nested too deep", archive_bytes::Write([&](CArchive& ar) {
             ar << DWORD(0) << DWORD(0) << DWORD(0);
             for (int i = 0; i < 200; ++i)
                 part(ar, 1);
             part(ar, 0);
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        archive_bytes::Bytes bytes = header(2);
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        CEmailMessage loaded;
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        EXPECT_FALSE(loaded.LoadFromFile(&file));
    }
    // Nesting up to the limit loads.
    archive_bytes::Bytes deep = header(2);
    const archive_bytes::Bytes parts = archive_bytes::Write([&](CArchive& ar) {
        ar << DWORD(0) << DWORD(0) << DWORD(0);
        for (int i = 0; i < CEmailBodyPart::MAX_DEPTH; ++i)
            part(ar, 1);
        part(ar, 0);
    });
    deep.insert(deep.end(), parts.begin(), parts.end());
    CEmailMessage loaded;
    CMemFile file(deep.data(), static_cast<UINT>(deep.size()));
    EXPECT_TRUE(loaded.LoadFromFile(&file));
}

// ---- Header block and body ---------------------------------------------------------------

TEST(EmailMessageZone, ZoneTextHasSignHoursAndMinutes) {
    const struct {
        int minutes;
        const char* text;
    } cases[] = {{480, "+0800"}, {330, "+0530"},  {-210, "-0330"}, {0, "+0000"},
                 {-30, "-0030"}, {-600, "-1000"}, {765, "+1245"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, S(CEmailMessage::FormatZone(c.minutes)));
}

// Each golden file is the whole text a message formats to, with the clock pinned.
TEST_F(EmailMessageTest, FormattedMessagesMatchTheGoldenFiles) {
    PinnedClockAndZone clock("CST-8");
    std::unique_ptr<CEmailMessage> full = MakeFullMessage();
    CEmailMessage plain;
    plain.m_sender.Set("", "me@example.com");
    plain.AddRecipients("you@example.com", CEmailMessage::KIND_TO);
    plain.AddRecipients("hidden@example.com", CEmailMessage::KIND_BCC);
    plain.m_strSubject = "";
    plain.SetImportance(2);
    plain.SetText(".\n.leading dot\nlast line");
    int n = 0;
    FixBoundaries(plain.GetRoot(), n);

    const struct {
        const char* file;
        const CEmailMessage* message;
    } cases[] = {{"mime/full.eml", full.get()}, {"mime/plain.eml", &plain}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CString out = "kept:";
        ASSERT_TRUE(c.message->FormatMessage(out));
        if (std::getenv("MAIL_WRITE_GOLDEN") != nullptr)
            WriteBytes(TestData(c.file), WithoutMessageId(S(out).substr(5)));
        EXPECT_EQ("kept:" + ReadBytes(TestData(c.file)), WithoutMessageId(S(out)));
    }
}

TEST_F(EmailMessageTest, HeaderLinesFollowTheMessagesOptions) {
    PinnedClockAndZone clock("UTC0");
    CEmailMessage m;
    m.m_sender.Set("", "me@example.com");
    CString out;
    ASSERT_TRUE(m.FormatHeaders(out));
    EXPECT_EQ("From: me@example.com\r\nTo: \r\nSubject: =?gb2312?Q?"
              "?=\r\nX-Mailer: \r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/plain;\r\n\tcharset=gb2312\r\n"
              "Date: Sat, 14 Mar 2026 09:26:53 +0000\r\n"
              "Message-ID: <id>\r\n",
              WithoutMessageId(S(out)));
    // A new id at every formatting, at the sender's domain; an extra line's id stands instead.
    CString again;
    ASSERT_TRUE(m.FormatHeaders(again));
    EXPECT_NE(S(out), S(again));
    EXPECT_NE(std::string::npos, S(out).find("@example.com>\r\n"));
    m.AddHeaderLine("Message-ID: <given@example.com>");
    again.Empty();
    ASSERT_TRUE(m.FormatHeaders(again));
    const std::string given = S(again);
    EXPECT_NE(std::string::npos, given.find("\r\nMessage-ID: <given@example.com>\r\n"));
    EXPECT_EQ(given.find("Message-ID:"), given.rfind("Message-ID:")) << given;
    m.m_headerLines.RemoveAll();
    const struct {
        int importance;
        const char* line;
    } priorities[] = {{0, nullptr},
                      {1, "X-Priority: 1\r\n"},
                      {2, "X-Priority: 3\r\n"},
                      {3, "X-Priority: 5\r\n"},
                      {4, nullptr}};
    for (const auto& p : priorities) {
        m.SetImportance(p.importance);
        out.Empty();
        ASSERT_TRUE(m.FormatHeaders(out));
        EXPECT_EQ(p.line != nullptr, S(out).find("X-Priority") != std::string::npos);
        if (p.line != nullptr) {
            EXPECT_NE(std::string::npos, S(out).find(p.line));
        }
    }
    // MIME without children names no boundary.
    m.SetMime(TRUE);
    out.Empty();
    ASSERT_TRUE(m.FormatHeaders(out));
    EXPECT_NE(std::string::npos,
              S(out).find("MIME-Version: 1.0\r\nContent-Type: multipart/mixed\r\n"));
    // The zone is the one in force at the time written.
    PinnedClockAndZone india("IST-5:30");
    out.Empty();
    ASSERT_TRUE(m.FormatHeaders(out));
    EXPECT_NE(std::string::npos, S(out).find("Date: Sat, 14 Mar 2026 14:56:53 +0530\r\n"));
}

TEST_F(EmailMessageTest, UnsafeAddressesAndHeaderValuesAreRefused) {
    const struct {
        const char* what;
        std::function<void(CEmailMessage&)> spoil;
    } cases[] = {
        {"sender with a line break",
         [](CEmailMessage& m) { m.m_sender.m_strAddress = "me@x.cn\r\nBcc: all@x.cn"; }},
        {"empty sender", [](CEmailMessage& m) { m.m_sender.m_strAddress = ""; }},
        {"recipient with a blank",
         [](CEmailMessage& m) { m.m_to.GetAt(0)->m_strAddress = "a b@x"; }},
        {"Bcc with an angle bracket",
         [](CEmailMessage& m) { m.AddRecipients("x@y> NOTIFY=NEVER", CEmailMessage::KIND_BCC); }},
        {"reply-to with a NUL",
         [](CEmailMessage& m) { m.m_replyTo.m_strAddress = Bytes(std::string("r@x\0y", 5)); }},
        {"extra line with a line break",
         [](CEmailMessage& m) { m.AddHeaderLine("X-A: 1\r\nX-Injected: 2"); }},
        {"mailer with a line feed", [](CEmailMessage& m) { m.m_strMailer = "Q\nX-B: 1"; }},
        {"part content id with a CR",
         [](CEmailMessage& m) { m.GetRoot().GetChild(0)->m_strContentId = "<a>\rX: y"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CEmailMessage m;
        m.m_sender.Set("我", "me@example.com");
        m.AddRecipients("you@example.com", CEmailMessage::KIND_TO);
        m.SetMime(TRUE);
        m.SetText("text");
        CString out = "kept";
        ASSERT_TRUE(m.FormatMessage(out));
        c.spoil(m);
        out = "kept";
        EXPECT_FALSE(m.FormatMessage(out));
        EXPECT_EQ("kept", S(out));
        EXPECT_FALSE(m.GetSendProblem().IsEmpty());
    }
    // Names, subjects and attachment names go out encoded, so any byte in them is harmless.
    CEmailMessage m;
    m.m_sender.Set("a\r\nBcc: x", "me@example.com");
    m.m_strSubject = "s\r\nBcc: y";
    CString out;
    ASSERT_TRUE(m.FormatMessage(out));
    EXPECT_EQ(std::string::npos, S(out).find("\r\nBcc"));
}

// A file that cannot be read leaves the mail unfit to send: nothing is made of it, and the file is
// named, also when it is a later one of several.
TEST_F(EmailMessageTest, AnAttachmentThatCannotBeReadStopsTheFormatting) {
    WriteBytes(Path("here.txt"), "here");
    CEmailMessage m;
    m.m_sender.Set("", "me@example.com");
    m.AddRecipients("you@example.com", CEmailMessage::KIND_TO);
    m.AddAttachment(CString(Path("here.txt").c_str()));
    CString out = "kept", unreadable;
    ASSERT_TRUE(m.FormatMessage(out, &unreadable));
    EXPECT_EQ("", S(unreadable));
    m.AddAttachment(CString(Path("gone.bin").c_str()));
    m.AddAttachment(CString(Path("gone too.bin").c_str()));
    out = "kept";
    EXPECT_FALSE(m.FormatMessage(out, &unreadable));
    EXPECT_EQ("kept", S(out));
    EXPECT_EQ(Path("gone.bin"), S(unreadable));
}

// Python's email package reads the message back as a mail client would: headers, encoded words,
// quoted-printable and Base64 bodies, attachments byte for byte.
TEST_F(EmailMessageTest, PythonsMailReaderReadsTheMessageBack) {
    PinnedClockAndZone clock("CST-8");
    std::unique_ptr<CEmailMessage> m = MakeFullMessage();
    CString text;
    ASSERT_TRUE(m->FormatMessage(text));
    // What reaches the receiver: the DATA text with its stuffing undone.
    CString data = MakeSmtpData(text);
    std::string wire = S(data).substr(0, data.GetLength() - 5);
    std::string received;
    for (size_t pos = 0; pos < wire.size();) {
        size_t end = wire.find("\r\n", pos);
        end = end == std::string::npos ? wire.size() : end + 2;
        std::string line = wire.substr(pos, end - pos);
        received += line.rfind("..", 0) == 0 ? line.substr(1) : line;
        pos = end;
    }
    WriteBytes(Path("mail.eml"), received);
    const std::string command = "/usr/bin/python3 " + std::string(MAIL_TESTS_DIR) +
                                "/read_mail.py " + Path("mail.eml") + " > " + Path("read.txt") +
                                " 2>&1";
    ASSERT_EQ(0, std::system(command.c_str())) << ReadBytes(Path("read.txt"));

    const std::string expected = "defects 0\n"
                                 "header Subject " +
                                 Hex(S(m->m_strSubject)) +
                                 "\n"
                                 "header X-Mailer " +
                                 Hex("Quillmar") +
                                 "\n"
                                 "header X-Priority " +
                                 Hex("1") +
                                 "\n"
                                 "header MIME-Version " +
                                 Hex("1.0") +
                                 "\n"
                                 "address From " +
                                 Hex("张三") +
                                 " zhang@example.com\n"
                                 "address To " +
                                 Hex("李四") +
                                 " li@example.com\n"
                                 "address To " +
                                 Hex("Wang Wu") +
                                 " wang@example.com\n"
                                 "address Cc - zhao@example.com\n"
                                 "address Reply-To - reply@example.com\n"
                                 "address Disposition-Notification-To " +
                                 Hex("张三") +
                                 " zhang@example.com\n"
                                 "part text/plain gb2312 - " +
                                 Hex(S(m->GetPlainText())) +
                                 "\n"
                                 "part text/html gb2312 - " +
                                 Hex("<p>各位好</p>") +
                                 "\n"
                                 "part application/octet-stream - " +
                                 Hex("报价单.txt") + " " +
                                 Hex(ReadBytes(OsPathFromProgramPath(Path("报价单.txt").c_str()))) +
                                 "\n"
                                 "part application/octet-stream - " +
                                 Hex("data.bin") + " " + Hex(ReadBytes(Path("data.bin"))) + "\n";
    EXPECT_EQ(expected, ReadBytes(Path("read.txt")));
}

// ---- The DATA phase's text ---------------------------------------------------------------

TEST(SmtpData, LineEndsBecomeCrLfAndEveryLeadingDotIsDoubled) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", "\r\n.\r\n"},
        {".", "..\r\n.\r\n"},
        {"a\r\n.\r\nb", "a\r\n..\r\nb\r\n.\r\n"},
        {"a\n.b\r.c\r\n..d", "a\r\n..b\r\n..c\r\n...d\r\n.\r\n"},
        {"a.b\r\n", "a.b\r\n\r\n.\r\n"},
        {"x\r\r\ny", "x\r\n\r\ny\r\n.\r\n"},
        {"=B2=E2\r\n.=D2=D4=\r\n", "=B2=E2\r\n..=D2=D4=\r\n\r\n.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.out, S(MakeSmtpData(Bytes(c.in))));
    }
}

TEST(SmtpData, EnvelopeIdsGoAsXtext) {
    EXPECT_EQ("ABC123", S(EncodeXtext("ABC123")));
    EXPECT_EQ("a+2Bb+3Dc+20d+0D+0A+B2", S(EncodeXtext(Bytes("a+b=c d\r\n\xB2"))));
}

} // namespace
