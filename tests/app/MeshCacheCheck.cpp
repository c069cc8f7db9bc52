// Checks a mesh cache against the binary RIB export of the same run, reading
// both with its own parsers: every point cache's header and samples, and
// every OBJ file's faces and positions, must match the patch meshes that the
// RIB holds for the same bodies in the same frames, in float32 exactly.
//
// usage: meshcache_check DIR RIBFILE BODIES FRAMES
// Prints one line per problem and a summary; exit status 0 when all agree.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {
using Point = std::array<float, 3>;
// A quad as the set of its corners: the RIB and the OBJ may start a quad at
// another corner or walk it the other way.
using Quad = std::array<Point, 4>;

Quad quadOf(Point a, Point b, Point c, Point d)
{
    Quad q = {a, b, c, d};
    std::sort(q.begin(), q.end());
    return q;
}

int problems = 0;
void problem(const std::string& text)
{
    if (++problems <= 20) std::cout << "meshcache_check: " << text << "\n";
}

// ---- the binary RIB: words, strings, text numbers, binary floats and arrays
struct Token {
    enum Kind { word,
                string,
                number,
                array,
                end } kind = end;
    std::string text;
    std::vector<float> numbers;
};

class RibReader {
public:
    explicit RibReader(std::vector<unsigned char> bytes_) : bytes(std::move(bytes_)) {}

    Token next()
    {
        Token token;
        while (at < bytes.size() && std::strchr(" \t\r\n", bytes[at]) != nullptr && bytes[at] != 0) ++at;
        if (at >= bytes.size()) return token;
        const unsigned char c = bytes[at];
        if (c == 0xA4) {  // one binary float
            token.kind = Token::number;
            token.numbers.push_back(floatAt(at + 1));
            at += 5;
        } else if (c >= 0xC8 && c <= 0xCB) {  // a float array, 1 to 4 length bytes
            const int lengthBytes = c - 0xC8 + 1;
            size_t count = 0;
            for (int b = 0; b < lengthBytes; ++b) count = count << 8 | bytes[at + 1 + size_t(b)];
            at += 1 + size_t(lengthBytes);
            token.kind = Token::array;
            for (size_t i = 0; i < count; ++i) token.numbers.push_back(floatAt(at + 4 * i));
            at += 4 * count;
        } else if (c == '"') {
            const size_t close = find('"', at + 1);
            token.kind = Token::string;
            token.text.assign(bytes.begin() + long(at + 1), bytes.begin() + long(close));
            at = close + 1;
        } else if (c == '[') {  // a text array of numbers
            ++at;
            token.kind = Token::array;
            for (Token item = next(); item.kind == Token::number; item = next()) token.numbers.push_back(item.numbers[0]);
        } else if (c == ']') {
            ++at;
            token.kind = Token::end;
            token.text = "]";
        } else {
            size_t stop = at;
            while (stop < bytes.size() && std::strchr(" \t\r\n[]\"", bytes[stop]) == nullptr && bytes[stop] < 0x80)
                ++stop;
            token.text.assign(bytes.begin() + long(at), bytes.begin() + long(stop));
            at = stop;
            const char first = token.text.empty() ? ' ' : token.text[0];
            token.kind = (std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '.') ? Token::number
                                                                                                           : Token::word;
            if (token.kind == Token::number) token.numbers.push_back(std::strtof(token.text.c_str(), nullptr));
            if (token.text.empty()) ++at;  // a byte we do not know: step over it
        }
        return token;
    }
    bool atEnd() const { return at >= bytes.size(); }

private:
    float floatAt(size_t offset) const
    {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) bits = bits << 8 | bytes[offset + size_t(b)];  // most significant first
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    size_t find(unsigned char c, size_t from) const
    {
        while (from < bytes.size() && bytes[from] != c) ++from;
        return from;
    }
    std::vector<unsigned char> bytes;
    size_t at = 0;
};

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// frame -> bodies in order -> the set of their quads, taken from every
// attribute block that holds patch meshes.
std::map<int, std::vector<std::set<Quad>>> readRib(const std::string& path)
{
    std::map<int, std::vector<std::set<Quad>>> frames;
    RibReader reader(readBytes(path));
    int frame = -1;
    std::vector<std::set<Quad>> blocks;  // one per open attribute block
    while (!reader.atEnd()) {
        Token token = reader.next();
        if (token.kind != Token::word) continue;
        if (token.text == "FrameBegin") {
            frame = int(reader.next().numbers.at(0));
            frames[frame];
        } else if (token.text == "AttributeBegin") {
            blocks.emplace_back();
        } else if (token.text == "AttributeEnd" && !blocks.empty()) {
            if (!blocks.back().empty()) frames[frame].push_back(blocks.back());
            blocks.pop_back();
        } else if (token.text == "PatchMesh" && !blocks.empty()) {
            reader.next();  // "bicubic" or "bilinear"
            const int nu = int(reader.next().numbers.at(0));
            reader.next();
            const int nv = int(reader.next().numbers.at(0));
            reader.next();
            const Token name = reader.next();
            const Token points = reader.next();
            if (name.text != "P" || points.kind != Token::array || points.numbers.size() != size_t(3 * nu * nv)) {
                problem("frame " + std::to_string(frame) + ": a PatchMesh without its " + std::to_string(nu) + "x" +
                        std::to_string(nv) + " points");
                continue;
            }
            auto at = [&](int u, int v) {
                const size_t i = size_t(3 * (v * nu + u));
                return Point{points.numbers[i], points.numbers[i + 1], points.numbers[i + 2]};
            };
            for (int v = 0; v + 1 < nv; ++v)
                for (int u = 0; u + 1 < nu; ++u)
                    blocks.back().insert(quadOf(at(u, v), at(u + 1, v), at(u + 1, v + 1), at(u, v + 1)));
        }
    }
    return frames;
}

