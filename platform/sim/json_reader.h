// Reading a machine description with the JSON path of every value at hand, so that each
// complaint names the file, the place and the problem. Complaints travel as MachineError
// inside the loader only; the loader turns the first one into its error text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The declaration alone: most section readers never touch a JSON value themselves, and the
// whole library costs each file seconds to compile.
#include <nlohmann/json_fwd.hpp>

namespace platform::sim {

struct MachineError {
    std::string path;
    std::string problem;
};

class Field {
  public:
    Field(const nlohmann::json& value, std::string path) : value_(&value), path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    const nlohmann::json& Json() const { return *value_; }
    [[noreturn]] void Fail(const std::string& problem) const;

    bool IsNull() const;
    bool IsString() const;
    bool Bool() const;
    // A JSON number or a "0x"-prefixed hexadecimal string, at most `max`.
    uint64_t Unsigned(uint64_t max = UINT64_MAX) const;
    double Number() const;
    std::string Text() const;
    std::wstring WideText() const;
    // Bytes: a number, a "0x" string, or a decimal with a unit ("256GiB", "1.5MB", "512B").
    uint64_t ByteSize() const;
    // Exactly `bytes` bytes as hexadecimal digits (blanks allowed between them).
    std::vector<uint8_t> Hex(std::initializer_list<size_t> allowedBytes) const;
    std::vector<Field> Items() const;

    // One of the names in `choices`.
    template <typename T>
    T Choice(std::span<const std::pair<std::string_view, T>> choices) const {
        const std::string text = Text();
        std::string known;
        for (const auto& [name, value] : choices) {
            if (name == text) return value;
            known += (known.empty() ? "\"" : ", \"") + std::string(name) + "\"";
        }
        Fail("unknown value \"" + text + "\"; expected one of " + known);
    }

  private:
    const nlohmann::json* value_;
    std::string path_;
};

// An object whose keys are all accounted for. The keys it may hold are declared up front, so a
// misspelt key is named (with the declared key closest to it) before a key it stands for is
// found missing; every key must also be read, or it is reported as unknown when the reader is
// closed. An object of free-form keys declares none.
class ObjectReader {
  public:
    ObjectReader(const Field& field, std::vector<std::string_view> keys);

    Field Required(const std::string& key);
    std::optional<Field> Optional(const std::string& key);
    bool Has(const std::string& key) const;
    // The object's keys in the file's order, for an object of free-form keys.
    std::vector<std::string> Keys() const;
    const Field& Self() const { return self_; }
    // Reports the first key that was never read.
    void Close() const;

  private:
    Field self_;
    std::vector<std::string_view> keys_;
    std::set<std::string> read_;
};

// Shorthands of the section readers: one name out of a table, and optional keys with the
// value they take when a file leaves them out.
template <typename T, size_t N>
T Pick(const Field& field, const std::pair<std::string_view, T> (&choices)[N]) {
    return field.Choice<T>(std::span<const std::pair<std::string_view, T>>(choices, N));
}

inline bool OptionalBool(ObjectReader& object, const char* key, bool fallback) {
    const auto field = object.Optional(key);
    return field ? field->Bool() : fallback;
}

template <typename T>
T OptionalUnsigned(ObjectReader& object, const char* key, T fallback, uint64_t max) {
    const auto field = object.Optional(key);
    return field ? static_cast<T>(field->Unsigned(max)) : fallback;
}

}  // namespace platform::sim
