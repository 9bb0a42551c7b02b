#include "GuiTestSupport.h"

#include "platform/gui/Accel.h"
#include "platform/gui/Controls.h"
#include "platform/gui/PropertySheet.h"
#include "platform/gui/WinApp.h"

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

namespace {

// Stands in for a frame: it offers every key message to its accelerator table first.
class CAccelFrame : public CWnd {
public:
    HACCEL m_hAccel = nullptr;
    std::vector<UINT> commands;
    BOOL deleteEnabled = TRUE;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
            return TranslateAccelerator(m_hWnd, m_hAccel, pMsg);
        return FALSE;
    }
    void OnCommandId(UINT id) { commands.push_back(id); }
    void OnUpdateDelete(CCmdUI* pCmdUI) { pCmdUI->Enable(deleteEnabled); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CAccelFrame, CWnd)
ON_COMMAND_RANGE(7301, 7307, &CAccelFrame::OnCommandId)
ON_UPDATE_COMMAND_UI(7303, &CAccelFrame::OnUpdateDelete)
END_MESSAGE_MAP()

class AccelTest : public GuiTest {
protected:
    void SetUp() override {
        frame.m_hAccel = LoadAccelerators(nullptr, MAKEINTRESOURCE(7300));
        ASSERT_NE(frame.m_hAccel, nullptr);
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr));
        ASSERT_TRUE(
            edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 150, 24), &frame, 10));
        edit.SetFocus();
    }
    CAccelFrame frame;
    CEdit edit;
};

TEST_F(AccelTest, KeysOfTheTableBecomeCommandsAndNothingElseDoes) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        UINT command; // 0: no command, the key goes on to the edit
    } cases[] = {
        {Qt::Key_S, Qt::ControlModifier, 7301},
        {Qt::Key_S, Qt::NoModifier, 0},
        {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {Qt::Key_F4, Qt::NoModifier, 7302},
        {Qt::Key_F4, Qt::ControlModifier, 0},
        {Qt::Key_Delete, Qt::ShiftModifier, 7303},
        {Qt::Key_Delete, Qt::NoModifier, 0},
        {Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, 7304},
        {Qt::Key_Q, Qt::ControlModifier, 0},
        {Qt::Key_PageUp, Qt::AltModifier, 7305},
        {Qt::Key_Z, Qt::ControlModifier, 7306},
        {Qt::Key_Plus, Qt::NoModifier, 7307},
    };
    for (const Case& c : cases) {
        frame.commands.clear();
        QTest::keyClick(edit.GetWidget(), c.key, c.mods);
        std::vector<UINT> expected;
        if (c.command)
            expected.push_back(c.command);
        EXPECT_EQ(frame.commands, expected)
            << QKeySequence(c.key | c.mods).toString().toStdString();
    }
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, CString("s")) << "only the plain key reached the edit; '+' became a command";
}

// A modifier whose release never reached us (Qt drops input for a window a modal dialog blocks)
// is let go by the next key that comes without it, so a plain key is not taken for Ctrl+key.
TEST_F(AccelTest, AModifierWhoseReleaseWasLostIsLetGoByTheNextPlainKey) {
    struct Case {
        Qt::Key modifierKey;
        Qt::KeyboardModifier modifier;
        Qt::Key key;
        UINT commandWhileHeld; // the command the key gives with the modifier held
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_Control, Qt::ControlModifier, Qt::Key_S, 7301, VK_CONTROL},
        {Qt::Key_Shift, Qt::ShiftModifier, Qt::Key_Delete, 7303, VK_SHIFT},
    };
    // Single key events, each as the keyboard makes it (QTest's clicks would press and release
    // the modifier keys themselves).
    auto send = [this](QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods) {
        QKeyEvent ev(type, key, mods);
        QCoreApplication::sendEvent(edit.GetWidget(), &ev);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vk);
        frame.commands.clear();
        send(QEvent::KeyPress, c.modifierKey, c.modifier);
        send(QEvent::KeyPress, c.key, c.modifier);
        send(QEvent::KeyRelease, c.key, c.modifier);
        EXPECT_EQ(frame.commands, std::vector<UINT>{c.commandWhileHeld});
        EXPECT_LT(GetKeyState(c.vk), 0) << "held, its release not seen";
        // The release is lost; the next key comes without the modifier.
        send(QEvent::KeyPress, c.key, Qt::NoModifier);
        send(QEvent::KeyRelease, c.key, Qt::NoModifier);
        EXPECT_EQ(frame.commands, std::vector<UINT>{c.commandWhileHeld});
        EXPECT_GE(GetKeyState(c.vk), 0);
    }
}

