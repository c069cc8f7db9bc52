#include "app/VideoRecorder.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
constexpr const char* kProgram = "ffmpeg";
// GIF stores delays in hundredths of a second: 25 frames a second is exact,
// and faster rates would be played slower than they were written.
constexpr const char* kGifRate = "25";

bool endsWith(const std::string& text, const char* end)
{
    const size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

// Writes all of `size` bytes, through interruptions and partial writes.
bool writeAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}
}  // namespace

VideoRecorder::VideoRecorder(std::string file_, int stepsPerFrame_, double timeStep_)
    : file(std::move(file_)), stepsPerFrame(stepsPerFrame_ > 0 ? stepsPerFrame_ : 1), timeStep(timeStep_)
{
}

VideoRecorder::~VideoRecorder() { finish(); }

std::string VideoRecorder::commandLine() const
{
    // The rate as a fraction, steps per second over steps per frame, so
    // that the video's clock is the simulation's exactly.
    const long stepsPerSecond = std::lround(1.0 / timeStep);
    std::string line = std::string(kProgram) + " -hide_banner -loglevel error -nostats -y -f rawvideo -pix_fmt rgb24 -s " +
                       std::to_string(frameWidth) + "x" + std::to_string(frameHeight) + " -r " +
                       std::to_string(stepsPerSecond) + "/" + std::to_string(stepsPerFrame) + " -i -";
    // OpenGL's rows come bottom up.
    if (endsWith(file, ".gif"))
        line += std::string(" -vf vflip,fps=") + kGifRate;
    else if (endsWith(file, ".webm"))
        line += " -vf vflip -c:v libvpx -deadline realtime -cpu-used 8 -b:v 4M -pix_fmt yuv420p";
    else
        // H.264 in 4:2:0 needs even sides; players expect 4:2:0.
        line += " -vf vflip,scale=trunc(iw/2)*2:trunc(ih/2)*2 -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p";
    return line + " " + file;
}

bool VideoRecorder::start(int width, int height)
{
    frameWidth = width;
    frameHeight = height;
    // The command line splits at spaces, but the file name is one argument
    // whatever it holds.
    std::vector<std::string> words;
    const std::string line = commandLine();
    const std::string options = line.substr(0, line.size() - file.size() - 1);
    for (size_t at = 0; at < options.size();) {
        const size_t space = options.find(' ', at);
        words.push_back(options.substr(at, space == std::string::npos ? std::string::npos : space - at));
        at = space == std::string::npos ? options.size() : space + 1;
    }
    words.push_back(file);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const char* directory = std::getenv("TMPDIR");
    errorLog = std::string(directory != nullptr && directory[0] != '\0' ? directory : "/tmp") + "/blorp-ffmpeg-XXXXXX";
    const int logFd = ::mkstemp(errorLog.data());
    if (logFd < 0) {
        fail(std::string("cannot make a file for ffmpeg's messages: ") + std::strerror(errno));
        errorLog.clear();
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        fail(std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno));
        ::close(logFd);
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own: Ctrl-C in the terminal reaches blorp alone, which
    // then ends the input so that ffmpeg finishes the file, instead of
    // ffmpeg stopping halfway through what is still queued.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, kProgram, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[0]);
    ::close(logFd);
    if (spawned != 0) {
        ::close(fds[1]);
        ::unlink(errorLog.c_str());
        errorLog.clear();
        fail(std::string("cannot run ") + kProgram + ": " + std::strerror(spawned));
        return false;
    }
    child = pid;
    pipeInput = fds[1];

    // The writer takes no stop signal, so they reach the thread that
    // handles them between frames, and it notices a closed pipe by its
    // error, not by SIGPIPE, which is left pending and blocked in it.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGPIPE);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    writer = std::thread(&VideoRecorder::writeFrames, this);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return true;
}

int VideoRecorder::framesDue(long steps)
{
    const long due = (stepsSeen + steps) / stepsPerFrame - stepsSeen / stepsPerFrame;
    stepsSeen += steps;
    return int(due);
}

void VideoRecorder::add(Picture picture, int copies)
{
    if (copies <= 0) return;
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return queue.size() < kQueueFrames || hasFailed || isClosing; });
    if (hasFailed || isClosing || child <= 0) return;
    queue.push_back(Frame{std::move(picture), copies});
    framesQueued += copies;
    changed.notify_all();
}

void VideoRecorder::fail(const std::string& reason)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (hasFailed) return;
    hasFailed = true;
    failureText = reason;
    changed.notify_all();
}

std::string VideoRecorder::ffmpegMessage() const
{
    // ffmpeg's last words say why it stopped.
    std::ifstream log(errorLog);
    std::string last;
    for (std::string line; std::getline(log, line);)
        if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
    return last;
}

void VideoRecorder::writeFrames()
{
    bool isOpen = true;
    int writeError = 0;
    for (;;) {
        Frame frame;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return !queue.empty() || isClosing; });
            if (queue.empty()) break;
            frame = std::move(queue.front());
            queue.pop_front();
        }
        changed.notify_all();
        for (int c = 0; isOpen && c < frame.copies; ++c) {
            if (!writeAll(pipeInput, frame.picture.rgb.data(), frame.picture.rgb.size())) {
                writeError = errno;
                isOpen = false;
                // The rest of the queue is let go; add() stops queueing
                // once fail() below has run.
            }
        }
        if (!isOpen) break;
    }
    // Closing the input is what tells ffmpeg to finish the file.
    ::close(pipeInput);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool isClean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!isOpen || !isClean) {
        std::string reason = ffmpegMessage();
        if (reason.empty())
            reason = !isOpen               ? std::string("ffmpeg stopped reading: ") + std::strerror(writeError)
                     : WIFSIGNALED(status) ? "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status))
                                           : "ffmpeg ended with status " + std::to_string(WEXITSTATUS(status));
        fail(reason);
    }
    std::lock_guard<std::mutex> lock(mutex);
    queue.clear();
    changed.notify_all();
}

std::string VideoRecorder::takeFailure()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!hasFailed || isFailureTaken) return "";
    isFailureTaken = true;
    return failureText;
}

bool VideoRecorder::finish()
{
    if (isFinished) return finishResult;
    isFinished = true;
    if (writer.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            isClosing = true;
        }
        changed.notify_all();
        writer.join();
    }
    if (!errorLog.empty()) ::unlink(errorLog.c_str());
    std::lock_guard<std::mutex> lock(mutex);
    finishResult = !hasFailed;
    return finishResult;
}
