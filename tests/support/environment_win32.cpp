#include <cstdlib>

#include "tests/support/environment.h"

void SetTestEnvironment(const char* name, const std::optional<std::string>& value) {
    // An empty value removes the variable from the C library's copy, which getenv reads.
    _putenv_s(name, value ? value->c_str() : "");
}
