#include "viewers/core/RtfReader.h"

#include "platform/WindowsCodePage.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace vantrel {

namespace {

// Deeper groups are read as skipped: real documents nest a few dozen levels, and the
// state per level must not grow with hostile input.
constexpr std::size_t kMaxDepth = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr int kDefaultCodePage = 1252;

enum class Destination { text, skip, fontTable, colorTable };

struct GroupState {
    RtfCharFormat format; // fontName is filled from font when text is added
    int font = -1;
    int colorIndex = 0;
    int backgroundIndex = 0;
    RtfAlignment alignment = RtfAlignment::left;
    int unicodeSkip = 1;
    Destination destination = Destination::text;
};

struct FontEntry {
    std::u16string name;
    int codePage = 0; // 0: the document's
};

int CharsetCodePage(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

bool IsLetter(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

int HexValue(std::uint8_t c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsSkippedDestination(std::string_view word) {
    static constexpr std::array<std::string_view, 40> kSkipped = {
        "stylesheet", "info",         "pict",      "object",
        "fldinst",    "header",       "headerl",   "headerr",
        "headerf",    "footer",       "footerl",   "footerr",
        "footerf",    "footnote",     "themedata", "colorschememapping",
        "datastore",  "latentstyles", "listtable", "listoverridetable",
        "rsidtbl",    "generator",    "xmlnstbl",  "mmathPr",
        "filetbl",    "revtbl",       "pgdsctbl",  "userprops",
        "docvar",     "nonshppict",   "shp",       "bkmkstart",
        "bkmkend",    "template",     "fchars",    "lchars",
        "annotation", "atnid",        "xe",        "tc"};
    return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

class RtfParser {
public:
    explicit RtfParser(Bytes data) : data_(data) {
        document_.paragraphs.emplace_back();
        stack_.emplace_back();
    }

    RtfDocument Run() {
        while (pos_ < data_.size()) {
            const std::uint8_t c = data_[pos_++];
            switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                if (CloseGroup())
                    return Finish(); // the document's own group has ended
                break;
            case '\\':
                ControlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                TextByte(c);
                break;
            }
        }
        return Finish();
    }

private:
    GroupState& State() { return stack_.back(); }
    bool Skipping() const {
        return overflow_ > 0 || stack_.back().destination == Destination::skip;
    }

    void OpenGroup() {
        FlushBytes();
        pendingSkip_ = 0;
        if (overflow_ > 0 || stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(stack_.back());
    }

    // True when the document's own group has ended.
    bool CloseGroup() {
        FlushBytes();
        pendingSkip_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return false;
        }
        if (stack_.size() <= 1)
            return false; // a stray "}" before the document's group
        if (State().destination == Destination::fontTable)
            currentFont_ = -1;
        if (stack_.size() == 2)
            document_.paragraphs.back().alignment = State().alignment;
        stack_.pop_back();
        return stack_.size() == 1;
    }

    void ControlSequence() {
        if (pos_ >= data_.size())
            return;
        const std::uint8_t c = data_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            int value = -1;
            if (pos_ + 1 < data_.size() && HexValue(data_[pos_]) >= 0 &&
                HexValue(data_[pos_ + 1]) >= 0)
                value = HexValue(data_[pos_]) * 16 + HexValue(data_[pos_ + 1]);
            if (value < 0)
                return;
            pos_ += 2;
            if (ConsumeSkip() || Skipping())
                return;
            pendingBytes_.push_back(static_cast<std::uint8_t>(value));
            return;
        }
        if (ConsumeSkip())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            TextByte(c);
            break;
        case '~':
            AddText(u"\u00A0");
            break;
        case '_':
            AddText(u"\u2011");
            break;
        case '*':
            // An ignorable destination: nothing of it is shown.
            State().destination = Destination::skip;
            break;
        case '\r':
        case '\n':
            EndParagraph();
            break;
        case '\t':
            AddText(u"\t");
            break;
        default:
            break; // \- optional hyphen, \| and others show nothing
        }
    }

    void ControlWord() {
        const std::size_t start = pos_;
        while (pos_ < data_.size() && IsLetter(data_[pos_]))
            ++pos_;
        // No word we know is longer; an endless one is still one token.
        const std::string_view word(reinterpret_cast<const char*>(data_.data()) + start,
                                    std::min(pos_ - start, kMaxWordLength));
        bool hasParameter = false;
        long long parameter = 0;
        bool negative = false;
        if (pos_ < data_.size() && data_[pos_] == '-' && pos_ + 1 < data_.size() &&
            IsDigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        for (int digits = 0; pos_ < data_.size() && IsDigit(data_[pos_]); ++pos_, ++digits) {
            hasParameter = true;
            if (digits < 10)
                parameter = parameter * 10 + (data_[pos_] - '0');
        }
        if (negative)
            parameter = -parameter;
        if (pos_ < data_.size() && data_[pos_] == ' ')
            ++pos_;
        const int value =
            static_cast<int>(std::clamp<long long>(parameter, -2147483647LL, 2147483647LL));
        if (word == "bin") {
            // Binary data of the given length follows; it is never text.
            FlushBytes();
            const auto skip = static_cast<std::size_t>(std::max(value, 0));
            pos_ += std::min(skip, data_.size() - pos_);
            return;
        }
        if (ConsumeSkip())
            return;
        Word(word, hasParameter, value);
    }

    void Word(std::string_view word, bool hasParameter, int value) {
        GroupState& state = State();
        const bool on = !hasParameter || value != 0;
        if (word == "fonttbl") {
            FlushBytes();
            state.destination = Destination::fontTable;
        } else if (word == "colortbl") {
            FlushBytes();
            state.destination = Destination::colorTable;
            colors_.clear();
            red_ = green_ = blue_ = 0;
        } else if (IsSkippedDestination(word)) {
            FlushBytes();
            state.destination = Destination::skip;
        } else if (word == "u") {
            AddText(std::u16string(1, static_cast<char16_t>(value < 0 ? value + 65536 : value)));
            pendingSkip_ = state.unicodeSkip;
        } else if (word == "uc") {
            state.unicodeSkip = std::clamp(value, 0, 16);
        } else if (state.destination == Destination::fontTable) {
            FontWord(word, value);
        } else if (state.destination == Destination::colorTable) {
            if (word == "red")
                red_ = std::clamp(value, 0, 255);
            else if (word == "green")
                green_ = std::clamp(value, 0, 255);
            else if (word == "blue")
                blue_ = std::clamp(value, 0, 255);
            colorSet_ = colorSet_ || word == "red" || word == "green" || word == "blue";
        } else if (word == "ansicpg") {
            documentCodePage_ = value;
        } else if (word == "sjis") {
            documentCodePage_ = 932;
        } else if (word == "mac") {
            documentCodePage_ = 10000;
        } else if (word == "pc") {
            documentCodePage_ = 437;
        } else if (word == "deff") {
            defaultFont_ = value;
        } else {
            FormatWord(word, hasParameter, value, on);
        }
    }

    void FontWord(std::string_view word, int value) {
        if (word == "f") {
            FlushBytes();
            currentFont_ = value;
            fonts_[value];
        } else if (word == "fcharset" && currentFont_ >= 0) {
            fonts_[currentFont_].codePage = CharsetCodePage(value);
        } else if (word == "cpg" && currentFont_ >= 0) {
            fonts_[currentFont_].codePage = value;
        }
    }

    void FormatWord(std::string_view word, bool hasParameter, int value, bool on) {
        GroupState& state = State();
        RtfCharFormat& format = state.format;
        const auto textChange = [&] { FlushBytes(); };
        if (word == "par" || word == "sect" || word == "page" || word == "row") {
            EndParagraph();
        } else if (word == "line" || word == "softline") {
            AddText(u"\u2028");
        } else if (word == "tab" || word == "cell") {
            AddText(u"\t");
        } else if (word == "b") {
            textChange();
            format.bold = on;
        } else if (word == "i") {
            textChange();
            format.italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" ||
                   word == "uldash" || word == "ulwave" || word == "ulth") {
            textChange();
            format.underline = on;
        } else if (word == "ulnone") {
            textChange();
            format.underline = false;
        } else if (word == "strike") {
            textChange();
            format.strike = on;
        } else if (word == "fs") {
            textChange();
            format.halfPoints = hasParameter && value > 0 ? std::min(value, 3276) : 24;
        } else if (word == "cf") {
            textChange();
            state.colorIndex = value;
        } else if (word == "cb" || word == "highlight") {
            textChange();
            state.backgroundIndex = value;
        } else if (word == "f") {
            textChange();
            state.font = value;
        } else if (word == "plain") {
            textChange();
            format = RtfCharFormat();
            state.font = defaultFont_;
            state.colorIndex = 0;
            state.backgroundIndex = 0;
        } else if (word == "pard") {
            state.alignment = RtfAlignment::left;
        } else if (word == "ql") {
            state.alignment = RtfAlignment::left;
        } else if (word == "qc") {
            state.alignment = RtfAlignment::center;
        } else if (word == "qr") {
            state.alignment = RtfAlignment::right;
        } else if (word == "qj") {
            state.alignment = RtfAlignment::justify;
        } else if (word == "emdash") {
            AddText(u"\u2014");
        } else if (word == "endash") {
            AddText(u"\u2013");
        } else if (word == "bullet") {
            AddText(u"\u2022");
        } else if (word == "lquote") {
            AddText(u"\u2018");
        } else if (word == "rquote") {
            AddText(u"\u2019");
        } else if (word == "ldblquote") {
            AddText(u"\u201C");
        } else if (word == "rdblquote") {
            AddText(u"\u201D");
        } else if (word == "emspace") {
            AddText(u"\u2003");
        } else if (word == "enspace") {
            AddText(u"\u2002");
        }
    }

    // True (and one fewer to skip) while the characters after \uN are its fallback.
    bool ConsumeSkip() {
        if (pendingSkip_ <= 0)
            return false;
        --pendingSkip_;
        return true;
    }

    void TextByte(std::uint8_t c) {
        if (ConsumeSkip() || Skipping())
            return;
        if (c == '\t') {
            AddText(u"\t");
            return;
        }
        if (State().destination == Destination::colorTable && c == ';') {
            colors_.push_back(
                colorSet_ ? std::optional<std::uint32_t>((static_cast<std::uint32_t>(red_) << 16) |
                                                         (static_cast<std::uint32_t>(green_) << 8) |
                                                         static_cast<std::uint32_t>(blue_))
                          : std::nullopt);
            red_ = green_ = blue_ = 0;
            colorSet_ = false;
            return;
        }
        pendingBytes_.push_back(c);
    }

    int CodePageOf(int font) const {
        const auto found = fonts_.find(font);
        if (found != fonts_.end() && found->second.codePage != 0)
            return found->second.codePage;
        return documentCodePage_;
    }

    // Bytes gathered from text and \'hh become characters in the code page of the font
    // in use (or of the font being defined).
    void FlushBytes() {
        if (pendingBytes_.empty())
            return;
        const std::vector<std::uint8_t> bytes = std::move(pendingBytes_);
        pendingBytes_.clear();
        const Destination destination = State().destination;
        if (overflow_ > 0 || destination == Destination::skip ||
            destination == Destination::colorTable)
            return;
        if (destination == Destination::fontTable) {
            if (currentFont_ < 0)
                return;
            FontEntry& font = fonts_[currentFont_];
            std::u16string text = DecodeWindowsCodePage(CodePageOf(currentFont_), bytes);
            const std::size_t end = text.find(u';');
            if (!fontNameDone_.contains(currentFont_))
                font.name += text.substr(0, end);
            if (end != std::u16string::npos)
                fontNameDone_.insert({currentFont_, true});
            return;
        }
        Append(DecodeWindowsCodePage(CodePageOf(State().font), bytes));
    }

    void AddText(const std::u16string& text) {
        FlushBytes();
        if (Skipping() || State().destination != Destination::text)
            return;
        Append(text);
    }

    void Append(const std::u16string& text) {
        if (text.empty())
            return;
        const GroupState& state = State();
        RtfCharFormat format = state.format;
        const auto font = fonts_.find(state.font);
        if (font != fonts_.end())
            format.fontName = font->second.name;
        format.color = ColorAt(state.colorIndex);
        format.background = ColorAt(state.backgroundIndex);
        auto& runs = document_.paragraphs.back().runs;
        if (!runs.empty() && runs.back().format == format)
            runs.back().text += text;
        else
            runs.push_back({std::move(format), text});
    }

    std::optional<std::uint32_t> ColorAt(int index) const {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size())
            return std::nullopt;
        return colors_[static_cast<std::size_t>(index)];
    }

    void EndParagraph() {
        FlushBytes();
        if (Skipping() || State().destination != Destination::text)
            return;
        document_.paragraphs.back().alignment = State().alignment;
        document_.paragraphs.emplace_back();
    }

    RtfDocument Finish() {
        FlushBytes();
        if (stack_.size() > 1)
            document_.paragraphs.back().alignment = State().alignment;
        if (document_.paragraphs.size() > 1 && document_.paragraphs.back().runs.empty())
            document_.paragraphs.pop_back();
        return std::move(document_);
    }

    Bytes data_;
    std::size_t pos_ = 0;
    RtfDocument document_;
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0;
    int pendingSkip_ = 0;
    std::vector<std::uint8_t> pendingBytes_;
    int documentCodePage_ = kDefaultCodePage;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    std::map<int, bool> fontNameDone_;
    int currentFont_ = -1;
    std::vector<std::optional<std::uint32_t>> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
};

} // namespace

RtfDocument ReadRtf(Bytes data) {
    return RtfParser(data).Run();
}

std::u16string RtfPlainText(const RtfDocument& document) {
    std::u16string text;
    for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
        for (const RtfRun& run : document.paragraphs[p].runs)
            for (const char16_t unit : run.text)
                text.push_back(unit == u'\u2028' ? u'\n' : unit);
        if (p + 1 < document.paragraphs.size())
            text.push_back(u'\n');
    }
    return text;
}

} // namespace vantrel
