// Contact and group values shown in plain combo boxes: a value list as one row per value with the
// current value selected, and a stored text as the box's choice.
#pragma once

#include "core/StringListXString.h"
#include "platform/gui/Controls.h"

// The list's rows into the box, the current value selected (none: empty text).
void ShowValueList(CComboBox& box, const CXStringList& list);
// The box's choice back into the list: the chosen row becomes the current value; a typed text
// becomes a new current value unless a value already reads so (that one is then chosen).
void CommitValueList(CComboBox& box, CXStringList& list);
// A stored text into a box: the first item that begins with it, else the text itself.
void SetComboText(CComboBox& box, const CString& text);
// The provinces of the address forms, in their fixed order.
void FillProvinceList(CComboBox& box);
