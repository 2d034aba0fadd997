// What the page's end-to-end tests and the budget script share: Debian's
// chromium started headless with no network of its own, the page opened
// from disk, and readers for the console's rows and colours.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const { chromium } = require('playwright-core');

const PAGE = path.resolve(process.env.KIPPFELD_PAGE ||
    path.join(__dirname, '..', '..', 'build-web', 'kippfeld.html'));
const PAGE_URL = 'file://' + PAGE;

// Without these the browser tries to reach the network (updates, sync,
// QUIC) and hangs on a machine that has none.
const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Playwright makes a fresh profile (user data folder) for each launch.
function launch() {
  return chromium.launch({
    executablePath: process.env.KIPPFELD_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ARGS,
  });
}

// A new page of its own storage, on the page opened from disk, once the
// introduction is on the screen (its German first line, unless
// options.introduction says another).
async function openGame(browser, options = {}) {
  const context = await browser.newContext(options.context || {});
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  if (options.init) await page.addInitScript(options.init, options.initArgument);
  await page.goto(options.url || PAGE_URL);
  await waitForRow(page, 2, options.introduction || '        Spielfeld:');
  return page;
}

function rows(page) {
  return page.$$eval('#screen .row', (all) => all.map((row) => row.textContent));
}

// Row n (1-based) starts with the text.
async function waitForRow(page, n, text, timeout = 5000) {
  await page.waitForFunction(([n, text]) => {
    const row = document.querySelectorAll('#screen .row')[n - 1];
    return row && row.textContent.startsWith(text);
  }, [n, text], { timeout });
}

// The status line (row 18) holds the text; Playwright's own time limit
// unless one is given.
function waitForStatus(page, text, timeout) {
  return page.waitForFunction(
      (text) => document.querySelectorAll('#screen .row')[17].textContent.includes(text), text,
      { timeout });
}

// The colours of the cell at a 1-based row and column, as CSS gives them.
function colours(page, row, column) {
  return page.evaluate(([row, column]) => {
    const line = document.querySelectorAll('#screen .row')[row - 1];
    let at = 0;
    for (const span of line.children) {
      at += span.textContent.length;
      if (at >= column) {
        const style = getComputedStyle(span);
        return { color: style.color, background: style.backgroundColor };
      }
    }
    return null;
  }, [row, column]);
}

// The centre of a 1-based cell of the console, in page coordinates.
async function cellCentre(page, row, column) {
  const box = await page.locator('#screen').boundingBox();
  return {
    x: box.x + (column - 0.5) * box.width / 80,
    y: box.y + (row - 0.5) * box.height / 25,
  };
}

// The board as the screen shows it: the digit of cells 1..9 (cell 9 is top
// left, cell 1 bottom right), bit j-1 for cell j.
async function boardBits(page) {
  const all = await rows(page);
  let bits = 0;
  for (let cell = 1; cell <= 9; cell++) {
    const { row, column } = digitOf(cell);
    if (all[row - 1][column - 1] === '1') bits |= 1 << (cell - 1);
  }
  return bits;
}

function digitOf(cell) {
  return { row: 10 - 2 * Math.floor((cell - 1) / 3), column: 29 - 10 * ((cell - 1) % 3) };
}

// The viewports of phones and tablets the page is fitted to, with touch.
const PHONE = { hasTouch: true, isMobile: true, deviceScaleFactor: 3 };
const DEVICES = [
  { name: 'phone 320x568', viewport: { width: 320, height: 568 }, portraitPhone: true, ...PHONE },
  { name: 'phone 390x844', viewport: { width: 390, height: 844 }, portraitPhone: true, ...PHONE },
  { name: 'phone 412x915', viewport: { width: 412, height: 915 }, portraitPhone: true, ...PHONE },
  { name: 'phone 844x390', viewport: { width: 844, height: 390 }, ...PHONE },
  { name: 'tablet 820x1180', viewport: { width: 820, height: 1180 }, hasTouch: true,
    isMobile: true, deviceScaleFactor: 2 },
];

// What a finger finds on the console: the text's height (the font size,
// CSS px) and, for each digit of the field, the side of the largest square
// around its centre that a touch anywhere in lands on that digit.
function targetFigures(page) {
  return page.evaluate(() => {
    const screen = document.getElementById('screen');
    const box = screen.getBoundingClientRect();
    const cellWidth = box.width / 80;
    const cellHeight = box.height / 25;
    const targets = [];
    for (const row of [6, 8, 10]) {
      for (const column of [9, 19, 29]) {
        const x = box.left + (column - 0.5) * cellWidth;
        const y = box.top + (row - 0.5) * cellHeight;
        const lands = (px, py) => {
          const cell = window.kippfeld.cellAt(px, py, 'touch');
          return cell.x === column - 1 && cell.y === row - 1;
        };
        let side = 0;
        for (let half = 1; half <= 60; half++) {
          let all = true;
          for (let t = -half; t <= half && all; t += 1) {
            all = lands(x + t, y - half) && lands(x + t, y + half) &&
                lands(x - half, y + t) && lands(x + half, y + t);
          }
          if (!all) break;
          side = 2 * half;
        }
        targets.push({ row, column, side });
      }
    }
    return { textHeight: parseFloat(getComputedStyle(screen).fontSize), targets };
  });
}

