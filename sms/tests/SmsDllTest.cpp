#include "sms/MobileNumber.h"
#include "sms/SmsDll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Gateways(const char* path, int* pCount = nullptr) {
    CSmsDll dll;
    EXPECT_TRUE(dll.Load(path)) << path;
    CStringList list;
    list.AddTail("left over");
    const int n = dll.GetGatewayList(list);
    if (pCount)
        *pCount = n;
    std::vector<std::string> names;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        names.emplace_back((LPCTSTR)list.GetNext(pos));
    return names;
}

TEST(SmsDll, TwoNamesEachEndedByALineBreakGiveTwoGateways) {
    int n = 0;
    EXPECT_EQ(Gateways(GATEWAY_PLUGIN1, &n), (std::vector<std::string>{"移动网关", "Unicom"}));
    EXPECT_EQ(2, n);
}

TEST(SmsDll, APluginThatWritesNothingGivesNoGateway) {
    int n = -1;
    EXPECT_TRUE(Gateways(GATEWAY_PLUGIN2, &n).empty());
    EXPECT_EQ(0, n);
}

TEST(SmsDll, AFullBufferWithoutAZeroIsReadUpToItsLastByte) {
    EXPECT_EQ(Gateways(GATEWAY_PLUGIN3), (std::vector<std::string>{std::string(1023, 'g')}));
}

TEST(SmsDll, APluginWithoutTheListExportOrNoLibraryGivesAnEmptyList) {
    int n = -1;
    EXPECT_TRUE(Gateways(GATEWAY_PLUGIN4, &n).empty());
    EXPECT_EQ(0, n);
    CSmsDll none;
    CStringList list;
    list.AddTail("x");
    EXPECT_EQ(0, none.GetGatewayList(list));
    EXPECT_TRUE(list.IsEmpty());
}

TEST(MobileNumber, OnlyElevenDigitsBeginningWith13) {
    const struct {
        const char* text;
        BOOL legal;
    } cases[] = {
        {"13812345678", TRUE},  {"13000000000", TRUE},  {"15812345678", FALSE},
        {"1381234567", FALSE},  {"138123456789", FALSE}, {"1381234567a", FALSE},
        {"13 12345678", FALSE}, {"", FALSE},             {"１3812345678", FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.legal, IsMobileNumber(c.text)) << c.text;
    EXPECT_FALSE(IsMobileNumber(nullptr));
}

} // namespace
