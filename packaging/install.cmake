# Installation. The program looks for the catalogue it starts users with in
# share/pumpsel beside its bin/ folder, so these two stay together.
install(TARGETS pumpsel pumpsel-ini pumpsel-sheet RUNTIME DESTINATION bin)
install(DIRECTORY demo-catalogue/txt demo-catalogue/images DESTINATION share/pumpsel)

set(CPACK_PACKAGE_NAME pumpsel)
set(CPACK_PACKAGE_CONTACT "水泵选型 developers <pumpsel-dev@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pump selection for water-supply and drainage design")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  # `cpack` makes the zip and the installer (./dev windows).
  include(packaging/windows.cmake)
  include(CPack)
  return()
endif()

configure_file(packaging/${PUMPSEL_APP_ID}.metainfo.xml.in ${PUMPSEL_APP_ID}.metainfo.xml @ONLY)
install(FILES packaging/${PUMPSEL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_BINARY_DIR}/${PUMPSEL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 32 64)
  install(FILES src/ui/pictures/icon${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${PUMPSEL_APP_ID}.png)
endforeach()
install(FILES packaging/${PUMPSEL_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)

# Not for the sanitizer and fuzz builds, which are never installed: their
# programs would have to run under the sanitizers to write the manual pages.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT PUMPSEL_SANITIZE AND NOT PUMPSEL_FUZZ)
  include(packaging/linux.cmake)
endif()

# `cpack` (./dev package) makes a Debian package of the installation.
set(CPACK_GENERATOR DEB)
# Debian shows each line as it is: they stay below 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "A tool for engineers who design water-supply and drainage installations,
on a pump catalogue kept in plain INI-style text files. Pick a pump kind and
a maker, type the flow and head of the duty point, and get the maker's pumps
whose flow and head ranges hold it. Browse a maker's pumps with their remarks
and pictures, search every maker of a kind at once on a flow-head chart, and
write the selected pump to a short report. The interface is Chinese.

pumpsel-ini checks, searches, exports and imports the catalogue from the
command line. A demo catalogue of invented makers comes with the program.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PUMPSEL_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Library dependencies come from dpkg-shlibdeps; a Chinese font is the one
# thing the program uses without linking to it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei, qt6-translations-l10n")
include(CPack)
