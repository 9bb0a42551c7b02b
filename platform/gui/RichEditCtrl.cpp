#include "platform/gui/RichEditCtrl.h"

#include "platform/base/Gbk.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/WndPrivate.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

static const bool s_registered = (AfxRegisterControlClass<CRichEditCtrl>("RichEdit20A"),
                                  AfxRegisterControlClass<CRichEditCtrl>("RichEdit20W"),
                                  AfxRegisterControlClass<CRichEditCtrl>("RICHEDIT"), true);

namespace {

// What the character and paragraph formats keep beyond what Qt shows.
enum {
    kCharset = QTextFormat::UserProperty + 1,
    kOffset,
    // Text in the control's default format follows later changes of that format.
    kUsesDefault,
    kLeftTwips,
    kFirstTwips,
    kRightTwips,
};

constexpr const char* kRtfMime = "text/rtf";
constexpr long kDefaultLimit = 32767;

QColor QtColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF FromQtColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

QTextCharFormat ToQt(const RichCharFormat& f, bool usesDefault = false) {
    QTextCharFormat q;
    q.setFontFamilies(QStringList{AfxToQt(f.face)});
    q.setFontPointSize(f.sizeTwips / 20.0);
    q.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.italic);
    q.setFontUnderline(f.underline);
    q.setFontStrikeOut(f.strike);
    if (!f.autoColor)
        q.setForeground(QtColor(f.color));
    if (!f.autoBackColor)
        q.setBackground(QtColor(f.backColor));
    q.setVerticalAlignment(f.vertical == RichSuperscript ? QTextCharFormat::AlignSuperScript
                           : f.vertical == RichSubscript ? QTextCharFormat::AlignSubScript
                                                         : QTextCharFormat::AlignNormal);
    q.setProperty(kCharset, (int)f.charset);
    if (f.offsetTwips)
        q.setProperty(kOffset, f.offsetTwips);
    if (usesDefault)
        q.setProperty(kUsesDefault, true);
    return q;
}

// Properties a format lacks come from base.
RichCharFormat FromQt(const QTextCharFormat& q, const RichCharFormat& base) {
    RichCharFormat f = base;
    QStringList families = q.fontFamilies().toStringList();
    if (!families.isEmpty())
        f.face = AfxFromQt(families.first());
    if (q.hasProperty(QTextFormat::FontPointSize))
        f.sizeTwips = qRound(q.fontPointSize() * 20);
    if (q.hasProperty(QTextFormat::FontWeight))
        f.bold = q.fontWeight() >= QFont::DemiBold;
    if (q.hasProperty(QTextFormat::FontItalic))
        f.italic = q.fontItalic();
    if (q.hasProperty(QTextFormat::TextUnderlineStyle) || q.hasProperty(QTextFormat::FontUnderline))
        f.underline = q.fontUnderline();
    if (q.hasProperty(QTextFormat::FontStrikeOut))
        f.strike = q.fontStrikeOut();
    f.autoColor = !q.hasProperty(QTextFormat::ForegroundBrush);
    if (!f.autoColor)
        f.color = FromQtColor(q.foreground().color());
    f.autoBackColor = !q.hasProperty(QTextFormat::BackgroundBrush);
    if (!f.autoBackColor)
        f.backColor = FromQtColor(q.background().color());
    switch (q.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        f.vertical = RichSuperscript;
        break;
    case QTextCharFormat::AlignSubScript:
        f.vertical = RichSubscript;
        break;
    default:
        f.vertical = RichVerticalNone;
    }
    if (q.hasProperty(kCharset))
        f.charset = (BYTE)q.intProperty(kCharset);
    f.offsetTwips = q.intProperty(kOffset);
    return f;
}

CString FaceName(const char* face) {
    return CString(face, (int)strnlen(face, LF_FACESIZE - 1));
}

// Takes the fields a character format's mask names into f.
void MergeCharFormat(RichCharFormat& f, const CHARFORMAT2& cf, bool cf2) {
    DWORD m = cf.dwMask, e = cf.dwEffects;
    if (m & CFM_BOLD)
        f.bold = e & CFE_BOLD;
    if (m & CFM_ITALIC)
        f.italic = e & CFE_ITALIC;
    if (m & CFM_UNDERLINE)
        f.underline = e & CFE_UNDERLINE;
    if (m & CFM_STRIKEOUT)
        f.strike = e & CFE_STRIKEOUT;
    if (m & CFM_SIZE)
        f.sizeTwips = std::clamp((int)cf.yHeight, 20, yHeightCharPtsMost * 20);
    if (m & CFM_OFFSET)
        f.offsetTwips = std::clamp((int)cf.yOffset, -32760, 32760);
    if (m & CFM_COLOR) {
        f.autoColor = e & CFE_AUTOCOLOR;
        f.color = cf.crTextColor & 0xFFFFFF;
    }
    if (m & CFM_FACE)
        f.face = FaceName(cf.szFaceName);
    if (m & CFM_CHARSET)
        f.charset = cf.bCharSet;
    if (!cf2)
        return;
    if (m & CFM_BACKCOLOR) {
        f.autoBackColor = e & CFE_AUTOBACKCOLOR;
        f.backColor = cf.crBackColor & 0xFFFFFF;
    }
    if ((m & CFE_SUPERSCRIPT) && (e & CFE_SUPERSCRIPT))
        f.vertical = RichSuperscript;
    else if ((m & CFE_SUBSCRIPT) && (e & CFE_SUBSCRIPT))
        f.vertical = RichSubscript;
    else if (((m & CFE_SUPERSCRIPT) && f.vertical == RichSuperscript) ||
             ((m & CFE_SUBSCRIPT) && f.vertical == RichSubscript))
        f.vertical = RichVerticalNone;
}

// The mask a format fills in: everything the structure can say.
DWORD FullCharMask(bool cf2) {
    return CFM_ALL | (cf2 ? (CFM_BACKCOLOR | CFM_SUBSCRIPT) : 0);
}

void FillCharFormat(const RichCharFormat& f, CHARFORMAT2& cf, bool cf2) {
    DWORD e = 0;
    if (f.bold)
        e |= CFE_BOLD;
    if (f.italic)
        e |= CFE_ITALIC;
    if (f.underline)
        e |= CFE_UNDERLINE;
    if (f.strike)
        e |= CFE_STRIKEOUT;
    if (f.autoColor)
        e |= CFE_AUTOCOLOR;
    cf.dwMask = FullCharMask(cf2);
    cf.yHeight = f.sizeTwips;
    cf.yOffset = f.offsetTwips;
    cf.crTextColor = f.autoColor ? 0 : f.color;
    cf.bCharSet = f.charset;
    cf.bPitchAndFamily = 0;
    std::memset(cf.szFaceName, 0, sizeof cf.szFaceName);
    std::memcpy(cf.szFaceName, f.face.GetString(),
                GbkFitLength(f.face.GetString(), (size_t)f.face.GetLength(), LF_FACESIZE - 1));
    if (cf2) {
        if (f.autoBackColor)
            e |= CFE_AUTOBACKCOLOR;
        if (f.vertical == RichSuperscript)
            e |= CFE_SUPERSCRIPT;
        else if (f.vertical == RichSubscript)
            e |= CFE_SUBSCRIPT;
        cf.crBackColor = f.autoBackColor ? 0 : f.backColor;
        cf.wWeight = f.bold ? 700 : 400;
    }
    cf.dwEffects = e;
}

// The mask bits of the fields on which two formats differ.
DWORD CharDifference(const RichCharFormat& a, const RichCharFormat& b) {
    DWORD d = 0;
    if (a.bold != b.bold)
        d |= CFM_BOLD;
    if (a.italic != b.italic)
        d |= CFM_ITALIC;
    if (a.underline != b.underline)
        d |= CFM_UNDERLINE;
    if (a.strike != b.strike)
        d |= CFM_STRIKEOUT;
    if (a.sizeTwips != b.sizeTwips)
        d |= CFM_SIZE;
    if (a.offsetTwips != b.offsetTwips)
        d |= CFM_OFFSET;
    if (a.autoColor != b.autoColor || (!a.autoColor && a.color != b.color))
        d |= CFM_COLOR;
    if (a.face != b.face)
        d |= CFM_FACE;
    if (a.charset != b.charset)
        d |= CFM_CHARSET;
    if (a.autoBackColor != b.autoBackColor || (!a.autoBackColor && a.backColor != b.backColor))
        d |= CFM_BACKCOLOR;
    if (a.vertical != b.vertical)
        d |= CFM_SUBSCRIPT;
    return d;
}

DWORD ParaDifference(const RichParagraph& a, const RichParagraph& b) {
    DWORD d = 0;
    if (a.leftIndentTwips + a.firstIndentTwips != b.leftIndentTwips + b.firstIndentTwips)
        d |= PFM_STARTINDENT;
    if (a.firstIndentTwips != b.firstIndentTwips)
        d |= PFM_OFFSET;
    if (a.rightIndentTwips != b.rightIndentTwips)
        d |= PFM_RIGHTINDENT;
    if (a.align != b.align)
        d |= PFM_ALIGNMENT;
    if (a.bullet != b.bullet)
        d |= PFM_NUMBERING;
    return d;
}

// Text the program hands in: CR LF, lone CR and LF all end a paragraph.
QString ProgramText(CString s) {
    s.Remove('\0');
    s.Replace("\r\n", "\n");
    s.Replace("\r", "\n");
    return AfxToQt(s);
}

// Text of the document as the program sees it: paragraph ends as CR LF, embedded objects left out.
CString GbkText(QString q) {
    q.replace(QChar::ParagraphSeparator, u'\n');
    q.replace(QChar::LineSeparator, u'\n');
    q.remove(QChar::ObjectReplacementCharacter);
    CString s = AfxFromQt(q);
    s.Replace("\n", "\r\n");
    return s;
}

class RichEditAdapter;

// A read into the control that tells a progress how it goes: a message of the control's own,
// beside the system's EM_STREAMIN.
constexpr UINT kStreamInWithProgress = WM_USER + 0x0F00;
struct ReadWithProgress {
    EDITSTREAM* es;
    CIRichEditReadProgress* progress;
};

