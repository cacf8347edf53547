// Every field of every message at the edges of its documented range, written byte by byte
// from the layout in net/WireFormat.h's comment (not from the codec's own field lists): the
// last value inside each limit is accepted and the first one outside is dropped, at both
// ends of every range, in every message the host or the joiner receives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "net/WireCodec.h"

namespace {

// i: integer in [lo, hi]; f: finite float within +-hi; b: bit field, no bits outside hi;
// s: a signed byte of -127..127 (-128 refused); n: any value; c: a count the layout fixes at lo.
struct Field {
    const char* name;
    char kind;
    int bytes;
    double lo, hi;
};
struct List {
    double lo, hi;
    std::vector<Field> item;
};
struct Layout {
    uint8_t type;
    const char* name;
    std::vector<Field> head;
    List list;  // lo = hi = -1: none
};

// A tank of a snapshot whose slot lies in [lo, hi]: the tanks come in rising slot order, so
// with the first at slot 0 the second's lowest is 1.
std::vector<Field> Tank(double slotLo, double slotHi)
{
    return {{"slot", 'i', 1, slotLo, slotHi}, {"x", 'f', 4, 0, 10000},    {"y", 'f', 4, 0, 10000},
            {"z", 'f', 4, 0, 10000},          {"rotationY", 'n', 2, 0, 0}, {"speed", 's', 1, 0, 0},
            {"turnSpeed", 's', 1, 0, 0},      {"flags", 'b', 1, 0, 31},    {"deathMs", 'i', 2, 0, 60000},
            {"score", 'i', 1, 0, 99},         {"hits", 'i', 1, 0, 99}};
}

std::vector<Layout> Layouts()
{
    const List none{-1, -1, {}};
    std::vector<Field> snapshot = {{"sequence", 'n', 4, 0, 0},    {"hostTimeMs", 'n', 4, 0, 0},
                                   {"lastInput", 'n', 4, 0, 0},   {"flags", 'b', 1, 0, 31},
                                   {"winner", 'i', 1, 0, 4},      {"scheme", 'i', 1, 0, 12},
                                   {"finaleMs", 'i', 2, 0, 60000}, {"clockMsLeft", 'i', 4, 0, 3600000},
                                   {"tankCount", 'c', 1, 2, 2}};
    for (const auto& tank : {Tank(0, 0), Tank(1, 3)}) snapshot.insert(snapshot.end(), tank.begin(), tank.end());
    return {
        {1, "Hello", {{"magic", 'n', 4, 0, 0}, {"version", 'n', 2, 0, 0}}, none},
        {2, "Welcome",
         // Every player plays (bits 0 to 3): the joiner's slot may be any of 1 to 3.
         {{"magic", 'n', 4, 0, 0}, {"version", 'n', 2, 0, 0}, {"slot", 'i', 1, 1, 3}, {"arena", 'i', 1, 0, 2},
          {"shells", 'i', 1, 0, 1}, {"bounces", 'i', 1, 1, 9}, {"scoreTo", 'i', 1, 1, 99},
          {"timeLimit", 'i', 2, 0, 3600}, {"guided", 'i', 1, 0, 1}, {"invisible", 'i', 1, 0, 1},
          {"respawn", 'i', 1, 0, 1}, {"playing", 'i', 1, 15, 15}, {"mode", 'i', 1, 0, 1},
          {"friendlyFire", 'i', 1, 0, 1}, {"model1", 'i', 1, 0, 1}, {"model2", 'i', 1, 0, 1},
          {"model3", 'i', 1, 0, 1}, {"model4", 'i', 1, 0, 1}},
         none},
        {3, "Refuse", {{"reason", 'i', 1, 1, 3}, {"hostVersion", 'n', 2, 0, 0}}, none},
        {4, "Input", {}, {1, 4, {{"sequence", 'n', 4, 0, 0}, {"buttons", 'b', 1, 0, 15}}}},
        {5, "Snapshot", snapshot,
         // A shell's owner is one of the tanks: players 1 and 2 here.
         {0, 8, {{"owner", 'i', 1, 0, 1}, {"x", 'f', 4, 0, 10000}, {"y", 'f', 4, 0, 10000}, {"z", 'f', 4, 0, 10000},
                 {"rotationY", 'n', 2, 0, 0}}}},
        // A hit (the lowest kind) names one of the four players; only a match end goes to 4.
        {6, "Event",
         {{"kind", 'i', 1, 1, 4}, {"player", 'i', 1, 0, 3}, {"score1", 'i', 1, 0, 99}, {"hits1", 'i', 1, 0, 99},
          {"score2", 'i', 1, 0, 99}, {"hits2", 'i', 1, 0, 99}, {"score3", 'i', 1, 0, 99}, {"hits3", 'i', 1, 0, 99},
          {"score4", 'i', 1, 0, 99}, {"hits4", 'i', 1, 0, 99}},
         none},
        {7, "Ping", {{"senderTimeMs", 'n', 4, 0, 0}}, none},
    };
}

// A field's value: an integer, or a float's bits.
struct Value {
    double number = 0;
    bool isFloat = false;
};

void Put(std::vector<uint8_t>& out, const Field& f, Value v)
{
    uint32_t raw;
    if (f.kind == 'f') {
        const float x = static_cast<float>(v.number);
        std::memcpy(&raw, &x, 4);
    } else {
        raw = static_cast<uint32_t>(v.number);
    }
    for (int i = f.bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(raw >> (8 * i)));  // big-endian
}

Value Low(const Field& f) { return {f.kind == 'i' || f.kind == 'c' ? f.lo : 0.0}; }

// The message with every field at its lowest, `count` list items, and one field (by index
// into head then the first item) set to `v`.
std::vector<uint8_t> Packet(const Layout& m, int count, int changed = -1, Value v = {})
{
    std::vector<uint8_t> out{m.type};
    int index = 0;
    for (const Field& f : m.head) Put(out, f, index++ == changed ? v : Low(f));
    if (m.list.lo < 0) return out;
    out.push_back(static_cast<uint8_t>(count));
    for (int item = 0; item < count; ++item)
        for (const Field& f : m.list.item) Put(out, f, item == 0 && index++ == changed ? v : Low(f));
    return out;
}

bool Accepted(const std::vector<uint8_t>& bytes) { return Wire::Decode(bytes.data(), bytes.size()).message.has_value(); }

}  // namespace

