// The log beside the settings: a failed save at shutdown leaves a line in it,
// and it stays small.
#include <gtest/gtest.h>

#include "SettingsFileFixture.h"
#include "settings/SettingsLog.h"

using namespace kontakta;

namespace {

// A save at shutdown that fails leaves a line in the log beside the settings;
// one that works leaves no log.
TEST_F(SettingsFileTest, FailedSaveAtShutdownIsLoggedWithTimeAndReason)
{
    const std::u16string logFile = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\Kontakta.log";
    ASSERT_EQ(LogFilePath(), logFile);
    EXPECT_FALSE(SaveSettingsOrLog(storage, LocalTime{2026, 3, 7, 8, 5, 9}));
    storage.files[userFile] = FileBytes().bytes;
    storage.failWrites.insert(userFile);
    EXPECT_FALSE(SaveSettingsOrLog(storage, LocalTime{2026, 12, 24, 18, 30, 0}));

    const std::u16string expected =
        u"\uFEFF07.03.2026 08:05:09 Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '" + userFile +
        u"' fehlt.\r\n24.12.2026 18:30:00 Die Einstellungen wurden beim Beenden nicht gespeichert: Die Datei '" +
        userFile + u"' konnte nicht ersetzt werden.\r\n";
    std::vector<uint8_t> expectedBytes;
    for (char16_t unit : expected) {
        expectedBytes.push_back(uint8_t(unit & 0xFF));
        expectedBytes.push_back(uint8_t(unit >> 8));
    }
    EXPECT_EQ(storage.files[logFile], expectedBytes) << "UTF-16LE with its byte order mark, appended";

    storage.failWrites.clear();
    storage.files.erase(logFile);
    EXPECT_TRUE(SaveSettingsOrLog(storage, LocalTime{2026, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(storage.files.count(logFile));
}

TEST(SettingsLog, StaysSmallByDroppingTheOldestWholeLines)
{
    auto bytes = [](const std::u16string& text) {
        std::vector<uint8_t> encoded;
        for (char16_t unit : text) {
            encoded.push_back(uint8_t(unit & 0xFF));
            encoded.push_back(uint8_t(unit >> 8));
        }
        return encoded;
    };
    // A log just below the limit: 327 lines of 100 units with CR LF.
    std::u16string full = u"\uFEFF";
    for (int line = 0; line < 327; ++line)
        full += (line == 0 ? u"first" : u"entry") + std::u16string(93, u'x') + u"\r\n";
    ASSERT_LT(bytes(full).size(), logLimit);
    EXPECT_EQ(AppendedLog(bytes(full), u"fits"), bytes(full + u"fits\r\n"));

    const std::vector<uint8_t> cut = AppendedLog(bytes(full), u"newest" + std::u16string(200, u'y'));
    EXPECT_LE(cut.size(), logLimit / 2);
    EXPECT_GE(cut.size(), logLimit / 2 - 200) << "only as many lines go as needed";
    std::u16string text;
    for (size_t at = 0; at + 1 < cut.size(); at += 2) text += char16_t(cut[at] | (cut[at + 1] << 8));
    EXPECT_EQ(text.substr(0, 6), u"\uFEFFentry") << "a whole line follows the byte order mark";
    EXPECT_EQ(text.substr(text.size() - 4), u"yy\r\n");

    // Anything that is not a log of ours is started anew.
    EXPECT_EQ(AppendedLog({'a', 'b', 'c', '\n'}, u"x"), bytes(u"\uFEFFx\r\n"));
}

}  // namespace
