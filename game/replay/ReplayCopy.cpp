#include "game/replay/ReplayCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "game/replay/ReplayFormat.h"

namespace replay {

TReplayCopy::~TReplayCopy()
{
    Close();
}

bool TReplayCopy::Open(const std::string& path)
{
    Close();
    problem_.clear();
    bytes_ = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) file_ = ::fdopen(fd, "wb");
    if (!file_) {
        problem_ = std::string("cannot be made (") + std::strerror(errno) + ")";
        if (fd >= 0) ::close(fd);
        return false;
    }
    return true;
}

void TReplayCopy::Add(const std::vector<uint8_t>& piece)
{
    if (!file_ || !problem_.empty() || piece.empty()) return;
    // A peer that sends on and on fills no disk: a reader refuses such a file anyway.
    if (piece.size() > kMaxFileBytes - bytes_) {
        problem_ = "is larger than any replay";
        return;
    }
    if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size() || std::fflush(file_) != 0) {
        problem_ = std::string("cannot be written (") + std::strerror(errno) + ")";
        return;
    }
    bytes_ += piece.size();
}

bool TReplayCopy::Close()
{
    if (!file_) return problem_.empty();
    if (std::fclose(file_) != 0 && problem_.empty())
        problem_ = std::string("cannot be written (") + std::strerror(errno) + ")";
    file_ = nullptr;
    return problem_.empty();
}

}  // namespace replay
