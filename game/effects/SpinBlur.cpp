#include "game/effects/SpinBlur.h"

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "game/tank/Tank.h"
#include "game/tank/TankDieAnimator.h"
#include "game/effects/GlowSprite.h"

TSpinBlur::TSpinBlur(irr::scene::ISceneManager* smgr, const std::shared_ptr<TTank>& tank)
    : irr::scene::ISceneNode(smgr->getRootSceneNode(), smgr, -1),
      tank_(tank),
      tankNode_(tank->_node),
      material_(EffectMaterial())
{
    setAutomaticCulling(irr::scene::EAC_OFF);
    box_.reset(0, 0, 0);
    tankNode_->grab();
    if (tankNode_->getType() == irr::scene::ESNT_MESH) {
        irr::scene::IMeshManipulator* manipulator = smgr->getMeshManipulator();
        ghost_ = manipulator->createMeshCopy(static_cast<irr::scene::IMeshSceneNode*>(tankNode_)->getMesh());
        manipulator->setVertexColors(ghost_, tank->color);
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
    auto tank = tank_.lock();
    // The death is over, or the tank was replaced: nothing more to draw.
    if (!tank || tank->_node != tankNode_ || !tank->GetAnimator("die_anim") || !tankNode_->getParent())
        SceneManager->addToDeletionQueue(this);
    ISceneNode::OnAnimate(timeMs);
}

void TSpinBlur::OnRegisterSceneNode()
{
    if (IsVisible && EffectShown(TEffect::SpinBlur)) SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_TRANSPARENT);
    ISceneNode::OnRegisterSceneNode();
}

float TSpinBlur::SweptDegrees() const
{
    auto tank = tank_.lock();
    auto die = tank ? std::dynamic_pointer_cast<TankDieAnimator>(tank->GetAnimator("die_anim")) : nullptr;
    return die ? die->speed * TGame::Framerate->speedfactor : 0.0f;
}

void TSpinBlur::render()
{
    irr::video::IVideoDriver* driver = SceneManager->getVideoDriver();
    // An invisible tank (drawn through the alpha material) leaves no blur either.
    if (!driver || !ghost_ || tankNode_->getMaterialCount() == 0 ||
        tankNode_->getMaterial(0).MaterialType != irr::video::EMT_SOLID)
        return;
    const float swept = SweptDegrees();
    const irr::core::matrix4& pose = tankNode_->getAbsoluteTransformation();
    driver->setMaterial(material_);
    for (int k = 1; k <= kGhosts; ++k) {
        irr::core::matrix4 back;
        back.setRotationDegrees(irr::core::vector3df(0, -swept * k / (kGhosts + 1), 0));
        driver->setTransform(irr::video::ETS_WORLD, pose * back);
        for (irr::u32 b = 0; b < ghost_->getMeshBufferCount(); ++b) driver->drawMeshBuffer(ghost_->getMeshBuffer(b));
    }
}
