#!/usr/bin/env node
// The browser page's budget, measured in headless Chromium on this machine:
//   node bench/web_budget.js [build-web/kippfeld.html]
// (after `make web` and `scripts/bootstrap web`). Prints each figure with
// its limit and exits 1 when one is over:
//   the page's size (at most 600 KiB);
//   the introduction on the screen after opening the file from disk (1 s);
//   key to changed DOM over 50 keys, median (5 ms) and worst (16 ms), taken
//   in the page from the key event to the screen's first DOM change;
//   40 keys at once all worked through, with the final screen right;
//   an idle page: no wake-up and no script time over two seconds;
//   on each phone and tablet viewport, the playing screen's text height
//   and its smallest digit target (at least 44 CSS px; 16 px text on
//   phones held upright);
//   the introduction after opening the page served and kept, with the
//   network off (1 s);
// then, not as a limit, Lighthouse's scores of the page served from
// 127.0.0.1 (gzip, as a static host serves it), mobile and desktop
// (bench/lighthouse, installed by npm ci there on first use).
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { launch, openGame, waitForRow, waitForStatus, serveBuild, DEVICES, targetFigures, until } =
    require(path.join(__dirname, '..', 'tests', 'web', 'support.js'));

const page = path.resolve(process.argv[2] || path.join(__dirname, '..', 'build-web', 'kippfeld.html'));
const url = 'file://' + page;
const results = [];
let over = false;

