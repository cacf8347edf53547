#include "game/replay/ReplayReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/RegularFile.h"
#include "game/replay/ReplayBytes.h"
#include "game/replay/ReplayFrameCodec.h"

namespace replay {

namespace {
// Tag, frame count, first and last frame time, payload length.
constexpr size_t kFrameBlockHead = 1 + 2 + 4 + 4 + 4;
}  // namespace

bool TReplayReader::Open(const std::string& path)
{
    *this = TReplayReader();
    problem_ = RegularFileProblem(path);
    if (!problem_.empty()) return false;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        problem_ = std::string("cannot be examined (") + std::strerror(errno) + ")";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxFileBytes) {
        problem_ = "is larger than any replay (" + std::to_string(info.st_size) + " bytes)";
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        problem_ = std::string("cannot be opened (") + std::strerror(errno) + ")";
        return false;
    }
    // Read one byte more than the limit allows, in case the file grew since it was examined.
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size) + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) {
        problem_ = std::string("cannot be read (") + std::strerror(errno) + ")";
        return false;
    }
    if (got > kMaxFileBytes) {
        problem_ = "is larger than any replay";
        return false;
    }
    return Read(bytes.data(), got);
}

bool TReplayReader::Read(const uint8_t* data, size_t size)
{
    *this = TReplayReader();
    if (size > kMaxFileBytes) {
        problem_ = "is larger than any replay (" + std::to_string(size) + " bytes)";
        return false;
    }
    size_t used = 0;
    problem_ = DecodeHeader(data, size, header_, used);
    if (problem_.empty()) problem_ = ReadBlocks(data + used, size - used);
    if (problem_.empty()) return true;
    header_ = TReplayHeader();
    frames_.clear();
    keys_.clear();
    result_.reset();
    return false;
}

std::string TReplayReader::ReadBlocks(const uint8_t* data, size_t size)
{
    size_t at = 0;
    while (at < size) {
        TByteReader in(data + at, size - at);
        const uint8_t tag = in.U8();
        const std::string where = " after " + std::to_string(frames_.size()) + " frames";
        if (tag == kFrameBlockTag) {
            const size_t frames = in.U16();
            const uint32_t startMs = in.U32();
            const uint32_t endMs = in.U32();
            const size_t payload = in.U32();
            if (in.Failed()) return "is cut off" + where;
            if (frames == 0 || frames > kMaxBlockFrames)
                return "claims a block of " + std::to_string(frames) + " frames" + where;
            if (payload > kMaxBlockBytes) return "claims a block of " + std::to_string(payload) + " bytes" + where;
            if (frames_.size() + frames > kMaxFrames) return "holds more frames than any match" + where;
            if (in.Remaining() < payload + 4) return "is cut off" + where;
            TByteReader crc(data + at + kFrameBlockHead + payload, 4);
            if (crc.U32() != Crc32(data + at, kFrameBlockHead + payload)) return "is damaged" + where;
            const std::string problem = ReadFrameBlock(data + at + kFrameBlockHead, payload, frames, startMs, endMs);
            if (!problem.empty()) return problem + where;
            at += kFrameBlockHead + payload + 4;
        } else if (tag == kEndBlockTag) {
            TReplayResult result;
            const uint8_t ending = in.U8();
            for (size_t t = 0; t < header_.tanks.size(); ++t) result.scores[t] = in.U16();
            const uint32_t frames = in.U32();
            const size_t length = in.Offset();
            const uint32_t crc = in.U32();
            if (in.Failed()) return "is cut off" + where;
            if (crc != Crc32(data + at, length)) return "is damaged at its end";
            if (ending > static_cast<uint8_t>(TReplayEnding::Abandoned)) return "ends in an unknown way";
            if (frames != frames_.size())
                return "counts " + std::to_string(frames) + " frames but holds " + std::to_string(frames_.size());
            if (in.Remaining() != 0) return "goes on after its end";
            result.ending = static_cast<TReplayEnding>(ending);
            result_ = result;
            return "";
        } else {
            return "holds an unknown block" + where;
        }
    }
    return "";  // whole blocks without an end: the recording stopped early
}

std::string TReplayReader::ReadFrameBlock(const uint8_t* payload, size_t payloadBytes, size_t frames,
                                          uint32_t startMs, uint32_t endMs)
{
    TReplayFrameCodec codec(header_.tanks.size());
    codec.Reset(startMs);
    TBitReader bits(payload, payloadBytes);
    TMatchKey keys[kMaxKeysPerFrame];
    for (size_t f = 0; f < frames; ++f) {
        TReplayFrame frame;
        size_t keyCount = 0;
        const std::string problem = codec.Decode(bits, frame, keys, keyCount);
        if (!problem.empty()) return problem;
        if (f == 0 && frame.timeMs != startMs) return "holds a block that does not start at its first frame";
        if (keys_.size() + keyCount > kMaxKeys) return "holds more match keys than any match";
        for (size_t k = 0; k < keyCount; ++k)
            keys_.push_back({static_cast<uint32_t>(frames_.size()), keys[k]});
        frames_.push_back(frame);
    }
    if (frames_.back().timeMs != endMs) return "holds a block that does not end at its last frame";
    if (!bits.OnlyZeroPaddingLeft()) return "holds a block longer than its frames";
    return "";
}

uint32_t TReplayReader::LengthMs() const
{
    if (frames_.empty()) return 0;
    return frames_.back().timeMs - frames_.front().timeMs;
}

}  // namespace replay