// Scroll bars and frame as the window's styles ask.
void AfxApplyRichEditBars(QTextEdit* e, DWORD style, DWORD exStyle) {
    auto policy = [&](DWORD bar) {
        if (!(style & bar))
            return Qt::ScrollBarAlwaysOff;
        return (style & ES_DISABLENOSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
    };
    e->setVerticalScrollBarPolicy(policy(WS_VSCROLL));
    e->setHorizontalScrollBarPolicy(policy(WS_HSCROLL));
    e->setFrameShape((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE) ? QFrame::StyledPanel
                                                                         : QFrame::NoFrame);
}

// The Qt text edit: every change the user makes runs as one operation of the control, so its
// notifications come once and in order; the clipboard carries RTF beside the plain text.
class RichEditWidget : public QTextEdit {
public:
    RichEditWidget(QWidget* parent, RichEditAdapter** owner) : QTextEdit(parent), a(owner) {}
    void SetMargins(int l, int t, int r, int b) { setViewportMargins(l, t, r, b); }
    QMargins Margins() const { return viewportMargins(); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    RichEditAdapter** a;
};

// Lays a document out a fixed number of paragraphs at a time on its layout's own timer, in place
// of the layout's lazy steps: those take many times longer for a long text and, once it runs to
// hundreds of thousands of lines, hold the window for seconds at a time (after a read, a resize,
// a change of wrapping). Paragraphs are laid out in order, from the first.
class SteppedLayout : public QObject {
public:
    static constexpr int kStep = 2048;

    explicit SteppedLayout(QTextDocument* doc) : QObject(doc->documentLayout()), m_doc(doc) {
        doc->documentLayout()->installEventFilter(this);
    }
    // Lays the document out to the next multiple of kStep paragraphs; answers how many are then
    // laid out (all of them once it is done).
    static int Step(QTextDocument* doc) {
        const int blocks = doc->blockCount();
        const int laid = LaidOut(doc);
        if (laid >= blocks)
            return blocks;
        const int to = std::min((laid / kStep + 1) * kStep, blocks);
        doc->documentLayout()->blockBoundingRect(doc->findBlockByNumber(to - 1));
        return to;
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Timer || LaidOut(m_doc) >= m_doc->blockCount())
            return false;
        Step(m_doc);
        return true;
    }

private:
    static int LaidOut(QTextDocument* doc) {
        int laid = 0, unlaid = doc->blockCount();
        while (laid < unlaid) {
            const int mid = laid + (unlaid - laid) / 2;
            const QTextLayout* layout = doc->findBlockByNumber(mid).layout();
            if (layout != nullptr && layout->lineCount() > 0)
                laid = mid + 1;
            else
                unlaid = mid;
        }
        return laid;
    }

    QTextDocument* m_doc;
};

class RichEditAdapter : public ControlAdapter {
public:
    RichEditAdapter(CWnd* w, RichEditWidget* e, RichEditAdapter** slot)
        : ControlAdapter(w), edit(e), self(slot) {
        *self = this;
    }
    ~RichEditAdapter() override {
        if (self && *self == this)
            *self = nullptr;
    }

    RichEditWidget* edit;
    // Null once the widget, and the slot with it, has gone before the state.
    RichEditAdapter** self;
    DWORD eventMask = 0;
    bool autoUrl = false;
    std::vector<std::pair<int, int>> links;
    long limit = kDefaultLimit;
    bool modified = false;
    DWORD options = 0;
    DWORD langOptions = IMF_AUTOFONT | IMF_DUALFONT;
    EDITWORDBREAKPROC wordBreak = nullptr;
    int undoLimit = 100;
    RichCharFormat defaults;
    bool sysBackground = true;
    COLORREF background = 0;
    bool hideSelection = false;
    // The strip left of the text where a click selects a line (ES_SELECTIONBAR), in pixels.
    int selectionBar = 0;
    // Operations in progress, and what they changed so far.
    int depth = 0;
    int quiet = 0;
    bool formatOnly = false;
    bool pendingChange = false;
    bool pendingSelection = false;
    CHARRANGE lastSel{0, 0};

    // Groups the changes of one operation: the notifications go out when the outermost ends.
    struct Op {
        explicit Op(RichEditAdapter* ad, bool formats = false) : a(ad), h(ad->wnd->m_hWnd) {
            if (a->depth++ == 0)
                a->formatOnly = formats;
        }
        ~Op() {
            if (!IsWindow(h) || !a)
                return;
            if (--a->depth == 0)
                a->Flush();
        }
        RichEditAdapter* a;
        HWND h;
    };
    struct Quiet {
        explicit Quiet(RichEditAdapter* ad) : a(ad) { ++a->quiet; }
        ~Quiet() { --a->quiet; }
        RichEditAdapter* a;
    };

    QTextDocument* Doc() const { return edit->document(); }
    int End() const { return std::max(0, Doc()->characterCount() - 1); }
    CHARRANGE Sel() const {
        QTextCursor c = edit->textCursor();
        return {c.selectionStart(), c.selectionEnd()};
    }
    void Connect() {
        ConnectDocument();
        auto selection = [this] {
            pendingSelection = true;
            if (!depth)
                Flush();
        };
        QObject::connect(edit, &QTextEdit::cursorPositionChanged, edit, selection);
        QObject::connect(edit, &QTextEdit::selectionChanged, edit, selection);
    }
    void ConnectDocument() {
        QObject::connect(Doc(), &QTextDocument::contentsChange, edit, [this](int, int, int) {
            if (quiet)
                return;
            modified = true;
            if (!(depth && formatOnly))
                pendingChange = true;
            if (!depth)
                Flush();
        });
        QObject::connect(Doc(), &QTextDocument::contentsChanged, edit, [this] { FindLinks(); });
        new SteppedLayout(Doc());
    }

    // The selection notice first, then the change notice; either may be turned off by the mask.
    void Flush() {
        HWND h = wnd->m_hWnd;
        if (pendingSelection) {
            pendingSelection = false;
            CHARRANGE s = Sel();
            if (s.cpMin != lastSel.cpMin || s.cpMax != lastSel.cpMax) {
                lastSel = s;
                if (eventMask & ENM_SELCHANGE) {
                    SELCHANGE nm{};
                    nm.chrg = s;
                    nm.seltyp = s.cpMin == s.cpMax       ? SEL_EMPTY
                                : s.cpMax - s.cpMin == 1 ? SEL_TEXT
                                                         : (SEL_TEXT | SEL_MULTICHAR);
                    AfxSendNotify(wnd, &nm.nmhdr, EN_SELCHANGE);
                    if (!IsWindow(h))
                        return;
                }
            }
        }
        if (pendingChange) {
            pendingChange = false;
            if (eventMask & ENM_CHANGE)
                if (CWnd* parent = wnd->GetParent())
                    parent->SendMessage(WM_COMMAND, MAKEWPARAM(wnd->GetDlgCtrlID(), EN_CHANGE),
                                        (LPARAM)h);
        }
    }
    void Notify(UINT code) {
        if (CWnd* parent = wnd->GetParent())
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(wnd->GetDlgCtrlID(), code),
                                (LPARAM)wnd->m_hWnd);
    }

    // ---- Links ----

    void FindLinks() {
        links.clear();
        QList<QTextEdit::ExtraSelection> marks;
        if (autoUrl) {
            // A scheme or "www." followed by the characters an address may hold; punctuation
            // that ends a sentence is not part of it.
            static const QRegularExpression url(
                QStringLiteral("(?:\\b(?:https?|ftp|file|mailto|news|nntp|telnet|gopher|wais|"
                               "prospero):|\\bwww\\.)[A-Za-z0-9\\-._~:/?#@!$&'()*+,;=%]+"),
                QRegularExpression::CaseInsensitiveOption);
            QString text = Doc()->toRawText();
            auto it = url.globalMatch(text);
            while (it.hasNext()) {
                auto m = it.next();
                int s = (int)m.capturedStart(), e = (int)m.capturedEnd();
                while (e > s && QStringLiteral(".,;:!?'\")").contains(text[e - 1]))
                    --e;
                if (e - s < 5 || text.mid(s, e - s).endsWith(u':'))
                    continue;
                links.push_back({s, e});
                QTextEdit::ExtraSelection mark;
                mark.cursor = QTextCursor(Doc());
                mark.cursor.setPosition(s);
                mark.cursor.setPosition(e, QTextCursor::KeepAnchor);
                mark.format.setForeground(QColor(0, 0, 255));
                mark.format.setFontUnderline(true);
                marks.push_back(mark);
            }
        }
        edit->setExtraSelections(marks);
    }
    // The character under a point of the client area, -1 when the point is on no character.
    int CharAt(QPoint client) const {
        QWidget* vp = edit->viewport();
        QPoint v = vp->mapFrom(edit, client);
        if (!vp->rect().contains(v))
            return -1;
        QPointF d(v.x() + edit->horizontalScrollBar()->value(),
                  v.y() + edit->verticalScrollBar()->value());
        int pos = Doc()->documentLayout()->hitTest(d, Qt::FuzzyHit);
        for (int c : {pos - 1, pos}) {
            QTextBlock b = Doc()->findBlock(c);
            if (c < 0 || !b.isValid() || c - b.position() >= b.length() - 1)
                continue;
            QTextLayout* layout = b.layout();
            int rel = c - b.position();
            QTextLine line = layout->lineForTextPosition(rel);
            if (!line.isValid())
                continue;
            QPointF o = layout->position();
            qreal x1 = o.x() + line.cursorToX(rel), x2 = o.x() + line.cursorToX(rel + 1);
            qreal top = o.y() + line.y();
            if (d.y() >= top && d.y() < top + line.height() && d.x() >= std::min(x1, x2) &&
                d.x() < std::max(x1, x2))
                return c;
        }
        return -1;
    }
    const std::pair<int, int>* LinkAt(QPoint client) const {
        if (links.empty())
            return nullptr;
        int c = CharAt(client);
        for (auto& l : links)
            if (c >= l.first && c < l.second)
                return &l;
        return nullptr;
    }
    // A mouse message over a link goes to the parent first; a non-zero answer keeps it from
    // the control.
    bool LinkMessage(UINT msg, WPARAM wp, LPARAM lp) {
        QPoint pt((short)LOWORD(lp), (short)HIWORD(lp));
        const std::pair<int, int>* link = LinkAt(pt);
        if (msg == WM_MOUSEMOVE)
            edit->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::IBeamCursor);
        if (!link || !(eventMask & ENM_LINK))
            return false;
        ENLINK nm{};
        nm.msg = msg;
        nm.wParam = wp;
        nm.lParam = lp;
        nm.chrg = {link->first, link->second};
        return AfxSendNotify(wnd, &nm.nmhdr, EN_LINK) != 0;
    }

    // A press in the selection bar selects the line beside it, a double click its paragraph.
    bool SelectionBarClick(UINT msg, LPARAM lp) {
        QWidget* vp = edit->viewport();
        QPoint client((short)LOWORD(lp), (short)HIWORD(lp));
        if (!selectionBar || client.x() >= vp->geometry().left() ||
            (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK))
            return false;
        QPointF d(0, vp->mapFrom(edit, client).y() + edit->verticalScrollBar()->value());
        int pos = std::clamp(Doc()->documentLayout()->hitTest(d, Qt::FuzzyHit), 0, End());
        QTextBlock b = Doc()->findBlock(pos);
        int from = b.position(), to = b.position() + b.length();
        if (msg == WM_LBUTTONDOWN && b.layout() && b.layout()->lineCount() > 0) {
            QTextLine line = b.layout()->lineForTextPosition(pos - b.position());
            if (line.isValid()) {
                from = b.position() + line.textStart();
                // The paragraph's last line takes its end with it.
                if (line.lineNumber() < b.layout()->lineCount() - 1)
                    to = from + line.textLength();
            }
        }
        Op op(this);
        SetSel(from, std::min(to, End()));
        return true;
    }

    // ---- Rich text in and out ----

    RichParagraph ParagraphOf(const QTextBlock& b) const {
        RichParagraph p;
        QTextBlockFormat f = b.blockFormat();
        Qt::Alignment al = f.alignment() & Qt::AlignHorizontal_Mask;
        p.align = al & Qt::AlignJustify   ? RichAlignJustify
                  : al & Qt::AlignHCenter ? RichAlignCenter
                  : al & Qt::AlignRight   ? RichAlignRight
                                          : RichAlignLeft;
        p.leftIndentTwips = f.intProperty(kLeftTwips);
        p.firstIndentTwips = f.intProperty(kFirstTwips);
        p.rightIndentTwips = f.intProperty(kRightTwips);
        p.bullet = b.textList() != nullptr;
        return p;
    }
    // The screen's resolution is asked once per call: asking costs a walk over the screens, which
    // a page of many thousand paragraphs would pay for each of them.
    double Pixels(int twips, int dpi = 0) const {
        return twips * (dpi ? dpi : edit->logicalDpiX()) / 1440.0;
    }
    // The block format of a paragraph, keeping what else the block had (its list).
    QTextBlockFormat BlockFormat(const RichParagraph& p, QTextBlockFormat f = {}, int dpi = 0) const {
        if (!dpi)
            dpi = edit->logicalDpiX();
        f.setAlignment(p.align == RichAlignRight     ? Qt::AlignRight
                       : p.align == RichAlignCenter  ? Qt::AlignHCenter
                       : p.align == RichAlignJustify ? Qt::AlignJustify
                                                     : Qt::AlignLeft);
        f.setLeftMargin(Pixels(p.leftIndentTwips, dpi));
        f.setTextIndent(Pixels(p.firstIndentTwips, dpi));
        f.setRightMargin(Pixels(p.rightIndentTwips, dpi));
        f.setProperty(kLeftTwips, p.leftIndentTwips);
        f.setProperty(kFirstTwips, p.firstIndentTwips);
        f.setProperty(kRightTwips, p.rightIndentTwips);
        return f;
    }
    void SetBullet(const QTextBlock& b, bool on) {
        QTextList* list = b.textList();
        if (on && !list) {
            QTextBlock prev = b.previous();
            if (prev.isValid() && prev.textList()) {
                prev.textList()->add(b);
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                QTextCursor(b).createList(lf);
            }
        } else if (!on && list) {
            list->remove(b);
            QTextCursor c(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(0);
            c.setBlockFormat(f);
        }
    }
    void SetParagraph(const QTextBlock& b, const RichParagraph& p) {
        QTextCursor c(b);
        c.setBlockFormat(BlockFormat(p, b.blockFormat()));
        SetBullet(b, p.bullet);
    }

    RichTextDoc RichOf(int from, int to) const {
        RichTextDoc d;
        // Fragments share a few formats; each is converted once, by its index in the document.
        std::unordered_map<int, RichCharFormat> converted;
        QTextBlock b = Doc()->findBlock(from);
        for (; b.isValid() && b.position() <= to; b = b.next()) {
            d.paragraphs.push_back(ParagraphOf(b));
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                QTextFragment fr = it.fragment();
                int s = std::max(from, fr.position()),
                    e = std::min(to, fr.position() + fr.length());
                if (s >= e)
                    continue;
                QString t = fr.text().mid(s - fr.position(), e - s);
                t.remove(QChar::ObjectReplacementCharacter);
                auto known = converted.find(fr.charFormatIndex());
                if (known == converted.end())
                    known =
                        converted.emplace(fr.charFormatIndex(), FromQt(fr.charFormat(), defaults))
                            .first;
                const RichCharFormat& f = known->second;
                // A line break inside a paragraph starts a new one with the same settings.
                QStringList parts = t.split(QChar::LineSeparator);
                for (int i = 0; i < parts.size(); ++i) {
                    if (i)
                        d.paragraphs.push_back(d.paragraphs.back()),
                            d.paragraphs.back().runs.clear();
                    if (!parts[i].isEmpty())
                        d.paragraphs.back().runs.push_back({AfxFromQt(parts[i]), f});
                }
            }
        }
        if (d.paragraphs.empty())
            d.paragraphs.emplace_back();
        d.Normalize();
        return d;
    }
    // Tells a long read's progress how far it has come, every so many paragraphs.
    class ReadPacer {
    public:
        static constexpr size_t kEvery = 2048;
        ReadPacer(CIRichEditReadProgress* progress, size_t total, HWND hWnd)
            : m_progress(progress), m_total(total), m_hWnd(hWnd) {}
        // False once the read is to stop, or the control went while the progress was served.
        bool GoOn(size_t done) {
            if (m_progress == nullptr || done < m_next)
                return true;
            m_next = done + kEvery;
            return m_progress->OnReadProgress(done, m_total) && IsWindow(m_hWnd);
        }

    private:
        CIRichEditReadProgress* m_progress;
        size_t m_total;
        HWND m_hWnd;
        size_t m_next = kEvery;
    };

    // Puts rich text at the cursor, in place of its selection. With whole, the first paragraph's
    // settings go to the block the text starts in as well.
    // A new paragraph takes its settings and mark with insertBlock; only a bullet needs more.
    // Runs mostly repeat a few formats, so the formats converted last are kept.
    // False when the pacer stopped it midway.
    bool InsertRich(QTextCursor& c, const RichTextDoc& d, bool whole, ReadPacer* pacer = nullptr) {
        c.removeSelectedText();
        const int dpi = edit->logicalDpiX();
        std::vector<std::pair<const RichCharFormat*, QTextCharFormat>> converted;
        size_t next = 0;
        auto qtFormat = [&](const RichCharFormat& f) -> const QTextCharFormat& {
            for (auto& known : converted)
                if (*known.first == f)
                    return known.second;
            constexpr size_t kKept = 16;
            if (converted.size() < kKept) {
                converted.emplace_back(&f, ToQt(f));
                return converted.back().second;
            }
            auto& slot = converted[next++ % kKept];
            slot = {&f, ToQt(f)};
            return slot.second;
        };
        // Whether paragraph i can follow paragraph i - 1 as a line of the same text: one run in
        // the format given, and the block format paragraph i - 1 was given (not the first one,
        // which takes the format of the paragraph it goes into, and no bullet, which joins a list).
        auto continues = [&](size_t i, const RichCharFormat& f) {
            if (i < 2)
                return false;
            const RichParagraph& p = d.paragraphs[i];
            const RichParagraph& before = d.paragraphs[i - 1];
            return p.runs.size() == 1 && p.runs[0].format == f && !p.bullet &&
                   !before.bullet && p.align == before.align &&
                   p.leftIndentTwips == before.leftIndentTwips &&
                   p.firstIndentTwips == before.firstIndentTwips &&
                   p.rightIndentTwips == before.rightIndentTwips;
        };
        for (size_t i = 0; i < d.paragraphs.size(); ++i) {
            if (pacer != nullptr && !pacer->GoOn(i))
                return false;
            const RichParagraph& p = d.paragraphs[i];
            if (p.runs.size() == 1 && continues(i, p.runs[0].format)) {
                // A stretch of such paragraphs goes in as one text, a line for each: the cursor
                // makes a block of the format before at each line's end, as one block at a time
                // would, at a fraction of the cost for a long list of short lines. A long stretch
                // goes in as several, so that a read's progress hears of it.
                const RichCharFormat& f = p.runs[0].format;
                CString lines;
                size_t j = i;
                for (; j < d.paragraphs.size() && j - i < ReadPacer::kEvery && continues(j, f);
                     ++j) {
                    lines += '\n';
                    lines += d.paragraphs[j].runs[0].text;
                }
                c.insertText(AfxToQt(lines), qtFormat(f));
                i = j - 1;
                continue;
            }
            QTextCharFormat mark = p.runs.empty() ? (i ? c.charFormat() : c.blockCharFormat())
                                                  : qtFormat(p.runs.back().format);
            if (i) {
                c.insertBlock(BlockFormat(p, {}, dpi), mark);
                if (p.bullet)
                    SetBullet(c.block(), true);
            } else if (whole) {
                SetParagraph(c.block(), p);
                c.setBlockCharFormat(mark);
            }
            for (const RichRun& r : p.runs)
                c.insertText(AfxToQt(r.text), qtFormat(r.format));
        }
        return true;
    }
    bool InsertPlain(QTextCursor& c, const QString& text, const QTextCharFormat& f,
                     ReadPacer* pacer = nullptr) {
        c.removeSelectedText();
        QStringList lines = text.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            if (pacer != nullptr && !pacer->GoOn((size_t)i))
                return false;
            if (i)
                c.insertBlock(c.blockFormat(), f);
            c.insertText(lines[i], f);
        }
        return true;
    }
    // Empties the control (or a document made for it) down to one paragraph in the default
    // format.
    QTextCursor Cleared(QTextDocument* doc = nullptr) {
        QTextCursor c(doc != nullptr ? doc : Doc());
        c.select(QTextCursor::Document);
        c.removeSelectedText();
        SetParagraph(c.block(), RichParagraph{});
        c.setBlockFormat(BlockFormat(RichParagraph{}));
        c.setBlockCharFormat(ToQt(defaults, true));
        c.setCharFormat(ToQt(defaults, true));
        return c;
    }
    void SetCaret(int pos) {
        QTextCursor c(Doc());
        c.setPosition(std::clamp(pos, 0, End()));
        edit->setTextCursor(c);
        if (pos == 0 && End() == 0)
            edit->setCurrentCharFormat(ToQt(defaults, true));
    }

    QTextCharFormat InsertionFormat() const { return edit->currentCharFormat(); }

    // ---- Character formats ----

    // Applies the fields of a format to the characters from..to (one undo step).
    void ApplyChars(int from, int to, const CHARFORMAT2& cf, bool cf2) {
        QTextCursor c(Doc());
        c.beginEditBlock();
        QTextBlock b = Doc()->findBlock(from);
        for (; b.isValid() && b.position() <= to; b = b.next()) {
            std::vector<std::pair<int, int>> pieces;
            std::vector<QTextCharFormat> formats;
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                QTextFragment fr = it.fragment();
                int s = std::max(from, fr.position()),
                    e = std::min(to, fr.position() + fr.length());
                if (s < e) {
                    pieces.push_back({s, e});
                    formats.push_back(fr.charFormat());
                }
            }
            for (size_t i = 0; i < pieces.size(); ++i) {
                RichCharFormat f = FromQt(formats[i], defaults);
                MergeCharFormat(f, cf, cf2);
                c.setPosition(pieces[i].first);
                c.setPosition(pieces[i].second, QTextCursor::KeepAnchor);
                c.setCharFormat(ToQt(f));
            }
        }
        c.endEditBlock();
    }
    BOOL SetCharFormat(WPARAM scf, const CHARFORMAT2* cf) {
        if (!cf || (cf->cbSize != sizeof(CHARFORMAT) && cf->cbSize != sizeof(CHARFORMAT2)))
            return FALSE;
        bool cf2 = cf->cbSize == sizeof(CHARFORMAT2);
        if (scf == SCF_DEFAULT) {
            MergeCharFormat(defaults, *cf, cf2);
            ApplyDefaults();
            return TRUE;
        }
        Op op(this, true);
        int from, to;
        if (scf & SCF_ALL) {
            from = 0;
            to = End();
        } else {
            CHARRANGE s = Sel();
            from = s.cpMin;
            to = s.cpMax;
            if (from == to && (scf & SCF_WORD)) {
                QTextCursor w = edit->textCursor();
                w.select(QTextCursor::WordUnderCursor);
                from = w.selectionStart();
                to = w.selectionEnd();
            }
        }
        if (from < to)
            ApplyChars(from, to, *cf, cf2);
        // The caret's format: what typing there will produce.
        if (from == to || (scf & SCF_ALL)) {
            RichCharFormat f = FromQt(InsertionFormat(), defaults);
            MergeCharFormat(f, *cf, cf2);
            edit->setCurrentCharFormat(ToQt(f));
        }
        return TRUE;
    }
    // Text in the default format takes the default's new fields; other text keeps its own.
    void ApplyDefaults() {
        Quiet q(this);
        QTextCharFormat def = ToQt(defaults, true);
        QTextCursor c(Doc());
        c.beginEditBlock();
        for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
            if (b.charFormat().boolProperty(kUsesDefault)) {
                QTextCursor bc(b);
                bc.setBlockCharFormat(def);
            }
            std::vector<std::pair<int, int>> pieces;
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().boolProperty(kUsesDefault))
                    pieces.push_back({it.fragment().position(),
                                      it.fragment().position() + it.fragment().length()});
            for (auto& [s, e] : pieces) {
                c.setPosition(s);
                c.setPosition(e, QTextCursor::KeepAnchor);
                c.setCharFormat(def);
            }
        }
        c.endEditBlock();
        if (edit->currentCharFormat().boolProperty(kUsesDefault))
            edit->setCurrentCharFormat(def);
    }
    DWORD GetCharFormat(WPARAM scf, CHARFORMAT2* cf) const {
        if (!cf || (cf->cbSize != sizeof(CHARFORMAT) && cf->cbSize != sizeof(CHARFORMAT2)))
            return 0;
        bool cf2 = cf->cbSize == sizeof(CHARFORMAT2);
        if (scf == SCF_DEFAULT) {
            FillCharFormat(defaults, *cf, cf2);
            return cf->dwMask;
        }
        CHARRANGE s = Sel();
        if (s.cpMin == s.cpMax) {
            FillCharFormat(FromQt(InsertionFormat(), defaults), *cf, cf2);
            return cf->dwMask;
        }
        RichTextDoc d = RichOf(s.cpMin, s.cpMax);
        const RichCharFormat* first = nullptr;
        DWORD differ = 0;
        for (auto& p : d.paragraphs)
            for (auto& r : p.runs) {
                if (!first)
                    first = &r.format;
                else
                    differ |= CharDifference(*first, r.format);
            }
        FillCharFormat(first ? *first : FromQt(InsertionFormat(), defaults), *cf, cf2);
        cf->dwMask &= ~differ;
        return cf->dwMask;
    }

    // ---- Paragraph formats ----

    std::vector<QTextBlock> SelectedBlocks() const {
        CHARRANGE s = Sel();
        std::vector<QTextBlock> out;
        for (QTextBlock b = Doc()->findBlock(s.cpMin); b.isValid(); b = b.next()) {
            if (b.position() > s.cpMax || (b.position() == s.cpMax && !out.empty()))
                break;
            out.push_back(b);
        }
        return out;
    }
    BOOL SetParaFormat(const PARAFORMAT* pf) {
        if (!pf || pf->cbSize < sizeof(PARAFORMAT))
            return FALSE;
        Op op(this, true);
        QTextCursor c(Doc());
        c.beginEditBlock();
        for (const QTextBlock& b : SelectedBlocks()) {
            RichParagraph p = ParagraphOf(b);
            int start = p.leftIndentTwips + p.firstIndentTwips, offset = -p.firstIndentTwips;
            if (pf->dwMask & PFM_STARTINDENT)
                start = pf->dxStartIndent;
            else if (pf->dwMask & PFM_OFFSETINDENT)
                start += pf->dxStartIndent;
            if (pf->dwMask & PFM_OFFSET)
                offset = pf->dxOffset;
            p.leftIndentTwips = std::clamp(start + offset, -100000, 100000);
            p.firstIndentTwips = std::clamp(-offset, -100000, 100000);
            if (pf->dwMask & PFM_RIGHTINDENT)
                p.rightIndentTwips = std::clamp((int)pf->dxRightIndent, -100000, 100000);
            if ((pf->dwMask & PFM_ALIGNMENT) && pf->wAlignment >= PFA_LEFT &&
                pf->wAlignment <= PFA_JUSTIFY)
                p.align = pf->wAlignment;
            if (pf->dwMask & PFM_NUMBERING)
                p.bullet = pf->wNumbering == PFN_BULLET;
            SetParagraph(b, p);
        }
        c.endEditBlock();
        return TRUE;
    }
    DWORD GetParaFormat(PARAFORMAT* pf) const {
        if (!pf || pf->cbSize < sizeof(PARAFORMAT))
            return 0;
        std::vector<QTextBlock> blocks = SelectedBlocks();
        RichParagraph first = blocks.empty() ? RichParagraph{} : ParagraphOf(blocks[0]);
        DWORD differ = 0;
        for (size_t i = 1; i < blocks.size(); ++i)
            differ |= ParaDifference(first, ParagraphOf(blocks[i]));
        pf->dwMask = (PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT |
                      PFM_NUMBERING | PFM_TABSTOPS) &
                     ~differ;
        pf->wNumbering = first.bullet ? PFN_BULLET : 0;
        pf->dxStartIndent = first.leftIndentTwips + first.firstIndentTwips;
        pf->dxOffset = -first.firstIndentTwips;
        pf->dxRightIndent = first.rightIndentTwips;
        pf->wAlignment = (WORD)first.align;
        pf->cTabCount = 0;
        return pf->dwMask;
    }

    // ---- Streaming ----

    LRESULT StreamIn(WPARAM format, EDITSTREAM* es, CIRichEditReadProgress* progress = nullptr) {
        if (!es || !es->pfnCallback)
            return 0;
        es->dwError = 0;
        std::string data;
        char buf[4096];
        for (;;) {
            LONG got = 0;
            DWORD err = es->pfnCallback(es->dwCookie, reinterpret_cast<LPBYTE>(buf),
                                        (LONG)sizeof buf, &got);
            if (err) {
                es->dwError = err;
                break;
            }
            if (got <= 0)
                break;
            data.append(buf, (size_t)std::min<LONG>(got, (LONG)sizeof buf));
        }
        // A source that failed before giving anything leaves the content as it was.
        if (es->dwError && data.empty())
            return 0;
        bool rtf = (format & SF_RTF) && RtfHasHeader(data.data(), data.size());
        if (rtf)
            data.erase(0, data.find('{'));
        bool selection = format & SFF_SELECTION;
        Op op(this);
        if (progress != nullptr && !selection)
            return StreamInApart(rtf, data, es, progress);
        // Content replaced whole starts with no undo history, so none is recorded on the way.
        const bool undo = Doc()->isUndoRedoEnabled();
        if (!selection)
            Doc()->setUndoRedoEnabled(false);
        QTextCursor c = selection ? edit->textCursor() : Cleared();
        c.beginEditBlock();
        if (rtf)
            InsertRich(c, RtfRead(data.data(), data.size()), !selection);
        else
            InsertPlain(c, ProgramText(CString(data.data(), (int)data.size())),
                        selection ? InsertionFormat() : ToQt(defaults, true));
        c.endEditBlock();
        if (selection) {
            edit->setTextCursor(c);
        } else {
            Doc()->setUndoRedoEnabled(undo);
            SetCaret(0);
        }
        return (LRESULT)data.size();
    }
    // Reads the whole content into a document of its own, telling the progress how it goes, and
    // puts that document in the old one's place once it is complete. The old document shows
    // meanwhile; a stopped read drops the new one.
    LRESULT StreamInApart(bool rtf, const std::string& data, EDITSTREAM* es,
                          CIRichEditReadProgress* progress) {
        const HWND h = wnd->m_hWnd;
        QTextDocument* old = Doc();
        auto doc = std::make_unique<QTextDocument>();
        doc->setUndoRedoEnabled(false);
        doc->setDefaultFont(old->defaultFont());
        doc->setDefaultTextOption(old->defaultTextOption());
        doc->setDocumentMargin(old->documentMargin());
        doc->setIndentWidth(old->indentWidth());
        doc->setUseDesignMetrics(old->useDesignMetrics());
        doc->setDefaultStyleSheet(old->defaultStyleSheet());
        QTextCursor c = Cleared(doc.get());
        // The paragraphs are told twice over: as they are read, then as they are laid out.
        bool complete;
        size_t paragraphs;
        if (rtf) {
            RichTextDoc d = RtfRead(data.data(), data.size());
            paragraphs = d.paragraphs.size();
            ReadPacer pacer(progress, 2 * paragraphs, h);
            complete = InsertRich(c, d, true, &pacer);
        } else {
            QString text = ProgramText(CString(data.data(), (int)data.size()));
            paragraphs = (size_t)text.count(u'\n') + 1;
            ReadPacer pacer(progress, 2 * paragraphs, h);
            complete = InsertPlain(c, text, ToQt(defaults, true), &pacer);
        }
        if (!complete) {
            es->dwError = kRichEditReadStopped;
            return 0;
        }
        QPointer<QTextDocument> replaced(Doc());
        const bool undo = replaced->isUndoRedoEnabled();
        doc->setParent(edit);
        edit->setDocument(doc.release());
        if (replaced && replaced->parent() == edit)
            replaced->deleteLater();
        Doc()->setUndoRedoEnabled(undo);
        ConnectDocument();
        modified = true;
        pendingChange = true;
        FindLinks();
        SetCaret(0);
        // The new document is laid out here, in steps the progress hears of, rather than later
        // from a timer; the text is in, so the read no longer stops.
        for (int laid = SteppedLayout::Step(Doc()); laid < Doc()->blockCount();
             laid = SteppedLayout::Step(Doc())) {
            progress->OnReadProgress(std::min(paragraphs + (size_t)laid, 2 * paragraphs),
                                     2 * paragraphs);
            if (!IsWindow(h))
                break;
        }
        return (LRESULT)data.size();
    }
    CString Content(WPARAM format) const {
        CHARRANGE s = (format & SFF_SELECTION) ? Sel() : CHARRANGE{0, End()};
        if ((format & 0xFF) == SF_TEXT)
            return TextRange(s.cpMin, s.cpMax);
        return RtfWrite(RichOf(s.cpMin, s.cpMax));
    }
    LRESULT StreamOut(WPARAM format, EDITSTREAM* es) {
        if (!es || !es->pfnCallback)
            return 0;
        es->dwError = 0;
        CString out = Content(format);
        const char* p = out.GetString();
        LONG left = out.GetLength(), done = 0;
        while (left > 0) {
            LONG n = std::min<LONG>(left, 4096), wrote = 0;
            std::string chunk(p + done, (size_t)n);
            DWORD err =
                es->pfnCallback(es->dwCookie, reinterpret_cast<LPBYTE>(chunk.data()), n, &wrote);
            if (err) {
                es->dwError = err;
                break;
            }
            if (wrote <= 0)
                break;
            wrote = std::min(wrote, n);
            done += wrote;
            left -= wrote;
        }
        return done;
    }

    // ---- Text ----

    // The characters of the whole text as the program's text holds them: a paragraph or line
    // end is one, an embedded object none, a character beyond the basic plane one.
    long CharacterCount() const {
        const QString raw = Doc()->toRawText();
        long n = (long)raw.size();
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == QChar::ObjectReplacementCharacter) {
                --n;
            } else if (raw[i].isHighSurrogate() && i + 1 < raw.size() &&
                       raw[i + 1].isLowSurrogate()) {
                --n;
                ++i;
            }
        }
        return n;
    }
    CString TextRange(int from, int to) const {
        int end = End();
        from = std::clamp(from, 0, end);
        to = to < 0 ? end : std::clamp(to, 0, end);
        if (to <= from)
            return CString();
        QTextCursor c(Doc());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        return GbkText(c.selectedText());
    }
    LRESULT CopyText(const CString& s, LPSTR buf) const {
        if (!buf)
            return 0;
        std::memcpy(buf, s.GetString(), (size_t)s.GetLength() + 1);
        return s.GetLength();
    }
    void SetSel(LONG from, LONG to) {
        QTextCursor c = edit->textCursor();
        if (from < 0) {
            c.clearSelection();
        } else {
            int end = End();
            if (to < 0)
                to = end;
            c.setPosition(std::clamp((int)from, 0, end));
            c.setPosition(std::clamp((int)to, 0, end), QTextCursor::KeepAnchor);
        }
        edit->setTextCursor(c);
    }
    void SetReadOnly(bool on) {
        edit->setReadOnly(on);
        // Read-only text can still be selected and copied from the keyboard.
        edit->setTextInteractionFlags(on ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                         : Qt::TextEditorInteraction);
        DWORD& st = wnd->m_p->style;
        st = on ? (st | ES_READONLY) : (st & ~ES_READONLY);
    }
    bool ReadOnly() const { return edit->isReadOnly(); }

    // ---- Lines, as laid out ----

    // Calls fn(block, line, number) for every line until it answers true; lines of a block not
    // laid out yet count as one.
    template <class Fn> bool ForLines(Fn fn) const {
        int n = 0;
        for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
            QTextLayout* l = b.layout();
            int count = l ? l->lineCount() : 0;
            if (count == 0) {
                if (fn(b, QTextLine(), n++))
                    return true;
                continue;
            }
            for (int i = 0; i < count; ++i)
                if (fn(b, l->lineAt(i), n++))
                    return true;
        }
        return false;
    }
    int LineCount() const {
        int n = 0;
        ForLines([&](const QTextBlock&, const QTextLine&, int) {
            ++n;
            return false;
        });
        return n;
    }
    int LineStart(int line) const {
        if (line < 0)
            line = LineFromChar(-1);
        int start = -1;
        ForLines([&](const QTextBlock& b, const QTextLine& l, int n) {
            if (n != line)
                return false;
            start = b.position() + (l.isValid() ? l.textStart() : 0);
            return true;
        });
        return start;
    }
    int LineFromChar(int ch) const {
        if (ch < 0)
            ch = Sel().cpMin;
        ch = std::clamp(ch, 0, End());
        int found = 0;
        ForLines([&](const QTextBlock& b, const QTextLine& l, int n) {
            int start = b.position() + (l.isValid() ? l.textStart() : 0);
            int len = l.isValid() ? l.textLength() : b.length() - 1;
            bool lastOfBlock = !l.isValid() || l.lineNumber() == b.layout()->lineCount() - 1;
            if (ch >= start && (ch < start + len || (lastOfBlock && ch <= start + len))) {
                found = n;
                return true;
            }
            return false;
        });
        return found;
    }
    // The line's text without its paragraph end.
    CString LineText(int line) const {
        CString text;
        ForLines([&](const QTextBlock& b, const QTextLine& l, int n) {
            if (n != line)
                return false;
            QString t = b.text();
            text = AfxFromQt(l.isValid() ? t.mid(l.textStart(), l.textLength()) : t);
            return true;
        });
        return text;
    }
    QPoint CharPoint(int ch) const {
        QTextCursor c(Doc());
        c.setPosition(std::clamp(ch, 0, End()));
        QRect r = edit->cursorRect(c);
        return edit->viewport()->mapTo(edit, r.topLeft());
    }

    // ---- Messages ----

    LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

