// A plug-in exporting one C function in the gateway-list form: fills the buffer with
// "\n"-separated names and returns their count.
#include <cstring>

extern "C" int GetGatewayList(char* buf, int size) {
    const char list[] = "alpha\nbeta";
    if (!buf || size < (int)sizeof list)
        return -1;
    std::memcpy(buf, list, sizeof list);
    return 2;
}
