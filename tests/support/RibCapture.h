#pragma once
// Runs RenderMan calls against a real RIB writer whose output goes to a
// temporary file, and returns the requests they wrote (without the header
// lines and the final newline that every file has).

#include <ri.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace ribcapture {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// A fresh temporary file name, removed when the object goes.
class TempFile {
public:
    TempFile()
    {
        char name[] = "/tmp/blorp-test-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path_ = name;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

/// The text that `calls` writes between RiBegin and RiEnd.
template <class Calls>
std::string requests(Calls calls)
{
    TempFile file;
    RiBegin(file.path().c_str());
    calls();
    RiEnd();
    const std::string header = "##RenderMan RIB-Structure 1.0\nversion 3.03\n";
    std::string text = readFile(file.path());
    if (text.compare(0, header.size(), header) == 0) text.erase(0, header.size());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace ribcapture
