// RenderMan procedures: the context, frame and world blocks, the camera and
// display options, declarations and archives.
#include <cstring>
#include <new>

#include "ribout/Dispatch.h"
#include "ribout/ErrorReporting.h"
#include "ribout/ParameterGathering.h"

namespace ribout {

Renderer* requireRenderer(const char* message)
{
    if (currentRenderer == nullptr) {
        reportError(RIE_NOTSTARTED, RIE_SEVERE, message);
    }
    return currentRenderer;
}

void reportEscapedException(const char* procedure) noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        reportError(RIE_NOMEM, RIE_ERROR, procedure);
    } catch (...) {
        reportError(RIE_BUG, RIE_ERROR, procedure);
    }
}

}  // namespace ribout

using ribout::dispatch;
using ribout::dispatchReturning;

namespace {

bool isRibOption(RtToken name)
{
    return name != nullptr && (std::strcmp(name, "rib") == 0 || std::strcmp(name, "RIB") == 0);
}

// The "rib" option configures the writer that the next RiBegin creates, so
// it must work before any renderer exists.
void applyRibOption(RtInt n, RtToken tokens[], RtPointer values[])
{
    for (RtInt i = 0; i < n; ++i) {
        const RtToken token = tokens[i];
        const RtPointer value = values[i];
        if (token == nullptr || value == nullptr) {
            continue;
        }
        if (std::strcmp(token, "format") == 0) {
            ribBinary = stringValueIs(value, "binary") ? 1 : 0;
        } else if (std::strcmp(token, "binary") == 0) {
            ribBinary = *static_cast<const RtInt*>(value);
        } else if (std::strcmp(token, "compression") == 0) {
            ribCompression = stringValueIs(value, "gzip") ? 1 : 0;
        }
    }
}

}  // namespace

extern "C" {

RtVoid RiEnd(void)
{
    if (currentRenderer == nullptr) {
        reportError(RIE_NESTING, RIE_SEVERE, "RiEnd called at inappropriate level");
        return;
    }
    // Cleared first so that nothing the destructor triggers reaches a
    // renderer that is half destroyed.
    Renderer* ending = currentRenderer;
    currentRenderer = nullptr;
    delete ending;
}

RtContextHandle RiGetContext(void)
{
    return currentRenderer;
}

RtContextHandle RiContext(RtContextHandle handle)
{
    currentRenderer = static_cast<Renderer*>(handle);
    return handle;
}

RtVoid RiFrameBegin(RtInt frame)
{
    dispatch("RiFrameBegin", [&](Renderer& r) { r.FrameBegin(frame); });
}

RtVoid RiFrameEnd(void)
{
    dispatch("RiFrameEnd", [&](Renderer& r) { r.FrameEnd(); });
}

RtVoid RiWorldBegin(void)
{
    dispatch("RiWorldBegin", [&](Renderer& r) { r.WorldBegin(); });
}

RtVoid RiWorldEnd(void)
{
    dispatch("RiWorldEnd", [&](Renderer& r) { r.WorldEnd(); });
}

RtVoid RiFormat(RtInt xres, RtInt yres, RtFloat aspect)
{
    dispatch("RiFormat", [&](Renderer& r) { r.Format(xres, yres, aspect); });
}

RtVoid RiFrameAspectRatio(RtFloat aspect)
{
    dispatch("RiFrameAspectRatio", [&](Renderer& r) { r.FrameAspectRatio(aspect); });
}

RtVoid RiScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top)
{
    dispatch("RiScreenWindow", [&](Renderer& r) { r.ScreenWindow(left, right, bottom, top); });
}

RtVoid RiCropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax)
{
    dispatch("RiCropWindow", [&](Renderer& r) { r.CropWindow(xmin, xmax, ymin, ymax); });
}

RtVoid RiProjection(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    dispatch("RiProjection", [&](Renderer& r) { r.ProjectionV(name, n, tokens, values); });
}

RtVoid RiProjectionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiProjectionV", [&](Renderer& r) { r.ProjectionV(name, n, tokens, values); });
}

RtVoid RiClipping(RtFloat hither, RtFloat yon)
{
    dispatch("RiClipping", [&](Renderer& r) { r.Clipping(hither, yon); });
}

RtVoid RiDepthOfField(RtFloat fstop, RtFloat focallength, RtFloat focaldistance)
{
    dispatch("RiDepthOfField",
             [&](Renderer& r) { r.DepthOfField(fstop, focallength, focaldistance); });
}

