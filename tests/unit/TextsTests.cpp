#include <gtest/gtest.h>

#include "app/Texts.h"

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
