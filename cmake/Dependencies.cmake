# Every package a build needs, looked for here and quietly, so that what is
# missing is named once as the Debian packages that bring it (the caller
# stops on RIDELON_MISSING_PACKAGES) rather than as a backtrace per package.
set(RIDELON_MISSING_PACKAGES "")
macro(ridelon_needs found debian_package)
  if(NOT ${found})
    list(APPEND RIDELON_MISSING_PACKAGES ${debian_package})
  endif()
endmacro()

find_package(PkgConfig QUIET)
ridelon_needs(PKG_CONFIG_FOUND pkg-config)
find_package(Threads REQUIRED)
find_package(CURL QUIET)
ridelon_needs(CURL_FOUND libcurl4-openssl-dev)
# ICU at build time only, for the tables the programs start with.
find_package(ICU QUIET COMPONENTS uc)
ridelon_needs(ICU_FOUND libicu-dev)
find_program(GZIP gzip)
ridelon_needs(GZIP gzip)
find_program(BZIP2 bzip2)
ridelon_needs(BZIP2 bzip2)
set(RIDELON_UNIHAN_DIR /usr/share/unicode CACHE PATH "where Unihan_*.txt.bz2 are")
if(NOT EXISTS ${RIDELON_UNIHAN_DIR}/Unihan_Readings.txt.bz2)
  list(APPEND RIDELON_MISSING_PACKAGES unicode-data)
endif()

# What libosmium (header-only) reads OpenStreetMap extracts with.
find_path(OSMIUM_INCLUDE_DIR osmium/osm.hpp)
ridelon_needs(OSMIUM_INCLUDE_DIR libosmium2-dev)
find_package(ZLIB QUIET)
ridelon_needs(ZLIB_FOUND zlib1g-dev)
find_package(BZip2 QUIET)
ridelon_needs(BZIP2_FOUND libbz2-dev)
find_package(EXPAT QUIET)
ridelon_needs(EXPAT_FOUND libexpat1-dev)

if(PKG_CONFIG_FOUND)
  # core and extra (the HTTP server) rather than "libevent", which holds both
  # again: libevent_pthreads needs core, and a program would load the code twice.
  pkg_check_modules(LIBEVENT QUIET IMPORTED_TARGET libevent_core libevent_extra libevent_pthreads)
  ridelon_needs(LIBEVENT_FOUND libevent-dev)
  pkg_check_modules(LIBZIP QUIET IMPORTED_TARGET libzip)
  ridelon_needs(LIBZIP_FOUND libzip-dev)
endif()

if(RIDELON_BUILD_UI)
  find_package(Qt6 QUIET COMPONENTS Widgets)
  ridelon_needs(Qt6Widgets_FOUND qt6-base-dev)
endif()

# What only the tests and benchmarks need, which scripts/setup dev installs.
if(RIDELON_BUILD_TESTS)
  find_package(GTest QUIET)
  ridelon_needs(GTest_FOUND libgtest-dev)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(HTTPLIB QUIET IMPORTED_TARGET cpp-httplib)
    ridelon_needs(HTTPLIB_FOUND libcpp-httplib-dev)
  endif()
  if(RIDELON_BUILD_UI AND Qt6Widgets_FOUND)
    # GuiPrivate: the platform's own way in, to send a close request as a
    # window manager does. Its target is there without its headers.
    find_package(Qt6 QUIET COMPONENTS Gui Test)
    ridelon_needs(Qt6Test_FOUND qt6-base-dev)
    get_target_property(gui_private_dirs Qt6::GuiPrivate INTERFACE_INCLUDE_DIRECTORIES)
    find_file(QT_WINDOW_SYSTEM_HEADER qpa/qwindowsysteminterface.h PATHS ${gui_private_dirs}
      NO_DEFAULT_PATH)
    ridelon_needs(QT_WINDOW_SYSTEM_HEADER qt6-base-private-dev)
  endif()
endif()
if(RIDELON_BUILD_BENCH)
  find_package(benchmark QUIET)
  ridelon_needs(benchmark_FOUND libbenchmark-dev)
endif()