// ---- OBJ: the objects' positions and faces, indices checked
struct ObjObject {
    std::vector<std::vector<int>> faces;  // vertex indices into the file's list, from 0
};
struct Obj {
    std::vector<Point> vertices;
    std::map<std::string, ObjObject> objects;
};

Obj readObj(const std::string& path)
{
    Obj obj;
    std::ifstream in(path);
    if (!in) problem(path + ": cannot be read");
    std::string current;
    size_t normals = 0, textures = 0;
    std::vector<std::pair<std::string, std::string>> faceLines;  // checked once all lists are known
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "v") {
            std::string x, y, z;
            words >> x >> y >> z;
            obj.vertices.push_back({std::strtof(x.c_str(), nullptr), std::strtof(y.c_str(), nullptr),
                                    std::strtof(z.c_str(), nullptr)});
        } else if (kind == "vn") {
            ++normals;
        } else if (kind == "vt") {
            ++textures;
        } else if (kind == "o") {
            words >> current;
            obj.objects[current];
        } else if (kind == "f") {
            faceLines.emplace_back(current, line.substr(2));
        }
    }
    for (const auto& [object, text] : faceLines) {
        std::istringstream corners(text);
        std::vector<int> face;
        for (std::string corner; corners >> corner;) {
            // v, v/t, v//n or v/t/n, every index from 1 and within its list.
            int v = 0, t = 0, n = 0;
            if (std::sscanf(corner.c_str(), "%d/%d/%d", &v, &t, &n) == 3 ||
                std::sscanf(corner.c_str(), "%d//%d", &v, &n) == 2 || std::sscanf(corner.c_str(), "%d/%d", &v, &t) == 2 ||
                std::sscanf(corner.c_str(), "%d", &v) == 1) {
            }
            if (v < 1 || size_t(v) > obj.vertices.size() || t < 0 || size_t(t) > textures || n < 0 ||
                size_t(n) > normals)
                problem(path + ": object " + object + ": face corner " + corner + " refers to nothing");
            face.push_back(v - 1);
        }
        if (face.size() < 3) problem(path + ": object " + object + ": a face of " + std::to_string(face.size()) + " corners");
        obj.objects[object].faces.push_back(face);
    }
    return obj;
}

std::set<Quad> quadsOf(const ObjObject& object, const std::vector<Point>& positions, const std::string& where)
{
    std::set<Quad> quads;
    for (const std::vector<int>& f : object.faces) {
        if (f.size() != 4) {
            problem(where + ": a body face that is not a quad");
            continue;
        }
        bool isInside = true;
        for (int v : f) isInside = isInside && v >= 0 && size_t(v) < positions.size();
        if (isInside) quads.insert(quadOf(positions[size_t(f[0])], positions[size_t(f[1])], positions[size_t(f[2])],
                                          positions[size_t(f[3])]));
    }
    return quads;
}

void compare(const std::set<Quad>& cache, const std::set<Quad>& rib, const std::string& where)
{
    if (cache == rib) return;
    size_t missing = 0, extra = 0;
    for (const Quad& q : rib) missing += cache.count(q) == 0;
    for (const Quad& q : cache) extra += rib.count(q) == 0;
    problem(where + ": " + std::to_string(cache.size()) + " quads against the RIB's " + std::to_string(rib.size()) +
            "; " + std::to_string(missing) + " of the RIB's are missing, " + std::to_string(extra) + " are not the RIB's");
}

