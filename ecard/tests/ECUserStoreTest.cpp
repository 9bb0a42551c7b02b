// The user's file "ECard\Users\<n>\User.dat": what it keeps, that it reads back byte for byte,
// that a damaged or hostile file changes nothing, and which folders count as local users.
#include "ecard/tests/ECardTestSupport.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "ecard/ECUserDoc.h"
#include "platform/base/ModuleDir.h"
#include "testsupport/ArchiveBytes.h"

using namespace ecard_test;

namespace {

class ECUserStoreTest : public ECardTest {
protected:
    static void Fill(CECUser& user) {
        user.SetUserNumber(12345678);
        SECAccount& a = user.GetAccount();
        a.m_strUserName = "小王";
        a.m_strPassword = "abc123";
        a.m_strEmail = "w@example.cn";
        a.m_strSecureEmail = "s@example.cn";
        a.m_strCertType = "身份证";
        a.m_strCert = "110";
        user.SetName("小王");
        user.m_strUserName = "小王";
        user.m_strLocation = "办公室";
        user.m_access[0] = 0x0F;
        auto* mine = new CECGroup("同学");
        user.GetFriends().AddSubgroup(mine, FALSE);
        for (UINT i = 0; i < 5; ++i)
            AddContact(i % 2 ? *mine : user.GetFriends(), 100 + i, "朋友");
        AddContact(user.GetStrangers(), 200, "路人");
        AddContact(user.GetDeregistered(), 300, "旧友")->m_dwStatus =
            CECContact::STATUS_DEREGISTERED;
        user.m_pendingAccess[1] = 5;
        user.GetUnionGroup(0).AddObject(new CECUnion("u"));
    }
    static std::filesystem::path UsersFolder() {
        return GetProgramFolderPath() / "ECard" / "Users";
    }
    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
};

TEST_F(ECUserStoreTest, UserFileRoundTripsByteForByte) {
    CECUserDoc doc;
    Fill(doc.GetUser());
    ASSERT_TRUE(doc.SaveUser());
    const auto file = UsersFolder() / "12345678" / "User.dat";
    const std::string first = ReadFile(file);
    ASSERT_FALSE(first.empty());

    CECUserDoc again;
    ASSERT_TRUE(again.LoadUser(12345678));
    CECUser& user = again.GetUser();
    EXPECT_EQ("abc123", user.GetAccount().m_strPassword);
    EXPECT_EQ("身份证", user.GetAccount().m_strCertType);
    EXPECT_EQ(12345678u, user.m_nUid);
    EXPECT_EQ("办公室", user.m_strLocation);
    EXPECT_EQ(0x0F, user.m_access[0]);
    EXPECT_EQ(6, user.GetFriends().GetContentCount(TRUE, TRUE) + 1);
    EXPECT_NE(nullptr, user.GetStrangers().FindByNumber(200));
    EXPECT_NE(nullptr, user.GetRootGroup().FindByNumber(300));
    EXPECT_EQ("我的好友", user.GetFriends().GetName());
    EXPECT_EQ(CECGroup::ROLE_FRIENDS, user.GetFriends().GetRole());
    // Not stored: pending access and the union groups.
    EXPECT_EQ(SECAccess(), user.m_pendingAccess);
    EXPECT_EQ(nullptr, user.GetUnionGroup(0).GetFirstItem());

    std::filesystem::remove(file);
    ASSERT_TRUE(again.SaveUser());
    EXPECT_EQ(first, ReadFile(file));
}

TEST_F(ECUserStoreTest, HostileFilesFailAndChangeNothing) {
    // Plain archives (version 0x00010000) let the test write the user's bytes directly.
    auto plain = [](const std::function<void(CArchive&)>& body) {
        auto bytes = archive_bytes::Write([&](CArchive& ar) {
            ar << (DWORD)0x00010000;
            body(ar);
        });
        return std::string(bytes.begin(), bytes.end());
    };
    auto account = [](CArchive& ar) {
        ar << (DWORD)7;
        for (int i = 0; i < 6; ++i)
            ar << CString("x");
    };
    CECContact card;
    const std::string valid = plain([&](CArchive& ar) {
        account(ar);
        card.Serialize(ar);
        for (int i = 0; i < 3; ++i)
            ar << (DWORD)0 << (DWORD)0 << CString("g") << (DWORD)0;
    });
    const std::string rows[] = {
        valid.substr(0, valid.size() - 3), // cut short
        plain([&](CArchive& ar) {          // counts the file cannot hold
            account(ar);
            card.Serialize(ar);
            ar << (DWORD)0xFFFFFFF0 << (DWORD)0xFFFFFFF0;
        }),
        plain([&](CArchive& ar) { // nesting without end
            account(ar);
            card.Serialize(ar);
            for (int i = 0; i < 5000; ++i)
                ar << (DWORD)1 << (DWORD)0;
        }),
        plain([&](CArchive& ar) { // a string longer than the file
            ar << (DWORD)7 << (BYTE)0xFF << (WORD)0xFFFF << (DWORD)0x7FFFFFF0;
        }),
        std::string("\x3c\x00\x01\x00garbage", 11),
    };

    CECUserDoc doc;
    Fill(doc.GetUser());
    const auto before = archive_bytes::Store(doc.GetUser());
    for (const std::string& bytes : rows) {
        WriteFile(UsersFolder() / "7" / "User.dat", bytes);
        Messages().clear();
        EXPECT_FALSE(doc.LoadUser(7));
        ASSERT_EQ(1u, Messages().size());
        EXPECT_EQ("打开文档失败。\n" + (UsersFolder() / "7" / "User.dat").string(), Messages()[0]);
        EXPECT_EQ(before, archive_bytes::Store(doc.GetUser()));
    }
    WriteFile(UsersFolder() / "7" / "User.dat", valid);
    EXPECT_TRUE(doc.LoadUser(7));
    EXPECT_EQ(7u, doc.GetUser().GetAccount().m_nUid);
    EXPECT_EQ(0, doc.GetUser().GetFriends().GetContentCount(TRUE, TRUE));
}

TEST_F(ECUserStoreTest, LocalUsersAreFoldersNamedByNumbers) {
    for (const char* name : {"123", "00042", "12a", "0", "99999999999", "4294967295"})
        std::filesystem::create_directories(UsersFolder() / name);
    WriteFile(UsersFolder() / "555", "a file");
    CDWordArray numbers;
    ASSERT_EQ(3, GetLocalECUsers(numbers));
    std::set<DWORD> found(numbers.GetData(), numbers.GetData() + numbers.GetSize());
    EXPECT_EQ((std::set<DWORD>{42, 123, 4294967295u}), found);
    EXPECT_EQ(0u, ParseECUserFolderName(""));
    EXPECT_EQ(0u, ParseECUserFolderName("4294967296"));
}

} // namespace
