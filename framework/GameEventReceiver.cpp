#include "framework/GameEventReceiver.h"

#include "framework/Game.h"
#include "framework/GameState.h"

namespace {

// Key codes of the modifier keys as the engine reports them (generic, left, right).
constexpr int kShift[] = {16, 160, 161};
constexpr int kControl[] = {17, 162, 163};
constexpr int kAlt[] = {18, 164, 165};

bool ValidKey(int key)
{
    return key >= 0 && key < TGameEventReceiver::kKeys;
}

bool ValidButton(int button)
{
    return button >= 0 && button < TGameEventReceiver::kButtons;
}

// Reads a latch and clears it when asked to.
template <class Array>
int ReadLatch(Array& array, int index, int reset)
{
    const int value = array[index];
    if (reset) array[index] = 0;
    return value;
}

}  // namespace

std::shared_ptr<TGameEventReceiver> TGameEventReceiver::createReceiver()
{
    return std::make_shared<TGameEventReceiver>();
}

TGameEventReceiver::TGameEventReceiver() = default;

bool TGameEventReceiver::AnyKeyDown(int a, int b, int c)
{
    return IsKeyDown(a, 0, 0, 0) || IsKeyDown(b, 0, 0, 0) || IsKeyDown(c, 0, 0, 0);
}

void TGameEventReceiver::OnKeyInput(const irr::SEvent::SKeyInput& input)
{
    const int k = static_cast<int>(input.Key);
    if (!ValidKey(k)) return;
    m_key_buf_old[k] = m_key_buf[k];
    m_key_buf[k] = input.PressedDown ? 1 : 0;
    m_key_shift[k] = input.Shift ? 1 : 0;
    m_key_ctrl[k] = input.Control ? 1 : 0;
    // The engine's key event carries no Alt flag: read it from our own key state.
    m_key_menu[k] = AnyKeyDown(kAlt[0], kAlt[1], kAlt[2]) ? 1 : 0;
    m_key_up_down[k] = (m_key_buf[k] && !m_key_buf_old[k]) ? 1 : 0;
    m_key_down_up[k] = m_key_buf[k] == 0 ? m_key_buf_old[k] : 0;
    // Auto-repeat (down while already down) neither counts nor latches.
    if (m_key_up_down[k]) m_key_cnt[k] += 1;
}

void TGameEventReceiver::OnButton(int b, bool down)
{
    m_mouse_button_buf_old[b] = m_mouse_button_buf[b];
    m_mouse_button_buf[b] = down ? 1 : 0;
    m_mouse_button_up_down[b] = (m_mouse_button_buf[b] && !m_mouse_button_buf_old[b]) ? 1 : 0;
    m_mouse_button_down_up[b] = m_mouse_button_buf[b] == 0 ? m_mouse_button_buf_old[b] : 0;
    if (m_mouse_button_up_down[b]) m_mouse_button_cnt[b] += 1;
    m_mouse_button_shift[b] = AnyKeyDown(kShift[0], kShift[1], kShift[2]) ? 1 : 0;
    m_mouse_button_ctrl[b] = AnyKeyDown(kControl[0], kControl[1], kControl[2]) ? 1 : 0;
    m_mouse_button_menu[b] = AnyKeyDown(kAlt[0], kAlt[1], kAlt[2]) ? 1 : 0;
}

bool TGameEventReceiver::OnEvent(const irr::SEvent& event)
{
    switch (event.EventType) {
    case irr::EET_KEY_INPUT_EVENT: {
        const auto& input = event.KeyInput;
        OnKeyInput(input);
        if (OnKeyEvent(static_cast<int>(input.Key), input.PressedDown ? 1 : 0, input.Shift ? 1 : 0,
                       input.Control ? 1 : 0, IsKeyDown(kAlt[0], 0, 0, 0), IsKeyDown(kAlt[1], 0, 0, 0),
                       IsKeyDown(kAlt[2], 0, 0, 0)))
            return true;
        break;
    }
    case irr::EET_MOUSE_INPUT_EVENT: {
        const auto& mouse = event.MouseInput;
        const int e = static_cast<int>(mouse.Event);
        int button = e % 3;
        if (e < irr::EMIE_MOUSE_MOVED) {
            OnButton(button, e < irr::EMIE_LMOUSE_LEFT_UP);
        } else if (e == irr::EMIE_MOUSE_MOVED) {
            m_mouse_x = mouse.X;
            m_mouse_y = mouse.Y;
        } else if (e == irr::EMIE_MOUSE_WHEEL) {
            m_mouse_z = mouse.Wheel;
        } else if (e >= irr::EMIE_LMOUSE_DOUBLE_CLICK) {
            // Double and triple clicks come on top of their press/release pairs; they change
            // no button state, and the hooks get the button they belong to.
            button = (e - irr::EMIE_LMOUSE_DOUBLE_CLICK) % 3;
        }
        if (OnMouseEvent(e, button, mouse.X, mouse.Y, mouse.Wheel)) return true;
        break;
    }
    case irr::EET_GUI_EVENT:
        if (OnGUIEvent(event.GUIEvent.Caller, static_cast<int>(event.GUIEvent.EventType))) return true;
        break;
    case irr::EET_USER_EVENT:
        // The engine's user event carries two integers only; the float slot is 0.
        if (OnUserEvent(event.UserEvent.UserData1, event.UserEvent.UserData2, 0.0f)) return true;
        break;
    default:
        break;
    }
    return TGame::GameInstance ? TGame::GameInstance->OnEvent(event) != 0 : false;
}

