// The engine's event receiver: records key and mouse-button state so that game code can
// poll it each frame, offers every event to the current state's input hooks and hands
// what nobody consumed to the game's own OnEvent.
#pragma once

#include <irrlicht.h>

#include <array>
#include <memory>

class TGameEventReceiver : public irr::IEventReceiver {
public:
    static constexpr int kKeys = 256;
    static constexpr int kButtons = 3;
    using KeyArray = std::array<int, kKeys>;
    using ButtonArray = std::array<int, kButtons>;

    static std::shared_ptr<TGameEventReceiver> createReceiver();

    TGameEventReceiver();
    ~TGameEventReceiver() override = default;

    bool OnEvent(const irr::SEvent& event) override;

    virtual int KeyHitCnt(int key, int reset);
    virtual int IsKeyDown(int key, int shift, int ctrl, int menu);
    virtual int IsKeyUpDown(int key, int reset);
    virtual int IsKeyDownUp(int key, int reset);
    virtual int FlushKeys();
    virtual int MouseHitCnt(int button, int reset);
    virtual int IsMouseButtonDown(int button, int shift, int ctrl, int menu);
    virtual int IsMouseButtonUpDown(int button, int reset);
    virtual int IsMouseButtonDownUp(int button, int reset);
    virtual int MouseX();
    virtual int MouseY();
    virtual float MouseZ();
    virtual int FlushMouse();
    virtual int OnGUIEvent(irr::gui::IGUIElement* caller, int eventType);
    virtual int OnMouseEvent(int mouseEvent, int button, int x, int y, float wheel);
    virtual int OnKeyEvent(int key, int pressedDown, int shift, int control, int menu, int lmenu, int rmenu);
    virtual int OnUserEvent(int data1, int data2, float data3);

    KeyArray m_key_cnt{};
    KeyArray m_key_buf{};
    KeyArray m_key_buf_old{};
    KeyArray m_key_up_down{};
    KeyArray m_key_down_up{};
    KeyArray m_key_shift{};
    KeyArray m_key_ctrl{};
    KeyArray m_key_menu{};
    ButtonArray m_mouse_button_cnt{};
    ButtonArray m_mouse_button_buf{};
    ButtonArray m_mouse_button_buf_old{};
    ButtonArray m_mouse_button_up_down{};
    ButtonArray m_mouse_button_down_up{};
    ButtonArray m_mouse_button_shift{};
    ButtonArray m_mouse_button_ctrl{};
    ButtonArray m_mouse_button_menu{};
    int m_mouse_x = 0;
    int m_mouse_y = 0;
    float m_mouse_z = 0.0f;

private:
    void OnKeyInput(const irr::SEvent::SKeyInput& key);
    void OnButton(int button, bool down);
    bool AnyKeyDown(int a, int b, int c);
};
