// The Chinese (pinyin) order of names, over GBK text. Everything that sorts or compares names "by
// the locale" goes through here, so one collator decides every order the user sees.
#pragma once

#include <string>

// <0, 0 or >0. Chinese characters in pinyin order (then by tone), Latin letters and digits by
// their usual order; case is a last-level difference. A null pointer counts as the empty text.
int GbkCollate(const char* a, const char* b);
// The same order with case ignored.
int GbkCollateNoCase(const char* a, const char* b);
// A byte string whose plain byte order (memcmp) is the GbkCollate order, for sorting many texts.
std::string GbkCollationKey(const char* text);
