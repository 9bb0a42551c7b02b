#include "NotifyRecorder.h"

#include "platform/base/Gbk.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/RichEditCtrl.h"
#include "platform/gui/RtfFormat.h"
#include "platform/gui/tests/RichTextExpect.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Records the control's WM_COMMAND notifications among its WM_NOTIFY ones, in one sequence;
// a command code is kept with the high bit set so the two kinds never mix up.
constexpr UINT kCommand = 0x80000000;

class CRecorder : public CNotifyRecorder {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        notes.push_back({kCommand | HIWORD(wParam), LOWORD(wParam), {}});
        return TRUE;
    }
    std::vector<UINT> Taken() {
        std::vector<UINT> out = Codes();
        notes.clear();
        return out;
    }
};

// A byte source or sink for the stream callbacks, moving at most chunk bytes per call.
struct Buffer {
    std::string data;
    size_t pos = 0;
    LONG chunk = 0x7FFFFFFF;
    DWORD failWith = 0;
    int calls = 0;
};

DWORD ReadFrom(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto* b = reinterpret_cast<Buffer*>(cookie);
    ++b->calls;
    if (b->failWith)
        return b->failWith;
    LONG n = std::min<LONG>({cb, b->chunk, (LONG)(b->data.size() - b->pos)});
    std::memcpy(buf, b->data.data() + b->pos, (size_t)n);
    b->pos += (size_t)n;
    *pcb = n;
    return 0;
}

DWORD WriteTo(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto* b = reinterpret_cast<Buffer*>(cookie);
    ++b->calls;
    if (b->failWith)
        return b->failWith;
    LONG n = std::min(cb, b->chunk);
    b->data.append(reinterpret_cast<char*>(buf), (size_t)n);
    *pcb = n;
    return 0;
}

std::string Out(CRichEditCtrl& e, int format, LONG chunk = 0x7FFFFFFF) {
    Buffer b;
    b.chunk = chunk;
    EDITSTREAM es{(DWORD_PTR)&b, 0, WriteTo};
    long n = e.StreamOut(format, es);
    EXPECT_EQ(n, (long)b.data.size());
    return b.data;
}

long In(CRichEditCtrl& e, const std::string& data, int format, LONG chunk = 0x7FFFFFFF) {
    Buffer b;
    b.data = data;
    b.chunk = chunk;
    EDITSTREAM es{(DWORD_PTR)&b, 0, ReadFrom};
    return e.StreamIn(format, es);
}

CString Text(CWnd& w) {
    CString s;
    w.GetWindowText(s);
    return s;
}

CHARFORMAT2 Cf(DWORD mask, DWORD effects) {
    CHARFORMAT2 cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = mask;
    cf.dwEffects = effects;
    return cf;
}

class RichEditTest : public GuiTest {
protected:
    static constexpr DWORD kStyle =
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
    void SetUp() override {
        ASSERT_TRUE(parent.CreateTop(420, 300));
        ASSERT_TRUE(edit.Create(kStyle, CRect(0, 0, 420, 300), &parent, 101));
        Pump();
    }
    void TearDown() override {
        edit.DestroyWindow();
        parent.DestroyWindow();
    }
    QTextEdit* Qt() { return qobject_cast<QTextEdit*>(edit.GetWidget()); }
    // A point in the middle of a character, in the control's client coordinates.
    CPoint PointOf(CRichEditCtrl& e, long ch) {
        CPoint a = e.GetCharPos(ch), b = e.GetCharPos(ch + 1);
        int h = qobject_cast<QTextEdit*>(e.GetWidget())->fontMetrics().height();
        return CPoint((a.x + b.x) / 2, a.y + h / 2);
    }
    void Click(CRichEditCtrl& e, long ch) {
        QWidget* vp = qobject_cast<QTextEdit*>(e.GetWidget())->viewport();
        CPoint p = PointOf(e, ch);
        QTest::mouseClick(vp, Qt::LeftButton, {}, vp->mapFrom(e.GetWidget(), QPoint(p.x, p.y)));
    }

    CRecorder parent;
    CRichEditCtrl edit;
};

TEST_F(RichEditTest, TextAndSelectionCountCharactersWithOneForAParagraphEnd) {
    edit.SetWindowText("第一行\r\n第二行 abc\nend");
    EXPECT_EQ(Text(edit), CString("第一行\r\n第二行 abc\r\nend"));
    EXPECT_EQ(edit.GetTextLength(), Text(edit).GetLength()) << "bytes, as the text is read";
    EXPECT_EQ(edit.GetTextLengthEx(GTL_NUMCHARS), 3 + 1 + 7 + 1 + 3);
    EXPECT_EQ(edit.GetTextLengthEx(GTL_NUMCHARS | GTL_USECRLF), 3 + 2 + 7 + 2 + 3);
    EXPECT_FALSE(edit.GetModify()) << "setting the text is not an edit";
    // Characters are counted as the program's text has them, whatever the document holds.
    for (const QString& held :
         {QStringLiteral(""), QStringLiteral("a\u2028b\u2029c"), QStringLiteral("x\ufffcy"),
          QStringLiteral("\U0001F600 and \u2603"), QStringLiteral("末尾\u2029")}) {
        Qt()->setPlainText(held);
        CString asText = Text(edit);
        asText.Replace("\r\n", "\r");
        EXPECT_EQ(edit.GetTextLengthEx(GTL_NUMCHARS), (long)AfxToQt(asText).size())
            << held.toStdString();
    }
    edit.SetWindowText("第一行\r\n第二行 abc\nend");

    struct Case {
        long from, to;
        long selFrom, selTo;
        const char* text;
    } cases[] = {
        {1, 3, 1, 3, "一行"},
        {3, 5, 3, 5, "\r\n第"},
        {0, -1, 0, 15, "第一行\r\n第二行 abc\r\nend"},
        {12, 100, 12, 15, "end"},
        {5, 2, 2, 5, "行\r\n第"}, // an anchor after the caret
        {-1, 0, 2, 2, ""},        // the selection goes, the caret stays
    };
    for (auto& c : cases) {
        edit.SetSel(c.from, c.to);
        long a = -9, b = -9;
        edit.GetSel(a, b);
        EXPECT_EQ(a, c.selFrom) << c.from << "," << c.to;
        EXPECT_EQ(b, c.selTo) << c.from << "," << c.to;
        EXPECT_EQ(edit.GetSelText(), CString(c.text)) << c.from << "," << c.to;
        // The messages answer what the members do.
        DWORD ma = 0, mb = 0;
        edit.SendMessage(EM_GETSEL, (WPARAM)&ma, (LPARAM)&mb);
        EXPECT_EQ((long)ma, a);
        EXPECT_EQ((long)mb, b);
    }

    CString range;
    EXPECT_EQ(edit.GetTextRange(4, 7, range), 6);
    EXPECT_EQ(range, CString("第二行"));
    EXPECT_EQ(edit.GetTextRange(12, -1, range), 3);
    EXPECT_EQ(range, CString("end"));

    edit.SetSel(4, 7);
    edit.ReplaceSel("新\r\n段落", TRUE);
    EXPECT_EQ(Text(edit), CString("第一行\r\n新\r\n段落 abc\r\nend"));
    long a, b;
    edit.GetSel(a, b);
    EXPECT_EQ(a, 8);
    EXPECT_EQ(b, 8) << "the caret after what was put in";
    EXPECT_TRUE(edit.GetModify());
    EXPECT_TRUE(edit.CanUndo());
    EXPECT_TRUE(edit.Undo());
    EXPECT_EQ(Text(edit), CString("第一行\r\n第二行 abc\r\nend"));
    EXPECT_TRUE(edit.Redo());
    EXPECT_EQ(Text(edit), CString("第一行\r\n新\r\n段落 abc\r\nend"));
    // A replacement that cannot be undone leaves nothing to undo.
    edit.ReplaceSel("!");
    EXPECT_FALSE(edit.CanUndo());
}

