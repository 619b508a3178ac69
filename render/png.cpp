#include "render/png.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace vantor::render {

bool writePng(const Surface& surface, const std::string& path, std::string* error) {
    if (surface.width() <= 0 || surface.height() <= 0) {
        if (error) *error = "the picture is empty";
        return false;
    }
    const size_t w = static_cast<size_t>(surface.width()), h = static_cast<size_t>(surface.height());
    std::vector<unsigned char> rgb(w * h * 3);
    const uint32_t* p = surface.pixels();
    for (size_t i = 0; i < w * h; ++i) {
        rgb[3 * i] = static_cast<unsigned char>(p[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(p[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(p[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        if (error) *error = image.message[0] ? image.message : "cannot write the file";
        png_image_free(&image);
        return false;
    }
    return true;
}

bool readPng(const std::string& path, Surface& surface, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        if (error) *error = image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        if (error) *error = image.message;
        png_image_free(&image);
        return false;
    }
    if (!surface.resize(static_cast<int>(image.width), static_cast<int>(image.height))) {
        if (error) *error = "no memory for the picture";
        return false;
    }
    uint32_t* p = surface.pixels();
    for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i) {
        p[i] = 0xff000000u | uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
    }
    return true;
}

}  // namespace vantor::render
