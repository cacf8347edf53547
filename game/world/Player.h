// A player: a score tied to a tank key and a controller key.
#pragma once

#include <memory>
#include <string>

#include "framework/objects/GameObject.h"

class TTank;
class TTankController;

class TPlayer : public TPlayerGameObject {
    VEXMOOR_CLASS(TPlayer, TPlayerGameObject)

public:
    static std::shared_ptr<TPlayer> Create(const std::string& tank, const std::string& controller);
    virtual int SetController(const std::string& key);
    virtual int SetTank(const std::string& key);
    virtual std::shared_ptr<TTankController> GetController();
    virtual std::shared_ptr<TTank> GetTank();

    // Hits taken by this player's own tank.
    int score = 0;
    // Hits this player's shells made on enemy tanks (a match of three or four scores these).
    int hits = 0;
    std::string tank;
    std::string controller;
};
