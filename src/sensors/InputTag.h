// The mark that every input Kontakta sends carries in its extra information
// (the dwExtraInfo of SendInput's records), so that Kontakta's own windows
// can tell it from the user's typing: a low-level hook reads it in
// KBDLLHOOKSTRUCT::dwExtraInfo, a window in GetMessageExtraInfo for the
// message just retrieved. Its own value, "KTKA", that no other program is
// known to use; the system does not look at it.
#pragma once

#include <cstdint>

namespace kontakta {

constexpr uintptr_t kontaktaInputTag = 0x4B544B41;

}  // namespace kontakta
