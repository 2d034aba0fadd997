// The browser page end to end, played in headless Chromium as a person
// would: keys, clicks and taps on the page opened from disk (and once from
// a web server), read back from the console's rows in the DOM.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {
  PAGE, launch, openGame, rows, waitForRow, waitForStatus, colours, cellCentre, boardBits, digitOf,
  solve, storedHistory, serveBuild,
} = require('./support');

const GREY = 'rgb(170, 170, 170)';
const CYAN = 'rgb(0, 170, 170)';
const BLACK = 'rgb(0, 0, 0)';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

async function closeGame(page) {
  assert.deepEqual(page.errors, []);
  await page.context().close();
}

// Leaves the introduction for practice.
async function toPractice(page) {
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
}

async function doubleClickCell(page, cell, button = 'left') {
  const { row, column } = digitOf(cell);
  const at = await cellCentre(page, row, column);
  await page.mouse.dblclick(at.x, at.y, { button });
}

async function waitForColour(page, row, column, color) {
  await page.waitForFunction(([row, column, color]) => {
    const line = document.querySelectorAll('#screen .row')[row - 1];
    let at = 0;
    for (const span of line.children) {
      at += span.textContent.length;
      if (at >= column) return getComputedStyle(span).color === color;
    }
    return false;
  }, [row, column, color]);
}

// The History view, once the program has read the history for it.
async function openHistory(page) {
  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible' });
}

async function statusRow(page) {
  return (await rows(page))[17];
}

test('the introduction in light grey on black, with the glyphs of code page 850', async () => {
  const page = await openGame(browser);
  const all = await rows(page);
  assert.equal(all.length, 25);
  for (const row of all) assert.equal(row.length, 80);
  assert.equal(all[1].trimEnd(), '        Spielfeld:');
  assert.equal(all[4].trimEnd(), '        0       0       1');
  assert.equal(all[15].trimEnd(), ' Eckpunkte              \u00e4ndern sich und alle benachbarten felder');
  assert.equal(all[20].trimEnd(),
      ' \u00b3\u00fcben sie erst solange sie wollen, dann mit Taste P Test beginnen');
  assert.equal(all[22].trimEnd(), '  Abbruch jederzeit mit ESC');
  assert.deepEqual(await colours(page, 2, 9), { color: GREY, background: BLACK });
  assert.deepEqual(await colours(page, 21, 2), { color: GREY, background: BLACK });
  // The console has the focus from the start, without a click.
  assert.equal(await page.evaluate(() => document.activeElement.id), 'console');
  await closeGame(page);
});

test('keys move the cursor and Enter makes a move, counted in the status line', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  const before = await boardBits(page);
  // Home twice reaches cell 9, top left, from anywhere; its move is a corner's.
  await page.keyboard.press('Home');
  await page.keyboard.press('Home');
  await page.keyboard.press('Enter');
  await waitForStatus(page, 'Zug Nr.  1 ');
  assert.equal((await boardBits(page)) ^ before, (1 << 8) | (1 << 7) | (1 << 5) | (1 << 4));
  // The selected move's cells are cyan, the others light grey.
  assert.equal((await colours(page, 6, 9)).color, CYAN);
  assert.equal((await colours(page, 8, 19)).color, CYAN);
  assert.equal((await colours(page, 10, 29)).color, GREY);
  // PgDn: down and right, to the centre, whose move takes the corners.
  await page.keyboard.press('PageDown');
  await waitForColour(page, 10, 29, CYAN);
  assert.equal((await colours(page, 6, 19)).color, GREY);
  await closeGame(page);
});

