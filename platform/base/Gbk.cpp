#include "platform/base/Gbk.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace {

const char kReplacementUtf8[] = "\xEF\xBF\xBD"; // U+FFFD

// One iconv descriptor per direction and thread: iconv_t keeps shift state and is not safe to
// share, and opening one per call would cost more than most conversions.
class Iconv {
public:
    explicit Iconv(bool toGbk) {
        // CP936 is GBK with the euro sign at 0x80, as the program's files have it; plain GBK is
        // the fallback where the C library lacks that name.
        for (const char* gbk : {"CP936", "GBK"}) {
            m_cd = toGbk ? iconv_open(gbk, "UTF-8") : iconv_open("UTF-8", gbk);
            if (m_cd != kInvalid)
                break;
        }
    }
    ~Iconv() {
        if (m_cd != kInvalid)
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much of [*in, *in + *left) as it can and appends the result to out. Stops at the
    // end of the input (true) or at a byte sequence it cannot convert (false; *in points at it).
    // Without a descriptor it converts nothing, and the callers replace every character.
    bool Convert(const char** in, size_t* left, std::string& out) {
        if (m_cd == kInvalid)
            return *left == 0;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buf[1024];
        while (*left > 0) {
            char* o = buf;
            size_t room = sizeof buf;
            char* src = const_cast<char*>(*in);
            size_t r = iconv(m_cd, &src, left, &o, &room);
            *in = src;
            out.append(buf, o - buf);
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

Iconv& FromGbk() {
    thread_local Iconv cd(false);
    return cd;
}

Iconv& ToGbk() {
    thread_local Iconv cd(true);
    return cd;
}


void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Double-byte GBK characters, decoded once: one code point per (lead, trail) pair, 0 where CP936
// has no character. Converting through a table keeps every conversion in one pass over its input:
// iconv, asked again after each byte it refuses, goes back over much of what is left, so a text
// full of bad bytes cost time with the square of its length.
class GbkDecodeTable {
public:
    static const GbkDecodeTable& Get() {
        static const GbkDecodeTable table;
        return table;
    }
    // The code point of the pair (lead, trail), or 0.
    char32_t Pair(unsigned char lead, unsigned char trail) const {
        return m_pairs[(lead - 0x81) * kTrails + (trail - 0x40)];
    }
    // The code point of a byte 0x80..0xFF standing alone (CP936's euro sign), or 0.
    char32_t Single(unsigned char c) const { return m_single[c - 0x80]; }

private:
    static constexpr int kTrails = 0xFF - 0x40;

    GbkDecodeTable() {
        Iconv& cd = FromGbk();
        for (int c = 0x80; c <= 0xFF; ++c) {
            char in[1] = {static_cast<char>(c)};
            m_single[c - 0x80] = DecodeOne(cd, in, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                m_pairs[(lead - 0x81) * kTrails + (trail - 0x40)] = DecodeOne(cd, in, 2);
            }
        }
    }

    // The one code point iconv makes of exactly these n bytes, or 0.
    static char32_t DecodeOne(Iconv& cd, const char* in, size_t n) {
        std::string utf8;
        const char* p = in;
        size_t left = n;
        if (!cd.Convert(&p, &left, utf8) || utf8.empty())
            return 0;
        const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
        size_t len = Utf8SequenceLength(s, utf8.size());
        if (len == 0 || len != utf8.size())
            return 0;
        char32_t cp = len == 1 ? s[0] : s[0] & (0xFF >> (len + 1));
        for (size_t i = 1; i < len; ++i)
            cp = (cp << 6) | (s[i] & 0x3F);
        return cp;
    }

    char32_t m_single[0x80] = {};
    char32_t m_pairs[(0xFE - 0x81 + 1) * kTrails] = {};
};

// GBK forms of code points, found on first use of each: iconv is asked once per code point with
// that character alone, so the answer is what it gives (one-way mappings included) and no text
// makes it go back over its input. A slot holds 0 (not asked yet), kNoGbk, or the byte count in
// bits 16.. and the bytes below.
class GbkEncodeCache {
public:
    static GbkEncodeCache& Get() {
        static GbkEncodeCache cache;
        return cache;
    }
    // Appends the GBK form of the BMP code point cp, or '?' when GBK has none.
    void Append(char32_t cp, std::string& out) {
        uint32_t slot = m_slots[cp].load(std::memory_order_relaxed);
        if (slot == 0) {
            slot = Look(cp);
            m_slots[cp].store(slot, std::memory_order_relaxed);
        }
        if (slot == kNoGbk) {
            out += '?';
        } else if ((slot >> 16) == 1) {
            out += static_cast<char>(slot & 0xFF);
        } else {
            out += static_cast<char>((slot >> 8) & 0xFF);
            out += static_cast<char>(slot & 0xFF);
        }
    }

private:
    static constexpr uint32_t kNoGbk = 0xFFFFFFFF;

    static uint32_t Look(char32_t cp) {
        std::string utf8;
        AppendUtf8(cp, utf8);
        std::string gbk;
        const char* p = utf8.data();
        size_t left = utf8.size();
        if (!ToGbk().Convert(&p, &left, gbk))
            return kNoGbk;
        if (gbk.size() == 1)
            return (1u << 16) | static_cast<unsigned char>(gbk[0]);
        if (gbk.size() == 2)
            return (2u << 16) | (static_cast<unsigned char>(gbk[0]) << 8) |
                   static_cast<unsigned char>(gbk[1]);
        return kNoGbk;
    }

    std::atomic<uint32_t> m_slots[0x10000] = {};
};

} // namespace

size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
    unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (n < len || p[1] < lo || p[1] > hi)
        return 0;
    for (size_t i = 2; i < len; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return len;
}

size_t GbkFitLength(const char* p, size_t n, size_t maxBytes) {
    size_t pos = 0;
    while (pos < n) {
        size_t size = GbkCharSize(p + pos, n - pos);
        if (pos + size > maxBytes)
            break;
        pos += size;
    }
    return pos;
}

std::string GbkToUtf8(const char* p, size_t n) {
    std::string out;
    out.reserve(n + n / 2);
    const auto* s = reinterpret_cast<const unsigned char*>(p);
    size_t i = 0;
    while (i < n) {
        size_t ascii = i;
        while (ascii < n && s[ascii] < 0x80)
            ++ascii;
        out.append(p + i, ascii - i);
        i = ascii;
        if (i >= n)
            break;
        const GbkDecodeTable& table = GbkDecodeTable::Get();
        char32_t cp = 0;
        size_t used = 1;
        if (i + 1 < n && IsGbkLeadByte(s[i]) && IsGbkTrailByte(s[i + 1])) {
            cp = table.Pair(s[i], s[i + 1]);
            used = 2;
        }
        if (cp == 0) {
            // A byte that starts no character (a lone lead byte, a bad trail, 0xFF) is replaced
            // by itself alone, so the byte after it gets its own chance: a broken character never
            // eats a line end.
            cp = table.Single(s[i]);
            used = 1;
        }
        if (cp == 0)
            out += kReplacementUtf8;
        else
            AppendUtf8(cp, out);
        i += used;
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    return GbkToUtf8(gbk.data(), gbk.size());
}

std::u16string GbkToUtf16(const char* p, size_t n) {
    std::string utf8 = GbkToUtf8(p, n);
    std::u16string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t left = utf8.size();
    // The UTF-8 from GbkToUtf8 is well formed, so each sequence decodes without checks.
    while (left > 0) {
        size_t len = Utf8SequenceLength(s, left);
        char32_t cp;
        if (len <= 1) {
            cp = s[0];
            len = 1;
        } else {
            cp = s[0] & (0xFF >> (len + 1));
            for (size_t i = 1; i < len; ++i)
                cp = (cp << 6) | (s[i] & 0x3F);
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        s += len;
        left -= len;
    }
    return out;
}

std::u16string GbkToUtf16(std::string_view gbk) {
    return GbkToUtf16(gbk.data(), gbk.size());
}

CString Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        if (s[i] < 0x80) {
            out += static_cast<char>(s[i]);
            ++i;
            continue;
        }
        size_t len = Utf8SequenceLength(s + i, n - i);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = s[i] & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (s[i + k] & 0x3F);
        if (cp >= 0x10000)
            out += '?'; // GBK has no characters beyond the basic plane
        else
            GbkEncodeCache::Get().Append(cp, out);
        i += len;
    }
    return CString(out.data(), static_cast<int>(out.size()));
}

CString Utf16ToGbk(std::u16string_view utf16) {
    std::string utf8;
    utf8.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = '?'; // an unpaired surrogate is no character at all
        }
        AppendUtf8(c, utf8);
    }
    return Utf8ToGbk(utf8);
}
