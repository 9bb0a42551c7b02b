#include "platform/gui/Controls.h"

#include "platform/base/Collate.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WndPrivate.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <algorithm>
#include <cstring>
#include <optional>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

#ifndef CB_SETITEMHEIGHT
#define CB_SETITEMHEIGHT 0x0153
#define CB_GETITEMHEIGHT 0x0154
#endif

namespace {

// Positions the system counts in bytes of GBK text; Qt counts UTF-16 units.
int ByteOffset(const QString& text, int pos) {
    return AfxFromQt(text.left(std::clamp(pos, 0, (int)text.size()))).GetLength();
}
int CharOffset(const QString& text, int bytes) {
    if (bytes < 0)
        return (int)text.size();
    int n = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (n >= bytes)
            return i;
        n += AfxFromQt(text.mid(i, 1)).GetLength();
    }
    return (int)text.size();
}

// Copies a text into a caller's buffer the way the list and combo messages do.
LRESULT CopyOut(const CString& s, LPARAM lParam) {
    if (!lParam)
        return CB_ERR;
    std::memcpy(reinterpret_cast<char*>(lParam), s.GetString(), (size_t)s.GetLength() + 1);
    return s.GetLength();
}

// Stops at the first NUL so a text never carries one into Qt.
CString TextArg(LPARAM lParam) {
    return lParam ? CString(reinterpret_cast<const char*>(lParam)) : CString();
}

// The mnemonic marks of a caption do not show: "&&" is one ampersand.
QString Caption(const CString& s) {
    QString q = AfxToQt(s), out;
    for (int i = 0; i < q.size(); ++i) {
        if (q[i] == u'&' && i + 1 < q.size())
            ++i;
        out += q[i];
    }
    return out;
}

void Notify(CWnd* ctl, UINT code) {
    if (!ctl->m_hWnd)
        return;
    if (CWnd* parent = ctl->GetParent())
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(ctl->GetDlgCtrlID(), code), (LPARAM)ctl->m_hWnd);
}

// Paints an owner-drawn control by asking its parent, which reflects the request to the control.
void OwnerDraw(CWnd* ctl, QPainter& painter, UINT type, UINT itemID, UINT state, QRect rect,
               ULONG_PTR data) {
    CDC dc;
    dc.AttachPainter(&painter);
    DRAWITEMSTRUCT dis{type,     (UINT)ctl->GetDlgCtrlID(),
                       itemID,   ODA_DRAWENTIRE,
                       state,    ctl->m_hWnd,
                       dc.m_hDC, RECT{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1},
                       data};
    if (CWnd* parent = ctl->GetParent())
        parent->SendMessage(WM_DRAWITEM, (WPARAM)ctl->GetDlgCtrlID(), (LPARAM)&dis);
}

// ---- Static ----

class StaticAdapter : public ControlAdapter {
public:
    StaticAdapter(CWnd* w, QLabel* l) : ControlAdapter(w), label(l) {}
    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        DWORD kind = wnd->GetStyle() & SS_TYPEMASK;
        switch (msg) {
        case WM_SETTEXT:
            wnd->m_p->text = TextArg(lp);
            if (kind != SS_BITMAP && kind != SS_ICON)
                label->setText((wnd->GetStyle() & SS_NOPREFIX) ? AfxToQt(wnd->m_p->text)
                                                               : Caption(wnd->m_p->text));
            else if (kind == SS_ICON && !wnd->m_p->text.IsEmpty())
                // An icon static of a template names its icon: "#123", "123" or a name.
                SetIcon(LoadIcon(nullptr, IconName(wnd->m_p->text)));
            handled = false; // the plain window keeps the text as well
            return TRUE;
        case STM_SETICON: {
            handled = true;
            return (LRESULT)SetIcon((HICON)wp);
        }
        case STM_GETICON:
            handled = true;
            return (LRESULT)icon;
        case WM_LBUTTONUP:
            if (wnd->GetStyle() & SS_NOTIFY)
                Notify(wnd, STN_CLICKED);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (wnd->GetStyle() & SS_NOTIFY)
                Notify(wnd, STN_DBLCLK);
            return 0;
        case WM_PAINT:
            if (kind == SS_OWNERDRAW) {
                QPainter p(label);
                OwnerDraw(wnd, p, ODT_STATIC, 0, 0, label->rect(), 0);
                handled = true;
            }
            return 0;
        case STM_SETIMAGE: {
            handled = true;
            if (wp == IMAGE_ICON || wp == IMAGE_CURSOR)
                return (LRESULT)SetIcon((HICON)lp);
            HBITMAP old = bitmap;
            bitmap = (HBITMAP)lp;
            CBitmap* b = CBitmap::FromHandle(bitmap);
            label->setPixmap(b && b->GetImage() ? QPixmap::fromImage(*b->GetImage()) : QPixmap());
            return (LRESULT)old;
        }
        case 0x0173: /* STM_GETIMAGE */
            handled = true;
            return (LRESULT)bitmap;
        default:
            return 0;
        }
    }
    HICON SetIcon(HICON h) {
        HICON old = std::exchange(icon, h);
        QImage img = AfxIconImage(h, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        label->setPixmap(img.isNull() ? QPixmap() : QPixmap::fromImage(img));
        return old;
    }
    static LPCTSTR IconName(const CString& text) {
        const char* t = text.GetString();
        if (*t == '#')
            ++t;
        if (*t >= '0' && *t <= '9')
            return MAKEINTRESOURCE(std::atoi(t));
        return text.GetString();
    }
    QLabel* label;
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
};

// ---- Button ----

class ButtonAdapter : public ControlAdapter {
public:
    ButtonAdapter(CWnd* w, QAbstractButton* b, QGroupBox* g)
        : ControlAdapter(w), button(b), group(g) {}

    UINT Kind() const { return wnd->m_p->style & BS_TYPEMASK; }
    bool IsCheck() const {
        UINT k = Kind();
        return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_3STATE || k == BS_AUTO3STATE;
    }
    bool IsRadio() const { return Kind() == BS_RADIOBUTTON || Kind() == BS_AUTORADIOBUTTON; }

    int Check() const {
        auto* cb = qobject_cast<QCheckBox*>(button);
        if (cb)
            return cb->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE
                                                            : (cb->isChecked() ? BST_CHECKED : 0);
        return button && button->isCheckable() && button->isChecked() ? BST_CHECKED : 0;
    }
    void SetCheck(int c) {
        if (auto* cb = qobject_cast<QCheckBox*>(button)) {
            if (c == BST_INDETERMINATE && !(Kind() == BS_3STATE || Kind() == BS_AUTO3STATE))
                c = BST_CHECKED;
            cb->setCheckState(c == BST_INDETERMINATE ? Qt::PartiallyChecked
                              : c                    ? Qt::Checked
                                                     : Qt::Unchecked);
        } else if (button && button->isCheckable()) {
            button->setChecked(c != 0);
        }
    }

    // A click: automatic buttons change their own state; the parent hears BN_CLICKED.
    void Clicked() {
        switch (Kind()) {
        case BS_AUTOCHECKBOX:
            SetCheck(before == BST_CHECKED ? 0 : BST_CHECKED);
            break;
        case BS_AUTO3STATE:
            SetCheck(before == 0 ? BST_CHECKED : before == BST_CHECKED ? BST_INDETERMINATE : 0);
            break;
        case BS_AUTORADIOBUTTON: {
            SetCheck(BST_CHECKED);
            if (CWnd* parent = wnd->GetParent()) {
                // The other automatic radio buttons of the group are cleared.
                for (CWnd* c = parent->GetNextDlgGroupItem(wnd); c && c != wnd;
                     c = parent->GetNextDlgGroupItem(c)) {
                    auto* b = dynamic_cast<ButtonAdapter*>(c->m_p->adapter.get());
                    if (b && b->Kind() == BS_AUTORADIOBUTTON)
                        b->SetCheck(0);
                }
            }
            break;
        }
        default:
            SetCheck(before);
            break;
        }
        Notify(wnd, BN_CLICKED);
    }

    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        switch (msg) {
        case WM_SETTEXT:
            wnd->m_p->text = TextArg(lp);
            if (group)
                group->setTitle(Caption(wnd->m_p->text));
            else if (button)
                button->setText(Caption(wnd->m_p->text));
            return TRUE;
        case BM_GETCHECK:
            handled = true;
            return Check();
        case BM_SETCHECK:
            handled = true;
            if (IsCheck() || IsRadio())
                SetCheck((int)wp);
            return 0;
        case BM_GETSTATE:
            handled = true;
            return Check() | (button && button->isDown() ? BST_PUSHED : 0) |
                   (button && button->hasFocus() ? BST_FOCUS : 0);
        case BM_SETSTATE:
            handled = true;
            if (button)
                button->setDown(wp != 0);
            return 0;
        case BM_SETSTYLE: {
            handled = true;
            UINT kind = (UINT)wp & BS_TYPEMASK;
            if ((kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) &&
                (Kind() == BS_PUSHBUTTON || Kind() == BS_DEFPUSHBUTTON)) {
                wnd->m_p->style = (wnd->m_p->style & ~BS_TYPEMASK) | kind;
                if (auto* pb = qobject_cast<QPushButton*>(button))
                    pb->setDefault(kind == BS_DEFPUSHBUTTON);
            }
            return 0;
        }
        case BM_CLICK:
            handled = true;
            if (button && button->isEnabled()) {
                before = Check();
                Clicked();
            }
            return 0;
        case WM_LBUTTONDOWN:
            before = Check();
            return 0;
        case WM_GETDLGCODE: {
            handled = true;
            UINT k = Kind();
            if (k == BS_DEFPUSHBUTTON)
                return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (k == BS_PUSHBUTTON || k == BS_OWNERDRAW)
                return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            if (IsRadio())
                return DLGC_BUTTON | DLGC_RADIOBUTTON;
            return k == BS_GROUPBOX ? DLGC_STATIC : DLGC_BUTTON;
        }
        case WM_PAINT:
            if (Kind() == BS_OWNERDRAW && button) {
                QPainter p(button);
                UINT state = (button->isDown() ? ODS_SELECTED : 0) |
                             (button->hasFocus() ? ODS_FOCUS : 0) |
                             (!button->isEnabled() ? ODS_DISABLED : 0);
                OwnerDraw(wnd, p, ODT_BUTTON, 0, state, button->rect(), 0);
                handled = true;
            }
            return 0;
        default:
            return 0;
        }
    }

    QAbstractButton* button;
    QGroupBox* group;
    int before = 0;
};