// ---- The widget's input, one operation each ----

void RichEditWidget::keyPressEvent(QKeyEvent* e) {
    RichEditAdapter* ad = *a;
    if (!ad) {
        QTextEdit::keyPressEvent(e);
        return;
    }
    RichEditAdapter::Op op(ad);
    bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (ctrl && e->key() == Qt::Key_Y) {
        // Like typing, the user's redo does not reach a read-only text.
        if (!isReadOnly())
            redo();
        return;
    }
    bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && !(ad->wnd->GetStyle() & ES_MULTILINE)) {
        e->ignore();
        return;
    }
    QString text = e->text();
    if (!isReadOnly() && !ctrl && !text.isEmpty() && (text[0].isPrint() || enter)) {
        CHARRANGE s = ad->Sel();
        if (ad->End() - (s.cpMax - s.cpMin) + text.size() > ad->limit) {
            ad->Notify(EN_MAXTEXT);
            return;
        }
    }
    // A line break is a paragraph end here, as in the rest of the control.
    if (enter && (e->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(e->type(), e->key(), e->modifiers() & ~Qt::ShiftModifier, e->text());
        QTextEdit::keyPressEvent(&plain);
        return;
    }
    QTextEdit::keyPressEvent(e);
}

void RichEditWidget::inputMethodEvent(QInputMethodEvent* e) {
    RichEditAdapter* ad = *a;
    if (ad && !e->commitString().isEmpty()) {
        CHARRANGE s = ad->Sel();
        if (ad->End() - (s.cpMax - s.cpMin) + e->commitString().size() > ad->limit) {
            HWND h = ad->wnd->m_hWnd;
            ad->Notify(EN_MAXTEXT);
            // The parent may have closed the control (and its state) meanwhile.
            if (!IsWindow(h))
                return;
            e->setCommitString(QString());
        }
    }
    if (!ad) {
        QTextEdit::inputMethodEvent(e);
        return;
    }
    RichEditAdapter::Op op(ad);
    QTextEdit::inputMethodEvent(e);
}

