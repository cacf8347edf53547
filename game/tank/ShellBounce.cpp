// A bouncing shell's flight through one frame: the whole step swept against the walls,
// mirrored at each wall while bounces are left, so that no step however long passes
// through a wall or a corner; its flight time starts again at every bounce.
#include <algorithm>
#include <array>

#include "framework/Clock.h"
#include "game/world/ArenaWorld.h"
#include "game/tank/Tank.h"
#include "game/tank/TankShell.h"
#include "game/tank/WallSweep.h"

using irr::core::matrix4;
using irr::core::vector3df;

namespace {

// More walls than this in one frame only happen wedged in a corner; the rest waits a frame.
constexpr int kMaxPieces = 6;

struct Piece {
    vector3df from, to;
    int bouncesBefore;
};

}  // namespace

int TTankShell::FlyBouncing(TArenaWorld& arena, TNodeGameObject& world, int maxBounces, int boxMode)
{
    irr::scene::ITriangleSelector* walls = world._node ? world._node->getTriangleSelector() : nullptr;
    if (world._node) world._node->updateAbsolutePosition();
    auto* flight = dynamic_cast<TankShellAnimator*>(GetAnimator("shell_anim").get());
    // The frame the shell's heading lives in: the scene's, or the tank's a guided shell rides with.
    irr::scene::ISceneNode* parent = _node->getParent();
    const matrix4 toWorld = parent ? parent->getAbsoluteTransformation() : matrix4();
    matrix4 toLocal;
    toWorld.getInverse(toLocal);
    const irr::core::vector3df extent = _node->getBoundingBox().getExtent();
    const float radius = std::max({extent.X, extent.Y, extent.Z}) / 2.0f;

    const vector3df start = GetLastGlobalPosition();
    vector3df from = start;
    vector3df motion = GetGlobalPosition() - from;
    std::array<Piece, kMaxPieces> pieces;
    int count = 0;
    bool endsAtWall = false;
    while (count < kMaxPieces && motion.getLengthSQ() > 0.0f) {
        const std::optional<TWallHit> hit = FirstWallHit(walls, from, motion, radius);
        if (!hit) {
            pieces[count++] = {from, from + motion, bounces};
            from += motion;
            break;
        }
        const vector3df touch = from + motion * hit->fraction;
        pieces[count++] = {from, touch, bounces};
        if (bounces >= maxBounces || !flight) {
            endsAtWall = true;
            break;
        }
        ++bounces;
        // Mirrored where the heading lives; the same mirror as in the world, the frames
        // differing only by a turn and a shift.
        vector3df rest = motion * (1.0f - hit->fraction);
        toLocal.rotateVect(rest);
        irr::core::triangle3df wall = hit->triangle;
        for (vector3df* corner : {&wall.pointA, &wall.pointB, &wall.pointC}) toLocal.transformVect(*corner);
        flight->Reflect(this, wall, rest);
        flight->start = static_cast<int>(GameClock::Milliseconds());
        toWorld.rotateVect(rest);
        from = touch;
        motion = rest;
    }

    auto placeAt = [&](const vector3df& point) {
        vector3df local = point;
        toLocal.transformVect(local);
        _node->setPosition(local);
        _node->updateAbsolutePosition();
    };
    // The tanks along each straight piece; the piece that ends at the last wall is not
    // tested, the wall coming first as for a straight shell. From its first bounce on a
    // shell can hit its own tank.
    for (int i = 0; i < count - (endsAtWall ? 1 : 0); ++i) {
        const Piece& piece = pieces[i];
        placeAt(piece.to);
        lastGlobalPosition = piece.from;
        const bool ownTankToo = piece.bouncesBefore > 0;
        if (TestTanks(arena, ownTankToo, boxMode)) return 0;
    }
    lastGlobalPosition = start;
    placeAt(count > 0 ? pieces[count - 1].to : from);
    if (endsAtWall) arena.QueueGameObjectForDeletion(obj_key);
    return 0;
}