// ---- Edit ----

class EditAdapter : public ControlAdapter {
public:
    EditAdapter(CWnd* w, QLineEdit* l, QPlainTextEdit* m) : ControlAdapter(w), line(l), multi(m) {
        limit = multi ? 0x7FFFFFFE : 30000;
    }

    QString Text() const { return line ? line->text() : multi->toPlainText(); }
    void SetQtText(const QString& t) {
        if (line)
            line->setText(t);
        else
            multi->setPlainText(t);
    }
    CString Gbk() const {
        CString s = AfxFromQt(Text());
        if (multi)
            s.Replace("\n", "\r\n");
        return s;
    }
    std::pair<int, int> Sel() const {
        if (line) {
            int a = line->selectionStart();
            if (a < 0)
                return {line->cursorPosition(), line->cursorPosition()};
            return {a, a + (int)line->selectedText().size()};
        }
        QTextCursor c = multi->textCursor();
        return {c.selectionStart(), c.selectionEnd()};
    }
    // Byte positions in the text the system sees, with CR LF line ends.
    int ToBytes(int pos) const {
        QString t = Text().left(pos);
        CString s = AfxFromQt(t);
        if (multi)
            s.Replace("\n", "\r\n");
        return s.GetLength();
    }
    int FromBytes(int bytes) const {
        QString t = Text();
        if (bytes < 0)
            return (int)t.size();
        int n = 0;
        for (int i = 0; i < t.size(); ++i) {
            if (n >= bytes)
                return i;
            n += t[i] == u'\n' && multi ? 2 : AfxFromQt(t.mid(i, 1)).GetLength();
        }
        return (int)t.size();
    }
    void SetSel(int a, int b) {
        if (a < 0) {
            // Start -1 removes the selection and leaves the caret where it is.
            if (line)
                line->deselect();
            else {
                QTextCursor c = multi->textCursor();
                c.clearSelection();
                multi->setTextCursor(c);
            }
            return;
        }
        int s = FromBytes(a), e = FromBytes(b);
        if (line)
            line->setSelection(s, e - s);
        else {
            QTextCursor c = multi->textCursor();
            c.setPosition(s);
            c.setPosition(e, QTextCursor::KeepAnchor);
            multi->setTextCursor(c);
        }
    }

    // Whether a change from the previous text to `t` puts anything but digits into a
    // digit-only control. Only what the change brought in counts: text set by code stays.
    bool RefusedAsNumber(const QString& t) const {
        if (!(wnd->m_p->style & ES_NUMBER) || replacingByCode)
            return false;
        qsizetype head = 0, tail = 0;
        qsizetype shorter = std::min(t.size(), previous.size());
        while (head < shorter && t[head] == previous[head])
            ++head;
        while (tail < shorter - head &&
               t[t.size() - 1 - tail] == previous[previous.size() - 1 - tail])
            ++tail;
        auto added = QStringView(t).mid(head, t.size() - head - tail);
        return std::any_of(added.begin(), added.end(),
                           [](QChar c) { return c < u'0' || c > u'9'; });
    }

    // A change by the user: refused when it would exceed the limit, in bytes of GBK text, or
    // put anything but digits into a digit-only control (a pasted text is refused whole).
    void Edited() {
        bool overLimit = Gbk().GetLength() > (int)limit;
        if (overLimit || RefusedAsNumber(Text())) {
            QSignalBlocker b1(line ? static_cast<QObject*>(line) : static_cast<QObject*>(multi));
            SetQtText(previous);
            if (line)
                line->setCursorPosition(std::min((int)previous.size(), cursor));
            if (overLimit)
                Notify(wnd, EN_MAXTEXT);
            else
                MessageBeep(0);
            return;
        }
        previous = Text();
        cursor = line ? line->cursorPosition() : 0;
        modified = true;
    }

    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        switch (msg) {
        case WM_SETTEXT: {
            CString s = TextArg(lp);
            s.Remove('\r');
            QString q = AfxToQt(s);
            if (line)
                q.replace(u'\n', u' ');
            previous = q;
            SetQtText(q);
            modified = false;
            handled = true;
            return TRUE;
        }
        case WM_GETTEXTLENGTH:
            handled = true;
            return Gbk().GetLength();
        case WM_GETTEXT: {
            handled = true;
            return AfxCopyTextOut(Gbk(), reinterpret_cast<char*>(lp), wp);
        }
        case EM_GETSEL: {
            handled = true;
            auto [a, b] = Sel();
            int ba = ToBytes(a), bb = ToBytes(b);
            if (wp)
                *reinterpret_cast<DWORD*>(wp) = (DWORD)ba;
            if (lp)
                *reinterpret_cast<DWORD*>(lp) = (DWORD)bb;
            return MAKELONG(std::min(ba, 0xFFFF), std::min(bb, 0xFFFF));
        }
        case EM_SETSEL:
            handled = true;
            SetSel((int)wp, (int)lp);
            return 0;
        case EM_REPLACESEL: {
            handled = true;
            CString s = TextArg(lp);
            s.Remove('\r');
            // Code may put any text into a digit-only control, as it may with WM_SETTEXT.
            replacingByCode = true;
            if (line)
                line->insert(AfxToQt(s));
            else
                multi->insertPlainText(AfxToQt(s));
            replacingByCode = false;
            return 0;
        }
        case EM_LIMITTEXT:
            handled = true;
            limit = wp ? (UINT)wp : (multi ? 0x7FFFFFFE : 0x7FFFFFFE);
            return 0;
        case EM_GETLIMITTEXT:
            handled = true;
            return limit;
        case EM_SETREADONLY:
            handled = true;
            if (line)
                line->setReadOnly(wp != 0);
            else
                multi->setReadOnly(wp != 0);
            wnd->m_p->style =
                wp ? (wnd->m_p->style | ES_READONLY) : (wnd->m_p->style & ~ES_READONLY);
            return TRUE;
        case EM_SETPASSWORDCHAR:
            handled = true;
            if (line)
                line->setEchoMode(wp ? QLineEdit::Password : QLineEdit::Normal);
            return 0;
        case EM_GETMODIFY:
            handled = true;
            return modified;
        case EM_SETMODIFY:
            handled = true;
            modified = wp != 0;
            return 0;
        case EM_GETLINECOUNT:
            handled = true;
            return line ? 1 : multi->document()->blockCount();
        case EM_CANUNDO:
            handled = true;
            return line ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
        case EM_UNDO:
            handled = true;
            if (line)
                line->undo();
            else
                multi->undo();
            return TRUE;
        case EM_SCROLLCARET:
            handled = true;
            if (multi)
                multi->ensureCursorVisible();
            return TRUE;
        case WM_SETFOCUS:
            Notify(wnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            Notify(wnd, EN_KILLFOCUS);
            return 0;
        case WM_GETDLGCODE:
            handled = true;
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
                   ((wnd->m_p->style & ES_MULTILINE) && (wnd->m_p->style & ES_WANTRETURN)
                        ? DLGC_WANTMESSAGE
                        : 0);
        default:
            return 0;
        }
    }

    QLineEdit* line;
    QPlainTextEdit* multi;
    UINT limit;
    QString previous;
    int cursor = 0;
    bool modified = false;
    bool replacingByCode = false;
};

// ---- Shared list behaviour of list boxes and combo boxes ----

int SortedIndex(const std::vector<CString>& texts, const CString& s) {
    int i = 0;
    while (i < (int)texts.size() && GbkCollateNoCase(texts[(size_t)i], s) <= 0)
        ++i;
    return i;
}

// Case-insensitive prefix (or whole) match, starting after nStartAfter and wrapping round.
int FindText(const std::vector<CString>& texts, int nStartAfter, const CString& s, bool exact) {
    int n = (int)texts.size();
    if (n == 0)
        return -1;
    int start = (nStartAfter < 0 || nStartAfter >= n) ? 0 : nStartAfter + 1;
    for (int k = 0; k < n; ++k) {
        int i = (start + k) % n;
        const CString& t = texts[(size_t)i];
        bool hit =
            exact ? t.CompareNoCase(s) == 0
                  : (t.GetLength() >= s.GetLength() && t.Left(s.GetLength()).CompareNoCase(s) == 0);
        if (hit)
            return i;
    }
    return -1;
}

class QmComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    ControlAdapter* owner = nullptr;
    CWnd* Wnd() const { return owner ? owner->wnd : nullptr; }
    bool dropped = false;
    bool ownerDrawn = false;
    int itemHeight = 0; // of an owner-drawn list's rows; 0: the font's
    // The window of the drop-down list (see ComboListAdapter).
    HWND listWnd = nullptr;
    void showPopup() override {
        if (Wnd())
            Notify(Wnd(), CBN_DROPDOWN);
        // The list's colours are the combo box's (or its parent's) answer to WM_CTLCOLORLISTBOX.
        if (CWnd* list = CWnd::FromHandlePermanent(listWnd))
            AfxApplyCtlColor(list);
        dropped = true;
        QComboBox::showPopup();
        // A list dropped from an edit opens on the first item that begins with the typed text,
        // as the system's combo box does, rather than on the item last chosen from the list.
        if (isEditable() && !currentText().isEmpty()) {
            const int row = findText(currentText(), Qt::MatchStartsWith);
            if (row >= 0 && row != currentIndex()) {
                const QModelIndex at = model()->index(row, modelColumn(), rootModelIndex());
                view()->setCurrentIndex(at);
                view()->scrollTo(at, QAbstractItemView::PositionAtCenter);
            }
        }
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        dropped = false;
        if (Wnd())
            Notify(Wnd(), CBN_CLOSEUP);
    }

protected:
    // Enter in the edit selects nothing (Qt would pick the item the text names): the system's
    // combo box leaves Enter to the dialog.
    void keyPressEvent(QKeyEvent* e) override {
        if (isEditable() && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
            e->ignore();
            return;
        }
        QComboBox::keyPressEvent(e);
    }
    // An owner-drawn drop-down list box shows its selection as the parent draws it.
    void paintEvent(QPaintEvent* e) override {
        if (!ownerDrawn || isEditable() || !Wnd()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.currentText.clear();
        opt.currentIcon = QIcon();
        QPainter painter(this);
        style()->drawComplexControl(QStyle::CC_ComboBox, &opt, &painter, this);
        QRect field =
            style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        int row = currentIndex();
        UINT state = ODS_COMBOBOXEDIT | (hasFocus() ? ODS_SELECTED | ODS_FOCUS : 0) |
                     (isEnabled() ? 0 : ODS_DISABLED);
        painter.save();
        painter.setClipRect(field);
        OwnerDraw(Wnd(), painter, ODT_COMBOBOX, (UINT)row, state, field, ItemData(row));
        painter.restore();
    }

public:
    ULONG_PTR ItemData(int row) const;
};

// The rows of an owner-drawn combo box's list are drawn by its parent (reflected to the combo).
class ComboDrawDelegate : public QStyledItemDelegate {
public:
    explicit ComboDrawDelegate(QmComboBox* c) : QStyledItemDelegate(c), combo(c) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!combo->Wnd())
            return;
        UINT state = ((option.state & QStyle::State_Selected) ? ODS_SELECTED : 0) |
                     ((option.state & QStyle::State_HasFocus) ? ODS_FOCUS : 0) |
                     (!(option.state & QStyle::State_Enabled) ? ODS_DISABLED : 0);
        painter->save();
        OwnerDraw(combo->Wnd(), *painter, ODT_COMBOBOX, (UINT)index.row(), state, option.rect,
                  combo->ItemData(index.row()));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(10, combo->itemHeight > 0 ? combo->itemHeight
                                               : QFontMetrics(combo->font()).height() + 4);
    }
    QmComboBox* combo;
};

// The drop-down list as a window of its own: the combo box moves its selection and its top row
// through the list's window procedure (LB_SETCURSEL, LB_SETTOPINDEX), as the system's combo box
// does, so whoever subclasses the list sees, and may change, those moves.
class ComboListAdapter : public ControlAdapter {
public:
    ComboListAdapter(CWnd* w, QmComboBox* c) : ControlAdapter(w), combo(c) {}
    QmComboBox* combo;
    int cur = -1;

    QModelIndex Index(int i) const { return combo->model()->index(i, combo->modelColumn()); }
    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM, bool& handled) override {
        handled = true;
        int n = combo->count();
        int i = (int)wp;
        QAbstractItemView* view = combo->view();
        switch (msg) {
        case LB_SETCURSEL:
            if (i < 0 || i >= n) {
                cur = -1;
                view->selectionModel()->clear();
                return LB_ERR;
            }
            cur = i;
            view->selectionModel()->setCurrentIndex(Index(i), QItemSelectionModel::ClearAndSelect);
            view->scrollTo(Index(i));
            return i;
        case LB_GETCURSEL:
            return cur;
        case LB_SETTOPINDEX:
            if (i < 0 || i >= n)
                return LB_ERR;
            view->scrollTo(Index(i), QAbstractItemView::PositionAtTop);
            return 0;
        case LB_GETTOPINDEX: {
            QModelIndex top = view->indexAt(QPoint(1, 1));
            return top.isValid() ? top.row() : 0;
        }
        case LB_GETCOUNT:
            return n;
        default:
            handled = false;
            return 0;
        }
    }
};

// While the list is down the keyboard belongs to it; typing and the editing keys still go to
// the edit, as they do with the system's list, and only the list's own keys stay.
class PopupTypingFilter : public QObject {
public:
    explicit PopupTypingFilter(QmComboBox* c) : QObject(c), combo(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if ((e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) ||
            !combo->isEditable())
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        static const int editing[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                                      Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End};
        bool typing = !ke->text().isEmpty() && ke->text()[0].isPrint();
        if (!typing &&
            std::find(std::begin(editing), std::end(editing), ke->key()) == std::end(editing))
            return false;
        QKeyEvent copy(ke->type(), ke->key(), ke->modifiers(), ke->text(), ke->isAutoRepeat(),
                       (ushort)ke->count());
        QCoreApplication::sendEvent(combo, &copy);
        return true;
    }
    QmComboBox* combo;
};

class ComboAdapter : public ControlAdapter {
public:
    ComboAdapter(CWnd* w, QmComboBox* c) : ControlAdapter(w), combo(c) {}
    std::vector<CString> texts;
    std::vector<DWORD_PTR> data;
    QmComboBox* combo;
    UINT limit = 0;
    HWND editWnd = nullptr;

