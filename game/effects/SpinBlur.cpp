#include "game/effects/SpinBlur.h"

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "game/tank/Tank.h"
#include "game/tank/TankDieAnimator.h"
#include "game/effects/GlowSprite.h"

void TSpinBlur::Follow(irr::scene::ISceneManager* smgr, const std::shared_ptr<TTank>& tank)
{
    const std::weak_ptr<TTank> followed = tank;
    irr::scene::ISceneNode* node = tank->_node;
    TSpin spin;
    spin.sweptDegrees = [followed] {
        auto tank = followed.lock();
        auto die = tank ? std::dynamic_pointer_cast<TankDieAnimator>(tank->GetAnimator("die_anim")) : nullptr;
        return die ? die->speed * TGame::Framerate->speedfactor : 0.0f;
    };
    // The death is over, or the tank was replaced.
    spin.over = [followed, node] {
        auto tank = followed.lock();
        return !tank || tank->_node != node || !tank->GetAnimator("die_anim");
    };
    (new TSpinBlur(smgr, node, tank->color, std::move(spin)))->drop();
}

TSpinBlur::TSpinBlur(irr::scene::ISceneManager* smgr, irr::scene::ISceneNode* node, irr::video::SColor color,
                     TSpin spin)
    : irr::scene::ISceneNode(smgr->getRootSceneNode(), smgr, -1),
      spin_(std::move(spin)),
      tankNode_(node),
      material_(EffectMaterial())
{
    setAutomaticCulling(irr::scene::EAC_OFF);
    box_.reset(0, 0, 0);
    tankNode_->grab();
    if (tankNode_->getType() == irr::scene::ESNT_MESH) {
        irr::scene::IMeshManipulator* manipulator = smgr->getMeshManipulator();
        ghost_ = manipulator->createMeshCopy(static_cast<irr::scene::IMeshSceneNode*>(tankNode_)->getMesh());
        manipulator->setVertexColors(ghost_, color);
        manipulator->setVertexColorAlpha(ghost_, kAlpha);
    }
}

TSpinBlur::~TSpinBlur()
{
    if (ghost_) ghost_->drop();
    tankNode_->drop();
}

void TSpinBlur::OnAnimate(irr::u32 timeMs)
{
    // The spin is over, or its node left the scene: nothing more to draw.
    if (spin_.over() || !tankNode_->getParent()) SceneManager->addToDeletionQueue(this);
    ISceneNode::OnAnimate(timeMs);
}

void TSpinBlur::OnRegisterSceneNode()
{
    if (IsVisible && EffectShown(TEffect::SpinBlur)) SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_TRANSPARENT);
    ISceneNode::OnRegisterSceneNode();
}

void TSpinBlur::render()
{
    irr::video::IVideoDriver* driver = SceneManager->getVideoDriver();
    // An invisible tank (drawn through the alpha material) leaves no blur either.
    if (!driver || !ghost_ || tankNode_->getMaterialCount() == 0 ||
        tankNode_->getMaterial(0).MaterialType != irr::video::EMT_SOLID)
        return;
    const float swept = spin_.sweptDegrees();
    const irr::core::matrix4& pose = tankNode_->getAbsoluteTransformation();
    driver->setMaterial(material_);
    for (int k = 1; k <= kGhosts; ++k) {
        irr::core::matrix4 back;
        back.setRotationDegrees(irr::core::vector3df(0, -swept * k / (kGhosts + 1), 0));
        driver->setTransform(irr::video::ETS_WORLD, pose * back);
        for (irr::u32 b = 0; b < ghost_->getMeshBufferCount(); ++b) driver->drawMeshBuffer(ghost_->getMeshBuffer(b));
    }
}
