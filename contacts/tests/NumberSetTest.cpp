#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/NumberSet.h"

namespace {

struct RecordingSink : CINumberPicker {
    std::vector<std::string> numbers;
    void OnNumbersPicked(LPCTSTR lpszNumber) override { numbers.push_back(lpszNumber); }
};

TEST(NumberSetTest, ExpandsWildcardsInAscendingOrderOfTheirDigits) {
    struct Case {
        const char* tmpl;
        size_t count;
        const char* first;
        const char* second;
        const char* last;
    } cases[] = {
        {"13*0*", 100, "13000", "13001", "13909"},
        {"138****0000", 10000, "13800000000", "13800010000", "13899990000"},
        {"*", 10, "0", "1", "9"},
        {"*12", 10, "012", "112", "912"},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        CNumberSet set;
        set.Generate(c.tmpl, &sink);
        ASSERT_EQ(c.count, sink.numbers.size()) << c.tmpl;
        EXPECT_EQ(c.first, sink.numbers.front()) << c.tmpl;
        EXPECT_EQ(c.second, sink.numbers[1]) << c.tmpl;
        EXPECT_EQ(c.last, sink.numbers.back()) << c.tmpl;
        for (size_t i = 1; i < sink.numbers.size(); ++i)
            ASSERT_LT(sink.numbers[i - 1], sink.numbers[i]) << c.tmpl;
    }
}

TEST(NumberSetTest, TemplateWithoutWildcardStandsForNothing) {
    for (const char* tmpl : {"13800138000", ""}) {
        RecordingSink sink;
        CNumberSet set;
        set.Generate(tmpl, &sink);
        EXPECT_TRUE(sink.numbers.empty()) << tmpl;
    }
}

} // namespace
