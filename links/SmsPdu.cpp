#include "links/SmsPdu.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/Gbk.h"

namespace {

// The number's digits without a leading "+"; false when anything else is in it or it is longer
// than maxDigits.
bool NumberDigits(const CString& number, int maxDigits, bool allowEmpty, std::string& digits) {
    const char* p = number;
    if (*p == '+')
        p++;
    digits = p;
    if (digits.empty())
        return allowEmpty;
    if ((int)digits.size() > maxDigits)
        return false;
    for (char c : digits)
        if (c < '0' || c > '9')
            return false;
    return true;
}

void AppendOctet(std::string& out, int value) {
    static const char hex[] = "0123456789ABCDEF";
    out += hex[(value >> 4) & 15];
    out += hex[value & 15];
}

void AppendBytes(std::string& out, const BYTE* p, int n) {
    for (int i = 0; i < n; i++)
        AppendOctet(out, p[i]);
}

// The encoder's answer for a refused message.
int Refuse(CString* pError, LPCSTR text) {
    if (pError)
        *pError = text;
    return 0;
}

} // namespace

CString EncodeSemiOctets(LPCSTR digits) {
    std::string in = digits ? digits : "";
    if (in.size() % 2)
        in += 'F';
    std::string out;
    for (size_t i = 0; i + 1 < in.size(); i += 2) {
        out += in[i + 1];
        out += in[i];
    }
    return CString(out.c_str());
}

int PackSeptets(const BYTE* src, int nChars, BYTE* dst) {
    int out = 0;
    unsigned bits = 0;
    int held = 0;
    for (int i = 0; i < nChars; i++) {
        bits |= (unsigned)(src[i] & 0x7F) << held;
        held += 7;
        while (held >= 8) {
            dst[out++] = (BYTE)(bits & 0xFF);
            bits >>= 8;
            held -= 8;
        }
    }
    if (held > 0)
        dst[out++] = (BYTE)(bits & 0xFF);
    return out;
}

int HexToBytes(LPCSTR src, BYTE* dst, int nChars) {
    auto value = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return 0;
    };
    for (int i = 0; i + 1 < nChars; i += 2)
        dst[i / 2] = (BYTE)(value(src[i]) << 4 | value(src[i + 1]));
    return nChars / 2;
}

int BytesToHex(const BYTE* src, char* dst, int nBytes) {
    static const char hex[] = "0123456789ABCDEF";
    for (int i = 0; i < nBytes; i++) {
        dst[2 * i] = hex[src[i] >> 4];
        dst[2 * i + 1] = hex[src[i] & 15];
    }
    dst[2 * nBytes] = '\0';
    return 2 * nBytes;
}

int EncodePdu(const SM_PARAM& param, CString& pdu, CString* pError) {
    pdu.Empty();
    std::string centre, destination;
    if (!NumberDigits(param.serviceCentre, SMS_SCA_MAX_DIGITS, true, centre))
        return Refuse(pError, "短信中心号码不正确（最多16位数字）。");
    if (!NumberDigits(param.destination, SMS_TPA_MAX_DIGITS, false, destination))
        return Refuse(pError, "接收号码不正确（最多32位数字）。");

    std::vector<BYTE> data;
    int dataLength = 0; // septets for 7-bit text, octets otherwise
    const char* text = param.text;
    int textBytes = param.text.GetLength();
    if (param.dcs == PDU_DCS_7BIT) {
        if (textBytes > SMS_7BIT_MAX_CHARS)
            return Refuse(pError, "短信内容过长（最多160个字符）。");
        data.resize(SMS_DATA_MAX_OCTETS);
        data.resize(PackSeptets((const BYTE*)text, textBytes, data.data()));
        dataLength = textBytes;
    } else if (param.dcs == PDU_DCS_UCS2) {
        std::u16string units = GbkToUtf16(text, textBytes);
        if ((int)units.size() > SMS_UCS2_MAX_UNITS)
            return Refuse(pError, "短信内容过长（最多70个字）。");
        for (char16_t u : units) {
            data.push_back((BYTE)(u >> 8));
            data.push_back((BYTE)(u & 0xFF));
        }
        dataLength = (int)data.size();
    } else {
        if (textBytes > SMS_DATA_MAX_OCTETS)
            return Refuse(pError, "短信内容过长（最多140个字节）。");
        data.assign((const BYTE*)text, (const BYTE*)text + textBytes);
        dataLength = textBytes;
    }

    std::string out;
    if (centre.empty()) {
        out += "00"; // no centre given: the phone uses the one it has stored
    } else {
        AppendOctet(out, (int)(centre.size() + 1) / 2 + 1);
        AppendOctet(out, 0x91);
        out += (LPCSTR)EncodeSemiOctets(centre.c_str());
    }
    AppendOctet(out, 0x11); // SMS-SUBMIT, relative validity period present
    AppendOctet(out, 0x00); // message reference: the phone sets it
    AppendOctet(out, (int)destination.size());
    AppendOctet(out, 0x91);
    out += (LPCSTR)EncodeSemiOctets(destination.c_str());
    AppendOctet(out, param.pid);
    AppendOctet(out, param.dcs);
    // The longest validity the relative form allows: a phone that stays off for a while still
    // gets the message, instead of the network dropping it after five minutes.
    AppendOctet(out, 0xFF);
    AppendOctet(out, dataLength);
    AppendBytes(out, data.data(), (int)data.size());
    pdu = out.c_str();
    return (int)out.size();
}

