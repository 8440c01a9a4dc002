// libFuzzer target: the FE decoder on arbitrary files.
#include "fd_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rs::fuzz::decodeFuzzInput(data, size, rs::graphics::DecodeFE);
    return 0;
}
