// Every setting of settings.ini: its section and key, how its text becomes a value (and
// which texts are in range), how the value is written, and its default. Every field of
// TSettings is a row of one table; a new field gets a row there and nothing else. Reading,
// merging and writing the file itself is TSettingsStore's job.
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
    // A count that two running games add to (wins, losses); empty for the other settings.
    std::function<int&(TSettings&)> count;
};

class TSettingsSchema {
public:
    static constexpr int kMaxCount = 1000000000;
    static constexpr const char* kHeading = "# Vexmoor settings, written by the game when its options screen is left.";

    // The table of every setting, in the order a new file lists them.
    static const std::vector<TSettingsEntry>& Entries();
    // The entry for section and key, or null.
    static const TSettingsEntry* Find(const std::string& section, const std::string& key);
    static bool KnownSection(const std::string& section);
    // "key = value" for the entry's value in settings.
    static std::string Line(const TSettingsEntry& entry, const TSettings& settings);
    // A whole file for these settings: the heading and every entry, section by section.
    static std::string Text(const TSettings& settings);
    // Two actions on one key would fight: when a key is bound twice among the slots that
    // play a tank (an Off slot's keys are not in use), every player gets its default keys (one line on stderr when said) and the answer is false.
    static bool KeepKeysApart(TSettings& settings, bool say = true);
};
