// libFuzzer entry: any input must end in a normal return or an archive exception.
#include "platform/base/fuzz/ArchiveReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    archive_fuzz::ReadMixedArchive(data, size);
    return 0;
}
