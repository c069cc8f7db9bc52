// Helpers for RIB writer tests: run a few Ri calls into a fresh file and
// hand back the text the writer produced.
#pragma once

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ri.h"
#include "ribout/Renderer.h"

namespace ribtest {

inline constexpr const char* kHeader = "##RenderMan RIB-Structure 1.0\nversion 3.03\n";

/// A file name of its own for every call, in the test's working directory.
inline std::string scratchPath(const std::string& stem) {
    static int counter = 0;
    return "ribtest_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" + stem;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Runs `calls` between RiBegin(file) and RiEnd and returns what the writer
/// put between the two header lines and the closing newline. Checks both.
inline std::string ribBody(const std::function<void()>& calls) {
    const std::string path = scratchPath("body.rib");
    RiBegin(path.c_str());
    calls();
    RiEnd();
    std::string text = readFile(path);
    std::remove(path.c_str());
    const std::string header = kHeader;
    EXPECT_EQ(text.compare(0, header.size(), header), 0) << "header missing in:\n" << text;
    EXPECT_FALSE(text.empty() || text.back() != '\n') << "no closing newline in:\n" << text;
    if (text.size() < header.size() + 1) {
        return {};
    }
    return text.substr(header.size(), text.size() - header.size() - 1);
}

/// The writer behind the current context, for the operations that have no
/// Ri procedure (the texture makers).
inline Renderer* currentWriter() {
    return static_cast<Renderer*>(RiGetContext());
}

}  // namespace ribtest
