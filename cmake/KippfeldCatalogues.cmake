# Run as a script (cmake -P) at build time: writes OUTPUT, a C++ source that
# holds the bytes of each compiled catalogue (CATALOGUES, a list of
# code=path.mo) and words::BuiltInCatalogue, which hands them out by code.
# The bytes are in the program itself, so every build speaks every language
# with no file to install beside it.
set(kippfeld_arrays "")
set(kippfeld_cases "")
set(kippfeld_index 0)
foreach(kippfeld_entry IN LISTS CATALOGUES)
  string(REPLACE "=" ";" kippfeld_pair "${kippfeld_entry}")
  list(GET kippfeld_pair 0 kippfeld_code)
  list(GET kippfeld_pair 1 kippfeld_file)
  file(READ "${kippfeld_file}" kippfeld_hex HEX)
  file(SIZE "${kippfeld_file}" kippfeld_size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," kippfeld_bytes "${kippfeld_hex}")
  string(REGEX REPLACE "(('\\\\x..',){16})" "\\1\n    " kippfeld_bytes "${kippfeld_bytes}")
  string(APPEND kippfeld_arrays
         "// ${kippfeld_code}: ${kippfeld_size} bytes\n"
         "constexpr char kCatalogue${kippfeld_index}[] = {\n    ${kippfeld_bytes}'\\0'};\n")
  string(APPEND kippfeld_cases
         "  if (code == \"${kippfeld_code}\") return {kCatalogue${kippfeld_index}, ${kippfeld_size}};\n")
  math(EXPR kippfeld_index "${kippfeld_index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new"
     "// Made by cmake/KippfeldCatalogues.cmake from po/*.po; not to be edited.\n"
     "#include \"words/builtin.h\"\n\n"
     "namespace kippfeld::words {\n\nnamespace {\n\n"
     "${kippfeld_arrays}\n"
     "}  // namespace\n\n"
     "std::string_view BuiltInCatalogue(std::string_view code) {\n"
     "${kippfeld_cases}"
     "  return {};\n}\n\n"
     "}  // namespace kippfeld::words\n")
# Only a change touches the source, so that nothing else builds again.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
