// The page served from a web server as an installable app: Chromium finds
// nothing missing to install it, after one visit it opens and plays with
// the network gone, and a new build replaces the kept page on the next
// visit with the network. Opened from disk it registers nothing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');
const { ARGS, launch, openGame, waitForRow, serveBuild, until } = require('./support');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// Until the service worker controls the page and has kept its files.
async function untilKept(page) {
  await page.evaluate(() => navigator.serviceWorker.ready);
  await until(page, () => caches.keys().then((names) =>
    names.length === 1 && caches.open(names[0]).then((cache) => cache.keys())
        .then((requests) => requests.length >= 8)));
}

test('served: installable, and after one visit it opens and plays offline', async () => {
  const served = await serveBuild();
  // A profile of its own: Chromium installs nothing from an incognito one.
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kippfeld-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.KIPPFELD_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ARGS,
  });
  try {
    const page = context.pages()[0] || await context.newPage();
    page.errors = [];
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.goto(served.url + 'kippfeld.html');
    await waitForRow(page, 2, '        Spielfeld:');
    await untilKept(page);
    const session = await page.context().newCDPSession(page);
    const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    const manifest = await session.send('Page.getAppManifest');
    assert.deepEqual(manifest.errors, []);
    const data = JSON.parse(manifest.data);
    assert.equal(data.lang, 'de');
    assert.equal(data.display, 'standalone');
    assert.deepEqual(data.icons.map((icon) => `${icon.sizes} ${icon.purpose}`),
        ['192x192 any', '512x512 any', '512x512 maskable', 'any any']);

    // No network at all: the browser's and the server's.
    served.offline = true;
    await page.context().setOffline(true);
    await page.reload();
    await waitForRow(page, 2, '        Spielfeld:');
    await page.keyboard.press('Enter');
    await waitForRow(page, 16, '     Aufgabe  0  : ');
    assert.deepEqual(page.errors, []);
  } finally {
    await context.close();
    await served.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
});

test('served: a new build replaces the kept page on the next visit with the network', async () => {
  const served = await serveBuild();
  try {
    const page = await openGame(browser, { url: served.url + 'kippfeld.html' });
    await untilKept(page);
    const keptPage = () => page.evaluate(() => caches.keys()
        .then((names) => caches.open(names[names.length - 1]))
        .then((cache) => cache.match('kippfeld.html'))
        .then((response) => response.text()));
    assert.ok(!(await keptPage()).includes('build two'));
    // The next build: another page, so another service worker.
    served.change = (name, body) => {
      if (name === 'kippfeld.html') return Buffer.concat([body, Buffer.from('<!-- build two -->\n')]);
      if (name === 'sw.js') return Buffer.from(String(body).replace(/kippfeld-[0-9a-f]+/, 'kippfeld-two'));
      return body;
    };
    await page.reload();
    await waitForRow(page, 2, '        Spielfeld:');
    await until(page, () => caches.keys().then((names) =>
      names.length === 1 && names[0] === 'kippfeld-two'));
    assert.ok((await keptPage()).includes('build two'));
    await page.context().close();
  } finally {
    await served.close();
  }
});

test('opened from disk: it plays and registers nothing', async () => {
  const page = await openGame(browser, {
    init: () => {
      window.registered = 0;
      if (window.ServiceWorkerContainer) {
        ServiceWorkerContainer.prototype.register = function () {
          window.registered++;
          return Promise.reject(new Error('no'));
        };
      }
    },
  });
  await page.keyboard.press('Enter');
  await waitForRow(page, 16, '     Aufgabe  0  : ');
  await page.waitForTimeout(200);
  const registered = await page.evaluate(() => ({
    manifest: document.querySelectorAll('link[rel="manifest"]').length,
    workers: window.registered,
  }));
  assert.deepEqual(registered, { manifest: 0, workers: 0 });
  assert.deepEqual(page.errors, []);
  await page.context().close();
});
