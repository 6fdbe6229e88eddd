# Writes OUTPUT, a C++ source with the files given as PATH=KIND=FILE|... compiled in, and
# findAsset() over them.
set(body "#include \"logger/web/Assets.h\"\n\n#include <iterator>\n\nnamespace {\n")
set(table "")
set(index 0)
set(type_html "text/html; charset=utf-8")
set(type_css "text/css; charset=utf-8")
set(type_js "application/javascript; charset=utf-8")
set(type_svg "image/svg+xml; charset=utf-8")
string(REPLACE "|" ";" ASSETS "${ASSETS}")
foreach(entry IN LISTS ASSETS)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 path)
    list(GET parts 1 kind)
    set(type "${type_${kind}}")
    list(GET parts 2 file)
    file(READ "${file}" hex HEX)
    string(LENGTH "${hex}" length)
    math(EXPR size "${length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND body "const unsigned char data${index}[] = {${bytes}};\n")
    string(APPEND table "    {\"${path}\", \"${type}\", data${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "const Tasset Assets[] = {\n${table}};\n} // namespace\n\n"
    "const Tasset* findAsset(std::string_view path) {\n"
    "    for (const Tasset& asset : Assets)\n"
    "        if (path == asset.path) return &asset;\n"
    "    return nullptr;\n}\n")
file(WRITE "${OUTPUT}.new" "${body}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
