#include "platform/gui/Wnd.h"

#include "platform/base/Exception.h"
#include "platform/base/Gbk.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtSocketEvents.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"
#include "platform/gui/WndProc.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimerEvent>
#include <QTranslator>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

// ---- Text at the Qt boundary ----------------------------------------------------------------

QString AfxToQt(const char* gbk) {
    if (!gbk)
        return QString();
    return QString::fromStdString(GbkToUtf8(gbk, std::strlen(gbk)));
}
QString AfxToQt(const CString& gbk) {
    return AfxToQt(gbk.GetString());
}
CString AfxFromQt(const QString& text) {
    return Utf8ToGbk(text.toStdString());
}

UINT AfxMouseMessageOf(const QMouseEvent* e) {
    bool left = e->button() == Qt::LeftButton, right = e->button() == Qt::RightButton;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        return left ? WM_LBUTTONDOWN : right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    case QEvent::MouseButtonRelease:
        return left ? WM_LBUTTONUP : right ? WM_RBUTTONUP : WM_MBUTTONUP;
    case QEvent::MouseButtonDblClick:
        return left ? WM_LBUTTONDBLCLK : right ? WM_RBUTTONDBLCLK : WM_MBUTTONDBLCLK;
    default:
        return WM_MOUSEMOVE;
    }
}

int AfxCopyTextOut(const CString& text, char* buffer, size_t bufferSize) {
    if (bufferSize == 0 || !buffer)
        return 0;
    // Whole characters only: a buffer never ends on the first byte of a double-byte one.
    size_t n = GbkFitLength(text.GetString(), (size_t)text.GetLength(), bufferSize - 1);
    std::memcpy(buffer, text.GetString(), n);
    buffer[n] = 0;
    return (int)n;
}

// ---- The handle table ---------------------------------------------------------------------------

namespace {

// Handles are small numbers of our own, never pointers, so a stale handle can be recognised.
std::map<uintptr_t, CWnd*>& HandleTable() {
    static std::map<uintptr_t, CWnd*> table;
    return table;
}
QHash<QWidget*, CWnd*>& WidgetTable() {
    static QHash<QWidget*, CWnd*> table;
    return table;
}
uintptr_t g_nextHandle = 0x1000;
HWND g_capture = nullptr;
// The window a WM_SETCURSOR in progress is about.
HWND g_setCursorWnd = nullptr;

struct CurrentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<CurrentMessage> g_messageStack;
std::vector<QtDispatch*> g_qtDispatch;

// The Qt event handed back to its widget by DefWindowProc, which the bridge must let through.
QObject* g_bypassObject = nullptr;
QEvent* g_bypassEvent = nullptr;
// An input event already turned into a message; Qt may offer it to the parents again.
QEvent* g_lastInputEvent = nullptr;
QPointer<QWidget> g_lastInputReceiver;

std::set<int> g_keysDown;
bool g_syntheticInput = false;
BYTE g_pendingLeadByte = 0; // the first byte of a double-byte character sent as two WM_CHAR
// The modifiers of the input event being turned into messages: what GetKeyState answers for the
// shift keys while the messages of that event are handled.
std::vector<Qt::KeyboardModifiers> g_eventModifiers;
POINT g_lastMessagePos{0, 0};

int PostedMessageType() {
    static int type = QEvent::registerEventType();
    return type;
}

class PostedMessageEvent : public QEvent {
public:
    explicit PostedMessageEvent(const MSG& m) : QEvent(QEvent::Type(PostedMessageType())), msg(m) {}
    MSG msg;
};

// Receives messages posted to no window (thread messages).
class ThreadMessageTarget : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == PostedMessageType()) {
            MSG m = static_cast<PostedMessageEvent*>(e)->msg;
            AfxDispatchQueued(m);
            return true;
        }
        return QObject::event(e);
    }
};
ThreadMessageTarget* ThreadTarget() {
    static ThreadMessageTarget* target = new ThreadMessageTarget;
    return target;
}

// The plain window: draws nothing but its background unless its window paints.
class PlainWidget : public QWidget {
public:
    PlainWidget(QWidget* parent, Qt::WindowFlags f) : QWidget(parent, f) {}
};

struct MessageScope {
    MessageScope(HWND h, UINT m, WPARAM w, LPARAM l) { g_messageStack.push_back({h, m, w, l}); }
    ~MessageScope() { g_messageStack.pop_back(); }
};

} // namespace

QWidget* AfxCursorTarget() {
    if (CWnd* w = CWnd::FromHandle(g_setCursorWnd))
        return w->GetWidget();
    if (CWnd* c = CWnd::FromHandle(g_capture))
        return c->GetWidget();
    return QApplication::widgetAt(QCursor::pos());
}

QtDispatch* AfxCurrentQtDispatch() {
    return g_qtDispatch.empty() ? nullptr : g_qtDispatch.back();
}

namespace {
// The words of the file dialog's type column that Qt's Chinese translation leaves out.
class FileTypeWords : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        static const struct {
            const char* text;
            const char16_t* chinese;
        } words[] = {{"Folder", u"文件夹"}, {"Drive", u"驱动器"}, {"Unknown", u"未知"}};
        for (const auto& w : words)
            if (qstrcmp(sourceText, w.text) == 0)
                return QString::fromUtf16(w.chinese);
        return QString();
    }
    bool isEmpty() const override { return false; }
};
} // namespace

void AfxEnsureGuiApp() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char arg0[] = "quillmar";
    static char* argv[] = {arg0, nullptr};
    new QApplication(argc, argv);
    AfxTrackActiveWindows();
    // Exceptions report their messages in message boxes from now on.
    CException::SetReportHook([](LPCTSTR text, UINT type) { return AfxMessageBox(text, type); });
    // Sockets and their timers report through the event loop from now on.
    AfxSetSocketEventSource(&CQtSocketEventSource::Instance());
    // The dialog font of the system is a 9-point Chinese face.
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(12);
    QApplication::setFont(f);
    // Qt's own dialogs (files, colours, fonts, the overwrite question) speak Chinese like the
    // rest of the program, in Qt's own translation.
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (qtTexts->load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
    QCoreApplication::installTranslator(new FileTypeWords(QCoreApplication::instance()));
    // The kinds of file the file dialog names ("CSV 文档") come in the program's language.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

void AfxShowKeyboardCues(CWnd* pWnd) {
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (!w)
        return;
    // Qt marks the window itself only when its own Tab handling moves the focus.
    QWidget* top = w->window();
    if (top->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    top->setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focus = top->focusWidget())
        focus->update();
}

// ---- Key codes ------------------------------------------------------------------------------

// The context-menu key.
constexpr UINT kVkApps = 0x5D;

UINT AfxVirtualKeyFromQt(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Help:
        return VK_HELP;
    case Qt::Key_Menu:
        return kVkApps;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    case Qt::Key_Period:
        return 0xBE;
    case Qt::Key_Comma:
        return 0xBC;
    case Qt::Key_Semicolon:
        return 0xBA;
    case Qt::Key_Equal:
        return 0xBB;
    default:
        return 0;
    }
}

static UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    UINT f = 0;
    if (buttons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        f |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        f |= MK_CONTROL;
    return f;
}

