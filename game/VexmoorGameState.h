// Base of every screen of the game: reaches the game object, its color scheme, its
// game-wide fonts and menu sound, and builds the menu entries the screens share.
#pragma once

#include <irrlicht.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/GameState.h"

class TVexmoor;
class TColorResource;
class TFontResource;
class TGameEventReceiver;

class TVexmoorGameState : public TGameState {
    VEXMOOR_CLASS(TVexmoorGameState, TGameState)

public:
    // The running game if it is a TVexmoor, else null.
    virtual TVexmoor* GetGame();

    // The current scheme's color under key; opaque white without a game.
    irr::video::SColor SchemeColor(const std::string& key);
    // The same for a color read every frame: the color resource is remembered in last
    // until the scheme or its resources change, and its color is read at each call.
    irr::video::SColor SchemeColor(const std::string& key, TObjectLookup<TColorResource>& last);
    // The game-wide font under key; the engine's built-in font when there is none.
    irr::gui::IGUIFont* GameFont(const std::string& key);
    // A font file through the GUI environment's cache; the built-in font when it cannot be read.
    irr::gui::IGUIFont* FontFromFile(const std::string& file);
    // The engine's built-in font, standing in for a font file that cannot be read; the game
    // reports each such file once on stderr.
    irr::gui::IGUIFont* BuiltInFontFor(const std::string& file);
    // A loaded font if it is whole, else the built-in font for its file. A cut font file
    // still loads in part; one without a glyph of its own for every printable ASCII
    // character counts as unreadable.
    irr::gui::IGUIFont* WholeFontOr(irr::gui::IGUIFont* font, const std::string& file);
    // The game's input receiver, or null before the window exists.
    TGameEventReceiver* Events();
    // Width of the video driver's screen in pixels.
    int ScreenWidth();
    // The game's scaling of 800x600 coordinates to the real screen (unscaled without a window).
    int SX(int x);
    int SY(int y);

    // A font resource read from file through this state's GUI environment, holding the
    // engine's built-in font where the file cannot be read whole.
    std::shared_ptr<TFontResource> WholeFontResource(const std::string& file, int pt, int bold);
    // Loads the game-wide fonts ("fnt_36" to "fnt_10") from this state's GUI environment
    // into the game, each the engine's built-in font where its file cannot be read.
    void LoadGameFonts();

    // Readable texts (ReadableText). What the screen's texts stand on: the clear color; none
    // on a screen that puts its texts on grounds of its own.
    virtual std::optional<irr::video::SColor> TextGround();
    // The screen's own texts wear an outline where their color stands too close to the ground.
    int DrawText(const std::wstring& text, irr::gui::IGUIFont* font, std::optional<irr::video::SColor> color, int x,
                 int y, int width, int height, int hcenter, int vcenter) override;
    // The scene, the screen's own drawing, the backings of the GUI's texts, then the GUI.
    int Render() override;
    // Behind each static text and check box text shown: a plate under the lit menu entry,
    // or the outline a text needs on the ground.
    virtual void DrawTextBackings();

    // A menu entry: a static text sized to its text in font, centered on centerX, with its
    // top at y, colored with the scheme's "Background".
    irr::gui::IGUIStaticText* AddMenuEntry(const wchar_t* text, irr::gui::IGUIFont* font, int centerX, int y,
                                           int id);
    // A static text filling the cell rect (so the whole cell answers the mouse), its text
    // centred or from the left edge, in font and the scheme's "Background". It takes part
    // in the keyboard navigation once given to AddToMenu.
    irr::gui::IGUIStaticText* AddTextCell(const wchar_t* text, irr::gui::IGUIFont* font, const irr::core::recti& rect,
                                          int id, bool centered);
    // Recolors element with the scheme color under key; only static texts carry a color.
    void ColorEntry(irr::gui::IGUIElement* element, const std::string& key);
    // The menus' answer to the GUI's hovered and left events: a hovered entry is lit in
    // "Tank2" and its id kept in mouseOn, a left one goes back to "Background" and mouseOn
    // to -1. Other events change nothing.
    int TrackHover(irr::gui::IGUIElement* caller, int eventType, int& mouseOn, bool playSound);
    // The one-entry screens' update: a left click while the entry `id` is hovered asks for
    // the title; every frame drops the mouse state, so clicks elsewhere never count later.
    int BackToTitleOnClick(int mouseOn, int id);
    // Plays "menu_hover" on its own channel, so a new hover restarts it; silent when it did not load.
    void PlayHoverSound();

    // Menus without a mouse (MenuNavigation.cpp). On every screen with menu entries,
    // Up and Down (keys and d-pad) move the hover highlight over the entries, top to
    // bottom and left to right, with the hover's color and sound; Return or A clicks the
    // lit entry; Left and Right (keys and d-pad) step the lit entry's value back and on,
    // where it has one; Escape or B goes back to the title. The mouse or the keys,
    // whichever moved last, owns the highlight.
    int OnPreUpdate() override;
    int OnMouseEvent(int mouseEvent, int button, int x, int y, float wheel) override;
    // While this answers 1 (a screen waiting for a key to bind, say) the keys and pads
    // leave the menu alone.
    virtual int IsCapturingKeys();
    // Where Escape or B leads: the title, or nowhere from the title itself.
    virtual int MenuBack();
    // Makes an element a screen built itself a menu entry like AddMenuEntry's.
    void AddToMenu(irr::gui::IGUIElement* element);
    // The screen's menu entries that are shown now, in highlight order: top to bottom and
    // left to right, or the order they were made in where the screen keeps it.
    std::vector<irr::gui::IGUIElement*> MenuEntries();
    virtual int KeepsMenuOrder();
    // Moves the highlight step entries on (1 down, -1 up), wrapping around.
    virtual int MoveHighlight(int step);
    // Clicks the lit entry as a left click of the mouse would.
    virtual int ChooseHighlighted();
    // Steps the lit entry's value back (-1) or on (1): Left and Right. Nothing here; a
    // screen with stepped values steps them. Not called while a text field has the focus
    // (Left and Right move its cursor).
    virtual int StepHighlighted(int direction);
    // Lights the entry id as the keys would, for a screen that built its entries again.
    void RestoreHighlight(int id);
    // Id of the entry lit by the mouse or the keys, or -1.
    int HighlightedEntry() const { return highlighted_; }

private:
    enum MenuInput { kMenuUp, kMenuDown, kMenuLeft, kMenuRight, kMenuChoose, kMenuBack, kMenuInputs };
    // Presses of a menu input since the last frame, from the keys and from any pad.
    int NewPresses(MenuInput input);
    void NavigateMenu();

    std::vector<int> menuEntryIds_;
    std::vector<int> centeredIds_;  // static texts drawn centred in their cells
    int highlighted_ = -1;
    bool keysOwnHighlight_ = false;
    unsigned enteredAt_ = ~0u;  // the state switch the menu state belongs to
    std::array<int, kMenuInputs> seenKeys_{};
    std::array<int, kMenuInputs> seenPads_{};
    bool countsTaken_ = true;  // seenKeys_ and seenPads_ are up to date
};
