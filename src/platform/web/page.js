// The page around the program: it builds the console's 25 rows, hands keys,
// clicks and taps to the running instance, scales the console to the window,
// and offers a new game, the history view and its file buttons. The program
// itself is the instance createKippfeld makes; a new game is a new instance.
(function () {
  'use strict';
  var WIDTH = 80;
  var HEIGHT = 25;
  var consoleBox = document.getElementById('console');
  var screen = document.getElementById('screen');
  var notice = document.getElementById('notice');
  var playAgain = document.getElementById('play-again');
  var rows = [];
  for (var y = 0; y < HEIGHT; y++) {
    var row = document.createElement('div');
    row.className = 'row';
    row.textContent = ' '.repeat(WIDTH);
    screen.appendChild(row);
    rows.push(row);
  }

  // What tests and the budget script look at: how often the program waited,
  // how many of its waits needed a timer.
  var waits = { count: 0, timers: 0, active: false, timed: false };
  var game = null;

  // The history's storage, one for every game of this page.
  var storage = kippfeldHistoryStorage({
    indexedDB: window.indexedDB,
    locks: navigator.locks,
    localStorage: (function () {
      try { return window.localStorage; } catch (error) { return null; }
    })(),
  });
  // Asks the browser not to clear the history when it runs short of room;
  // one that says no may still do so (the README says when).
  var persisted = navigator.storage && navigator.storage.persist ?
    navigator.storage.persist().catch(function () { return false; }) : Promise.resolve(false);

  function showRow(y, text, attributes) {
    var parts = [];
    var start = 0;
    for (var x = 1; x <= text.length; x++) {
      if (x < text.length && attributes[x] === attributes[start]) continue;
      var span = document.createElement('span');
      var attribute = attributes[start];
      span.className = 'f' + (attribute & 15) + ' b' + (attribute >> 4);
      span.textContent = text.slice(start, x);
      parts.push(span);
      start = x;
    }
    rows[y].replaceChildren.apply(rows[y], parts);
  }

  function say(text) {
    notice.textContent = text;
  }

  // --- The running instance ---

  function start() {
    screen.removeAttribute('data-exit-code');
    playAgain.hidden = true;
    say('');
    var page = {
      showRow: showRow, waits: waits, wake: null, ended: null, storage: storage,
      jobs: [], job: null, wakeForJobs: null, release: null,
    };
    var module = { kippfeldPage: page, pending: [], ready: false, finished: false };
    page.ended = function (exitCode) {
      module.finished = true;
      screen.setAttribute('data-exit-code', String(exitCode));
      var failure = historyFailure(module);
      if (failure) say(failure);
      playAgain.hidden = false;
      if (!historyView.hidden) showHistory();
    };
    module.print = function (text) { console.log(text); };
    module.printErr = function (text) { console.warn(text); };
    module.onRuntimeInitialized = function () {
      module.ready = true;
      // Input that came while the program was loading goes first, in order.
      module.pending.splice(0).forEach(function (send) { send(); });
    };
    module.onAbort = function (what) {
      module.finished = true;
      module.aborted = true;
      // Jobs the program will never do are answered with nothing.
      page.jobs.splice(0).forEach(function (job) {
        job.resolve({ bytes: new Uint8Array(0), text: '', problems: '' });
      });
      say('The program stopped: ' + what);
      playAgain.hidden = false;
    };
    game = module;
    createKippfeld(module);
    consoleBox.focus();
  }

  // Runs send (which pushes input and says whether it did) now, or once the
  // instance is ready; a program waiting for input is woken at once.
  function deliver(send) {
    var module = game;
    if (!module || module.finished) return;
    var run = function () {
      var pushed = send(module);
      var wake = module.kippfeldPage.wake;
      if (pushed && wake) wake();
    };
    if (module.ready) run(); else module.pending.push(run);
  }

  // --- Keys ---

  function modifiers(event) {
    var state = function (name) { return event.getModifierState && event.getModifierState(name); };
    return (event.shiftKey ? 0x01 : 0) | (event.ctrlKey ? 0x02 : 0) | (event.altKey ? 0x04 : 0) |
        (event.metaKey ? 0x08 : 0) | (state('AltGraph') ? 0x10 : 0) |
        (state('CapsLock') ? 0x20 : 0) | (state('NumLock') ? 0x40 : 0) |
        (state('ScrollLock') ? 0x80 : 0) | (event.isComposing || event.keyCode === 229 ? 0x100 : 0);
  }

  // Calls an exported function with text arguments (UTF-8 on the C stack)
  // followed by numbers. Not ccall: while the program is suspended in a
  // wait, ccall takes every call for one that suspended and answers with a
  // promise.
  function callWithTexts(module, name, texts, numbers) {
    var top = module.stackSave();
    try {
      var pointers = texts.map(function (text) {
        var size = text.length * 4 + 1;
        var pointer = module.stackAlloc(size);
        module.stringToUTF8(text, pointer, size);
        return pointer;
      });
      return module['_' + name].apply(null, pointers.concat(numbers || []));
    } finally {
      module.stackRestore(top);
    }
  }

  // 2: a record was queued.
  function sendKey(module, code, key, flags) {
    return callWithTexts(module, 'kippfeld_key', [code, key], [flags]);
  }

  // Whether the browser keeps the key (its shortcuts, the function keys):
  // the program's own rule once an instance is loaded, the same in short
  // for the moment before.
  function browserKeeps(code, key, flags) {
    if (game && game.ready) {
      return callWithTexts(game, 'kippfeld_browser_keeps', [code, key], [flags]) !== 0;
    }
    return ((flags & 0x0e) !== 0 && (flags & 0x10) === 0) || /^F\d/.test(code);
  }

  consoleBox.addEventListener('keydown', function (event) {
    var code = event.code || '';
    var key = event.key || '';
    var flags = modifiers(event);
    if (!browserKeeps(code, key, flags)) event.preventDefault();
    deliver(function (module) { return (sendKey(module, code, key, flags) & 2) !== 0; });
  });

  // The on-screen keys give the key strings of the real ones. They never
  // take the focus from the console.
  document.querySelectorAll('#keys .key').forEach(function (button) {
    button.addEventListener('pointerdown', function (event) { event.preventDefault(); });
    button.addEventListener('click', function () {
      var code = button.getAttribute('data-code');
      var key = button.getAttribute('data-key');
      deliver(function (module) { return (sendKey(module, code, key, 0) & 2) !== 0; });
      consoleBox.focus();
    });
  });

  // --- Mouse and touch ---

  var DOWN = 0, UP = 1, MOVE = 2, WHEEL = 3;

  function cellOf(event) {
    var box = screen.getBoundingClientRect();
    var x = Math.floor((event.clientX - box.left) / box.width * WIDTH);
    var y = Math.floor((event.clientY - box.top) / box.height * HEIGHT);
    return { x: Math.min(Math.max(x, 0), WIDTH - 1), y: Math.min(Math.max(y, 0), HEIGHT - 1) };
  }

  function sendPointer(action, event) {
    var cell = cellOf(event);
    var button = event.button < 0 ? 0 : event.button;
    var time = event.timeStamp;
    deliver(function (module) {
      return module._kippfeld_pointer(action, cell.x, cell.y, button, time) !== 0;
    });
  }

  screen.addEventListener('pointerdown', function (event) {
    consoleBox.focus({ preventScroll: true });
    if (screen.setPointerCapture) {
      try { screen.setPointerCapture(event.pointerId); } catch (e) { /* not capturable */ }
    }
    sendPointer(DOWN, event);
  });
  screen.addEventListener('pointerup', function (event) { sendPointer(UP, event); });
  screen.addEventListener('pointercancel', function (event) { sendPointer(UP, event); });
  screen.addEventListener('pointermove', function (event) { sendPointer(MOVE, event); });
  screen.addEventListener('wheel', function (event) { sendPointer(WHEEL, event); },
      { passive: true });
  // No word selection on a double click, no scrolling by the middle button.
  screen.addEventListener('mousedown', function (event) {
    if (event.detail > 1 || event.button === 1) event.preventDefault();
  });
  screen.addEventListener('contextmenu', function (event) { event.preventDefault(); });

  // --- Scaling: the whole console fits the window and keeps its shape ---

  var controls = document.getElementById('controls');
  function fit() {
    if (consoleBox.hidden) return;
    screen.style.fontSize = '100px';
    var width = screen.scrollWidth;
    var height = screen.scrollHeight;
    var availableWidth = document.documentElement.clientWidth - 8;
    var availableHeight = window.innerHeight - controls.offsetHeight - 12;
    var size = Math.max(4, Math.min(availableWidth / width, availableHeight / height) * 100);
    screen.style.fontSize = size.toFixed(2) + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  playAgain.addEventListener('click', function () {
    showView(false);
    start();
  });
  consoleBox.addEventListener('pointerdown', function () { consoleBox.focus({ preventScroll: true }); });

  // --- History (kept in the browser's storage) ---

  var historyView = document.getElementById('history');
  var historyReport = document.getElementById('history-report');
  var historyMessages = document.getElementById('history-messages');
  var addHistory = document.getElementById('add-history');

  function text(module, pointer) {
    return module.UTF8ToString(pointer);
  }

  function historyFailure(module) {
    return module.ready ? text(module, module._kippfeld_history_failure()) : '';
  }

  // The program's history jobs (web_main.cpp: PageJob), done on its own
  // stack at its next wait. Resolves with { bytes, text, problems }.
  var JOBS = { report: 1, content: 2, add: 3 };
  function historyJob(kind, name, bytes) {
    var module = game;
    return new Promise(function (resolve) {
      var page = module.kippfeldPage;
      if (module.aborted) return resolve({ bytes: new Uint8Array(0), text: '', problems: '' });
      page.jobs.push({ kind: kind, name: name, bytes: bytes, resolve: resolve });
      if (page.wakeForJobs) page.wakeForJobs();
    });
  }

  // The report `kippfeld --history` prints, and the lines it skipped.
  function showHistory(extra) {
    return historyJob(JOBS.report).then(function (answer) {
      historyReport.textContent = answer.text;
      historyMessages.textContent = (extra || '') + answer.problems;
      showView(true);
    });
  }
  // The history takes the console's place; the game waits meanwhile.
  var keysBar = document.getElementById('keys');
  function showView(history) {
    historyView.hidden = !history;
    consoleBox.hidden = history;
    keysBar.hidden = history;
    if (!history) {
      fit();
      consoleBox.focus();
    }
  }

  document.getElementById('show-history').addEventListener('click', function () {
    if (historyView.hidden) showHistory(); else showView(false);
  });
  document.getElementById('close-history').addEventListener('click', function () {
    showView(false);
  });

  document.getElementById('save-history').addEventListener('click', function () {
    historyJob(JOBS.content).then(function (answer) {
      if (answer.problems) {
        historyMessages.textContent = answer.problems;
        return;
      }
      var link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([answer.bytes],
          { type: 'text/tab-separated-values' }));
      link.download = 'history.tsv';
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function () { URL.revokeObjectURL(link.href); }, 0);
    });
  });

  // The chosen file's bytes go to the program as they are; it names the
  // lines it cannot take.
  function addRecords(name, bytes) {
    return historyJob(JOBS.add, name, bytes).then(function (answer) {
      return showHistory(answer.text + '\n' + answer.problems);
    });
  }

  addHistory.addEventListener('change', function () {
    var file = addHistory.files && addHistory.files[0];
    if (!file) return;
    file.arrayBuffer().then(function (buffer) {
      addHistory.value = '';
      return addRecords(file.name, new Uint8Array(buffer));
    });
  });

  window.kippfeld = {
    waits: waits,
    instance: function () { return game; },
    fit: fit,
    addRecords: addRecords,
    storage: storage,
    persisted: persisted,
  };

  start();
})();
