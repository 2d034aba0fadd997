// The service worker of the page served from a web server: it keeps the
// page and what installing it needs, so that it opens and plays without
// the network after one visit. Each build writes its own version in, so a
// new build is a new worker: the browser fetches it on the next visit with
// the network, which caches the new files and drops the old ones.
'use strict';
var CACHE = 'kippfeld-/*VERSION*/';
var FILES = /*FILES*/;

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return cache.addAll(FILES.map(function (file) { return new Request(file, { cache: 'reload' }); }));
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf('kippfeld-') === 0 && name !== CACHE;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The kept copy first, the network for anything else.
self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true }).then(function (kept) {
      return kept || fetch(event.request);
    });
  }));
});
