// The spring and node passes, W lanes wide: one source for every width,
// included by one file per instruction set after it has switched the
// compiler to that set (see SoftBodyStepAvx2.cpp), so that the same lines
// become SSE2, AVX2 or AVX-512 instructions. The includer names the lanes
// (BLORP_WIDE_LANES) and how many groups of springs the spring pass keeps
// in flight ahead of the one it finishes (BLORP_WIDE_AHEAD, 0 unless said),
// which its registers decide. No include guard on purpose.
//
// Every lane does the scalar code's operations on its own spring or node, in
// the scalar code's order, and IEEE addition, subtraction, multiplication,
// division and square root give the same bits in any width. Branches become
// both sides computed and the lane's side chosen, which changes no result:
// the side not taken has no effect but the time it costs.

// Every lambda here is a piece of a loop's body. Left to itself, the
// compiler keeps some of them as calls once the body is large, and a call
// takes its vectors through memory.
#ifndef BLORP_INLINE
#define BLORP_INLINE __attribute__((always_inline))
#endif

namespace {
template <int W>
struct LaneTypes;
template <>
struct LaneTypes<2> {
    typedef double D __attribute__((vector_size(16)));
    typedef long long M __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<4> {
    typedef double D __attribute__((vector_size(32)));
    typedef long long M __attribute__((vector_size(32)));
};
template <>
struct LaneTypes<8> {
    typedef double D __attribute__((vector_size(64)));
    typedef long long M __attribute__((vector_size(64)));
};

// The compiler's vector extensions have every operation needed but the
// square root. Only the includer's own width is defined: the others'
// instructions may not be available in its code. (The instruction set is
// named by the includer's BLORP_WIDE_LANES rather than the compiler's
// __AVX__ macros, which the target switch does not update for C++.)
#if BLORP_WIDE_LANES == 2
[[gnu::always_inline]] inline LaneTypes<2>::D sqrtLanes(LaneTypes<2>::D v)
{
    return (LaneTypes<2>::D)_mm_sqrt_pd((__m128d)v);
}
#elif BLORP_WIDE_LANES == 4
[[gnu::always_inline]] inline LaneTypes<4>::D sqrtLanes(LaneTypes<4>::D v)
{
    return (LaneTypes<4>::D)_mm256_sqrt_pd((__m256d)v);
}
#elif BLORP_WIDE_LANES == 8
[[gnu::always_inline]] inline LaneTypes<8>::D sqrtLanes(LaneTypes<8>::D v)
{
    // Every lane written, so the result's initial value does not matter; the
    // masked form's is v itself, which keeps the compiler from warning
    // about _mm512_sqrt_pd's undefined one.
    return (LaneTypes<8>::D)_mm512_mask_sqrt_pd((__m512d)v, __mmask8(0xff), (__m512d)v);
}
#else
#error "BLORP_WIDE_LANES must be 2, 4 or 8"
#endif

/// Whether any lane of m is set.
#if BLORP_WIDE_LANES == 2
[[gnu::always_inline]] inline bool anyLane(LaneTypes<2>::M m) { return _mm_movemask_pd((__m128d)m) != 0; }
#elif BLORP_WIDE_LANES == 4
[[gnu::always_inline]] inline bool anyLane(LaneTypes<4>::M m) { return _mm256_movemask_pd((__m256d)m) != 0; }
#else
[[gnu::always_inline]] inline bool anyLane(LaneTypes<8>::M m) { return _mm512_test_epi64_mask((__m512i)m, (__m512i)m) != 0; }
#endif

// Lanes are filled and emptied through these, lane numbers known at
// compile time, so the compiler builds and takes apart the vectors in
// registers. Written one lane at a time through memory, every vector read
// would wait for the narrow writes before it (a store-forwarding stall).

/// The vector {f(0), f(1), ...}.
template <class D, class F, std::size_t... L>
[[gnu::always_inline]] inline D lanesFrom(F f, std::index_sequence<L...>)
{
    return D{f(int(L))...};
}
template <class D, class F>
[[gnu::always_inline]] inline D lanes(F f)
{
    return lanesFrom<D>(f, std::make_index_sequence<sizeof(D) / sizeof(double)>());
}
template <class F, std::size_t... L>
[[gnu::always_inline]] inline void forLanes(F f, std::index_sequence<L...>)
{
    (f(int(L)), ...);
}
/// f(0), f(1), ..., f(W - 1).
template <int W, class F>
[[gnu::always_inline]] inline void forEachLane(F f)
{
    forLanes(f, std::make_index_sequence<W>());
}

/// x in every lane. (Not as zero plus x, which would turn -0 into +0.)
template <class D, class T>
[[gnu::always_inline]] inline D splat(T x)
{
    return lanes<D>([x](int) BLORP_INLINE { return x; });
}

// Six consecutive doubles of each of W rows, as six vectors (lane l of
// vector c is row l's double c), and back. Loading rows two doubles at a
// time and shuffling them takes a fraction of the instructions of filling
// lanes one by one.
// Eight lanes are two four-lane halves, so the eight-lane code is the
// four-lane code that the AVX2 path runs, plus the joining.
#if BLORP_WIDE_LANES == 2
// Two lanes gain nothing from shuffling: each 16-byte load would still need
// one shuffle per vector, against one insert when filling lane by lane.
[[gnu::always_inline]] inline void columnsOf(const double* const* rows, LaneTypes<2>::D columns[6])
{
    forEachLane<6>([&](int c) BLORP_INLINE { columns[c] = lanes<LaneTypes<2>::D>([&](int l) BLORP_INLINE { return rows[l][c]; }); });
}
[[gnu::always_inline]] inline void rowsOf(const LaneTypes<2>::D columns[6], double* const* rows)
{
    forEachLane<2>([&](int l) BLORP_INLINE { forEachLane<6>([&](int c) BLORP_INLINE { rows[l][c] = columns[c][l]; }); });
}
#else
// Built from pairs of doubles: the shuffles that cross the vector's halves
// run on the same two pipes as the divider, where broadcasting loads, and
// blends, which any pipe runs, take their place.
/// [row a's doubles c and c + 1 | row b's doubles c and c + 1]
[[gnu::always_inline]] inline __m256d pairsOf(const double* a, const double* b, int c)
{
    return _mm256_blend_pd(_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(a + c)),
                           _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(b + c)), 0xc);
}
[[gnu::always_inline]] inline void columnsOf4(const double* const* rows, LaneTypes<4>::D columns[6])
{
    forEachLane<3>([&](int pair) BLORP_INLINE {
        const int c = 2 * pair;
        const __m256d even = pairsOf(rows[0], rows[2], c), odd = pairsOf(rows[1], rows[3], c);
        columns[c] = (LaneTypes<4>::D)_mm256_unpacklo_pd(even, odd);
        columns[c + 1] = (LaneTypes<4>::D)_mm256_unpackhi_pd(even, odd);
    });
}
[[gnu::always_inline]] inline void rowsOf4(const LaneTypes<4>::D columns[6], double* const* rows)
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
#if BLORP_WIDE_LANES == 4
[[gnu::always_inline]] inline void columnsOf(const double* const* rows, LaneTypes<4>::D columns[6])
{
    columnsOf4(rows, columns);
}
[[gnu::always_inline]] inline void rowsOf(const LaneTypes<4>::D columns[6], double* const* rows)
{
    rowsOf4(columns, rows);
}
#else
// Eight lanes take whole rows: rows l and l + 4 side by side in one
// register, then two rounds of shuffles, the first within each 128-bit
// lane, the second moving whole 128-bit lanes. The lanes hold rows 0, 1, 4,
// 5, 2, 3, 6 and 7 in that order, which lets each round take its two
// sources as they lie, one instruction a column; rowsOf puts every lane's
// row back where it came from, and the lanes in between work on their own.
// Rows are joined by inserting loads and stored by extracting, each one
// instruction: on Zen 5 moving halves and quarters of a register costs no
// more than a load or a store, where the compiler's own choice for the same
// lanes took a load and a shuffle. (The in-lane shuffles are left to the
// compiler, lane numbers given.)
using D8 = LaneTypes<8>::D;
/// [row lo's doubles c to c + 3 | row hi's doubles c to c + 3]
[[gnu::always_inline]] inline D8 quadsOf(const double* lo, const double* hi, int c)
{
    return (D8)_mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_loadu_pd(lo + c)), _mm256_loadu_pd(hi + c), 1);
}
/// [row a's doubles c and c + 1 | row b's | row d's | row e's]
[[gnu::always_inline]] inline D8 pairsOf(const double* a, const double* b, const double* d, const double* e, int c)
{
    const __m256d low = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a + c)), _mm_loadu_pd(b + c), 1);
    const __m256d high = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(d + c)), _mm_loadu_pd(e + c), 1);
    return (D8)_mm512_insertf64x4(_mm512_castpd256_pd512(low), high, 1);
}
/// Each 128-bit lane's first doubles of a and b, or its second ones.
[[gnu::always_inline]] inline D8 unpackLow(D8 a, D8 b) { return __builtin_shufflevector(a, b, 0, 8, 2, 10, 4, 12, 6, 14); }
[[gnu::always_inline]] inline D8 unpackHigh(D8 a, D8 b) { return __builtin_shufflevector(a, b, 1, 9, 3, 11, 5, 13, 7, 15); }
/// The rows' six doubles as six columns, lanes in the order above.
[[gnu::always_inline]] inline void columnsOf(const double* const* rows, D8 columns[6])
{
    D8 z[4];
    forEachLane<4>([&](int r) BLORP_INLINE { z[r] = quadsOf(rows[r], rows[r + 4], 0); });
    // t[0] = [r0.0 r1.0 | r0.2 r1.2 | r4.0 r5.0 | r4.2 r5.2], t[1] the same
    // rows' odd doubles, t[2] and t[3] those of rows 2, 3, 6 and 7.
    const D8 t[4] = {unpackLow(z[0], z[1]), unpackHigh(z[0], z[1]), unpackLow(z[2], z[3]), unpackHigh(z[2], z[3])};
    columns[0] = __builtin_shufflevector(t[0], t[2], 0, 1, 4, 5, 8, 9, 12, 13);
    columns[1] = __builtin_shufflevector(t[1], t[3], 0, 1, 4, 5, 8, 9, 12, 13);
    columns[2] = __builtin_shufflevector(t[0], t[2], 2, 3, 6, 7, 10, 11, 14, 15);
    columns[3] = __builtin_shufflevector(t[1], t[3], 2, 3, 6, 7, 10, 11, 14, 15);
    const D8 even = pairsOf(rows[0], rows[4], rows[2], rows[6], 4), odd = pairsOf(rows[1], rows[5], rows[3], rows[7], 4);
    columns[4] = unpackLow(even, odd);
    columns[5] = unpackHigh(even, odd);
}
/// v's doubles 2k and 2k + 1 to `to`.
template <int k>
[[gnu::always_inline]] inline void storePair(D8 v, double* to)
{
    _mm_storeu_pd(to, _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps((__m512d)v), k)));
}
[[gnu::always_inline]] inline void rowsOf(const D8 columns[6], double* const* rows)
{
    // Back to t[0] = [r0.0 r1.0 | r0.2 r1.2 | r4.0 r5.0 | r4.2 r5.2] and so on.
    const D8 t[4] = {__builtin_shufflevector(columns[0], columns[2], 0, 1, 8, 9, 2, 3, 10, 11),
                     __builtin_shufflevector(columns[1], columns[3], 0, 1, 8, 9, 2, 3, 10, 11),
                     __builtin_shufflevector(columns[0], columns[2], 4, 5, 12, 13, 6, 7, 14, 15),
                     __builtin_shufflevector(columns[1], columns[3], 4, 5, 12, 13, 6, 7, 14, 15)};
    const D8 z[4] = {unpackLow(t[0], t[1]), unpackHigh(t[0], t[1]), unpackLow(t[2], t[3]), unpackHigh(t[2], t[3])};
    forEachLane<4>([&](int r) BLORP_INLINE {
        _mm256_storeu_pd(rows[r], _mm512_castpd512_pd256((__m512d)z[r]));
        _mm256_storeu_pd(rows[r + 4], _mm512_extractf64x4_pd((__m512d)z[r], 1));
    });
    // [r0 | r4 | r2 | r6] and [r1 | r5 | r3 | r7], each row's doubles 4 and 5.
    const D8 even = unpackLow(columns[4], columns[5]), odd = unpackHigh(columns[4], columns[5]);
    storePair<0>(even, rows[0] + 4), storePair<1>(even, rows[4] + 4);
    storePair<2>(even, rows[2] + 4), storePair<3>(even, rows[6] + 4);
    storePair<0>(odd, rows[1] + 4), storePair<1>(odd, rows[5] + 4);
    storePair<2>(odd, rows[3] + 4), storePair<3>(odd, rows[7] + 4);
}
#endif
#endif