RtVoid RiShutter(RtFloat min, RtFloat max)
{
    dispatch("RiShutter", [&](Renderer& r) { r.Shutter(min, max); });
}

RtVoid RiPixelVariance(RtFloat variation)
{
    dispatch("RiPixelVariance", [&](Renderer& r) { r.PixelVariance(variation); });
}

RtVoid RiPixelSamples(RtFloat xsamples, RtFloat ysamples)
{
    dispatch("RiPixelSamples", [&](Renderer& r) { r.PixelSamples(xsamples, ysamples); });
}

RtVoid RiPixelFilter(RtFilterFunc filterfunc, RtFloat xwidth, RtFloat ywidth)
{
    dispatch("RiPixelFilter", [&](Renderer& r) { r.PixelFilter(filterfunc, xwidth, ywidth); });
}

RtVoid RiExposure(RtFloat gain, RtFloat gamma)
{
    dispatch("RiExposure", [&](Renderer& r) { r.Exposure(gain, gamma); });
}

RtVoid RiQuantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amplitude)
{
    dispatch("RiQuantize", [&](Renderer& r) { r.Quantize(type, one, min, max, amplitude); });
}

RtVoid RiDisplay(RtToken name, RtToken type, RtToken mode, ...)
{
    BLORP_GATHER_PARAMETERS(mode);
    dispatch("RiDisplay", [&](Renderer& r) { r.DisplayV(name, type, mode, n, tokens, values); });
}

RtVoid RiDisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, RtToken tokens[],
                  RtPointer values[])
{
    dispatch("RiDisplayV", [&](Renderer& r) { r.DisplayV(name, type, mode, n, tokens, values); });
}

RtVoid RiHider(RtToken type, ...)
{
    BLORP_GATHER_PARAMETERS(type);
    dispatch("RiHider", [&](Renderer& r) { r.HiderV(type, n, tokens, values); });
}

RtVoid RiHiderV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    dispatch("RiHiderV", [&](Renderer& r) { r.HiderV(type, n, tokens, values); });
}

RtVoid RiColorSamples(RtInt n, RtFloat nRGB[], RtFloat RGBn[])
{
    dispatch("RiColorSamples", [&](Renderer& r) { r.ColorSamples(n, nRGB, RGBn); });
}

RtVoid RiRelativeDetail(RtFloat relativedetail)
{
    dispatch("RiRelativeDetail", [&](Renderer& r) { r.RelativeDetail(relativedetail); });
}

RtVoid RiOption(RtToken name, ...)
{
    BLORP_GATHER_PARAMETERS(name);
    if (isRibOption(name)) {
        applyRibOption(n, tokens, values);
        return;
    }
    dispatch("RiOption", [&](Renderer& r) { r.OptionV(name, n, tokens, values); });
}

RtVoid RiOptionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[])
{
    if (isRibOption(name)) {
        applyRibOption(n, tokens, values);
        return;
    }
    dispatch("RiOptionV", [&](Renderer& r) { r.OptionV(name, n, tokens, values); });
}

RtToken RiDeclare(RtToken name, RtToken declaration)
{
    return dispatchReturning<RtToken>(
        "RiDeclare", [&](Renderer& r) { return r.Declare(name, declaration); });
}

RtVoid RiArchiveRecord(RtToken type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    dispatch("RiArchiveRecord", [&](Renderer& r) { r.ArchiveRecordV(type, format, args); });
    va_end(args);
}

RtVoid RiVArchiveRecord(RtToken type, const char* format, va_list args)
{
    dispatch("RiVArchiveRecord", [&](Renderer& r) { r.ArchiveRecordV(type, format, args); });
}

RtVoid RiReadArchive(RtToken name, RtArchiveCallback callback, ...)
{
    BLORP_GATHER_PARAMETERS(callback);
    dispatch("RiReadArchive",
             [&](Renderer& r) { r.ReadArchiveV(name, callback, n, tokens, values); });
}

RtVoid RiReadArchiveV(RtToken name, RtArchiveCallback callback, RtInt n, RtToken tokens[],
                      RtPointer values[])
{
    dispatch("RiReadArchiveV",
             [&](Renderer& r) { r.ReadArchiveV(name, callback, n, tokens, values); });
}

RtVoid RiErrorHandler(RtErrorHandler handler)
{
    // Installed first and without a renderer: a program sets its handler
    // before RiBegin so that even a failing RiBegin reports through it.
    installErrorHandler(handler);
    if (currentRenderer != nullptr) {
        dispatch("RiErrorHandler", [&](Renderer& r) { r.ErrorHandler(handler); });
    }
}

}  // extern "C"
