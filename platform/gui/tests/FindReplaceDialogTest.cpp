#include "GuiTestSupport.h"

#include "platform/gui/FindReplaceDialog.h"
#include "platform/gui/RichEditView.h"

#include <QInputMethodEvent>
#include <QTest>
#include <vector>

namespace {

// A rich-edit view that remembers each search that came to its end.
class CSearchedView : public CRichEditView {
    DECLARE_DYNCREATE(CSearchedView)
public:
    std::vector<CString> done;
    void OnTextNotFound(LPCTSTR lpszFind) override { done.push_back(lpszFind); }
};
IMPLEMENT_DYNCREATE(CSearchedView, CRichEditView)

class FindReplaceDialogTest : public GuiTest {
protected:
    void SetUp() override {
        doc.m_bAutoDelete = FALSE;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                                  CRect(0, 0, 500, 300), nullptr, 0));
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(CSearchedView);
        ctx.m_pCurrentDoc = &doc;
        view = static_cast<CSearchedView*>(CView::CreateFromContext(
            &ctx, &host, AFX_IDW_PANE_FIRST, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 500, 300)));
        ASSERT_TRUE(view);
        view->SendMessage(WM_INITIALUPDATE);
        Pump();
    }
    void TearDown() override {
        if (host.m_hWnd)
            host.DestroyWindow();
    }

    CFindReplaceDialog* Open(UINT command) {
        view->SendMessage(WM_COMMAND, command);
        Pump();
        return view->GetFindReplaceDialog();
    }
    // Types into one of the dialog's edits what a person would, over what it showed.
    void Type(CFindReplaceDialog* dlg, UINT id, const QString& text) {
        QWidget* edit = dlg->GetDlgItem((int)id)->GetWidget();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        // Chinese comes from the input method, as it does for a person.
        for (QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClicks(edit, QString(ch));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(ch));
                QCoreApplication::sendEvent(edit, &commit);
            }
        }
    }
    void Click(CFindReplaceDialog* dlg, UINT id) {
        CWnd* button = dlg->GetDlgItem((int)id);
        ASSERT_TRUE(button);
        QTest::mouseClick(button->GetWidget(), Qt::LeftButton);
        Pump();
    }
    void Enter(CFindReplaceDialog* dlg) {
        QTest::keyClick(dlg->GetDlgItem(CFindReplaceDialog::IDC_FINDWHAT)->GetWidget(),
                        Qt::Key_Return);
        Pump();
    }
    CHARRANGE Sel() {
        CHARRANGE r;
        view->GetRichEditCtrl().GetSel(r);
        return r;
    }
    CString Text() {
        CString s;
        view->GetRichEditCtrl().GetWindowText(s);
        return s;
    }

    CRichEditDoc doc;
    CWnd host;
    CSearchedView* view = nullptr;
};

TEST_F(FindReplaceDialogTest, FindNextGoesRoundTheTextOnceThenSaysItIsDone) {
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    ctrl.SetWindowText("one two one TWO one");
    ctrl.SetSel(4, 4);
    CFindReplaceDialog* dlg = Open(ID_EDIT_FIND);
    ASSERT_TRUE(dlg);
    CString caption;
    dlg->GetWindowText(caption);
    EXPECT_EQ(caption, CString("查找"));
    EXPECT_FALSE(dlg->GetDlgItem(IDOK)->IsWindowEnabled()) << "nothing to look for yet";

    Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, "one");
    EXPECT_TRUE(dlg->GetDlgItem(IDOK)->IsWindowEnabled());
    // From the caret to the end, round to the start, and no further than where it began.
    const long starts[] = {8, 16, 0};
    for (long at : starts) {
        Enter(dlg);
        EXPECT_EQ(Sel().cpMin, at);
        EXPECT_EQ(Sel().cpMax, at + 3);
    }
    EXPECT_TRUE(view->done.empty());
    Enter(dlg);
    ASSERT_EQ(view->done.size(), 1u);
    EXPECT_EQ(view->done[0], CString("one"));
    // The next press is a new search from where the text stands selected.
    Click(dlg, IDOK);
    EXPECT_EQ(Sel().cpMin, 8);

    // Upwards, then matching case: the direction and options are the dialog's.
    Click(dlg, CFindReplaceDialog::IDC_UP);
    Click(dlg, IDOK);
    EXPECT_EQ(Sel().cpMin, 0);
    Click(dlg, CFindReplaceDialog::IDC_DOWN);
    Click(dlg, CFindReplaceDialog::IDC_MATCHCASE);
    Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, "TWO");
    Click(dlg, IDOK);
    EXPECT_EQ(Sel().cpMin, 12);
    Click(dlg, IDOK);
    EXPECT_EQ(view->done.size(), 2u) << "\"two\" is not \"TWO\" when the case counts";

    // A whole-word search skips a word that only holds the text.
    ctrl.SetWindowText("bone one");
    ctrl.SetSel(0, 0);
    Click(dlg, CFindReplaceDialog::IDC_MATCHCASE);
    Click(dlg, CFindReplaceDialog::IDC_WHOLEWORD);
    Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, "one");
    Click(dlg, IDOK);
    EXPECT_EQ(Sel().cpMin, 5);
}

