// The rules of the requests whose arguments depend on each other: the basis,
// and the element counts of every kind of geometry.

#include "tools/ribcheck/RibChecker.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace ribcheck {

namespace {
std::string quoted(const std::string& text) { return "\"" + text + "\""; }

long long whole(const Value& value) { return static_cast<long long>(value.numbers[0]); }

long long sum(const Value& array)
{
    long long total = 0;
    for (double number : array.numbers) total += static_cast<long long>(number);
    return total;
}

/// The largest index in `vertices`, or -1 when there is none.
long long largest(const Value& vertices)
{
    long long top = -1;
    for (double number : vertices.numbers) top = std::max(top, static_cast<long long>(number));
    return top;
}

bool isWrapMode(const std::string& wrap) { return wrap == "periodic" || wrap == "nonperiodic"; }

const Parameter* findPosition(const std::vector<Parameter>& parameters)
{
    for (const Parameter& parameter : parameters) {
        if (parameter.name == "P" || parameter.name == "Pw" || parameter.name == "Pz") return &parameter;
    }
    return nullptr;
}
}  // namespace

void RibChecker::checkBasis(const Request& request, const std::vector<Value>& positional)
{
    static const char* const kBasisNames[] = {"bezier", "b-spline", "catmull-rom", "hermite", "power"};
    bool isValid = true;
    for (int which : {0, 2}) {
        const Value& basis = positional[which];
        if (basis.kind != Value::Kind::string) continue;
        const auto& name = basis.strings[0];
        if (std::none_of(std::begin(kBasisNames), std::end(kBasisNames), [&](const char* known) { return name == known; })) {
            problem(basis.line, "unknown basis " + quoted(name));
            isValid = false;
        }
    }
    const long long uStep = whole(positional[1]);
    const long long vStep = whole(positional[3]);
    if (uStep < 1 || vStep < 1) {
        problem(request.line, "Basis steps must be at least 1");
        isValid = false;
    }
    // A rejected Basis request leaves the basis as it was, as in a renderer.
    if (isValid) steps = BasisSteps{static_cast<int>(uStep), static_cast<int>(vStep)};
}

std::optional<ElementCounts> RibChecker::primitiveCounts(const Request& request, const std::vector<Value>& positional,
                                                         const std::vector<Parameter>& parameters)
{
    const std::string& name = request.name;
    const bool isQuadric = name == "Sphere" || name == "Cone" || name == "Cylinder" || name == "Hyperboloid" ||
                           name == "Paraboloid" || name == "Disk" || name == "Torus";
    if (isQuadric) return ElementCounts{4, 4, 1};
    if (name == "Blobby") {
        const long long leaves = whole(positional[0]);
        if (leaves < 0) {
            problem(request.line, "Blobby: nleaf must not be negative");
            return std::nullopt;
        }
        // A blob is one surface: its uniform parameters have one element.
        return ElementCounts{leaves, leaves, 1};
    }

    const Parameter* position = findPosition(parameters);
    if (position == nullptr) problem(request.line, name + " without \"P\"");

    if (name == "Polygon" || name == "Points") {
        // The vertex count is not written anywhere else: it comes from the
        // length of the position array itself.
        if (position == nullptr || !position->type || !position->value.strings.empty()) return std::nullopt;
        const long long perVertex = position->type->arrayLength * valuesPerElement(position->type->type);
        const long long values = static_cast<long long>(position->value.size());
        if (values % perVertex != 0) {
            problem(position->line, quoted(position->name) + " on " + name + " has " + std::to_string(values) +
                                        " values, not a multiple of " + std::to_string(perVertex));
            return std::nullopt;
        }
        const long long vertices = values / perVertex;
        if (name == "Polygon" && vertices < 3) {
            problem(request.line, "Polygon with " + std::to_string(vertices) + " vertices; at least 3 needed");
            return std::nullopt;
        }
        return ElementCounts{vertices, vertices, 1};
    }
    if (name == "Patch") {
        const std::string& type = positional[0].strings[0];
        if (type == "bilinear") return ElementCounts{4, 4, 1};
        if (type == "bicubic") return ElementCounts{16, 4, 1};
        problem(request.line, "unknown patch type " + quoted(type));
        return std::nullopt;
    }
    if (name == "PatchMesh") return patchMeshCounts(request, positional);
    if (name == "Curves") return curvesCounts(request, positional);
    if (name == "SubdivisionMesh") return subdivisionCounts(request, positional);

    if (name == "NuPatch") {
        const long long nu = whole(positional[0]), uOrder = whole(positional[1]);
        const long long nv = whole(positional[5]), vOrder = whole(positional[6]);
        bool isValid = true;
        for (const auto& [n, order, knots, letter] :
             {std::make_tuple(nu, uOrder, &positional[2], 'u'), std::make_tuple(nv, vOrder, &positional[7], 'v')}) {
            const std::string direction(1, letter);
            if (order < 1 || n < order) {
                problem(request.line, "NuPatch: n" + direction + " " + std::to_string(n) + " and " + direction +
                                          "order " + std::to_string(order) + " need 1 <= order <= n");
                isValid = false;
            } else if (static_cast<long long>(knots->size()) != n + order) {
                problem(knots->line, "NuPatch: " + direction + "knot has " + std::to_string(knots->size()) +
                                         " values; " + std::to_string(n + order) + " needed");
                isValid = false;
            } else if (!std::is_sorted(knots->numbers.begin(), knots->numbers.end())) {
                problem(knots->line, "NuPatch: " + direction + "knot decreases");
                isValid = false;
            }
        }
        if (!isValid) return std::nullopt;
        return ElementCounts{nu * nv, (nu - uOrder + 2) * (nv - vOrder + 2), (nu - uOrder + 1) * (nv - vOrder + 1)};
    }

    // The polygon meshes: counts per face, then vertex indices.
    std::vector<const Value*> levels;
    for (const Value& argument : positional) levels.push_back(&argument);
    const Value* polygonSizes = levels[name == "PointsGeneralPolygons" ? 1 : 0];
    for (double size : polygonSizes->numbers) {
        if (size < 3) {
            problem(polygonSizes->line, name + ": a loop of " + std::to_string(static_cast<long long>(size)) +
                                            " vertices; at least 3 needed");
            return std::nullopt;
        }
    }
    if (name == "GeneralPolygon") {
        const long long vertices = sum(*polygonSizes);
        return ElementCounts{vertices, vertices, 1};
    }
    const long long faces = static_cast<long long>(positional[0].size());
    if (name == "PointsGeneralPolygons") {
        for (double loops : positional[0].numbers) {
            if (loops < 1) {
                problem(positional[0].line, "PointsGeneralPolygons: a polygon without loops");
                return std::nullopt;
            }
        }
        if (static_cast<long long>(positional[1].size()) != sum(positional[0])) {
            problem(positional[1].line, "PointsGeneralPolygons: nvertices has " +
                                            std::to_string(positional[1].size()) + " values; the loops need " +
                                            std::to_string(sum(positional[0])));
            return std::nullopt;
        }
    }
    const Value& vertices = positional.back();
    if (static_cast<long long>(vertices.size()) != sum(*polygonSizes)) {
        problem(vertices.line, name + ": vertices has " + std::to_string(vertices.size()) + " indices; nvertices adds up to " +
                                   std::to_string(sum(*polygonSizes)));
        return std::nullopt;
    }
    if (std::any_of(vertices.numbers.begin(), vertices.numbers.end(), [](double index) { return index < 0; })) {
        problem(vertices.line, name + ": a negative vertex index");
        return std::nullopt;
    }
    const long long points = largest(vertices) + 1;
    return ElementCounts{points, points, faces, sum(*polygonSizes)};
}

