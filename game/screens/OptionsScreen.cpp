#include "game/screens/OptionsScreen.h"

#include <algorithm>
#include <iterator>

#include "framework/GameEventReceiver.h"
#include "game/Vexmoor.h"

namespace {

// In 800x600 coordinates, scaled to the screen. The VIDEO row: the check box on the left,
// WINDOW SIZE and FRAME RATE each a label over its value.
constexpr int kBoxLeft = 10, kBoxTop = 220, kBoxRight = 200, kBoxBottom = 240;
constexpr int kLabelY = 200;
constexpr int kValueY = 222;
constexpr int kSizeLeft = 300, kSizeRight = 500;
constexpr int kRateLeft = 530, kRateRight = 770;
// SOUND on the left and CONTROLS on the right under their headings.
constexpr int kSectionY = 265;
constexpr int kSoundCenter = 130;
constexpr int kControlsCenter = 572;  // over the action names and the four players' keys
constexpr int kVolumeLabelY = 300;
constexpr int kVolumeY = 322;
constexpr int kStepWidth = 40;
constexpr int kStepOffset = 70;  // of each step entry's centre from the value's
// Under BACK (y 475).
constexpr int kNoticeY = 540;

constexpr int kVolumeStep = 10;

const char* const kUnsavedSaid = "settings_unsaved_said";

int Center(irr::gui::IGUIFont* font, const wchar_t* text, int center)
{
    return center - static_cast<int>(font->getDimension(text).Width) / 2;
}

// The index of the window size w x h in the choices; -1 when it is none of them.
int SizeIndex(int width, int height)
{
    for (size_t i = 0; i < std::size(kWindowSizes); ++i)
        if (kWindowSizes[i].width == width && kWindowSizes[i].height == height) return static_cast<int>(i);
    return -1;
}

// The frame rate a step on (1) or back (-1) from frameRate; one outside the choices steps
// to the first.
int StepFrameRate(int frameRate, int direction)
{
    const int count = static_cast<int>(std::size(kFrameRates));
    const auto at = std::find(std::begin(kFrameRates), std::end(kFrameRates), frameRate);
    if (at == std::end(kFrameRates)) return kFrameRates[0];
    return kFrameRates[(static_cast<int>(at - std::begin(kFrameRates)) + direction + count) % count];
}

}  // namespace

std::wstring TVexmoorGameOptionsScreen::WindowSizeText(int width, int height)
{
    return std::to_wstring(width) + L" X " + std::to_wstring(height);
}

std::wstring TVexmoorGameOptionsScreen::FrameRateText(int rate)
{
    if (rate == kFrameRateUncapped) return L"AS FAST AS POSSIBLE";
    if (rate == kFrameRateVsync) return L"MATCH DISPLAY";
    return std::to_wstring(rate) + L" FPS";
}

int TVexmoorGameOptionsScreen::OnSetGameState(TGameState*)
{
    Build();
    TVexmoor* game = GetGame();
    if (game && !game->HasFlag(kUnsavedSaid) &&
        (!game->settingsFile.CanSave() || game->settingsFile.LastSaveFailed())) {
        notice = L"SETTINGS CANNOT BE SAVED: THEY LAST FOR THIS RUN ONLY";
        game->SetFlag(kUnsavedSaid, 1);
    } else if (game && !game->videoRefusedAtStart.empty()) {
        notice = game->videoRefusedAtStart;
        game->videoRefusedAtStart.clear();
    }
    return 0;
}

