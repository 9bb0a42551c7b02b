// Mail and web addresses built from values written by hand: the scheme is never doubled and only
// web schemes open.
#include <gtest/gtest.h>

#include "core/FieldActionAddress.h"

TEST(FieldActionAddressTest, MailAndWebValuesBecomeOneSafeAddress) {
    struct Case {
        FieldAction action;
        const char* value;
        const char* address; // null: refused
    } cases[] = {
        {FIELD_ACTION_MAIL, "notes@example.com", "mailto:notes@example.com"},
        {FIELD_ACTION_MAIL, " mailto:notes@example.com ", "mailto:notes@example.com"},
        {FIELD_ACTION_MAIL, "MAILTO:a@b.org", "mailto:a@b.org"},
        {FIELD_ACTION_MAIL, "a@b.org?cc=x@y.z", "mailto:a@b.org%3Fcc%3Dx@y.z"},
        {FIELD_ACTION_MAIL, "mailto:", nullptr},
        {FIELD_ACTION_WEB, "www.example.org", "http://www.example.org"},
        {FIELD_ACTION_WEB, "https://www.gov.cn/", "https://www.gov.cn/"},
        {FIELD_ACTION_WEB, "ftp://example.org/a", "ftp://example.org/a"},
        {FIELD_ACTION_WEB, "file:///etc/passwd", nullptr},
        {FIELD_ACTION_WEB, "javascript:alert(1)", nullptr},
    };
    for (const Case& c : cases) {
        CString address, error;
        BOOL ok = BuildFieldActionAddress(c.action, c.value, "", FALSE, address, error);
        EXPECT_EQ(ok, c.address != nullptr) << c.value;
        if (c.address != nullptr)
            EXPECT_EQ(address, c.address) << c.value;
        else
            EXPECT_FALSE(ok && error.IsEmpty()) << c.value;
    }
}
