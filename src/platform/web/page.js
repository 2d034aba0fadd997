// The page around the program: it builds the console's rows, hands keys,
// clicks and taps to the running instance, fits the console to the screen,
// tells screen readers what changed, and offers a new game, the history
// view and its file buttons. The program itself is the instance
// createKippfeld makes; a new game is a new instance. What passes between
// page and program (the console's size, the modifier bits, the pointer
// actions, what a push answers) is the program's to say: kippfeld_protocol.
(function () {
  'use strict';

  // The page's own words: words.js (kippfeldWords), one table per language.
  var WORDS = kippfeldWords;
  // The languages the page speaks, in the order the choice offers them.
  var LANGUAGES = ['de', 'en'];
  // Where the player's choice is kept, as "de" or "en".
  var LANGUAGE_KEY = 'kippfeld/language';

  function storedLanguage() {
    try {
      var code = window.localStorage.getItem(LANGUAGE_KEY);
      return LANGUAGES.indexOf(code) >= 0 ? code : null;
    } catch (error) {
      return null;
    }
  }

  // Until the player chooses, the browser's languages decide as the
  // program reads a LANGUAGE list: the first that names a language the
  // page speaks, English when none does.
  function browserLanguage() {
    var list = navigator.languages && navigator.languages.length ? navigator.languages :
      [navigator.language || ''];
    for (var i = 0; i < list.length; i++) {
      var code = String(list[i]).split(/[-_.@]/)[0].toLowerCase();
      if (LANGUAGES.indexOf(code) >= 0) return code;
    }
    return 'en';
  }

  // The page's words and the program's words (the History view, the
  // import's summary, the notices) are in `language`; the game's screens
  // are English only once the player has chosen English, and German
  // until then, the game's own language.
  var chosen = storedLanguage();
  var language = chosen || browserLanguage();
  var words = WORDS[language];

  function screensLanguage() {
    return chosen === 'en' ? 'en' : 'de';
  }

  // Every element that shows a word of the table names it by id:
  // data-word (its text), data-word-label (its aria-label).
  function showWords() {
    document.documentElement.lang = language;
    languageButtons.forEach(function (button) {
      var shown = button.getAttribute('data-language') === language;
      button.setAttribute('aria-pressed', shown ? 'true' : 'false');
    });
    document.querySelectorAll('[data-word]').forEach(function (element) {
      element.textContent = words[element.getAttribute('data-word')];
    });
    document.querySelectorAll('[data-word-label]').forEach(function (element) {
      element.setAttribute('aria-label', words[element.getAttribute('data-word-label')]);
    });
  }
  // Deutsch and English: the one in use is pressed; a press on either is
  // the player's choice, so that the browser's language can be chosen for
  // the screens too.
  var languageButtons = Array.prototype.slice.call(
      document.querySelectorAll('#language button'));
  showWords();

  var consoleBox = document.getElementById('console');
  var screen = document.getElementById('screen');
  var stage = document.getElementById('stage');
  var notice = document.getElementById('notice');
  var announcer = document.getElementById('announce');
  var selection = document.getElementById('selection');
  var playAgain = document.getElementById('play-again');
  var controls = document.getElementById('controls');

  // Set from the first instance: see kippfeld_protocol.
  var protocol = null;
  var rows = [];
  var rowText = [];
  var rowAttributes = [];
  var cursor = { x: 0, y: 0 };

  // What tests and the budget script look at: how often the program waited,
  // how many of its waits needed a timer.
  var waits = { count: 0, timers: 0, active: false, timed: false };
  var game = null;

  // The history's storage and the drill rounds' beside it, one each for
  // every game of this page.
  var environment = {
    indexedDB: window.indexedDB,
    locks: navigator.locks,
    localStorage: (function () {
      try { return window.localStorage; } catch (error) { return null; }
    })(),
  };
  var storage = kippfeldHistoryStorage(environment);
  var drillStorage = kippfeldHistoryStorage(environment, 'drills.tsv');
  // Asks the browser not to clear the history when it runs short of room;
  // one that says no may still do so (the README says when).
  var persisted = navigator.storage && navigator.storage.persist ?
    navigator.storage.persist().catch(function () { return false; }) : Promise.resolve(false);

  function buildRows() {
    for (var y = 0; y < protocol.height; y++) {
      var row = document.createElement('div');
      row.className = 'row';
      row.textContent = ' '.repeat(protocol.width);
      screen.appendChild(row);
      rows.push(row);
      rowText.push(row.textContent);
      rowAttributes.push(new Uint8Array(protocol.width).fill(7));
    }
  }

  // --- What changed, for screen readers ---

  // The rows whose text changed and whether the cursor moved, since the
  // page last handed input over; told once the program has worked it
  // through (it runs within the hand-over).
  var changes = null;

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
    if (changes && text !== rowText[y]) changes.rows[y] = true;
    rowText[y] = text;
    rowAttributes[y] = attributes.slice();
    fitSoon();
  }

  function showCursor(x, y) {
    cursor = { x: x, y: y };
    if (changes) changes.cursor = true;
    selection.textContent = selectedWords();
  }

  function selectedWords() {
    var character = (rowText[cursor.y] || '')[cursor.x] || ' ';
    return words.selected + ': ' + (character === ' ' ? words.blank : character) + ', ' +
        words.row + ' ' + (cursor.y + 1) + ', ' + words.column + ' ' + (cursor.x + 1);
  }

  function announce(changed) {
    var lines = [];
    for (var y = 0; y < rowText.length; y++) {
      if (!changed.rows[y]) continue;
      var line = rowText[y].replace(/\s+/g, ' ').trim();
      if (line) lines.push(line);
    }
    if (!lines.length && !changed.cursor) return;
    lines.push(selectedWords());
    announcer.textContent = lines.join('. ');
  }

  // The notice: a word of the page's (by id, so that it follows the
  // language) and what the program said after it.
  var noticeWord = null;
  var noticeRest = '';
  function say(word, rest) {
    noticeWord = word || null;
    noticeRest = rest || '';
    notice.textContent = noticeWord ? words[noticeWord] + noticeRest : '';
  }

  // --- The running instance ---

  // drill: a drill instead of the practice and the test (the tasks the
  // stored history picks).
  function start(drill) {
    // The game under way, if any, is put aside: it gets no more input and
    // shows nothing more, even from a pause it is in (a drill may start in
    // the middle of a test's OK signal).
    if (game) {
      game.finished = true;
      game.kippfeldPage.retired = true;
    }
    screen.removeAttribute('data-exit-code');
    playAgain.hidden = true;
    say(null);
    var page = {
      showRow: showRow, showCursor: showCursor, waits: waits, wake: null, ended: null,
      storage: storage, drillStorage: drillStorage, jobs: [], job: null, wakeForJobs: null,
      releases: [],
      words: function () { return words; },
    };
    var module = {
      kippfeldPage: page, pending: [], ready: false, finished: false, screens: screensLanguage(),
      drill: !!drill,
    };
    page.ended = function (exitCode) {
      module.finished = true;
      screen.setAttribute('data-exit-code', String(exitCode));
      var failure = historyFailure(module);
      if (failure) say(module.drill ? 'roundNotRecorded' : 'notRecorded', failure);
      playAgain.hidden = false;
      if (!historyView.hidden) showHistory();
    };
    module.print = function (text) { console.log(text); };
    module.printErr = function (text) { console.warn(text); };
    module.onRuntimeInitialized = function () {
      if (!protocol) {
        protocol = JSON.parse(module.UTF8ToString(module._kippfeld_protocol()));
        buildRows();
      }
      // Before main: the screens' language is the game's from its start.
      callWithTexts(module, 'kippfeld_screens_language', [module.screens]);
      callWithTexts(module, 'kippfeld_language', [language]);
      if (module.drill) module._kippfeld_drill();
      module.ready = true;
      // Input that came while the program was loading goes first, in order.
      module.pending.splice(0).forEach(function (send) { send(); });
    };
    module.onAbort = function (what) {
      if (page.retired) return;
      module.finished = true;
      module.aborted = true;
      // Jobs the program will never do are answered with nothing.
      page.jobs.splice(0).forEach(function (job) {
        job.resolve({ bytes: new Uint8Array(0), text: '', problems: '' });
      });
      say('stopped', what);
      playAgain.hidden = false;
    };
    game = module;
    createKippfeld(module);
    consoleBox.focus();
  }

  // Runs send (which pushes input and says whether it did) now, or once the
  // instance is ready; a program waiting for input is woken at once, works
  // the input through and what it changed is told.
  function deliver(send) {
    var module = game;
    if (!module || module.finished) return;
    var run = function () {
      var pushed = send(module) === protocol.queued;
      var wake = module.kippfeldPage.wake;
      if (!pushed || !wake) return;
      var changed = changes = { rows: {}, cursor: false };
      try {
        wake();
      } finally {
        changes = null;
      }
      announce(changed);
    };
    if (module.ready) run(); else module.pending.push(run);
  }

  // --- Keys ---

  // The modifier state, named as the protocol names its bits; turned into
  // bits once the program has said them.
  function modifierState(event) {
    var state = function (name) { return !!(event.getModifierState && event.getModifierState(name)); };
    return {
      shift: event.shiftKey, ctrl: event.ctrlKey, alt: event.altKey, meta: event.metaKey,
      altGraph: state('AltGraph'), capsLock: state('CapsLock'), numLock: state('NumLock'),
      scrollLock: state('ScrollLock'), composing: event.isComposing || event.keyCode === 229,
    };
  }

  function modifierBits(state) {
    var bits = 0;
    Object.keys(state).forEach(function (name) {
      if (state[name]) bits |= protocol.modifiers[name];
    });
    return bits;
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

  function sendKey(module, code, key, state) {
    return callWithTexts(module, 'kippfeld_key', [code, key], [modifierBits(state)]);
  }

  // Whether the browser keeps the key (its shortcuts, the function keys,
  // Tab): the program's rule. Before an instance is loaded the browser
  // keeps every key, and the game gets it too once it is there.
  function browserKeeps(code, key, state) {
    if (!game || !game.ready) return true;
    return callWithTexts(game, 'kippfeld_browser_keeps', [code, key], [modifierBits(state)]) !== 0;
  }

  consoleBox.addEventListener('keydown', function (event) {
    var code = event.code || '';
    var key = event.key || '';
    var state = modifierState(event);
    if (!browserKeeps(code, key, state)) event.preventDefault();
    deliver(function (module) { return sendKey(module, code, key, state); });
  });

  // The on-screen keys give the key strings of the real ones. They never
  // take the focus from the console.
  document.querySelectorAll('#keys .key').forEach(function (button) {
    button.addEventListener('pointerdown', function (event) { event.preventDefault(); });
    button.addEventListener('click', function () {
      var code = button.getAttribute('data-code');
      var key = button.getAttribute('data-key');
      deliver(function (module) { return sendKey(module, code, key, {}); });
      consoleBox.focus();
    });
  });

  // --- Mouse and touch ---

  // Half the side of the square a finger needs (44 CSS px): a touch lands
  // on the nearest character with text within it, so that a digit of the
  // field takes a tap anywhere near it. The mouse points exactly.
  var REACH = 22;

  // The cell a pointer event is for: pointerType 'touch' or 'pen' on the
  // nearest text in reach.
  function cellOf(event) {
    var box = screen.getBoundingClientRect();
    var cellWidth = box.width / protocol.width;
    var cellHeight = box.height / protocol.height;
    var exactX = (event.clientX - box.left) / cellWidth;
    var exactY = (event.clientY - box.top) / cellHeight;
    var clamp = function (value, size) { return Math.min(Math.max(Math.floor(value), 0), size - 1); };
    var cell = { x: clamp(exactX, protocol.width), y: clamp(exactY, protocol.height) };
    if (event.pointerType !== 'touch' && event.pointerType !== 'pen') return cell;
    if ((rowText[cell.y] || '')[cell.x] !== ' ') return cell;
    var best = null;
    var nearest = Infinity;
    var top = clamp(exactY - REACH / cellHeight, protocol.height);
    var bottom = clamp(exactY + REACH / cellHeight, protocol.height);
    var left = clamp(exactX - REACH / cellWidth, protocol.width);
    var right = clamp(exactX + REACH / cellWidth, protocol.width);
    for (var y = top; y <= bottom; y++) {
      for (var x = left; x <= right; x++) {
        if (rowText[y][x] === ' ') continue;
        // From the touch to the nearest point of the cell, in CSS px.
        var dx = Math.max(x - exactX, 0, exactX - (x + 1)) * cellWidth;
        var dy = Math.max(y - exactY, 0, exactY - (y + 1)) * cellHeight;
        if (dx > REACH || dy > REACH) continue;
        var distance = dx * dx + dy * dy;
        if (distance < nearest) {
          nearest = distance;
          best = { x: x, y: y };
        }
      }
    }
    return best || cell;
  }

  function sendPointer(action, event) {
    if (!protocol) return;
    var cell = cellOf(event);
    var button = event.button < 0 ? 0 : event.button;
    var time = event.timeStamp;
    deliver(function (module) {
      return module._kippfeld_pointer(protocol.pointer[action], cell.x, cell.y, button, time);
    });
  }

  // The whole stage takes pointers: a finger's reach goes past the edge
  // of the part of the console in view.
  stage.addEventListener('pointerdown', function (event) {
    touchedLast = event.pointerType === 'touch';
    consoleBox.focus({ preventScroll: true });
    if (stage.setPointerCapture) {
      try { stage.setPointerCapture(event.pointerId); } catch (e) { /* not capturable */ }
    }
    sendPointer('down', event);
  });
  stage.addEventListener('pointerup', function (event) { sendPointer('up', event); });
  stage.addEventListener('pointercancel', function (event) { sendPointer('up', event); });
  stage.addEventListener('pointermove', function (event) { sendPointer('move', event); });
  stage.addEventListener('wheel', function (event) { sendPointer('wheel', event); },
      { passive: true });
  // No word selection on a double click, no scrolling by the middle button.
  stage.addEventListener('mousedown', function (event) {
    if (event.detail > 1 || event.button === 1) event.preventDefault();
  });
  stage.addEventListener('contextmenu', function (event) { event.preventDefault(); });
  // A finger held on the console selects nothing.
  var touchedLast = false;
  stage.addEventListener('selectstart', function (event) {
    if (touchedLast) event.preventDefault();
  });

  // --- Fitting the console to the screen ---
  //
  // The whole console when it fits with text at least READABLE CSS px
  // high, as large as the window allows. Otherwise (phones, small or low
  // windows) only the part of the console that has text on it, with a
  // margin, as large as fits, centred; where that part is too wide for
  // text READABLE px high but the screen has the height, the text keeps
  // more of its height and is narrowed (to NARROWEST of its width at
  // most). Either way the rows grow taller than the text (up to TALLEST
  // times its size) where the screen has the height, so that what lies on
  // separate rows is far enough apart for a finger.
  var READABLE = 16;
  var NARROWEST = 0.7;
  var LINE = 1.2;
  var TALLEST = 2.6;
  var MARGIN = 8;
  var advance = 0;  // a character's width for 1 px of font size

  // The cells with text or a coloured background; null on a blank screen.
  function usedBox() {
    var top = -1;
    var bottom = -1;
    var left = protocol.width;
    var right = -1;
    for (var y = 0; y < rowText.length; y++) {
      var text = rowText[y];
      var attributes = rowAttributes[y];
      for (var x = 0; x < text.length; x++) {
        if (text[x] === ' ' && (attributes[x] >> 4) === 0) continue;
        if (top < 0) top = y;
        bottom = y;
        left = Math.min(left, x);
        right = Math.max(right, x);
      }
    }
    if (top < 0) return null;
    return { left: left, top: top, columns: right - left + 1, rows: bottom - top + 1 };
  }

  function fit() {
    if (!protocol || consoleBox.hidden) return;
    if (!advance) {
      screen.style.fontSize = '100px';
      advance = screen.scrollWidth / protocol.width / 100;
    }
    var width = document.documentElement.clientWidth - 2 * MARGIN;
    var height = window.innerHeight - controls.offsetHeight - 2 * MARGIN;
    var whole = { left: 0, top: 0, columns: protocol.width, rows: protocol.height };
    var wide = function (box) { return width / (box.columns * advance); };
    var high = function (box) { return height / (box.rows * LINE); };
    var box = whole;
    var size = Math.min(wide(whole), high(whole));
    var narrowed = 1;
    if (size < READABLE) {
      // A blank screen (the game clears it before it draws) keeps the fit
      // it has: nothing to fit to, and no jump on the way.
      box = usedBox();
      if (!box) return;
      size = Math.min(wide(box), high(box));
      var wanted = Math.min(READABLE, high(box));
      if (size < wanted) {
        narrowed = Math.max(NARROWEST, size / wanted);
        size = size / narrowed;
      }
    }
    size = Math.max(4, size);
    var row = Math.max(size * LINE, Math.min(size * TALLEST, height / box.rows));
    screen.style.fontSize = size.toFixed(2) + 'px';
    screen.style.setProperty('--row', row.toFixed(2) + 'px');
    var cellWidth = size * advance * narrowed;
    consoleBox.style.width = (box.columns * cellWidth).toFixed(2) + 'px';
    consoleBox.style.height = (box.rows * row).toFixed(2) + 'px';
    screen.style.transform = 'translate(' + (-box.left * cellWidth).toFixed(2) + 'px,' +
        (-box.top * row).toFixed(2) + 'px)' + (narrowed < 1 ? ' scaleX(' + narrowed.toFixed(4) + ')' : '');
    consoleBox.setAttribute('data-narrowed', narrowed.toFixed(2));
    consoleBox.setAttribute('data-fit', box === whole ? 'whole' : 'text');
  }

  // Once per frame at most, after the rows of a change are all in.
  var fitPending = false;
  function fitSoon() {
    if (fitPending) return;
    fitPending = true;
    requestAnimationFrame(function () {
      fitPending = false;
      fit();
    });
  }
  window.addEventListener('resize', fitSoon);
  window.addEventListener('orientationchange', fitSoon);

  playAgain.addEventListener('click', function () {
    showView(false);
    start();
  });
  // A drill starts at once, in place of the game under way (which the
  // player leaves as Esc would, keeping nothing of an unfinished test).
  document.getElementById('start-drill').addEventListener('click', function () {
    showView(false);
    start(true);
  });
  consoleBox.addEventListener('pointerdown', function () { consoleBox.focus({ preventScroll: true }); });

  // --- History (kept in the browser's storage) ---

  var historyView = document.getElementById('history');
  var historyReport = document.getElementById('history-report');
  var historyMessages = document.getElementById('history-messages');
  var addHistory = document.getElementById('add-history');

  function historyFailure(module) {
    return module.ready ? module.UTF8ToString(module._kippfeld_history_failure()) : '';
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
    stage.hidden = history;
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

  // --- The language ---

  // The player's choice, kept for the next visit: the page's words and the
  // program's change at once (the History view is read again in them); the
  // screens of a game under way stay as they are, and the next game has
  // the chosen ones.
  function chooseLanguage(code) {
    if (LANGUAGES.indexOf(code) < 0) return;
    chosen = code;
    try {
      window.localStorage.setItem(LANGUAGE_KEY, code);
    } catch (error) { /* chosen for this visit only */ }
    var changed = code !== language;
    language = code;
    words = WORDS[language];
    showWords();
    selection.textContent = selectedWords();
    say(noticeWord === 'screensNext' ? null : noticeWord, noticeRest);
    var module = game;
    if (module && module.ready && !module.aborted) {
      if (changed) callWithTexts(module, 'kippfeld_language', [language]);
      if (!module.finished && module.screens !== screensLanguage()) say('screensNext');
    }
    if (changed && !historyView.hidden) showHistory();
  }

  languageButtons.forEach(function (button) {
    button.addEventListener('click', function () {
      chooseLanguage(button.getAttribute('data-language'));
    });
  });

  // --- Installed and offline ---

  // Served from a web server the page is an installable app that also
  // opens offline (manifest.webmanifest, sw.js beside it); opened from
  // disk it registers nothing.
  if (/^https?:$/.test(location.protocol)) {
    var manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.appendChild(manifest);
    if ('serviceWorker' in navigator) {
      window.addEventListener('load', function () {
        navigator.serviceWorker.register('sw.js').catch(function () { /* online only */ });
      });
    }
  }

  window.kippfeld = {
    waits: waits,
    instance: function () { return game; },
    fit: fit,
    cellAt: function (clientX, clientY, pointerType) {
      return cellOf({ clientX: clientX, clientY: clientY, pointerType: pointerType });
    },
    addRecords: addRecords,
    storage: storage,
    drillStorage: drillStorage,
    persisted: persisted,
    words: WORDS,
    language: function () { return language; },
    chooseLanguage: chooseLanguage,
  };

  start();
})();
