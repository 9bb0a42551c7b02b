// The e-card window's about box: opened from the Help menu's command, its texts, the slogan
// drawn green, closed by the keyboard.
#include "ECUiTestSupport.h"

#include "ecard/ui/ECAboutDlg.h"

#include <QDir>

using namespace ecard_ui_test;

namespace {

class ECAboutTest : public ECWindowTest {};

TEST_F(ECAboutTest, TheHelpMenuOpensItWithTheSloganInGreen) {
    StoreUser(kAlice, "alice1");
    OpenWindow(kAlice);
    struct Probe : CCmdUI {
        BOOL enabled = TRUE; // left as it is unless the update greys it
        void Enable(BOOL b) override {
            enabled = b;
            m_bEnableChanged = TRUE;
        }
    } cmd;
    cmd.m_nID = 57664;
    cmd.DoUpdate(frame, TRUE); // a command nobody handles is greyed
    EXPECT_TRUE(cmd.enabled);

    CString caption, title, slogan;
    int green = 0;
    bool ended = false;
    onDialog = [&](CDialog& d) {
        ASSERT_NE(nullptr, dynamic_cast<CECAboutDlg*>(&d));
        d.GetWindowText(caption);
        d.GetDlgItemText(CECAboutDlg::IDC_SLOGAN, slogan);
        Pump();
        const QImage img = d.GetDlgItem(CECAboutDlg::IDC_SLOGAN)->GetWidget()->grab().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                green += c.green() > 150 && c.red() < 90 && c.blue() < 90;
            }
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        EXPECT_TRUE(d.GetWidget()->grab().toImage().save(
            QString::fromStdString(ScreenPath("ecard-about")), "PNG"));
        // Enter on the default button closes it.
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : d.GetWidget(), Qt::Key_Return);
        ended = DialogProbe::Ended(d);
        if (!ended)
            d.EndDialog(IDCANCEL);
    };
    Command(57664);
    EXPECT_EQ("关于墨川电子名片", caption);
    EXPECT_EQ("一张名片常新，一生朋友常在。", slogan);
    EXPECT_GT(green, 10) << "the slogan is drawn in green";
    EXPECT_TRUE(ended) << "Enter closes the box";
}

} // namespace
