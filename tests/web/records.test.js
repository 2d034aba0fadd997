// The page's records against what loses them elsewhere: two tabs whose
// results tables appear at the same moment, a browser killed just after
// the table, a history kept by release 1.2.0, and histories large enough
// to make the program's memory grow while it reads them.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { chromium } = require('playwright-core');
const { PAGE_URL, ARGS, launch, openGame, waitForRow, storedHistory } = require('./support');

const STORAGE_KEY = 'kippfeld/history.tsv';
// The header of history.tsv.
const HEADER = ['started', 'tasks', 'time_s', 'moves'].concat(
    ...Array.from({ length: 12 }, (_, k) => [`t${k + 1}_s`, `t${k + 1}_moves`])).join('\t') + '\n';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// A record as history.tsv holds it, started `i` minutes after a fixed time.
function record(i) {
  const minutes = String(i % 60).padStart(2, '0');
  const hours = String(Math.floor(i / 60) % 24).padStart(2, '0');
  const day = String(1 + Math.floor(i / 1440) % 28).padStart(2, '0');
  const month = String(1 + Math.floor(i / 40320) % 12).padStart(2, '0');
  const year = 2000 + Math.floor(i / 483840);
  return `${year}-${month}-${day}T${hours}:${minutes}:00+01:00\t1\t30\t3\t30\t3` +
      '\t0\t0'.repeat(11) + '\n';
}

// Starts the test from the introduction; the results table follows Esc.
async function toTest(page) {
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.keyboard.press('p');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
}

// Until the stored history has at least this many lines.
async function untilStored(page, lines, timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const history = await storedHistory(page);
    if (history !== null && history.split('\n').length - 1 >= lines) return;
    if (Date.now() > end) throw new Error(`not ${lines} lines stored: ${history}`);
    await page.waitForTimeout(20);
  }
}

// Every line whole: one header first, then records only.
function recordsOf(history) {
  const lines = history.split('\n');
  assert.equal(lines.pop(), '');
  assert.equal(lines[0] + '\n', HEADER);
  const records = lines.slice(1);
  for (const line of records) assert.match(line, /^\d{4}-\d\d-\d\dT[^\t]+\t\d+\t/, line);
  return records;
}

test('two tabs whose results tables appear at the same moment keep both tests, every time',
    async () => {
      const context = await browser.newContext();
      const tabs = [await context.newPage(), await context.newPage()];
      for (const tab of tabs) await tab.goto(PAGE_URL);
      for (let round = 1; round <= 20; round++) {
        await Promise.all(tabs.map(async (tab) => {
          if (round > 1) await tab.reload();
          await waitForRow(tab, 2, '        Spielfeld:');
          // A slow look at the end: without a lock across the tabs both
          // would find the same end (both would write the header).
          await tab.evaluate(() => {
            const storage = window.kippfeld.storage;
            const end = storage.end;
            storage.end = () => end().then((found) =>
              new Promise((resolve) => setTimeout(() => resolve(found), 100)));
          });
          await toTest(tab);
        }));
        await Promise.all(tabs.map((tab) => tab.keyboard.press('Escape')));
        await untilStored(tabs[0], 1 + 2 * round);
      }
      const records = recordsOf(await storedHistory(tabs[0]));
      assert.equal(records.length, 40);
      await context.close();
    });

test('a finished test is on disk: the browser killed 3 s after the table keeps it', async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kippfeld-profile-'));
  // The browser of its own, on a profile that outlives it, killed outright.
  const start = async () => {
    const child = spawn(process.env.KIPPFELD_CHROMIUM || '/usr/bin/chromium',
        [...ARGS, `--user-data-dir=${profile}`, '--remote-debugging-port=0', 'about:blank'],
        { stdio: ['ignore', 'ignore', 'pipe'], detached: true });
    const endpoint = await new Promise((resolve, reject) => {
      let text = '';
      child.stderr.on('data', (data) => {
        text += data;
        const found = /DevTools listening on (ws:\S+)/.exec(text);
        if (found) resolve(found[1]);
      });
      child.on('exit', () => reject(new Error('chromium ended: ' + text)));
    });
    const connected = await chromium.connectOverCDP(endpoint);
    return { child, connected, context: connected.contexts()[0] };
  };
  let run = null;
  try {
    run = await start();
    let page = await run.context.newPage();
    await page.goto(PAGE_URL);
    await waitForRow(page, 2, '        Spielfeld:');
    await toTest(page);
    await page.keyboard.press('Escape');
    await waitForRow(page, 2, '    \u00dcbung');
    await page.waitForTimeout(3000);
    process.kill(-run.child.pid, 'SIGKILL');
    await new Promise((resolve) => run.child.once('exit', resolve));

    run = await start();
    page = await run.context.newPage();
    await page.goto(PAGE_URL);
    await waitForRow(page, 2, '        Spielfeld:');
    assert.equal(recordsOf(await storedHistory(page)).length, 1);
    await run.connected.close();
  } finally {
    // Never a browser left behind, whatever failed.
    if (run && run.child.exitCode === null && run.child.signalCode === null) {
      process.kill(-run.child.pid, 'SIGKILL');
      await new Promise((resolve) => run.child.once('exit', resolve));
    }
    fs.rmSync(profile, { recursive: true, force: true });
  }
});

