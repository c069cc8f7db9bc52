#pragma once
// Lane math: W doubles side by side, and every operation the wide step does
// on them, so that the passes (WideStep.h) hold no instruction of their own.
// Each lane set below names one instruction set; everything else is GCC's
// vector extensions over the set's types, written once for every width.
//
// Each lane does the scalar code's operation on its own value: IEEE
// addition, subtraction, multiplication, division and square root give the
// same bits in any width, so a pass written on these gives the scalar
// step's bits.
//
// Compiled in the instruction set of its includer, which switches to it
// first (see StepKernels.h): templates take their target from where they
// are defined, and the generic operations here must become that set's
// instructions. Helpers are templates on the lane set, never on the vector
// type alone: avx2 and avx512vl share a width, and their code must never be
// one symbol, of which the linker could keep the other set's copy.

#include "geometry/Spring.h"
#include "geometry/Vector3.h"
#include "softbody/MassPoint.h"

#include <cstddef>
#include <utility>

// Every lambda in lane code is a piece of a loop's body. Left to itself, the
// compiler keeps some of them as calls once the body is large, and a call
// takes its vectors through memory.
#define BLORP_INLINE __attribute__((always_inline))

#include <immintrin.h>

// ---------------------------------------------------------------------------
// The rows the transposes read and write: six doubles in a row, fields
// declared one after another with nothing between them. Moving a field
// breaks the build here rather than the forces.

static_assert(sizeof(Vector3) == 3 * sizeof(double) && offsetof(Vector3, y) == sizeof(double) &&
                  offsetof(Vector3, z) == 2 * sizeof(double),
              "a Vector3 is x, y, z with nothing between them");
static_assert(offsetof(MassPoint, velocity) == offsetof(MassPoint, position) + sizeof(Vector3),
              "a node's motion row: position, then velocity");
static_assert(offsetof(Spring, ks) == offsetof(Spring, restLength) + sizeof(double) &&
                  offsetof(Spring, kd) == offsetof(Spring, ks) + sizeof(double) &&
                  offsetof(Spring, forceA) == offsetof(Spring, kd) + sizeof(double),
              "a spring's constants row: restLength, ks, kd, then three doubles of forceA");
static_assert(offsetof(Spring, forceB) == offsetof(Spring, forceA) + sizeof(Vector3),
              "a spring's forces row: forceA, then forceB");

/// A node's position and velocity, six doubles.
inline const double* motionRow(const MassPoint& point) { return &point.position.x; }
/// A spring's rest length, ks and kd, then forceA's three doubles (read, unused).
inline const double* constantsRow(const Spring& spring) { return &spring.restLength; }
/// A spring's forceA and forceB, six doubles.
inline double* forcesRow(Spring& spring) { return &spring.forceA.x; }

// ---------------------------------------------------------------------------
// Lane numbers are known at compile time throughout, so vectors are built
// and taken apart in registers: written one lane at a time through memory,
// every vector read would wait for the narrow writes before it (a
// store-forwarding stall).

template <class F, std::size_t... I>
[[gnu::always_inline]] inline void forEachIndex(F f, std::index_sequence<I...>)
{
    (f(int(I)), ...);
}
/// f(0), f(1), ..., f(N - 1), unrolled.
template <int N, class F>
[[gnu::always_inline]] inline void forEachLane(F f)
{
    forEachIndex(f, std::make_index_sequence<N>());
}

// ---------------------------------------------------------------------------
// The lane sets. Each has:
//   kWidth       lanes of a vector
//   kAhead       groups of springs the spring pass keeps in flight ahead of
//                the one it finishes, as many as its registers hold
//   D, M         a vector of doubles; a mask, each lane all ones or all zeros
//   sqrt(v)      the square root of each lane
//   any(m)       whether any lane of m is set
//   bits(m)      m's lanes as the bits of a number, lane l in bit l
//   columnsOf    W rows of six doubles to six vectors (lane l of vector c is
//                row l's double c)
//   rowsOf       columnsOf's inverse, written back to the rows
//   rowOfLane(l) the row whose doubles columnsOf puts in lane l

