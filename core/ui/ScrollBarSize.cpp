#include "core/ui/ScrollBarSize.h"

#include "core/SystemInformation.h"
#include "platform/gui/Wnd.h"

namespace {

int Corrected(int size) {
    return CSystemInformation::Get().HasScrollBarCorrection() ? size + 1 : size;
}

} // namespace

int GetVScrollBarWidth() {
    return Corrected(GetSystemMetrics(SM_CXVSCROLL));
}

int GetHScrollBarHeight() {
    return Corrected(GetSystemMetrics(SM_CYHSCROLL));
}
