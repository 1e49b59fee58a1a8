# What Windows shows of the program: a version resource made from the project's version, and a
# manifest (platform/windows.manifest). The subsystem version is Vista's, 6.0, the oldest Windows
# that has GetTickCount64, which the C++ runtime imports. No time stamp goes into the file, so
# that the same sources always give the same bytes.
enable_language(RC)
file(STRINGS LICENSE TEMPCONV_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
configure_file(platform/windows.rc.in windows.rc @ONLY)
target_sources(tempconv PRIVATE ${PROJECT_BINARY_DIR}/windows.rc)
if(MSVC)
  # The manifest comes from the resource, where the linker's own would clash with it. Microsoft's
  # linker marks a console program terminal-server aware by itself.
  target_link_options(tempconv PRIVATE /MANIFEST:NO /SUBSYSTEM:CONSOLE,6.00 /Brepro)
  target_compile_options(tempconv_options INTERFACE /Brepro)
else()
  # Stripped by the linker: strip, as cpack would run it, stamps the file with the time.
  target_link_options(tempconv PRIVATE
    LINKER:--major-subsystem-version,6,--minor-subsystem-version,0
    LINKER:--major-os-version,6,--minor-os-version,0
    LINKER:--tsaware LINKER:--no-insert-timestamp
    $<$<CONFIG:Release,MinSizeRel>:-s>)
endif()
