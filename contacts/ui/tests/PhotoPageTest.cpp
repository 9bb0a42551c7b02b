#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

#include "contacts/ui/PagePhotoes.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

class PhotoPageTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldOpen = AfxSetShellOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return true;
        });
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall&) { return answer; });
        for (const char* name : {"a.png", "b.png"}) {
            QImage img(40, 30, QImage::Format_RGB32);
            img.fill(QColor(200, 100, 50));
            ASSERT_TRUE(img.save(QString::fromStdString(m_dir.str() + "/" + name), "PNG"));
        }
        page.SetDocumentPath(CString((m_dir.str() + "/book.sms").c_str()));
        m_sheet.AddPage(&page);
        ASSERT_TRUE(m_sheet.Create());
        m_sheet.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        m_sheet.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        AfxSetShellOpenHook(m_oldOpen);
        AfxSetMessageBoxHook(m_oldBox);
        m_sheet.DestroyWindow();
    }
    CString Position() {
        CString s;
        page.GetDlgItemText(CPagePhotoes::IDC_POSITION, s);
        return s;
    }
    void DoubleClickImage() {
        CRect rc;
        page.GetDlgItem(CPagePhotoes::IDC_IMAGE)->GetWindowRect(&rc);
        page.ScreenToClient(&rc);
        page.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    }

    test_folders::TempDir m_dir;
    CPagePhotoes page;
    CHostSheet m_sheet;
    std::vector<std::string> opened;
    int answer = IDYES;
    ShellOpenHook m_oldOpen;
    MessageBoxHook m_oldBox;
};

TEST_F(PhotoPageTest, PhotosComeBackUnchangedAndStepInOrder) {
    const struct {
        std::vector<const char*> paths;
        int stored, shown;
    } cases[] = {{{"a.png", "b.png"}, 1, 1}, {{"a.png", "b.png"}, -1, 0}, {{"a.png"}, 7, 0},
                 {{}, -1, -1}};
    for (const auto& c : cases) {
        CStringListEx in;
        for (const char* p : c.paths)
            in.AddTail(p);
        in.SetCurrentIndex(c.stored);
        page.ExchangePhotos(in, TRUE);
        EXPECT_EQ(page.GetCurrent(), c.shown);
        CStringListEx out;
        page.ExchangePhotos(out, FALSE);
        EXPECT_EQ(out.GetCount(), in.GetCount());
        EXPECT_EQ(out.GetCurrentIndex(), c.stored);
    }
    CStringListEx in;
    in.AddTail("a.png"); // relative to the address book's file
    in.AddTail(CString((m_dir.str() + "/b.png").c_str()));
    in.AddTail("missing.png");
    page.ExchangePhotos(in, TRUE);
    EXPECT_STREQ(Position(), "1/3");
    page.StepPhoto(FALSE);
    EXPECT_EQ(page.GetCurrent(), 0);
    page.StepPhoto(TRUE);
    EXPECT_TRUE(page.ShowPhoto(1));
    EXPECT_FALSE(page.ShowPhoto(2)); // the file is gone
    page.StepPhoto(TRUE);
    EXPECT_EQ(page.GetCurrent(), 2);
    EXPECT_STREQ(Position(), "3/3");
    // The user moved on: the new current photo is stored.
    CStringListEx out;
    page.ExchangePhotos(out, FALSE);
    EXPECT_EQ(out.GetCurrentIndex(), 2);
    // Deleting asks first.
    answer = IDNO;
    page.DeletePhoto();
    EXPECT_STREQ(Position(), "3/3");
    answer = IDYES;
    page.DeletePhoto();
    EXPECT_STREQ(Position(), "2/2");
    EXPECT_TRUE(page.IsChanged());
}

TEST_F(PhotoPageTest, OnlyPictureFilesOpenOnDoubleClick) {
    CStringListEx in;
    in.AddTail("a.png");
    in.AddTail("run.sh");
    page.ExchangePhotos(in, TRUE);
    DoubleClickImage();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("a.png"), std::string::npos);
    page.ShowPhoto(1);
    DoubleClickImage();
    EXPECT_EQ(opened.size(), 1u);
    for (const char* name : {"x.JPG", "y.jpeg", "z.bmp", "w.gif", "v.tiff"})
        EXPECT_TRUE(CPagePhotoes::IsPictureFile(name)) << name;
    for (const char* name : {"x.exe", "jpg", "y.png.lnk", "", "z.desktop"})
        EXPECT_FALSE(CPagePhotoes::IsPictureFile(name)) << name;
}

} // namespace
