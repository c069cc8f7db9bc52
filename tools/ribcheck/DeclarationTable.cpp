#include "tools/ribcheck/DeclarationTable.h"

#include <cstdlib>
#include <initializer_list>

namespace ribcheck {

namespace {
struct Word {
    const char* text;
    int code;
};

constexpr Word kClassWords[] = {
    {"constant", static_cast<int>(StorageClass::constant)},
    {"uniform", static_cast<int>(StorageClass::uniform)},
    {"varying", static_cast<int>(StorageClass::varying)},
    {"vertex", static_cast<int>(StorageClass::vertex)},
    {"facevarying", static_cast<int>(StorageClass::facevarying)},
};

// "int" is the short form of "integer" that RIB streams also use.
constexpr Word kTypeWords[] = {
    {"float", static_cast<int>(ValueType::floatType)},
    {"integer", static_cast<int>(ValueType::integer)},
    {"int", static_cast<int>(ValueType::integer)},
    {"string", static_cast<int>(ValueType::string)},
    {"point", static_cast<int>(ValueType::point)},
    {"vector", static_cast<int>(ValueType::vector)},
    {"normal", static_cast<int>(ValueType::normal)},
    {"color", static_cast<int>(ValueType::color)},
    {"hpoint", static_cast<int>(ValueType::hpoint)},
    {"matrix", static_cast<int>(ValueType::matrix)},
    {"mpoint", static_cast<int>(ValueType::mpoint)},
};

void skipSpaces(const std::string& text, size_t& at)
{
    while (at < text.size() && text[at] == ' ') ++at;
}

/// Matches one of `words` as a whole word at `at` (a "[" may follow it
/// directly) and moves past it.
template <size_t N>
std::optional<int> takeWord(const std::string& text, size_t& at, const Word (&words)[N])
{
    for (const Word& word : words) {
        const size_t length = std::char_traits<char>::length(word.text);
        if (text.compare(at, length, word.text) != 0) continue;
        const size_t end = at + length;
        if (end == text.size() || text[end] == ' ' || text[end] == '[') {
            at = end;
            return word.code;
        }
    }
    return std::nullopt;
}

/// Reads "[class] type [ '[' n ']' ]" from `at`; leaves `at` after it.
std::optional<ParameterType> parsePrefix(const std::string& text, size_t& at)
{
    ParameterType result;
    skipSpaces(text, at);
    if (const auto storage = takeWord(text, at, kClassWords)) {
        result.storage = static_cast<StorageClass>(*storage);
        skipSpaces(text, at);
    }
    const auto type = takeWord(text, at, kTypeWords);
    if (!type) return std::nullopt;
    result.type = static_cast<ValueType>(*type);
    skipSpaces(text, at);
    if (at < text.size() && text[at] == '[') {
        const size_t close = text.find(']', at);
        if (close == std::string::npos) return std::nullopt;
        const std::string digits = text.substr(at + 1, close - at - 1);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 6) {
            return std::nullopt;
        }
        result.arrayLength = std::atoi(digits.c_str());
        if (result.arrayLength < 1) return std::nullopt;
        at = close + 1;
        skipSpaces(text, at);
    }
    return result;
}

void declareAll(DeclarationTable& table, const char* declaration, std::initializer_list<const char*> names)
{
    const auto type = DeclarationTable::parse(declaration);
    for (const char* name : names) table.declare(name, *type);
}
}  // namespace

int valuesPerElement(ValueType type)
{
    switch (type) {
    case ValueType::point:
    case ValueType::vector:
    case ValueType::normal:
    case ValueType::color: return 3;
    case ValueType::hpoint: return 4;
    case ValueType::matrix:
    case ValueType::mpoint: return 16;
    default: return 1;
    }
}

const char* typeName(ValueType type)
{
    for (const Word& word : kTypeWords) {
        if (word.code == static_cast<int>(type)) return word.text;
    }
    return "";
}

std::optional<ParameterType> DeclarationTable::parse(const std::string& text)
{
    size_t at = 0;
    auto result = parsePrefix(text, at);
    if (!result || at != text.size()) return std::nullopt;
    return result;
}

void DeclarationTable::declare(const std::string& name, const ParameterType& type) { declarations[name] = type; }

