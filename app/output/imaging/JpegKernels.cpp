// The JPEG encoder's inner loops, four to sixteen samples at a time in SSE2 registers.
#include "app/output/imaging/JpegKernels.h"

#include <emmintrin.h>

#include "app/output/imaging/JpegTables.h"

#if !defined(__SSE2__)
#error "The JPEG kernels are written for SSE2: build with -msse2."
#endif

namespace jpeg {
namespace {

// The encoder's output is defined by this expression (negative weights round towards zero), so
// it stays as it is.
constexpr int32_t Fix(double value) {
  return static_cast<int32_t>(value * 65536.0 + 0.5);  // NOLINT(bugprone-incorrect-roundings)
}

// The weights of red, green and blue in one output, and its offset with the rounding.
struct Weights {
  int32_t red, green, blue, offset;
};
constexpr Weights kLuma = {Fix(0.299), Fix(0.587), Fix(0.114), 32768};
constexpr Weights kBlueDifference = {Fix(-0.168736), Fix(-0.331264), Fix(0.5), (128 << 16) + 32767};
constexpr Weights kRedDifference = {Fix(0.5), Fix(-0.418688), Fix(-0.081312), (128 << 16) + 32767};

inline uint8_t Weigh(const Weights& w, int red, int green, int blue) {
  return static_cast<uint8_t>((w.red * red + w.green * green + w.blue * blue + w.offset) >> 16);
}

// The weights as factors of pmaddwd over the word pairs (red, green), (green, blue) and
// (blue, red): each weight is split in two halves, so that every factor fits 16 bits (0.587
// and 0.5 do not) and the sum stays the same integer.
struct PairWeights {
  __m128i redGreen, greenBlue, blueRed, offset;
  explicit PairWeights(const Weights& w) {
    const int32_t red = w.red / 2, green = w.green / 2, blue = w.blue / 2;
    redGreen = Pair(red, green);
    greenBlue = Pair(w.green - green, blue);
    blueRed = Pair(w.blue - blue, w.red - red);
    offset = _mm_set1_epi32(w.offset);
  }
  static __m128i Pair(int32_t low, int32_t high) {
    return _mm_set1_epi32(
        static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | (static_cast<uint32_t>(low) & 0xFFFF)));
  }
};

// Four pixels' word pairs.
struct Pairs {
  __m128i redGreen, greenBlue, blueRed;
};

inline __m128i WeighFour(const PairWeights& w, const Pairs& p) {
  const __m128i sum = _mm_add_epi32(
      _mm_add_epi32(_mm_madd_epi16(p.redGreen, w.redGreen), _mm_madd_epi16(p.greenBlue, w.greenBlue)),
      _mm_add_epi32(_mm_madd_epi16(p.blueRed, w.blueRed), w.offset));
  return _mm_srai_epi32(sum, 16);
}

// One step of separating interleaved bytes: the 48 bytes x of (a, b, c) become
// x[0], x[24], x[1], x[25], ...; byte j moves to 2j mod 47. Four steps move byte 3p + c of 16
// blue-green-red pixels to 16c + p: a holds the blues, b the greens, c the reds.
inline void Unzip(__m128i& a, __m128i& b, __m128i& c) {
  const __m128i first = _mm_unpacklo_epi8(a, _mm_srli_si128(b, 8));
  const __m128i second = _mm_unpackhi_epi8(a, _mm_slli_si128(c, 8));
  const __m128i third = _mm_unpacklo_epi8(b, _mm_srli_si128(c, 8));
  a = first;
  b = second;
  c = third;
}

inline void Transpose(__m128& a, __m128& b, __m128& c, __m128& d) { _MM_TRANSPOSE4_PS(a, b, c, d); }

// One pass of the scaled 1-D DCT (the arithmetic of the AAN flow graph) over eight vectors:
// v[k] holds input k of four lines, one line per lane.
inline void Dct8(__m128 v[8]) {
  const __m128 c0707 = _mm_set1_ps(0.707106781f), c0382 = _mm_set1_ps(0.382683433f),
               c0541 = _mm_set1_ps(0.541196100f), c1306 = _mm_set1_ps(1.306562965f);
  const __m128 s07 = _mm_add_ps(v[0], v[7]), d07 = _mm_sub_ps(v[0], v[7]);
  const __m128 s16 = _mm_add_ps(v[1], v[6]), d16 = _mm_sub_ps(v[1], v[6]);
  const __m128 s25 = _mm_add_ps(v[2], v[5]), d25 = _mm_sub_ps(v[2], v[5]);
  const __m128 s34 = _mm_add_ps(v[3], v[4]), d34 = _mm_sub_ps(v[3], v[4]);

  const __m128 e0 = _mm_add_ps(s07, s34), e3 = _mm_sub_ps(s07, s34);
  const __m128 e1 = _mm_add_ps(s16, s25), e2 = _mm_sub_ps(s16, s25);
  v[0] = _mm_add_ps(e0, e1);
  v[4] = _mm_sub_ps(e0, e1);
  const __m128 rot = _mm_mul_ps(_mm_add_ps(e2, e3), c0707);
  v[2] = _mm_add_ps(e3, rot);
  v[6] = _mm_sub_ps(e3, rot);

  const __m128 o0 = _mm_add_ps(d34, d25), o1 = _mm_add_ps(d25, d16), o2 = _mm_add_ps(d16, d07);
  const __m128 r5 = _mm_mul_ps(_mm_sub_ps(o0, o2), c0382);
  const __m128 r2 = _mm_add_ps(_mm_mul_ps(c0541, o0), r5);
  const __m128 r4 = _mm_add_ps(_mm_mul_ps(c1306, o2), r5);
  const __m128 r3 = _mm_mul_ps(o1, c0707);
  const __m128 a = _mm_add_ps(d07, r3), b = _mm_sub_ps(d07, r3);
  v[5] = _mm_add_ps(b, r2);
  v[3] = _mm_sub_ps(b, r2);
  v[1] = _mm_add_ps(a, r4);
  v[7] = _mm_sub_ps(a, r4);
}

// The scaled forward DCT in place, rows first, then columns; output (u, v) is the true
// coefficient times 8 s(u) s(v), s(0) = 1, s(k) = sqrt(2) cos(k pi / 16).
void ForwardDct(float* block) {
  __m128 v[8];
  // Rows, four at a time: transposed so that each lane carries one row.
  for (float* rows = block; rows < block + 64; rows += 32) {
    for (int half = 0; half < 2; ++half) {
      __m128* q = v + 4 * half;
      for (int r = 0; r < 4; ++r) q[r] = _mm_loadu_ps(rows + 8 * r + 4 * half);
      Transpose(q[0], q[1], q[2], q[3]);
    }
    Dct8(v);
    for (int half = 0; half < 2; ++half) {
      __m128* q = v + 4 * half;
      Transpose(q[0], q[1], q[2], q[3]);
      for (int r = 0; r < 4; ++r) _mm_storeu_ps(rows + 8 * r + 4 * half, q[r]);
    }
  }
  // Columns, four at a time: each lane carries one column as stored.
  for (float* columns = block; columns < block + 8; columns += 4) {
    for (int k = 0; k < 8; ++k) v[k] = _mm_loadu_ps(columns + 8 * k);
    Dct8(v);
    for (int k = 0; k < 8; ++k) _mm_storeu_ps(columns + 8 * k, v[k]);
  }
}

}  // namespace

