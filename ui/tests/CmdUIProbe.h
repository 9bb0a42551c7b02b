// A command-update probe for the window tests: what a window's update handler made of a command.
#pragma once

#include "platform/gui/CmdTarget.h"

class TestCmdUI : public CCmdUI {
public:
    BOOL enabled = FALSE;
    int check = -1;
    void Enable(BOOL bOn) override {
        enabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override { check = nCheck; }
};

// Asks target to update command id into a probe.
inline TestCmdUI UpdateOf(CCmdTarget* target, UINT id) {
    TestCmdUI ui;
    ui.m_nID = id;
    target->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return ui;
}
