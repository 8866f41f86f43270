// Setting and clearing environment variables from a test, the same way on every host.
#pragma once

#include <optional>
#include <string>

// Sets `name` to `value`, or removes it when there is no value.
void SetTestEnvironment(const char* name, const std::optional<std::string>& value);
