// preview_meshes MEDIADIR OUTDIR: renders every model, flat-coloured and unlit as the
// game draws them, from above, from behind and from three quarters, plus the match
// arena with both tanks from the game's cameras, into PNG files. Needs an X display.
#include <irrlicht.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace irr;

namespace {

const u32 kWidth = 800, kHeight = 600;

struct Shot {
    core::vector3df position, target, up;
    float orthoWidth;  // 0 for a perspective camera with the game's field of view
    float nearValue = 1.0f;
};

class Previewer {
public:
    Previewer(IrrlichtDevice* device, std::string outDir)
        : device_(device), driver_(device->getVideoDriver()), smgr_(device->getSceneManager()), outDir_(outDir)
    {
    }

    // A private, recoloured copy of a model, with an optional black outline: the copy
    // turned inside out and enlarged, so that only its rim shows round the model.
    scene::IMeshSceneNode* Place(scene::IMesh* mesh, video::SColor color, core::vector3df position,
                                 core::vector3df rotation, float outline)
    {
        scene::IMeshManipulator* manipulator = smgr_->getMeshManipulator();
        scene::SMesh* copy = manipulator->createMeshCopy(mesh);
        manipulator->setVertexColors(copy, color);
        scene::IMeshSceneNode* node = smgr_->addMeshSceneNode(copy);
        copy->drop();
        node->setMaterialFlag(video::EMF_LIGHTING, false);
        node->setPosition(position);
        node->setRotation(rotation);
        if (outline > 0.0f) {
            scene::SMesh* rim = manipulator->createMeshCopy(mesh);
            manipulator->flipSurfaces(rim);
            manipulator->setVertexColors(rim, video::SColor(255, 0, 0, 0));
            scene::IMeshSceneNode* rimNode = smgr_->addMeshSceneNode(rim, node);
            rim->drop();
            rimNode->setMaterialFlag(video::EMF_LIGHTING, false);
            const core::vector3df centre = mesh->getBoundingBox().getCenter();
            rimNode->setScale(core::vector3df(1.0f + outline));
            rimNode->setPosition(-centre * outline);
        }
        return node;
    }

    bool Render(const Shot& shot, video::SColor clear, const std::string& name)
    {
        scene::ICameraSceneNode* camera = smgr_->addCameraSceneNode(nullptr, shot.position, shot.target);
        camera->setUpVector(shot.up);
        camera->setAspectRatio(4.0f / 3.0f);
        camera->setNearValue(shot.nearValue);
        if (shot.orthoWidth > 0.0f) {
            core::matrix4 ortho;
            ortho.buildProjectionMatrixOrthoLH(shot.orthoWidth, shot.orthoWidth * 0.75f, 0.01f, 3000.0f);
            camera->setProjectionMatrix(ortho, true);
        }
        smgr_->setActiveCamera(camera);
        device_->run();
        driver_->beginScene(true, true, clear);
        smgr_->drawAll();
        std::vector<u8> pixels(kWidth * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        driver_->endScene();
        camera->remove();

        video::IImage* image = driver_->createImage(video::ECF_R8G8B8, core::dimension2d<u32>(kWidth, kHeight));
        for (u32 y = 0; y < kHeight; ++y) {
            const u8* row = &pixels[(kHeight - 1 - y) * kWidth * 3];  // GL rows run bottom-up
            for (u32 x = 0; x < kWidth; ++x)
                image->setPixel(x, y, video::SColor(255, row[3 * x], row[3 * x + 1], row[3 * x + 2]));
        }
        const std::string path = outDir_ + "/" + name + ".png";
        const bool ok = driver_->writeImageToFile(image, path.c_str());
        image->drop();
        if (!ok)
            std::fprintf(stderr, "preview_meshes: cannot write %s\n", path.c_str());
        return ok;
    }

    scene::ISceneManager* Scene() { return smgr_; }

private:
    IrrlichtDevice* device_;
    video::IVideoDriver* driver_;
    scene::ISceneManager* smgr_;
    std::string outDir_;
};

// A camera of the game: its position and pitch, looking along +z turned down by pitch.
Shot GameCamera(core::vector3df position, float pitch, float orthoWidth)
{
    core::matrix4 r;
    r.setRotationDegrees(core::vector3df(pitch, 0, 0));
    core::vector3df forward(0, 0, 1), up(0, 1, 0);
    r.rotateVect(forward);
    r.rotateVect(up);
    return {position, position + forward * 1000.0f, up, orthoWidth};
}

// The camera riding on a tank at `at` turned `yaw` degrees, mounted at `offset`.
Shot TankCamera(core::vector3df at, float yaw, core::vector3df offset)
{
    core::matrix4 m;
    m.setRotationDegrees(core::vector3df(0, yaw, 0));
    m.setTranslation(at);
    core::vector3df position = offset, target(0, 0, 1000);
    m.transformVect(position);
    m.transformVect(target);
    return {position, target, core::vector3df(0, 1, 0), 0.0f};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: preview_meshes MEDIADIR OUTDIR\n");
        return 2;
    }
    const std::string media = argv[1];
    IrrlichtDevice* device =
        createDevice(video::EDT_OPENGL, core::dimension2d<u32>(kWidth, kHeight), 24, false, false, false);
    if (!device) {
        std::fprintf(stderr, "preview_meshes: no OpenGL device (is DISPLAY set?)\n");
        return 1;
    }
    device->getLogger()->setLogLevel(ELL_ERROR);
    Previewer preview(device, argv[2]);
    scene::ISceneManager* smgr = preview.Scene();
    const video::SColor grey(255, 170, 170, 160), model(255, 60, 110, 200);

