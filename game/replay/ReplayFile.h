// A replay file written piece by piece (a header, a block of frames, the end), each piece
// whole, on a thread of its own: the game's recording hands it the writer's pieces, a
// network joiner the host's, and no frame waits for the disk. A file cut short (the game
// stopped) holds whole pieces, so it reads as an unfinished recording.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace replay {

class TReplayFile {
public:
    // How often the file's thread looks for pieces to write: a game that stops loses at
    // most what it handed over in this time, and the pieces before.
    static constexpr int kLookEveryMs = 100;

    TReplayFile() = default;
    ~TReplayFile();
    TReplayFile(const TReplayFile&) = delete;
    TReplayFile& operator=(const TReplayFile&) = delete;

    // Makes a new file at `path` at once (an existing file is never replaced); false with
    // Problem().
    bool Open(const std::string& path);
    // Hands one piece to the file's thread. Past the largest replay a reader takes, nothing
    // more is written.
    void Add(std::vector<uint8_t> piece);
    // Waits for the pieces handed over, then closes the file; false when a write failed.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    // The bytes handed over so far.
    size_t Bytes() const { return bytes_; }
    // Why the file could not be made, or (after Close) written.
    std::string Problem();

private:
    void WritePieces();

    std::FILE* file_ = nullptr;
    size_t bytes_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::vector<uint8_t>> pieces_;  // under mutex_, as the three below
    bool closing_ = false;
    bool failed_ = false;  // a write failed
    std::string problem_;
};

}  // namespace replay
