#include "GuiTestSupport.h"

#include "platform/gui/Accel.h"
#include "platform/gui/Controls.h"

#include <QKeyEvent>
#include <QTest>
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

} // namespace
