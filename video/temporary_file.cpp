#include "video/temporary_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <random>

#include "platform/os_error.h"

namespace vantor::video {

std::string createTemporaryBeside(const std::string& target, std::string* reason) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    const std::string stem = target + ".vantor-save-" + std::to_string(::getpid()) + '-';
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        std::string path = stem;
        for (int i = 0; i < 6; ++i) path += letters[random() % 62];
        // O_EXCL: never a file someone else made, nor one a link points to.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        error = errno;
    }
    if (reason) *reason = vantor::reason(error);
    return {};
}

bool moveIntoPlace(const std::string& temporary, const std::string& target, std::string* reason) {
    if (::rename(temporary.c_str(), target.c_str()) == 0) return true;
    if (reason) *reason = vantor::reason(errno);
    return false;
}

}  // namespace vantor::video
