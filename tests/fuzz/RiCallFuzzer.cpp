// Fuzzes the RenderMan procedures and the RIB writer behind them: each input
// is decoded into a sequence of Ri calls with fuzzed arguments, made between
// RiBegin on a scratch file and RiEnd, in text or binary mode.
//
// The calls stay within what a caller may pass: every array is exactly as
// long as the call's counts and the parameters' declarations say (allocated
// to that size, so that a read past it is caught), every pointer is valid and
// every string is terminated. Counts, numbers, names, tokens and declarations
// are otherwise anything. The procedures that end the process by design (a
// call without a renderer, RiEnd twice) are never made.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <ri.h>
#include "ribout/Declarations.h"
#include "ribout/ErrorReporting.h"
#include "ribout/Renderer.h"

namespace {

// Most items (floats, ints or strings) one array of a call may hold; a call
// or parameter that would need more is left out, since an array that size
// proves nothing a smaller one does not.
constexpr std::int64_t kMaxElements = 1 << 16;
constexpr int kMaxCallsPerInput = 256;

std::string outputPath;

// Owns every array and string made for the current call.
class Arena {
public:
    template <typename T>
    T* array(std::int64_t count)
    {
        if (count <= 0) {
            return nullptr;
        }
        auto storage = std::make_unique<std::vector<T>>(static_cast<std::size_t>(count));
        T* data = storage->data();
        blocks.push_back(std::shared_ptr<void>(storage.release(), [](void* p) {
            delete static_cast<std::vector<T>*>(p);
        }));
        return data;
    }
    char* text(const std::string& value)
    {
        char* copy = array<char>(static_cast<std::int64_t>(value.size()) + 1);
        std::memcpy(copy, value.c_str(), value.size() + 1);
        return copy;
    }
    void clear() { blocks.clear(); }

private:
    std::vector<std::shared_ptr<void>> blocks;
};

constexpr const char* kTokens[] = {
    "P",
    "Pw",
    "Pz",
    "N",
    "Np",
    "Cs",
    "Os",
    "s",
    "t",
    "st",
    "Ka",
    "Kd",
    "Ks",
    "roughness",
    "intensity",
    "from",
    "to",
    "coneangle",
    "texturename",
    "shadows",
    "transform",
    "origin",
    "windowlocation",
    "zblur",
    "resolution",
    "pickregion",
    "width",
    "constantwidth",
    "_$w",
    "__category",
    "enable gaussian",
    "binary",
    "format",
    "compression",
    "blur",
    "transmitcolor",
    "uniform float Kd",
    "varying color tint",
    "float[2] pair",
    "vertex point Q",
    "constant string label",
    "int[3] ids",
    "integer[2] range",
    "matrix M",
    "hpoint H",
    "mpoint mp",
    "normal nn",
    "vector vv",
    "varying float[4] quad",
    "vertex color [2] cc",
    "  uniform   float   spaced",
    "float[] empty",
    "float[0] none",
    "color[-3] negative",
    "string[2] names",
    "undeclared",
    "",
};
constexpr const char* kDeclarations[] = {
    "float",
    "point",
    "color",
    "string",
    "integer",
    "int",
    "vector",
    "normal",
    "hpoint",
    "matrix",
    "mpoint",
    "uniform float",
    "varying color",
    "vertex point",
    "constant string",
    "varying float[2]",
    "float[3]",
    "int[4]",
    "string[2]",
    "color[0]",
    "float[-2]",
    "vertex hpoint",
    "varying normal",
    "uniform matrix",
    "",
    "bogus",
    "uniform",
    "float[",
};
constexpr const char* kWords[] = {
    "bilinear",
    "bicubic",
    "linear",
    "cubic",
    "periodic",
    "nonperiodic",
    "comment",
    "structure",
    "verbatim",
    "catmull-clark",
    "plastic",
    "matte",
    "perspective",
    "orthographic",
    "rgba",
    "file",
    "framebuffer",
    "hidden",
    "paint",
    "constant",
    "smooth",
    "inside",
    "outside",
    "lh",
    "rh",
    "union",
    "primitive",
    "rib",
    "RIB",
    "",
    "interpolateboundary",
    "crease",
    "corner",
    "hole",
    "world",
    "camera",
    "%d",
    "%s%s%s%n",
    "\"quoted\"",
};

RtFloat customFilter(RtFloat, RtFloat, RtFloat, RtFloat) { return 1.0f; }
void customHandler(RtInt, RtInt, const char*) {}
void customProcedural(RtPointer, RtFloat) {}
void freeNothing(RtPointer) {}

// What the writer will make of a call's parameter list: the element counts
// of each storage class, worked out here from the call's own arguments.
struct ClassCounts {
    std::int64_t vertex = 1;
    std::int64_t varying = 1;
    std::int64_t uniform = 1;
    bool primitive = false;
};

class CallMaker {
public:
    explicit CallMaker(FuzzedDataProvider& in) : in(in) {}

