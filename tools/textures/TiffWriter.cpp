#include "tools/textures/TiffWriter.h"

#include <tiffio.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// libtiff reports through handlers; keep the last message for the caller's
// one-line report instead of letting libtiff print on its own.
std::string lastTiffError;

void keepTiffError(const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    lastTiffError = module ? std::string(module) + ": " + text : std::string(text);
}

}  // namespace

bool writeRgbTiff(const std::string& path, const RgbImage& image, std::string& problem)
{
    lastTiffError.clear();
    TIFFErrorHandler previous = TIFFSetErrorHandler(keepTiffError);
    TIFFErrorHandler previousWarning = TIFFSetWarningHandler(nullptr);
    const std::string scratch = path + ".partial";
    bool isScratchOurs = false;

    auto fail = [&](const std::string& what) {
        problem = "cannot write " + path + ": " + what;
        // Only a scratch file this call made is removed: the name may belong
        // to something else when opening it failed.
        if (isScratchOurs) std::remove(scratch.c_str());
        TIFFSetErrorHandler(previous);
        TIFFSetWarningHandler(previousWarning);
        return false;
    };

    TIFF* tiff = TIFFOpen(scratch.c_str(), "w");
    if (!tiff) return fail(lastTiffError.empty() ? std::strerror(errno) : lastTiffError);
    isScratchOurs = true;

    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(image.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));

    bool written = true;
    std::vector<std::uint8_t> row(std::size_t(image.width) * 3);
    for (int y = 0; y < image.height && written; ++y) {
        std::memcpy(row.data(), &image.pixels[std::size_t(y) * row.size()], row.size());
        written = TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0) == 1;
    }
    // TIFFClose flushes the last strip and the directory; a full disk shows
    // up there as a failed flush.
    written = written && TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
    if (!written) return fail(lastTiffError.empty() ? "write failed" : lastTiffError);

    if (std::rename(scratch.c_str(), path.c_str()) != 0) return fail(std::strerror(errno));
    TIFFSetErrorHandler(previous);
    TIFFSetWarningHandler(previousWarning);
    return true;
}
