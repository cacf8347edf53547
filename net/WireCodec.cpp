#include "net/WireCodec.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace Wire {

namespace {

class Writer {
public:
    void U8(uint8_t v) { bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v >> 8));
        U8(static_cast<uint8_t>(v));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v >> 16));
        U16(static_cast<uint16_t>(v));
    }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    std::vector<uint8_t> bytes;
};

// Reads fields in order; the first short read or out-of-range value marks the packet bad
// and every later read returns zero, so a decoder can read on and check once at the end.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t U8() {
        if (!Need(1)) return 0;
        return data_[pos_++];
    }
    uint16_t U16() {
        uint16_t hi = U8();
        return static_cast<uint16_t>(hi << 8 | U8());
    }
    uint32_t U32() {
        uint32_t hi = U16();
        return hi << 16 | U16();
    }
    float F32(float limit) {
        uint32_t bits = U32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || std::fabs(v) > limit) return Bad(), 0.0f;
        return v;
    }
    // An integer field that must lie in [lo, hi].
    template <typename T>
    T Ranged(T v, long lo, long hi) {
        if (static_cast<long>(v) < lo || static_cast<long>(v) > hi) return Bad(), T{};
        return v;
    }
    uint8_t U8In(long lo, long hi) { return Ranged(U8(), lo, hi); }
    uint16_t U16In(long lo, long hi) { return Ranged(U16(), lo, hi); }
    // A bit field with no bits outside `allowed`.
    uint8_t Bits(uint8_t allowed) {
        uint8_t v = U8();
        if (v & ~allowed) return Bad(), 0;
        return v;
    }

    // Drop::Count when the packet was read whole and sound.
    Drop Result() const {
        if (drop_ != Drop::Count) return drop_;
        return pos_ == size_ ? Drop::Count : Drop::Trailing;
    }