    void makeCalls();

private:
    FuzzedDataProvider& in;
    Arena arena;
    int uStep = 3;
    int vStep = 3;
    std::vector<RtLightHandle> lights;
    std::vector<RtObjectHandle> objects;

    RtFloat number()
    {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return static_cast<RtFloat>(in.ConsumeIntegralInRange(-4, 400));
        case 1: return in.ConsumeFloatingPointInRange(-1000.0f, 1000.0f);
        case 2: {
            std::uint32_t bits = in.ConsumeIntegral<std::uint32_t>();
            RtFloat value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        default: return in.ConsumeFloatingPoint<RtFloat>();
        }
    }

    // A count: mostly small, sometimes anything an RtInt can hold.
    RtInt count()
    {
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: return in.ConsumeIntegral<RtInt>();
        case 1: return in.ConsumeIntegralInRange<RtInt>(-3, 5000);
        default: return in.ConsumeIntegralInRange<RtInt>(-1, 12);
        }
    }

    RtToken word()
    {
        if (in.ConsumeIntegralInRange(0, 3) == 0) {
            return arena.text(in.ConsumeRandomLengthString(40));
        }
        return const_cast<RtToken>(in.PickValueInArray(kWords));
    }

    RtToken token()
    {
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: return arena.text(in.ConsumeRandomLengthString(40));
        case 1: {
            // An inline declaration put together from fuzzed pieces.
            std::string text = in.PickValueInArray(kDeclarations);
            text += in.ConsumeBool() ? " " : "";
            text += in.ConsumeRandomLengthString(12);
            return arena.text(text);
        }
        default: return const_cast<RtToken>(in.PickValueInArray(kTokens));
        }
    }

    RtFloat* floats(std::int64_t n)
    {
        RtFloat* values = arena.array<RtFloat>(n);
        for (std::int64_t i = 0; i < n; ++i) {
            values[i] = i < 64 ? number() : static_cast<RtFloat>(i);
        }
        return values;
    }

    RtInt* ints(std::int64_t n, RtInt limit)
    {
        RtInt* values = arena.array<RtInt>(n);
        for (std::int64_t i = 0; i < n; ++i) {
            values[i] = in.ConsumeIntegralInRange<RtInt>(-1, limit);
        }
        return values;
    }

    RtToken* strings(std::int64_t n)
    {
        RtToken* values = arena.array<RtToken>(n);
        for (std::int64_t i = 0; i < n; ++i) {
            values[i] = word();
        }
        return values;
    }

    // A value of exactly the size the token's declaration asks for.
    RtPointer valueFor(RtToken tokenText, const ClassCounts& counts, bool& fits)
    {
        fits = true;
        // The rib option reads "format" as a string without a declaration.
        if (std::strcmp(tokenText, "format") == 0) {
            return strings(1);
        }
        const Declaration* declaration = findDeclaration(tokenText);
        if (declaration == nullptr) {
            return floats(1);  // never read: the writer skips the pair
        }
        std::int64_t elements = declaration->arrayLength;
        if (counts.primitive) {
            std::int64_t perClass = 1;
            switch (declaration->storageClass) {
            case kClassVertex: perClass = counts.vertex; break;
            case kClassVarying: perClass = counts.varying; break;
            case kClassUniform: perClass = counts.uniform; break;
            default: break;
            }
            elements = saturatingProduct(elements, perClass);
        }
        if (elements <= 0) {
            return floats(1);
        }
        int items = 0;
        switch (declaration->type) {
        case kTypeFloat: items = 1; break;
        case kTypePoint:
        case kTypeColor:
        case kTypeVector:
        case kTypeNormal: items = 3; break;
        case kTypeHpoint: items = 4; break;
        case kTypeMatrix:
        case kTypeMpoint: items = 16; break;
        case kTypeInteger:
            if (elements > kMaxElements) {
                fits = false;
                return nullptr;
            }
            return ints(elements, 1000);
        case kTypeString:
            if (elements > kMaxElements) {
                fits = false;
                return nullptr;
            }
            return strings(elements);
        default: return floats(1);  // never read: a value without a type is left out
        }
        if (saturatingProduct(elements, items) > kMaxElements) {
            fits = false;
            return nullptr;
        }
        return floats(elements * items);
    }

    struct ParameterList {
        RtInt n = 0;
        RtToken* tokens = nullptr;
        RtPointer* values = nullptr;
    };

    ParameterList parameters(const ClassCounts& counts)
    {
        ParameterList list;
        const int wanted = in.ConsumeIntegralInRange(0, 4) == 0 ? in.ConsumeIntegralInRange(0, 600)
                                                                : in.ConsumeIntegralInRange(0, 3);
        list.tokens = arena.array<RtToken>(wanted > 0 ? wanted : 1);
        list.values = arena.array<RtPointer>(wanted > 0 ? wanted : 1);
        for (int i = 0; i < wanted && in.remaining_bytes() > 0; ++i) {
            RtToken t = token();
            bool fits;
            RtPointer v = valueFor(t, counts, fits);
            if (!fits) {
                continue;
            }
            list.tokens[list.n] = t;
            list.values[list.n] = v;
            ++list.n;
        }
        return list;
    }

    static ClassCounts primitive(std::int64_t vertex, std::int64_t varying, std::int64_t uniform)
    {
        ClassCounts counts;
        counts.vertex = vertex;
        counts.varying = varying;
        counts.uniform = uniform;
        counts.primitive = true;
        return counts;
    }

    static std::int64_t sum(const RtInt* values, RtInt n)
    {
        std::int64_t total = 0;
        for (RtInt i = 0; i < n; ++i) {
            total += values[i];
        }
        return total;
    }

    static std::int64_t largestPlusOne(const RtInt* values, std::int64_t n)
    {
        std::int64_t largest = -1;
        for (std::int64_t i = 0; i < n; ++i) {
            if (values[i] > largest) {
                largest = values[i];
            }
        }
        return largest + 1;
    }

    static bool isNamed(RtToken text, const char* expected)
    {
        return text != nullptr && std::strcmp(text, expected) == 0;
    }

    // An int array of `n` entries is only made for counts a caller could
    // really hold; `n` may still be negative (an empty array).
    bool holdable(std::int64_t n) const { return n <= kMaxElements; }

    void oneCall();
    void optionCall(int which);
    void attributeCall(int which);
    void geometryCall(int which);
    void meshCall(int which);
};