test('a click selects a cell, a double click applies its move, a right double click ends', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  const cell1 = digitOf(1);
  const at = await cellCentre(page, cell1.row, cell1.column);
  await page.mouse.click(at.x, at.y);
  await waitForColour(page, 10, 29, CYAN);
  assert.equal((await colours(page, 6, 9)).color, GREY);
  const before = await boardBits(page);
  // Far enough from the click above not to make a double click with it.
  await page.waitForTimeout(600);
  await doubleClickCell(page, 1);
  await waitForStatus(page, 'Zug Nr.  1 ');
  assert.equal((await boardBits(page)) ^ before, 0b000011011);
  // The context menu never opens over the console.
  const prevented = await page.evaluate(() => !document.getElementById('screen').dispatchEvent(
      new MouseEvent('contextmenu', { bubbles: true, cancelable: true })));
  assert.equal(prevented, true);
  await doubleClickCell(page, 5, 'right');
  await waitForRow(page, 2, '    \u00dcbung');
  await closeGame(page);
});

test('double click timing: two presses 600 ms apart are two clicks', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  const { row, column } = digitOf(5);
  const at = await cellCentre(page, row, column);
  await page.mouse.click(at.x, at.y);
  await page.waitForTimeout(600);
  await page.mouse.click(at.x, at.y);
  await page.waitForTimeout(100);
  assert.match(await statusRow(page), /Zug Nr\.  0 /);
  // Quick enough, the same two presses are a double click.
  await page.mouse.click(at.x, at.y);
  await page.waitForTimeout(150);
  await page.mouse.click(at.x, at.y);
  await waitForStatus(page, 'Zug Nr.  1 ');
  await closeGame(page);
});

test('taps and the on-screen keys play without a keyboard', async () => {
  const context = await browser.newContext({ hasTouch: true });
  const page = await context.newPage();
  page.errors = [];
  await page.goto('file://' + PAGE);
  await waitForRow(page, 2, '        Spielfeld:');
  await page.tap('#keys .key[data-code="Enter"]');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  const { row, column } = digitOf(3);
  const at = await cellCentre(page, row, column);
  await page.touchscreen.tap(at.x, at.y);
  await waitForColour(page, 10, 9, CYAN);
  await page.tap('#keys .key[data-code="KeyP"]');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  await page.tap('#keys .key[data-code="Escape"]');
  await waitForRow(page, 2, '    \u00dcbung');
  await closeGame(page);
});

test('a short test to its results table, kept in storage and shown in the History view', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  await page.keyboard.press('p');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  // Task 1 is all ones; the test starts from a cleared board.
  for (const cell of solve(await boardBits(page), 0b111111111)) await doubleClickCell(page, cell);
  await waitForRow(page, 16, '     Aufgabe  2  : alles 0', 8000);
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
  const table = await rows(page);
  assert.match(table[4], /^ 1 \. Aufgabe alles 1 +[.0-9]+ +[1-9]/);
  assert.match(table[5], /^ 2 \. Aufgabe alles 0 /);
  assert.match(table[17], /^  gesammt : +[1-9]/);
  // The record is in storage before the final key.
  const stored = await storedHistory(page);
  const lines = stored.split('\n');
  assert.match(lines[0], /^started\ttasks\ttime_s\tmoves\tt1_s/);
  assert.match(lines[1], /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d\t1\t/);
  assert.equal(lines[2], '');
  // One more key ends the game; the last screen stays.
  await page.waitForTimeout(600);
  await page.keyboard.press('x');
  await page.waitForSelector('#screen[data-exit-code="0"]');
  assert.equal((await rows(page))[1], table[1]);
  assert.equal(await page.isVisible('#play-again'), true);
  await openHistory(page);
  const report = await page.textContent('#history-report');
  assert.match(report, /^Tests recorded in this browser's storage \(kippfeld\/history\.tsv\)/);
  assert.match(report, /\n {3}1 {2}\d{4}-\d\d-\d\d \d\d:\d\d {3}1\/12 /);
  // The history takes the console's place until the player goes back.
  assert.equal(await page.isVisible('#screen'), false);
  await page.click('#close-history');
  assert.equal(await page.isVisible('#screen'), true);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'console');
  // Play again: a new game from its introduction, the history kept.
  await page.click('#play-again');
  await waitForRow(page, 2, '        Spielfeld:');
  assert.equal(await page.getAttribute('#screen', 'data-exit-code'), null);
  assert.equal(await storedHistory(page), stored);
  await closeGame(page);
});

