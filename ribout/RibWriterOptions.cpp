// Frame, camera, display and option requests of the RIB writer.

#include <cstdio>
#include <cstring>

#include "ribout/Declarations.h"
#include "ribout/ErrorReporting.h"
#include "ribout/RibWriter.h"

void RibWriter::FrameBegin(RtInt frame)
{
    // Options given inside a frame end with it, the colour samples too.
    colorSamplesBeforeFrame = colorSamples;
    writeText("FrameBegin ");
    writeInt(frame);
    endRequest();
}

void RibWriter::FrameEnd()
{
    colorSamples = colorSamplesBeforeFrame;
    writeText("FrameEnd");
    endRequest();
}

void RibWriter::WorldBegin()
{
    writeText("WorldBegin");
    endRequest();
}

void RibWriter::WorldEnd()
{
    writeText("WorldEnd");
    endRequest();
    // A world is a finished image description: a renderer reading the pipe
    // (or a viewer of the file) can start on it now.
    stream.flush();
}

void RibWriter::Format(RtInt xres, RtInt yres, RtFloat aspect)
{
    writeText("Format ");
    writeInt(xres);
    writeText(" ", 1);
    writeInt(yres);
    writeText(" ", 1);
    writeFloatText(aspect);
    endRequest();
}

void RibWriter::FrameAspectRatio(RtFloat aspect)
{
    writeFloats("FrameAspectRatio", {aspect});
}

void RibWriter::ScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top)
{
    writeFloats("ScreenWindow", {left, right, bottom, top});
}

void RibWriter::CropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax)
{
    writeFloats("CropWindow", {xmin, xmax, ymin, ymax});
}

void RibWriter::ProjectionV(RtToken projection, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Projection", projection, 0, n, tokens, values);
}

void RibWriter::Clipping(RtFloat hither, RtFloat yon)
{
    writeFloats("Clipping", {hither, yon});
}

void RibWriter::DepthOfField(RtFloat fstop, RtFloat focallength, RtFloat focaldistance)
{
    writeFloats("DepthOfField", {fstop, focallength, focaldistance});
}

void RibWriter::Shutter(RtFloat min, RtFloat max)
{
    writeFloats("Shutter", {min, max});
}

void RibWriter::PixelVariance(RtFloat variation)
{
    writeFloats("PixelVariance", {variation});
}

void RibWriter::PixelSamples(RtFloat xsamples, RtFloat ysamples)
{
    writeFloats("PixelSamples", {xsamples, ysamples});
}

void RibWriter::PixelFilter(RtFilterFunc filterfunc, RtFloat xwidth, RtFloat ywidth)
{
    const char* filter = namedFilter("PixelFilter", filterfunc);
    if (filter == nullptr) {
        return;
    }
    writeText("PixelFilter ");
    writeQuoted(filter);
    writeFloats("", {xwidth, ywidth});
}

void RibWriter::Exposure(RtFloat gain, RtFloat gamma)
{
    writeFloats("Exposure", {gain, gamma});
}

void RibWriter::Quantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amplitude)
{
    writeText("Quantize ");
    writeQuoted(type);
    for (RtInt number : {one, min, max}) {
        writeText(" ", 1);
        writeInt(number);
    }
    writeText(" ", 1);
    writeFloatText(amplitude);
    endRequest();
}

void RibWriter::DisplayV(RtToken displayName, RtToken type, RtToken mode, RtInt n,
                         RtToken tokens[], RtPointer values[])
{
    writeText("Display ");
    writeQuoted(displayName);
    writeText(" ", 1);
    writeQuoted(type);
    writeText(" ", 1);
    writeQuoted(mode);
    writeParameterList(*this, nullptr, 0, n, tokens, values);
}

void RibWriter::HiderV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Hider", type, 0, n, tokens, values);
}

void RibWriter::ColorSamples(RtInt n, RtFloat nRGB[], RtFloat RGBn[])
{
    if (n <= 0 || nRGB == nullptr || RGBn == nullptr) {
        reportDiagnostic(n <= 0 ? RIE_RANGE : RIE_MISSINGDATA, RIE_ERROR,
                         "ribout error: ColorSamples needs at least one sample and both "
                         "matrices");
        return;
    }
    // From here on every colour, Color's own and each color parameter's,
    // has n components: the caller's arrays hold n floats per colour.
    colorSamples = n;
    writeText("ColorSamples ");
    const std::int64_t values = 3 * static_cast<std::int64_t>(n);
    writeFloatArray(nRGB, values);
    writeText(" ", 1);
    writeFloatArray(RGBn, values);
    endRequest();
}

void RibWriter::RelativeDetail(RtFloat relativedetail)
{
    writeFloats("RelativeDetail", {relativedetail});
}

void RibWriter::OptionV(RtToken option, RtInt n, RtToken tokens[], RtPointer values[])
{
    if (option != nullptr && (std::strcmp(option, "rib") == 0 || std::strcmp(option, "RIB") == 0)) {
        // Addressed to this writer, not to the renderer reading the RIB.
        for (RtInt i = 0; i < n; ++i) {
            if (tokens[i] != nullptr && values[i] != nullptr &&
                std::strcmp(tokens[i], "binary") == 0) {
                binaryMode = *static_cast<RtInt*>(values[i]);
            }
        }
        return;
    }
    writeParameterRequest("Option", option, 0, n, tokens, values);
}