TEST(WireLimits, EveryFieldAcceptsTheEdgesOfItsRangeAndDropsTheFirstValueOutside)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (const Layout& m : Layouts()) {
        std::vector<const Field*> fields;
        for (const Field& f : m.head) fields.push_back(&f);
        for (const Field& f : m.list.item) fields.push_back(&f);
        const int count = m.list.lo < 0 ? 0 : 1;
        ASSERT_TRUE(Accepted(Packet(m, count))) << m.name << " with every field at its lowest";
        for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
            const Field& f = *fields[i];
            SCOPED_TRACE(std::string(m.name) + "." + f.name);
            const double top = std::ldexp(1.0, 8 * f.bytes) - 1;
            std::vector<double> inside, outside;
            if (f.kind == 'i') {
                inside = {f.lo, f.hi};
                if (f.lo > 0) outside.push_back(f.lo - 1);
                if (f.hi < top) outside.push_back(f.hi + 1);
            } else if (f.kind == 'f') {
                const double past = std::nextafter(static_cast<float>(f.hi), std::numeric_limits<float>::infinity());
                inside = {f.hi, -f.hi};
                outside = {past, -past, nan, inf, -inf};
            } else if (f.kind == 'b') {
                inside = {f.hi};
                outside = {f.hi + 1, 128};
            } else if (f.kind == 's') {
                inside = {0x7F, 0x81};  // 127 and -127
                outside = {0x80};
            } else if (f.kind == 'c') {
                continue;
            } else {
                inside = {0, top};
            }
            for (double v : inside) {
                EXPECT_TRUE(Accepted(Packet(m, count, i, {v}))) << v << " refused";
            }
            for (double v : outside) {
                EXPECT_FALSE(Accepted(Packet(m, count, i, {v}))) << v << " accepted";
            }
        }
        if (m.list.lo < 0) continue;
        SCOPED_TRACE(std::string(m.name) + " list");
        EXPECT_TRUE(Accepted(Packet(m, static_cast<int>(m.list.lo))));
        EXPECT_TRUE(Accepted(Packet(m, static_cast<int>(m.list.hi))));
        if (m.list.lo > 0) {
            EXPECT_FALSE(Accepted(Packet(m, static_cast<int>(m.list.lo) - 1)));
        }
        EXPECT_FALSE(Accepted(Packet(m, static_cast<int>(m.list.hi) + 1)));
    }
}
