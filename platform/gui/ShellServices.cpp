#include "platform/gui/ShellServices.h"

#include "platform/base/Gbk.h"
#include "platform/base/OsPath.h"
#include "platform/gui/WndPrivate.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QUrl>

#include <cstring>
#include <map>
#include <sys/stat.h>

namespace {

ShellOpenHook& OpenHook() {
    static ShellOpenHook hook;
    return hook;
}
ShellExecHook& ExecHook() {
    static ShellExecHook hook;
    return hook;
}

// The scheme of an address ("http" of "http://..."), lower case; empty when the text has none.
// One letter before the colon is a drive, not a scheme.
std::string SchemeOf(const std::string& s) {
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2)
        return {};
    std::string scheme;
    for (size_t i = 0; i < colon; ++i) {
        char c = s[i];
        if (!(isalnum((unsigned char)c) || c == '+' || c == '-' || c == '.'))
            return {};
        scheme += (char)tolower((unsigned char)c);
    }
    return scheme;
}

bool IsWebOrMail(const std::string& scheme) {
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto" ||
           scheme == "tel";
}

bool OpenUrl(const std::string& url) {
    if (OpenHook())
        return OpenHook()(url);
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

// Splits a command line into words; double quotes group words and are removed.
std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                words.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any)
        words.push_back(cur);
    return words;
}

struct DropData {
    std::vector<CString> paths;
    POINT pt{};
};
std::map<HDROP, DropData>& Drops() {
    static std::map<HDROP, DropData> drops;
    return drops;
}
uintptr_t g_nextDrop = 0x20000;

// Turns Qt drops of local files into WM_DROPFILES for the window that accepts files under the
// pointer, or the nearest of its parents that does, as the system hands dropped files on: a
// control inside such a window (an edit that would take the files' names as text, a list) does
// not see them. One filter for the application, since the control under the pointer is the one
// Qt hands the drag to.
class DropFilter : public QObject {
public:
    // The property that marks a window accepting files; its value is the window's handle.
    static constexpr const char* kAccepts = "quillmarFileDropWindow";

    static void Install() {
        static QPointer<DropFilter> s_filter;
        if (!s_filter && qApp) {
            s_filter = new DropFilter(qApp);
            qApp->installEventFilter(s_filter);
        }
    }

protected:
    using QObject::QObject;

    bool eventFilter(QObject* o, QEvent* e) override {
        const QEvent::Type type = e->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* under = qobject_cast<QWidget*>(o);
        if (!under)
            return false;
        QWidget* target = under;
        while (target && !target->property(kAccepts).isValid())
            target = target->isWindow() ? nullptr : target->parentWidget();
        auto* de = static_cast<QDropEvent*>(e);
        CStringArray paths;
        if (target)
            for (const QUrl& u : de->mimeData()->urls())
                if (u.isLocalFile())
                    paths.Add(ProgramPathFromOsPath(u.toLocalFile().toStdString()));
        if (paths.IsEmpty())
            return false;
        de->acceptProposedAction();
        if (type != QEvent::Drop)
            return true;
        CWnd* w = CWnd::FromHandlePermanent((HWND)target->property(kAccepts).value<quintptr>());
        if (!w)
            return true;
        const QPoint p = under->mapTo(target, de->position().toPoint());
        w->SendMessage(WM_DROPFILES, (WPARAM)AfxMakeDrop(paths, POINT{p.x(), p.y()}), 0);
        return true;
    }
};

} // namespace

int AfxCheckShellTarget(LPCTSTR lpFile) {
    if (!lpFile || !*lpFile)
        return SE_ERR_FNF;
    std::string target = GbkToUtf8(lpFile);
    std::string scheme = SchemeOf(target);
    if (!scheme.empty() && scheme != "file")
        return IsWebOrMail(scheme) ? 0 : SE_ERR_NOASSOC;
    std::string os = scheme == "file"
                         ? QUrl(QString::fromStdString(target)).toLocalFile().toStdString()
                         : OsPathFromProgramPath(lpFile);
    struct stat st {};
    if (stat(os.c_str(), &st) != 0)
        return SE_ERR_FNF;
    // Programs are never started by opening them: only documents and folders are handed on.
    if (S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)))
        return SE_ERR_ACCESSDENIED;
    return 0;
}