int PduServiceCentreOctets(LPCSTR pdu) {
    if (!pdu || !pdu[0] || !pdu[1])
        return 0;
    BYTE length = 0;
    HexToBytes(pdu, &length, 2);
    return 1 + length;
}

namespace {

// GSM 03.38 default alphabet and, after the escape 0x1B, its extension table.
const char16_t kGsmAlphabet[128] = {
    u'@',  0xA3, u'$', 0xA5,  0xE8, 0xE9,  0xF9,  0xEC,  0xF2,  0xC7,  u'\n', 0xD8,  0xF8,
    u'\r', 0xC5, 0xE5, 0x394, u'_', 0x3A6, 0x393, 0x39B, 0x3A9, 0x3A0, 0x3A8, 0x3A3, 0x398,
    0x39E, 0xA0, 0xC6, 0xE6,  0xDF, 0xC9,  u' ',  u'!',  u'"',  u'#',  0xA4,  u'%',  u'&',
    u'\'', u'(', u')', u'*',  u'+', u',',  u'-',  u'.',  u'/',  u'0',  u'1',  u'2',  u'3',
    u'4',  u'5', u'6', u'7',  u'8', u'9',  u':',  u';',  u'<',  u'=',  u'>',  u'?',  0xA1,
    u'A',  u'B', u'C', u'D',  u'E', u'F',  u'G',  u'H',  u'I',  u'J',  u'K',  u'L',  u'M',
    u'N',  u'O', u'P', u'Q',  u'R', u'S',  u'T',  u'U',  u'V',  u'W',  u'X',  u'Y',  u'Z',
    0xC4,  0xD6, 0xD1, 0xDC,  0xA7, 0xBF,  u'a',  u'b',  u'c',  u'd',  u'e',  u'f',  u'g',
    u'h',  u'i', u'j', u'k',  u'l', u'm',  u'n',  u'o',  u'p',  u'q',  u'r',  u's',  u't',
    u'u',  u'v', u'w', u'x',  u'y', u'z',  0xE4,  0xF6,  0xF1,  0xFC,  0xE0,
};

char16_t GsmExtension(BYTE c) {
    switch (c) {
    case 0x0A:
        return 0x0C;
    case 0x14:
        return u'^';
    case 0x28:
        return u'{';
    case 0x29:
        return u'}';
    case 0x2F:
        return u'\\';
    case 0x3C:
        return u'[';
    case 0x3D:
        return u'~';
    case 0x3E:
        return u']';
    case 0x40:
        return u'|';
    case 0x65:
        return 0x20AC;
    default:
        return u' ';
    }
}

// Septet `index` of packed data (counted from the start of the user data).
BYTE Septet(const std::vector<BYTE>& data, size_t index) {
    size_t bit = index * 7;
    unsigned value = data[bit / 8];
    if (bit / 8 + 1 < data.size())
        value |= (unsigned)data[bit / 8 + 1] << 8;
    return (BYTE)((value >> (bit % 8)) & 0x7F);
}

std::u16string GsmToUtf16(const std::vector<BYTE>& data, size_t first, size_t count) {
    std::u16string out;
    for (size_t i = first; i < first + count; i++) {
        BYTE c = Septet(data, i);
        if (c == 0x1B && i + 1 < first + count)
            out += GsmExtension(Septet(data, ++i));
        else
            out += kGsmAlphabet[c];
    }
    return out;
}

// Swapped semi-octets back to digits; F fills, other values above 9 end the number.
std::string SemiOctetDigits(const BYTE* p, size_t octets, size_t digits) {
    std::string out;
    for (size_t i = 0; i < octets && out.size() < digits; i++) {
        for (int nibble : {p[i] & 15, p[i] >> 4}) {
            if (nibble > 9 || out.size() >= digits)
                break;
            out += (char)('0' + nibble);
        }
    }
    return out;
}

int SemiOctetValue(BYTE b) {
    return (b & 15) * 10 + (b >> 4);
}

} // namespace

