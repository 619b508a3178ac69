#include "video/background_writer.h"

#include <cstring>

namespace vantor::video {

BackgroundWriter::~BackgroundWriter() {
    stopWorker();
    writer_.abandon();
}

bool BackgroundWriter::start(const std::string& target, const VideoSettings& settings, std::string* reason) {
    stopWorker();
    if (!writer_.open(target, settings, reason)) return false;
    ending_ = false;
    failure_.clear();
    queued_ = 0;
    thread_ = std::thread([this] { work(); });
    return true;
}

bool BackgroundWriter::addFrame(const uint32_t* pixels, int width, int height, int bytesPerLine, std::string* reason) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < capacity_ || !failure_.empty(); });
    if (!failure_.empty() || !thread_.joinable()) {
        if (reason) *reason = failure_.empty() ? "no video is open" : failure_;
        return false;
    }
    Frame frame;
    if (!spare_.empty()) {
        frame.pixels = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    frame.width = width < 0 ? 0 : width;
    frame.height = height < 0 ? 0 : height;
    frame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(frame.pixels.data() + static_cast<size_t>(y) * frame.width,
                    reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * bytesPerLine,
                    static_cast<size_t>(frame.width) * 4);
    }
    lock.lock();
    queue_.push_back(std::move(frame));
    ++queued_;
    changed_.notify_all();
    return true;
}

void BackgroundWriter::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
        if (queue_.empty()) return;
        Frame frame = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        std::string reason;
        const bool written = failure_.empty() &&
                             writer_.addFrame(frame.pixels.data(), frame.width, frame.height, frame.width * 4, &reason);
        lock.lock();
        if (!written && failure_.empty()) failure_ = reason;
        spare_.push_back(std::move(frame.pixels));
        changed_.notify_all();
    }
}

void BackgroundWriter::stopWorker() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool BackgroundWriter::finish(std::string* reason) {
    if (!thread_.joinable()) {
        if (reason) *reason = "no video is open";
        return false;
    }
    stopWorker();
    if (!failure_.empty()) {
        writer_.abandon();
        if (reason) *reason = failure_;
        return false;
    }
    return writer_.finish(reason);
}

}  // namespace vantor::video
