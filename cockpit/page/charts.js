// Live charts (uPlot) of what the followed screen shows and the focus vessel
// does: the deviations and rates on that screen's page, the net rotation
// thruster levels and the propellant. Each keeps the last KEEP samples. The
// legends show the latest sample, or the one under the pointer.
const KEEP = 600;
const AXES = ['pitch', 'yaw', 'roll'];
const COLOURS = ['#5fd35f', '#5fa8ff', '#ff7a5f'];
const HEIGHT = 150;  // [CSS px] plot and axes, without the legend
const FONT = '12px system-ui, sans-serif';
const TICK = 4, GAP = 4;  // [CSS px] tick length, gap between tick and label
// Figures read the same in any locale, with the point the screens print.
const TICK_LABEL = new Intl.NumberFormat('en-US', { maximumFractionDigits: 3 });
const TWO_DECIMALS = { minimumFractionDigits: 2, maximumFractionDigits: 2 };
const SIGNED = new Intl.NumberFormat('en-US', { ...TWO_DECIMALS, signDisplay: 'exceptZero' });  // as the pages
const PLAIN = new Intl.NumberFormat('en-US', TWO_DECIMALS);

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

// A y range of round figures around the data (uPlot.rangeNum, 10 % padding),
// at least `span` wide; with `aroundZero` it reaches span/2 on both sides of 0,
// as a deviation or a rate is read against zero.
function rangeOf(span, aroundZero) {
  return (u, lo, hi) => {
    if (lo == null || hi == null) lo = hi = 0;
    if (aroundZero) {
      lo = Math.min(lo, -span / 2);
      hi = Math.max(hi, span / 2);
    } else if (hi - lo < span) {
      const mid = (lo + hi) / 2;
      [lo, hi] = [mid - span / 2, mid + span / 2];
    }
    return uPlot.rangeNum(lo, hi, 0.1, true);
  };
}

const measure = document.createElement('canvas').getContext('2d');
measure.font = FONT;

// The y axis' least room between ticks [CSS px]: up to MAX_Y_SPACE, and no
// more than a sixth of the plot's height, so that it has at least three ticks:
// uPlot takes the finest increment (1, 2, 2.5 or 5 times a power of ten) that
// leaves that room, and each increment is at most twice the one before.
const MAX_Y_SPACE = 30;
function ySpace(u, axisIdx, min, max, plotHeight) {
  return Math.min(MAX_Y_SPACE, plotHeight / 6);
}

// The y axis as wide as its widest label, so that none is cut at the left,
// and at least MIN_Y_AXIS, so that the charts of short labels line up.
const MIN_Y_AXIS = 44;  // [CSS px]
function yAxisSize(u, values) {
  const widest = Math.max(0, ...(values || []).map((v) => measure.measureText(v).width));
  return Math.max(MIN_Y_AXIS, Math.ceil(widest) + TICK + GAP + 2);
}

const CHARTS = {
  deviation: { names: AXES, range: rangeOf(2, true), value: SIGNED },  // [deg]
  rate: { names: AXES, range: rangeOf(2, true), value: SIGNED },       // [deg/s]
  thrust: { names: AXES, range: [-1.1, 1.1], value: SIGNED },         // levels, -1...1
  propellant: { names: ['propellant'], range: rangeOf(1, false), value: PLAIN },  // [kg]
};

export class Charts {
  constructor() {
    this.t = [];
    this.screens = [];  // per screen, sampled alike: { deviation: [pitch, yaw, roll], rate: [...] }
    this.vessel = { thrust: [[], [], []], propellant: [[]] };  // the focus vessel's
    this.followed = null;  // the screen whose figures are charted
    this.plots = {};
    this.lastT = -1;
    if (typeof uPlot === 'undefined') return;  // the library is not installed: no charts
    for (const [key, c] of Object.entries(CHARTS)) this.plots[key] = this.make(key, c);
  }

