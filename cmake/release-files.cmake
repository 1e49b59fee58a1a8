# The files that a release carries beside the program on Linux and other POSIX systems, made from
# the project's own: the manual page with the version and release date, gzipped; and, for the
# documentation directory, a machine-readable copyright file made from LICENSE and a changelog
# made from CHANGELOG.md, both in Debian's formats.

# Reads CHANGELOG.md, whose releases are headed "## VERSION (YYYY-MM-DD HH:MM UTC)", each with a
# closing group "### TITLE" of its own, into `changelog` (in Debian's format) and the date of its
# newest release into `release_date` (YYYY-MM-DD). The newest release must be the project's
# version.
function(tempconv_read_changes changelog release_date)
  file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md lines)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  # The weekday of a date, which CMake cannot parse and `date -d` reads only on GNU systems, by
  # Sakamoto's method: these are its day-of-week offsets, by month.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  set(text "")
  set(signature "")
  set(newest "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9]) ([0-9][0-9]:[0-9][0-9]) UTC\\)$")
      set(version ${CMAKE_MATCH_1})
      set(year ${CMAKE_MATCH_2})
      set(mm ${CMAKE_MATCH_3})
      set(day ${CMAKE_MATCH_4})
      set(time ${CMAKE_MATCH_5})
      if(newest STREQUAL "")
        set(newest ${version})
        set(date ${year}-${mm}-${day})
      endif()
      string(REGEX REPLACE "^0" "" month ${mm})
      math(EXPR index "${month} - 1")
      list(GET months ${index} month_name)
      list(GET offsets ${index} offset)
      set(y ${year})
      if(month LESS 3)
        math(EXPR y "${year} - 1")
      endif()
      string(REGEX REPLACE "^0" "" d ${day})
      math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${d}) % 7")
      list(GET weekdays ${weekday} weekday_name)
      string(APPEND text "${signature}${PROJECT_NAME} (${version}) unstable; urgency=medium\n\n")
      set(signature "\n -- ${CPACK_PACKAGE_CONTACT}  ${weekday_name}, ${day} ${month_name} ${year} ${time}:00 +0000\n\n")
    elseif(NOT newest STREQUAL "" AND line MATCHES "^### (.*)")
      string(APPEND text "\n  [ ${CMAKE_MATCH_1} ]\n")
    elseif(NOT newest STREQUAL "" AND line MATCHES "^- (.*)")
      string(APPEND text "  * ${CMAKE_MATCH_1}\n")
    elseif(NOT newest STREQUAL "" AND line MATCHES "^  (.*)")
      string(APPEND text "    ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  string(REGEX REPLACE "\n\n$" "\n" signature "${signature}")
  if(NOT newest STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest release is '${newest}', not ${PROJECT_VERSION}: "
                        "write this release's changes there first")
  endif()
  set(${changelog} "${text}${signature}" PARENT_SCOPE)
  set(${release_date} ${date} PARENT_SCOPE)
endfunction()

# LICENSE as the one paragraph of a machine-readable copyright file: its first line names the
# licence, the line with "Copyright" the holders, and the rest is the text.
function(tempconv_copyright out)
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE lines)
  list(POP_FRONT lines name)
  string(REGEX REPLACE " License$" "" name "${name}")
  set(text "")
  set(holders "")
  foreach(line IN LISTS lines)
    if(holders STREQUAL "" AND line MATCHES "^Copyright \\(c\\) (.*)$")
      set(holders ${CMAKE_MATCH_1})
    elseif(line STREQUAL "")
      string(APPEND text " .\n")
    else()
      string(APPEND text " ${line}\n")
    endif()
  endforeach()
  string(REGEX REPLACE "^( \\.\n)+" "" text "${text}")
  set(${out} "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${holders}
License: ${name}
${text}" PARENT_SCOPE)
endfunction()

find_program(TEMPCONV_GZIP gzip)
if(NOT TEMPCONV_GZIP)
  message(FATAL_ERROR "Building tempconv needs gzip (Debian's gzip)")
endif()

tempconv_read_changes(changelog TEMPCONV_RELEASE_DATE)
tempconv_copyright(copyright)
set(release_dir ${PROJECT_BINARY_DIR}/release)
file(CONFIGURE OUTPUT ${release_dir}/changelog CONTENT "${changelog}")
file(CONFIGURE OUTPUT ${release_dir}/copyright CONTENT "${copyright}")
configure_file(man/tempconv.1 ${release_dir}/tempconv.1 @ONLY)

# gzip -9n, as Debian asks: best compression, and no name or time stamp, so that the same
# sources always give the same bytes.
set(gzipped "")
foreach(name tempconv.1 changelog)
  add_custom_command(OUTPUT ${release_dir}/${name}.gz
    COMMAND ${TEMPCONV_GZIP} -9nf ${release_dir}/${name} -c > ${release_dir}/${name}.gz
    DEPENDS ${release_dir}/${name}
    VERBATIM)
  list(APPEND gzipped ${release_dir}/${name}.gz)
endforeach()
add_custom_target(tempconv_release_files ALL DEPENDS ${gzipped})

install(FILES ${release_dir}/tempconv.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE ${release_dir}/copyright ${release_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Read by lintian only, so it goes into the .deb alone (see cpack-project.cmake.in). It explains
# the static link, so a program linked dynamically has none.
if(TEMPCONV_LINKED_STATICALLY)
  install(FILES cmake/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME ${PROJECT_NAME} COMPONENT deb EXCLUDE_FROM_ALL)
endif()