#define RICH_OP_EVENT(Name, Type)                                                                  \
    void RichEditWidget::Name(Type* e) {                                                           \
        if (!*a) {                                                                                 \
            QTextEdit::Name(e);                                                                    \
            return;                                                                                \
        }                                                                                          \
        RichEditAdapter::Op op(*a);                                                                \
        QTextEdit::Name(e);                                                                        \
    }
void RichEditWidget::mousePressEvent(QMouseEvent* e) {
    if (!*a) {
        QTextEdit::mousePressEvent(e);
        return;
    }
    RichEditAdapter::Op op(*a);
    if (e->button() == Qt::RightButton) {
        // A right click inside the selection keeps it for the context menu; elsewhere the caret
        // goes to the click first, so the menu acts where the user pointed.
        QTextCursor c = textCursor();
        const int at = cursorForPosition(e->position().toPoint()).position();
        if (!c.hasSelection() || at < c.selectionStart() || at > c.selectionEnd()) {
            c.setPosition(at);
            setTextCursor(c);
        }
    }
    QTextEdit::mousePressEvent(e);
}
RICH_OP_EVENT(mouseMoveEvent, QMouseEvent)
RICH_OP_EVENT(mouseReleaseEvent, QMouseEvent)
RICH_OP_EVENT(mouseDoubleClickEvent, QMouseEvent)
RICH_OP_EVENT(dropEvent, QDropEvent)
#undef RICH_OP_EVENT

