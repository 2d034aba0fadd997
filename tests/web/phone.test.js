// The page on phones and tablets, with touch, and for a keyboard alone and
// a screen reader: the console fitted to what the screen holds, digits a
// finger can hit, a whole test played by taps, Tab in and out of the
// console, and what changed told in German.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const {
  openGame, rows, waitForRow, waitForStatus, cellCentre, boardBits, digitOf, solve, DEVICES,
  targetFigures, launch,
} = require('./support');

// The pictures of tasks 1 to 12, bit j-1 for cell j.
const TASKS = [511, 0, 16, 495, 146, 186, 1, 56, 40, 455, 84, 321];

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// The move count of the status line (row 18), -1 where it shows none.
const MOVES_PATTERN = 'Zug Nr\\.\\s+(\\d+)';
function movesShown(page) {
  return page.evaluate((pattern) => {
    const match = document.querySelectorAll('#screen .row')[17].textContent
        .match(new RegExp(pattern));
    return match === null ? -1 : Number(match[1]);
  }, MOVES_PATTERN);
}

async function tapDigit(page, cell, twice) {
  const { row, column } = digitOf(cell);
  const at = await cellCentre(page, row, column);
  await page.touchscreen.tap(at.x, at.y);
  if (twice) await page.touchscreen.tap(at.x, at.y);
}

for (const device of DEVICES) {
  test(`${device.name}: readable text, digits a finger hits, keys in reach, no sideways scroll`,
      async () => {
        const page = await openGame(browser, { context: device });
        await page.tap('#keys .key[data-code="Enter"]');
        await waitForRow(page, 16, '     Aufgabe  0  : ');
        await page.waitForTimeout(100);
        const figures = await targetFigures(page);
        if (device.portraitPhone) assert.ok(figures.textHeight >= 16, `${figures.textHeight}`);
        for (const target of figures.targets) {
          assert.ok(target.side >= 44, JSON.stringify(target));
        }
        // The console's digits in view, the document no wider than the screen.
        const view = await page.locator('#console').boundingBox();
        for (const cell of [1, 3, 7, 9]) {
          const { row, column } = digitOf(cell);
          const at = await cellCentre(page, row, column);
          assert.ok(at.x > view.x && at.x < view.x + view.width, `${cell} ${JSON.stringify(at)}`);
          assert.ok(at.y > view.y && at.y < view.y + view.height, `${cell} ${JSON.stringify(at)}`);
        }
        const widths = await page.evaluate(() =>
          [document.documentElement.scrollWidth, window.innerWidth]);
        assert.ok(widths[0] <= widths[1], JSON.stringify(widths));
        // Taps are taps: no double-tap zoom on the console or around it.
        assert.equal(await page.evaluate(() =>
          getComputedStyle(document.getElementById('stage')).touchAction), 'manipulation');
        // The on-screen keys: a thumb's size, on the screen, under the console.
        for (const key of await page.locator('#keys .key').all()) {
          const box = await key.boundingBox();
          assert.ok(box.width >= 44 && box.height >= 44, JSON.stringify(box));
          assert.ok(box.y >= view.y + view.height - 1, JSON.stringify(box));
          assert.ok(box.y + box.height <= device.viewport.height, JSON.stringify(box));
        }
        // The game goes on when the screen turns, the fit follows.
        await page.setViewportSize({ width: device.viewport.height, height: device.viewport.width });
        await page.waitForTimeout(150);
        await tapDigit(page, 5, true);
        await waitForStatus(page, 'Zug Nr.  1 ');
        assert.deepEqual(page.errors, []);
        await page.context().close();
      });
}

