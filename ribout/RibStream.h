#pragma once

// The byte stream under a RIB writer: a large buffer in front of a file, a
// pipe to a command, or standard output.

#include <cstddef>
#include <cstdio>
#include <string>

namespace ribout {

/// Where a RibStream's bytes go; decides how it flushes and closes.
enum class RibSink { standardOutput,
                     file,
                     pipe };

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
    char* reserve(std::size_t count)
    {
        if (kBufferSize - used < count) {
            drain();
        }
        return buffer + used;
    }
    void commit(char* end) { used = static_cast<std::size_t>(end - buffer); }

    void put(char c)
    {
        *reserve(1) = c;
        ++used;
    }
    /// Overwrites the last byte written; only valid right after a put or
    /// commit of at least one byte.
    void replaceLast(char c) { buffer[used - 1] = c; }
    void put(const char* text, std::size_t length);
    void put(const char* text);

    /// Called after every request. Standard output is shared with the rest
    /// of the program, so there the request is handed to stdio at once and
    /// keeps its place among the program's own output; a file or pipe of our
    /// own keeps buffering. A pipe is also looked at now and then for a
    /// command that has gone (see kReaderCheckInterval).
    void endRequest()
    {
        if (sink == RibSink::standardOutput) {
            drain();
        } else if (sink == RibSink::pipe) {
            checkReader();
        }
    }

    /// Hands everything written so far to the operating system, so that a
    /// reader of the file or pipe sees it now.
    void flush();

    /// Flushes and, unless the sink is standard output, closes (for a pipe,
    /// waiting for the command to end). A failure not reported before is
    /// reported now, as a failed write is. Returns true when every byte
    /// reached the output and it closed cleanly. Safe to call twice.
    bool close();

    /// True once the output has failed: a write did not go through, or the
    /// command at the other end of a pipe has gone. The failure is reported
    /// at once, through the RenderMan error handler as RIE_SYSTEM at
    /// RIE_ERROR, naming the output and the reason; from then on the stream
    /// writes nothing more, so that a file keeps the whole bytes it got
    /// without a gap in the middle, and reports nothing more, its close
    /// included.
    bool hasFailed() const { return failed; }

    /// How long a pipe may go without a look at its reader. The buffer can
    /// take many small frames before it is written, so without a look a
    /// renderer that died would go unnoticed for as long as that takes.
    static constexpr long kReaderCheckInterval = 100;  // milliseconds

private:
    void drain();
    void checkReader();
    /// Marks the stream failed and reports `message`, unless it failed before.
    void fail(const std::string& message);
    std::string pipeFailureReason(int error) const;
    void registerOpen();
    void unregisterOpen();
    static void drainAllAtExit();

    // Streams still open when the process exits (a writer never ended with
    // RiEnd) write out their buffered bytes, as stdio would for any open
    // file.
    static RibStream* firstOpen;
    RibStream* nextOpen = nullptr;

    std::FILE* file = nullptr;
    RibSink sink = RibSink::file;
    std::string outputName;
    char* buffer;
    std::size_t used = 0;
    bool failed = false;
    long lastReaderCheck = 0;  // milliseconds on a coarse monotonic clock
};

}  // namespace ribout