test('records of a chosen history file are added once; bad lines are named', async () => {
  const page = await openGame(browser);
  const record = '2025-03-14T09:26:53+01:00\t1\t30\t3\t30\t3' + '\t0\t0'.repeat(11) + '\n';
  const file = 'started\ttasks\n' + record + 'rubbish\n' + record;
  await openHistory(page);
  assert.match(await page.textContent('#history-report'), /^No tests recorded yet in /);
  await page.setInputFiles('#add-history', {
    name: 'history.tsv', mimeType: 'text/plain', buffer: Buffer.from(file),
  });
  await page.waitForFunction(() =>
    document.getElementById('history-messages').textContent.includes('added'));
  const messages = await page.textContent('#history-messages');
  assert.match(messages, /^history\.tsv: 1 test added, 1 was already kept, 2 lines skipped\./);
  assert.match(messages, /\nkippfeld: history\.tsv:1: skipped: /);
  assert.match(messages, /\nkippfeld: history\.tsv:3: skipped: /);
  assert.match(await page.textContent('#history-report'), /2025-03-14 09:26 {3}1\/12/);
  // Saving gives back what is kept, as the history file holds it.
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-history')]);
  assert.equal(download.suggestedFilename(), 'history.tsv');
  const saved = fs.readFileSync(await download.path(), 'utf8');
  assert.equal(saved, await storedHistory(page));
  assert.match(saved, /^started\ttasks\ttime_s\tmoves\tt1_s\tt1_moves\t.*\tt12_moves\n/);
  assert.ok(saved.endsWith('\n' + record));
  await closeGame(page);
});

test('storage the browser refuses costs the game nothing; one line says so', async () => {
  const page = await openGame(browser, {
    init: () => {
      IDBObjectStore.prototype.add = function () {
        throw new DOMException('full', 'QuotaExceededError');
      };
    },
  });
  await toPractice(page);
  await page.keyboard.press('p');
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
  await page.waitForTimeout(600);
  await page.keyboard.press('x');
  await page.waitForSelector('#screen[data-exit-code="0"]');
  // The browser's language is English: the page's words and the
  // program's are.
  assert.equal(await page.textContent('#notice'),
      'This test has not been saved. ' +
      "kippfeld: the test was not recorded in this browser's storage (kippfeld/history.tsv): " +
      "the browser's storage is full");
  await closeGame(page);
});

test('the page plays from a web server as from disk, asking for nothing not listed', async () => {
  const served = await serveBuild();
  try {
    const page = await openGame(browser, { url: served.url + 'kippfeld.html' });
    await toPractice(page);
    const listed = fs.readFileSync(path.join(path.dirname(PAGE), 'web-files.txt'), 'utf8')
        .split('\n').filter(Boolean).map((name) => '/' + name);
    for (const request of served.requests) assert.ok(listed.includes(request), request);
    await closeGame(page);
  } finally {
    await served.close();
  }
});

