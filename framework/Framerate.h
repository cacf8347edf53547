// Measures each main-loop iteration and turns it into a speed factor: the number of
// target frames the last iteration lasted. It never sleeps; it only measures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TFramerate {
public:
    static std::shared_ptr<TFramerate> FrameLimitInit();

    TFramerate();
    virtual ~TFramerate() = default;

    virtual int SetTargetFPS(float fps);
    virtual float GetTargetFPS();
    virtual int SetSpeedFactor();
    virtual int printfps();
    virtual int debugfps();
    virtual int IsPaused();
    virtual int Pause();
    // The frame under way moves nothing (the smallest speed factor) and the next one is
    // measured from its start: a match begins with this, so that its first step holds
    // neither the screen before it nor the loading.
    virtual int ZeroStep();

    // The line printfps writes, without the newline.
    std::string FpsLine() const;

    float targetfps = 60.0f;
    float speedfactor = 0.0f;
    float fps = 0.0f;
    int tickspersecond = 1000;
    uint32_t currentticks = 0;
    uint32_t framedelay = 0;
    float oldtargetfps = 0.0f;
    int paused = 0;
};
