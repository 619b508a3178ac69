// Surfaces to and from PNG files (8-bit RGB), through libpng.
#pragma once

#include <string>

#include "render/surface.h"

namespace vantor::render {

// False with a reason when the file cannot be written.
bool writePng(const Surface& surface, const std::string& path, std::string* error = nullptr);

// Reads any PNG into the surface (resized to the image); false with a reason.
bool readPng(const std::string& path, Surface& surface, std::string* error = nullptr);

}  // namespace vantor::render
