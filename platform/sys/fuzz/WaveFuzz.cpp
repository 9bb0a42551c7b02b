// libFuzzer entry for the wave file reader: any bytes parse or are refused, and what parses
// holds whole frames within the input.
#include <cstdint>
#include <cstdlib>

#include "platform/sys/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SWaveData wave;
    if (ParseWaveFile(data, size, wave)) {
        if (wave.nBlockAlign <= 0 || wave.samples.size() % wave.nBlockAlign != 0 ||
            wave.samples.size() > size)
            std::abort();
    }
    return 0;
}
