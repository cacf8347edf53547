// Every text the game draws, read back from real OpenGL frames (run under Xvfb): for each
// screen in each of the thirteen schemes, the contrast between a text's pixels and the
// pixels right round them. Each font the game loads is wrapped so that the test learns
// where each text was drawn; the pixels of the text are found by drawing that one text
// again alone, and the frame itself says what stands round them.
//   VEXMOOR_RENDER_SHOTS=<folder> keeps the frame of the lowest contrast of each screen;
//   VEXMOOR_CONTRAST_ALL=1 lists every text under the least contrast, not the first 40.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "framework/Clock.h"
#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameEventReceiver.h"
#include "framework/GameResource.h"
#include "framework/Gamepads.h"
#include "game/Vexmoor.h"
#include "game/VexmoorScreens.h"
#include "game/match/ArenaScreen.h"
#include "game/net/NetworkMatch.h"
#include "game/world/Player.h"
#include "sound/SoundDevice.h"
#include "tests/support/Contrast.h"
#include "tests/support/GameInstance.h"
#include "tests/support/InputEvents.h"
#include "tests/support/VirtualPad.h"

using irr::core::recti;
using irr::video::SColor;

namespace {

constexpr int kW = 800, kH = 600;
constexpr double kLeast = 4.5;  // WCAG AA for text
constexpr int kSchemes = 13;

const char* const kFontFiles[] = {
    "fonts/pixfont_basic_36pt_bold.xml", "fonts/pixfont_basic_28pt_bold.xml", "fonts/pixfont_basic_24pt_bold.xml",
    "fonts/pixfont_basic_18pt_bold.xml", "fonts/pixfont_basic_16pt.xml",      "fonts/pixfont_basic_14pt.xml",
    "fonts/pixfont_basic_12pt_bold.xml", "fonts/pixfont_basic_10pt_bold.xml",
};

// One call of a font's draw.
struct DrawCall {
    std::wstring text;
    irr::gui::IGUIFont* font;  // the game's font object
    irr::gui::IGUIFont* real;  // the engine's font behind it
    recti position;
    SColor color;
    bool hcenter, vcenter;
    std::optional<recti> clip;
};

// The engine's bitmap font, noting each draw while the test listens.
class RecordingFont : public irr::gui::IGUIFontBitmap {
public:
    RecordingFont(irr::gui::IGUIFontBitmap* real, std::vector<DrawCall>* log, const bool* listening)
        : real_(real), log_(log), listening_(listening)
    {
        real_->grab();
    }
    ~RecordingFont() override { real_->drop(); }

