#include "NotifyRecorder.h"

#include "platform/gui/ListCtrl.h"
#include "platform/gui/ToolTipCtrl.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>

namespace {

class ToolTipCtrlTest : public GuiTest {
protected:
    CNotifyRecorder parent;
    CToolTipCtrl tips;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(300, 200));
        ASSERT_TRUE(tips.Create(&parent));
        tips.SetDelayTime(TTDT_INITIAL, 5);
        // The dialog's link: one rectangle with its own text; the rest asks when shown.
        ASSERT_TRUE(tips.AddTool(&parent, "打开主页", CRect(10, 10, 110, 30), 1));
        ASSERT_TRUE(tips.AddTool(&parent, LPSTR_TEXTCALLBACK, CRect(10, 50, 110, 70), 2));
        parent.handler = [](NMHDR* nm) -> LRESULT {
            if (nm->code == TTN_NEEDTEXT && nm->idFrom == 2)
                std::strcpy(reinterpret_cast<NMTTDISPINFO*>(nm)->szText, "保存\t更改");
            return 0;
        };
    }
    void Move(int x, int y) {
        MSG m{parent.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0, {x, y}};
        tips.RelayEvent(&m);
    }
};

TEST_F(ToolTipCtrlTest, ATipShowsAfterRestingOnAToolAndGoesWhenLeaving) {
    EXPECT_EQ(tips.GetToolCount(), 2);
    Move(50, 20);
    EXPECT_FALSE(tips.IsTipShown()) << "not before the delay";
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    EXPECT_EQ(tips.GetShownText(), CString("打开主页"));
    CRect r;
    tips.GetWindowRect(&r);
    CPoint at(50, 20);
    parent.ClientToScreen(&at);
    EXPECT_EQ(r.left, at.x);
    EXPECT_GT(r.top, at.y) << "below the pointer";

    // Moving onto the second tool asks its window for the text.
    parent.notes.clear();
    Move(50, 60);
    EXPECT_FALSE(tips.IsTipShown());
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    EXPECT_EQ(tips.GetShownText(), CString("保存\t更改"));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{TTN_POP, TTN_NEEDTEXT}));
    EXPECT_EQ(parent.notes[1].As<NMHDR>().hwndFrom, tips.m_hWnd);
    EXPECT_EQ(parent.notes[1].As<NMHDR>().idFrom, 2u);

    Move(200, 150);
    EXPECT_FALSE(tips.IsTipShown());
    Pump();
    EXPECT_FALSE(tips.IsTipShown()) << "nothing under the pointer";
}

TEST_F(ToolTipCtrlTest, ClicksInactiveTipsAndTextChanges) {
    Move(50, 20);
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    MSG click{parent.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20), 0, {50, 20}};
    tips.RelayEvent(&click);
    EXPECT_FALSE(tips.IsTipShown());

    tips.UpdateTipText("访问网站", &parent, 1);
    CString text;
    tips.GetText(text, &parent, 1);
    EXPECT_EQ(text, CString("访问网站"));
    // TTM_GETTEXT keeps to the buffer it is given (80 bytes when no size is given), in whole
    // characters.
    {
        char buffer[200];
        TOOLINFO ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = parent.m_hWnd;
        ti.uId = 1;
        ti.lpszText = buffer;
        tips.SendMessage(TTM_GETTEXT, 6, (LPARAM)&ti);
        EXPECT_STREQ(buffer, "访问");
        CString longText('a', 150);
        tips.UpdateTipText(longText, &parent, 1);
        std::memset(buffer, 'x', sizeof buffer);
        tips.SendMessage(TTM_GETTEXT, 0, (LPARAM)&ti);
        EXPECT_EQ(std::strlen(buffer), 79u);
        tips.UpdateTipText("访问网站", &parent, 1);
    }

    tips.Activate(FALSE);
    Move(52, 21);
    Pump();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 50)
        Pump();
    EXPECT_FALSE(tips.IsTipShown());
    tips.Activate(TRUE);
    Move(53, 22);
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    EXPECT_EQ(tips.GetShownText(), CString("访问网站"));
    ASSERT_TRUE(tips.SaveScreenshot(ScreenPath("tool-tip").c_str()));

    tips.DelTool(&parent, 1);
    EXPECT_FALSE(tips.IsTipShown());
    EXPECT_EQ(tips.GetToolCount(), 1);
}

