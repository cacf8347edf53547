// The settings file: settings.ini under $XDG_CONFIG_HOME/vexmoor (else ~/.config/vexmoor),
// read with inih and written atomically (a temporary file in the same folder, synced, then
// renamed over the old one). What each setting means is TSettingsSchema's.
//
// Two games may run at once: a save writes only what this game changed since it read the
// file, merged into the file as it is on disk then, under an advisory lock on the folder
// held from the read to the rename; wins and losses are added, not overwritten. Lines the
// game does not know (other sections and keys, comments) are kept as they are, and so are
// the file's mode and a symlink (the write goes to its target).
//
// Bad input has a defined outcome: an unknown section or key is kept but not used, a bad
// value resets only its entry to the default, and a file that is binary, over 64 KiB,
// unreadable or a folder is moved aside to settings.ini.bad.N and the defaults are used; a
// file with faults that a save rewrites is first copied to the next settings.ini.bad.N
// (the last few are kept). Each says so in one line on stderr.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "game/settings/Settings.h"
#include "game/settings/SettingsSchema.h"

class TSettingsStore {
public:
    static constexpr long kMaxBytes = 64 * 1024;
    static constexpr int kBadCopiesKept = 5;

    // Settings for this run only: nothing is read or written.
    TSettingsStore() = default;
    // The file at path (its folder is made when first saved).
    explicit TSettingsStore(std::string path);
    // The file the environment points at (a relative XDG_CONFIG_HOME is ignored); with
    // neither XDG_CONFIG_HOME nor HOME set, a run-only one (one line on stderr).
    static TSettingsStore FromEnvironment();

    // Reads the file into settings, entry by entry; a missing file leaves them as they are.
    // What is read is what later saves measure this game's changes from.
    void Load(TSettings& settings);
    // Merges what changed into the file atomically. False when it could not (one line on
    // stderr, once per run); the old file is then untouched. A run-only store saves nothing
    // and returns true.
    bool Save(const TSettings& settings);
    // Whether a save could succeed now: the folder exists or can be made and takes files.
    bool CanSave() const;

    const std::string& Path() const { return path_; }
    bool IsRunOnly() const { return path_.empty(); }
    bool LastSaveFailed() const { return lastSaveFailed_; }

    // The last step of a save, replaceable so that a test can interrupt a write before it.
    std::function<bool(const std::string& from, const std::string& to)> renameStep;

private:
    // The save itself: empty, or why it failed.
    std::string Write(const TSettings& settings);

    std::string path_;
    std::optional<TSettings> base_;  // the settings as the last load or save left them
    bool lastSaveFailed_ = false;
    bool failureReported_ = false;
};
