// A recording of the frames the view shows, written to a video file on a
// thread of its own so that the run keeps its frame rate.
#pragma once

#include <string>

#include "video/background_writer.h"

namespace vantor {

namespace render {
class Surface;
}

class VideoRecording {
public:
    VideoRecording() = default;
    // Completes the file: a program closed while recording keeps the video.
    ~VideoRecording() { stop(nullptr); }
    VideoRecording(const VideoRecording&) = delete;
    VideoRecording& operator=(const VideoRecording&) = delete;

    bool isRecording() const { return writer_.isRecording(); }
    const std::string& path() const { return path_; }
    long long frames() const { return frames_; }

    // Starts a video of the surface's size at fps frames per second, the
    // surface as its first frame.
    bool start(const std::string& path, const render::Surface& surface, int fps, std::string* reason);
    // False once writing failed; the recording has then ended, the file
    // removed.
    bool add(const render::Surface& surface, std::string* reason);
    // Completes the file; false with the reason when it cannot be.
    bool stop(std::string* reason);

private:
    video::BackgroundWriter writer_;
    std::string path_;
    long long frames_ = 0;
};

}  // namespace vantor
