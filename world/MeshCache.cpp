#include "world/MeshCache.h"

#include "geometry/Box.h"
#include "geometry/Sphere.h"
#include "softbody/SoftBody.h"
#include "world/World.h"

#include <cerrno>
#include <cstdarg>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A sphere becomes kSphereSegments around by kSphereRings from pole to pole.
constexpr int kSphereSegments = 24;
constexpr int kSphereRings = 12;
constexpr double kPi = 3.14159265358979323846;

void append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& text, const char* format, ...)
{
    char line[160];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    text.append(line, size_t(length < int(sizeof line) ? length : int(sizeof line) - 1));
}

// Positions go through float, as in the RIB frame, and are written with
// enough digits to read back as the same float.
void vertex(std::string& text, const Vector3& p)
{
    append(text, "v %.9g %.9g %.9g\n", double(float(p.x)), double(float(p.y)), double(float(p.z)));
}

void normal(std::string& text, const Vector3& n)
{
    append(text, "vn %.6g %.6g %.6g\n", double(float(n.x)), double(float(n.y)), double(float(n.z)));
}

// OBJ numbers vertices, normals and texture coordinates from 1 across the
// whole file, each list on its own; these are the counts written so far.
struct ObjCounts {
    int vertices = 0, normals = 0, textures = 0;
};

void writeBody(std::string& text, int number, const SurfaceMesh& mesh, const std::vector<Vector3>& positions,
               ObjCounts& counts)
{
    append(text, "o body-%d\n", number);
    for (const Vector3& p : positions) vertex(text, p);
    for (const Vector3& n : vertexNormals(mesh, positions)) normal(text, n);
    // One texture coordinate per vertex keeps the three index lists in step;
    // only the bottom side's faces use them.
    for (const auto& st : mesh.st) append(text, "vt %.9g %.9g\n", double(st[0]), double(st[1]));
    for (const SurfaceMesh::Quad& quad : mesh.quads) {
        text += 'f';
        for (int corner : quad.corners) {
            const int v = counts.vertices + corner + 1, n = counts.normals + corner + 1;
            if (quad.isBottom)
                append(text, " %d/%d/%d", v, counts.textures + corner + 1, n);
            else
                append(text, " %d//%d", v, n);
        }
        text += '\n';
    }
    const int added = int(positions.size());
    counts.vertices += added;
    counts.normals += added;
    counts.textures += added;
}

