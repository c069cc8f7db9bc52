#pragma once

// The byte stream under a RIB writer: a large buffer in front of a file, a
// pipe to a command, or standard output.

#include <cstddef>
#include <cstdio>
#include <string>

namespace ribout {

/// Where a RibStream's bytes go; decides how it flushes and closes.
enum class RibSink { standardOutput, file, pipe };

class RibStream {
public:
    /// Room for whole requests of ordinary size, so that most requests reach
    /// the operating system in large writes instead of one call each.
    static constexpr std::size_t kBufferSize = 128 * 1024;

    RibStream();
    ~RibStream();
    RibStream(const RibStream&) = delete;
    RibStream& operator=(const RibStream&) = delete;

    /// Takes over `file`. `description` names the output in error messages
    /// ("\"blorp10.rib\"", "pipe \"cat\"", "standard output").
    void attach(std::FILE* file, RibSink sink, std::string description);
    bool isOpen() const { return file != nullptr; }
    std::FILE* handle() const { return file; }
    const std::string& description() const { return outputName; }

    /// Returns a pointer to at least `count` free bytes (count must not exceed
    /// kBufferSize); commit() then says how many of them were filled.
    char* reserve(std::size_t count) {
        if (kBufferSize - used < count) {
            drain();
        }
        return buffer + used;
    }
    void commit(char* end) { used = static_cast<std::size_t>(end - buffer); }

    void put(char c) { *reserve(1) = c; ++used; }
    /// Overwrites the last byte written; only valid right after a put or
    /// commit of at least one byte.
    void replaceLast(char c) { buffer[used - 1] = c; }
    void put(const char* text, std::size_t length);
    void put(const char* text);

    /// Called after every request. Standard output is shared with the rest
    /// of the program, so there the request is handed to stdio at once and
    /// keeps its place among the program's own output; a file or pipe of our
    /// own keeps buffering.
    void endRequest() {
        if (sink == RibSink::standardOutput) {
            drain();
        }
    }

    /// Hands everything written so far to the operating system, so that a
    /// reader of the file or pipe sees it now.
    void flush();

    /// Flushes and, unless the sink is standard output, closes (for a pipe,
    /// waiting for the command to end). Returns an empty text on success,
    /// otherwise what went wrong, naming the output. Safe to call twice.
    std::string close();

    /// True once a write to the sink has failed. Later writes are still
    /// attempted: a failure is reported once, when the stream is closed.
    bool hasWriteError() const { return writeFailed; }

private:
    void drain();
    void registerOpen();
    void unregisterOpen();
    static void drainAllAtExit();

    // Streams still open when the process exits (a writer never ended with
    // RiEnd) hand their buffered bytes to stdio, which writes them out as it
    // would any open file.
    static RibStream* firstOpen;
    RibStream* nextOpen = nullptr;

    std::FILE* file = nullptr;
    RibSink sink = RibSink::file;
    std::string outputName;
    char* buffer;
    std::size_t used = 0;
    bool writeFailed = false;
};

}  // namespace ribout
