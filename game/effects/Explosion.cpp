#include "game/effects/Explosion.h"

#include "game/effects/GlowSprite.h"

namespace {

// Ends the emission of a particle system a while after its first frame.
class TStopEmitting : public irr::scene::ISceneNodeAnimator {
public:
    explicit TStopEmitting(irr::u32 afterMs) : afterMs_(afterMs) {}
    void animateNode(irr::scene::ISceneNode* node, irr::u32 timeMs) override
    {
        if (start_ == 0) start_ = timeMs;
        // The system emits from its second frame on: however slow the frames, it gets two.
        if (++frames_ > 3 && timeMs - start_ >= afterMs_ && node->getType() == irr::scene::ESNT_PARTICLE_SYSTEM)
            static_cast<irr::scene::IParticleSystemSceneNode*>(node)->setEmitter(nullptr);
    }
    irr::scene::ISceneNodeAnimator* createClone(irr::scene::ISceneNode*, irr::scene::ISceneManager*) override
    {
        return new TStopEmitting(afterMs_);
    }

private:
    irr::u32 afterMs_;
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

    auto* stop = new TStopEmitting(kEmitMs);
    burst->addAnimator(stop);
    stop->drop();
    irr::scene::ISceneNodeAnimator* remove = smgr->createDeleteAnimator(kLifeMs);
    burst->addAnimator(remove);
    remove->drop();
    return burst;
}

}  // namespace Explosion
