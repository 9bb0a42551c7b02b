// Gateway plug-ins loaded by path in the tests; GATEWAY_VARIANT picks what the list export writes.
#include <cstring>

#if GATEWAY_VARIANT == 1
// Two gateways, each name followed by a line break.
extern "C" void GetGatewayList(char* buffer, int size) {
    std::strncpy(buffer, "移动网关\nUnicom\n", (size_t)size);
}
#elif GATEWAY_VARIANT == 2
// Writes nothing at all: the caller's buffer is all it reads.
extern "C" void GetGatewayList(char*, int) {}
#elif GATEWAY_VARIANT == 3
// Fills the whole buffer without a terminating zero.
extern "C" void GetGatewayList(char* buffer, int size) {
    std::memset(buffer, 'g', (size_t)size);
}
#else
// No list export.
extern "C" void SendSms(const char*, const char*) {}
#endif
