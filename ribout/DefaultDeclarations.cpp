// The parameters every RIB writer knows without a Declare request: the
// standard shader and geometry parameters and the options and attributes of
// common renderers. Installed again by every RiBegin, in this order.

#include "ribout/Declarations.h"
#include "ribout/RibWriter.h"

namespace {

struct DefaultDeclaration {
    const char* declaration;  ///< null: the name is only interned
    const char* name;
};

constexpr DefaultDeclaration kDefaults[] = {
    {"float", "intensity"}, {"float", "coneangle"}, {"float", "conedeltaangle"},
    {"float", "beamdistribution"}, {"float", "Ka"}, {"float", "Kd"}, {"float", "Ks"},
    {"float", "Kr"}, {"float", "roughness"}, {"float", "mindistance"}, {"float", "maxdistance"},
    {"float", "distance"}, {"float", "amplitude"}, {"float", "fov"},
    {"float", "patch_multiplier"}, {"float", "branch_ratio"}, {"float", "max_branch_ratio"},
    {"float", "patchsize"}, {"float", "elemsize"}, {"float", "minsize"},
    {"float", "minshadowbias"}, {"float", "maxshadowbias"}, {"float", "refractionindex"},
    {"float", "displacement"}, {"float", "bias0"}, {"float", "bias1"}, {"float", "zlerp"},
    {"float", "sphere"}, {"float", "backfacetolerance"}, {"float", "maxerror"},
    {"float", "maxpixeldist"},

    {"color", "lightcolor"}, {"color", "specularcolor"}, {"color", "background"},
    {"color", "averagecolor"}, {"color", "emissioncolor"}, {"color", "refractioncolor"},
    {"color", "clearcolor"}, {"color", "zthreshold"}, {"color", "othreshold"},

    {"point", "from"}, {"point", "to"}, {"point", "Np"},

    {"string", "texturename"}, {"string", "rgb"}, {"string", "archive"}, {"string", "include"},
    {"string", "texture"}, {"string", "shader"}, {"string", "procedural"},
    {"string", "serverresource"}, {"string", "resource"}, {"string", "display"},
    {"string", "casts_shadows"}, {"string", "shadows"}, {"string", "zonal"},
    {"string", "verbosity"}, {"string", "cache"}, {"string", "name"},
    {"string", "shadinggroup"}, {"string", "algorithm"}, {"string", "interleave"},
    {"string", "coordinatesystem"}, {"string", "sense"}, {"string", "framebufferaddr"},
    {"string", "scanlinecallback"}, {"string", "resolutionunit"}, {"string", "compression"},
    {"string", "zcompression"}, {"string", "rowsperstrip"}, {"string", "filename"},
    {"string", "mpcachedir"}, {"string", "seedfile"}, {"string", "savefile"},
    {"string", "resize"}, {"string", "__category"},

    {"varying normal", "N"}, {"vertex point", "P"}, {"vertex float", "Pz"},
    {"vertex float", "_$w"}, {"vertex hpoint", "Pw"}, {"varying color", "Cs"},
    {"varying color", "Os"}, {"varying float", "s"}, {"varying float", "t"},
    {"varying float", "width"}, {"varying float", "__nondiffuse"},
    {"varying float", "__nonspecular"}, {"varying float[2]", "st"},
    {"constant float", "constantwidth"}, {"constant float", "minwidth"},

    {"integer", "look_behind"}, {"integer", "patch_maxlevel"}, {"integer", "patch_minlevel"},
    {"integer", "patch_splitdepth"}, {"integer", "verbose"}, {"integer", "maxsamples"},
    {"integer", "minsamples"}, {"integer", "use_hierarchy"}, {"integer", "max_raylevel"},
    {"integer", "debug"}, {"integer", "has_caustics"}, {"integer", "has_shadows"},
    {"integer", "shadowrays"}, {"integer", "steps"}, {"integer", "minpatchsamples"},
    {"integer", "prmanspecular"}, {"integer", "cooktorrancespecular"},
    {"integer", "truedisplacement"}, {"integer", "use_shadingrate"}, {"integer", "visibility"},
    {"integer", "gridsize"}, {"integer", "binary"}, {"integer", "eyesplits"},
    {"integer", "jitter"}, {"integer", "texturememory"}, {"integer", "geommemory"},
    {"integer", "derivmemory"}, {"integer", "enable gaussian"}, {"integer", "enable lerp"},
    {"integer", "disable"}, {"integer", "automatic"}, {"integer", "pdisc"},
    {"integer", "pdisk"}, {"integer", "endofframe"}, {"integer", "profile_shaders"},
    {"integer", "merge"}, {"integer", "nsamples"}, {"integer", "primary"},
    {"integer", "secondary"}, {"integer", "shadow"}, {"integer", "udivisions"},
    {"integer", "vdivisions"}, {"integer", "windowid"}, {"integer", "windowdpy"},
    {"integer", "windowrc"}, {"integer", "windowstyle"}, {"integer", "windowvi"},
    {"integer", "windowcmap"}, {"integer", "clearfb"}, {"integer", "waitforlastframe"},
    {"integer", "doublebuffer"}, {"integer", "dumpimage"}, {"integer", "extremedisplacement"},
    {"integer", "doubleshaded"}, {"integer", "outputalldeclares"}, {"integer", "rasterorient"},
    {"integer", "subpixel"}, {"integer", "strategy"}, {"integer", "mpcache"},
    {"integer", "mpmemory"}, {"integer", "mpcachestride"}, {"integer", "ysplits"},
    {"integer", "timer"}, {"integer", "opacitycull"}, {"integer", "hair"},
    {"integer", "clampwidth"}, {"integer", "safetyfile"}, {"integer", "centered"},
    {"integer", "extrapolate"}, {"integer", "curvethinning"}, {"integer", "curvethinthreshold"},
    {"integer", "useprmandspy"}, {"integer", "useprmannoise"}, {"integer", "minvalid"},
    {"integer", "interpolate"}, {"integer", "preseed"}, {"integer", "stitch"},
    {"integer", "maxdepth"}, {"integer", "vpimage"}, {"integer", "vpdepth"},
    {"integer", "enable"}, {"integer", "newgroup"},

    {"integer[2]", "origin"}, {"integer[2]", "bucketsize"}, {"int[2]", "windowlocation"},
    {"float[2]", "colorclamp"}, {"float[2]", "resolution"}, {"float[4]", "pickregion"},
    {"float[6]", "zblur"}, {"matrix", "transform"},

    {nullptr, "box"}, {nullptr, "catmull-rom"}, {nullptr, "gaussian"}, {nullptr, "triangle"},
    {nullptr, "sinc"}, {nullptr, "filter"}, {nullptr, "swidth"}, {nullptr, "twidth"},
    {nullptr, "fill"}, {nullptr, "fidelity"}, {nullptr, "samples"}, {nullptr, "blur"},
    {nullptr, "sblur"}, {nullptr, "tblur"}, {nullptr, "bias"}, {nullptr, "lerp"},
    {nullptr, "gapbias"}, {nullptr, "gapopt"}, {nullptr, "source"}, {nullptr, "refblur"},
    {nullptr, "srefblur"}, {nullptr, "trefblur"}, {nullptr, "ignoreabove"},
    {nullptr, "bilinear"}, {nullptr, "bicubic"}, {nullptr, "linear"}, {nullptr, "cubic"},
    {nullptr, "comment"}, {nullptr, "structure"}, {nullptr, "verbatim"},
    {nullptr, "identifier"}, {nullptr, "name"}, {nullptr, "ignore"}, {nullptr, "print"},
    {nullptr, "abort"}, {nullptr, "handler"}, {nullptr, "constant"}, {nullptr, "smooth"},
    {nullptr, "hidden"}, {nullptr, "paint"}, {nullptr, "inside"}, {nullptr, "outside"},
    {nullptr, "lh"}, {nullptr, "rh"}, {nullptr, "periodic"}, {nullptr, "nonperiodic"},
    {nullptr, "clamp"}, {nullptr, "black"}, {nullptr, "primitive"},
    {nullptr, "intersection"}, {nullptr, "union"}, {nullptr, "difference"},
    {nullptr, "perspective"}, {nullptr, "orthographic"}, {nullptr, "hole"},
    {nullptr, "crease"}, {nullptr, "corner"}, {nullptr, "interpolateboundary"},
    {nullptr, "raster"}, {nullptr, "screen"}, {nullptr, "NDC"}, {nullptr, "camera"},
    {nullptr, "eye"}, {nullptr, "world"}, {nullptr, "current"}, {nullptr, "object"},
};

struct TokenVariable {
    const char* name;
    char** variable;
};

// Token variables that receive the interned copy of their name, so that a
// program's RI_P and the writer's "P" are the same pointer. Shader, light
// and display names, "merge", "flatness" and "origin" keep their own text.
const TokenVariable kTokenVariables[] = {
    {"intensity", &RI_INTENSITY}, {"lightcolor", &RI_LIGHTCOLOR}, {"from", &RI_FROM},
    {"to", &RI_TO}, {"coneangle", &RI_CONEANGLE}, {"conedeltaangle", &RI_CONEDELTAANGLE},
    {"beamdistribution", &RI_BEAMDISTRIBUTION}, {"Ka", &RI_KA}, {"Kd", &RI_KD}, {"Ks", &RI_KS},
    {"roughness", &RI_ROUGHNESS}, {"Kr", &RI_KR}, {"texturename", &RI_TEXTURENAME},
    {"specularcolor", &RI_SPECULARCOLOR}, {"mindistance", &RI_MINDISTANCE},
    {"maxdistance", &RI_MAXDISTANCE}, {"background", &RI_BACKGROUND},
    {"distance", &RI_DISTANCE}, {"amplitude", &RI_AMPLITUDE}, {"fov", &RI_FOV},
    {"perspective", &RI_PERSPECTIVE}, {"orthographic", &RI_ORTHOGRAPHIC},
    {"hidden", &RI_HIDDEN}, {"paint", &RI_PAINT}, {"constant", &RI_CONSTANT},
    {"smooth", &RI_SMOOTH}, {"raster", &RI_RASTER}, {"screen", &RI_SCREEN},
    {"camera", &RI_CAMERA}, {"world", &RI_WORLD}, {"object", &RI_OBJECT},
    {"inside", &RI_INSIDE}, {"outside", &RI_OUTSIDE}, {"lh", &RI_LH}, {"rh", &RI_RH},
    {"P", &RI_P}, {"Pz", &RI_PZ}, {"Pw", &RI_PW}, {"N", &RI_N}, {"Np", &RI_NP},
    {"Cs", &RI_CS}, {"Os", &RI_OS}, {"s", &RI_S}, {"t", &RI_T}, {"st", &RI_ST},
    {"bilinear", &RI_BILINEAR}, {"bicubic", &RI_BICUBIC}, {"linear", &RI_LINEAR},
    {"cubic", &RI_CUBIC}, {"primitive", &RI_PRIMITIVE}, {"intersection", &RI_INTERSECTION},
    {"union", &RI_UNION}, {"difference", &RI_DIFFERENCE}, {"periodic", &RI_PERIODIC},
    {"nonperiodic", &RI_NONPERIODIC}, {"clamp", &RI_CLAMP}, {"black", &RI_BLACK},
    {"ignore", &RI_IGNORE}, {"print", &RI_PRINT}, {"abort", &RI_ABORT},
    {"handler", &RI_HANDLER}, {"identifier", &RI_IDENTIFIER}, {"name", &RI_NAME},
    {"comment", &RI_COMMENT}, {"structure", &RI_STRUCTURE}, {"verbatim", &RI_VERBATIM},
    {"width", &RI_WIDTH}, {"constantwidth", &RI_CONSTANTWIDTH}, {"current", &RI_CURRENT},
    {"shader", &RI_SHADER}, {"eye", &RI_EYE}, {"NDC", &RI_NDC}, {"hole", &RI_HOLE},
    {"crease", &RI_CREASE}, {"corner", &RI_CORNER},
    {"interpolateboundary", &RI_INTERPOLATEBOUNDARY}, {"__nondiffuse", &RI_NONDIFFUSE},
    {"__nonspecular", &RI_NONSPECULAR}, {"box", &RI_BOX}, {"catmull-rom", &RI_CATMULLROM},
    {"sinc", &RI_SINC}, {"gaussian", &RI_GAUSSIAN}, {"triangle", &RI_TRIANGLE},
    {"filter", &RI_FILTER}, {"swidth", &RI_SWIDTH}, {"twidth", &RI_TWIDTH},
    {"fill", &RI_FILL}, {"fidelity", &RI_FIDELITY}, {"samples", &RI_SAMPLES},
    {"blur", &RI_BLUR}, {"sblur", &RI_SBLUR}, {"tblur", &RI_TBLUR}, {"bias", &RI_BIAS},
    {"lerp", &RI_LERP}, {"gapbias", &RI_GAPBIAS}, {"source", &RI_SOURCE},
    {"gapopt", &RI_GAPOPT}, {"refblur", &RI_REFBLUR}, {"srefblur", &RI_SREFBLUR},
    {"trefblur", &RI_TREFBLUR}, {"ignoreabove", &RI_IGNOREABOVE},
    {"__category", &RI_CATEGORY}, {"_$w", &RI_HOMOGENEOUSW},
};

}  // namespace

void installDefaultDeclarations(RibWriter& writer) {
    const int savedEcho = echoDeclarations;
    echoDeclarations = 0;
    for (const DefaultDeclaration& entry : kDefaults) {
        // Declare with an empty declaration only interns the name.
        writer.Declare(entry.name, entry.declaration ? entry.declaration : "");
    }
    echoDeclarations = savedEcho;
    for (const TokenVariable& token : kTokenVariables) {
        *token.variable = const_cast<char*>(internString(token.name));
    }
}