    struct Model {
        const char* name;
        float size;  // width of the orthographic views
    };
    const Model models[] = {{"tank", 2.0f},        {"sleek_tank", 2.0f}, {"tank_shell", 0.45f},
                            {"arena_base", 46.0f}, {"arena1", 46.0f},    {"arena2", 46.0f}};
    bool ok = true;
    for (const Model& m : models) {
        const std::string file = media + "/" + m.name + ".3ds";
        scene::IAnimatedMesh* mesh = smgr->getMesh(file.c_str());
        if (!mesh) {
            std::fprintf(stderr, "preview_meshes: cannot load %s\n", file.c_str());
            ok = false;
            continue;
        }
        const bool small = m.size < 10.0f;
        preview.Place(mesh->getMesh(0), model, core::vector3df(0), core::vector3df(0), small ? 0.03f : 0.0f);
        const core::vector3df c = mesh->getBoundingBox().getCenter();
        const float d = m.size * 2.0f;
        ok &= preview.Render({c + core::vector3df(0, d, 0), c, core::vector3df(0, 0, 1), m.size}, grey,
                             std::string(m.name) + "_top");
        ok &= preview.Render({c + core::vector3df(0, 0, -d), c, core::vector3df(0, 1, 0), m.size}, grey,
                             std::string(m.name) + "_behind");
        ok &= preview.Render(
            {c + core::vector3df(-0.6f, 0.5f, -0.8f) * m.size, c, core::vector3df(0, 1, 0), 0.0f, 0.05f * m.size},
            grey, std::string(m.name) + "_quarter");
        smgr->clear();
    }

    // The match as the players see it: one of the game's palettes, both tanks at their
    // start points, the ground being the clear colour.
    scene::IAnimatedMesh* arena = smgr->getMesh((media + "/arena2.3ds").c_str());
    scene::IAnimatedMesh* boxy = smgr->getMesh((media + "/tank.3ds").c_str());
    scene::IAnimatedMesh* sleek = smgr->getMesh((media + "/sleek_tank.3ds").c_str());
    scene::IAnimatedMesh* shell = smgr->getMesh((media + "/tank_shell.3ds").c_str());
    if (arena && boxy && sleek && shell) {
        const video::SColor ground(255, 112, 16, 15), walls(255, 234, 170, 42);
        const video::SColor tank1(255, 137, 212, 110), tank2(255, 110, 121, 212);
        preview.Place(arena->getMesh(0), walls, core::vector3df(0), core::vector3df(0), 0.0f);
        preview.Place(boxy->getMesh(0), tank2, core::vector3df(-17, 0, 0), core::vector3df(0, 90, 0), 0.0f);
        preview.Place(sleek->getMesh(0), tank1, core::vector3df(16.5f, 0, 0), core::vector3df(0, -90, 0), 0.0f);
        preview.Place(shell->getMesh(0), tank2, core::vector3df(-14.5f, 0.35f, 0), core::vector3df(0, 90, 0), 0.0f);
        ok &= preview.Render(GameCamera({0, 22, -15}, 55, 0), ground, "match_overhead55_cam");
        ok &= preview.Render(GameCamera({0, 24, 2}, 90, 0), ground, "match_overhead_cam");
        ok &= preview.Render(GameCamera({0, 15, 2}, 90, 42.5f), ground, "match_ortho_cam");
        ok &= preview.Render(TankCamera({-17, 0, 0}, 90, {0, 1.45f, -1.1f}), ground, "match_tank2_cam");
        ok &= preview.Render(TankCamera({16.5f, 0, 0}, -90, {0, 1.3f, -1.05f}), ground, "match_tank1_cam");
    } else {
        ok = false;
    }
    device->drop();
    return ok ? 0 : 1;
}
