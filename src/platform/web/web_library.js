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
