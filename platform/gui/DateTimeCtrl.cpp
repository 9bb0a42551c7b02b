#include "platform/gui/DateTimeCtrl.h"

#include "platform/gui/WndPrivate.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QLineEdit>
#include <QPointer>

IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

static const bool s_registered =
    (AfxRegisterControlClass<CDateTimeCtrl>("SysDateTimePick32"), true);

namespace {

QDateTime FromSystemTime(const SYSTEMTIME& st) {
    return QDateTime(QDate(st.wYear, st.wMonth, st.wDay),
                     QTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

SYSTEMTIME ToSystemTime(const QDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = (WORD)t.date().year();
    st.wMonth = (WORD)t.date().month();
    st.wDay = (WORD)t.date().day();
    st.wDayOfWeek = (WORD)(t.date().dayOfWeek() % 7);
    st.wHour = (WORD)t.time().hour();
    st.wMinute = (WORD)t.time().minute();
    st.wSecond = (WORD)t.time().second();
    st.wMilliseconds = (WORD)t.time().msec();
    return st;
}

// Appends literal text in the editor's quoting.
void AppendLiteral(QString& out, const QString& text) {
    if (text.isEmpty())
        return;
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    out += QLatin1Char('\'') + q + QLatin1Char('\'');
}

} // namespace

QString AfxPickerFormatToQt(const QString& f, QString* pLiteral) {
    QString out, literal, allText;
    bool anyField = false;
    bool twelveHour = false;
    int i = 0, n = (int)f.size();
    auto flush = [&] {
        allText += literal;
        AppendLiteral(out, literal);
        literal.clear();
    };
    while (i < n) {
        QChar c = f[i];
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes stand for one.
            ++i;
            while (i < n) {
                if (f[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && f[i + 1] == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += f[i++];
            }
            continue;
        }
        int run = 1;
        while (i + run < n && f[i + run] == c)
            ++run;
        QString field;
        switch (c.unicode()) {
        case 'd':
            field = QString(std::min(run, 4), QLatin1Char('d'));
            break;
        case 'M':
            field = QString(std::min(run, 4), QLatin1Char('M'));
            break;
        case 'y':
            field = run >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy");
            break;
        case 'h':
            field = QString(std::min(run, 2), QLatin1Char('h'));
            twelveHour = true;
            break;
        case 'H':
            field = QString(std::min(run, 2), QLatin1Char('H'));
            break;
        case 'm':
            field = QString(std::min(run, 2), QLatin1Char('m'));
            break;
        case 's':
            field = QString(std::min(run, 2), QLatin1Char('s'));
            break;
        case 't':
            field = run >= 2 ? QStringLiteral("AP") : QStringLiteral("A");
            break;
        default:
            literal += QString(run, c);
            i += run;
            continue;
        }
        flush();
        out += field;
        anyField = true;
        i += run;
    }
    flush();
    // Twelve-hour fields need the half-day marker in the editor's notation to count as such.
    if (twelveHour && !out.contains(QLatin1String("AP")) && !out.contains(QLatin1Char('A')))
        out.replace(QLatin1Char('h'), QLatin1Char('H'));
    if (pLiteral)
        *pLiteral = anyField ? QString() : allText;
    return out;
}

struct DateTimeCtrlState {
    CDateTimeCtrl* self;
    QDateTimeEdit* editor = nullptr;
    // A format of fixed text only ("不详"): the editor cannot show one, a label over its text
    // part does; the drop-down stays usable.
    QLabel* fixedText = nullptr;
    // DTS_SHOWNONE: the box at the left; unticked means "no date".
    QCheckBox* check = nullptr;
    bool none = false;
    bool quiet = false;
    std::unique_ptr<CEdit> userEdit;
    // The editor's key filter; it reads this state, so it goes when the state goes (the editor
    // may live on a little longer).
    QPointer<QObject> guard;
    explicit DateTimeCtrlState(CDateTimeCtrl* s) : self(s) {}
    ~DateTimeCtrlState() { delete guard.data(); }

    QString StyleFormat() const {
        DWORD st = self->m_hWnd ? self->GetStyle() : 0;
        if ((st & DTS_TIMEFORMAT) == DTS_TIMEFORMAT)
            return QStringLiteral("H:mm:ss");
        if (st & DTS_LONGDATEFORMAT)
            return QString::fromUtf8(u8"yyyy'年'M'月'd'日'");
        return QStringLiteral("yyyy-M-d");
    }
    // Shows the "no date" state: the box ticked or not, the text greyed while there is no date.
    void ShowNone() {
        if (!check)
            return;
        quiet = true;
        check->setChecked(!none);
        quiet = false;
        if (QLineEdit* line = editor->findChild<QLineEdit*>()) {
            QPalette pal = line->palette();
            pal.setColor(QPalette::Text,
                         editor->palette().color(none ? QPalette::Disabled : QPalette::Active,
                                                 QPalette::Text));
            line->setPalette(pal);
        }
        editor->update();
    }
    void NotifyChange() {
        NMDATETIMECHANGE nm{};
        nm.dwFlags = none ? GDT_NONE : GDT_VALID;
        if (!none)
            nm.st = ToSystemTime(editor->dateTime());
        AfxSendNotify(self, &nm.nmhdr, DTN_DATETIMECHANGE);
    }
    void EndUserEdit(bool cancel) {
        if (!userEdit)
            return;
        CString text;
        userEdit->GetWindowText(text);
        AfxDestroyLater(userEdit.release());
        if (cancel)
            return;
        NMDATETIMESTRING nm{};
        nm.pszUserString = text.GetString();
        nm.st = ToSystemTime(editor->dateTime());
        nm.dwFlags = GDT_VALID;
        HWND hwnd = self->m_hWnd;
        AfxSendNotify(self, &nm.nmhdr, DTN_USERSTRING);
        if (!IsWindow(hwnd))
            return;
        // The parent's answer: a time, "no date", or nothing it understood.
        if (nm.dwFlags == GDT_VALID && FromSystemTime(nm.st).isValid()) {
            quiet = true;
            none = false;
            editor->setDateTime(FromSystemTime(nm.st));
            quiet = false;
            ShowNone();
            NotifyChange();
        } else if (nm.dwFlags == GDT_NONE && (self->GetStyle() & DTS_SHOWNONE)) {
            none = true;
            ShowNone();
            NotifyChange();
        }
    }
};

namespace {

// While a format of fixed text only is shown the editor's fields are hidden under it: a format
// without fields has nothing to step or type into, so stepping keys, typed characters and wheel
// turns are dropped instead of changing a date nobody saw (a Down on "不详" gave today's date a
// year back). The drop-down calendar (Alt+Down) and F2 typing still set a date.
class FixedTextGuard : public QObject {
public:
    explicit FixedTextGuard(DateTimeCtrlState* state, QObject* parent)
        : QObject(parent), m_state(state) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        DateTimeCtrlState& d = *m_state;
        if (!d.fixedText || !d.fixedText->isVisibleTo(d.editor) || d.userEdit)
            return QObject::eventFilter(watched, event);
        bool edit = event->type() == QEvent::Wheel;
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                edit = !(key->modifiers() & Qt::AltModifier); // Alt+Down opens the calendar
                break;
            default:
                edit = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                       !key->text().isEmpty() && key->text().at(0).isPrint();
            }
        }
        return edit || QObject::eventFilter(watched, event);
    }

private:
    DateTimeCtrlState* m_state;
};

} // namespace

