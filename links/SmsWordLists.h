// The word lists a message part is checked against before it goes to the gateway. A match does
// not stop the send: the gateway is told which list matched and decides (result 50 refuses it).
//   1: fraud, gambling, drugs, weapons, obscene and spam wording;
//   2: the wording of chain messages;
//   3: network operator names and their service numbers, which a message from a private sender
//      should not use to pose as the operator.
#pragma once

#include "platform/base/CString.h"

// The number of lists and the words of one (1 to 3), in the order they are searched.
constexpr int kSmsWordListCount = 3;
const char* const* GetSmsWordList(int nList, int& nCount);

// Looks for the words of each list in order in a lower-cased copy of the content (each word
// lower-cased too). At the first word found answers the list's number and appends the word to
// strFound; 0 when none is found.
int FindFilteredWord(const CString& content, CString& strFound);
