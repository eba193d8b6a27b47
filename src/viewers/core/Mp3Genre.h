#pragma once

// The genre names of MP3 tags by number, and the conversion of a version 2 genre text
// such as "(17)" or "(17)Rock" to its name.

#include <string>
#include <string_view>

namespace vantrel {

// "-" for numbers without a name (148-247, above 255, negative).
std::u16string Mp3GenreName(long number);

// The whole value becomes the name of the number between the first "(" and the first
// ")" when that inner text is exactly the number's decimal digits; otherwise the value
// is kept as it is.
std::u16string ConvertMp3Genre(std::u16string_view value);

} // namespace vantrel
