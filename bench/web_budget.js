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
//   an idle page: no wake-up and no script time over two seconds.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { launch, waitForRow, waitForStatus } =
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
  } finally {
    await browser.close();
  }
  console.log(`kippfeld browser page: ${page}`);
  for (const line of results) console.log(line);
  process.exit(over ? 1 : 0);
})().catch((error) => {
  console.error(error);
  process.exit(2);
});
