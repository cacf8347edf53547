// Resources kept in the keyed stores: a font, a color, a sound or a mesh, with a type tag.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <string>

#include "framework/GameBase.h"

class TSound;
class TChannel;

// The loaded thing is held as `res`. Fonts and meshes belong to the engine's caches,
// which keep them for the life of the device; a resource only refers to them.
class TGameResource : public TGameBase {
    VEXMOOR_CLASS(TGameResource, TGameBase)

public:
    virtual int FreeResouce();

    std::string res_type = "Unknown";
    std::shared_ptr<void> res;
};

class TFontResource : public TGameResource {
    VEXMOOR_CLASS(TFontResource, TGameResource)

public:
    static constexpr unsigned long kMaxFontBytes = 4ul * 1024 * 1024;
    TFontResource() { res_type = "Font"; }
    // Always returns the resource; GetResource is null when the font did not load.
    static std::shared_ptr<TFontResource> Create(irr::gui::IGUIEnvironment* guienv, const std::string& file, int pt,
                                                 int is_bold);
    virtual int Load(irr::gui::IGUIEnvironment* guienv, const std::string& file, int pt, int is_bold);
    virtual irr::gui::IGUIFont* GetResource();
    // True when Problem finds nothing: the engine's XML reader reads past the end of a
    // file cut short and blocks on a FIFO, so such a file is never handed to it.
    static bool IsWholeFontFile(const std::string& file);
    // Empty when the font file is a regular file that ends with its closing </font> tag
    // and no texture it names is a folder, FIFO, ...; otherwise what is wrong, as a phrase
    // ("the file is a folder", "its texture fonts/x_0.png is a FIFO").
    static std::string Problem(const std::string& file);

    int pt = 0;
    int is_bold = 0;
    std::string file;
};

class TColorResource : public TGameResource {
    VEXMOOR_CLASS(TColorResource, TGameResource)

public:
    TColorResource() { res_type = "SColor"; }
    static std::shared_ptr<TColorResource> Create(int alpha, int red, int green, int blue);
    // Shares the color object: later changes to it are seen through the resource.
    static std::shared_ptr<TColorResource> CreateFromColor(std::shared_ptr<irr::video::SColor> color);
    virtual int Load(int alpha, int red, int green, int blue);
    virtual std::shared_ptr<irr::video::SColor> GetResource();
};

class TSoundResource : public TGameResource {
    VEXMOOR_CLASS(TSoundResource, TGameResource)

public:
    TSoundResource() { res_type = "TSound"; }
    // Null when the sound cannot be loaded. With cue set, the sound is cued on a channel
    // of its own, and every Play restarts that channel instead of overlapping itself.
    static std::shared_ptr<TSoundResource> Create(const std::string& file, int flags, int cue);
    virtual int Load(const std::string& file, int flags);
    virtual std::shared_ptr<TSound> GetResource();
    virtual int Play();

    std::string file;
    std::shared_ptr<TChannel> channel;
};

class TMeshResource : public TGameResource {
    VEXMOOR_CLASS(TMeshResource, TGameResource)

public:
    TMeshResource() { res_type = "Mesh"; }
    // Null when the mesh cannot be loaded: the file is missing or not a regular file, a 3DS
    // file is damaged or over 16 MiB, or the mesh holds no triangle. One line on stderr
    // names the file and the reason.
    static std::shared_ptr<TMeshResource> Create(irr::scene::ISceneManager* smgr, const std::string& file);
    virtual int Load(irr::scene::ISceneManager* smgr, const std::string& file);
    virtual irr::scene::IAnimatedMesh* GetResource();

    std::string file;
};
