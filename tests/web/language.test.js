// The page's language: its own words and the program's follow the
// browser's languages until the player chooses Deutsch or English on the
// page; the choice changes them at once, the game's screens from the next
// game on, and is kept for the next visit.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { launch, openGame, rows, waitForRow, waitForStatus } = require('./support');

const GERMAN_INTRODUCTION = '        Spielfeld:';
const ENGLISH_INTRODUCTION = '        Playing field:';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// What the page says in its own words, and what the program says in the
// History view.
async function pageWords(page) {
  return page.evaluate(() => ({
    lang: document.documentElement.lang,
    choice: [...document.querySelectorAll('#language button[aria-pressed="true"]')]
        .map((button) => button.getAttribute('data-language')).join(),
    history: document.getElementById('show-history').textContent,
    save: document.getElementById('save-history').textContent,
    consoleLabel: document.getElementById('console').getAttribute('aria-label'),
    keysLabel: document.getElementById('keys').getAttribute('aria-label'),
    choiceLabel: document.getElementById('language').getAttribute('aria-label'),
  }));
}

async function historyReport(page) {
  await page.click('#show-history');
  await page.waitForSelector('#history', { state: 'visible' });
  await page.waitForFunction(() => document.getElementById('history-report').textContent !== '');
  return page.textContent('#history-report');
}

const GERMAN = {
  lang: 'de', choice: 'de', history: 'Verlauf', save: 'Verlauf speichern', keysLabel: 'Tasten des Spiels',
  choiceLabel: 'Sprache', report: /^In dem Speicher dieses Browsers \(kippfeld\/history\.tsv\) sind noch keine Tests festgehalten\.\n$/,
  consoleLabel: /^kippfeld, Spielkonsole\. Tasten: Pfeiltasten/,
};
const ENGLISH = {
  lang: 'en', choice: 'en', history: 'History', save: 'Save history', keysLabel: 'Game keys',
  choiceLabel: 'Language', report: /^No tests recorded yet in this browser's storage \(kippfeld\/history\.tsv\)\.\n$/,
  consoleLabel: /^kippfeld, game console\. Keys: the arrow keys/,
};

function assertWords(words, expected) {
  for (const name of ['lang', 'choice', 'history', 'save', 'keysLabel', 'choiceLabel']) {
    assert.equal(words[name], expected[name], name);
  }
  assert.match(words.consoleLabel, expected.consoleLabel);
}

test('the browser\'s languages choose the page\'s words and the program\'s; the screens stay German', async () => {
  const cases = [
    { name: 'de-DE', context: { locale: 'de-DE' }, expected: GERMAN },
    { name: 'de-AT', context: { locale: 'de-AT' }, expected: GERMAN },
    { name: 'en-GB', context: { locale: 'en-GB' }, expected: ENGLISH },
    { name: 'fr-FR, none the page speaks', context: { locale: 'fr-FR' }, expected: ENGLISH },
    // The first language the page speaks counts, as in a LANGUAGE list.
    { name: 'fr, de-CH, en', languages: ['fr', 'de-CH', 'en'], expected: GERMAN },
    { name: 'fr, en-US, de', languages: ['fr', 'en-US', 'de'], expected: ENGLISH },
  ];
  for (const c of cases) {
    const page = await openGame(browser, {
      context: c.context,
      init: c.languages && ((list) => {
        Object.defineProperty(Navigator.prototype, 'languages', { get: () => list });
      }),
      initArgument: c.languages,
    });
    const words = await pageWords(page);
    assertWords(words, c.expected);
    assert.match(await historyReport(page), c.expected.report, c.name);
    assert.equal((await rows(page))[1].trimEnd(), GERMAN_INTRODUCTION, c.name);
    assert.deepEqual(page.errors, []);
    await page.context().close();
  }
});

