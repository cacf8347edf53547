// The match drawn by the real OpenGL driver (run under Xvfb): the arena fixture on OpenGL,
// and the picture of a frame read back from the back buffer before it is shown.
// VEXMOOR_RENDER_SHOTS=<folder> keeps every captured frame as a PNG.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/GameResource.h"
#include "tests/support/ArenaFixture.h"

struct Rgb {
    int r, g, b;
};

// One frame's pixels, top row first.
class Picture {
public:
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    Rgb At(int x, int y) const
    {
        const unsigned char* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
        return {p[0], p[1], p[2]};
    }
    // Within `tolerance` per channel of `color`.
    bool Is(int x, int y, irr::video::SColor color, int tolerance = 12) const
    {
        const Rgb p = At(x, y);
        return std::abs(p.r - static_cast<int>(color.getRed())) <= tolerance &&
               std::abs(p.g - static_cast<int>(color.getGreen())) <= tolerance &&
               std::abs(p.b - static_cast<int>(color.getBlue())) <= tolerance;
    }
    // Pixels matching `test` inside `area`, and their bounding box.
    int Count(const irr::core::recti& area, const std::function<bool(int, int)>& test,
              irr::core::recti* bounds = nullptr) const
    {
        int count = 0;
        for (int y = std::max(0, area.UpperLeftCorner.Y); y < std::min(height, area.LowerRightCorner.Y); ++y)
            for (int x = std::max(0, area.UpperLeftCorner.X); x < std::min(width, area.LowerRightCorner.X); ++x)
                if (test(x, y)) {
                    if (bounds && count == 0) *bounds = irr::core::recti(x, y, x + 1, y + 1);
                    if (bounds) bounds->addInternalPoint(x + 1, y + 1), bounds->addInternalPoint(x, y);
                    ++count;
                }
        return count;
    }
};

class RenderTest : public ArenaTest {
protected:
    RenderTest() { driverType = irr::video::EDT_OPENGL; }

    // The match in `scheme`, nobody driving.
    void EnterArena(int scheme)
    {
        game->SetCurrentColorScheme(scheme);
        EnterIdleArena();
    }

    // Draws the current state once more, as the game's frame does, and reads it back.
    Picture Capture(const std::string& name)
    {
        auto state = TGame::GetCurrentGameState();
        state->OnPreRender();
        return CaptureDrawing(name, game->clsColor.value_or(irr::video::SColor(255, 0, 0, 0)), [&] { state->Render(); });
    }

    // What `draw` draws on the whole window cleared to `clear`, read back.
    Picture CaptureDrawing(const std::string& name, irr::video::SColor clear, const std::function<void()>& draw)
    {
        irr::video::IVideoDriver* driver = game->driver;
        driver->setViewPort(*game->screenRect);
        driver->beginScene(true, true, clear);
        draw();
        Picture picture;
        picture.width = 800;
        picture.height = 600;
        std::vector<unsigned char> rows(3 * 800 * 600);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        driver->endScene();
        picture.rgb.resize(rows.size());
        for (int y = 0; y < 600; ++y)
            std::copy_n(&rows[3 * 800 * (599 - y)], 3 * 800, &picture.rgb[3 * 800 * y]);
        Keep(picture, name);
        return picture;
    }

    void Keep(const Picture& picture, const std::string& name)
    {
        const char* folder = std::getenv("VEXMOOR_RENDER_SHOTS");
        if (!folder || !*folder) return;
        irr::video::IImage* image = game->driver->createImage(irr::video::ECF_R8G8B8,
                                                               irr::core::dimension2d<irr::u32>(800, 600));
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const Rgb p = picture.At(x, y);
                image->setPixel(x, y, irr::video::SColor(255, p.r, p.g, p.b));
            }
        game->driver->writeImageToFile(image, (std::string(folder) + "/" + name + ".png").c_str());
        image->drop();
    }
};
