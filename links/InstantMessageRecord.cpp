#include "links/InstantMessageRecord.h"

#include <cstring>

#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/Gbk.h"

namespace {

// A dotted IPv4 address: four decimal numbers up to 255, at most three digits each.
bool IsDottedAddress(const char* p, size_t n) {
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        size_t start = i;
        unsigned value = 0;
        while (i < n && i - start < 3 && p[i] >= '0' && p[i] <= '9')
            value = value * 10 + static_cast<unsigned>(p[i++] - '0');
        if (i == start || value > 255)
            return false;
        ++parts;
        if (parts < 4) {
            if (i >= n || p[i] != '.')
                return false;
            ++i;
        }
    }
    return i == n;
}

// A name a person could have given: GBK text without control characters or broken characters.
bool IsName(const char* p, size_t n) {
    if (n == 0)
        return false;
    for (size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        if (c >= 0x80) {
            if (GbkCharSize(p + i, n - i) != 2)
                return false;
            i += 2;
        } else {
            ++i;
        }
    }
    return true;
}

} // namespace

bool IsInstantMessageSender(const CString& sender) {
    const char* p = sender.GetString();
    const size_t n = static_cast<size_t>(sender.GetLength());
    const char* newline = static_cast<const char*>(memchr(p, '\n', n));
    if (newline == nullptr)
        return IsName(p, n); // a name alone, or an address alone (which reads as a name too)
    const size_t nameLength = static_cast<size_t>(newline - p);
    return IsName(p, nameLength) && IsDottedAddress(newline + 1, n - nameLength - 1);
}

CString InstantMessageSenderFromPeer(const CString& stated, const CString& peerAddress) {
    if (peerAddress.IsEmpty())
        return CString();
    const int newline = stated.Find('\n');
    CString name;
    if (newline >= 0)
        name = stated.Left(newline);
    else if (!IsDottedAddress(stated.GetString(), static_cast<size_t>(stated.GetLength())))
        name = stated;
    return name.IsEmpty() ? peerAddress : name + "\n" + peerAddress;
}

std::vector<BYTE> StoreInstantMessage(const InstantMessageRecord& record) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << record.content << record.sender << record.subject;
        ar.Close();
    }
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

InstantMessageParse ParseInstantMessage(const std::vector<BYTE>& bytes,
                                        InstantMessageRecord& record) {
    std::vector<BYTE> copy = bytes; // the file reads over a buffer it may not own
    CMemFile file(copy.data(), static_cast<UINT>(copy.size()));
    try {
        CArchive ar(&file, CArchive::load);
        InstantMessageRecord r;
        ar >> r.content >> r.sender >> r.subject;
        // One connection carries one record and nothing after it; and the sender is what a copy
        // of the program writes there.
        const bool trailing = ar.GetBytesLeft() != 0;
        ar.Close();
        if (trailing || !IsInstantMessageSender(r.sender))
            return InstantMessageParse::damaged;
        record = r;
        return InstantMessageParse::complete;
    } catch (CArchiveException* e) {
        // Data that stop early may still be on their way; anything else cannot become a record.
        bool early = e->m_cause == CArchiveException::endOfFile;
        e->Delete();
        return early ? InstantMessageParse::incomplete : InstantMessageParse::damaged;
    } catch (CException* e) {
        e->Delete();
        return InstantMessageParse::damaged;
    }
}
