#include "app/Texts.h"

namespace texts {

std::u16string Fill(const std::u16string& pattern, std::initializer_list<std::u16string> arguments)
{
    std::u16string result;
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size()) {
            const char16_t kind = pattern[i + 1];
            if (kind == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (kind == u's' || kind == u'd') {
                if (next != arguments.end()) result += *next++;
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

std::u16string Decimal(int64_t value)
{
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? u"-" + digits : digits;
}

}  // namespace texts