std::int32_t int32At(const std::vector<unsigned char>& b, size_t at)
{
    return std::int32_t(std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
                        std::uint32_t(b[at + 3]) << 24);
}
float floatAt(const std::vector<unsigned char>& b, size_t at)
{
    const std::uint32_t bits = std::uint32_t(int32At(b, at));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: meshcache_check DIR RIBFILE BODIES FRAMES\n";
        return 2;
    }
    const std::string dir = argv[1];
    const int bodies = std::atoi(argv[3]), frames = std::atoi(argv[4]);
    const auto rib = readRib(argv[2]);
    if (int(rib.size()) != frames) problem("the RIB has " + std::to_string(rib.size()) + " frames");
    long quadsChecked = 0, samplesChecked = 0;

    for (int k = 1; k <= bodies; ++k) {
        const std::string name = dir + "/body-" + std::to_string(k);
        const Obj rest = readObj(name + ".obj");
        const auto restBody = rest.objects.find("body-" + std::to_string(k));
        if (restBody == rest.objects.end()) {
            problem(name + ".obj has no object body-" + std::to_string(k));
            continue;
        }
        const std::vector<unsigned char> pc2 = readBytes(name + ".pc2");
        if (pc2.size() < 32 || std::memcmp(pc2.data(), "POINTCACHE2\0", 12) != 0) {
            problem(name + ".pc2: no PC2 header");
            continue;
        }
        const std::int32_t version = int32At(pc2, 12), points = int32At(pc2, 16), samples = int32At(pc2, 28);
        const float start = floatAt(pc2, 20), rate = floatAt(pc2, 24);
        if (version != 1) problem(name + ".pc2: version " + std::to_string(version));
        if (points != std::int32_t(rest.vertices.size()))
            problem(name + ".pc2: " + std::to_string(points) + " points for " + std::to_string(rest.vertices.size()) +
                    " vertices of the rest mesh");
        if (rate != 1.0f) problem(name + ".pc2: sample rate " + std::to_string(rate));
        if (start != float(int(start)) || int(start) + samples != frames)
            problem(name + ".pc2: " + std::to_string(samples) + " samples from frame " + std::to_string(start) +
                    " in a run of " + std::to_string(frames) + " frames");
        if (pc2.size() != 32 + size_t(samples) * size_t(points) * 12)
            problem(name + ".pc2: " + std::to_string(pc2.size()) + " bytes for " + std::to_string(samples) + " samples");
        for (int s = 0; s < samples && pc2.size() >= 32 + size_t(s + 1) * size_t(points) * 12; ++s) {
            std::vector<Point> positions;
            for (int p = 0; p < points; ++p) {
                const size_t at = 32 + (size_t(s) * size_t(points) + size_t(p)) * 12;
                positions.push_back({floatAt(pc2, at), floatAt(pc2, at + 4), floatAt(pc2, at + 8)});
            }
            const int frame = int(start) + s;
            const auto ribFrame = rib.find(frame);
            if (ribFrame == rib.end() || int(ribFrame->second.size()) < k) {
                problem(name + ".pc2: sample " + std::to_string(s) + ": the RIB's frame " + std::to_string(frame) +
                        " has no body " + std::to_string(k));
                continue;
            }
            const std::set<Quad> cached = quadsOf(restBody->second, positions, name + ".pc2 sample " + std::to_string(s));
            compare(cached, ribFrame->second[size_t(k - 1)], name + ".pc2 sample " + std::to_string(s));
            ++samplesChecked;
        }
    }

    for (int frame = 0; frame < frames; ++frame) {
        char file[32];
        std::snprintf(file, sizeof file, "/blorp.%04d.obj", frame);
        const Obj obj = readObj(dir + file);
        const auto ribFrame = rib.find(frame);
        for (int k = 1; k <= bodies; ++k) {
            const std::string where = dir + file + " body-" + std::to_string(k);
            const auto body = obj.objects.find("body-" + std::to_string(k));
            if (body == obj.objects.end()) {
                problem(where + " is missing");
                continue;
            }
            if (ribFrame == rib.end() || int(ribFrame->second.size()) < k) continue;
            const std::set<Quad> quads = quadsOf(body->second, obj.vertices, where);
            compare(quads, ribFrame->second[size_t(k - 1)], where);
            quadsChecked += long(quads.size());
        }
        if (int(obj.objects.size()) <= bodies) problem(dir + file + ": no scene objects");
    }

    std::cout << "meshcache_check: " << bodies << " point caches, " << samplesChecked << " samples, " << frames
              << " OBJ frames, " << quadsChecked << " quads checked, " << problems << " problems\n";
    return problems == 0 ? 0 : 1;
}
