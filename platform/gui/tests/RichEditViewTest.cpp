#include "GuiTestSupport.h"

#include "platform/gui/RichEditView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <string>
#include <vector>

namespace {

enum { kBold = 31799, kSubscript = 31817, kSuperscript = 31818, kBullet = 31823 };

// A notebook-like view: its own ids for the character commands, links taken on a press, and
// searches that found nothing remembered.
class CNotesView : public CRichEditView {
    DECLARE_DYNCREATE(CNotesView)
public:
    std::vector<CHARRANGE> links;
    std::vector<CString> notFound;
    void OnTextNotFound(LPCTSTR lpszFind) override { notFound.push_back(lpszFind); }
    void OnLink(NMHDR* nm, LRESULT* pResult) {
        auto* link = reinterpret_cast<ENLINK*>(nm);
        if (link->msg == WM_LBUTTONDOWN) {
            links.push_back(link->chrg);
            *pResult = 1;
        }
    }
    void OnSubscript() { OnCharEffect(CFM_SUBSCRIPT, CFE_SUBSCRIPT); }
    void OnSuperscript() { OnCharEffect(CFM_SUPERSCRIPT, CFE_SUPERSCRIPT); }
    void OnUpdateSubscript(CCmdUI* p) { OnUpdateCharEffect(p, CFM_SUBSCRIPT, CFE_SUBSCRIPT); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNotesView, CRichEditView)
BEGIN_MESSAGE_MAP(CNotesView, CRichEditView)
ON_COMMAND(kBold, &CRichEditView::OnCharBold)
ON_UPDATE_COMMAND_UI(kBold, &CRichEditView::OnUpdateCharBold)
ON_COMMAND(kSubscript, &CNotesView::OnSubscript)
ON_COMMAND(kSuperscript, &CNotesView::OnSuperscript)
ON_UPDATE_COMMAND_UI(kSubscript, &CNotesView::OnUpdateSubscript)
ON_COMMAND(kBullet, &CRichEditView::OnBullet)
ON_UPDATE_COMMAND_UI(kBullet, &CRichEditView::OnUpdateBullet)
ON_NOTIFY_REFLECT(EN_LINK, &CNotesView::OnLink)
END_MESSAGE_MAP()

// Remembers what an update handler decided.
class CStateUI : public CCmdUI {
public:
    int check = -1;
    int enabled = -1;
    void Enable(BOOL bOn) override { enabled = bOn ? 1 : 0; }
    void SetCheck(int nCheck) override { check = nCheck; }
};

class RichEditViewTest : public GuiTest {
protected:
    void SetUp() override {
        for (CRichEditDoc* d : {&doc, &again, &plain})
            d->m_bAutoDelete = FALSE;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300),
                                  nullptr, 0));
    }
    void TearDown() override { host.DestroyWindow(); }
    // A view of the document filling most of the host.
    CNotesView* Open(CRichEditDoc& doc) {
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(CNotesView);
        ctx.m_pCurrentDoc = &doc;
        auto* v = static_cast<CNotesView*>(CView::CreateFromContext(
            &ctx, &host, AFX_IDW_PANE_FIRST + views++, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 400, 300)));
        if (v)
            v->SendMessage(WM_INITIALUPDATE);
        Pump();
        return v;
    }
    CStateUI Update(CCmdTarget* target, UINT id) {
        CStateUI ui;
        ui.m_nID = id;
        ui.DoUpdate(target, FALSE);
        return ui;
    }
    static CString Text(CWnd& w) {
        CString s;
        w.GetWindowText(s);
        return s;
    }
    static std::string FileBytes(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll().toStdString();
    }

    // The documents outlive their views, which go with the host.
    CRichEditDoc doc, again, plain;
    CWnd host;
    int views = 0;
    QTemporaryDir dir;
};