test('key mapping: Shift, Alt, Caps Lock and the keypad as the console gives them', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  // Alt+P is an extended key, not P: the test does not start.
  await page.keyboard.press('Alt+KeyP');
  await page.waitForTimeout(50);
  assert.match((await rows(page))[15], /Aufgabe {2}0 /);
  // Keypad 7 and 3 with Num Lock off are Home and PgDn: to cell 9, then
  // to the centre, whose move takes the corners and not the edges.
  await page.evaluate(() => {
    for (const [key, code] of [['Home', 'Numpad7'], ['Home', 'Numpad7'], ['PageDown', 'Numpad3']]) {
      document.getElementById('console').dispatchEvent(
          new KeyboardEvent('keydown', { key, code, bubbles: true, cancelable: true }));
    }
  });
  assert.equal((await colours(page, 6, 29)).color, CYAN);
  assert.equal((await colours(page, 6, 19)).color, GREY);
  // With Caps Lock on a shifted character key still gives its capital:
  // Shift+P starts the test.
  await page.evaluate(() => {
    const event = new KeyboardEvent('keydown', {
      key: 'P', code: 'KeyP', shiftKey: true, modifierCapsLock: true, bubbles: true,
      cancelable: true,
    });
    document.getElementById('console').dispatchEvent(event);
  });
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  await closeGame(page);
});

test('keys the browser would act on go to the game only; its shortcuts stay its own', async () => {
  const page = await openGame(browser);
  const prevented = await page.evaluate(() => {
    const target = document.getElementById('console');
    const press = (init) => !target.dispatchEvent(
        new KeyboardEvent('keydown', Object.assign({ bubbles: true, cancelable: true }, init)));
    const result = {};
    for (const [code, key] of [['ArrowUp', 'ArrowUp'], ['ArrowDown', 'ArrowDown'],
      ['PageUp', 'PageUp'], ['PageDown', 'PageDown'], ['Home', 'Home'], ['End', 'End'],
      ['Space', ' '], ['Enter', 'Enter'], ['Escape', 'Escape'],
      ['Backspace', 'Backspace'], ['KeyP', 'p']]) {
      result[code] = press({ code, key });
    }
    result['F5'] = press({ code: 'F5', key: 'F5' });
    result['Tab'] = press({ code: 'Tab', key: 'Tab' });
    result['Shift+Tab'] = press({ code: 'Tab', key: 'Tab', shiftKey: true });
    result['F11'] = press({ code: 'F11', key: 'F11' });
    result['Ctrl+R'] = press({ code: 'KeyR', key: 'r', ctrlKey: true });
    result['Ctrl+Plus'] = press({ code: 'Equal', key: '+', ctrlKey: true });
    result['Alt+Left'] = press({ code: 'ArrowLeft', key: 'ArrowLeft', altKey: true });
    return result;
  });
  for (const code of ['ArrowUp', 'ArrowDown', 'PageUp', 'PageDown', 'Home', 'End', 'Space',
    'Enter', 'Escape', 'Backspace', 'KeyP']) {
    assert.equal(prevented[code], true, code);
  }
  for (const key of ['F5', 'F11', 'Ctrl+R', 'Ctrl+Plus', 'Alt+Left', 'Tab', 'Shift+Tab']) {
    assert.equal(prevented[key], false, key);
  }
  // The focus comes back to the console with a click on it.
  await page.focus('#show-history');
  assert.notEqual(await page.evaluate(() => document.activeElement.id), 'console');
  await page.click('#screen', { position: { x: 5, y: 5 } });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'console');
  await closeGame(page);
});

