#include "net/WireCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace Wire {

namespace {

// Each message's fields are listed once, in wire order, by a Fields function that takes
// either a Writer (which puts them) or a Reader (which gets them and checks each against
// the range the list gives it). The ranges mean nothing to the Writer.

class Writer {
public:
    void U8(uint8_t v, long = 0, long = 0) { bytes.push_back(v); }
    void U16(uint16_t v, long = 0, long = 0) {
        U8(static_cast<uint8_t>(v >> 8));
        U8(static_cast<uint8_t>(v));
    }
    void U32(uint32_t v, long = 0, long = 0) {
        U16(static_cast<uint16_t>(v >> 16));
        U16(static_cast<uint16_t>(v));
    }
    void F32(float v, float) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Bits(uint8_t v, uint8_t) { U8(v); }
    // Degrees as a u16 in 65,536ths of a turn.
    void Angle(float degrees) {
        const double turns = std::fmod(static_cast<double>(degrees) / 360.0, 1.0);
        U16(static_cast<uint16_t>(std::lround((turns < 0 ? turns + 1.0 : turns) * 65536.0) & 0xFFFF));
    }
    // A value within [-limit, limit] as a byte of -127..127; one that is not 0 stays so.
    void Scaled(float v, float limit) {
        long steps = std::lround(std::clamp(v / limit, -1.0f, 1.0f) * 127.0f);
        if (steps == 0 && v != 0.0f) steps = v > 0 ? 1 : -1;
        U8(static_cast<uint8_t>(static_cast<int8_t>(steps)));
    }
    void Refuse() {}
    template <typename E>
    void Enum(E v, long, long) {
        U8(static_cast<uint8_t>(v));
    }
    // A u8 count, then each item's fields.
    template <typename T>
    void List(std::vector<T>& items, long, long) {
        U8(static_cast<uint8_t>(items.size()));
        for (T& item : items) Fields(*this, item);
    }
    // A u8 length, then the text's bytes.
    void Text(std::string& text, long, long, uint8_t, uint8_t) {
        U8(static_cast<uint8_t>(text.size()));
        for (char c : text) U8(static_cast<uint8_t>(c));
    }
    // A u16 length, then the bytes.
    void Bytes(std::vector<uint8_t>& bytes, long, long) {
        U16(static_cast<uint16_t>(bytes.size()));
        for (uint8_t b : bytes) U8(b);
    }
    // `count` 2-bit values, four to a byte from its high bits.
    void Cells(std::vector<uint8_t>& cells, size_t count) {
        for (size_t i = 0; i < count; i += 4) {
            uint8_t byte = 0;
            for (size_t k = 0; k < 4; ++k)
                byte = static_cast<uint8_t>(byte << 2 | (i + k < cells.size() && i + k < count ? cells[i + k] & 3 : 0));
            U8(byte);
        }
    }
    std::vector<uint8_t> bytes;
};

// Reads fields in order; the first short read or out-of-range value marks the packet bad
// and every later read gives zero, so a message is read to its end and checked once.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // An integer field that must lie in [lo, hi].
    void U8(uint8_t& v, long lo = 0, long hi = 0xFF) { v = Ranged(Byte(), lo, hi); }
    void U16(uint16_t& v, long lo = 0, long hi = 0xFFFF) {
        const uint16_t hi8 = Byte();
        v = Ranged(static_cast<uint16_t>(hi8 << 8 | Byte()), lo, hi);
    }
    void U32(uint32_t& v) {
        uint16_t high, low;
        U16(high);
        U16(low);
        v = uint32_t(high) << 16 | low;
    }
    void U32(uint32_t& v, long lo, long hi) {
        U32(v);
        v = Ranged(v, lo, hi);
    }
    // A finite float within [-limit, limit].
    void F32(float& v, float limit) {
        uint32_t bits;
        U32(bits);
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || std::fabs(v) > limit) v = 0, Bad();
    }
    void Angle(float& degrees) {
        uint16_t raw;
        U16(raw);
        degrees = static_cast<float>(raw * (360.0 / 65536.0));
    }
    void Scaled(float& v, float limit) {
        const int8_t steps = static_cast<int8_t>(Byte());
        if (steps == -128) Bad();
        v = steps == -128 ? 0.0f : steps * limit / 127.0f;
    }
    // A bit field with no bits outside `allowed`.
    void Bits(uint8_t& v, uint8_t allowed) {
        v = Byte();
        if (v & ~allowed) v = 0, Bad();
    }
    template <typename E>
    void Enum(E& v, long lo, long hi) {
        uint8_t raw;
        U8(raw, lo, hi);
        v = static_cast<E>(raw);
    }
    // A u8 count in [lo, hi], then each item's fields.
    template <typename T>
    void List(std::vector<T>& items, long lo, long hi) {
        uint8_t count;
        U8(count, lo, hi);
        items.resize(count);
        for (T& item : items) Fields(*this, item);
    }

    // A u8 length in [lo, hi], then that many bytes, each in [first, last].
    void Text(std::string& text, long lo, long hi, uint8_t first, uint8_t last) {
        uint8_t length;
        U8(length, lo, hi);
        text.clear();
        for (uint8_t i = 0; i < length; ++i) {
            uint8_t c;
            U8(c, first, last);
            text += static_cast<char>(c);
        }
    }
    // A u16 length in [lo, hi], then that many bytes of any value.
    void Bytes(std::vector<uint8_t>& bytes, long lo, long hi) {
        uint16_t length;
        U16(length, lo, hi);
        bytes.resize(length);
        for (uint8_t& b : bytes) b = Byte();
    }
    // `count` 2-bit values of 0 to 2, four to a byte; the last byte's unused bits are 0.
    void Cells(std::vector<uint8_t>& cells, size_t count) {
        cells.assign(count, 0);
        for (size_t i = 0; i < count; i += 4) {
            const uint8_t byte = Byte();
            for (size_t k = 0; k < 4; ++k) {
                const uint8_t value = static_cast<uint8_t>(byte >> (6 - 2 * k) & 3);
                if (i + k < count) {
                    if (value == 3) Bad();
                    cells[i + k] = value;
                } else if (value != 0) {
                    Bad();
                }
            }
        }
    }

    // A value out of range that only the fields together show.
    void Refuse() { Bad(); }

    // Drop::Count when the packet was read whole and sound.
    Drop Result() const {
        if (drop_ != Drop::Count) return drop_;
        return pos_ == size_ ? Drop::Count : Drop::Trailing;
    }

