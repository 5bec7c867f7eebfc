# What the Windows program carries and how it is installed; included by CMakeLists.txt on Windows.
# The installed folder, and the zip cpack makes of it (tests/windows/package_test.sh), is what a
# person unpacks anywhere: wqnprep.exe, README.txt, LICENSE.txt and MANUAL.txt side by side, and
# the CMake package in cmake/, where find_package() looks on Windows.

# What Explorer shows under Properties, Details, from the one version; how Windows runs the
# program (packaging/windows/wqnprep.manifest).
enable_language(RC)
set(WQNPREP_VENDOR "the wqnprep authors")
set(WQNPREP_COPYRIGHT "Copyright (C) 2026 ${WQNPREP_VENDOR}")  # as --version prints it
set(WQNPREP_MANIFEST "${PROJECT_SOURCE_DIR}/packaging/windows/wqnprep.manifest")
configure_file(packaging/windows/wqnprep.rc.in wqnprep.rc @ONLY)
target_sources(wqnprep PRIVATE "${PROJECT_BINARY_DIR}/wqnprep.rc")
set_source_files_properties("${PROJECT_BINARY_DIR}/wqnprep.rc" PROPERTIES
                            OBJECT_DEPENDS "${WQNPREP_MANIFEST}")
if(MSVC)
  target_link_options(wqnprep PRIVATE /MANIFEST:NO)  # the resource holds the one manifest
endif()
if(MINGW)
  # The runtime's static libraries bring their debug information, twice the program's size.
  target_link_options(wqnprep PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
endif()

set(WQNPREP_PROGRAM_DIR .)
set(WQNPREP_CMAKE_DIR cmake)
install(FILES README.md DESTINATION . RENAME README.txt)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
# The manual page as text, as Windows has no man; without groff, its source.
find_program(GROFF groff)
if(GROFF)
  set(manual "${PROJECT_BINARY_DIR}/MANUAL.txt")
  set(render "${PROJECT_SOURCE_DIR}/packaging/windows/render_manual.cmake")
  add_custom_command(OUTPUT "${manual}"
                     COMMAND "${CMAKE_COMMAND}" "-DGROFF=${GROFF}"
                             "-DPAGE=${PROJECT_BINARY_DIR}/wqnprep.1" "-DTEXT=${manual}" -P "${render}"
                     DEPENDS "${PROJECT_BINARY_DIR}/wqnprep.1" "${render}" VERBATIM)
  add_custom_target(wqnprep_manual ALL DEPENDS "${manual}")
  install(FILES "${manual}" DESTINATION .)
else()
  message(STATUS "groff not found: the Windows package holds wqnprep.1 instead of MANUAL.txt")
  install(FILES "${PROJECT_BINARY_DIR}/wqnprep.1" DESTINATION .)
endif()

# cpack, and the package target, make the zip: wqnprep-VERSION-win64.zip, holding one folder.
set(CPACK_GENERATOR ZIP)
