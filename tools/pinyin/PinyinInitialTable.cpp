// Writes core/PinyinInitialTable.inc: the pinyin initial of every GBK byte pair, one lead byte a
// line, filled by the collation rule (see FillPinyinInitialTable). Run after the boundary rows or
// the collation change; the core tests check the built-in table against the rule.
//   pinyin_initial_table > core/PinyinInitialTable.inc
#include <cstdio>
#include <vector>

#include "core/HanziString.h"

int main() {
    std::vector<char> letters(128 * 256);
    FillPinyinInitialTable(letters.data());
    std::printf("// The pinyin initial of each double-byte character, one line for each lead byte 0x80..0xFF\n"
                "// with its 256 trail bytes. Written by tools/pinyin (pinyin_initial_table).\n");
    for (int lead = 0; lead < 128; ++lead) {
        std::printf("    \"");
        for (int trail = 0; trail < 256; ++trail) {
            const char c = letters[lead * 256 + trail];
            if (c == '"' || c == '\\' || c < 0x20 || c > 0x7E)
                return 1; // the table holds letters, "?" and "-" only
            std::putchar(c);
        }
        std::printf("\"\n");
    }
    return 0;
}