    // The edit of an editable combo box is its first child window (id 1001, as the system's),
    // and its drop-down list a window of class "ComboLBox".
    void OnAttached() override {
        if (QLineEdit* line = combo->lineEdit()) {
            auto* edit = new CTemplateItem<CEdit>;
            CREATESTRUCT cs{};
            cs.lpszClass = "Edit";
            cs.style = WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL;
            cs.hMenu = (HMENU)(UINT_PTR)1001;
            if (AfxAttachInnerWidget(edit, line, cs, true)) {
                edit->m_p->adapter = std::make_unique<EditAdapter>(edit, line, nullptr);
                editWnd = edit->m_hWnd;
            } else {
                delete edit;
            }
        }
        QAbstractItemView* view = combo->view();
        auto* list = new CTemplateItem<CListBox>;
        CREATESTRUCT cs{};
        cs.lpszClass = "ComboLBox";
        cs.style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY;
        if (AfxAttachInnerWidget(list, view, cs, false)) {
            auto adapter = std::make_unique<ComboListAdapter>(list, combo);
            ComboListAdapter* a = adapter.get();
            list->m_p->adapter = std::move(adapter);
            combo->listWnd = list->m_hWnd;
            QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged,
                             [a](const QModelIndex& now, const QModelIndex&) {
                                 a->cur = now.isValid() ? now.row() : -1;
                             });
            view->installEventFilter(new PopupTypingFilter(combo));
        } else {
            delete list;
        }
    }
    CWnd* KeyWindow() override { return CWnd::FromHandlePermanent(editWnd); }

    // Selects a row the way the system's combo box does: through its list, whose answer is the
    // selection (the edit shows that row's text).
    LRESULT Select(int i) {
        int n = (int)texts.size();
        int sel = i;
        if (CWnd* list = CWnd::FromHandlePermanent(combo->listWnd)) {
            list->SendMessage(LB_SETCURSEL, (WPARAM)i, 0);
            sel = (int)list->SendMessage(LB_GETCURSEL, 0, 0);
        }
        QSignalBlocker b(combo);
        if (sel < 0 || sel >= n) {
            combo->setCurrentIndex(-1);
            if (combo->isEditable())
                combo->setEditText(QString());
            return CB_ERR;
        }
        combo->setCurrentIndex(sel);
        return sel;
    }
    // Typing with the list down moves the list's selection to the first row the text begins.
    void EditChangedWhileDropped() {
        CWnd* list = CWnd::FromHandlePermanent(combo->listWnd);
        if (!combo->dropped || !list)
            return;
        CString text = AfxFromQt(combo->currentText());
        int k = text.IsEmpty() ? -1 : FindText(texts, -1, text, false);
        list->SendMessage(LB_SETCURSEL, (WPARAM)k, 0);
    }

    int Insert(int index, const CString& s) {
        if (index < 0 || index > (int)texts.size())
            index = (int)texts.size();
        texts.insert(texts.begin() + index, s);
        data.insert(data.begin() + index, 0);
        QSignalBlocker b(combo);
        QString edit = combo->isEditable() ? combo->currentText() : QString();
        bool noSelection = combo->currentIndex() < 0;
        combo->insertItem(index, AfxToQt(s));
        // Qt selects the first row added to an empty box; the system leaves it unselected.
        if (noSelection && !combo->isEditable())
            combo->setCurrentIndex(-1);
        if (combo->isEditable() && combo->count() == 1) {
            combo->setCurrentIndex(-1);
            combo->setEditText(edit);
        }
        return index;
    }

    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        handled = true;
        int n = (int)texts.size();
        int i = (int)wp;
        switch (msg) {
        case WM_GETDLGCODE:
            // The arrows go through the choices; an open list takes every key.
            return DLGC_WANTARROWS | DLGC_WANTCHARS |
                   (combo->view()->isVisible() ? DLGC_WANTALLKEYS : 0);
        case CB_ADDSTRING: {
            CString s = TextArg(lp);
            return Insert((wnd->m_p->style & CBS_SORT) ? SortedIndex(texts, s) : n, s);
        }
        case CB_INSERTSTRING:
            return Insert(i, TextArg(lp));
        case CB_DELETESTRING: {
            if (i < 0 || i >= n)
                return CB_ERR;
            texts.erase(texts.begin() + i);
            data.erase(data.begin() + i);
            QSignalBlocker b(combo);
            combo->removeItem(i);
            return n - 1;
        }
        case CB_RESETCONTENT: {
            texts.clear();
            data.clear();
            QSignalBlocker b(combo);
            combo->clear();
            return CB_ERR + 1;
        }
        case CB_GETCOUNT:
            return n;
        case CB_GETCURSEL:
            return combo->currentIndex();
        case CB_SETCURSEL:
            return Select(i);
        case CB_GETLBTEXT:
            return (i < 0 || i >= n) ? CB_ERR : CopyOut(texts[(size_t)i], lp);
        case CB_GETLBTEXTLEN:
            return (i < 0 || i >= n) ? CB_ERR : texts[(size_t)i].GetLength();
        case CB_FINDSTRING:
            return FindText(texts, i, TextArg(lp), false);
        case CB_FINDSTRINGEXACT:
            return FindText(texts, i, TextArg(lp), true);
        case CB_SELECTSTRING: {
            int k = FindText(texts, i, TextArg(lp), false);
            return k >= 0 ? Select(k) : k;
        }
        case CB_GETITEMDATA:
            return (i < 0 || i >= n) ? CB_ERR : (LRESULT)data[(size_t)i];
        case CB_SETITEMDATA:
            if (i < 0 || i >= n)
                return CB_ERR;
            data[(size_t)i] = (DWORD_PTR)lp;
            return 0;
        case CB_SHOWDROPDOWN:
            if (wp)
                combo->showPopup();
            else
                combo->hidePopup();
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return combo->dropped;
        case CB_GETEDITSEL: {
            QLineEdit* e = combo->lineEdit();
            if (!e)
                return CB_ERR;
            QString t = e->text();
            int a = e->selectionStart() < 0 ? e->cursorPosition() : e->selectionStart();
            int b = e->selectionStart() < 0 ? a : a + (int)e->selectedText().size();
            int ba = ByteOffset(t, a), bb = ByteOffset(t, b);
            if (wp)
                *reinterpret_cast<DWORD*>(wp) = (DWORD)ba;
            if (lp)
                *reinterpret_cast<DWORD*>(lp) = (DWORD)bb;
            return MAKELONG(ba, bb);
        }
        case CB_SETEDITSEL: {
            QLineEdit* e = combo->lineEdit();
            if (!e)
                return CB_ERR;
            short a = (short)LOWORD(lp), b = (short)HIWORD(lp);
            if (a < 0) {
                e->deselect();
                return TRUE;
            }
            int s = CharOffset(e->text(), a), t = CharOffset(e->text(), b);
            e->setSelection(s, t - s);
            return TRUE;
        }
        case CB_LIMITTEXT:
            limit = (UINT)wp;
            return TRUE;
        case CB_SETITEMHEIGHT:
            // The list's rows (the edit field keeps the height of its font).
            if ((int)wp >= 0 && (int)lp > 0) {
                combo->itemHeight = (int)lp;
                combo->view()->doItemsLayout();
            }
            return 0;
        case CB_GETITEMHEIGHT:
            return combo->itemHeight > 0 ? combo->itemHeight
                                         : QFontMetrics(combo->font()).height() + 4;
        case CB_SETTOPINDEX: {
            CWnd* list = CWnd::FromHandlePermanent(combo->listWnd);
            if (i < 0 || i >= n || !list)
                return CB_ERR;
            return list->SendMessage(LB_SETTOPINDEX, (WPARAM)i, 0);
        }
        case WM_CTLCOLORLISTBOX:
            // Unanswered, the list's colours are the parent's choice.
            if (CWnd* parent = wnd->GetParent())
                return parent->SendMessage(msg, wp, lp);
            return 0;
        case WM_SETTEXT: {
            if (!combo->isEditable())
                return CB_ERR;
            QSignalBlocker b(combo);
            combo->setEditText(AfxToQt(TextArg(lp)));
            return TRUE;
        }
        case WM_GETTEXTLENGTH:
            return AfxFromQt(combo->currentText()).GetLength();
        case WM_GETTEXT: {
            return AfxCopyTextOut(AfxFromQt(combo->currentText()), reinterpret_cast<char*>(lp), wp);
        }
        case WM_SETFOCUS:
            handled = false;
            Notify(wnd, CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            handled = false;
            Notify(wnd, CBN_KILLFOCUS);
            return 0;
        default:
            handled = false;
            return 0;
        }
    }
};

ULONG_PTR QmComboBox::ItemData(int row) const {
    auto* a = static_cast<ComboAdapter*>(owner);
    return a && row >= 0 && row < (int)a->data.size() ? a->data[(size_t)row] : 0;
}

// ---- List box ----

class ListAdapter;

// Owner-drawn rows are drawn by the list box's parent (reflected to the list box).
class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    OwnerDrawDelegate(ListAdapter* a, QObject* parent) : QStyledItemDelegate(parent), adapter(a) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    ListAdapter* adapter;
};

class ListAdapter : public ControlAdapter {
public:
    ListAdapter(CWnd* w, QListWidget* l) : ControlAdapter(w), list(l) {}
    std::vector<CString> texts;
    std::vector<DWORD_PTR> data;
    std::map<int, int> heights;
    int itemHeight = 16;
    QListWidget* list;
    bool quiet = false;
    std::optional<MEASUREITEMSTRUCT> pendingMeasure;

    bool OwnerDraw() const { return (wnd->m_p->style & LBS_OWNERDRAWFIXED) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (wnd->m_p->style & LBS_HASSTRINGS); }
    bool Multi() const { return (wnd->m_p->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

    int Insert(int index, LPARAM lp) {
        if (index < 0 || index > (int)texts.size())
            index = (int)texts.size();
        // Without strings, the "text" of a row is its item data.
        CString s = HasStrings() ? TextArg(lp) : CString();
        texts.insert(texts.begin() + index, s);
        data.insert(data.begin() + index, HasStrings() ? 0 : (DWORD_PTR)lp);
        quiet = true;
        auto* item = new QListWidgetItem(AfxToQt(s));
        item->setSizeHint(QSize(0, itemHeight));
        list->insertItem(index, item);
        quiet = false;
        return index;
    }

    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        handled = true;
        int n = (int)texts.size();
        int i = (int)wp;
        auto inRange = [&](int k) { return k >= 0 && k < n; };
        switch (msg) {
        case WM_GETDLGCODE:
            // The arrows move in the list (and so choose), typing finds a row.
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case LB_ADDSTRING:
            return Insert(
                (wnd->m_p->style & LBS_SORT) && HasStrings() ? SortedIndex(texts, TextArg(lp)) : n,
                lp);
        case LB_INSERTSTRING:
            return Insert(i, lp);
        case LB_DELETESTRING:
            if (!inRange(i))
                return LB_ERR;
            texts.erase(texts.begin() + i);
            data.erase(data.begin() + i);
            quiet = true;
            delete list->takeItem(i);
            quiet = false;
            return n - 1;
        case LB_RESETCONTENT:
            texts.clear();
            data.clear();
            quiet = true;
            list->clear();
            quiet = false;
            return 0;
        case LB_GETCOUNT:
            return n;
        case LB_GETCURSEL:
            if (Multi())
                return list->currentRow();
            return list->currentItem() && list->currentItem()->isSelected() ? list->currentRow()
                                                                            : LB_ERR;
        case LB_SETCURSEL:
            if (Multi())
                return LB_ERR;
            quiet = true;
            if (!inRange(i)) {
                list->clearSelection();
                list->setCurrentRow(-1);
                quiet = false;
                return i == -1 ? 0 : LB_ERR;
            }
            list->setCurrentRow(i);
            quiet = false;
            return i;
        case LB_GETSEL:
            return inRange(i) ? (list->item(i)->isSelected() ? 1 : 0) : LB_ERR;
        case LB_SETSEL: {
            if (!Multi())
                return LB_ERR;
            int k = (int)lp;
            quiet = true;
            if (k == -1)
                for (int j = 0; j < n; ++j)
                    list->item(j)->setSelected(wp != 0);
            else if (inRange(k))
                list->item(k)->setSelected(wp != 0);
            quiet = false;
            return inRange(k) || k == -1 ? 0 : LB_ERR;
        }
        case LB_GETSELCOUNT: {
            if (!Multi())
                return LB_ERR;
            int c = 0;
            for (int j = 0; j < n; ++j)
                c += list->item(j)->isSelected();
            return c;
        }
        case LB_GETSELITEMS: {
            if (!Multi())
                return LB_ERR;
            int c = 0;
            for (int j = 0; j < n && c < i; ++j)
                if (list->item(j)->isSelected())
                    reinterpret_cast<int*>(lp)[c++] = j;
            return c;
        }
        case LB_GETTEXT:
            if (!inRange(i))
                return LB_ERR;
            if (!HasStrings()) {
                *reinterpret_cast<DWORD_PTR*>(lp) = data[(size_t)i];
                return sizeof(DWORD_PTR);
            }
            return CopyOut(texts[(size_t)i], lp);
        case LB_GETTEXTLEN:
            return inRange(i) ? texts[(size_t)i].GetLength() : LB_ERR;
        case LB_FINDSTRING:
            return FindText(texts, i, TextArg(lp), false);
        case LB_FINDSTRINGEXACT:
            return FindText(texts, i, TextArg(lp), true);
        case LB_SELECTSTRING: {
            int k = FindText(texts, i, TextArg(lp), false);
            if (k >= 0 && !Multi()) {
                quiet = true;
                list->setCurrentRow(k);
                quiet = false;
            }
            return k;
        }
        case LB_GETITEMDATA:
            return inRange(i) ? (LRESULT)data[(size_t)i] : LB_ERR;
        case LB_SETITEMDATA:
            if (!inRange(i))
                return LB_ERR;
            data[(size_t)i] = (DWORD_PTR)lp;
            return 0;
        case LB_GETTOPINDEX: {
            QListWidgetItem* top = list->itemAt(1, 1);
            return top ? list->row(top) : 0;
        }
        case LB_SETTOPINDEX:
            if (!inRange(i))
                return LB_ERR;
            list->scrollToItem(list->item(i), QAbstractItemView::PositionAtTop);
            return 0;
        case LB_SETITEMHEIGHT:
            itemHeight = std::max(1, (int)LOWORD(lp));
            for (int j = 0; j < n; ++j)
                list->item(j)->setSizeHint(QSize(0, itemHeight));
            return 0;
        case LB_GETITEMHEIGHT:
            return itemHeight;
        case WM_CREATE:
            handled = false;
            // An owner-drawn list asks its parent for the row height once it exists.
            if (pendingMeasure) {
                MEASUREITEMSTRUCT mis = *pendingMeasure;
                pendingMeasure.reset();
                if (CWnd* parent = wnd->GetParent())
                    parent->SendMessage(WM_MEASUREITEM, mis.CtlID, (LPARAM)&mis);
                itemHeight = std::max(1, (int)mis.itemHeight);
            }
            return 0;
        case LB_GETITEMRECT: {
            if (!inRange(i))
                return LB_ERR;
            QRect r = list->visualItemRect(list->item(i));
            QPoint off = list->viewport()->mapTo(list, QPoint(0, 0));
            r.translate(off);
            *reinterpret_cast<RECT*>(lp) = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
            return 0;
        }
        default:
            handled = false;
            return 0;
        }
    }
};

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    UINT state = ((option.state & QStyle::State_Selected) ? ODS_SELECTED : 0) |
                 ((option.state & QStyle::State_HasFocus) ? ODS_FOCUS : 0) |
                 (!(option.state & QStyle::State_Enabled) ? ODS_DISABLED : 0);
    int row = index.row();
    ULONG_PTR item = row < (int)adapter->data.size() ? adapter->data[(size_t)row] : 0;
    painter->save();
    OwnerDraw(adapter->wnd, *painter, ODT_LISTBOX, (UINT)row, state, option.rect, item);
    painter->restore();
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(10, adapter->itemHeight);
}

