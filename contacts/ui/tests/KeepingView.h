// A right-pane view holding unsaved edits, for the tree tests: it refuses to be left while told
// so, as the contact form does.
#pragma once

#include "platform/gui/View.h"

class CKeepingView : public CView {
public:
    BOOL m_bKeep = TRUE;
    void OnDraw(CDC*) override {}
    LRESULT OnQueryKeep(WPARAM, LPARAM) { return m_bKeep; }
    DECLARE_MESSAGE_MAP()
};
