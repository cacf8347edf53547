// Menus without a mouse: the screens' shared keyboard and d-pad navigation over the
// entries AddMenuEntry made. It drives the screens through their own hover and click
// handling, so every entry of every screen takes part without code of its own.
#include <algorithm>
#include <cstring>

#include "framework/GameEventReceiver.h"
#include "framework/Gamepads.h"
#include "game/VexmoorGameState.h"
#include "game/Vexmoor.h"

namespace {

constexpr int kKeys[] = {irr::KEY_UP, irr::KEY_DOWN, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN, irr::KEY_ESCAPE};
constexpr int kPadButtons[] = {TGamepads::DpadUp,    TGamepads::DpadDown, TGamepads::DpadLeft,
                               TGamepads::DpadRight, TGamepads::A,        TGamepads::B};

irr::SEvent LeftButton(bool down, int x, int y)
{
    irr::SEvent event;
    std::memset(&event, 0, sizeof event);
    event.EventType = irr::EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = down ? irr::EMIE_LMOUSE_PRESSED_DOWN : irr::EMIE_LMOUSE_LEFT_UP;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    return event;
}

}  // namespace

int TVexmoorGameState::OnPreUpdate()
{
    TGameState::OnPreUpdate();
    NavigateMenu();
    return 0;
}

int TVexmoorGameState::IsCapturingKeys()
{
    return 0;
}

int TVexmoorGameState::MenuBack()
{
    if (state_key != "TitleScreen" && TGame::IsGameState("TitleScreen")) SetNextState("TitleScreen");
    return 0;
}

int TVexmoorGameState::NewPresses(MenuInput input)
{
    // Counts are read, never reset, so the screens' own reading of these keys is untouched.
    // A flush or a resetting query starts a count again from 0.
    auto fresh = [](int count, int& seen) {
        const int presses = count >= seen ? count - seen : count;
        seen = count;
        return presses;
    };
    TGameEventReceiver* events = Events();
    TVexmoor* game = GetGame();
    int presses = events ? fresh(events->KeyHitCnt(kKeys[input], 0), seenKeys_[input]) : 0;
    if (game && game->gamepads) presses += fresh(game->gamepads->AnyPadPresses(kPadButtons[input]), seenPads_[input]);
    return presses;
}

void TVexmoorGameState::NavigateMenu()
{
    if (enteredAt_ != TGame::StateSwitches) {
        // Entered anew: the screen has built its entries again, nothing is lit.
        enteredAt_ = TGame::StateSwitches;
        highlighted_ = -1;
        keysOwnHighlight_ = false;
    }
    // A screen without a menu (the arena) reads no presses each frame; once it has
    // entries, the counts are taken up afresh first, so that older presses do not count.
    if (menuEntryIds_.empty()) {
        countsTaken_ = false;
        return;
    }
    int presses[kMenuInputs];
    for (int input = 0; input < kMenuInputs; ++input) presses[input] = NewPresses(static_cast<MenuInput>(input));
    if (!countsTaken_) {
        countsTaken_ = true;
        return;
    }
    if (IsCapturingKeys() || MenuEntries().empty()) return;
    for (int i = 0; i < presses[kMenuUp]; ++i) MoveHighlight(-1);
    for (int i = 0; i < presses[kMenuDown]; ++i) MoveHighlight(1);
    irr::gui::IGUIElement* focus = guienv ? guienv->getFocus() : nullptr;
    if (highlighted_ >= 0 && !(focus && focus->getType() == irr::gui::EGUIET_EDIT_BOX)) {
        for (int i = 0; i < presses[kMenuLeft]; ++i) StepHighlighted(-1);
        for (int i = 0; i < presses[kMenuRight]; ++i) StepHighlighted(1);
    }
    if (presses[kMenuChoose]) ChooseHighlighted();
    else if (presses[kMenuBack]) MenuBack();
}

void TVexmoorGameState::AddToMenu(irr::gui::IGUIElement* element)
{
    if (!element) return;
    const int id = element->getID();
    if (std::find(menuEntryIds_.begin(), menuEntryIds_.end(), id) == menuEntryIds_.end()) menuEntryIds_.push_back(id);
}