  make(key, { names, range, value }) {
    const el = document.getElementById(`chart-${key}`);
    const axis = {
      stroke: '#889', font: FONT, gap: GAP, ticks: { size: TICK, stroke: '#334' }, grid: { stroke: '#222830' },
    };
    const plot = new uPlot({
      width: Math.max(300, el.clientWidth || 400), height: HEIGHT,
      scales: { x: { time: false }, y: { range } },
      axes: [
        { ...axis, size: 30 },
        {
          ...axis, space: ySpace, size: yAxisSize,
          // The tick labels also go into the document, where tests and screen readers find them.
          values: (u, splits) => {
            const labels = splits.map((v) => TICK_LABEL.format(v + 0));  // + 0: no "-0"
            el.dataset.ticks = labels.join(' ');
            return labels;
          },
        },
      ],
      series: [
        { label: 't [s]', value: (u, v) => (v == null ? '--' : PLAIN.format(v)) },
        ...names.map((n, i) => ({
          label: n, stroke: COLOURS[i], width: 1.5, value: (u, v) => (v == null ? '--' : value.format(v)),
        })),
      ],
      hooks: {
        // Away from the pointer the legend shows the latest sample, not "--".
        setLegend: [(u) => {
          if (u.cursor.idx == null && u.data[0].length) u.setLegend({ idx: u.data[0].length - 1 }, false);
        }],
      },
    }, [this.t, ...this.data(key)], el);
    // The side column's width is settled once the screens are laid out.
    new ResizeObserver(() => {
      const width = Math.max(300, el.clientWidth);
      if (width !== plot.width) plot.setSize({ width, height: HEIGHT });
    }).observe(el);
    return plot;
  }

  // A chart's series: the followed screen's figures, or the vessel's.
  data(key) {
    if (key in this.vessel) return this.vessel[key];
    const screen = this.screens[this.followed];
    return screen ? screen[key] : CHARTS[key].names.map(() => this.t.map(() => null));
  }

  // Adds the state's sample and charts the screen at index `followed` (null
  // when there are no screens).
  add(state, followed) {
    const fresh = state.t !== this.lastT;
    if (fresh) {
      if (state.t < this.lastT) this.clear();  // a new flight
      this.lastT = state.t;
      this.sample(state);
    }
    if (!fresh && followed === this.followed) return;
    this.followed = followed;
    for (const [key, plot] of Object.entries(this.plots)) plot.setData([this.t, ...this.data(key)]);
  }

  sample(state) {
    this.t.push(state.t);
    state.screens.forEach((screen, i) => {
      if (!this.screens[i]) {
        const past = () => this.t.slice(1).map(() => null);
        this.screens[i] = { deviation: AXES.map(past), rate: AXES.map(past) };
      }
      ['Pitch:', 'Yaw:', 'Roll:'].forEach((label, axis) => {
        const [dev, rate] = pageRow(screen.lines, label);
        this.screens[i].deviation[axis].push(dev);
        this.screens[i].rate[axis].push(rate);
      });
    });
    const vessel = state.vessels.find((v) => v.vessel === state.focus) || state.vessels[0];
    AXES.forEach((a, i) => this.vessel.thrust[i].push(vessel ? vessel[a] : null));
    this.vessel.propellant[0].push(vessel ? vessel.propellant : null);
    if (this.t.length > KEEP) {
      this.t.shift();
      for (const s of this.allSeries()) s.shift();
    }
  }

  * allSeries() {
    for (const screen of this.screens) yield* [...screen.deviation, ...screen.rate];
    yield* [...this.vessel.thrust, ...this.vessel.propellant];
  }

  clear() {
    this.t.length = 0;
    this.screens.length = 0;
    for (const s of this.allSeries()) s.length = 0;
  }

  // The followed screen's last deviations [deg] (pitch, yaw, roll), zeros when not shown.
  lastDeviation() {
    const screen = this.screens[this.followed];
    return screen ? screen.deviation.map((s) => s[s.length - 1] || 0) : [0, 0, 0];
  }
}

export { pageRow };
