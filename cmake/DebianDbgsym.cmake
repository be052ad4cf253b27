# Run by CPack after it has built the .deb (CPACK_POST_BUILD_SCRIPTS): completes brindle-dbgsym
# the way debhelper makes such a package. CMake 3.25 lists the files in its md5sums by their
# path in CPack's scratch folder instead of inside the package, leaves the .debug files
# executable, makes its folders by the umask of whoever builds, and gives the package no
# documentation folder; here the md5sums name the files as the package installs them, the files
# are 0644 and the folders 0755, and /usr/share/doc/brindle-dbgsym points to brindle's folder
# (the copyright and changelog of the package it depends on).
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb ${CPACK_PACKAGE_FILES})
    get_filename_component(dir ${deb} DIRECTORY)
    file(GLOB ddebs ${dir}/*-dbgsym_*.ddeb)
    foreach(ddeb ${ddebs})
        set(tree ${ddeb}.tree)
        file(REMOVE_RECURSE ${tree})
        execute_process(COMMAND ${DPKG_DEB} --raw-extract ${ddeb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
        file(READ ${tree}/DEBIAN/md5sums md5sums)
        string(REGEX REPLACE "  [^\n]*/usr/lib/debug/" "  usr/lib/debug/" md5sums "${md5sums}")
        file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")
        file(GLOB_RECURSE debug_files ${tree}/usr/lib/debug/*.debug)
        foreach(f ${debug_files})
            file(CHMOD ${f} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        endforeach()
        file(MAKE_DIRECTORY ${tree}/usr/share/doc)
        file(CREATE_LINK brindle ${tree}/usr/share/doc/brindle-dbgsym SYMBOLIC)
        file(GLOB_RECURSE folders LIST_DIRECTORIES true ${tree}/usr/*)
        foreach(f ${tree}/usr ${folders})
            if(IS_DIRECTORY ${f} AND NOT IS_SYMLINK ${f})
                file(CHMOD ${f} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                      WORLD_READ WORLD_EXECUTE)
            endif()
        endforeach()
        execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${tree} ${ddeb}
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE ${tree})
    endforeach()
endforeach()