std::optional<ElementCounts> RibChecker::patchMeshCounts(const Request& request, const std::vector<Value>& positional)
{
    const std::string& type = positional[0].strings[0];
    if (type != "bilinear" && type != "bicubic") {
        problem(request.line, "unknown patch type " + quoted(type));
        return std::nullopt;
    }
    struct Direction {
        char letter;
        long long n;
        std::string wrap;
        int step;
        long long patches = 0;
        long long varying = 0;
    };
    Direction directions[] = {{'u', whole(positional[1]), positional[2].strings[0], steps.u},
                              {'v', whole(positional[3]), positional[4].strings[0], steps.v}};
    std::string misfits;
    for (Direction& d : directions) {
        const std::string count = std::string("n") + d.letter + " " + std::to_string(d.n);
        if (!isWrapMode(d.wrap)) {
            problem(request.line, std::string("PatchMesh: ") + d.letter + "wrap " + quoted(d.wrap) +
                                      " is neither \"periodic\" nor \"nonperiodic\"");
            return std::nullopt;
        }
        const bool isPeriodic = d.wrap == "periodic";
        if (d.n < 1) {
            problem(request.line, "PatchMesh with " + count);
            return std::nullopt;
        }
        if (type == "bilinear") {
            if (!isPeriodic && d.n < 2) {
                problem(request.line, "PatchMesh \"bilinear\" " + count + ": a nonperiodic mesh needs at least 2");
            }
            d.patches = isPeriodic ? d.n : d.n - 1;
        } else {
            const bool fits = isPeriodic ? d.n % d.step == 0 : d.n >= 4 && (d.n - 4) % d.step == 0;
            if (!fits) {
                const std::string step = std::to_string(d.step);
                misfits += std::string(misfits.empty() ? "" : ", ") + count + " (" + d.wrap + ", " + d.letter +
                           " step " + step + ", needs " +
                           (isPeriodic ? "a multiple of " + step
                                       : "4, " + std::to_string(4 + d.step) + ", " + std::to_string(4 + 2 * d.step) +
                                             ", ...") +
                           ")";
            }
            // For a mesh that does not fit, the counts that renderers and
            // writers derive from it by integer division.
            d.patches = std::max(0LL, isPeriodic ? d.n / d.step : (d.n - 4) / d.step + 1);
        }
        d.varying = isPeriodic ? d.patches : d.patches + 1;
    }
    if (!misfits.empty()) partialMesh(request.line, misfits);
    return ElementCounts{directions[0].n * directions[1].n, directions[0].varying * directions[1].varying,
                         directions[0].patches * directions[1].patches};
}

