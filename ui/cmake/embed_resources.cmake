# Script mode: turns the files named in LIST ("id|type|path" lines) into C++ arrays in OUT and a
# function FUNCTION that returns a CResourceModule holding them.
file(STRINGS ${LIST} lines)
set(arrays "")
set(adds "")
set(n 0)
foreach(line IN LISTS lines)
  string(REPLACE "|" ";" parts "${line}")
  list(GET parts 0 id)
  list(GET parts 1 type)
  list(GET parts 2 path)
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kResource${n}[] = {${bytes}0};\n")
  string(APPEND adds "        module.Add(L\"${id}\", L\"${type}\", {reinterpret_cast<const char*>(kResource${n}), ${size}});\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from the resource list; do not edit.
#include \"ui/resources.h\"

namespace {
${arrays}}  // namespace

const SkinUI::CResourceModule& ${FUNCTION}() {
    static const SkinUI::CResourceModule resources = [] {
        SkinUI::CResourceModule module;
${adds}        return module;
    }();
    return resources;
}
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