CDateTimeCtrl::CDateTimeCtrl() : m_dt(std::make_unique<DateTimeCtrlState>(this)) {}

CDateTimeCtrl::~CDateTimeCtrl() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SysDateTimePick32", nullptr, dwStyle, rect, pParentWnd, nID);
}

QWidget* CDateTimeCtrl::CreateWidget(const CREATESTRUCT& cs, QWidget* parent) {
    auto* e = new QDateTimeEdit(parent);
    e->setCalendarPopup(!(cs.style & DTS_UPDOWN));
    e->setDateTime(QDateTime::currentDateTime());
    if (cs.style & DTS_RIGHTALIGN)
        e->setAlignment(Qt::AlignRight);
    m_dt->editor = e;
    return e;
}

void CDateTimeCtrl::OnWidgetCreated() {
    DateTimeCtrlState& d = *m_dt;
    d.editor->setDisplayFormat(d.StyleFormat());
    d.guard = new FixedTextGuard(&d, d.editor);
    d.editor->installEventFilter(d.guard);
    if (QLineEdit* line = d.editor->findChild<QLineEdit*>())
        line->installEventFilter(d.guard);
    QObject::connect(d.editor, &QDateTimeEdit::dateTimeChanged, d.editor, [this] {
        if (m_dt->quiet)
            return;
        // A date the user changes is a date again.
        m_dt->none = false;
        m_dt->ShowNone();
        m_dt->NotifyChange();
    });
    if (GetStyle() & DTS_SHOWNONE) {
        d.check = new QCheckBox(d.editor);
        d.check->setFocusPolicy(Qt::NoFocus);
        QSize box = d.check->sizeHint();
        d.check->setGeometry(3, std::max(0, (d.editor->height() - box.height()) / 2), box.width(),
                             box.height());
        if (QLineEdit* line = d.editor->findChild<QLineEdit*>())
            line->setTextMargins(box.width() + 2, 0, 0, 0);
        d.check->show();
        // Ticking or clearing the box is the user's change of the time.
        QObject::connect(d.check, &QCheckBox::toggled, d.check, [this](bool on) {
            if (m_dt->quiet)
                return;
            m_dt->none = !on;
            m_dt->ShowNone();
            m_dt->NotifyChange();
        });
        d.ShowNone();
    }
}