INT_PTR ShellExecute(HWND, LPCTSTR lpOperation, LPCTSTR lpFile, LPCTSTR, LPCTSTR, int) {
    if (lpOperation && *lpOperation && strcmp(lpOperation, "open") != 0 &&
        strcmp(lpOperation, "explore") != 0)
        return SE_ERR_NOASSOC;
    int refused = AfxCheckShellTarget(lpFile);
    if (refused)
        return refused;
    std::string target = GbkToUtf8(lpFile);
    std::string scheme = SchemeOf(target);
    std::string url;
    if (scheme.empty()) {
        url = QUrl::fromLocalFile(QString::fromStdString(OsPathFromProgramPath(lpFile)))
                  .toString(QUrl::FullyEncoded)
                  .toStdString();
    } else {
        url = target;
    }
    return OpenUrl(url) ? SE_OPENED : SE_ERR_NOASSOC;
}

UINT WinExec(LPCTSTR lpCmdLine, UINT) {
    if (!lpCmdLine)
        return SE_ERR_FNF;
    std::vector<std::string> words = SplitCommandLine(GbkToUtf8(lpCmdLine));
    if (words.empty())
        return SE_ERR_FNF;
    std::string program = words.front();
    words.erase(words.begin());
    bool started;
    if (ExecHook()) {
        started = ExecHook()(program, words);
    } else {
        QStringList args;
        for (const std::string& w : words)
            args << QString::fromStdString(w);
        started = QProcess::startDetached(QString::fromStdString(program), args);
    }
    return started ? SE_OPENED : SE_ERR_FNF;
}

ShellOpenHook AfxSetShellOpenHook(ShellOpenHook hook) {
    ShellOpenHook old = std::move(OpenHook());
    OpenHook() = std::move(hook);
    return old;
}

ShellExecHook AfxSetShellExecHook(ShellExecHook hook) {
    ShellExecHook old = std::move(ExecHook());
    ExecHook() = std::move(hook);
    return old;
}

void DragAcceptFiles(CWnd* pWnd, BOOL bAccept) {
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (!w)
        return;
    DropFilter::Install();
    w->setProperty(DropFilter::kAccepts,
                   bAccept ? QVariant::fromValue((quintptr)pWnd->m_hWnd) : QVariant());
    w->setAcceptDrops(bAccept != FALSE);
}

HDROP AfxMakeDrop(const CStringArray& paths, POINT pt) {
    HDROP h = (HDROP)(g_nextDrop += 4);
    DropData& d = Drops()[h];
    for (INT_PTR i = 0; i < paths.GetSize(); ++i)
        d.paths.push_back(paths[i]);
    d.pt = pt;
    return h;
}

UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    auto it = Drops().find(hDrop);
    if (it == Drops().end())
        return 0;
    const std::vector<CString>& paths = it->second.paths;
    if (iFile == 0xFFFFFFFF)
        return (UINT)paths.size();
    if (iFile >= paths.size())
        return 0;
    const CString& p = paths[iFile];
    if (lpszFile && cch > 0)
        return (UINT)AfxCopyTextOut(p, lpszFile, cch);
    return (UINT)p.GetLength();
}

BOOL DragQueryPoint(HDROP hDrop, LPPOINT lppt) {
    auto it = Drops().find(hDrop);
    if (it == Drops().end() || !lppt)
        return FALSE;
    *lppt = it->second.pt;
    return TRUE;
}

void DragFinish(HDROP hDrop) {
    Drops().erase(hDrop);
}
