// The kept stored form of a contact's details: how a contact read from a file holds its details
// until something asks for them, and the reads that work on that form directly.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "contacts/Person.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"

namespace {

// Walks the stored details in a buffer without building anything. Every step fails when the
// bytes run out or hold a form a save would not write back as it was read (a wide string, a
// length in a longer prefix than it needs): such details are read the ordinary way instead.
class CStoredDetailsReader {
public:
    CStoredDetailsReader(const BYTE* p, UINT n) : m_p(p), m_n(n) {}

    UINT Position() const { return m_at; }

    bool Dword(DWORD& v) {
        if (m_n - m_at < 4)
            return false;
        std::memcpy(&v, m_p + m_at, 4);
        m_at += 4;
        return true;
    }
    // One string; its bytes are [from, to).
    bool String(UINT& from, UINT& to) {
        if (m_at >= m_n)
            return false;
        UINT length = m_p[m_at];
        UINT prefix = 1;
        if (length == 0xFF) {
            if (m_n - m_at < 3)
                return false;
            WORD w = 0;
            std::memcpy(&w, m_p + m_at + 1, 2);
            // Shorter texts have the one-byte prefix; 0xFFFE marks a wide string and 0xFFFF a
            // longer prefix.
            if (w < 0xFF || w >= 0xFFFE)
                return false;
            length = w;
            prefix = 3;
        }
        if (m_n - m_at - prefix < length)
            return false;
        from = m_at + prefix;
        to = from + length;
        m_at = to;
        return true;
    }
    bool Strings(int n) {
        UINT from = 0, to = 0;
        for (int i = 0; i < n; ++i)
            if (!String(from, to))
                return false;
        return true;
    }
    // A multi-value list: count, the strings of each value, the current index.
    bool List(int nItemSize) {
        DWORD count = 0, current = 0;
        if (!Dword(count) || count > m_n)
            return false;
        return Strings(static_cast<int>(count) * nItemSize) && Dword(current);
    }
    bool Certificates() {
        DWORD count = 0;
        return Dword(count) && count <= m_n && Strings(static_cast<int>(count) * 3);
    }

private:
    const BYTE* m_p;
    UINT m_n;
    UINT m_at = 0;
};

// The fields read out of the stored details on the way.
struct SStoredDetails {
    UINT nEnd = 0;
    UINT nNameFrom = 0, nNameTo = 0; // the name's stored form, prefix included
    UINT nNameBytes = 0;             // where the name's bytes start
    DWORD dwSexPicture = 0, dwLink = 0;
    DWORD birthday[3] = {};
};

// The layout of _CPersonInfo::Serialize.
bool ScanStoredDetails(const BYTE* p, UINT n, SStoredDetails& out) {
    CStoredDetailsReader r(p, n);
    UINT from = 0, to = 0;
    // Current address: post code, address, note.
    if (!r.Strings(3))
        return false;
    // Home: the address twice (a reader keeps the second, so both must agree to be written back
    // the same), then the rest.
    UINT firstFrom = 0, firstTo = 0;
    if (!r.String(firstFrom, firstTo) || !r.Strings(4) || !r.String(from, to))
        return false;
    if (to - from != firstTo - firstFrom || std::memcmp(p + from, p + firstFrom, to - from) != 0)
        return false;
    if (!r.Strings(3) || !r.List(1) || !r.List(1))
        return false;
    // Personal: pager, name, four texts, three words, the birthday, seven lists.
    if (!r.Strings(1))
        return false;
    out.nNameFrom = r.Position();
    if (!r.String(from, to))
        return false;
    out.nNameBytes = from;
    out.nNameTo = to;
    DWORD reserved = 0;
    if (!r.Strings(4) || !r.Dword(out.dwSexPicture) || !r.Dword(reserved) || !r.Dword(out.dwLink))
        return false;
    for (DWORD& d : out.birthday)
        if (!r.Dword(d))
            return false;
    for (int nItemSize : {1, 2, 1, 1, 2, 1, 1}) // e-mail, ICQ, mobiles, phones, QQ, homepage, web
        if (!r.List(nItemSize))
            return false;
    // Other: the note and the certificates.
    if (!r.Strings(1) || !r.Certificates())
        return false;
    // Work: ten texts and five lists.
    if (!r.Strings(10))
        return false;
    for (int i = 0; i < 5; ++i)
        if (!r.List(1))
            return false;
    // The extra texts: a list of single strings.
    if (!r.List(1))
        return false;
    out.nEnd = r.Position();
    return true;
}

BYTE FoldByte(BYTE c) {
    return c >= 'A' && c <= 'Z' ? static_cast<BYTE>(c + ('a' - 'A')) : c;
}

// Whether the piece occurs in the bytes with Latin letters folded, wherever it starts: every
// search rule (bytes as they are, or folded on character boundaries) finds less than this.
bool ContainsFolded(const BYTE* p, size_t n, const char* piece, size_t m) {
    if (m == 0)
        return true;
    if (n < m)
        return false;
    const BYTE first = FoldByte(static_cast<BYTE>(piece[0]));
    const BYTE other = first >= 'a' && first <= 'z' ? static_cast<BYTE>(first - ('a' - 'A')) : first;
    const BYTE* const last = p + (n - m); // the last place a match can start
    auto matchesAt = [&](const BYTE* at) {
        for (size_t i = 1; i < m; ++i)
            if (FoldByte(at[i]) != FoldByte(static_cast<BYTE>(piece[i])))
                return false;
        return true;
    };
    auto next = [&](const BYTE* from, BYTE c) {
        return from > last ? nullptr
                           : static_cast<const BYTE*>(std::memchr(from, c, last - from + 1));
    };
    const BYTE* a = next(p, first);
    const BYTE* b = other != first ? next(p, other) : nullptr;
    while (a != nullptr || b != nullptr) {
        const BYTE*& at = b == nullptr || (a != nullptr && a < b) ? a : b;
        if (matchesAt(at))
            return true;
        at = next(at + 1, *at);
    }
    return false;
}

bool IsDecimalPiece(const char* piece) {
    for (; *piece != '\0'; ++piece)
        if ((*piece < '0' || *piece > '9') && *piece != '-')
            return false;
    return true;
}

bool DecimalContains(int n, const char* piece) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    return std::strstr(text, piece) != nullptr;
}

} // namespace

