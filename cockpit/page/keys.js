// Keyboard keys as the PC set-1 scan codes the module reads, by the browser's
// KeyboardEvent.code (the key's place on the keyboard, whatever its layout).
const CODES = {
  Escape: 1, Minus: 12, Equal: 13, Backspace: 14, Tab: 15, BracketLeft: 26, BracketRight: 27,
  Enter: 28, Semicolon: 39, Quote: 40, Backquote: 41, Backslash: 43, Comma: 51, Period: 52,
  Slash: 53, NumpadMultiply: 55, Space: 57, NumpadSubtract: 74, NumpadAdd: 78,
  NumpadDecimal: 83, NumpadEnter: 156, NumpadDivide: 181,
  Numpad7: 71, Numpad8: 72, Numpad9: 73, Numpad4: 75, Numpad5: 76, Numpad6: 77,
  Numpad1: 79, Numpad2: 80, Numpad3: 81, Numpad0: 82,
};
const ROWS = [['QWERTYUIOP', 16], ['ASDFGHJKL', 30], ['ZXCVBNM', 44]];
for (const [row, start] of ROWS) [...row].forEach((c, i) => { CODES['Key' + c] = start + i; });
for (let d = 1; d <= 9; ++d) CODES['Digit' + d] = 1 + d;
CODES.Digit0 = 11;
for (let f = 1; f <= 10; ++f) CODES['F' + f] = 58 + f;

export function scanCode(code) {
  return Object.prototype.hasOwnProperty.call(CODES, code) ? CODES[code] : undefined;
}
