#include "platform/keystate.h"

#include <QApplication>
#include <QKeyEvent>

std::bitset<256> KeyState::down_;

void KeyState::Install(QObject* application) {
    auto* filter = new KeyState;
    filter->setParent(application);
    application->installEventFilter(filter);
}

bool KeyState::IsDown(int vk) { return vk >= 0 && vk < 256 && down_[size_t(vk)]; }

void KeyState::SetDown(int vk, bool down) {
    if (vk >= 0 && vk < 256) down_[size_t(vk)] = down;
}

void KeyState::Clear() { down_.reset(); }

int KeyState::VirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift: return VK::Shift;
    case Qt::Key_Alt:
    case Qt::Key_Meta:  // many X keymaps give the Alt key the Meta symbol
        return VK::Alt;
    case Qt::Key_Escape: return VK::Escape;
    case Qt::Key_Space: return VK::Space;
    case Qt::Key_Home: return VK::Home;
    case Qt::Key_Left: return VK::Left;
    case Qt::Key_Up: return VK::Up;
    case Qt::Key_Right: return VK::Right;
    case Qt::Key_Down: return VK::Down;
    default: return -1;
    }
}

bool KeyState::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // The same key event is offered to the window and each of its parents; the state
        // is a level, so seeing it more than once does no harm.
        if (!key->isAutoRepeat()) SetDown(VirtualKey(key->key()), event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::ApplicationDeactivate:
        Clear();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
