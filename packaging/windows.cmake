# What a Windows installation holds beside the programs and their data: the
# Qt libraries and plugins the windows load, the MinGW runtime those were
# built against, and Qt's Chinese translations; then the zip and the NSIS
# installer made of it. The same files are put beside the built programs, so
# that they and the tests run from the build folder under Wine. Included
# from install.cmake.

# Qt's libraries, and the plugins by the folder Qt looks for them in beside
# the program: the platform, the native look, the picture formats of the
# catalogue beyond the built-in BMP and PNG (JPEG, GIF, and ICO for icons).
set(qtLibraries Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
set(qtPlugins platforms/Qt6::QWindowsIntegrationPlugin styles/Qt6::QWindowsVistaStylePlugin
              imageformats/Qt6::QJpegPlugin imageformats/Qt6::QGifPlugin imageformats/Qt6::QICOPlugin)

# The programs themselves are linked statically; Qt's libraries need the
# compiler's runtime libraries beside them.
set(mingwRuntime)
foreach(library libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "The compiler does not know where ${library} is")
  endif()
  list(APPEND mingwRuntime ${path})
endforeach()

# The program loads Qt's translations from translations/ beside it (app/translations.cpp).
set(qtTranslations ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_zh_CN.qm)
if(NOT EXISTS ${qtTranslations})
  message(FATAL_ERROR "${qtTranslations} is missing: packaging/windows/build-qt.sh copies it from qt6-translations-l10n")
endif()

# Puts a file into a folder below bin/ beside the built programs and, unless
# it serves only the tests, into the installation.
set(runtimeCommands)
macro(deploy folder file)
  list(APPEND runtimeCommands COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder})
  if(NOT "${ARGN}" STREQUAL "TESTS_ONLY")
    install(FILES ${file} DESTINATION bin/${folder})
  endif()
endmacro()

foreach(file IN LISTS mingwRuntime)
  deploy(. ${file})
endforeach()
foreach(library IN LISTS qtLibraries)
  deploy(. $<TARGET_FILE:${library}>)
endforeach()
foreach(plugin IN LISTS qtPlugins)
  string(REGEX MATCH "^[^/]+" folder ${plugin})
  string(REGEX REPLACE "^[^/]+/" "" target ${plugin})
  deploy(${folder} $<TARGET_FILE:${target}>)
endforeach()
deploy(translations ${qtTranslations})
if(BUILD_TESTING)
  deploy(. $<TARGET_FILE:Qt6::Test> TESTS_ONLY)
  deploy(platforms $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> TESTS_ONLY)
endif()
add_custom_target(windows_runtime ALL ${runtimeCommands} COMMENT "Copying Qt and the MinGW runtime beside the programs"
                  VERBATIM)

# pumpsel-<version>-win64.zip, a folder to unpack anywhere, and the installer
# pumpsel-<version>-win64.exe: into Program Files, with a Start menu entry
# and an uninstaller. Both hold bin/ and share/pumpsel/, so that the program
# copies the catalogue into the user's folder on first start, as on Linux.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME pumpsel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_VENDOR pumpsel)
set(CPACK_PACKAGE_INSTALL_DIRECTORY pumpsel)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME 水泵选型)
set(CPACK_NSIS_DISPLAY_NAME 水泵选型)
set(CPACK_NSIS_URL_INFO_ABOUT ${PUMPSEL_HOMEPAGE})
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/pumpsel.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/packaging/pumpsel.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\pumpsel.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_PACKAGE_EXECUTABLES pumpsel 水泵选型)
# A 64-bit installer for the 64-bit program (it runs where a 32-bit one cannot,
# as under a 64-bit-only Wine), Unicode for the Chinese names.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# The installed catalogue is the pattern of the users' copies, never written:
# its files are made read-only (the uninstaller removes them all the same).
set(readOnlyCatalogue)
foreach(file IN LISTS DEMO_FILES)
  file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR}/demo-catalogue ${file})
  string(REPLACE "/" "\\\\" name "${name}")
  string(APPEND readOnlyCatalogue "SetFileAttributes \\\"$INSTDIR\\\\share\\\\pumpsel\\\\${name}\\\" READONLY\n")
endforeach()
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS ${readOnlyCatalogue})