std::vector<irr::gui::IGUIElement*> TVexmoorGameState::MenuEntries()
{
    std::vector<irr::gui::IGUIElement*> entries;
    if (!guienv) return entries;
    irr::gui::IGUIElement* root = guienv->getRootGUIElement();
    for (int id : menuEntryIds_) {
        irr::gui::IGUIElement* entry = root->getElementFromId(id, true);
        if (entry && entry->isVisible() && entry->isEnabled()) entries.push_back(entry);
    }
    if (KeepsMenuOrder()) return entries;
    std::stable_sort(entries.begin(), entries.end(), [](irr::gui::IGUIElement* a, irr::gui::IGUIElement* b) {
        const irr::core::recti ra = a->getAbsolutePosition();
        const irr::core::recti rb = b->getAbsolutePosition();
        if (ra.UpperLeftCorner.Y != rb.UpperLeftCorner.Y) return ra.UpperLeftCorner.Y < rb.UpperLeftCorner.Y;
        return ra.UpperLeftCorner.X < rb.UpperLeftCorner.X;
    });
    return entries;
}

int TVexmoorGameState::KeepsMenuOrder()
{
    return 0;
}

int TVexmoorGameState::MoveHighlight(int step)
{
    const std::vector<irr::gui::IGUIElement*> entries = MenuEntries();
    if (entries.empty()) return 0;
    const int count = static_cast<int>(entries.size());
    auto lit = std::find_if(entries.begin(), entries.end(),
                            [&](irr::gui::IGUIElement* entry) { return entry->getID() == highlighted_; });
    int next = step > 0 ? 0 : count - 1;
    if (lit != entries.end()) {
        next = ((static_cast<int>(lit - entries.begin()) + step) % count + count) % count;
        OnGUIEvent(*lit, irr::gui::EGET_ELEMENT_LEFT);
    }
    OnGUIEvent(entries[next], irr::gui::EGET_ELEMENT_HOVERED);
    highlighted_ = entries[next]->getID();
    keysOwnHighlight_ = true;
    return 0;
}

void TVexmoorGameState::RestoreHighlight(int id)
{
    irr::gui::IGUIElement* entry = guienv ? guienv->getRootGUIElement()->getElementFromId(id, true) : nullptr;
    if (!entry) return;
    OnGUIEvent(entry, irr::gui::EGET_ELEMENT_HOVERED);
    highlighted_ = id;
    keysOwnHighlight_ = true;
}

int TVexmoorGameState::ChooseHighlighted()
{
    TGameEventReceiver* events = Events();
    if (!events || highlighted_ < 0) return 0;
    // Through the receiver, as a click of the mouse comes: each screen reads it its own way.
    const int x = events->MouseX();
    const int y = events->MouseY();
    events->OnEvent(LeftButton(true, x, y));
    events->OnEvent(LeftButton(false, x, y));
    return 0;
}

int TVexmoorGameState::StepHighlighted(int)
{
    return 0;
}

int TVexmoorGameState::OnMouseEvent(int mouseEvent, int button, int x, int y, float wheel)
{
    TGameState::OnMouseEvent(mouseEvent, button, x, y, wheel);
    if (mouseEvent != irr::EMIE_MOUSE_MOVED || !keysOwnHighlight_ || !guienv) return 0;
    // The mouse moved: the highlight is its own again, on whatever entry it points at.
    keysOwnHighlight_ = false;
    irr::gui::IGUIElement* pointed = guienv->getHovered();
    irr::gui::IGUIElement* root = guienv->getRootGUIElement();
    irr::gui::IGUIElement* lit = highlighted_ >= 0 ? root->getElementFromId(highlighted_, true) : nullptr;
    if (lit && lit != pointed) OnGUIEvent(lit, irr::gui::EGET_ELEMENT_LEFT);
    const std::vector<irr::gui::IGUIElement*> entries = MenuEntries();
    if (pointed && pointed != lit && std::find(entries.begin(), entries.end(), pointed) != entries.end())
        OnGUIEvent(pointed, irr::gui::EGET_ELEMENT_HOVERED);
    return 0;
}