void TVexmoorGameOptionsScreen::Build()
{
    if (!guienv) return;
    // Straight from the GUI environment's font cache, not the game-wide resources.
    fnt = FontFromFile("fonts/pixfont_basic_36pt_bold.xml");
    sm_fnt = FontFromFile("fonts/pixfont_basic_18pt_bold.xml");
    sm_fnt2 = FontFromFile("fonts/pixfont_basic_28pt_bold.xml");
    back = AddMenuEntry(L"BACK", sm_fnt2, ScreenWidth() / 2, SY(475), kBackId);

    TVexmoor* game = GetGame();
    const TSettings defaults;
    const TSettings& settings = game ? game->settings : defaults;
    // The box draws its text in the skin's font and color: the screen's own while it shows.
    irr::gui::IGUISkin* skin = guienv->getSkin();
    irr::gui::IGUIFont* font = GameFont("fnt_14");
    skinText_ = skin->getColor(irr::gui::EGDC_BUTTON_TEXT);
    skinFont_ = skin->getFont();
    if (skinFont_) skinFont_->grab();
    skinTaken_ = true;
    skin->setFont(font);
    // The mode in effect, which the command line may have chosen for this run.
    fullscreen = guienv->addCheckBox(game ? game->fullscreen : settings.fullscreen,
                                     irr::core::recti(SX(kBoxLeft), SY(kBoxTop), SX(kBoxRight), SY(kBoxBottom)),
                                     nullptr, kFullscreenId, L"FULLSCREEN");
    AddToMenu(fullscreen);

    const int height = static_cast<int>(font->getDimension(L"0").Height);
    auto cell = [&](int left, int right, int y, int h) { return irr::core::recti(SX(left), SY(y), SX(right), SY(y) + h); };
    windowSize = AddTextCell(L"", font, cell(kSizeLeft, kSizeRight, kValueY, height), kWindowSizeId, true);
    frameRate = AddTextCell(L"", font, cell(kRateLeft, kRateRight, kValueY, height), kFrameRateId, true);
    const int stepHeight = static_cast<int>(sm_fnt->getDimension(L"+").Height);
    const int stepY = kVolumeY - 3;
    const int quieterCenter = kSoundCenter - kStepOffset, louderCenter = kSoundCenter + kStepOffset;
    // The steps in the section heading's bolder font: a lone "-" or "+" is small.
    quieter = AddTextCell(L"-", sm_fnt, cell(quieterCenter - kStepWidth / 2, quieterCenter + kStepWidth / 2, stepY, stepHeight),
                          kQuieterId, true);
    louder = AddTextCell(L"+", sm_fnt, cell(louderCenter - kStepWidth / 2, louderCenter + kStepWidth / 2, stepY, stepHeight),
                         kLouderId, true);
    for (irr::gui::IGUIElement* entry : {windowSize, frameRate, quieter, louder}) AddToMenu(entry);
    if (game) controls.Build(*this, game->settings);
    Show();
}

void TVexmoorGameOptionsScreen::Teardown()
{
    if (guienv && skinTaken_) {
        irr::gui::IGUISkin* skin = guienv->getSkin();
        skin->setColor(irr::gui::EGDC_BUTTON_TEXT, skinText_);
        skin->setFont(skinFont_);
    }
    skinTaken_ = false;
    if (guienv) guienv->clear();
    if (skinFont_) skinFont_->drop();
    skinFont_ = nullptr;
    fnt = nullptr;
    sm_fnt = nullptr;
    back = nullptr;
    fullscreen = nullptr;
    windowSize = frameRate = quieter = louder = nullptr;
    controls.Clear();
    pendingKey_ = 0;
    mouse_on = -1;
}

int TVexmoorGameOptionsScreen::OnLeaveGameState(TGameState*)
{
    Teardown();
    switchPending_ = false;
    notice.clear();
    if (TVexmoor* game = GetGame()) game->SaveSettings();
    return 0;
}

void TVexmoorGameOptionsScreen::Show()
{
    TVexmoor* game = GetGame();
    if (!game) return;
    const TSettings& settings = game->settings;
    if (windowSize) windowSize->setText(WindowSizeText(settings.windowWidth, settings.windowHeight).c_str());
    if (frameRate) frameRate->setText(FrameRateText(settings.frameRate).c_str());
}

