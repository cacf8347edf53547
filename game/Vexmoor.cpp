#include "game/Vexmoor.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "game/arenas/ArenaCatalog.h"
#include "sound/SoundDevice.h"

namespace {

struct SchemeRow {
    irr::u8 arena[3], tank1[3], tank2[3], background[3], tank3[3], tank4[3];
};

// Red, green, blue of "Arena", "Tank1", "Tank2", "Background", "Tank3" and "Tank4"; all
// opaque. "Tank3" is a shade of "Tank2"'s hue and "Tank4" of "Tank1"'s, each chosen to stand
// apart from the other three tanks and from the match's floor ("Background" at the start,
// "Arena" after the scheme key); where no shade can, an outline does (TankOutlines).
constexpr SchemeRow kSchemes[] = {
    {{234, 143, 142}, {140, 42, 68}, {15, 25, 112}, {187, 212, 110}, {74, 88, 210}, {249, 0, 66}},
    {{255, 171, 173}, {165, 50, 166}, {56, 45, 181}, {225, 203, 56}, {139, 121, 242}, {61, 0, 76}},
    {{234, 170, 42}, {137, 212, 110}, {110, 121, 212}, {112, 16, 15}, {0, 3, 76}, {53, 102, 36}},
    {{235, 178, 0}, {170, 51, 31}, {29, 16, 254}, {102, 200, 1}, {128, 123, 223}, {76, 16, 0}},
    {{97, 208, 112}, {254, 109, 255}, {178, 210, 65}, {121, 69, 208}, {122, 140, 56}, {89, 13, 89}},
    {{146, 219, 255}, {255, 133, 133}, {170, 205, 55}, {8, 2, 129}, {106, 121, 55}, {115, 57, 57}},
    {{112, 197, 225}, {202, 107, 188}, {196, 194, 195}, {24, 98, 78}, {121, 109, 115}, {76, 0, 65}},
    {{245, 175, 172}, {202, 106, 143}, {64, 106, 186}, {237, 214, 156}, {0, 11, 76}, {102, 51, 71}},
    {{255, 164, 168}, {150, 0, 152}, {0, 0, 185}, {255, 235, 0}, {105, 105, 191}, {252, 38, 255}},
    {{107, 24, 156}, {214, 211, 66}, {181, 231, 115}, {41, 130, 107}, {127, 153, 92}, {96, 94, 38}},
    {{140, 146, 57}, {132, 203, 255}, {198, 89, 181}, {148, 28, 0}, {76, 0, 65}, {25, 106, 166}},
    {{173, 48, 140}, {222, 182, 82}, {181, 195, 90}, {24, 24, 165}, {116, 134, 0}, {96, 78, 33}},
    {{181, 109, 231}, {107, 105, 8}, {82, 125, 41}, {115, 231, 198}, {37, 76, 0}, {178, 177, 107}},
};

irr::video::SColor Opaque(const irr::u8 (&rgb)[3])
{
    return irr::video::SColor(255, rgb[0], rgb[1], rgb[2]);
}

}  // namespace

TVexmoor::TVexmoor()
{
    // TGame's construction has seeded the generator from the millisecond clock.
    InitColorSchemes();
    SetCurrentColorScheme(-1);
    ApplySoundSettings();
}

int TVexmoor::InitColorSchemes()
{
    std::vector<std::shared_ptr<TColorScheme>> schemes;
    schemes.reserve(std::size(kSchemes));
    for (const SchemeRow& row : kSchemes)
        schemes.push_back(TColorScheme::Create(Opaque(row.arena), Opaque(row.tank1), Opaque(row.tank2),
                                               Opaque(row.background), Opaque(row.tank3), Opaque(row.tank4)));
    ColorSchemes = std::move(schemes);
    return 0;
}

int TVexmoor::SetCurrentColorScheme(int index)
{
    const int count = static_cast<int>(ColorSchemes.size());
    if (count == 0) return 0;
    if (index != -1 && (index < 0 || index >= count)) index = 0;
    if (index < 0) index = RandomInt(0, count - 1);
    CurrentColorScheme = ColorSchemes[static_cast<size_t>(index)];
    ColorSchemeIdx = index;
    SetClsColor(CurrentColorScheme->GetColor("Arena"));
    return 0;
}

int TVexmoor::UseSettingsFile(TSettingsStore file)
{
    settingsFile = std::move(file);
    settingsFile.Load(settings);
    ApplyVideoSettings();
    ApplySoundSettings();
    return 0;
}

int TVexmoor::ApplyVideoSettings()
{
    // A mode chosen in the settings since the run's was set takes over from it.
    if (runFullscreen_ && settings.fullscreen != runFullscreenOver_) runFullscreen_.reset();
    fullscreen = runFullscreen_.value_or(settings.fullscreen);
    vsync = settings.frameRate == kFrameRateVsync;
    frameCap.SetRate(settings.frameRate > 0 ? settings.frameRate : 0);
    return 0;
}

int TVexmoor::ApplySoundSettings()
{
    SoundDevice::SetMasterGain(static_cast<float>(settings.volume) / 100.0f);
    return 0;
}