// ---- Scroll bar ----

class ScrollAdapter : public ControlAdapter {
public:
    ScrollAdapter(CWnd* w, QScrollBar* b) : ControlAdapter(w), bar(b) {}
    // The page and the classic maximum (Qt keeps the last thumb position instead).
    SCROLLINFO info{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        handled = true;
        switch (msg) {
        case SBM_SETPOS: {
            int old = bar->value();
            QSignalBlocker b(bar);
            bar->setValue((int)wp);
            return old;
        }
        case SBM_GETPOS:
            return bar->value();
        case SBM_SETRANGE: {
            info.nPage = 0;
            QSignalBlocker b(bar);
            bar->setRange((int)wp, (int)lp);
            return 0;
        }
        case SBM_GETRANGE:
            if (wp)
                *reinterpret_cast<int*>(wp) = bar->minimum();
            if (lp)
                *reinterpret_cast<int*>(lp) = info.nPage ? info.nMax : bar->maximum();
            return 0;
        case SBM_SETSCROLLINFO: {
            if (!lp)
                return 0;
            info.nMin = bar->minimum();
            info.nPos = bar->value();
            if (!info.nPage)
                info.nMax = bar->maximum();
            AfxMergeScrollInfo(info, *reinterpret_cast<SCROLLINFO*>(lp));
            // Qt's range is the positions the thumb can take; its page step sizes the thumb.
            QSignalBlocker b(bar);
            bar->setRange(info.nMin, info.nMax - std::max(0, (int)info.nPage - 1));
            bar->setPageStep(std::max(1, (int)info.nPage));
            bar->setValue(info.nPos);
            return info.nPos;
        }
        case SBM_GETSCROLLINFO: {
            auto* out = reinterpret_cast<SCROLLINFO*>(lp);
            if (!out)
                return FALSE;
            SCROLLINFO now = info;
            now.nMin = bar->minimum();
            now.nPos = bar->value();
            now.nTrackPos = bar->sliderPosition();
            if (!info.nPage)
                now.nMax = bar->maximum();
            AfxCopyScrollInfo(now, *out, out->fMask);
            return TRUE;
        }
        default:
            handled = false;
            return 0;
        }
    }
    // The bar does not move by itself: its parent hears the request and sets the position.
    void Action(int action) {
        UINT code = SB_ENDSCROLL;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            code = SB_THUMBTRACK;
            break;
        default:
            return;
        }
        int pos = bar->sliderPosition();
        if (code != SB_THUMBTRACK)
            bar->setSliderPosition(bar->value());
        Send(code, pos);
    }
    void Send(UINT code, int pos) {
        if (CWnd* parent = wnd->GetParent())
            parent->SendMessage(bar->orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL,
                                MAKEWPARAM(code, (WORD)pos), (LPARAM)wnd->m_hWnd);
    }
    QScrollBar* bar;
};

// ---- Spin button ----

class SpinWidget : public QWidget {
public:
    explicit SpinWidget(QWidget* parent) : QWidget(parent) {}
    ControlAdapter* owner = nullptr;
    CWnd* Wnd() const { return owner ? owner->wnd : nullptr; }
    int lower = 100, upper = 0, pos = 0; // the control's classic default range runs backwards
    HWND buddy = nullptr;
    int pressed = 0; // +1 top, -1 bottom

    bool Horizontal() const { return Wnd() && (Wnd()->m_p->style & UDS_HORZ); }

    void SetPos(int p) {
        int lo = std::min(lower, upper), hi = std::max(lower, upper);
        pos = std::clamp(p, lo, hi);
        if (Wnd() && buddy && (Wnd()->m_p->style & UDS_SETBUDDYINT))
            if (CWnd* b = CWnd::FromHandle(buddy)) {
                CString s;
                s.Format("%d", pos);
                b->SetWindowText(s);
            }
        update();
    }

    // One step toward the upper end of the range (up/right) or the lower one.
    void Step(int direction) {
        int delta = (upper >= lower ? 1 : -1) * direction;
        UINT nmCode = UDN_DELTAPOS;
        NMUPDOWN nm{{Wnd()->m_hWnd, (UINT_PTR)Wnd()->GetDlgCtrlID(), nmCode}, pos, delta};
        CWnd* parent = Wnd()->GetParent();
        HWND self = Wnd()->m_hWnd;
        if (parent && parent->SendMessage(WM_NOTIFY, (WPARAM)Wnd()->GetDlgCtrlID(), (LPARAM)&nm))
            return; // the parent refused the change
        if (!IsWindow(self))
            return;
        int lo = std::min(lower, upper), hi = std::max(lower, upper);
        int next = pos + nm.iDelta;
        if (next > hi)
            next = (Wnd()->m_p->style & UDS_WRAP) ? lo : hi;
        else if (next < lo)
            next = (Wnd()->m_p->style & UDS_WRAP) ? hi : lo;
        SetPos(next);
        if (parent) {
            UINT m = Horizontal() ? WM_HSCROLL : WM_VSCROLL;
            parent->SendMessage(m, MAKEWPARAM(SB_THUMBPOSITION, (WORD)pos), (LPARAM)self);
            parent->SendMessage(m, MAKEWPARAM(SB_ENDSCROLL, (WORD)pos), (LPARAM)self);
        }
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton || !Wnd())
            return;
        bool first =
            Horizontal() ? e->position().x() >= width() / 2.0 : e->position().y() < height() / 2.0;
        pressed = first ? 1 : -1;
        update();
        Step(pressed);
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        pressed = 0;
        update();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        CDC dc;
        dc.AttachPainter(&painter);
        CRect a, b;
        if (Horizontal()) {
            a = CRect(0, 0, width() / 2, height());
            b = CRect(width() / 2, 0, width(), height());
            dc.DrawFrameControl(a, DFC_SCROLL, DFCS_SCROLLLEFT | (pressed < 0 ? DFCS_PUSHED : 0));
            dc.DrawFrameControl(b, DFC_SCROLL, DFCS_SCROLLRIGHT | (pressed > 0 ? DFCS_PUSHED : 0));
        } else {
            a = CRect(0, 0, width(), height() / 2);
            b = CRect(0, height() / 2, width(), height());
            dc.DrawFrameControl(a, DFC_SCROLL, DFCS_SCROLLUP | (pressed > 0 ? DFCS_PUSHED : 0));
            dc.DrawFrameControl(b, DFC_SCROLL, DFCS_SCROLLDOWN | (pressed < 0 ? DFCS_PUSHED : 0));
        }
    }
};

