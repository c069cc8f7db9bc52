// Captures what the library writes on the standard error stream.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

/// Redirects file descriptor 2 to a temporary file until text() is called
/// or the capture ends.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        file = std::tmpfile();
        saved = dup(2);
        dup2(fileno(file), 2);
    }
    ~StderrCapture() { restore(); }

    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    /// Ends the capture and returns everything written during it.
    std::string text()
    {
        restore();
        return captured;
    }

private:
    void restore()
    {
        if (file == nullptr) {
            return;
        }
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        std::rewind(file);
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            captured.append(buffer, got);
        }
        std::fclose(file);
        file = nullptr;
    }

    FILE* file = nullptr;
    int saved = -1;
    std::string captured;
};