namespace {

// Whether the device just made is in the mode the settings ask for.
bool InMode(irr::IrrlichtDevice* device, const TSettings& settings)
{
    if (!device) return false;
    if (settings.fullscreen) return device->isFullscreen();
    const irr::core::dimension2d<irr::u32> size = device->getVideoDriver()->getScreenSize();
    return static_cast<int>(size.Width) == settings.windowWidth && static_cast<int>(size.Height) == settings.windowHeight;
}

// A video mode as the refusal line names it.
std::string ModeText(bool fullscreen, int width, int height, bool vsync)
{
    std::string text = (fullscreen ? "full screen at " : "a window of ") + std::to_string(width) + "x" +
                       std::to_string(height);
    return vsync ? text + " with MATCH DISPLAY (vsync)" : text;
}

}  // namespace

std::string TVexmoor::ModeInEffect() const
{
    return ModeText(fullscreen, settings.windowWidth, settings.windowHeight, vsync);
}

void TVexmoor::SayRefused(const std::string& refused, const std::string& instead) const
{
    const std::string why = lastXError.empty() ? "" : " (X error " + lastXError + ")";
    std::fprintf(stderr, "vexmoor: %s is not available here%s; playing in %s instead\n", refused.c_str(),
                 why.c_str(), instead.c_str());
}

void TVexmoor::KeepModeInEffect()
{
    if (!device || !fullscreen || device->isFullscreen() || graphicsDriver == irr::video::EDT_NULL) return;
    // Full screen could not be had and the engine made a window (saying so on stdout): that
    // is the mode now, the run's own (from the command line) or the settings'.
    if (runFullscreen_)
        runFullscreen_ = false;
    else
        settings.fullscreen = false;
    ApplyVideoSettings();
    videoRefusedAtStart = L"FULL SCREEN IS NOT AVAILABLE HERE: PLAYING IN A WINDOW";
}

void TVexmoor::UseSafeMode()
{
    if (runFullscreen_) runFullscreen_ = false;
    settings.fullscreen = false;
    settings.windowWidth = kSafeWidth;
    settings.windowHeight = kSafeHeight;
    if (settings.frameRate == kFrameRateVsync) settings.frameRate = TSettings().frameRate;
    ApplyVideoSettings();
}

int TVexmoor::OpenFirstDevice(int width, int height, int bits, int driverType)
{
    ApplyVideoSettings();
    if (InitGraphics(width, height, bits, driverType)) {
        KeepModeInEffect();
    } else {
        const std::string refused = ModeText(fullscreen, width, height, vsync);
        UseSafeMode();
        if (!InitGraphics(settings.windowWidth, settings.windowHeight, bits, driverType)) return 0;
        SayRefused(refused, ModeInEffect());
        videoRefusedAtStart = L"THE SAVED VIDEO MODE IS NOT AVAILABLE HERE: PLAYING IN AN 800 X 600 WINDOW";
    }
    // A new device clears to black: the scheme's clear color again, and the caption.
    SetCurrentColorScheme(ColorSchemeIdx);
    device->setWindowCaption(kWindowCaption);
    return 1;
}

int TVexmoor::RemakeDevice(const TSettings& before, bool wasFullscreen)
{
    ApplyVideoSettings();
    TSettings wanted = settings;
    wanted.fullscreen = fullscreen;
    const std::string refused = ModeInEffect();
    int made = ReopenGraphics(settings.windowWidth, settings.windowHeight) && InMode(device, wanted) ? 1 : 0;
    if (!made) {
        settings.fullscreen = before.fullscreen;
        settings.windowWidth = before.windowWidth;
        settings.windowHeight = before.windowHeight;
        settings.frameRate = before.frameRate;
        ApplyVideoSettings();
        // A run's own mode the player has just left: back to the mode that was in effect.
        if (fullscreen != wasFullscreen) ChooseFullscreen(wasFullscreen);
        const std::string xError = lastXError;
        // The last mode that worked, else the safe one; with neither there is no window to play in.
        if (!ReopenGraphics(settings.windowWidth, settings.windowHeight)) {
            UseSafeMode();
            if (!ReopenGraphics(settings.windowWidth, settings.windowHeight))
                throw std::runtime_error("unable to open the " + std::to_string(settings.windowWidth) + "x" +
                                         std::to_string(settings.windowHeight) + " window again");
        }
        lastXError = xError;
        SayRefused(refused, ModeInEffect());
    }
    // A new device clears to black: the scheme's clear color again, and the caption.
    SetCurrentColorScheme(ColorSchemeIdx);
    device->setWindowCaption(kWindowCaption);
    return made;
}

int TVexmoor::SaveSettings()
{
    return settingsFile.Save(settings) ? 1 : 0;
}

int TVexmoor::ChooseFullscreen(bool on)
{
    settings.fullscreen = on;
    runFullscreen_.reset();
    return ApplyVideoSettings();
}

int TVexmoor::SetFullscreenForRun(bool fullscreenForRun)
{
    runFullscreen_ = fullscreenForRun;
    runFullscreenOver_ = settings.fullscreen;
    return ApplyVideoSettings();
}

const std::vector<TArenaGrid>& TVexmoor::CustomArenas()
{
    if (!customArenas_) customArenas_ = TArenaCatalog::Load(TArenaCatalog::Folders(), std::cerr);
    return *customArenas_;
}
