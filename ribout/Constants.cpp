// The constant objects of the RenderMan Interface: token variables, the
// standard bases, the pixel filters and the procedural kinds.
#include <cmath>

#include "ri.h"

extern "C" {

// Each variable starts as its standard name; RiBegin replaces most of them
// with the interned copy of the same text, so they stay assignable.
RtToken RI_FRAMEBUFFER = "framebuffer", RI_FILE = "file";
RtToken RI_RGB = "rgb", RI_RGBA = "rgba", RI_RGBZ = "rgbz", RI_RGBAZ = "rgbaz", RI_A = "a",
        RI_Z = "z", RI_AZ = "az";
RtToken RI_PERSPECTIVE = "perspective", RI_ORTHOGRAPHIC = "orthographic";
RtToken RI_HIDDEN = "hidden", RI_PAINT = "paint";
RtToken RI_CONSTANT = "constant", RI_SMOOTH = "smooth";
RtToken RI_FLATNESS = "flatness", RI_FOV = "fov";
RtToken RI_AMBIENTLIGHT = "ambientlight", RI_POINTLIGHT = "pointlight",
        RI_DISTANTLIGHT = "distantlight", RI_SPOTLIGHT = "spotlight";
RtToken RI_INTENSITY = "intensity", RI_LIGHTCOLOR = "lightcolor", RI_FROM = "from", RI_TO = "to",
        RI_CONEANGLE = "coneangle", RI_CONEDELTAANGLE = "conedeltaangle",
        RI_BEAMDISTRIBUTION = "beamdistribution";
RtToken RI_MATTE = "matte", RI_METAL = "metal", RI_SHINYMETAL = "shinymetal",
        RI_PLASTIC = "plastic", RI_PAINTEDPLASTIC = "paintedplastic";
RtToken RI_KA = "Ka", RI_KD = "Kd", RI_KS = "Ks", RI_ROUGHNESS = "roughness", RI_KR = "Kr",
        RI_TEXTURENAME = "texturename", RI_SPECULARCOLOR = "specularcolor";
RtToken RI_DEPTHCUE = "depthcue", RI_FOG = "fog", RI_BUMPY = "bumpy";
RtToken RI_MINDISTANCE = "mindistance", RI_MAXDISTANCE = "maxdistance",
        RI_BACKGROUND = "background", RI_DISTANCE = "distance", RI_AMPLITUDE = "amplitude";
RtToken RI_RASTER = "raster", RI_SCREEN = "screen", RI_CAMERA = "camera", RI_WORLD = "world",
        RI_OBJECT = "object";
RtToken RI_INSIDE = "inside", RI_OUTSIDE = "outside", RI_LH = "lh", RI_RH = "rh";
RtToken RI_P = "P", RI_PZ = "Pz", RI_PW = "Pw", RI_N = "N", RI_NP = "Np", RI_CS = "Cs",
        RI_OS = "Os", RI_S = "s", RI_T = "t", RI_ST = "st";
RtToken RI_BILINEAR = "bilinear", RI_BICUBIC = "bicubic", RI_LINEAR = "linear",
        RI_CUBIC = "cubic";
RtToken RI_PRIMITIVE = "primitive", RI_INTERSECTION = "intersection", RI_UNION = "union",
        RI_DIFFERENCE = "difference";
RtToken RI_PERIODIC = "periodic", RI_NONPERIODIC = "nonperiodic", RI_CLAMP = "clamp",
        RI_BLACK = "black";
RtToken RI_IGNORE = "ignore", RI_PRINT = "print", RI_ABORT = "abort", RI_HANDLER = "handler";
RtToken RI_IDENTIFIER = "identifier", RI_NAME = "name";
RtToken RI_COMMENT = "comment", RI_STRUCTURE = "structure", RI_VERBATIM = "verbatim";
RtToken RI_WIDTH = "width", RI_CONSTANTWIDTH = "constantwidth";
RtToken RI_CURRENT = "current", RI_SHADER = "shader", RI_EYE = "eye", RI_NDC = "NDC";
RtToken RI_ORIGIN = "origin";
RtToken RI_HOLE = "hole", RI_CREASE = "crease", RI_CORNER = "corner",
        RI_INTERPOLATEBOUNDARY = "interpolateboundary";

RtToken RI_MERGE = "merge", RI_NONDIFFUSE = "__nondiffuse", RI_NONSPECULAR = "__nonspecular";
RtToken RI_BOX = "box", RI_CATMULLROM = "catmull-rom", RI_SINC = "sinc",
        RI_GAUSSIAN = "gaussian", RI_TRIANGLE = "triangle";
RtToken RI_FILTER = "filter", RI_SWIDTH = "swidth", RI_TWIDTH = "twidth", RI_FILL = "fill",
        RI_FIDELITY = "fidelity", RI_SAMPLES = "samples";
RtToken RI_BLUR = "blur", RI_SBLUR = "sblur", RI_TBLUR = "tblur", RI_BIAS = "bias",
        RI_LERP = "lerp", RI_GAPBIAS = "gapbias", RI_SOURCE = "source", RI_GAPOPT = "gapopt";
RtToken RI_REFBLUR = "refblur", RI_SREFBLUR = "srefblur", RI_TREFBLUR = "trefblur",
        RI_IGNOREABOVE = "ignoreabove";
RtToken RI_CATEGORY = "__category", RI_HOMOGENEOUSW = "_$w";

RtBasis RiBezierBasis = {
    {-1.0f, 3.0f, -3.0f, 1.0f},
    {3.0f, -6.0f, 3.0f, 0.0f},
    {-3.0f, 3.0f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.0f},
};

RtBasis RiBSplineBasis = {
    {-1.0f / 6.0f, 3.0f / 6.0f, -3.0f / 6.0f, 1.0f / 6.0f},
    {3.0f / 6.0f, -6.0f / 6.0f, 3.0f / 6.0f, 0.0f},
    {-3.0f / 6.0f, 0.0f, 3.0f / 6.0f, 0.0f},
    {1.0f / 6.0f, 4.0f / 6.0f, 1.0f / 6.0f, 0.0f},
};

RtBasis RiCatmullRomBasis = {
    {-0.5f, 1.5f, -1.5f, 0.5f},
    {1.0f, -2.5f, 2.0f, -0.5f},
    {-0.5f, 0.0f, 0.5f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.0f},
};

RtBasis RiHermiteBasis = {
    {2.0f, 1.0f, -2.0f, 1.0f},
    {-3.0f, -2.0f, 3.0f, -1.0f},
    {0.0f, 1.0f, 0.0f, 0.0f},
    {1.0f, 0.0f, 0.0f, 0.0f},
};

RtBasis RiPowerBasis = {
    {1.0f, 0.0f, 0.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 1.0f, 0.0f},
    {0.0f, 0.0f, 0.0f, 1.0f},
};

// The filters compute in long double and round once on return, so the
// result does not depend on how the compiler keeps intermediates.

RtFloat RiGaussianFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth)
{
    const long double xs = x / (0.5L * xwidth);
    const long double ys = y / (0.5L * ywidth);
    return static_cast<RtFloat>(std::exp(-2.0L * (xs * xs + ys * ys)));
}

