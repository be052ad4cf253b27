# Debian's build flags (dpkg-buildflags, with every hardening feature: stack protector,
# FORTIFY_SOURCE, RELRO and BIND_NOW) for the programs the package ships. Off for the sanitizer
# and fuzz builds, which bring their own instrumentation, and for cross-builds.
find_program(BRINDLE_DPKG_BUILDFLAGS_EXECUTABLE dpkg-buildflags)
set(brindle_buildflags_default OFF)
if(BRINDLE_DPKG_BUILDFLAGS_EXECUTABLE AND NOT CMAKE_CROSSCOMPILING AND NOT BRINDLE_SANITIZE AND NOT BRINDLE_FUZZ)
    set(brindle_buildflags_default ON)
endif()
option(BRINDLE_DPKG_BUILDFLAGS "Build with the flags dpkg-buildflags gives (hardening=+all)" ${brindle_buildflags_default})

if(BRINDLE_DPKG_BUILDFLAGS)
    macro(brindle_dpkg_flags name out)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${BRINDLE_DPKG_BUILDFLAGS_EXECUTABLE} --get ${name}
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE ${out} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endmacro()
    brindle_dpkg_flags(CPPFLAGS brindle_cppflags)
    brindle_dpkg_flags(CXXFLAGS brindle_cxxflags)
    brindle_dpkg_flags(LDFLAGS brindle_ldflags)
    # The build type chooses the optimisation and debugging information; the rest is Debian's.
    string(REGEX REPLACE "(^| )-O[0-9s]*( |$)" " " brindle_cxxflags "${brindle_cxxflags}")
    string(REGEX REPLACE "(^| )-g( |$)" " " brindle_cxxflags "${brindle_cxxflags}")
    # FORTIFY_SOURCE needs the optimiser; a Debug build would only warn about it in every file.
    if(CMAKE_BUILD_TYPE STREQUAL "Debug")
        string(REGEX REPLACE "-D_FORTIFY_SOURCE=[0-9]" "" brindle_cppflags "${brindle_cppflags}")
    endif()
    string(APPEND CMAKE_CXX_FLAGS " ${brindle_cppflags} ${brindle_cxxflags}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${brindle_ldflags}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${brindle_ldflags}")
    message(STATUS "dpkg-buildflags: ${brindle_cppflags} ${brindle_cxxflags} ${brindle_ldflags}")
endif()
