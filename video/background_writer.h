// A VideoWriter on a thread of its own: the caller hands over copies of its
// frames and goes on while they are encoded. The queue holds a few frames;
// a caller faster than the encoder waits for room, so that every frame is
// kept.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "video/video_writer.h"

namespace vantor::video {

class BackgroundWriter {
public:
    explicit BackgroundWriter(size_t queueFrames = 8) : capacity_(queueFrames < 1 ? 1 : queueFrames) {}
    ~BackgroundWriter();  // an unfinished video is abandoned
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    bool start(const std::string& target, const VideoSettings& settings, std::string* reason);
    // Queues a copy of the frame; false with the reason once encoding failed.
    bool addFrame(const uint32_t* pixels, int width, int height, int bytesPerLine, std::string* reason);
    // Encodes what is queued and completes the file; false with the reason
    // of the first failure.
    bool finish(std::string* reason);
    bool isRecording() const { return thread_.joinable(); }
    long long framesQueued() const { return queued_; }

private:
    struct Frame {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
    };
    void work();
    void stopWorker();

    VideoWriter writer_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame> queue_;
    std::vector<std::vector<uint32_t>> spare_;  // buffers for reuse, so that a frame allocates nothing
    size_t capacity_;
    bool ending_ = false;
    std::string failure_;
    long long queued_ = 0;
};

}  // namespace vantor::video
