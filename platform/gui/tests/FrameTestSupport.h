// Shared pieces of the frame, menu and bar tests: resource tables registered by the test itself,
// and a view that shows which pane it is.
#pragma once

#include "platform/gui/Resource.h"
#include "platform/gui/View.h"

inline ResModule TestResources(const ResString* strings, int stringCount, const ResMenu* menus,
                               int menuCount) {
    ResModule m{};
    m.strings = strings;
    m.stringCount = stringCount;
    m.menus = menus;
    m.menuCount = menuCount;
    return m;
}

// Fills itself light blue in the first pane and light yellow elsewhere, so pictures show the
// panes apart.
class CPaneColourView : public CView {
    DECLARE_DYNCREATE(CPaneColourView)
public:
    void OnDraw(CDC* pDC) override;
};
