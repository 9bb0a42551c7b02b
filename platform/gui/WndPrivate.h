// What a window keeps beside its widget; shared by the window, painting and control sources only.
#pragma once

#include "platform/gui/Wnd.h"

#include <QPointer>
#include <QWidget>
#include <map>
#include <optional>
#include <QImage>
#include <QPalette>
#include <QRegion>

class QEvent;
class QMouseEvent;
class QPainter;

// A Qt control's own behaviour for the messages the layer forwards to it (text, control
// messages); DefWindowProc asks it before falling back to the plain window.
class ControlAdapter {
public:
    explicit ControlAdapter(CWnd* w = nullptr) : wnd(w) {}
    virtual ~ControlAdapter() = default;
    // The window object of the control; a subclassing object takes this over.
    CWnd* wnd;
    // Handles a message the control understands; handled=false leaves it to the plain window.
    virtual LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
    // Called once the window has its handle (a control makes its inner windows here).
    virtual void OnAttached() {}
    // The window that gets the keyboard messages of the control's widget (an editable combo
    // box's edit); null: the control's own window.
    virtual CWnd* KeyWindow() { return nullptr; }
};

// Makes w, a part of another window's widget (a combo box's edit or list), the widget of the
// window pWnd, with the class, style and id of cs; its size and place stay Qt's. With
// filterInput false its mouse and keys stay with Qt.
BOOL AfxAttachInnerWidget(CWnd* pWnd, QWidget* w, const CREATESTRUCT& cs, bool filterInput);

struct WndPrivate {
    QPointer<QWidget> widget;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    CString className;
    CString text;
    HWND owner = nullptr;
    HFONT font = nullptr;
    // From the window class: the pointer's shape over the window and the background.
    HCURSOR classCursor = nullptr;
    // The widget's own palette, kept while WM_CTLCOLOR* answers colour it.
    std::optional<QPalette> ownPalette;
    bool ownAutoFill = false;
    // A plain window paints into this picture, which its widget then shows; a client DC used
    // outside the paint draws here as well, so what it draws reaches the screen and stays until
    // the window is invalidated.
    bool backed = false;
    QImage backing;
    // What Invalidate and kin asked to paint again, and what the paint in progress paints.
    QRegion invalidRegion;
    QRegion paintRegion;
    // A child covering the whole window that shows its content (a view's control): what is
    // invalidated here is invalidated there too.
    HWND invalidateAlso = nullptr;
    // The painter of the client DCs drawing outside the paint; a paint or a resize of the picture
    // ends it for a moment.
    QPainter* directPainter = nullptr;

    WndPrivate() = default;
    WndPrivate(const WndPrivate&) = delete;
    WndPrivate& operator=(const WndPrivate&) = delete;
    ~WndPrivate();

    BOOL redraw = TRUE;
    std::map<int, UINT_PTR> qtTimerToId; // Qt timer id -> window timer id
    std::map<UINT_PTR, int> idToQtTimer;
    std::map<UINT_PTR, void (*)(HWND, UINT, UINT_PTR, DWORD)> timerCallbacks;
    std::unique_ptr<ControlAdapter> adapter;
    // A procedure put in front of the window object's own processing (null: none).
    WNDPROC proc = nullptr;
    // The widget is a part of another window's widget, which owns it.
    bool inner = false;
    SCROLLINFO bars[2] = {{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0},
                          {sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0}}; // SB_HORZ, SB_VERT
    // The painter of the paint event in progress, for CPaintDC.
    QPainter* paintPainter = nullptr;
    bool inPaint = false;
    // A top-level window placed before the window manager framed it: the frame rectangle asked
    // for, and the client geometry it was given meanwhile (while the widget still has that
    // geometry, the asked-for rectangle is the window's rectangle).
    std::optional<QRect> wantedFrame;
    QRect provisionalGeometry;
    // ShowWindow is changing the window's state: that change is the program's, not the user's.
    bool settingState = false;
};

// Places a top-level window so that its frame (title bar and borders) covers r, as the system
// places windows; until the window manager has framed the window, r is kept and its frame goes
// there once the frame is known.
void AfxPlaceFrame(CWnd* wnd, const QRect& r);
// A top-level window moved, was resized or changed its state: a frame placement still waiting
// is done once the frame is known, and a state the user gave it with the window manager's
// buttons reaches the window as the system command it stands for.
void AfxTopLevelChanged(CWnd* wnd, QEvent* e);

