#include "platform/gui/Dc.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "ui/KovComboBox.h"
#include "ui/MultiComboBox.h"
#include "ui/PropertyPageExt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QPainter>
#include <QTest>
#include <string>
#include <vector>

namespace {

constexpr UINT kAddressDlg = 8400, kCity = 8401, kPhones = 8402, kNote = 8403;

class CAddressDlg : public CDialog {
public:
    CAddressDlg() : CDialog(kAddressDlg), phones(2) {}
    CKovComboBox city;
    CMultiComboBox phones;
    int oks = 0, cancels = 0;
    std::vector<std::string> events;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        city.SubclassDlgItem(kCity, this);
        city.SubclassEdit();
        phones.SubclassDlgItem(kPhones, this);
        CMultiComboBox::HookEditKeys(&phones);
        return TRUE;
    }
    // The dialog stays open: the tests count what reaches it.
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    void OnPhoneReturn(NMHDR*, LRESULT*) { events.push_back("NM_RETURN"); }
    void OnPhoneSelChange() { events.push_back("CBN_SELCHANGE"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CAddressDlg, CDialog)
ON_NOTIFY(NM_RETURN, kPhones, &CAddressDlg::OnPhoneReturn)
ON_CBN_SELCHANGE(kPhones, &CAddressDlg::OnPhoneSelChange)
END_MESSAGE_MAP()

class ComboBoxesTest : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create(kAddressDlg));
        dlg.ShowWindow(SW_SHOW);
        dlg.SetForegroundWindow();
        Pump();
    }
    void TearDown() override { dlg.DestroyWindow(); }
    void FillCities() {
        // Seventy places, 北京 far down so that showing it at the top scrolls the list.
        for (int i = 0; i < 70; ++i) {
            CString s;
            s.Format("城市%02d", i);
            if (i == 1)
                s = "上海";
            else if (i == 2)
                s = "Shenzhen";
            else if (i == kBeijing)
                s = "北京";
            dlg.city.AddString(s);
        }
    }
    QComboBox* Qt(CWnd& w) { return static_cast<QComboBox*>(w.GetWidget()); }
    CString Text(CWnd& w) {
        CString s;
        w.GetWindowText(s);
        return s;
    }
    void Type(CWnd& w, const char* latin) { QTest::keyClicks(w.GetWidget(), latin); }
    // A Chinese character from the input method.
    void TypeHanzi(CKovComboBox& combo, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(combo.GetWidget(), &commit);
    }
    // The dialog with a combo box's dropped list over it, as a person sees them.
    QImage WithList(CWnd& combo) {
        QWidget* dialog = dlg.GetWidget();
        QWidget* popup = Qt(combo)->view()->window();
        QImage base = dialog->grab().toImage();
        QImage list = popup->grab().toImage();
        QPoint at = popup->mapToGlobal(QPoint(0, 0)) - dialog->mapToGlobal(QPoint(0, 0));
        QRect all = base.rect().united(QRect(at, list.size()));
        QImage out(all.size(), QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter painter(&out);
        painter.drawImage(-all.topLeft(), base);
        painter.drawImage(at - all.topLeft(), list);
        return out;
    }
    static constexpr int kBeijing = 30;
    CAddressDlg dlg;
};

TEST_F(ComboBoxesTest, TypingCompletesFromTheListAndBackspaceDoesNotCompleteAgain) {
    FillCities();
    dlg.city.SetFocus();
    Type(dlg.city, "S");
    EXPECT_EQ(Text(dlg.city), CString("Shenzhen"));
    int start = -1, end = -1;
    ASSERT_TRUE(dlg.city.GetEditSel(start, end));
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 8);
    EXPECT_FALSE(dlg.city.GetDroppedState());
    QTest::keyClick(dlg.city.GetWidget(), Qt::Key_Backspace);
    EXPECT_EQ(Text(dlg.city), CString("S"));

    // A character from the input method completes as well.
    dlg.city.SetWindowText("");
    TypeHanzi(dlg.city, QString::fromUtf16(u"北"));
    EXPECT_EQ(Text(dlg.city), CString("北京"));
    ASSERT_TRUE(dlg.city.GetEditSel(start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 4);
}

