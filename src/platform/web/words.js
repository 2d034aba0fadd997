// Every word the page shows or says outside the console, by id, one table
// per language: the buttons, their labels for screen readers, the console's
// label, the fixed words of what is told after a move, the notices (each
// followed by the program's own line, as the terminal prints it), why the
// browser's storage failed (the program puts it into its own line), and the
// installed app's description (the build writes it into the manifest).
// Another language is another table under its own language tag, and an
// entry in page.js's LANGUAGES.
// eslint-disable-next-line no-unused-vars
var kippfeldWords = {
  de: {
    consoleLabel: 'kippfeld, Spielkonsole. Tasten: Pfeiltasten, Bild auf, Bild ab, Pos1 und ' +
        'Ende wählen ein Feld, die Eingabetaste macht seinen Zug, P beginnt den Test, Esc ' +
        'bricht ab. Ein Doppelklick oder Doppeltipp auf eine Ziffer macht ihren Zug. Mit ' +
        'Tab geht es zu den Knöpfen unter dem Spiel.',
    keyEnter: 'Enter',
    keyEnterLabel: 'Eingabetaste',
    keyP: 'P',
    keyPLabel: 'Taste P',
    keyEscape: 'Esc',
    keyEscapeLabel: 'Escape-Taste',
    keysLabel: 'Tasten des Spiels',
    playAgain: 'Neues Spiel',
    startDrill: 'Drill',
    showHistory: 'Verlauf',
    saveHistory: 'Verlauf speichern',
    addHistory: 'Einträge aus einer Datei hinzufügen',
    closeHistory: 'Zurück zum Spiel',
    historyLabel: 'Verlauf der Tests',
    selected: 'ausgewählt',
    row: 'Zeile',
    column: 'Spalte',
    blank: 'leer',
    languageLabel: 'Sprache',
    screensNext: 'Das Spiel zeigt seine Bildschirme ab dem nächsten Spiel auf Deutsch.',
    storageFull: 'der Speicher des Browsers ist voll',
    storageRefused: 'der Browser verweigert seinen Speicher ({1})',
    noMemory: 'der Seite fehlt der Speicher für den Verlauf',
    stopped: 'Das Programm ist stehen geblieben: ',
    notRecorded: 'Dieser Test ist nicht gespeichert worden. ',
    roundNotRecorded: 'Eine Drill-Runde ist nicht gespeichert worden. ',
    appDescription: 'Kippfeld: ein Denkspiel mit neun Feldern aus 0 und 1. Erst üben, dann ' +
        'zwölf Aufgaben auf Zeit.',
  },
  en: {
    consoleLabel: 'kippfeld, game console. Keys: the arrow keys, Page Up, Page Down, Home and ' +
        'End choose a cell, Enter makes its move, P starts the test, Esc quits. A double ' +
        'click or double tap on a digit makes its move. Tab takes you to the buttons below ' +
        'the game.',
    keyEnter: 'Enter',
    keyEnterLabel: 'Enter key',
    keyP: 'P',
    keyPLabel: 'P key',
    keyEscape: 'Esc',
    keyEscapeLabel: 'Escape key',
    keysLabel: 'Game keys',
    playAgain: 'New game',
    startDrill: 'Drill',
    showHistory: 'History',
    saveHistory: 'Save history',
    addHistory: 'Add records from a file',
    closeHistory: 'Back to the game',
    historyLabel: 'History of your tests',
    selected: 'selected',
    row: 'row',
    column: 'column',
    blank: 'blank',
    languageLabel: 'Language',
    screensNext: 'The game shows its screens in English from the next game on.',
    storageFull: 'the browser\'s storage is full',
    storageRefused: 'the browser refused its storage ({1})',
    noMemory: 'the page has no memory left for the history',
    stopped: 'The program has stopped: ',
    notRecorded: 'This test has not been saved. ',
    roundNotRecorded: 'A drill round has not been saved. ',
    appDescription: 'Kippfeld: a puzzle of nine cells of 0 and 1. Practise first, then ' +
        'twelve tasks against the clock.',
  },
};
