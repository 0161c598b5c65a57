# What a Linux installation holds beside the programs and their data: the
# manual pages, and the Debian package's copyright file, changelog and
# lintian overrides. Included from install.cmake.

# A stripped installation (the package's) drops the compiler's notes too, as
# Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program $<TARGET_FILE_NAME:pumpsel> $<TARGET_FILE_NAME:pumpsel-ini> $<TARGET_FILE_NAME:pumpsel-sheet>)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# The release date as the changelog writes it and as seconds, which dates the
# manual pages instead of the day of the build.
execute_process(COMMAND date --utc --date=${PUMPSEL_RELEASE_DATE} --rfc-email
                OUTPUT_VARIABLE PUMPSEL_RELEASE_DATE_EMAIL OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date --utc --date=${PUMPSEL_RELEASE_DATE} +%s
                OUTPUT_VARIABLE releaseSeconds OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# Manual pages made from the programs' own --help and --version (UTF-8, which
# help2man keeps only in a UTF-8 locale), gzipped without a time stamp.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
set(pumpsel_summary "pump selection for water-supply and drainage design")
set(pumpsel-ini_summary "read, write, check, search, export and import a pump catalogue")
set(pumpsel-sheet_summary "write the selection sheet of a pump as PDF")
set(installedDocs)
foreach(program pumpsel pumpsel-ini pumpsel-sheet)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${releaseSeconds}
            ${HELP2MAN} --no-info --locale=C.UTF-8 --section=1 "--name=${${program}_summary}"
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${program}
    COMMENT "Writing the manual page of ${program}" VERBATIM)
  install(FILES ${page}.gz DESTINATION share/man/man1)
  list(APPEND installedDocs ${page}.gz)
endforeach()

configure_file(packaging/changelog.in changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP} -9nkf ${CMAKE_BINARY_DIR}/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/changelog VERBATIM)
list(APPEND installedDocs ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(installed_docs ALL DEPENDS ${installedDocs})
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz packaging/copyright DESTINATION share/doc/${CPACK_PACKAGE_NAME})
install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides RENAME ${CPACK_PACKAGE_NAME})
