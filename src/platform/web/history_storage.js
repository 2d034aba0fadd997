// The history's storage in the browser, for the program's history "file":
// the bytes of history.tsv, kept in the browser's database (IndexedDB) where
// there is one, else in one entry of its local storage as release 1.2.0 kept
// them. The program's file store lays down what goes in (the header, the
// line ends, the size cap); this only locks, looks at the end, appends and
// reads, as a file system does.
//
// In the database every append is one entry of its own (the bytes it added)
// plus the history's size and last byte, written in one transaction with
// strict durability, so that a test counts as kept only once it is on disk
// and an append never reads or rewrites what is already there. The lock is
// a Web Lock, held from the look at the end to the end of the append, so
// that tabs whose results tables appear at the same moment each keep their
// test. A history kept in local storage by 1.2.0 moves into the database
// the first time the database is used, in the same transaction that marks
// the database as holding the history, so it is taken over exactly once.
//
// environment: { indexedDB, locks, localStorage } (any may be missing); the
// page passes the browser's own, the tests stand-ins. name: the file kept,
// 'history.tsv' when none is given; another file (the drill rounds'
// drills.tsv) has a database, a lock and a local storage entry of its own,
// so that neither ever waits for or reads the other.
// eslint-disable-next-line no-unused-vars
function kippfeldHistoryStorage(environment, name) {
  'use strict';
  var KEY = 'kippfeld/' + (name || 'history.tsv');
  // The history's database keeps the name 1.2.0 gave it.
  var DATABASE = name ? KEY : 'kippfeld';
  var APPENDS = 'appends';
  var STATE = 'state';
  var END = 'end';
  var encoder = new TextEncoder();
  var decoder = new TextDecoder();
  var opening = null;

  function failed(request) {
    return request.error || new DOMException('the request failed', 'UnknownError');
  }

  // The database, or null where the browser has none for this page (then
  // local storage keeps the history, as it did in 1.2.0).
  function database() {
    if (opening) return opening;
    opening = new Promise(function (resolve, reject) {
      var request;
      try {
        if (!environment.indexedDB) return resolve(null);
        request = environment.indexedDB.open(DATABASE, 1);
      } catch (error) {
        return resolve(null);
      }
      request.onupgradeneeded = function () {
        var db = request.result;
        if (!db.objectStoreNames.contains(APPENDS)) {
          db.createObjectStore(APPENDS, { autoIncrement: true });
        }
        if (!db.objectStoreNames.contains(STATE)) db.createObjectStore(STATE);
      };
      request.onsuccess = function () {
        var db = request.result;
        // A later release that changes the database waits for no open
        // page: this one opens it again on its next use.
        db.onversionchange = function () {
          db.close();
          opening = null;
        };
        resolve(takeOver(db));
      };
      request.onerror = function () {
        var error = failed(request);
        // Pages the browser keeps no database for: opened from disk in
        // some browsers, private windows in others.
        if (error.name === 'SecurityError' || error.name === 'InvalidStateError') resolve(null);
        else reject(error);
      };
    });
    // A failure is tried again on the next use, not remembered.
    opening.catch(function () { opening = null; });
    return opening;
  }

  function transaction(db, mode) {
    return mode === 'readwrite' ?
      db.transaction([APPENDS, STATE], mode, { durability: 'strict' }) :
      db.transaction([APPENDS, STATE], mode);
  }

  // Settles when the transaction does. work(tx) asks for what it needs;
  // an exception in it or in a request's handler aborts the transaction
  // and is the reason it failed.
  function run(tx, work, value) {
    var problem = null;
    var guard = function (step) {
      return function () {
        try {
          step.apply(null, arguments);
        } catch (error) {
          problem = problem || error;
          try { tx.abort(); } catch (ignored) { /* already over */ }
        }
      };
    };
    return new Promise(function (resolve, reject) {
      tx.oncomplete = function () { resolve(typeof value === 'function' ? value() : value); };
      tx.onerror = function () { reject(problem || failed(tx)); };
      tx.onabort = function () { reject(problem || failed(tx)); };
      guard(work)(guard);
    });
  }

  function endOf(bytes, before) {
    return {
      size: before.size + bytes.length,
      last: bytes.length ? bytes[bytes.length - 1] : before.last,
    };
  }

  // The database holds the history once its end is recorded; until then
  // the history of local storage (if any) becomes its first entry.
  function takeOver(db) {
    var tx = transaction(db, 'readwrite');
    var moved = false;
    return run(tx, function (guard) {
      var state = tx.objectStore(STATE);
      var request = state.get(END);
      request.onsuccess = guard(function () {
        if (request.result) return;
        var text = null;
        try {
          text = environment.localStorage ? environment.localStorage.getItem(KEY) : null;
        } catch (error) { /* no local storage: nothing to take over */ }
        var end = { size: 0, last: 10 };
        if (text) {
          var bytes = encoder.encode(text);
          tx.objectStore(APPENDS).add(bytes);
          end = endOf(bytes, end);
          moved = true;
        }
        state.put(end, END);
      });
    }).then(function () {
      if (moved) {
        try { environment.localStorage.removeItem(KEY); } catch (error) { /* kept twice, read once */ }
      }
      return db;
    });
  }

  function localText() {
    return environment.localStorage.getItem(KEY);
  }

  return {
    // Where the history is kept: 'database' or 'local storage'.
    kind: function () {
      return database().then(function (db) { return db ? 'database' : 'local storage'; });
    },

    // Resolves with the function that gives the lock up, or null where the
    // browser has no locks (the append then goes on without, as on a file
    // system without them).
    lock: function () {
      var locks = environment.locks;
      if (!locks) return Promise.resolve(null);
      return new Promise(function (granted, refused) {
        var release;
        var held = new Promise(function (resolve) { release = resolve; });
        locks.request(KEY, { mode: 'exclusive' }, function () {
          granted(release);
          return held;
        }).catch(refused);
      });
    },

    // { size, last }: the history's size in bytes and its last byte (a
    // line end for an empty history).
    end: function () {
      return database().then(function (db) {
        if (!db) {
          var bytes = encoder.encode(localText() || '');
          return endOf(bytes, { size: 0, last: 10 });
        }
        var tx = transaction(db, 'readonly');
        var request;
        return run(tx, function () { request = tx.objectStore(STATE).get(END); },
            function () { return request.result || { size: 0, last: 10 }; });
      });
    },

    // Appends the bytes; resolves once they are on disk.
    append: function (bytes) {
      return database().then(function (db) {
        if (!db) {
          environment.localStorage.setItem(KEY, (localText() || '') + decoder.decode(bytes));
          return;
        }
        var tx = transaction(db, 'readwrite');
        return run(tx, function (guard) {
          var state = tx.objectStore(STATE);
          var request = state.get(END);
          request.onsuccess = guard(function () {
            tx.objectStore(APPENDS).add(bytes);
            state.put(endOf(bytes, request.result || { size: 0, last: 10 }), END);
          });
        });
      });
    },

    // The whole history's bytes; null when nothing was ever kept.
    read: function () {
      return database().then(function (db) {
        if (!db) {
          var text = localText();
          return text === null ? null : encoder.encode(text);
        }
        var tx = transaction(db, 'readonly');
        var parts;
        var state;
        return run(tx, function () {
          parts = tx.objectStore(APPENDS).getAll();
          state = tx.objectStore(STATE).get(END);
        }, function () {
          var end = state.result;
          if (!end || (end.size === 0 && parts.result.length === 0)) return null;
          var whole = new Uint8Array(end.size);
          var at = 0;
          parts.result.forEach(function (part) {
            whole.set(part, at);
            at += part.length;
          });
          return whole;
        });
      });
    },
  };
}
