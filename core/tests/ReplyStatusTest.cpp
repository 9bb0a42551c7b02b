// Server replies: the code is the number the reply begins with, and nothing else.
#include <gtest/gtest.h>

#include <climits>

#include "core/ReplyStatus.h"

TEST(ReplyStatus, FreshStatusIsNotOk) {
    CReplyStatus status;
    EXPECT_EQ(status.m_nCode, -1);
    EXPECT_TRUE(status.m_strText.IsEmpty());
    EXPECT_FALSE(status.IsOk());
    EXPECT_TRUE(IsReplyCodeOk(0));
    EXPECT_FALSE(IsReplyCodeOk(101));
    EXPECT_FALSE(CReplyStatus::IsReplyCodeOk(-1));
}

TEST(ReplyStatus, ParsesTheLeadingCodeAndTheText) {
    const struct {
        int transport;
        const char* reply;
        BOOL keepText;
        int code;
        const char* text; // the text before the call is "old"
    } cases[] = {
        {0, "0#OK", TRUE, 0, "OK"},
        {0, "0", TRUE, 0, "0"}, // nothing follows the number: the whole reply
        {0, "12##bad number", TRUE, 12, "bad number"},
        {0, "3 busy", TRUE, 3, " busy"},
        {0, "\r\n 0#OK", TRUE, 0, "OK"}, // white space before the number is skipped
        {0, "no digits", TRUE, 101, "no digits"},
        {0, "", TRUE, 101, ""},
        // A page that is not a reply of the service must not count as success because it
        // holds a 0 somewhere.
        {0, "<html>Error 0: proxy refused</html>", TRUE, 101,
         "<html>Error 0: proxy refused</html>"},
        {0, "#0#x", TRUE, 101, "0#x"},
        {0, "Version 0", TRUE, 101, "Version 0"},
        {0, "99999999999#big", TRUE, INT_MAX, "big"},
        {0, "0#OK", FALSE, 0, "old"}, // without the flag the text stays
        {5, "0#OK", TRUE, 5, "old"},  // a transport failure wins and nothing else changes
        {-3, "0", TRUE, -3, "old"},
    };
    for (const auto& c : cases) {
        CReplyStatus status;
        status.m_strText = "old";
        EXPECT_EQ(status.Parse(c.transport, c.reply, c.keepText), c.code) << c.reply;
        EXPECT_EQ(status.m_nCode, c.code) << c.reply;
        EXPECT_STREQ(status.m_strText, c.text) << c.reply;
        EXPECT_EQ(status.IsOk() != FALSE, c.code == 0) << c.reply;
    }
}
