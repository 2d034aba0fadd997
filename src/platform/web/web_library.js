// The functions the program calls in its page (linked with --js-library).
// Each instance of the program finds its page in Module.kippfeldPage, set by
// page.js before the instance starts.
mergeInto(LibraryManager.library, {
  kippfeld_show_row: function (y, glyphs, attributes, width) {
    var text = String.fromCharCode.apply(null, HEAPU16.subarray(glyphs >> 1, (glyphs >> 1) + width));
    Module['kippfeldPage'].showRow(y, text, HEAPU8.subarray(attributes, attributes + width));
  },

  kippfeld_local_time: function () {
    var now = new Date();
    return ((now.getHours() * 60 + now.getMinutes()) * 60 + now.getSeconds()) * 1000 +
        now.getMilliseconds();
  },

  // Returns 1 when pushed input ended the wait, 0 when its time ran out. The
  // only timer is the one for a wait with a limit; a wait without one lasts
  // until the page calls wake().
  kippfeld_wait: function (milliseconds, untilInput) {
    return Asyncify.handleSleep(function (wakeUp) {
      var page = Module['kippfeldPage'];
      var timer = 0;
      var finish = function (byInput) {
        if (timer) clearTimeout(timer);
        timer = 0;
        page.wake = null;
        page.waits.active = false;
        wakeUp(byInput ? 1 : 0);
      };
      page.waits.count++;
      page.waits.active = true;
      page.waits.timed = milliseconds >= 0;
      if (untilInput) page.wake = function () { finish(true); };
      if (milliseconds >= 0) {
        page.waits.timers++;
        timer = setTimeout(function () { finish(false); }, milliseconds);
      }
    });
  },

  kippfeld_end: function (exitCode) {
    Module['kippfeldPage'].ended(exitCode);
    // Never woken: the program's stack stays where it ended.
    Asyncify.handleSleep(function () {});
  },
});

// The history's storage entry. Text in both directions is UTF-8 in the
// program's memory; what the program gets is malloc'ed and its to free.
mergeInto(LibraryManager.library, {
  $kippfeldNewText__deps: ['malloc'],
  $kippfeldNewText: function (text) {
    var size = lengthBytesUTF8(text) + 1;
    var pointer = _malloc(size);
    stringToUTF8(text, pointer, size);
    return pointer;
  },

  $kippfeldOwnedText__deps: ['$kippfeldNewText'],
  $kippfeldOwnedText: function (text, pointerOut, lengthOut) {
    HEAP32[pointerOut >> 2] = kippfeldNewText(text);
    HEAP32[lengthOut >> 2] = lengthBytesUTF8(text);
  },

  $kippfeldReason: function (error) {
    if (error && error.name === 'QuotaExceededError') return 'the browser\'s storage is full';
    return 'the browser refused its storage (' + (error && error.name || String(error)) + ')';
  },

  // 0 read, 1 none yet, 2 refused (the reason in text).
  kippfeld_storage_get__deps: ['$kippfeldOwnedText', '$kippfeldReason'],
  kippfeld_storage_get: function (key, textOut, lengthOut) {
    try {
      var text = window.localStorage.getItem(UTF8ToString(key));
      if (text === null) return 1;
      kippfeldOwnedText(text, textOut, lengthOut);
      return 0;
    } catch (error) {
      kippfeldOwnedText(kippfeldReason(error), textOut, lengthOut);
      return 2;
    }
  },

  // Null when kept, else why not (malloc'ed).
  kippfeld_storage_append__deps: ['$kippfeldNewText', '$kippfeldReason'],
  kippfeld_storage_append: function (key, text, length) {
    try {
      var name = UTF8ToString(key);
      var before = window.localStorage.getItem(name) || '';
      window.localStorage.setItem(name, before + UTF8ToString(text, length));
      return 0;
    } catch (error) {
      return kippfeldNewText(kippfeldReason(error));
    }
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
