#include "core/HanziString.h"

#include "platform/base/Collate.h"
#include "platform/base/Gbk.h"
#include "platform/base/PinyinIndex.h"

namespace {

// Size of the character at byte i of a text of len bytes, by the counting rule of this file.
int CharSizeAt(const char* p, int i, int len) {
    return IsDoubleByteLead(static_cast<unsigned char>(p[i])) && i + 1 < len ? 2 : 1;
}

std::vector<PinyinBoundaryRow> BuildBoundaryTable() {
    std::vector<PinyinBoundaryRow> rows;
    for (const PinyinLetterBucket& bucket : GetPinyinLetterBuckets()) {
        if (bucket.letter == 'I' || bucket.letter == 'U' || bucket.letter == 'V')
            continue; // no Chinese reading starts with them; keep the table's 23 letters
        rows.push_back(
            {bucket.letter != 0 ? bucket.letter : '-', bucket.gb2312Code, bucket.boundary});
    }
    rows.push_back({0, 0, CString()});
    return rows;
}

// The letter of the row before `row`: "?" before the first row.
char InitialOfRow(const std::vector<PinyinBoundaryRow>& rows, size_t row) {
    if (row == 0 || rows[row - 1].letter > 'Z')
        return '?';
    return rows[row - 1].letter;
}

} // namespace

int FindFirstDoubleByteChar(const CString& text) {
    const char* p = text;
    for (int i = 0, len = text.GetLength(); i < len; ++i)
        if (IsDoubleByteLead(static_cast<unsigned char>(p[i])))
            return i;
    return -1;
}

int CountDoubleByteAwareChars(const CString& text) {
    const char* p = text;
    int count = 0;
    for (int i = 0, len = text.GetLength(); i < len; i += CharSizeAt(p, i, len))
        ++count;
    return count;
}

int CharToByteOffset(const CString& text, int nChars, int nStart) {
    const char* p = text;
    int len = text.GetLength();
    int i = nStart < 0 ? 0 : nStart;
    if (i > len)
        return -1;
    for (; nChars > 0; --nChars) {
        if (i >= len)
            return -1;
        i += CharSizeAt(p, i, len);
    }
    return i;
}

CString MidByChars(const CString& text, int nStart, int nChars) {
    if (nStart < 0)
        nStart = 0;
    if (nStart >= text.GetLength())
        return CString();
    int end = CharToByteOffset(text, nChars < 0 ? 0 : nChars, nStart);
    return end < 0 ? text.Mid(nStart) : text.Mid(nStart, end - nStart);
}

CString InsertBetweenChars(const CString& text, LPCTSTR separator) {
    const char* p = text;
    int len = text.GetLength();
    CString out;
    for (int i = 0; i < len;) {
        int size = CharSizeAt(p, i, len);
        if (i > 0 && separator != nullptr)
            out += separator;
        out += text.Mid(i, size);
        i += size;
    }
    return out;
}

const std::vector<PinyinBoundaryRow>& PinyinBoundaryTable() {
    static const std::vector<PinyinBoundaryRow> rows = BuildBoundaryTable();
    return rows;
}

BOOL GetPinyinInitialByCollation(BYTE lead, BYTE trail, char& letter) {
    if (!IsDoubleByteLead(lead))
        return FALSE;
    const char ch[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
    const std::vector<PinyinBoundaryRow>& rows = PinyinBoundaryTable();
    size_t row = 0;
    while (rows[row].letter != 0 && GbkCollate(ch, rows[row].boundary) >= 0)
        ++row;
    letter = InitialOfRow(rows, row);
    return TRUE;
}

void FillPinyinInitialTable(char* letters) {
    // The boundaries are compared by their collation keys, whose byte order is the collation
    // order, so that each character is converted once instead of collated against every row.
    const std::vector<PinyinBoundaryRow>& rows = PinyinBoundaryTable();
    std::vector<std::string> keys;
    for (const PinyinBoundaryRow& row : rows)
        keys.push_back(row.letter != 0 ? GbkCollationKey(row.boundary) : std::string());
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char ch[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            const std::string key = GbkCollationKey(ch);
            size_t row = 0;
            while (rows[row].letter != 0 && key.compare(keys[row]) >= 0)
                ++row;
            letters[(lead - 0x80) * 256 + trail] = InitialOfRow(rows, row);
        }
    }
}

namespace {

// The initial of every pair (lead, trail) with the lead's top bit set, indexed by
// (lead - 0x80) * 256 + trail, as FillPinyinInitialTable makes it. It is written out by
// tools/pinyin and built in, so that the first search by initials costs no more than any other
// (filling it takes the collator tens of milliseconds).
struct InitialTable {
    char letters[128 * 256 + 1];
};

constexpr InitialTable kInitialTable = {
#include "core/PinyinInitialTable.inc"
};

const InitialTable& GetInitialTable() {
    return kInitialTable;
}

} // namespace

BOOL GetPinyinInitial(BYTE lead, BYTE trail, char& letter) {
    if (!IsDoubleByteLead(lead))
        return FALSE;
    letter = GetInitialTable().letters[(lead - 0x80) * 256 + trail];
    return TRUE;
}

namespace {

// Hands out the initial of each character: the letter of a double-byte character, any other byte
// as it stands.
template <class Out> void ForEachPinyinInitial(const char* p, int len, Out out) {
    const InitialTable* table = nullptr;
    for (int i = 0; i < len;) {
        const auto lead = static_cast<unsigned char>(p[i]);
        if (i + 1 < len && IsDoubleByteLead(lead)) {
            if (table == nullptr)
                table = &GetInitialTable();
            out(table->letters[(lead - 0x80) * 256 + static_cast<unsigned char>(p[i + 1])]);
            i += 2;
        } else {
            out(p[i]);
            ++i;
        }
    }
}

} // namespace

void AppendPinyinInitials(const char* p, int len, CString& initials) {
    ForEachPinyinInitial(p, len, [&](char c) { initials += c; });
}

int CopyPinyinInitials(const char* p, int len, char* out) {
    char* q = out;
    ForEachPinyinInitial(p, len, [&](char c) { *q++ = c; });
    *q = '\0';
    return static_cast<int>(q - out);
}

void CHanziString::GetPinyinInitials(CString& initials) const {
    initials.Empty();
    AppendPinyinInitials(m_str, m_str.GetLength(), initials);
}

CString CFilePathNameString::GetFileName() const {
    const char* p = m_strPath;
    size_t len = m_strPath.GetLength();
    size_t nameStart = 0;
    for (size_t i = 0; i < len; i += GbkCharSize(p + i, len - i))
        if (p[i] == '\\' || p[i] == '/')
            nameStart = i + 1;
    return m_strPath.Mid(static_cast<int>(nameStart));
}

CString CFilePathNameString::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}