SHORT GetKeyState(int nVirtKey) {
    // Outside an input event only the keys seen going down and not yet up count: Qt's remembered
    // modifiers are those of the last event delivered, which need not have released them.
    Qt::KeyboardModifiers mods =
        g_eventModifiers.empty() ? Qt::KeyboardModifiers() : g_eventModifiers.back();
    bool down = g_keysDown.count(nVirtKey) != 0;
    switch (nVirtKey) {
    case VK_SHIFT:
        down = down || (mods & Qt::ShiftModifier);
        break;
    case VK_CONTROL:
        down = down || (mods & Qt::ControlModifier);
        break;
    case VK_MENU:
        down = down || (mods & Qt::AltModifier);
        break;
    case VK_LBUTTON:
        down = QGuiApplication::mouseButtons() & Qt::LeftButton;
        break;
    case VK_RBUTTON:
        down = QGuiApplication::mouseButtons() & Qt::RightButton;
        break;
    default:
        break;
    }
    return down ? (SHORT)0x8000 : 0;
}
SHORT GetAsyncKeyState(int nVirtKey) {
    return GetKeyState(nVirtKey);
}

// Left and right Shift differ only in the hardware scan code (X11 keycodes 50 and 62).
static void TrackKey(const QKeyEvent* e, bool down) {
    UINT vk = AfxVirtualKeyFromQt(e->key());
    std::vector<int> keys{(int)vk};
    if (vk == VK_SHIFT)
        keys.push_back(e->nativeScanCode() == 62 ? VK_RSHIFT : VK_LSHIFT);
    if (vk == VK_CONTROL)
        keys.push_back(e->nativeScanCode() == 105 ? VK_RCONTROL : VK_LCONTROL);
    for (int k : keys) {
        if (down)
            g_keysDown.insert(k);
        else
            g_keysDown.erase(k);
    }
}

// ---- The Qt bridge --------------------------------------------------------------------------

class WndEventBridge : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    static bool Input(CWnd* wnd, QWidget* from, QEvent* e);
    static bool Paint(CWnd* wnd, QEvent* e);
    static bool PaintMessage(CWnd* wnd, QEvent* e);
};

// Keeps the keys GetKeyState answers for in step with the keyboard, whichever widget the key
// goes to. A menu opened with Alt and a letter takes the keyboard, so the release of Alt reaches
// the menu, not a window of ours; a key let go while another program has the focus is never
// seen at all, so leaving the application forgets every key.
class KeyStateTracker : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // Keys made from messages sent by code press nothing on the keyboard.
            if (!g_syntheticInput && obj->isWidgetType()) {
                ForgetReleasedModifiers(static_cast<QInputEvent*>(e)->modifiers());
                TrackKey(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress);
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            if (!g_syntheticInput && obj->isWidgetType())
                ForgetReleasedModifiers(static_cast<QInputEvent*>(e)->modifiers());
            break;
        case QEvent::ApplicationDeactivate:
            g_keysDown.clear();
            break;
        default:
            break;
        }
        return false;
    }

private:
    // The release of a modifier can be lost: Qt drops input meant for a window that a modal
    // dialog blocks (a dialog opened by Ctrl+F takes the focus before Ctrl is let go). Every
    // input event carries the modifiers really held, so one that lacks a modifier lets it go.
    static void ForgetReleasedModifiers(Qt::KeyboardModifiers mods) {
        const std::pair<Qt::KeyboardModifier, std::vector<int>> keys[] = {
            {Qt::ShiftModifier, {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}},
            {Qt::ControlModifier, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL}},
            {Qt::AltModifier, {VK_MENU}},
        };
        for (const auto& [modifier, vks] : keys)
            if (!(mods & modifier))
                for (int vk : vks)
                    g_keysDown.erase(vk);
    }
};

static WndEventBridge* Bridge() {
    static WndEventBridge* bridge = [] {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(new KeyStateTracker);
        return new WndEventBridge;
    }();
    return bridge;
}

// Sends a message translated from a Qt event through the queue path; reports whether Qt must
// still process the event itself.
static bool SendTranslated(CWnd* wnd, QEvent* e, UINT message, WPARAM wp, LPARAM lp,
                           bool* defaultWanted, QObject* receiver = nullptr,
                           bool* dispatched = nullptr) {
    MSG m{wnd->m_hWnd, message, wp, lp, 0, g_lastMessagePos};
    AfxNoteMessage(message);
    if (CWinApp* app = AfxGetApp()) {
        if (app->PreTranslateMessage(&m))
            return false;
    } else if (CWnd::WalkPreTranslateTree(nullptr, &m)) {
        return false;
    }
    CWnd* target = CWnd::FromHandle(m.hwnd);
    if (!target)
        return false;
    QtDispatch d{m.hwnd, m.message, e, receiver ? receiver : target->GetWidget(), false, false};
    g_qtDispatch.push_back(&d);
    AfxCallWndProc(target, m.message, m.wParam, m.lParam);
    g_qtDispatch.pop_back();
    if (dispatched)
        *dispatched = true;
    if (defaultWanted)
        *defaultWanted = d.wantDefault;
    return d.forwarded;
}

// Puts the menu bar of w's window in keyboard mode as Alt pressed and let go alone does: Qt's
// bar, which watches its parent, enters it on an Alt press (seen in its shortcut check) followed
// by the Alt's release with nothing between.
static bool EnterMenuBarKeyboardMode(QWidget* w) {
    QWidget* top = w ? w->window() : nullptr;
    if (!top)
        return false;
    QMenuBar* bar = nullptr;
    for (QMenuBar* b : top->findChildren<QMenuBar*>())
        if (b->window() == top && b->isVisible() && b->isEnabled() && !b->actions().isEmpty()) {
            bar = b;
            break;
        }
    if (!bar || !bar->parentWidget())
        return false;
    // An Alt key event reports the modifiers as they were before the key: none yet on the press.
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    bool old = std::exchange(g_syntheticInput, true);
    QCoreApplication::sendEvent(bar->parentWidget(), &press);
    QCoreApplication::sendEvent(bar->parentWidget(), &release);
    g_syntheticInput = old;
    return bar->hasFocus();
}

// The keys that work menus where nobody took them: F10 puts the window's menu bar in keyboard
// mode, as Alt pressed and let go alone does; Shift+F10 and the menu key ask the focused window
// for its context menu, at (-1, -1) so that it places the menu at its selection.
static bool KeyboardMenuKey(CWnd* wnd, UINT vk, Qt::KeyboardModifiers mods) {
    if (vk == VK_F10 && mods == Qt::NoModifier)
        return EnterMenuBarKeyboardMode(wnd->GetWidget());
    if ((vk == VK_F10 && mods == Qt::ShiftModifier) || (vk == kVkApps && mods == Qt::NoModifier)) {
        wnd->SendMessage(WM_CONTEXTMENU, (WPARAM)wnd->m_hWnd, MAKELPARAM(-1, -1));
        return true;
    }
    return false;
}

WndPrivate::~WndPrivate() {
    // A client DC that outlives its window must not draw into the picture going away.
    if (directPainter && directPainter->isActive())
        directPainter->end();
}

