#pragma once
// The one translation of Qt key events into the key codes the screens'
// rules speak of: Enter 13 (Return and keypad Enter), Esc 27, F1-F12
// 112-123, main-keyboard digits 48-57, keypad digits 96-105, keypad '*' 106,
// '+' 107, '-' 109, '.' 110, '/' 111, letters 65-90. Other keys give their
// usual Windows virtual-key code where there is one, else 0.
class QKeyEvent;

namespace Key {
constexpr int Enter = 13;
constexpr int Esc = 27;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int Up = 38;
constexpr int Down = 40;
constexpr int F1 = 112;
constexpr int F10 = 121;
constexpr int F12 = 123;
inline bool isFunctionKey(int code) { return code >= 112 && code <= 123; }
}  // namespace Key

int keyCode(const QKeyEvent* event);