void CallMaker::makeCalls()
{
    for (int calls = 0; calls < kMaxCallsPerInput && in.remaining_bytes() > 0; ++calls) {
        oneCall();
        arena.clear();
    }
}

void CallMaker::oneCall()
{
    const int group = in.ConsumeIntegralInRange(0, 3);
    const int which = in.ConsumeIntegralInRange(0, 31);
    switch (group) {
    case 0: optionCall(which); break;
    case 1: attributeCall(which); break;
    case 2: geometryCall(which); break;
    default: meshCall(which); break;
    }
}

void CallMaker::optionCall(int which)
{
    switch (which) {
    case 0: RiFrameBegin(count()); break;
    case 1: RiFrameEnd(); break;
    case 2: RiWorldBegin(); break;
    case 3: RiWorldEnd(); break;
    case 4: RiFormat(count(), count(), number()); break;
    case 5: RiFrameAspectRatio(number()); break;
    case 6: RiScreenWindow(number(), number(), number(), number()); break;
    case 7: RiCropWindow(number(), number(), number(), number()); break;
    case 8: {
        ParameterList list = parameters(ClassCounts());
        RiProjectionV(word(), list.n, list.tokens, list.values);
        break;
    }
    case 9: RiClipping(number(), number()); break;
    case 10: RiDepthOfField(number(), number(), number()); break;
    case 11: RiShutter(number(), number()); break;
    case 12: RiPixelVariance(number()); break;
    case 13: RiPixelSamples(number(), number()); break;
    case 14: {
        constexpr RtFilterFunc kFilters[] = {RiGaussianFilter, RiBoxFilter, RiTriangleFilter,
                                             RiCatmullRomFilter, RiSincFilter, customFilter};
        RiPixelFilter(in.PickValueInArray(kFilters), number(), number());
        break;
    }
    case 15: RiExposure(number(), number()); break;
    case 16: RiQuantize(word(), count(), count(), count(), number()); break;
    case 17: {
        ParameterList list = parameters(ClassCounts());
        RiDisplayV(word(), word(), word(), list.n, list.tokens, list.values);
        break;
    }
    case 18: {
        ParameterList list = parameters(ClassCounts());
        RiHiderV(word(), list.n, list.tokens, list.values);
        break;
    }
    case 19: {
        // Every colour this harness passes holds three floats, and a colour
        // has as many as the samples set here: so at most three.
        const RtInt n = in.ConsumeIntegralInRange(-1, 3);
        const std::int64_t size = n > 0 ? static_cast<std::int64_t>(n) * 3 : 1;
        RiColorSamples(n, floats(size), floats(size));
        break;
    }
    case 20: RiRelativeDetail(number()); break;
    case 21: {
        ParameterList list = parameters(ClassCounts());
        RiOptionV(word(), list.n, list.tokens, list.values);
        break;
    }
    case 22: {
        // The rib option changes the encoding of later writers only.
        RtInt binary = in.ConsumeIntegralInRange(-1, 2);
        RtString gzip = "gzip";
        RiOption("rib", "binary", &binary, "compression", &gzip, RI_NULL);
        break;
    }
    case 23: {
        // The writer's own rib option switches the current encoding.
        RtInt binary = in.ConsumeBool();
        RtToken tokens[] = {const_cast<RtToken>("binary")};
        RtPointer values[] = {&binary};
        static_cast<Renderer*>(RiGetContext())->OptionV(const_cast<RtToken>("rib"), 1, tokens, values);
        break;
    }
    case 24:
        RiDeclare(token(), in.ConsumeBool() ? const_cast<RtToken>(in.PickValueInArray(kDeclarations))
                                            : arena.text(in.ConsumeRandomLengthString(24)));
        break;
    case 25: {
        const std::string text = in.ConsumeRandomLengthString(in.ConsumeBool() ? 64 : 20000);
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: RiArchiveRecord(word(), "%s", text.c_str()); break;
        case 1: RiArchiveRecord(word(), "%d %g %s", count(), static_cast<double>(number()), text.c_str()); break;
        default: RiArchiveRecord(word(), "plain text"); break;
        }
        break;
    }
    case 26: {
        ParameterList list = parameters(ClassCounts());
        RiReadArchiveV(word(), nullptr, list.n, list.tokens, list.values);
        break;
    }
    case 27: {
        constexpr RtErrorHandler kHandlers[] = {RiErrorIgnore, RiErrorPrint, RiErrorAbort, customHandler};
        RiErrorHandler(in.PickValueInArray(kHandlers));
        // The request is what is fuzzed here; the abort handler installed for
        // the library's own reports would end the run at the next error.
        installErrorHandler(nullptr);
        break;
    }
    case 28: {
        constexpr RtFilterFunc kFilters[] = {RiGaussianFilter, RiBoxFilter, customFilter};
        Renderer* writer = static_cast<Renderer*>(RiGetContext());
        ParameterList list = parameters(ClassCounts());
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            writer->MakeTextureV(word(), word(), word(), word(), in.PickValueInArray(kFilters),
                                 number(), number(), list.n, list.tokens, list.values);
            break;
        case 1:
            writer->MakeLatLongEnvironmentV(word(), word(), in.PickValueInArray(kFilters), number(),
                                            number(), list.n, list.tokens, list.values);
            break;
        case 2:
            writer->MakeCubeFaceEnvironmentV(word(), word(), word(), word(), word(), word(), word(),
                                             number(), in.PickValueInArray(kFilters), number(),
                                             number(), list.n, list.tokens, list.values);
            break;
        default: writer->MakeShadowV(word(), word(), list.n, list.tokens, list.values); break;
        }
        break;
    }
    case 29: {
        // The variable-argument forms, which gather their pairs themselves.
        RtToken t1 = token();
        bool fits1;
        RtPointer v1 = valueFor(t1, ClassCounts(), fits1);
        RtToken t2 = token();
        bool fits2;
        RtPointer v2 = valueFor(t2, ClassCounts(), fits2);
        if (!fits1 || !fits2) {
            break;
        }
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: RiProjection(word(), t1, v1, t2, v2, RI_NULL); break;
        case 1: RiDisplay(word(), word(), word(), t1, v1, RI_NULL); break;
        case 2: RiHider(word(), t1, v1, t2, v2, RI_NULL); break;
        case 3: RiOption(word(), t1, v1, RI_NULL); break;
        case 4: RiReadArchive(word(), nullptr, t1, v1, t2, v2, RI_NULL); break;
        default: RiAttribute(word(), t1, v1, RI_NULL); break;
        }
        break;
    }
    default: RiWorldBegin(); break;
    }
}