TEST_F(RichEditTest, LinesFollowTheLayout) {
    edit.SetTargetDevice(nullptr, 1); // no wrapping: one line per paragraph
    edit.SetWindowText("alpha\r\nbe\r\n\r\ngamma delta");
    Pump();
    EXPECT_EQ(edit.GetLineCount(), 4);
    struct Case {
        int line, index, length;
        const char* text;
    } cases[] = {{0, 0, 5, "alpha"}, {1, 6, 2, "be"}, {2, 9, 0, ""}, {3, 10, 11, "gamma delta"}};
    for (auto& c : cases) {
        EXPECT_EQ(edit.LineIndex(c.line), c.index) << c.line;
        EXPECT_EQ(edit.LineFromChar(c.index), c.line) << c.line;
        EXPECT_EQ(edit.LineLength(c.index), c.length) << c.line;
        char buf[64] = {};
        int n = edit.GetLine(c.line, buf, sizeof buf);
        EXPECT_EQ(CString(buf, n), CString(c.text)) << c.line;
    }
    EXPECT_EQ(edit.LineIndex(9), -1);
    EXPECT_EQ(edit.LineFromChar(8), 1) << "the end of a paragraph belongs to its line";

    // A buffer too small for the line takes whole characters only.
    edit.SetWindowText("一二三");
    Pump();
    char small[5] = {};
    int n = edit.GetLine(0, small, sizeof small);
    EXPECT_EQ(CString(small, n), CString("一二"));

    // Wrapped to a narrow window, one paragraph makes several lines.
    edit.SetTargetDevice(nullptr, 0);
    edit.MoveWindow(0, 0, 60, 300);
    edit.SetWindowText("one two three four five six seven eight");
    Pump();
    EXPECT_GT(edit.GetLineCount(), 2);
    EXPECT_GT(edit.LineIndex(1), 0);
    EXPECT_EQ(edit.LineFromChar(edit.LineIndex(1)), 1);
}

TEST_F(RichEditTest, NotificationsFollowTheEventMaskAndComeInOrder) {
    const UINT change = kCommand | EN_CHANGE;
    edit.SetWindowText("abc");
    parent.Taken();
    // Nothing is told before the mask asks for it.
    edit.ReplaceSel("x");
    EXPECT_EQ(parent.Taken(), std::vector<UINT>{});

    EXPECT_EQ(edit.SetEventMask(ENM_CHANGE | ENM_SELCHANGE), (DWORD)ENM_NONE);
    EXPECT_EQ(edit.GetEventMask(), (DWORD)(ENM_CHANGE | ENM_SELCHANGE));
    parent.sizes[EN_SELCHANGE] = sizeof(SELCHANGE);

    edit.SetSel(0, 2);
    ASSERT_EQ(parent.notes.size(), 1u);
    const SELCHANGE& sc = parent.notes[0].As<SELCHANGE>();
    EXPECT_EQ(sc.nmhdr.idFrom, 101u);
    EXPECT_EQ(sc.chrg.cpMin, 0);
    EXPECT_EQ(sc.chrg.cpMax, 2);
    EXPECT_EQ(sc.seltyp, SEL_TEXT | SEL_MULTICHAR);
    parent.Taken();
    edit.SetSel(0, 2);
    EXPECT_EQ(parent.Taken(), std::vector<UINT>{}) << "the same selection again is no change";

    // One edit: the selection moves, then the text changed, each told once.
    edit.ReplaceSel("12345");
    EXPECT_EQ(parent.Taken(), (std::vector<UINT>{EN_SELCHANGE, change}));
    edit.SetWindowText("new");
    EXPECT_EQ(parent.Taken(), (std::vector<UINT>{EN_SELCHANGE, change}));

    // Typed text goes the same way, a character at a time.
    edit.SetSel(3, 3);
    parent.Taken();
    QTest::keyClicks(Qt(), "ab");
    EXPECT_EQ(Text(edit), CString("newab"));
    EXPECT_EQ(parent.Taken(), (std::vector<UINT>{EN_SELCHANGE, change, EN_SELCHANGE, change}));

    // A format change marks the text modified but is not a change of the text.
    edit.SetModify(FALSE);
    edit.SetSel(0, 3);
    parent.Taken();
    CHARFORMAT2 bold = Cf(CFM_BOLD, CFE_BOLD);
    edit.SetSelectionCharFormat(bold);
    EXPECT_EQ(parent.Taken(), std::vector<UINT>{});
    EXPECT_TRUE(edit.GetModify());

    // With the change event alone, an edit tells just that.
    edit.SetEventMask(ENM_CHANGE);
    edit.SetSel(0, -1);
    edit.ReplaceSel("z");
    EXPECT_EQ(parent.Taken(), std::vector<UINT>{change});
}

TEST_F(RichEditTest, FocusAndLimitNotificationsComeWhateverTheMask) {
    edit.SetWindowText("");
    edit.LimitText(3);
    EXPECT_EQ(edit.GetLimitText(), 3);
    QTest::keyClicks(Qt(), "abcd");
    EXPECT_EQ(Text(edit), CString("abc"));
    auto codes = parent.Taken();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kCommand | EN_MAXTEXT), 1);
    // Pasting more than fits keeps what fits.
    edit.SetSel(1, 2);
    QGuiApplication::clipboard()->setText("XYZ");
    edit.Paste();
    EXPECT_EQ(Text(edit), CString("aXc"));
    // The program's own text is not limited.
    edit.SetWindowText("longer than three");
    EXPECT_EQ(Text(edit), CString("longer than three"));
    edit.LimitText(0);
    EXPECT_EQ(edit.GetLimitText(), 65535);

    parent.Taken();
    edit.SendMessage(WM_SETFOCUS);
    edit.SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(parent.Taken(), (std::vector<UINT>{kCommand | EN_SETFOCUS, kCommand | EN_KILLFOCUS}));
}

// A parent that closes the control on one of its notices.
class CClosingParent : public CRecorder {
public:
    UINT closeOn = EN_MAXTEXT;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        CRecorder::OnCommand(wParam, lParam);
        if (HIWORD(wParam) == closeOn)
            if (CWnd* w = CWnd::FromHandlePermanent((HWND)lParam))
                w->DestroyWindow();
        return TRUE;
    }
};

// A control that deletes itself with its window.
class CSelfDeletingRichEdit : public CRichEditCtrl {
    void PostNcDestroy() override { delete this; }
};

// The control goes while it handles the input or the focus change; its object stays (a member)
// or goes with it, and the event loop runs before the object's end.
TEST_F(RichEditTest, AControlItsParentClosesOnANoticeIsLeftAlone) {
    CClosingParent host;
    ASSERT_TRUE(host.CreateTop(200, 100));
    enum How { Typed, Composed, FocusLost };
    struct Case {
        How how;
        bool selfDeleting;
    } cases[] = {{Typed, false}, {Composed, false}, {FocusLost, false},
                 {Typed, true},  {Composed, true},  {FocusLost, true}};
    for (auto& c : cases) {
        auto full = c.selfDeleting ? std::make_unique<CSelfDeletingRichEdit>()
                                   : std::make_unique<CRichEditCtrl>();
        ASSERT_TRUE(full->Create(kStyle, CRect(0, 0, 200, 100), &host, 104));
        HWND h = full->m_hWnd;
        if (c.selfDeleting)
            full.release();
        CRichEditCtrl* ctrl = static_cast<CRichEditCtrl*>(CWnd::FromHandlePermanent(h));
        ctrl->LimitText(2);
        ctrl->SetWindowText("ab");
        QPointer<QWidget> w = ctrl->GetWidget();
        host.closeOn = c.how == FocusLost ? EN_KILLFOCUS : EN_MAXTEXT;
        if (c.how == Typed) {
            QTest::keyClick(w, Qt::Key_C);
        } else if (c.how == Composed) {
            QInputMethodEvent im;
            im.setCommitString("中文");
            QCoreApplication::sendEvent(w, &im);
        } else {
            ctrl->SendMessage(WM_KILLFOCUS);
        }
        EXPECT_FALSE(IsWindow(h)) << c.how << c.selfDeleting;
        EXPECT_EQ(host.Taken(), std::vector<UINT>{kCommand | host.closeOn})
            << c.how << c.selfDeleting;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
    }
    host.DestroyWindow();
}

