#include "platform/gui/MessageBox.h"

#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <vector>

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

// The border and title bar the window manager puts round a window, as far as any shown window
// tells them; none before the first window has been framed.
QMargins TypicalFrameMargins(QWidget* preferred) {
    std::vector<QWidget*> windows{preferred};
    for (QWidget* w : QApplication::topLevelWidgets())
        windows.push_back(w);
    for (QWidget* w : windows) {
        if (!w || !w->isVisible() || (w->windowFlags() & Qt::FramelessWindowHint))
            continue;
        QRect f = w->frameGeometry(), g = w->geometry();
        QMargins m(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                   f.bottom() - g.bottom());
        if (!m.isNull())
            return m;
    }
    return QMargins();
}

// A message box comes up centred on its owner's frame, as the system places it; also when the
// owner has only just been shown and the window manager has not framed it yet (Qt would leave
// the box to the window manager then). Without a visible owner it is centred on the work area.
class OwnerCentredBox : public QMessageBox {
public:
    explicit OwnerCentredBox(HWND hOwner) : m_owner(hOwner) {}

protected:
    void showEvent(QShowEvent* e) override {
        QMessageBox::showEvent(e); // the box takes its size here
        if (e->spontaneous())
            return;
        CRect work, area;
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        area = work;
        CWnd* owner = m_owner ? CWnd::FromHandlePermanent(m_owner) : nullptr;
        CWnd* top = owner ? owner->GetTopLevelParent() : nullptr;
        if (top && top->IsWindowVisible() && !top->IsIconic() && !top->IsZoomed())
            top->GetWindowRect(&area);
        QMargins m = TypicalFrameMargins(top ? top->GetWidget() : nullptr);
        QSize outer = size().grownBy(m);
        CPoint centre = area.CenterPoint();
        int x = std::clamp(centre.x - outer.width() / 2, (int)work.left,
                           std::max((int)work.left, (int)work.right - outer.width()));
        int y = std::clamp(centre.y - outer.height() / 2, (int)work.top,
                           std::max((int)work.top, (int)work.bottom - outer.height()));
        setGeometry(QRect(QPoint(x + m.left(), y + m.top()), size()));
    }

private:
    HWND m_owner;
};
} // namespace

MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

BOOL MessageBeep(UINT) {
    if (QApplication::instance())
        QApplication::beep();
    return TRUE;
}

int AfxShowMessageBox(HWND hOwner, LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    CString caption;
    if (lpszCaption)
        caption = lpszCaption;
    else if (const char* title = AfxFindString(0xE000)) // the application's title string
        caption = title;
    else if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        caption = app->m_pszAppName;
    MessageBoxCall call{hOwner, lpszText ? lpszText : "", caption, nType};
    if (Hook())
        return Hook()(call);

    AfxEnsureGuiApp();
    OwnerCentredBox box(hOwner);
    switch (nType & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    box.setWindowTitle(AfxToQt(call.caption));
    // The text often carries data (a name, an address): shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(AfxToQt(call.text));
    if (CWnd* owner = CWnd::FromHandle(hOwner); owner && owner->GetWidget())
        box.setParent(owner->GetWidget()->window(), Qt::Dialog);
    struct Choice {
        const char* label;
        int result;
    };
    std::vector<Choice> choices;
    switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices = {{"确定", IDOK}, {"取消", IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        choices = {{"中止(&A)", IDABORT}, {"重试(&R)", IDRETRY}, {"忽略(&I)", IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        choices = {{"是(&Y)", IDYES}, {"否(&N)", IDNO}, {"取消", IDCANCEL}};
        break;
    case MB_YESNO:
        choices = {{"是(&Y)", IDYES}, {"否(&N)", IDNO}};
        break;
    case MB_RETRYCANCEL:
        choices = {{"重试(&R)", IDRETRY}, {"取消", IDCANCEL}};
        break;
    default:
        choices = {{"确定", IDOK}};
        break;
    }
    std::vector<QPushButton*> buttons;
    for (const Choice& c : choices) {
        buttons.push_back(box.addButton(AfxToQt(c.label), QMessageBox::AcceptRole));
        // Escape answers Cancel where the box has one (a lone OK answers it by itself); every
        // button has one role, so the box would find no button for Escape on its own.
        if (c.result == IDCANCEL)
            box.setEscapeButton(buttons.back());
    }
    size_t def = ((nType & MB_DEFMASK) >> 8);
    if (def < buttons.size())
        box.setDefaultButton(buttons[def]);
    {
        CModalActivation activation;
        box.exec();
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return choices[i].result;
    // Closed without a button: cancel where there is one, else the last button's answer.
    for (const Choice& c : choices)
        if (c.result == IDCANCEL)
            return IDCANCEL;
    return choices.back().result;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
    // The box belongs to the window the user works in; the main window only when none is.
    QWidget* working = AfxWorkingWindow();
    CWnd* owner = AfxDialogOwner(working ? CWnd::FromWidget(working) : nullptr);
    return AfxShowMessageBox(owner ? owner->m_hWnd : nullptr, lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT) {
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType);
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    return AfxShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}
