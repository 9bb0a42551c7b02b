#include <gtest/gtest.h>

#include <string>

#include "platform/sys/Md5.h"

namespace {

// The RFC 1321 suite, lengths around the padding boundaries (55, 56, 64 and 65 bytes) and GBK text.
const struct {
    std::string input;
    const char* digest;
} kVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
    {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
    {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
    {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
    {"张三", "894152fff4f97e8fb2b8f304c5c56ebb"},
};

TEST(Md5, DigestsMatchTheReferenceVectors) {
    for (const auto& v : kVectors) {
        SCOPED_TRACE(v.input.size());
        EXPECT_STREQ(v.digest, CMd5::HexDigest(v.input.data(), v.input.size()).GetString());
    }
    CString upper = CMd5::HexDigest("abc", 3, TRUE);
    EXPECT_STREQ("900150983CD24FB0D6963F7D28E17F72", upper.GetString());
}

TEST(Md5, PiecesGiveTheDigestOfTheWholeAndFinalStartsOver) {
    const std::string text = std::string(70, 'x') + "message digest" + std::string(60, 'y');
    const CString whole = CMd5::HexDigest(text.data(), text.size());
    CMd5 md5;
    for (size_t split = 0; split <= text.size(); ++split) {
        SCOPED_TRACE(split);
        md5.Update(text.data(), split);
        md5.Update(text.data() + split, 0);
        md5.Update(text.data() + split, text.size() - split);
        BYTE digest[CMd5::DigestSize];
        md5.Final(digest);
        CString hex;
        for (BYTE b : digest)
            hex.AppendFormat("%02x", b);
        ASSERT_EQ(whole, hex);
    }
}

// RFC 2202's cases 1 to 7 (short keys, a 25-byte key, keys longer than the block, data longer
// than the block) and RFC 2195's CRAM-MD5 example.
TEST(Md5, HmacMatchesTheReferenceVectors) {
    std::string key25;
    for (char c = 1; c <= 25; ++c)
        key25 += c;
    const struct {
        std::string key, data;
        const char* digest;
    } cases[] = {
        {std::string(16, '\x0b'), "Hi There", "9294727a3638bb1c13f48ef8158bfc9d"},
        {"Jefe", "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738"},
        {std::string(16, '\xaa'), std::string(50, '\xdd'), "56be34521d144c88dbb8c733f0e8b3f6"},
        {key25, std::string(50, '\xcd'), "697eaf0aca3a3aea3a75164746ffaa79"},
        {std::string(16, '\x0c'), "Test With Truncation", "56461ef2342edc00f9bab995690efd4c"},
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {std::string(80, '\xaa'),
         "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "6f630fad67cda0ee1fb1f562db3aa53e"},
        {"tanstaaftanstaaf", "<1896.697170952@postoffice.reston.mci.net>",
         "b913a602c7eda7a495b4e6e7334d3890"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        BYTE digest[CMd5::DigestSize];
        CMd5::Hmac(c.key.data(), c.key.size(), c.data.data(), c.data.size(), digest);
        EXPECT_STREQ(c.digest, CMd5::ToHex(digest).GetString());
    }
}

TEST(Md5, HmacWithAnEmptyKeyUsesTheZeroBlock) {
    BYTE digest[CMd5::DigestSize];
    CMd5::Hmac(nullptr, 0, "", 0, digest);
    EXPECT_STREQ("74e6f7298a9c2d168935f58c001bad88", CMd5::ToHex(digest).GetString());
    EXPECT_STREQ("74E6F7298A9C2D168935F58C001BAD88", CMd5::ToHex(digest, TRUE).GetString());
}

} // namespace