#if defined(BLORP_X86_PATHS)
/// Two lanes, in SSE2, which every x86-64 processor has.
struct Sse2Lanes {
    static constexpr int kWidth = 2;
    // With two lanes the pipeline's bookkeeping costs more than it wins.
    static constexpr int kAhead = 0;
    typedef double D __attribute__((vector_size(16)));
    typedef long long M __attribute__((vector_size(16)));

    [[gnu::always_inline, gnu::target("sse2")]] static inline D sqrt(D v) { return (D)_mm_sqrt_pd((__m128d)v); }
    [[gnu::always_inline, gnu::target("sse2")]] static inline bool any(M m)
    {
        return _mm_movemask_pd((__m128d)m) != 0;
    }
    [[gnu::always_inline, gnu::target("sse2")]] static inline unsigned bits(M m)
    {
        return unsigned(_mm_movemask_pd((__m128d)m));
    }
    // Lane by lane: with two lanes each 16-byte load would still need one
    // shuffle per vector, against one insert when filling lane by lane.
    [[gnu::always_inline]] static inline void columnsOf(const double* const* rows, D columns[6])
    {
        forEachLane<6>([&](int c) BLORP_INLINE { columns[c] = D{rows[0][c], rows[1][c]}; });
    }
    [[gnu::always_inline]] static inline void rowsOf(const D columns[6], double* const* rows)
    {
        forEachLane<2>([&](int l) BLORP_INLINE {
            forEachLane<6>([&](int c) BLORP_INLINE { rows[l][c] = columns[c][l]; });
        });
    }
    static constexpr int rowOfLane(int l) { return l; }
};

/// Four lanes, in AVX2.
struct Avx2Lanes {
    static constexpr int kWidth = 4;
    // With 16 registers one group ahead fits; two spill.
    static constexpr int kAhead = 1;
    typedef double D __attribute__((vector_size(32)));
    typedef long long M __attribute__((vector_size(32)));

    [[gnu::always_inline, gnu::target("avx2")]] static inline D sqrt(D v)
    {
        return (D)_mm256_sqrt_pd((__m256d)v);
    }
    [[gnu::always_inline, gnu::target("avx2")]] static inline bool any(M m)
    {
        return _mm256_movemask_pd((__m256d)m) != 0;
    }
    [[gnu::always_inline, gnu::target("avx2")]] static inline unsigned bits(M m)
    {
        return unsigned(_mm256_movemask_pd((__m256d)m));
    }
    // Built from pairs of doubles: the shuffles that cross the vector's
    // halves run on the same two pipes as the divider, where broadcasting
    // loads, and blends, which any pipe runs, take their place.
    [[gnu::always_inline, gnu::target("avx2")]] static inline void columnsOf(const double* const* rows,
                                                                             D columns[6])
    {
        forEachLane<3>([&](int pair) BLORP_INLINE {
            const int c = 2 * pair;
            const __m256d even = pairsOf(rows[0], rows[2], c), odd = pairsOf(rows[1], rows[3], c);
            columns[c] = (D)_mm256_unpacklo_pd(even, odd);
            columns[c + 1] = (D)_mm256_unpackhi_pd(even, odd);
        });
    }
    [[gnu::always_inline, gnu::target("avx2")]] static inline void rowsOf(const D columns[6], double* const* rows)
    {
        forEachLane<3>([&](int pair) BLORP_INLINE {
            const int c = 2 * pair;
            const __m256d even = _mm256_unpacklo_pd((__m256d)columns[c], (__m256d)columns[c + 1]);
            const __m256d odd = _mm256_unpackhi_pd((__m256d)columns[c], (__m256d)columns[c + 1]);
            _mm_storeu_pd(rows[0] + c, _mm256_castpd256_pd128(even));
            _mm_storeu_pd(rows[1] + c, _mm256_castpd256_pd128(odd));
            _mm_storeu_pd(rows[2] + c, _mm256_extractf128_pd(even, 1));
            _mm_storeu_pd(rows[3] + c, _mm256_extractf128_pd(odd, 1));
        });
    }
    static constexpr int rowOfLane(int l) { return l; }

private:
    /// [row a's doubles c and c + 1 | row b's doubles c and c + 1]
    [[gnu::always_inline, gnu::target("avx2")]] static inline __m256d pairsOf(const double* a, const double* b, int c)
    {
        return _mm256_blend_pd(_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(a + c)),
                               _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(b + c)), 0xc);
    }
};

