// The set-up screen's OPTIONS column: the match variations, each a label and its value
// under the "OPTIONS" heading. Clicking a value cycles it in the settings.
#pragma once

#include <irrlicht.h>

#include <array>
#include <string>
#include <vector>

#include "game/settings/Settings.h"

class TVexmoorGameState;

class TSetupOptionsColumn {
public:
    enum Option {
        kArena, kShells, kBounces, kScoreTo, kTimeLimit, kGuided, kInvisible, kRespawn, kMode, kFriendlyFire, kOptionCount
    };
    // The values own the GUI ids 150 to 159, one per option in the order above.
    static constexpr int kFirstId = 150;
    static int Id(Option option) { return kFirstId + option; }
    static bool Clickable(int id) { return id >= kFirstId && id < kFirstId + kOptionCount; }

    // Adds the values' entries to the screen's GUI, showing `settings`, which clicks change;
    // ARENA offers the arena files named in customArenas after the built-in arenas.
    void Build(TVexmoorGameState& screen, TMatchOptions& options, std::vector<std::string> customArenas = {});
    // Forgets the entries (the screen clears its GUI when it is left).
    void Clear();
    // A click on the value `id`: the option's next value. False for any other id.
    bool Click(int id) { return Step(id, 1); }
    // The option's next value (1) or the one before (-1), as Right and Left step it.
    bool Step(int id, int direction);
    // The labels, in the screen's heading color.
    void Draw(TVexmoorGameState& screen);

    static const wchar_t* Label(Option option);
    // The text of an option's value as the column shows it ("FORTS", "2:16", "OFF").
    static std::wstring ValueText(const TMatchOptions& options, Option option);
    // The option's value after its current one, wrapping round.
    static void Next(TMatchOptions& options, Option option, const std::vector<std::string>& customArenas = {});
    // The option's value before its current one, wrapping round: the one Next leads from.
    static void Previous(TMatchOptions& options, Option option, const std::vector<std::string>& customArenas = {});

    std::array<irr::gui::IGUIStaticText*, kOptionCount> values{};

private:
    void Show(Option option);

    TMatchOptions* options_ = nullptr;
    std::vector<std::string> customArenas_;
};
