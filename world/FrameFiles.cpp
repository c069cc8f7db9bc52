#include "world/FrameFiles.h"

#include <ri.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace frameFiles {
namespace {
// Room for the widest number a checked conversion can give (two-digit width
// and precision, or the digits of an int in octal with its flags).
constexpr size_t kNumberRoom = 128;
constexpr int kMaxDigitsOfWidth = 2;

Record current;
std::string openName;

// Skips up to kMaxDigitsOfWidth digits at `at`; false when there are more.
bool skipDigits(const std::string& text, size_t& at)
{
    int digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        ++at;
        ++digits;
    }
    return digits <= kMaxDigitsOfWidth;
}

// Folders are made one level at a time, as mkdir -p does; one that exists
// already is fine, and any other failure shows when the file is opened.
void makeParents(const std::string& name)
{
    for (size_t slash = name.find('/', 1); slash != std::string::npos; slash = name.find('/', slash + 1)) {
        const std::string folder = name.substr(0, slash);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return;
    }
}
}  // namespace

bool isPattern(const std::string& target)
{
    if (target.empty() || target == "-" || target[0] == '|') return false;
    return target.find('%') != std::string::npos;
}

bool checkPattern(const std::string& pattern, std::string& problem)
{
    if (pattern.find('\0') != std::string::npos) {
        problem = "it holds a NUL character";
        return false;
    }
    int conversions = 0;
    for (size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') continue;
        const size_t start = at++;
        if (at < pattern.size() && pattern[at] == '%') continue;
        while (at < pattern.size() && std::strchr("-+ #0", pattern[at]) != nullptr) ++at;
        bool isShort = skipDigits(pattern, at);
        if (at < pattern.size() && pattern[at] == '.') {
            ++at;
            isShort = skipDigits(pattern, at) && isShort;
        }
        const bool isInteger = at < pattern.size() && std::strchr("diuoxX", pattern[at]) != nullptr;
        const std::string conversion = pattern.substr(start, at + 1 - start);
        if (!isInteger) {
            problem = "'" + conversion + "' is not an integer conversion such as %04d (write a % sign as %%)";
            return false;
        }
        if (!isShort) {
            problem = "'" + conversion + "' is wider than 99 characters";
            return false;
        }
        ++conversions;
    }
    if (conversions != 1) {
        problem = conversions == 0 ? "it has no frame number conversion such as %04d"
                                   : "it has more than one conversion; the frame number goes in once";
        return false;
    }
    return true;
}

std::string nameOf(const std::string& pattern, int frame)
{
    std::string name(pattern.size() + kNumberRoom, '\0');
    const int length = std::snprintf(&name[0], name.size(), pattern.c_str(), frame);
    name.resize(length > 0 ? size_t(length) : 0);
    return name;
}

std::string partialName(const std::string& name) { return name + ".part"; }

const Record& record() { return current; }

void resetRecord()
{
    current = Record();
    openName.clear();
}

bool beginFrame(const std::string& pattern, int frame)
{
    openName = nameOf(pattern, frame);
    makeParents(openName);
    // Every report from here to endFrame concerns this file; any of them
    // means the file cannot be trusted as whole.
    RiLastError = RIE_NOERROR;
    if (RiBegin(const_cast<RtToken>(partialName(openName).c_str())) == nullptr) {
        current.failedFile = openName;
        return false;
    }
    return true;
}

bool endFrame()
{
    RiEnd();
    const std::string partial = partialName(openName);
    bool isWhole = RiLastError == RIE_NOERROR;
    if (isWhole && std::rename(partial.c_str(), openName.c_str()) != 0) {
        current.failureReason = std::string("could not rename ") + partial + ": " + std::strerror(errno);
        isWhole = false;
    }
    if (!isWhole) {
        std::remove(partial.c_str());
        current.failedFile = openName;
        return false;
    }
    ++current.written;
    current.lastWritten = openName;
    return true;
}

}  // namespace frameFiles
