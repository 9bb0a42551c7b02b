// Whether a window would enable a command: its update handler asked as a menu would ask it.
#pragma once

#include "platform/gui/CmdTarget.h"

inline BOOL IsCommandEnabled(CCmdTarget* pTarget, UINT nID) {
    BOOL bOn = FALSE;
    struct Probe : CCmdUI {
        BOOL* pOn = nullptr;
        void Enable(BOOL b) override { *pOn = b; }
    } probe;
    probe.m_nID = nID;
    probe.pOn = &bOn;
    pTarget->OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &probe, nullptr);
    return bOn;
}
