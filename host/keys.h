// Keyboard scan codes as the host reports them, and the key-state test.
#pragma once

constexpr int OAPI_KEY_ESCAPE = 0x01;
constexpr int OAPI_KEY_1 = 0x02;
constexpr int OAPI_KEY_2 = 0x03;
constexpr int OAPI_KEY_3 = 0x04;
constexpr int OAPI_KEY_4 = 0x05;
constexpr int OAPI_KEY_5 = 0x06;
constexpr int OAPI_KEY_6 = 0x07;
constexpr int OAPI_KEY_7 = 0x08;
constexpr int OAPI_KEY_8 = 0x09;
constexpr int OAPI_KEY_9 = 0x0A;
constexpr int OAPI_KEY_0 = 0x0B;
constexpr int OAPI_KEY_MINUS = 0x0C;
constexpr int OAPI_KEY_EQUALS = 0x0D;
constexpr int OAPI_KEY_BACK = 0x0E;
constexpr int OAPI_KEY_TAB = 0x0F;
constexpr int OAPI_KEY_Q = 0x10;
constexpr int OAPI_KEY_W = 0x11;
constexpr int OAPI_KEY_E = 0x12;
constexpr int OAPI_KEY_R = 0x13;
constexpr int OAPI_KEY_T = 0x14;
constexpr int OAPI_KEY_Y = 0x15;
constexpr int OAPI_KEY_U = 0x16;
constexpr int OAPI_KEY_I = 0x17;
constexpr int OAPI_KEY_O = 0x18;
constexpr int OAPI_KEY_P = 0x19;
constexpr int OAPI_KEY_LBRACKET = 0x1A;
constexpr int OAPI_KEY_RBRACKET = 0x1B;
constexpr int OAPI_KEY_RETURN = 0x1C;
constexpr int OAPI_KEY_LCONTROL = 0x1D;
constexpr int OAPI_KEY_A = 0x1E;
constexpr int OAPI_KEY_S = 0x1F;
constexpr int OAPI_KEY_D = 0x20;
constexpr int OAPI_KEY_F = 0x21;
constexpr int OAPI_KEY_G = 0x22;
constexpr int OAPI_KEY_H = 0x23;
constexpr int OAPI_KEY_J = 0x24;
constexpr int OAPI_KEY_K = 0x25;
constexpr int OAPI_KEY_L = 0x26;
constexpr int OAPI_KEY_SEMICOLON = 0x27;
constexpr int OAPI_KEY_APOSTROPHE = 0x28;
constexpr int OAPI_KEY_GRAVE = 0x29;
constexpr int OAPI_KEY_LSHIFT = 0x2A;
constexpr int OAPI_KEY_BACKSLASH = 0x2B;
constexpr int OAPI_KEY_Z = 0x2C;
constexpr int OAPI_KEY_X = 0x2D;
constexpr int OAPI_KEY_C = 0x2E;
constexpr int OAPI_KEY_V = 0x2F;
constexpr int OAPI_KEY_B = 0x30;
constexpr int OAPI_KEY_N = 0x31;
constexpr int OAPI_KEY_M = 0x32;
constexpr int OAPI_KEY_COMMA = 0x33;
constexpr int OAPI_KEY_PERIOD = 0x34;
constexpr int OAPI_KEY_SLASH = 0x35;
constexpr int OAPI_KEY_RSHIFT = 0x36;
constexpr int OAPI_KEY_MULTIPLY = 0x37;
constexpr int OAPI_KEY_LALT = 0x38;
constexpr int OAPI_KEY_SPACE = 0x39;
constexpr int OAPI_KEY_CAPITAL = 0x3A;
constexpr int OAPI_KEY_F1 = 0x3B;
constexpr int OAPI_KEY_F2 = 0x3C;
constexpr int OAPI_KEY_F3 = 0x3D;
constexpr int OAPI_KEY_F4 = 0x3E;
constexpr int OAPI_KEY_F5 = 0x3F;
constexpr int OAPI_KEY_F6 = 0x40;
constexpr int OAPI_KEY_F7 = 0x41;
constexpr int OAPI_KEY_F8 = 0x42;
constexpr int OAPI_KEY_F9 = 0x43;
constexpr int OAPI_KEY_F10 = 0x44;
constexpr int OAPI_KEY_RCONTROL = 0x9D;
constexpr int OAPI_KEY_RALT = 0xB8;

// A key or modifier counts as held when bit 0x80 of its entry is set.
#define KEYDOWN(buf, key) (((buf)[key] & 0x80) != 0)
#define KEYMOD_LSHIFT(buf) KEYDOWN(buf, OAPI_KEY_LSHIFT)
#define KEYMOD_RSHIFT(buf) KEYDOWN(buf, OAPI_KEY_RSHIFT)
#define KEYMOD_SHIFT(buf) (KEYMOD_LSHIFT(buf) || KEYMOD_RSHIFT(buf))
#define KEYMOD_LCONTROL(buf) KEYDOWN(buf, OAPI_KEY_LCONTROL)
#define KEYMOD_RCONTROL(buf) KEYDOWN(buf, OAPI_KEY_RCONTROL)
#define KEYMOD_CONTROL(buf) (KEYMOD_LCONTROL(buf) || KEYMOD_RCONTROL(buf))