DWORD CDateTimeCtrl::GetTime(LPSYSTEMTIME pTimeDest) const {
    if (!pTimeDest || !m_dt->editor)
        return (DWORD)GDT_ERROR;
    if (m_dt->none)
        return GDT_NONE;
    *pTimeDest = ToSystemTime(m_dt->editor->dateTime());
    return GDT_VALID;
}

DWORD CDateTimeCtrl::GetTime(CTime& timeDest) const {
    SYSTEMTIME st{};
    DWORD r = GetTime(&st);
    if (r == GDT_VALID)
        timeDest = CTime(st);
    return r;
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* p) {
    DateTimeCtrlState& d = *m_dt;
    if (!d.editor)
        return FALSE;
    if (!p) {
        if (!(GetStyle() & DTS_SHOWNONE))
            return FALSE;
        d.none = true;
        d.ShowNone();
        return TRUE;
    }
    QDateTime t = FromSystemTime(*p);
    if (!t.isValid() || t < d.editor->minimumDateTime() || t > d.editor->maximumDateTime())
        return FALSE;
    // The program's own change is not told back to it.
    d.quiet = true;
    d.none = false;
    d.editor->setDateTime(t);
    d.quiet = false;
    d.ShowNone();
    return TRUE;
}

BOOL CDateTimeCtrl::SetTime(const CTime* pTimeNew) {
    if (!pTimeNew)
        return SetTime((const SYSTEMTIME*)nullptr);
    SYSTEMTIME st{};
    return pTimeNew->GetAsSystemTime(st) && SetTime(&st);
}

BOOL CDateTimeCtrl::SetFormat(LPCTSTR pstrFormat) {
    DateTimeCtrlState& d = *m_dt;
    if (!d.editor)
        return FALSE;
    QDateTime keep = d.editor->dateTime();
    QString literal;
    QString format = pstrFormat ? AfxPickerFormatToQt(AfxToQt(pstrFormat), &literal) : QString();
    if (!pstrFormat || format.isEmpty())
        format = d.StyleFormat();
    if (!literal.isEmpty()) {
        if (!d.fixedText) {
            d.fixedText = new QLabel(d.editor);
            d.fixedText->setAutoFillBackground(true);
            d.fixedText->setBackgroundRole(QPalette::Base);
            d.fixedText->setIndent(2);
        }
        int button = d.editor->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        // The "no date" box stays visible beside the text.
        int left = d.check ? d.check->geometry().right() + 3 : 2;
        d.fixedText->setGeometry(left, 2, std::max(0, d.editor->width() - button - left - 2),
                                 std::max(0, d.editor->height() - 4));
        d.fixedText->setTextFormat(Qt::PlainText);
        d.fixedText->setText(literal);
        d.fixedText->show();
        return TRUE;
    }
    if (d.fixedText)
        d.fixedText->hide();
    d.quiet = true;
    d.editor->setDisplayFormat(format);
    d.editor->setDateTime(keep);
    d.quiet = false;
    return TRUE;
}