// A window that keeps a note of the mouse messages it gets.
class MouseNotes : public CWnd {
public:
    std::vector<UINT> seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
            seen.push_back(message);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

void SendMouse(CWnd& wnd, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
    QWidget* w = wnd.GetWidget();
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button,
                  type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST_F(ToolTipCtrlTest, SubclassedToolsSeeTheirWindowsMouseWithoutRelaying) {
    MouseNotes tool, plain;
    ASSERT_TRUE(
        tool.Create(nullptr, "tool", WS_CHILD | WS_VISIBLE, CRect(150, 10, 250, 60), &parent, 5));
    ASSERT_TRUE(plain.Create(nullptr, "plain", WS_CHILD | WS_VISIBLE, CRect(150, 100, 250, 150),
                             &parent, 6));
    TOOLINFO ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent.m_hWnd;
    ti.uId = (UINT_PTR)tool.m_hWnd;
    ti.lpszText = const_cast<LPSTR>("联系人");
    ASSERT_TRUE(tips.SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti));
    ASSERT_TRUE(tips.AddTool(&plain, "不转发"));

    SendMouse(tool, QEvent::MouseMove, QPoint(20, 20));
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    EXPECT_EQ(tips.GetShownText(), CString("联系人"));
    EXPECT_EQ(tool.seen, (std::vector<UINT>{WM_MOUSEMOVE})) << "the window still gets it";
    // Leaving the window or pressing a button takes the tip away.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tool.GetWidget(), &leave);
    EXPECT_FALSE(tips.IsTipShown());
    SendMouse(tool, QEvent::MouseMove, QPoint(22, 20));
    ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); }));
    SendMouse(tool, QEvent::MouseButtonPress, QPoint(22, 20), Qt::LeftButton);
    EXPECT_FALSE(tips.IsTipShown());
    SendMouse(tool, QEvent::MouseButtonRelease, QPoint(22, 20), Qt::LeftButton);

    // A tool without the flag hears only what the owner relays.
    SendMouse(plain, QEvent::MouseMove, QPoint(20, 20));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 50)
        Pump();
    EXPECT_FALSE(tips.IsTipShown());

    // A deleted tool, or a tip that is gone, no longer watches the window.
    tips.DelTool(&parent, (UINT_PTR)tool.m_hWnd);
    SendMouse(tool, QEvent::MouseMove, QPoint(24, 20));
    t.restart();
    while (t.elapsed() < 50)
        Pump();
    EXPECT_FALSE(tips.IsTipShown());
    tips.AddTool(&ti);
    tips.DestroyWindow();
    SendMouse(tool, QEvent::MouseMove, QPoint(26, 20));
    EXPECT_EQ(tool.seen.back(), (UINT)WM_MOUSEMOVE);
}

// Controls hear the pointer pass over them only when they track the mouse, a list in its
// viewport: a subclassed tool on a button or a list shows its tip all the same.
TEST_F(ToolTipCtrlTest, SubclassedButtonsAndListsShowTheirTipsWhenThePointerPasses) {
    CButton button;
    CListCtrl list;
    ASSERT_TRUE(button.Create("按钮", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(150, 10, 250, 40),
                              &parent, 7));
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(150, 60, 290, 190), &parent, 8));
    for (CWnd* w : {(CWnd*)&button, (CWnd*)&list}) {
        TOOLINFO ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = parent.m_hWnd;
        ti.uId = (UINT_PTR)w->m_hWnd;
        ti.lpszText = const_cast<LPSTR>(w == &button ? "按一下" : "拖进来");
        ASSERT_TRUE(tips.AddTool(&ti));
    }
    QWidget* listArea = list.GetWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(listArea))
        listArea = area->viewport();
    const std::pair<QWidget*, const char*> cases[] = {{button.GetWidget(), "按一下"},
                                                      {listArea, "拖进来"}};
    for (const auto& [w, text] : cases) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        ASSERT_TRUE(WaitFor([&] { return tips.IsTipShown(); })) << text;
        EXPECT_EQ(tips.GetShownText(), CString(text));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
        EXPECT_FALSE(tips.IsTipShown());
    }
}

} // namespace