RtFloat RiBoxFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth)
{
    // Strict comparisons: a sample exactly on the edge is outside.
    const bool inside = std::fabs(static_cast<long double>(x)) < 0.5L * xwidth &&
                        std::fabs(static_cast<long double>(y)) < 0.5L * ywidth;
    return inside ? 1.0f : 0.0f;
}

RtFloat RiTriangleFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth)
{
    const long double a = 1.0L - std::fabs(static_cast<long double>(x)) / (0.5L * xwidth);
    // The y term is rounded to single precision before the comparison.
    const long double b = static_cast<RtFloat>(
        1.0L - std::fabs(static_cast<long double>(y)) / (0.5L * ywidth));
    const long double smaller = a < b ? a : b;
    return smaller < 0.0L ? 0.0f : static_cast<RtFloat>(smaller);
}

RtFloat RiCatmullRomFilter(RtFloat x, RtFloat y, RtFloat /*xwidth*/, RtFloat /*ywidth*/)
{
    const long double r2 = static_cast<long double>(x) * x + static_cast<long double>(y) * y;
    if (r2 > 4.0L) {
        return 0.0f;
    }
    const long double r = std::sqrt(r2);
    if (r < 1.0L) {
        return static_cast<RtFloat>(r2 * (3.0L * r - 5.0L) + 2.0L);
    }
    return static_cast<RtFloat>(r2 * (5.0L - r) - 8.0L * r + 4.0L);
}

RtFloat RiSincFilter(RtFloat x, RtFloat y, RtFloat /*xwidth*/, RtFloat /*ywidth*/)
{
    constexpr RtFloat kPi = 3.1415927f;
    long double r =
        std::sqrt(static_cast<long double>(x) * x + static_cast<long double>(y) * y);
    if (r > 2.0L) {
        return 0.0f;
    }
    r = static_cast<RtFloat>(r);
    if (r < 0.0001L) {
        return 1.0f;
    }
    const long double angle = static_cast<long double>(kPi) * r;
    return static_cast<RtFloat>(std::sin(angle) / angle);
}

// The writer tells procedural kinds apart by these functions' addresses. The
// bodies differ so that no identical-code folding can merge them.
static volatile int proceduralMarker = 0;

RtVoid RiProcDelayedReadArchive(RtPointer, RtFloat)
{
    proceduralMarker = 1;
}

RtVoid RiProcRunProgram(RtPointer, RtFloat)
{
    proceduralMarker = 2;
}

RtVoid RiProcDynamicLoad(RtPointer, RtFloat)
{
    proceduralMarker = 3;
}

} // extern "C"