/// AVX2's four lanes in AVX-512's 256-bit forms: its operations are AVX2's,
/// compiled where 32 vector registers let the spring pass keep two groups
/// ahead in flight without spilling.
struct Avx512VlLanes : Avx2Lanes {
    static constexpr int kAhead = 2;
};

/// Eight lanes, in AVX-512's foundation set.
struct Avx512Lanes {
    static constexpr int kWidth = 8;
    // Two eight-lane groups in flight and the transposes' temporaries fill
    // the 32 registers.
    static constexpr int kAhead = 1;
    typedef double D __attribute__((vector_size(64)));
    typedef long long M __attribute__((vector_size(64)));

    // The masked form with every lane written: its merge source is v
    // itself, where the plain form's undefined one draws a warning.
    [[gnu::always_inline, gnu::target("avx512f")]] static inline D sqrt(D v)
    {
        return (D)_mm512_mask_sqrt_pd((__m512d)v, __mmask8(0xff), (__m512d)v);
    }
    [[gnu::always_inline, gnu::target("avx512f")]] static inline bool any(M m)
    {
        return _mm512_test_epi64_mask((__m512i)m, (__m512i)m) != 0;
    }
    [[gnu::always_inline, gnu::target("avx512f")]] static inline unsigned bits(M m)
    {
        return _mm512_test_epi64_mask((__m512i)m, (__m512i)m);
    }
    // Whole rows: rows l and l + 4 side by side in one register, then two
    // rounds of shuffles, the first within each 128-bit lane, the second
    // moving whole 128-bit lanes. The lanes hold rows 0, 1, 4, 5, 2, 3, 6
    // and 7 in that order, which lets each round take its two sources as
    // they lie, one instruction a column; rowsOf puts every lane's row back
    // where it came from, and the lanes in between work on their own. Rows
    // are joined by inserting loads and stored by extracting, one
    // instruction each, where a load and a shuffle would take two.
    [[gnu::always_inline, gnu::target("avx512f")]] static inline void columnsOf(const double* const* rows,
                                                                                D columns[6])
    {
        D z[4];
        forEachLane<4>([&](int r) BLORP_INLINE { z[r] = quadsOf(rows[r], rows[r + 4]); });
        // t[0] = [r0.0 r1.0 | r0.2 r1.2 | r4.0 r5.0 | r4.2 r5.2], t[1] the same
        // rows' odd doubles, t[2] and t[3] those of rows 2, 3, 6 and 7.
        const D t[4] = {unpackLow(z[0], z[1]), unpackHigh(z[0], z[1]), unpackLow(z[2], z[3]),
                        unpackHigh(z[2], z[3])};
        columns[0] = __builtin_shufflevector(t[0], t[2], 0, 1, 4, 5, 8, 9, 12, 13);
        columns[1] = __builtin_shufflevector(t[1], t[3], 0, 1, 4, 5, 8, 9, 12, 13);
        columns[2] = __builtin_shufflevector(t[0], t[2], 2, 3, 6, 7, 10, 11, 14, 15);
        columns[3] = __builtin_shufflevector(t[1], t[3], 2, 3, 6, 7, 10, 11, 14, 15);
        const D even = pairsOf(rows[0], rows[4], rows[2], rows[6]), odd = pairsOf(rows[1], rows[5], rows[3], rows[7]);
        columns[4] = unpackLow(even, odd);
        columns[5] = unpackHigh(even, odd);
    }
    [[gnu::always_inline, gnu::target("avx512f")]] static inline void rowsOf(const D columns[6], double* const* rows)
    {
        // Back to t[0] = [r0.0 r1.0 | r0.2 r1.2 | r4.0 r5.0 | r4.2 r5.2] and so on.
        const D t[4] = {__builtin_shufflevector(columns[0], columns[2], 0, 1, 8, 9, 2, 3, 10, 11),
                        __builtin_shufflevector(columns[1], columns[3], 0, 1, 8, 9, 2, 3, 10, 11),
                        __builtin_shufflevector(columns[0], columns[2], 4, 5, 12, 13, 6, 7, 14, 15),
                        __builtin_shufflevector(columns[1], columns[3], 4, 5, 12, 13, 6, 7, 14, 15)};
        const D z[4] = {unpackLow(t[0], t[1]), unpackHigh(t[0], t[1]), unpackLow(t[2], t[3]), unpackHigh(t[2], t[3])};
        forEachLane<4>([&](int r) BLORP_INLINE {
            _mm256_storeu_pd(rows[r], _mm512_castpd512_pd256((__m512d)z[r]));
            _mm256_storeu_pd(rows[r + 4], _mm512_extractf64x4_pd((__m512d)z[r], 1));
        });
        // [r0 | r4 | r2 | r6] and [r1 | r5 | r3 | r7], each row's doubles 4 and 5.
        const D even = unpackLow(columns[4], columns[5]), odd = unpackHigh(columns[4], columns[5]);
        storePair<0>(even, rows[0] + 4), storePair<1>(even, rows[4] + 4);
        storePair<2>(even, rows[2] + 4), storePair<3>(even, rows[6] + 4);
        storePair<0>(odd, rows[1] + 4), storePair<1>(odd, rows[5] + 4);
        storePair<2>(odd, rows[3] + 4), storePair<3>(odd, rows[7] + 4);
    }
    /// Rows 0, 1, 4, 5, 2, 3, 6 and 7 (an exchange, so also the lane of a row).
    static constexpr int rowOfLane(int l)
    {
        constexpr int rows[8] = {0, 1, 4, 5, 2, 3, 6, 7};
        return rows[l];
    }

private:
    /// [row lo's doubles 0 to 3 | row hi's doubles 0 to 3]
    [[gnu::always_inline, gnu::target("avx512f")]] static inline D quadsOf(const double* lo, const double* hi)
    {
        return (D)_mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_loadu_pd(lo)), _mm256_loadu_pd(hi), 1);
    }
    /// [row a's doubles 4 and 5 | row b's | row d's | row e's]
    [[gnu::always_inline, gnu::target("avx512f")]] static inline D pairsOf(const double* a, const double* b,
                                                                           const double* d, const double* e)
    {
        const __m256d low = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a + 4)), _mm_loadu_pd(b + 4), 1);
        const __m256d high = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(d + 4)), _mm_loadu_pd(e + 4), 1);
        return (D)_mm512_insertf64x4(_mm512_castpd256_pd512(low), high, 1);
    }
    /// Each 128-bit lane's first doubles of a and b, or its second ones.
    [[gnu::always_inline, gnu::target("avx512f")]] static inline D unpackLow(D a, D b)
    {
        return __builtin_shufflevector(a, b, 0, 8, 2, 10, 4, 12, 6, 14);
    }
    [[gnu::always_inline, gnu::target("avx512f")]] static inline D unpackHigh(D a, D b)
    {
        return __builtin_shufflevector(a, b, 1, 9, 3, 11, 5, 13, 7, 15);
    }
    /// v's doubles 2k and 2k + 1 to `to`.
    template <int k>
    [[gnu::always_inline, gnu::target("avx512f")]] static inline void storePair(D v, double* to)
    {
        _mm_storeu_pd(to, _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps((__m512d)v), k)));
    }
};
#endif

