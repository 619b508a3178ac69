// Writes frames of 0xffRRGGBB pixels (render::Surface's layout) as one
// video file through FFmpeg's libraries. The file is written under a
// temporary name beside the target and renamed to it by finish(): the
// target is a complete video or absent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantor::video {

// Whether a path names a video container we write (.mp4, .mkv, .webm).
bool isVideoFile(const std::string& path);

struct VideoSettings {
    int width = 0, height = 0;  // of the frames; an odd side gets a black column or row
    int framesPerSecond = 30;
    // An encoder's name; empty: H.264 where the container takes it, else
    // the first of a few common encoders that it takes.
    std::string codec;
};

class VideoWriter {
public:
    VideoWriter();
    ~VideoWriter();  // an unfinished video is abandoned
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Starts the video; false with the reason when it cannot be.
    bool open(const std::string& target, const VideoSettings& settings, std::string* reason);
    // Encodes one frame. A frame of another size than the video's is cut
    // or filled with black at its right and bottom.
    bool addFrame(const uint32_t* pixels, int width, int height, int bytesPerLine, std::string* reason);
    // Completes the file and renames it to the target.
    bool finish(std::string* reason);
    // Closes and removes the temporary file; the target is left as it was.
    void abandon();

    bool isOpen() const;
    long long framesWritten() const;  // so far, or in the finished file
    std::string codecName() const;
    const std::string& temporaryPath() const { return temporary_; }
    int videoWidth() const;  // the sizes after padding
    int videoHeight() const;

private:
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    std::string target_, temporary_;
    long long framesFinished_ = 0;
};

}  // namespace vantor::video
