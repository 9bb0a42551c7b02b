// The screen's font families as the classic enumeration gives them: each face once per
// character set it covers, with the script's Chinese name, and for a bitmap face each size it
// has. The faces come from Qt's font database (fontconfig); the character set of a face is the
// one its writing systems belong to. Metrics are in pixels at the screen's 96 dots per inch.
#pragma once

#include "platform/gui/Dc.h"

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

#ifndef SYMBOL_CHARSET
#define SYMBOL_CHARSET 2
#endif
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238

#define LF_FULLFACESIZE 64

// The logical resolution the enumeration measures in.
constexpr int kScreenLogPixels = 96;

struct ENUMLOGFONTEX {
    LOGFONT elfLogFont;
    char elfFullName[LF_FULLFACESIZE];
    char elfStyle[LF_FACESIZE];
    char elfScript[LF_FACESIZE]; // GBK, e.g. "中文 GB2312"; empty when the face names none
};

struct NEWTEXTMETRIC {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

struct NEWTEXTMETRICEX {
    NEWTEXTMETRIC ntmTm;
};

// Answers 0 to stop the enumeration.
using FONTENUMPROCEX = int (*)(const ENUMLOGFONTEX* lpelfe, const NEWTEXTMETRICEX* lpntme,
                               DWORD FontType, LPARAM lParam);

// Calls lpProc for the faces of lpLogfont: with an empty lfFaceName every face, else that face
// (compared without regard to case); with lfCharSet DEFAULT_CHARSET once per character set the
// face covers, else only for that set. A bitmap face answers once per size it has
// (RASTER_FONTTYPE), an outline face once with its type TRUETYPE_FONTTYPE. Faces meant for
// vertical writing ("@" names) are not listed. Returns the last answer of lpProc (1 when it was
// never called). hdc is a screen DC or null.
int EnumFontFamiliesEx(HDC hdc, const LOGFONT* lpLogfont, FONTENUMPROCEX lpProc, LPARAM lParam,
                       DWORD dwFlags = 0);

// The Chinese name of a character set's script ("西方", "中文 GB2312", ...), empty for one
// with no name.
CString AfxCharSetScriptName(BYTE charSet);