// ---------------------------------------------------------------------------
// Operations for every lane set.

template <class V, class F, std::size_t... I>
[[gnu::always_inline]] inline V vectorOf(F f, std::index_sequence<I...>)
{
    return V{f(int(I))...};
}
/// The vector {f(0), f(1), ..., f(W - 1)}.
template <class L, class F>
[[gnu::always_inline]] inline typename L::D lanesOf(F f)
{
    return vectorOf<typename L::D>(f, std::make_index_sequence<L::kWidth>());
}
/// The mask set in the lanes where f(l) is true.
template <class L, class F>
[[gnu::always_inline]] inline typename L::M maskOf(F f)
{
    return vectorOf<typename L::M>([&](int l) BLORP_INLINE { return f(l) ? -1LL : 0LL; },
                                   std::make_index_sequence<L::kWidth>());
}

/// x in every lane. (Not as zero plus x, which would turn -0 into +0.)
template <class L>
[[gnu::always_inline]] inline typename L::D splat(double x)
{
    return lanesOf<L>([x](int) BLORP_INLINE { return x; });
}

/// Every lane set, or none.
template <class L>
[[gnu::always_inline]] inline typename L::M allLanes()
{
    return maskOf<L>([](int) BLORP_INLINE { return true; });
}
template <class L>
[[gnu::always_inline]] inline typename L::M noLanes()
{
    return maskOf<L>([](int) BLORP_INLINE { return false; });
}

