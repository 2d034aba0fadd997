#!/usr/bin/env node
// Writes what makes build-web/ an installable web app beside the page:
//   node make_web_app.js <build-web> <source folder>
// manifest.webmanifest (its words from words.js), index.html (on to the
// page), sw.js (from sw.js, its version the hash of every file it keeps)
// and web-files.txt, the list of every file a static web server needs.
// The icons (icon-*.png, kippfeld.svg) are made before, by the build.
'use strict';
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const [out, source] = process.argv.slice(2);
const words = vm.runInNewContext(
    fs.readFileSync(path.join(source, 'words.js'), 'utf8') + '\nkippfeldWords;');

const manifest = {
  name: 'kippfeld',
  short_name: 'kippfeld',
  description: words.de.appDescription,
  lang: 'de',
  dir: 'ltr',
  id: './kippfeld.html',
  start_url: './kippfeld.html',
  scope: './',
  display: 'standalone',
  orientation: 'any',
  background_color: '#000000',
  theme_color: '#000000',
  icons: [
    { src: 'icon-192.png', sizes: '192x192', type: 'image/png', purpose: 'any' },
    { src: 'icon-512.png', sizes: '512x512', type: 'image/png', purpose: 'any' },
    { src: 'icon-maskable-512.png', sizes: '512x512', type: 'image/png', purpose: 'maskable' },
    { src: 'kippfeld.svg', sizes: 'any', type: 'image/svg+xml', purpose: 'any' },
  ],
};
fs.writeFileSync(path.join(out, 'manifest.webmanifest'), JSON.stringify(manifest, null, 2) + '\n');
fs.writeFileSync(path.join(out, 'index.html'),
    '<!DOCTYPE html>\n<html lang="de">\n<head>\n<meta charset="utf-8">\n' +
    '<meta http-equiv="refresh" content="0; url=kippfeld.html">\n<title>kippfeld</title>\n' +
    '</head>\n<body><a href="kippfeld.html">kippfeld</a></body>\n</html>\n');

const kept = ['kippfeld.html', 'index.html', 'manifest.webmanifest', 'kippfeld.svg',
  'icon-192.png', 'icon-512.png', 'icon-maskable-512.png'];
const hash = crypto.createHash('sha256');
for (const file of kept) hash.update(file).update(fs.readFileSync(path.join(out, file)));
const worker = fs.readFileSync(path.join(source, 'sw.js'), 'utf8')
    .replace('/*VERSION*/', hash.digest('hex').slice(0, 16))
    .replace('/*FILES*/', JSON.stringify(['./'].concat(kept)));
fs.writeFileSync(path.join(out, 'sw.js'), worker);
fs.writeFileSync(path.join(out, 'web-files.txt'), kept.concat('sw.js').join('\n') + '\n');
