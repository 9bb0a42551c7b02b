// The sizes and fonts of window captions, menus, status lines and message boxes, as
// SystemParametersInfo(SPI_GETNONCLIENTMETRICS) answers them (cbSize must be set). The fonts are
// the desktop's own fonts for those parts, so text drawn by the program matches the menus the
// desktop draws.
#pragma once

#include "platform/gui/Dc.h"

#define SPI_GETNONCLIENTMETRICS 0x0029

struct NONCLIENTMETRICS {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONT lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONT lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
};
