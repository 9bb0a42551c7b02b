#include "platform/gui/CommonDialogs.h"

#include "platform/base/OsPath.h"
#include "platform/gui/DocManager.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QStyle>
#include <QTreeView>

#include <cstring>

IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CFontDialog, CCommonDialog)

namespace {

DWORD g_lastError = 0;

// The file-name part of a path (after the last separator).
int NameStart(const CString& path) {
    return std::max(path.ReverseFind('\\'), path.ReverseFind('/')) + 1;
}

QWidget* ParentWidget(CWnd* parent) {
    CWnd* top = AfxDialogOwner(parent);
    return top ? top->GetWidget() : nullptr;
}

// The file dialog's size and date columns in the program's locale. Qt's file model writes them
// in the system's, which is whatever LANG says (English under LANG=C) in a dialog that is
// otherwise Chinese; everything else passes through unchanged, sorting included.
class ProgramLocaleColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case kSizeColumn:
            // A folder has no size to show.
            if (files->isDir(source))
                return QIdentityProxyModel::data(index, role);
            return QLocale().formattedDataSize(files->size(source));
        case kDateColumn: {
            const QDateTime modified = files->lastModified(source);
            return modified.isValid() ? QLocale().toString(modified, QLocale::ShortFormat)
                                      : QString();
        }
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }

    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

// Qt gives the detail view's date column the width of an English sample date; the program's
// dates are wider and would be cut short.
void FitDateColumn(QFileDialog& dlg) {
    auto* view = dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return;
    const QString widest =
        QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 58)), QLocale::ShortFormat);
    // The cell's own margins and the header's on either side.
    const int margins = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view) +
                        2 * view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view);
    const int width = view->fontMetrics().horizontalAdvance(widest) + margins;
    QHeaderView* header = view->header();
    if (header->sectionSize(ProgramLocaleColumns::kDateColumn) < width)
        header->resizeSection(ProgramLocaleColumns::kDateColumn, width);
}

} // namespace

DWORD CommDlgExtendedError() {
    return g_lastError;
}

INT_PTR CCommonDialog::DoModal() {
    g_lastError = 0;
    m_nAnswer = IDCANCEL;
    // Read the test hook without taking it away.
    ModalDialogHook hook = AfxSetModalDialogHook(nullptr);
    AfxSetModalDialogHook(hook);
    if (hook) {
        hook(*this);
        return m_nAnswer;
    }
    CModalActivation activation;
    return RunQtDialog();
}

// ---- Files ----------------------------------------------------------------------------------

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_bOpenFileDialog(bOpenFileDialog) {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName) {
        strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
    }
    if (lpszFilter) {
        CString f = lpszFilter;
        // name|pattern pairs up to the empty pair at the end.
        int start = 0;
        while (start < f.GetLength()) {
            int bar1 = f.Find('|', start);
            if (bar1 < 0)
                break;
            int bar2 = f.Find('|', bar1 + 1);
            CString name = f.Mid(start, bar1 - start);
            CString pattern = bar2 < 0 ? f.Mid(bar1 + 1) : f.Mid(bar1 + 1, bar2 - bar1 - 1);
            if (name.IsEmpty())
                break;
            m_filters.emplace_back(name, pattern);
            if (bar2 < 0)
                break;
            start = bar2 + 1;
        }
        f.Replace('|', '\0');
        m_strFilter = f;
        m_ofn.lpstrFilter = m_strFilter;
        m_ofn.nFilterIndex = 1;
    }
}

