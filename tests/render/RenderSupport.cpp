#include "RenderSupport.h"

#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace rendertest {

CommandResult run(const std::string& commandLine)
{
    CommandResult result;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

std::string quoted(const std::string& word)
{
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool onPath(const std::string& program) { return run("command -v " + quoted(program)).status == 0; }

std::string freshFolder(const std::string& name)
{
    char here[4096];
    const std::string path = std::string(getcwd(here, sizeof here) ? here : ".") + "/" + name;
    run("rm -rf " + quoted(path) + " && mkdir -p " + quoted(path));
    return path;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string cutFrame(const std::string& rib, int frame)
{
    const size_t header = rib.find("FrameBegin ");
    const std::string begin = "FrameBegin " + std::to_string(frame) + "\n";
    size_t start = rib.find("\n" + begin);
    if (header == std::string::npos || start == std::string::npos) return {};
    ++start;
    const std::string end = "\nFrameEnd\n";
    const size_t stop = rib.find(end, start);
    if (stop == std::string::npos) return {};
    return rib.substr(0, header) + rib.substr(start, stop + end.size() - start);
}

std::string keepBlocks(const std::string& frame, bool (*keep)(const std::string& block))
{
    std::istringstream in(frame);
    std::string line, result, block;
    int depth = 0;
    bool inWorld = false;
    while (std::getline(in, line)) {
        line += '\n';
        if (line == "WorldBegin\n") inWorld = true;
        if (inWorld && depth == 0 && line == "AttributeBegin\n") {
            depth = 1;
            block = line;
            continue;
        }
        if (depth > 0) {
            block += line;
            if (line == "AttributeBegin\n") ++depth;
            if (line == "AttributeEnd\n" && --depth == 0 && keep(block)) result += block;
            continue;
        }
        result += line;
    }
    return result;
}

std::vector<std::string> renderProblems(const std::string& output)
{
    std::vector<std::string> problems;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("ERROR") == std::string::npos && line.find("WARNING") == std::string::npos) continue;
        // The floor and ceiling are 200 units wide and pass beside the
        // camera; splitting them near the eye plane is a geometry matter of
        // the scene, not of the shaders or textures.
        if (line.find("Max eyesplits") != std::string::npos) continue;
        problems.push_back(line);
    }
    return problems;
}

Picture readTiff(const std::string& path)
{
    Picture picture;
    TIFFErrorHandler previous = TIFFSetErrorHandler(nullptr);
    TIFFErrorHandler previousWarning = TIFFSetWarningHandler(nullptr);
    if (TIFF* tiff = TIFFOpen(path.c_str(), "r")) {
        std::uint32_t w = 0, h = 0;
        std::uint16_t spp = 0, bps = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bps);
        std::vector<std::uint32_t> raster(std::size_t(w) * h);
        if (w > 0 && h > 0 && TIFFReadRGBAImageOriented(tiff, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            picture.width = int(w);
            picture.height = int(h);
            picture.samplesPerPixel = spp;
            picture.bitsPerSample = bps;
            picture.rgba.resize(raster.size() * 4);
            for (size_t i = 0; i < raster.size(); ++i) {
                picture.rgba[i * 4 + 0] = TIFFGetR(raster[i]) / 255.0f;
                picture.rgba[i * 4 + 1] = TIFFGetG(raster[i]) / 255.0f;
                picture.rgba[i * 4 + 2] = TIFFGetB(raster[i]) / 255.0f;
                picture.rgba[i * 4 + 3] = TIFFGetA(raster[i]) / 255.0f;
            }
        }
        picture.directories = TIFFNumberOfDirectories(tiff);
        TIFFClose(tiff);
    }
    TIFFSetErrorHandler(previous);
    TIFFSetWarningHandler(previousWarning);
    return picture;
}

}  // namespace rendertest