function report(name, value, unit, limit) {
  const ok = limit === undefined || value <= limit;
  if (!ok) over = true;
  const shown = Number.isInteger(value) ? String(value) : value.toFixed(2);
  results.push(`${name.padEnd(44)} ${(shown + ' ' + unit).padStart(14)}` +
      (limit === undefined ? '' : `   (limit ${limit} ${unit})${ok ? '' : '  OVER'}`));
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// Marks the moment the introduction's second row is in the DOM, counted
// from the start of the navigation.
function markIntroduction() {
  new MutationObserver((changes, observer) => {
    const row = document.querySelectorAll('#screen .row')[1];
    if (row && row.textContent.startsWith('        Spielfeld:')) {
      window.introductionAt = performance.now();
      observer.disconnect();
    }
  }).observe(document, { subtree: true, childList: true, characterData: true });
}

// Times every key from its keydown (first listener, capture phase) to the
// first change of the screen's DOM.
function timeKeys() {
  window.keyTimes = [];
  let pressed = null;
  window.addEventListener('keydown', () => { pressed = performance.now(); }, true);
  new MutationObserver(() => {
    if (pressed === null) return;
    window.keyTimes.push(performance.now() - pressed);
    pressed = null;
  }).observe(document.getElementById('screen'), { subtree: true, childList: true, characterData: true });
}

// The playing screen (practice) on each viewport, reached by taps.
async function phonesAndTablets(browser) {
  for (const device of DEVICES) {
    const tab = await openGame(browser, { context: device });
    await tab.tap('#keys .key[data-code="Enter"]');
    await waitForRow(tab, 16, '     Aufgabe  0  : ');
    await tab.waitForTimeout(100);
    const figures = await targetFigures(tab);
    const name = `${device.viewport.width}x${device.viewport.height}`;
    report(`${name}: text height`, figures.textHeight, 'px');
    if (device.portraitPhone && figures.textHeight < 16) report(`${name}: text under 16 px`, 1, '', 0);
    report(`${name}: smallest digit target (side)`,
        Math.min(...figures.targets.map((target) => target.side)), 'px');
    if (Math.min(...figures.targets.map((target) => target.side)) < 44) {
      report(`${name}: digit target under 44 px`, 1, '', 0);
    }
    await tab.context().close();
  }
}

// Served, visited once (the service worker keeps the page), then opened
// again with the network off, five times.
async function offlineStart(browser) {
  const served = await serveBuild();
  try {
    const context = await browser.newContext();
    const tab = await context.newPage();
    await tab.addInitScript(markIntroduction);
    await tab.goto(served.url + 'kippfeld.html');
    await tab.waitForFunction(() => window.introductionAt !== undefined, null, { timeout: 10000 });
    await tab.evaluate(() => navigator.serviceWorker.ready);
    await until(tab, () => caches.keys().then((names) => names.length === 1 &&
        caches.open(names[0]).then((cache) => cache.keys()).then((kept) => kept.length >= 8)));
    served.offline = true;
    await context.setOffline(true);
    const opens = [];
    for (let i = 0; i < 5; i++) {
      await tab.reload();
      await tab.waitForFunction(() => window.introductionAt !== undefined, null, { timeout: 10000 });
      opens.push(await tab.evaluate(() => window.introductionAt));
    }
    report('introduction after opening offline, median', median(opens), 'ms', 1000);
    report('introduction after opening offline, worst', Math.max(...opens), 'ms', 1000);
    await context.close();
  } finally {
    await served.close();
  }
}

// Lighthouse on the machine's chromium, mobile and desktop; its scores.
async function lighthouse() {
  const folder = path.join(__dirname, 'lighthouse');
  const cli = path.join(folder, 'node_modules', 'lighthouse', 'cli', 'index.js');
  if (!fs.existsSync(cli)) {
    const install = spawnSync('npm', ['ci', '--no-audit', '--no-fund', '--ignore-scripts'],
        { cwd: folder, stdio: 'inherit' });
    if (install.status !== 0 || !fs.existsSync(cli)) {
      results.push('lighthouse: not installed (npm ci in bench/lighthouse failed)');
      return;
    }
  }
  const served = await serveBuild();
  try {
    for (const preset of ['mobile', 'desktop']) {
      const args = [cli, served.url + 'kippfeld.html', '--output=json', '--quiet',
        '--only-categories=performance,accessibility,best-practices',
        `--chrome-flags=--headless --no-sandbox --disable-gpu --disable-quic --no-first-run ` +
        '--disable-background-networking --disable-component-update --disable-sync'];
      if (preset === 'desktop') args.push('--preset=desktop');
      const output = await new Promise((resolve) => {
        const child = spawn(process.execPath, args, {
          env: { ...process.env, CHROME_PATH: process.env.KIPPFELD_CHROMIUM || '/usr/bin/chromium' },
          stdio: ['ignore', 'pipe', 'inherit'],
        });
        let text = '';
        child.stdout.on('data', (data) => { text += data; });
        child.on('close', () => resolve(text));
      });
      let audit;
      try {
        audit = JSON.parse(output);
      } catch (error) {
        results.push(`lighthouse ${preset}: no report`);
        continue;
      }
      const score = (name) => Math.round(audit.categories[name].score * 100);
      results.push(`lighthouse ${audit.lighthouseVersion} ${preset.padEnd(7)}: performance ` +
          `${score('performance')}, accessibility ${score('accessibility')}, best practices ` +
          `${score('best-practices')} (first contentful paint ` +
          `${audit.audits['first-contentful-paint'].displayValue}, largest ` +
          `${audit.audits['largest-contentful-paint'].displayValue})`);
      for (const [name, category] of Object.entries(audit.categories)) {
        for (const reference of category.auditRefs) {
          const found = audit.audits[reference.id];
          if (reference.weight > 0 && found.score !== null && found.score < 1) {
            results.push(`  ${preset} ${name}: ${found.id} ${Math.round(found.score * 100)}`);
          }
        }
      }
    }
  } finally {
    await served.close();
  }
}

(async () => {
  report('page size', Math.round(fs.statSync(page).size / 1024 * 10) / 10, 'KiB', 600);
  const browser = await launch();
  try {
    // Opening from disk, five times, each in a fresh context.
    const opens = [];
    for (let i = 0; i < 5; i++) {
      const context = await browser.newContext();
      const tab = await context.newPage();
      await tab.addInitScript(markIntroduction);
      await tab.goto(url);
      await tab.waitForFunction(() => window.introductionAt !== undefined, null, { timeout: 10000 });
      opens.push(await tab.evaluate(() => window.introductionAt));
      await context.close();
    }
    report('introduction after opening from disk, median', median(opens), 'ms', 1000);
    report('introduction after opening from disk, worst', Math.max(...opens), 'ms', 1000);

    const context = await browser.newContext();
    const tab = await context.newPage();
    await tab.goto(url);
    // Keys typed before the introduction shows are the start's to throw away.
    await waitForRow(tab, 2, '        Spielfeld:', 30000);
    await tab.keyboard.press('Enter');
    await waitForStatus(tab, 'Zug Nr.  0 ', 10000);
    const boardRows = () => tab.evaluate(() => [5, 7, 9].map((y) =>
      document.querySelectorAll('#screen .row')[y].textContent));
    const startBoard = await boardRows();
    await tab.evaluate(timeKeys);
    for (let i = 1; i <= 50; i++) {
      await tab.keyboard.press('Enter');
      await waitForStatus(tab, `Zug Nr.  ${i} `, 10000);
      await tab.waitForTimeout(20);
    }
    const times = await tab.evaluate(() => window.keyTimes);
    report(`key to DOM over ${times.length} keys, median`, median(times), 'ms', 5);
    report(`key to DOM over ${times.length} keys, worst`, Math.max(...times), 'ms', 16);

    // Forty keys at once: all queued before the first is worked through.
    const burstStart = Date.now();
    await tab.evaluate(() => {
      const target = document.getElementById('console');
      for (let i = 0; i < 40; i++) {
        target.dispatchEvent(new KeyboardEvent('keydown',
            { code: 'Enter', key: 'Enter', bubbles: true, cancelable: true }));
      }
    });
    await waitForStatus(tab, 'Zug Nr.  90 ', 10000);
    report('40 keys at once, all worked through in', Date.now() - burstStart, 'ms');
    // Ninety moves of the same cell, an even number: the board is as it was.
    const right = JSON.stringify(await boardRows()) === JSON.stringify(startBoard);
    report('40 keys at once, final screen wrong', right ? 0 : 1, '', 0);

    // Idle: nothing wakes, no script runs.
    await tab.waitForTimeout(300);
    const session = await context.newCDPSession(tab);
    await session.send('Performance.enable');
    const script = async () => (await session.send('Performance.getMetrics')).metrics
        .find((m) => m.name === 'ScriptDuration').value;
    const wakesBefore = await tab.evaluate(() => window.kippfeld.waits.count);
    const scriptBefore = await script();
    await tab.waitForTimeout(2000);
    report('idle 2 s: wake-ups', (await tab.evaluate(() => window.kippfeld.waits.count)) - wakesBefore,
        '', 0);
    report('idle 2 s: script time', ((await script()) - scriptBefore) * 1000, 'ms');
    await context.close();

    await phonesAndTablets(browser);
    await offlineStart(browser);
  } finally {
    await browser.close();
  }
  await lighthouse();
  console.log(`kippfeld browser page: ${page}`);
  for (const line of results) console.log(line);
  process.exit(over ? 1 : 0);
})().catch((error) => {
  console.error(error);
  process.exit(2);
});