int TGameEventReceiver::KeyHitCnt(int key, int reset)
{
    return ValidKey(key) ? ReadLatch(m_key_cnt, key, reset) : 0;
}

int TGameEventReceiver::IsKeyDown(int key, int shift, int ctrl, int menu)
{
    if (!ValidKey(key) || !m_key_buf[key]) return 0;
    if (shift && !m_key_shift[key]) return 0;
    if (ctrl && !m_key_ctrl[key]) return 0;
    if (menu && !m_key_menu[key]) return 0;
    return 1;
}

int TGameEventReceiver::IsKeyUpDown(int key, int reset)
{
    return ValidKey(key) ? ReadLatch(m_key_up_down, key, reset) : 0;
}

int TGameEventReceiver::IsKeyDownUp(int key, int reset)
{
    return ValidKey(key) ? ReadLatch(m_key_down_up, key, reset) : 0;
}

int TGameEventReceiver::FlushKeys()
{
    for (KeyArray* array : {&m_key_cnt, &m_key_buf, &m_key_buf_old, &m_key_up_down, &m_key_down_up,
                            &m_key_shift, &m_key_ctrl, &m_key_menu})
        array->fill(0);
    return 0;
}

int TGameEventReceiver::MouseHitCnt(int button, int reset)
{
    return ValidButton(button) ? ReadLatch(m_mouse_button_cnt, button, reset) : 0;
}

int TGameEventReceiver::IsMouseButtonDown(int button, int shift, int ctrl, int menu)
{
    if (!ValidButton(button) || !m_mouse_button_buf[button]) return 0;
    if (shift && !m_mouse_button_shift[button]) return 0;
    if (ctrl && !m_mouse_button_ctrl[button]) return 0;
    if (menu && !m_mouse_button_menu[button]) return 0;
    return 1;
}

int TGameEventReceiver::IsMouseButtonUpDown(int button, int reset)
{
    return ValidButton(button) ? ReadLatch(m_mouse_button_up_down, button, reset) : 0;
}

int TGameEventReceiver::IsMouseButtonDownUp(int button, int reset)
{
    return ValidButton(button) ? ReadLatch(m_mouse_button_down_up, button, reset) : 0;
}

int TGameEventReceiver::MouseX()
{
    return m_mouse_x;
}

int TGameEventReceiver::MouseY()
{
    return m_mouse_y;
}

float TGameEventReceiver::MouseZ()
{
    return m_mouse_z;
}

int TGameEventReceiver::FlushMouse()
{
    for (ButtonArray* array : {&m_mouse_button_cnt, &m_mouse_button_buf, &m_mouse_button_buf_old,
                               &m_mouse_button_up_down, &m_mouse_button_down_up, &m_mouse_button_shift,
                               &m_mouse_button_ctrl, &m_mouse_button_menu})
        array->fill(0);
    return 0;
}

int TGameEventReceiver::OnGUIEvent(irr::gui::IGUIElement* caller, int eventType)
{
    if (!TGame::GameInstance || !TGame::CurrentGameState) return 0;
    return TGame::CurrentGameState->OnGUIEvent(caller, eventType) ? 1 : 0;
}

int TGameEventReceiver::OnMouseEvent(int mouseEvent, int button, int x, int y, float wheel)
{
    if (!TGame::GameInstance || !TGame::CurrentGameState) return 0;
    return TGame::CurrentGameState->OnMouseEvent(mouseEvent, button, x, y, wheel) ? 1 : 0;
}

int TGameEventReceiver::OnKeyEvent(int key, int pressedDown, int shift, int control, int menu, int lmenu,
                                   int rmenu)
{
    if (!TGame::GameInstance || !TGame::CurrentGameState) return 0;
    return TGame::CurrentGameState->OnKeyEvent(key, pressedDown, shift, control, menu, lmenu, rmenu) ? 1 : 0;
}

int TGameEventReceiver::OnUserEvent(int data1, int data2, float data3)
{
    if (!TGame::GameInstance || !TGame::CurrentGameState) return 0;
    return TGame::CurrentGameState->OnUserEvent(data1, data2, data3) ? 1 : 0;
}
