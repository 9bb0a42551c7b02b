// Text helpers that need a device context or a control of the window layer.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CDC;
class CListCtrl;

// When the text is wider than nWidth on the device context, shortens it, a whole character at a
// time, until it fits with "..." after it, and appends "..." (only "..." is left when no
// character fits). FALSE, with the text unchanged, when it fits already.
BOOL FitTextWithEllipsis(CDC* pDC, CString& text, int nWidth);

// Adds the text of column nColumn of every row, in row order, to the list (its entries stay).
// Answers the number of rows.
int GetListCtrlColumnTexts(const CListCtrl& listCtrl, CStringList& list, int nColumn);
