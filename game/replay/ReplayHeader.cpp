#include "game/replay/ReplayHeader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/replay/ReplayBytes.h"

namespace replay {

namespace {

// Magic, format version and body length come before the body; its checksum after it.
constexpr size_t kPreambleBytes = 4 + 2 + 4;
constexpr uint8_t kGuidedFlag = 1;
constexpr uint8_t kInvisibleFlag = 2;
// The sides block that may end the body: tag, mode, friendly fire, each tank's slot.
constexpr uint8_t kSidesTag = 'S';

// The tanks' slots, the mode and friendly fire are what a body without a sides block means.
bool DefaultSides(const TReplayHeader& h)
{
    for (size_t i = 0; i < h.tanks.size(); ++i)
        if (h.SlotOfTank(i) != static_cast<int>(i)) return false;
    return h.mode == TSidesMode::FreeForAll && !h.friendlyFire;
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsFloat(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Every field of the body is checked against the values the game can record.
std::string DecodeBody(TByteReader& in, TReplayHeader& header)
{
    header.gameVersion = in.Text(in.U8());
    header.dateUnixSeconds = static_cast<int64_t>(in.U64());

    const uint8_t arenaKind = in.U8();
    if (arenaKind > static_cast<uint8_t>(TArenaKind::Maze)) return "has an unknown kind of arena";
    header.arena.kind = static_cast<TArenaKind>(arenaKind);
    header.arena.builtInId = in.U8();
    if (header.arena.builtInId > 2) return "names an arena this game does not have";
    header.arena.mazeSeed = in.U32();
    const uint32_t customBytes = in.U32();
    if (customBytes > kMaxCustomArenaBytes) return "claims a custom arena of " + std::to_string(customBytes) + " bytes";
    header.arena.customText = in.Text(customBytes);

    const uint8_t shells = in.U8();
    if (shells > static_cast<uint8_t>(TShellKind::Bouncing)) return "has an unknown kind of shell";
    header.variations.shells = static_cast<TShellKind>(shells);
    header.variations.bounces = in.U8();
    header.variations.scoreTo = in.U16();
    header.variations.timeLimitSeconds = in.U16();
    const uint8_t flags = in.U8();
    if (flags & ~(kGuidedFlag | kInvisibleFlag)) return "has unknown match variations";
    header.variations.guided = (flags & kGuidedFlag) != 0;
    header.variations.invisible = (flags & kInvisibleFlag) != 0;
    const uint8_t respawn = in.U8();
    if (respawn > static_cast<uint8_t>(TRespawnRule::Safe)) return "has an unknown respawn rule";
    header.variations.respawn = static_cast<TRespawnRule>(respawn);

    const uint8_t tanks = in.U8();
    if (in.Failed()) return "";  // reported as a short header by the caller
    if (tanks < 1 || tanks > kMaxTanks) return "has " + std::to_string(tanks) + " tanks (1 to 4 are possible)";
    header.tanks.assign(tanks, TTankSetup{});
    for (TTankSetup& tank : header.tanks) {
        const uint8_t driver = in.U8();
        if (driver > static_cast<uint8_t>(TDriverKind::Network)) return "has a tank with an unknown driver";
        tank.driver = static_cast<TDriverKind>(driver);
        tank.detail = in.U8();
        if (tank.driver == TDriverKind::Computer && tank.detail > 2) return "has a computer player of unknown skill";
        tank.model = in.U8();
        if (tank.model > 1) return "has an unknown tank model";
        tank.seed = in.U32();
    }

    header.colorScheme = in.U8();
    header.targetFps = BitsFloat(in.U32());
    if (!std::isfinite(header.targetFps) || header.targetFps <= 0.0f || header.targetFps > 10000.0f)
        return "has an impossible game speed";
    header.gameSeed = in.U32();
    const uint8_t extra = in.U8();
    if (extra > kMaxExtraSeeds) return "claims " + std::to_string(extra) + " seeds";
    header.extraSeeds.clear();
    for (uint8_t i = 0; i < extra && !in.Failed(); ++i) header.extraSeeds.push_back(in.U32());

    header.mode = TSidesMode::FreeForAll;
    header.friendlyFire = false;
    header.slots.clear();
    if (in.Failed() || in.Remaining() == 0) return "";
    if (in.U8() != kSidesTag) return "has a header longer than its fields";
    const uint8_t mode = in.U8();
    if (mode > static_cast<uint8_t>(TSidesMode::Teams)) return "has an unknown match mode";
    header.mode = static_cast<TSidesMode>(mode);
    const uint8_t friendlyFire = in.U8();
    if (friendlyFire > 1) return "has an unknown friendly fire setting";
    header.friendlyFire = friendlyFire != 0;
    int last = -1;
    for (size_t i = 0; i < header.tanks.size() && !in.Failed(); ++i) {
        const uint8_t slot = in.U8();
        if (in.Failed()) break;  // reported as a short header by the caller
        if (slot >= kMaxTanks || slot <= last) return "has tanks in impossible player slots";
        header.slots.push_back(slot);
        last = slot;
    }
    return "";
}

}  // namespace

bool TReplayHeader::operator==(const TReplayHeader& o) const
{
    auto tankEqual = [](const TTankSetup& a, const TTankSetup& b) {
        return a.driver == b.driver && a.detail == b.detail && a.model == b.model && a.seed == b.seed;
    };
    if (tanks.size() != o.tanks.size()) return false;
    for (size_t i = 0; i < tanks.size(); ++i)
        if (!tankEqual(tanks[i], o.tanks[i]) || SlotOfTank(i) != o.SlotOfTank(i)) return false;
    const TVariations& v = variations;
    const TVariations& w = o.variations;
    return gameVersion == o.gameVersion && dateUnixSeconds == o.dateUnixSeconds && arena.kind == o.arena.kind &&
           arena.builtInId == o.arena.builtInId && arena.mazeSeed == o.arena.mazeSeed &&
           arena.customText == o.arena.customText && v.shells == w.shells && v.bounces == w.bounces &&
           v.scoreTo == w.scoreTo && v.timeLimitSeconds == w.timeLimitSeconds && v.guided == w.guided &&
           v.invisible == w.invisible && v.respawn == w.respawn && colorScheme == o.colorScheme &&
           FloatBits(targetFps) == FloatBits(o.targetFps) && gameSeed == o.gameSeed && extraSeeds == o.extraSeeds &&
           mode == o.mode && friendlyFire == o.friendlyFire;
}

std::vector<uint8_t> EncodeHeader(const TReplayHeader& h)
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    PutU16(out, kFormatVersion);
    PutU32(out, 0);  // the body's length, filled in below
    const size_t bodyStart = out.size();

    const std::string version = h.gameVersion.substr(0, kMaxTextBytes);
    PutU8(out, static_cast<uint8_t>(version.size()));
    out.insert(out.end(), version.begin(), version.end());
    PutU64(out, static_cast<uint64_t>(h.dateUnixSeconds));

    PutU8(out, static_cast<uint8_t>(h.arena.kind));
    PutU8(out, h.arena.builtInId);
    PutU32(out, h.arena.mazeSeed);
    const std::string custom = h.arena.customText.substr(0, kMaxCustomArenaBytes);
    PutU32(out, static_cast<uint32_t>(custom.size()));
    out.insert(out.end(), custom.begin(), custom.end());

    PutU8(out, static_cast<uint8_t>(h.variations.shells));
    PutU8(out, h.variations.bounces);
    PutU16(out, h.variations.scoreTo);
    PutU16(out, h.variations.timeLimitSeconds);
    PutU8(out, static_cast<uint8_t>((h.variations.guided ? kGuidedFlag : 0) |
                                    (h.variations.invisible ? kInvisibleFlag : 0)));
    PutU8(out, static_cast<uint8_t>(h.variations.respawn));

    const size_t tanks = std::min(h.tanks.size(), kMaxTanks);
    PutU8(out, static_cast<uint8_t>(tanks));
    for (size_t i = 0; i < tanks; ++i) {
        PutU8(out, static_cast<uint8_t>(h.tanks[i].driver));
        PutU8(out, h.tanks[i].detail);
        PutU8(out, h.tanks[i].model);
        PutU32(out, h.tanks[i].seed);
    }

    PutU8(out, h.colorScheme);
    PutU32(out, FloatBits(h.targetFps));
    PutU32(out, h.gameSeed);
    const size_t extra = std::min(h.extraSeeds.size(), kMaxExtraSeeds);
    PutU8(out, static_cast<uint8_t>(extra));
    for (size_t i = 0; i < extra; ++i) PutU32(out, h.extraSeeds[i]);
    if (!DefaultSides(h)) {
        PutU8(out, kSidesTag);
        PutU8(out, static_cast<uint8_t>(h.mode));
        PutU8(out, h.friendlyFire ? 1 : 0);
        for (size_t i = 0; i < tanks; ++i) PutU8(out, static_cast<uint8_t>(h.SlotOfTank(i)));
    }

    PutU32At(out, bodyStart - 4, static_cast<uint32_t>(out.size() - bodyStart));
    PutU32(out, Crc32(out.data() + bodyStart, out.size() - bodyStart));
    return out;
}

std::string DecodeHeader(const uint8_t* data, size_t size, TReplayHeader& header, size_t& used)
{
    if (size < 4 || std::memcmp(data, kMagic, 4) != 0) return "is not a replay file";
    TByteReader in(data, size);
    in.Text(4);
    const uint16_t version = in.U16();
    const uint32_t bodyBytes = in.U32();
    if (in.Failed()) return "is cut off in its header";
    if (version != kFormatVersion)
        return "was recorded in replay format " + std::to_string(version) + " (this game plays format " +
               std::to_string(kFormatVersion) + ")";
    if (bodyBytes > kMaxHeaderBytes) return "claims a header of " + std::to_string(bodyBytes) + " bytes";
    if (size - kPreambleBytes < bodyBytes + 4u) return "is cut off in its header";
    const uint8_t* body = data + kPreambleBytes;
    TByteReader check(body + bodyBytes, 4);
    if (check.U32() != Crc32(body, bodyBytes)) return "has a damaged header (its checksum does not match)";

    TByteReader fields(body, bodyBytes);
    const std::string problem = DecodeBody(fields, header);
    if (!problem.empty()) return problem;
    if (fields.Failed()) return "has a header shorter than its fields";
    if (fields.Remaining() != 0) return "has a header longer than its fields";
    used = kPreambleBytes + bodyBytes + 4;
    return "";
}

}  // namespace replay
