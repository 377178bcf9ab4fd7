// The decisions of the per-user step, natively: when the program would find
// "UpdateCode", and what the step writes for each user.
#include <gtest/gtest.h>

#include "setup/UserSetupDecision.h"

using namespace usersetup;

namespace {

StoredValue Stored(ValueType type, uint32_t bytes) { return StoredValue{true, uint32_t(type), bytes}; }

TEST(ProgramFindsValue, ShouldFindStringsAndFourByteNumbers_WhenTheyFitTheProgramsBuffer)
{
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::String, 4)));        // "1"
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::String, 0)));        // empty, not even a terminator
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::ExpandString, 4)));
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::String, 254)));      // 126 characters and the terminator
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::String, 255)));      // what the buffer takes
    EXPECT_TRUE(ProgramFindsValue(Stored(ValueType::Number, 4)));
}

TEST(ProgramFindsValue, ShouldMissTheValue_WhenTheProgramCannotReadIt)
{
    EXPECT_FALSE(ProgramFindsValue(StoredValue{}));                       // no value
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::String, 256)));      // 127 characters and the terminator
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::Binary, 4)));
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::MultiString, 6)));
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::Number64, 8)));
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::Number, 2)));
    EXPECT_FALSE(ProgramFindsValue(Stored(ValueType::None, 0)));
}

TEST(DecideUpdateCode, ShouldAskForTheDefaults_WhenTheUserHasNoSettingsFile)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Missing, false), UpdateCodeChange::WriteOne);
    // A "0" would leave the program without a file to start with.
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Missing, true), UpdateCodeChange::WriteOne);
}

TEST(DecideUpdateCode, ShouldProtectTheFile_WhenTheUserHasOne)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Present, false), UpdateCodeChange::WriteZero);
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Present, true), UpdateCodeChange::Leave);
}

TEST(DecideUpdateCode, ShouldWriteNothing_WhenTheFileCannotBeAskedAbout)
{
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Unknown, false), UpdateCodeChange::GiveUp);
    EXPECT_EQ(DecideUpdateCode(SettingsFile::Unknown, true), UpdateCodeChange::GiveUp);
}

}  // namespace
