// What a starting Kontakta does, decided without Windows: run as the one
// instance of the session, ask the running one for its settings sheet, or
// end without a word.
//
// Windows starts the program again with the command line it was registered
// with (RegisterApplicationRestart): after a crash or a hang, once the user
// agreed, and at sign-in when "restart apps" is on. A restart beside a
// running instance (the autostart was first) must not open the settings
// sheet, which a switch user may not be able to close: it ends quietly.
#pragma once

#include <string_view>

namespace kontakta {

namespace instance {

// The argument that Windows restarts the program with.
inline constexpr std::u16string_view restartArgument = u"/restarted";

// Whether `commandLine` (the whole line, the program's own name first, as
// Windows gives it) carries the restart argument: one argument of its own,
// in any case of letters.
bool IsRestart(std::u16string_view commandLine);

enum class Start {
    RunHere,                // the first instance of the session
    AskRunningForSettings,  // a user started it again: the running one opens its sheet
    EndQuietly,             // Windows restarted it beside the running one
};

Start Decide(bool anotherRuns, bool restarted);

}  // namespace instance

}  // namespace kontakta