namespace {
// Ends the client DCs' painter while the picture is painted or replaced, and starts it again.
struct DirectPause {
    explicit DirectPause(WndPrivate& wp) : p(wp), painter(wp.directPainter) {
        active = painter && painter->isActive();
        if (active)
            painter->end();
    }
    ~DirectPause() {
        if (active)
            painter->begin(&p.backing);
    }
    WndPrivate& p;
    QPainter* painter;
    bool active;
};
} // namespace

bool AfxEnsureBacking(WndPrivate& p, QWidget* w) {
    QSize size(std::max(1, w->width()), std::max(1, w->height()));
    if (p.backing.size() == size)
        return false;
    DirectPause pause(p);
    QImage fresh(size, QImage::Format_RGB32);
    fresh.fill(w->palette().color(w->backgroundRole()));
    if (!p.backing.isNull()) {
        QPainter copy(&fresh);
        copy.drawImage(0, 0, p.backing);
    }
    p.backing = fresh;
    return true;
}

void AfxShowDirectDrawing(HWND hWnd) {
    if (CWnd* wnd = CWnd::FromHandle(hWnd))
        if (QWidget* w = wnd->GetWidget())
            w->update();
}

bool WndEventBridge::Paint(CWnd* wnd, QEvent* e) {
    WndPrivate& p = *wnd->m_p;
    if (p.inPaint)
        return false;
    AfxApplyCtlColor(wnd);
    QWidget* w = wnd->GetWidget();
    auto* pe = static_cast<QPaintEvent*>(e);
    bool paint = true;
    std::optional<DirectPause> pause;
    if (p.backed) {
        // Without an invalidation (Qt repaints to show a client DC's drawing, or to grab the
        // window) the picture is shown again as it is, as the system shows its screen.
        pause.emplace(p);
        if (AfxEnsureBacking(p, w))
            p.invalidRegion = QRegion(p.backing.rect());
        paint = !p.invalidRegion.isEmpty();
        if (paint) {
            // The paint covers what was invalid, wherever Qt repaints; invalidations made while
            // it runs wait for the next one.
            p.paintRegion = p.invalidRegion & QRegion(p.backing.rect());
            p.invalidRegion = QRegion();
            // The invalid part starts from the background, as the class brush erases it.
            QPainter erase(&p.backing);
            erase.setClipRegion(p.paintRegion);
            erase.fillRect(p.backing.rect(), w->palette().color(w->backgroundRole()));
        }
    }
    if (paint && !PaintMessage(wnd, e)) {
        if (pause)
            pause->active = false;
        return true;
    }
    if (p.backed && wnd->m_p && wnd->GetWidget() == w) {
        QPainter show(w);
        show.setClipRegion(pe->region());
        show.drawImage(0, 0, wnd->m_p->backing);
    }
    return true;
}

// Sends WM_PAINT for a Qt paint event; false when the window went away meanwhile.
bool WndEventBridge::PaintMessage(CWnd* wnd, QEvent* e) {
    WndPrivate& p = *wnd->m_p;
    HWND self = wnd->m_hWnd;
    QtDispatch d{wnd->m_hWnd, WM_PAINT, e, wnd->GetWidget(), false, false};
    g_qtDispatch.push_back(&d);
    p.inPaint = true;
    AfxCallWndProc(wnd, WM_PAINT, 0, 0);
    if (wnd->m_p)
        wnd->m_p->inPaint = false;
    g_qtDispatch.pop_back();
    return CWnd::FromHandle(self) == wnd;
}

bool WndEventBridge::Input(CWnd* wnd, QWidget* from, QEvent* e) {
    struct ModifierScope {
        explicit ModifierScope(Qt::KeyboardModifiers m) { g_eventModifiers.push_back(m); }
        ~ModifierScope() { g_eventModifiers.pop_back(); }
    } modifiers(static_cast<QInputEvent*>(e)->modifiers());
    QWidget* w = wnd->GetWidget();
    auto clientPoint = [&](QPointF pos) {
        QPoint pt = pos.toPoint();
        if (from != w)
            pt = from->mapTo(w, pt);
        return MAKELPARAM(pt.x(), pt.y());
    };
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        QPoint g = me->globalPosition().toPoint();
        g_lastMessagePos = {g.x(), g.y()};
        UINT msg = AfxMouseMessageOf(me);
        // While a window holds the capture, it gets the mouse wherever the pointer is.
        UINT keys = MouseKeyFlags(me->buttons(), me->modifiers());
        if (g_capture && g_capture != wnd->m_hWnd) {
            if (CWnd* cap = CWnd::FromHandle(g_capture); cap && cap->GetWidget()) {
                QPoint pt = cap->GetWidget()->mapFromGlobal(g);
                SendTranslated(cap, nullptr, msg, keys, MAKELPARAM(pt.x(), pt.y()), nullptr);
                return true;
            }
        }
        // The window under the pointer chooses its shape first (or lets its parent choose).
        HWND self = wnd->m_hWnd;
        HWND prev = std::exchange(g_setCursorWnd, self);
        wnd->SendMessage(WM_SETCURSOR, (WPARAM)self, MAKELPARAM(HTCLIENT, msg));
        g_setCursorWnd = prev;
        if (!CWnd::FromHandle(self))
            return true;
        SendTranslated(wnd, e, msg, keys, clientPoint(me->position()), nullptr, from);
        return true;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(e);
        QPoint g = we->globalPosition().toPoint();
        WPARAM wp =
            MAKEWPARAM(MouseKeyFlags(we->buttons(), we->modifiers()), (short)we->angleDelta().y());
        SendTranslated(wnd, e, WM_MOUSEWHEEL, wp, MAKELPARAM(g.x(), g.y()), nullptr, from);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(e);
        bool down = e->type() == QEvent::KeyPress;
        UINT vk = AfxVirtualKeyFromQt(ke->key());
        bool alt = ke->modifiers() & Qt::AltModifier;
        UINT flags = (ke->nativeScanCode() & 0xFF) | (alt ? 0x2000 : 0);
        if (down && ke->isAutoRepeat())
            flags |= 0x4000;
        if (!down)
            flags |= 0xC000;
        LPARAM lp = MAKELPARAM(std::max(1, ke->count()), flags);
        UINT msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        bool wantDefault = true;
        if (vk) {
            wantDefault = false;
            bool dispatched = false;
            const HWND hWnd = wnd->m_hWnd;
            SendTranslated(wnd, e, msg, vk, lp, &wantDefault, from, &dispatched);
            // The menu keys work after the window had the key (controls take every key down
            // without asking the default), unless PreTranslateMessage took it first.
            if (down && dispatched && !ke->isAutoRepeat()) {
                CWnd* still = ::IsWindow(hWnd) ? CWnd::FromHandlePermanent(hWnd) : nullptr;
                if (still && KeyboardMenuKey(still, vk, ke->modifiers() & ~Qt::KeypadModifier))
                    return true;
            }
            // A key swallowed by PreTranslateMessage or a handler produces no characters.
            if (!wantDefault)
                return true;
            // Alt with a character that named no control or menu is only a mnemonic that
            // missed: the control under it gets no character (an edit would type the letter).
            if (down && alt && !(ke->modifiers() & Qt::ControlModifier) && !ke->text().isEmpty() &&
                ke->text().at(0).isPrint())
                return true;
        }
        if (down && !alt && !(ke->modifiers() & Qt::ControlModifier)) {
            CString chars = AfxFromQt(ke->text());
            for (int i = 0; i < chars.GetLength(); ++i) {
                BYTE ch = (BYTE)chars[i];
                if (ch == 0x7F)
                    continue;
                bool charDefault = false;
                if (!CWnd::FromHandle(wnd->m_hWnd))
                    return true;
                SendTranslated(wnd, e, WM_CHAR, ch, lp, &charDefault, from);
                wantDefault = wantDefault && charDefault;
            }
        }
        return !wantDefault;
    }
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(e);
        // The menu key's own press asks for the menu (see KeyboardMenuKey), where every
        // platform sends it; the event some platforms make of it as well would ask twice.
        if (ce->reason() == QContextMenuEvent::Keyboard)
            return true;
        QPoint g = ce->globalPos();
        SendTranslated(wnd, e, WM_CONTEXTMENU, (WPARAM)wnd->m_hWnd, MAKELPARAM(g.x(), g.y()),
                       nullptr, from);
        return true;
    }
    default:
        return false;
    }
}

