// libFuzzer target: the Ogg Vorbis header parse and the decoder's start on arbitrary files.
#include <cstddef>
#include <cstdint>

#include "sound/ogg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24)) return 0;
    rs::sound::OggDecoder decoder(data, static_cast<int32_t>(size), nullptr);
    if (decoder.parseHeaders() == rs::sound::kOggHeadersOk) decoder.prime();
    rs::sound::oggDuration(data, static_cast<int32_t>(size));
    return 0;
}
