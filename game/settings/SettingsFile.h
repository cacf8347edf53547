// The settings file: settings.ini under $XDG_CONFIG_HOME/vexmoor (else ~/.config/vexmoor),
// read with inih and written atomically (a temporary file in the same folder, synced, then
// renamed over the old one). Every field of TSettings is a row of one table (section, key,
// how it is read, checked and written); a new field gets a row there and nothing else.
//
// Bad input has a defined outcome: an unknown section or key is ignored, a bad value resets
// only its entry to the default, and a file that is binary, over 64 KiB, unreadable or a
// folder is moved aside to settings.ini.bad and the defaults are used; each says so in one
// line on stderr.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/settings/Settings.h"

// One setting in the file: where it lives, how its text becomes the value (false for a bad
// value) and how the value is written.
struct TSettingsEntry {
    std::string section;
    std::string key;
    std::function<bool(TSettings&, const std::string&)> read;
    std::function<std::string(const TSettings&)> write;
    // Puts the default back (from a default-constructed TSettings).
    std::function<void(TSettings&, const TSettings&)> reset;
};

class TSettingsFile {
public:
    static constexpr long kMaxBytes = 64 * 1024;

    // Settings for this run only: nothing is read or written.
    TSettingsFile() = default;
    // The file at path (its folder is made when first saved).
    explicit TSettingsFile(std::string path);
    // The file the environment points at; with neither XDG_CONFIG_HOME nor HOME set, a
    // run-only one (one line on stderr).
    static TSettingsFile FromEnvironment();

    // Reads the file into settings, entry by entry; a missing file leaves them as they are.
    void Load(TSettings& settings) const;
    // Writes every entry atomically. False when it could not (one line on stderr, once per
    // run); the old file is then untouched. A run-only file saves nothing and returns true.
    bool Save(const TSettings& settings);
    // Whether a save could succeed now: the folder exists or can be made and takes files.
    bool CanSave() const;

    const std::string& Path() const { return path_; }
    bool IsRunOnly() const { return path_.empty(); }
    bool LastSaveFailed() const { return lastSaveFailed_; }

    // The file's text for these settings, as Save writes it.
    static std::string Text(const TSettings& settings);
    // The table of every setting, in the order the file lists them.
    static const std::vector<TSettingsEntry>& Entries();

    // The last step of a save, replaceable so that a test can interrupt a write before it.
    std::function<bool(const std::string& from, const std::string& to)> renameStep;

private:
    // Moves a file that cannot be used aside to settings.ini.bad, naming why.
    void MoveAside(const std::string& why) const;

    std::string path_;
    bool lastSaveFailed_ = false;
    bool failureReported_ = false;
};
