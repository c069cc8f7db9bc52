#pragma once

#include "app/Screenshot.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

/// A video made by ffmpeg from pictures piped to it as raw RGB frames. The
/// video keeps the simulation's pace: each of its frames stands for a fixed
/// number of world steps, so it lasts as long as the simulated time it
/// shows, however fast the frames were drawn.
///
/// A writer thread feeds ffmpeg, so drawing does not wait for the encoder
/// until kQueueFrames pictures are waiting; then add() waits for room.
/// Waiting rather than dropping keeps every step the video promises: a
/// dropped picture would shorten the video or stall its motion, while the
/// wait only slows the viewer to the encoder's pace, with the keys still
/// answered between frames.
class VideoRecorder {
public:
    static constexpr size_t kQueueFrames = 4;

    /// `file` ends in .mp4, .webm or .gif; each video frame stands for
    /// `stepsPerFrame` steps of `timeStep` seconds.
    VideoRecorder(std::string file, int stepsPerFrame, double timeStep);
    ~VideoRecorder();
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;

    /// Starts ffmpeg for pictures of `width` × `height`. False with the
    /// reason in failure() when it cannot be started.
    bool start(int width, int height);
    bool isStarted() const { return child > 0; }
    int width() const { return frameWidth; }
    int height() const { return frameHeight; }

    /// `steps` more world steps have been taken: how many video frames are
    /// now due (the next picture is to be added that many times).
    int framesDue(long steps);
    /// Queues `picture` as the next `copies` video frames, waiting while
    /// the queue is full. Does nothing once the recording has failed.
    void add(Picture picture, int copies);

    /// A failure not yet reported, once: "" when there is none (or it has
    /// been taken already). The recording ends at its first failure.
    std::string takeFailure();
    /// Ends the input, waits for ffmpeg to finish the file. False with the
    /// reason in failure() when ffmpeg or the pipe failed. Once only; later
    /// calls return the first result.
    bool finish();
    const std::string& failure() const { return failureText; }

    /// The ffmpeg command line for these settings, for the messages and tests.
    std::string commandLine() const;
    long framesWritten() const { return framesQueued; }
    /// The simulated seconds the queued frames stand for.
    double seconds() const { return framesQueued * stepsPerFrame * timeStep; }

private:
    struct Frame {
        Picture picture;
        int copies;
    };
    void writeFrames();
    void fail(const std::string& reason);
    std::string ffmpegMessage() const;

    std::string file;
    int stepsPerFrame;
    double timeStep;
    int frameWidth = 0, frameHeight = 0;
    long stepsSeen = 0;
    long framesQueued = 0;

    pid_t child = -1;
    int pipeInput = -1;
    std::string errorLog;  // ffmpeg's standard error, for its message
    std::thread writer;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Frame> queue;
    bool isClosing = false;
    bool hasFailed = false;
    bool isFailureTaken = false;
    bool isFinished = false;
    bool finishResult = false;
    std::string failureText;
};