BOOL _CPerson::LoadPacked(CArchive& ar) {
    const BYTE* p = nullptr;
    UINT n = ar.PeekBuffered(p, 0);
    SStoredDetails found;
    if (!ScanStoredDetails(p, n, found)) {
        // The details may only run past the buffered bytes: look again with the buffer full.
        n = ar.PeekBuffered(p, ~0u);
        if (!ScanStoredDetails(p, n, found))
            return FALSE;
    }
    const UINT nameLength = found.nNameTo - found.nNameBytes;
    m_strName = CString(reinterpret_cast<const char*>(p + found.nNameBytes), (int)nameLength);
    m_nPackedNameAt = found.nNameFrom;
    BYTE* pKept = m_packed.Allocate(found.nEnd - (found.nNameTo - found.nNameFrom));
    std::memcpy(pKept, p, found.nNameFrom);
    std::memcpy(pKept + found.nNameFrom, p + found.nNameTo, found.nEnd - found.nNameTo);
    m_dwPackedSexPicture = found.dwSexPicture;
    m_nPackedLink = static_cast<int>(found.dwLink);
    // Read by the birthday's own reader, so that it is exactly what the details would hold.
    CMemFile file(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(found.birthday)),
                  sizeof found.birthday);
    CArchive birthdayAr(&file, CArchive::load, 128);
    m_packedBirthday.Serialize(birthdayAr);
    birthdayAr.Close();
    ar.SkipBuffered(found.nEnd);
    return TRUE;
}

BOOL _CPerson::PackDetails() {
    if (m_pInfo == nullptr)
        return !m_packed.IsNull();
    CMemFile image(4096);
    {
        CArchive ar(&image, CArchive::store);
        m_pInfo->Serialize(ar);
        ar.Close();
    }
    image.SeekToBegin();
    CArchive ar(&image, CArchive::load);
    const BOOL bPacked = LoadPacked(ar);
    ar.Abort();
    if (bPacked)
        m_pInfo.reset(); // the name it was bound to stays in the node
    return bPacked;
}

void _CPerson::StorePacked(CArchive& ar) const {
    ar.Write(m_packed.Get(), m_nPackedNameAt);
    ar << m_strName;
    ar.Write(m_packed.Get() + m_nPackedNameAt, m_packed.Size() - m_nPackedNameAt);
}

void _CPerson::DecodePacked(_CPersonInfo& info) const {
    // Grown in one step: a few contacts hold megabytes, which small steps would copy over and
    // over.
    CMemFile image(std::max<UINT>(4096, m_packed.Size() + m_strName.GetLength() + 16));
    {
        CArchive ar(&image, CArchive::store);
        StorePacked(ar);
        ar.Close();
    }
    image.SeekToBegin();
    CArchive ar(&image, CArchive::load);
    info.Serialize(ar);
    ar.Close();
}

BOOL _CPerson::PackedMayContain(LPCTSTR lpszText) const {
    const size_t m = std::strlen(lpszText);
    if (m == 0)
        return TRUE;
    if (ContainsFolded(reinterpret_cast<const BYTE*>(m_strName.GetString()),
                       static_cast<size_t>(m_strName.GetLength()), lpszText, m))
        return TRUE;
    // Sex and picture number are searched as their decimal texts.
    if (IsDecimalPiece(lpszText) &&
        (DecimalContains(static_cast<int>(m_dwPackedSexPicture & 3), lpszText) ||
         DecimalContains(static_cast<int>(m_dwPackedSexPicture >> 2), lpszText)))
        return TRUE;
    return ContainsFolded(m_packed.Get(), m_packed.Size(), lpszText, m);
}