bool WndEventBridge::eventFilter(QObject* obj, QEvent* e) {
    if (obj == g_bypassObject && e == g_bypassEvent)
        return false;
    // Input made from a message sent by code stays with the control (and the parents Qt offers
    // it to): it is not turned into messages again.
    if (g_syntheticInput &&
        (dynamic_cast<QInputEvent*>(e) || e->type() == QEvent::ShortcutOverride))
        return false;
    if (!obj->isWidgetType())
        return false;
    auto* from = static_cast<QWidget*>(obj);
    CWnd* wnd = CWnd::FromWidget(from);
    if (!wnd || !wnd->m_hWnd)
        return false;
    QWidget* w = wnd->GetWidget();
    switch (e->type()) {
    case QEvent::Paint:
        if (from != w)
            return false;
        return Paint(wnd, e);
    case QEvent::Timer: {
        auto* te = static_cast<QTimerEvent*>(e);
        auto it = wnd->m_p->qtTimerToId.find(te->timerId());
        if (from != w || it == wnd->m_p->qtTimerToId.end())
            return false;
        auto cb = wnd->m_p->timerCallbacks.find(it->second);
        LPARAM lp = cb == wnd->m_p->timerCallbacks.end() ? 0 : reinterpret_cast<LPARAM>(cb->second);
        MSG m{wnd->m_hWnd, WM_TIMER, it->second, lp, 0, g_lastMessagePos};
        AfxDispatchQueued(m);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu: {
        // Qt offers an event its receiver ignored to the parents again; the mouse belongs to
        // the deepest widget under the pointer, which already saw it.
        QPoint pos;
        if (e->type() == QEvent::ContextMenu)
            pos = static_cast<QContextMenuEvent*>(e)->pos();
        else
            pos = static_cast<QSinglePointEvent*>(e)->position().toPoint();
        if (from->childAt(pos) && g_capture == nullptr)
            return false;
        // A disabled window takes no mouse (its own or a disabled parent's state): Qt drops the
        // event itself once we pass it on.
        if (!from->isEnabled() && g_capture == nullptr)
            return false;
        return Input(wnd, from, e);
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A control may hand its keys to an inner window (a combo box's edit).
        if (ControlAdapter* a = wnd->m_p->adapter.get())
            if (CWnd* keys = a->KeyWindow(); keys && keys->m_hWnd)
                wnd = keys;
        // A key the focus widget ignored is offered to its parents again: the same event
        // arriving at an ancestor of the widget that already had it.
        if (e == g_lastInputEvent && g_lastInputReceiver && from != g_lastInputReceiver &&
            from->isAncestorOf(g_lastInputReceiver))
            return false;
        g_lastInputEvent = e;
        g_lastInputReceiver = from;
        return Input(wnd, from, e);
    case QEvent::InputMethod: {
        // Text from an input method comes after the key-down the system gives it, so code that
        // watches key-downs sees this typing too; the text itself is Qt's to insert.
        if (static_cast<QInputMethodEvent*>(e)->commitString().isEmpty())
            return false;
        if (ControlAdapter* a = wnd->m_p->adapter.get())
            if (CWnd* keys = a->KeyWindow(); keys && keys->m_hWnd)
                wnd = keys;
        SendTranslated(wnd, nullptr, WM_KEYDOWN, VK_PROCESSKEY, MAKELPARAM(1, 0), nullptr, from);
        return false;
    }
    case QEvent::FocusIn:
        wnd->SendMessage(WM_SETFOCUS, 0, 0);
        return false;
    case QEvent::FocusOut:
        wnd->SendMessage(WM_KILLFOCUS, 0, 0);
        return false;
    case QEvent::WindowStateChange:
        if (from == w && w->isWindow())
            AfxTopLevelChanged(wnd, e);
        return false;
    case QEvent::Resize:
        if (from == w && w->isWindow())
            AfxTopLevelChanged(wnd, e);
        if (from == w) {
            QSize s = w->size();
            wnd->SendMessage(WM_SIZE, w->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED,
                             MAKELPARAM(s.width(), s.height()));
        }
        return false;
    case QEvent::Move:
        if (from == w && w->isWindow())
            AfxTopLevelChanged(wnd, e);
        if (from == w)
            wnd->SendMessage(WM_MOVE, 0, MAKELPARAM(w->x(), w->y()));
        return false;
    case QEvent::Show:
    case QEvent::Hide:
        // A window shown again is painted again.
        if (from == w && e->type() == QEvent::Show)
            wnd->m_p->invalidRegion = QRegion(w->rect());
        if (from == w)
            wnd->SendMessage(WM_SHOWWINDOW, e->type() == QEvent::Show, 0);
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (from == w && w->isWindow())
            wnd->SendMessage(WM_ACTIVATE,
                             e->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE, 0);
        return false;
    case QEvent::Close:
        if (from != w)
            return false;
        e->ignore();
        wnd->SendMessage(WM_CLOSE);
        return true;
    default:
        if (e->type() == PostedMessageType()) {
            MSG m = static_cast<PostedMessageEvent*>(e)->msg;
            AfxDispatchQueued(m);
            return true;
        }
        return false;
    }
}

void AfxDispatchQueued(MSG& m) {
    AfxNoteMessage(m.message);
    if (m.message == WM_TIMER && m.lParam) {
        auto* fn = reinterpret_cast<void (*)(HWND, UINT, UINT_PTR, DWORD)>(m.lParam);
        fn(m.hwnd, WM_TIMER, m.wParam, 0);
        return;
    }
    if (CWinApp* app = AfxGetApp()) {
        if (app->PreTranslateMessage(&m))
            return;
    } else if (CWnd::WalkPreTranslateTree(nullptr, &m)) {
        return;
    }
    if (!m.hwnd) {
        if (CWinApp* app = AfxGetApp())
            app->OnThreadMessage(m);
        return;
    }
    if (CWnd* w = CWnd::FromHandle(m.hwnd))
        AfxCallWndProc(w, m.message, m.wParam, m.lParam);
}

// ---- Input sent by code to Qt controls ------------------------------------------------------

static int QtKeyFromVirtualKey(UINT vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return (int)vk; // Qt's letters and digits are their ASCII codes
    if (vk >= VK_F1 && vk <= VK_F12)
        return Qt::Key_F1 + (int)(vk - VK_F1);
    static const std::map<UINT, int> keys = {
        {VK_BACK, Qt::Key_Backspace}, {VK_TAB, Qt::Key_Tab},       {VK_RETURN, Qt::Key_Return},
        {VK_ESCAPE, Qt::Key_Escape},  {VK_SPACE, Qt::Key_Space},   {VK_PRIOR, Qt::Key_PageUp},
        {VK_NEXT, Qt::Key_PageDown},  {VK_END, Qt::Key_End},       {VK_HOME, Qt::Key_Home},
        {VK_LEFT, Qt::Key_Left},      {VK_UP, Qt::Key_Up},         {VK_RIGHT, Qt::Key_Right},
        {VK_DOWN, Qt::Key_Down},      {VK_INSERT, Qt::Key_Insert}, {VK_DELETE, Qt::Key_Delete}};
    auto it = keys.find(vk);
    return it == keys.end() ? 0 : it->second;
}

void AfxSendInputToWidget(QWidget* w, UINT message, WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<QEvent> ev;
    QWidget* target = w;
    if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK) {
        QPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
        if (QWidget* inner = w->childAt(pt)) {
            pt = inner->mapFrom(w, pt);
            target = inner;
        }
        Qt::MouseButtons buttons;
        if (wParam & MK_LBUTTON)
            buttons |= Qt::LeftButton;
        if (wParam & MK_RBUTTON)
            buttons |= Qt::RightButton;
        if (wParam & MK_MBUTTON)
            buttons |= Qt::MiddleButton;
        Qt::KeyboardModifiers mods;
        if (wParam & MK_SHIFT)
            mods |= Qt::ShiftModifier;
        if (wParam & MK_CONTROL)
            mods |= Qt::ControlModifier;
        QEvent::Type type = QEvent::MouseMove;
        Qt::MouseButton button = Qt::NoButton;
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            type = QEvent::MouseButtonPress;
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            type = QEvent::MouseButtonRelease;
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            type = QEvent::MouseButtonDblClick;
            break;
        default:
            break;
        }
        if (type != QEvent::MouseMove) {
            UINT kind = (message - WM_LBUTTONDOWN) / 3;
            button = kind == 0 ? Qt::LeftButton : kind == 1 ? Qt::RightButton : Qt::MiddleButton;
            // The button of a press is down, the button of a release is up, whatever wParam says.
            if (type == QEvent::MouseButtonRelease)
                buttons &= ~button;
            else
                buttons |= button;
        }
        ev = std::make_unique<QMouseEvent>(type, QPointF(pt), QPointF(target->mapToGlobal(pt)),
                                           button, buttons, mods);
    } else {
        if (QWidget* focus = w->focusProxy())
            target = focus;
        if (message == WM_CHAR) {
            BYTE b = (BYTE)wParam;
            CString text;
            if (g_pendingLeadByte) {
                char pair[3] = {(char)g_pendingLeadByte, (char)b, 0};
                text = pair;
                g_pendingLeadByte = 0;
            } else if (b >= 0x81 && b != 0xFF) {
                g_pendingLeadByte = b;
                return;
            } else {
                text = CString((char)b, 1);
            }
            ev = std::make_unique<QKeyEvent>(QEvent::KeyPress, 0, Qt::NoModifier, AfxToQt(text));
        } else {
            int key = QtKeyFromVirtualKey((UINT)wParam);
            if (!key)
                return;
            ev = std::make_unique<QKeyEvent>(
                message == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
        }
    }
    bool old = std::exchange(g_syntheticInput, true);
    QCoreApplication::sendEvent(target, ev.get());
    g_syntheticInput = old;
}

// ---- Lookup ---------------------------------------------------------------------------------

CWnd::CWnd() : m_p(std::make_unique<WndPrivate>()) {}

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

// The z-order markers SetWindowPos takes in place of a window.
static CWnd* MakeMarker(HWND h) {
    CWnd* w = new CWnd;
    w->m_hWnd = h;
    return w;
}
const CWnd& CWnd::wndTop = *MakeMarker(HWND_TOP);
const CWnd& CWnd::wndBottom = *MakeMarker(HWND_BOTTOM);
const CWnd& CWnd::wndTopMost = *MakeMarker(HWND_TOPMOST);
const CWnd& CWnd::wndNoTopMost = *MakeMarker(HWND_NOTOPMOST);

CWnd* CWnd::FromHandle(HWND hWnd) {
    return FromHandlePermanent(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = HandleTable().find((uintptr_t)hWnd);
    return it == HandleTable().end() ? nullptr : it->second;
}

CWnd* CWnd::FromWidget(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        auto it = WidgetTable().find(w);
        if (it != WidgetTable().end())
            return it.value();
        if (w->isWindow())
            break;
    }
    return nullptr;
}

QWidget* CWnd::GetWidget() const {
    return m_p ? m_p->widget.data() : nullptr;
}

BOOL IsWindow(HWND hWnd) {
    return CWnd::FromHandlePermanent(hWnd) != nullptr;
}

// ---- Creation -------------------------------------------------------------------------------

namespace {
std::map<std::string, UINT>& RegisteredMessages() {
    static std::map<std::string, UINT> m;
    return m;
}
} // namespace

UINT RegisterWindowMessage(LPCTSTR lpString) {
    if (!lpString || !*lpString)
        return 0;
    auto& m = RegisteredMessages();
    auto it = m.find(lpString);
    if (it != m.end())
        return it->second;
    UINT id = 0xC000 + (UINT)m.size();
    m.emplace(lpString, id);
    return id;
}

namespace {
struct WndClassEntry {
    WNDCLASS wc;
    std::string name;
    std::string menuName;
};
std::map<std::string, WndClassEntry>& WndClasses() {
    static std::map<std::string, WndClassEntry> classes;
    return classes;
}
const WndClassEntry* FindWndClass(LPCTSTR name) {
    if (!name || IS_INTRESOURCE(name))
        return nullptr;
    auto it = WndClasses().find(name);
    return it == WndClasses().end() ? nullptr : &it->second;
}
// A class background given as a system colour index plus one, as the classic code writes it.
bool BackgroundColour(HBRUSH brush, COLORREF& colour) {
    if (!brush)
        return false;
    if ((ULONG_PTR)brush <= 64) {
        colour = GetSysColor((int)(ULONG_PTR)brush - 1);
        return true;
    }
    LOGBRUSH lb{};
    CGdiObject* o = CGdiObject::FromHandle(brush);
    if (!o || !o->GetObject(sizeof lb, &lb) || lb.lbStyle != BS_SOLID)
        return false;
    colour = lb.lbColor;
    return true;
}
} // namespace

BOOL RegisterClass(const WNDCLASS* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName))
        return FALSE;
    std::string name = lpWndClass->lpszClassName;
    if (WndClasses().count(name))
        return FALSE;
    WndClassEntry& e = WndClasses()[name];
    e.wc = *lpWndClass;
    e.name = name;
    e.wc.lpszClassName = e.name.c_str();
    if (lpWndClass->lpszMenuName && !IS_INTRESOURCE(lpWndClass->lpszMenuName)) {
        e.menuName = lpWndClass->lpszMenuName;
        e.wc.lpszMenuName = e.menuName.c_str();
    }
    return TRUE;
}

