// The program's own texts and the small formatting they need: the one home of
// every German text the code shows, below every other folder (it includes
// nothing of the program), portable, so the exact wording is tested natively.
// The dialog templates hold the texts of their own controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace kontakta {

namespace texts {

constexpr const char16_t* programName = u"Kontakta";
constexpr const char16_t* makerName = u"KORVA";
constexpr const char16_t* version = u"3.2";
// Title of the main window, name of the single-instance mutex and the text a
// second instance looks for.
constexpr const char16_t* mainTitle = u"KORVA Kontakta";

// Names of the input box, by its kind (1 eight inputs, 2 six inputs, other:
// none).
constexpr const char16_t* deviceNameEightInputs = u"Kontakta KT8";
constexpr const char16_t* deviceNameSixInputs = u"Kontakta KT6";
constexpr const char16_t* deviceNameNone = u"Kein Eingabegerät";
const char16_t* DeviceName(int32_t deviceKind);

// The names of the action groups and of the mouse actions, in the order of
// their values.
constexpr const char16_t* actionGroupNames[3] = {u"Maustaste", u"Tastatur", u"Datei/Aktion ausführen"};
constexpr const char16_t* mouseActionNames[7] = {
    u"Links drücken/loslassen",
    u"Links Klick",
    u"Doppelklick",
    u"Mitte Klick",
    u"Mitte drücken/loslassen",
    u"Rechts Klick",
    u"Rechts drücken/loslassen",
};

// The groups after those three, in the order of their values (3 to 5), and
// the actions they offer, in the order of the editor's lists.
constexpr const char16_t* laterGroupNames[3] = {u"Mauszeiger bewegen", u"Mausrad", u"Kontakta steuern"};
constexpr const char16_t* pointerDirectionNames[8] = {
    u"nach oben",       u"nach unten",       u"nach links",       u"nach rechts",
    u"nach links oben", u"nach rechts oben", u"nach links unten", u"nach rechts unten",
};
constexpr const char16_t* wheelDirectionNames[4] = {u"nach oben", u"nach unten", u"nach links", u"nach rechts"};
constexpr const char16_t* controlActionNames[5] = {u"Sensoren pausieren / fortsetzen", u"Alle Tasten loslassen",
                                                   u"Bildschirm abtasten", u"Abtasten: weiter", u"Nächstes Profil"};
// A modifier alone as a key action, by its value (0: none, the key).
constexpr const char16_t* modifierAloneNames[5] = {u"", u"UMSCHALT", u"STRG", u"ALT", u"WIN"};
// The key panel's list of what goes with the key: nothing, the WIN key, or
// a modifier alone instead of the key (in the order of ModifierAlone).
constexpr const char16_t* keyExtraNames[6] = {u"nur Taste", u"WIN+Taste", u"nur UMSCHALT",
                                              u"nur STRG",  u"nur ALT",   u"nur WIN"};
// What a latched action's row adds.
constexpr const char16_t* latchedSuffix = u" (eingerastet)";

// "'%s' konnte nicht geöffnet werden!": a target the shell refused.
std::u16string OpenFailure(const std::u16string& path);
// A sensor's mouse or key action that goes to a window of a program with
// higher rights than ours (Windows drops such input).
constexpr const char16_t* elevatedWindow =
    u"Kontakta kann dieses Fenster nicht bedienen, weil es mit Administratorrechten läuft.";
// A sensor's mouse or key action that Windows refused: another desktop had
// the input (the lock screen, a security prompt).
constexpr const char16_t* inputRefused =
    u"Windows hat eine Eingabe von Kontakta abgewiesen: Solange der Sperrbildschirm oder eine "
    u"Sicherheitsabfrage angezeigt wird, kann Kontakta nichts bedienen.";

// Tips of the notification-area icon.
constexpr const char16_t* trayTipAdded = u"Kontakta";
std::u16string TrayTip(bool boxUnreadable);

std::u16string SplashStatus();     // "Kontakta Version: 3.2 wird gestartet..."
std::u16string ExitQuestion();     // "Kontakta wirklich beenden?"
std::u16string SettingsCaption();  // "Kontakta - Konfigurationsmwenü"
std::u16string InfoVersionText();  // "Kontakta Version: 3.2\nfür Windows "
// The status line of the settings sheet: which box is connected.
std::u16string DeviceStatusText(bool boxUnreadable, int32_t deviceKind);

// Messages of the start-up.
constexpr const char16_t* machineKeyMissing = u"Registry konnte nicht geöffnet werden";
constexpr const char16_t* userKeyMissing = u"Registry konnte nicht geöffnent werden";
constexpr const char16_t* documentsMissing = u"Verzeichnis 'Eigene Documents' konnte nicht gelesen werden!";
std::u16string DirectoryInvalid(const std::u16string& directory);  // "Verzeichnis '%s' ist ungültig!"

// "Die Datei Settings.dat Version %d ist nicht kompatibel zu %s": a settings
// file of another format version.
std::u16string VersionIncompatible(int32_t version);

// The settings file could not be written by the settings sheet's OK; names
// the file.
std::u16string SaveFailed(const std::u16string& file);
// Lines of the log beside the settings: the save at shutdown failed, and why.
// "Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '%s' ..."
std::u16string ShutdownSaveFileMissing(const std::u16string& file);     // "... fehlt."
std::u16string ShutdownSaveFileUnreadable(const std::u16string& file);  // "... ist gesperrt oder nicht lesbar."
std::u16string ShutdownSaveNotReplaced(const std::u16string& file);     // "... konnte nicht ersetzt werden."

// Registry keys: HKEY_LOCAL_MACHINE for the installation, HKEY_CURRENT_USER
// for the update code.
std::u16string MachineKeyPath();  // "Software\KORVA\KORVA Kontakta"
std::u16string UserKeyPath();     // "Software\KORVA\Kontakta"
// "<documents>\Kontakta User Files\"
std::u16string UserFilesDirectoryFor(const std::u16string& documents);

// Texts of the settings sheet, the action editor and its panels.
constexpr const char16_t* pageTitleGeneral = u"Allgemein";
constexpr const char16_t* pageTitleInfo = u"Info";
constexpr const char16_t* pageTitleTest = u"Test und Filter";
// The counters of the test page: presses that counted, touches the filters
// ignored ("12 / 3").
std::u16string ActivityCounts(uint32_t presses, uint32_t ignoredTouches);
// The tray menu's pause and release entries, and the tip while paused.
constexpr const char16_t* pauseSensors = u"Sensoren pausieren";
constexpr const char16_t* releaseAllKeys = u"Alle Tasten loslassen";
std::u16string PausedTip();  // "KORVA Kontakta - pausiert"
// With more than one profile: "KORVA Kontakta - Profil: NAME".
std::u16string ProfileTip(const std::u16string& name);
// The tray menu's submenu of the profiles.
constexpr const char16_t* profileMenu = u"Profil";
// What a sensor holds latched, for the tip and the on-screen indicator: the
// buttons of the press/release kinds, the modifiers alone, and the prefix
// of WIN in a key combination (after "STRG+", "SHIFT+", "ALT+").
constexpr const char16_t* latchedLeft = u"Links";
constexpr const char16_t* latchedMiddle = u"Mitte";
constexpr const char16_t* latchedRight = u"Rechts";
constexpr const char16_t* modifierShift = u"UMSCHALT";
constexpr const char16_t* modifierCtrl = u"STRG";
constexpr const char16_t* modifierAlt = u"ALT";
constexpr const char16_t* modifierWin = u"WIN";
constexpr const char16_t* winPrefix = u"WIN+";
// "KORVA Kontakta - eingerastet: UMSCHALT, Links"
std::u16string LatchedTip(const std::u16string& held);
// The scan's two control actions and the items of its menu.
constexpr const char16_t* scanScreen = u"Bildschirm abtasten";
constexpr const char16_t* scanStep = u"Abtasten: weiter";
constexpr const char16_t* scanDrop = u"Ablegen";
constexpr const char16_t* scanLeftClick = u"Linksklick";
constexpr const char16_t* scanDoubleClick = u"Doppelklick";
constexpr const char16_t* scanRightClick = u"Rechtsklick";
constexpr const char16_t* scanDrag = u"Ziehen";
constexpr const char16_t* scanWheelUp = u"Mausrad auf";
constexpr const char16_t* scanWheelDown = u"Mausrad ab";
constexpr const char16_t* scanCancel = u"Abbrechen";
// The refinement's checkbox on the panel of "Bildschirm abtasten".
constexpr const char16_t* scanRefine = u"Fein nachführen";
// The indicator's lines: "Eingerastet: UMSCHALT, Links" and "Kontakta pausiert".
std::u16string IndicatorLatched(const std::u16string& held);
constexpr const char16_t* indicatorPaused = u"Kontakta pausiert";
std::u16string EditorCaption(int sensorNumber);  // "Aktion für Sensor %d bearbeiten"
// "Wenn Sie Sensor %d betätigen wird die ausgewählte Maustasten-Aktion ausgeführt."
std::u16string MouseInfoText(int sensorNumber);
// "Wenn Sie Sensor %d betätigen wird die ausgewählte Aktion gestartet. Es können ..."
std::u16string RunFileInfoText(int sensorNumber);
// A sensor page row whose keyboard or run-file action is missing.
constexpr const char16_t* noKeySelected = u"###### KEINE TASTE AUSGEWÄHLT ######";
constexpr const char16_t* noActionSelected = u"###### KEINE AKTION AUSGEWÄHLT ######";
// The key capture field: modifier prefixes, always in this order, the text of
// ALT+TAB, and the name of a key that the system cannot name.
constexpr const char16_t* ctrlPrefix = u"STRG+";
constexpr const char16_t* shiftPrefix = u"SHIFT+";
constexpr const char16_t* altPrefix = u"ALT+";
constexpr const char16_t* altTabText = u"ALT+TABULATOR";
constexpr const char16_t* unnamedKey = u"Non-Standard-KeyCode";
constexpr const char16_t* fileDialogTitle = u"Datei auswählen";
// The file dialog's filter "Verknüpfungen (*.lnk)|*.lnk|Ausführbare Dateien
// (*.exe)|*.exe|Alle Dateien (*.*)|*.*||" as Windows takes it: each '|' a zero
// unit, so the result ends in two zero units (OPENFILENAMEW's lpstrFilter is
// a list of zero-terminated pairs closed by an empty string).
std::u16string FileDialogFilter();
// Our own message when a path does not fit the record: names the limit.
// "Der Pfad ist zu lang: Es sind höchstens %d Zeichen möglich."
std::u16string PathTooLong(size_t maximum);

// What a screen reader says of the windows' controls, where the window
// shows a number, a colour or nothing: "Sensor 3 eingeschaltet" (the row's
// box), "Sensor 3 bearbeiten" (its button), "Sensor 3: gedrückt" or "Sensor
// 3: nicht gedrückt" (its lamp), "Sensor 3 Mindest-Haltezeit in
// Millisekunden" and "Sensor 3 Sperrzeit nach dem Loslassen in
// Millisekunden" (its time fields), "Sensor 3 Aktionsgruppe: Tastatur" and
// "Sensor 3 Aktion: STRG+C" (its statics).
std::u16string RowSwitchName(int sensorNumber);
std::u16string RowEditName(int sensorNumber);
std::u16string LampName(int sensorNumber, bool pressed);
std::u16string HoldFieldName(int sensorNumber);
std::u16string LockoutFieldName(int sensorNumber);
std::u16string RowGroupName(int sensorNumber, const std::u16string& group);
std::u16string RowActionName(int sensorNumber, const std::u16string& action);
// The words of a pressed lamp, which a high-contrast lamp also shows.
constexpr const char16_t* lampPressed = u"gedrückt";
constexpr const char16_t* lampReleased = u"nicht gedrückt";
// A row switched off because it has nothing to do, in words.
constexpr const char16_t* rowOffNoKey = u"Ausgeschaltet: Es ist keine Taste ausgewählt.";
constexpr const char16_t* rowOffNoTarget = u"Ausgeschaltet: Es ist keine Datei oder Adresse ausgewählt.";
constexpr const char16_t* noKeyInWords = u"keine Taste ausgewählt";
constexpr const char16_t* noTargetInWords = u"keine Datei oder Adresse ausgewählt";
// The key capture field, the list beside its repeat box, the file button.
constexpr const char16_t* keyFieldName = u"Taste";
// The key field's description for screen readers, armed and disarmed.
constexpr const char16_t* keyFieldArmed =
    u"Bereit: Die nächste Taste oder Tastenkombination wird übernommen, auch Tab, Eingabe und Esc.";
constexpr const char16_t* keyFieldDisarmed = u"Leertaste oder Eingabetaste: bereit machen. Tab verlässt das Feld.";
constexpr const char16_t* modifierListName = u"Zusatz zur Taste";
constexpr const char16_t* browseName = u"Datei auswählen";

// Profiles and their export. Each message about a file names it.
constexpr const char16_t* exportFileFilterName = u"Kontakta-Einstellungen (*.kontakta)";
// "Kontakta-Einstellungen (*.kontakta)|*.kontakta|Alle Dateien (*.*)|*.*||"
// with each '|' a zero unit, as OPENFILENAMEW's lpstrFilter takes it.
std::u16string ExportFileFilter();
std::u16string ImportCannotRead(const std::u16string& file);
std::u16string ImportNotExportFile(const std::u16string& file);
std::u16string ImportDamaged(const std::u16string& file);
std::u16string ImportCutShort(const std::u16string& file);
std::u16string ImportLaterVersion(const std::u16string& file);
std::u16string ImportTooLarge(const std::u16string& file);
constexpr const char16_t* profileNameEmpty = u"Bitte geben Sie einen Namen für das Profil ein.";
std::u16string ProfileNameTooLong(size_t maximum);
constexpr const char16_t* profileNameControl =
    u"Der Name darf keine Steuerzeichen (wie Zeilenumbrüche oder Tabulatoren) enthalten.";
constexpr const char16_t* profileNameTaken = u"Ein Profil mit diesem Namen gibt es schon.";
std::u16string TooManyProfiles(size_t maximum);
constexpr const char16_t* lastProfile = u"Das letzte Profil kann nicht gelöscht werden.";
constexpr const char16_t* noSuchProfile = u"Dieses Profil gibt es nicht mehr.";
constexpr const char16_t* profileAlreadyFirst = u"Das Profil steht schon an erster Stelle.";
constexpr const char16_t* profileAlreadyLast = u"Das Profil steht schon an letzter Stelle.";
constexpr const char16_t* programInvalid =
    u"Bitte geben Sie den Dateinamen eines Programms ohne Ordner ein, zum Beispiel \"winword.exe\".";
constexpr const char16_t* programRepeated = u"Dieses Programm steht schon in der Liste.";
std::u16string TooManyPrograms(size_t maximum);
// The "Profile" page: its title, the mark of the active profile and of a
// profile its user cannot leave, the warning and the note under the list.
constexpr const char16_t* pageTitleProfiles = u"Profile";
constexpr const char16_t* profileActiveMark = u" (aktiv)";
constexpr const char16_t* profileTrapMark = u" \u2013 ohne Weg zurück!";
// "Achtung: Aus „A“ kommt der Benutzer allein nicht mehr heraus: ..."
std::u16string ProfileTrapWarning(const std::u16string& quotedNames, bool several);
// "Die Seiten „Allgemein“ und „Test und Filter“ zeigen das Profil „%s“. ..."
std::u16string ProfileLiveNote(const std::u16string& live, const std::u16string& active, bool changed);
// The same when the page deleted the profile that acts until OK.
std::u16string ProfileLiveNoteDeleted(const std::u16string& active);
// The same when an import replaced the profile that acts until OK.
std::u16string ProfileLiveNoteReplaced(const std::u16string& live, const std::u16string& active);
std::u16string Quoted(const std::u16string& text);  // „text“
std::u16string SuggestedProfileName(int number);    // "Profil %d"
constexpr const char16_t* allProfilesFileName = u"Kontakta-Profile";
// Captions and questions of the page's dialogs.
constexpr const char16_t* newProfileCaption = u"Neues Profil";
constexpr const char16_t* renameProfileCaption = u"Profil umbenennen";
std::u16string ProgramsCaption(const std::u16string& profile);  // "Programme für „%s“"
std::u16string DeleteProfileQuestion(const std::u16string& profile);
std::u16string ExportWhichQuestion(size_t count, const std::u16string& selected);
constexpr const char16_t* exportDialogTitle = u"Profile exportieren";
constexpr const char16_t* importDialogTitle = u"Datei mit Profilen öffnen";
std::u16string ExportFailed(const std::u16string& file);
std::u16string ExportDone(const std::u16string& file, size_t count);
// The import dialog.
std::u16string ImportHeading(const std::u16string& file);
std::u16string ImportNewLine(const std::u16string& profile);       // "„%s“ – neu"
std::u16string ImportReplacesLine(const std::u16string& profile);  // "„%s“ – ersetzt das Profil gleichen Namens"
std::u16string ImportTargetLine(const std::u16string& profile, int sensor, const std::u16string& path, bool active);
constexpr const char16_t* importNoTargets = u"Keines dieser Profile öffnet eine Datei, ein Programm oder eine Adresse.";
std::u16string ImportChooseNote(size_t count, size_t maximum);
constexpr const char16_t* importPlainNote =
    u"Profile gleichen Namens werden ersetzt, die anderen hinten angefügt. Übernommen wird erst mit "
    u"„Übernehmen“ und wirksam mit OK.";

// Replaces each "%s" or "%d" of `pattern`, in order, with the next argument;
// "%%" gives a percent sign. Missing arguments leave the rest empty.
std::u16string Fill(const std::u16string& pattern, std::initializer_list<std::u16string> arguments);

std::u16string Decimal(int64_t value);

}  // namespace texts

}  // namespace kontakta