std::optional<ElementCounts> RibChecker::curvesCounts(const Request& request, const std::vector<Value>& positional)
{
    const std::string& type = positional[0].strings[0];
    const std::string& wrap = positional[2].strings[0];
    if (type != "linear" && type != "cubic") {
        problem(request.line, "unknown curve type " + quoted(type));
        return std::nullopt;
    }
    if (!isWrapMode(wrap)) {
        problem(request.line, "Curves: wrap " + quoted(wrap) + " is neither \"periodic\" nor \"nonperiodic\"");
        return std::nullopt;
    }
    const bool isPeriodic = wrap == "periodic";
    // Uniform parameters carry one value per curve, as renderers read them.
    ElementCounts counts{0, 0, static_cast<long long>(positional[1].size())};
    int curve = 0;
    for (double number : positional[1].numbers) {
        const long long v = static_cast<long long>(number);
        ++curve;
        bool fits;
        if (type == "linear") {
            fits = v >= (isPeriodic ? 1 : 2);
            counts.varying += v;
        } else {
            fits = isPeriodic ? v > 0 && v % steps.v == 0 : v >= 4 && (v - 4) % steps.v == 0;
            counts.varying += isPeriodic ? v / steps.v : (v - 4) / steps.v + 2;
        }
        if (!fits) {
            problem(positional[1].line, "Curves: curve " + std::to_string(curve) + " has " + std::to_string(v) +
                                            " vertices, which do not make " + wrap + " " + type + " segments" +
                                            (type == "cubic" ? " with the v step " + std::to_string(steps.v) : ""));
            return std::nullopt;
        }
        counts.vertex += v;
    }
    return counts;
}

std::optional<ElementCounts> RibChecker::subdivisionCounts(const Request& request,
                                                           const std::vector<Value>& positional)
{
    const Value& sizes = positional[1];
    const Value& vertices = positional[2];
    if (static_cast<long long>(vertices.size()) != sum(sizes)) {
        problem(vertices.line, "SubdivisionMesh: vertices has " + std::to_string(vertices.size()) +
                                   " indices; nvertices adds up to " + std::to_string(sum(sizes)));
        return std::nullopt;
    }
    if (std::any_of(sizes.numbers.begin(), sizes.numbers.end(), [](double n) { return n < 3; }) ||
        std::any_of(vertices.numbers.begin(), vertices.numbers.end(), [](double index) { return index < 0; })) {
        problem(request.line, "SubdivisionMesh: a face of fewer than 3 vertices or a negative vertex index");
        return std::nullopt;
    }
    if (positional.size() == 7) {
        const Value& tags = positional[3];
        const Value& argumentCounts = positional[4];
        if (argumentCounts.size() != 2 * tags.size()) {
            problem(argumentCounts.line, "SubdivisionMesh: nargs has " + std::to_string(argumentCounts.size()) +
                                             " values; 2 per tag needed");
            return std::nullopt;
        }
        long long integers = 0, floats = 0;
        for (size_t i = 0; i < argumentCounts.size(); ++i) {
            (i % 2 == 0 ? integers : floats) += static_cast<long long>(argumentCounts.numbers[i]);
        }
        if (static_cast<long long>(positional[5].size()) != integers ||
            static_cast<long long>(positional[6].size()) != floats) {
            problem(request.line, "SubdivisionMesh: the tag arguments do not match nargs");
            return std::nullopt;
        }
    }
    const long long points = largest(vertices) + 1;
    return ElementCounts{points, points, static_cast<long long>(sizes.size()), sum(sizes)};
}

void RibChecker::checkTrimCurve(const Request&, const std::vector<Value>& positional)
{
    const long long curves = sum(positional[0]);
    const char* const names[] = {"ncurves", "order", "knot", "min", "max", "n", "u", "v", "w"};
    for (int which : {1, 3, 4, 5}) {
        if (static_cast<long long>(positional[which].size()) != curves) {
            problem(positional[which].line, std::string("TrimCurve: ") + names[which] + " has " +
                                                std::to_string(positional[which].size()) + " values; ncurves adds up to " +
                                                std::to_string(curves));
            return;
        }
    }
    const long long knots = sum(positional[1]) + sum(positional[5]);
    if (static_cast<long long>(positional[2].size()) != knots) {
        problem(positional[2].line, "TrimCurve: knot has " + std::to_string(positional[2].size()) + " values; " +
                                        std::to_string(knots) + " needed");
        return;
    }
    for (int which : {6, 7, 8}) {
        if (static_cast<long long>(positional[which].size()) != sum(positional[5])) {
            problem(positional[which].line, std::string("TrimCurve: ") + names[which] + " has " +
                                                std::to_string(positional[which].size()) + " values; n adds up to " +
                                                std::to_string(sum(positional[5])));
            return;
        }
    }
}

}  // namespace ribcheck
