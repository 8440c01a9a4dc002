#include "graphics/simd/row_kernels_vec.h"

namespace rs::graphics::simd {

const RowKernels& sse2Kernels() {
    static constexpr RowKernels k = vec::Kernels<Sse2>::table();
    return k;
}

}  // namespace rs::graphics::simd
