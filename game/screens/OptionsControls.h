// The options screen's CONTROLS table: each player's four actions with their keys, and
// DEFAULT KEYS. Clicking a key waits for the next key pressed and binds it to that action.
#pragma once

#include <irrlicht.h>

#include <array>
#include <string>

#include "game/settings/Settings.h"

class TVexmoorGameState;

class TOptionsControls {
public:
    enum Action { kForward, kLeft, kRight, kFire, kActionCount };
    // The key cells own the GUI ids 170 to 185 (170 + 4 * slot + action), DEFAULT KEYS 186.
    static constexpr int kFirstId = 170;
    static constexpr int kDefaultsId = kFirstId + kActionCount * kMaxPlayers;
    static int Id(int slot, Action action) { return kFirstId + kActionCount * slot + action; }
    static bool Clickable(int id) { return id >= kFirstId && id <= kDefaultsId; }

    // What a key pressed while waiting did.
    enum Outcome { kBound, kCancelled, kRefused };

    // Adds the cells to the screen's GUI (scaled from 800x600), showing settings' keys.
    void Build(TVexmoorGameState& screen, TSettings& settings);
    // Forgets the cells and stops waiting (the screen clears its GUI when it is left).
    void Clear();
    // A click on the cell id: a key cell waits for a key, DEFAULT KEYS restores every
    // player's keys. False for any other id.
    bool Click(int id);
    // The key pressed while waiting: Escape cancels, a match key is refused (and the cell
    // goes on waiting), any other key is bound.
    Outcome Press(int key);
    void Cancel();
    bool Waiting() const { return waitingId_ >= 0; }
    // The action names and the player headings, in the screen's label color.
    void Draw(TVexmoorGameState& screen);

    static const wchar_t* ActionName(Action action);
    // A key's name as the cells show it ("X", "TAB", "UP").
    static std::wstring KeyText(int key);
    static int& KeyOf(TKeyBindings& keys, Action action);
    // Binds key to the slot's action. A key another action (of any player) has goes
    // to that action in exchange for this one's old key. False, and nothing changes, for
    // a key that cannot be bound (the match keys).
    static bool Bind(TSettings& settings, int slot, Action action, int key);

    using Row = std::array<irr::gui::IGUIStaticText*, kActionCount>;
    std::array<Row, kMaxPlayers> cells{};
    irr::gui::IGUIStaticText* defaults = nullptr;

private:
    void ShowAll();

    TSettings* settings_ = nullptr;
    // The cells' font, and the smaller one for a key name too wide for its cell.
    irr::gui::IGUIFont* font_ = nullptr;
    irr::gui::IGUIFont* smallFont_ = nullptr;
    int waitingId_ = -1;
};
