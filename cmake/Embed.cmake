# Writes the files given as INPUTS (name=path;…) into OUTPUT as C++ string
# views, one per file:  cmake -DINPUTS=… -DOUTPUT=… -P Embed.cmake
set(text "// Generated from the files of front/assets; do not edit.\n#include <string_view>\n")
foreach(input IN LISTS INPUTS)
  string(REPLACE "=" ";" pair "${input}")
  list(GET pair 0 name)
  list(GET pair 1 path)
  file(READ "${path}" content)
  string(APPEND text "inline constexpr std::string_view ${name} = R\"asset(${content})asset\";\n")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
