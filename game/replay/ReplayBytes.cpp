#include "game/replay/ReplayBytes.h"

#include <array>

namespace replay {

namespace {

std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutU8(std::vector<uint8_t>& out, uint8_t value)
{
    out.push_back(value);
}

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutU32At(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool TByteReader::Take(size_t n)
{
    if (failed_ || n > size_ - at_) {
        failed_ = true;
        return false;
    }
    return true;
}

uint8_t TByteReader::U8()
{
    if (!Take(1)) return 0;
    return data_[at_++];
}

uint16_t TByteReader::U16()
{
    if (!Take(2)) return 0;
    const uint16_t value = static_cast<uint16_t>(data_[at_] | (data_[at_ + 1] << 8));
    at_ += 2;
    return value;
}

uint32_t TByteReader::U32()
{
    if (!Take(4)) return 0;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(data_[at_ + i]) << (8 * i);
    at_ += 4;
    return value;
}

uint64_t TByteReader::U64()
{
    if (!Take(8)) return 0;
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(data_[at_ + i]) << (8 * i);
    at_ += 8;
    return value;
}

std::string TByteReader::Text(size_t length)
{
    if (!Take(length)) return {};
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
}

void TBitWriter::Put(uint32_t value, int bits)
{
    pending_ |= static_cast<uint64_t>(value & ((bits == 32) ? 0xFFFFFFFFu : ((1u << bits) - 1))) << pendingBits_;
    pendingBits_ += bits;
    while (pendingBits_ >= 8) {
        out_.push_back(static_cast<uint8_t>(pending_));
        pending_ >>= 8;
        pendingBits_ -= 8;
    }
}

void TBitWriter::Flush()
{
    if (pendingBits_ > 0) out_.push_back(static_cast<uint8_t>(pending_));
    pending_ = 0;
    pendingBits_ = 0;
}

uint32_t TBitReader::Get(int bits)
{
    while (pendingBits_ < bits) {
        if (byte_ >= size_) {
            failed_ = true;
            return 0;
        }
        pending_ |= static_cast<uint64_t>(data_[byte_++]) << pendingBits_;
        pendingBits_ += 8;
    }
    const uint64_t mask = (bits == 32) ? 0xFFFFFFFFull : ((1ull << bits) - 1);
    const uint32_t value = static_cast<uint32_t>(pending_ & mask);
    pending_ >>= bits;
    pendingBits_ -= bits;
    return value;
}

bool TBitReader::OnlyZeroPaddingLeft() const
{
    return !failed_ && pendingBits_ < 8 && pending_ == 0 && byte_ == size_;
}

}  // namespace replay