TEST_F(ComboBoxesTest, PinyinInitialsDropTheListAtTheMatchOnItsOwnColour) {
    FillCities();
    dlg.city.SetFocus();
    Type(dlg.city, "b");
    ASSERT_TRUE(WaitFor([&] { return dlg.city.GetDroppedState() != FALSE; }));
    // The dropped list has the keyboard; typing still goes to the edit.
    QTest::keyClicks(Qt(dlg.city)->view(), "j");
    EXPECT_EQ(Text(dlg.city), CString("bj")) << "the typed text stays";
    EXPECT_TRUE(dlg.city.GetDroppedState());
    CKovComboEmbededListBox& list = dlg.city.GetList();
    ASSERT_NE(list.m_hWnd, nullptr);
    EXPECT_EQ(list.m_forcedIndex, kBeijing);
    EXPECT_EQ(list.SendMessage(LB_GETCURSEL), kBeijing);
    EXPECT_EQ(list.SendMessage(LB_GETTOPINDEX), kBeijing);
    EXPECT_EQ(list.GetOwner(), &dlg.city);
    QAbstractItemView* view = Qt(dlg.city)->view();
    EXPECT_EQ(view->palette().color(QPalette::Base), QColor(150, 210, 242));
    QImage shot = view->window()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 4), QColor(150, 210, 242));
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(
        WithList(dlg.city).save(QString::fromStdString(ScreenPath("combo-pinyin-drop")), "PNG"));
}

TEST_F(ComboBoxesTest, AHanziAfterAPinyinMatchIsNotTurnedIntoTheMatchedItem) {
    // Whether the typed text replaced the match at once or was erased first, a new completion
    // follows the new text, not the item the pinyin match kept selected.
    for (bool eraseFirst : {false, true}) {
        dlg.city.ResetContent();
        dlg.city.SetWindowText("");
        FillCities();
        dlg.city.SetFocus();
        Type(dlg.city, "bj");
        ASSERT_TRUE(WaitFor([&] { return dlg.city.GetDroppedState() != FALSE; }));
        if (eraseFirst) {
            QTest::keyClick(dlg.city.GetWidget(), Qt::Key_Backspace);
            QTest::keyClick(dlg.city.GetWidget(), Qt::Key_Backspace);
            EXPECT_FALSE(dlg.city.GetDroppedState());
        } else {
            dlg.city.GetWindow(GW_CHILD)->SendMessage(EM_SETSEL, 0, -1);
        }
        TypeHanzi(dlg.city, QString::fromUtf16(u"上"));
        EXPECT_EQ(Text(dlg.city), CString("上海")) << eraseFirst;
        EXPECT_EQ(dlg.city.GetCurSel(), 1) << eraseFirst;
        dlg.city.ShowDropDown(FALSE);
    }
}

TEST_F(ComboBoxesTest, EnterInTheDroppedListPicksTheItemAndOnlyTheNextEnterReachesTheDialog) {
    FillCities();
    dlg.city.SetFocus();
    Type(dlg.city, "bj");
    ASSERT_TRUE(WaitFor([&] { return dlg.city.GetDroppedState() != FALSE; }));
    QTest::keyClick(Qt(dlg.city)->view(), Qt::Key_Return);
    EXPECT_FALSE(dlg.city.GetDroppedState());
    EXPECT_EQ(Text(dlg.city), CString("北京"));
    // The release of that Enter reaches the edit once the list is gone.
    QTest::keyRelease(dlg.city.GetWidget(), Qt::Key_Return);
    Pump();
    EXPECT_EQ(dlg.oks, 0);
    QTest::keyClick(dlg.city.GetWidget(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return dlg.oks == 1; }));
    QTest::keyClick(dlg.city.GetWidget(), Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return dlg.cancels == 1; }));
    EXPECT_EQ(dlg.oks, 1);
}

