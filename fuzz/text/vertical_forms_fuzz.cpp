// GSUB tables from font files: the vertical-forms reader must take any bytes.
#include <cstddef>
#include <cstdint>

#include "platform/vertical_forms.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto forms = rs::platform::VerticalForms::fromGsub({data, size});
    for (uint32_t g = 0; g < 64; ++g) (void)forms.substitute(g);
    return 0;
}