void CallMaker::attributeCall(int which)
{
    switch (which) {
    case 0: RiAttributeBegin(); break;
    case 1: RiAttributeEnd(); break;
    case 2: RiColor(floats(3)); break;
    case 3: RiOpacity(floats(3)); break;
    case 4: RiTextureCoordinates(number(), number(), number(), number(), number(), number(), number(), number()); break;
    case 5: RiShadingRate(number()); break;
    case 6: RiShadingInterpolation(word()); break;
    case 7: RiMatte(count()); break;
    case 8: RiBound(floats(6)); break;
    case 9: RiDetail(floats(6)); break;
    case 10: RiDetailRange(number(), number(), number(), number()); break;
    case 11: RiGeometricApproximation(word(), number()); break;
    case 12: RiGeometricRepresentation(word()); break;
    case 13: RiSides(count()); break;
    case 14: RiOrientation(word()); break;
    case 15: RiReverseOrientation(); break;
    case 16: {
        ParameterList list = parameters(ClassCounts());
        RiAttributeV(word(), list.n, list.tokens, list.values);
        break;
    }
    case 17: RiIdentity(); break;
    case 18: RiConcatTransform(reinterpret_cast<RtFloat(*)[4]>(floats(16))); break;
    case 19: RiTransform(reinterpret_cast<RtFloat(*)[4]>(floats(16))); break;
    case 20: RiPerspective(number()); break;
    case 21: RiTranslate(number(), number(), number()); break;
    case 22: RiRotate(number(), number(), number(), number()); break;
    case 23: RiScale(number(), number(), number()); break;
    case 24: RiSkew(number(), number(), number(), number(), number(), number(), number()); break;
    case 25: in.ConsumeBool() ? RiCoordinateSystem(word()) : RiCoordSysTransform(word()); break;
    case 26: {
        const RtInt n = count();
        if (holdable(3 * static_cast<std::int64_t>(n))) {
            RiTransformPoints(word(), word(), n,
                              reinterpret_cast<RtPoint*>(floats(3 * static_cast<std::int64_t>(n))));
        }
        break;
    }
    case 27: in.ConsumeBool() ? RiTransformBegin() : RiTransformEnd(); break;
    case 28: {
        const RtInt n = count();
        if (holdable(n)) {
            RiMotionBeginV(n, floats(n));
        }
        break;
    }
    case 29: {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: RiMotionBegin(0); break;
        case 1: RiMotionBegin(1, static_cast<double>(number())); break;
        case 2: RiMotionBegin(3, static_cast<double>(number()), static_cast<double>(number()), 1.0); break;
        default: RiMotionEnd(); break;
        }
        break;
    }
    case 30: {
        ParameterList list = parameters(ClassCounts());
        RtToken name = word();
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: RiSurfaceV(name, list.n, list.tokens, list.values); break;
        case 1: RiDisplacementV(name, list.n, list.tokens, list.values); break;
        case 2: RiAtmosphereV(name, list.n, list.tokens, list.values); break;
        case 3: RiInteriorV(name, list.n, list.tokens, list.values); break;
        case 4: RiExteriorV(name, list.n, list.tokens, list.values); break;
        case 5: RiImagerV(name, list.n, list.tokens, list.values); break;
        case 6: lights.push_back(RiLightSourceV(name, list.n, list.tokens, list.values)); break;
        default: lights.push_back(RiAreaLightSourceV(name, list.n, list.tokens, list.values)); break;
        }
        break;
    }
    default: {
        // Handles the writer gave out, or any number carried in a handle.
        RtLightHandle light = !lights.empty() && in.ConsumeBool()
                                  ? lights[in.ConsumeIntegralInRange<std::size_t>(0, lights.size() - 1)]
                                  : reinterpret_cast<RtLightHandle>(static_cast<std::intptr_t>(count()));
        RiIlluminate(light, count());
        break;
    }
    }
}

