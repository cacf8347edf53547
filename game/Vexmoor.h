// The game object: the game shell with the table of thirteen color schemes and the one in use.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Game.h"
#include "game/ColorScheme.h"
#include "game/settings/Settings.h"
#include "game/settings/SettingsStore.h"
#include "game/arenas/ArenaGrid.h"
#include "game/world/MatchStats.h"

class TNetworkMatch;
class TNetworkMatchEnd;
class TNetworkRematch;

class TVexmoor : public TGame {
    VEXMOOR_CLASS(TVexmoor, TGame)

public:
    static constexpr const wchar_t* kWindowCaption = L"Vexmoor - 2008/03/24 Build";
    // The mode that starts where the saved one cannot: a window, no vsync.
    static constexpr int kSafeWidth = 800, kSafeHeight = 600;

    // Builds the scheme table and picks a random scheme, so the clear color is a
    // scheme color before any window exists.
    TVexmoor();

    // Selects a scheme and clears to its "Arena" color. An index past either end selects
    // scheme 0, so stepping with ColorSchemeIdx + 1 wraps; -1 selects one at random.
    virtual int SetCurrentColorScheme(int index);
    // Replaces the table by the thirteen schemes, in index order.
    virtual int InitColorSchemes();

    std::vector<std::shared_ptr<TColorScheme>> ColorSchemes;
    std::shared_ptr<TColorScheme> CurrentColorScheme;
    int ColorSchemeIdx = 0;
    // The player's settings for this run (read from and written to the settings file).
    TSettings settings;
    // Where the settings are kept; run-only (nothing read or written) unless the program
    // points it at the file from the environment.
    TSettingsStore settingsFile;

    // Reads file's settings into settings and keeps them there from now on.
    virtual int UseSettingsFile(TSettingsStore file);
    // Hands the video and frame-pacing settings to the shell: the frame cap at once, the
    // full-screen and vsync flags for the next time the window is made.
    virtual int ApplyVideoSettings();
    // Sets the sound's master gain from the settings' volume.
    virtual int ApplySoundSettings();
    // Makes the engine device again for the video settings (window or full screen, size,
    // vsync), the old device and every engine object of it released. When that mode
    // cannot be had, the video settings go back to before's and the device is made in the
    // mode it was in (wasFullscreen: full screen or not, whether the settings or the
    // command line chose it), or failing that in the safe mode; 0 then, and one line on
    // stderr names the mode refused. Throws when none can be made: there is no window to play in.
    // The game-wide fonts are gone afterwards (the screens load them from the new device).
    virtual int RemakeDevice(const TSettings& before, bool wasFullscreen);
    // Makes the first device, width x height in the video settings' mode; when that cannot be had, in the
    // safe mode (a window of kSafeWidth x kSafeHeight, no vsync), which the settings then
    // hold. Either way the settings and the flags say the mode in effect (a full screen the
    // engine turned into a window is a window, as the engine says on stdout), and a
    // refused mode is one line on stderr. 0 when not even the safe mode can be made.
    virtual int OpenFirstDevice(int width, int height, int bits, int driverType);
    // Writes the settings to their file; 0 when they could not be saved (the screens say so).
    virtual int SaveSettings();
    // This run's window mode (the command line's --windowed or --fullscreen), after the
    // settings are read: it holds until the settings' own mode changes (the player switches
    // FULLSCREEN on the options screen) and is never written to the file.
    virtual int SetFullscreenForRun(bool fullscreenForRun);
    // The player's choice of full screen or a window (the options screen's FULLSCREEN):
    // kept in the settings, and it ends any mode the command line chose for this run.
    virtual int ChooseFullscreen(bool on);

    // What the options screen says under BACK the first time it shows: the start-up's
    // video mode was refused and the game plays in another. Empty when nothing was refused.
    std::wstring videoRefusedAtStart;

    // The network match the arena plays next, when this machine hosts or joins one.
    std::shared_ptr<TNetworkMatch> network;
    // A network match played to its end hands its connection on to the results, which
    // take it as they open: a rematch needs both players.
    std::shared_ptr<TNetworkRematch> networkRematch;
    // Where every match is recorded (the program sets the player's replay folder); empty:
    // matches are not recorded.
    std::string replayFolder;
    // The replay the arena plays next instead of a match (taken when the arena is entered),
    // the state it returns to at its end or on Escape, and why the last one chosen could
    // not be played (for the replay list to say).
    std::string replayToPlay;
    std::string afterReplay = "ReplaysScreen";
    std::string replayRefused;
    // The figures of the last match that was decided, for the results screen.
    TMatchStats lastMatch;
    // Hears how a network match ended (the set-up screen, once the screens are open).
    std::weak_ptr<TNetworkMatchEnd> networkMatchEnd;

    // The arena files offered after the built-in arenas, read from their folders the first
    // time they are asked for (a refused file is named on stderr once and left out).
    const std::vector<TArenaGrid>& CustomArenas();

private:
    std::optional<std::vector<TArenaGrid>> customArenas_;
    // The video mode in effect, as the refusal line names it.
    std::string ModeInEffect() const;
    void SayRefused(const std::string& refused, const std::string& instead) const;
    // After a device is made: a full screen that came out as a window is a window from now on.
    void KeepModeInEffect();
    void UseSafeMode();

    // The run's mode and the settings' mode it was set over.
    std::optional<bool> runFullscreen_;
    bool runFullscreenOver_ = true;
};
