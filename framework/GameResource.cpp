#include "framework/GameResource.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "framework/Mesh3dsCheck.h"
#include "base/RegularFile.h"
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
    return Problem(file).empty();
}

std::string TFontResource::Problem(const std::string& file)
{
    const std::string notRegular = RegularFileProblem(file);
    if (!notRegular.empty()) return "the file " + notRegular;
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (!error && bytes > kMaxFontBytes)
        return "the file is " + std::to_string(bytes) + " bytes, more than the 4 MiB a font may have";
    std::ifstream in(file, std::ios::binary);
    if (!in) return "the file cannot be opened";
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t end = text.find_last_not_of(" \t\r\n");
    const std::string closing = "</font>";
    if (end == std::string::npos || end + 1 < closing.size() ||
        text.compare(end + 1 - closing.size(), closing.size(), closing) != 0)
        return "the file is cut short";
    // The engine opens each texture the file names, relative to the file's folder, and an
    // absolute name as it stands too: a FIFO at either would block it.
    const size_t slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : file.substr(0, slash + 1);
    const std::string attribute = "filename=\"";
    for (size_t at = text.find(attribute); at != std::string::npos; at = text.find(attribute, at + 1)) {
        const size_t from = at + attribute.size();
        const size_t to = text.find('"', from);
        if (to == std::string::npos) return "the file is cut short";
        const std::string name = text.substr(from, to - from);
        for (const std::string& texture : {folder + name, name}) {
            if (texture == name && (name.empty() || name[0] != '/')) continue;
            // A missing texture the engine reports itself (the font then fails to load).
            const std::string problem = RegularFileProblem(texture);
            if (!problem.empty() && problem != "does not exist") return "its texture " + texture + " " + problem;
        }
    }
    return "";
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

namespace {

bool Is3dsFile(const std::string& file)
{
    if (file.size() < 4) return false;
    std::string extension = file.substr(file.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".3ds";
}

// True when the first frame of the mesh has a buffer with at least one triangle.
bool HasTriangles(irr::scene::IAnimatedMesh* mesh)
{
    irr::scene::IMesh* frame = mesh ? mesh->getMesh(0, 255, -1, -1) : nullptr;
    if (!frame) return false;
    for (irr::u32 b = 0; b < frame->getMeshBufferCount(); ++b)
        if (frame->getMeshBuffer(b)->getIndexCount() >= 3) return true;
    return false;
}

// Beyond what any arena or tank needs: a vertex this far out, or this many triangles, is a
// damaged file, and the walkable grid and collision built from it would take the memory.
constexpr float kMaxCoordinate = 200.0f;
constexpr irr::u32 kMaxTriangles = 200000;

// Why the loaded mesh cannot be used, or empty.
std::string GeometryProblem(irr::scene::IAnimatedMesh* mesh)
{
    irr::scene::IMesh* frame = mesh->getMesh(0, 255, -1, -1);
    irr::u64 triangles = 0;
    for (irr::u32 b = 0; b < frame->getMeshBufferCount(); ++b) {
        irr::scene::IMeshBuffer* buffer = frame->getMeshBuffer(b);
        triangles += buffer->getIndexCount() / 3;
        for (irr::u32 v = 0; v < buffer->getVertexCount(); ++v) {
            const irr::core::vector3df& p = buffer->getPosition(v);
            for (float c : {p.X, p.Y, p.Z})
                if (!(std::fabs(c) <= kMaxCoordinate))
                    return "has a vertex at (" + std::to_string(p.X) + ", " + std::to_string(p.Y) + ", " +
                           std::to_string(p.Z) + "), beyond the " + std::to_string(static_cast<int>(kMaxCoordinate)) +
                           " units a mesh may reach";
        }
    }
    if (triangles > kMaxTriangles)
        return "holds " + std::to_string(triangles) + " triangles, more than the " + std::to_string(kMaxTriangles) +
               " a mesh may have";
    return "";
}

}  // namespace

int TMeshResource::Load(irr::scene::ISceneManager* smgr, const std::string& file_)
{
    res.reset();
    file = file_;
    if (!smgr) return 0;
    // A file the engine has loaded before was checked then; the others are checked before
    // the engine opens them, since its loaders can hang or block on bad input.
    if (!smgr->getMeshCache()->isMeshLoaded(file_.c_str())) {
        const std::string problem = Is3dsFile(file_) ? Mesh3dsProblem(file_) : RegularFileProblem(file_);
        if (!problem.empty()) {
            std::cerr << "mesh: cannot load \"" << file_ << "\": the file " << problem << std::endl;
            return 0;
        }
    }
    irr::scene::IAnimatedMesh* mesh = smgr->getMesh(file_.c_str());
    if (!mesh) {
        std::cerr << "mesh: cannot load \"" << file_ << "\": the engine cannot read the file" << std::endl;
        return 0;
    }
    if (!HasTriangles(mesh)) {
        std::cerr << "mesh: cannot load \"" << file_ << "\": the file holds no triangles" << std::endl;
        return 0;
    }
    const std::string problem = GeometryProblem(mesh);
    if (!problem.empty()) {
        std::cerr << "mesh: cannot load \"" << file_ << "\": the file " << problem << std::endl;
        smgr->getMeshCache()->removeMesh(mesh);
        return 0;
    }
    res = EngineOwned(mesh);
    return 1;
}

irr::scene::IAnimatedMesh* TMeshResource::GetResource()
{
    return static_cast<irr::scene::IAnimatedMesh*>(res.get());
}
