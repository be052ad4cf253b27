# Run by CPack after it has built the .deb (CPACK_POST_BUILD_SCRIPTS).
#
# brindle: CPack's own ar writer gives the package's three members the mode their files had
# under the umask of whoever built it, so the same build made under umask 002 and 022 gives two
# different files. dpkg-deb builds it again from its contents, with fixed member modes, its
# control files 0644, and the times SOURCE_DATE_EPOCH gives when it is set.
#
# brindle-dbgsym: completed the way debhelper makes such a package. CMake 3.25 lists the files in
# its md5sums by their path in CPack's scratch folder instead of inside the package, leaves the
# .debug files executable, makes its folders by the umask, and gives the package no
# documentation folder; here the md5sums name the files as the package installs them, the files
# are 0644 and the folders 0755, and /usr/share/doc/brindle-dbgsym points to brindle's folder
# (the copyright and changelog of the package it depends on).
find_program(DPKG_DEB dpkg-deb REQUIRED)
set(brindle_folder_mode OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(brindle_file_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Every folder of `tree` below `top`, and `top`, 0755.
function(brindle_folders_0755 top)
    file(GLOB_RECURSE entries LIST_DIRECTORIES true ${top}/*)
    foreach(f ${top} ${entries})
        if(IS_DIRECTORY ${f} AND NOT IS_SYMLINK ${f})
            file(CHMOD ${f} DIRECTORY_PERMISSIONS ${brindle_folder_mode})
        endif()
    endforeach()
endfunction()

# Builds `package` again from `tree` (its contents and DEBIAN/) with dpkg-deb, then removes
# `tree`.
function(brindle_rebuild tree package)
    brindle_folders_0755(${tree}/DEBIAN)
    file(GLOB control_files ${tree}/DEBIAN/*)
    foreach(f ${control_files})
        get_filename_component(name ${f} NAME)
        if(name MATCHES "^(preinst|postinst|prerm|postrm|config)$")
            file(CHMOD ${f} FILE_PERMISSIONS ${brindle_folder_mode})
        else()
            file(CHMOD ${f} FILE_PERMISSIONS ${brindle_file_mode})
        endif()
    endforeach()
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${tree} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endfunction()

foreach(deb ${CPACK_PACKAGE_FILES})
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND ${DPKG_DEB} --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    brindle_rebuild(${tree} ${deb})

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
            file(CHMOD ${f} FILE_PERMISSIONS ${brindle_file_mode})
        endforeach()
        file(MAKE_DIRECTORY ${tree}/usr/share/doc)
        file(CREATE_LINK brindle ${tree}/usr/share/doc/brindle-dbgsym SYMBOLIC)
        brindle_folders_0755(${tree}/usr)
        brindle_rebuild(${tree} ${ddeb})
    endforeach()
endforeach()
