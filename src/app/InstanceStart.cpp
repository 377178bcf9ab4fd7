#include "app/InstanceStart.h"

namespace kontakta {

namespace instance {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t';
}

char16_t Lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

bool IsRestart(std::u16string_view commandLine)
{
    size_t at = 0;
    // The program's name: in quotes up to the closing quote (a path with
    // spaces), else up to the first blank, as Windows splits it.
    if (at < commandLine.size() && commandLine[at] == u'"') {
        const size_t closing = commandLine.find(u'"', at + 1);
        at = closing == std::u16string_view::npos ? commandLine.size() : closing + 1;
    } else {
        while (at < commandLine.size() && !IsSpace(commandLine[at])) ++at;
    }
    while (at < commandLine.size()) {
        while (at < commandLine.size() && IsSpace(commandLine[at])) ++at;
        const size_t start = at;
        while (at < commandLine.size() && !IsSpace(commandLine[at])) ++at;
        if (at > start && SameIgnoringCase(commandLine.substr(start, at - start), restartArgument)) return true;
    }
    return false;
}

Start Decide(bool anotherRuns, bool restarted)
{
    if (!anotherRuns) return Start::RunHere;
    return restarted ? Start::EndQuietly : Start::AskRunningForSettings;
}

}  // namespace instance

}  // namespace kontakta