TEST_F(RichEditTest, ReadOnlyRefusesEditsButKeepsSelectionAndCopy) {
    edit.SetWindowText("fixed text");
    EXPECT_TRUE(edit.SetReadOnly(TRUE));
    EXPECT_TRUE(edit.GetStyle() & ES_READONLY);
    EXPECT_TRUE(edit.GetOptions() & ECO_READONLY);
    edit.SetSel(0, 5);
    QTest::keyClicks(Qt(), "zz");
    edit.Cut();
    edit.Clear();
    EXPECT_EQ(Text(edit), CString("fixed text"));
    // Neither can the user undo or redo the program's own changes.
    edit.SetSel(0, 0);
    edit.ReplaceSel("very ", TRUE);
    edit.Undo();
    QTest::keyClick(Qt(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(Qt(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(edit), CString("fixed text"));
    edit.SetSel(0, 5);
    edit.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("fixed"));
    // The options word carries the read-only flag both ways.
    edit.SetOptions(ECOOP_XOR, ECO_READONLY);
    EXPECT_FALSE(edit.GetStyle() & ES_READONLY);
    EXPECT_EQ(edit.SetOptions(ECOOP_OR, ECO_AUTOWORDSELECTION), (UINT)ECO_AUTOWORDSELECTION);
    QTest::keyClicks(Qt(), "F");
    EXPECT_EQ(Text(edit), CString("F text"));
}

struct CharCase {
    const char* name;
    CHARFORMAT2 cf;
};

CharCase MakeCase(const char* name, DWORD mask, DWORD effects,
                  void (*fill)(CHARFORMAT2&) = nullptr) {
    CharCase c{name, Cf(mask, effects)};
    if (fill)
        fill(c.cf);
    return c;
}

TEST_F(RichEditTest, SelectionFormatsComeBackAsTheyWereSet) {
    CharCase cases[] = {
        MakeCase("bold", CFM_BOLD, CFE_BOLD),
        MakeCase("italic underline", CFM_ITALIC | CFM_UNDERLINE, CFE_ITALIC | CFE_UNDERLINE),
        MakeCase("strike", CFM_STRIKEOUT, CFE_STRIKEOUT),
        MakeCase("size", CFM_SIZE, 0, [](CHARFORMAT2& c) { c.yHeight = 330; }),
        MakeCase("face", CFM_FACE | CFM_CHARSET, 0,
                 [](CHARFORMAT2& c) {
                     std::strcpy(c.szFaceName, "黑体");
                     c.bCharSet = 134;
                 }),
        MakeCase("colour", CFM_COLOR, 0, [](CHARFORMAT2& c) { c.crTextColor = RGB(200, 10, 30); }),
        MakeCase("background", CFM_BACKCOLOR, 0,
                 [](CHARFORMAT2& c) { c.crBackColor = RGB(255, 255, 0); }),
        MakeCase("superscript", CFM_SUPERSCRIPT, CFE_SUPERSCRIPT),
        MakeCase("subscript", CFM_SUBSCRIPT, CFE_SUBSCRIPT),
        MakeCase("offset", CFM_OFFSET, 0, [](CHARFORMAT2& c) { c.yOffset = -60; }),
    };
    for (auto& c : cases) {
        edit.SetWindowText("一二三四五");
        edit.SetSel(1, 4);
        CHARFORMAT2 set = c.cf;
        ASSERT_TRUE(edit.SetSelectionCharFormat(set)) << c.name;
        CHARFORMAT2 got{};
        DWORD mask = edit.GetSelectionCharFormat(got);
        EXPECT_EQ(mask & c.cf.dwMask, c.cf.dwMask) << c.name << ": the whole selection agrees";
        EXPECT_EQ(got.dwEffects & c.cf.dwMask & ~CFM_SIZE & ~CFM_FACE, c.cf.dwEffects & c.cf.dwMask)
            << c.name;
        if (c.cf.dwMask & CFM_SIZE) {
            EXPECT_EQ(got.yHeight, c.cf.yHeight);
        }
        if (c.cf.dwMask & CFM_FACE) {
            EXPECT_STREQ(got.szFaceName, c.cf.szFaceName);
        }
        if (c.cf.dwMask & CFM_COLOR) {
            EXPECT_FALSE(got.dwEffects & CFE_AUTOCOLOR);
            EXPECT_EQ(got.crTextColor, c.cf.crTextColor);
        }
        if (c.cf.dwMask & CFM_BACKCOLOR) {
            EXPECT_FALSE(got.dwEffects & CFE_AUTOBACKCOLOR);
            EXPECT_EQ(got.crBackColor, c.cf.crBackColor);
        }
        if (c.cf.dwMask & CFM_OFFSET) {
            EXPECT_EQ(got.yOffset, c.cf.yOffset);
        }

        // A selection reaching past the formatted text does not agree on what was set.
        edit.SetSel(0, 4);
        CHARFORMAT2 mixed{};
        mixed.cbSize = sizeof mixed;
        edit.GetSelectionCharFormat(mixed);
        EXPECT_EQ(mixed.dwMask & c.cf.dwMask & ~CFM_CHARSET, 0u) << c.name;
        // And what goes through RTF comes back the same.
        CRichEditCtrl other;
        ASSERT_TRUE(other.Create(kStyle, CRect(0, 0, 200, 100), &parent, 102));
        In(other, Out(edit, SF_RTF), SF_RTF);
        other.SetSel(1, 4);
        CHARFORMAT2 again{};
        other.GetSelectionCharFormat(again);
        got.dwMask &= c.cf.dwMask;
        EXPECT_EQ(again.dwMask & c.cf.dwMask, c.cf.dwMask) << c.name;
        EXPECT_EQ(again.dwEffects & c.cf.dwMask, got.dwEffects & c.cf.dwMask) << c.name;
        EXPECT_EQ(again.yHeight, got.yHeight) << c.name;
        EXPECT_EQ(again.crTextColor, got.crTextColor) << c.name;
        EXPECT_EQ(again.crBackColor, got.crBackColor) << c.name;
        EXPECT_EQ(again.yOffset, got.yOffset) << c.name;
        EXPECT_STREQ(again.szFaceName, got.szFaceName) << c.name;
    }

    // A face name longer than the structure holds (as RTF may bring) is cut between characters.
    In(edit, "{\\rtf1{\\fonttbl{\\f0\\fcharset134 一二三四五六七八九十一二三四五六七八;}}\\f0 x}",
       SF_RTF);
    edit.SetSel(0, 1);
    CHARFORMAT2 longFace{};
    edit.GetSelectionCharFormat(longFace);
    EXPECT_STREQ(longFace.szFaceName, "一二三四五六七八九十一二三四五");

    // Setting superscript and then subscript leaves one of them.
    edit.SetWindowText("x2");
    edit.SetSel(1, 2);
    CHARFORMAT2 sup = Cf(CFM_SUPERSCRIPT, CFE_SUPERSCRIPT), sub = Cf(CFM_SUBSCRIPT, CFE_SUBSCRIPT),
                off = Cf(CFM_SUBSCRIPT, 0), got{};
    edit.SetSelectionCharFormat(sup);
    edit.SetSelectionCharFormat(sub);
    edit.GetSelectionCharFormat(got);
    EXPECT_EQ(got.dwEffects & CFM_SUBSCRIPT, (DWORD)CFE_SUBSCRIPT);
    edit.SetSelectionCharFormat(off);
    edit.GetSelectionCharFormat(got);
    EXPECT_EQ(got.dwEffects & CFM_SUBSCRIPT, 0u);

    // A wrong structure size is refused.
    CHARFORMAT2 bad = Cf(CFM_BOLD, CFE_BOLD);
    bad.cbSize = 12;
    EXPECT_FALSE(edit.SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&bad));
}

TEST_F(RichEditTest, CaretWordAndDefaultFormats) {
    edit.SetWindowText("hello world");
    // At a caret inside a word, the word format goes to the whole word.
    edit.SetSel(8, 8);
    CHARFORMAT2 italic = Cf(CFM_ITALIC, CFE_ITALIC);
    edit.SetWordCharFormat(italic);
    edit.SetSel(6, 11);
    CHARFORMAT2 got{};
    EXPECT_TRUE(edit.GetSelectionCharFormat(got) & CFM_ITALIC);
    EXPECT_TRUE(got.dwEffects & CFE_ITALIC);
    edit.SetSel(0, 5);
    edit.GetSelectionCharFormat(got);
    EXPECT_FALSE(got.dwEffects & CFE_ITALIC);

    // At a plain caret, the format is what typing there produces.
    edit.SetSel(5, 5);
    CHARFORMAT2 bold = Cf(CFM_BOLD, CFE_BOLD);
    edit.SetSelectionCharFormat(bold);
    QTest::keyClicks(Qt(), "!");
    edit.SetSel(5, 6);
    edit.GetSelectionCharFormat(got);
    EXPECT_TRUE(got.dwEffects & CFE_BOLD);
    edit.SetSel(0, 5);
    edit.GetSelectionCharFormat(got);
    EXPECT_FALSE(got.dwEffects & CFE_BOLD);

    // The default format reaches the text that uses it, not the text formatted on its own.
    CHARFORMAT2 def = Cf(CFM_SIZE | CFM_FACE | CFM_COLOR, 0);
    def.yHeight = 280;
    std::strcpy(def.szFaceName, "Courier New");
    def.crTextColor = RGB(0, 128, 0);
    ASSERT_TRUE(edit.SetDefaultCharFormat(def));
    CHARFORMAT2 d{};
    edit.GetDefaultCharFormat(d);
    EXPECT_EQ(d.yHeight, 280);
    EXPECT_STREQ(d.szFaceName, "Courier New");
    EXPECT_EQ(d.crTextColor, RGB(0, 128, 0));
    edit.SetSel(0, 5);
    edit.GetSelectionCharFormat(got);
    EXPECT_EQ(got.yHeight, 280) << "plain text follows the default";
    EXPECT_STREQ(got.szFaceName, "Courier New");
    edit.SetSel(7, 12); // "world", after the "!"
    edit.GetSelectionCharFormat(got);
    EXPECT_EQ(got.yHeight, 200) << "formatted text keeps its own";
    EXPECT_TRUE(got.dwEffects & CFE_ITALIC);
    // Automatic colour again.
    CHARFORMAT2 autoColor = Cf(CFM_COLOR, CFE_AUTOCOLOR);
    edit.SetDefaultCharFormat(autoColor);
    edit.GetDefaultCharFormat(d);
    EXPECT_TRUE(d.dwEffects & CFE_AUTOCOLOR);
    // Text put in later starts in the default format.
    edit.SetWindowText("after");
    edit.SetSel(0, -1);
    edit.GetSelectionCharFormat(got);
    EXPECT_EQ(got.yHeight, 280);
    EXPECT_FALSE(edit.CanUndo()) << "setting defaults is not an edit to undo";
}

TEST_F(RichEditTest, ParagraphFormats) {
    edit.SetWindowText("one\r\ntwo\r\nthree");
    edit.SetSel(0, 6); // the first two paragraphs
    PARAFORMAT pf{};
    pf.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT;
    pf.wAlignment = PFA_CENTER;
    pf.dxStartIndent = 720;
    pf.dxOffset = -360;
    pf.dxRightIndent = 144;
    ASSERT_TRUE(edit.SetParaFormat(pf));
    PARAFORMAT got{};
    DWORD mask = edit.GetParaFormat(got);
    EXPECT_EQ(mask & (PFM_ALIGNMENT | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT),
              (DWORD)(PFM_ALIGNMENT | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT));
    EXPECT_EQ(got.wAlignment, PFA_CENTER);
    EXPECT_EQ(got.dxStartIndent, 720);
    EXPECT_EQ(got.dxOffset, -360);
    EXPECT_EQ(got.dxRightIndent, 144);

    // An indent relative to the present one, and bullets.
    edit.SetSel(1, 1);
    PARAFORMAT more{};
    more.dwMask = PFM_OFFSETINDENT | PFM_NUMBERING;
    more.dxStartIndent = 100;
    more.wNumbering = PFN_BULLET;
    edit.SetParaFormat(more);
    edit.GetParaFormat(got);
    EXPECT_EQ(got.dxStartIndent, 820);
    EXPECT_EQ(got.dxOffset, -360) << "the other lines keep their place under the first";
    EXPECT_EQ(got.wNumbering, PFN_BULLET);

    // Across paragraphs that differ, the mask says which fields do.
    edit.SetSel(0, -1);
    mask = edit.GetParaFormat(got);
    EXPECT_FALSE(mask & PFM_ALIGNMENT);
    EXPECT_FALSE(mask & PFM_NUMBERING);

    // Paragraph settings survive RTF.
    CRichEditCtrl other;
    ASSERT_TRUE(other.Create(kStyle, CRect(0, 0, 200, 100), &parent, 102));
    In(other, Out(edit, SF_RTF), SF_RTF);
    EXPECT_EQ(Text(other), Text(edit));
    other.SetSel(0, 0);
    other.GetParaFormat(got);
    EXPECT_EQ(got.wAlignment, PFA_CENTER);
    EXPECT_EQ(got.dxStartIndent, 820);
    EXPECT_EQ(got.dxOffset, -360);
    EXPECT_EQ(got.dxRightIndent, 144);
    EXPECT_EQ(got.wNumbering, PFN_BULLET);
    other.SetSel(5, 5);
    other.GetParaFormat(got);
    EXPECT_EQ(got.wNumbering, 0);
    EXPECT_EQ(got.dxStartIndent, 720);
    EXPECT_EQ(Out(other, SF_RTF), Out(edit, SF_RTF));
}

// Fills a control with text in several formats and paragraph settings.
void FillFormatted(CRichEditCtrl& e) {
    e.SetWindowText(
        "会议纪要\r\n时间：周三 {9:00} \\ 10:00\ttab\r\n\r\nH2O 和 x2 http://example.com/a?b=1");
    struct Span {
        long from, to;
        CHARFORMAT2 cf;
    } spans[] = {
        {0, 4, Cf(CFM_BOLD | CFM_SIZE | CFM_COLOR, CFE_BOLD)},
        {8, 10, Cf(CFM_ITALIC | CFM_UNDERLINE, CFE_ITALIC | CFE_UNDERLINE)},
        {27, 30, Cf(CFM_STRIKEOUT | CFM_BACKCOLOR, CFE_STRIKEOUT)},
        {33, 34, Cf(CFM_SUBSCRIPT, CFE_SUBSCRIPT)},
        {38, 39, Cf(CFM_SUPERSCRIPT, CFE_SUPERSCRIPT)},
        {4, 5, Cf(CFM_FACE, 0)},
    };
    spans[0].cf.yHeight = 320;
    spans[0].cf.crTextColor = RGB(200, 0, 0);
    spans[2].cf.crBackColor = RGB(255, 255, 0);
    std::strcpy(spans[5].cf.szFaceName, "Arial");
    for (auto& s : spans) {
        e.SetSel(s.from, s.to);
        e.SetSelectionCharFormat(s.cf);
    }
    e.SetSel(0, 0);
    PARAFORMAT center{};
    center.dwMask = PFM_ALIGNMENT;
    center.wAlignment = PFA_CENTER;
    e.SetParaFormat(center);
    e.SetSel(0, 0);
}

TEST_F(RichEditTest, WhatStreamsOutStreamsBackInTheSame) {
    FillFormatted(edit);
    std::string rtf = Out(edit, SF_RTF);
    ASSERT_EQ(rtf.compare(0, 6, "{\\rtf1"), 0);
    // Small pieces through the callback make the same bytes.
    EXPECT_EQ(Out(edit, SF_RTF, 7), rtf);

    CRichEditCtrl other;
    ASSERT_TRUE(other.Create(kStyle, CRect(0, 0, 420, 300), &parent, 102));
    other.SetWindowText("old content");
    EXPECT_EQ(In(other, rtf, SF_RTF, 5), (long)rtf.size());
    EXPECT_EQ(Text(other), Text(edit));
    EXPECT_EQ(Out(other, SF_RTF), rtf);
    EXPECT_FALSE(other.CanUndo()) << "the whole content replaced is a fresh start";
    RichTextDoc a = RtfRead(rtf.data(), rtf.size());
    EXPECT_EQ(a.paragraphs.size(), 4u);

    // Texts whose paragraph ends are easy to lose on the way.
    for (const char* t : {"", "x\r\n", "\r\n\r\n", "a\tb\r\n\r\nc", "{\\}"}) {
        edit.SetWindowText(t);
        In(other, Out(edit, SF_RTF), SF_RTF);
        EXPECT_EQ(Text(other), CString(t)) << t;
    }
    FillFormatted(edit);

    // Plain text: GBK with CR LF, and back.
    std::string text = Out(edit, SF_TEXT);
    EXPECT_EQ(CString(text.data(), (int)text.size()), Text(edit));
    CRichEditCtrl plain;
    ASSERT_TRUE(plain.Create(kStyle, CRect(0, 0, 420, 300), &parent, 103));
    In(plain, text, SF_TEXT, 3);
    EXPECT_EQ(Text(plain), Text(edit));

    // The selection alone, out and in.
    edit.SetSel(0, 4);
    std::string part = Out(edit, SF_RTF | SFF_SELECTION);
    EXPECT_EQ(Out(edit, SF_TEXT | SFF_SELECTION), std::string("会议纪要"));
    plain.SetWindowText("[]");
    plain.SetSel(1, 1);
    In(plain, part, SF_RTF | SFF_SELECTION);
    EXPECT_EQ(Text(plain), CString("[会议纪要]"));
    long s, e;
    plain.GetSel(s, e);
    EXPECT_EQ(s, 5) << "the caret after what came in";
    plain.SetSel(1, 5);
    CHARFORMAT2 got{};
    plain.GetSelectionCharFormat(got);
    EXPECT_TRUE(got.dwEffects & CFE_BOLD);
    EXPECT_EQ(got.yHeight, 320);
    EXPECT_TRUE(plain.CanUndo()) << "text put into the selection can be taken back";
}

// A page streamed in whole keeps every paragraph's settings and every run's format, also with
// more distinct formats than the control keeps converted at once and with bullets that run over
// several paragraphs; what streams out reads back as what went in.
TEST_F(RichEditTest, AStreamedInPageKeepsEachParagraphAndRunFormat) {
    RichTextDoc page;
    const int kParagraphs = 12, kRunsEach = 5;
    for (int i = 0; i < kParagraphs; ++i) {
        RichParagraph p;
        p.align = i % 3 == 0 ? RichAlignCenter : i % 3 == 1 ? RichAlignRight : RichAlignLeft;
        p.leftIndentTwips = 360 * (i % 2);
        p.firstIndentTwips = i % 4 == 0 ? 240 : 0;
        p.rightIndentTwips = i == 5 ? 720 : 0;
        p.bullet = i >= 2 && i <= 4; // a list of three, then plain paragraphs again
        if (i != 7) // one empty paragraph among them
            for (int r = 0; r < kRunsEach; ++r) {
                RichRun run;
                run.text.Format("段%d字%d ", i, r);
                int n = i * kRunsEach + r; // 55 distinct colours, each twice across the page
                run.format.autoColor = false;
                run.format.color = RGB(n % 28 * 9, 40, 100);
                run.format.bold = r % 2;
                run.format.sizeTwips = 200 + 40 * (r % 3);
                p.runs.push_back(run);
            }
        page.paragraphs.push_back(p);
    }
    page.Normalize();
    const CString rtf = RtfWrite(page);
    edit.SetWindowText("old text");
    In(edit, std::string(rtf.GetString(), (size_t)rtf.GetLength()), SF_RTF, 100);
    EXPECT_EQ(Text(edit), page.Text());
    EXPECT_FALSE(edit.CanUndo());

    std::string out = Out(edit, SF_RTF);
    ExpectSame(RtfRead(out.data(), out.size()), page);
    // The control tells the same settings for a paragraph as the page has.
    long fifth = 0; // characters, one for each paragraph end
    for (int i = 0; i < 4; ++i) {
        CString t = page.paragraphs[i].Text();
        fifth += (long)GbkToUtf16(t.GetString(), (size_t)t.GetLength()).size() + 1;
    }
    edit.SetSel(fifth, fifth);
    PARAFORMAT pf{};
    pf.cbSize = sizeof pf;
    edit.GetParaFormat(pf);
    EXPECT_EQ(pf.wNumbering, PFN_BULLET);
    EXPECT_EQ(pf.wAlignment, PFA_RIGHT);
    EXPECT_EQ(pf.dxStartIndent, 240);
    // Streamed in once more, the page comes out byte for byte the same.
    In(edit, out, SF_RTF);
    EXPECT_EQ(Out(edit, SF_RTF), out);
}

// Long stretches of one-run paragraphs go in as one text; every change along them (of run format,
// alignment, indents, a bullet, an empty paragraph) still starts a paragraph of its own settings,
// in a page replaced whole and in a selection replaced.
TEST_F(RichEditTest, StretchesOfLinesKeepEveryParagraphsSettings) {
    RichTextDoc page;
    auto line = [&](const char* text, int align, bool bold, int left, bool bullet) {
        RichParagraph p;
        p.align = align;
        p.leftIndentTwips = left;
        p.bullet = bullet;
        if (*text) {
            RichRun run;
            run.text = text;
            run.format.bold = bold;
            p.runs.push_back(run);
        }
        page.paragraphs.push_back(p);
    };
    for (int i = 0; i < 6; ++i) {
        CString t;
        t.Format("第%d行", i);
        line(t, RichAlignLeft, false, 0, false); // the plain stretch
    }
    line("粗体行", RichAlignLeft, true, 0, false);    // the run's format changes
    line("粗体行二", RichAlignLeft, true, 0, false);
    line("居中", RichAlignCenter, true, 0, false);    // the alignment changes
    line("缩进", RichAlignCenter, true, 360, false);  // the indent changes
    line("", RichAlignCenter, true, 360, false);      // an empty paragraph
    line("列表一", RichAlignLeft, false, 0, true);    // a list
    line("列表二", RichAlignLeft, false, 0, true);
    line("之后\t制表", RichAlignLeft, false, 0, false);
    line("最后", RichAlignLeft, false, 0, false);
    const CString rtf = RtfWrite(page);
    const std::string bytes(rtf.GetString(), (size_t)rtf.GetLength());
    In(edit, bytes, SF_RTF);
    EXPECT_EQ(Text(edit), page.Text());
    std::string out = Out(edit, SF_RTF);
    ExpectSame(RtfRead(out.data(), out.size()), page);

    // Into a selection: the first line joins the paragraph it goes into, the rest keep theirs.
    edit.SetWindowText("前后");
    edit.SetSel(1, 1);
    In(edit, bytes, SF_RTF | SFF_SELECTION);
    CString expected = page.Text();
    expected = "前" + expected + "后";
    EXPECT_EQ(Text(edit), expected);
    out = Out(edit, SF_RTF);
    RichTextDoc back = RtfRead(out.data(), out.size());
    ASSERT_EQ(back.paragraphs.size(), page.paragraphs.size());
    for (size_t i = 1; i + 1 < page.paragraphs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.paragraphs[i].align, page.paragraphs[i].align);
        EXPECT_EQ(back.paragraphs[i].leftIndentTwips, page.paragraphs[i].leftIndentTwips);
        EXPECT_EQ(back.paragraphs[i].bullet, page.paragraphs[i].bullet);
        EXPECT_EQ(back.paragraphs[i].Text(), page.paragraphs[i].Text());
    }
}