private:
    uint8_t Byte() {
        if (drop_ != Drop::Count) return 0;
        if (pos_ == size_) {
            drop_ = Drop::Short;
            return 0;
        }
        return data_[pos_++];
    }
    template <typename T>
    T Ranged(T v, long lo, long hi) {
        if (static_cast<long>(v) < lo || static_cast<long>(v) > hi) return Bad(), T{};
        return v;
    }
    void Bad() {
        if (drop_ == Drop::Count) drop_ = Drop::OutOfRange;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    Drop drop_ = Drop::Count;  // Count: nothing wrong yet
};

constexpr uint16_t kMaxTimeLimit = 3600;
constexpr uint16_t kMaxMs = 60000;

template <class IO>
void Position(IO& io, float& x, float& y, float& z) {
    io.F32(x, kMaxCoordinate);
    io.F32(y, kMaxCoordinate);
    io.F32(z, kMaxCoordinate);
}
// Bits 0 and 1 always (players 1 and 2 play), none above the last player's.
template <class IO>
void Playing(IO& io, uint8_t& playing) {
    io.U8(playing, 3, (1 << kMaxTanks) - 1);
    if ((playing & 3) != 3) io.Refuse();
}

template <class IO>
void Fields(IO& io, Hello& m) {
    io.U32(m.magic);
    io.U16(m.version);
}
template <class IO>
void Fields(IO& io, CellPlace& p) {
    io.U8(p.column, 0, kMaxArenaSide - 1);
    io.U8(p.row, 0, kMaxArenaSide - 1);
}
template <class IO>
void Fields(IO& io, MazeSetup& m) {
    io.U32(m.seed);
    io.U8(m.version, 1, 255);
    io.U8(m.roomsAcross, 2, kMaxMazeRooms);
    io.U8(m.roomsDown, 2, kMaxMazeRooms);
}
template <class IO>
void Fields(IO& io, ArenaGrid& g) {
    io.Text(g.name, 1, kMaxArenaName, 32, 126);
    io.F32(g.cellSize, kMaxArenaLength);
    io.F32(g.wallHeight, kMaxArenaLength);
    io.U8(g.columns, 3, kMaxArenaSide);
    io.U8(g.rows, 3, kMaxArenaSide);
    io.List(g.respawns, 2, kMaxRespawns);
    for (const CellPlace& p : g.respawns)
        if (p.column >= g.columns || p.row >= g.rows) io.Refuse();
    io.Cells(g.cells, size_t(g.columns) * g.rows);
}
template <class IO>
void Fields(IO& io, MatchSetup& s) {
    io.U8(s.arena, 0, kArenaGrid);
    io.U8(s.shells, 0, 1);
    io.U8(s.bounces, 1, 9);
    io.U8(s.scoreTo, 1, kMaxScore);
    io.U16(s.timeLimitSeconds, 0, kMaxTimeLimit);
    io.U8(s.guided, 0, 1);
    io.U8(s.invisible, 0, 1);
    io.U8(s.respawn, 0, 1);
    Playing(io, s.playing);
    io.U8(s.mode, 0, 1);
    io.U8(s.friendlyFire, 0, 1);
    for (uint8_t& model : s.tankModels) io.U8(model, 0, 1);
    if (s.arena == kArenaRandomMaze) Fields(io, s.maze);
    if (s.arena == kArenaGrid) Fields(io, s.grid);
}
template <class IO>
void Fields(IO& io, Welcome& m) {
    io.U32(m.magic);
    io.U16(m.version);
    io.U8(m.slot, 1, kMaxTanks - 1);
    Fields(io, m.setup);
    if (!(m.setup.playing >> m.slot & 1)) io.Refuse();
}
template <class IO>
void Fields(IO& io, Refuse& m) {
    io.Enum(m.reason, 1, 3);
    io.U16(m.hostVersion);
}
template <class IO>
void Fields(IO& io, InputState& m) {
    io.U32(m.sequence);
    io.Bits(m.buttons, kButtonsAll);
}
template <class IO>
void Fields(IO& io, Input& m) {
    io.List(m.states, 1, kInputsPerPacket);
}
template <class IO>
void Fields(IO& io, TankState& t) {
    io.U8(t.slot, 0, kMaxTanks - 1);
    Position(io, t.x, t.y, t.z);
    io.Angle(t.rotationY);
    io.Scaled(t.speed, 1.0f);
    io.Scaled(t.turnSpeed, 90.0f);
    io.Bits(t.flags, kTankAll);
    io.U16(t.deathMs, 0, kMaxMs);
    io.U8(t.score, 0, kMaxScore);
    io.U8(t.hits, 0, kMaxScore);
}
template <class IO>
void Fields(IO& io, ShellState& s) {
    io.U8(s.owner, 0, kMaxTanks - 1);
    Position(io, s.x, s.y, s.z);
    io.Angle(s.rotationY);
}
template <class IO>
void Fields(IO& io, Snapshot& m) {
    io.U32(m.sequence);
    io.U32(m.hostTimeMs);
    io.U32(m.lastInputApplied);
    io.Bits(m.flags, kMatchAll);
    io.U8(m.winner, 0, kMaxTanks);
    io.U8(m.scheme, 0, kSchemes - 1);
    io.U16(m.finaleMs, 0, kMaxMs);
    io.U32(m.clockMsLeft, 0, kMaxClockMs);
    io.List(m.tanks, 2, kMaxTanks);
    // Each player's tank once, in rising order; a shell belongs to one of them.
    unsigned present = 0;
    for (size_t i = 0; i < m.tanks.size(); ++i) {
        if (i > 0 && m.tanks[i].slot <= m.tanks[i - 1].slot) io.Refuse();
        present |= 1u << m.tanks[i].slot;
    }
    io.List(m.shells, 0, kMaxShells);
    for (const ShellState& s : m.shells)
        if (!(present >> s.owner & 1)) io.Refuse();
}
template <class IO>
void Fields(IO& io, Event& m) {
    io.Enum(m.kind, 1, 4);
    io.U8(m.player, 0, kMaxTanks);
    if (m.kind != EventKind::MatchEnd && m.player >= kMaxTanks) io.Refuse();
    for (size_t p = 0; p < kMaxTanks; ++p) {
        io.U8(m.scores[p], 0, kMaxScore);
        io.U8(m.hits[p], 0, kMaxScore);
    }
}
template <class IO>
void Fields(IO& io, Ping& m) {
    io.U32(m.senderTimeMs);
}

