#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/gui/tests/NotifyRecorder.h"
#include "ui/BkManager.h"
#include "ui/ClipboardText.h"
#include "ui/DrawHelpers.h"

#include "platform/base/Profile.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/ListCtrl.h"

#include <QImage>
#include <memory>

namespace {

// A report list with a few rows, as the contact and message lists show them.
struct ListWindow {
    std::unique_ptr<CListCtrl> list = std::make_unique<CListCtrl>();
    CListCtrlBkManager manager;

    ListWindow(CWnd* parent, const CRect& rect, LPCTSTR section, const CBkInfo& defaults) {
        list->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, rect, parent, 100);
        list->InsertColumn(0, "姓名", LVCFMT_LEFT, 70);
        list->InsertColumn(1, "手机", LVCFMT_LEFT, 100);
        const char* rows[][2] = {
            {"张三", "13800000001"}, {"李四", "13900000002"}, {"王五", "13700000003"}};
        for (int i = 0; i < 3; ++i) {
            list->InsertItem(i, rows[i][0]);
            list->SetItemText(i, 1, rows[i][1]);
        }
        manager.SetWindow(list.get(), 2);
        manager.SetSection(section);
        manager.SetDefaultBkInfo(defaults);
        manager.LoadFromProfile();
    }
    bool HasImage() const {
        LVBKIMAGE bi{};
        list->GetBkImage(&bi);
        return bi.hbm != nullptr;
    }
    bool IsTiled() const {
        LVBKIMAGE bi{};
        list->GetBkImage(&bi);
        return (bi.ulFlags & LVBKIF_STYLE_MASK) == LVBKIF_STYLE_TILE;
    }
    bool HasGrid() const { return (list->GetExtendedStyle() & LVS_EX_GRIDLINES) != 0; }
};

class BkManagerTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    QTemporaryDir dir;
    CString tile, other;
    CBkInfo defaults;

    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(420, 160));
        tile = MakeImage("tile.png", QColor(220, 235, 250), QColor(190, 215, 240));
        other = MakeImage("other.png", QColor(250, 240, 210), QColor(235, 215, 170));
        defaults.nMethod = CBkInfo::MethodImage;
        defaults.strImagePath = tile;
    }
    void TearDown() override { AfxSetModalDialogHook(nullptr); }

    // A small checked tile, so a picture shows whether the image is laid.
    CString MakeImage(const char* name, QColor a, QColor b) {
        QImage img(24, 24, QImage::Format_RGB32);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                img.setPixelColor(x, y, ((x / 12) + (y / 12)) % 2 ? a : b);
        QString path = dir.filePath(name);
        img.save(path, "PNG");
        return AfxFromQt(path);
    }
    // What a later run of the program finds: the profile read again from its file.
    static void Restart() { CProfileStore::ReloadForTesting(); }
};

TEST_F(BkManagerTest, FreshProfileGivesTheDefaultBackgroundAndTheControlsTextColour) {
    ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Fresh", defaults);
    EXPECT_TRUE(w.manager.IsDefaultBk());
    EXPECT_EQ(CBkInfo::MethodImage, w.manager.GetCurrent().nMethod);
    EXPECT_TRUE(w.HasImage());
    EXPECT_TRUE(w.IsTiled());
    EXPECT_TRUE(w.manager.IsDefTextColor());
    EXPECT_EQ(BK_DEFAULT_COLOR, w.manager.GetTextColor());
}