QMimeData* RichEditWidget::createMimeDataFromSelection() const {
    auto* m = new QMimeData;
    RichEditAdapter* ad = *a;
    QTextCursor c = textCursor();
    QString plain = c.selectedText();
    plain.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    m->setText(plain);
    if (ad) {
        CString rtf = RtfWrite(ad->RichOf(c.selectionStart(), c.selectionEnd()));
        m->setData(kRtfMime, QByteArray(rtf.GetString(), rtf.GetLength()));
    }
    return m;
}

bool RichEditWidget::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(kRtfMime) || source->hasText();
}

// Pasted or dropped data: RTF when it comes with any, else its text in the caret's format; what
// goes past the text limit is left out.
void RichEditWidget::insertFromMimeData(const QMimeData* source) {
    RichEditAdapter* ad = *a;
    if (!ad || isReadOnly())
        return;
    RichEditAdapter::Op op(ad);
    CHARRANGE s = ad->Sel();
    long room = ad->limit - (ad->End() - (s.cpMax - s.cpMin));
    QTextCursor c = textCursor();
    c.beginEditBlock();
    QByteArray rtf = source->data(kRtfMime);
    if (!rtf.isEmpty()) {
        RichTextDoc d = RtfRead(rtf.constData(), (size_t)rtf.size());
        long length = (long)d.paragraphs.size() - 1;
        for (auto& p : d.paragraphs)
            length += AfxToQt(p.Text()).size();
        if (length <= room)
            ad->InsertRich(c, d, false);
        else
            room = -1;
    } else {
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (text.size() > room)
            text = text.left(std::max(0L, room)), room = -1;
        ad->InsertPlain(c, text, currentCharFormat());
    }
    c.endEditBlock();
    setTextCursor(c);
    if (room < 0)
        ad->Notify(EN_MAXTEXT);
}

