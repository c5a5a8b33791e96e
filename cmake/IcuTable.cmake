# Tables taken from ICU at build time, so that the programs start with them
# ready and need no ICU at run time.

# Builds tools/NAME_gen.cpp against ICU and has it write
# generated/NAME.inc in the calling folder's build tree, which the folder's
# sources include; OUT_VAR names that file, to be listed among the sources.
function(ridelon_icu_table name what out_var)
  add_executable(${name}_gen tools/${name}_gen.cpp)
  target_link_libraries(${name}_gen PRIVATE ICU::uc)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/generated/${name}.inc)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
    COMMAND ${name}_gen ${output}
    DEPENDS ${name}_gen
    COMMENT "Generating ${what}")
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