private:
    bool Need(size_t n) {
        if (drop_ != Drop::Count) return false;
        if (size_ - pos_ < n) {
            drop_ = Drop::Short;
            return false;
        }
        return true;
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

void Put(Writer& w, const Hello& m) {
    w.U32(m.magic);
    w.U16(m.version);
}
void Put(Writer& w, const Welcome& m) {
    w.U32(m.magic);
    w.U16(m.version);
    const MatchSetup& s = m.setup;
    w.U8(s.arena);
    w.U8(s.shells);
    w.U8(s.bounces);
    w.U8(s.scoreTo);
    w.U16(s.timeLimitSeconds);
    w.U8(s.guided);
    w.U8(s.invisible);
    w.U8(s.respawn);
    w.U8(s.tankModels[0]);
    w.U8(s.tankModels[1]);
}
void Put(Writer& w, const Refuse& m) {
    w.U8(static_cast<uint8_t>(m.reason));
    w.U16(m.hostVersion);
}
void Put(Writer& w, const Input& m) {
    w.U8(static_cast<uint8_t>(m.states.size()));
    for (const InputState& s : m.states) {
        w.U32(s.sequence);
        w.U8(s.buttons);
    }
}
void Put(Writer& w, const Snapshot& m) {
    w.U32(m.sequence);
    w.U32(m.hostTimeMs);
    w.U32(m.lastInputApplied);
    w.U8(m.flags);
    w.U8(m.scheme);
    w.U8(m.scores[0]);
    w.U8(m.scores[1]);
    w.U16(m.finaleMs);
    for (const TankState& t : m.tanks) {
        w.F32(t.x);
        w.F32(t.y);
        w.F32(t.z);
        w.F32(t.rotationY);
        w.F32(t.speed);
        w.F32(t.turnSpeed);
        w.U8(t.flags);
        w.U16(t.deathMs);
    }
    w.U8(static_cast<uint8_t>(m.shells.size()));
    for (const ShellState& s : m.shells) {
        w.U8(s.owner);
        w.F32(s.x);
        w.F32(s.y);
        w.F32(s.z);
        w.F32(s.rotationY);
    }
}
void Put(Writer& w, const Event& m) {
    w.U8(static_cast<uint8_t>(m.kind));
    w.U8(m.player);
    w.U8(m.scores[0]);
    w.U8(m.scores[1]);
}
void Put(Writer& w, const Ping& m) { w.U32(m.senderTimeMs); }

Hello GetHello(Reader& r) {
    Hello m;
    m.magic = r.U32();
    m.version = r.U16();
    return m;
}
Welcome GetWelcome(Reader& r) {
    Welcome m;
    m.magic = r.U32();
    m.version = r.U16();
    MatchSetup& s = m.setup;
    s.arena = r.U8In(0, 2);
    s.shells = r.U8In(0, 1);
    s.bounces = r.U8In(1, 9);
    s.scoreTo = r.U8In(1, kMaxScore);
    s.timeLimitSeconds = r.U16In(0, kMaxTimeLimit);
    s.guided = r.U8In(0, 1);
    s.invisible = r.U8In(0, 1);
    s.respawn = r.U8In(0, 1);
    s.tankModels[0] = r.U8In(0, 1);
    s.tankModels[1] = r.U8In(0, 1);
    return m;
}
Refuse GetRefuse(Reader& r) {
    Refuse m;
    m.reason = static_cast<RefuseReason>(r.U8In(1, 3));
    m.hostVersion = r.U16();
    return m;
}
Input GetInput(Reader& r) {
    Input m;
    uint8_t count = r.U8In(1, kInputsPerPacket);
    for (uint8_t i = 0; i < count; ++i) {
        InputState s;
        s.sequence = r.U32();
        s.buttons = r.Bits(kButtonsAll);
        m.states.push_back(s);
    }
    return m;
}
Snapshot GetSnapshot(Reader& r) {
    Snapshot m;
    m.sequence = r.U32();
    m.hostTimeMs = r.U32();
    m.lastInputApplied = r.U32();
    m.flags = r.Bits(kMatchAll);
    m.scheme = r.U8In(0, kSchemes - 1);
    m.scores[0] = r.U8In(0, kMaxScore);
    m.scores[1] = r.U8In(0, kMaxScore);
    m.finaleMs = r.U16In(0, kMaxMs);
    for (TankState& t : m.tanks) {
        t.x = r.F32(kMaxCoordinate);
        t.y = r.F32(kMaxCoordinate);
        t.z = r.F32(kMaxCoordinate);
        t.rotationY = r.F32(720.0f);
        t.speed = r.F32(1.0f);
        t.turnSpeed = r.F32(90.0f);
        t.flags = r.Bits(kTankAll);
        t.deathMs = r.U16In(0, kMaxMs);
    }
    uint8_t count = r.U8In(0, kMaxShells);
    for (uint8_t i = 0; i < count; ++i) {
        ShellState s;
        s.owner = r.U8In(0, 1);
        s.x = r.F32(kMaxCoordinate);
        s.y = r.F32(kMaxCoordinate);
        s.z = r.F32(kMaxCoordinate);
        s.rotationY = r.F32(720.0f);
        m.shells.push_back(s);
    }
    return m;
}
Event GetEvent(Reader& r) {
    Event m;
    m.kind = static_cast<EventKind>(r.U8In(1, 4));
    m.player = r.U8In(0, 1);
    m.scores[0] = r.U8In(0, kMaxScore);
    m.scores[1] = r.U8In(0, kMaxScore);
    return m;
}
Ping GetPing(Reader& r) { return Ping{r.U32()}; }

template <typename M>
constexpr Type TypeOf() {
    if constexpr (std::is_same_v<M, Hello>) return Type::Hello;
    if constexpr (std::is_same_v<M, Welcome>) return Type::Welcome;
    if constexpr (std::is_same_v<M, Refuse>) return Type::Refuse;
    if constexpr (std::is_same_v<M, Input>) return Type::Input;
    if constexpr (std::is_same_v<M, Snapshot>) return Type::Snapshot;
    if constexpr (std::is_same_v<M, Event>) return Type::Event;
    if constexpr (std::is_same_v<M, Ping>) return Type::Ping;
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
    std::visit(
        [&w](const auto& m) {
            w.U8(static_cast<uint8_t>(TypeOf<std::decay_t<decltype(m)>>()));
            Put(w, m);
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
        case Type::Hello: m = GetHello(r); break;
        case Type::Welcome: m = GetWelcome(r); break;
        case Type::Refuse: m = GetRefuse(r); break;
        case Type::Input: m = GetInput(r); break;
        case Type::Snapshot: m = GetSnapshot(r); break;
        case Type::Event: m = GetEvent(r); break;
        case Type::Ping: m = GetPing(r); break;
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