std::optional<ParameterType> DeclarationTable::find(const std::string& token) const
{
    size_t at = 0;
    skipSpaces(token, at);
    const auto declared = declarations.find(token.substr(at));
    if (declared != declarations.end()) return declared->second;
    auto inlined = parsePrefix(token, at);
    // An inline declaration must still name the parameter after its type.
    if (!inlined || at == token.size()) return std::nullopt;
    return inlined;
}

// The declarations a RIB stream may use without declaring them: the
// standard geometric variables and the shader and option parameters that
// renderers predeclare.
DeclarationTable::DeclarationTable()
{
    declareAll(*this, "float",
               {"intensity", "coneangle", "conedeltaangle", "beamdistribution", "Ka", "Kd", "Ks", "Kr", "roughness",
                "mindistance", "maxdistance", "distance", "amplitude", "fov", "patch_multiplier", "branch_ratio",
                "max_branch_ratio", "patchsize", "elemsize", "minsize", "minshadowbias", "maxshadowbias",
                "refractionindex", "displacement", "bias0", "bias1", "zlerp", "sphere", "backfacetolerance",
                "maxerror", "maxpixeldist"});
    declareAll(*this, "color",
               {"lightcolor", "specularcolor", "background", "averagecolor", "emissioncolor", "refractioncolor",
                "clearcolor", "zthreshold", "othreshold"});
    declareAll(*this, "point", {"from", "to", "Np"});
    declareAll(*this, "string",
               {"texturename", "rgb", "archive", "include", "texture", "shader", "procedural", "serverresource",
                "resource", "display", "casts_shadows", "shadows", "zonal", "verbosity", "cache", "name",
                "shadinggroup", "algorithm", "interleave", "coordinatesystem", "sense", "framebufferaddr",
                "scanlinecallback", "resolutionunit", "compression", "zcompression", "rowsperstrip", "filename",
                "mpcachedir", "seedfile", "savefile", "resize", "__category"});
    declareAll(*this, "varying normal", {"N"});
    declareAll(*this, "vertex point", {"P"});
    declareAll(*this, "vertex float", {"Pz", "_$w"});
    declareAll(*this, "vertex hpoint", {"Pw"});
    declareAll(*this, "varying color", {"Cs", "Os"});
    declareAll(*this, "varying float", {"s", "t", "width", "__nondiffuse", "__nonspecular"});
    declareAll(*this, "varying float[2]", {"st"});
    declareAll(*this, "constant float", {"constantwidth", "minwidth"});
    declareAll(*this, "integer",
               {"look_behind", "patch_maxlevel", "patch_minlevel", "patch_splitdepth", "verbose", "maxsamples",
                "minsamples", "use_hierarchy", "max_raylevel", "debug", "has_caustics", "has_shadows", "shadowrays",
                "steps", "minpatchsamples", "prmanspecular", "cooktorrancespecular", "truedisplacement",
                "use_shadingrate", "visibility", "gridsize", "binary", "eyesplits", "jitter", "texturememory",
                "geommemory", "derivmemory", "enable gaussian", "enable lerp", "disable", "automatic", "pdisc",
                "pdisk", "endofframe", "profile_shaders", "merge", "nsamples", "primary", "secondary", "shadow",
                "udivisions", "vdivisions", "windowid", "windowdpy", "windowrc", "windowstyle", "windowvi",
                "windowcmap", "clearfb", "waitforlastframe", "doublebuffer", "dumpimage", "extremedisplacement",
                "doubleshaded", "outputalldeclares", "rasterorient", "subpixel", "strategy", "mpcache", "mpmemory",
                "mpcachestride", "ysplits", "timer", "opacitycull", "hair", "clampwidth", "safetyfile", "centered",
                "extrapolate", "curvethinning", "curvethinthreshold", "useprmandspy", "useprmannoise", "minvalid",
                "interpolate", "preseed", "stitch", "maxdepth", "vpimage", "vpdepth", "enable", "newgroup"});
    declareAll(*this, "integer[2]", {"origin", "bucketsize", "windowlocation"});
    declareAll(*this, "float[2]", {"colorclamp", "resolution"});
    declareAll(*this, "float[4]", {"pickregion"});
    declareAll(*this, "float[6]", {"zblur"});
    declareAll(*this, "matrix", {"transform"});
}

}  // namespace ribcheck
