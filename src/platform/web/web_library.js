// The functions the program calls in its page (linked with --js-library).
// Each instance of the program finds its page in Module.kippfeldPage, set by
// page.js before the instance starts. An instance the page has put aside
// for a new game (page.retired) finishes what it asked of the storage, so
// that a record under way is kept and the lock let go, but shows nothing
// more and never wakes from its next wait.
mergeInto(LibraryManager.library, {
  kippfeld_show_row: function (y, glyphs, attributes, width) {
    var page = Module['kippfeldPage'];
    if (page.retired) return;
    var text = String.fromCharCode.apply(null, HEAPU16.subarray(glyphs >> 1, (glyphs >> 1) + width));
    page.showRow(y, text, HEAPU8.subarray(attributes, attributes + width));
  },

  kippfeld_show_cursor: function (x, y) {
    var page = Module['kippfeldPage'];
    if (!page.retired) page.showCursor(x, y);
  },

  kippfeld_local_time: function () {
    var now = new Date();
    return ((now.getHours() * 60 + now.getMinutes()) * 60 + now.getSeconds()) * 1000 +
        now.getMilliseconds();
  },

  // Returns 1 when pushed input ended the wait, 0 when its time ran out, 2
  // when the page has a history job for the program. The only timer is the
  // one for a wait with a limit; a wait without one lasts until the page
  // calls wake() or wakeForJobs().
  kippfeld_wait: function (milliseconds, untilInput) {
    return Asyncify.handleSleep(function (wakeUp) {
      var page = Module['kippfeldPage'];
      if (page.retired) return;
      var timer = 0;
      var finish = function (answer) {
        if (timer) clearTimeout(timer);
        timer = 0;
        page.wake = null;
        page.wakeForJobs = null;
        page.waits.active = false;
        wakeUp(answer);
      };
      page.waits.count++;
      page.waits.active = true;
      page.waits.timed = milliseconds >= 0;
      if (untilInput) page.wake = function () { finish(1); };
      page.wakeForJobs = function () { finish(2); };
      if (milliseconds >= 0) {
        page.waits.timers++;
        timer = setTimeout(function () { finish(0); }, milliseconds);
      }
    });
  },

  // The game has ended: the page is told. The program then only serves
  // the page's history jobs (see kippfeld_next_job).
  kippfeld_end: function (exitCode) {
    var page = Module['kippfeldPage'];
    if (!page.retired) page.ended(exitCode);
  },

  // The page's history jobs (the History view, Save, an import) run on the
  // program's own stack between its waits, where the storage may suspend
  // it. Returns the kind of the next job, 0 for none, with its name and
  // bytes malloc'ed for the program to free.
  kippfeld_next_job__deps: ['$kippfeldBytes', '$kippfeldNewText'],
  kippfeld_next_job: function (nameOut, bytesOut, lengthOut) {
    var page = Module['kippfeldPage'];
    var job = page.jobs.shift();
    if (!job) return 0;
    page.job = job;
    var name = kippfeldNewText(job.name || '');
    var bytes = kippfeldBytes(job.bytes || new Uint8Array(0));
    HEAP32[nameOut >> 2] = name;
    HEAP32[bytesOut >> 2] = bytes;
    HEAP32[lengthOut >> 2] = bytes && job.bytes ? job.bytes.length : 0;
    return job.kind;
  },

  // What the job gave: text (length bytes) and the lines it names as
  // problems.
  kippfeld_job_done: function (text, length, problems) {
    var page = Module['kippfeldPage'];
    var job = page.job;
    page.job = null;
    if (!job) return;
    var bytes = HEAPU8.slice(text, text + length);
    job.resolve({ bytes: bytes, text: new TextDecoder().decode(bytes),
      problems: UTF8ToString(problems) });
  },
});

