#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/CreditStatic.h"

#include <QImage>

namespace {

class CreditStaticTest : public GuiTest {
protected:
    CWnd parent;
    CCreditStatic credits;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "about", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 200, 120), nullptr, 0));
        ASSERT_TRUE(credits.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 120), &parent, 5));
    }
};

TEST_F(CreditStaticTest, LastCharacterPicksTheStyle) {
    struct Case {
        const char* line;
        int height, weight;
        COLORREF colour;
    };
    const Case cases[] = {{"墨川\t", 21, FW_BOLD, 0x0000FF},
                          {"开发\n", 19, FW_BOLD, 0x00FFFF},
                          {"测试\r", 17, FW_BOLD, 0xFFFF00},
                          {"张三", 15, FW_THIN, 0xFFFFFF},
                          {"", 15, FW_THIN, 0xFFFFFF}};
    for (const Case& c : cases) {
        int h = 0, w = 0;
        COLORREF col = 0;
        ASSERT_TRUE(credits.GetLineStyle(c.line, h, w, col)) << c.line;
        EXPECT_EQ(h, c.height);
        EXPECT_EQ(w, c.weight);
        EXPECT_EQ(col, c.colour);
    }
    int h, w;
    COLORREF col;
    EXPECT_FALSE(credits.GetLineStyle("IDB_LOGO^", h, w, col)) << "a picture line";
}

TEST_F(CreditStaticTest, StartNeedsLinesAndTheSpeedSlotSetsTheRate) {
    EXPECT_FALSE(credits.StartScrolling());
    EXPECT_FALSE(credits.IsScrolling());
    credits.SetCredits("墨川\t|张三||李四", '|');
    EXPECT_EQ(credits.GetLineCount(), 4) << "an empty piece is a blank line";
    EXPECT_EQ(credits.SetSpeed(2, 25), 2);
    EXPECT_EQ(credits.GetInterval(), 25u);
    EXPECT_EQ(credits.SetSpeed(0, 0), 0);
    EXPECT_EQ(credits.GetInterval(), 70u) << "zero keeps the slot's interval";
    ASSERT_TRUE(credits.StartScrolling());
    EXPECT_TRUE(credits.IsScrolling());
    credits.StopScrolling();
    EXPECT_FALSE(credits.IsScrolling());
    EXPECT_EQ(credits.GetWorkBitmap(), nullptr);
}

TEST_F(CreditStaticTest, LinesEnterInTurnAndTheListWrapsWithoutAPause) {
    credits.SetCredits("一|二|三", '|');
    ASSERT_TRUE(credits.StartScrolling());
    credits.StopScrolling(); // the test drives the ticks itself
    std::vector<CString> entered;
    for (int i = 0; i < 15 * 4 + 2; ++i) {
        CString before = credits.GetEnteringLine();
        credits.Tick();
        if (credits.GetEnteringLine() != before || i == 0)
            entered.push_back(credits.GetEnteringLine());
    }
    ASSERT_GE(entered.size(), 4u);
    EXPECT_EQ(entered[0], CString("一"));
    EXPECT_EQ(entered[1], CString("二"));
    EXPECT_EQ(entered[2], CString("三"));
    EXPECT_EQ(entered[3], CString("一"));
    EXPECT_FALSE(credits.IsFirstPass());
}

TEST_F(CreditStaticTest, ALongLineWidensTheBandButNeverBeyondTheControl) {
    credits.SetCredits("短|这是一行相当长的致谢文字|短", '|');
    credits.StartScrolling();
    credits.StopScrolling();
    credits.Tick();
    int first = credits.GetBandWidth();
    EXPECT_GT(first, 0);
    for (int i = 0; i < 16; ++i)
        credits.Tick();
    int widened = credits.GetBandWidth();
    EXPECT_GT(widened, first);
    for (int i = 0; i < 16; ++i)
        credits.Tick();
    EXPECT_EQ(credits.GetBandWidth(), widened) << "a short line does not narrow it";
    CCreditStatic narrow;
    ASSERT_TRUE(narrow.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 30, 60), &parent, 6));
    CString wide('W', 60);
    narrow.SetCredits(wide, '|');
    narrow.StartScrolling();
    narrow.StopScrolling();
    narrow.Tick();
    EXPECT_EQ(narrow.GetBandWidth(), 30);
}

TEST_F(CreditStaticTest, ScrolledTextRisesInTheBandInItsColour) {
    credits.SetCredits("墨川\t|张三", '|');
    credits.StartScrolling();
    credits.StopScrolling();
    for (int i = 0; i < 40; ++i)
        credits.Tick();
    CBitmap* work = credits.GetWorkBitmap();
    ASSERT_NE(work, nullptr);
    QImage* img = work->GetImage();
    ASSERT_NE(img, nullptr);
    // The bold red title has risen 40 pixels: red ink above the bottom 20 rows, black ground.
    bool red = false;
    for (int y = 120 - 45; y < 120 - 20 && !red; ++y)
        for (int x = 0; x < 200 && !red; ++x)
            red = qRed(img->pixel(x, y)) > 150 && qBlue(img->pixel(x, y)) < 80;
    EXPECT_TRUE(red);
    EXPECT_EQ(QColor(img->pixel(2, 2)), QColor(0, 0, 0));
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("credits-scrolling").c_str()));
}

} // namespace