CString CDateTimeCtrl::GetText() const {
    DateTimeCtrlState& d = *m_dt;
    if (d.fixedText && d.fixedText->isVisibleTo(d.editor))
        return AfxFromQt(d.fixedText->text());
    return d.editor ? AfxFromQt(d.editor->text()) : CString();
}

DWORD CDateTimeCtrl::GetRange(LPSYSTEMTIME pMinRange, LPSYSTEMTIME pMaxRange) const {
    if (!m_dt->editor)
        return 0;
    if (pMinRange)
        *pMinRange = ToSystemTime(m_dt->editor->minimumDateTime());
    if (pMaxRange)
        *pMaxRange = ToSystemTime(m_dt->editor->maximumDateTime());
    return GDTR_MIN | GDTR_MAX;
}

BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* pMinRange, const SYSTEMTIME* pMaxRange) {
    QDateTimeEdit* e = m_dt->editor;
    if (!e)
        return FALSE;
    m_dt->quiet = true;
    if (pMinRange)
        e->setMinimumDateTime(FromSystemTime(*pMinRange));
    else
        e->clearMinimumDateTime();
    if (pMaxRange)
        e->setMaximumDateTime(FromSystemTime(*pMaxRange));
    else
        e->clearMaximumDateTime();
    m_dt->quiet = false;
    return TRUE;
}

BOOL CDateTimeCtrl::EditUserString() {
    DateTimeCtrlState& d = *m_dt;
    if (!(GetStyle() & DTS_APPCANPARSE) || d.userEdit)
        return FALSE;
    CRect r;
    GetClientRect(&r);
    auto e = std::make_unique<CEdit>();
    if (!e->Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, r, this, 1))
        return FALSE;
    e->SetFont(AfxControlFont(this));
    e->SetWindowText(GetText());
    e->SetSel(0, -1);
    d.userEdit = std::move(e);
    AfxWatchLabelEdit(
        d.userEdit.get(),
        [](void* s, bool cancel) { static_cast<DateTimeCtrlState*>(s)->EndUserEdit(cancel); }, &d);
    d.userEdit->SetFocus();
    return TRUE;
}

LRESULT CDateTimeCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DTM_GETSYSTEMTIME:
        return (LRESULT)(int)GetTime(reinterpret_cast<LPSYSTEMTIME>(lParam));
    case DTM_SETSYSTEMTIME:
        return SetTime(wParam == GDT_NONE ? nullptr : reinterpret_cast<SYSTEMTIME*>(lParam));
    case DTM_GETRANGE: {
        auto* two = reinterpret_cast<SYSTEMTIME*>(lParam);
        return two ? GetRange(&two[0], &two[1]) : 0;
    }
    case DTM_SETRANGE: {
        auto* two = reinterpret_cast<SYSTEMTIME*>(lParam);
        if (!two)
            return FALSE;
        return SetRange((wParam & GDTR_MIN) ? &two[0] : nullptr,
                        (wParam & GDTR_MAX) ? &two[1] : nullptr);
    }
    case DTM_SETFORMAT:
        return SetFormat(reinterpret_cast<LPCTSTR>(lParam));
    case WM_GETDLGCODE:
        // The arrows step the field and digits are typed into it, even in a dialog.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_F2 && EditUserString())
            return 0;
        return CWnd::DefWindowProc(message, wParam, lParam);
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