class SpinAdapter : public ControlAdapter {
public:
    SpinAdapter(CWnd* w, SpinWidget* s) : ControlAdapter(w), spin(s) { s->owner = this; }
    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        handled = true;
        switch (msg) {
        case UDM_SETRANGE32:
            spin->lower = (int)wp;
            spin->upper = (int)lp;
            spin->SetPos(spin->pos);
            return 0;
        case UDM_GETRANGE32:
            if (wp)
                *reinterpret_cast<int*>(wp) = spin->lower;
            if (lp)
                *reinterpret_cast<int*>(lp) = spin->upper;
            return 0;
        case UDM_SETPOS32: {
            int old = spin->pos;
            spin->SetPos((int)lp);
            return old;
        }
        case UDM_GETPOS32:
            return spin->pos;
        case UDM_SETBUDDY: {
            HWND old = spin->buddy;
            spin->buddy = (HWND)wp;
            return (LRESULT)old;
        }
        case UDM_GETBUDDY:
            return (LRESULT)spin->buddy;
        default:
            handled = false;
            return 0;
        }
    }
    SpinWidget* spin;
};

// ---- Progress ----

class ProgressAdapter : public ControlAdapter {
public:
    ProgressAdapter(CWnd* w, QProgressBar* b) : ControlAdapter(w), bar(b) {}
    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
        handled = true;
        int old = bar->value();
        auto set = [&](int v) { bar->setValue(std::clamp(v, bar->minimum(), bar->maximum())); };
        switch (msg) {
        case PBM_SETRANGE: {
            LRESULT prev = MAKELONG(bar->minimum(), bar->maximum());
            bar->setRange((short)LOWORD(lp), (short)HIWORD(lp));
            return prev;
        }
        case PBM_SETRANGE32: {
            LRESULT prev = MAKELONG(bar->minimum(), bar->maximum());
            bar->setRange((int)wp, (int)lp);
            return prev;
        }
        case 0x0407: /* PBM_GETRANGE */ {
            if (lp) {
                reinterpret_cast<int*>(lp)[0] = bar->minimum();
                reinterpret_cast<int*>(lp)[1] = bar->maximum();
            }
            return wp ? bar->minimum() : bar->maximum();
        }
        case PBM_SETPOS:
            set((int)wp);
            return old;
        case PBM_DELTAPOS:
            set(old + (int)wp);
            return old;
        case PBM_SETSTEP:
            return std::exchange(step, (int)wp);
        case PBM_STEPIT: {
            // Stepping past the end starts again from the beginning.
            int next = old + step;
            if (next > bar->maximum())
                next = bar->minimum() + (next - bar->maximum()) % std::max(1, step);
            set(next);
            return old;
        }
        case PBM_GETPOS:
            return old;
        default:
            handled = false;
            return 0;
        }
    }
    QProgressBar* bar;
    int step = 10;
};

} // namespace

// ---- Colours chosen by the parent ----

namespace {

UINT CtlColorMessage(CWnd* wnd, QWidget* w, CWnd*& asked) {
    CString cls = wnd->m_p->className;
    cls.MakeUpper();
    DWORD style = wnd->m_p->style;
    asked = wnd->GetParent();
    if (cls == "STATIC")
        return WM_CTLCOLORSTATIC;
    if (cls == "EDIT")
        // A read-only or disabled edit is coloured as a static.
        return (style & ES_READONLY) || !w->isEnabled() ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    if (cls == "LISTBOX")
        return WM_CTLCOLORLISTBOX;
    if (cls == "COMBOLBOX") {
        // A combo box's list asks the combo box.
        auto* list = dynamic_cast<ComboListAdapter*>(wnd->m_p->adapter.get());
        asked = list ? list->combo->Wnd() : nullptr;
        return WM_CTLCOLORLISTBOX;
    }
    if (cls == "SCROLLBAR")
        return WM_CTLCOLORSCROLLBAR;
    if (cls == "BUTTON") {
        UINT kind = style & BS_TYPEMASK;
        bool push = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW;
        return push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
    }
    if (cls == "#32770") {
        // A dialog asks itself for its background.
        asked = wnd;
        return WM_CTLCOLORDLG;
    }
    return 0;
}

} // namespace

void AfxApplyCtlColor(CWnd* wnd) {
    QWidget* w = wnd->GetWidget();
    if (!w)
        return;
    CWnd* asked = nullptr;
    UINT msg = CtlColorMessage(wnd, w, asked);
    if (!msg || !asked)
        return;
    QPalette own = wnd->m_p->ownPalette ? *wnd->m_p->ownPalette : w->palette();
    QImage scratch(1, 1, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&scratch);
    QColor t = own.color(QPalette::WindowText), b = own.color(QPalette::Window);
    dc.SetTextColor(RGB(t.red(), t.green(), t.blue()));
    dc.SetBkColor(RGB(b.red(), b.green(), b.blue()));
    HWND self = wnd->m_hWnd;
    auto brush = (HBRUSH)asked->SendMessage(msg, (WPARAM)dc.GetSafeHdc(), (LPARAM)self);
    // The answer may have gone with the window, or handed it to another object (subclassing).
    wnd = CWnd::FromHandlePermanent(self);
    if (!wnd || wnd->GetWidget() != w)
        return;
    WndPrivate& p = *wnd->m_p;
    if (!brush) {
        // Nobody chose: the widget's own colours come back.
        if (p.ownPalette) {
            w->setPalette(*p.ownPalette);
            w->setAutoFillBackground(p.ownAutoFill);
            p.ownPalette.reset();
        }
        return;
    }
    if (!p.ownPalette) {
        p.ownPalette = w->palette();
        p.ownAutoFill = w->autoFillBackground();
    }
    QPalette pal = own;
    QColor text = AfxQColor(dc.GetTextColor());
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, text);
    LOGBRUSH lb{};
    CGdiObject* o = CGdiObject::FromHandle(brush);
    bool known = o && o->GetObject(sizeof lb, &lb);
    bool fill = p.ownAutoFill;
    if (known && lb.lbStyle == BS_SOLID) {
        QColor c = AfxQColor(lb.lbColor);
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            pal.setColor(role, c);
        fill = true;
    } else if (known && lb.lbStyle == BS_NULL) {
        // A hollow brush lets the parent show through.
        pal.setColor(QPalette::Base, Qt::transparent);
        fill = false;
    }
    if (pal != w->palette())
        w->setPalette(pal);
    if (fill != w->autoFillBackground())
        w->setAutoFillBackground(fill);
}