BOOL DecodeDeliverPdu(LPCSTR hex, SM_DELIVERED& out) {
    out = SM_DELIVERED();
    if (!hex)
        return FALSE;
    size_t hexLength = strlen(hex);
    if (hexLength % 2 || hexLength == 0)
        return FALSE;
    for (size_t i = 0; i < hexLength; i++)
        if (!isxdigit((unsigned char)hex[i]))
            return FALSE;
    std::vector<BYTE> pdu(hexLength / 2);
    HexToBytes(hex, pdu.data(), (int)hexLength);
    size_t at = 0;
    auto have = [&](size_t n) { return at + n <= pdu.size(); };

    if (!have(1))
        return FALSE;
    size_t scaLength = pdu[at++];
    if (!have(scaLength))
        return FALSE;
    if (scaLength > 1)
        out.serviceCentre =
            SemiOctetDigits(&pdu[at + 1], scaLength - 1, 2 * (scaLength - 1)).c_str();
    at += scaLength;

    if (!have(2))
        return FALSE;
    BYTE first = pdu[at++];
    if ((first & 3) != 0)
        return FALSE; // not an SMS-DELIVER
    bool hasHeader = (first & 0x40) != 0;
    size_t oaDigits = pdu[at++];
    if (!have(1))
        return FALSE;
    BYTE oaType = pdu[at++];
    size_t oaOctets = (oaDigits + 1) / 2;
    if (!have(oaOctets))
        return FALSE;
    if ((oaType & 0x70) == 0x50) {
        // An alphanumeric sender: its name in packed septets.
        std::vector<BYTE> name(pdu.begin() + at, pdu.begin() + at + oaOctets);
        out.originator = Utf16ToGbk(GsmToUtf16(name, 0, oaDigits * 4 / 7));
    } else {
        std::string digits = SemiOctetDigits(&pdu[at], oaOctets, oaDigits);
        if ((oaType & 0x70) == 0x10)
            digits = "+" + digits;
        out.originator = digits.c_str();
    }
    at += oaOctets;

    if (!have(10))
        return FALSE;
    out.pid = pdu[at++];
    out.dcs = pdu[at++];
    const BYTE* ts = &pdu[at];
    out.year = 2000 + SemiOctetValue(ts[0]);
    out.month = SemiOctetValue(ts[1]);
    out.day = SemiOctetValue(ts[2]);
    out.hour = SemiOctetValue(ts[3]);
    out.minute = SemiOctetValue(ts[4]);
    out.second = SemiOctetValue(ts[5]);
    at += 7;
    size_t udl = pdu[at++];

    int alphabet; // 0 GSM 7-bit, 1 8-bit, 2 UCS-2
    BYTE dcs = out.dcs;
    if ((dcs & 0xC0) == 0)
        alphabet = (dcs >> 2) & 3;
    else if ((dcs & 0xF0) == 0xF0)
        alphabet = (dcs & 4) ? 1 : 0;
    else if ((dcs & 0xF0) == 0xE0)
        alphabet = 2;
    else
        alphabet = 0;
    if (alphabet == 3)
        return FALSE;

    size_t dataOctets = alphabet == 0 ? (udl * 7 + 7) / 8 : udl;
    if (!have(dataOctets))
        return FALSE;
    std::vector<BYTE> data(pdu.begin() + at, pdu.begin() + at + dataOctets);
    size_t headerOctets = 0;
    if (hasHeader) {
        if (data.empty() || (size_t)data[0] + 1 > data.size())
            return FALSE;
        headerOctets = data[0] + 1;
    }
    if (alphabet == 0) {
        size_t skip = (headerOctets * 8 + 6) / 7; // the header and its fill bits, in septets
        if (skip > udl)
            return FALSE;
        out.text = Utf16ToGbk(GsmToUtf16(data, skip, udl - skip));
    } else if (alphabet == 2) {
        std::u16string units;
        for (size_t i = headerOctets; i + 1 < data.size(); i += 2)
            units += (char16_t)(data[i] << 8 | data[i + 1]);
        out.text = Utf16ToGbk(units);
    } else {
        out.text =
            CString((const char*)data.data() + headerOctets, (int)(data.size() - headerOctets));
    }
    return TRUE;
}