// Answers a read's progress: records what it is told and what the control shows while it
// reads, and asks to stop at the call given (0: never).
class CReadProgress : public CIRichEditReadProgress {
public:
    CReadProgress(CRichEditCtrl& edit, int stopAt) : m_edit(edit), m_stopAt(stopAt) {}
    BOOL OnReadProgress(ULONGLONG nDone, ULONGLONG nTotal) override {
        told.push_back({nDone, nTotal});
        if (nDone * 2 <= nTotal) // still reading, not yet laying out
            shownMeanwhile = Text(m_edit);
        return (int)told.size() != m_stopAt;
    }
    std::vector<std::pair<ULONGLONG, ULONGLONG>> told;
    CString shownMeanwhile;

private:
    CRichEditCtrl& m_edit;
    int m_stopAt;
};

TEST_F(RichEditTest, AReadWithProgressIsToldAndCanBeStopped) {
    // Long stretches of lines broken by formatted paragraphs, as a long page has them.
    RichTextDoc page;
    for (int i = 0; i < 12000; ++i) {
        RichParagraph p;
        RichRun run;
        run.text.Format("第%d行", i);
        if (i % 1000 == 999) {
            run.format.bold = true;
            p.align = RichAlignCenter;
        }
        p.runs.push_back(run);
        page.paragraphs.push_back(p);
    }
    const CString rtf = RtfWrite(page);
    const std::string bytes(rtf.GetString(), (size_t)rtf.GetLength());
    std::string lines;
    for (int i = 0; i < 9000; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    const UINT change = kCommand | EN_CHANGE;
    edit.SetEventMask(ENM_CHANGE);
    edit.LimitText(1000000);

    struct Case {
        const char* label;
        const std::string* data;
        int format;
        int stopAt;
        bool readOnly;
    } cases[] = {
        {"RTF stopped at once", &bytes, SF_RTF, 1, false},
        {"RTF stopped midway", &bytes, SF_RTF, 3, true},
        {"RTF read whole", &bytes, SF_RTF, 0, false},
        {"RTF asked to stop once it is in", &bytes, SF_RTF, 8, false},
        {"RTF read whole, read-only", &bytes, SF_RTF, 0, true},
        {"text stopped", &lines, SF_TEXT, 2, false},
        {"text read whole", &lines, SF_TEXT, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        edit.SetReadOnly(FALSE);
        edit.SetWindowText("旧内容");
        edit.SetReadOnly(c.readOnly);
        edit.SetModify(FALSE);
        edit.EmptyUndoBuffer();
        parent.Taken();
        Buffer b;
        b.data = *c.data;
        EDITSTREAM es{(DWORD_PTR)&b, 0, ReadFrom};
        CReadProgress progress(edit, c.stopAt);
        const long n = edit.StreamIn(c.format, es, &progress);

        ASSERT_FALSE(progress.told.empty());
        // Each paragraph is told twice over: as it is read, then as it is laid out.
        const ULONGLONG paragraphs = c.format == SF_RTF ? page.paragraphs.size() : 9001;
        // Read, told every 2048 paragraphs or so, at the end of a stretch of lines; then laid
        // out, told every 2048 paragraphs.
        ULONGLONG before = 0;
        std::vector<ULONGLONG> laidOut;
        for (auto [done, told] : progress.told) {
            EXPECT_EQ(told, 2 * paragraphs);
            if (done > paragraphs) {
                laidOut.push_back(done);
                continue;
            }
            EXPECT_GE(done, before + 2048);
            EXPECT_LT(done, before + 2 * 2048);
            before = done;
        }
        const bool stopped = c.stopAt != 0 && c.stopAt <= (int)(progress.told.size() - laidOut.size());
        std::vector<ULONGLONG> layoutSteps;
        for (ULONGLONG d = 2048; !stopped && d < paragraphs; d += 2048)
            layoutSteps.push_back(paragraphs + d);
        EXPECT_EQ(laidOut, layoutSteps);
        EXPECT_EQ(progress.shownMeanwhile, CString("旧内容")) << "the old content shows meanwhile";
        EXPECT_EQ(edit.GetStyle() & ES_READONLY, c.readOnly ? (DWORD)ES_READONLY : 0u);
        if (stopped) {
            EXPECT_EQ(progress.told.size(), (size_t)c.stopAt);
            EXPECT_EQ(n, 0);
            EXPECT_EQ(es.dwError, kRichEditReadStopped);
            EXPECT_EQ(Text(edit), CString("旧内容"));
            EXPECT_FALSE(edit.GetModify());
            EXPECT_EQ(parent.Taken(), std::vector<UINT>{});
            continue;
        }
        EXPECT_EQ(n, (long)c.data->size());
        EXPECT_EQ(es.dwError, 0u);
        EXPECT_GT(Qt()->document()->lastBlock().layout()->lineCount(), 0)
            << "laid out to its end, not left to be laid out later";
        if (c.format == SF_RTF) {
            EXPECT_EQ(Text(edit), page.Text());
            std::string out = Out(edit, SF_RTF);
            ExpectSame(RtfRead(out.data(), out.size()), page);
        } else {
            EXPECT_EQ(Text(edit), CString(lines.c_str()));
        }
        EXPECT_EQ(parent.Taken(), std::vector<UINT>{change});
        EXPECT_TRUE(edit.GetModify());
        EXPECT_FALSE(edit.CanUndo()) << "content replaced whole has no history";
        CHARRANGE sel;
        edit.GetSel(sel);
        EXPECT_EQ(sel.cpMin, 0);
        EXPECT_EQ(sel.cpMax, 0);
        if (c.readOnly)
            continue;
        // The control goes on as before: typing is told, kept and undone.
        const CString read = Text(edit);
        QTest::keyClicks(Qt(), "ab");
        EXPECT_TRUE(Text(edit) == "ab" + read);
        EXPECT_EQ(parent.Taken(), (std::vector<UINT>{change, change}));
        EXPECT_TRUE(edit.CanUndo());
        while (edit.CanUndo())
            edit.Undo();
        EXPECT_TRUE(Text(edit) == read);
    }
}

// A long text laid out again (the control narrowed) is laid out to its end from the timer, and
// the scroll range comes out as a layout made in one go gives it.
TEST_F(RichEditTest, ALongTextIsLaidOutAgainToItsEnd) {
    std::string lines;
    for (int i = 0; i < 20000; ++i)
        lines += "第" + std::to_string(i) + "行，一行长到窄的窗口要把它折成两行的文字\r\n";
    In(edit, lines, SF_TEXT);
    QTextDocument* doc = Qt()->document();
    edit.MoveWindow(0, 0, 200, 300);
    ASSERT_EQ(doc->lastBlock().layout()->lineCount(), 0) << "laid out again from the start";
    ASSERT_TRUE(WaitFor([&] { return doc->lastBlock().layout()->lineCount() > 0; }, 60000));
    Pump();
    const int range = Qt()->verticalScrollBar()->maximum();
    doc->documentLayout()->documentSize();
    Pump();
    EXPECT_EQ(Qt()->verticalScrollBar()->maximum(), range);
    EXPECT_GT(range, 20000 * 2 * Qt()->fontMetrics().height() * 9 / 10) << "two lines each";
}

TEST_F(RichEditTest, StreamFailuresAndStrangeInput) {
    edit.SetWindowText("keep me");
    // A source that fails at once changes nothing.
    Buffer failing;
    failing.failWith = 5;
    EDITSTREAM es{(DWORD_PTR)&failing, 0, ReadFrom};
    EXPECT_EQ(edit.StreamIn(SF_RTF, es), 0);
    EXPECT_EQ(es.dwError, 5u);
    EXPECT_EQ(Text(edit), CString("keep me"));
    // A sink that fails stops the stream and says so.
    Buffer sink;
    sink.failWith = 7;
    EDITSTREAM out{(DWORD_PTR)&sink, 0, WriteTo};
    EXPECT_EQ(edit.StreamOut(SF_TEXT, out), 0);
    EXPECT_EQ(out.dwError, 7u);
    EXPECT_EQ(sink.calls, 1);
    // A sink that takes nothing ends the stream rather than spinning.
    Buffer lazy;
    lazy.chunk = 0;
    EDITSTREAM none{(DWORD_PTR)&lazy, 0, WriteTo};
    EXPECT_EQ(edit.StreamOut(SF_TEXT, none), 0);
    EXPECT_EQ(lazy.calls, 1);

    struct Case {
        std::string data;
        int format;
        const char* text;
    } cases[] = {
        // Text given as RTF is read as text.
        {"line one\r\nline two", SF_RTF, "line one\r\nline two"},
        {"  {\\rtf1 a\\par b}", SF_RTF, "a\r\nb"},
        // RTF given as text stays text.
        {"{\\rtf1 x}", SF_TEXT, "{\\rtf1 x}"},
        // Damaged RTF is read as far as it makes sense.
        {"{\\rtf1{\\fonttbl{\\f0 A;}}\\f9\\cf77\\fs-5 broken\\'", SF_RTF, "broken"},
        {"{\\rtf1 a" + std::string(5000, '{') + "deep" + std::string(5000, '}') + "b}", SF_RTF,
         "ab"},
        {std::string("nul\0inside", 10), SF_TEXT, "nulinside"},
        {"", SF_RTF, ""},
    };
    for (auto& c : cases) {
        In(edit, c.data, c.format, 64);
        EXPECT_EQ(Text(edit), CString(c.text)) << c.data.substr(0, 30);
    }
}

TEST_F(RichEditTest, LinksAreFoundAndToldWithTheirRange) {
    struct Case {
        const char* text;
        std::vector<const char*> links;
    } cases[] = {
        {"see http://example.com/a?b=1. then", {"http://example.com/a?b=1"}},
        {"www.example.org, mailto:me@example.org", {"www.example.org", "mailto:me@example.org"}},
        {"ftp://files.example.net/x 和 https://a.example/",
         {"ftp://files.example.net/x", "https://a.example/"}},
        {"no link: http: or www or example.com", {}},
    };
    edit.SetEventMask(ENM_LINK);
    parent.sizes[EN_LINK] = sizeof(ENLINK);
    edit.SendMessage(EM_AUTOURLDETECT, TRUE);
    EXPECT_TRUE(edit.SendMessage(EM_GETAUTOURLDETECT));
    for (auto& c : cases) {
        edit.SetWindowText(c.text);
        Pump();
        QString all = AfxToQt(CString(c.text));
        std::vector<CString> found;
        // Every character of the text, clicked by code: a link answers with its range.
        for (long i = 0; i < all.size(); ++i) {
            parent.notes.clear();
            CPoint p = PointOf(edit, i);
            edit.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
            if (parent.notes.empty())
                continue;
            ASSERT_EQ(parent.notes.size(), 2u) << "down and up";
            const ENLINK& link = parent.notes[0].As<ENLINK>();
            EXPECT_EQ(link.msg, (UINT)WM_LBUTTONDOWN);
            EXPECT_EQ(parent.notes[1].As<ENLINK>().msg, (UINT)WM_LBUTTONUP);
            EXPECT_LE(link.chrg.cpMin, i);
            EXPECT_GT(link.chrg.cpMax, i);
            CString range;
            edit.GetTextRange(link.chrg.cpMin, link.chrg.cpMax, range);
            if (found.empty() || found.back() != range)
                found.push_back(range);
        }
        ASSERT_EQ(found.size(), c.links.size()) << c.text;
        for (size_t i = 0; i < found.size(); ++i)
            EXPECT_EQ(found[i], CString(c.links[i])) << c.text;
    }
}

TEST_F(RichEditTest, AClickOnALinkGoesToTheParentFirst) {
    edit.SendMessage(EM_AUTOURLDETECT, TRUE);
    edit.SetEventMask(ENM_LINK | ENM_SELCHANGE);
    edit.SetWindowText("open http://example.com/ now");
    parent.sizes[EN_LINK] = sizeof(ENLINK);
    Pump();
    // Presses on links are kept (and taken while takePress holds), other link messages but the
    // release are listed in over.
    std::vector<ENLINK> clicks;
    std::vector<UINT> over;
    bool takePress = true;
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        if (nm->code != EN_LINK)
            return 0;
        auto* l = reinterpret_cast<ENLINK*>(nm);
        if (l->msg == WM_LBUTTONDOWN) {
            clicks.push_back(*l);
            return takePress;
        }
        if (l->msg != WM_LBUTTONUP)
            over.push_back(l->msg);
        return 0;
    };
    edit.SetSel(0, 0);
    Click(edit, 10);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].chrg.cpMin, 5);
    EXPECT_EQ(clicks[0].chrg.cpMax, 24);
    EXPECT_EQ(clicks[0].nmhdr.idFrom, 101u);
    long s, e;
    edit.GetSel(s, e);
    EXPECT_EQ(s, 0) << "a press the parent took does not move the caret";

    // Read-only text still tells about its links; text outside links is left to the control.
    edit.SetReadOnly(TRUE);
    Click(edit, 20);
    EXPECT_EQ(clicks.size(), 2u);
    Click(edit, 26);
    EXPECT_EQ(clicks.size(), 2u);
    edit.GetSel(s, e);
    EXPECT_GE(s, 25);

    // The pointer moving over a link: the parent hears of the cursor and the move.
    takePress = false;
    over.clear();
    QWidget* vp = Qt()->viewport();
    CPoint p = PointOf(edit, 12);
    QTest::mouseMove(vp, vp->mapFrom(Qt(), QPoint(p.x, p.y)));
    Pump();
    EXPECT_EQ(over, (std::vector<UINT>{WM_SETCURSOR, WM_MOUSEMOVE}));
    EXPECT_EQ(vp->cursor().shape(), Qt::PointingHandCursor);
    over.clear();
    p = PointOf(edit, 1);
    QTest::mouseMove(vp, vp->mapFrom(Qt(), QPoint(p.x, p.y)));
    Pump();
    EXPECT_TRUE(over.empty());
    EXPECT_EQ(vp->cursor().shape(), Qt::IBeamCursor);

    // Without the link event, or without detection, nothing is told.
    edit.SetEventMask(ENM_NONE);
    Click(edit, 10);
    edit.SetEventMask(ENM_LINK);
    edit.SendMessage(EM_AUTOURLDETECT, FALSE);
    Click(edit, 10);
    EXPECT_EQ(clicks.size(), 2u);
    EXPECT_TRUE(over.empty());

    // A parent that closes a control deleting itself, on the release over a link, without
    // taking the message.
    auto* closing = new CSelfDeletingRichEdit;
    ASSERT_TRUE(closing->Create(kStyle, CRect(0, 0, 420, 300), &parent, 105));
    HWND h = closing->m_hWnd;
    closing->SendMessage(EM_AUTOURLDETECT, TRUE);
    closing->SetEventMask(ENM_LINK);
    closing->SetWindowText("see www.example.com");
    Pump();
    parent.handler = [&](NMHDR* nm) -> LRESULT {
        auto* l = reinterpret_cast<ENLINK*>(nm);
        if (nm->code == EN_LINK && l->msg == WM_LBUTTONUP)
            CWnd::FromHandlePermanent(h)->DestroyWindow();
        return 0;
    };
    Click(*closing, 8);
    EXPECT_FALSE(IsWindow(h));
    Pump();
}

