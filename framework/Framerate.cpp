#include "framework/Framerate.h"

#include <cmath>
#include <cstdio>

#include "framework/Clock.h"

namespace {
// The smallest speed factor: motion practically stops, but nothing divides by zero.
constexpr float kMinSpeedFactor = 1e-10f;
}

std::shared_ptr<TFramerate> TFramerate::FrameLimitInit()
{
    return std::make_shared<TFramerate>();
}

TFramerate::TFramerate() : framedelay(GameClock::Milliseconds()) {}

int TFramerate::SetTargetFPS(float fps)
{
    targetfps = fps;
    return 0;
}

float TFramerate::GetTargetFPS()
{
    return targetfps;
}

int TFramerate::SetSpeedFactor()
{
    currentticks = GameClock::Milliseconds();
    // The clock wraps as a 32-bit value; the difference read as signed stays true.
    const int32_t elapsed = static_cast<int32_t>(currentticks - framedelay);
    const double msPerFrame = static_cast<double>(tickspersecond) / static_cast<double>(targetfps);
    speedfactor = static_cast<float>(static_cast<double>(elapsed) / msPerFrame);
    if (!(speedfactor > 0.0f)) speedfactor = kMinSpeedFactor;
    fps = targetfps / speedfactor;
    framedelay = currentticks;
    return 0;
}

int TFramerate::ZeroStep()
{
    speedfactor = kMinSpeedFactor;
    fps = targetfps / speedfactor;
    // Within a frame the clock reads the frame's start, which SetSpeedFactor read too.
    currentticks = framedelay = GameClock::Milliseconds();
    return 0;
}

std::string TFramerate::FpsLine() const
{
    char line[128];
    std::snprintf(line, sizeof line, "FPS : %#.9g TargetFPS : %#.9g", static_cast<double>(fps),
                  static_cast<double>(targetfps));
    return line;
}

int TFramerate::printfps()
{
    std::printf("%s\n", FpsLine().c_str());
    return 0;
}

int TFramerate::debugfps()
{
    // The debug log has no listener in this program; the line is made and dropped.
    (void)FpsLine();
    return 0;
}

int TFramerate::IsPaused()
{
    return paused;
}

int TFramerate::Pause()
{
    if (!paused) {
        oldtargetfps = targetfps;
        SetTargetFPS(0.0f);
        paused = 1;
    } else {
        SetTargetFPS(oldtargetfps);
        paused = 0;
    }
    return 0;
}
