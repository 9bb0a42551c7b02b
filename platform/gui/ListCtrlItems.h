// Work on many items of a list control at once.
#pragma once

class CListCtrl;

// Deletes the given items as CListCtrl::DeleteItem would one by one, highest first (each gets its
// LVN_DELETEITEM with the index it has at that moment), but closes the gaps in one pass, so that
// deleting thousands of rows does not move the rest of the list for each. Indices out of range
// and repeats are skipped. Answers how many items went.
int DeleteListItems(CListCtrl& list, const int* pItems, int nCount);
