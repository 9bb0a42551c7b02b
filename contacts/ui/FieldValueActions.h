// Acting on a contact's or a group's values from the windows: the menu of a multi-value field's
// values, and dialling, writing to or opening one value through the desktop. One function,
// OpenFieldActionValue, serves every window that offers such a link (the contact views, the
// multi-value list editor), so that each hands the desktop only what BuildFieldActionAddress
// allows.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/FieldActions.h"
#include "contacts/Person.h"
#include "ui/FieldActionOpen.h"

class CMenu;
class CWnd;

// The value list of a contact's field with an action (see above), or of a group's property 7, 9
// or 10; null for any other field.
CXStringList* GetFieldValueList(_CPerson& person, int nField);
CXStringList* GetPropertyValueList(_CGroup& group, int nProperty);

// The values of a contact's multi-value field 5, 6, 13, 14, 20, 31, 32, 38 or 39 as menu items
// with ids from nFirstId, the current value checked; with bWithCaption each item starts with the
// field's caption. Answers the number of items added (0 for any other field).
int FillFieldMenu(CMenu& menu, _CPerson& person, int nField, UINT nFirstId, BOOL bWithCaption);
// The same for a group's properties 7 (phone), 9 (e-mail) and 10 (home page).
int FillFieldMenu(CMenu& menu, _CGroup& group, int nProperty, UINT nFirstId, BOOL bWithCaption);

// Value j (the current value when j < 0) of the contact's field; FALSE for another field, a j
// outside the list or a value that was not opened. With bQuoted a mail carries the contact's name.
BOOL OpenFieldValue(_CPerson& person, int nField, int j, BOOL bQuoted);
BOOL OpenPropertyValue(_CGroup& group, int nProperty, int j, BOOL bQuoted);

// The recipients part of one mail to all the values ("a;b"), each value built as a single mail
// address is (a value that cannot be mailed is left out); empty when none is left.
CString JoinMailRecipients(const CStringArray& values, LPCTSTR lpszName, BOOL bQuoted);
// Hands a "mailto:" address to the desktop; a refusal shows string 209 with the desktop's code.
BOOL OpenMailtoAddress(const CString& address);
// One mail to every address held in the contact's fields; FALSE when none could be written to.
BOOL MailAllFieldValues(_CPerson& person, const int* pFields, int nFields, BOOL bQuoted);
// Opens every value of the contact's fields (home pages); answers how many were opened.
int OpenAllFieldValues(_CPerson& person, const int* pFields, int nFields);
