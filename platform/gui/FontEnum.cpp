#include "platform/gui/FontEnum.h"

#include "platform/gui/WndPrivate.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct ScriptOfSystem {
    QFontDatabase::WritingSystem system;
    BYTE charSet;
};

// The character sets a face is listed under, in the order the enumeration gives them.
const ScriptOfSystem kScripts[] = {
    {QFontDatabase::Latin, ANSI_CHARSET},
    {QFontDatabase::SimplifiedChinese, GB2312_CHARSET},
    {QFontDatabase::TraditionalChinese, CHINESEBIG5_CHARSET},
    {QFontDatabase::Japanese, SHIFTJIS_CHARSET},
    {QFontDatabase::Korean, HANGUL_CHARSET},
    {QFontDatabase::Greek, GREEK_CHARSET},
    {QFontDatabase::Cyrillic, RUSSIAN_CHARSET},
    {QFontDatabase::Vietnamese, VIETNAMESE_CHARSET},
    {QFontDatabase::Hebrew, HEBREW_CHARSET},
    {QFontDatabase::Arabic, ARABIC_CHARSET},
    {QFontDatabase::Thai, THAI_CHARSET},
    {QFontDatabase::Symbol, SYMBOL_CHARSET},
};

void CopyName(char* dst, size_t size, const CString& name) {
    // Cut at a whole character: a lead byte never ends the copy.
    size_t n = std::min(size - 1, (size_t)name.GetLength());
    size_t i = 0;
    while (i < n) {
        size_t step = (BYTE)name[(int)i] >= 0x80 ? 2 : 1;
        if (i + step > n)
            break;
        i += step;
    }
    std::memcpy(dst, name.GetString(), i);
    dst[i] = 0;
}

NEWTEXTMETRICEX Metrics(const QString& family, int pixelSize, BYTE charSet, BYTE pitch) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    QFontMetrics fm(font);
    NEWTEXTMETRICEX m{};
    m.ntmTm.tmAscent = fm.ascent();
    m.ntmTm.tmDescent = fm.descent();
    m.ntmTm.tmHeight = std::max(pixelSize, fm.ascent() + fm.descent());
    // The character height is the size asked for; the rest of the line is the leading.
    m.ntmTm.tmInternalLeading = m.ntmTm.tmHeight - pixelSize;
    m.ntmTm.tmAveCharWidth = fm.averageCharWidth();
    m.ntmTm.tmMaxCharWidth = fm.maxWidth();
    m.ntmTm.tmWeight = FW_NORMAL;
    m.ntmTm.tmPitchAndFamily = pitch;
    m.ntmTm.tmCharSet = charSet;
    return m;
}

} // namespace

CString AfxCharSetScriptName(BYTE charSet) {
    switch (charSet) {
    case ANSI_CHARSET: return "西方";
    case GB2312_CHARSET: return "中文 GB2312";
    case CHINESEBIG5_CHARSET: return "中文 Big5";
    case SHIFTJIS_CHARSET: return "日语";
    case HANGUL_CHARSET: return "韩语";
    case GREEK_CHARSET: return "希腊语";
    case TURKISH_CHARSET: return "土耳其语";
    case VIETNAMESE_CHARSET: return "越南语";
    case HEBREW_CHARSET: return "希伯来语";
    case ARABIC_CHARSET: return "阿拉伯语";
    case BALTIC_CHARSET: return "波罗的海语";
    case RUSSIAN_CHARSET: return "西里尔文";
    case THAI_CHARSET: return "泰语";
    case EASTEUROPE_CHARSET: return "中欧字符";
    case SYMBOL_CHARSET: return "符号";
    default: return CString();
    }
}

int EnumFontFamiliesEx(HDC, const LOGFONT* lpLogfont, FONTENUMPROCEX lpProc, LPARAM lParam,
                       DWORD) {
    if (!lpProc)
        return 0;
    const BYTE wantSet = lpLogfont ? lpLogfont->lfCharSet : (BYTE)DEFAULT_CHARSET;
    const QString wantFace = lpLogfont ? AfxToQt(lpLogfont->lfFaceName) : QString();
    int answer = 1;
    for (const QString& family : QFontDatabase::families()) {
        if (family.startsWith(u'@'))
            continue;
        if (!wantFace.isEmpty() && family.compare(wantFace, Qt::CaseInsensitive) != 0)
            continue;
        const bool outline = QFontDatabase::isSmoothlyScalable(family);
        const BYTE pitch = QFontDatabase::isFixedPitch(family) ? FIXED_PITCH : VARIABLE_PITCH;
        const auto systems = QFontDatabase::writingSystems(family);
        std::vector<BYTE> sets;
        for (const ScriptOfSystem& s : kScripts)
            if (systems.contains(s.system))
                sets.push_back(s.charSet);
        // A face covering none of the named scripts is still listed, with no script.
        if (sets.empty())
            sets.push_back(DEFAULT_CHARSET);
        std::vector<int> pixelSizes;
        if (outline) {
            pixelSizes.push_back(0);
        } else {
            for (int pt : QFontDatabase::pointSizes(family))
                pixelSizes.push_back((int)std::lround(pt * kScreenLogPixels / 72.0));
            if (pixelSizes.empty())
                continue;
        }
        const CString name = AfxFromQt(family);
        for (BYTE set : sets) {
            if (wantSet != DEFAULT_CHARSET && set != wantSet)
                continue;
            ENUMLOGFONTEX elf{};
            CopyName(elf.elfLogFont.lfFaceName, LF_FACESIZE, name);
            CopyName(elf.elfFullName, LF_FULLFACESIZE, name);
            CopyName(elf.elfStyle, LF_FACESIZE, "Regular");
            CopyName(elf.elfScript, LF_FACESIZE, AfxCharSetScriptName(set));
            elf.elfLogFont.lfCharSet = set;
            elf.elfLogFont.lfPitchAndFamily = pitch;
            elf.elfLogFont.lfWeight = FW_NORMAL;
            for (int px : pixelSizes) {
                NEWTEXTMETRICEX tm = Metrics(family, px > 0 ? px : 16, set, pitch);
                elf.elfLogFont.lfHeight = tm.ntmTm.tmHeight;
                answer = lpProc(&elf, &tm, outline ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE, lParam);
                if (answer == 0)
                    return 0;
            }
            // A bitmap face's sizes are the same in every set it covers.
            if (!outline && wantSet == DEFAULT_CHARSET && !wantFace.isEmpty())
                break;
        }
    }
    return answer;
}
