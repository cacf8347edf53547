// What the joiner draws: the other players' tanks and the shells interpolated a little
// behind the newest snapshot, its own tank predicted from its inputs and pulled smoothly
// toward the host's, and the host's scores, scheme and match switches.
#pragma once

#include <irrlicht.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "net/WireFormat.h"

class TChannel;
class TArenaWorld;

class TJoinerView {
public:
    // The tank the snapshot has of a slot, if it has one.
    static const Wire::TankState* TankOf(const Wire::Snapshot& snapshot, int slot);

    void OnSnapshot(const Wire::Snapshot& snapshot, uint32_t localMs);
    // The own tank where this frame's prediction left it, for the input state `sequence`.
    void RecordPrediction(uint32_t sequence, const irr::core::vector3df& position, float rotationY);
    // Puts the tanks and shells where they are drawn this frame, plays the shots and deaths
    // they show, and takes over the host's scores, scheme and switches. Nothing happens
    // before the first snapshot.
    void Apply(TArenaWorld& arena, uint32_t localMs);

    const Wire::Snapshot* Newest() const { return snapshots_.empty() ? nullptr : &snapshots_.back(); }
    // The host's clock time drawn now.
    uint32_t RenderTime(uint32_t localMs) const { return localMs + offsetMs_ - delayMs; }

    int own = 1;  // the joiner's slot, as the host's welcome gave it (1: player 2)
    uint32_t delayMs = 100;
    float correctionShare = 0.2f;  // of the remaining error taken each frame
    float snapDistance = 3.0f;     // farther apart than this, the own tank jumps to the host's
    std::shared_ptr<TChannel> dieChannel;  // the last death's sound

private:
    struct Prediction {
        uint32_t sequence;
        irr::core::vector3df position;
        float rotationY;
    };
    void PlaceOwnTank(TArenaWorld& arena);
    void PlaceShells(TArenaWorld& arena, const Wire::Snapshot& a, const Wire::Snapshot& b, float t);
    void PlaySounds(TArenaWorld& arena, const Wire::Snapshot& shown);

    std::deque<Wire::Snapshot> snapshots_;
    std::deque<Prediction> predictions_;
    std::optional<int32_t> offsetMsSeen_;
    uint32_t offsetMs_ = 0;  // host clock minus local clock, least transit seen
    bool newSnapshot_ = false;
    bool schemeTaken_ = false;
    irr::core::vector3df correction_;
    float rotationCorrection_ = 0;
    std::array<bool, Wire::kMaxTanks> shellHeard_{}, deathHeard_{};  // by slot, as of the last frame
};
