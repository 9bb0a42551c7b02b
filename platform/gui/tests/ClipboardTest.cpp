#include "GuiTestSupport.h"

#include "platform/gui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <cstring>

namespace {

using ClipboardTest = GuiTest;

HGLOBAL TextBlock(const char* gbk) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, std::strlen(gbk) + 1);
    char* p = static_cast<char*>(GlobalLock(h));
    std::strcpy(p, gbk);
    GlobalUnlock(h);
    return h;
}

TEST_F(ClipboardTest, GbkTextGoesOutAsUnicodeAndComesBack) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr)) << "one user at a time";
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL h = TextBlock("张三 13800000001");
    EXPECT_EQ(SetClipboardData(CF_TEXT, h), h);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(u8"张三 13800000001"));

    // What another program put there arrives as GBK text.
    QGuiApplication::clipboard()->setText(QString::fromUtf8(u8"李四：你好"));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL got = GetClipboardData(CF_TEXT);
    ASSERT_NE(got, nullptr);
    const char* text = static_cast<const char*>(GlobalLock(got));
    EXPECT_STREQ(text, "李四：你好");
    EXPECT_EQ(GlobalSize(got), std::strlen("李四：你好") + 1);
    GlobalUnlock(got);
    EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
    CloseClipboard();

    // Nothing goes in or out while the clipboard is closed.
    HGLOBAL spare = TextBlock("x");
    EXPECT_EQ(SetClipboardData(CF_TEXT, spare), nullptr);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_EQ(GlobalFree(spare), nullptr);
}

TEST_F(ClipboardTest, BlocksWithoutAnEndStopAtTheirSize) {
    HGLOBAL h = GlobalAlloc(GHND, 4);
    std::memcpy(GlobalLock(h), "abcd", 4); // no NUL: the text is the whole block
    GlobalUnlock(h);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("abcd"));
    // Handles that are not blocks are answered, never touched.
    HGLOBAL bogus = reinterpret_cast<HGLOBAL>(&h);
    EXPECT_EQ(GlobalLock(bogus), nullptr);
    EXPECT_EQ(GlobalFree(bogus), bogus);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, ~(SIZE_T)0), nullptr);
}

} // namespace