/// std::fabs lane by lane: the sign bit cleared.
template <class L>
[[gnu::always_inline]] inline typename L::D absLanes(typename L::D v)
{
    using M = typename L::M;
    const M noSign = vectorOf<M>([](int) BLORP_INLINE { return 0x7fffffffffffffffLL; },
                                 std::make_index_sequence<L::kWidth>());
    return (typename L::D)((M)v & noSign);
}

/// A Vector3 per lane.
template <class L>
struct Lanes3 {
    typename L::D x, y, z;
};

template <class L>
[[gnu::always_inline]] inline Lanes3<L> operator+(const Lanes3<L>& a, const Lanes3<L>& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <class L>
[[gnu::always_inline]] inline Lanes3<L> operator-(const Lanes3<L>& a, const Lanes3<L>& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <class L>
[[gnu::always_inline]] inline Lanes3<L> operator-(const Lanes3<L>& a)
{
    return {-a.x, -a.y, -a.z};
}
/// Vector3's v * s, which forms s·x, s·y, s·z.
template <class L>
[[gnu::always_inline]] inline Lanes3<L> scaled(const Lanes3<L>& v, typename L::D s)
{
    return {s * v.x, s * v.y, s * v.z};
}
/// Vector3::dot's sum, in its order.
template <class L>
[[gnu::always_inline]] inline typename L::D dot(const Lanes3<L>& a, const Lanes3<L>& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <class L>
[[gnu::always_inline]] inline Lanes3<L> cross(const Lanes3<L>& a, const Lanes3<L>& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <class L>
[[gnu::always_inline]] inline typename L::D length(const Lanes3<L>& v)
{
    return L::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}
/// Lane by lane a where m is set, else b. (m is a comparison's result, whose
/// lanes are of the integer type as wide as a double, or an L::M.)
template <class L, class Mask>
[[gnu::always_inline]] inline Lanes3<L> choose(Mask m, const Lanes3<L>& a, const Lanes3<L>& b)
{
    return {m ? a.x : b.x, m ? a.y : b.y, m ? a.z : b.z};
}
/// The same vector in every lane.
template <class L>
[[gnu::always_inline]] inline Lanes3<L> splat3(double x, double y, double z)
{
    return {splat<L>(x), splat<L>(y), splat<L>(z)};
}
/// Vector3::normalized: the zero vector where the length is exactly 0.
template <class L>
[[gnu::always_inline]] inline Lanes3<L> normalized(const Lanes3<L>& v)
{
    const typename L::D len = length(v);
    const Lanes3<L> unit = {v.x / len, v.y / len, v.z / len};
    return choose(len == splat<L>(0.0), splat3<L>(0.0, 0.0, 0.0), unit);
}

/// Each lane's point's Vector3 field.
template <class L>
[[gnu::always_inline]] inline Lanes3<L> gather(MassPoint* const* points, Vector3 MassPoint::*field)
{
    return {lanesOf<L>([&](int l) BLORP_INLINE { return (points[l]->*field).x; }),
            lanesOf<L>([&](int l) BLORP_INLINE { return (points[l]->*field).y; }),
            lanesOf<L>([&](int l) BLORP_INLINE { return (points[l]->*field).z; })};
}
/// Each lane's point's double field.
template <class L>
[[gnu::always_inline]] inline typename L::D gather(MassPoint* const* points, double MassPoint::*field)
{
    return lanesOf<L>([&](int l) BLORP_INLINE { return points[l]->*field; });
}
/// v to each lane's point's field, in the lanes set in `active` only.
template <class L>
[[gnu::always_inline]] inline void scatter(MassPoint* const* points, typename L::M active,
                                           Vector3 MassPoint::*field, const Lanes3<L>& v)
{
    forEachLane<L::kWidth>([&](int l) BLORP_INLINE {
        if (active[l]) {
            Vector3& to = points[l]->*field;
            to.x = v.x[l], to.y = v.y[l], to.z = v.z[l];
        }
    });
}
