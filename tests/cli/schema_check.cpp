#include "tests/cli/schema_check.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>

namespace {

using nlohmann::json;

// Keywords that describe and do not constrain.
const std::set<std::string> kAnnotations{"$schema", "$id", "$defs", "title", "description"};
const std::set<std::string> kChecked{
    "type",  "const",    "enum",     "required", "properties", "additionalProperties",
    "items", "minItems", "maxItems", "minimum",  "maximum",    "pattern",
    "$ref"};

// JSON's type names are the schema's, but for "integer", a kind of number.
bool HasType(const json& value, const std::string& type) {
    return type == value.type_name() || (type == "integer" && value.is_number_integer());
}

class Checker {
  public:
    explicit Checker(const json& root) : root_(root) {}

    void Check(const json& schema, const json& value, const std::string& path) {
        for (const auto& [keyword, _] : schema.items())
            if (!kAnnotations.contains(keyword) && !kChecked.contains(keyword))
                Fail(path, "schema keyword \"" + keyword + "\" is not supported");

        if (schema.contains("$ref")) {
            const std::string ref = schema["$ref"];
            const std::string prefix = "#/$defs/";
            if (ref.rfind(prefix, 0) != 0 || !root_["$defs"].contains(ref.substr(prefix.size())))
                Fail(path, "unresolved $ref " + ref);
            else
                Check(root_["$defs"][ref.substr(prefix.size())], value, path);
        }
        if (schema.contains("type")) {
            const json& type = schema["type"];
            bool matches = false;
            for (const json& one : type.is_array() ? type : json::array({type}))
                matches = matches || HasType(value, one.get<std::string>());
            if (!matches) return Fail(path, "is not of type " + type.dump());
        }
        if (schema.contains("const") && value != schema["const"])
            Fail(path, "is not " + schema["const"].dump());
        if (schema.contains("enum") &&
            std::find(schema["enum"].begin(), schema["enum"].end(), value) == schema["enum"].end())
            Fail(path, "is not one of " + schema["enum"].dump());
        if (value.is_number()) {
            if (schema.contains("minimum") && value < schema["minimum"])
                Fail(path, "is below " + schema["minimum"].dump());
            if (schema.contains("maximum") && value > schema["maximum"])
                Fail(path, "is above " + schema["maximum"].dump());
        }
        if (value.is_string() && schema.contains("pattern") &&
            !std::regex_search(value.get<std::string>(),
                               std::regex(schema["pattern"].get<std::string>())))
            Fail(path, "does not match " + schema["pattern"].dump());
        if (value.is_array()) CheckArray(schema, value, path);
        if (value.is_object()) CheckObject(schema, value, path);
    }

    std::vector<std::string> problems;

  private:
    void Fail(const std::string& path, const std::string& what) {
        problems.push_back(path + ": " + what);
    }

    void CheckArray(const json& schema, const json& value, const std::string& path) {
        if (schema.contains("minItems") && value.size() < schema["minItems"].get<size_t>())
            Fail(path, "has fewer than " + schema["minItems"].dump() + " items");
        if (schema.contains("maxItems") && value.size() > schema["maxItems"].get<size_t>())
            Fail(path, "has more than " + schema["maxItems"].dump() + " items");
        if (schema.contains("items"))
            for (size_t i = 0; i < value.size(); ++i)
                Check(schema["items"], value[i], path + "[" + std::to_string(i) + "]");
    }

    void CheckObject(const json& schema, const json& value, const std::string& path) {
        if (schema.contains("required"))
            for (const json& key : schema["required"])
                if (!value.contains(key.get<std::string>()))
                    Fail(path, "missing key " + key.dump());
        const json properties = schema.value("properties", json::object());
        // A key the schema does not name follows additionalProperties: a schema, or a yes or no.
        for (const auto& [key, member] : value.items()) {
            const json rule = properties.contains(key)
                                  ? properties[key]
                                  : schema.value("additionalProperties", json(true));
            if (!rule.is_boolean())
                Check(rule, member, path + "." + key);
            else if (!rule.get<bool>())
                Fail(path + "." + key, "is not allowed");
        }
    }

    const json& root_;
};

}  // namespace

std::vector<std::string> CheckSchema(const json& schema, const json& document) {
    Checker checker(schema);
    checker.Check(schema, document, "$");
    return checker.problems;
}

json ReportSchema() {
    std::ifstream in(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    return json::parse(in);
}
