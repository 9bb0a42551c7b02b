// The fixture of the tests that run under a real window manager: what the window manager says
// of a window (xprop), and a user's mouse through xdotool.
#pragma once

#include "../GuiTestSupport.h"
#include "WmSession.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The window's frame once the window manager has put one round it, else an empty rectangle.
// Qt's frame geometry first. Qt now and then misses the frame extents the window manager
// sets, so with ask the window manager's own word is taken too: the window is managed
// (WM_STATE) and has frame extents (_NET_FRAME_EXTENTS).
inline QRect WmFrameOf(QWidget* q, bool ask) {
    if (q == nullptr || !q->isVisible())
        return QRect();
    if (q->frameGeometry() != q->geometry())
        return q->frameGeometry();
    if (!ask)
        return QRect();
    char id[32];
    snprintf(id, sizeof id, "0x%llx", (unsigned long long)q->winId());
    const std::string props =
        WmSession::Run(std::string("xprop -id ") + id + " WM_STATE _NET_FRAME_EXTENTS");
    const char* const kExtents = "_NET_FRAME_EXTENTS(CARDINAL) = ";
    const size_t at = props.find(kExtents);
    int left = 0, right = 0, top = 0, bottom = 0;
    if (props.find("window state: Normal") == std::string::npos ||
        at == std::string::npos ||
        sscanf(props.c_str() + at + strlen(kExtents), "%d, %d, %d, %d", &left, &right, &top,
               &bottom) != 4 ||
        left + right + top + bottom == 0)
        return QRect();
    return q->geometry().adjusted(-left, -top, right, bottom);
}

class WmTest : public GuiTest {
protected:
    static void SetUpTestSuite() {
        WmSession::ChoosePlatform();
        GuiTest::SetUpTestSuite();
    }
    void SetUp() override {
        if (!WmSession::Instance().Ready())
            GTEST_SKIP() << WmSession::Instance().Why();
    }
    static std::string XId(CWnd* w) {
        char id[32];
        snprintf(id, sizeof id, "0x%llx", (unsigned long long)w->GetWidget()->winId());
        return id;
    }
    static std::string Prop(CWnd* w, const char* name) {
        return WmSession::Run("xprop -id " + XId(w) + " " + name);
    }
    // True once the window manager has put its frame round the window.
    static bool WaitFramed(CWnd* w) {
        QElapsedTimer waited;
        waited.start();
        return WaitFor(
            [w, &waited] { return !WmFrameOf(w->GetWidget(), waited.elapsed() > 1000).isEmpty(); },
            5000);
    }
    static CRect WindowRect(CWnd* w) {
        CRect r;
        w->GetWindowRect(&r);
        return r;
    }
    static bool WaitRect(CWnd* w, const CRect& want, int ms = 3000) {
        return WaitFor([w, &want] { return WindowRect(w) == want; }, ms);
    }
    // Lets the window manager and Qt finish what they do with a window.
    static void Settle(int ms = 300) {
        WaitFor([] { return false; }, ms);
    }
    static std::string Text(const CRect& r) {
        return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
    }
    // The user's mouse.
    static void Click(int x, int y, int times = 1) {
        WmSession::Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                       " click --repeat " + std::to_string(times) + " --delay 80 1");
    }
    static void Drag(int x, int y, int toX, int toY) {
        WmSession::Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                       " mousedown 1 sleep 0.1 mousemove " + std::to_string((x + toX) / 2) + " " +
                       std::to_string((y + toY) / 2) + " sleep 0.1 mousemove " +
                       std::to_string(toX) + " " + std::to_string(toY) + " sleep 0.1 mouseup 1");
    }
    // A point on the title bar of a framed window.
    static QPoint TitleBar(CWnd* w) {
        QWidget* q = w->GetWidget();
        QRect f = q->frameGeometry();
        return QPoint(f.left() + f.width() / 3, f.top() + (q->geometry().top() - f.top()) / 2);
    }
    // Double-clicks the title bar until pred holds: a double click that a busy window manager
    // took for two single ones is given again.
    template <class Pred> static bool DoubleClickTitle(CWnd* w, Pred pred) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Settle(200);
            QPoint t = TitleBar(w);
            Click(t.x(), t.y(), 2);
            if (WaitFor(pred, 3000))
                return true;
        }
        return false;
    }
    // The stacking order of the managed windows, bottom first, as the window manager keeps it.
    static int StackIndex(CWnd* w) {
        std::string s = WmSession::Run("xprop -root _NET_CLIENT_LIST_STACKING");
        unsigned long long id = (unsigned long long)w->GetWidget()->winId();
        int index = 0;
        for (size_t p = s.find("0x"); p != std::string::npos; p = s.find("0x", p + 2), ++index)
            if (std::stoull(s.substr(p), nullptr, 16) == id)
                return index;
        return -1;
    }
};
