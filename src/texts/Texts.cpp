#include "texts/Texts.h"

#include <algorithm>

namespace kontakta {

namespace texts {

std::u16string Fill(const std::u16string& pattern, std::initializer_list<std::u16string> arguments)
{
    std::u16string result;
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size()) {
            const char16_t kind = pattern[i + 1];
            if (kind == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (kind == u's' || kind == u'd') {
                if (next != arguments.end()) result += *next++;
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

std::u16string Decimal(int64_t value)
{
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? u"-" + digits : digits;
}

std::u16string TrayTip(bool boxUnreadable)
{
    return boxUnreadable ? Fill(u"%s - Kein Eingabegerät gefunden!", {mainTitle}) : Fill(u"%s", {mainTitle});
}

std::u16string SplashStatus()
{
    return Fill(u"%s Version: %s wird gestartet...", {programName, version});
}

std::u16string ExitQuestion()
{
    return Fill(u"%s wirklich beenden?", {programName});
}

std::u16string SettingsCaption()
{
    return Fill(u"%s - %s", {programName, u"Konfigurationsmwenü"});
}

std::u16string InfoVersionText()
{
    return Fill(u"%s Version: %s\nfür Windows ", {programName, version});
}

const char16_t* DeviceName(int32_t deviceKind)
{
    switch (deviceKind) {
    case 1: return deviceNameEightInputs;
    case 2: return deviceNameSixInputs;
    default: return deviceNameNone;
    }
}

std::u16string OpenFailure(const std::u16string& path)
{
    return Fill(u"'%s' konnte nicht geöffnet werden!", {path});
}

std::u16string ActivityCounts(uint32_t presses, uint32_t ignoredTouches)
{
    return Fill(u"%d / %d", {Decimal(presses), Decimal(ignoredTouches)});
}

std::u16string RowSwitchName(int sensorNumber)
{
    return Fill(u"Sensor %d eingeschaltet", {Decimal(sensorNumber)});
}

std::u16string RowEditName(int sensorNumber)
{
    return Fill(u"Sensor %d bearbeiten", {Decimal(sensorNumber)});
}

std::u16string LampName(int sensorNumber, bool pressed)
{
    return Fill(u"Sensor %d: %s", {Decimal(sensorNumber), pressed ? lampPressed : lampReleased});
}

std::u16string HoldFieldName(int sensorNumber)
{
    return Fill(u"Sensor %d Mindest-Haltezeit in Millisekunden", {Decimal(sensorNumber)});
}

std::u16string LockoutFieldName(int sensorNumber)
{
    return Fill(u"Sensor %d Sperrzeit nach dem Loslassen in Millisekunden", {Decimal(sensorNumber)});
}

std::u16string RowGroupName(int sensorNumber, const std::u16string& group)
{
    return Fill(u"Sensor %d Aktionsgruppe: %s", {Decimal(sensorNumber), group});
}

std::u16string RowActionName(int sensorNumber, const std::u16string& action)
{
    return Fill(u"Sensor %d Aktion: %s", {Decimal(sensorNumber), action});
}

std::u16string PausedTip()
{
    return Fill(u"%s - pausiert", {mainTitle});
}

std::u16string ProfileTip(const std::u16string& name)
{
    return Fill(u"%s - Profil: %s", {mainTitle, name});
}

std::u16string LatchedTip(const std::u16string& held)
{
    return Fill(u"%s - eingerastet: %s", {mainTitle, held});
}

std::u16string IndicatorLatched(const std::u16string& held)
{
    return Fill(u"Eingerastet: %s", {held});
}

std::u16string DeviceStatusText(bool boxUnreadable, int32_t deviceKind)
{
    return Fill(u"%s ist angeschlossen.", {DeviceName(boxUnreadable ? 0 : deviceKind)});
}

std::u16string DirectoryInvalid(const std::u16string& directory)
{
    return Fill(u"Verzeichnis '%s' ist ungültig!", {directory});
}

std::u16string VersionIncompatible(int32_t version)
{
    return Fill(u"Die Datei Settings.dat Version %d ist nicht kompatibel zu %s", {Decimal(version), programName});
}

std::u16string SaveFailed(const std::u16string& file)
{
    return Fill(
        u"Die Einstellungen konnten nicht in der Datei '%s' gespeichert werden. Bitte versuchen Sie es "
        u"noch einmal.",
        {file});
}

std::u16string ShutdownSaveFileMissing(const std::u16string& file)
{
    return Fill(u"Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '%s' fehlt.", {file});
}

std::u16string ShutdownSaveFileUnreadable(const std::u16string& file)
{
    return Fill(
        u"Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '%s' ist gesperrt oder "
        u"nicht lesbar.",
        {file});
}

std::u16string ShutdownSaveNotReplaced(const std::u16string& file)
{
    return Fill(
        u"Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '%s' konnte nicht ersetzt "
        u"werden.",
        {file});
}

std::u16string MachineKeyPath()
{
    return Fill(u"Software\\KORVA\\%s", {mainTitle});
}

std::u16string UserKeyPath()
{
    return Fill(u"Software\\%s\\%s", {makerName, programName});
}

std::u16string UserFilesDirectoryFor(const std::u16string& documents)
{
    return Fill(u"%s\\%s User Files\\", {documents, programName});
}

std::u16string EditorCaption(int sensorNumber)
{
    return Fill(u"Aktion für Sensor %d bearbeiten", {Decimal(sensorNumber)});
}

std::u16string MouseInfoText(int sensorNumber)
{
    return Fill(u"Wenn Sie Sensor %d betätigen wird die ausgewählte Maustasten-Aktion ausgeführt.",
                {Decimal(sensorNumber)});
}

std::u16string RunFileInfoText(int sensorNumber)
{
    return Fill(
        u"Wenn Sie Sensor %d betätigen wird die ausgewählte Aktion gestartet. Es können hier Dateinamen, "
        u"Internet-Adressen, Email-Adressen und andere Aktionen eingegeben werden.",
        {Decimal(sensorNumber)});
}

std::u16string FileDialogFilter()
{
    std::u16string filter = u"Verknüpfungen (*.lnk)|*.lnk|Ausführbare Dateien (*.exe)|*.exe|Alle Dateien (*.*)|*.*||";
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    return filter;
}

std::u16string ExportFileFilter()
{
    std::u16string filter = Fill(u"%s|*.kontakta|Alle Dateien (*.*)|*.*||", {exportFileFilterName});
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    return filter;
}

std::u16string ImportCannotRead(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' konnte nicht gelesen werden. Es wurde nichts übernommen.", {file});
}

std::u16string ImportNotExportFile(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' enthält keine %s-Einstellungen. Es wurde nichts übernommen.", {file, programName});
}

std::u16string ImportDamaged(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' ist beschädigt. Es wurde nichts übernommen.", {file});
}

std::u16string ImportCutShort(const std::u16string& file)
{
    return Fill(
        u"Die Datei '%s' ist unvollständig: Sie endet, bevor alle Einstellungen gelesen sind. Es wurde "
        u"nichts übernommen.",
        {file});
}

std::u16string ImportLaterVersion(const std::u16string& file)
{
    return Fill(
        u"Die Datei '%s' stammt von einer neueren %s-Version und kann von dieser Version nicht gelesen "
        u"werden. Es wurde nichts übernommen.",
        {file, programName});
}

std::u16string ImportTooLarge(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' ist größer als jede Datei mit %s-Einstellungen. Es wurde nichts übernommen.",
                {file, programName});
}

std::u16string ProfileNameTooLong(size_t maximum)
{
    return Fill(u"Der Name ist zu lang: Es sind höchstens %d Zeichen möglich.", {Decimal(int64_t(maximum))});
}

std::u16string TooManyProfiles(size_t maximum)
{
    return Fill(u"Es sind höchstens %d Profile möglich.", {Decimal(int64_t(maximum))});
}

std::u16string TooManyPrograms(size_t maximum)
{
    return Fill(u"Ein Profil kann höchstens %d Programme nennen.", {Decimal(int64_t(maximum))});
}

std::u16string Quoted(const std::u16string& text)
{
    return u"\u201E" + text + u"\u201C";
}

std::u16string ProfileTrapWarning(const std::u16string& quotedNames, bool several)
{
    return Fill(several ? u"Achtung: Aus den Profilen %s kommt der Benutzer allein nicht mehr heraus: Sie haben "
                          u"keinen Sensor mit \u201ENächstes Profil\u201C, aber ein anderes Profil führt mit "
                          u"\u201ENächstes Profil\u201C hinein."
                        : u"Achtung: Aus dem Profil %s kommt der Benutzer allein nicht mehr heraus: Es hat keinen "
                          u"Sensor mit \u201ENächstes Profil\u201C, aber ein anderes Profil führt mit "
                          u"\u201ENächstes Profil\u201C hinein.",
                {quotedNames});
}

std::u16string ProfileLiveNote(const std::u16string& live, const std::u16string& active, bool changed)
{
    std::u16string note = Fill(
        u"Die Seiten \u201EAllgemein\u201C und \u201ETest und Filter\u201C zeigen das "
        u"Profil %s, das jetzt wirkt.",
        {Quoted(live)});
    if (live != active) note += Fill(u" Mit OK wird %s aktiv.", {Quoted(active)});
    if (changed) note += u" Die Änderungen auf dieser Seite gelten ab OK.";
    return note;
}

std::u16string ProfileLiveNoteDeleted(const std::u16string& active)
{
    return Fill(
        u"Die Seiten \u201EAllgemein\u201C und \u201ETest und Filter\u201C zeigen die Einstellungen des "
        u"gelöschten Profils, die bis OK wirken. Mit OK wird %s aktiv. Die Änderungen auf dieser Seite "
        u"gelten ab OK.",
        {Quoted(active)});
}

std::u16string ProfileLiveNoteReplaced(const std::u16string& live, const std::u16string& active)
{
    std::u16string note = Fill(
        u"Die Seiten \u201EAllgemein\u201C und \u201ETest und Filter\u201C zeigen das "
        u"Profil %s, wie es bis OK wirkt; mit OK gilt das importierte, und was Sie dort "
        u"jetzt ändern, geht verloren.",
        {Quoted(live)});
    if (live != active) note += Fill(u" Mit OK wird %s aktiv.", {Quoted(active)});
    return note;
}

std::u16string SuggestedProfileName(int number)
{
    return Fill(u"Profil %d", {Decimal(number)});
}

std::u16string ProgramsCaption(const std::u16string& profile)
{
    return Fill(u"Programme für %s", {Quoted(profile)});
}

std::u16string DeleteProfileQuestion(const std::u16string& profile)
{
    return Fill(u"Das Profil %s mit allen seinen Einstellungen löschen?", {Quoted(profile)});
}

std::u16string ExportWhichQuestion(size_t count, const std::u16string& selected)
{
    return Fill(
        u"Alle %d Profile exportieren?\n\n\u201EJa\u201C: alle %d Profile.\n\u201ENein\u201C: nur das "
        u"gewählte Profil %s.",
        {Decimal(int64_t(count)), Decimal(int64_t(count)), Quoted(selected)});
}

std::u16string ExportFailed(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' konnte nicht geschrieben werden. Die Profile wurden nicht exportiert.", {file});
}

std::u16string ExportDone(const std::u16string& file, size_t count)
{
    return count == 1 ? Fill(u"Ein Profil wurde in die Datei '%s' exportiert.", {file})
                      : Fill(u"%d Profile wurden in die Datei '%s' exportiert.", {Decimal(int64_t(count)), file});
}

std::u16string ImportHeading(const std::u16string& file)
{
    return Fill(u"Die Datei '%s' enthält diese Profile. Wählen Sie, welche übernommen werden:", {file});
}

std::u16string ImportNewLine(const std::u16string& profile)
{
    return Fill(u"%s \u2013 neu", {Quoted(profile)});
}

std::u16string ImportReplacesLine(const std::u16string& profile)
{
    return Fill(u"%s \u2013 ersetzt das Profil gleichen Namens", {Quoted(profile)});
}

std::u16string ImportTargetLine(const std::u16string& profile, int sensor, const std::u16string& path, bool active)
{
    return Fill(active ? u"%s, Sensor %d öffnet: %s" : u"%s, Sensor %d (ausgeschaltet): %s",
                {Quoted(profile), Decimal(sensor), path});
}

std::u16string ImportChooseNote(size_t count, size_t maximum)
{
    return Fill(
        u"Zusammen wären es %d Profile, es sind höchstens %d möglich: Wählen Sie, welche übernommen "
        u"werden. Profile gleichen Namens werden ersetzt, die anderen hinten angefügt.",
        {Decimal(int64_t(count)), Decimal(int64_t(maximum))});
}

std::u16string PathTooLong(size_t maximum)
{
    const uint64_t limit = std::min<uint64_t>(maximum, INT64_MAX);
    return Fill(u"Der Pfad ist zu lang: Es sind höchstens %d Zeichen möglich.", {Decimal(int64_t(limit))});
}

}  // namespace texts

}  // namespace kontakta