// The cells each move toggles: a corner itself and its three neighbours,
// the centre itself and the four corners, an edge cell itself, the corners
// beside it and the centre.
const MOVES = {
  1: [1, 2, 4, 5], 3: [3, 2, 6, 5], 7: [7, 4, 8, 5], 9: [9, 8, 6, 5],
  5: [5, 1, 3, 7, 9], 2: [2, 1, 3, 5], 4: [4, 1, 7, 5], 6: [6, 3, 9, 5], 8: [8, 7, 9, 5],
};

// The cells whose moves turn one picture into the other.
function solve(from, to) {
  for (let subset = 0; subset < 512; subset++) {
    let board = from;
    const cells = [];
    for (let cell = 1; cell <= 9; cell++) {
      if (!(subset & (1 << (cell - 1)))) continue;
      cells.push(cell);
      for (const c of MOVES[cell]) board ^= 1 << (c - 1);
    }
    if (board === to) return cells;
  }
  throw new Error(`no moves from ${from} to ${to}`);
}

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.svg': 'image/svg+xml',
  '.txt': 'text/plain; charset=utf-8',
};

// The files of web-files.txt in the page's folder, served on 127.0.0.1 at a
// free port, gzip-compressed where the browser takes it, as a static host
// serves them. { url, requests, close() }; the server answers 503 while
// `offline` is set, and serves what `change(name, bytes)` makes of a file
// when that is set.
async function serveBuild() {
  const folder = path.dirname(PAGE);
  const files = fs.readFileSync(path.join(folder, 'web-files.txt'), 'utf8').split('\n')
      .filter(Boolean);
  const served = { requests: [], offline: false, change: null };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).slice(1) ||
        'index.html';
    served.requests.push('/' + name);
    if (served.offline) {
      response.writeHead(503);
      return response.end();
    }
    if (!files.includes(name)) {
      response.writeHead(404);
      return response.end();
    }
    let body = fs.readFileSync(path.join(folder, name));
    if (served.change) body = served.change(name, body);
    const headers = { 'Content-Type': TYPES[path.extname(name)] || 'application/octet-stream' };
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '') &&
        !name.endsWith('.png')) {
      body = zlib.gzipSync(body, { level: 9 });
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers);
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  served.url = `http://127.0.0.1:${server.address().port}/`;
  served.close = () => new Promise((resolve) => server.close(resolve));
  return served;
}

// Until fn, run in the page (and awaited there), gives something true;
// unlike waitForFunction, which takes a promise for true at once.
async function until(page, fn, argument, timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await page.evaluate(fn, argument);
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

// The history the page keeps, as the file history.tsv would hold it; null
// when nothing was ever kept.
// The console's cursor, 1-based, as the page tells screen readers.
async function cursorAt(page) {
  const text = await page.textContent('#selection');
  const [, row, column] = text.match(/(\d+)\D+(\d+)$/);
  return { row: Number(row), column: Number(column) };
}

// Makes the moves of the cells by keys alone: the arrows to each digit,
// Enter on it.
async function moveByKeys(page, cells) {
  for (const cell of cells) {
    const to = digitOf(cell);
    for (let step = 0; step < 20; step++) {
      const at = await cursorAt(page);
      if (at.row === to.row && at.column === to.column) break;
      const key = at.row < to.row ? 'ArrowDown' : at.row > to.row ? 'ArrowUp' :
        at.column < to.column ? 'ArrowRight' : 'ArrowLeft';
      await page.keyboard.press(key);
    }
    assert.deepEqual(await cursorAt(page), to);
    await page.keyboard.press('Enter');
  }
}

// From the Drill button on a page whose history has no complete test: task
// 1 solved by keys, the line about that round, then Esc in task 2 to the
// drill table. Returns the cells moved.
async function drillTheFirstTask(page) {
  await page.click('#start-drill');
  // All twelve tasks in order, task 1 at once, no introduction.
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  const cells = solve(await boardBits(page), 0b111111111);
  await moveByKeys(page, cells);
  await waitForRow(page, 16, '     Aufgabe  2  : alles 0', 8000);
  const line = (await rows(page))[11];
  assert.ok(line.startsWith(' Runde 1 , Aufgabe 1 :'), line);
  assert.match(line, new RegExp(` ${cells.length} Z\u00fcge `));
  await page.keyboard.press('Escape');
  await waitForRow(page, 1, ' Drill (Zeiten in Sek.;');
  assert.match((await rows(page))[4], /^ 1 \. Aufgabe alles 1 /);
  return cells;
}

// The key that ends a game once its table has been seen for half a second.
async function endGame(page) {
  await page.waitForTimeout(600);
  await page.keyboard.press('x');
  await page.waitForSelector('#screen[data-exit-code="0"]');
}

function storedHistory(page) {
  return page.evaluate(() => window.kippfeld.storage.read().then((bytes) =>
    bytes === null ? null : new TextDecoder().decode(bytes)));
}

module.exports = {
  PAGE, PAGE_URL, ARGS, launch, openGame, rows, waitForRow, waitForStatus, colours, cellCentre,
  boardBits, digitOf, solve, storedHistory, serveBuild, DEVICES, targetFigures, until, moveByKeys,
  drillTheFirstTask, endGame,
};
