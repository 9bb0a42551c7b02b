// Shortening text to a width, and reading a column of a list control.
#include "platform/gui/tests/GuiTestSupport.h"

#include <QImage>

#include "core/HanziString.h"
#include "core/ui/ControlText.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ListCtrl.h"

namespace {

class ControlTextTest : public GuiTest {
protected:
    QImage image{400, 40, QImage::Format_RGB32};
    CDC dc;
    void SetUp() override { dc.AttachImage(&image); }
    int Width(const CString& text) { return dc.GetTextExtent(text).cx; }
};

} // namespace

// For every width up to the whole text: a text that fits stays; otherwise the result is the
// longest prefix of whole characters that fits with "..." after it.
TEST_F(ControlTextTest, FitTextKeepsTheLongestPrefixOfWholeCharactersThatFits) {
    const char* texts[] = {"墨川个人信息管理", "ab墨川cd", "Quillmar notes", "W"};
    for (const char* original : texts) {
        const int full = Width(original);
        const int chars = CountDoubleByteAwareChars(original);
        for (int width = 0; width <= full + 2; ++width) {
            CString text = original;
            const BOOL shortened = FitTextWithEllipsis(&dc, text, width);
            if (full <= width) {
                EXPECT_FALSE(shortened) << original << " @" << width;
                EXPECT_STREQ(text, original);
                continue;
            }
            ASSERT_TRUE(shortened) << original << " @" << width;
            ASSERT_EQ(text.Right(3), "...") << original << " @" << width;
            const CString prefix = text.Left(text.GetLength() - 3);
            const int kept = CountDoubleByteAwareChars(prefix);
            ASSERT_LT(kept, chars);
            // A prefix of whole characters: never half of a Chinese character.
            EXPECT_STREQ(prefix, MidByChars(original, 0, kept)) << original << " @" << width;
            if (kept > 0) {
                EXPECT_LE(Width(text), width) << original << " @" << width;
            }
            // One character more would not have fitted.
            EXPECT_GT(Width(MidByChars(original, 0, kept + 1) + "..."), width)
                << original << " @" << width;
        }
    }
}

TEST_F(ControlTextTest, FitTextWithoutADeviceContextLeavesTheText) {
    CString text = "墨川个人信息管理";
    EXPECT_FALSE(FitTextWithEllipsis(nullptr, text, 1));
    EXPECT_STREQ(text, "墨川个人信息管理");
}

TEST_F(ControlTextTest, ColumnTextsInRowOrderAddedToTheList) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "list", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0));
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 300, 200), &parent, 1));
    list.InsertColumn(0, "姓名");
    list.InsertColumn(1, "手机");

    CStringList texts;
    EXPECT_EQ(GetListCtrlColumnTexts(list, texts, 0), 0);
    EXPECT_TRUE(texts.IsEmpty());

    const char* rows[][2] = {{"张三", "13900000001"}, {"李四", ""}, {"Wang", "13900000003"}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(list.InsertItem(i, rows[i][0]), i);
        list.SetItemText(i, 1, rows[i][1]);
    }

    texts.AddTail("kept");
    EXPECT_EQ(GetListCtrlColumnTexts(list, texts, 1), 3);
    CStringList names;
    EXPECT_EQ(GetListCtrlColumnTexts(list, names, 0), 3);

    const char* expectedPhones[] = {"kept", "13900000001", "", "13900000003"};
    ASSERT_EQ(texts.GetCount(), 4);
    POSITION pos = texts.GetHeadPosition();
    for (const char* phone : expectedPhones)
        EXPECT_STREQ(texts.GetNext(pos), phone);
    pos = names.GetHeadPosition();
    for (const auto& row : rows)
        EXPECT_STREQ(names.GetNext(pos), row[0]);
}
