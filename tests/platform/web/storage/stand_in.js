// The browser's storage under Node.js, for the history store's tests: the
// page's own history_storage.js over stand-ins for the browser's database
// (fake-indexeddb, an IndexedDB kept in memory), its Web Locks and its
// local storage. Each new place is a new, empty one of either kind, with the
// history's storage and the drill rounds' beside it; the test's calls go to
// the file named.
/* global kippfeldHistoryStorage */
Module['kippfeldTest'] = (function () {
  'use strict';
  var fake = require('fake-indexeddb');

  // One exclusive lock at a time, granted in the order asked for.
  function StandInLocks() {
    var last = Promise.resolve();
    this.request = function (name, options, callback) {
      var result = last.then(function () { return callback({ name: name, mode: options.mode }); });
      last = result.catch(function () {});
      return result;
    };
  }

  function StandInLocalStorage() {
    var entries = new Map();
    this.getItem = function (key) { return entries.has(key) ? entries.get(key) : null; };
    this.setItem = function (key, value) { entries.set(key, String(value)); };
    this.removeItem = function (key) { entries.delete(key); };
  }

  var environment = null;
  var file = 'history.tsv';

  function chosen() {
    var page = Module['kippfeldPage'];
    return file === 'drills.tsv' ? page.drillStorage : page.storage;
  }

  // The whole history replaced by bytes, past the store: the database as
  // history_storage.js lays it out, one entry and its end.
  function replace(bytes) {
    if (!environment.indexedDB) {
      environment.localStorage.setItem('kippfeld/' + file, new TextDecoder().decode(bytes));
      return Promise.resolve();
    }
    // The store made the database on its first use.
    return chosen().kind().then(function () {
      return new Promise(function (resolve, reject) {
        var request = environment.indexedDB.open(
            file === 'history.tsv' ? 'kippfeld' : 'kippfeld/' + file, 1);
        request.onerror = function () { reject(request.error); };
        request.onsuccess = function () {
          var db = request.result;
          var tx = db.transaction(['appends', 'state'], 'readwrite');
          tx.objectStore('appends').clear();
          tx.objectStore('appends').add(bytes);
          tx.objectStore('state').put({
            size: bytes.length, last: bytes.length ? bytes[bytes.length - 1] : 10,
          }, 'end');
          tx.oncomplete = function () { db.close(); resolve(); };
          tx.onerror = function () { db.close(); reject(tx.error); };
        };
      });
    });
  }

  function contents() {
    return chosen().read().then(function (bytes) {
      return bytes || new Uint8Array(0);
    });
  }

  var WORDS = {
    storageFull: 'the browser\'s storage is full',
    storageRefused: 'the browser refused its storage ({1})',
    noMemory: 'the page has no memory left for the history',
  };

  return {
    // kind: 'database' or 'local storage'; name: the file the test's calls
    // are for, 'history.tsv' or 'drills.tsv'.
    newPlace: function (kind, name) {
      file = name;
      environment = kind === 'database' ?
        { indexedDB: new fake.IDBFactory(), locks: new StandInLocks(), localStorage: null } :
        { indexedDB: null, locks: null, localStorage: new StandInLocalStorage() };
      Module['kippfeldPage'] = {
        storage: kippfeldHistoryStorage(environment),
        drillStorage: kippfeldHistoryStorage(environment, 'drills.tsv'),
        // The page's words for a storage that fails (words.js).
        words: function () { return WORDS; },
      };
    },
    contents: contents,
    write: replace,
    resize: function (size) {
      return contents().then(function (bytes) {
        var resized = new Uint8Array(size);
        resized.set(bytes.subarray(0, Math.min(size, bytes.length)));
        return replace(resized);
      });
    },
  };
})();
