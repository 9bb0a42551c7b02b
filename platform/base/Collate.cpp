#include "platform/base/Collate.h"

#include <cstring>
#include <mutex>
#include <string_view>
#include <unicode/ucol.h>

#include "platform/base/Gbk.h"

namespace {

// The collators are opened once, on first use, and never changed afterwards: ICU allows
// comparisons on one collator from several threads as long as nobody modifies it.
struct Collators {
    UCollator* exact = nullptr;
    UCollator* noCase = nullptr;
};

const Collators& GetCollators() {
    static Collators c;
    static std::once_flag once;
    std::call_once(once, [] {
        UErrorCode err = U_ZERO_ERROR;
        c.exact = ucol_open("zh", &err);
        if (U_FAILURE(err))
            c.exact = nullptr;
        err = U_ZERO_ERROR;
        c.noCase = ucol_open("zh", &err);
        if (U_FAILURE(err)) {
            c.noCase = nullptr;
        } else {
            // Case is told apart only at the third level, so comparing two levels ignores it.
            ucol_setStrength(c.noCase, UCOL_SECONDARY);
        }
    });
    return c;
}

int CompareWith(UCollator* coll, const char* a, const char* b) {
    a = a ? a : "";
    b = b ? b : "";
    // Identical bytes are equal under any collation; sorted insertion meets them all the time,
    // and converting both sides for ICU costs far more than the check.
    if (std::strcmp(a, b) == 0)
        return 0;
    if (!coll) { // no collation data: byte order is the only order left
        int r = std::strcmp(a, b);
        return (r > 0) - (r < 0);
    }
    std::u16string ua = GbkToUtf16(std::string_view(a));
    std::u16string ub = GbkToUtf16(std::string_view(b));
    return ucol_strcoll(coll, reinterpret_cast<const UChar*>(ua.data()),
                        static_cast<int32_t>(ua.size()), reinterpret_cast<const UChar*>(ub.data()),
                        static_cast<int32_t>(ub.size()));
}

} // namespace

int GbkCollate(const char* a, const char* b) {
    return CompareWith(GetCollators().exact, a, b);
}

int GbkCollateNoCase(const char* a, const char* b) {
    return CompareWith(GetCollators().noCase, a, b);
}

std::string GbkCollationKey(const char* text) {
    text = text ? text : "";
    UCollator* coll = GetCollators().exact;
    if (!coll)
        return text;
    std::u16string u = GbkToUtf16(std::string_view(text));
    const auto* src = reinterpret_cast<const UChar*>(u.data());
    auto len = static_cast<int32_t>(u.size());
    std::string key(64, '\0');
    for (;;) {
        int32_t need = ucol_getSortKey(coll, src, len, reinterpret_cast<uint8_t*>(key.data()),
                                       static_cast<int32_t>(key.size()));
        if (need <= static_cast<int32_t>(key.size())) {
            // The key ends in a NUL that belongs to ICU's form, not to the order.
            key.resize(need > 0 ? need - 1 : 0);
            return key;
        }
        key.resize(need);
    }
}
