#include "notes/FormatRules.h"

#include <cmath>
#include <cstdlib>

CString FormatSizeText(long lTwips) {
    CString s;
    if (lTwips < 0)
        return s;
    const long halfPoints = (lTwips + 5) / 10; // a half point is 10 twips
    if (halfPoints % 2 == 0)
        s.Format("%ld", halfPoints / 2);
    else
        s.Format("%.1f", halfPoints * 0.5);
    return s;
}

int ParseSizeText(const CString& text) {
    CString s = text;
    s.Trim(" \t");
    if (s.IsEmpty())
        return SizeTextEmpty;
    // One decimal number: digits with at most one point, an optional sign, nothing else.
    const char* p = s.GetString();
    const char* q = p;
    if (*q == '-' || *q == '+')
        ++q;
    int digits = 0, points = 0;
    for (; *q != '\0'; ++q) {
        if (*q >= '0' && *q <= '9')
            ++digits;
        else if (*q == '.')
            ++points;
        else
            return SizeTextInvalid;
    }
    if (digits == 0 || points > 1)
        return SizeTextInvalid;
    const double points20 = std::strtod(p, nullptr) * 20.0;
    if (points20 < 0)
        return 0;
    if (points20 > 1e9)
        return 1000000000;
    return (int)points20;
}

CString CutFaceName(const CString& name, int nMaxBytes) {
    int end = 0;
    for (int i = 0; i < name.GetLength();) {
        const unsigned char c = (unsigned char)name[i];
        const int width = (c >= 0x81 && c <= 0xFE && i + 1 < name.GetLength()) ? 2 : 1;
        if (i + width > nMaxBytes)
            break;
        i += width;
        end = i;
    }
    return name.Left(end);
}
