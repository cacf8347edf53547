#include "game/screens/OptionsControls.h"

#include "game/VexmoorGameState.h"
#include "game/settings/KeyNames.h"

namespace {

// In 800x600 coordinates, scaled to the screen: the action names from kNamesX, each
// player's keys in a column of its own, one row per action, right of SOUND.
constexpr int kNamesX = 345;
constexpr int kFirstColumnLeft = 440;
constexpr int kColumnWidth = 90;
constexpr int kColumnLeft[kMaxPlayers] = {kFirstColumnLeft, kFirstColumnLeft + kColumnWidth,
                                          kFirstColumnLeft + 2 * kColumnWidth, kFirstColumnLeft + 3 * kColumnWidth};
constexpr int kHeadY = 300;
constexpr int kFirstRowY = 322;
constexpr int kRowStep = 22;
constexpr int kDefaultsY = 420;

}  // namespace

const wchar_t* TOptionsControls::ActionName(Action action)
{
    static const wchar_t* const kNames[kActionCount] = {L"FORWARD", L"TURN LEFT", L"TURN RIGHT", L"FIRE"};
    return kNames[action];
}

std::wstring TOptionsControls::KeyText(int key)
{
    const std::string name = KeyNames::Name(key);
    return std::wstring(name.begin(), name.end());
}

int& TOptionsControls::KeyOf(TKeyBindings& keys, Action action)
{
    switch (action) {
    case kLeft: return keys.left;
    case kRight: return keys.right;
    case kFire: return keys.fire;
    default: return keys.forward;
    }
}

bool TOptionsControls::Bind(TSettings& settings, int slot, Action action, int key)
{
    if (!KeyNames::IsBindable(key)) return false;
    int& target = KeyOf(settings.players[slot].keys, action);
    for (TPlayerSetup& player : settings.players)
        for (int other = 0; other < kActionCount; ++other) {
            int& held = KeyOf(player.keys, static_cast<Action>(other));
            if (&held != &target && held == key) held = target;
        }
    target = key;
    return true;
}

void TOptionsControls::Build(TVexmoorGameState& screen, TSettings& settings)
{
    settings_ = &settings;
    waitingId_ = -1;
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    font_ = font;
    smallFont_ = screen.GameFont("fnt_10");
    if (!screen.guienv || !font) return;
    const int height = static_cast<int>(font->getDimension(L"0").Height);
    for (int action = 0; action < kActionCount; ++action) {
        const int y = screen.SY(kFirstRowY + kRowStep * action);
        for (int slot = 0; slot < kMaxPlayers; ++slot) {
            const irr::core::recti cell(screen.SX(kColumnLeft[slot]), y, screen.SX(kColumnLeft[slot] + kColumnWidth), y + height);
            cells[slot][action] = screen.AddTextCell(L"", font, cell, Id(slot, static_cast<Action>(action)), true);
            screen.AddToMenu(cells[slot][action]);
        }
    }
    const int y = screen.SY(kDefaultsY);
    defaults = screen.AddTextCell(
        L"DEFAULT KEYS", font,
        irr::core::recti(screen.SX(kColumnLeft[0]), y, screen.SX(kColumnLeft[kMaxPlayers - 1] + kColumnWidth), y + height),
        kDefaultsId, true);
    screen.AddToMenu(defaults);
    ShowAll();
}

void TOptionsControls::Clear()
{
    cells = {};
    defaults = nullptr;
    font_ = smallFont_ = nullptr;
    waitingId_ = -1;
}

bool TOptionsControls::Click(int id)
{
    if (!Clickable(id) || !settings_) return false;
    if (id == kDefaultsId) {
        waitingId_ = -1;
        for (int slot = 0; slot < kMaxPlayers; ++slot)
            settings_->players[static_cast<size_t>(slot)].keys = TSettings::DefaultKeys(slot);
    } else {
        waitingId_ = id;
    }
    ShowAll();
    return true;
}

TOptionsControls::Outcome TOptionsControls::Press(int key)
{
    if (key == irr::KEY_ESCAPE || !Waiting() || !settings_) {
        Cancel();
        return kCancelled;
    }
    const int slot = (waitingId_ - kFirstId) / kActionCount;
    const Action action = static_cast<Action>((waitingId_ - kFirstId) % kActionCount);
    if (!Bind(*settings_, slot, action, key)) return kRefused;
    Cancel();
    return kBound;
}

void TOptionsControls::Cancel()
{
    waitingId_ = -1;
    ShowAll();
}

void TOptionsControls::Draw(TVexmoorGameState& screen)
{
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    if (!font) return;
    const irr::video::SColor color = screen.SchemeColor("Tank2");
    for (int slot = 0; slot < kMaxPlayers; ++slot) {
        const std::wstring head = L"PLAYER " + std::to_wstring(slot + 1);
        const int center = screen.SX(kColumnLeft[slot] + kColumnWidth / 2);
        const int width = static_cast<int>(font->getDimension(head.c_str()).Width);
        screen.DrawText(head, font, color, center - width / 2, screen.SY(kHeadY), -1, -1, 0, 0);
    }
    for (int action = 0; action < kActionCount; ++action)
        screen.DrawText(ActionName(static_cast<Action>(action)), font, color, screen.SX(kNamesX),
                        screen.SY(kFirstRowY + kRowStep * action), -1, -1, 0, 0);
}

void TOptionsControls::ShowAll()
{
    if (!settings_) return;
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        for (int action = 0; action < kActionCount; ++action) {
            irr::gui::IGUIStaticText* cell = cells[static_cast<size_t>(slot)][action];
            if (!cell) continue;
            const bool waiting = cell->getID() == waitingId_;
            const int key = KeyOf(settings_->players[static_cast<size_t>(slot)].keys, static_cast<Action>(action));
            const std::wstring text = waiting ? L"PRESS A KEY" : KeyText(key);
            cell->setText(text.c_str());
            // A long key name ("RIGHT CONTROL") takes the smaller font rather than being cut.
            const bool fits = !font_ || static_cast<int>(font_->getDimension(text.c_str()).Width) <=
                                            cell->getAbsolutePosition().getWidth();
            if (fits || smallFont_) cell->setOverrideFont(fits ? font_ : smallFont_);
        }
}