int TVexmoorGameOptionsScreen::OnUpdate()
{
    TVexmoor* game = GetGame();
    TGameEventReceiver* events = Events();
    if (pendingKey_) {
        const int key = pendingKey_;
        pendingKey_ = 0;
        const TOptionsControls::Outcome outcome = controls.Press(key);
        if (outcome == TOptionsControls::kRefused)
            notice = TOptionsControls::KeyText(key) + L" BELONGS TO THE MATCH: CHOOSE ANOTHER KEY";
        else
            notice.clear();
    }
    if (game && events && events->MouseHitCnt(0, 1)) {
        // A click ends any wait for a key, then does what it does.
        if (controls.Waiting()) controls.Cancel();
        switch (mouse_on) {
        case kBackId: SetNextState("TitleScreen"); break;
        case kWindowSizeId:
        case kFrameRateId: StepValue(mouse_on, 1); break;
        case kQuieterId: StepVolume(-kVolumeStep); break;
        case kLouderId: StepVolume(kVolumeStep); break;
        default:
            if (controls.Click(mouse_on)) notice.clear();
            break;
        }
    }
    if (events) events->FlushMouse();
    if (switchPending_) SwitchVideo();
    return 0;
}

void TVexmoorGameOptionsScreen::StepValue(int id, int direction)
{
    TVexmoor* game = GetGame();
    if (!game) return;
    const TSettings before = game->settings;
    TSettings& settings = game->settings;
    if (id == kWindowSizeId) {
        const int count = static_cast<int>(std::size(kWindowSizes));
        const int at = SizeIndex(settings.windowWidth, settings.windowHeight);
        // A size outside the choices steps to the first or the last.
        const int next = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
        settings.windowWidth = kWindowSizes[next].width;
        settings.windowHeight = kWindowSizes[next].height;
        RequestVideoSwitch(before, game->fullscreen);
    } else if (id == kFrameRateId) {
        settings.frameRate = StepFrameRate(settings.frameRate, direction);
        // Vsync belongs to the device; a cap is only the main loop's.
        if ((before.frameRate == kFrameRateVsync) != (settings.frameRate == kFrameRateVsync))
            RequestVideoSwitch(before, game->fullscreen);
        else
            game->ApplyVideoSettings();
        Show();
    } else if (id == kQuieterId || id == kLouderId) {
        StepVolume(direction * kVolumeStep);
    }
}

int TVexmoorGameOptionsScreen::StepHighlighted(int direction)
{
    StepValue(HighlightedEntry(), direction);
    return 0;
}

void TVexmoorGameOptionsScreen::StepVolume(int step)
{
    TVexmoor* game = GetGame();
    if (!game) return;
    game->settings.volume = std::clamp(game->settings.volume + step, 0, 100);
    game->ApplySoundSettings();
    PlayHoverSound();
}

void TVexmoorGameOptionsScreen::ToggleFullscreen(bool on)
{
    TVexmoor* game = GetGame();
    if (!game || game->fullscreen == on) return;
    const TSettings before = game->settings;
    const bool was = game->fullscreen;
    game->ChooseFullscreen(on);
    RequestVideoSwitch(before, was);
}

void TVexmoorGameOptionsScreen::RequestVideoSwitch(const TSettings& before, bool wasFullscreen)
{
    // A second change before the first is made keeps the first one's way back.
    if (!switchPending_) {
        switchFrom_ = before;
        switchFromFullscreen_ = wasFullscreen;
    }
    switchPending_ = true;
}

void TVexmoorGameOptionsScreen::SwitchVideo()
{
    TVexmoor* game = GetGame();
    switchPending_ = false;
    if (!game) return;
    const int lit = HighlightedEntry();
    const TSettings& wanted = game->settings;
    const std::wstring mode = wanted.fullscreen ? L"FULL SCREEN" : L"A WINDOW";
    const std::wstring size = WindowSizeText(wanted.windowWidth, wanted.windowHeight);
    const bool vsync = wanted.frameRate == kFrameRateVsync;
    // Every engine object of this screen goes with the old device; the screen is built
    // again on the new one, as if entered anew.
    Teardown();
    if (game->RemakeDevice(switchFrom_, switchFromFullscreen_)) {
        notice.clear();
    } else {
        notice = vsync ? L"MATCH DISPLAY IS NOT AVAILABLE HERE"
                       : size + L" IN " + mode + L" IS NOT AVAILABLE: BACK TO THE LAST MODE";
    }
    LoadGameFonts();
    Build();
    if (lit >= 0) RestoreHighlight(lit);
    if (TGameEventReceiver* events = Events()) events->FlushMouse();
}

