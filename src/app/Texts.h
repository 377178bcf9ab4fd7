// The program's own texts and the small formatting they need. Portable, so the
// exact wording is tested natively.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace texts {

constexpr const char16_t* programName = u"Kontakta";
constexpr const char16_t* makerName = u"KORVA";
constexpr const char16_t* version = u"3.2";
// Title of the main window, name of the single-instance mutex and the text a
// second instance looks for.
constexpr const char16_t* mainTitle = u"KORVA Kontakta";

// Replaces each "%s" or "%d" of `pattern`, in order, with the next argument;
// "%%" gives a percent sign. Missing arguments leave the rest empty.
std::u16string Fill(const std::u16string& pattern, std::initializer_list<std::u16string> arguments);

std::u16string Decimal(int64_t value);

}  // namespace texts
