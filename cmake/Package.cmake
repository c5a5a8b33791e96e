# The Debian package: ridelon_<version>_<arch>.deb with the three programs,
# the sample lines, the desktop entry and the icon. Library dependencies come
# from the binaries (dpkg-shlibdeps); the font is what no binary links.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ridelon)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir})
# Debian wants the changelog and manual pages compressed, without a timestamp
# in the gzip header.
function(ridelon_gzipped source name destination)
  set(text ${PROJECT_BINARY_DIR}/packaging/${name})
  configure_file(${source} ${text} @ONLY)
  add_custom_command(OUTPUT ${text}.gz
    COMMAND ${GZIP} -9nfk ${text}
    DEPENDS ${text})
  add_custom_target(gzip_${name} ALL DEPENDS ${text}.gz)
  install(FILES ${text}.gz DESTINATION ${destination})
endfunction()
ridelon_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog changelog ${doc_dir})
foreach(program ridelon ridelon-cli ridelon-site)
  ridelon_gzipped(${PROJECT_SOURCE_DIR}/packaging/man/${program}.1 ${program}.1
    ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ridelon)
set(CPACK_PACKAGE_CONTACT "Ridelon developers <ridelon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "stops of a bus or trolleybus line - 公交、电车线路站点查询")
# CPack puts the summary first, indents this and turns the empty line into a
# paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ridelon shows the stops of one bus or trolleybus line of a Chinese city, in
order, in a small window with a Simplified Chinese interface (ridelon) or on
the command line (ridelon-cli). It serves its sample lines, and the lines a
user imports from OpenStreetMap, itself; ridelon-site serves them to others.

输入城市和线路，即可查看公交车或电车线路的全部站点。附带示例线路，
也可从 OpenStreetMap 导入本地城市的真实线路。")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: the font, Qt's own
# Chinese texts (确定 on buttons) and the SVG plugins that draw the icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n, libqt6svg6")
set(CPACK_STRIP_FILES ON)
include(CPack)
