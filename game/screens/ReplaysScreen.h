// The replay list "ReplaysScreen": the recordings in the replay folder, newest first, one
// line each (date, arena, players, score, length) or the file's name and why it cannot be
// read; choosing one plays it in the arena, choosing an unreadable one says why not.
// BACK (Escape) to the title.
#pragma once

#include <string>
#include <vector>

#include "game/VexmoorGameState.h"
#include "game/replay/ReplayCatalog.h"

class TVexmoorReplaysScreen : public TVexmoorGameState {
    VEXMOOR_CLASS(TVexmoorReplaysScreen, TVexmoorGameState)

public:
    static constexpr int kBackId = 101;
    static constexpr int kFirstEntryId = 200;  // then one id a recording, in list order

    int OnSetGameState(TGameState* previous) override;
    int OnLeaveGameState(TGameState* next) override;
    int OnUpdate() override;
    int OnRender() override;
    int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType) override;

    // Plays the recording at index `index` of the list, or says why it cannot be played.
    virtual int Choose(size_t index);

    // The list as read on entry, and what the screen says under it (a refusal, or where the
    // recordings are kept when there are none).
    std::vector<replay::TReplayEntry> entries;
    std::wstring message;
    int mouse_on = -1;
};
