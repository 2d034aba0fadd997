// Every word the page shows or says outside the console, by id, one table
// per language: the buttons, their labels for screen readers, the console's
// label, the fixed words of what is told after a move, the notices (each
// followed by the program's own line, as the terminal prints it), and the
// installed app's description (the build writes it into the manifest).
// Another language is another table under its own language tag.
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
    showHistory: 'Verlauf',
    saveHistory: 'Verlauf speichern',
    addHistory: 'Einträge aus einer Datei hinzufügen',
    closeHistory: 'Zurück zum Spiel',
    historyLabel: 'Verlauf der Tests',
    selected: 'ausgewählt',
    row: 'Zeile',
    column: 'Spalte',
    blank: 'leer',
    stopped: 'Das Programm ist stehen geblieben: ',
    notRecorded: 'Dieser Test ist nicht gespeichert worden. ',
    appDescription: 'Kippfeld: ein Denkspiel mit neun Feldern aus 0 und 1. Erst üben, dann ' +
        'zwölf Aufgaben auf Zeit.',
  },
};