TEST_F(BkManagerTest, EachKindOfBackgroundSurvivesARestart) {
    struct Case {
        const char* section;
        int command; // 0: apply the setting below instead
        CBkInfo setting;
        int method;
        bool image;
        COLORREF colour;
    };
    CBkInfo colour;
    colour.nMethod = CBkInfo::MethodColor;
    colour.crColor = RGB(255, 250, 205);
    // Applied untiled and moved: read back it is laid tiled from the corner.
    CBkInfo image;
    image.nMethod = CBkInfo::MethodImage;
    image.strImagePath = other;
    image.bTile = FALSE;
    image.nXOffset = 50;
    image.nYOffset = 30;
    const Case cases[] = {
        {"Bkground\\None", CBkManager::IdNoBk, {}, CBkInfo::MethodNone, false, 0xFFFFFF},
        {"Bkground\\Colour", 0, colour, CBkInfo::MethodColor, false, RGB(255, 250, 205)},
        {"Bkground\\Image", 0, image, CBkInfo::MethodImage, true, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        {
            ListWindow w(&parent, CRect(0, 0, 200, 120), c.section, defaults);
            if (c.command)
                ASSERT_TRUE(w.manager.OnCommand(c.command)) << c.section;
            else
                ASSERT_TRUE(w.manager.ApplyBkInfo(&c.setting)) << c.section;
            EXPECT_FALSE(w.manager.IsDefaultBk()) << c.section;
            w.manager.SaveToProfile();
        }
        Restart();
        ListWindow w(&parent, CRect(0, 0, 200, 120), c.section, defaults);
        EXPECT_FALSE(w.manager.IsDefaultBk()) << c.section;
        EXPECT_EQ(c.method, w.manager.GetCurrent().nMethod) << c.section;
        EXPECT_EQ(c.image, w.HasImage()) << c.section;
        EXPECT_EQ(c.colour, w.list->GetBkColor()) << c.section;
        if (c.image) {
            EXPECT_TRUE(w.IsTiled());
            EXPECT_EQ(0, w.manager.GetCurrent().nXOffset);
            EXPECT_EQ(other, w.manager.GetCurrent().strImagePath);
        }
    }
}

TEST_F(BkManagerTest, DefaultTextColourAfterAChosenOneIsStoredAsDefault) {
    {
        ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Text", defaults);
        AfxSetModalDialogHook(
            [](CDialog& d) { dynamic_cast<CColorDialog&>(d).Answer(RGB(200, 0, 0)); });
        w.manager.OnCommand(CBkManager::IdChooseTextColor);
        EXPECT_EQ(RGB(200, 0, 0), w.list->GetTextColor());
        EXPECT_FALSE(w.manager.IsDefTextColor());
        w.manager.SaveToProfile();
    }
    Restart();
    {
        ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Text", defaults);
        EXPECT_EQ(RGB(200, 0, 0), w.list->GetTextColor());
        w.manager.OnCommand(CBkManager::IdDefaultTextColor);
        w.manager.SaveToProfile();
    }
    Restart();
    CProfileStore profile;
    EXPECT_EQ(1u, profile.GetProfileInt("Bkground\\Text", "IsDefTextClr", 0));
    EXPECT_EQ(0xFF000000u, profile.GetProfileInt("Bkground\\Text", "TextColor", 0));
}

TEST_F(BkManagerTest, GridLinesSurviveARestartAndAbsentKeyKeepsTheListsOwnState) {
    {
        ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Grid", defaults);
        EXPECT_FALSE(w.HasGrid());
        w.list->SetExtendedStyle(w.list->GetExtendedStyle() | LVS_EX_GRIDLINES);
        w.manager.SaveToProfile();
    }
    Restart();
    ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Grid", defaults);
    EXPECT_TRUE(w.HasGrid());
    EXPECT_TRUE(w.manager.IsShowGrid());

    // A section without the key leaves grid lines the view set up itself.
    auto list = std::make_unique<CListCtrl>();
    list->Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 100, 100), &parent, 101);
    list->SetExtendedStyle(LVS_EX_GRIDLINES);
    CListCtrlBkManager manager;
    manager.SetWindow(list.get(), 2);
    manager.SetSection("Bkground\\NoGridKey");
    manager.LoadFromProfile();
    EXPECT_TRUE(list->GetExtendedStyle() & LVS_EX_GRIDLINES);
}

