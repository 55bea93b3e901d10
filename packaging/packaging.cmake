# SPDX-License-Identifier: MIT
# What `cmake --install` puts beside the programs, and the Debian package
# that CPack builds from it (`cpack -G DEB` in the build folder, or
# `bash dev.sh package`). The programs install themselves in their folders'
# CMakeLists: kolva, probecard and kolva-record into bin.
set(KOLVA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# A menu start runs kolva-start: kolva in the operator's ~/kolva folder.
install(PROGRAMS ${KOLVA_PACKAGING_DIR}/kolva-start DESTINATION bin)
install(FILES ${KOLVA_PACKAGING_DIR}/kolva.desktop DESTINATION share/applications)
install(FILES ${KOLVA_PACKAGING_DIR}/kolva.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION share/doc/kolva)
# The manual pages of kolva and probecard (kolva-record's is installed by
# tools/, beside its program).
install(FILES ${PROJECT_SOURCE_DIR}/doc/kolva.1 ${PROJECT_SOURCE_DIR}/doc/probecard.1
        DESTINATION share/man/man1)
# Manual pages are kept compressed, as Debian does (this runs after the
# install rules of the folders, which come first in the top-level file).
install(CODE [[
  foreach(name kolva kolva-record probecard)
    set(page "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/man/man1/${name}.1")
    if(EXISTS "${page}")
      execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolva)
set(CPACK_PACKAGE_VENDOR "Kolva developers")
set(CPACK_PACKAGE_CONTACT "Kolva developers <kolva@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "records the two inputs of a 12-bit ADC card on the I/O bus")
set(CPACK_PACKAGE_DESCRIPTION
    "Kolva shows both inputs of the lab's two-channel 12-bit ADC card live in\n"
    "millivolts, records timed measurements (optionally started by the card's\n"
    "trigger input) into plain text results files, and plots a recording live\n"
    "with mouse zoom and pan. kolva-record records from the command line. A\n"
    "simulated card (KOLVA_CARD=sim) runs it without the hardware.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kolva_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap for the capability step; the Arial-width face the windows were laid
# out with, without which captions and the chart title are cut off.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, fonts-liberation")

# No postrm: the package keeps no state outside its files, and a postrm
# would leave it in dpkg's config-files state after `dpkg -r` until a purge.
set(KOLVA_PACKAGE_BINDIR ${CPACK_PACKAGING_INSTALL_PREFIX}/bin)
foreach(script postinst prerm)
  configure_file(${KOLVA_PACKAGING_DIR}/debian/${script}.in
                 ${PROJECT_BINARY_DIR}/packaging/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
