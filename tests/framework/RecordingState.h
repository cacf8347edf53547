// A state that writes every hook it receives into a shared log, for order tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/GameState.h"

using Log = std::vector<std::string>;

class RecordingState : public TGameState {
public:
    RecordingState(std::string name, std::shared_ptr<Log> log) : name_(std::move(name)), log_(std::move(log)) {}

    int OnSetGameState(TGameState* previous) override
    {
        Write("set(" + NameOf(previous) + ")");
        return 0;
    }
    int OnLeaveGameState(TGameState* next) override
    {
        Write("leave(" + NameOf(next) + ")");
        return 0;
    }
    int OnPreUpdate() override { return Write("preupdate"); }
    int OnUpdate() override { return Write("update"); }
    int OnPostUpdate() override { return Write("postupdate"); }
    int OnRender() override { return Write("render"); }

    int Write(const std::string& entry)
    {
        log_->push_back(name_ + ":" + entry);
        return 0;
    }

private:
    static std::string NameOf(TGameState* state) { return state ? state->state_key : "null"; }
    std::string name_;
    std::shared_ptr<Log> log_;
};

// A game that counts OnGameEnd calls.
#include "framework/Game.h"
class CountingGame : public TGame {
public:
    int OnGameEnd() override
    {
        ++gameEnds;
        return 0;
    }
    int gameEnds = 0;
};
