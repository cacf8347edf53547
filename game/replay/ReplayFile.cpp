#include "game/replay/ReplayFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "game/replay/ReplayFormat.h"

namespace replay {

TReplayFile::~TReplayFile()
{
    Close();
}

bool TReplayFile::Open(const std::string& path)
{
    Close();
    problem_.clear();
    bytes_ = 0;
    closing_ = failed_ = false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) file_ = ::fdopen(fd, "wb");
    if (!file_) {
        problem_ = std::string("cannot be made (") + std::strerror(errno) + ")";
        if (fd >= 0) ::close(fd);
        return false;
    }
    thread_ = std::thread([this] { WritePieces(); });
    return true;
}

void TReplayFile::Add(std::vector<uint8_t> piece)
{
    if (!file_ || piece.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!problem_.empty()) return;
    // A peer that sends on and on fills no disk: a reader refuses such a file anyway.
    if (piece.size() > kMaxFileBytes - bytes_) {
        problem_ = "is larger than any replay";
        return;
    }
    bytes_ += piece.size();
    // No wake-up: waking the thread can cost the game's frame a switch to it. The thread
    // looks for pieces every kLookEveryMs by itself.
    pieces_.push_back(std::move(piece));
}

void TReplayFile::WritePieces()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (pieces_.empty()) {
            if (closing_) return;  // all written
            wake_.wait_for(lock, std::chrono::milliseconds(kLookEveryMs), [this] { return closing_; });
            continue;
        }
        std::vector<uint8_t> piece = std::move(pieces_.front());
        pieces_.pop_front();
        if (failed_) continue;  // after a failed write nothing more goes to the file
        lock.unlock();
        // Each piece reaches the file whole at once.
        const bool written = std::fwrite(piece.data(), 1, piece.size(), file_) == piece.size() && std::fflush(file_) == 0;
        const int error = errno;
        lock.lock();
        if (!written) {
            failed_ = true;
            if (problem_.empty()) problem_ = std::string("cannot be written (") + std::strerror(error) + ")";
        }
    }
}

bool TReplayFile::Close()
{
    if (!file_) return Problem().empty();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    if (std::fclose(file_) != 0 && problem_.empty())
        problem_ = std::string("cannot be written (") + std::strerror(errno) + ")";
    file_ = nullptr;
    return problem_.empty();
}

std::string TReplayFile::Problem()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
}

}  // namespace replay
