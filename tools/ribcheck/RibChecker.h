#pragma once

// Checks a RIB stream the way a renderer reads it: blocks that must pair up,
// requests that must exist, and parameter arrays whose lengths must match
// the geometry they describe.

#include "tools/ribcheck/DeclarationTable.h"
#include "tools/ribcheck/RequestShapes.h"

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace ribcheck {

struct Finding {
    int line = 0;
    std::string message;
    /// A note reports something renderers may reject that the user has
    /// chosen to accept; it does not count as a problem.
    bool isNote = false;
    /// What kind of note this is, the same text for every note of its kind,
    /// so that repeated notes can be told apart from their details.
    std::string kind;
};

struct CheckOptions {
    /// Report bicubic patch meshes whose point counts do not fit the basis
    /// step as notes instead of problems: some programs write such meshes
    /// and rely on renderers that draw the whole patches and drop the rest.
    bool allowPartialMeshes = false;
};

/// One argument of a request: a number, a string, or an array (text
/// brackets or a binary float array). An empty array holds neither.
struct Value {
    enum class Kind { number,
                      string,
                      array };
    Kind kind = Kind::number;
    int line = 0;
    std::vector<double> numbers;
    std::vector<std::string> strings;

    bool isArray() const { return kind == Kind::array; }
    size_t size() const { return numbers.size() + strings.size(); }
};

struct Request {
    std::string name;
    int line = 0;
    std::vector<Value> arguments;
    bool hasNonFiniteValue = false;
};

struct Parameter {
    std::string name;
    int line = 0;
    Value value;
    std::optional<ParameterType> type;
};

/// How many elements a vertex, varying or uniform parameter of one
/// primitive has (a constant one always has one).
struct ElementCounts {
    long long vertex = 0;
    long long varying = 0;
    long long uniform = 1;
    /// One per corner of every face of a mesh; -1 for a primitive without
    /// shared corners, where facevarying counts as varying.
    long long faceVarying = -1;
};

/// Checks one RIB stream. Findings go to the sink as they are found, so a
/// large file is checked in constant memory.
class RibChecker {
public:
    using FindingSink = std::function<void(const Finding&)>;

    RibChecker(CheckOptions options, FindingSink sink);

    /// Reads `input` (opened in binary mode) to its end.
    void check(std::istream& input);

    long requestCount() const { return requests; }
    long frameCount() const { return frames; }
    long problemCount() const { return problems; }
    long noteCount() const { return notes; }

private:
    struct BasisSteps {
        int u = 3;
        int v = 3;
    };
    struct Block {
        const char* begin;
        const char* end;
        int line;
        BasisSteps savedSteps;
        int savedColorSamples = 3;
        /// For a motion block: the number of times its MotionBegin gave (-1
        /// when unreadable), the requests that can be moving it holds so far,
        /// and whether it holds any other.
        long motionTimes = -1;
        long heldRequests = 0;
        bool holdsMisplaced = false;
    };

    void problem(int line, const std::string& message);
    void partialMesh(int line, const std::string& details);

    void finishRequest(const Request& request);
    void checkDeclare(const Request& request);
    void checkBlocks(const Request& request);
    void openBlock(const char* begin, const char* end, int line);
    void closeBlock(const char* end, int line);
    void closeOpenBlocks();

    // The nesting rules; they live in NestingRules.cpp.
    void checkPlacement(const Request& request, Placement placement);
    void checkMotionCount(const Block& motion, int line);
    const Block* innermost(const char* begin) const;
    static std::string inside(const Block& block);

    bool matchArguments(const RequestShape& shape, const Request& request, std::vector<Value>& positional,
                        size_t& next);
    bool readParameters(const Request& request, size_t first, std::vector<Parameter>& parameters);
    void checkParameterValues(const Request& request, const std::vector<Parameter>& parameters,
                              const ElementCounts* counts);

    // Request-specific rules; they live in PrimitiveChecks.cpp.
    void checkBasis(const Request& request, const std::vector<Value>& positional);
    std::optional<ElementCounts> primitiveCounts(const Request& request, const std::vector<Value>& positional,
                                                 const std::vector<Parameter>& parameters);
    std::optional<ElementCounts> patchMeshCounts(const Request& request, const std::vector<Value>& positional);
    std::optional<ElementCounts> curvesCounts(const Request& request, const std::vector<Value>& positional);
    std::optional<ElementCounts> subdivisionCounts(const Request& request, const std::vector<Value>& positional);
    void checkTrimCurve(const Request& request, const std::vector<Value>& positional);
    void checkColorSamples(const Request& request, const std::vector<Value>& positional);
    /// Color and Opacity when a ColorSamples has changed the number of
    /// components from three: one number per sample, bare or in an array.
    void checkColorComponents(const Request& request);

    CheckOptions options;
    FindingSink sink;
    DeclarationTable declarations;
    std::vector<Block> blocks;
    BasisSteps steps;
    int colorSamples = 3;  ///< components of every colour, set by ColorSamples
    long requests = 0;
    long frames = 0;
    long problems = 0;
    long notes = 0;
};

/// The totals of one checked stream, with every finding in order.
struct CheckReport {
    std::vector<Finding> findings;
    long requests = 0;
    long frames = 0;
    long problems = 0;
};

CheckReport checkRib(std::istream& input, const CheckOptions& options = {});

}  // namespace ribcheck
