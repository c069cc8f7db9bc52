// The constant objects of the RenderMan Interface: token variables, the
// standard bases, the pixel filters and the procedural kinds.
#include <cmath>

#include <ri.h>

namespace {

// The variables are plain char pointers (see ri.h) but the text is never
// written through them.
char* text(const char* name)
{
    return const_cast<char*>(name);
}

}  // namespace

extern "C" {

// Each variable starts as its standard name; RiBegin replaces most of them
// with the interned copy of the same text, so they stay assignable.
RtTokenVariable RI_FRAMEBUFFER = text("framebuffer"), RI_FILE = text("file"), RI_RGB = text("rgb");
RtTokenVariable RI_RGBA = text("rgba"), RI_RGBZ = text("rgbz"), RI_RGBAZ = text("rgbaz"),
                RI_A = text("a");
RtTokenVariable RI_Z = text("z"), RI_AZ = text("az"), RI_PERSPECTIVE = text("perspective");
RtTokenVariable RI_ORTHOGRAPHIC = text("orthographic"), RI_HIDDEN = text("hidden"),
                RI_PAINT = text("paint");
RtTokenVariable RI_CONSTANT = text("constant"), RI_SMOOTH = text("smooth"),
                RI_FLATNESS = text("flatness");
RtTokenVariable RI_FOV = text("fov"), RI_AMBIENTLIGHT = text("ambientlight");
RtTokenVariable RI_POINTLIGHT = text("pointlight"), RI_DISTANTLIGHT = text("distantlight");
RtTokenVariable RI_SPOTLIGHT = text("spotlight"), RI_INTENSITY = text("intensity");
RtTokenVariable RI_LIGHTCOLOR = text("lightcolor"), RI_FROM = text("from"), RI_TO = text("to");
RtTokenVariable RI_CONEANGLE = text("coneangle"), RI_CONEDELTAANGLE = text("conedeltaangle");
RtTokenVariable RI_BEAMDISTRIBUTION = text("beamdistribution"), RI_MATTE = text("matte");
RtTokenVariable RI_METAL = text("metal"), RI_SHINYMETAL = text("shinymetal"),
                RI_PLASTIC = text("plastic");
RtTokenVariable RI_PAINTEDPLASTIC = text("paintedplastic"), RI_KA = text("Ka"), RI_KD = text("Kd");
RtTokenVariable RI_KS = text("Ks"), RI_ROUGHNESS = text("roughness"), RI_KR = text("Kr");
RtTokenVariable RI_TEXTURENAME = text("texturename"), RI_SPECULARCOLOR = text("specularcolor");
RtTokenVariable RI_DEPTHCUE = text("depthcue"), RI_FOG = text("fog"), RI_BUMPY = text("bumpy");
RtTokenVariable RI_MINDISTANCE = text("mindistance"), RI_MAXDISTANCE = text("maxdistance");
RtTokenVariable RI_BACKGROUND = text("background"), RI_DISTANCE = text("distance");
RtTokenVariable RI_AMPLITUDE = text("amplitude"), RI_RASTER = text("raster"),
                RI_SCREEN = text("screen");
RtTokenVariable RI_CAMERA = text("camera"), RI_WORLD = text("world"), RI_OBJECT = text("object");
RtTokenVariable RI_INSIDE = text("inside"), RI_OUTSIDE = text("outside"), RI_LH = text("lh");
RtTokenVariable RI_RH = text("rh"), RI_P = text("P"), RI_PZ = text("Pz"), RI_PW = text("Pw");
RtTokenVariable RI_N = text("N"), RI_NP = text("Np"), RI_CS = text("Cs"), RI_OS = text("Os");
RtTokenVariable RI_S = text("s"), RI_T = text("t"), RI_ST = text("st"),
                RI_BILINEAR = text("bilinear");
RtTokenVariable RI_BICUBIC = text("bicubic"), RI_LINEAR = text("linear"), RI_CUBIC = text("cubic");
RtTokenVariable RI_PRIMITIVE = text("primitive"), RI_INTERSECTION = text("intersection");
RtTokenVariable RI_UNION = text("union"), RI_DIFFERENCE = text("difference"),
                RI_PERIODIC = text("periodic");
RtTokenVariable RI_NONPERIODIC = text("nonperiodic"), RI_CLAMP = text("clamp"),
                RI_BLACK = text("black");
RtTokenVariable RI_IGNORE = text("ignore"), RI_PRINT = text("print"), RI_ABORT = text("abort");
RtTokenVariable RI_HANDLER = text("handler"), RI_IDENTIFIER = text("identifier"),
                RI_NAME = text("name");
RtTokenVariable RI_COMMENT = text("comment"), RI_STRUCTURE = text("structure");
RtTokenVariable RI_VERBATIM = text("verbatim"), RI_WIDTH = text("width");
RtTokenVariable RI_CONSTANTWIDTH = text("constantwidth"), RI_CURRENT = text("current");
RtTokenVariable RI_SHADER = text("shader"), RI_EYE = text("eye"), RI_NDC = text("NDC");
RtTokenVariable RI_ORIGIN = text("origin"), RI_HOLE = text("hole"), RI_CREASE = text("crease");
RtTokenVariable RI_CORNER = text("corner"), RI_INTERPOLATEBOUNDARY = text("interpolateboundary");
RtTokenVariable RI_MERGE = text("merge"), RI_NONDIFFUSE = text("__nondiffuse");
RtTokenVariable RI_NONSPECULAR = text("__nonspecular"), RI_BOX = text("box");
RtTokenVariable RI_CATMULLROM = text("catmull-rom"), RI_SINC = text("sinc"),
                RI_GAUSSIAN = text("gaussian");
RtTokenVariable RI_TRIANGLE = text("triangle"), RI_FILTER = text("filter"),
                RI_SWIDTH = text("swidth");
RtTokenVariable RI_TWIDTH = text("twidth"), RI_FILL = text("fill"), RI_FIDELITY = text("fidelity");
RtTokenVariable RI_SAMPLES = text("samples"), RI_BLUR = text("blur"), RI_SBLUR = text("sblur");
RtTokenVariable RI_TBLUR = text("tblur"), RI_BIAS = text("bias"), RI_LERP = text("lerp");
RtTokenVariable RI_GAPBIAS = text("gapbias"), RI_SOURCE = text("source"),
                RI_GAPOPT = text("gapopt");
RtTokenVariable RI_REFBLUR = text("refblur"), RI_SREFBLUR = text("srefblur"),
                RI_TREFBLUR = text("trefblur");
RtTokenVariable RI_IGNOREABOVE = text("ignoreabove"), RI_CATEGORY = text("__category");
RtTokenVariable RI_HOMOGENEOUSW = text("_$w");

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

}  // extern "C"
