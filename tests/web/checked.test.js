// The page linked with assertions (tests/kippfeld_checked.html in the
// page's build), played down every road on which the program waits: the
// game's keys, a test kept, the History view with its report, its file and
// an import, a drill round kept and the drill section. The page's own link
// takes a list of functions as never waiting, so as to leave them out of
// the code that suspends; should the program ever wait inside one of them,
// this page stops at once with an error.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {
  PAGE, launch, openGame, waitForRow, storedHistory, drillTheFirstTask, endGame,
} = require('./support');

const CHECKED = path.join(path.dirname(PAGE), 'tests', 'kippfeld_checked.html');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

async function openHistory(page) {
  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible' });
  return page.textContent('#history-report');
}

test('every wait of the game, the history and the drill on the page linked with assertions',
    async () => {
  assert.ok(fs.existsSync(CHECKED), `${CHECKED}: build it with make test-web`);
  const page = await openGame(browser, { url: 'file://' + CHECKED });
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.keyboard.press('p');
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
  await endGame(page);
  assert.match(await storedHistory(page), /\t0\t/);

  assert.match(await openHistory(page), /^Tests recorded in /);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-history')]);
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), await storedHistory(page));
  const record = '2025-03-14T09:26:53+01:00\t1\t30\t3\t30\t3' + '\t0\t0'.repeat(11) + '\n';
  await page.setInputFiles('#add-history', {
    name: 'history.tsv', mimeType: 'text/plain', buffer: Buffer.from('started\ttasks\n' + record),
  });
  await page.waitForFunction(() =>
    document.getElementById('history-messages').textContent.includes('added'));
  await page.click('#close-history');

  await drillTheFirstTask(page);
  await endGame(page);
  assert.match(await openHistory(page), /\nDrill rounds recorded in /);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