void CFileDialog::Answer(const CStringArray& paths, DWORD nFilterIndex) {
    if (paths.IsEmpty())
        return;
    if (nFilterIndex)
        m_ofn.nFilterIndex = nFilterIndex;
    std::vector<CString> names;
    for (INT_PTR i = 0; i < paths.GetSize(); ++i) {
        CString p = paths[i];
        // A save without an extension takes the default one.
        if (!m_bOpenFileDialog && !m_strDefExt.IsEmpty() && p.Mid(NameStart(p)).Find('.') < 0)
            p += "." + m_strDefExt;
        names.push_back(p);
    }
    // The text that goes into the buffer: one path, or folder \0 names \0\0.
    std::string text;
    if (names.size() > 1 && (m_ofn.Flags & OFN_ALLOWMULTISELECT)) {
        CString dir = names[0].Left(std::max(NameStart(names[0]) - 1, 0));
        text.append((LPCTSTR)dir, (size_t)dir.GetLength());
        text += '\0';
        for (const CString& n : names) {
            CString name = n.Mid(NameStart(n));
            text.append((LPCTSTR)name, (size_t)name.GetLength());
            text += '\0';
        }
    } else {
        text.append((LPCTSTR)names[0], (size_t)names[0].GetLength());
        text += '\0';
    }
    text += '\0';
    if (text.size() > m_ofn.nMaxFile) {
        // Too small: the size needed goes in the first two bytes, as the system reports it.
        g_lastError = FNERR_BUFFERTOOSMALL;
        m_nAnswer = IDCANCEL;
        if (m_ofn.nMaxFile >= 2) {
            WORD need = (WORD)std::min<size_t>(text.size(), 0xFFFF);
            memcpy(m_ofn.lpstrFile, &need, 2);
        }
        return;
    }
    memcpy(m_ofn.lpstrFile, text.data(), text.size());
    CString first = names[0];
    m_ofn.nFileOffset = (WORD)NameStart(first);
    int dot = first.ReverseFind('.');
    m_ofn.nFileExtension = dot >= m_ofn.nFileOffset ? (WORD)(dot + 1) : 0;
    m_nAnswer = IDOK;
}

