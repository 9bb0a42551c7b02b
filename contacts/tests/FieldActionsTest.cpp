#include <gtest/gtest.h>

#include "contacts/FieldActions.h"
#include "contacts/PersonFields.h"

namespace {

TEST(FieldActionsTest, OnlyPhoneMailAndWebFieldsHaveAnAction) {
    for (int f = 0; f < PERSON_FIELD_COUNT; ++f) {
        const FieldAction action = GetPersonFieldAction(f);
        const bool listed = f == 5 || f == 6 || f == 13 || f == 14 || f == 20 || f == 31 ||
                            f == 32 || f == 38 || f == 39;
        EXPECT_EQ(listed, action != FIELD_ACTION_NONE) << f;
        EXPECT_EQ(listed, !GetPersonFieldMenuCaption(f).IsEmpty()) << f;
    }
    EXPECT_STREQ("办公电话:", GetPersonFieldMenuCaption(31));
    EXPECT_STREQ("组邮箱:", GetGroupPropertyMenuCaption(9));
    EXPECT_EQ(FIELD_ACTION_DIAL, GetGroupPropertyAction(7));
    EXPECT_EQ(FIELD_ACTION_NONE, GetGroupPropertyAction(8));
}

TEST(FieldActionsTest, AddressesCannotBeTurnedIntoSomethingElse) {
    struct Case {
        FieldAction action;
        const char* value;
        const char* name;
        BOOL quoted;
        const char* want; // null: refused
    } cases[] = {
        {FIELD_ACTION_WEB, "www.example.com/a?b=1", "", FALSE, "http://www.example.com/a?b=1"},
        {FIELD_ACTION_WEB, " HTTPS://example.com ", "", FALSE, "HTTPS://example.com"},
        {FIELD_ACTION_WEB, "ftp://files.example.com", "", FALSE, "ftp://files.example.com"},
        {FIELD_ACTION_WEB, "file:///etc/passwd", "", FALSE, nullptr},
        {FIELD_ACTION_WEB, "/usr/bin/xterm", "", FALSE, nullptr},
        {FIELD_ACTION_WEB, "C:\\Windows\\calc.exe", "", FALSE, nullptr},
        {FIELD_ACTION_WEB, "javascript:alert(1)", "", FALSE, nullptr},
        {FIELD_ACTION_WEB, "", "", FALSE, nullptr},
        {FIELD_ACTION_MAIL, "zhang@example.com", "张三", FALSE, "mailto:zhang@example.com"},
        {FIELD_ACTION_MAIL, "a@b.cn?subject=x&body=y#z%", "", FALSE,
         "mailto:a@b.cn%3Fsubject%3Dx%26body%3Dy%23z%25"},
        {FIELD_ACTION_MAIL, "zhang@example.com", "张三", TRUE,
         "mailto:%22%E5%BC%A0%E4%B8%89%22%3Czhang@example.com%3E"},
        {FIELD_ACTION_MAIL, "x@y.cn\r\nBcc: z@w.cn", "", FALSE, "mailto:x@y.cnBcc%3A%20z@w.cn"},
        {FIELD_ACTION_DIAL, "+86 (010) 6275-1234 转 8#", "", FALSE, "tel:+8601062751234" "8%23"},
        {FIELD_ACTION_DIAL, "*123#", "", FALSE, "tel:*123%23"},
        {FIELD_ACTION_DIAL, "无", "", FALSE, nullptr},
    };
    for (const Case& c : cases) {
        CString address, error;
        const BOOL ok = BuildFieldActionAddress(c.action, c.value, c.name, c.quoted, address, error);
        if (c.want == nullptr) {
            EXPECT_FALSE(ok) << c.value;
            EXPECT_FALSE(error.IsEmpty()) << c.value;
        } else {
            EXPECT_TRUE(ok) << c.value;
            EXPECT_STREQ(c.want, address) << c.value;
        }
    }
}

} // namespace
