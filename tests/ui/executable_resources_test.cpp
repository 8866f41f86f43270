// Resources compiled into this test program from a resource script, found in the executable.
#include <gtest/gtest.h>

#include "ui/resources.h"

const SkinUI::CResourceModule& ProbeResources();

namespace {

struct Lookup {
    const wchar_t* name;
    const wchar_t* type;
    bool found;
    const char* why;
};

TEST(ExecutableResources, FindsIdsAndNamesWithTypesInAnyCase) {
    const Lookup rows[] = {
        {L"601", L"XML", true, "an integer id"},
        {L"601", L"xml", true, "the type in lower case"},
        {L"probe.xml", L"FILE", true, "a string name"},
        {L"PROBE.XML", L"file", true, "a string name in another case, as Windows compares"},
        {L"601", L"PNG", false, "the id under another type"},
        {L"602", L"XML", false, "a missing id"},
        {L"66137", L"XML", false, "an id past 16 bits does not wrap onto 601"},
        {L"probe", L"FILE", false, "a missing name"},
        {L"", L"XML", false, "no name"},
        {L"601", L"", false, "no type"},
    };
    for (const Lookup& row : rows) {
        const auto bytes = ProbeResources().Find(row.name, row.type);
        ASSERT_EQ(bytes.has_value(), row.found) << row.why;
        if (bytes) {
            EXPECT_TRUE(bytes->starts_with("<?xml")) << row.why;
        }
    }
}

}  // namespace