void ConvertBgrRow(const uint8_t* bgr, int width, uint8_t* y, uint8_t* cb, uint8_t* cr) {
  const PairWeights luma(kLuma), blueDifference(kBlueDifference), redDifference(kRedDifference);
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 16 <= width; x += 16, bgr += 48) {
    __m128i blue = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
    __m128i green = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 16));
    __m128i red = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 32));
    for (int step = 0; step < 4; ++step) Unzip(blue, green, red);
    __m128i outY[4], outCb[4], outCr[4];  // four pixels each
    for (int half = 0; half < 2; ++half) {
      const __m128i r = half ? _mm_unpackhi_epi8(red, zero) : _mm_unpacklo_epi8(red, zero);
      const __m128i g = half ? _mm_unpackhi_epi8(green, zero) : _mm_unpacklo_epi8(green, zero);
      const __m128i b = half ? _mm_unpackhi_epi8(blue, zero) : _mm_unpacklo_epi8(blue, zero);
      const Pairs low = {_mm_unpacklo_epi16(r, g), _mm_unpacklo_epi16(g, b), _mm_unpacklo_epi16(b, r)};
      const Pairs high = {_mm_unpackhi_epi16(r, g), _mm_unpackhi_epi16(g, b), _mm_unpackhi_epi16(b, r)};
      outY[2 * half] = WeighFour(luma, low);
      outY[2 * half + 1] = WeighFour(luma, high);
      outCb[2 * half] = WeighFour(blueDifference, low);
      outCb[2 * half + 1] = WeighFour(blueDifference, high);
      outCr[2 * half] = WeighFour(redDifference, low);
      outCr[2 * half + 1] = WeighFour(redDifference, high);
    }
    // Every result lies in 0..255, so the saturating packs only narrow.
    const auto store = [x](uint8_t* plane, const __m128i(&four)[4]) {
      _mm_storeu_si128(
          reinterpret_cast<__m128i*>(plane + x),
          _mm_packus_epi16(_mm_packs_epi32(four[0], four[1]), _mm_packs_epi32(four[2], four[3])));
    };
    store(y, outY);
    store(cb, outCb);
    store(cr, outCr);
  }
  for (; x < width; ++x, bgr += 3) {
    y[x] = Weigh(kLuma, bgr[2], bgr[1], bgr[0]);
    cb[x] = Weigh(kBlueDifference, bgr[2], bgr[1], bgr[0]);
    cr[x] = Weigh(kRedDifference, bgr[2], bgr[1], bgr[0]);
  }
}