// The history's storage (history_storage.js, through page.storage). Text
// in both directions is bytes in the program's memory; what the program
// gets is malloc'ed and its to free. Each function that may wait suspends
// the program (Asyncify) until the browser answers, and returns null when
// all went well, else the reason (malloc'ed).
mergeInto(LibraryManager.library, {
  // A copy of text (UTF-8, ended by a zero) in malloc'ed memory; null when
  // there is no memory left for it.
  $kippfeldNewText__deps: ['malloc'],
  $kippfeldNewText: function (text) {
    var size = lengthBytesUTF8(text) + 1;
    var pointer = _malloc(size);
    if (pointer) stringToUTF8(text, pointer, size);
    return pointer;
  },

  // A copy of the bytes, with a zero after them; null without memory. The
  // malloc may grow the memory, which replaces HEAPU8: it is read after.
  $kippfeldBytes__deps: ['malloc'],
  $kippfeldBytes: function (bytes) {
    var pointer = _malloc(bytes.length + 1);
    if (!pointer) return 0;
    HEAPU8.set(bytes, pointer);
    HEAPU8[pointer + bytes.length] = 0;
    return pointer;
  },

  // In the page's language (words.js), as the program's line around it.
  $kippfeldReason: function (error) {
    var words = Module['kippfeldPage'].words();
    if (error && error.name === 'QuotaExceededError') return words.storageFull;
    return words.storageRefused.replace('{1}', error && error.name || String(error));
  },

  $kippfeldStorage: function (which) {
    var page = Module['kippfeldPage'];
    return which === 1 ? page.drillStorage : page.storage;
  },

  // Suspends until the promise start makes settles; give(value) then
  // writes the answer and says null, or why it could not. which: the
  // history's storage (0) or the drill rounds' (1).
  $kippfeldStorageCall__deps: ['$kippfeldNewText', '$kippfeldReason', '$kippfeldStorage'],
  $kippfeldStorageCall: function (which, start, give) {
    return Asyncify.handleSleep(function (wakeUp) {
      var answer = function (reason) {
        if (reason === null) return wakeUp(0);
        // Without memory even for the reason: -1, which the program names.
        wakeUp(kippfeldNewText(reason) || -1);
      };
      var promise;
      try {
        promise = Promise.resolve(start(kippfeldStorage(which)));
      } catch (error) {
        promise = Promise.reject(error);
      }
      promise.then(function (value) {
        answer(give ? give(value) : null);
      }, function (error) {
        answer(kippfeldReason(error));
      });
    });
  },

  // *locked: 1 when the lock is held until kippfeld_storage_unlock.
  kippfeld_storage_lock__deps: ['$kippfeldStorageCall'],
  kippfeld_storage_lock: function (which, locked) {
    return kippfeldStorageCall(which, function (storage) { return storage.lock(); }, function (release) {
      var page = Module['kippfeldPage'];
      (page.releases = page.releases || [])[which] = release;
      HEAP32[locked >> 2] = release ? 1 : 0;
      return null;
    });
  },

  kippfeld_storage_unlock: function (which) {
    var page = Module['kippfeldPage'];
    var release = (page.releases || [])[which];
    if (page.releases) page.releases[which] = null;
    if (release) release();
  },

  kippfeld_storage_end__deps: ['$kippfeldStorageCall'],
  kippfeld_storage_end: function (which, size, last) {
    return kippfeldStorageCall(which, function (storage) { return storage.end(); }, function (end) {
      HEAPF64[size >> 3] = end.size;
      HEAP32[last >> 2] = end.last;
      return null;
    });
  },

  // Null once the bytes are on disk.
  kippfeld_storage_append__deps: ['$kippfeldStorageCall'],
  kippfeld_storage_append: function (which, bytes, length) {
    return kippfeldStorageCall(which, function (storage) {
      return storage.append(HEAPU8.slice(bytes, bytes + length));
    });
  },

  // *text: the history's bytes (malloc'ed), *length their number; *missing
  // 1 when nothing was ever kept.
  kippfeld_storage_read__deps: ['$kippfeldStorageCall', '$kippfeldBytes'],
  kippfeld_storage_read: function (which, text, length, missing) {
    return kippfeldStorageCall(which, function (storage) { return storage.read(); }, function (bytes) {
      HEAP32[missing >> 2] = bytes === null ? 1 : 0;
      if (bytes === null) return null;
      var pointer = kippfeldBytes(bytes);
      if (!pointer) return Module['kippfeldPage'].words().noMemory;
      HEAP32[text >> 2] = pointer;
      HEAP32[length >> 2] = bytes.length;
      return null;
    });
  },

  // 2025-03-14T09:26:53+01:00, in the browser's time zone.
  kippfeld_local_date_time: function (text, size) {
    var now = new Date();
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    var offset = -now.getTimezoneOffset();
    var sign = offset < 0 ? '-' : '+';
    offset = Math.abs(offset);
    var stamp = now.getFullYear() + '-' + two(now.getMonth() + 1) + '-' + two(now.getDate()) +
        'T' + two(now.getHours()) + ':' + two(now.getMinutes()) + ':' + two(now.getSeconds()) +
        sign + two(Math.floor(offset / 60)) + ':' + two(offset % 60);
    stringToUTF8(stamp, text, size);
  },
});
