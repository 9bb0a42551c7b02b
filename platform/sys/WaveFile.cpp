#include "platform/sys/WaveFile.h"

#include <cstring>
#include <string>

#include "platform/base/Exception.h"
#include "platform/base/File.h"

namespace {

DWORD Le32(const unsigned char* p) {
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}
WORD Le16(const unsigned char* p) {
    return (WORD)(p[0] | (p[1] << 8));
}

constexpr WORD kFormatPcm = 1;
constexpr WORD kFormatFloat = 3;
constexpr WORD kFormatExtensible = 0xFFFE;

} // namespace

BOOL ParseWaveFile(const void* pData, size_t nSize, SWaveData& out) {
    const auto* p = static_cast<const unsigned char*>(pData);
    if (p == nullptr || nSize < 12 || memcmp(p, "RIFF", 4) != 0 || memcmp(p + 8, "WAVE", 4) != 0)
        return FALSE;
    // The RIFF size may be wrong (writers that never came back to fix it): the chunks are
    // walked within the bytes that are really there.
    size_t end = nSize;
    DWORD riffSize = Le32(p + 4);
    if ((size_t)riffSize + 8 < end && riffSize >= 4)
        end = (size_t)riffSize + 8;
    bool haveFormat = false;
    WORD format = 0, channels = 0, blockAlign = 0, bits = 0;
    DWORD rate = 0;
    size_t pos = 12;
    while (pos + 8 <= end) {
        const unsigned char* chunk = p + pos;
        size_t size = Le32(chunk + 4);
        size_t body = pos + 8;
        size_t avail = end - body;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > avail)
                return FALSE;
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            blockAlign = Le16(chunk + 20);
            bits = Le16(chunk + 22);
            if (format == kFormatExtensible) {
                // cbSize, valid bits, channel mask, then the sub-format GUID whose first two
                // bytes are the plain format tag.
                if (size < 40)
                    return FALSE;
                format = Le16(chunk + 8 + 24);
            }
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return FALSE;
            // A data chunk that claims more than the file holds (a recording cut short) plays
            // what is there.
            if (size > avail)
                size = avail;
            if (format != kFormatPcm && format != kFormatFloat)
                return FALSE;
            bool bitsOk = format == kFormatPcm
                              ? (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                              : (bits == 32 || bits == 64);
            if (!bitsOk || channels < 1 || channels > 32 || rate < 1000 || rate > 768000 ||
                blockAlign != channels * (bits / 8))
                return FALSE;
            size -= size % blockAlign;
            if (size == 0)
                return FALSE;
            out.nEncoding = format == kFormatPcm ? SWaveData::PCM : SWaveData::FLOAT;
            out.nChannels = channels;
            out.dwSampleRate = rate;
            out.nBitsPerSample = bits;
            out.nBlockAlign = blockAlign;
            out.samples.assign(reinterpret_cast<const char*>(p + body), size);
            return TRUE;
        }
        if (size > avail)
            return FALSE;
        // Chunks are padded to an even size.
        pos = body + size + (size & 1);
    }
    return FALSE;
}

BOOL ReadWaveFile(LPCTSTR lpszPath, SWaveData& out) {
    if (lpszPath == nullptr || *lpszPath == '\0')
        return FALSE;
    // Sounds are named in files that came from anywhere: the file's own door opens regular files
    // only and never waits, so a pipe or a device refuses at once instead of holding the caller.
    CFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    std::string bytes;
    try {
        const ULONGLONG length = file.GetLength();
        if (length == 0 || length > kMaxWaveFileBytes)
            return FALSE;
        bytes.resize(static_cast<size_t>(length));
        if (file.Read(bytes.data(), static_cast<UINT>(length)) != length)
            return FALSE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return ParseWaveFile(bytes.data(), bytes.size(), out);
}