void LoadBlock(const uint8_t* samples, int stride, float out[64]) {
  const __m128i zero = _mm_setzero_si128();
  const __m128 bias = _mm_set1_ps(128.0f);
  for (int row = 0; row < 8; ++row, samples += stride, out += 8) {
    const __m128i words = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples)), zero);
    _mm_storeu_ps(out, _mm_sub_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)), bias));
    _mm_storeu_ps(out + 4, _mm_sub_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(words, zero)), bias));
  }
}

void LoadSubsampledBlock(const uint8_t* samples, int stride, float out[64]) {
  const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
  const __m128i rounding = _mm_set_epi32(2, 1, 2, 1);  // columns 3, 2, 1, 0
  const __m128 bias = _mm_set1_ps(128.0f);
  for (int row = 0; row < 8; ++row, samples += 2 * stride, out += 8) {
    const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples));
    const __m128i bottom = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + stride));
    const __m128i left = _mm_add_epi16(_mm_unpacklo_epi8(top, zero), _mm_unpacklo_epi8(bottom, zero));
    const __m128i right = _mm_add_epi16(_mm_unpackhi_epi8(top, zero), _mm_unpackhi_epi8(bottom, zero));
    // pmaddwd by ones adds neighbouring columns: four sums of 2 x 2 from eight columns.
    const __m128i sumsLeft = _mm_add_epi32(_mm_madd_epi16(left, ones), rounding);
    const __m128i sumsRight = _mm_add_epi32(_mm_madd_epi16(right, ones), rounding);
    _mm_storeu_ps(out, _mm_sub_ps(_mm_cvtepi32_ps(_mm_srai_epi32(sumsLeft, 2)), bias));
    _mm_storeu_ps(out + 4, _mm_sub_ps(_mm_cvtepi32_ps(_mm_srai_epi32(sumsRight, 2)), bias));
  }
}

uint64_t TransformAndQuantise(float block[64], const float divisors[64], int16_t zigzag[64]) {
  ForwardDct(block);
  // value * divisor + 16384.5, truncated, less 16384: the nearest integer (halves upwards) for
  // every value a block can hold.
  alignas(16) int16_t natural[64];
  const __m128 bias = _mm_set1_ps(16384.5f);
  const __m128i unbias = _mm_set1_epi32(16384);
  for (int i = 0; i < 64; i += 8) {
    const __m128i low = _mm_sub_epi32(
        _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_loadu_ps(block + i), _mm_loadu_ps(divisors + i)), bias)),
        unbias);
    const __m128i high =
        _mm_sub_epi32(_mm_cvttps_epi32(_mm_add_ps(
                          _mm_mul_ps(_mm_loadu_ps(block + i + 4), _mm_loadu_ps(divisors + i + 4)), bias)),
                      unbias);
    _mm_store_si128(reinterpret_cast<__m128i*>(natural + i), _mm_packs_epi32(low, high));
  }
#pragma GCC unroll 64
  for (int k = 0; k < 64; ++k) zigzag[k] = natural[kZigzag[k]];

  const __m128i zero = _mm_setzero_si128();
  uint64_t zeros = 0;
  for (int k = 0; k < 64; k += 16) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(zigzag + k));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(zigzag + k + 8));
    const __m128i bytes = _mm_packs_epi16(_mm_cmpeq_epi16(first, zero), _mm_cmpeq_epi16(second, zero));
    zeros |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(bytes))) << k;
  }
  return ~zeros & ~uint64_t{1};
}

}  // namespace jpeg