TEST_F(FindReplaceDialogTest, OpensWithTheSelectedTextUpToItsLineBreak) {
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    ctrl.SetWindowText("记事本\r\n第二行");
    struct Case {
        long from, to;
        const char* shown;
    } cases[] = {{0, 3, "记事本"}, {1, 6, "事本"}, {2, 2, "事本"}};
    for (const Case& c : cases) {
        ctrl.SetSel(c.from, c.to);
        CFindReplaceDialog* dlg = Open(ID_EDIT_FIND);
        ASSERT_TRUE(dlg);
        CString shown;
        dlg->GetDlgItemText(CFindReplaceDialog::IDC_FINDWHAT, shown);
        EXPECT_EQ(shown, CString(c.shown))
            << c.from << "-" << c.to;
        // Esc closes it and the view lets it go.
        QTest::keyClick(dlg->GetDlgItem(CFindReplaceDialog::IDC_FINDWHAT)->GetWidget(),
                        Qt::Key_Escape);
        Pump();
        if (std::string(c.shown) == "记事本") {
            EXPECT_EQ(view->GetFindReplaceDialog(), nullptr);
            // Leaves "事本" as the last text sought for the case with no selection.
            dlg = Open(ID_EDIT_FIND);
            Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, QStringLiteral("事本"));
            Enter(dlg);
            dlg->SendMessage(WM_COMMAND, IDCANCEL);
            Pump();
        }
    }
}

TEST_F(FindReplaceDialogTest, ReplaceStepsThroughMatchesAndReplaceAllTakesEachOnce) {
    CRichEditCtrl& ctrl = view->GetRichEditCtrl();
    ctrl.SetWindowText("a b a b a");
    ctrl.SetSel(0, 0);
    CFindReplaceDialog* find = Open(ID_EDIT_FIND);
    ASSERT_TRUE(find);
    HWND findWnd = find->m_hWnd;
    // The replace command closes the find dialog for a replace dialog.
    CFindReplaceDialog* dlg = Open(ID_EDIT_REPLACE);
    ASSERT_TRUE(dlg);
    EXPECT_FALSE(::IsWindow(findWnd));
    EXPECT_FALSE(dlg->IsFindOnly());
    Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, "a");
    Type(dlg, CFindReplaceDialog::IDC_REPLACEWITH, "xa");

    // The first press finds; each press after replaces the match and finds the next.
    Click(dlg, CFindReplaceDialog::IDC_REPLACE);
    EXPECT_EQ(Text(), CString("a b a b a"));
    EXPECT_EQ(Sel().cpMin, 0);
    Click(dlg, CFindReplaceDialog::IDC_REPLACE);
    EXPECT_EQ(Text(), CString("xa b a b a"));
    EXPECT_EQ(Sel().cpMin, 5) << "the replacement's own \"a\" is not the next match";
    EXPECT_EQ(ctrl.CanUndo(), TRUE);

    // Every match once, the replacements' own "a" never again.
    Click(dlg, CFindReplaceDialog::IDC_REPLACEALL);
    EXPECT_EQ(Text(), CString("xxa b xa b xa"));
    EXPECT_EQ(view->done.size(), 1u) << "replace all ends as a search does";

    // Read-only text stays as it is.
    ctrl.SetReadOnly(TRUE);
    Type(dlg, CFindReplaceDialog::IDC_FINDWHAT, "b");
    Click(dlg, CFindReplaceDialog::IDC_REPLACEALL);
    Click(dlg, CFindReplaceDialog::IDC_REPLACE);
    Click(dlg, CFindReplaceDialog::IDC_REPLACE);
    EXPECT_EQ(Text(), CString("xxa b xa b xa"));
}

TEST_F(FindReplaceDialogTest, TheDialogGoesWithItsView) {
    view->GetRichEditCtrl().SetWindowText("text");
    CFindReplaceDialog* dlg = Open(ID_EDIT_REPLACE);
    ASSERT_TRUE(dlg);
    HWND dlgWnd = dlg->m_hWnd;
    // A second replace command brings the same dialog forward.
    EXPECT_EQ(Open(ID_EDIT_REPLACE), dlg);
    view->DestroyWindow();
    Pump();
    EXPECT_FALSE(::IsWindow(dlgWnd));
}

} // namespace
