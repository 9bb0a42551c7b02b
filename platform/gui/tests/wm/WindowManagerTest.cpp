// Windows as a window manager sees and handles them: dialog types and owners, frames, the
// state a user gives a window with the frame's buttons.
#include "WmTestSupport.h"

#include "platform/gui/CmdTarget.h"

#include <QWidget>

#include <string>
#include <vector>

namespace {

class WindowManagerTest : public WmTest {
protected:
    static void MakeWindow(CWnd& wnd, int x, int y) {
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "主窗口", WS_OVERLAPPEDWINDOW, x, y, 600, 400, nullptr,
                                 nullptr));
        wnd.ShowWindow(SW_SHOW);
        ASSERT_TRUE(WaitFramed(&wnd));
    }
};

TEST_F(WindowManagerTest, AWindowsRectangleIsItsFrameWhenReadAndWhenSet) {
    CWnd wnd;
    MakeWindow(wnd, 120, 90);
    // Made at a rectangle, the frame is there.
    EXPECT_TRUE(WaitRect(&wnd, CRect(120, 90, 720, 490))) << Text(WindowRect(&wnd));
    // Put back where it says it is, it stays there.
    CRect r = WindowRect(&wnd);
    wnd.MoveWindow(&r);
    Settle();
    EXPECT_EQ(r, WindowRect(&wnd)) << Text(WindowRect(&wnd));
    wnd.SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
    Settle();
    EXPECT_EQ(r, WindowRect(&wnd)) << Text(WindowRect(&wnd));
    // A new place and size: the frame takes both.
    CRect to(200, 150, 700, 550);
    wnd.MoveWindow(&to);
    EXPECT_TRUE(WaitRect(&wnd, to)) << Text(WindowRect(&wnd));
    wnd.SetWindowPos(nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(WaitRect(&wnd, CRect(30, 40, 530, 440))) << Text(WindowRect(&wnd));
    wnd.DestroyWindow();
}

// Records the system commands a window gets.
class CCommandsSeen : public CWnd {
public:
    std::vector<UINT> commands;
    void OnSysCommand(UINT nID, LPARAM) { commands.push_back(nID & 0xFFF0); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCommandsSeen, CWnd)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

TEST_F(WindowManagerTest, TheFramesButtonsReachTheWindowAsSystemCommands) {
    CCommandsSeen wnd;
    MakeWindow(wnd, 100, 100);
    // A double click on the title bar maximises, a second one restores.
    QPoint title = TitleBar(&wnd);
    Click(title.x(), title.y(), 2);
    ASSERT_TRUE(WaitFor([&] { return wnd.IsZoomed(); }));
    EXPECT_TRUE(WaitFor([&] { return !wnd.commands.empty(); }));
    EXPECT_EQ(std::vector<UINT>{SC_MAXIMIZE}, wnd.commands);
    Settle();
    title = TitleBar(&wnd);
    Click(title.x(), title.y(), 2);
    ASSERT_TRUE(WaitFor([&] { return !wnd.IsZoomed(); }));
    EXPECT_TRUE(WaitFor([&] { return wnd.commands.size() == 2; }));
    EXPECT_EQ((std::vector<UINT>{SC_MAXIMIZE, SC_RESTORE}), wnd.commands);
    // The program's own changes are no commands of the user.
    wnd.ShowWindow(SW_SHOWMAXIMIZED);
    Settle();
    wnd.ShowWindow(SW_RESTORE);
    Settle();
    EXPECT_EQ(2u, wnd.commands.size());
    wnd.DestroyWindow();
}

} // namespace
