# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the files about to be packaged: what Debian's
# policy asks of a package and a plain `cmake --install` has no use for. The programs are
# stripped as dh_strip does, the manual pages compressed, the copyright and a changelog for this
# version go to /usr/share/doc/wqnprep/, and the lintian overrides to where lintian reads them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")

find_program(GZIP gzip REQUIRED)
# -n leaves the name and time out of the file, so that a rebuild gives the same bytes.
function(gzip_best file)
  execute_process(COMMAND "${GZIP}" -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endfunction()

find_program(STRIP strip REQUIRED)
file(GLOB programs "${root}/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${STRIP}" --remove-section=.comment --remove-section=.note
                          "${program}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(GLOB_RECURSE pages "${root}/share/man/*.[1-9]")
foreach(page IN LISTS pages)
  gzip_best("${page}")
endforeach()

file(MAKE_DIRECTORY "${doc}")
file(COPY_FILE "${CPACK_WQNPREP_SOURCE_DIR}/packaging/copyright" "${doc}/copyright")
set(overrides "${root}/share/lintian/overrides")
file(MAKE_DIRECTORY "${overrides}")
file(COPY_FILE "${CPACK_WQNPREP_SOURCE_DIR}/packaging/lintian-overrides"
     "${overrides}/${CPACK_PACKAGE_NAME}")

# One entry for the packaged version; SOURCE_DATE_EPOCH, when set, fixes its date.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
file(WRITE "${doc}/changelog.Debian"
     "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n"
     "  * Package ${CPACK_PACKAGE_NAME} ${CPACK_PACKAGE_VERSION}.\n\n"
     " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n")
gzip_best("${doc}/changelog.Debian")
