#include "app/Screenshot.h"

#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <unistd.h>

Picture readWindow(int windowWidth, int windowHeight, int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.assign(size_t(width) * size_t(height) * 3, 0);
    const int copyWidth = std::min(windowWidth, width), copyHeight = std::min(windowHeight, height);
    if (copyWidth <= 0 || copyHeight <= 0) return picture;
    // Rows are counted from the bottom: the window's top rows go to the
    // picture's top rows, whatever the two heights.
    unsigned char* firstRow = picture.rgb.data() + size_t(height - copyHeight) * size_t(width) * 3;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, width);
    glReadPixels(0, windowHeight - copyHeight, copyWidth, copyHeight, GL_RGB, GL_UNSIGNED_BYTE, firstRow);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return picture;
}

namespace {
struct PngFailure {
    std::string message;
};

extern "C" void onPngError(png_structp png, png_const_charp message)
{
    static_cast<PngFailure*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

extern "C" void onPngWarning(png_structp, png_const_charp) {}

// The libpng part on its own, so that no C++ object with a destructor lives
// in the frame its error handling jumps out of.
bool encode(std::FILE* file, const Picture& picture, const std::vector<png_bytep>& rows, PngFailure& failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

bool writePng(const std::string& path, const Picture& picture, std::string& problem)
{
    // Written aside and renamed into place: the name never shows half a picture.
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        problem = std::strerror(errno);
        return false;
    }
    // PNG rows go from the top down.
    std::vector<png_bytep> rows(size_t(picture.height));
    for (int r = 0; r < picture.height; ++r)
        rows[size_t(r)] = const_cast<png_bytep>(picture.rgb.data() + size_t(picture.height - 1 - r) * picture.width * 3);
    PngFailure failure;
    const bool isEncoded = encode(file, picture, rows, failure);
    const bool isFlushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const int flushError = errno;
    const bool isClosed = std::fclose(file) == 0;
    if (isEncoded && isFlushed && isClosed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    problem = !failure.message.empty() ? failure.message : std::strerror(!isFlushed ? flushError : errno);
    std::remove(temporary.c_str());
    return false;
}

std::string screenshotPath(const std::string& directory, int scene, long step)
{
    const std::string stem =
        (directory.empty() ? "" : directory + "/") + "blorp-" + std::to_string(scene) + "-" + std::to_string(step);
    std::string path = stem + ".png";
    for (int copy = 2; ::access(path.c_str(), F_OK) == 0; ++copy) path = stem + "-" + std::to_string(copy) + ".png";
    return path;
}