TEST_F(ComboBoxesTest, ResetKeepsTheTextAndFillAddsInOrder) {
    CStringList cities;
    cities.AddTail("天津");
    cities.AddTail("重庆");
    EXPECT_EQ(FillComboBoxFromList(dlg.city, cities), 2);
    CString s;
    dlg.city.GetLBText(1, s);
    EXPECT_EQ(s, CString("重庆"));
    dlg.city.SetWindowText("天津市");
    dlg.city.SetEditSel(2, 4);
    dlg.city.ResetContentKeepText();
    EXPECT_EQ(dlg.city.GetCount(), 0);
    EXPECT_EQ(Text(dlg.city), CString("天津市"));
    int start = 0, end = 0;
    ASSERT_TRUE(dlg.city.GetEditSel(start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 4);
}

CXStringList Phones() {
    CXStringList list(2);
    const char* rows[][2] = {
        {"010-12345678", "办公室"}, {"13800138000", "手机"}, {"021-7654321", "家"}};
    for (auto& r : rows) {
        CXString v(2);
        v.SetAt(0, r[0]);
        v.SetAt(1, r[1]);
        list.AddTail(v);
    }
    list.SetCurrentIndex(1);
    return list;
}

TEST_F(ComboBoxesTest, EnterAddsANewValueOnlyWhenThereIsOne) {
    dlg.phones.SetValueList(Phones());
    EXPECT_EQ(dlg.phones.GetCurSel(), 1) << "the list's current value is selected";
    EXPECT_EQ(Text(dlg.phones), CString("13800138000"));
    dlg.phones.SetFocus();
    struct Case {
        const char* text; // typed after clearing; null: nothing typed
        bool added;
    } cases[] = {{nullptr, false}, {"010-12345678", false}, {"0755-888", true}};
    int oks = 0;
    for (const Case& c : cases) {
        dlg.events.clear();
        dlg.phones.SetWindowText("");
        if (c.text)
            Type(dlg.phones, c.text);
        int before = dlg.phones.GetCount();
        QTest::keyClick(dlg.phones.GetWidget(), Qt::Key_Return);
        Pump();
        if (c.added) {
            EXPECT_EQ(dlg.phones.GetCount(), before + 1);
            EXPECT_EQ(dlg.phones.GetCurSel(), before);
            EXPECT_EQ(dlg.phones.GetValueList().GetCurrentIndex(), before);
            EXPECT_EQ(dlg.events, (std::vector<std::string>{"NM_RETURN", "CBN_SELCHANGE"}));
        } else {
            ++oks;
            EXPECT_EQ(dlg.phones.GetCount(), before) << (c.text ? c.text : "");
            EXPECT_TRUE(dlg.events.empty()) << ::testing::PrintToString(dlg.events);
        }
        EXPECT_EQ(dlg.oks, oks) << "the default button acts when nothing is added";
    }
    EXPECT_FALSE(dlg.phones.AddEditText(TRUE, TRUE)) << "unchanged since it was added";
}

TEST_F(ComboBoxesTest, ValuesDrawInColumnsWithAGridLine) {
    dlg.phones.SetValueList(Phones());
    auto draw = [](CMultiComboBox& combo, QImage& image) {
        image = QImage(200, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        CDC dc;
        dc.AttachImage(&image);
        DRAWITEMSTRUCT dis{ODT_COMBOBOX,    kPhones,         0,
                           ODA_DRAWENTIRE,  ODS_SELECTED,    combo.m_hWnd,
                           dc.GetSafeHdc(), {0, 0, 200, 20}, 0};
        combo.DrawItem(&dis);
    };
    QImage image;
    draw(dlg.phones, image);
    // One grid line between two half-width cells, at the first cell's right edge less 2.
    QColor grid = AfxQColor(GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(image.pixelColor(98, 10), grid);
    EXPECT_NE(image.pixelColor(150, 10), grid);
    auto inked = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = 3; y < 17; ++y)
                if (QColor c = image.pixelColor(x, y); c.blue() > c.red() + 100)
                    return true; // blue, or blended towards it at a glyph's edge
        return false;
    };
    EXPECT_TRUE(inked(2, 96)) << "first column in the selected colour";
    EXPECT_TRUE(inked(101, 196)) << "second column";

    // Values without strings have no columns: nothing is drawn, nothing divides by zero.
    CMultiComboBox bare(0);
    CXStringList empty(0);
    empty.AddTail(CXString(0));
    bare.GetValueList() = empty;
    draw(bare, image);
    for (QPoint p : {QPoint(0, 0), QPoint(100, 10), QPoint(199, 19)})
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::white));
}

TEST_F(ComboBoxesTest, TheColumnComboOpensWithItsGrid) {
    dlg.phones.SetValueList(Phones());
    dlg.phones.ShowDropDown(TRUE);
    QAbstractItemView* view = Qt(dlg.phones)->view();
    ASSERT_TRUE(WaitFor([&] { return view->isVisible(); }));
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(
        WithList(dlg.phones).save(QString::fromStdString(ScreenPath("combo-columns-open")), "PNG"));
    dlg.phones.ShowDropDown(FALSE);
}

} // namespace
