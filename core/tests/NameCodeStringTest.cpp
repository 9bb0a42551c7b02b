#include "core/NameCodeString.h"

#include <gtest/gtest.h>

namespace {

TEST(NameCodeString, SetBuildsTheStoredForm) {
    struct Row {
        const char* name;
        const char* code;
        const char* stored;
    };
    const Row rows[] = {
        {"张三", "13800138000", "张三\n13800138000"},
        {"", "13800138000", "13800138000"},
        {nullptr, "a@b.cn", "a@b.cn"},
        {"张三", "", "张三"},
        {"", "", "before"}, // nothing given: the text stays as it was
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        CNameCodeString s("before");
        s.Set(row.name, row.code);
        EXPECT_EQ(s.m_str, CString(row.stored));
    }
}

TEST(NameCodeString, ReadsNameCodeAndDisplayText) {
    struct Row {
        const char* stored;
        const char* name;
        const char* nameOrCode;
        const char* code;
        const char* display;
    };
    const Row rows[] = {
        {"张三\n138", "张三", "张三", "138", "张三<138>"},
        {"138", "", "138", "138", "138"},
        {"\n138", "", "138", "138", "138"},
        {"张三\n138\nextra", "张三", "张三", "138", "张三<138>"},
        {"", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        CNameCodeString s(row.stored);
        EXPECT_EQ(s.GetName(), CString(row.name));
        EXPECT_EQ(s.GetName(TRUE), CString(row.nameOrCode));
        EXPECT_EQ(CNameCodeString::GetNameOf(row.stored, TRUE), CString(row.nameOrCode));
        EXPECT_EQ(s.GetCode(), CString(row.code));
        EXPECT_EQ(s.GetDisplayText(), CString(row.display));
    }
}

TEST(NameCodeString, ParseDisplayText) {
    struct Row {
        const char* display;
        const char* stored;
    };
    const Row rows[] = {
        {"张三<13800138000>", "张三\n13800138000"},
        {"13800138000", "13800138000"},
        {"A <B>", "A \nB"}, // the name is not trimmed
        {"<B>", "B"},
        {"A<B", "A\nB"},          // no ">": the code runs to the end
        {"a<b>c<d>", "a<b>c\nd"}, // the last "<" counts
        {"x>y<z", "x>y\nz"},      // a ">" before the "<" closes nothing
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.display);
        CNameCodeString s;
        s.ParseDisplayText(row.display);
        EXPECT_EQ(s.m_str, CString(row.stored));
    }
    // The display text parses back to the same stored form.
    CNameCodeString original("李四", "li@example.cn");
    CNameCodeString parsed;
    parsed.ParseDisplayText(original.GetDisplayText());
    EXPECT_EQ(parsed.m_str, original.m_str);
}

TEST(NameCodeString, EmptyOrElevenChars) {
    EXPECT_TRUE(IsEmptyOrElevenChars(""));
    EXPECT_TRUE(IsEmptyOrElevenChars("13800138000"));
    EXPECT_FALSE(IsEmptyOrElevenChars("1380013800"));
    EXPECT_FALSE(IsEmptyOrElevenChars("138001380001"));
}

} // namespace
