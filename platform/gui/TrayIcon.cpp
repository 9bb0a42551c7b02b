#include "platform/gui/TrayIcon.h"

#include "platform/base/Gbk.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WndPrivate.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTextDocument>

#include <map>
#include <memory>

namespace {

struct TrayEntry {
    TrayIconState state;
    std::unique_ptr<QSystemTrayIcon> qt;
};

std::map<std::pair<HWND, UINT>, TrayEntry>& Icons() {
    static std::map<std::pair<HWND, UINT>, TrayEntry> icons;
    return icons;
}

// A fixed-size text field of the record, which may lack its terminator.
CString FieldText(const char* field, size_t size) {
    size_t n = strnlen(field, size);
    return CString(field, (int)GbkFitLength(field, n, size - 1));
}

void SendClick(HWND hWnd, UINT uID, UINT msg) {
    auto it = Icons().find({hWnd, uID});
    if (it == Icons().end() || !it->second.state.uCallbackMessage)
        return;
    ::SendMessage(hWnd, it->second.state.uCallbackMessage, uID, msg);
}

void ShowOnDesktop(HWND hWnd, UINT uID, TrayEntry& e, bool balloon) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!e.qt) {
        e.qt = std::make_unique<QSystemTrayIcon>();
        QObject::connect(e.qt.get(), &QSystemTrayIcon::activated,
                         [hWnd, uID](QSystemTrayIcon::ActivationReason r) {
                             switch (r) {
                             case QSystemTrayIcon::Trigger:
                                 SendClick(hWnd, uID, WM_LBUTTONDOWN);
                                 SendClick(hWnd, uID, WM_LBUTTONUP);
                                 break;
                             case QSystemTrayIcon::DoubleClick:
                                 SendClick(hWnd, uID, WM_LBUTTONDBLCLK);
                                 break;
                             case QSystemTrayIcon::Context:
                                 SendClick(hWnd, uID, WM_RBUTTONDOWN);
                                 SendClick(hWnd, uID, WM_RBUTTONUP);
                                 break;
                             default:
                                 break;
                             }
                         });
    }
    if (e.state.hIcon)
        e.qt->setIcon(QIcon(QPixmap::fromImage(AfxIconImage(e.state.hIcon))));
    // The desktop reads a tip that looks like markup as markup: this one is always plain text.
    e.qt->setToolTip(Qt::convertFromPlainText(AfxToQt(e.state.tip)));
    e.qt->show();
    if (balloon) {
        static const QSystemTrayIcon::MessageIcon kinds[] = {
            QSystemTrayIcon::NoIcon, QSystemTrayIcon::Information, QSystemTrayIcon::Warning,
            QSystemTrayIcon::Critical};
        DWORD kind = e.state.balloonKind & 0x3;
        e.qt->showMessage(AfxToQt(e.state.balloonTitle), AfxToQt(e.state.balloonText), kinds[kind],
                          (int)e.state.balloonTimeout);
    }
}

void Apply(TrayEntry& e, const NOTIFYICONDATA& d) {
    if (d.uFlags & NIF_ICON)
        e.state.hIcon = d.hIcon;
    if (d.uFlags & NIF_MESSAGE)
        e.state.uCallbackMessage = d.uCallbackMessage;
    if (d.uFlags & NIF_TIP)
        e.state.tip = FieldText(d.szTip, sizeof d.szTip);
    if (d.uFlags & NIF_INFO) {
        e.state.balloonTitle = FieldText(d.szInfoTitle, sizeof d.szInfoTitle);
        e.state.balloonText = FieldText(d.szInfo, sizeof d.szInfo);
        e.state.balloonTimeout = d.uTimeout;
        e.state.balloonKind = d.dwInfoFlags;
        ++e.state.balloonCount;
    }
}

} // namespace

BOOL Shell_NotifyIcon(DWORD dwMessage, PNOTIFYICONDATA d) {
    if (!d || !IsWindow(d->hWnd))
        return FALSE;
    auto key = std::make_pair(d->hWnd, d->uID);
    auto it = Icons().find(key);
    switch (dwMessage) {
    case NIM_ADD: {
        if (it != Icons().end())
            return FALSE;
        TrayEntry& e = Icons()[key];
        Apply(e, *d);
        ShowOnDesktop(d->hWnd, d->uID, e, (d->uFlags & NIF_INFO) != 0);
        return TRUE;
    }
    case NIM_MODIFY:
        if (it == Icons().end())
            return FALSE;
        Apply(it->second, *d);
        ShowOnDesktop(d->hWnd, d->uID, it->second, (d->uFlags & NIF_INFO) != 0);
        return TRUE;
    case NIM_DELETE:
        if (it == Icons().end())
            return FALSE;
        Icons().erase(it);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL AfxGetTrayIcon(HWND hWnd, UINT uID, TrayIconState* pState) {
    auto it = Icons().find({hWnd, uID});
    if (it == Icons().end())
        return FALSE;
    if (pState)
        *pState = it->second.state;
    return TRUE;
}

void AfxClickTrayIcon(HWND hWnd, UINT uID, UINT mouseMessage) {
    SendClick(hWnd, uID, mouseMessage);
}

void AfxResetTrayIcons() {
    Icons().clear();
}

namespace {
int g_trayAvailable = -1;
}

BOOL AfxIsTrayAvailable() {
    if (g_trayAvailable >= 0)
        return g_trayAvailable != 0;
    AfxEnsureGuiApp();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void AfxSetTrayAvailableForTesting(int nAvailable) {
    g_trayAvailable = nAvailable;
}
