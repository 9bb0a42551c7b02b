// The windows' side of contact cards (".psn" files): saving one contact under a name the user
// chooses, and importing the contacts of many cards into a group.
#pragma once

#include "contacts/ContactGroup.h"
#include "contacts/Person.h"

class CWnd;

// Saves the contact to the path; without one, a save dialog proposes the contact's name (less
// the characters a file name cannot hold). FALSE when no path was chosen or the save failed.
BOOL SavePersonAs(_CPerson* pPerson, LPCTSTR lpszPath = nullptr, CWnd* pParent = nullptr);

// Lets the user choose card files and sorts the contacts they hold into the group. When more
// files are chosen than the names buffer holds, the user is told and chooses again with a buffer
// twice the size. Answers the number of contacts imported.
int ImportPersonFiles(_CGroup* pGroup, CWnd* pParent = nullptr);
