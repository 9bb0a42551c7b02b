// What a click on a contact's or a group's value does: which fields dial a phone number, write
// to a mail address or open a web page, and the captions of their value menus. The address handed
// to the desktop is built with care by BuildFieldActionAddress.
#pragma once

#include "core/FieldActionAddress.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"


// Phones 5, 6, 20, 31 and 32 dial; e-mail 13 and 38 write; home pages 14 and 39 open.
FieldAction GetPersonFieldAction(int nField);
// The group's properties 7 (phone), 9 (e-mail) and 10 (home page), by display index.
FieldAction GetGroupPropertyAction(int nProperty);

// The caption of a contact field's value menu (ending in ":"); empty for fields without one.
CString GetPersonFieldMenuCaption(int nField);
// The same for a group's property.
CString GetGroupPropertyMenuCaption(int nProperty);
