// The cockpit in a real browser: Debian's chromium, headless, driven by
// puppeteer-core. Starts gyrelle-sim --serve on loopback, opens the page,
// clicks HLD, types a pitch offset into the input box, and checks that the
// page shows "(Hold)" and the offset, and that the vessel turns in the
// telemetry the API reports. Takes a screenshot of the cockpit.
//
// node browser_test.mjs --sim PATH --module PATH [--shot FILE]
// Exit status: 0 passed, 1 failed, 77 skipped (puppeteer-core or chromium missing).
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';

const CHROMIUM = '/usr/bin/chromium';
const SKIP = 77;
const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => (a.startsWith('--') ? [...pairs, [a.slice(2), all[i + 1]]] : pairs), []));

let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (e) {
  console.log('SKIPPED: puppeteer-core is not installed (scripts/setup.sh installs it)');
  process.exit(SKIP);
}
if (!existsSync(CHROMIUM)) {
  console.log(`SKIPPED: ${CHROMIUM} is missing (scripts/setup.sh installs chromium)`);
  process.exit(SKIP);
}

const SCENARIO = `
[sim]
step = 0.02
until = 100000.0
redraw = 0.5

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "Gyre-1"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7729.8, 0.0]

[[screen]]
width = 256
height = 280
mode = "Gyrelle"
`;

const dir = mkdtempSync(join(tmpdir(), 'gyrelle-browser-'));
const scenario = join(dir, 'cockpit.toml');
writeFileSync(scenario, SCENARIO);

let sim, browser;
const deadline = setTimeout(() => fail('took longer than 50 s'), 50000);

async function cleanUp() {
  clearTimeout(deadline);
  if (browser) await browser.close().catch(() => {});
  if (sim && sim.exitCode === null) sim.kill('SIGKILL');
  rmSync(dir, { recursive: true, force: true });
}

async function fail(why) {
  console.error(`FAILED: ${why}`);
  await cleanUp();
  process.exit(1);
}

function startSim() {
  return new Promise((resolve, reject) => {
    sim = spawn(args.sim, [scenario, '--module', args.module, '--serve', '--port', '0', '--speed', '4', '--quiet'],
                { stdio: ['ignore', 'pipe', 'inherit'] });
    sim.on('error', reject);
    sim.on('exit', (code) => reject(new Error(`gyrelle-sim exited with ${code}`)));
    createInterface({ input: sim.stdout }).on('line', (line) => {
      const m = line.match(/cockpit at (http:\/\/\S+)/);
      if (m) resolve(m[1]);
    });
  });
}

async function state(url) {
  const r = await fetch(new URL('/api/state', url));
  return r.json();
}

try {
  const url = await startSim();
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: join(dir, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--enable-unsafe-swiftshader', '--window-size=1400,1000'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000 });
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  await page.goto(url, { waitUntil: 'load' });

  // The page text is in the document, and the soft buttons carry the module's labels.
  const pageText = () => page.$eval('.screen .page-text', (ol) => ol.innerText);
  await page.waitForFunction(() => document.querySelector('.screen .page-text')?.innerText.includes('Ref Mode'));
  const hld = await page.waitForSelector('xpath///article[@data-screen="0"]//button[text()="HLD"]');
  const before = await state(url);
  const alpha0 = before.vessels[0].alpha;

  await hld.click();
  await page.waitForFunction(() => document.querySelector('.screen .page-text').innerText.includes('(Hold)'),
                             { timeout: 5000 });

  // PCH opens the pitch box as a text field; type the offset and press Enter.
  const pch = await page.waitForSelector('xpath///article[@data-screen="0"]//button[text()="PCH"]');
  await pch.click();
  const box = await page.waitForSelector('.screen .input-box:not([hidden]) .input-text', { visible: true });
  const title = await page.$eval('.screen .input-title', (e) => e.textContent);
  if (title !== 'Select Pitch') await fail(`the input box reads "${title}"`);
  await box.type('-10.5');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => /Set Pitch\s+-10\.50/.test(document.querySelector('.screen .page-text').innerText),
                             { timeout: 5000 });
  const text = await pageText();
  if (!text.includes('(Hold)')) await fail(`"(Hold)" went from the page:\n${text}`);

  // The hold turns the vessel towards the new pitch: its orientation moves.
  let turned = 0;
  for (let i = 0; i < 60 && turned < 2; ++i) {
    await new Promise((r) => setTimeout(r, 250));
    const s = await state(url);
    turned = Math.abs(s.vessels[0].alpha - alpha0) * 180 / Math.PI;
  }
  if (turned < 2) await fail(`the vessel turned ${turned.toFixed(2)} degrees only`);

  // A keyboard key reaches the selected screen: C cycles the colour mode... and H toggles the hold.
  await page.click('.screen canvas');
  await page.keyboard.press('KeyH');
  await page.waitForFunction(() => !document.querySelector('.screen .page-text').innerText.includes('(Hold)'),
                             { timeout: 5000 });

  if (problems.length) await fail(`the page threw: ${problems.join('; ')}`);
  if (args.shot) {
    await page.keyboard.press('KeyH');  // hold on again for the picture
    await page.waitForFunction(() => document.querySelector('.screen .page-text').innerText.includes('(Hold)'));
    await new Promise((r) => setTimeout(r, 1500));  // some chart history
    await page.screenshot({ path: args.shot });
  }
  console.log(`passed: HLD, a typed pitch offset and the H key drove the cockpit; the vessel turned ${turned.toFixed(1)} degrees`);
  await cleanUp();
  process.exit(0);
} catch (e) {
  await fail(e.stack || String(e));
}