TEST_F(RichEditTest, TheClipboardCarriesFormatsBetweenControls) {
    FillFormatted(edit);
    edit.SetSel(0, 4);
    edit.Copy();
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->hasFormat("text/rtf"));
    EXPECT_EQ(m->text(), QString::fromUtf8(u8"会议纪要"));
    // The classic text format sees the same text.
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL h = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(h);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(h)), "会议纪要");
    GlobalUnlock(h);
    CloseClipboard();

    CRichEditCtrl other;
    ASSERT_TRUE(other.Create(kStyle, CRect(0, 0, 200, 100), &parent, 102));
    EXPECT_TRUE(other.CanPaste());
    other.SetWindowText("<>");
    other.SetSel(1, 1);
    other.Paste();
    EXPECT_EQ(Text(other), CString("<会议纪要>"));
    other.SetSel(1, 5);
    CHARFORMAT2 got{};
    other.GetSelectionCharFormat(got);
    EXPECT_TRUE(got.dwEffects & CFE_BOLD);
    EXPECT_EQ(got.crTextColor, RGB(200, 0, 0));
    EXPECT_TRUE(other.Undo());
    EXPECT_EQ(Text(other), CString("<>"));

    // Cut takes the text out; plain text from elsewhere comes in in the caret's format.
    other.SetSel(0, 1);
    other.Cut();
    EXPECT_EQ(Text(other), CString(">"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8(u8"纯文本\n第二行"));
    other.SetSel(0, 0);
    other.Paste();
    EXPECT_EQ(Text(other), CString("纯文本\r\n第二行>"));
}

