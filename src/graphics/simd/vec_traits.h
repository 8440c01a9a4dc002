// Thin wrappers over the x86 vector instructions the row kernels use, one set per register width,
// so that each kernel is written once (row_kernels_vec.h) and built for SSE2 and for AVX2.
// Include only in the kernel sources that are compiled for the matching instruction set.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace rs::graphics::simd {

struct Sse2 {
    using I = __m128i;
    using F = __m128;
    static constexpr int kLanes = 4;  // 32-bit pixels per register

    static I load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void store(uint32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
    static I loadBytes(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void stream(uint8_t* p, I v) { _mm_stream_si128(reinterpret_cast<I*>(p), v); }
    // kLanes bytes, each widened to a 32-bit lane.
    static I loadBytes32(const uint8_t* p) {
        int32_t v;
        __builtin_memcpy(&v, p, 4);
        I b = _mm_cvtsi32_si128(v);
        I z = _mm_setzero_si128();
        return _mm_unpacklo_epi16(_mm_unpacklo_epi8(b, z), z);
    }
    static I zero() { return _mm_setzero_si128(); }
    static I set32(uint32_t v) { return _mm_set1_epi32(static_cast<int32_t>(v)); }
    static I set16(uint32_t v) { return _mm_set1_epi16(static_cast<int16_t>(v)); }
    static I and_(I a, I b) { return _mm_and_si128(a, b); }
    static I or_(I a, I b) { return _mm_or_si128(a, b); }
    static I andnot(I a, I b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static I xor_(I a, I b) { return _mm_xor_si128(a, b); }
    static I select(I mask, I a, I b) {
        return or_(and_(mask, a), andnot(mask, b));
    }  // mask ? a : b
    static I add8(I a, I b) { return _mm_add_epi8(a, b); }
    static I sub8(I a, I b) { return _mm_sub_epi8(a, b); }
    static I subsU8(I a, I b) { return _mm_subs_epu8(a, b); }
    static I minU8(I a, I b) { return _mm_min_epu8(a, b); }
    static I cmpeq8(I a, I b) { return _mm_cmpeq_epi8(a, b); }
    static I add16(I a, I b) { return _mm_add_epi16(a, b); }
    static I mullo16(I a, I b) { return _mm_mullo_epi16(a, b); }
    static I mulhiU16(I a, I b) { return _mm_mulhi_epu16(a, b); }
    static I srli16(I a, int n) { return _mm_srli_epi16(a, n); }
    static I add32(I a, I b) { return _mm_add_epi32(a, b); }
    static I sub32(I a, I b) { return _mm_sub_epi32(a, b); }
    static I cmpeq32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    static I srli32(I a, int n) { return _mm_srli_epi32(a, n); }
    static I slli32(I a, int n) { return _mm_slli_epi32(a, n); }
    static I srai32(I a, int n) { return _mm_srai_epi32(a, n); }
    // The 32-bit entries of `table` at the lane indices.
    static I gather32(const uint32_t* table, I index) {
        alignas(16) uint32_t k[4];
        _mm_store_si128(reinterpret_cast<I*>(k), index);
        return _mm_set_epi32(static_cast<int32_t>(table[k[3]]), static_cast<int32_t>(table[k[2]]),
                             static_cast<int32_t>(table[k[1]]), static_cast<int32_t>(table[k[0]]));
    }
    static I mullo32(I a, I b) {
        I even = _mm_mul_epu32(a, b);
        I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
        return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                  _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }
    static I unpackLo8(I a, I b) { return _mm_unpacklo_epi8(a, b); }
    static I unpackHi8(I a, I b) { return _mm_unpackhi_epi8(a, b); }
    static I unpackLo32(I a, I b) { return _mm_unpacklo_epi32(a, b); }
    static I unpackHi32(I a, I b) { return _mm_unpackhi_epi32(a, b); }
    static I packU16(I a, I b) { return _mm_packus_epi16(a, b); }
    // Words 3 and 7 (the alpha words of two unpacked pixels) copied into their pixel's words.
    static I broadcastAlpha16(I a) {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xFF), 0xFF);
    }

    static F toFloat(I a) { return _mm_cvtepi32_ps(a); }
    static I truncate(F a) { return _mm_cvttps_epi32(a); }
    static F setF(float v) { return _mm_set1_ps(v); }
    static F addF(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
    static F divF(F a, F b) { return _mm_div_ps(a, b); }
    static F minF(F a, F b) { return _mm_min_ps(a, b); }
    static I cmpeqF(F a, F b) { return _mm_castps_si128(_mm_cmpeq_ps(a, b)); }
    static int allOnes(I a) { return _mm_movemask_epi8(a) == 0xFFFF; }
    static int allZero(I a) {
        return _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())) == 0xFFFF;
    }
    static F ltF(F a, F b) { return _mm_cmplt_ps(a, b); }
    static F geF(F a, F b) { return _mm_cmpge_ps(a, b); }
    static F andF(F a, F b) { return _mm_and_ps(a, b); }
};

