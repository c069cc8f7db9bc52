#pragma once
// Helpers for tests that run RenderMan calls against a real RIB writer whose
// output goes to a temporary file, and then look at the text it wrote.

#include <ri.h>

#include "ExportedFrame.h"

#include "ribout/Renderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
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

/// A file name of its own for every call, in the test's working directory.
inline std::string scratchPath(const std::string& stem)
{
    static int counter = 0;
    return "ribtest_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" + stem;
}

/// Runs `calls` between RiBegin(file) and RiEnd and returns what the writer
/// put between the two header lines and the closing newline; checks both.
inline std::string requests(const std::function<void()>& calls)
{
    TempFile file;
    RiBegin(file.path().c_str());
    calls();
    RiEnd();
    const std::string text = readFile(file.path());
    const std::string header = kHeader;
    EXPECT_EQ(text.compare(0, header.size(), header), 0) << "header missing in:\n"
                                                         << text;
    EXPECT_FALSE(text.empty() || text.back() != '\n') << "no closing newline in:\n"
                                                      << text;
    if (text.size() < header.size() + 1) return {};
    return text.substr(header.size(), text.size() - header.size() - 1);
}

/// The writer behind the current context, for the operations that have no
/// Ri procedure (the texture makers).
inline Renderer* currentWriter() { return static_cast<Renderer*>(RiGetContext()); }

}  // namespace ribcapture
