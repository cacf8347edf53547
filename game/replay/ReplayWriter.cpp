#include "game/replay/ReplayWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace replay {

TReplayWriter::TReplayWriter(const TReplayHeader& header)
    : tanks_(std::min(std::max<size_t>(header.tanks.size(), 1), kMaxTanks)),
      codec_(tanks_),
      header_(EncodeHeader(header)),
      bits_(payload_)
{
    payload_.reserve(kMaxBlockBytes);
    block_.reserve(kMaxBlockBytes + 64);
    memory_ = header_;
}

TReplayWriter::~TReplayWriter()
{
    if (!finished_) EndBlock();
    if (file_) std::fclose(file_);
}

bool TReplayWriter::Open(const std::string& path)
{
    toFile_ = true;
    memory_.clear();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        problem_ = std::string("cannot be made (") + std::strerror(errno) + ")";
        return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        problem_ = std::string("cannot be made (") + std::strerror(errno) + ")";
        ::close(fd);
        return false;
    }
    Emit(header_);
    return problem_.empty();
}

void TReplayWriter::AddKey(TMatchKey key)
{
    if (keyCount_ < kMaxKeysPerFrame) keys_[keyCount_++] = key;
}

void TReplayWriter::AddFrame(uint32_t timeMs, const std::array<TDriveCommand, kMaxTanks>& commands)
{
    if (finished_ || frames_ >= kMaxFrames) return;
    if (blockFrames_ == 0) {
        codec_.Reset(timeMs);
        blockStart_ = timeMs;
    }
    TReplayFrame frame;
    frame.timeMs = timeMs;
    frame.commands = commands;
    codec_.Encode(bits_, frame, keys_, keyCount_);
    keyCount_ = 0;
    blockEnd_ = timeMs;
    ++frames_;
    // A frame takes at most 4 + 36 + 4 * 6 + 28 bits, so a block of kFramesPerBlock stays
    // well inside kMaxBlockBytes.
    if (++blockFrames_ == kFramesPerBlock) EndBlock();
}

// A frame block: tag, frame count, first and last frame time, payload length, payload, and
// the checksum of all of these.
void TReplayWriter::EndBlock()
{
    if (blockFrames_ == 0) return;
    bits_.Flush();
    block_.clear();
    PutU8(block_, kFrameBlockTag);
    PutU16(block_, static_cast<uint16_t>(blockFrames_));
    PutU32(block_, blockStart_);
    PutU32(block_, blockEnd_);
    PutU32(block_, static_cast<uint32_t>(payload_.size()));
    block_.insert(block_.end(), payload_.begin(), payload_.end());
    PutU32(block_, Crc32(block_.data(), block_.size()));
    payload_.clear();
    blockFrames_ = 0;
    Emit(block_);
}

void TReplayWriter::SetListener(std::function<void(const std::vector<uint8_t>& piece)> listener)
{
    listener_ = std::move(listener);
}

void TReplayWriter::RecordFor(std::function<void(const std::vector<uint8_t>& piece)> listener)
{
    toFile_ = true;  // and no file: the listener's pieces only
    memory_.clear();
    listener_ = std::move(listener);
    Emit(header_);
}

void TReplayWriter::Emit(const std::vector<uint8_t>& bytes)
{
    if (listener_) listener_(bytes);
    if (!toFile_) {
        memory_.insert(memory_.end(), bytes.begin(), bytes.end());
        return;
    }
    if (!file_ || !problem_.empty()) return;
    // Each block reaches the file whole at once, so a stop between blocks leaves whole blocks.
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || std::fflush(file_) != 0)
        problem_ = std::string("cannot be written (") + std::strerror(errno) + ")";
}

bool TReplayWriter::Finish(const TReplayResult& result)
{
    if (finished_) return problem_.empty();
    EndBlock();
    block_.clear();
    PutU8(block_, kEndBlockTag);
    PutU8(block_, static_cast<uint8_t>(result.ending));
    for (size_t t = 0; t < tanks_; ++t) PutU16(block_, result.scores[t]);
    PutU32(block_, static_cast<uint32_t>(frames_));
    PutU32(block_, Crc32(block_.data(), block_.size()));
    Emit(block_);
    finished_ = true;
    if (file_ && std::fclose(file_) != 0 && problem_.empty())
        problem_ = std::string("cannot be written (") + std::strerror(errno) + ")";
    file_ = nullptr;
    return problem_.empty();
}

}  // namespace replay