TEST_F(RichEditViewTest, TheDocumentIsTheTextOfItsView) {
    CNotesView* view = Open(doc);
    ASSERT_TRUE(view);
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    EXPECT_EQ(doc.GetView(), view);
    EXPECT_EQ(view->GetDocument(), &doc);
    CRect whole, ctrlRect;
    view->GetWindowRect(&whole);
    ctrl.GetWindowRect(&ctrlRect);
    EXPECT_TRUE(ctrlRect.left >= whole.left && ctrlRect.top >= whole.top &&
                ctrlRect.right <= whole.right && ctrlRect.bottom <= whole.bottom &&
                ctrlRect.Width() >= whole.Width() - 4 && ctrlRect.Height() >= whole.Height() - 4)
        << "the control is the whole view";
    // The view's scroll bars are the control's: a vertical one, none across wrapped text.
    auto* edit = qobject_cast<QTextEdit*>(ctrl.GetWidget());
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // Text and messages sent to the view reach its control.
    view->SetWindowText("标题\r\n正文 text");
    EXPECT_EQ(Text(ctrl), CString("标题\r\n正文 text"));
    EXPECT_EQ(view->SendMessage(WM_GETTEXTLENGTH), Text(ctrl).GetLength());
    EXPECT_EQ(view->GetTextLength(), 10);
    EXPECT_FALSE(doc.IsModified()) << "text set by the program is no edit";
    view->SendMessage(EM_SETSEL, 0, 2);
    view->SendMessage(WM_COMMAND, kBold);
    ctrl.SetModify(TRUE);
    EXPECT_TRUE(doc.IsModified());

    // Saved as RTF and opened again in another view: the same text in the same formats.
    QString path = dir.filePath("notes.ntp");
    ASSERT_TRUE(doc.OnSaveDocument(path.toUtf8().constData()));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(ctrl.GetModify());
    std::string saved = FileBytes(path);
    EXPECT_EQ(saved.compare(0, 6, "{\\rtf1"), 0);

    CNotesView* other = Open(again);
    ASSERT_TRUE(other);
    other->SetWindowText("to be replaced");
    ASSERT_TRUE(again.OnOpenDocument(path.toUtf8().constData()));
    EXPECT_EQ(Text(other->GetRichEditCtrl()), Text(ctrl));
    EXPECT_FALSE(again.IsModified());
    other->GetRichEditCtrl().SetSel(0, 2);
    EXPECT_TRUE(other->GetCharFormatSelection().dwEffects & CFE_BOLD);
    other->GetRichEditCtrl().SetSel(3, 5);
    EXPECT_FALSE(other->GetCharFormatSelection().dwEffects & CFE_BOLD);

    // A plain-text document reads and writes plain text.
    plain.m_bRTF = FALSE;
    CNotesView* third = Open(plain);
    ASSERT_TRUE(third);
    third->SetWindowText("一行\r\n两行");
    QString txt = dir.filePath("notes.txt");
    ASSERT_TRUE(plain.OnSaveDocument(txt.toUtf8().constData()));
    EXPECT_EQ(FileBytes(txt), std::string("一行\r\n两行"));
    third->SetWindowText("");
    ASSERT_TRUE(plain.OnOpenDocument(txt.toUtf8().constData()));
    EXPECT_EQ(Text(third->GetRichEditCtrl()), CString("一行\r\n两行"));

    // Emptying the document empties the view and its history.
    doc.DeleteContents();
    EXPECT_EQ(Text(ctrl), CString(""));
    EXPECT_FALSE(ctrl.CanUndo());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(RichEditViewTest, EditsMarkTheDocumentAndClearingItClearsTheControl) {
    CNotesView* view = Open(doc);
    ASSERT_TRUE(view);
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    QTest::keyClicks(ctrl.GetWidget(), "typed");
    EXPECT_EQ(Text(ctrl), CString("typed"));
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(FALSE);
    EXPECT_FALSE(ctrl.GetModify());
    EXPECT_FALSE(doc.IsModified());
    // A format change is a change of the document too.
    ctrl.SetSel(0, -1);
    view->SendMessage(WM_COMMAND, kBold);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(RichEditViewTest, EditingCommandsAndTheirStates) {
    CNotesView* view = Open(doc);
    ASSERT_TRUE(view);
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    EXPECT_EQ(Update(view, ID_EDIT_SELECT_ALL).enabled, 0) << "nothing to select";
    EXPECT_EQ(Update(view, ID_EDIT_UNDO).enabled, 0);
    QTest::keyClicks(ctrl.GetWidget(), "H2O x2");
    EXPECT_EQ(Update(view, ID_EDIT_UNDO).enabled, 1);
    EXPECT_EQ(Update(view, ID_EDIT_COPY).enabled, 0) << "no selection";
    view->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
    long s, e;
    ctrl.GetSel(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 6);
    EXPECT_EQ(Update(view, ID_EDIT_COPY).enabled, 1);
    EXPECT_EQ(Update(view, ID_EDIT_CUT).enabled, 1);

    // Effects: on, off, and mixed over a selection that only partly has them.
    ctrl.SetSel(0, 1);
    view->SendMessage(WM_COMMAND, kBold);
    EXPECT_EQ(Update(view, kBold).check, 1);
    ctrl.SetSel(0, 3);
    EXPECT_EQ(Update(view, kBold).check, 2);
    view->SendMessage(WM_COMMAND, kBold);
    EXPECT_EQ(Update(view, kBold).check, 1) << "a partly bold selection becomes all bold";
    view->SendMessage(WM_COMMAND, kBold);
    EXPECT_EQ(Update(view, kBold).check, 0);

    // Subscript and superscript exclude each other.
    ctrl.SetSel(1, 2);
    view->SendMessage(WM_COMMAND, kSuperscript);
    view->SendMessage(WM_COMMAND, kSubscript);
    EXPECT_EQ(Update(view, kSubscript).check, 1);
    EXPECT_EQ(view->GetCharFormatSelection().dwEffects & CFM_SUBSCRIPT, (DWORD)CFE_SUBSCRIPT);
    view->SendMessage(WM_COMMAND, kSubscript);
    EXPECT_EQ(view->GetCharFormatSelection().dwEffects & CFM_SUBSCRIPT, 0u);

    // Bullets: on with the text standing off, off with the indent gone.
    view->SendMessage(WM_COMMAND, kBullet);
    EXPECT_EQ(Update(view, kBullet).check, 1);
    PARAFORMAT pf = view->GetParaFormatSelection();
    EXPECT_EQ(pf.wNumbering, PFN_BULLET);
    EXPECT_EQ(pf.dxOffset, view->m_nBulletIndent);
    view->SendMessage(WM_COMMAND, kBullet);
    pf = view->GetParaFormatSelection();
    EXPECT_EQ(pf.wNumbering, 0);
    EXPECT_EQ(pf.dxOffset, 0);
    EXPECT_EQ(pf.dxStartIndent, 0);

    // Alignment through the view.
    view->OnParaCenter();
    CStateUI ui;
    view->OnUpdateParaCenter(&ui);
    EXPECT_EQ(ui.check, 1);
    view->OnUpdateParaLeft(&ui);
    EXPECT_EQ(ui.check, 0);

    // Undo, cut and paste through the commands.
    view->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
    view->SendMessage(WM_COMMAND, ID_EDIT_CUT);
    EXPECT_EQ(Text(ctrl), CString(""));
    view->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    EXPECT_EQ(Text(ctrl), CString("H2O x2"));
    EXPECT_EQ(Update(view, ID_EDIT_REDO).enabled, 1);
    view->SendMessage(WM_COMMAND, ID_EDIT_REDO);
    EXPECT_EQ(Text(ctrl), CString(""));
    EXPECT_EQ(Update(view, ID_EDIT_PASTE).enabled, 1);
    view->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
    EXPECT_EQ(Text(ctrl), CString("H2O x2"));
}

TEST_F(RichEditViewTest, WordWrapModes) {
    CNotesView* view = Open(doc);
    ASSERT_TRUE(view);
    auto* edit = qobject_cast<QTextEdit*>(view->GetRichEditCtrl().GetWidget());
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->lineWrapMode(), QTextEdit::WidgetWidth) << "to the window at first";
    struct Case {
        int mode;
        QTextEdit::LineWrapMode qt;
    } cases[] = {{CRichEditView::WrapNone, QTextEdit::NoWrap},
                 {CRichEditView::WrapToTargetDevice, QTextEdit::FixedPixelWidth},
                 {CRichEditView::WrapToWindow, QTextEdit::WidgetWidth}};
    for (auto& c : cases) {
        view->m_nWordWrap = c.mode;
        view->WrapChanged();
        EXPECT_EQ(edit->lineWrapMode(), c.qt) << c.mode;
    }
    // The page's width less its margins: an A4 page (11906 twips) less 1.25 inches each side.
    view->m_nWordWrap = CRichEditView::WrapToTargetDevice;
    view->WrapChanged();
    EXPECT_EQ(edit->lineWrapColumnOrWidth(), (11906 - 2 * 1800) * edit->logicalDpiX() / 1440);
}

TEST_F(RichEditViewTest, LinksComeBackToTheViewAndSearchesGoRound) {
    CNotesView* view = Open(doc);
    ASSERT_TRUE(view);
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    ctrl.SendMessage(EM_AUTOURLDETECT, TRUE);
    ctrl.SetEventMask(ctrl.GetEventMask() | ENM_LINK);
    ctrl.SetWindowText("see www.example.com here");
    ctrl.SetReadOnly(TRUE);
    Pump();
    CPoint a = ctrl.GetCharPos(6), b = ctrl.GetCharPos(7);
    int h = qobject_cast<QTextEdit*>(ctrl.GetWidget())->fontMetrics().height();
    ctrl.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((a.x + b.x) / 2, a.y + h / 2));
    ASSERT_EQ(view->links.size(), 1u);
    EXPECT_EQ(view->links[0].cpMin, 4);
    EXPECT_EQ(view->links[0].cpMax, 19);

    ctrl.SetReadOnly(FALSE);
    ctrl.SetWindowText("one two one TWO");
    ctrl.SetSel(0, 0);
    struct Case {
        const char* what;
        BOOL matchCase, next;
        long from, to;
    } cases[] = {
        {"one", TRUE, TRUE, 0, 3}, {"one", TRUE, TRUE, 8, 11},   {"one", TRUE, TRUE, 0, 3},
        {"two", TRUE, TRUE, 4, 7}, {"two", FALSE, TRUE, 12, 15}, {"one", TRUE, FALSE, 8, 11},
    };
    for (auto& c : cases) {
        EXPECT_TRUE(view->FindText(c.what, c.matchCase, TRUE, c.next)) << c.what;
        long s, e;
        ctrl.GetSel(s, e);
        EXPECT_EQ(s, c.from) << c.what;
        EXPECT_EQ(e, c.to) << c.what;
    }
    EXPECT_TRUE(view->notFound.empty());
    EXPECT_FALSE(view->FindText("three"));
    ASSERT_EQ(view->notFound.size(), 1u);
    EXPECT_EQ(view->notFound[0], CString("three"));
    EXPECT_FALSE(view->FindText("tw", TRUE, TRUE)) << "whole words only";
}

} // namespace