// The box's six faces as the RIB frame lists them, each with its own normal.
void writeBox(std::string& text, int number, const Box& box, ObjCounts& counts)
{
    const Vector3 a = box.position, b = box.farCorner();
    const Vector3 corners[8] = {{a.x, a.y, a.z}, {a.x, a.y, b.z}, {a.x, b.y, a.z}, {a.x, b.y, b.z}, {b.x, a.y, a.z}, {b.x, a.y, b.z}, {b.x, b.y, a.z}, {b.x, b.y, b.z}};
    // Corner c has x from bit 2, y from bit 1, z from bit 0.
    const int faces[6][4] = {{2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 2, 0}, {4, 6, 7, 5}, {5, 7, 3, 1}, {1, 0, 4, 5}};
    const Vector3 normals[6] = {{0, 1, 0}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    append(text, "o box-%d\n", number);
    for (const Vector3& c : corners) vertex(text, c);
    for (const Vector3& n : normals) normal(text, n);
    for (int f = 0; f < 6; ++f) {
        const int n = counts.normals + f + 1;
        text += 'f';
        for (int c = 0; c < 4; ++c) append(text, " %d//%d", counts.vertices + faces[f][c] + 1, n);
        text += '\n';
    }
    counts.vertices += 8;
    counts.normals += 6;
}

// A latitude-longitude sphere; its normals point from the centre, one per
// vertex, so a vertex and its normal share their number.
void writeSphere(std::string& text, int number, const Sphere& sphere, ObjCounts& counts)
{
    append(text, "o sphere-%d\n", number);
    std::vector<Vector3> directions;
    directions.push_back(Vector3(0.0, 1.0, 0.0));
    for (int ring = 1; ring < kSphereRings; ++ring) {
        const double polar = kPi * ring / kSphereRings;
        for (int s = 0; s < kSphereSegments; ++s) {
            const double azimuth = 2.0 * kPi * s / kSphereSegments;
            directions.push_back(
                Vector3(std::sin(polar) * std::cos(azimuth), std::cos(polar), -std::sin(polar) * std::sin(azimuth)));
        }
    }
    directions.push_back(Vector3(0.0, -1.0, 0.0));
    for (const Vector3& d : directions) vertex(text, sphere.position + d * sphere.radius);
    for (const Vector3& d : directions) normal(text, d);
    // Vertex v's normal is number v - vertexToNormal.
    const int vertexToNormal = counts.vertices - counts.normals;
    const int base = counts.vertices;
    const int top = base + 1, bottom = base + int(directions.size());
    auto at = [&](int ring, int s) { return base + 2 + (ring - 1) * kSphereSegments + s % kSphereSegments; };
    auto corner = [&](int v) { append(text, " %d//%d", v, v - vertexToNormal); };
    auto face = [&](std::initializer_list<int> vertices) {
        text += 'f';
        for (int v : vertices) corner(v);
        text += '\n';
    };
    for (int s = 0; s < kSphereSegments; ++s) face({top, at(1, s), at(1, s + 1)});
    for (int ring = 1; ring + 1 < kSphereRings; ++ring)
        for (int s = 0; s < kSphereSegments; ++s)
            face({at(ring, s), at(ring + 1, s), at(ring + 1, s + 1), at(ring, s + 1)});
    for (int s = 0; s < kSphereSegments; ++s)
        face({bottom, at(kSphereRings - 1, s + 1), at(kSphereRings - 1, s)});
    counts.vertices += int(directions.size());
    counts.normals += int(directions.size());
}

// PC2 stores everything little-endian, whatever the machine.
void putLittle32(unsigned char* out, std::uint32_t bits)
{
    for (int b = 0; b < 4; ++b) out[b] = static_cast<unsigned char>(bits >> (8 * b));
}

std::uint32_t floatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
}  // namespace

MeshCache::MeshCache(std::string directory) : root(std::move(directory)) {}

MeshCache::~MeshCache() { finish(); }

