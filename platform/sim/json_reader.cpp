#include "platform/sim/json_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "base/utf8.h"

namespace platform::sim {

namespace {

const char* TypeName(const nlohmann::json& value) {
    if (value.is_null()) return "null";
    if (value.is_boolean()) return "a boolean";
    if (value.is_number()) return "a number";
    if (value.is_string()) return "a string";
    if (value.is_array()) return "an array";
    return "an object";
}

struct Unit {
    std::string_view name;
    uint64_t factor;
};
constexpr Unit kUnits[] = {
    {"", 1},
    {"B", 1},
    {"KB", 1000},
    {"MB", 1000000},
    {"GB", 1000000000},
    {"TB", 1000000000000},
    {"KiB", 1ull << 10},
    {"MiB", 1ull << 20},
    {"GiB", 1ull << 30},
    {"TiB", 1ull << 40},
};

std::optional<uint64_t> ParseHexNumber(std::string_view text) {
    if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text.substr(2)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value << 4 | static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : (std::tolower(c) - 'a' + 10));
    }
    return value;
}

}  // namespace

void Field::Fail(const std::string& problem) const {
    throw MachineError{path_, problem};
}

bool Field::IsNull() const {
    return value_->is_null();
}

bool Field::IsString() const {
    return value_->is_string();
}

bool Field::Bool() const {
    if (!value_->is_boolean())
        Fail(std::string("expected true or false, found ") + TypeName(*value_));
    return value_->get<bool>();
}

uint64_t Field::Unsigned(uint64_t max) const {
    uint64_t value = 0;
    if (value_->is_number_unsigned()) {
        value = value_->get<uint64_t>();
    } else if (value_->is_number_integer()) {
        Fail("expected a number of 0 or more, found " + value_->dump());
    } else if (value_->is_number_float()) {
        Fail("expected a whole number, found " + value_->dump());
    } else if (value_->is_string()) {
        const auto parsed = ParseHexNumber(value_->get<std::string>());
        if (!parsed)
            Fail("expected a number or a \"0x\" hexadecimal string, found \"" +
                 value_->get<std::string>() + "\"");
        value = *parsed;
    } else {
        Fail(std::string("expected a number, found ") + TypeName(*value_));
    }
    if (value > max)
        Fail("number " + std::to_string(value) + " is above the largest allowed, " +
             std::to_string(max));
    return value;
}

double Field::Number() const {
    if (!value_->is_number()) Fail(std::string("expected a number, found ") + TypeName(*value_));
    const double value = value_->get<double>();
    if (!(value >= 0) || !std::isfinite(value)) Fail("expected a number of 0 or more");
    return value;
}

std::string Field::Text() const {
    if (!value_->is_string()) Fail(std::string("expected a string, found ") + TypeName(*value_));
    return value_->get<std::string>();
}

std::wstring Field::WideText() const {
    return FromUtf8(Text());
}

uint64_t Field::ByteSize() const {
    if (!value_->is_string()) return Unsigned();
    const std::string text = value_->get<std::string>();
    if (const auto hex = ParseHexNumber(text)) return *hex;
    size_t numberEnd = 0;
    while (numberEnd < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[numberEnd])) || text[numberEnd] == '.'))
        ++numberEnd;
    const std::string number = text.substr(0, numberEnd);
    std::string unit = text.substr(numberEnd);
    while (!unit.empty() && unit.front() == ' ')
        unit.erase(unit.begin());
    if (number.empty() || number.front() == '.' || number.find('.') != number.rfind('.'))
        Fail("expected a size such as \"256GiB\", \"512MB\" or a number of bytes, found \"" + text +
             "\"");
    for (const Unit& candidate : kUnits) {
        if (candidate.name != unit) continue;
        // Whole and fractional digits are kept as integers, so "1.5MB" is exactly 1500000.
        const size_t dot = number.find('.');
        const std::string whole = number.substr(0, dot);
        const std::string fraction = dot == std::string::npos ? "" : number.substr(dot + 1);
        if (whole.size() > 19 || fraction.size() > 18)
            Fail("size \"" + text + "\" has too many digits");
        uint64_t scale = 1, fractionValue = 0;
        for (char digit : fraction) {
            scale *= 10;
            fractionValue = fractionValue * 10 + static_cast<unsigned>(digit - '0');
        }
        // fraction / scale × factor is whole exactly when the fraction is a multiple of
        // scale / gcd(scale, factor); reduced first, nothing here can overflow.
        const uint64_t common = std::gcd(scale, candidate.factor);
        if (fractionValue % (scale / common) != 0)
            Fail("size \"" + text + "\" is not a whole number of bytes");
        const uint64_t fractionBytes =
            fractionValue / (scale / common) * (candidate.factor / common);
        uint64_t bytes = 0;
        if (__builtin_mul_overflow(std::stoull(whole), candidate.factor, &bytes) ||
            __builtin_add_overflow(bytes, fractionBytes, &bytes))
            Fail("size \"" + text + "\" is too large");
        return bytes;
    }
    Fail("unknown size unit \"" + unit + "\" in \"" + text +
         "\"; use B, KB, MB, GB, TB, KiB, MiB, GiB or TiB");
}