// The rows those read and write: a node's position and velocity, a
// spring's rest length, ks and kd (and forceA, read but unused), a spring's
// forceA and forceB. Each is six doubles in a row, fields declared one after
// another with nothing between them.
static_assert(sizeof(Vector3) == 3 * sizeof(double), "Vector3 fields follow one another without gaps");

/// A Vector3 per lane.
template <class D>
struct Lanes3 {
    D x, y, z;
};

template <class D>
[[gnu::always_inline]] inline Lanes3<D> operator+(const Lanes3<D>& a, const Lanes3<D>& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <class D>
[[gnu::always_inline]] inline Lanes3<D> operator-(const Lanes3<D>& a)
{
    return {-a.x, -a.y, -a.z};
}
/// Vector3's v * s, which forms s·x, s·y, s·z.
template <class D>
[[gnu::always_inline]] inline Lanes3<D> scaled(const Lanes3<D>& v, D s)
{
    return {s * v.x, s * v.y, s * v.z};
}
template <class D>
[[gnu::always_inline]] inline D dot(const Lanes3<D>& a, const Lanes3<D>& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <class D>
[[gnu::always_inline]] inline Lanes3<D> cross(const Lanes3<D>& a, const Lanes3<D>& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <class D>
[[gnu::always_inline]] inline D length(const Lanes3<D>& v)
{
    return sqrtLanes(v.x * v.x + v.y * v.y + v.z * v.z);
}
/// Lane by lane a if m, else b.
template <class D, class M>
[[gnu::always_inline]] inline Lanes3<D> choose(M m, const Lanes3<D>& a, const Lanes3<D>& b)
{
    return {m ? a.x : b.x, m ? a.y : b.y, m ? a.z : b.z};
}
/// Vector3::normalized: the zero vector where the length is exactly 0.
template <class D>
[[gnu::always_inline]] inline Lanes3<D> normalized(const Lanes3<D>& v)
{
    const D len = length(v);
    const Lanes3<D> zero = {splat<D>(0.0), splat<D>(0.0), splat<D>(0.0)};
    const Lanes3<D> unit = {v.x / len, v.y / len, v.z / len};
    return choose(len == splat<D>(0.0), zero, unit);
}

/// std::fabs lane by lane: the sign bit cleared.
template <class D>
[[gnu::always_inline]] inline D absLanes(D v)
{
    using M = decltype(v < v);
    return (D)((M)v & splat<M>(0x7fffffffffffffffLL));
}

template <class D>
[[gnu::always_inline]] inline Lanes3<D> load(MassPoint* const* points, Vector3 MassPoint::*field)
{
    return {lanes<D>([&](int l) BLORP_INLINE { return (points[l]->*field).x; }),
            lanes<D>([&](int l) BLORP_INLINE { return (points[l]->*field).y; }),
            lanes<D>([&](int l) BLORP_INLINE { return (points[l]->*field).z; })};
}

template <class D, class M>
[[gnu::always_inline]] inline void store(MassPoint* const* points, M active, Vector3 MassPoint::*field,
                                         const Lanes3<D>& v)
{
    forEachLane<int(sizeof(D) / sizeof(double))>([&](int l) BLORP_INLINE {
        if (active[l]) {
            Vector3& to = points[l]->*field;
            to.x = v.x[l], to.y = v.y[l], to.z = v.z[l];
        }
    });
}

/// What W springs carry from their square root to their forces: their
/// lengths, constants and ends' velocities, and nothing that is no longer
/// needed, so that groups in flight take as few registers as they can.
template <int W>
struct SpringLanes {
    using D = typename LaneTypes<W>::D;
    D dx, dy, dz, len;
    D rest, ks, kd;
    D va[3], vb[3];  ///< the ends' velocities
};

/// The first half of dampedSpringForces for springs [s, s + W): up to the length.
template <int W>
[[gnu::always_inline]] inline SpringLanes<W> springLengths(const Spring* springs, int s)
{
    using D = typename LaneTypes<W>::D;
    const Spring* const run = springs + s;
    const double *aRows[W], *bRows[W], *constants[W];
    forEachLane<W>([&](int l) BLORP_INLINE {
        aRows[l] = &run[l].pointA->position.x;
        bRows[l] = &run[l].pointB->position.x;
        constants[l] = &run[l].restLength;
    });
    D a[6], b[6], k[6];  // A's position and velocity, B's, rest length, ks and kd (and forceA)
    columnsOf(aRows, a);
    columnsOf(bRows, b);
    columnsOf(constants, k);
    SpringLanes<W> g;
    g.dx = b[0] - a[0], g.dy = b[1] - a[1], g.dz = b[2] - a[2];
    g.len = sqrtLanes(g.dx * g.dx + g.dy * g.dy + g.dz * g.dz);
    g.rest = k[0], g.ks = k[1], g.kd = k[2];
    for (int c = 0; c < 3; ++c) g.va[c] = a[3 + c], g.vb[c] = b[3 + c];
    return g;
}

/// The rest of dampedSpringForces, stored into the springs' forceA and forceB.
template <int W>
[[gnu::always_inline]] inline void storeSpringForces(const SpringLanes<W>& g, Spring* springs, int s)
{
    using D = typename LaneTypes<W>::D;
    const D f = g.ks * (g.rest - g.len);
    const auto apart = g.len != splat<D>(0.0);
    const D zero = splat<D>(0.0);
    const D ufx = f * (apart ? g.dx / g.len : zero), ufy = f * (apart ? g.dy / g.len : zero),
            ufz = f * (apart ? g.dz / g.len : zero);
    const D out[6] = {-ufx - g.kd * g.va[0], -ufy - g.kd * g.va[1], -ufz - g.kd * g.va[2],
                      ufx - g.kd * g.vb[0],  ufy - g.kd * g.vb[1],  ufz - g.kd * g.vb[2]};
    double* forces[W];
    forEachLane<W>([&](int l) BLORP_INLINE { forces[l] = &springs[s + l].forceA.x; });
    rowsOf(out, forces);
}

#ifndef BLORP_WIDE_AHEAD
#define BLORP_WIDE_AHEAD 0
#endif

template <int W>
void springsWide(Spring* springs, int begin, int end, int total, bool prefetch)
{
    // Software-pipelined: the next groups' square roots are started before
    // this group's divisions. The square root and the three divisions share
    // one unit and wait for each other, and a group on its own leaves the
    // unit idle while its results come through. A group in flight holds
    // 13 vectors, so how many can be is set by the registers (the includer's
    // BLORP_WIDE_AHEAD); one more than fit spills to memory and loses.
    // (Prefetches in plain loops: inside a lambda the compiler may find a
    // function without effects and drop its call, prefetches and all.)
    constexpr int ahead = BLORP_WIDE_AHEAD;
    int s = begin;
    if constexpr (ahead > 0) {
        // The groups in flight rotate through ahead + 1 slots, the loop
        // unrolled so that each slot is one set of registers: a slot never
        // moves, where shifting an array of groups would copy it through
        // memory every group.
        constexpr int slots = ahead + 1;
        if (s + (slots + ahead) * W <= end) {
            auto start = [&](int at) BLORP_INLINE {
                if (prefetch)
                    for (int l = 0; l < W; ++l) prefetchSpring(springs, at + l, total);
                return springLengths<W>(springs, at);
            };
            SpringLanes<W> slot[slots];
            forEachLane<ahead>([&](int g) BLORP_INLINE { slot[g] = start(s + g * W); });
            for (; s + (slots + ahead) * W <= end; s += slots * W)
                forEachLane<slots>([&](int g) BLORP_INLINE {
                    slot[(g + ahead) % slots] = start(s + (g + ahead) * W);
                    storeSpringForces(slot[g], springs, s + g * W);
                });
            forEachLane<ahead>([&](int g) BLORP_INLINE { storeSpringForces(slot[g], springs, s + g * W); });
            s += ahead * W;
        }
    }
    for (; s + W <= end; s += W) {
        if (prefetch)
            for (int l = 0; l < W; ++l) prefetchSpring(springs, s + l, total);
        storeSpringForces(springLengths<W>(springs, s), springs, s);
    }
    if (W >= 4 && s < end && end - begin >= W) {
        // The last few springs as one group that ends at `end`: its first
        // lanes compute again what is already stored, which stores the same
        // bits, and cost less than the springs one by one.
        storeSpringForces(springLengths<W>(springs, end - W), springs, end - W);
        s = end;
    }
    if (s < end) computeSpringsScalar(springs, s, end, total, prefetch);
}

/// MassPoint::respondToContact(n, elastic) for the lanes in `active`, each
/// lane with its own point and normal.
template <int W>
[[gnu::always_inline]] inline void respondWide(MassPoint* const* points, typename LaneTypes<W>::M active,
                                               const Lanes3<typename LaneTypes<W>::D>& n, bool elastic)
{
    using D = typename LaneTypes<W>::D;
    using V = Lanes3<D>;
    const V F = load<D>(points, &MassPoint::force);
    const V P = load<D>(points, &MassPoint::contactForce);
    const V v = load<D>(points, &MassPoint::velocity);
    const D staticFriction = lanes<D>([&](int l) BLORP_INLINE { return points[l]->staticFriction; });
    const D kineticFriction = lanes<D>([&](int l) BLORP_INLINE { return points[l]->kineticFriction; });
    const D zero = splat<D>(0.0);
    const V zeros = {zero, zero, zero};

    // applyContactForce: the normal force, with friction where the force
    // pushes into the surface.
    const D d = dot(F, n);
    const auto pushing = d < zero;
    // applyFriction, seeing the previous response's normal force P.
    const V U = normalized(F + P);
    const V Wd = cross(U, n);
    const V Ft = scaled(U, dot(F, U)) + scaled(Wd, dot(F, Wd));
    const V Vt = scaled(U, dot(v, U)) + scaled(Wd, dot(v, Wd));
    const auto slides = (length(Ft) - length(scaled(P, staticFriction)) > zero) |
                        (length(Vt) > splat<D>(MassPoint::kStickSpeed));
    const V sliding = scaled(-normalized(Vt), length(scaled(P, kineticFriction)));
    const V friction = choose(slides, sliding, -Ft);
    const V rubbed = choose(slides, v, v + -Vt);
    const V afterFriction = choose(pushing, F + friction, F);
    const V velocity = choose(pushing, rubbed, v);
    const D pressure = absLanes(d);
    const V normalForce = choose(pushing, scaled(n, pressure), zeros);
    const V force = afterFriction + normalForce;

    // applyContactVelocity: the velocity into the surface removed, or reversed.
    const D e = dot(velocity, n);
    const V p = scaled(n, -e);
    const V stopped = velocity + p;
    const V answered = choose(e < zero, stopped + scaled(p, splat<D>(elastic ? 1.0 : 0.0)), velocity);

    store(points, active, &MassPoint::contactForce, normalForce);
    store(points, active, &MassPoint::force, force);
    store(points, active, &MassPoint::velocity, answered);
}

/// MassPoint::integrate(dt) for the W points, leaving fixed ones alone.
template <int W>
[[gnu::always_inline]] inline void integrateWide(MassPoint* const* points, double dt)
{
    using D = typename LaneTypes<W>::D;
    using M = typename LaneTypes<W>::M;
    const M moves = lanes<M>([&](int l) BLORP_INLINE { return points[l]->fixed ? 0LL : -1LL; });
    const D mass = lanes<D>([&](int l) BLORP_INLINE { return points[l]->mass; });
    const Lanes3<D> F = load<D>(points, &MassPoint::force);
    const Lanes3<D> a = {F.x / mass, F.y / mass, F.z / mass};
    const Lanes3<D> v = load<D>(points, &MassPoint::velocity) + scaled(a, splat<D>(dt));
    const Lanes3<D> p = load<D>(points, &MassPoint::position) +
                        (scaled(v, splat<D>(dt)) + scaled(a, splat<D>(0.5 * dt * dt)));
    store(points, moves, &MassPoint::acceleration, a);
    store(points, moves, &MassPoint::velocity, v);
    store(points, moves, &MassPoint::position, p);
}

/// boxNormal lane by lane.
template <class D>
[[gnu::always_inline]] inline Lanes3<D> boxNormalWide(const ContactShape& box, const Lanes3<D>& p)
{
    const D distances[6] = {absLanes(p.y - splat<D>(box.corner[1])),    absLanes(p.x - splat<D>(box.corner[0])),
                            absLanes(p.z - splat<D>(box.corner[2])),    absLanes(p.y - splat<D>(box.farCorner[1])),
                            absLanes(p.x - splat<D>(box.farCorner[0])), absLanes(p.z - splat<D>(box.farCorner[2]))};
    static const double kNormals[6][3] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
    auto normal = [](int f) BLORP_INLINE {
        return Lanes3<D>{splat<D>(kNormals[f][0]), splat<D>(kNormals[f][1]), splat<D>(kNormals[f][2])};
    };
    // Strictly smaller only, so a tie keeps the earlier face.
    D nearest = distances[0];
    Lanes3<D> n = normal(0);
    forEachLane<5>([&](int g) BLORP_INLINE {
        const auto nearer = distances[g + 1] < nearest;
        n = choose(nearer, normal(g + 1), n);
        nearest = nearer ? distances[g + 1] : nearest;
    });
    return n;
}

/// respondToContactsReference for the W points: each plane and object in
/// its order, answered at once for every lane that touches it, so each lane
/// still answers its own contacts in their order. Planes and finite boxes
/// are tested and their normals found in the lanes; spheres and boxes that
/// reach to infinity lane by lane, through their own operations, for the
/// lanes within their bounds. A lane inside an object of another kind, which
/// may read the velocity that earlier contacts change, is answered the
/// reference way as a whole.
template <int W>
[[gnu::always_inline]] inline void respondToContactsWide(const NodePass& pass, MassPoint* const* points)
{
    using D = typename LaneTypes<W>::D;
    using M = typename LaneTypes<W>::M;
    using V = Lanes3<D>;
    const V p = load<D>(points, &MassPoint::position);
    M mine = splat<M>(-1LL);
    for (int s = 0; s < pass.shapeCount; ++s) {
        const ContactShape& shape = pass.shapes[s];
        if (shape.kind != ContactShape::other) continue;
        forEachLane<W>([&](int l) BLORP_INLINE {
            if (mine[l] && shape.object->contains(points[l]->position)) {
                respondToContactsReference(pass, *points[l]);
                mine[l] = 0;
            }
        });
    }
    auto answer = [&](M touching, const V& normal) BLORP_INLINE {
        const M active = touching & mine;
        if (anyLane(active)) respondWide<W>(points, active, normal, pass.glass);
    };
    const D zero = splat<D>(0.0), one = splat<D>(1.0), minusOne = splat<D>(-1.0);
    answer(p.y <= splat<D>(pass.floorY), V{zero, one, zero});
    answer(p.x <= splat<D>(pass.wallXMin), V{one, zero, zero});
    answer(p.x >= splat<D>(pass.wallXMax), V{minusOne, zero, zero});
    answer(p.z <= splat<D>(pass.wallZMin), V{zero, zero, one});
    answer(p.z >= splat<D>(pass.wallZMax), V{zero, zero, minusOne});
    for (int s = 0; s < pass.shapeCount; ++s) {
        const ContactShape& shape = pass.shapes[s];
        if (shape.kind == ContactShape::other) continue;
        // The bounds are exactly Box::contains's.
        const M within = mine & (splat<D>(shape.low[0]) <= p.x) & (p.x <= splat<D>(shape.high[0])) &
                         (splat<D>(shape.low[1]) <= p.y) & (p.y <= splat<D>(shape.high[1])) &
                         (splat<D>(shape.low[2]) <= p.z) & (p.z <= splat<D>(shape.high[2]));
        if (!anyLane(within)) continue;
        if (shape.kind == ContactShape::box && shape.finite) {
            answer(within, boxNormalWide(shape, p));
            continue;
        }
        M touching = splat<M>(0LL);
        double normals[3][W] = {};
        forEachLane<W>([&](int l) BLORP_INLINE {
            if (!within[l]) return;
            MassPoint& point = *points[l];
            Vector3 n;
            if (shape.kind == ContactShape::box) {
                n = static_cast<Box*>(shape.object)->Box::normalAt(point.position, point.velocity);
            } else {
                Sphere* sphere = static_cast<Sphere*>(shape.object);
                if (!sphere->Sphere::contains(point.position)) return;
                n = sphere->Sphere::normalAt(point.position, point.velocity);
            }
            touching[l] = -1;
            normals[0][l] = n.x, normals[1][l] = n.y, normals[2][l] = n.z;
        });
        auto component = [&](int k) BLORP_INLINE { return lanes<D>([&](int l) BLORP_INLINE { return normals[k][l]; }); };
        answer(touching, V{component(0), component(1), component(2)});
    }
}

template <int W>
void nodesWide(const NodePass& pass, int begin, int end)
{
    int n = begin;
    for (; n + W <= end; n += W) {
        constexpr int sideBySide = W < 4 ? W : 4;
        for (int l = 0; l < W; l += sideBySide) gatherForces<sideBySide>(pass, n + l, end);
        MassPoint* points[W];
        forEachLane<W>([&](int l) BLORP_INLINE { points[l] = &pass.nodes[n + l]; });
        respondToContactsWide<W>(pass, points);
        integrateWide<W>(points, pass.dt);
    }
    for (; n < end; ++n) {
        gatherForces(pass, n, end);
        finishNodeScalar(pass, pass.nodes[n]);
    }
}
}  // namespace