    void draw(const irr::core::stringw& text, const recti& position, SColor color, bool hcenter, bool vcenter,
              const recti* clip) override
    {
        if (*listening_)
            log_->push_back({std::wstring(text.c_str()), this, real_, position, color, hcenter, vcenter,
                             clip ? std::optional<recti>(*clip) : std::nullopt});
        real_->draw(text, position, color, hcenter, vcenter, clip);
    }
    irr::core::dimension2d<irr::u32> getDimension(const wchar_t* text) const override { return real_->getDimension(text); }
    irr::s32 getCharacterFromPos(const wchar_t* text, irr::s32 x) const override { return real_->getCharacterFromPos(text, x); }
    void setKerningWidth(irr::s32 k) override { real_->setKerningWidth(k); }
    void setKerningHeight(irr::s32 k) override { real_->setKerningHeight(k); }
    irr::s32 getKerningWidth(const wchar_t* a = 0, const wchar_t* b = 0) const override
    {
        return real_->getKerningWidth(a, b);
    }
    irr::s32 getKerningHeight() const override { return real_->getKerningHeight(); }
    void setInvisibleCharacters(const wchar_t* s) override { real_->setInvisibleCharacters(s); }
    irr::gui::IGUISpriteBank* getSpriteBank() const override { return real_->getSpriteBank(); }
    irr::u32 getSpriteNoFromChar(const wchar_t* c) const override { return real_->getSpriteNoFromChar(c); }

private:
    irr::gui::IGUIFontBitmap* real_;
    std::vector<DrawCall>* log_;
    const bool* listening_;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
    SColor Color() const { return SColor(255, r, g, b); }
    bool operator!=(const Rgb& o) const { return r != o.r || g != o.g || b != o.b; }
};

struct Picture {
    std::vector<Rgb> px = std::vector<Rgb>(kW * kH);
    Rgb At(int x, int y) const { return px[static_cast<size_t>(y) * kW + x]; }
};

// Reads a part of the back buffer, top row first.
std::vector<Rgb> ReadBack(const recti& area)
{
    const int w = area.getWidth(), h = area.getHeight();
    std::vector<unsigned char> rows(3 * static_cast<size_t>(w) * h);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(area.UpperLeftCorner.X, kH - area.LowerRightCorner.Y, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::vector<Rgb> out(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &rows[3 * (static_cast<size_t>(h - 1 - y) * w + x)];
            out[static_cast<size_t>(y) * w + x] = {p[0], p[1], p[2]};
        }
    return out;
}

// What one text looked like in a frame.
struct TextReading {
    std::wstring text;
    SColor ink;
    double contrast = 0;  // the least between the ink and a pixel next to the text
    int pixels = 0;       // of the text itself
    bool hidden = false;  // its pixels do not show its ink: something covers it
    std::vector<std::pair<int, int>> glyphs;  // its pixels, in screen coordinates
};

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

}  // namespace

class ScreenContrast : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        ASSERT_TRUE(game->InitGraphics(kW, kH, 16, irr::video::EDT_OPENGL)) << "no OpenGL window (no X display?)";
        // Each font file is found in the GUI's cache as the recording font: the engine's font
        // is loaded under another spelling of its path first.
        for (const char* file : kFontFiles) {
            irr::gui::IGUIFont* real = game->device->getGUIEnvironment()->getFont((std::string("./") + file).c_str());
            ASSERT_NE(real, nullptr) << file;
            ASSERT_EQ(real->getType(), irr::gui::EGFT_BITMAP) << file;
            auto* recording = new RecordingFont(static_cast<irr::gui::IGUIFontBitmap*>(real), &draws_, &listening_);
            game->device->getGUIEnvironment()->addFont(file, recording);
            recording->drop();
        }
        screens.init = nullptr;
        TGame::AddGameState("TitleScreen", screens.title);
        TGame::AddGameState("CreditsScreen", screens.credits);
        TGame::AddGameState("OptionsScreen", screens.options);
        TGame::AddGameState("Arena", screens.arena);
        TGame::AddGameState("StartScreen", screens.start);
        TGame::AddGameState("ResultsScreen", screens.results);
        game->networkMatchEnd = std::dynamic_pointer_cast<TNetworkMatchEnd>(screens.start);
        // The game-wide fonts, as the start-up state loads them.
        Title().guienv = game->device->getGUIEnvironment();
        Title().LoadGameFonts();
        Title().auto_cycle_colors = 0;  // the test steps the schemes itself
    }
    void TearDown() override
    {
        if (TGame::GetCurrentGameState()) TGame::SetGameState("");
        TGame::ReleaseClassData();
        game.reset();
        SoundDevice::Shutdown();
        GameClock::SetSource(nullptr);
        Report();
    }

    TVexmoorGameTitleScreen& Title() { return static_cast<TVexmoorGameTitleScreen&>(*screens.title); }
    TVexmoorGameStartScreen& SetupScreen() { return static_cast<TVexmoorGameStartScreen&>(*screens.start); }
    TVexmoorGameOptionsScreen& Options() { return static_cast<TVexmoorGameOptionsScreen&>(*screens.options); }
    TVexmoorArenaScreen& Arena() { return static_cast<TVexmoorArenaScreen&>(*screens.arena); }
    TVexmoorGameState& Current() { return static_cast<TVexmoorGameState&>(*TGame::GetCurrentGameState()); }

    void Frame(int ms = 16)
    {
        clock.Advance(static_cast<uint32_t>(ms));
        game->RunFrame();
    }
    void Tap(int key)
    {
        game->device->postEventFromUser(KeyEvent(static_cast<irr::EKEY_CODE>(key), true));
        Frame();
        game->device->postEventFromUser(KeyEvent(static_cast<irr::EKEY_CODE>(key), false));
        Frame();
    }
    // A screen entered anew in scheme s, the pointer in a corner where it lights nothing.
    void Enter(const std::string& name, int s)
    {
        game->SetCurrentColorScheme(s);
        game->device->postEventFromUser(MouseEvent(irr::EMIE_MOUSE_MOVED, kW - 1, kH - 1));
        TGame::SetGameState(name);
        Frame();
        Frame();
    }
    void Unlight()
    {
        TVexmoorGameState& state = Current();
        const int lit = state.HighlightedEntry();
        if (lit < 0 || !state.guienv) return;
        if (irr::gui::IGUIElement* e = state.guienv->getRootGUIElement()->getElementFromId(lit, true))
            state.OnGUIEvent(e, irr::gui::EGET_ELEMENT_LEFT);
        Frame();
    }

    // Draws the current state as the game's frame does, reads the picture back and reads
    // each text drawn in it; the readings count for `screen` in `scheme`.
    std::vector<TextReading> Capture(const std::string& screen, int scheme, Picture* keep = nullptr)
    {
        irr::video::IVideoDriver* driver = game->driver;
        auto state = TGame::GetCurrentGameState();
        state->OnPreRender();
        driver->setViewPort(*game->screenRect);
        driver->beginScene(true, true, game->clsColor.value_or(SColor(255, 0, 0, 0)));
        draws_.clear();
        listening_ = true;
        state->Render();
        listening_ = false;
        driver->setViewPort(*game->screenRect);
        Picture picture;
        picture.px = ReadBack(recti(0, 0, kW, kH));
        std::vector<TextReading> readings;
        for (size_t i = 0; i < draws_.size(); ++i) {
            if (IsOutlineCopy(i)) continue;
            TextReading reading = Read(picture, draws_[i]);
            if (reading.pixels == 0) continue;
            readings.push_back(reading);
        }
        driver->endScene();
        for (const TextReading& r : readings) Note(screen, scheme, r, picture);
        if (keep) *keep = picture;
        return readings;
    }

    // A draw followed by one of the same text a few pixels off is a copy under it (an
    // outline): what the player reads is the last one.
    bool IsOutlineCopy(size_t i) const
    {
        const DrawCall& a = draws_[i];
        for (size_t j = i + 1; j < draws_.size(); ++j) {
            const DrawCall& b = draws_[j];
            if (b.text == a.text && b.real == a.real &&
                std::abs(b.position.UpperLeftCorner.X - a.position.UpperLeftCorner.X) <= 3 &&
                std::abs(b.position.UpperLeftCorner.Y - a.position.UpperLeftCorner.Y) <= 3)
                return true;
        }
        return false;
    }

    // The pixels of one text: it is drawn again alone, white on black, into the back buffer.
    const std::vector<std::pair<int, int>>& Glyphs(const DrawCall& d)
    {
        auto key = std::make_tuple(d.real, d.text, d.position.UpperLeftCorner.X, d.position.UpperLeftCorner.Y,
                                   d.position.LowerRightCorner.X, d.position.LowerRightCorner.Y, d.hcenter, d.vcenter,
                                   d.clip ? d.clip->UpperLeftCorner.X : -99999, d.clip ? d.clip->LowerRightCorner.X : -99999);
        auto found = glyphs_.find(key);
        if (found != glyphs_.end()) return found->second;
        const irr::core::dimension2d<irr::u32> size = d.real->getDimension(d.text.c_str());
        recti area = d.position;
        const irr::core::vector2di c = d.position.getCenter();
        area.addInternalPoint(c.X - static_cast<int>(size.Width) / 2 - 2, c.Y - static_cast<int>(size.Height) / 2 - 2);
        area.addInternalPoint(c.X + static_cast<int>(size.Width) / 2 + 2, c.Y + static_cast<int>(size.Height) / 2 + 2);
        area.addInternalPoint(d.position.UpperLeftCorner.X + static_cast<int>(size.Width) + 2,
                              d.position.UpperLeftCorner.Y + static_cast<int>(size.Height) + 2);
        area.UpperLeftCorner -= irr::core::vector2di(4, 4);
        area.LowerRightCorner += irr::core::vector2di(4, 4);
        area.clipAgainst(recti(0, 0, kW, kH));
        std::vector<std::pair<int, int>> pixels;
        if (area.isValid() && area.getArea() > 0) {
            game->driver->draw2DRectangle(SColor(255, 0, 0, 0), area);
            d.real->draw(d.text.c_str(), d.position, SColor(255, 255, 255, 255), d.hcenter, d.vcenter,
                         d.clip ? &*d.clip : nullptr);
            const std::vector<Rgb> alone = ReadBack(area);
            for (int y = 0; y < area.getHeight(); ++y)
                for (int x = 0; x < area.getWidth(); ++x)
                    if (alone[static_cast<size_t>(y) * area.getWidth() + x].g > 127)
                        pixels.emplace_back(area.UpperLeftCorner.X + x, area.UpperLeftCorner.Y + y);
        }
        return glyphs_.emplace(key, std::move(pixels)).first->second;
    }

    TextReading Read(const Picture& picture, const DrawCall& d)
    {
        TextReading r;
        r.text = d.text;
        r.ink = d.color;
        r.ink.setAlpha(255);
        r.glyphs = Glyphs(d);
        r.pixels = static_cast<int>(r.glyphs.size());
        if (r.glyphs.empty()) return r;
        std::vector<unsigned char> mask(kW * kH, 0);
        // The ink is the color most of its pixels show (a text drawn half transparent shows
        // a blend); a text whose pixels mostly show something else is covered.
        std::map<std::tuple<int, int, int>, int> shown;
        for (auto [x, y] : r.glyphs) {
            mask[static_cast<size_t>(y) * kW + x] = 1;
            const Rgb p = picture.At(x, y);
            ++shown[{p.r, p.g, p.b}];
        }
        auto most = std::max_element(shown.begin(), shown.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        r.ink = SColor(255, std::get<0>(most->first), std::get<1>(most->first), std::get<2>(most->first));
        r.hidden = most->second * 2 < r.pixels;
        double least = 21.0;
        for (auto [x, y] : r.glyphs)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= kW || ny >= kH || mask[static_cast<size_t>(ny) * kW + nx]) continue;
                    least = std::min(least, WcagContrast(r.ink, picture.At(nx, ny).Color()));
                }
        r.contrast = r.hidden ? 1.0 : least;
        return r;
    }

    // The lowest reading of each screen, and every text under the least contrast.
    struct Lowest {
        double contrast = 99;
        std::string text;
        int scheme = -1;
        int lines = 0;
    };
    void Note(const std::string& screen, int scheme, const TextReading& r, const Picture& picture)
    {
        Lowest& low = lowest_[screen];
        ++low.lines;
        if (r.contrast < low.contrast) {
            low.contrast = r.contrast;
            low.text = Narrow(r.text);
            low.scheme = scheme;
            KeepShot(screen, picture);
        }
        if (r.contrast < kLeast) {
            std::ostringstream line;
            line << screen << ", scheme " << scheme << ": \"" << Narrow(r.text) << "\" at " << std::fixed
                 << std::setprecision(2) << r.contrast << ":1, ink " << r.ink.getRed() << "," << r.ink.getGreen() << ","
                 << r.ink.getBlue() << (r.hidden ? " (its pixels are covered)" : "");
            faults_.push_back(line.str());
        }
    }
    void KeepShot(const std::string& name, const Picture& picture)
    {
        const char* folder = std::getenv("VEXMOOR_RENDER_SHOTS");
        if (!folder || !*folder) return;
        irr::video::IImage* image = game->driver->createImage(irr::video::ECF_R8G8B8, irr::core::dimension2d<irr::u32>(kW, kH));
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) image->setPixel(x, y, picture.At(x, y).Color());
        game->driver->writeImageToFile(image, (std::string(folder) + "/lowest_" + name + ".png").c_str());
        image->drop();
    }
    // Every text of every frame read reached the least contrast.
    void ExpectReadable()
    {
        std::ostringstream all;
        const size_t shown = std::getenv("VEXMOOR_CONTRAST_ALL") ? faults_.size() : std::min<size_t>(faults_.size(), 40);
        for (size_t i = 0; i < shown; ++i) all << "\n  " << faults_[i];
        EXPECT_TRUE(faults_.empty()) << faults_.size() << " texts under " << kLeast << ":1" << all.str();
    }
    void Report()
    {
        for (const auto& [screen, low] : lowest_)
            std::cout << "lowest contrast, " << std::left << std::setw(10) << screen << std::right << std::fixed
                      << std::setprecision(2) << low.contrast << ":1 (\"" << low.text << "\", scheme " << low.scheme
                      << "; " << low.lines << " texts read)" << std::endl;
    }

    // The lit entry stands out from the others by more than its color: the frame with it
    // lit differs from the frame with nothing lit also away from its letters.
    void ExpectLitStandsOut(const std::string& screen, int scheme, const Picture& unlit, const Picture& lit,
                            const std::vector<TextReading>& readings)
    {
        TVexmoorGameState& state = Current();
        irr::gui::IGUIElement* entry = state.guienv->getRootGUIElement()->getElementFromId(state.HighlightedEntry(), true);
        ASSERT_NE(entry, nullptr);
        const std::wstring text = entry->getText();
        std::vector<unsigned char> near(kW * kH, 0);
        for (const TextReading& r : readings)
            if (r.text == text)
                for (auto [x, y] : r.glyphs)
                    for (int dy = -2; dy <= 2; ++dy)
                        for (int dx = -2; dx <= 2; ++dx)
                            if (x + dx >= 0 && y + dy >= 0 && x + dx < kW && y + dy < kH)
                                near[static_cast<size_t>(y + dy) * kW + x + dx] = 1;
        int away = 0;
        for (int i = 0; i < kW * kH; ++i) away += !near[i] && unlit.px[i] != lit.px[i];
        EXPECT_GE(away, 20) << screen << ", scheme " << scheme << ": lit \"" << Narrow(text)
                            << "\" differs from its unlit look only in its letters (" << away << " pixels more)";
    }

    // Each entry of the current screen lit in turn, from the key's first press on.
    void ReadEveryEntryLit(const std::string& screen, int s)
    {
        Unlight();
        Picture unlit;
        Capture(screen, s, &unlit);
        const size_t count = Current().MenuEntries().size();
        for (size_t i = 0; i < count; ++i) {
            Current().MoveHighlight(1);
            Frame();
            Picture lit;
            const std::vector<TextReading> readings = Capture(screen, s, &lit);
            ExpectLitStandsOut(screen, s, unlit, lit, readings);
        }
    }

    GameClock::ManualClock clock{100000};
    std::shared_ptr<TVexmoor> game;
    TVexmoorScreens screens;
    std::vector<DrawCall> draws_;
    bool listening_ = false;
    std::map<std::tuple<irr::gui::IGUIFont*, std::wstring, int, int, int, int, bool, bool, int, int>,
             std::vector<std::pair<int, int>>>
        glyphs_;
    std::map<std::string, Lowest> lowest_;
    std::vector<std::string> faults_;
};

