// Turns wire messages into packets and packets back into messages. The decoder reads
// field by field, checks every length and range, and refuses anything it does not expect.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "net/WireFormat.h"

namespace Wire {

// Why a packet was dropped.
enum class Drop : uint8_t { Empty, Oversized, UnknownType, Short, Trailing, OutOfRange, Unexpected, Count };

const char* DropName(Drop reason);

// Dropped packets, counted by reason.
struct DropCounts {
    std::array<uint64_t, static_cast<size_t>(Drop::Count)> byReason{};
    void Add(Drop reason) { ++byReason[static_cast<size_t>(reason)]; }
    uint64_t Of(Drop reason) const { return byReason[static_cast<size_t>(reason)]; }
    uint64_t Total() const;
};

std::vector<uint8_t> Encode(const Message& message);

struct Decoded {
    std::optional<Message> message;  // empty when dropped
    Drop drop = Drop::Empty;         // the reason, when dropped
};

Decoded Decode(const uint8_t* data, size_t size);

}  // namespace Wire