// The Qt event currently turned into a message for a window, so DefWindowProc can hand it back.
struct QtDispatch {
    HWND hwnd;
    UINT message;
    QEvent* event;
    QObject* receiver; // the widget Qt addressed the event to (a control's inner part, say)
    bool forwarded;    // the widget already processed the event
    bool wantDefault;  // key events: Qt should process the event after the messages
};
QtDispatch* AfxCurrentQtDispatch();

// The widget SetCursor shapes: the window a WM_SETCURSOR is about, else the window holding the
// capture, else the widget under the pointer.
QWidget* AfxCursorTarget();

inline bool AfxIsCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
// Asks the parent (a dialog: itself) for the colours of the window with WM_CTLCOLOR* before it
// paints, and gives the Qt widget the brush and text colour chosen.
void AfxApplyCtlColor(CWnd* wnd);

// From now on the window that holds pWnd marks its focused control, as after the keyboard has
// been used in it (Qt's styles draw a button's or a drop-down list's focus frame only then).
// Called wherever our keys move the focus: Tab, arrows, mnemonics, F6.
void AfxShowKeyboardCues(CWnd* pWnd);

// The top-level window the user works in: the active one, or while the window manager has not
// yet given the activation back (just after a modal window went away) the one of ours that was
// active last and is still shown. Null when there is none.
QWidget* AfxWorkingWindow();
// Starts following which window is active (called once the application exists).
void AfxTrackActiveWindows();

// True when the message is a key that must not reach pWnd: a modal window (or one that has the
// keyboard to itself, see CExclusiveKeys) runs and pWnd is no part of it. Its owner and every
// other window of ours would act on what the modal window hides.
bool AfxKeyBlockedFor(const MSG* pMsg, const CWnd* pWnd);

// The window a dialog or message box asked for with pWnd belongs to: the top-level window of
// pWnd, or going up its owners the first that is shown and framed; the main window when none
// is (without a main window, pWnd's top-level window still). A pop-up menu, a tool tip or a
// window already closed owns no dialog: the dialog would be placed and kept above a window the
// user no longer sees.
CWnd* AfxDialogOwner(CWnd* pWnd);

// Holds the window the user works in when a modal loop begins, and gives it the activation back
// (raised) when the loop is over, as the system does; without this the window manager hands it
// to the modal window's owner, which may be another of our windows.
class CModalActivation {
public:
    CModalActivation();
    ~CModalActivation();
    CModalActivation(const CModalActivation&) = delete;
    CModalActivation& operator=(const CModalActivation&) = delete;

private:
    QPointer<QWidget> m_window;
};

// Takes the fields of in that its mask names into bar, keeping the page within the range and
// the position within what the page leaves.
void AfxMergeScrollInfo(SCROLLINFO& bar, const SCROLLINFO& in);
void AfxCopyScrollInfo(const SCROLLINFO& bar, SCROLLINFO& out, UINT mask);

// Makes the window's picture the size of its widget, keeping what it shows; true when it had to
// be made anew or resized (a WM_PAINT must fill it).
bool AfxEnsureBacking(WndPrivate& p, QWidget* w);
// Shows what a client DC drew outside the paint without asking the window to paint again.
void AfxShowDirectDrawing(HWND hWnd);

// Hands an input message sent by code to a Qt control's widget as the Qt event it stands for.
void AfxSendInputToWidget(QWidget* w, UINT message, WPARAM wParam, LPARAM lParam);

// Sends one queued-style message: PreTranslateMessage first, then the window procedure.
void AfxDispatchQueued(MSG& msg);
// Tells the idle logic that a real message arrived.
void AfxNoteMessage(UINT message);

// The mouse message a Qt mouse event stands for (a button other than left or right is the middle
// one).
UINT AfxMouseMessageOf(const QMouseEvent* e);

// Copies as many whole characters of the text as fit a caller's buffer of bufferSize bytes, with
// its terminating zero (WM_GETTEXT, the controls' item texts, dropped file names); returns the
// bytes copied. A missing or empty buffer takes nothing.
int AfxCopyTextOut(const CString& text, char* buffer, size_t bufferSize);

// GBK program text <-> Qt text, at the boundary only.
QString AfxToQt(const char* gbk);
QString AfxToQt(const CString& gbk);
CString AfxFromQt(const QString& text);