BOOL AfxRegisterClass(WNDCLASS* lpWndClass) {
    // Registering a name again is fine when it is already there.
    if (lpWndClass && FindWndClass(lpWndClass->lpszClassName))
        return TRUE;
    return RegisterClass(lpWndClass);
}

BOOL GetClassInfo(HINSTANCE, LPCTSTR lpClassName, LPWNDCLASS lpWndClass) {
    const WndClassEntry* e = FindWndClass(lpClassName);
    if (!e || !lpWndClass)
        return FALSE;
    *lpWndClass = e->wc;
    return TRUE;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    char name[128];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", nClassStyle, (void*)hCursor,
                  (void*)hbrBackground, (void*)hIcon);
    if (const WndClassEntry* e = FindWndClass(name))
        return e->name.c_str();
    WNDCLASS wc{nClassStyle, nullptr, 0, 0, nullptr, hIcon, hCursor, hbrBackground, nullptr, name};
    RegisterClass(&wc);
    return FindWndClass(name)->name.c_str();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = "AfxWnd";
    return TRUE;
}

QWidget* CWnd::CreateWidget(const CREATESTRUCT&, QWidget*) {
    return nullptr;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void* pContext) {
    // The context reaches WM_CREATE as the creation parameter (views join their document there).
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                    pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd ? pParentWnd->m_hWnd : nullptr, (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam) {
    if (m_hWnd)
        return FALSE;
    AfxEnsureGuiApp();
    CREATESTRUCT cs{lpParam, nullptr, nIDorHMenu,    hWndParent,     nHeight,       nWidth,
                    y,       x,       (LONG)dwStyle, lpszWindowName, lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs))
        return FALSE;
    CWnd* parent = FromHandle(cs.hwndParent);
    bool child = (cs.style & WS_CHILD) != 0;
    if (child && !parent)
        return FALSE;
    QWidget* parentWidget = nullptr;
    Qt::WindowFlags flags;
    if (child) {
        parentWidget = parent->GetWidget();
    } else {
        // A dialog is a dialog to the window manager too: it stays above the window that owns
        // it and offers only the buttons its style asks for.
        bool dialog = cs.lpszClass && strcmp(cs.lpszClass, "#32770") == 0;
        // A pop-up is owned by the top-level window of the window it was given; a dialog by a
        // window the user sees (see AfxDialogOwner).
        if (parent) {
            parent = dialog ? AfxDialogOwner(parent) : parent->GetTopLevelParent();
            parentWidget = parent ? parent->GetWidget() : nullptr;
        }
        flags = dialog ? Qt::Dialog : Qt::Window;
        if (dialog) {
            // Spelled out: without it the window manager is told every function is allowed.
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                     Qt::WindowCloseButtonHint;
            if (cs.style & WS_MINIMIZEBOX)
                flags |= Qt::WindowMinimizeButtonHint;
            if (cs.style & WS_MAXIMIZEBOX)
                flags |= Qt::WindowMaximizeButtonHint;
        }
        if ((cs.style & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        if (cs.dwExStyle & WS_EX_TOOLWINDOW)
            flags |= Qt::Tool;
        if (cs.dwExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
    }
    QWidget* w = CreateWidget(cs, parentWidget);
    if (!w)
        w = AfxCreateControlWidget(this, cs, parentWidget);
    if (!w)
        w = new PlainWidget(parentWidget, flags);
    else if (!child)
        w->setParent(parentWidget, flags);
    if (!Attach(w, cs))
        return FALSE;
    if (m_p->adapter)
        m_p->adapter->OnAttached();
    if (const WndClassEntry* wc = FindWndClass(cs.lpszClass)) {
        m_p->classCursor = wc->wc.hCursor;
        if (m_p->classCursor)
            w->setCursor(AfxQCursor(m_p->classCursor));
        COLORREF bg = 0;
        if (dynamic_cast<PlainWidget*>(w) && BackgroundColour(wc->wc.hbrBackground, bg)) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, AfxQColor(bg));
            w->setPalette(pal);
        }
    }
    if (!child && parent)
        m_p->owner = parent->GetTopLevelParent()->m_hWnd;
    OnWidgetCreated();
    HWND self = m_hWnd;
    if (SendMessage(WM_CREATE, 0, (LPARAM)&cs) == -1) {
        if (IsWindow(self))
            DestroyWindow();
        return FALSE;
    }
    if (!IsWindow(self))
        return FALSE;
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    SendMessage(WM_MOVE, 0, MAKELPARAM(w->x(), w->y()));
    if (cs.style & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    else if (child)
        w->setVisible(false);
    return TRUE;
}

BOOL CWnd::Attach(QWidget* w, const CREATESTRUCT& cs) {
    m_hWnd = (HWND)(g_nextHandle += 4);
    HandleTable()[(uintptr_t)m_hWnd] = this;
    WidgetTable().insert(w, this);
    m_p->widget = w;
    m_p->style = (DWORD)cs.style & ~WS_VISIBLE;
    m_p->exStyle = cs.dwExStyle;
    m_p->id = (cs.style & WS_CHILD) ? (int)(UINT_PTR)cs.hMenu : 0;
    m_p->className = cs.lpszClass ? cs.lpszClass : "";
    w->installEventFilter(Bridge());
    for (QWidget* inner : w->findChildren<QWidget*>())
        inner->installEventFilter(Bridge());
    int height = std::max(0, cs.cy);
    // A drop-down combo box's height in a template includes its list; the box is one line.
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && (cs.style & 0x3) != 0x1)
        height = std::min(height, combo->sizeHint().height());
    if (w->isWindow())
        AfxPlaceFrame(this, QRect(cs.x, cs.y, std::max(0, cs.cx), height));
    else
        w->setGeometry(cs.x, cs.y, std::max(0, cs.cx), height);
    if (cs.style & WS_DISABLED)
        w->setEnabled(false);
    if (!w->autoFillBackground() && w->metaObject() == &QWidget::staticMetaObject) {
        w->setAutoFillBackground(true);
    }
    if (dynamic_cast<PlainWidget*>(w)) {
        m_p->backed = true;
        w->setAutoFillBackground(true);
        // Each paint shows the window's picture over all it repaints: Qt need not fill the
        // background under it first.
        w->setAttribute(Qt::WA_OpaquePaintEvent);
        QPalette pal = w->palette();
        COLORREF c = GetSysColor((m_p->style & WS_CHILD) ? COLOR_WINDOW : COLOR_BTNFACE);
        pal.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        w->setPalette(pal);
        w->setFocusPolicy(Qt::ClickFocus);
        w->setMouseTracking(true);
    }
    QObject::connect(w, &QObject::destroyed, [h = m_hWnd, w](QObject*) {
        // Qt removed the widget under us (its parent went away): the window is gone too. Qt
        // tells before it deletes the widget's children, whose last events must not find it.
        WidgetTable().remove(w);
        if (CWnd* wnd = CWnd::FromHandlePermanent(h)) {
            wnd->m_p->widget = nullptr;
            wnd->SendMessage(WM_NCDESTROY);
        }
    });
    m_p->text = cs.lpszName ? cs.lpszName : "";
    if (cs.lpszName)
        SendMessage(WM_SETTEXT, 0, (LPARAM)cs.lpszName);
    return TRUE;
}

BOOL AfxAttachInnerWidget(CWnd* pWnd, QWidget* w, const CREATESTRUCT& cs, bool filterInput) {
    if (!pWnd || pWnd->m_hWnd || !w || WidgetTable().contains(w))
        return FALSE;
    pWnd->m_hWnd = (HWND)(g_nextHandle += 4);
    HandleTable()[(uintptr_t)pWnd->m_hWnd] = pWnd;
    WidgetTable().insert(w, pWnd);
    WndPrivate& p = *pWnd->m_p;
    p.widget = w;
    p.style = (DWORD)cs.style;
    p.exStyle = cs.dwExStyle;
    p.id = (int)(UINT_PTR)cs.hMenu;
    p.className = cs.lpszClass ? cs.lpszClass : "";
    p.inner = true;
    if (filterInput)
        w->installEventFilter(Bridge());
    else
        w->removeEventFilter(Bridge());
    QObject::connect(w, &QObject::destroyed, [h = pWnd->m_hWnd, w](QObject*) {
        WidgetTable().remove(w);
        if (CWnd* wnd = CWnd::FromHandlePermanent(h)) {
            wnd->m_p->widget = nullptr;
            wnd->SendMessage(WM_NCDESTROY);
        }
    });
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    CWnd* item = pParent ? pParent->GetDlgItem((int)nID) : nullptr;
    return item && SubclassWindow(item->m_hWnd);
}

// Moves the window from the object that created it (a placeholder of the dialog template) to
// this one; the placeholder object is left without a window.
BOOL CWnd::SubclassWindow(HWND hWnd) {
    CWnd* old = FromHandlePermanent(hWnd);
    if (!old || old == this || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    std::swap(m_p, old->m_p);
    old->m_hWnd = nullptr;
    HandleTable()[(uintptr_t)hWnd] = this;
    WidgetTable().insert(m_p->widget.data(), this);
    if (m_p->adapter)
        m_p->adapter->wnd = this;
    PreSubclassWindow();
    OnWidgetCreated();
    if (old->m_bTemplateItem)
        delete old;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    return nullptr;
}
void CWnd::PreSubclassWindow() {}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    HWND self = m_hWnd;
    SendMessage(WM_DESTROY);
    if (!IsWindow(self))
        return TRUE;
    // Owned pop-ups and children go before their window, as the system destroys them.
    std::vector<HWND> dependents;
    for (auto& [h, w] : HandleTable()) {
        if (w == this)
            continue;
        if (w->m_p->owner == self)
            dependents.push_back((HWND)h);
        else if (w->GetWidget() && GetWidget() && !w->GetWidget()->isWindow() &&
                 w->GetWidget()->parentWidget() &&
                 FromWidget(w->GetWidget()->parentWidget()) == this)
            dependents.push_back((HWND)h);
    }
    for (HWND h : dependents)
        if (CWnd* w = FromHandlePermanent(h))
            w->DestroyWindow();
    if (g_capture == self)
        g_capture = nullptr;
    if (QWidget* w = GetWidget()) {
        for (auto& [qid, id] : m_p->qtTimerToId)
            w->killTimer(qid);
        m_p->qtTimerToId.clear();
        m_p->idToQtTimer.clear();
        WidgetTable().remove(w);
        m_p->widget = nullptr;
        if (m_p->inner) {
            // The widget belongs to the control it is a part of.
            SendMessage(WM_NCDESTROY);
            return TRUE;
        }
        // As the system does, an active window's owner becomes active when it goes.
        if (w->isWindow() && w->isActiveWindow())
            if (CWnd* owner = FromHandlePermanent(m_p->owner))
                if (QWidget* ow = owner->GetWidget(); ow && ow->window()->isVisible())
                    ow->window()->activateWindow();
        w->hide();
        // The widget may be in the middle of delivering the event that destroys it.
        w->deleteLater();
    }
    SendMessage(WM_NCDESTROY);
    return TRUE;
}

void CWnd::OnNcDestroy() {
    HWND self = m_hWnd;
    HandleTable().erase((uintptr_t)self);
    if (m_p && m_p->widget) {
        WidgetTable().remove(m_p->widget.data());
        m_p->widget = nullptr;
    }
    m_hWnd = nullptr;
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

// ---- Messages -------------------------------------------------------------------------------

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h;) {
        CWnd* w = FromHandlePermanent(h);
        // A key typed in a modal window goes no further than the modal window.
        if (!w || AfxKeyBlockedFor(pMsg, w))
            break;
        if (w->PreTranslateMessage(pMsg))
            return TRUE;
        if (h == hWndStop)
            break;
        CWnd* parent = FromHandlePermanent(h) ? w->GetParent() : nullptr;
        h = parent ? parent->m_hWnd : nullptr;
    }
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageScope scope(m_hWnd, message, wParam, lParam);
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT message) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == WM_COMMAND || e->nMessage == WM_NOTIFY)
                continue;
            if (e->pRegistered ? (*e->pRegistered == message && message != 0)
                               : e->nMessage == message)
                return e;
        }
    }
    return nullptr;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *pResult = 1;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (nm && OnNotify(wParam, lParam, &r)) {
            *pResult = r;
            return TRUE;
        }
        return FALSE;
    }
    // Owner-drawn children draw themselves when the parent does not.
    if ((message == WM_DRAWITEM || message == WM_MEASUREITEM) && lParam) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), message);
        if (!e) {
            HWND child = nullptr;
            if (message == WM_DRAWITEM)
                child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
            else if (CWnd* item =
                         GetDlgItem((int)reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID))
                child = item->m_hWnd;
            if (CWnd* c = FromHandlePermanent(child)) {
                if (c->OnChildNotify(message, wParam, lParam, pResult))
                    return TRUE;
            }
        }
    }
    const AFX_MSGMAP_ENTRY* e =
        FindMessageEntry(GetMessageMap(), AfxIsCtlColorMessage(message) ? WM_CTLCOLOR : message);
    if (!e)
        return FALSE;
    AFX_MSGCALL call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    if (!e->pfn(this, call))
        return FALSE;
    *pResult = call.result;
    return TRUE;
}

