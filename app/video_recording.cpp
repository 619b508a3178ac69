#include "app/video_recording.h"

#include "render/surface.h"

namespace vantor {

bool VideoRecording::start(const std::string& path, const render::Surface& surface, int fps, std::string* reason) {
    stop(nullptr);
    video::VideoSettings settings;
    settings.width = surface.width();
    settings.height = surface.height();
    settings.framesPerSecond = fps < 1 ? 30 : fps;
    if (!writer_.start(path, settings, reason)) return false;
    path_ = path;
    frames_ = 0;
    return add(surface, reason);
}

bool VideoRecording::add(const render::Surface& surface, std::string* reason) {
    if (!writer_.isRecording()) return false;
    if (!writer_.addFrame(surface.pixels(), surface.width(), surface.height(), surface.bytesPerLine(), reason)) {
        writer_.finish(nullptr);  // reports the same failure and removes the file
        return false;
    }
    ++frames_;
    return true;
}

bool VideoRecording::stop(std::string* reason) {
    if (!writer_.isRecording()) return false;
    return writer_.finish(reason);
}

}  // namespace vantor
