#include "platform/gui/ShellFileInfo.h"

#include "platform/base/OsPath.h"
#include "platform/gui/WndPrivate.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>

#include <cstring>

namespace {

// A sheet with a folded corner, or a folder, for a desktop without any icon to give.
QImage DrawPlainIcon(int size, bool bFolder) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.setPen(QPen(QColor(80, 80, 80), 1));
    if (bFolder) {
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3 * s, 8 * s, 26 * s, 19 * s));
        p.drawRect(QRectF(3 * s, 5 * s, 10 * s, 3 * s));
    } else {
        const QPointF sheet[] = {{7 * s, 2 * s}, {20 * s, 2 * s}, {26 * s, 8 * s},
                                 {26 * s, 30 * s}, {7 * s, 30 * s}};
        p.setBrush(Qt::white);
        p.drawPolygon(sheet, 5);
        p.drawLine(QPointF(20 * s, 2 * s), QPointF(20 * s, 8 * s));
        p.drawLine(QPointF(20 * s, 8 * s), QPointF(26 * s, 8 * s));
    }
    return img;
}

QImage IconImage(const QMimeType& mime, bool bFolder, int size) {
    // The desktop's own theme comes first. Without one (a bare window manager), the first common
    // full theme installed serves, before the freedesktop default that has few file-type icons.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor") {
        for (const char* name : {"Adwaita", "breeze", "gnome", "hicolor"}) {
            bool found = false;
            for (const QString& root : QIcon::themeSearchPaths())
                found = found || QFileInfo::exists(root + "/" + name + "/index.theme");
            if (found) {
                QIcon::setFallbackThemeName(QString::fromLatin1(name));
                break;
            }
        }
    }
    QIcon icon;
    if (mime.isValid()) {
        icon = QIcon::fromTheme(mime.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mime.genericIconName());
    }
    if (icon.isNull()) {
        QFileIconProvider provider;
        icon = provider.icon(bFolder ? QAbstractFileIconProvider::Folder
                                     : QAbstractFileIconProvider::File);
    }
    QImage img;
    if (!icon.isNull())
        img = icon.pixmap(QSize(size, size)).toImage();
    if (img.isNull())
        return DrawPlainIcon(size, bFolder);
    if (img.width() != size || img.height() != size)
        img = img.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (img.width() != size || img.height() != size) {
        // A picture that is not square sits in the middle of the square.
        QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        QPainter p(&square);
        p.drawImage((size - img.width()) / 2, (size - img.height()) / 2, img);
        p.end();
        img = square;
    }
    return img;
}

void CopyOut(const CString& text, char* buffer, size_t size) {
    AfxCopyTextOut(text, buffer, size);
}

} // namespace

DWORD_PTR SHGetFileInfo(LPCTSTR pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags) {
    if (pszPath == nullptr)
        return 0;
    AfxEnsureGuiApp();
    const CString path(pszPath);
    const int nSep = FindLastPathSeparator(path);
    const CString name = path.Mid(nSep + 1);
    QMimeDatabase db;
    QMimeType mime;
    bool bFolder = false;
    if (uFlags & SHGFI_USEFILEATTRIBUTES) {
        bFolder = (dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        mime = bFolder ? db.mimeTypeForName(QStringLiteral("inode/directory"))
                       : db.mimeTypeForFile(AfxToQt(name), QMimeDatabase::MatchExtension);
    } else {
        const QString osPath = QString::fromStdString(OsPathFromProgramPath(path));
        QFileInfo info(osPath);
        if (!info.exists())
            return 0;
        bFolder = info.isDir();
        mime = db.mimeTypeForFile(info);
    }
    if (psfi == nullptr || cbFileInfo < sizeof(SHFILEINFO))
        return 1;
    std::memset(psfi, 0, sizeof(SHFILEINFO));
    psfi->dwAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (uFlags & SHGFI_ICON) {
        const int size = (uFlags & SHGFI_SMALLICON) ? 16 : 32;
        psfi->hIcon = AfxCreateIcon(IconImage(mime, bFolder, size));
    }
    if (uFlags & SHGFI_DISPLAYNAME)
        CopyOut(name, psfi->szDisplayName, sizeof psfi->szDisplayName);
    if (uFlags & SHGFI_TYPENAME)
        CopyOut(mime.isValid() ? AfxFromQt(mime.comment()) : CString(), psfi->szTypeName,
                sizeof psfi->szTypeName);
    return 1;
}
