#include "sensors/RunFileAction.h"

#include "texts/Texts.h"

namespace kontakta {

std::u16string PathOf(const SensorAction& record)
{
    return std::u16string(record.path, FieldLength(record.path, pathLength));
}

std::u16string OpenFailureText(const std::u16string& path)
{
    return texts::OpenFailure(path);
}

void PerformRunFileAction(const SensorAction& record, Shell& shell, FailureMessages& messages)
{
    const std::u16string path = PathOf(record);
    if (!path.empty() && shell.OpenTarget(path)) return;
    messages.ShowFailure(OpenFailureText(path));
}

}  // namespace kontakta
