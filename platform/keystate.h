#pragma once
#include <QObject>
#include <bitset>

// Keyboard state read by the frame loop, by Windows virtual-key code: the state of each key
// at the moment of the poll, not a stream of key events. Auto-repeat is ignored and every
// key is forgotten when the application loses focus, so no key sticks down.
namespace VK {
constexpr int Shift = 0x10, Alt = 0x12, Escape = 0x1B, Space = 0x20, Home = 0x24,
              Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
}

class KeyState : public QObject {
public:
    static void Install(QObject* application);
    static bool IsDown(int vk);
    static void SetDown(int vk, bool down);  // for tests and the event filter
    static void Clear();
    static int VirtualKey(int qtKey);  // -1 for keys the game does not poll

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static std::bitset<256> down_;
};