// The title at each step of its cycling, at rest and with each entry lit.
TEST_F(ScreenContrast, TitleInEveryStepOfItsCycling)
{
    Enter("TitleScreen", kSchemes - 1);
    for (int s = 0; s < kSchemes; ++s) {
        Title().IncrementColorScheme();
        Frame();
        ASSERT_EQ(game->ColorSchemeIdx, s);
        ReadEveryEntryLit("title", s);
    }
    ExpectReadable();
}

// The set-up: the headings, the four rows, the options, FIGHT and EXIT, each entry lit in
// turn, and the network row's JOIN field and a note of what went wrong.
TEST_F(ScreenContrast, SetupInEveryScheme)
{
    game->settings.players[2].status = TPlayerStatus::ComputerNormal;  // player 4 stays OFF
    for (int s = 0; s < kSchemes; ++s) {
        Enter("StartScreen", s);
        ReadEveryEntryLit("setup", s);
        Unlight();
        for (int i = 0; i < 2; ++i) SetupScreen().network.Click(TSetupNetworkRow::kRoleId);  // on to JOIN
        ASSERT_NE(SetupScreen().network.note, nullptr);
        SetupScreen().network.note->setText(L"CANNOT LISTEN ON 0.0.0.0:47400 (IN USE, OR NOT THIS MACHINE'S)");
        Frame();
        Capture("setup", s);
    }
    ExpectReadable();
}

