# What a Linux installation holds beside the programs and the desktop files (cmake --install and
# the .deb alike): the manual pages, brindle-cli's shell completion, the copyright file in
# Debian's machine-readable format and the package changelog; and the .deb's own settings.
include(GNUInstallDirs)

find_program(BRINDLE_GZIP_EXECUTABLE gzip REQUIRED)
set(brindle_generated ${PROJECT_BINARY_DIR}/generated)

# Compressed as Debian wants them (gzip -9n: no name, no time stamp, so the bytes are the same
# on every build); man reads them so from any prefix.
function(brindle_gzip source target)
    execute_process(COMMAND ${BRINDLE_GZIP_EXECUTABLE} -9nc ${source}
                    OUTPUT_FILE ${target} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# Manual pages: one source each in docs/man/, with the version and the release date filled in.
foreach(page brindle brindle-cli)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${brindle_generated}/man/${page}.1 @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in)
    brindle_gzip(${brindle_generated}/man/${page}.1 ${brindle_generated}/man/${page}.1.gz)
    install(FILES ${brindle_generated}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Completion, where each shell looks for it.
set(brindle_completion ${PROJECT_SOURCE_DIR}/resources/completion)
install(FILES ${brindle_completion}/brindle-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME brindle-cli)
install(FILES ${brindle_completion}/_brindle-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${brindle_completion}/brindle-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# The copyright file, from LICENSE: Debian calls the MIT licence "Expat".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE brindle_license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(REGEX REPLACE "^MIT License\n\nCopyright \\(c\\) [^\n]*\n\n" "" brindle_license_body "${brindle_license}")
string(STRIP "${brindle_license_body}" brindle_license_body)
string(REGEX REPLACE "\n\n" "\n.\n" brindle_license_body "${brindle_license_body}")
string(REGEX REPLACE "\n" "\n " brindle_license_body "${brindle_license_body}")
file(WRITE ${brindle_generated}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Brindle
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: 2026 The Brindle developers
License: Expat

License: Expat
 ${brindle_license_body}
")
install(FILES ${brindle_generated}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)

# The changelog, made from resources/releases.txt (cmake/AppMetadata.cmake).
file(WRITE ${brindle_generated}/changelog.Debian "${BRINDLE_DEBIAN_CHANGELOG}")
brindle_gzip(${brindle_generated}/changelog.Debian ${brindle_generated}/changelog.Debian.gz)
install(FILES ${brindle_generated}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)
# The package is made by its developers with CPack, outside the Debian archive: its first
# changelog entry has no ITP bug to close.
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME brindle)

# The .deb: its programs stripped, their debugging information in brindle-dbgsym (a .ddeb).
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianPostBuild.cmake)
# Without it a Wayland-only session has no platform plugin to show the wizard with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_PACKAGE_DESCRIPTION
"Brindle opens a firmware image for the Norvale USB host-controller chips,
decodes the start-up parameters of its command monitor and lets you change
them page by page: the UART settings, the initial command set and input mode,
the monitor's options, the USB slave identity of QSOL firmware and the
target-directory prefix of QWEX and QJ4J firmware. It writes the modified
firmware as a 64 KiB ROM image or a QUF upgrade file, copying every byte it
does not interpret unchanged.

The package also holds brindle-cli, which describes, customises and compares
firmware files from the command line and in scripts, with the wizard's
results byte for byte.")
