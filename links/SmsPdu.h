// SMS-SUBMIT PDUs for a GSM phone in PDU mode: the hexadecimal text the phone takes after
// "AT+CMGS". Free functions without state.
//
// Limits the phone network sets are enforced here and a message that would break them is
// refused with a reason, never cut or written past a field: a service-centre number of at most 16
// digits, a destination of at most 32, and user data of at most 140 octets (160 characters of
// 7-bit text, 70 UTF-16 units).
#pragma once

#include "core/HanziString.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

#define SMS_SCA_MAX_DIGITS 16
#define SMS_TPA_MAX_DIGITS 32
#define SMS_7BIT_MAX_CHARS 160
#define SMS_UCS2_MAX_UNITS 70
#define SMS_DATA_MAX_OCTETS 140

// Data coding schemes the encoder knows; any other value sends the text's bytes as they are.
#define PDU_DCS_7BIT 0
#define PDU_DCS_8BIT 4
#define PDU_DCS_UCS2 8

// One outgoing message.
struct SM_PARAM {
    CString serviceCentre; // digits, a leading "+" allowed; empty: the phone's own centre
    CString destination;   // digits, a leading "+" allowed
    BYTE pid = 0;          // protocol identifier
    BYTE dcs = PDU_DCS_7BIT;
    BYTE reserved[16] = {}; // not used when encoding
    CString text;           // GBK
};

// Writes the PDU as upper-case hexadecimal (service-centre part first) and returns the number of
// characters written; 0, with the reason in *pError when given, when the message is refused.
int EncodePdu(const SM_PARAM& param, CString& pdu, CString* pError = nullptr);

// One message a phone holds, decoded from an SMS-DELIVER PDU.
struct SM_DELIVERED {
    CString serviceCentre; // digits
    CString originator;    // digits, "+" in front for an international number; or a name
    BYTE pid = 0;
    BYTE dcs = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0; // the centre's time stamp
    CString text; // GBK; characters GBK lacks become "?"
};

// Decodes an SMS-DELIVER PDU (service-centre part first) in hexadecimal: 7-bit text through the
// GSM alphabet, 8-bit data as bytes, UCS-2; a user-data header is skipped. FALSE for anything
// else or a PDU shorter than its fields say.
BOOL DecodeDeliverPdu(LPCSTR hex, SM_DELIVERED& out);

// The number of octets of the PDU's service-centre part (its length octet and what it counts):
// the AT+CMGS length leaves them out.
int PduServiceCentreOctets(LPCSTR pdu);

// Digits in pairs, each pair swapped; an odd count gets F as the first character of its last pair.
CString EncodeSemiOctets(LPCSTR digits);
// Packs the bytes' low seven bits as GSM septets (no alphabet translation); returns the octets.
int PackSeptets(const BYTE* src, int nChars, BYTE* dst);
// Pairs of 0-9, A-F (also a-f) to bytes; returns half the number of characters.
int HexToBytes(LPCSTR src, BYTE* dst, int nChars);
// Upper-case digits, zero-terminated; returns twice the number of bytes.
int BytesToHex(const BYTE* src, char* dst, int nBytes);
