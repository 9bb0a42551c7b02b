// The framework's command ids of the Edit menu, for views that answer them without the
// application's resource header (which defines the same values).
#pragma once

#ifndef ID_EDIT_CLEAR
#define ID_EDIT_CLEAR 0xE120
#endif
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 0xE122
#endif
#ifndef ID_EDIT_CUT
#define ID_EDIT_CUT 0xE123
#endif
#ifndef ID_EDIT_FIND
#define ID_EDIT_FIND 0xE124
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE 0xE125
#endif
#ifndef ID_EDIT_REPLACE
#define ID_EDIT_REPLACE 0xE129
#endif
#ifndef ID_EDIT_SELECT_ALL
#define ID_EDIT_SELECT_ALL 0xE12A
#endif
#ifndef ID_EDIT_UNDO
#define ID_EDIT_UNDO 0xE12B
#endif
#ifndef ID_EDIT_REDO
#define ID_EDIT_REDO 0xE12C
#endif
