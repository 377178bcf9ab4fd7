#include <gtest/gtest.h>

#include "texts/Texts.h"

using namespace kontakta;

namespace {

TEST(Fill, ReplacesEachPlaceholderInOrder)
{
    EXPECT_EQ(texts::Fill(u"%s Version: %s wird gestartet...", {u"Kontakta", u"3.2"}),
              u"Kontakta Version: 3.2 wird gestartet...");
    EXPECT_EQ(texts::Fill(u"%so_%s", {u"C:\\Inst\\", u"settings.dat"}), u"C:\\Inst\\o_settings.dat");
    EXPECT_EQ(texts::Fill(u"Version %d", {texts::Decimal(-12)}), u"Version -12");
    EXPECT_EQ(texts::Fill(u"100%% %s", {u"sicher"}), u"100% sicher");
    EXPECT_EQ(texts::Fill(u"%s und %s", {u"eins"}), u"eins und ") << "a missing argument leaves the place empty";
    EXPECT_EQ(texts::Fill(u"%s", {u"%s"}), u"%s") << "arguments are not formatted again";
}

TEST(Decimal, WritesSignedNumbers)
{
    EXPECT_EQ(texts::Decimal(0), u"0");
    EXPECT_EQ(texts::Decimal(2), u"2");
    EXPECT_EQ(texts::Decimal(-2147483648LL), u"-2147483648");
    EXPECT_EQ(texts::Decimal(INT64_MIN), u"-9223372036854775808");
}

}  // namespace

namespace {

TEST(ProgramTexts, TrayTipsFollowTheBox)
{
    EXPECT_EQ(texts::TrayTip(false), u"KORVA Kontakta");
    EXPECT_EQ(texts::TrayTip(true), u"KORVA Kontakta - Kein Eingabegerät gefunden!");
    EXPECT_LT(texts::TrayTip(true).size(), 64u) << "a notification tip holds 63 characters";
}

TEST(ProgramTexts, StatusLineNamesTheBoxOnlyWhileItCanBeRead)
{
    EXPECT_EQ(texts::DeviceStatusText(false, 1), u"Kontakta KT8 ist angeschlossen.");
    EXPECT_EQ(texts::DeviceStatusText(false, 2), u"Kontakta KT6 ist angeschlossen.");
    EXPECT_EQ(texts::DeviceStatusText(false, 0), u"Kein Eingabegerät ist angeschlossen.");
    EXPECT_EQ(texts::DeviceStatusText(true, 2), u"Kein Eingabegerät ist angeschlossen.");
    EXPECT_EQ(texts::DeviceStatusText(false, 9), u"Kein Eingabegerät ist angeschlossen.");
}

TEST(ProgramTexts, StartupTextsAndPaths)
{
    EXPECT_EQ(texts::SplashStatus(), u"Kontakta Version: 3.2 wird gestartet...");
    EXPECT_EQ(texts::ExitQuestion(), u"Kontakta wirklich beenden?");
    EXPECT_EQ(texts::SettingsCaption(), u"Kontakta - Konfigurationsmwenü");
    EXPECT_EQ(texts::InfoVersionText(), u"Kontakta Version: 3.2\nfür Windows ");
    EXPECT_EQ(texts::DirectoryInvalid(u"D:\\weg\\"), u"Verzeichnis 'D:\\weg\\' ist ungültig!");
    EXPECT_NE(texts::SaveFailed(u"C:\\u\\settings.dat").find(u"'C:\\u\\settings.dat'"), std::u16string::npos)
        << "a failed save names the file";
    EXPECT_EQ(texts::MachineKeyPath(), u"Software\\KORVA\\KORVA Kontakta");
    EXPECT_EQ(texts::UserKeyPath(), u"Software\\KORVA\\Kontakta");
    EXPECT_EQ(texts::UserFilesDirectoryFor(u"C:\\Users\\anna\\Documents"),
              u"C:\\Users\\anna\\Documents\\Kontakta User Files\\");
}

}  // namespace
