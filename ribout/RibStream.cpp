#include "ribout/RibStream.h"

#include "ribout/ErrorReporting.h"

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

// A renderer that quits early (or a "|command" that never reads, or the
// reader of a standard output that is a pipe) would kill the whole program
// with SIGPIPE on our next write. While one of our own
// writes to a pipe is in progress the signal is blocked on this thread; if the
// write raised it, it is taken off the pending set before the old mask comes
// back, and the failed write shows up as an error (EPIPE) instead. The
// program's own handling of SIGPIPE elsewhere is left untouched.
class SigpipeBlock {
public:
    explicit SigpipeBlock(bool active) : active(active)
    {
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
    ~SigpipeBlock()
    {
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
    explicit UnreadOutputProbe(std::FILE* pipe)
    {
        const std::string path = "/proc/self/fd/" + std::to_string(fileno(pipe));
        readEnd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~UnreadOutputProbe()
    {
        if (readEnd >= 0) {
            ::close(readEnd);
        }
    }
    UnreadOutputProbe(const UnreadOutputProbe&) = delete;
    UnreadOutputProbe& operator=(const UnreadOutputProbe&) = delete;

    /// Call after the command has ended. True when bytes were left in the
    /// pipe and no process but us could still read them.
    bool outputWasLost()
    {
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

RibStream::~RibStream()
{
    close();
    delete[] buffer;
}

void RibStream::registerOpen()
{
    static const bool drainsAtExit = std::atexit(drainAllAtExit) == 0;
    (void)drainsAtExit;
    nextOpen = firstOpen;
    firstOpen = this;
}

void RibStream::unregisterOpen()
{
    for (RibStream** link = &firstOpen; *link != nullptr; link = &(*link)->nextOpen) {
        if (*link == this) {
            *link = nextOpen;
            break;
        }
    }
    nextOpen = nullptr;
}

void RibStream::drainAllAtExit()
{
    for (RibStream* open = firstOpen; open != nullptr; open = open->nextOpen) {
        open->drain();
    }
}

namespace {

long coarseMilliseconds()
{
    // The coarse clock is read without a system call; its few milliseconds
    // of granularity do not matter for a look every tenth of a second.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

void RibStream::attach(std::FILE* newFile, RibSink newSink, std::string description)
{
    file = newFile;
    sink = newSink;
    outputName = std::move(description);
    used = 0;
    failed = false;
    lastReaderCheck = coarseMilliseconds();
    registerOpen();
}

void RibStream::put(const char* text, std::size_t length)
{
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

void RibStream::put(const char* text)
{
    put(text, std::strlen(text));
}

void RibStream::fail(const std::string& message)
{
    if (failed) {
        return;
    }
    failed = true;
    used = 0;
    reportError(RIE_SYSTEM, RIE_ERROR, message.c_str());
}

std::string RibStream::pipeFailureReason(int error) const
{
    std::string reason = std::strerror(error);
    if (error == EPIPE) {
        reason += " (the command is no longer reading)";
    }
    return reason;
}

void RibStream::drain()
{
    const std::size_t count = used;
    used = 0;
    if (count == 0 || file == nullptr || failed) {
        return;
    }
    if (sink == RibSink::standardOutput) {
        // Through stdio, which the program's own output to standard output
        // shares. Standard output may be a pipe into a renderer too.
        bool isWritten;
        int error;
        {
            SigpipeBlock block(true);
            isWritten = std::fwrite(buffer, 1, count, file) == count;
            error = errno;
        }
        if (!isWritten) {
            fail("could not write all RIB output to " + outputName + ": " + std::strerror(error));
        }
        return;
    }
    // Straight to the descriptor: our buffer already gathers large blocks,
    // and a write interrupted by a signal the program handles is carried on
    // instead of turning into a lost block.
    int error = 0;
    {
        SigpipeBlock block(sink == RibSink::pipe);
        const int descriptor = fileno(file);
        const char* next = buffer;
        std::size_t left = count;
        while (left > 0) {
            const ssize_t written = ::write(descriptor, next, left);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = errno;
                break;
            }
            next += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (error != 0) {
        fail("could not write all RIB output to " + outputName + ": " +
             (sink == RibSink::pipe ? pipeFailureReason(error) : std::strerror(error)));
    }
}

void RibStream::checkReader()
{
    if (file == nullptr || failed) {
        return;
    }
    const long now = coarseMilliseconds();
    if (now - lastReaderCheck < kReaderCheckInterval) {
        return;
    }
    lastReaderCheck = now;
    // The write end of a pipe shows POLLERR once no process has the read end
    // open. A command's background job that still holds it keeps it quiet.
    pollfd probe{fileno(file), 0, 0};
    if (poll(&probe, 1, 0) == 1 && (probe.revents & (POLLERR | POLLHUP)) != 0) {
        fail("could not write all RIB output to " + outputName + ": " + pipeFailureReason(EPIPE));
    }
}

void RibStream::flush()
{
    drain();
    if (sink != RibSink::standardOutput || file == nullptr || failed) {
        return;
    }
    int error = 0;
    {
        SigpipeBlock block(true);
        if (std::fflush(file) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        fail("could not write all RIB output to " + outputName + ": " + std::strerror(error));
    }
}

bool RibStream::close()
{
    if (file == nullptr) {
        return !failed;
    }
    flush();
    if (sink == RibSink::file) {
        if (std::fclose(file) != 0) {
            fail("could not close RIB output " + outputName + ": " + std::strerror(errno));
        }
    } else if (sink == RibSink::pipe) {
        UnreadOutputProbe probe(file);
        int status;
        int closeError;
        {
            SigpipeBlock block(true);
            status = pclose(file);
            closeError = errno;
        }
        if (probe.outputWasLost()) {
            fail("could not write all RIB output to " + outputName +
                 ": the command ended without reading all of it");
        } else if (status == -1) {
            fail("could not close RIB output " + outputName + ": " + std::strerror(closeError));
        } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
            fail("RIB output " + outputName + " ended with exit status " +
                 std::to_string(WEXITSTATUS(status)));
        } else if (WIFSIGNALED(status)) {
            fail("RIB output " + outputName + " was ended by signal " +
                 std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")");
        }
    }
    file = nullptr;
    unregisterOpen();
    return !failed;
}

}  // namespace ribout