// The options: every entry lit in turn, a key cell waiting, and the line that refuses F3;
// one key name long enough for the cells' smaller font.
TEST_F(ScreenContrast, OptionsInEveryScheme)
{
    game->settings.players[3].keys.fire = irr::KEY_RCONTROL;
    for (int s = 0; s < kSchemes; ++s) {
        game->RemoveFlag("settings_unsaved_said");  // said at each visit, to be read in each scheme
        Enter("OptionsScreen", s);
        ReadEveryEntryLit("options", s);
        Unlight();
        ASSERT_TRUE(Options().controls.Click(TOptionsControls::Id(0, TOptionsControls::kForward)));
        Tap(irr::KEY_F3);
        ASSERT_NE(Options().notice.find(L"BELONGS TO THE MATCH"), std::wstring::npos);
        Capture("options", s);
        Tap(irr::KEY_ESCAPE);
    }
    ExpectReadable();
}

TEST_F(ScreenContrast, CreditsInEveryScheme)
{
    for (int s = 0; s < kSchemes; ++s) {
        Enter("CreditsScreen", s);
        ReadEveryEntryLit("credits", s);
    }
    ExpectReadable();
}

TEST_F(ScreenContrast, ResultsInEveryScheme)
{
    for (int s = 0; s < kSchemes; ++s) {
        game->lastMatch = TMatchStats{};
        game->lastMatch.winner = 1 + s % 2;
        game->lastMatch.shots[0] = 12;
        game->lastMatch.hits[0] = 7;
        game->lastMatch.elapsedMs = 95000;
        Enter("ResultsScreen", s);
        ReadEveryEntryLit("results", s);
    }
    ExpectReadable();
}

