#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextBrowser>
#include <QTimer>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_notes;

// Records every notification its controls send, and answers the spin button's request.
class CParent : public CWnd {
public:
    BOOL refuseSpin = FALSE;
    int drawn = 0;
    UINT measuredHeight = 0;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        g_notes.push_back(std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)));
        return CWnd::OnCommand(wParam, lParam);
    }
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) override {
        auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
        g_notes.push_back("notify" + std::to_string(nm->hdr.idFrom) + ":" +
                          std::to_string(nm->iDelta));
        *pResult = refuseSpin;
        return TRUE;
    }
    void OnVScroll(UINT code, UINT pos, CScrollBar*) {
        g_notes.push_back("vscroll" + std::to_string(code) + "@" + std::to_string(pos));
    }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) { mis->itemHeight = measuredHeight; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CParent, CWnd)
ON_WM_VSCROLL()
ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

// An owner-drawn list box draws its own rows from their item data.
class COwnerList : public CListBox {
public:
    std::vector<std::pair<UINT, ULONG_PTR>> rows;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        rows.push_back({dis->itemID, dis->itemData});
        CDC* dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem,
                          (dis->itemState & ODS_SELECTED) ? RGB(0, 0, 128) : RGB(255, 255, 255));
    }
};

class ControlsTest : public GuiTest {
protected:
    CParent parent;
    void SetUp() override {
        g_notes.clear();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "controls", WS_POPUP | WS_VISIBLE,
                                    CRect(0, 0, 300, 300), nullptr, 0));
    }
};

} // namespace

TEST_F(ControlsTest, EditCountsBytesAndRefusesTextBeyondItsLimit) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 100, 20), &parent, 10));
    edit.SetWindowText("中文ab");
    EXPECT_EQ(edit.GetWindowTextLength(), 6);                            // GBK bytes
    EXPECT_EQ(g_notes, (std::vector<std::string>{"10:1024", "10:768"})); // EN_UPDATE, EN_CHANGE
    edit.SetSel(2, -1);
    int a = 0, b = 0;
    edit.GetSel(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 6);
    edit.ReplaceSel("字");
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, "中字");
    // Typing stops at the limit, counted in bytes: one more Chinese character does not fit.
    edit.LimitText(5);
    g_notes.clear();
    QLineEdit* line = static_cast<QLineEdit*>(edit.GetWidget());
    line->setCursorPosition(2);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(u8"好"));
    QCoreApplication::sendEvent(line, &typed);
    edit.GetWindowText(text);
    EXPECT_EQ(text, "中字");
    EXPECT_NE(std::find(g_notes.begin(), g_notes.end(), "10:1281"), g_notes.end()); // EN_MAXTEXT
    QTest::keyClicks(line, "x");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "中字x");
}

TEST_F(ControlsTest, DigitOnlyEditRefusesOtherCharactersTypedOrPasted) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_AUTOHSCROLL,
                            CRect(0, 0, 100, 20), &parent, 13));
    QLineEdit* line = static_cast<QLineEdit*>(edit.GetWidget());
    line->setFocus();
    auto paste = [&](const char* clip) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(clip));
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    };
    CString text;
    QTest::keyClicks(line, "a");
    QTest::keyClicks(line, "1");
    paste("12a");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "1") << "a letter typed or within a paste is refused, the paste whole";
    paste("23");
    QKeyEvent chinese(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(u8"中"));
    QCoreApplication::sendEvent(line, &chinese);
    QTest::keyClicks(line, "-");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "123");
    // Selected digits replaced by a letter stay as they were.
    line->selectAll();
    QTest::keyClicks(line, "x");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "123");
    // Code sets what it likes; the user may still type digits around it.
    edit.SetWindowText("12ab");
    line->end(false);
    QTest::keyClicks(line, "9z");
    edit.ReplaceSel("c");
    edit.GetWindowText(text);
    EXPECT_EQ(text, "12ab9c");
    // Without the style any character goes in.
    CEdit plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE, CRect(0, 30, 100, 50), &parent, 14));
    QTest::keyClicks(plain.GetWidget(), "a1");
    plain.GetWindowText(text);
    EXPECT_EQ(text, "a1");
}