TEST_F(AccelTest, DisabledCommandIsSwallowedButNotCarriedOut) {
    frame.deleteEnabled = FALSE;
    QTest::keyClick(edit.GetWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(frame.commands.empty());
    frame.deleteEnabled = TRUE;
    QTest::keyClick(edit.GetWidget(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(frame.commands, std::vector<UINT>{7303});
}

TEST_F(AccelTest, TablesMadeAtRunTimeAreCopiedAndDestroyed) {
    ACCEL entries[] = {{FVIRTKEY, VK_F11, 7302}, {FVIRTKEY | FCONTROL, 'E', 7301}};
    HACCEL h = CreateAcceleratorTable(entries, 2);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(CopyAcceleratorTable(h, nullptr, 0), 2);
    ACCEL out[2]{};
    EXPECT_EQ(CopyAcceleratorTable(h, out, 1), 1);
    EXPECT_EQ(out[0].cmd, 7302);
    EXPECT_EQ(out[1].cmd, 0) << "nothing beyond the room given";
    HACCEL loaded = std::exchange(frame.m_hAccel, h);
    QTest::keyClick(edit.GetWidget(), Qt::Key_F11);
    EXPECT_EQ(frame.commands, std::vector<UINT>{7302});
    EXPECT_TRUE(DestroyAcceleratorTable(h));
    EXPECT_FALSE(DestroyAcceleratorTable(h));
    QTest::keyClick(edit.GetWidget(), Qt::Key_F11);
    EXPECT_EQ(frame.commands.size(), 1u) << "a destroyed table is ignored";
    frame.m_hAccel = loaded;
    EXPECT_TRUE(DestroyAcceleratorTable(loaded)) << "harmless for a loaded table";
    ASSERT_EQ(LoadAccelerators(nullptr, MAKEINTRESOURCE(7300)), loaded);
    EXPECT_EQ(CopyAcceleratorTable(frame.m_hAccel, nullptr, 0), 7);
    EXPECT_EQ(LoadAccelerators(nullptr, MAKEINTRESOURCE(7399)), nullptr);
}

// A key typed in a modal window acts in it alone: the accelerators of the windows behind it (its
// owner, and the main window that sees the keys of windows outside its own) do nothing, while
// the window's own keys work in it.
class ModalKeysTest : public GuiTest {
protected:
    void SetUp() override {
        const ACCEL keys[] = {
            {FVIRTKEY | FCONTROL, '2', 7301}, {FVIRTKEY | FCONTROL, 'N', 7302},
            {FVIRTKEY, VK_DELETE, 7303},      {FVIRTKEY | FCONTROL, 'S', 7304},
            {FVIRTKEY | FCONTROL, 'X', 7305}, {FVIRTKEY | FCONTROL, 'Z', 7306},
            {FVIRTKEY | FCONTROL, 'V', 7307},
        };
        frame.m_hAccel = CreateAcceleratorTable(const_cast<ACCEL*>(keys), 7);
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "main", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                                   400, 300, nullptr, nullptr));
        ASSERT_TRUE(other.CreateEx(0, nullptr, "other", WS_POPUP | WS_CAPTION | WS_VISIBLE, 420,
                                   0, 200, 100, nullptr, nullptr));
        app.m_pMainWnd = &frame;
    }
    void TearDown() override {
        AfxSetModalDialogHook(nullptr);
        app.m_pMainWnd = nullptr;
        other.DestroyWindow();
        frame.DestroyWindow();
        DestroyAcceleratorTable(frame.m_hAccel);
    }
    static QWidget* Focus() {
        CWnd* f = CWnd::GetFocus();
        return f ? f->GetWidget() : QApplication::focusWidget();
    }
    // The keys of the frame's table pressed in the modal window with an edit focused: none
    // reaches the frame, and those the edit knows work in it.
    void TypeInto(CWnd* edit) {
        edit->GetTopLevelParent()->SetForegroundWindow();
        AfxGotoDlgCtrl(edit);
        QWidget* w = edit->GetWidget();
        ASSERT_TRUE(WaitFor([w] { return Focus() == w; }));
        QTest::keyClicks(w, "ab");
        QTest::keyClick(w, Qt::Key_Home);
        QTest::keyClick(w, Qt::Key_Delete);
        CString text;
        edit->GetWindowText(text);
        EXPECT_EQ(text, CString("b")) << "Delete erases in the edit";
        QTest::keyClick(w, Qt::Key_End);
        QTest::keyClick(w, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier);
        edit->GetWindowText(text);
        EXPECT_EQ(text, CString("")) << "Ctrl+X cuts in the edit";
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        edit->GetWindowText(text);
        EXPECT_EQ(text, CString("bb")) << "Ctrl+V pastes in the edit";
        QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
        for (Qt::Key k : {Qt::Key_2, Qt::Key_N, Qt::Key_S})
            QTest::keyClick(w, k, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Tab);
        EXPECT_NE(Focus(), w) << "Tab goes on to the next control";
        EXPECT_TRUE(frame.commands.empty()) << frame.commands.size() << " reached the frame";
    }
    CWinApp app{"keys"};
    CAccelFrame frame;
    CWnd other;
};

TEST_F(ModalKeysTest, ADialogKeepsItsKeysFromItsOwnerAndFromTheMainWindow) {
    // Owned by the main window, the keys would walk up to it; owned by another window, they
    // would be handed to the main window as the keys of a window outside it.
    for (CWnd* owner : {(CWnd*)&frame, &other}) {
        SCOPED_TRACE(owner == &frame ? "owned by the main window" : "owned by another window");
        frame.commands.clear();
        CDialog dlg(7100, owner);
        bool ran = false;
        AfxSetModalDialogHook([&](CDialog& d) {
            ran = true;
            TypeInto(d.GetDlgItem(7101));
            QTest::keyClick(Focus(), Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "Escape cancels the dialog";
        EXPECT_TRUE(ran);
        EXPECT_TRUE(frame.commands.empty());
    }
    // Without a modal window the keys of a window outside the main window still reach the
    // main window's table, as before.
    CDialog modeless;
    ASSERT_TRUE(modeless.Create(7100, &other));
    CWnd* edit = modeless.GetDlgItem(7101);
    edit->SetFocus();
    QTest::keyClick(edit->GetWidget(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(frame.commands, std::vector<UINT>{7301});
    modeless.DestroyWindow();
}

TEST_F(ModalKeysTest, APropertySheetKeepsItsKeys) {
    CPropertyPage page(7400);
    CPropertySheet sheet("sheet", &frame);
    sheet.AddPage(&page);
    AfxSetModalDialogHook([&](CDialog&) {
        TypeInto(page.GetDlgItem(7401));
        QTest::keyClick(Focus(), Qt::Key_Escape);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_TRUE(frame.commands.empty());
}

TEST_F(ModalKeysTest, AMessageBoxKeepsItsKeys) {
    AfxSetMessageBoxHook(nullptr);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_TRUE(box);
        ran = true;
        QWidget* w = Focus() ? Focus() : box;
        for (Qt::Key k : {Qt::Key_2, Qt::Key_N, Qt::Key_S, Qt::Key_X, Qt::Key_Z, Qt::Key_V})
            QTest::keyClick(w, k, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Delete);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(AfxShowMessageBox(frame.m_hWnd, "?", "box", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(frame.commands.empty());
}

// A window that has the keyboard to itself while the program works for it (a progress window
// pumping its own messages) keeps its keys as a modal window does, until it gives it back.
TEST_F(ModalKeysTest, AWindowWithTheKeyboardToItselfKeepsItsKeys) {
    CDialog progress;
    ASSERT_TRUE(progress.Create(7100, &frame));
    progress.ShowWindow(SW_SHOW);
    CWnd* edit = progress.GetDlgItem(7101);
    edit->SetFocus();
    {
        CExclusiveKeys keys(&progress);
        QTest::keyClick(edit->GetWidget(), Qt::Key_2, Qt::ControlModifier);
        EXPECT_TRUE(frame.commands.empty());
        // A modal window opened meanwhile has the keyboard while it runs.
        CDialog dlg(7100, &progress);
        AfxSetModalDialogHook([&](CDialog& d) {
            CWnd* inner = d.GetDlgItem(7101);
            AfxGotoDlgCtrl(inner);
            QTest::keyClick(inner->GetWidget(), Qt::Key_2, Qt::ControlModifier);
            QTest::keyClick(inner->GetWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(frame.commands.empty());
        edit->SetFocus();
        QTest::keyClick(edit->GetWidget(), Qt::Key_Escape);
        EXPECT_FALSE(progress.IsWindowVisible()) << "Escape works in the window itself";
    }
    progress.ShowWindow(SW_SHOW);
    edit->SetFocus();
    QTest::keyClick(edit->GetWidget(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(frame.commands, std::vector<UINT>{7301});
    progress.DestroyWindow();
}

} // namespace