TEST_F(RichEditTest, LookAndLayoutSettings) {
    // The background colour: the previous one comes back, the system's when asked for.
    COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(edit.SetBackgroundColor(FALSE, GetSysColor(COLOR_BTNFACE)), window);
    EXPECT_EQ(Qt()->palette().color(QPalette::Base), AfxQColor(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(edit.SetBackgroundColor(TRUE, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Qt()->palette().color(QPalette::Base), AfxQColor(window));

    // Wrapping: to the window, none, or a line width in twips.
    struct Case {
        long width;
        QTextEdit::LineWrapMode mode;
        int pixels;
    } cases[] = {{1, QTextEdit::NoWrap, 0},
                 {0, QTextEdit::WidgetWidth, 0},
                 {1440 * 2, QTextEdit::FixedPixelWidth, 2 * Qt()->logicalDpiX()}};
    for (auto& c : cases) {
        EXPECT_TRUE(edit.SetTargetDevice(nullptr, c.width));
        EXPECT_EQ(Qt()->lineWrapMode(), c.mode) << c.width;
        if (c.pixels) {
            EXPECT_EQ(Qt()->lineWrapColumnOrWidth(), c.pixels);
        }
    }

    // The formatting rectangle leaves margins round the text.
    CRect client;
    edit.GetClientRect(&client);
    CRect r(15, 5, client.right, client.bottom);
    edit.SetRect(&r);
    CRect got;
    edit.GetRect(&got);
    EXPECT_EQ(got, r);
    EXPECT_EQ(Qt()->viewport()->geometry().left() - Qt()->frameWidth(), 15);

    // Character positions in either form of the message.
    edit.SetWindowText("abc\r\ndef");
    CPoint at = edit.GetCharPos(5);
    EXPECT_GT(at.y, edit.GetCharPos(1).y);
    LRESULT packed = edit.SendMessage(EM_POSFROMCHAR, 5);
    EXPECT_EQ(CPoint((short)LOWORD(packed), (short)HIWORD(packed)), at);
    EXPECT_EQ(edit.CharFromPos(at + CPoint(1, 2)), 5);

    // Options the control only keeps.
    edit.SendMessage(EM_SETLANGOPTIONS, 0,
                     edit.SendMessage(EM_GETLANGOPTIONS) & ~(LPARAM)IMF_AUTOFONT);
    EXPECT_FALSE(edit.SendMessage(EM_GETLANGOPTIONS) & IMF_AUTOFONT);
    EXPECT_EQ(edit.SendMessage(WM_GETDLGCODE) & DLGC_WANTCHARS, DLGC_WANTCHARS);
}

TEST_F(RichEditTest, TheSelectionBarSelectsLinesAndParagraphs) {
    CRichEditCtrl bar;
    ASSERT_TRUE(bar.Create(kStyle | ES_SELECTIONBAR, CRect(0, 0, 80, 200), &parent, 102));
    bar.SetWindowText("short\r\none two three four five six\r\nend");
    Pump();
    CRect r;
    bar.GetRect(&r);
    EXPECT_EQ(r.left, 0) << "the bar is not part of the formatting rectangle";
    int h = qobject_cast<QTextEdit*>(bar.GetWidget())->fontMetrics().height();
    auto pressBeside = [&](long ch, UINT msg) {
        CPoint p = bar.GetCharPos(ch);
        bar.SendMessage(msg, MK_LBUTTON, MAKELPARAM(3, p.y + h / 2));
        long s, e;
        bar.GetSel(s, e);
        return std::make_pair(s, e);
    };
    EXPECT_EQ(pressBeside(2, WM_LBUTTONDOWN), std::make_pair(0L, 6L)) << "a line with its end";
    // The long paragraph wraps; its first line alone, then the whole paragraph.
    ASSERT_GT(bar.GetLineCount(), 3);
    auto first = pressBeside(7, WM_LBUTTONDOWN);
    EXPECT_EQ(first.first, 6);
    EXPECT_LT(first.second, 33);
    EXPECT_EQ(pressBeside(7, WM_LBUTTONDBLCLK), std::make_pair(6L, 34L));
    EXPECT_EQ(pressBeside(35, WM_LBUTTONDOWN), std::make_pair(34L, 37L));
    // A press on the text itself is the text's.
    CPoint in = PointOf(bar, 1);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(in.x, in.y));
    long s, e;
    bar.GetSel(s, e);
    EXPECT_EQ(e - s, 0);
}

TEST_F(RichEditTest, FindsTextForwardAndBack) {
    edit.SetWindowText("Abc abc ABC abcd");
    struct Case {
        DWORD flags;
        LONG from, to;
        const char* what;
        long at;
    } cases[] = {
        {FR_DOWN, 0, -1, "abc", 0},
        {FR_DOWN | FR_MATCHCASE, 0, -1, "abc", 4},
        {FR_DOWN | FR_MATCHCASE, 5, -1, "abc", 12},
        {FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, 5, -1, "abc", -1},
        {FR_DOWN, 0, 3, "abc", 0},
        {FR_DOWN, 1, 6, "abc", -1},
        {0, 16, 0, "abc", 12},
        {FR_DOWN, 0, -1, "none", -1},
    };
    for (auto& c : cases) {
        FINDTEXTEX ft{{c.from, c.to}, c.what, {-1, -1}};
        EXPECT_EQ(edit.FindText(c.flags, &ft), c.at) << c.what << " " << c.flags << " " << c.from;
        if (c.at >= 0) {
            EXPECT_EQ(ft.chrgText.cpMin, c.at);
            EXPECT_EQ(ft.chrgText.cpMax, c.at + (LONG)std::strlen(c.what));
        }
    }
}

TEST_F(RichEditTest, DialogTemplatesAndFontsMakeRichEdits) {
    CWnd* item = AfxNewTemplateItem("RichEdit20A");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->IsKindOf(RUNTIME_CLASS(CRichEditCtrl)));
    // A class of the program that takes the window over gets the control's behaviour with it.
    ASSERT_TRUE(item->Create("RichEdit20A", nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                             CRect(0, 0, 100, 50), &parent, 150));
    CRichEditCtrl taken;
    ASSERT_TRUE(taken.SubclassWindow(item->m_hWnd));
    taken.SetEventMask(ENM_CHANGE);
    parent.notes.clear();
    taken.SetWindowText("taken over");
    ASSERT_EQ(parent.notes.size(), 1u);
    EXPECT_EQ(parent.notes[0].code, kCommand | EN_CHANGE);
    EXPECT_EQ(parent.notes[0].id, 150u);
    EXPECT_EQ(Text(taken), CString("taken over"));
    taken.DestroyWindow();

    // A font given to the control becomes its default format.
    CFont font;
    LOGFONT lf{};
    lf.lfHeight = -16;
    lf.lfWeight = 700;
    std::strcpy(lf.lfFaceName, "宋体");
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    edit.SetWindowText("text");
    edit.SetFont(&font);
    EXPECT_EQ(edit.GetFont()->GetSafeHandle(), font.GetSafeHandle());
    edit.SetSel(0, -1);
    CHARFORMAT2 got{};
    edit.GetSelectionCharFormat(got);
    EXPECT_TRUE(got.dwEffects & CFE_BOLD);
    EXPECT_STREQ(got.szFaceName, "宋体");
    EXPECT_EQ(got.yHeight, 16 * 1440 / Qt()->logicalDpiY());
}

TEST_F(RichEditTest, FormattedTextAsAPersonSeesIt) {
    edit.MoveWindow(0, 0, 420, 200);
    FillFormatted(edit);
    edit.SendMessage(EM_AUTOURLDETECT, TRUE);
    CRect client;
    edit.GetClientRect(&client);
    CRect r(15, 5, client.right, client.bottom);
    edit.SetRect(&r);
    Pump();
    ASSERT_TRUE(parent.SaveScreenshot(ScreenPath("rich-edit-formatted").c_str()));
    QImage shot(QString::fromStdString(ScreenPath("rich-edit-formatted")));
    ASSERT_FALSE(shot.isNull());
    // The red title and the blue link both show.
    bool red = false, blue = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            QColor c = shot.pixelColor(x, y);
            red = red || (c.red() > 150 && c.green() < 60 && c.blue() < 60);
            blue = blue || (c.blue() > 150 && c.red() < 60 && c.green() < 60);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
}

} // namespace