TEST_F(ControlsTest, MultiLineEditUsesCrLfAndPasswordHidesText) {
    CEdit multi, password;
    ASSERT_TRUE(
        multi.Create(WS_CHILD | ES_MULTILINE | ES_WANTRETURN, CRect(0, 0, 100, 60), &parent, 11));
    ASSERT_TRUE(password.Create(WS_CHILD | ES_PASSWORD, CRect(0, 70, 100, 90), &parent, 12));
    multi.SetWindowText("一\r\n二\r\n三");
    EXPECT_EQ(multi.GetLineCount(), 3);
    CString text;
    multi.GetWindowText(text);
    EXPECT_EQ(text, "一\r\n二\r\n三");
    multi.SetSel(4, 6); // the second line, after the CR LF
    multi.ReplaceSel("贰");
    multi.GetWindowText(text);
    EXPECT_EQ(text, "一\r\n贰\r\n三");
    password.SetWindowText("秘密");
    EXPECT_EQ(static_cast<QLineEdit*>(password.GetWidget())->echoMode(), QLineEdit::Password);
    password.GetWindowText(text);
    EXPECT_EQ(text, "秘密");
    EXPECT_TRUE(multi.SendMessage(WM_GETDLGCODE) & DLGC_WANTMESSAGE);
}

TEST_F(ControlsTest, ButtonsFollowTheirKindWhenClicked) {
    struct Row {
        DWORD style;
        std::vector<int> checks; // after each of three clicks
    } rows[] = {
        {BS_AUTOCHECKBOX, {1, 0, 1}},
        {BS_CHECKBOX, {0, 0, 0}}, // the program sets the state itself
        {BS_AUTO3STATE, {1, 2, 0}},
        {BS_AUTORADIOBUTTON, {1, 1, 1}},
    };
    int id = 20;
    for (const Row& r : rows) {
        CButton b;
        ASSERT_TRUE(
            b.Create("选项", WS_CHILD | WS_VISIBLE | r.style, CRect(0, 0, 80, 20), &parent, ++id));
        for (int expected : r.checks) {
            g_notes.clear();
            QTest::mouseClick(b.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            EXPECT_EQ(b.GetCheck(), expected) << r.style;
            EXPECT_EQ(g_notes, (std::vector<std::string>{std::to_string(id) + ":0"})) << r.style;
        }
    }
}

TEST_F(ControlsTest, AutoRadioButtonsClearTheOthersOfTheirGroupOnly) {
    CButton a, b, c, d;
    DWORD s = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    ASSERT_TRUE(a.Create("a", s | WS_GROUP, CRect(0, 0, 40, 20), &parent, 31));
    ASSERT_TRUE(b.Create("b", s, CRect(0, 20, 40, 40), &parent, 32));
    ASSERT_TRUE(c.Create("c", s | WS_GROUP, CRect(0, 40, 40, 60), &parent, 33));
    ASSERT_TRUE(d.Create("d", s, CRect(0, 60, 40, 80), &parent, 34));
    a.SetCheck(1);
    c.SetCheck(1);
    b.SendMessage(BM_CLICK);
    EXPECT_EQ(a.GetCheck(), 0);
    EXPECT_EQ(b.GetCheck(), 1);
    EXPECT_EQ(c.GetCheck(), 1); // another group
}

TEST_F(ControlsTest, ComboAndListKeepTextsDataAndSelection) {
    CComboBox combo;
    CListBox list;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT,
                             CRect(0, 0, 100, 200), &parent, 40));
    ASSERT_TRUE(
        list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 30, 100, 130), &parent, 41));
    for (const char* s : {"王", "李", "张", "阿"}) {
        combo.AddString(s);
        list.AddString(s);
    }
    // The sorted combo is in pinyin order; the plain list keeps the order of adding.
    CString first;
    combo.GetLBText(0, first);
    EXPECT_EQ(first, "阿");
    combo.GetLBText(3, first);
    EXPECT_EQ(first, "张");
    list.GetText(0, first);
    EXPECT_EQ(first, "王");
    EXPECT_EQ(combo.FindString(-1, "李"), 1);
    EXPECT_EQ(combo.FindStringExact(-1, "无"), CB_ERR);
    combo.SetItemData(2, (DWORD_PTR)&parent);
    EXPECT_EQ(combo.GetItemData(2), (DWORD_PTR)&parent);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.SelectString(-1, "王"), 2);
    combo.GetWindowText(first);
    EXPECT_EQ(first, "王");
    EXPECT_TRUE(g_notes.empty()); // changes made by the program are not notified
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_TRUE(g_notes.empty());
    // A click on a row is the user's: LBN_SELCHANGE.
    auto* qlist = static_cast<QListWidget*>(list.GetWidget());
    QRect row = qlist->visualItemRect(qlist->item(2));
    QTest::mouseClick(qlist->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_NE(std::find(g_notes.begin(), g_notes.end(), "41:1"), g_notes.end());
    EXPECT_EQ(list.DeleteString(9), LB_ERR);
    EXPECT_EQ(list.DeleteString(0), 3);
}

