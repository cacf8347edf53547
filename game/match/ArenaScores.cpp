// The match's sides and points: which slots play, what each side has scored, who won, the
// shots and hits counted for the results, and the scores drawn over the arena.
#include <algorithm>
#include <iostream>

#include "framework/GameResource.h"
#include "game/ReadableText.h"
#include "game/TankColors.h"
#include "game/Vexmoor.h"
#include "game/effects/BattlefieldEffects.h"
#include "game/effects/TankOutlines.h"
#include "game/match/ArenaScreen.h"
#include "game/match/ScoreDisplay.h"
#include "game/net/NetworkMatch.h"
#include "game/tank/Tank.h"
#include "game/world/Player.h"

std::vector<int> TVexmoorArenaScreen::PlayingSlots()
{
    TVexmoor* game = GetGame();
    // A joiner plays the host's slots, which the host's welcome gives it.
    if (!game || (Network() && Network()->IsJoiner())) return {0, 1};
    std::vector<int> playing;
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        if (!game->settings.IsPlaying(slot)) continue;
        // A NETWORK row is a joiner's on a host; in a match on this machine nobody joins it:
        // players 3 and 4 play no tank, players 1 and 2 (who always play) use their keys.
        if (!Network() && game->settings.players[static_cast<size_t>(slot)].status == TPlayerStatus::Network) {
            std::cerr << "arena: player " << slot + 1 << " is NETWORK but this match is not hosted: "
                      << (slot >= 2 ? "it plays no tank" : "it plays from its keys") << std::endl;
            if (slot >= 2) continue;
        }
        playing.push_back(slot);
    }
    if (playing.size() < 2) {
        std::cerr << "arena: " << playing.size() << " player(s) set to play, a match needs two; "
                  << "players 1 and 2 play" << std::endl;
        return {0, 1};
    }
    return playing;
}

TMatchMode TVexmoorArenaScreen::ModePlayed(TMatchMode chosen, size_t tanks)
{
    return tanks < 3 ? TMatchMode::FreeForAll : chosen;
}

bool TVexmoorArenaScreen::IsDuel() const
{
    return slots.size() == 2 && AreEnemies(slots[0], slots[1]);
}

std::shared_ptr<TPlayer> TVexmoorArenaScreen::PlayerOfSlot(int slot)
{
    if (slot < 0 || slot >= kMaxPlayers) return nullptr;
    return GetGameObjectAs<TPlayer>(PlayerKeyOfSlot(slot), scores_[slot].player);
}

int TVexmoorArenaScreen::Score(int player)
{
    auto object = PlayerOfSlot(player - 1);
    return object ? object->score : 0;
}

int TVexmoorArenaScreen::Points(int slot)
{
    if (IsDuel()) {
        const int other = slots[0] == slot ? slots[1] : slots[0];
        return Score(other + 1);
    }
    auto player = PlayerOfSlot(slot);
    return player ? player->hits : 0;
}

std::vector<int> TVexmoorArenaScreen::SidePoints()
{
    if (match.mode == TMatchMode::Teams) {
        std::vector<int> teams(2, 0);
        for (int slot : slots) teams[static_cast<size_t>(TeamOf(slot))] += Points(slot);
        return teams;
    }
    std::vector<int> points(kMaxPlayers, 0);
    for (int slot : slots) points[static_cast<size_t>(slot)] = Points(slot);
    return points;
}

bool TVexmoorArenaScreen::WonBy(int slot) const
{
    return winner > 0 && (match.mode == TMatchMode::Teams ? TeamOf(slot) + 1 : slot + 1) == winner;
}

int TVexmoorArenaScreen::WinnerSlot() const
{
    for (int slot : slots)
        if (WonBy(slot)) return slot;
    return -1;
}

std::wstring TVexmoorArenaScreen::WinnerLine() const
{
    if (winner <= 0) return L"";
    return (match.mode == TMatchMode::Teams ? L"TEAM " : L"PLAYER ") + std::to_wstring(winner) + L" WINS";
}

const std::wstring& TVexmoorArenaScreen::PointsText(int side, int points)
{
    ScoreBoard& board = scores_[side];
    // The text is made again only when the points have changed.
    if (board.shown != points) {
        board.text = std::to_wstring(points);
        board.shown = points;
    }
    return board.text;
}