std::vector<uint8_t> Field::Hex(std::initializer_list<size_t> allowedBytes) const {
    const std::string text = Text();
    std::string digits;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            Fail(std::string("hex text holds the character '") + c + "', which is not a hex digit");
        digits += c;
    }
    bool allowed = false;
    std::string expected;
    for (size_t bytes : allowedBytes) {
        allowed = allowed || digits.size() == bytes * 2;
        expected += (expected.empty() ? "" : " or ") + std::to_string(bytes * 2);
    }
    if (!allowed)
        Fail("expected " + expected + " hex digits, found " + std::to_string(digits.size()));
    std::vector<uint8_t> bytes(digits.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::stoul(digits.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

std::vector<Field> Field::Items() const {
    if (!value_->is_array()) Fail(std::string("expected an array, found ") + TypeName(*value_));
    std::vector<Field> items;
    for (size_t i = 0; i < value_->size(); ++i)
        items.emplace_back((*value_)[i], path_ + "[" + std::to_string(i) + "]");
    return items;
}

std::string_view ClosestKey(std::string_view word, std::span<const std::string_view> candidates) {
    // Levenshtein distance, one row at a time.
    const auto distance = [word](std::string_view other) {
        std::vector<size_t> row(other.size() + 1);
        std::iota(row.begin(), row.end(), size_t{0});
        for (size_t i = 1; i <= word.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= other.size(); ++j) {
                const size_t substitution = diagonal + (word[i - 1] == other[j - 1] ? 0 : 1);
                diagonal = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
            }
        }
        return row.back();
    };
    std::string_view closest;
    size_t best = SIZE_MAX;
    for (std::string_view candidate : candidates) {
        const size_t d = distance(candidate);
        if (d < best) {
            best = d;
            closest = candidate;
        }
    }
    return closest;
}

ObjectReader::ObjectReader(const Field& field, std::vector<std::string_view> keys)
    : self_(field), keys_(std::move(keys)) {
    if (!field.Json().is_object())
        field.Fail(std::string("expected an object, found ") + TypeName(field.Json()));
    if (keys_.empty()) return;
    for (const auto& [key, value] : field.Json().items())
        if (std::find(keys_.begin(), keys_.end(), key) == keys_.end())
            field.Fail("unknown key \"" + key + "\"; the closest key is \"" +
                       std::string(ClosestKey(key, keys_)) + "\"");
}

Field ObjectReader::Required(const std::string& key) {
    auto found = Optional(key);
    if (!found) self_.Fail("missing key \"" + key + "\"");
    return *found;
}

std::optional<Field> ObjectReader::Optional(const std::string& key) {
    // A reader that asks for a key it did not declare would let that key be called unknown.
    if (!keys_.empty() && std::find(keys_.begin(), keys_.end(), key) == keys_.end())
        throw std::logic_error("the reader of " + self_.Path() + " reads the undeclared key \"" +
                               key + "\"");
    read_.insert(key);
    const auto found = self_.Json().find(key);
    if (found == self_.Json().end()) return std::nullopt;
    return Field(*found, self_.Path() + "." + key);
}

std::vector<std::string> ObjectReader::Keys() const {
    std::vector<std::string> keys;
    for (const auto& [key, value] : self_.Json().items())
        keys.push_back(key);
    return keys;
}

bool ObjectReader::Has(const std::string& key) const {
    return self_.Json().contains(key);
}

void ObjectReader::Close() const {
    for (const auto& [key, value] : self_.Json().items())
        if (!read_.count(key)) self_.Fail("unknown key \"" + key + "\"");
}

}  // namespace platform::sim
