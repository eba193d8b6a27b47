#include "viewers/core/Mp3Genre.h"

#include "platform/Utf.h"

#include <array>
#include <climits>

namespace vantrel {

namespace {

constexpr std::array<const char*, 148> kGenres = {"Blues",
                                                  "Classic Rock",
                                                  "Country",
                                                  "Dance",
                                                  "Disco",
                                                  "Funk",
                                                  "Grunge",
                                                  "Hip-Hop",
                                                  "Jazz",
                                                  "Metal",
                                                  "New Age",
                                                  "Oldies",
                                                  "Other",
                                                  "Pop",
                                                  "R&B",
                                                  "Rap",
                                                  "Reggae",
                                                  "Rock",
                                                  "Techno",
                                                  "Industrial",
                                                  "Alternative",
                                                  "Ska",
                                                  "Death Metal",
                                                  "Pranks",
                                                  "Soundtrack",
                                                  "Euro-Techno",
                                                  "Ambient",
                                                  "Trip-Hop",
                                                  "Vocal",
                                                  "Jazz+Funk",
                                                  "Fusion",
                                                  "Trance",
                                                  "Classical",
                                                  "Instrumental",
                                                  "Acid",
                                                  "House",
                                                  "Game",
                                                  "Sound Clip",
                                                  "Gospel",
                                                  "Noise",
                                                  "AlternRock",
                                                  "Bass",
                                                  "Soul",
                                                  "Punk",
                                                  "Space",
                                                  "Meditative",
                                                  "Instrumental Pop",
                                                  "Instrumental Rock",
                                                  "Ethnic",
                                                  "Gothic",
                                                  "Darkwave",
                                                  "Techno-Industrial",
                                                  "Electronic",
                                                  "Pop-Folk",
                                                  "Eurodance",
                                                  "Dream",
                                                  "Southern Rock",
                                                  "Comedy",
                                                  "Cult",
                                                  "Gangsta",
                                                  "Top 40",
                                                  "Christian Rap",
                                                  "Pop/Funk",
                                                  "Jungle",
                                                  "Native American",
                                                  "Cabaret",
                                                  "New Wave",
                                                  "Psychadelic",
                                                  "Rave",
                                                  "Showtunes",
                                                  "Trailer",
                                                  "Lo-Fi",
                                                  "Tribal",
                                                  "Acid Punk",
                                                  "Acid Jazz",
                                                  "Polka",
                                                  "Retro",
                                                  "Musical",
                                                  "Rock & Roll",
                                                  "Hard Rock",
                                                  "Folk",
                                                  "Folk-Rock",
                                                  "National Folk",
                                                  "Swing",
                                                  "Fast Fusion",
                                                  "Bebob",
                                                  "Latin",
                                                  "Revival",
                                                  "Celtic",
                                                  "Bluegrass",
                                                  "Avantagarde",
                                                  "Gothic Rock",
                                                  "Progressive Rock",
                                                  "Psyschedelic Rock",
                                                  "Symphonic Rock",
                                                  "Slow Rock",
                                                  "Big Band",
                                                  "Chorus",
                                                  "Easy Listening",
                                                  "Acoustic",
                                                  "Humour",
                                                  "Speech",
                                                  "Chanson",
                                                  "Opera",
                                                  "Chamber Music",
                                                  "Sonata",
                                                  "Sysphony",
                                                  "Booty Bass",
                                                  "Primus",
                                                  "Porn Groove",
                                                  "Satire",
                                                  "Slow Jam",
                                                  "Club",
                                                  "Tango",
                                                  "Samba",
                                                  "Folklore",
                                                  "Ballad",
                                                  "Power Ballad",
                                                  "Rhythmic Soul",
                                                  "Freestyle",
                                                  "Duet",
                                                  "Punk Rock",
                                                  "Drum Solo",
                                                  "A Capella",
                                                  "Euro-House",
                                                  "Dance Hall",
                                                  "Goa",
                                                  "Dram & Bass",
                                                  "Club-House",
                                                  "HardCore",
                                                  "Terror",
                                                  "Indie",
                                                  "BritPop",
                                                  "Negerpunk",
                                                  "Polsk Punk",
                                                  "Beat",
                                                  "Chiristian Gangsta Rap",
                                                  "Heavy Metal",
                                                  "Black Metal",
                                                  "Crossover",
                                                  "Contemporary Christian",
                                                  "Christian Rock",
                                                  "Merengue",
                                                  "Salsa",
                                                  "Thrash Metal",
                                                  "Anime",
                                                  "JPop",
                                                  "Synthpop"};

constexpr std::array<const char*, 8> kJapaneseGenres = {
    "Heavy Rock(J)",    "Doom Rock(J)", "J-POP(J)",     "Seiyu(J)",
    "Tecno Ambient(J)", "MoeMoe(J)",    "Tokusatsu(J)", "Anime(J)"};

constexpr long kJapaneseFirst = 248;

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The standard string-to-integer reading: leading whitespace, an optional sign, then
// decimal digits up to the first other character; saturates instead of overflowing.
long ParseLong(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const int digit = text[i] - u'0';
        if (value > (LONG_MAX - digit) / 10)
            return negative ? LONG_MIN : LONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::size_t DigitCount(long number) {
    if (number < 0 || number >= 1000)
        return 0; // never matches an inner text length
    return number < 10 ? 1 : number < 100 ? 2 : 3;
}

} // namespace

std::u16string Mp3GenreName(long number) {
    if (number >= 0 && number < static_cast<long>(kGenres.size()))
        return AsciiToU16(kGenres[static_cast<std::size_t>(number)]);
    if (number >= kJapaneseFirst &&
        number < kJapaneseFirst + static_cast<long>(kJapaneseGenres.size()))
        return AsciiToU16(kJapaneseGenres[static_cast<std::size_t>(number - kJapaneseFirst)]);
    return u"-";
}

std::u16string ConvertMp3Genre(std::u16string_view value) {
    const std::size_t open = value.find(u'(');
    const std::size_t close = value.find(u')');
    if (open == std::u16string_view::npos || close == std::u16string_view::npos || close < open)
        return std::u16string(value);
    const std::u16string_view inner = value.substr(open + 1, close - open - 1);
    const long number = ParseLong(inner);
    if (number == 0 && inner != u"0")
        return std::u16string(value);
    if (inner.size() != DigitCount(number))
        return std::u16string(value);
    return Mp3GenreName(number);
}

} // namespace vantrel
