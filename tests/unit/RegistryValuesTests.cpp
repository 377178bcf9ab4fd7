// The registry values read at start: "UpdateCode", "Directory" and the
// number at the start of a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/RegistryValues.h"

using namespace kontakta;

namespace {

// A string value as the registry stores it, with or without its terminator.
std::optional<RegistryValue> StoredText(uint32_t type, const std::u16string& characters, bool terminator = true)
{
    RegistryValue value{type, {}};
    for (char16_t unit : characters + (terminator ? std::u16string(1, u'\0') : u"")) {
        value.bytes.push_back(uint8_t(unit & 0xFF));
        value.bytes.push_back(uint8_t(unit >> 8));
    }
    return value;
}

TEST(UpdateCodeMeaning, StringsCountAsTheProgramReadsThemAndOtherTypesNeverAskForTheDefaults)
{
    auto number = [](uint32_t type, std::vector<uint8_t> bytes) { return std::optional<RegistryValue>({type, bytes}); };
    auto meaning = [](const std::optional<RegistryValue>& value) {
        const UpdateCodeReading reading = UpdateCodeMeaning(value);
        return std::pair(reading.present, reading.code);
    };
    using Meaning = std::pair<bool, int32_t>;

    EXPECT_EQ(meaning(std::nullopt), Meaning(false, 1));
    EXPECT_EQ(meaning(StoredText(1, u"1")), Meaning(true, 1));
    EXPECT_EQ(meaning(StoredText(2, u"1")), Meaning(true, 1));
    EXPECT_EQ(meaning(StoredText(1, u" 12abc")), Meaning(true, 12));
    EXPECT_EQ(meaning(StoredText(1, u"1", false)), Meaning(true, 1)) << "no terminator";
    EXPECT_EQ(meaning(StoredText(1, u"")), Meaning(true, 0));
    EXPECT_EQ(meaning(RegistryValue{1, {}}), Meaning(true, 0)) << "not even a terminator";
    EXPECT_EQ(meaning(StoredText(1, std::u16string(126, u'1'))), Meaning(true, INT32_MAX))
        << "254 bytes fit the buffer";
    EXPECT_EQ(meaning(StoredText(1, std::u16string(126, u'1'), false)), Meaning(true, INT32_MAX));
    EXPECT_EQ(meaning(StoredText(1, std::u16string(127, u'1'))), Meaning(false, 1)) << "256 bytes do not";

    // Whatever else is stored under the name is there, and is not a request.
    EXPECT_EQ(meaning(number(4, {1, 0, 0, 0})), Meaning(true, 0)) << "REG_DWORD 1";
    EXPECT_EQ(meaning(number(11, {1, 0, 0, 0, 0, 0, 0, 0})), Meaning(true, 0)) << "REG_QWORD 1";
    EXPECT_EQ(meaning(number(3, {'1', 0, 0, 0})), Meaning(true, 0)) << "binary";
    EXPECT_EQ(meaning(StoredText(7, u"1")), Meaning(true, 0)) << "REG_MULTI_SZ";
    EXPECT_EQ(meaning(number(0, {})), Meaning(true, 0)) << "REG_NONE";
    EXPECT_EQ(meaning(number(4, std::vector<uint8_t>(300, 1))), Meaning(true, 0)) << "larger than the buffer";
}

// "Directory" is read into the same 255-byte buffer as "UpdateCode", but a
// value that is not a string sets no folder at all.
TEST(InstallDirectoryMeaning, IsTheStringAsTheProgramReadsItAndNothingElse)
{
    const std::u16string folder = u"C:\\Program Files\\KORVA\\Kontakta\\";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, folder)), folder);
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(2, u"%ProgramFiles%\\Kontakta\\")), u"%ProgramFiles%\\Kontakta\\")
        << "REG_EXPAND_SZ is read as it stands, not expanded";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, folder, false)), folder) << "no terminator";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, u"C:\\Kontakta\\\0Rest")), u"C:\\Kontakta\\")
        << "up to the first terminator";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, u"")), u"");

    // The buffer's limit: 126 characters and the terminator, or 127 stored
    // without one; the odd 255th byte is no character.
    const std::u16string longest(126, u'd');
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest)), longest) << "254 bytes fit the buffer";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest + u"d", false)), longest + u"d") << "254 bytes";
    std::optional<RegistryValue> odd = StoredText(1, longest + u"d", false);
    odd->bytes.push_back('x');
    EXPECT_EQ(InstallDirectoryMeaning(odd), longest + u"d") << "255 bytes";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, longest + u"d")), std::nullopt) << "256 bytes do not fit: missing";
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(1, std::u16string(300, u'd'))), std::nullopt);

    // No value, or one of another type: missing, unlike "UpdateCode", where
    // such a value is there.
    EXPECT_EQ(InstallDirectoryMeaning(std::nullopt), std::nullopt);
    EXPECT_EQ(InstallDirectoryMeaning(StoredText(7, folder)), std::nullopt) << "REG_MULTI_SZ";
    EXPECT_EQ(InstallDirectoryMeaning(RegistryValue{4, {1, 0, 0, 0}}), std::nullopt) << "REG_DWORD";
    EXPECT_EQ(InstallDirectoryMeaning(RegistryValue{3, {'C', 0, ':', 0}}), std::nullopt) << "binary";
    EXPECT_TRUE(UpdateCodeMeaning(RegistryValue{4, {1, 0, 0, 0}}).present);
}

