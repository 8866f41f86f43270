// The characters of a wide string. Where wchar_t has 32 bits each unit is a whole code point;
// where it has 16 (Windows) a character outside the BMP takes two units, a surrogate pair. Text
// is counted, cut and measured through these, so that a pair is one character, is never split,
// and both builds show the same text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

constexpr bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The character that starts at text[i], with i moved past it. A lone surrogate comes back as it
// is, as one character; ToUtf8 writes it as U+FFFD.
constexpr char32_t NextCharacter(std::wstring_view text, size_t& i) {
    char32_t c = static_cast<char32_t>(text[i++]);
    if constexpr (kWideIsUtf16) {
        if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(static_cast<char32_t>(text[i])))
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i++]) - 0xDC00);
    }
    return c;
}

// Appends `c`, as a surrogate pair where wchar_t has 16 bits and `c` lies outside the BMP.
inline void AppendCharacter(std::wstring& out, char32_t c) {
    if constexpr (kWideIsUtf16) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

// `for (char32_t c : Characters(text))` walks the characters of `text`.
class Characters {
  public:
    class Iterator {
      public:
        constexpr Iterator(std::wstring_view text, size_t at) : text_(text), at_(at) {}
        constexpr char32_t operator*() const {
            size_t at = at_;
            return NextCharacter(text_, at);
        }
        constexpr Iterator& operator++() {
            NextCharacter(text_, at_);
            return *this;
        }
        constexpr bool operator==(const Iterator& other) const { return at_ == other.at_; }

      private:
        std::wstring_view text_;
        size_t at_;
    };

    constexpr explicit Characters(std::wstring_view text) : text_(text) {}
    // A string made in the loop's head would be gone before the loop runs.
    explicit Characters(std::wstring&&) = delete;
    constexpr Iterator begin() const { return {text_, 0}; }
    constexpr Iterator end() const { return {text_, text_.size()}; }

  private:
    std::wstring_view text_;
};

constexpr size_t CharacterCount(std::wstring_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); NextCharacter(text, i))
        ++count;
    return count;
}

// The first `count` characters of `text`, or all of it when it has fewer.
constexpr std::wstring_view FirstCharacters(std::wstring_view text, size_t count) {
    size_t end = 0;
    for (; count > 0 && end < text.size(); --count)
        NextCharacter(text, end);
    return text.substr(0, end);
}

// The first `units` units of `text` for a buffer of that size, one less when the last of them is
// the first half of a pair: a full buffer may end in the middle of one.
constexpr std::wstring_view FirstUnits(std::wstring_view text, size_t units) {
    std::wstring_view first = text.substr(0, units);
    if constexpr (kWideIsUtf16) {
        if (first.size() == units && units > 0 &&
            IsHighSurrogate(static_cast<char32_t>(first.back())))
            first.remove_suffix(1);
    }
    return first;
}

}  // namespace base