void TVexmoorArenaScreen::OnShot(TTank& tank, irr::scene::ISceneNode* shell, irr::scene::ISceneNode* muzzle)
{
    const int slot = SlotOfTank(tank.obj_key);
    if (slot >= 0) ++stats.shots[slot];
    BattlefieldEffects::OnShot(*this, tank, shell, muzzle);
}

void TVexmoorArenaScreen::OnHit(const std::shared_ptr<TTank>& victim, const irr::core::vector3df& where, int shooter)
{
    const int hit = victim ? SlotOfTank(victim->obj_key) : -1;
    if (hit >= 0 && IsDuel()) {
        // The duel counts every hit on a tank for the other player, a self-hit too.
        ++stats.hits[slots[0] == hit ? slots[1] : slots[0]];
    } else if (hit >= 0 && shooter >= 0 && AreEnemies(shooter, hit)) {
        ++stats.hits[shooter];
    }
    BattlefieldEffects::OnHit(*this, victim, where);
}

int TVexmoorArenaScreen::OnRender()
{
    TVexmoor* game = GetGame();
    if (!game || !game->driver) return 0;
    auto resource = GetGameResourceAs<TFontResource>("fnt", scoreFont_);
    irr::gui::IGUIFont* font = resource ? resource->GetResource() : nullptr;
    // Each score stands in the color of the tank that scored it, and wears its outline. A
    // score reads on the floor and on the walls it may stand over, and on the sky of a tank's
    // camera, shaded from the floor's color.
    auto colorOf = [&](int slot) { return SchemeColor(TankColors::SchemeKeyOfSlot(*this, slot), scores_[slot].color); };
    ScoreInks now;
    // Players 1 and 2's colors plan the outlines; players 3 and 4's are looked up only where
    // they play (each is a search of the scheme by key, every frame).
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        const bool needed = slot < 2 || std::find(slots.begin(), slots.end(), slot) != slots.end();
        now.ink[slot] = needed ? colorOf(slot) : irr::video::SColor(0);
    }
    now.floor = TankOutlines::Floor(*this);
    now.walls = SchemeColor(now.floor == SchemeColor("Arena") ? "Background" : "Arena");
    now.sky = SlotOfTank(currentGameView) >= 0 || currentGameView == "split";
    if (!scoreInks_.SameGround(now)) {
        const TOutlinePlan outlines = TankOutlines::PlanFor(now.ink[1], now.ink[0], now.floor);
        for (int slot = 0; slot < kMaxPlayers; ++slot) {
            const irr::video::SColor ink = now.ink[slot];
            // Players 3 and 4's tanks have no planned outline of their own.
            const std::optional<irr::video::SColor> planned =
                slot == 0 ? outlines.outline[1] : slot == 1 ? outlines.outline[0] : std::nullopt;
            now.outline[slot] = ScoreDisplay::OutlineFor(ink, planned, now.floor, now.walls, now.sky);
        }
        now.known = true;
        scoreInks_ = now;
    }
    auto score = [&](int side, int points, int slot) {
        return TScoreText{&PointsText(side, points), scoreInks_.ink[slot], scoreInks_.outline[slot]};
    };
    // Player 1's points on the left; in TEAMS team 1's, in its first playing member's color.
    const std::vector<int> points = SidePoints();
    std::vector<TScoreText> texts;
    if (match.mode == TMatchMode::Teams) {
        for (int team = 0; team < 2; ++team) {
            int shown = team;
            for (int slot : slots)
                if (TeamOf(slot) == team) {
                    shown = slot;
                    break;
                }
            texts.push_back(score(team, points[static_cast<size_t>(team)], shown));
        }
    } else {
        for (int slot : slots) texts.push_back(score(slot, points[static_cast<size_t>(slot)], slot));
    }
    // The orthographic view's camera is the one marked orthogonal.
    irr::scene::ICameraSceneNode* camera = smgr ? smgr->getActiveCamera() : nullptr;
    const bool orthographic = camera && camera->isOrthogonal();
    ScoreDisplay::Draw(game->driver, font, orthographic, texts,
                       [&](const std::wstring& text, irr::video::SColor color, const irr::core::recti& at) {
                           DrawText(text, font, color, at.UpperLeftCorner.X, at.UpperLeftCorner.Y, at.getWidth(),
                                    at.getHeight(), 0, 0);
                       });
    overlay.Draw(*this);
    DrawPadMessages();
    return 0;
}
