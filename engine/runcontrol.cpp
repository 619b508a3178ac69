#include "engine/runcontrol.h"

#include <cstdio>

namespace vantor {

std::string separateAutosaveName(const std::string& path, const std::tm& t) {
    const size_t nameStart = path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) dot = path.size();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%.2d%.2d%.2d-%.2d%.2d%.2d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return path.substr(0, dot) + stamp + path.substr(dot);
}

std::string autosaveTimestampText(const std::tm& t) {
    char text[96];
    std::snprintf(text, sizeof text, "Autosave timestamp: %d:%dh, %d-%d-%d", t.tm_hour, t.tm_min, t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday);
    return text;
}

}  // namespace vantor