LRESULT RichEditAdapter::DefProc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    switch (msg) {
    // Text.
    case WM_SETTEXT: {
        Op op(this);
        QTextCursor c = Cleared();
        InsertPlain(c, ProgramText(lp ? CString(reinterpret_cast<const char*>(lp)) : CString()),
                    ToQt(defaults, true));
        Doc()->clearUndoRedoStacks();
        SetCaret(0);
        modified = false;
        return TRUE;
    }
    case WM_GETTEXTLENGTH:
        return TextRange(0, -1).GetLength();
    case WM_GETTEXT: {
        return AfxCopyTextOut(TextRange(0, -1), reinterpret_cast<char*>(lp), wp);
    }
    case EM_GETTEXTLENGTHEX: {
        auto* g = reinterpret_cast<GETTEXTLENGTHEX*>(wp);
        DWORD flags = g ? g->flags : GTL_DEFAULT;
        // Asked on every idle update of a view's commands: counted on the document's own text,
        // never by converting the whole of a long page.
        if (!(flags & (GTL_USECRLF | GTL_NUMBYTES)))
            return CharacterCount();
        CString s = TextRange(0, -1);
        if (!(flags & GTL_USECRLF))
            s.Replace("\r\n", "\r");
        if (flags & GTL_NUMBYTES)
            return s.GetLength();
        return AfxToQt(s).size();
    }
    case EM_GETTEXTRANGE: {
        auto* tr = reinterpret_cast<TEXTRANGE*>(lp);
        return tr ? CopyText(TextRange(tr->chrg.cpMin, tr->chrg.cpMax), tr->lpstrText) : 0;
    }
    case EM_GETSELTEXT: {
        CHARRANGE s = Sel();
        return CopyText(TextRange(s.cpMin, s.cpMax), reinterpret_cast<LPSTR>(lp));
    }
    case EM_REPLACESEL: {
        Op op(this);
        QTextCursor c = edit->textCursor();
        c.beginEditBlock();
        InsertPlain(c, ProgramText(lp ? CString(reinterpret_cast<const char*>(lp)) : CString()),
                    InsertionFormat());
        c.endEditBlock();
        edit->setTextCursor(c);
        // A replacement that cannot be undone leaves nothing earlier to undo either.
        if (!wp)
            Doc()->clearUndoRedoStacks();
        return 0;
    }

    // Selection.
    case EM_GETSEL: {
        CHARRANGE s = Sel();
        if (wp)
            *reinterpret_cast<DWORD*>(wp) = (DWORD)s.cpMin;
        if (lp)
            *reinterpret_cast<DWORD*>(lp) = (DWORD)s.cpMax;
        return MAKELONG(std::min<LONG>(s.cpMin, 0xFFFF), std::min<LONG>(s.cpMax, 0xFFFF));
    }
    case EM_EXGETSEL:
        if (lp)
            *reinterpret_cast<CHARRANGE*>(lp) = Sel();
        return 0;
    case EM_SETSEL: {
        Op op(this);
        SetSel((LONG)(int)wp, (LONG)(int)lp);
        return 0;
    }
    case EM_EXSETSEL: {
        Op op(this);
        if (auto* r = reinterpret_cast<CHARRANGE*>(lp))
            SetSel(r->cpMin, r->cpMax);
        return Sel().cpMax;
    }
    case EM_SELECTIONTYPE: {
        CHARRANGE s = Sel();
        int n = s.cpMax - s.cpMin;
        return n == 0 ? SEL_EMPTY : n == 1 ? SEL_TEXT : (SEL_TEXT | SEL_MULTICHAR);
    }
    case EM_HIDESELECTION: {
        hideSelection = wp != 0;
        QPalette pal = edit->palette();
        QPalette base = edit->style()->standardPalette();
        pal.setColor(QPalette::Highlight,
                     hideSelection ? pal.color(QPalette::Base) : base.color(QPalette::Highlight));
        pal.setColor(QPalette::HighlightedText, hideSelection
                                                    ? pal.color(QPalette::Text)
                                                    : base.color(QPalette::HighlightedText));
        edit->setPalette(pal);
        return 0;
    }
    case EM_SCROLLCARET:
        edit->ensureCursorVisible();
        return 0;
    case EM_FINDTEXT:
    case EM_FINDTEXTEX: {
        auto* ft = reinterpret_cast<FINDTEXTEX*>(lp);
        if (!ft || !ft->lpstrText)
            return -1;
        QTextDocument::FindFlags flags;
        if (wp & FR_MATCHCASE)
            flags |= QTextDocument::FindCaseSensitively;
        if (wp & FR_WHOLEWORD)
            flags |= QTextDocument::FindWholeWords;
        bool down = wp & FR_DOWN;
        if (!down)
            flags |= QTextDocument::FindBackward;
        int from = std::clamp((int)ft->chrg.cpMin, 0, End());
        int limitPos =
            ft->chrg.cpMax < 0 ? (down ? End() : 0) : std::clamp((int)ft->chrg.cpMax, 0, End());
        QTextCursor hit = Doc()->find(AfxToQt(ft->lpstrText), from, flags);
        if (hit.isNull() || (down && hit.selectionEnd() > limitPos) ||
            (!down && hit.selectionStart() < limitPos))
            return -1;
        if (msg == EM_FINDTEXTEX)
            ft->chrgText = {hit.selectionStart(), hit.selectionEnd()};
        return hit.selectionStart();
    }

    // Lines.
    case EM_GETLINECOUNT:
        return LineCount();
    case EM_LINEINDEX:
        return LineStart((int)wp);
    case EM_LINEFROMCHAR:
        return LineFromChar((int)wp);
    case EM_EXLINEFROMCHAR:
        return LineFromChar((int)lp);
    case EM_LINELENGTH: {
        int line = LineFromChar((int)wp);
        return AfxToQt(LineText(line)).size();
    }
    case EM_GETLINE: {
        if (!lp)
            return 0;
        auto* buf = reinterpret_cast<char*>(lp);
        WORD room;
        std::memcpy(&room, buf, sizeof room);
        CString s = LineText((int)wp);
        int n = (int)GbkFitLength(s.GetString(), (size_t)s.GetLength(), room);
        std::memcpy(buf, s.GetString(), (size_t)n);
        return n;
    }
    case EM_GETFIRSTVISIBLELINE: {
        QTextCursor c = edit->cursorForPosition(QPoint(0, 0));
        return LineFromChar(c.position());
    }
    case EM_LINESCROLL: {
        int step = edit->fontMetrics().lineSpacing();
        edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->value() + (int)lp * step);
        return TRUE;
    }
    case EM_POSFROMCHAR: {
        // The rich edit's form names a point to fill and the character in lParam; the plain
        // edit's form gives the character in wParam and wants the point as the answer.
        if (wp < 0x10000 && !lp) {
            QPoint p = CharPoint((int)wp);
            return MAKELONG(p.x(), p.y());
        }
        QPoint p = CharPoint((int)lp);
        if (auto* pt = reinterpret_cast<POINT*>(wp))
            *pt = {p.x(), p.y()};
        return 0;
    }
    case EM_CHARFROMPOS: {
        auto* pt = reinterpret_cast<POINT*>(lp);
        if (!pt)
            return -1;
        QPoint v = edit->viewport()->mapFrom(edit, QPoint(pt->x, pt->y));
        return edit->cursorForPosition(v).position();
    }

    // Formats.
    case EM_SETCHARFORMAT:
        return SetCharFormat(wp, reinterpret_cast<const CHARFORMAT2*>(lp));
    case EM_GETCHARFORMAT:
        return GetCharFormat(wp, reinterpret_cast<CHARFORMAT2*>(lp));
    case EM_SETPARAFORMAT:
        return SetParaFormat(reinterpret_cast<const PARAFORMAT*>(lp));
    case EM_GETPARAFORMAT:
        return GetParaFormat(reinterpret_cast<PARAFORMAT*>(lp));
    case WM_SETFONT: {
        // The font becomes the default character format.
        wnd->m_p->font = (HFONT)wp;
        LOGFONT lf{};
        CGdiObject* font = wp ? CGdiObject::FromHandle((HGDIOBJ)wp) : nullptr;
        if (font && font->GetObject(sizeof lf, &lf)) {
            RichCharFormat& d = defaults;
            d.face = FaceName(lf.lfFaceName);
            d.charset = lf.lfCharSet;
            // The height in pixels of the screen; the size in points follows from its dots
            // per inch.
            int pixels = std::abs((int)lf.lfHeight);
            if (pixels)
                d.sizeTwips = std::clamp(pixels * 1440 / std::max(1, edit->logicalDpiY()), 20,
                                         yHeightCharPtsMost * 20);
            d.bold = lf.lfWeight >= 600;
            d.italic = lf.lfItalic;
            d.underline = lf.lfUnderline;
            d.strike = lf.lfStrikeOut;
            ApplyDefaults();
        }
        return 0;
    }

    // Behaviour.
    case EM_SETREADONLY:
        SetReadOnly(wp != 0);
        return TRUE;
    case EM_SETEVENTMASK: {
        DWORD old = eventMask;
        eventMask = (DWORD)lp;
        return old;
    }
    case EM_GETEVENTMASK:
        return eventMask;
    case EM_SETBKGNDCOLOR: {
        COLORREF old = sysBackground ? GetSysColor(COLOR_WINDOW) : background;
        sysBackground = wp != 0;
        background = (COLORREF)lp & 0xFFFFFF;
        QColor c = QtColor(sysBackground ? GetSysColor(COLOR_WINDOW) : background);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, c);
        pal.setColor(QPalette::Window, c);
        edit->setPalette(pal);
        edit->setAutoFillBackground(true);
        return old;
    }
    case EM_SETTARGETDEVICE:
        if (lp == 1 && !wp) {
            edit->setLineWrapMode(QTextEdit::NoWrap);
        } else if (lp <= 0) {
            edit->setLineWrapMode(QTextEdit::WidgetWidth);
        } else {
            edit->setLineWrapMode(QTextEdit::FixedPixelWidth);
            edit->setLineWrapColumnOrWidth(
                std::max(1, (int)((long)lp * edit->logicalDpiX() / 1440)));
        }
        return TRUE;
    case EM_SETOPTIONS: {
        DWORD flags = (DWORD)lp, cur = options | (ReadOnly() ? ECO_READONLY : 0);
        switch (wp) {
        case ECOOP_SET:
            cur = flags;
            break;
        case ECOOP_OR:
            cur |= flags;
            break;
        case ECOOP_AND:
            cur &= flags;
            break;
        case ECOOP_XOR:
            cur ^= flags;
            break;
        default:
            break;
        }
        options = cur & ~ECO_READONLY;
        if (bool ro = cur & ECO_READONLY; ro != ReadOnly())
            SetReadOnly(ro);
        return cur;
    }
    case EM_GETOPTIONS:
        return options | (ReadOnly() ? ECO_READONLY : 0);
    case EM_SETLANGOPTIONS:
        langOptions = (DWORD)lp;
        return TRUE;
    case EM_GETLANGOPTIONS:
        return langOptions;
    case EM_SETWORDBREAKPROC:
        wordBreak = reinterpret_cast<EDITWORDBREAKPROC>(lp);
        return 0;
    case EM_GETWORDBREAKPROC:
        return reinterpret_cast<LRESULT>(wordBreak);
    case EM_AUTOURLDETECT:
        autoUrl = wp != 0;
        FindLinks();
        return 0;
    case EM_GETAUTOURLDETECT:
        return autoUrl;
    case EM_SETRECT:
    case EM_SETRECTNP: {
        QRect client = edit->rect();
        if (auto* r = reinterpret_cast<const RECT*>(lp))
            edit->SetMargins(std::max(0, (int)r->left) + selectionBar, std::max(0, (int)r->top),
                             std::max(0, client.width() - (int)r->right),
                             std::max(0, client.height() - (int)r->bottom));
        else
            edit->SetMargins(selectionBar, 0, 0, 0);
        return 0;
    }
    case EM_GETRECT: {
        if (auto* r = reinterpret_cast<RECT*>(lp)) {
            QMargins m = edit->Margins();
            *r = {m.left() - selectionBar, m.top(), edit->width() - m.right(),
                  edit->height() - m.bottom()};
        }
        return 0;
    }
    case EM_LIMITTEXT:
    case EM_EXLIMITTEXT: {
        long n = (long)(msg == EM_LIMITTEXT ? (LONG)wp : (LONG)lp);
        limit = n <= 0 ? 65535 : n;
        return 0;
    }
    case EM_GETLIMITTEXT:
        return limit;
    case EM_GETMODIFY:
        return modified;
    case EM_SETMODIFY:
        modified = wp != 0;
        return 0;

    // Editing.
    case EM_CANUNDO:
        return Doc()->isUndoAvailable();
    case EM_CANREDO:
        return Doc()->isRedoAvailable();
    case EM_UNDO:
    case WM_UNDO: {
        if (!Doc()->isUndoAvailable())
            return FALSE;
        Op op(this);
        edit->undo();
        return TRUE;
    }
    case EM_REDO: {
        if (!Doc()->isRedoAvailable())
            return FALSE;
        Op op(this);
        edit->redo();
        return TRUE;
    }
    case EM_EMPTYUNDOBUFFER:
        Doc()->clearUndoRedoStacks();
        return 0;
    case EM_SETUNDOLIMIT:
        undoLimit = std::max(0, (int)wp);
        Doc()->setUndoRedoEnabled(undoLimit > 0);
        return undoLimit;
    case EM_CANPASTE: {
        const QMimeData* m = QGuiApplication::clipboard()->mimeData();
        return m && (m->hasFormat(kRtfMime) || m->hasText());
    }
    case WM_COPY:
        edit->copy();
        return 0;
    case WM_CUT: {
        Op op(this);
        edit->cut();
        return 0;
    }
    case WM_PASTE: {
        Op op(this);
        edit->paste();
        return 0;
    }
    case WM_CLEAR: {
        if (ReadOnly())
            return 0;
        Op op(this);
        edit->textCursor().removeSelectedText();
        return 0;
    }
    case EM_STREAMIN:
        return StreamIn(wp, reinterpret_cast<EDITSTREAM*>(lp));
    case kStreamInWithProgress: {
        auto* read = reinterpret_cast<ReadWithProgress*>(lp);
        return StreamIn(wp, read->es, read->progress);
    }
    case EM_STREAMOUT:
        return StreamOut(wp, reinterpret_cast<EDITSTREAM*>(lp));

    // Input and focus.
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: {
        // A message the parent took over on a link does not reach the text, nor does one whose
        // link notice closed the control.
        HWND h = wnd->m_hWnd;
        handled = SelectionBarClick(msg, lp) || LinkMessage(msg, wp, lp) || !IsWindow(h);
        return 0;
    }
    case WM_SETCURSOR: {
        // Over a link the pointer is a hand, and the parent hears of it.
        handled = false;
        if ((HWND)wp != wnd->m_hWnd || LOWORD(lp) != HTCLIENT)
            return 0;
        DWORD pos = GetMessagePos();
        const std::pair<int, int>* link =
            LinkAt(edit->mapFromGlobal(QPoint((short)LOWORD(pos), (short)HIWORD(pos))));
        if (!link)
            return 0;
        handled = true;
        edit->viewport()->setCursor(Qt::PointingHandCursor);
        if (eventMask & ENM_LINK) {
            ENLINK nm{};
            nm.msg = msg;
            nm.wParam = wp;
            nm.lParam = lp;
            nm.chrg = {link->first, link->second};
            AfxSendNotify(wnd, &nm.nmhdr, EN_LINK);
        }
        return TRUE;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        HWND h = wnd->m_hWnd;
        Notify(msg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
        // A parent that closed the control on the notice leaves nothing more to do.
        handled = !IsWindow(h);
        return 0;
    }
    case WM_STYLECHANGED:
        handled = false;
        AfxApplyRichEditBars(edit, wnd->GetStyle(), wnd->GetExStyle());
        return 0;
    case WM_CONTEXTMENU:
        // The control has no menu of its own: the request goes on to its parent, whose menu
        // (a view's formatting commands) is the one the user meets.
        if ((wnd->GetStyle() & WS_CHILD) && wnd->GetParent() != nullptr)
            return wnd->GetParent()->SendMessage(msg, wp, lp);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
               ((wnd->m_p->style & ES_MULTILINE) && (wnd->m_p->style & ES_WANTRETURN)
                    ? DLGC_WANTMESSAGE
                    : 0);
    default:
        handled = false;
        return 0;
    }
}

} // namespace