INT_PTR CFileDialog::RunQtDialog() {
    QFileDialog dlg(ParentWidget(m_pParentWnd));
    dlg.setProxyModel(new ProgramLocaleColumns(&dlg));
    FitDateColumn(dlg);
    dlg.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (m_bOpenFileDialog)
        dlg.setFileMode((m_ofn.Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                                                             : QFileDialog::ExistingFile);
    if (!(m_ofn.Flags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const auto& f : m_filters) {
        CString patterns = f.second;
        patterns.Replace(';', ' ');
        // Qt reads the patterns from the brackets at the end of the name; a name that already
        // ends with them ("通讯录文件 (*.sms)") shows them once.
        QString name = AfxToQt(f.first).trimmed();
        QString given = "(" + AfxToQt(f.second) + ")";
        if (name.endsWith(given))
            name = name.left(name.size() - given.size()).trimmed();
        filters << name + " (" + AfxToQt(patterns) + ")";
    }
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        int idx = (int)m_ofn.nFilterIndex - 1;
        if (idx >= 0 && idx < filters.size())
            dlg.selectNameFilter(filters[idx]);
    }
    if (m_ofn.lpstrInitialDir)
        dlg.setDirectory(QString::fromStdString(OsPathFromProgramPath(m_ofn.lpstrInitialDir)));
    if (m_szFileName[0])
        dlg.selectFile(QString::fromStdString(OsPathFromProgramPath(m_szFileName)));
    if (!m_strDefExt.IsEmpty())
        dlg.setDefaultSuffix(AfxToQt(m_strDefExt));
    // The caller's caption replaces the dialog's own ("打开", "另存为").
    if (m_ofn.lpstrTitle != nullptr && m_ofn.lpstrTitle[0] != '\0')
        dlg.setWindowTitle(AfxToQt(m_ofn.lpstrTitle));
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    CStringArray paths;
    for (const QString& f : dlg.selectedFiles())
        paths.Add(ProgramPathFromOsPath(f.toStdString()));
    Answer(paths, (DWORD)filters.indexOf(dlg.selectedNameFilter()) + 1);
    return m_nAnswer;
}

POSITION CFileDialog::GetStartPosition() const {
    return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? (POSITION)m_ofn.lpstrFile : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
    const char* p = (const char*)pos;
    if (!p)
        return CString();
    const char* buf = m_ofn.lpstrFile;
    const char* afterFirst = buf + strlen(buf) + 1;
    bool multi = *afterFirst != 0;
    if (!multi) {
        pos = nullptr;
        return CString(buf);
    }
    if (p == buf)
        p = afterFirst; // the first string is the folder
    CString name = p;
    const char* next = p + strlen(p) + 1;
    pos = *next ? (POSITION)next : nullptr;
    CString dir = buf;
    if (!dir.IsEmpty() && dir.Right(1) != "\\" && dir.Right(1) != "/")
        dir += "/";
    return dir + name;
}

CString CFileDialog::GetPathName() const {
    POSITION pos = GetStartPosition();
    return GetNextPathName(pos);
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    return path.Mid(NameStart(path));
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

// ---- Colour ---------------------------------------------------------------------------------

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd) {
    m_cc.lStructSize = sizeof m_cc;
    m_cc.rgbResult = clrInit;
    m_cc.Flags = dwFlags | (clrInit ? CC_RGBINIT : 0);
}

void CColorDialog::Answer(COLORREF clr) {
    m_cc.rgbResult = clr;
    m_nAnswer = IDOK;
}

INT_PTR CColorDialog::RunQtDialog() {
    COLORREF c = m_cc.rgbResult;
    QColor chosen = QColorDialog::getColor(QColor(GetRValue(c), GetGValue(c), GetBValue(c)),
                                           ParentWidget(m_pParentWnd));
    if (!chosen.isValid())
        return IDCANCEL;
    Answer(RGB(chosen.red(), chosen.green(), chosen.blue()));
    return m_nAnswer;
}

// ---- Font -----------------------------------------------------------------------------------

CFontDialog::CFontDialog(LPLOGFONT lplfInitial, DWORD dwFlags, CDC*, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd) {
    m_cf.lStructSize = sizeof m_cf;
    m_cf.Flags = dwFlags;
    m_cf.lpLogFont = &m_lf;
    if (lplfInitial) {
        m_lf = *lplfInitial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
}

void CFontDialog::Answer(const LOGFONT& lf, COLORREF clr) {
    m_lf = lf;
    LONG h = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    // Tenths of a point at 96 pixels per inch, rounded.
    m_cf.iPointSize = (INT)((h * 720 + 48) / 96);
    m_cf.rgbColors = clr;
    m_nAnswer = IDOK;
}

INT_PTR CFontDialog::RunQtDialog() {
    QFont initial;
    if (m_lf.lfFaceName[0])
        initial.setFamily(AfxToQt(m_lf.lfFaceName));
    if (m_lf.lfHeight)
        initial.setPixelSize((int)(m_lf.lfHeight < 0 ? -m_lf.lfHeight : m_lf.lfHeight));
    initial.setBold(m_lf.lfWeight >= 700);
    initial.setItalic(m_lf.lfItalic != 0);
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, ParentWidget(m_pParentWnd));
    if (!ok)
        return IDCANCEL;
    LOGFONT lf = m_lf;
    CString face = AfxFromQt(f.family());
    strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    int px = f.pixelSize() > 0 ? f.pixelSize() : (int)(f.pointSizeF() * 96 / 72 + 0.5);
    lf.lfHeight = -px;
    lf.lfWeight = f.bold() ? 700 : 400;
    lf.lfItalic = f.italic();
    lf.lfUnderline = f.underline();
    lf.lfStrikeOut = f.strikeOut();
    Answer(lf, m_cf.rgbColors);
    return m_nAnswer;
}

// ---- The documents' file dialog -----------------------------------------------------------

BOOL AfxPromptForDocumentFile(CString& fileName, BOOL bOpen, CDocManager* pManager,
                              CDocTemplate* pTemplate) {
    CString filter, defExt;
    for (POSITION pos = pManager->GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* tpl = pManager->GetNextDocTemplate(pos);
        if (pTemplate && tpl != pTemplate)
            continue;
        CString name, ext;
        if (!tpl->GetDocString(name, CDocTemplate::filterName) || name.IsEmpty() ||
            !tpl->GetDocString(ext, CDocTemplate::filterExt) || ext.IsEmpty())
            continue;
        CString patterns = "*" + ext;
        patterns.Replace(";", ";*");
        filter += name + "|" + patterns + "|";
        if (defExt.IsEmpty())
            defExt = ext.Mid(1, ext.Find(';') < 0 ? ext.GetLength() : ext.Find(';') - 1);
    }
    filter += "所有文件 (*.*)|*.*||";
    CFileDialog dlg(bOpen, defExt.IsEmpty() ? nullptr : (LPCTSTR)defExt, fileName,
                    bOpen ? OFN_HIDEREADONLY | OFN_FILEMUSTEXIST
                          : OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    filter, AfxGetMainWnd());
    if (dlg.DoModal() != IDOK)
        return FALSE;
    fileName = dlg.GetPathName();
    return TRUE;
}