#ifdef __AVX2__
struct Avx2 {
    using I = __m256i;
    using F = __m256;
    static constexpr int kLanes = 8;

    static I load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
    static void store(uint32_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
    static I loadBytes(const uint8_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const I*>(p));
    }
    static void stream(uint8_t* p, I v) { _mm256_stream_si256(reinterpret_cast<I*>(p), v); }
    static I loadBytes32(const uint8_t* p) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static I zero() { return _mm256_setzero_si256(); }
    static I set32(uint32_t v) { return _mm256_set1_epi32(static_cast<int32_t>(v)); }
    static I set16(uint32_t v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }
    static I and_(I a, I b) { return _mm256_and_si256(a, b); }
    static I or_(I a, I b) { return _mm256_or_si256(a, b); }
    static I andnot(I a, I b) { return _mm256_andnot_si256(a, b); }
    static I xor_(I a, I b) { return _mm256_xor_si256(a, b); }
    static I select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
    static I add8(I a, I b) { return _mm256_add_epi8(a, b); }
    static I sub8(I a, I b) { return _mm256_sub_epi8(a, b); }
    static I subsU8(I a, I b) { return _mm256_subs_epu8(a, b); }
    static I minU8(I a, I b) { return _mm256_min_epu8(a, b); }
    static I cmpeq8(I a, I b) { return _mm256_cmpeq_epi8(a, b); }
    static I add16(I a, I b) { return _mm256_add_epi16(a, b); }
    static I mullo16(I a, I b) { return _mm256_mullo_epi16(a, b); }
    static I mulhiU16(I a, I b) { return _mm256_mulhi_epu16(a, b); }
    static I srli16(I a, int n) { return _mm256_srli_epi16(a, n); }
    static I add32(I a, I b) { return _mm256_add_epi32(a, b); }
    static I sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I cmpeq32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    static I srli32(I a, int n) { return _mm256_srli_epi32(a, n); }
    static I slli32(I a, int n) { return _mm256_slli_epi32(a, n); }
    static I srai32(I a, int n) { return _mm256_srai_epi32(a, n); }
    static I gather32(const uint32_t* table, I index) {
        return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4);
    }
    static I mullo32(I a, I b) { return _mm256_mullo_epi32(a, b); }
    static I unpackLo8(I a, I b) { return _mm256_unpacklo_epi8(a, b); }
    static I unpackHi8(I a, I b) { return _mm256_unpackhi_epi8(a, b); }
    static I unpackLo32(I a, I b) { return _mm256_unpacklo_epi32(a, b); }
    static I unpackHi32(I a, I b) { return _mm256_unpackhi_epi32(a, b); }
    static I packU16(I a, I b) { return _mm256_packus_epi16(a, b); }
    static I broadcastAlpha16(I a) {
        return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF);
    }

    static F toFloat(I a) { return _mm256_cvtepi32_ps(a); }
    static I truncate(F a) { return _mm256_cvttps_epi32(a); }
    static F setF(float v) { return _mm256_set1_ps(v); }
    static F addF(F a, F b) { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static F divF(F a, F b) { return _mm256_div_ps(a, b); }
    static F minF(F a, F b) { return _mm256_min_ps(a, b); }
    static I cmpeqF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_EQ_OQ)); }
    static int allOnes(I a) { return _mm256_movemask_epi8(a) == -1; }
    static int allZero(I a) { return _mm256_testz_si256(a, a); }
    static F ltF(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static F geF(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
    static F andF(F a, F b) { return _mm256_and_ps(a, b); }
};
#endif

}  // namespace rs::graphics::simd