TEST_F(ControlsTest, OwnerDrawnListAsksItsParentForTheHeightAndDrawsItsRows) {
    parent.measuredHeight = 40;
    COwnerList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED, CRect(0, 0, 120, 130),
                            &parent, 50));
    EXPECT_EQ(list.GetItemHeight(0), 40);
    list.AddString((LPCTSTR)(ULONG_PTR)0x1234); // without strings the row's value is its data
    list.AddString((LPCTSTR)(ULONG_PTR)0x5678);
    EXPECT_EQ(list.GetItemData(1), (DWORD_PTR)0x5678);
    list.SetCurSel(1);
    std::string path = ScreenPath("owner-drawn-list");
    ASSERT_TRUE(list.SaveScreenshot(path.c_str()));
    ASSERT_GE(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].second, (ULONG_PTR)0x1234);
    QImage shot(QString::fromStdString(path));
    CRect second;
    list.GetItemRect(1, &second);
    EXPECT_EQ(second.Height(), 40);
    EXPECT_EQ(QColor(shot.pixel(second.left + 5, second.top + 5)), QColor(0, 0, 128));
}

TEST_F(ControlsTest, SpinButtonStepsWrapsAndCanBeRefused) {
    CEdit buddy;
    CSpinButtonCtrl spin;
    ASSERT_TRUE(buddy.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 20), &parent, 60));
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_WRAP,
                            CRect(60, 0, 76, 20), &parent, 61));
    spin.SetBuddy(&buddy);
    spin.SetRange(0, 2);
    spin.SetPos(1);
    CString text;
    buddy.GetWindowText(text);
    EXPECT_EQ(text, "1");
    g_notes.clear();
    QTest::mouseClick(spin.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 3)); // upper half
    EXPECT_EQ(spin.GetPos(), 2);
    QTest::mouseClick(spin.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
    EXPECT_EQ(spin.GetPos(), 0); // wrapped round
    buddy.GetWindowText(text);
    EXPECT_EQ(text, "0");
    // The request first, then the buddy's new text, then the position (SB_THUMBPOSITION).
    ASSERT_GE(g_notes.size(), 3u);
    EXPECT_EQ(g_notes[0], "notify61:1");
    auto pos = std::find(g_notes.begin(), g_notes.end(), "vscroll4@2");
    auto change = std::find(g_notes.begin(), g_notes.end(), "60:768");
    EXPECT_NE(pos, g_notes.end());
    EXPECT_LT(change - g_notes.begin(), pos - g_notes.begin());
    parent.refuseSpin = TRUE;
    QTest::mouseClick(spin.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(8, 17)); // lower half
    EXPECT_EQ(spin.GetPos(), 0);
}

TEST_F(ControlsTest, ProgressStepsAndStartsAgainPastTheEnd) {
    CProgressCtrl bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 10), &parent, 70));
    bar.SetRange32(0, 25);
    bar.SetStep(10);
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_EQ(bar.StepIt(), 10);
    EXPECT_EQ(bar.GetPos(), 20);
    bar.StepIt();
    EXPECT_EQ(bar.GetPos(), 5);
    EXPECT_EQ(bar.SetPos(99), 5);
    EXPECT_EQ(bar.GetPos(), 25);
    int lo = 0, hi = 0;
    bar.GetRange(lo, hi);
    EXPECT_EQ(hi, 25);
}

TEST(ScrollInfo, PageAndPositionStayWithinTheRangeForWindowsAndBars) {
    AfxEnsureGuiApp();
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
    CWnd view;
    ASSERT_TRUE(view.Create(nullptr, "v", WS_CHILD, CRect(0, 0, 100, 100), &parent, 1));
    CScrollBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | SBS_HORZ, CRect(0, 150, 200, 166), &parent, 2));
    struct Case {
        SCROLLINFO in;
        int page, pos; // what the bar keeps
    } cases[] = {
        {{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 50, 0}, 10, 50},
        {{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 95, 0}, 10, 90}, // the page leaves 0..90
        {{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, -5, 0}, 10, 0},
        {{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 500, 0, 0}, 100, 0}, // no larger than the range
    };
    for (int nBar : {SB_VERT, SB_CTL}) {
        CWnd& w = nBar == SB_CTL ? static_cast<CWnd&>(bar) : view;
        for (const Case& c : cases) {
            SCROLLINFO in = c.in;
            w.SetScrollInfo(nBar, &in);
            SCROLLINFO out{sizeof out, 0, -1, -1, 0, -1, -1};
            ASSERT_TRUE(w.GetScrollInfo(nBar, &out));
            EXPECT_EQ(out.nMin, 0) << nBar;
            EXPECT_EQ(out.nMax, 99) << nBar;
            EXPECT_EQ((int)out.nPage, c.page) << nBar << " " << c.in.nPos;
            EXPECT_EQ(out.nPos, c.pos) << nBar << " " << c.in.nPos;
        }
    }
    SCROLLINFO half{sizeof half, SIF_ALL, 0, 99, 50, 0, 0};
    bar.SetScrollInfo(&half);
    auto* q = qobject_cast<QScrollBar*>(bar.GetWidget());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->maximum(), 50) << "the thumb's last position";
    EXPECT_EQ(q->pageStep(), 50) << "the thumb is half the track";

    view.ShowScrollBar(SB_BOTH, TRUE);
    EXPECT_EQ(view.GetStyle() & (WS_HSCROLL | WS_VSCROLL), (DWORD)(WS_HSCROLL | WS_VSCROLL));
    view.ShowScrollBar(SB_HORZ, FALSE);
    EXPECT_EQ(view.GetStyle() & (WS_HSCROLL | WS_VSCROLL), (DWORD)WS_VSCROLL);
}