QWidget* AfxCreateRichEditWidget(CWnd* pWnd, const CREATESTRUCT& cs, QWidget* parent) {
    // The widget reaches its control's state through a slot the state clears when it goes.
    auto* slot = new RichEditAdapter*(nullptr);
    auto* e = new RichEditWidget(parent, slot);
    QObject::connect(e, &QObject::destroyed, [slot] {
        if (*slot)
            (*slot)->self = nullptr;
        delete slot;
    });
    e->setAcceptRichText(true);
    e->setTabChangesFocus(false);
    bool multi = cs.style & ES_MULTILINE;
    e->setLineWrapMode(multi && !(cs.style & WS_HSCROLL) ? QTextEdit::WidgetWidth
                                                         : QTextEdit::NoWrap);
    AfxApplyRichEditBars(e, (DWORD)cs.style, (DWORD)cs.dwExStyle);
    e->document()->setDocumentMargin(1);
    auto adapter = std::make_unique<RichEditAdapter>(pWnd, e, slot);
    RichEditAdapter* a = adapter.get();
    pWnd->m_p->adapter = std::move(adapter);
    {
        RichEditAdapter::Quiet q(a);
        a->Cleared();
        a->SetCaret(0);
        a->Doc()->clearUndoRedoStacks();
    }
    a->Connect();
    if (cs.style & ES_READONLY)
        a->SetReadOnly(true);
    if (cs.style & ES_SELECTIONBAR) {
        a->selectionBar = 8;
        e->SetMargins(a->selectionBar, 0, 0, 0);
    }
    return e;
}

