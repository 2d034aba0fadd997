// The page's drill: its button starts a drill in place of the practice and
// the test, a round played by keys is kept in the drill rounds' storage
// beside the history (which the drill leaves alone), and the History view
// shows the drill section.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const {
  launch, openGame, rows, waitForRow, storedHistory, drillTheFirstTask, endGame, boardBits, solve,
  moveByKeys,
} = require('./support');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

function storedDrills(page) {
  return page.evaluate(() => window.kippfeld.drillStorage.read().then((bytes) =>
    bytes === null ? null : new TextDecoder().decode(bytes)));
}

test('the drill button starts a drill: a round by keys, kept beside the history, and the ' +
    'History view\'s drill section', async () => {
  const page = await openGame(browser);
  const cells = await drillTheFirstTask(page);
  const drills = await storedDrills(page);
  const lines = drills.split('\n');
  assert.equal(lines[0], 'started\ttask\ttime_s\tmoves');
  assert.match(lines[1], new RegExp(`^\\d{4}-\\d\\d-\\d\\dT[^\\t]+\\t1\\t[.0-9]+\\t${cells.length}$`));
  assert.equal(lines[2], '');
  // A drill keeps no test.
  assert.equal(await storedHistory(page), null);

  // One more key ends the game, as after the results table.
  await endGame(page);

  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible' });
  const report = await page.textContent('#history-report');
  assert.match(report, /Drill rounds recorded in this browser's storage \(kippfeld\/drills\.tsv\)/);
  assert.match(report, /The Drill button drills all twelve tasks in order/);
  assert.equal(await page.textContent('#history-messages'), '');
  // A new game is the practice and the test again.
  await page.click('#play-again');
  await waitForRow(page, 2, '        Spielfeld:');
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

// Complete tests: a fast one (every task 5 s, the best), then slow ones
// with tasks 10 and 7 far slower than their best.
const HEADER = ['started', 'tasks', 'time_s', 'moves'].concat(
    ...Array.from({ length: 12 }, (_, k) => [`t${k + 1}_s`, `t${k + 1}_moves`])).join('\t') + '\n';
function completeTest(minute, slow) {
  const times = Array.from({ length: 12 }, (_, k) => (!slow ? 5 : k === 6 ? 100 : k === 9 ? 200 : 5));
  const tasks = times.map((time) => `\t${time}\t20`).join('');
  const total = times.reduce((sum, time) => sum + time, 0);
  return `2025-03-14T09:${String(minute).padStart(2, '0')}:00+01:00\t12\t${total}\t240${tasks}\n`;
}

test('the drill button drills the tasks the stored history picks, the slowest first', async () => {
  const page = await openGame(browser);
  await page.evaluate((text) => window.kippfeld.storage.append(new TextEncoder().encode(text)),
      HEADER + completeTest(1, false) + completeTest(20, true) + completeTest(40, true));
  await page.click('#start-drill');
  await waitForRow(page, 16, '     Aufgabe  10  : nur mittlere waagerechte 0');
  await page.keyboard.press('Escape');
  await waitForRow(page, 1, ' Drill (Zeiten in Sek.;');
  const table = await rows(page);
  assert.match(table[4], /^ 10 \. Aufgabe /);
  assert.match(table[5], /^ 7 \. Aufgabe /);
  await endGame(page);
  // Nothing finished, nothing kept; the history as it was.
  assert.equal(await storedDrills(page), null);
  assert.equal((await storedHistory(page)).split('\n').length, 5);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('a round the browser refuses to keep costs the drill nothing; one line says so', async () => {
  const page = await openGame(browser, {
    init: () => {
      IDBObjectStore.prototype.add = function () {
        throw new DOMException('full', 'QuotaExceededError');
      };
    },
  });
  // The next round comes as if the round had been kept.
  await drillTheFirstTask(page);
  await endGame(page);
  assert.equal(await page.textContent('#notice'),
      'A drill round has not been saved. ' +
      "kippfeld: the drill round was not recorded in this browser's storage " +
      "(kippfeld/drills.tsv): the browser's storage is full");
  assert.equal(await storedDrills(page), null);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('a drill started during the test puts the test aside, even in its OK signal', async () => {
  const page = await openGame(browser);
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.keyboard.press('p');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  await moveByKeys(page, solve(await boardBits(page), 0b111111111));
  // The OK signal: the test goes on to task 2 two seconds later.
  await page.click('#start-drill');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  const drill = await rows(page);
  await page.waitForTimeout(3000);
  assert.deepEqual(await rows(page), drill);
  // The drill has the keys: a move counts in its round.
  await page.keyboard.press('Enter');
  await page.waitForFunction((before) =>
    document.querySelectorAll('#screen .row')[17].textContent !== before, drill[17]);
  assert.equal(await storedHistory(page), null);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