test('a resize during play: the whole console in a large window, its text in a small one', async () => {
  const page = await openGame(browser, { context: { viewport: { width: 1280, height: 800 } } });
  await toPractice(page);
  const fitted = async () => {
    await page.waitForTimeout(100);
    return {
      fit: await page.getAttribute('#console', 'data-fit'),
      box: await page.locator('#console').boundingBox(),
    };
  };
  const large = await fitted();
  assert.equal(large.fit, 'whole');
  assert.ok(large.box.width <= 1280 && large.box.height <= 800, JSON.stringify(large.box));
  await page.setViewportSize({ width: 500, height: 420 });
  const small = await fitted();
  assert.equal(small.fit, 'text');
  assert.ok(small.box.x >= 0 && small.box.x + small.box.width <= 500, JSON.stringify(small.box));
  assert.ok(small.box.y >= 0 && small.box.y + small.box.height <= 420, JSON.stringify(small.box));
  for (const row of await rows(page)) assert.equal(row.length, 80);
  // Every character with text is inside the part in view.
  const outside = await page.evaluate(() => {
    const view = document.getElementById('console').getBoundingClientRect();
    const screen = document.getElementById('screen').getBoundingClientRect();
    const rows = [...document.querySelectorAll('#screen .row')];
    const cellWidth = screen.width / 80;
    const cellHeight = screen.height / 25;
    const missed = [];
    rows.forEach((row, y) => [...row.textContent].forEach((character, x) => {
      const left = screen.left + x * cellWidth;
      const top = screen.top + y * cellHeight;
      if (character !== ' ' && (left < view.left - 0.5 || left + cellWidth > view.right + 0.5 ||
          top < view.top - 0.5 || top + cellHeight > view.bottom + 0.5)) {
        missed.push([y + 1, x + 1]);
      }
    }));
    return missed;
  });
  assert.deepEqual(outside, []);
  await page.setViewportSize({ width: 1280, height: 800 });
  assert.equal((await fitted()).fit, 'whole');
  // The game goes on, and a click still finds its cell.
  await doubleClickCell(page, 7);
  await waitForStatus(page, 'Zug Nr.  1 ');
  await closeGame(page);
});

test('an idle game wakes at once for a key and waits without a timer or the processor', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  await page.waitForTimeout(300);
  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable');
  const metric = async (name) => (await session.send('Performance.getMetrics')).metrics
      .find((m) => m.name === name).value;
  const waitsBefore = await page.evaluate(() => Object.assign({}, window.kippfeld.waits));
  const scriptBefore = await metric('ScriptDuration');
  await page.waitForTimeout(1500);
  const waitsAfter = await page.evaluate(() => Object.assign({}, window.kippfeld.waits));
  const scriptAfter = await metric('ScriptDuration');
  assert.equal(waitsAfter.count, waitsBefore.count);
  assert.equal(waitsAfter.timers, waitsBefore.timers);
  assert.equal(waitsAfter.active, true);
  assert.equal(waitsAfter.timed, false);
  assert.ok(scriptAfter - scriptBefore < 0.05, `script time while idle: ${scriptAfter - scriptBefore}`);
  // The key is on the screen when its event handler returns.
  const changed = await page.evaluate(() => {
    const status = document.querySelectorAll('#screen .row')[17];
    const before = status.textContent;
    document.getElementById('console').dispatchEvent(new KeyboardEvent('keydown',
        { code: 'Enter', key: 'Enter', bubbles: true, cancelable: true }));
    return before !== status.textContent;
  });
  assert.equal(changed, true);
  await closeGame(page);
});

test('forty keys at once are all worked through', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  await page.evaluate(() => {
    const target = document.getElementById('console');
    for (let i = 0; i < 40; i++) {
      target.dispatchEvent(new KeyboardEvent('keydown',
          { code: 'Enter', key: 'Enter', bubbles: true, cancelable: true }));
    }
  });
  await waitForStatus(page, 'Zug Nr.  40 ');
  await closeGame(page);
});

test('a key pressed while the History view waits for the storage is worked through', async () => {
  const page = await openGame(browser);
  await toPractice(page);
  await page.waitForTimeout(300);
  // A slow storage: the program waits for it in the job of the History
  // view, and the key comes meanwhile.
  await page.evaluate(() => {
    const storage = window.kippfeld.storage;
    const read = storage.read;
    storage.read = () => read().then((bytes) =>
      new Promise((resolve) => setTimeout(() => resolve(bytes), 300)));
    document.getElementById('show-history').click();
    document.getElementById('console').dispatchEvent(new KeyboardEvent('keydown',
        { code: 'Enter', key: 'Enter', bubbles: true, cancelable: true }));
  });
  await page.waitForSelector('#history', { state: 'visible' });
  await waitForStatus(page, 'Zug Nr.  1 ', 2000);
  await closeGame(page);
});
