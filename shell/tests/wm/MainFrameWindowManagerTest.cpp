// The main window's place and size under a real window manager: what the user does with the
// frame's buttons and its edges is kept, and the next start comes back there.
#include "links/ServiceAddress.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/tests/wm/WmTestSupport.h"
#include "shell/MainFrm.h"
#include "shell/SmsApp.h"
#include "shell/tests/ProgramRun.h"

namespace {

class MainFrameWindowManagerTest : public WmTest {
protected:
    std::unique_ptr<AppFolders> folders = std::make_unique<AppFolders>();
    MessageBoxHook oldHook;

    void SetUp() override {
        WmTest::SetUp();
        if (IsSkipped())
            return;
        AfxSetTrayAvailableForTesting(0);
        // Start-up never reaches out.
        SetServiceBaseAddress("http://127.0.0.1:9/");
        oldHook = AfxSetMessageBoxHook([](const MessageBoxCall&) { return IDOK; });
    }
    void TearDown() override {
        AfxSetMessageBoxHook(oldHook);
        AfxSetTrayAvailableForTesting(-1);
        SetServiceBaseAddress(nullptr);
    }
    static int ReadGeneral(const char* entry) {
        CProfileStore::ReloadForTesting();
        return (int)CProfileStore().GetProfileInt("General", entry, -12345);
    }
    static CRect SavedRect() {
        return CRect(ReadGeneral("MainFrmLeft"), ReadGeneral("MainFrmTop"),
                     ReadGeneral("MainFrmRight"), ReadGeneral("MainFrmBottom"));
    }
};

TEST_F(MainFrameWindowManagerTest, WhatTheUserDoesWithTheFrameIsKeptForTheNextStart) {
    CRect moved;
    {
        auto app = StartProgram();
        ASSERT_TRUE(app);
        CMainFrame* frame = app->GetMainFrame();
        ASSERT_TRUE(WaitFor([&] { return frame->IsZoomed(); })); // a first start is maximised
        ASSERT_TRUE(WaitFramed(frame));
        // Restored with a double click on the title bar: the whole frame is on the screen.
        ASSERT_TRUE(DoubleClickTitle(frame, [&] { return !frame->IsZoomed(); }));
        EXPECT_TRUE(WaitFor([&] { return frame->GetSizeCmd() == SC_RESTORE_CMD; }));
        Settle();
        CRect r = WindowRect(frame);
        EXPECT_GE(r.top, 0) << Text(r);
        EXPECT_GE(r.left, 0) << Text(r);
        // Dragged by its title bar and made smaller by its lower right corner.
        QPoint title = TitleBar(frame);
        Drag(title.x(), title.y(), title.x() + 60, title.y() + 45);
        EXPECT_TRUE(WaitFor([&] { return WindowRect(frame).TopLeft() != r.TopLeft(); }));
        Settle();
        r = WindowRect(frame);
        if (r.Width() > 700 && r.Height() > 500) {
            Drag(r.right - 2, r.bottom - 2, r.left + 700, r.top + 500);
            EXPECT_TRUE(WaitFor([&] { return WindowRect(frame).Width() < r.Width(); }));
            Settle();
        }
        moved = WindowRect(frame);
        ASSERT_TRUE(ExitProgram(*app));
    }
    EXPECT_EQ(SC_RESTORE_CMD, ReadGeneral("MainFrmSizeCmd"));
    EXPECT_EQ(moved, SavedRect()) << Text(moved) << " saved " << Text(SavedRect());

    auto app = StartProgram();
    ASSERT_TRUE(app);
    CMainFrame* frame = app->GetMainFrame();
    ASSERT_TRUE(WaitFramed(frame));
    EXPECT_FALSE(frame->IsZoomed());
    EXPECT_TRUE(WaitRect(frame, moved)) << Text(WindowRect(frame)) << " not " << Text(moved);
    ASSERT_TRUE(ExitProgram(*app));
}

} // namespace
