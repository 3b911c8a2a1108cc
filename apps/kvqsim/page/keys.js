// The keyboard as the simulator delivers it: browser key codes turned into
// the simulator's scan codes, every press and release sent, left and right
// modifiers told apart. When the window loses the keyboard the browser
// sends no key-ups: kvqsim is told (`blur`) and lets go of what this person
// held, as the simulator does.

const SCAN = {
  Escape: 0x01, Digit1: 0x02, Digit2: 0x03, Digit3: 0x04, Digit4: 0x05, Digit5: 0x06, Digit6: 0x07,
  Digit7: 0x08, Digit8: 0x09, Digit9: 0x0A, Digit0: 0x0B, Minus: 0x0C, Equal: 0x0D, Backspace: 0x0E,
  Tab: 0x0F, KeyQ: 0x10, KeyW: 0x11, KeyE: 0x12, KeyR: 0x13, KeyT: 0x14, KeyY: 0x15, KeyU: 0x16,
  KeyI: 0x17, KeyO: 0x18, KeyP: 0x19, BracketLeft: 0x1A, BracketRight: 0x1B, Enter: 0x1C,
  ControlLeft: 0x1D, KeyA: 0x1E, KeyS: 0x1F, KeyD: 0x20, KeyF: 0x21, KeyG: 0x22, KeyH: 0x23,
  KeyJ: 0x24, KeyK: 0x25, KeyL: 0x26, Semicolon: 0x27, Quote: 0x28, Backquote: 0x29,
  ShiftLeft: 0x2A, Backslash: 0x2B, KeyZ: 0x2C, KeyX: 0x2D, KeyC: 0x2E, KeyV: 0x2F, KeyB: 0x30,
  KeyN: 0x31, KeyM: 0x32, Comma: 0x33, Period: 0x34, Slash: 0x35, ShiftRight: 0x36,
  NumpadMultiply: 0x37, AltLeft: 0x38, Space: 0x39, CapsLock: 0x3A, F1: 0x3B, F2: 0x3C,
  F4: 0x3E, F5: 0x3F, F6: 0x40, F7: 0x41, F8: 0x42, F9: 0x43, F10: 0x44, NumLock: 0x45,
  ScrollLock: 0x46, Numpad7: 0x47, Numpad8: 0x48, Numpad9: 0x49, NumpadSubtract: 0x4A,
  Numpad4: 0x4B, Numpad5: 0x4C, Numpad6: 0x4D, NumpadAdd: 0x4E, Numpad1: 0x4F, Numpad2: 0x50,
  Numpad3: 0x51, Numpad0: 0x52, NumpadDecimal: 0x53, F11: 0x57, F12: 0x58, NumpadEnter: 0x9C,
  ControlRight: 0x9D, NumpadDivide: 0xB5, AltRight: 0xB8, Home: 0xC7, ArrowUp: 0xC8,
  PageUp: 0xC9, ArrowLeft: 0xCB, ArrowRight: 0xCD, End: 0xCF, ArrowDown: 0xD0, PageDown: 0xD1,
  Insert: 0xD2, Delete: 0xD3,
};

// Keys the page keeps for itself (F3: next focus, Pause: pause).
const PAGE_KEYS = new Set(['F3', 'Pause']);

export class Keyboard {
  // send(code, down) delivers a key; pageKey(code) handles the page's own;
  // blocked() is true while the keyboard belongs to something else (the
  // input box); lost() tells kvqsim the window lost the keyboard.
  constructor({ send, pageKey, blocked, lost }) {
    this.held = new Set();
    this.send = send;
    window.addEventListener('keydown', (e) => {
      if (blocked()) return;
      if (PAGE_KEYS.has(e.code)) {
        e.preventDefault();
        if (!e.repeat) pageKey(e.code);
        return;
      }
      const scan = SCAN[e.code];
      if (scan === undefined) return;
      e.preventDefault();  // Space, arrows, Ctrl+E and the like are the simulator's here
      if (e.repeat || this.held.has(scan)) return;
      this.held.add(scan);
      send(scan, true);
    });
    window.addEventListener('keyup', (e) => {
      const scan = SCAN[e.code];
      if (scan === undefined || !this.held.has(scan)) return;
      e.preventDefault();
      this.held.delete(scan);
      send(scan, false);
    });
    window.addEventListener('blur', () => {
      this.held.clear();
      lost();
    });
  }

  releaseAll() {
    for (const scan of this.held) this.send(scan, false);
    this.held.clear();
  }
}

// The keys in the on-screen help: the host's and the page's. A vessel's
// own keys are its module's (the tractor's are in the project's README).
export const HELP = [
  ['Keys the vessel leaves to the host', [
    ['ArrowUp / ArrowDown', 'accelerator +10 % / −10 % (Numpad + / −)'],
    ['ArrowLeft / ArrowRight', 'steer left / right while held (Numpad 1 / 3)'],
    ['Space', 'wheel brakes while held (Comma / Period: left / right)'],
    ['Slash', 'next steering (attitude) mode (Numpad /)'],
  ]],
  ['Page', [
    ['F3', 'focus on the next vessel'],
    ['Pause', 'pause / resume'],
    ['Outside / Cockpit', 'the 3D view: drag to orbit, wheel to zoom; in the cockpit click its controls, right-drag to look around'],
    ['Tab, Enter', 'in the cockpit: reach a control and press it'],
    ['Map', 'drag to pan, wheel to zoom'],
  ]],
];
