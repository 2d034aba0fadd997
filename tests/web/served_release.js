// The web zip of a release as a player gets it: the folder it unpacks to,
// served from 127.0.0.1 on a free port by a plain static server, plays in
// Chromium; where it ships a service worker, it opens again with the
// server gone and the browser offline.
//   node tests/web/served_release.js FOLDER
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { launch, openGame, waitForRow, waitForStatus } = require('./support');

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json', '.css': 'text/css', '.png': 'image/png',
  '.svg': 'image/svg+xml', '.ico': 'image/x-icon', '.wasm': 'application/wasm',
};

function serve(folder) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file) ||
        !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// A script that answers the fetch event from the caches: a service worker.
function shipsServiceWorker(folder) {
  return fs.readdirSync(folder, { recursive: true }).some((name) => {
    if (!name.endsWith('.js')) return false;
    const text = fs.readFileSync(path.join(folder, name), 'utf8');
    return /addEventListener\(\s*['"]fetch['"]/.test(text) && text.includes('caches');
  });
}

async function playsAShortGame(page) {
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.keyboard.press('Enter');
  await waitForStatus(page, 'Zug Nr.  1 ');
  await page.keyboard.press('p');
  await waitForRow(page, 16, '     Aufgabe  1  : alles 1');
  await page.keyboard.press('Escape');
  await waitForRow(page, 2, '    \u00dcbung');
}

async function main() {
  const folder = path.resolve(process.argv[2] || '');
  assert.ok(fs.existsSync(path.join(folder, 'kippfeld.html')), `${folder} holds no kippfeld.html`);
  const server = await serve(folder);
  const url = `http://127.0.0.1:${server.address().port}/kippfeld.html`;
  const browser = await launch();
  try {
    const page = await openGame(browser, { url });
    await playsAShortGame(page);
    assert.deepEqual(page.errors, []);
    console.log(`served_release: ${url} plays`);
    if (!shipsServiceWorker(folder)) {
      console.log('served_release: no service worker shipped, so no offline check');
      return;
    }
    await page.evaluate(() => navigator.serviceWorker.ready);
    server.close();
    await page.context().setOffline(true);
    const offline = await page.context().newPage();
    offline.errors = [];
    offline.on('pageerror', (error) => offline.errors.push(error.message));
    await offline.goto(url);
    await waitForRow(offline, 2, '        Spielfeld:');
    await playsAShortGame(offline);
    assert.deepEqual(offline.errors, []);
    console.log('served_release: opens and plays offline from its service worker');
  } finally {
    server.close();
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