TEST_F(BkManagerTest, AnImageTheListCannotTakeKeepsThePreviousSettingOverAWhiteList) {
    ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Broken", defaults);
    CBkInfo colour;
    colour.nMethod = CBkInfo::MethodColor;
    colour.crColor = RGB(0, 128, 0);
    ASSERT_TRUE(w.manager.ApplyBkInfo(&colour));

    CBkInfo missing;
    missing.nMethod = CBkInfo::MethodImage;
    missing.strImagePath = AfxFromQt(dir.filePath("missing.png"));
    EXPECT_FALSE(w.manager.ApplyBkInfo(&missing));
    EXPECT_EQ(CBkInfo::MethodColor, w.manager.GetCurrent().nMethod);
    EXPECT_EQ(RGB(0, 128, 0), w.manager.GetCurrent().crColor);
    EXPECT_EQ(0xFFFFFFu, w.list->GetBkColor());

    // A method the manager does not know changes nothing.
    CBkInfo odd;
    odd.nMethod = 7;
    EXPECT_FALSE(w.manager.ApplyBkInfo(&odd));
    EXPECT_EQ(CBkInfo::MethodColor, w.manager.GetCurrent().nMethod);
}

TEST_F(BkManagerTest, DialogsApplyTheirChoiceAndACancelChangesNothing) {
    ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Dialogs", defaults);
    parent.SetForegroundWindow();

    // Cancelled dialogs (the hook answers nothing).
    AfxSetModalDialogHook([](CDialog&) {});
    w.manager.OnCommand(CBkManager::IdChooseBkColor);
    w.manager.OnCommand(CBkManager::IdChooseBkImage);
    EXPECT_TRUE(w.manager.IsDefaultBk());
    EXPECT_EQ(tile, w.manager.GetCurrent().strImagePath);

    COLORREF started = 0;
    AfxSetModalDialogHook([&](CDialog& d) {
        auto& c = dynamic_cast<CColorDialog&>(d);
        started = c.m_cc.rgbResult;
        c.Answer(RGB(10, 20, 30));
    });
    w.manager.OnCommand(CBkManager::IdChooseBkColor);
    EXPECT_EQ(0xFFFFFFu, started); // an image setting has no colour: the dialog opens on white
    EXPECT_EQ(CBkInfo::MethodColor, w.manager.GetCurrent().nMethod);
    EXPECT_EQ(RGB(10, 20, 30), w.list->GetBkColor());
    EXPECT_FALSE(w.HasImage());
    w.manager.OnCommand(CBkManager::IdChooseBkColor);
    EXPECT_EQ(RGB(10, 20, 30), started); // then on the colour in force
    EXPECT_TRUE(WaitFor([&] { return CWnd::GetFocus() == w.list.get(); }));

    // The image dialog lists the formats under an all-images entry and offers the filter
    // chosen last time again, in any view.
    DWORD offered = 0;
    CString filter;
    AfxSetModalDialogHook([&](CDialog& d) {
        auto& f = dynamic_cast<CFileDialog&>(d);
        offered = f.m_ofn.nFilterIndex;
        filter = CString(f.m_ofn.lpstrFilter);
        f.Answer(other);
        f.m_ofn.nFilterIndex = 3;
    });
    w.manager.OnCommand(CBkManager::IdChooseBkImage);
    EXPECT_EQ(CString("所有图像文件"), filter);
    EXPECT_TRUE(w.HasImage());
    EXPECT_TRUE(w.IsTiled());
    EXPECT_EQ(other, w.manager.GetCurrent().strImagePath);
    CBkManager elsewhere;
    AfxSetModalDialogHook(
        [&](CDialog& d) { offered = dynamic_cast<CFileDialog&>(d).m_ofn.nFilterIndex; });
    elsewhere.ChooseBkImage();
    EXPECT_EQ(3u, offered);

    const CString all = CBkManager::ImageFileFilter();
    EXPECT_EQ(0, all.Find("所有图像文件|"));
    EXPECT_GE(all.Find("*.png"), 0);
    EXPECT_GE(all.Find("*.bmp"), 0);
    EXPECT_LT(all.Find("*.ico"), 0);

    // The default command brings the owner's background back.
    w.manager.OnCommand(CBkManager::IdDefaultBk);
    EXPECT_TRUE(w.manager.IsDefaultBk());
    EXPECT_EQ(tile, w.manager.GetCurrent().strImagePath);
}