bool MeshCache::open()
{
    struct stat status {};
    if (::stat(root.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return true;
        failureText = "cannot write into " + root + ": " + std::strerror(ENOTDIR);
        return false;
    }
    if (::mkdir(root.c_str(), 0777) != 0) {
        failureText = "cannot make the directory " + root + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool MeshCache::fail(const std::string& file, int error)
{
    if (!hasFailed()) failureText = "cannot write " + path(file) + ": " + std::strerror(error != 0 ? error : EIO);
    return false;
}

bool MeshCache::writeObj(const std::string& name, const std::string& text)
{
    // Written aside and renamed into place, so that a reader, or a run
    // stopped halfway, never meets half a file under the real name.
    const std::string final = path(name);
    const std::string temporary = path("." + name + ".part");
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return fail(name, errno);
    const bool isWritten = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = errno;
    const bool isClosed = std::fclose(file) == 0;
    if (isWritten && !isClosed) error = errno;
    if (!isWritten || !isClosed || std::rename(temporary.c_str(), final.c_str()) != 0) {
        if (isWritten && isClosed) error = errno;
        std::remove(temporary.c_str());
        return fail(name, error);
    }
    return true;
}

bool MeshCache::beginTrack(Track& track, const std::vector<Vector3>& positions, int frame)
{
    const std::string name = "body-" + std::to_string(track.number);
    std::string rest = "# blorp: the surface of body " + std::to_string(track.number) + " at frame " +
                       std::to_string(frame) + "; " + name + ".pc2 moves its vertices\n";
    ObjCounts counts;
    writeBody(rest, track.number, track.mesh, positions, counts);
    if (!writeObj(name + ".obj", rest)) return false;

    track.pointCache = std::fopen(path(name + ".pc2").c_str(), "wb");
    if (track.pointCache == nullptr) return fail(name + ".pc2", errno);
    unsigned char header[kPc2HeaderSize];
    std::memcpy(header, kPc2Magic, sizeof kPc2Magic);
    putLittle32(header + 12, 1);                                       // version
    putLittle32(header + 16, std::uint32_t(track.mesh.nodes.size()));  // points
    putLittle32(header + 20, floatBits(float(frame)));                 // start frame
    putLittle32(header + 24, floatBits(1.0f));                         // frames per sample
    putLittle32(header + 28, 0);                                       // samples
    if (std::fwrite(header, 1, sizeof header, track.pointCache) != sizeof header ||
        std::fflush(track.pointCache) != 0)
        return fail(name + ".pc2", errno);
    return true;
}

bool MeshCache::appendSample(Track& track, const std::vector<Vector3>& positions)
{
    std::vector<unsigned char> sample(positions.size() * 12);
    for (size_t p = 0; p < positions.size(); ++p) {
        putLittle32(&sample[12 * p], floatBits(float(positions[p].x)));
        putLittle32(&sample[12 * p + 4], floatBits(float(positions[p].y)));
        putLittle32(&sample[12 * p + 8], floatBits(float(positions[p].z)));
    }
    // The sample reaches the file before the header counts it: a run that
    // ends between the two leaves a cache one sample short, never one that
    // promises a sample it does not hold.
    unsigned char count[4];
    putLittle32(count, std::uint32_t(track.samples + 1));
    std::FILE* file = track.pointCache;
    if (std::fwrite(sample.data(), 1, sample.size(), file) != sample.size() || std::fflush(file) != 0 ||
        std::fseek(file, kPc2SampleCountOffset, SEEK_SET) != 0 || std::fwrite(count, 1, 4, file) != 4 ||
        std::fflush(file) != 0 || std::fseek(file, 0, SEEK_END) != 0)
        return fail("body-" + std::to_string(track.number) + ".pc2", errno);
    ++track.samples;
    return true;
}

void MeshCache::record(const World& world)
{
    const long call = calls++;
    if (hasFailed() || call % kFrameInterval != 0) return;
    const int frame = int(call / kFrameInterval);

    char name[32];
    std::snprintf(name, sizeof name, "blorp.%04d.obj", frame);
    std::string text = "# blorp frame " + std::to_string(frame) + "\n";
    ObjCounts counts;
    std::vector<std::vector<Vector3>> positions;
    for (size_t b = 0; b < world.activeBodies.size(); ++b) {
        const SoftBody& body = *world.activeBodies[b];
        if (b == tracks.size()) {
            Track track;
            track.number = ++bodiesSeen;
            track.mesh = surfaceMesh(body);
            tracks.push_back(std::move(track));
        }
        Track& track = tracks[b];
        positions.push_back(vertexPositions(track.mesh, body));
        if (track.mesh.isEmpty()) continue;
        if (track.pointCache == nullptr && !beginTrack(track, positions.back(), frame)) return;
        writeBody(text, track.number, track.mesh, positions.back(), counts);
    }
    int boxes = 0, spheres = 0;
    for (const GenericObject* object : world.objects) {
        if (const Box* box = dynamic_cast<const Box*>(object))
            writeBox(text, ++boxes, *box, counts);
        else if (const Sphere* sphere = dynamic_cast<const Sphere*>(object))
            writeSphere(text, ++spheres, *sphere, counts);
    }
    if (!writeObj(name, text)) return;
    for (size_t b = 0; b < tracks.size(); ++b)
        if (!tracks[b].mesh.isEmpty() && !appendSample(tracks[b], positions[b])) return;
    ++frames;
}

void MeshCache::closeTracks()
{
    for (Track& track : tracks) {
        if (track.pointCache == nullptr) continue;
        if (std::fclose(track.pointCache) != 0) fail("body-" + std::to_string(track.number) + ".pc2", errno);
        track.pointCache = nullptr;
    }
}

void MeshCache::startWorld()
{
    closeTracks();
    tracks.clear();
}

void MeshCache::finish() { closeTracks(); }