test('a history kept by 1.2.0 in local storage is taken over once, whole', async () => {
  const old = HEADER + record(1) + record(2);
  // On every load, as if a 1.2.0 page wrote it again: still read once.
  const page = await openGame(browser, {
    init: ([key, text]) => localStorage.setItem(key, text),
    initArgument: [STORAGE_KEY, old],
  });
  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible' });
  assert.match(await page.textContent('#history-report'), /^Tests recorded in .*\n(.*\n)* {3}2 /);
  assert.equal(await storedHistory(page), old);
  assert.equal(await page.evaluate((key) => localStorage.getItem(key), STORAGE_KEY), null);
  await page.reload();
  await waitForRow(page, 2, '        Spielfeld:');
  assert.equal(await storedHistory(page), old);
  // A new test goes after what was taken over.
  await toTest(page);
  await page.keyboard.press('Escape');
  await untilStored(page, 4);
  const records = recordsOf(await storedHistory(page));
  assert.deepEqual(records.slice(0, 2), [record(1).trimEnd(), record(2).trimEnd()]);
  assert.equal(records.length, 3);
  await page.context().close();
});

test('a history that makes the program\'s memory grow is read whole, and imported once', async () => {
  // 2,000 tests and a long line of non-ASCII text, far past the memory the
  // program starts with once copied in and read.
  let history = HEADER;
  for (let i = 0; i < 2000; i++) history += record(i);
  history += '\u00e4'.repeat(6 << 20) + '\n';
  const bytes = Buffer.from(history);
  const page = await openGame(browser);
  await page.evaluate((text) => window.kippfeld.storage.append(new TextEncoder().encode(text)),
      history);
  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible', timeout: 30000 });
  const report = await page.textContent('#history-report');
  assert.match(report, /\n {1,3}2000 {2}/);
  assert.match(await page.textContent('#history-messages'), /history\.tsv\)?:2002: skipped: /);
  // Saving gives back every byte.
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-history')]);
  assert.ok(fs.readFileSync(await download.path()).equals(bytes));
  // The same records again: all already kept, none added.
  await page.setInputFiles('#add-history', { name: 'history.tsv', mimeType: 'text/plain', buffer: bytes });
  await page.waitForFunction(() =>
    document.getElementById('history-messages').textContent.includes('added'), null,
  { timeout: 30000 });
  assert.match(await page.textContent('#history-messages'),
      /^history\.tsv: 0 tests added, 2000 were already kept, 1 line skipped\./);
  assert.equal((await storedHistory(page)).length, history.length);
  // Into a page that has none of them: all 2,000 added.
  const fresh = await openGame(browser);
  await fresh.click('#show-history');
  await fresh.waitForSelector('#history', { state: 'visible' });
  await fresh.setInputFiles('#add-history', { name: 'history.tsv', mimeType: 'text/plain', buffer: bytes });
  await fresh.waitForFunction(() =>
    document.getElementById('history-messages').textContent.includes('added'), null,
  { timeout: 30000 });
  assert.match(await fresh.textContent('#history-messages'),
      /^history\.tsv: 2000 tests added, 1 line skipped\./);
  assert.equal(recordsOf(await storedHistory(fresh)).length, 2000);
  assert.deepEqual(page.errors, []);
  assert.deepEqual(fresh.errors, []);
  await page.context().close();
  await fresh.context().close();
});