template <class IO>
void Fields(IO& io, Recording& m) {
    io.U8(m.last, 0, 1);
    io.Bytes(m.bytes, 1, kMaxRecordingPart);
}

template <class IO>
void Fields(IO& io, Results& m) {
    io.U8(m.winner, 0, kMaxTanks);
    io.U8(m.mode, 0, 1);
    Playing(io, m.playing);
    // A team is 1 or 2; a player plays.
    if (m.winner > (m.mode == 1 ? 2 : kMaxTanks) || (m.mode == 0 && m.winner > 0 && !(m.playing >> (m.winner - 1) & 1)))
        io.Refuse();
    io.U32(m.elapsedMs, 0, kMaxMatchMs);
    for (size_t p = 0; p < kMaxTanks; ++p) {
        io.U16(m.shots[p]);
        io.U16(m.hits[p], 0, m.shots[p]);
    }
}
template <class IO>
void Fields(IO&, Rematch&) {}
template <class IO>
void Fields(IO& io, NextMatch& m) {
    Fields(io, m.setup);
}

template <typename M>
Message Read(Reader& r) {
    M m;
    Fields(r, m);
    return m;
}

template <typename M>
constexpr Type TypeOf() {
    if constexpr (std::is_same_v<M, Hello>) return Type::Hello;
    if constexpr (std::is_same_v<M, Welcome>) return Type::Welcome;
    if constexpr (std::is_same_v<M, Refuse>) return Type::Refuse;
    if constexpr (std::is_same_v<M, Input>) return Type::Input;
    if constexpr (std::is_same_v<M, Snapshot>) return Type::Snapshot;
    if constexpr (std::is_same_v<M, Event>) return Type::Event;
    if constexpr (std::is_same_v<M, Ping>) return Type::Ping;
    if constexpr (std::is_same_v<M, Recording>) return Type::Recording;
    if constexpr (std::is_same_v<M, Results>) return Type::Results;
    if constexpr (std::is_same_v<M, Rematch>) return Type::Rematch;
    if constexpr (std::is_same_v<M, NextMatch>) return Type::NextMatch;
}

}  // namespace