TEST_F(BkManagerTest, CommandsAreEnabledOnlyWhileTheViewHasTheFocus) {
    ListWindow w(&parent, CRect(0, 0, 200, 120), "Bkground\\Focus", defaults);
    auto other = std::make_unique<CListCtrl>();
    other->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(200, 0, 400, 120), &parent, 102);
    struct CRecordedCmdUI : CCmdUI {
        BOOL m_bEnabled = TRUE;
        void Enable(BOOL bOn) override { m_bEnabled = bOn; }
    } ui;
    ui.m_nID = CBkManager::IdNoBk;
    parent.SetForegroundWindow();
    other->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == other.get(); }));
    w.manager.OnUpdateCommand(&ui);
    EXPECT_FALSE(ui.m_bEnabled);
    w.list->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return CWnd::GetFocus() == w.list.get(); }));
    w.manager.OnUpdateCommand(&ui);
    EXPECT_TRUE(ui.m_bEnabled);
    EXPECT_FALSE(CBkManager::IsBkCommand(442));
    EXPECT_FALSE(w.manager.OnCommand(442));
}

// A person looks at the four lists: a colour, an image, no background, and grid lines.
TEST_F(BkManagerTest, ScreenshotOfTheBackgrounds) {
    CNotifyRecorder top;
    ASSERT_TRUE(top.CreateTop(760, 140));
    CBkInfo colour;
    colour.nMethod = CBkInfo::MethodColor;
    colour.crColor = RGB(255, 248, 220);
    ListWindow a(&top, CRect(0, 0, 190, 140), "Bkground\\ShotColour", defaults);
    a.manager.ApplyBkInfo(&colour);
    ListWindow b(&top, CRect(190, 0, 380, 140), "Bkground\\ShotImage", defaults);
    ListWindow c(&top, CRect(380, 0, 570, 140), "Bkground\\ShotNone", defaults);
    c.manager.ApplyBkInfo(nullptr);
    ListWindow d(&top, CRect(570, 0, 760, 140), "Bkground\\ShotGrid", defaults);
    d.manager.ApplyBkInfo(nullptr);
    d.list->SetExtendedStyle(LVS_EX_GRIDLINES);
    top.ShowWindow(SW_SHOW);
    Pump();
    EXPECT_TRUE(top.SaveScreenshot(ScreenPath("list-backgrounds").c_str()));
}

TEST(DrawHelpers, GradientsReachTheirEndColours) {
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    CDC dc;
    ASSERT_TRUE(dc.AttachImage(&img));
    DrawGradientRect(&dc, CRect(0, 0, 20, 40), TRUE, RGB(255, 0, 0), RGB(0, 0, 255));
    DrawGradientRect(&dc, CRect(20, 0, 60, 20), FALSE, RGB(0, 255, 0), RGB(255, 255, 255));
    DrawGradientLine(&dc, 30, 25, 30, 39, TRUE, RGB(255, 255, 0), RGB(0, 255, 255));
    dc.DeleteDC();
    auto near = [](QColor c, int r, int g, int b) {
        return std::abs(c.red() - r) <= 12 && std::abs(c.green() - g) <= 12 &&
               std::abs(c.blue() - b) <= 12;
    };
    EXPECT_TRUE(near(img.pixelColor(5, 0), 255, 0, 0));
    EXPECT_TRUE(near(img.pixelColor(5, 39), 0, 0, 255));
    EXPECT_TRUE(near(img.pixelColor(20, 5), 0, 255, 0));
    EXPECT_TRUE(near(img.pixelColor(59, 5), 255, 255, 255));
    EXPECT_TRUE(near(img.pixelColor(30, 25), 255, 255, 0));
    EXPECT_TRUE(near(img.pixelColor(30, 39), 0, 255, 255));
    EXPECT_EQ(QColor(Qt::black), img.pixelColor(31, 30)); // the line is one pixel wide
}

