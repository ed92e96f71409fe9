// The cockpit page: every screen drawn live from the API's state stream, its
// soft buttons and input box, the keyboard to the selected screen, the flight
// clock controls, each screen's mode, the charts and the attitude view, which
// follow the selected screen. It uses nothing but the HTTP API (/api/state,
// /api/stream, /api/key, /api/button, /api/input, /api/mode, /api/sim).
import { drawScreen } from './mfd_canvas.js';
import { scanCode } from './keys.js';
import { Charts } from './charts.js';
import { startAttitudeView } from './attitude.js';

const SCALE = 2;  // CSS pixels per screen pixel
const status = document.getElementById('status');
const panels = [];  // per screen: its elements
let selected = 0;
let state = null;
let charts = null;
let attitude = null;

async function post(path, body) {
  try {
    const r = await fetch(path, {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    const answer = await r.json().catch(() => ({}));
    status.textContent = r.ok ? (answer.note || '') : (answer.error || `HTTP ${r.status}`);
    return answer;
  } catch (e) {
    status.textContent = 'the simulator does not answer';
    return {};
  }
}

function select(index) {
  selected = index;
  panels.forEach((p, i) => p.root.classList.toggle('selected', i === index));
  follow();
}

// The charts and the attitude view say what they follow: the selected screen,
// the focus vessel.
function follow() {
  const screen = state && state.screens[selected];
  const name = screen ? `screen ${selected} (${screen.mode || 'no mode'})` : 'no screen';
  for (const e of document.querySelectorAll('.chart-screen')) e.textContent = name;
  const vessel = (state && state.focus) || 'no vessel';
  for (const e of document.querySelectorAll('.chart-vessel')) e.textContent = vessel;
}

function makePanel(index) {
  const root = document.getElementById('screen-template').content.firstElementChild.cloneNode(true);
  const p = {
    root,
    title: root.querySelector('.screen-title'),
    mode: root.querySelector('.screen-mode'),
    modes: null,
    modeAsked: false,
    canvas: root.querySelector('.display'),
    left: root.querySelector('.buttons.left'),
    right: root.querySelector('.buttons.right'),
    form: root.querySelector('.input-box'),
    inputTitle: root.querySelector('.input-title'),
    inputText: root.querySelector('.input-text'),
    text: root.querySelector('.page-text'),
    labels: null,
    box: null,
  };
  root.dataset.screen = index;
  root.addEventListener('mousedown', () => select(index));
  root.addEventListener('focus', () => select(index));
  p.form.addEventListener('submit', (e) => {
    e.preventDefault();
    post('/api/input', { screen: index, text: p.inputText.value });
  });
  p.mode.addEventListener('change', async () => {
    select(index);
    p.modeAsked = true;  // shown as chosen until the answer; the state has the last word
    await post('/api/mode', { screen: index, mode: p.mode.value });
    p.modeAsked = false;
  });
  root.querySelector('.input-cancel').addEventListener('click', () => post('/api/input', { screen: index, cancel: true }));
  p.inputText.addEventListener('keydown', (e) => {
    if (e.key === 'Escape') post('/api/input', { screen: index, cancel: true });
    e.stopPropagation();  // typing goes to the box, not to the screen's keys
  });
  document.getElementById('screens').appendChild(root);
  return p;
}

function showButtons(p, index, labels) {
  const key = JSON.stringify(labels);
  if (p.labels === key) return;
  p.labels = key;
  p.left.replaceChildren();
  p.right.replaceChildren();
  const half = Math.ceil(labels.length / 2);
  labels.forEach((label, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.disabled = label === '';
    b.dataset.button = i;
    b.title = `button ${i}`;
    b.addEventListener('click', () => { select(index); post('/api/button', { screen: index, button: i }); });
    (i < half ? p.left : p.right).appendChild(b);
  });
}

// The mode control: "no mode" and every mode the flight offers; the screen's
// own shown, but for a choice not yet answered.
function showMode(p, screen, modes) {
  const key = JSON.stringify(modes);
  if (p.modes !== key) {
    p.modes = key;
    p.mode.replaceChildren(new Option('no mode', 'none'), ...modes.map((m) => new Option(m, m)));
  }
  const shown = screen.mode || 'none';
  if (!p.modeAsked && p.mode.value !== shown) p.mode.value = shown;
}

function showScreen(screen, modes) {
  while (panels.length <= screen.index) panels.push(makePanel(panels.length));
  const p = panels[screen.index];
  p.title.textContent = `Screen ${screen.index}`;
  showMode(p, screen, modes);
  drawScreen(p.canvas, screen, SCALE);
  showButtons(p, screen.index, screen.buttons);
  // The page as text, for screen readers and tests.
  const lines = screen.page.map((line) => {
    const li = document.createElement('li');
    li.textContent = line;
    return li;
  });
  p.text.replaceChildren(...lines);
  const box = screen.input;
  const boxKey = box ? box.title : null;
  if (boxKey !== p.box) {
    p.box = boxKey;
    p.form.hidden = !box;
    if (box) {
      p.inputTitle.textContent = box.title;
      p.inputText.value = box.text;
      p.inputText.focus();
    } else if (document.activeElement === p.inputText) {
      p.root.focus();
    }
  }
}

function show(s) {
  state = s;
  document.getElementById('time').textContent = s.t.toFixed(2);
  document.getElementById('pause').textContent = s.paused ? 'Resume' : 'Pause';
  const speed = document.getElementById('speed');
  if (document.activeElement !== speed) {
    const value = String(s.speed);
    if (![...speed.options].some((o) => o.value === value)) speed.add(new Option(`${value}×`, value));
    speed.value = value;
  }
  if (!s.running) status.textContent = 'the flight has ended';
  s.screens.forEach((screen) => showScreen(screen, s.modes || []));
  if (panels.length && !panels.some((p) => p.root.classList.contains('selected'))) select(0);
  follow();
  if (charts) charts.add(s, s.screens.length ? selected : null);
  if (attitude && charts) attitude.show(charts.lastDeviation());
}

function connect() {
  const stream = new EventSource('/api/stream');
  stream.onmessage = (e) => show(JSON.parse(e.data));
  stream.onerror = () => {
    if (state && !state.running) stream.close();
  };
}

document.addEventListener('keydown', (e) => {
  if (e.ctrlKey || e.altKey || e.metaKey) return;
  if (e.target instanceof HTMLInputElement || e.target instanceof HTMLSelectElement) return;
  const code = scanCode(e.code);
  if (code === undefined || !state) return;
  e.preventDefault();
  post('/api/key', { screen: selected, key: code });
});
document.getElementById('pause').addEventListener('click', () => post('/api/sim', { pause: !(state && state.paused) }));
document.getElementById('step').addEventListener('click', () => post('/api/sim', { step: 1 }));
document.getElementById('speed').addEventListener('change', (e) => post('/api/sim', { speed: Number(e.target.value) }));

charts = new Charts();
startAttitudeView(document.getElementById('attitude')).then((view) => { attitude = view; });
fetch('/api/state').then((r) => (r.ok ? r.json() : null)).then((s) => { if (s) show(s); }).finally(connect);
