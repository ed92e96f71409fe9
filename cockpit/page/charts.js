// Live charts (uPlot) of what the selected screen shows and the focus vessel
// does: the deviations and rates on the page, the net rotation thruster
// levels and the propellant. Each keeps the last KEEP samples.
const KEEP = 600;
const AXES = ['pitch', 'yaw', 'roll'];
const COLOURS = ['#5fd35f', '#5fa8ff', '#ff7a5f'];

// The deviation and rate of a row ("Pitch:", "Yaw:", "Roll:") of a page: the
// values drawn at x 100 and 200 on the label's line.
function pageRow(lines, label) {
  const head = lines.find((l) => l.x === 5 && l.text.trim() === label);
  if (!head) return [null, null];
  const at = (x) => {
    const v = lines.find((l) => l.y === head.y && l.x === x);
    const n = v ? parseFloat(v.text) : NaN;
    return Number.isFinite(n) ? n : null;
  };
  return [at(100), at(200)];
}

export class Charts {
  constructor(elements) {
    this.t = [];
    this.series = { deviation: [[], [], []], rate: [[], [], []], thrust: [[], [], []], propellant: [[]] };
    this.plots = {};
    this.lastT = -1;
    if (typeof uPlot === 'undefined') return;  // the library is not installed: no charts
    const make = (key, names, el) => {
      const width = Math.max(300, el.clientWidth || 400);
      this.plots[key] = new uPlot({
        width, height: 120, legend: { show: true },
        scales: { x: { time: false } },
        axes: [{ stroke: '#889' }, { stroke: '#889', size: 50 }],
        series: [{ label: 't [s]' }, ...names.map((n, i) => ({ label: n, stroke: COLOURS[i], width: 1.5 }))],
      }, [this.t, ...this.series[key]], el);
    };
    make('deviation', AXES, document.getElementById('chart-deviation'));
    make('rate', AXES, document.getElementById('chart-rate'));
    make('thrust', AXES, document.getElementById('chart-thrust'));
    make('propellant', ['propellant'], document.getElementById('chart-propellant'));
  }

  add(state, screen) {
    if (state.t === this.lastT) return;
    if (state.t < this.lastT) this.clear();  // a new flight
    this.lastT = state.t;
    const vessel = state.vessels.find((v) => v.vessel === state.focus) || state.vessels[0];
    const lines = screen ? screen.lines : [];
    const rows = ['Pitch:', 'Yaw:', 'Roll:'].map((l) => pageRow(lines, l));
    this.t.push(state.t);
    rows.forEach(([dev, rate], i) => {
      this.series.deviation[i].push(dev);
      this.series.rate[i].push(rate);
    });
    AXES.forEach((a, i) => this.series.thrust[i].push(vessel ? vessel[a] : null));
    this.series.propellant[0].push(vessel ? vessel.propellant : null);
    if (this.t.length > KEEP) {
      this.t.shift();
      for (const list of Object.values(this.series)) for (const s of list) s.shift();
    }
    for (const [key, plot] of Object.entries(this.plots)) plot.setData([this.t, ...this.series[key]]);
  }

  clear() {
    this.t.length = 0;
    for (const list of Object.values(this.series)) for (const s of list) s.length = 0;
  }

  // The last deviations [deg] (pitch, yaw, roll), zeros when not shown.
  lastDeviation() {
    return this.series.deviation.map((s) => (s.length ? s[s.length - 1] || 0 : 0));
  }
}

export { pageRow };