// A match entered in each scheme: the scores, the clock, a maze's seed, the game speed,
// PAUSED and the keys, in the overhead, orthographic and split views, and after F12.
TEST_F(ScreenContrast, MatchInEveryScheme)
{
    for (int s = 0; s < kSchemes; ++s) {
        TMatchOptions& match = game->settings.match;
        match.timeLimitSeconds = 136;
        match.arena = s % 2 ? TArenaChoice::Forts : TArenaChoice::RandomMaze;
        Enter("Arena", s);
        Tap(irr::KEY_F7);
        Tap(irr::KEY_F8);
        Tap(irr::KEY_PLUS);
        Tap(irr::KEY_F9);
        Capture("match", s);
        Tap(irr::KEY_F3);
        Capture("match", s);
        Tap(irr::KEY_F4);
        Capture("match", s);
        Tap(irr::KEY_F1);
        Tap(irr::KEY_F12);  // the floor takes the next scheme's "Arena"
        Capture("match", (s + 1) % kSchemes);
        TGame::SetGameState("TitleScreen");
    }
    ExpectReadable();
}

// Both players' pads pulled out mid-match: each player's line in its tank's color.
TEST_F(ScreenContrast, PadsPulledOutInEveryScheme)
{
    game->gamepads = TGamepads::Open();
    ASSERT_NE(game->gamepads, nullptr);
    for (int s = 0; s < kSchemes; ++s) {
        auto pad1 = std::make_unique<VirtualPad>(), pad2 = std::make_unique<VirtualPad>();
        ASSERT_TRUE(pad1->Attached() && pad2->Attached()) << SDL_GetError();
        game->gamepads->Poll();
        game->settings.players[0].status = TPlayerStatus::Gamepad1;
        game->settings.players[1].status = TPlayerStatus::Gamepad2;
        Enter("Arena", s);
        pad1.reset();
        pad2.reset();
        Frame();
        Frame();
        ASSERT_TRUE(Arena().IsPadLost(1) && Arena().IsPadLost(2));
        Capture("pads", s);
        TGame::SetGameState("TitleScreen");
    }
    ExpectReadable();
}

