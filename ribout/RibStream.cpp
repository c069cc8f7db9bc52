#include "ribout/RibStream.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ribout {
namespace {

// A renderer that quits early (or a "|command" that never reads) would kill
// the whole program with SIGPIPE on our next write. While one of our own
// writes to a pipe is in progress the signal is blocked on this thread; if the
// write raised it, it is taken off the pending set before the old mask comes
// back, and the failed write shows up as an error (EPIPE) instead. The
// program's own handling of SIGPIPE elsewhere is left untouched.
class SigpipeBlock {
public:
    explicit SigpipeBlock(bool active) : active(active) {
        if (!active) {
            return;
        }
        sigset_t pipeOnly;
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeOnly, &previousMask);
        sigset_t pending;
        sigpending(&pending);
        wasPending = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeBlock() {
        if (!active) {
            return;
        }
        if (!wasPending) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                sigset_t pipeOnly;
                sigemptyset(&pipeOnly);
                sigaddset(&pipeOnly, SIGPIPE);
                const timespec noWait{0, 0};
                while (sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
                }
            }
        }
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    bool active;
    bool wasPending = false;
    sigset_t previousMask;
};

// A command that ends without reading (say "|true") may end just before or
// just after our last write. Before, the write fails with EPIPE; after, the
// bytes sit in the pipe, the command's exit status is 0, and nothing else
// would tell that they were never read. So a second read end of the pipe is
// opened (through /proc) before the command is waited for; once it has ended,
// bytes still in the pipe that no other process can read any more are output
// lost. A background job of the command that still holds the pipe may read
// them later, so then nothing is reported.
class UnreadOutputProbe {
public:
    explicit UnreadOutputProbe(std::FILE* pipe) {
        const std::string path = "/proc/self/fd/" + std::to_string(fileno(pipe));
        readEnd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~UnreadOutputProbe() {
        if (readEnd >= 0) {
            ::close(readEnd);
        }
    }
    UnreadOutputProbe(const UnreadOutputProbe&) = delete;
    UnreadOutputProbe& operator=(const UnreadOutputProbe&) = delete;

    /// Call after the command has ended. True when bytes were left in the
    /// pipe and no process but us could still read them.
    bool outputWasLost() {
        if (readEnd < 0) {
            return false;
        }
        int unread = 0;
        if (ioctl(readEnd, FIONREAD, &unread) != 0 || unread <= 0) {
            return false;
        }
        // With our read end gone, a write end reports an error on poll when
        // no reader at all is left. Opening it cannot fail for want of a
        // reader while ours is still open.
        const std::string path = "/proc/self/fd/" + std::to_string(readEnd);
        const int writeEnd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        ::close(readEnd);
        readEnd = -1;
        if (writeEnd < 0) {
            return false;
        }
        pollfd probe{writeEnd, POLLOUT, 0};
        const bool noReaderLeft = poll(&probe, 1, 0) == 1 && (probe.revents & POLLERR) != 0;
        ::close(writeEnd);
        return noReaderLeft;
    }

private:
    int readEnd = -1;
};

}  // namespace

RibStream* RibStream::firstOpen = nullptr;

RibStream::RibStream() : buffer(new char[kBufferSize]) {}

RibStream::~RibStream() {
    close();
    delete[] buffer;
}

void RibStream::registerOpen() {
    static const bool drainsAtExit = std::atexit(drainAllAtExit) == 0;
    (void)drainsAtExit;
    nextOpen = firstOpen;
    firstOpen = this;
}

void RibStream::unregisterOpen() {
    for (RibStream** link = &firstOpen; *link != nullptr; link = &(*link)->nextOpen) {
        if (*link == this) {
            *link = nextOpen;
            break;
        }
    }
    nextOpen = nullptr;
}

void RibStream::drainAllAtExit() {
    for (RibStream* open = firstOpen; open != nullptr; open = open->nextOpen) {
        open->drain();
    }
}

void RibStream::attach(std::FILE* newFile, RibSink newSink, std::string description) {
    file = newFile;
    sink = newSink;
    outputName = std::move(description);
    used = 0;
    writeFailed = false;
    registerOpen();
    if (sink != RibSink::standardOutput) {
        // Our own buffer already gathers large blocks; a second stdio buffer
        // would only copy every byte once more.
        std::setvbuf(file, nullptr, _IONBF, 0);
    }
}

void RibStream::put(const char* text, std::size_t length) {
    while (length > 0) {
        std::size_t room = kBufferSize - used;
        if (room == 0) {
            drain();
            room = kBufferSize;
        }
        const std::size_t chunk = length < room ? length : room;
        std::memcpy(buffer + used, text, chunk);
        used += chunk;
        text += chunk;
        length -= chunk;
    }
}

void RibStream::put(const char* text) {
    put(text, std::strlen(text));
}

void RibStream::drain() {
    if (used == 0) {
        return;
    }
    if (file != nullptr) {
        SigpipeBlock block(sink == RibSink::pipe);
        if (std::fwrite(buffer, 1, used, file) != used) {
            writeFailed = true;
        }
    }
    used = 0;
}

void RibStream::flush() {
    drain();
    if (file != nullptr) {
        SigpipeBlock block(sink == RibSink::pipe);
        if (std::fflush(file) != 0) {
            writeFailed = true;
        }
    }
}

std::string RibStream::close() {
    if (file == nullptr) {
        return {};
    }
    flush();
    std::string problem;
    if (writeFailed || std::ferror(file)) {
        problem = "could not write all RIB output to " + outputName;
    }
    if (sink == RibSink::file) {
        if (std::fclose(file) != 0 && problem.empty()) {
            problem = "could not close RIB output " + outputName;
        }
    } else if (sink == RibSink::pipe) {
        UnreadOutputProbe probe(file);
        int status;
        {
            SigpipeBlock block(true);
            status = pclose(file);
        }
        if (problem.empty() && probe.outputWasLost()) {
            problem = "could not write all RIB output to " + outputName;
        }
        if (problem.empty()) {
            if (status == -1) {
                problem = "could not close RIB output " + outputName;
            } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
                problem = "RIB output " + outputName + " ended with exit status " +
                          std::to_string(WEXITSTATUS(status));
            } else if (WIFSIGNALED(status)) {
                problem = "RIB output " + outputName + " was ended by signal " +
                          std::to_string(WTERMSIG(status));
            }
        }
    }
    file = nullptr;
    unregisterOpen();
    return problem;
}

}  // namespace ribout