TEST(DrawHelpers, RoundGradientBoxSetsItsCornerPixels) {
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::black);
    CDC dc;
    ASSERT_TRUE(dc.AttachImage(&img));
    const COLORREF corner = RGB(1, 2, 3), edge = RGB(4, 5, 6);
    DrawRoundGradientBox(&dc, CRect(0, 0, 40, 30), FALSE, RGB(255, 255, 255), RGB(0, 0, 128),
                         RGB(200, 220, 255), RGB(100, 150, 230), RGB(255, 200, 100), corner, edge,
                         RGB(10, 10, 10), RGB(20, 20, 20), RGB(30, 30, 30), RGB(30, 30, 30));
    dc.DeleteDC();
    auto at = [&](int x, int y) {
        return (COLORREF)RGB(img.pixelColor(x, y).red(), img.pixelColor(x, y).green(),
                             img.pixelColor(x, y).blue());
    };
    // Top-left corner (1, 1) and its neighbours; the bottom-right corner slopes the same way,
    // the top-right one the other way.
    EXPECT_EQ(corner, at(1, 1));
    EXPECT_EQ(edge, at(2, 1));
    EXPECT_EQ(corner, at(0, 2));
    EXPECT_EQ(corner, at(38, 28));
    EXPECT_EQ(corner, at(37, 29));
    EXPECT_EQ(corner, at(38, 1));
    EXPECT_EQ(corner, at(37, 0));
    EXPECT_EQ(RGB(10, 10, 10), at(10, 27));
    EXPECT_EQ(RGB(20, 20, 20), at(10, 28));
    EXPECT_EQ(RGB(30, 30, 30), at(38, 10));
}

TEST(DrawHelpers, BitmapWithItsOwnDcDrawsItselfAndClipboardTakesText) {
    CBitmapEx empty;
    EXPECT_EQ(CSize(0, 0), empty.GetSize());
    EXPECT_EQ(nullptr, empty.GetDC());

    CBitmapEx bmp;
    QImage src(8, 6, QImage::Format_RGB32);
    src.fill(QColor(0, 200, 0));
    ASSERT_TRUE(bmp.AttachImageData(src));
    EXPECT_EQ(CSize(8, 6), bmp.GetSize());
    CDC* pDC = bmp.GetDC();
    ASSERT_NE(nullptr, pDC);
    EXPECT_EQ(pDC, bmp.GetDC());
    pDC->SetPixel(0, 0, RGB(255, 0, 0));
    QImage dst(10, 10, QImage::Format_RGB32);
    dst.fill(Qt::white);
    CDC out;
    ASSERT_TRUE(out.AttachImage(&dst));
    EXPECT_TRUE(bmp.Draw(&out, 2, 2));
    out.DeleteDC();
    bmp.ReleaseDC();
    EXPECT_EQ(QColor(255, 0, 0), dst.pixelColor(2, 2));
    EXPECT_EQ(QColor(0, 200, 0), dst.pixelColor(9, 7));
    EXPECT_EQ(QColor(Qt::white), dst.pixelColor(9, 8));

    AfxEnsureGuiApp();
    ASSERT_TRUE(CopyTextToClipboard("墨川 通讯录"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL h = GetClipboardData(CF_TEXT);
    ASSERT_NE(nullptr, h);
    EXPECT_STREQ("墨川 通讯录", (const char*)GlobalLock(h));
    GlobalUnlock(h);
    CloseClipboard();
    // While another window holds the clipboard, nothing is put there.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(CopyTextToClipboard("x"));
    CloseClipboard();
}

} // namespace