const char* DropName(Drop reason) {
    switch (reason) {
        case Drop::Empty: return "empty";
        case Drop::Oversized: return "oversized";
        case Drop::UnknownType: return "unknown type";
        case Drop::Short: return "short";
        case Drop::Trailing: return "trailing bytes";
        case Drop::OutOfRange: return "out of range";
        case Drop::Unexpected: return "unexpected";
        case Drop::Count: break;
    }
    return "?";
}

uint64_t DropCounts::Total() const {
    uint64_t total = 0;
    for (uint64_t n : byReason) total += n;
    return total;
}

std::vector<uint8_t> Encode(const Message& message) {
    Writer w;
    // The fields are listed for reading and writing alike, so they are written from a copy.
    std::visit(
        [&w](auto m) {
            w.U8(static_cast<uint8_t>(TypeOf<decltype(m)>()));
            Fields(w, m);
        },
        message);
    return std::move(w.bytes);
}

Decoded Decode(const uint8_t* data, size_t size) {
    Decoded out;
    if (size == 0) return out;
    if (size > kMaxPacketBytes) {
        out.drop = Drop::Oversized;
        return out;
    }
    Reader r(data + 1, size - 1);
    Message m;
    switch (static_cast<Type>(data[0])) {
        case Type::Hello: m = Read<Hello>(r); break;
        case Type::Welcome: m = Read<Welcome>(r); break;
        case Type::Refuse: m = Read<Refuse>(r); break;
        case Type::Input: m = Read<Input>(r); break;
        case Type::Snapshot: m = Read<Snapshot>(r); break;
        case Type::Event: m = Read<Event>(r); break;
        case Type::Ping: m = Read<Ping>(r); break;
        case Type::Recording: m = Read<Recording>(r); break;
        case Type::Results: m = Read<Results>(r); break;
        case Type::Rematch: m = Read<Rematch>(r); break;
        case Type::NextMatch: m = Read<NextMatch>(r); break;
        default: out.drop = Drop::UnknownType; return out;
    }
    Drop result = r.Result();
    if (result != Drop::Count) {
        out.drop = result;
        return out;
    }
    out.message = std::move(m);
    return out;
}

}  // namespace Wire
