# ICU for the libraries, through one interface target. A program that sets the
# target property RIDELON_STATIC_ICU links ICU (and libstdc++) statically: a
# short-lived command then skips loading and relocating ICU's shared library,
# which costs more than the rest of its start-up.
find_package(ICU REQUIRED COMPONENTS uc)
find_library(RIDELON_ICUUC_STATIC NAMES libicuuc.a)
find_library(RIDELON_ICUDATA_STATIC NAMES libicudata.a)

add_library(ridelon_icu INTERFACE)
target_include_directories(ridelon_icu INTERFACE ${ICU_INCLUDE_DIRS})
set(static_icu "$<BOOL:$<TARGET_PROPERTY:RIDELON_STATIC_ICU>>")
if(RIDELON_ICUUC_STATIC AND RIDELON_ICUDATA_STATIC)
  target_link_libraries(ridelon_icu INTERFACE
    "$<${static_icu}:${RIDELON_ICUUC_STATIC}>"
    "$<${static_icu}:${RIDELON_ICUDATA_STATIC}>"
    "$<${static_icu}:${CMAKE_DL_LIBS}>"
    "$<$<NOT:${static_icu}>:ICU::uc>")
else()
  message(STATUS "No static ICU archives; every program links ICU dynamically")
  target_link_libraries(ridelon_icu INTERFACE ICU::uc)
endif()

option(RIDELON_STATIC_CLI "Link ICU and libstdc++ statically into ridelon-cli (quick start-up)" ON)