// The finale from each scheme: the winner and the scores at every step of its colors.
TEST_F(ScreenContrast, FinaleAtEveryStepOfItsColors)
{
    for (int s = 0; s < kSchemes; ++s) {
        game->settings.match = TMatchOptions{};
        Enter("Arena", s);
        auto player = Arena().GetGameObjectAs<TPlayer>(s % 2 ? "player1" : "player2");
        ASSERT_NE(player, nullptr);
        player->score = game->settings.match.scoreTo;
        Frame();
        int steps = 0;
        for (int last = -1; TGame::GetCurrentGameState()->state_key == "Arena" && steps < 20; Frame(100)) {
            if (game->ColorSchemeIdx == last) continue;
            last = game->ColorSchemeIdx;
            Capture("finale", last);
            ++steps;
        }
        EXPECT_GE(steps, 6) << "the finale from scheme " << s << " showed " << steps << " color steps";
        TGame::SetGameState("TitleScreen");
    }
    ExpectReadable();
}

// A host waiting for its player; a joiner told it is player 2 and told the host left, in
// the host's scheme, the host being a second game in this process.
TEST_F(ScreenContrast, NetworkMessagesInEveryScheme)
{
    for (int s = 0; s < kSchemes; ++s) {
        std::string error;
        game->network = TNetworkMatch::Host("127.0.0.1", 0, &error);
        ASSERT_TRUE(game->network) << error;
        Enter("Arena", s);
        Capture("network", s);
        TGame::SetGameState("TitleScreen");

        auto host = std::make_unique<TGameInstance>();
        auto hosting = TNetworkMatch::Host("127.0.0.1", 0, &error);
        ASSERT_TRUE(hosting) << error;
        const uint16_t port = hosting->Session().GetPort();
        host->Within([&] {
            host->game->network = hosting;
            host->game->SetCurrentColorScheme(s);
            TGame::SetGameState("Arena");
        });
        game->network = TNetworkMatch::Join(TNetAddress{"127.0.0.1", port}, &error);
        ASSERT_TRUE(game->network) << error;
        const std::shared_ptr<TNetworkMatch> joined = game->network;
        Enter("Arena", (s + 5) % kSchemes);
        auto both = [&] {
            host->Frame();
            Frame();
        };
        for (int i = 0; i < 300 && !(joined->IsPlaying() && joined->View().Newest()); ++i) both();
        ASSERT_TRUE(joined->IsPlaying()) << "the joiner did not join";
        both();
        ASSERT_EQ(game->ColorSchemeIdx, s) << "the joiner wears the host's scheme";
        auto read = [](const std::vector<TextReading>& readings, const std::wstring& text) {
            return std::any_of(readings.begin(), readings.end(), [&](const TextReading& r) { return r.text == text; });
        };
        EXPECT_TRUE(read(Capture("network", s), L"YOU ARE PLAYER 2"));
        host->Within([] { TGame::SetGameState("TitleScreen"); });
        for (int i = 0; i < 300 && joined->Message().empty(); ++i) both();
        ASSERT_FALSE(joined->Message().empty()) << "the joiner was not told the host left";
        EXPECT_TRUE(read(Capture("network", s), joined->Message()));
        host.reset();
        TGame::SetGameState("TitleScreen");
    }
    ExpectReadable();
}