for (const device of [DEVICES[1], DEVICES[0]]) {
  test(`${device.name}: a whole test played by taps alone, from a tap on the introduction`,
      async () => {
        const page = await openGame(browser, { context: device });
        const intro = await page.locator('#screen').boundingBox();
        await page.touchscreen.tap(intro.x + intro.width / 2, intro.y + intro.height / 2);
        await waitForRow(page, 16, '     Aufgabe  0  : ');
        // A long press on a digit opens no menu and selects no text.
        const { row, column } = digitOf(5);
        const at = await cellCentre(page, row, column);
        const pressed = await page.evaluate(({ x, y }) => {
          const target = document.elementFromPoint(x, y);
          const menu = !target.dispatchEvent(new MouseEvent('contextmenu',
              { bubbles: true, cancelable: true, clientX: x, clientY: y }));
          return { menuPrevented: menu, selected: String(window.getSelection()) };
        }, at);
        assert.deepEqual(pressed, { menuPrevented: true, selected: '' });
        assert.equal(await page.evaluate(() => getComputedStyle(document.getElementById('screen'))
            .userSelect), 'none');
        await page.tap('#keys .key[data-code="KeyP"]');
        await waitForRow(page, 16, '     Aufgabe  1  : ');
        for (let task = 1; task <= 12; task++) {
          // Every task's line, however long, in text at least 16 px high.
          await page.waitForTimeout(50);
          const height = await page.evaluate(() =>
            parseFloat(getComputedStyle(document.getElementById('screen')).fontSize));
          assert.ok(height >= 16, `task ${task}: ${height} px`);
          const cells = solve(await boardBits(page), TASKS[task - 1]);
          for (const [i, cell] of cells.entries()) {
            const shown = await movesShown(page);
            await tapDigit(page, cell, true);
            // The next cell's taps only once this move is counted, so that a
            // slow machine never has them taken with this cell's; the last
            // move's count gives way to the OK signal and the next task.
            if (i < cells.length - 1) {
              await page.waitForFunction(([shown, pattern]) => {
                const match = document.querySelectorAll('#screen .row')[17].textContent
                    .match(new RegExp(pattern));
                return match !== null && Number(match[1]) !== shown;
              }, [shown, MOVES_PATTERN], { timeout: 8000 });
            }
          }
          if (task < 12) {
            const next = `     Aufgabe  ${task + 1}  : `;
            await waitForRow(page, 16, next, 8000).catch(async (error) => {
              throw new Error(`task ${task}: ${(await rows(page))[15]} ${await boardBits(page)}: ${error}`);
            });
          }
        }
        await waitForRow(page, 2, '    \u00dcbung', 8000);
        const table = await rows(page);
        for (let task = 1; task <= 12; task++) assert.match(table[3 + task], /[1-9]/);
        assert.deepEqual(page.errors, []);
        await page.context().close();
      });
}

test('Tab and Shift+Tab go between the console and the buttons; a tap brings the focus back',
    async () => {
      const page = await openGame(browser);
      const focused = () => page.evaluate(() => document.activeElement.id ||
          document.activeElement.getAttribute('data-code'));
      assert.equal(await focused(), 'console');
      await page.keyboard.press('Tab');
      assert.equal(await focused(), 'Enter');
      for (let i = 0; i < 3; i++) await page.keyboard.press('Tab');
      assert.equal(await focused(), 'show-history');
      for (let i = 0; i < 4; i++) await page.keyboard.press('Shift+Tab');
      assert.equal(await focused(), 'console');
      // The game took none of it: still the introduction.
      assert.equal((await rows(page))[1].trimEnd(), '        Spielfeld:');
      await page.keyboard.press('Tab');
      await page.click('#screen', { position: { x: 5, y: 5 } });
      assert.equal(await focused(), 'console');
      await page.context().close();
    });

test('after a move the live region says in German what changed and what is selected', async () => {
  const page = await openGame(browser, { context: { locale: 'de-DE' } });
  const consoleInfo = await page.evaluate(() => {
    const box = document.getElementById('console');
    return { role: box.getAttribute('role'), label: box.getAttribute('aria-label') };
  });
  assert.equal(consoleInfo.role, 'application');
  assert.match(consoleInfo.label, /Pfeiltasten.*Eingabetaste.*P beginnt den Test.*Esc/);
  const live = () => page.textContent('#announce');
  assert.equal(await page.getAttribute('#announce', 'aria-live'), 'polite');
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  assert.match(await live(), /Aufgabe 0 : Übungsmodus/);
  await page.keyboard.press('Enter');
  await waitForStatus(page, 'Zug Nr.  1 ');
  const afterMove = await live();
  assert.match(afterMove, /Zug Nr\. 1/);
  assert.match(afterMove, /ausgewählt: [01], Zeile \d+, Spalte \d+$/);
  // A step of the selection changes no character: the new place is told.
  const before = afterMove.match(/Zeile (\d+), Spalte (\d+)$/);
  await page.keyboard.press('Home');
  await page.waitForFunction((text) => document.getElementById('announce').textContent !== text,
      afterMove);
  const stepped = await live();
  assert.match(stepped, /^ausgewählt: [01], Zeile \d+, Spalte \d+$/);
  assert.notEqual(stepped.match(/Zeile (\d+), Spalte (\d+)$/)[0], before[0]);
  assert.equal(await page.textContent('#selection'), stepped);
  // An idle page tells nothing more.
  await page.waitForTimeout(1200);
  assert.equal(await live(), stepped);
  // The page's own words are German.
  const words = await page.evaluate(() => [...document.querySelectorAll('button, label')]
      .map((element) => element.textContent.trim()).filter(Boolean));
  for (const english of ['History', 'Play again', 'Save', 'Back to the game', 'Add records']) {
    assert.ok(!words.some((word) => word.includes(english)), `${english} in ${words}`);
  }
  assert.ok(words.includes('Verlauf'));
  await page.context().close();
});