LRESULT CWnd::Default() {
    if (g_messageStack.empty())
        return 0;
    CurrentMessage m = g_messageStack.back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    if (m_p->adapter) {
        bool handled = false;
        LRESULT r = m_p->adapter->DefProc(message, wParam, lParam, handled);
        if (handled)
            return r;
    }
    // A message made from a Qt event: the default is what the Qt widget does with the event.
    QtDispatch* d = AfxCurrentQtDispatch();
    if (d && d->hwnd == m_hWnd && d->message == message && d->event && !d->forwarded) {
        if (d->event->type() == QEvent::KeyPress || d->event->type() == QEvent::KeyRelease) {
            d->wantDefault = true;
            return 0;
        }
        if (QObject* w = d->receiver) {
            d->forwarded = true;
            QObject* oldObj = g_bypassObject;
            QEvent* oldEv = g_bypassEvent;
            g_bypassObject = w;
            g_bypassEvent = d->event;
            if (message == WM_PAINT)
                m_p->inPaint = false;
            QCoreApplication::sendEvent(w, d->event);
            if (message == WM_PAINT && m_p)
                m_p->inPaint = true;
            g_bypassObject = oldObj;
            g_bypassEvent = oldEv;
        }
        return 0;
    }
    QWidget* w = GetWidget();
    switch (message) {
    case WM_SETTEXT:
        m_p->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (w && w->isWindow())
            w->setWindowTitle(AfxToQt(m_p->text));
        if (w)
            w->update();
        return TRUE;
    case WM_GETTEXTLENGTH:
        return m_p->text.GetLength();
    case WM_GETTEXT:
        return AfxCopyTextOut(m_p->text, reinterpret_cast<char*>(lParam), wParam);
    case WM_SETFONT:
        m_p->font = (HFONT)wParam;
        if (w) {
            if (wParam)
                w->setFont(AfxQFont((HFONT)wParam));
            if (lParam)
                InvalidateRect(nullptr);
        }
        return 0;
    case WM_GETFONT:
        return (LRESULT)m_p->font;
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SETREDRAW:
        m_p->redraw = (BOOL)wParam;
        if (w)
            w->setUpdatesEnabled(wParam != 0);
        return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        // Unhandled, these travel to the parent, as the system passes them on.
        if ((m_p->style & WS_CHILD) && GetParent())
            return GetParent()->SendMessage(message, wParam, lParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // Nobody above chose: the control may choose its own colours.
        CWnd* child = FromHandlePermanent((HWND)lParam);
        LRESULT r = 0;
        if (child && child != this && child->OnChildNotify(message, wParam, lParam, &r))
            return r;
        return 0;
    }
    case WM_SETCURSOR:
        // A child's parent may choose for it; otherwise the class cursor, or the control's own.
        if ((m_p->style & WS_CHILD) && GetParent() &&
            GetParent()->SendMessage(WM_SETCURSOR, wParam, lParam))
            return TRUE;
        if ((HWND)wParam == m_hWnd && w && LOWORD(lParam) == HTCLIENT) {
            if (m_p->classCursor)
                w->setCursor(AfxQCursor(m_p->classCursor));
            else
                w->unsetCursor();
        }
        return FALSE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        // Sent by code to a Qt control: the control does what the input would make it do.
        if (m_p->adapter && w)
            AfxSendInputToWidget(w, message, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    int nCode = HIWORD(wParam);
    if (!hWndCtrl) {
        // A menu item or accelerator: a disabled command is not carried out.
        struct Probe : CCmdUI {
            BOOL enabled = TRUE;
            void Enable(BOOL bOn) override {
                enabled = bOn;
                m_bEnableChanged = TRUE;
            }
            void SetCheck(int) override {}
            void SetRadio(BOOL) override {}
            void SetText(LPCTSTR) override {}
        } probe;
        probe.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &probe, nullptr);
        if (!probe.enabled)
            return TRUE;
        nCode = CN_COMMAND;
    } else {
        if (ReflectLastMsg(hWndCtrl))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (ReflectLastMsg(nm->hwndFrom, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, nm};
    return OnCmdMsg((UINT)nm->idFrom, CN_NOTIFY_CODE(nm->code), &notify, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* child = FromHandlePermanent(hWndChild);
    if (!child)
        return FALSE;
    return child->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
    if (g_messageStack.empty())
        return FALSE;
    CurrentMessage m = g_messageStack.back();
    LRESULT r = 0;
    return OnChildNotify(m.message, m.wParam, m.lParam, pResult ? pResult : &r);
}

// The control's own map gets the reflected notification first (ON_CONTROL_REFLECT and kin).
BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT code = 0;
    AFX_NOTIFY notify{pResult, nullptr};
    AFX_MSGCALL call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
    } else if (message == WM_NOTIFY) {
        notify.pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        code = (WORD)notify.pNMHDR->code;
        call.pExtra = &notify;
    } else if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    } else if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    } else {
        UINT reflected = AfxIsCtlColorMessage(message) ? WM_CTLCOLOR : message;
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + reflected);
        if (!e || !e->pfn(this, call))
            return FALSE;
        *pResult = call.result;
        return TRUE;
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == WM_REFLECT_BASE + message && e->nCode == code) {
                BOOL handled = e->pfn(this, call);
                if (message == WM_NOTIFY && pResult && handled)
                    return TRUE;
                return handled;
            }
        }
    }
    return FALSE;
}