void CallMaker::geometryCall(int which)
{
    switch (which) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        ParameterList list = parameters(primitive(4, 4, 1));
        switch (which) {
        case 0: RiSphereV(number(), number(), number(), number(), list.n, list.tokens, list.values); break;
        case 1: RiConeV(number(), number(), number(), list.n, list.tokens, list.values); break;
        case 2: RiCylinderV(number(), number(), number(), number(), list.n, list.tokens, list.values); break;
        case 3: RiDiskV(number(), number(), number(), list.n, list.tokens, list.values); break;
        case 4: RiHyperboloidV(floats(3), floats(3), number(), list.n, list.tokens, list.values); break;
        case 5: RiParaboloidV(number(), number(), number(), number(), list.n, list.tokens, list.values); break;
        default: RiTorusV(number(), number(), number(), number(), number(), list.n, list.tokens, list.values); break;
        }
        break;
    }
    case 7: {
        const RtInt n = count();
        ParameterList list = parameters(primitive(n, n, 1));
        RiPolygonV(n, list.n, list.tokens, list.values);
        break;
    }
    case 8: {
        const RtInt nloops = count();
        if (!holdable(nloops)) {
            break;
        }
        RtInt* nverts = ints(nloops, in.ConsumeBool() ? 8 : 70000);
        const std::int64_t total = sum(nverts, nloops);
        ParameterList list = parameters(primitive(total, total, 1));
        RiGeneralPolygonV(nloops, nverts, list.n, list.tokens, list.values);
        break;
    }
    case 9: {
        const RtInt npolys = count();
        if (!holdable(npolys)) {
            break;
        }
        RtInt* nverts = ints(npolys, 8);
        const std::int64_t indices = sum(nverts, npolys);
        if (!holdable(indices)) {
            break;
        }
        RtInt* verts = ints(indices, in.ConsumeBool() ? 16 : 100000);
        const std::int64_t vertices = largestPlusOne(verts, indices);
        ParameterList list = parameters(primitive(vertices, vertices, npolys));
        RiPointsPolygonsV(npolys, nverts, verts, list.n, list.tokens, list.values);
        break;
    }
    case 10: {
        const RtInt npolys = count();
        if (!holdable(npolys)) {
            break;
        }
        RtInt* nloops = ints(npolys, 3);
        const std::int64_t loops = sum(nloops, npolys);
        if (!holdable(loops)) {
            break;
        }
        RtInt* nverts = ints(loops, 6);
        const std::int64_t indices = sum(nverts, static_cast<RtInt>(loops));
        if (!holdable(indices)) {
            break;
        }
        RtInt* verts = ints(indices, 20);
        const std::int64_t vertices = largestPlusOne(verts, indices);
        ParameterList list = parameters(primitive(vertices, vertices, npolys));
        RiPointsGeneralPolygonsV(npolys, nloops, nverts, verts, list.n, list.tokens, list.values);
        break;
    }
    case 11: {
        constexpr int kBases = 6;
        RtBasis* bases[kBases] = {&RiBezierBasis, &RiBSplineBasis, &RiCatmullRomBasis,
                                  &RiHermiteBasis, &RiPowerBasis, nullptr};
        RtBasis* u = bases[in.ConsumeIntegralInRange(0, kBases - 1)];
        RtBasis* v = bases[in.ConsumeIntegralInRange(0, kBases - 1)];
        RtFloat* own = floats(16);
        const RtInt ustep = in.ConsumeBool() ? in.ConsumeIntegralInRange<RtInt>(-1, 4) : count();
        const RtInt vstep = in.ConsumeBool() ? in.ConsumeIntegralInRange<RtInt>(-1, 4) : count();
        RiBasis(u ? *u : reinterpret_cast<RtFloat(*)[4]>(own), ustep,
                v ? *v : reinterpret_cast<RtFloat(*)[4]>(own), vstep);
        uStep = ustep;
        vStep = vstep;
        break;
    }
    case 12: {
        RtToken type = in.ConsumeBool() ? const_cast<RtToken>("bilinear") : word();
        ParameterList list = parameters(primitive(isNamed(type, "bilinear") ? 4 : 16, 4, 1));
        RiPatchV(type, list.n, list.tokens, list.values);
        break;
    }
    case 13:
    case 14: {
        constexpr const char* kTypes[] = {"bilinear", "bicubic", "trilinear"};
        RtToken type = in.ConsumeIntegralInRange(0, 5) == 0 ? word()
                                                            : const_cast<RtToken>(in.PickValueInArray(kTypes));
        const RtInt nu = count();
        const RtInt nv = count();
        RtToken uwrap = in.ConsumeBool() ? const_cast<RtToken>("periodic") : word();
        RtToken vwrap = in.ConsumeBool() ? const_cast<RtToken>("nonperiodic") : word();
        const bool up = isNamed(uwrap, "periodic");
        const bool vp = isNamed(vwrap, "periodic");
        std::int64_t uPatches;
        std::int64_t vPatches;
        ParameterList list;
        if (isNamed(type, "bilinear") || isNamed(type, "bicubic")) {
            if (isNamed(type, "bilinear")) {
                uPatches = up ? nu : static_cast<std::int64_t>(nu) - 1;
                vPatches = vp ? nv : static_cast<std::int64_t>(nv) - 1;
            } else {
                const std::int64_t us = uStep > 0 ? uStep : 1;
                const std::int64_t vs = vStep > 0 ? vStep : 1;
                uPatches = up ? nu / us : (static_cast<std::int64_t>(nu) - 4) / us + 1;
                vPatches = vp ? nv / vs : (static_cast<std::int64_t>(nv) - 4) / vs + 1;
            }
            const std::int64_t uVarying = up ? uPatches : uPatches + 1;
            const std::int64_t vVarying = vp ? vPatches : vPatches + 1;
            list = parameters(primitive(static_cast<std::int64_t>(nu) * nv, uVarying * vVarying,
                                        uPatches * vPatches));
        }
        RiPatchMeshV(type, nu, uwrap, nv, vwrap, list.n, list.tokens, list.values);
        break;
    }
    case 15: {
        const RtInt nloops = count();
        if (!holdable(nloops)) {
            break;
        }
        RtInt* ncurves = ints(nloops, 3);
        const std::int64_t curves = sum(ncurves, nloops);
        if (!holdable(curves)) {
            break;
        }
        RtInt* order = ints(curves, 5);
        RtInt* n = ints(curves, 6);
        std::int64_t knots = 0;
        for (std::int64_t i = 0; i < curves; ++i) {
            knots += order[i] + n[i];
        }
        const std::int64_t points = sum(n, static_cast<RtInt>(curves));
        RiTrimCurve(nloops, ncurves, order, floats(knots), floats(curves), floats(curves), n,
                    floats(points), floats(points), floats(points));
        break;
    }
    default: meshCall(which); break;
    }
}