QWidget* AfxCreateControlWidget(CWnd* pWnd, const CREATESTRUCT& cs, QWidget* parent) {
    if (!cs.lpszClass || !(cs.style & WS_CHILD))
        return nullptr;
    CString cls(cs.lpszClass);
    cls.MakeUpper();
    DWORD style = (DWORD)cs.style;
    WndPrivate& p = *pWnd->m_p;
    if (cls == "STATIC") {
        auto* label = new QLabel(parent);
        // A static shows its text as it is: data in it never becomes markup or a link.
        label->setTextFormat(Qt::PlainText);
        DWORD kind = style & SS_TYPEMASK;
        label->setAlignment((kind == SS_CENTER  ? Qt::AlignHCenter
                             : kind == SS_RIGHT ? Qt::AlignRight
                                                : Qt::AlignLeft) |
                            ((style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
        label->setWordWrap(kind <= SS_RIGHT);
        if (kind == SS_ETCHEDHORZ)
            label->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        if (style & SS_SUNKEN)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (kind == SS_BLACKRECT) {
            label->setAutoFillBackground(true);
            label->setStyleSheet(QStringLiteral("background: black"));
        }
        p.adapter = std::make_unique<StaticAdapter>(pWnd, label);
        return label;
    }
    if (cls == "BUTTON") {
        UINT kind = style & BS_TYPEMASK;
        QAbstractButton* button = nullptr;
        QGroupBox* group = nullptr;
        QWidget* w = nullptr;
        if (kind == BS_GROUPBOX) {
            group = new QGroupBox(parent);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = group;
        } else if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
                   kind == BS_AUTO3STATE) {
            auto* cb = new QCheckBox(parent);
            cb->setTristate(kind == BS_3STATE || kind == BS_AUTO3STATE);
            w = button = cb;
        } else if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) {
            auto* rb = new QRadioButton(parent);
            rb->setAutoExclusive(false);
            w = button = rb;
        } else {
            auto* pb = new QPushButton(parent);
            pb->setDefault(kind == BS_DEFPUSHBUTTON);
            pb->setAutoDefault(false);
            w = button = pb;
        }
        auto adapter = std::make_unique<ButtonAdapter>(pWnd, button, group);
        ButtonAdapter* a = adapter.get();
        if (button) {
            // Qt's own toggling is replaced by the click rules of the adapter.
            QObject::connect(button, &QAbstractButton::pressed, [a] { a->before = a->Check(); });
            QObject::connect(button, &QAbstractButton::clicked, [a] { a->Clicked(); });
        }
        p.adapter = std::move(adapter);
        return w;
    }
    if (cls == "EDIT") {
        QLineEdit* line = nullptr;
        QPlainTextEdit* multi = nullptr;
        QWidget* w = nullptr;
        if (style & ES_MULTILINE) {
            multi = new QPlainTextEdit(parent);
            multi->setReadOnly(style & ES_READONLY);
            multi->setLineWrapMode((style & (WS_HSCROLL | ES_AUTOHSCROLL))
                                       ? QPlainTextEdit::NoWrap
                                       : QPlainTextEdit::WidgetWidth);
            multi->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
            multi->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                     : Qt::ScrollBarAlwaysOff);
            multi->setTabChangesFocus(true);
            w = multi;
        } else {
            line = new QLineEdit(parent);
            line->setReadOnly(style & ES_READONLY);
            if (style & ES_PASSWORD)
                line->setEchoMode(QLineEdit::Password);
            line->setAlignment((style & ES_CENTER)  ? Qt::AlignHCenter
                               : (style & ES_RIGHT) ? Qt::AlignRight
                                                    : Qt::AlignLeft);
            if (!(cs.dwExStyle & WS_EX_CLIENTEDGE) && !(style & WS_BORDER))
                line->setFrame(false);
            w = line;
        }
        auto adapter = std::make_unique<EditAdapter>(pWnd, line, multi);
        EditAdapter* a = adapter.get();
        if (line) {
            QObject::connect(line, &QLineEdit::textEdited, [a](const QString&) { a->Edited(); });
            QObject::connect(line, &QLineEdit::textChanged, [a](const QString&) {
                Notify(a->wnd, EN_UPDATE);
                Notify(a->wnd, EN_CHANGE);
            });
        } else {
            QObject::connect(multi, &QPlainTextEdit::textChanged, [a] {
                if (a->multi->hasFocus())
                    a->Edited();
                Notify(a->wnd, EN_UPDATE);
                Notify(a->wnd, EN_CHANGE);
            });
        }
        p.adapter = std::move(adapter);
        return w;
    }
    if (cls == "COMBOBOX") {
        auto* combo = new QmComboBox(parent);
        UINT kind = style & 0x3;
        combo->setEditable(kind == CBS_DROPDOWN || kind == CBS_SIMPLE);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // The system's combo box completes nothing by itself; programs do it where they want it.
        if (combo->isEditable())
            combo->setCompleter(nullptr);
        combo->setMaxVisibleItems(30);
        auto adapter = std::make_unique<ComboAdapter>(pWnd, combo);
        ComboAdapter* a = adapter.get();
        combo->owner = a;
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), [a](int) {
            Notify(a->wnd, CBN_SELCHANGE);
            Notify(a->wnd, CBN_SELENDOK);
        });
        if (QLineEdit* e = combo->lineEdit()) {
            QObject::connect(e, &QLineEdit::textEdited, [a](const QString&) {
                HWND self = a->wnd->m_hWnd;
                Notify(a->wnd, CBN_EDITUPDATE);
                if (!IsWindow(self))
                    return;
                Notify(a->wnd, CBN_EDITCHANGE);
                if (IsWindow(self))
                    a->EditChangedWhileDropped();
            });
        }
        if (style & CBS_OWNERDRAWFIXED) {
            combo->ownerDrawn = true;
            combo->setItemDelegate(new ComboDrawDelegate(combo));
        }
        p.adapter = std::move(adapter);
        return combo;
    }
    if (cls == "LISTBOX") {
        auto* list = new QListWidget(parent);
        list->setSelectionMode((style & LBS_EXTENDEDSEL)   ? QAbstractItemView::ExtendedSelection
                               : (style & LBS_MULTIPLESEL) ? QAbstractItemView::MultiSelection
                                                           : QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        auto adapter = std::make_unique<ListAdapter>(pWnd, list);
        ListAdapter* a = adapter.get();
        a->itemHeight = QFontMetrics(list->font()).height() + 2;
        if (style & LBS_OWNERDRAWFIXED) {
            list->setItemDelegate(new OwnerDrawDelegate(a, list));
            // The parent fixes the row height once, when the list box is made.
            MEASUREITEMSTRUCT mis{ODT_LISTBOX, (UINT)(UINT_PTR)cs.hMenu, 0,
                                  0,           (UINT)a->itemHeight,      0};
            a->pendingMeasure = mis;
        }
        QObject::connect(list, &QListWidget::itemSelectionChanged, [a] {
            if (!a->quiet && (a->wnd->GetStyle() & LBS_NOTIFY))
                Notify(a->wnd, LBN_SELCHANGE);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, [a](QListWidgetItem*) {
            if (a->wnd->GetStyle() & LBS_NOTIFY)
                Notify(a->wnd, LBN_DBLCLK);
        });
        p.adapter = std::move(adapter);
        return list;
    }
    if (cls == "SCROLLBAR") {
        auto* bar = new QScrollBar((style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
        bar->setRange(0, 0);
        auto adapter = std::make_unique<ScrollAdapter>(pWnd, bar);
        ScrollAdapter* a = adapter.get();
        QObject::connect(bar, &QAbstractSlider::actionTriggered,
                         [a](int action) { a->Action(action); });
        QObject::connect(bar, &QAbstractSlider::sliderReleased,
                         [a] { a->Send(SB_THUMBPOSITION, a->bar->sliderPosition()); });
        p.adapter = std::move(adapter);
        return bar;
    }
    if (cls == "MSCTLS_UPDOWN32") {
        auto* spin = new SpinWidget(parent);
        p.adapter = std::make_unique<SpinAdapter>(pWnd, spin);
        return spin;
    }
    if (cls == "MSCTLS_PROGRESS32") {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        p.adapter = std::make_unique<ProgressAdapter>(pWnd, bar);
        return bar;
    }
    return nullptr;
}

// ---- The classes' members -------------------------------------------------------------------

BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    return CWnd::Create("STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
}
HBITMAP CStatic::SetBitmap(HBITMAP hBitmap) {
    return (HBITMAP)SendMessage(STM_SETIMAGE, 0, (LPARAM)hBitmap);
}
HICON CStatic::SetIcon(HICON hIcon) {
    return (HICON)SendMessage(STM_SETICON, (WPARAM)hIcon);
}

HICON CStatic::GetIcon() const {
    return (HICON) const_cast<CStatic*>(this)->SendMessage(STM_GETICON);
}

HBITMAP CStatic::GetBitmap() const {
    return (HBITMAP) const_cast<CStatic*>(this)->SendMessage(0x0173);
}

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    return CWnd::Create("BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}
int CButton::GetCheck() const {
    return (int)const_cast<CButton*>(this)->SendMessage(BM_GETCHECK);
}
void CButton::SetCheck(int nCheck) {
    SendMessage(BM_SETCHECK, (WPARAM)nCheck);
}
UINT CButton::GetState() const {
    return (UINT) const_cast<CButton*>(this)->SendMessage(BM_GETSTATE);
}
void CButton::SetState(BOOL bHighlight) {
    SendMessage(BM_SETSTATE, bHighlight);
}
UINT CButton::GetButtonStyle() const {
    return m_hWnd ? (m_p->style & 0xFF) : 0;
}
void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) {
    SendMessage(BM_SETSTYLE, nStyle, bRedraw);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("EDIT", nullptr, dwStyle, rect, pParentWnd, nID);
}
void CEdit::GetSel(int& s, int& e) const {
    DWORD a = 0, b = 0;
    const_cast<CEdit*>(this)->SendMessage(EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    s = (int)a, e = (int)b;
}
DWORD CEdit::GetSel() const {
    return (DWORD) const_cast<CEdit*>(this)->SendMessage(EM_GETSEL);
}
void CEdit::SetSel(int s, int e, BOOL) {
    SendMessage(EM_SETSEL, (WPARAM)s, (LPARAM)e);
}
void CEdit::ReplaceSel(LPCTSTR t, BOOL bCanUndo) {
    SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)t);
}
void CEdit::LimitText(int n) {
    SendMessage(EM_LIMITTEXT, (WPARAM)n);
}
UINT CEdit::GetLimitText() const {
    return (UINT) const_cast<CEdit*>(this)->SendMessage(EM_GETLIMITTEXT);
}
BOOL CEdit::SetReadOnly(BOOL b) {
    return (BOOL)SendMessage(EM_SETREADONLY, b);
}
void CEdit::SetPasswordChar(TCHAR ch) {
    SendMessage(EM_SETPASSWORDCHAR, (BYTE)ch);
}
BOOL CEdit::GetModify() const {
    return (BOOL) const_cast<CEdit*>(this)->SendMessage(EM_GETMODIFY);
}
void CEdit::SetModify(BOOL b) {
    SendMessage(EM_SETMODIFY, b);
}
int CEdit::GetLineCount() const {
    return (int)const_cast<CEdit*>(this)->SendMessage(EM_GETLINECOUNT);
}
BOOL CEdit::CanUndo() const {
    return (BOOL) const_cast<CEdit*>(this)->SendMessage(EM_CANUNDO);
}
BOOL CEdit::Undo() {
    return (BOOL)SendMessage(EM_UNDO);
}
void CEdit::Clear() {
    ReplaceSel("");
}
void CEdit::Copy() {
    if (auto* a = dynamic_cast<EditAdapter*>(m_p->adapter.get()))
        a->line ? a->line->copy() : a->multi->copy();
}
void CEdit::Cut() {
    if (auto* a = dynamic_cast<EditAdapter*>(m_p->adapter.get()))
        a->line ? a->line->cut() : a->multi->cut();
}
void CEdit::Paste() {
    if (auto* a = dynamic_cast<EditAdapter*>(m_p->adapter.get()))
        a->line ? a->line->paste() : a->multi->paste();
}

// The text of a row of a list or combo box, through its length and copy messages.
static int ItemText(CWnd* w, UINT lenMsg, UINT getMsg, int i, CString& r) {
    int n = (int)w->SendMessage(lenMsg, (WPARAM)i);
    if (n < 0) {
        r.Empty();
        return -1;
    }
    std::string buf((size_t)n + 1, '\0');
    w->SendMessage(getMsg, (WPARAM)i, (LPARAM)buf.data());
    r = CString(buf.data(), n);
    return n;
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("COMBOBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}
#define SELF const_cast<std::remove_const_t<std::remove_pointer_t<decltype(this)>>*>(this)
int CComboBox::GetCount() const {
    return (int)SELF->SendMessage(CB_GETCOUNT);
}
int CComboBox::GetCurSel() const {
    return (int)SELF->SendMessage(CB_GETCURSEL);
}
int CComboBox::SetCurSel(int n) {
    return (int)SendMessage(CB_SETCURSEL, (WPARAM)n);
}
int CComboBox::AddString(LPCTSTR s) {
    return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)s);
}
int CComboBox::InsertString(int i, LPCTSTR s) {
    return (int)SendMessage(CB_INSERTSTRING, (WPARAM)i, (LPARAM)s);
}
int CComboBox::DeleteString(UINT i) {
    return (int)SendMessage(CB_DELETESTRING, i);
}
void CComboBox::ResetContent() {
    SendMessage(CB_RESETCONTENT);
}
int CComboBox::GetLBText(int i, CString& r) const {
    return ItemText(SELF, CB_GETLBTEXTLEN, CB_GETLBTEXT, i, r);
}
int CComboBox::GetLBTextLen(int i) const {
    return (int)SELF->SendMessage(CB_GETLBTEXTLEN, (WPARAM)i);
}
int CComboBox::FindString(int a, LPCTSTR s) const {
    return (int)SELF->SendMessage(CB_FINDSTRING, (WPARAM)a, (LPARAM)s);
}
int CComboBox::FindStringExact(int a, LPCTSTR s) const {
    return (int)SELF->SendMessage(CB_FINDSTRINGEXACT, (WPARAM)a, (LPARAM)s);
}
int CComboBox::SelectString(int a, LPCTSTR s) {
    return (int)SendMessage(CB_SELECTSTRING, (WPARAM)a, (LPARAM)s);
}
DWORD_PTR CComboBox::GetItemData(int i) const {
    return (DWORD_PTR)SELF->SendMessage(CB_GETITEMDATA, (WPARAM)i);
}
int CComboBox::SetItemData(int i, DWORD_PTR d) {
    return (int)SendMessage(CB_SETITEMDATA, (WPARAM)i, (LPARAM)d);
}
void CComboBox::ShowDropDown(BOOL b) {
    SendMessage(CB_SHOWDROPDOWN, b);
}
BOOL CComboBox::GetDroppedState() const {
    return (BOOL)SELF->SendMessage(CB_GETDROPPEDSTATE);
}
DWORD CComboBox::GetEditSel() const {
    return (DWORD)SELF->SendMessage(CB_GETEDITSEL);
}
BOOL CComboBox::SetEditSel(int s, int e) {
    return (BOOL)SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(s, e));
}
BOOL CComboBox::LimitText(int n) {
    return (BOOL)SendMessage(CB_LIMITTEXT, (WPARAM)n);
}

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("LISTBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CListBox::GetCount() const {
    return (int)SELF->SendMessage(LB_GETCOUNT);
}
int CListBox::GetCurSel() const {
    return (int)SELF->SendMessage(LB_GETCURSEL);
}
int CListBox::SetCurSel(int n) {
    return (int)SendMessage(LB_SETCURSEL, (WPARAM)n);
}
int CListBox::GetSel(int i) const {
    return (int)SELF->SendMessage(LB_GETSEL, (WPARAM)i);
}
int CListBox::SetSel(int i, BOOL b) {
    return (int)SendMessage(LB_SETSEL, b, (LPARAM)i);
}
int CListBox::GetSelCount() const {
    return (int)SELF->SendMessage(LB_GETSELCOUNT);
}
int CListBox::GetSelItems(int n, LPINT rg) const {
    return (int)SELF->SendMessage(LB_GETSELITEMS, (WPARAM)n, (LPARAM)rg);
}
int CListBox::AddString(LPCTSTR s) {
    return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)s);
}
int CListBox::InsertString(int i, LPCTSTR s) {
    return (int)SendMessage(LB_INSERTSTRING, (WPARAM)i, (LPARAM)s);
}
int CListBox::DeleteString(UINT i) {
    return (int)SendMessage(LB_DELETESTRING, i);
}
void CListBox::ResetContent() {
    SendMessage(LB_RESETCONTENT);
}
int CListBox::GetText(int i, CString& r) const {
    return ItemText(SELF, LB_GETTEXTLEN, LB_GETTEXT, i, r);
}
int CListBox::GetTextLen(int i) const {
    return (int)SELF->SendMessage(LB_GETTEXTLEN, (WPARAM)i);
}
int CListBox::FindString(int a, LPCTSTR s) const {
    return (int)SELF->SendMessage(LB_FINDSTRING, (WPARAM)a, (LPARAM)s);
}
int CListBox::FindStringExact(int a, LPCTSTR s) const {
    return (int)SELF->SendMessage(LB_FINDSTRINGEXACT, (WPARAM)a, (LPARAM)s);
}
int CListBox::SelectString(int a, LPCTSTR s) {
    return (int)SendMessage(LB_SELECTSTRING, (WPARAM)a, (LPARAM)s);
}
DWORD_PTR CListBox::GetItemData(int i) const {
    return (DWORD_PTR)SELF->SendMessage(LB_GETITEMDATA, (WPARAM)i);
}
int CListBox::SetItemData(int i, DWORD_PTR d) {
    return (int)SendMessage(LB_SETITEMDATA, (WPARAM)i, (LPARAM)d);
}
int CListBox::GetTopIndex() const {
    return (int)SELF->SendMessage(LB_GETTOPINDEX);
}
int CListBox::SetTopIndex(int i) {
    return (int)SendMessage(LB_SETTOPINDEX, (WPARAM)i);
}
int CListBox::SetItemHeight(int i, UINT cy) {
    return (int)SendMessage(LB_SETITEMHEIGHT, (WPARAM)i, MAKELPARAM(cy, 0));
}
int CListBox::GetItemHeight(int i) const {
    return (int)SELF->SendMessage(LB_GETITEMHEIGHT, (WPARAM)i);
}
int CListBox::GetItemRect(int i, LPRECT r) const {
    return (int)SELF->SendMessage(LB_GETITEMRECT, (WPARAM)i, (LPARAM)r);
}

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SCROLLBAR", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CScrollBar::GetScrollPos() const {
    return (int)SELF->SendMessage(SBM_GETPOS);
}
int CScrollBar::SetScrollPos(int n, BOOL) {
    return (int)SendMessage(SBM_SETPOS, (WPARAM)n);
}
void CScrollBar::GetScrollRange(LPINT a, LPINT b) const {
    SELF->SendMessage(SBM_GETRANGE, (WPARAM)a, (LPARAM)b);
}
void CScrollBar::SetScrollRange(int a, int b, BOOL) {
    SendMessage(SBM_SETRANGE, (WPARAM)a, (LPARAM)b);
}
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
    return CWnd::SetScrollInfo(SB_CTL, lpScrollInfo, bRedraw);
}
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask) {
    return CWnd::GetScrollInfo(SB_CTL, lpScrollInfo, nMask);
}
CScrollBar* CScrollBar::FromHandleScroll(HWND hWnd) {
    return dynamic_cast<CScrollBar*>(CWnd::FromHandle(hWnd));
}

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("msctls_updown32", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CSpinButtonCtrl::GetPos() const {
    return (int)SELF->SendMessage(UDM_GETPOS32);
}
int CSpinButtonCtrl::SetPos(int n) {
    return (int)SendMessage(UDM_SETPOS32, 0, (LPARAM)n);
}
void CSpinButtonCtrl::GetRange(int& a, int& b) const {
    SELF->SendMessage(UDM_GETRANGE32, (WPARAM)&a, (LPARAM)&b);
}
void CSpinButtonCtrl::SetRange(int a, int b) {
    SendMessage(UDM_SETRANGE32, (WPARAM)a, (LPARAM)b);
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* w) {
    return CWnd::FromHandle((HWND)SendMessage(UDM_SETBUDDY, (WPARAM)(w ? w->m_hWnd : nullptr)));
}
CWnd* CSpinButtonCtrl::GetBuddy() const {
    return CWnd::FromHandle((HWND)SELF->SendMessage(UDM_GETBUDDY));
}

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("msctls_progress32", nullptr, dwStyle, rect, pParentWnd, nID);
}
void CProgressCtrl::SetRange(short a, short b) {
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(a, b));
}
void CProgressCtrl::SetRange32(int a, int b) {
    SendMessage(PBM_SETRANGE32, (WPARAM)a, (LPARAM)b);
}
void CProgressCtrl::GetRange(int& a, int& b) const {
    int r[2] = {0, 0};
    SELF->SendMessage(0x0407, TRUE, (LPARAM)r);
    a = r[0], b = r[1];
}
int CProgressCtrl::GetPos() const {
    return (int)SELF->SendMessage(PBM_GETPOS);
}
int CProgressCtrl::SetPos(int n) {
    return (int)SendMessage(PBM_SETPOS, (WPARAM)n);
}
int CProgressCtrl::OffsetPos(int n) {
    return (int)SendMessage(PBM_DELTAPOS, (WPARAM)n);
}
int CProgressCtrl::SetStep(int n) {
    return (int)SendMessage(PBM_SETSTEP, (WPARAM)n);
}
int CProgressCtrl::StepIt() {
    return (int)SendMessage(PBM_STEPIT);
}