void CWnd::DrawItem(LPDRAWITEMSTRUCT) {}
void CWnd::MeasureItem(LPMEASUREITEMSTRUCT) {}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    return AfxCallWndProc(this, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    QWidget* w = GetWidget();
    if (!m_hWnd || !w)
        return FALSE;
    QCoreApplication::postEvent(
        w, new PostedMessageEvent(MSG{m_hWnd, message, wParam, lParam, 0, g_lastMessagePos}));
    return TRUE;
}

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* w = CWnd::FromHandle(hWnd);
    return w ? w->SendMessage(message, wParam, lParam) : 0;
}

BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hWnd) {
        AfxEnsureGuiApp();
        QCoreApplication::postEvent(
            ThreadTarget(), new PostedMessageEvent(MSG{nullptr, message, wParam, lParam, 0, {}}));
        return TRUE;
    }
    CWnd* w = CWnd::FromHandle(hWnd);
    return w ? w->PostMessage(message, wParam, lParam) : FALSE;
}

void PostQuitMessage(int nExitCode) {
    if (QCoreApplication::instance())
        QCoreApplication::exit(nExitCode);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep) {
    QWidget* w = GetWidget();
    if (!w)
        return;
    std::vector<HWND> children;
    for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (CWnd* cw = WidgetTable().value(c, nullptr))
            children.push_back(cw->m_hWnd);
    for (HWND h : children) {
        if (CWnd* cw = FromHandlePermanent(h)) {
            cw->SendMessage(message, wParam, lParam);
            if (bDeep && IsWindow(h))
                cw->SendMessageToDescendants(message, wParam, lParam, TRUE);
        }
    }
}

DWORD GetMessagePos() {
    return MAKELONG(g_lastMessagePos.x, g_lastMessagePos.y);
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    QPoint p = QCursor::pos();
    lpPoint->x = p.x();
    lpPoint->y = p.y();
    return TRUE;
}

// ---- Mouse capture --------------------------------------------------------------------------

HWND AfxSetCaptureHandle(HWND hWnd) {
    return std::exchange(g_capture, hWnd);
}

CWnd* CWnd::GetCapture() {
    return FromHandlePermanent(g_capture);
}

BOOL ReleaseCapture() {
    HWND old = std::exchange(g_capture, nullptr);
    if (CWnd* w = CWnd::FromHandlePermanent(old))
        w->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}