void CallMaker::meshCall(int which)
{
    switch (which % 8) {
    case 0: {
        const RtInt nu = count();
        const RtInt uorder = count();
        const RtInt nv = count();
        const RtInt vorder = count();
        const std::int64_t uknots = static_cast<std::int64_t>(nu) + uorder;
        const std::int64_t vknots = static_cast<std::int64_t>(nv) + vorder;
        if (!holdable(uknots) || !holdable(vknots)) {
            break;
        }
        RtFloat* uknot = floats(uknots);
        RtFloat* vknot = floats(vknots);
        const std::int64_t uSpans = static_cast<std::int64_t>(nu) - uorder;
        const std::int64_t vSpans = static_cast<std::int64_t>(nv) - vorder;
        ParameterList list = parameters(primitive(static_cast<std::int64_t>(nu) * nv,
                                                  saturatingProduct(uSpans + 2, vSpans + 2),
                                                  saturatingProduct(uSpans + 1, vSpans + 1)));
        RiNuPatchV(nu, uorder, uknot, number(), number(), nv, vorder, vknot, number(), number(),
                   list.n, list.tokens, list.values);
        break;
    }
    case 1: {
        RtToken type = in.ConsumeBool() ? const_cast<RtToken>("cubic") : word();
        RtToken wrap = in.ConsumeBool() ? const_cast<RtToken>("periodic") : word();
        const RtInt ncurves = count();
        if (!holdable(ncurves)) {
            break;
        }
        RtInt* nvertices = ints(ncurves, in.ConsumeBool() ? 12 : 100000);
        const bool cubic = isNamed(type, "cubic");
        const bool periodic = isNamed(wrap, "periodic");
        const std::int64_t step = vStep > 0 ? vStep : 1;
        std::int64_t vertices = 0;
        std::int64_t varying = 0;
        for (RtInt i = 0; i < ncurves; ++i) {
            const std::int64_t v = nvertices[i];
            vertices += v;
            varying += !cubic ? v : periodic ? v / step
                                             : (v - 4) / step + 2;
        }
        ParameterList list = parameters(primitive(vertices, varying, ncurves));
        RiCurvesV(type, ncurves, nvertices, wrap, list.n, list.tokens, list.values);
        break;
    }
    case 2: {
        const RtInt npoints = count();
        ParameterList list = parameters(primitive(npoints, npoints, 1));
        RiPointsV(npoints, list.n, list.tokens, list.values);
        break;
    }
    case 3: {
        const RtInt nfaces = count();
        if (!holdable(nfaces)) {
            break;
        }
        RtInt* nvertices = ints(nfaces, 6);
        const std::int64_t indices = sum(nvertices, nfaces);
        if (!holdable(indices)) {
            break;
        }
        RtInt* vertices = ints(indices, 30);
        const RtInt ntags = in.ConsumeIntegralInRange<RtInt>(-1, 4);
        RtToken* tags = strings(ntags);
        RtInt* nargs = ints(2 * static_cast<std::int64_t>(ntags), 4);
        std::int64_t intCount = 0;
        std::int64_t floatCount = 0;
        for (RtInt i = 0; i < ntags; ++i) {
            intCount += nargs[2 * i];
            floatCount += nargs[2 * i + 1];
        }
        RtInt* intargs = ints(intCount, 10);
        RtFloat* floatargs = floats(floatCount);
        const std::int64_t meshVertices = largestPlusOne(vertices, indices);
        ParameterList list = parameters(primitive(meshVertices, meshVertices, nfaces));
        RiSubdivisionMeshV(word(), nfaces, nvertices, vertices, ntags, tags, nargs, intargs,
                           floatargs, list.n, list.tokens, list.values);
        break;
    }
    case 4: {
        const RtInt ncode = in.ConsumeIntegralInRange<RtInt>(-1, 24);
        RtInt* code = arena.array<RtInt>(ncode);
        constexpr RtInt kOpcodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 1000, 1001, 1002, 1003, 8, -1, 2000000000};
        for (RtInt i = 0; i < ncode; ++i) {
            code[i] = in.ConsumeBool() ? in.PickValueInArray(kOpcodes) : in.ConsumeIntegral<RtInt>();
        }
        const RtInt nleaf = in.ConsumeIntegralInRange<RtInt>(-1, 6);
        const RtInt nflt = in.ConsumeIntegralInRange<RtInt>(-1, 100);
        const RtInt nstr = in.ConsumeIntegralInRange<RtInt>(-1, 4);
        RtFloat* flt = floats(nflt);
        RtToken* str = strings(nstr);
        ParameterList list = parameters(primitive(nleaf, nleaf, 1));
        RiBlobbyV(nleaf, ncode, code, nflt, flt, nstr, str, list.n, list.tokens, list.values);
        break;
    }
    case 5: {
        constexpr RtProcSubdivFunc kProcedurals[] = {RiProcDelayedReadArchive, RiProcRunProgram,
                                                     RiProcDynamicLoad, customProcedural};
        RtToken* data = strings(2);
        RiProcedural(data, floats(6), in.PickValueInArray(kProcedurals), freeNothing);
        break;
    }
    case 6: {
        ParameterList list = parameters(ClassCounts());
        RiGeometryV(word(), list.n, list.tokens, list.values);
        break;
    }
    default: {
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: RiSolidBegin(word()); break;
        case 1: RiSolidEnd(); break;
        case 2: objects.push_back(RiObjectBegin()); break;
        case 3: RiObjectEnd(); break;
        default: {
            RtObjectHandle handle = !objects.empty() && in.ConsumeBool()
                                        ? objects[in.ConsumeIntegralInRange<std::size_t>(0, objects.size() - 1)]
                                        : reinterpret_cast<RtObjectHandle>(static_cast<std::intptr_t>(count()));
            RiObjectInstance(handle);
            break;
        }
        }
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* directory = std::getenv("TMPDIR");
    outputPath = std::string(directory && *directory ? directory : "/tmp") + "/blorp_fuzz_" +
                 std::to_string(getpid()) + ".rib";
    std::atexit([] { std::remove(outputPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    RtInt binary = in.ConsumeBool() ? 1 : 0;
    RiOption("rib", "binary", &binary, RI_NULL);
    RiBegin(outputPath.c_str());
    {
        CallMaker maker(in);
        maker.makeCalls();
    }
    RiEnd();
    return 0;
}
