#include "game/effects/Explosion.h"

#include "framework/Clock.h"
#include "game/effects/GlowSprite.h"

using namespace Explosion;

namespace {

// Ends the emission of a particle system a while after its first frame, and the system
// itself a while later, by the game's clock (the particles themselves move by the engine's).
class TBurstLife : public irr::scene::ISceneNodeAnimator {
public:
    void animateNode(irr::scene::ISceneNode* node, irr::u32) override
    {
        const irr::u32 now = GameClock::Milliseconds();
        if (frames_++ == 0) start_ = now;
        // The system emits from its second frame on: however slow the frames, it gets two.
        if (frames_ > 3 && now - start_ >= kEmitMs && node->getType() == irr::scene::ESNT_PARTICLE_SYSTEM)
            static_cast<irr::scene::IParticleSystemSceneNode*>(node)->setEmitter(nullptr);
        if (now - start_ >= kLifeMs) node->getSceneManager()->addToDeletionQueue(node);
    }
    irr::scene::ISceneNodeAnimator* createClone(irr::scene::ISceneNode*, irr::scene::ISceneManager*) override
    {
        return new TBurstLife();
    }

private:
    irr::u32 start_ = 0;
    int frames_ = 0;
};

irr::video::SColor Lighter(irr::video::SColor color, float t)
{
    return irr::video::SColor(255, 255, 255, 255).getInterpolated(color, t);
}

}  // namespace

namespace Explosion {

irr::scene::IParticleSystemSceneNode* Start(irr::scene::ISceneManager* smgr, const irr::core::vector3df& where,
                                            irr::video::SColor color)
{
    irr::scene::IParticleSystemSceneNode* burst = smgr->addParticleSystemSceneNode(false, nullptr, -1, where);
    // In all directions at about 5 units a second, from the tank's color to a paler tone of it.
    irr::scene::IParticleEmitter* emitter = burst->createSphereEmitter(
        irr::core::vector3df(0, 0, 0), 0.25f, irr::core::vector3df(0, 0.005f, 0), 500, 700, color,
        Lighter(color, 0.45f), 400, 800, 180, irr::core::dimension2df(0.3f, 0.3f),
        irr::core::dimension2df(0.6f, 0.6f));
    burst->setEmitter(emitter);
    emitter->drop();
    irr::scene::IParticleAffector* fade = burst->createFadeOutParticleAffector(irr::video::SColor(0, color.getRed(), color.getGreen(), color.getBlue()), 350);
    burst->addAffector(fade);
    fade->drop();
    burst->getMaterial(0) = EffectMaterial();

    auto* life = new TBurstLife();
    burst->addAnimator(life);
    life->drop();
    return burst;
}

}  // namespace Explosion
