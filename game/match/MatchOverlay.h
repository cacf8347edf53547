// What a player reads over the match, in every view and in each half of the split screen:
// the clock or "SUDDEN DEATH", the game speed after plus or minus, a line of what is on
// (guided shells, invisible tanks, another speed), the network's messages, "PAUSED", the
// match keys (for the first seconds of a match and while F10 is held) and the winner in
// the finale; in a replay, that it is one and the viewer's keys. Each stands on a backdrop
// of the floor's color, outlined where its color is too close to it.
#pragma once

#include <irrlicht.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/ObjectLookup.h"

class TColorResource;
class TVexmoorArenaScreen;

class TMatchOverlay {
public:
    // A new match: its keys are shown from now on for keysShownMs.
    void Start(uint32_t nowMs);
    // The game speed changed: shown from now on for speedShownMs.
    void ShowSpeed(uint32_t nowMs);
    // Forgets what the last frame drew.
    void NewFrame() { drawn.clear(); }
    // Draws over the viewport the arena draws into now; once per camera of the view.
    void Draw(TVexmoorArenaScreen& arena);

    // One line of text as drawn, in screen pixels.
    struct Line {
        std::wstring text;
        irr::gui::IGUIFont* font;
        irr::video::SColor color;
        irr::core::recti rect;
        std::optional<irr::video::SColor> outline;  // round its letters, where it wears one
    };
    // What is on for the whole match: "GUIDED SHELLS", "INVISIBLE TANKS" and "SPEED 92%"
    // (the speed while it is not 100%), three spaces apart; empty when none is.
    static std::wstring StateLine(TVexmoorArenaScreen& arena);
    // The lines of the key list: the match keys, then each player's keys as bound.
    std::vector<std::wstring> KeyLines(TVexmoorArenaScreen& arena);
    // The help's line of the split and tank views for the tanks of these slots.
    static std::wstring TankViewKeysLine(const std::vector<int>& slots);
    // Every line drawn this frame, in drawing order (for a look at what the players saw).
    std::vector<Line> drawn;

    // A replay's own lines (what plays, the viewer's keys), shown at the bottom in place of
    // the match keys; empty in a match.
    std::vector<std::wstring> replayLines;
    // Where a line drawn after the overlay in the same camera may stand under the middle
    // (PAUSED, the winner) clear of it: the top of that line, and the camera's centre.
    int belowMiddle = 0;
    int middleX = 0;

    int keysShownMs = 3000;
    int speedShownMs = 1000;
    uint32_t startMs = 0;
    std::optional<uint32_t> speedSinceMs;

private:
    // A block of lines, centred one under the other on one backdrop.
    struct Entry {
        std::wstring text;
        irr::gui::IGUIFont* font;
        irr::video::SColor color;
    };
    static int StackHeight(const std::vector<Entry>& stack);
    void PutStack(const std::vector<Entry>& stack, irr::video::IVideoDriver* driver, int centerX, int top);
    // Draws a line centred on centerX, on a backdrop of its own when asked.
    void Put(const std::wstring& text, irr::gui::IGUIFont* font, irr::video::SColor color, int centerX, int top,
             irr::video::IVideoDriver* driver, bool backdrop);
    void Backdrop(irr::video::IVideoDriver* driver, irr::core::recti rect);

    // The ink for a wanted color on a ground: the wanted one where it reads, else black or white.
    irr::video::SColor Ink(irr::video::SColor wanted, irr::video::SColor ground);

    irr::video::SColor ground_;
    TObjectLookup<TColorResource> arenaColor_;  // the scheme's "Arena", found once
    // The last ink worked out, for the colors it was worked out for (they change with the scheme only).
    struct InkMemo {
        irr::video::SColor wanted, ground, ink;
        bool valid = false;
    } ink_;
};
