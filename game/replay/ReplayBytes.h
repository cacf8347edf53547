// The byte and bit primitives of the replay format: little-endian fields appended to a
// buffer, a reader that never reads past its end, bit packing and the CRC-32 checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace replay {

// CRC-32 (the polynomial of zip and PNG) of `size` bytes, continuing from `crc`.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

void PutU8(std::vector<uint8_t>& out, uint8_t value);
void PutU16(std::vector<uint8_t>& out, uint16_t value);
void PutU32(std::vector<uint8_t>& out, uint32_t value);
void PutU64(std::vector<uint8_t>& out, uint64_t value);
void PutU32At(std::vector<uint8_t>& out, size_t at, uint32_t value);

// Reads fields in order; a read past the end yields zeros and marks the reader failed.
class TByteReader {
public:
    TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    // A string of `length` bytes, or empty and failed when fewer remain.
    std::string Text(size_t length);
    bool Failed() const { return failed_; }
    size_t Offset() const { return at_; }
    size_t Remaining() const { return size_ - at_; }

private:
    bool Take(size_t n);
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool failed_ = false;
};

// Packs bits, least significant first, into a byte buffer.
class TBitWriter {
public:
    explicit TBitWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(uint32_t value, int bits);
    // Writes out the last partial byte (zero-filled); the bits that follow start a new byte.
    void Flush();

private:
    std::vector<uint8_t>& out_;
    uint64_t pending_ = 0;
    int pendingBits_ = 0;
};

// Reads what TBitWriter packed; a read past the end yields zeros and marks the reader failed.
class TBitReader {
public:
    TBitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t Get(int bits);
    bool Failed() const { return failed_; }
    // Bits left over in the last byte read, and whole bytes not read at all.
    bool OnlyZeroPaddingLeft() const;

private:
    const uint8_t* data_;
    size_t size_;
    size_t byte_ = 0;
    uint64_t pending_ = 0;
    int pendingBits_ = 0;
    bool failed_ = false;
};

}  // namespace replay
