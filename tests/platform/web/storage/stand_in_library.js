// What the history store's tests ask of the stand-in storage (stand_in.js),
// each call suspending the test until the storage has answered.
mergeInto(LibraryManager.library, {
  kippfeld_test_new_place: function (kind, file) {
    Module['kippfeldTest'].newPlace(UTF8ToString(kind), UTF8ToString(file));
  },

  kippfeld_test_contents__deps: ['malloc'],
  kippfeld_test_contents: function (text, length) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module['kippfeldTest'].contents().then(function (bytes) {
        var pointer = _malloc(bytes.length + 1);
        HEAPU8.set(bytes, pointer);
        HEAP32[text >> 2] = pointer;
        HEAP32[length >> 2] = bytes.length;
        wakeUp(0);
      });
    });
  },

  kippfeld_test_write: function (text, length) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module['kippfeldTest'].write(HEAPU8.slice(text, text + length)).then(function () {
        wakeUp(0);
      });
    });
  },

  kippfeld_test_resize: function (size) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module['kippfeldTest'].resize(size).then(function () { wakeUp(0); });
    });
  },
});