int TVexmoorGameOptionsScreen::OnRender()
{
    const int center = ScreenWidth() / 2;
    const irr::video::SColor color = SchemeColor("Background");
    if (fnt) DrawText(L"OPTIONS", fnt, color, Center(fnt, L"OPTIONS", center), SY(50), -1, -1, 0, 0);
    if (sm_fnt) {
        DrawText(L"VIDEO", sm_fnt, color, Center(sm_fnt, L"VIDEO", center), SY(150), -1, -1, 0, 0);
        DrawText(L"SOUND", sm_fnt, color, Center(sm_fnt, L"SOUND", SX(kSoundCenter)), SY(kSectionY), -1, -1, 0, 0);
        DrawText(L"CONTROLS", sm_fnt, color, Center(sm_fnt, L"CONTROLS", SX(kControlsCenter)), SY(kSectionY), -1, -1,
                 0, 0);
    }
    irr::gui::IGUIFont* font = GameFont("fnt_14");
    TVexmoor* game = GetGame();
    if (!font || !game) return 0;
    // The check box's text takes the entries' colors: lit while the mouse or the keys are on it.
    if (guienv)
        guienv->getSkin()->setColor(irr::gui::EGDC_BUTTON_TEXT,
                                    SchemeColor(mouse_on == kFullscreenId ? "Tank2" : "Background"));
    const irr::video::SColor label = SchemeColor("Tank2");
    DrawText(L"WINDOW SIZE", font, label, Center(font, L"WINDOW SIZE", SX((kSizeLeft + kSizeRight) / 2)), SY(kLabelY),
             -1, -1, 0, 0);
    DrawText(L"FRAME RATE", font, label, Center(font, L"FRAME RATE", SX((kRateLeft + kRateRight) / 2)), SY(kLabelY),
             -1, -1, 0, 0);
    DrawText(L"VOLUME", font, label, Center(font, L"VOLUME", SX(kSoundCenter)), SY(kVolumeLabelY), -1, -1, 0, 0);
    const std::wstring volume = std::to_wstring(game->settings.volume);
    DrawText(volume, font, color, Center(font, volume.c_str(), SX(kSoundCenter)), SY(kVolumeY), -1, -1, 0, 0);
    controls.Draw(*this);
    if (!notice.empty())
        DrawText(notice, font, SchemeColor("Tank1"), Center(font, notice.c_str(), center), SY(kNoticeY), -1, -1, 0, 0);
    return 0;
}

int TVexmoorGameOptionsScreen::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    if (caller && caller == fullscreen && eventType == irr::gui::EGET_CHECKBOX_CHANGED) {
        ToggleFullscreen(fullscreen->isChecked());
        return 0;
    }
    return TrackHover(caller, eventType, mouse_on, false);
}

int TVexmoorGameOptionsScreen::OnKeyEvent(int key, int pressedDown, int, int, int, int, int)
{
    // Kept for the update: bound now, the key would reach the menu as a fresh press.
    if (pressedDown && controls.Waiting() && !pendingKey_) pendingKey_ = key;
    return 0;
}

int TVexmoorGameOptionsScreen::IsCapturingKeys()
{
    return controls.Waiting() || pendingKey_ ? 1 : 0;
}

int TVexmoorGameOptionsScreen::ChooseHighlighted()
{
    if (HighlightedEntry() != kFullscreenId || !fullscreen) return TVexmoorGameState::ChooseHighlighted();
    fullscreen->setChecked(!fullscreen->isChecked());
    ToggleFullscreen(fullscreen->isChecked());
    return 0;
}
