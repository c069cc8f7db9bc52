#include "tools/textures/Patterns.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTilesPerSide = 8;
constexpr int kBubbleCellsPerSide = 6;

// A well-mixed 32-bit hash of a lattice point: the pictures must not depend
// on a library's random generator, whose sequence may differ between systems.
std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Uniform in [0, 1).
double unitHash(int x, int y, std::uint32_t seed)
{
    return double(hash(std::uint32_t(x), std::uint32_t(y), seed) >> 8) / double(1u << 24);
}

int wrap(int i, int period) { return ((i % period) + period) % period; }

double smooth(double t) { return t * t * (3 - 2 * t); }

// Value noise on a lattice that repeats every `period` cells, so that noise
// sampled over [0, period) tiles without a seam.
double periodicNoise(double x, double y, int period, std::uint32_t seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = smooth(x - x0), fy = smooth(y - y0);
    auto corner = [&](int i, int j) { return unitHash(wrap(i, period), wrap(j, period), seed); };
    const double top = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * fx;
    const double bottom = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Fractal sum of periodic value noise over the unit square (u, v in [0, 1)),
// in [0, 1). Each octave doubles the lattice, so each still tiles.
double fractalNoise(double u, double v, int basePeriod, int octaves, std::uint32_t seed)
{
    double sum = 0, weight = 1, total = 0;
    int period = basePeriod;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * periodicNoise(u * period, v * period, period, seed + std::uint32_t(octave));
        total += weight;
        weight *= 0.5;
        period *= 2;
    }
    return sum / total;
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

std::uint8_t toByte(double v) { return std::uint8_t(std::lround(clamp01(v) * 255.0)); }

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t) { return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)}; }

void put(RgbImage& image, int x, int y, const Colour& c)
{
    std::uint8_t* p = image.at(x, y);
    p[0] = toByte(c.r);
    p[1] = toByte(c.g);
    p[2] = toByte(c.b);
}

// The nearest bubble to (u, v): one bubble per cell of a periodic grid, at a
// hashed place in its cell with a hashed radius. Returns the distance to its
// centre divided by its radius, and the offset from the centre in radii.
struct BubbleHit {
    double distance = 1e9;
    double dx = 0, dy = 0;
};

BubbleHit nearestBubble(double u, double v)
{
    const int n = kBubbleCellsPerSide;
    const double cx = u * n, cy = v * n;
    const int ix = int(std::floor(cx)), iy = int(std::floor(cy));
    BubbleHit best;
    for (int j = iy - 1; j <= iy + 1; ++j) {
        for (int i = ix - 1; i <= ix + 1; ++i) {
            const int wi = wrap(i, n), wj = wrap(j, n);
            const double px = i + 0.2 + 0.6 * unitHash(wi, wj, 11);
            const double py = j + 0.2 + 0.6 * unitHash(wi, wj, 12);
            const double radius = 0.12 + 0.22 * unitHash(wi, wj, 13);
            const double dx = (cx - px) / radius, dy = (cy - py) / radius;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d < best.distance) best = {d, dx, dy};
        }
    }
    return best;
}

}  // namespace

RgbImage drawJelly(int size)
{
    RgbImage image(size, size);
    const Colour deep{0.42, 0.02, 0.08}, bright{0.93, 0.22, 0.25}, glint{1.0, 0.9, 0.88};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            // Cloudy depth: thicker jelly is darker.
            const double cloud = fractalNoise(u, v, 4, 5, 1);
            const double swirl = fractalNoise(u + 0.3 * cloud, v, 8, 3, 2);
            Colour c = mix(deep, bright, clamp01(0.15 + 0.9 * cloud + 0.25 * (swirl - 0.5)));

            const BubbleHit bubble = nearestBubble(u, v);
            if (bubble.distance < 1.15) {
                // A bubble: a lighter inside, a dark rim, and a glint up and
                // to the left where the light catches its top.
                const double inside = 1 - smooth(clamp01((bubble.distance - 0.75) / 0.25));
                const double rim = std::exp(-std::pow((bubble.distance - 0.95) / 0.08, 2.0));
                c = mix(c, mix(c, bright, 0.6), 0.5 * inside);
                c = mix(c, deep, 0.6 * rim);
                const double gx = bubble.dx + 0.35, gy = bubble.dy + 0.35;
                const double spot = std::exp(-(gx * gx + gy * gy) / 0.03);
                c = mix(c, glint, 0.85 * spot);
            }
            put(image, x, y, c);
        }
    }
    return image;
}

RgbImage drawCeilingTiles(int size)
{
    RgbImage image(size, size);
    const int tile = size / kTilesPerSide;
    const int joint = std::max(2, tile / 24);
    const Colour board{0.86, 0.85, 0.81}, groove{0.45, 0.44, 0.42}, speck{0.55, 0.53, 0.5};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int tx = x / tile, ty = y / tile;
            const int lx = x % tile, ly = y % tile;
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            const double shade = 0.94 + 0.08 * unitHash(tx, ty, 21);
            Colour c{board.r * shade, board.g * shade, board.b * shade};

            // Fissures: small dark worms where fine noise peaks.
            const double fine = fractalNoise(u, v, 64, 2, 22);
            const double worms = smooth(clamp01((fine - 0.68) / 0.08));
            c = mix(c, speck, 0.8 * worms);
            const double grit = fractalNoise(u, v, 128, 1, 23);
            c = mix(c, Colour{1, 1, 1}, 0.1 * (grit - 0.5));

            // Joints at the top and left of each tile, with a bevel that
            // catches light on the tile's upper-left edges and falls into
            // shadow on its lower-right ones.
            if (lx < joint || ly < joint) {
                c = groove;
            } else if (lx < 2 * joint || ly < 2 * joint) {
                c = mix(c, Colour{1, 1, 1}, 0.35);
            } else if (lx >= tile - joint || ly >= tile - joint) {
                c = mix(c, groove, 0.45);
            }
            put(image, x, y, c);
        }
    }
    return image;
}