TEST_F(ControlsTest, InputMessagesSentByCodeWorkTheQtControls) {
    CButton check;
    ASSERT_TRUE(check.Create("保存", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(0, 0, 80, 20),
                             &parent, 31));
    check.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    check.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    EXPECT_EQ(g_notes, std::vector<std::string>{"31:0"}) << "BN_CLICKED, and nothing else";

    CEdit edit;
    ASSERT_TRUE(
        edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 30, 150, 54), &parent, 32));
    edit.SetWindowText("ab");
    edit.SetSel(0, 0);
    edit.SendMessage(WM_KEYDOWN, VK_END, 1);
    // A Chinese character arrives as its two GBK bytes, one WM_CHAR each.
    const char* zhong = "中";
    for (const char* c : {"x", zhong})
        for (const char* p = c; *p; ++p)
            edit.SendMessage(WM_CHAR, (BYTE)*p, 1);
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, CString("abx中"));
}

namespace {

// Markup that would make a link to a local program and restyle the text if it were read as rich.
const char kMarkup[] = "<b>x</b><a href=\"file:///bin/sh\">y</a>";

// Clicks all over a label, as a user hunting for a link would.
void ClickAllOver(QLabel* label) {
    for (int y = 2; y < label->height(); y += 4)
        for (int x = 2; x < label->width(); x += 4)
            QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(x, y));
}

// Catches whatever asks the desktop to open a local address, whichever way it asks.
struct OpenRecorder {
    QTextBrowser sink; // its setSource(QUrl) slot takes the desktop's requests
    std::vector<std::string> shellOpened;
    ShellOpenHook old;
    OpenRecorder() {
        QDesktopServices::setUrlHandler("file", &sink, "setSource");
        old = AfxSetShellOpenHook([this](const std::string& url) {
            shellOpened.push_back(url);
            return true;
        });
    }
    ~OpenRecorder() {
        QDesktopServices::unsetUrlHandler("file");
        AfxSetShellOpenHook(old);
    }
    bool NothingOpened() const { return sink.source().isEmpty() && shellOpened.empty(); }
};

} // namespace

// Texts the system shows come from data (a contact's home page, a message): they are shown as
// they are, never read as markup, and a click on them opens nothing.
TEST_F(ControlsTest, MessageBoxesAndStaticsShowMarkupAsPlainTextAndOpenNothing) {
    OpenRecorder opens;
    CStatic text;
    ASSERT_TRUE(text.Create(kMarkup, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX,
                            CRect(0, 0, 200, 40), &parent, 50));
    auto* label = qobject_cast<QLabel*>(text.GetWidget());
    ASSERT_NE(nullptr, label);
    Pump();
    EXPECT_EQ(Qt::PlainText, label->textFormat());
    EXPECT_EQ(QString::fromUtf8(kMarkup), label->text());
    ClickAllOver(label);
    text.SetWindowText(kMarkup);
    EXPECT_EQ(Qt::PlainText, label->textFormat());

    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        auto* boxLabel = box->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(nullptr, boxLabel);
        shown = boxLabel->text();
        format = boxLabel->textFormat();
        ClickAllOver(boxLabel);
        box->done(0);
    });
    AfxShowMessageBox(parent.m_hWnd, kMarkup, "提示", MB_OK);
    EXPECT_EQ(Qt::PlainText, format);
    EXPECT_EQ(QString::fromUtf8(kMarkup), shown);
    EXPECT_TRUE(opens.NothingOpened()) << opens.sink.source().toString().toStdString();
}
