// Built with AVX2 enabled; called only when the processor has it.
#include "graphics/simd/row_kernels_vec.h"

namespace rs::graphics::simd {

const RowKernels& avx2Kernels() {
    static constexpr RowKernels k = vec::Kernels<Avx2>::table();
    return k;
}

}  // namespace rs::graphics::simd
