# Writes OUTPUT, a C++ source whose function NAME returns the bytes of INPUT as a string_view.
# Run at build time, so an edited INPUT is embedded again.
file(READ "${INPUT}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace platform {\n\n"
  "namespace {\nconst char kBytes[] = {${bytes}0};\n}  // namespace\n\n"
  "std::string_view ${NAME}() { return std::string_view(kBytes, sizeof kBytes - 1); }\n\n"
  "}  // namespace platform\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
