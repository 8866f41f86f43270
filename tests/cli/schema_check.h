// A JSON Schema checker for the keywords the report schema uses (type, const, enum, required,
// properties, additionalProperties, items, minItems, maxItems, minimum, maximum, pattern and
// local $ref). A keyword it does not know is itself an error, so a schema can never pass by
// being misunderstood.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The problems of `document` against `schema`, each "<JSON path>: <what is wrong>"; empty when
// it conforms.
std::vector<std::string> CheckSchema(const nlohmann::json& schema, const nlohmann::json& document);
// The report's schema as the repository ships it (docs/report.schema.json).
nlohmann::json ReportSchema();
