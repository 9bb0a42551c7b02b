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

} // namespace