// An installation for all users records its folder under HKLM, one for a
// single user under HKCU; the program reads both keys on every start.
TEST(ChooseInstallDirectory, TheMachinesFolderWinsAndTheUsersCountsOnlyWhereHklmGivesNone)
{
    const std::u16string machineFolder = u"C:\\Program Files\\KORVA\\Kontakta\\";
    const std::u16string userFolder = u"C:\\Users\\lea\\AppData\\Local\\Programs\\KORVA\\Kontakta\\";
    const DirectoryKey noKey{false, std::nullopt};
    const DirectoryKey noValue{true, std::nullopt};
    const DirectoryKey machine{true, StoredText(1, machineFolder)};
    const DirectoryKey user{true, StoredText(1, userFolder)};
    auto choose = [](const DirectoryKey& inMachine, const DirectoryKey& inUser) {
        const InstallDirectoryChoice choice = ChooseInstallDirectory(inMachine, inUser);
        return std::pair(choice.directory, choice.reportMachineKeyMissing);
    };
    using Choice = std::pair<std::optional<std::u16string>, bool>;

    // As before any installation for a single user.
    EXPECT_EQ(choose(machine, noKey), Choice(machineFolder, false));
    EXPECT_EQ(choose(noValue, noKey), Choice(std::nullopt, false)) << "a key without the value reports nothing";
    EXPECT_EQ(choose(noKey, noKey), Choice(std::nullopt, true));
    EXPECT_EQ(choose(noKey, noValue), Choice(std::nullopt, true)) << "the user's key without a folder";

    // Installed for this user only: no message on every start.
    EXPECT_EQ(choose(noKey, user), Choice(userFolder, false));
    EXPECT_EQ(choose(noValue, user), Choice(userFolder, false)) << "HKLM's key left without its value";

    // Installed for all users as well: the machine's installation wins.
    EXPECT_EQ(choose(machine, user), Choice(machineFolder, false));
    EXPECT_EQ(choose(machine, noValue), Choice(machineFolder, false));

    // A machine's value the program cannot read counts as none, also here.
    const DirectoryKey machineTooLong{true, StoredText(1, std::u16string(127, u'd'))};
    const DirectoryKey machineNumber{true, RegistryValue{4, {1, 0, 0, 0}}};
    EXPECT_EQ(choose(machineTooLong, user), Choice(userFolder, false));
    EXPECT_EQ(choose(machineNumber, user), Choice(userFolder, false));
    EXPECT_EQ(choose(machineNumber, noKey), Choice(std::nullopt, false));
    // And so does the user's.
    const DirectoryKey userTooLong{true, StoredText(1, std::u16string(127, u'd'))};
    EXPECT_EQ(choose(noKey, userTooLong), Choice(std::nullopt, true));
    EXPECT_EQ(choose(machine, userTooLong), Choice(machineFolder, false));
    // The empty folder is a folder, as the program has always read it.
    EXPECT_EQ(choose(DirectoryKey{true, StoredText(1, u"")}, user), Choice(u"", false));
}

TEST(ParseLeadingInteger, ReadsTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(ParseLeadingInteger(u"1"), 1);
    EXPECT_EQ(ParseLeadingInteger(u"0"), 0);
    EXPECT_EQ(ParseLeadingInteger(u"  42abc"), 42);
    EXPECT_EQ(ParseLeadingInteger(u"-3"), -3);
    EXPECT_EQ(ParseLeadingInteger(u"+7x"), 7);
    EXPECT_EQ(ParseLeadingInteger(u"abc"), 0);
    EXPECT_EQ(ParseLeadingInteger(u""), 0);
    EXPECT_EQ(ParseLeadingInteger(u"1 2"), 1);
    EXPECT_EQ(ParseLeadingInteger(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseLeadingInteger(u"-99999999999999999999"), INT32_MIN);
}

}  // namespace
