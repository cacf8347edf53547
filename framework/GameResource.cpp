#include "framework/GameResource.h"

#include <fstream>
#include <iterator>

#include "sound/Sound.h"

namespace {

// Wraps an engine object the engine's cache owns: no release when the resource goes.
std::shared_ptr<void> EngineOwned(void* object)
{
    return object ? std::shared_ptr<void>(object, [](void*) {}) : nullptr;
}

}  // namespace

int TGameResource::FreeResouce()
{
    res.reset();
    return 0;
}

std::shared_ptr<TFontResource> TFontResource::Create(irr::gui::IGUIEnvironment* guienv, const std::string& file,
                                                     int pt, int is_bold)
{
    auto resource = std::make_shared<TFontResource>();
    resource->Load(guienv, file, pt, is_bold);
    return resource;
}

bool TFontResource::IsWholeFontFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t end = text.find_last_not_of(" \t\r\n");
    const std::string closing = "</font>";
    return end != std::string::npos && end + 1 >= closing.size() &&
           text.compare(end + 1 - closing.size(), closing.size(), closing) == 0;
}

int TFontResource::Load(irr::gui::IGUIEnvironment* guienv, const std::string& file_, int pt_, int is_bold_)
{
    res = EngineOwned(guienv && IsWholeFontFile(file_) ? guienv->getFont(file_.c_str()) : nullptr);
    file = file_;
    pt = pt_;
    is_bold = is_bold_;
    return 0;
}

irr::gui::IGUIFont* TFontResource::GetResource()
{
    return static_cast<irr::gui::IGUIFont*>(res.get());
}

std::shared_ptr<TColorResource> TColorResource::Create(int alpha, int red, int green, int blue)
{
    auto resource = std::make_shared<TColorResource>();
    resource->Load(alpha, red, green, blue);
    return resource;
}

std::shared_ptr<TColorResource> TColorResource::CreateFromColor(std::shared_ptr<irr::video::SColor> color)
{
    auto resource = std::make_shared<TColorResource>();
    resource->res = std::move(color);
    return resource;
}

int TColorResource::Load(int alpha, int red, int green, int blue)
{
    res = std::make_shared<irr::video::SColor>(alpha, red, green, blue);
    return 0;
}

std::shared_ptr<irr::video::SColor> TColorResource::GetResource()
{
    return std::static_pointer_cast<irr::video::SColor>(res);
}

std::shared_ptr<TSoundResource> TSoundResource::Create(const std::string& file, int flags, int cue)
{
    auto resource = std::make_shared<TSoundResource>();
    if (!resource->Load(file, flags)) return nullptr;
    if (cue) resource->channel = resource->GetResource()->Cue(nullptr);
    return resource;
}

int TSoundResource::Load(const std::string& file_, int flags)
{
    std::shared_ptr<TSound> sound = TSound::Load(file_, flags);
    res = sound;
    file = file_;
    return sound ? 1 : 0;
}

std::shared_ptr<TSound> TSoundResource::GetResource()
{
    return std::static_pointer_cast<TSound>(res);
}

int TSoundResource::Play()
{
    if (auto sound = GetResource()) {
        std::shared_ptr<TChannel> played = sound->Play(channel);
        // A cued channel that lost its voice is taken over by the new one.
        if (channel && played) channel = played;
    }
    return 0;
}

std::shared_ptr<TMeshResource> TMeshResource::Create(irr::scene::ISceneManager* smgr, const std::string& file)
{
    auto resource = std::make_shared<TMeshResource>();
    if (!resource->Load(smgr, file)) return nullptr;
    return resource;
}

int TMeshResource::Load(irr::scene::ISceneManager* smgr, const std::string& file_)
{
    res = EngineOwned(smgr ? smgr->getMesh(file_.c_str()) : nullptr);
    file = file_;
    return res ? 1 : 0;
}

irr::scene::IAnimatedMesh* TMeshResource::GetResource()
{
    return static_cast<irr::scene::IAnimatedMesh*>(res.get());
}