test('the switch changes the words at once, the screens from the next game on, and is kept', async () => {
  const page = await openGame(browser, { context: { locale: 'de-DE' } });
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.keyboard.press('Enter');
  await waitForStatus(page, 'Zug Nr.  1 ');
  assert.match(await page.textContent('#selection'), /^ausgewählt: [01], Zeile \d+, Spalte \d+$/);

  await page.click('#language [data-language="en"]');
  assertWords(await pageWords(page), ENGLISH);
  assert.match(await page.textContent('#selection'), /^selected: [01], row \d+, column \d+$/);
  assert.equal(await page.textContent('#notice'),
      'The game shows its screens in English from the next game on.');
  // The game under way keeps its German screens; what is told after a move
  // is in English. The button keeps the focus, as a button does.
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('data-language')), 'en');
  await page.focus('#console');
  await page.keyboard.press('Home');
  await page.waitForFunction(() => /^selected: /.test(document.getElementById('announce').textContent));
  assert.match((await rows(page))[15], /^ {5}Aufgabe {2}0 {2}: /);

  // The next game has English screens and the program's words are English.
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
  await page.waitForTimeout(600);
  await page.keyboard.press('x');
  await page.waitForSelector('#screen[data-exit-code="0"]');
  await page.click('#play-again');
  await waitForRow(page, 2, ENGLISH_INTRODUCTION);
  assert.equal(await page.textContent('#notice'), '');
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '        Task  0  : Practice');
  assert.match(await historyReport(page), ENGLISH.report);

  // Kept across a reload, whatever the browser's languages say.
  await page.reload();
  await waitForRow(page, 2, ENGLISH_INTRODUCTION);
  assertWords(await pageWords(page), ENGLISH);

  // Back to German: the words at once, the History view read again in
  // them, the screens German from the next game on.
  assert.match(await historyReport(page), ENGLISH.report);
  await page.click('#language [data-language="de"]');
  assertWords(await pageWords(page), GERMAN);
  await page.waitForFunction(() => /^In dem Speicher/.test(
      document.getElementById('history-report').textContent));
  assert.match(await page.textContent('#history-report'), GERMAN.report);
  await page.click('#close-history');
  assert.equal((await rows(page))[1].trimEnd(), ENGLISH_INTRODUCTION);
  await page.reload();
  await waitForRow(page, 2, GERMAN_INTRODUCTION);
  assertWords(await pageWords(page), GERMAN);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('in an English browser a press on English is a choice: English screens from the next game', async () => {
  const page = await openGame(browser, { context: { locale: 'en-GB' } });
  assertWords(await pageWords(page), ENGLISH);
  await page.click('#language [data-language="en"]');
  assert.equal(await page.textContent('#notice'),
      'The game shows its screens in English from the next game on.');
  assert.equal((await rows(page))[1].trimEnd(), GERMAN_INTRODUCTION);
  await page.reload();
  await waitForRow(page, 2, ENGLISH_INTRODUCTION);
  assertWords(await pageWords(page), ENGLISH);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('the History view in English: the report, an import\'s summary and its skipped lines', async () => {
  const page = await openGame(browser, {
    init: () => localStorage.setItem('kippfeld/language', 'en'),
    introduction: ENGLISH_INTRODUCTION,
  });
  const record = '2025-03-14T09:26:53+01:00\t1\t30\t3\t30\t3' + '\t0\t0'.repeat(11) + '\n';
  await historyReport(page);
  await page.setInputFiles('#add-history', {
    name: 'history.tsv', mimeType: 'text/plain', buffer: Buffer.from('started\n' + record + 'rubbish\n'),
  });
  await page.waitForFunction(() =>
    document.getElementById('history-messages').textContent.includes('added'));
  const messages = await page.textContent('#history-messages');
  assert.match(messages, /^history\.tsv: 1 test added, 2 lines skipped\./);
  assert.match(messages, /\nkippfeld: history\.tsv:1: skipped: /);
  const report = await page.textContent('#history-report');
  assert.match(report, /^Tests recorded in this browser's storage \(kippfeld\/history\.tsv\)\n/);
  assert.match(report, /\n {3}1 {2}2025-03-14 09:26 {3}1\/12 {2}0:30\.0 /);
  // The tasks by the names the English screens give them.
  assert.match(report, /\n {2}all 1 +30\.0 s 2025-03-14 +3 2025-03-14 /);
  await page.click('#language [data-language="de"]');
  await page.waitForFunction(() => /^Festgehaltene Tests/.test(
      document.getElementById('history-report').textContent));
  const german = await page.textContent('#history-report');
  assert.match(german, /\n {2}alles 1 +30,0 s 2025-03-14 +3 2025-03-14 /);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test('a refused storage is told in German in German, the page\'s words and the program\'s', async () => {
  const page = await openGame(browser, {
    context: { locale: 'de-DE' },
    init: () => {
      IDBObjectStore.prototype.add = function () {
        throw new DOMException('full', 'QuotaExceededError');
      };
    },
  });
  await page.keyboard.press('Enter');
  await page.keyboard.press('p');
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
  await page.waitForTimeout(600);
  await page.keyboard.press('x');
  await page.waitForSelector('#screen[data-exit-code="0"]');
  assert.equal(await page.textContent('#notice'),
      'Dieser Test ist nicht gespeichert worden. kippfeld: der Test wurde nicht in dem Speicher ' +
      'dieses Browsers (kippfeld/history.tsv) festgehalten: der Speicher des Browsers ist voll');
  // The choice turns the page's word; the program's line stays as it was said.
  await page.click('#language [data-language="en"]');
  assert.match(await page.textContent('#notice'), /^This test has not been saved\. kippfeld: der Test/);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
