// The window-message numbers and virtual-key codes the demo's logic is written against.
// The message pump (window.h) translates SDL events into these, so code above the platform
// layer reads (message, wParam, lParam) triples exactly as a Windows window procedure would.
#pragma once

#include <cstdint>

namespace platform {

// Messages.
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

// wParam flags of mouse messages.
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;

// Virtual keys. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD0 + 9
constexpr int VK_SUBTRACT = 0x6D;  // - on the keypad
constexpr int VK_DECIMAL = 0x6E;   // . on the keypad
constexpr int VK_F1 = 0x70;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F10 = 0x79;
constexpr int VK_F12 = 0x7B;
constexpr int VK_OEM_MINUS = 0xBD;   // - on a US layout
constexpr int VK_OEM_PERIOD = 0xBE;  // . on a US layout
constexpr int VK_OEM_4 = 0xDB;  // [ on a US layout
constexpr int VK_OEM_6 = 0xDD;  // ] on a US layout

// Client coordinates packed into a mouse message's lParam (low word x, high word y).
inline uint32_t packPoint(int x, int y) {
  return (static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF);
}
inline int pointX(uint32_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
inline int pointY(uint32_t lParam) { return static_cast<int16_t>(lParam >> 16); }

}  // namespace platform
