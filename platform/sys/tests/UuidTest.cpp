#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "platform/sys/Uuid.h"

namespace {

std::string ToText(const UUID& uuid) {
    RPC_CSTR text = nullptr;
    EXPECT_EQ(RPC_S_OK, UuidToStringA(&uuid, &text));
    std::string s(reinterpret_cast<const char*>(text));
    EXPECT_EQ(RPC_S_OK, RpcStringFreeA(&text));
    EXPECT_EQ(nullptr, text);
    return s;
}

TEST(Uuid, TextIsLowerCaseGroupsWithoutBraces) {
    const UUID uuid = {
        0x0A1B2C3D, 0xABCD, 0x00EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    EXPECT_EQ("0a1b2c3d-abcd-00ef-0123-456789abcdef", ToText(uuid));
}

TEST(Uuid, NewIdentifiersAreRandomVersionFourAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        UUID uuid;
        ASSERT_EQ(RPC_S_OK, UuidCreate(&uuid));
        std::string s = ToText(uuid);
        ASSERT_EQ(36u, s.size());
        for (size_t pos = 0; pos < s.size(); ++pos) {
            if (pos == 8 || pos == 13 || pos == 18 || pos == 23)
                ASSERT_EQ('-', s[pos]) << s;
            else
                ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(s[pos])) &&
                            !std::isupper(static_cast<unsigned char>(s[pos])))
                    << s;
        }
        EXPECT_EQ('4', s[14]) << s;
        EXPECT_NE(std::string::npos, std::string("89ab").find(s[19])) << s;
        EXPECT_TRUE(seen.insert(s).second) << s;
    }
}

TEST(Uuid, NullArgumentsAreRefused) {
    UUID uuid{};
    RPC_CSTR text = nullptr;
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidCreate(nullptr));
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidToStringA(nullptr, &text));
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidToStringA(&uuid, nullptr));
    EXPECT_EQ(RPC_S_INVALID_ARG, RpcStringFreeA(nullptr));
}

} // namespace