// ---- CRichEditCtrl ----

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("RichEdit20A", nullptr, dwStyle, rect, pParentWnd, nID);
}

QWidget* CRichEditCtrl::CreateWidget(const CREATESTRUCT& cs, QWidget* parent) {
    return AfxCreateRichEditWidget(this, cs, parent);
}

LRESULT CRichEditCtrl::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

void CRichEditCtrl::GetSel(CHARRANGE& cr) const {
    Send(EM_EXGETSEL, 0, (LPARAM)&cr);
}
void CRichEditCtrl::GetSel(long& nStartChar, long& nEndChar) const {
    CHARRANGE cr{0, 0};
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
}
void CRichEditCtrl::SetSel(long nStartChar, long nEndChar) {
    CHARRANGE cr{(LONG)nStartChar, (LONG)nEndChar};
    SetSel(cr);
}
void CRichEditCtrl::SetSel(CHARRANGE& cr) {
    Send(EM_EXSETSEL, 0, (LPARAM)&cr);
}
void CRichEditCtrl::ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo) {
    Send(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
}
CString CRichEditCtrl::GetSelText() const {
    CHARRANGE cr{0, 0};
    GetSel(cr);
    // Two bytes per character and per paragraph end is always enough.
    std::string buf((size_t)std::max<LONG>(0, cr.cpMax - cr.cpMin) * 2 + 1, '\0');
    int n = (int)Send(EM_GETSELTEXT, 0, (LPARAM)buf.data());
    return CString(buf.data(), n);
}
WORD CRichEditCtrl::GetSelectionType() const {
    return (WORD)Send(EM_SELECTIONTYPE);
}
int CRichEditCtrl::GetTextRange(int nFirst, int nLast, CString& refString) const {
    if (nLast < 0)
        nLast = (int)GetTextLengthEx(GTL_NUMCHARS);
    std::string buf((size_t)std::max(0, nLast - nFirst) * 2 + 1, '\0');
    TEXTRANGE tr{{nFirst, nLast}, buf.data()};
    int n = (int)Send(EM_GETTEXTRANGE, 0, (LPARAM)&tr);
    refString = CString(buf.data(), n);
    return n;
}
long CRichEditCtrl::GetTextLength() const {
    return (long)Send(WM_GETTEXTLENGTH);
}
long CRichEditCtrl::GetTextLengthEx(DWORD dwFlags, UINT uCodePage) const {
    GETTEXTLENGTHEX g{dwFlags, uCodePage};
    return (long)Send(EM_GETTEXTLENGTHEX, (WPARAM)&g);
}
void CRichEditCtrl::HideSelection(BOOL bHide, BOOL bPerm) {
    Send(EM_HIDESELECTION, (WPARAM)bHide, (LPARAM)bPerm);
}

int CRichEditCtrl::GetLineCount() const {
    return (int)Send(EM_GETLINECOUNT);
}
int CRichEditCtrl::LineIndex(int nLine) const {
    return (int)Send(EM_LINEINDEX, (WPARAM)nLine);
}
int CRichEditCtrl::LineFromChar(long nIndex) const {
    return (int)Send(EM_EXLINEFROMCHAR, 0, (LPARAM)nIndex);
}
int CRichEditCtrl::LineLength(int nLine) const {
    return (int)Send(EM_LINELENGTH, (WPARAM)nLine);
}
int CRichEditCtrl::GetLine(int nIndex, LPTSTR lpszBuffer, int nMaxLength) const {
    if (!lpszBuffer || nMaxLength < (int)sizeof(WORD))
        return 0;
    WORD room = (WORD)std::min(nMaxLength, 0xFFFF);
    std::memcpy(lpszBuffer, &room, sizeof room);
    return (int)Send(EM_GETLINE, (WPARAM)nIndex, (LPARAM)lpszBuffer);
}
int CRichEditCtrl::GetFirstVisibleLine() const {
    return (int)Send(EM_GETFIRSTVISIBLELINE);
}
void CRichEditCtrl::LineScroll(int nLines, int nChars) {
    Send(EM_LINESCROLL, (WPARAM)nChars, (LPARAM)nLines);
}
CPoint CRichEditCtrl::GetCharPos(long lChar) const {
    POINT pt{0, 0};
    Send(EM_POSFROMCHAR, (WPARAM)&pt, (LPARAM)lChar);
    return CPoint(pt.x, pt.y);
}
int CRichEditCtrl::CharFromPos(CPoint pt) const {
    POINT p{pt.x, pt.y};
    return (int)Send(EM_CHARFROMPOS, 0, (LPARAM)&p);
}

DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMAT& cf) const {
    cf.cbSize = sizeof(CHARFORMAT);
    return (DWORD)Send(EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}
DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMAT2& cf) const {
    cf.cbSize = sizeof(CHARFORMAT2);
    return (DWORD)Send(EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}
DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT& cf) const {
    cf.cbSize = sizeof(CHARFORMAT);
    return (DWORD)Send(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}
DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT2& cf) const {
    cf.cbSize = sizeof(CHARFORMAT2);
    return (DWORD)Send(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT& cf) {
    cf.cbSize = sizeof(CHARFORMAT);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT2& cf) {
    cf.cbSize = sizeof(CHARFORMAT2);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT& cf) {
    cf.cbSize = sizeof(CHARFORMAT);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT2& cf) {
    cf.cbSize = sizeof(CHARFORMAT2);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetWordCharFormat(CHARFORMAT& cf) {
    cf.cbSize = sizeof(CHARFORMAT);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, (LPARAM)&cf);
}
BOOL CRichEditCtrl::SetWordCharFormat(CHARFORMAT2& cf) {
    cf.cbSize = sizeof(CHARFORMAT2);
    return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, (LPARAM)&cf);
}
DWORD CRichEditCtrl::GetParaFormat(PARAFORMAT& pf) const {
    pf.cbSize = sizeof(PARAFORMAT);
    return (DWORD)Send(EM_GETPARAFORMAT, 0, (LPARAM)&pf);
}
BOOL CRichEditCtrl::SetParaFormat(PARAFORMAT& pf) {
    pf.cbSize = sizeof(PARAFORMAT);
    return (BOOL)Send(EM_SETPARAFORMAT, 0, (LPARAM)&pf);
}

BOOL CRichEditCtrl::SetReadOnly(BOOL bReadOnly) {
    return (BOOL)Send(EM_SETREADONLY, (WPARAM)bReadOnly);
}
DWORD CRichEditCtrl::GetEventMask() const {
    return (DWORD)Send(EM_GETEVENTMASK);
}
DWORD CRichEditCtrl::SetEventMask(DWORD dwEventMask) {
    return (DWORD)Send(EM_SETEVENTMASK, 0, (LPARAM)dwEventMask);
}
COLORREF CRichEditCtrl::SetBackgroundColor(BOOL bSysColor, COLORREF cr) {
    return (COLORREF)Send(EM_SETBKGNDCOLOR, (WPARAM)bSysColor, (LPARAM)cr);
}
BOOL CRichEditCtrl::SetTargetDevice(HDC hDC, long lLineWidth) {
    return (BOOL)Send(EM_SETTARGETDEVICE, (WPARAM)hDC, (LPARAM)lLineWidth);
}
UINT CRichEditCtrl::SetOptions(WORD wOp, DWORD dwFlags) {
    return (UINT)Send(EM_SETOPTIONS, (WPARAM)wOp, (LPARAM)dwFlags);
}
UINT CRichEditCtrl::GetOptions() const {
    return (UINT)Send(EM_GETOPTIONS);
}
void CRichEditCtrl::GetRect(LPRECT lpRect) const {
    Send(EM_GETRECT, 0, (LPARAM)lpRect);
}
void CRichEditCtrl::SetRect(LPCRECT lpRect) {
    Send(EM_SETRECT, 0, (LPARAM)lpRect);
}
void CRichEditCtrl::LimitText(long nChars) {
    Send(EM_EXLIMITTEXT, 0, (LPARAM)nChars);
}
long CRichEditCtrl::GetLimitText() const {
    return (long)Send(EM_GETLIMITTEXT);
}
BOOL CRichEditCtrl::GetModify() const {
    return (BOOL)Send(EM_GETMODIFY);
}
void CRichEditCtrl::SetModify(BOOL bModified) {
    Send(EM_SETMODIFY, (WPARAM)bModified);
}
long CRichEditCtrl::FindText(DWORD dwFlags, FINDTEXTEX* pFindText) const {
    return (long)Send(EM_FINDTEXTEX, (WPARAM)dwFlags, (LPARAM)pFindText);
}

BOOL CRichEditCtrl::CanUndo() const {
    return (BOOL)Send(EM_CANUNDO);
}
BOOL CRichEditCtrl::CanRedo() const {
    return (BOOL)Send(EM_CANREDO);
}
BOOL CRichEditCtrl::Undo() {
    return (BOOL)Send(EM_UNDO);
}
BOOL CRichEditCtrl::Redo() {
    return (BOOL)Send(EM_REDO);
}
void CRichEditCtrl::EmptyUndoBuffer() {
    Send(EM_EMPTYUNDOBUFFER);
}
BOOL CRichEditCtrl::CanPaste(UINT nFormat) const {
    return (BOOL)Send(EM_CANPASTE, (WPARAM)nFormat);
}
void CRichEditCtrl::Clear() {
    Send(WM_CLEAR);
}
void CRichEditCtrl::Copy() {
    Send(WM_COPY);
}
void CRichEditCtrl::Cut() {
    Send(WM_CUT);
}
void CRichEditCtrl::Paste() {
    Send(WM_PASTE);
}

long CRichEditCtrl::StreamIn(int nFormat, EDITSTREAM& es) {
    return (long)Send(EM_STREAMIN, (WPARAM)nFormat, (LPARAM)&es);
}
long CRichEditCtrl::StreamIn(int nFormat, EDITSTREAM& es, CIRichEditReadProgress* pProgress) {
    ReadWithProgress read{&es, pProgress};
    return (long)Send(kStreamInWithProgress, (WPARAM)nFormat, (LPARAM)&read);
}
long CRichEditCtrl::StreamOut(int nFormat, EDITSTREAM& es) {
    return (long)Send(EM_STREAMOUT, (WPARAM)nFormat, (LPARAM)&es);
}
