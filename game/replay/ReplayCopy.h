// A replay file made of pieces another machine recorded (a network joiner keeps the host's
// recording of their match): each piece is written whole as it arrives, so a file cut
// short holds whole blocks, as a recording of its own would.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace replay {

class TReplayCopy {
public:
    TReplayCopy() = default;
    ~TReplayCopy();
    TReplayCopy(const TReplayCopy&) = delete;
    TReplayCopy& operator=(const TReplayCopy&) = delete;

    // Makes a new file at `path` (an existing file is never replaced); false with Problem().
    bool Open(const std::string& path);
    // Appends one piece. Past the largest replay a reader takes, nothing more is written.
    void Add(const std::vector<uint8_t>& piece);
    // Closes the file; false when a write failed.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    size_t Bytes() const { return bytes_; }
    const std::string& Problem() const { return problem_; }

private:
    std::FILE* file_ = nullptr;
    size_t bytes_ = 0;
    std::string problem_;
};

}  // namespace replay
