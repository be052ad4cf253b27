# Windows: what the programs need beside them. A cross-build has no windeployqt, so the Qt DLLs,
# the plugins and the MinGW runtime are listed here. Every program is built into bin/ next to a
# copy of them, so tests run from the build tree, and they are installed for the packages.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

get_target_property(brindle_qtcore_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT brindle_qtcore_dll)
    get_target_property(brindle_qtcore_dll Qt6::Core LOCATION)
endif()
get_filename_component(brindle_qt_bindir "${brindle_qtcore_dll}" DIRECTORY)
get_filename_component(brindle_qt_prefix "${brindle_qt_bindir}" DIRECTORY)
set(brindle_qt_plugindir "${brindle_qt_prefix}/plugins")

# name of the Qt DLL -> installed with the programs (tests only need Qt6Test, which is not shipped)
set(brindle_qt_dlls Qt6Core.dll)
if(BRINDLE_BUILD_GUI)
    list(APPEND brindle_qt_dlls Qt6Gui.dll Qt6Widgets.dll)
endif()
set(brindle_qt_test_dlls)
if(BRINDLE_BUILD_TESTS)
    list(APPEND brindle_qt_test_dlls Qt6Test.dll)
endif()

# folder/plugin, relative to Qt's plugins/
set(brindle_qt_plugins)
if(BRINDLE_BUILD_GUI)
    list(APPEND brindle_qt_plugins
        platforms/qwindows.dll
        styles/qwindowsvistastyle.dll
        imageformats/qgif.dll
        imageformats/qico.dll)
endif()
set(brindle_qt_test_plugins)
if(BRINDLE_BUILD_TESTS AND BRINDLE_BUILD_GUI)
    list(APPEND brindle_qt_test_plugins platforms/qoffscreen.dll platforms/qminimal.dll)
endif()

set(brindle_runtime_names libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
set(brindle_runtime_dlls)
foreach(dll ${brindle_runtime_names})
    find_file(brindle_runtime_${dll} ${dll}
        PATHS ${BRINDLE_MINGW_RUNTIME_DIRS}
        NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT brindle_runtime_${dll})
        # Outside the usual layout, ask the compiler where it keeps the file.
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                        OUTPUT_VARIABLE brindle_found OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(EXISTS "${brindle_found}")
            set(brindle_runtime_${dll} "${brindle_found}" CACHE FILEPATH "" FORCE)
        else()
            message(FATAL_ERROR "MinGW runtime ${dll} not found (looked in ${BRINDLE_MINGW_RUNTIME_DIRS})")
        endif()
    endif()
    list(APPEND brindle_runtime_dlls ${brindle_runtime_${dll}})
endforeach()

# Copies into bin/ at build time, without their debugging information (the DLLs as shipped
# carry it: libstdc++ alone is 23 MB with it, 2 MB without). The packages take these copies.
set(brindle_deploy_outputs)
macro(brindle_deploy_copy src dest)
    get_filename_component(dir ${dest} DIRECTORY)
    if(CMAKE_STRIP)
        add_custom_command(OUTPUT ${dest}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${CMAKE_STRIP} --strip-debug -o ${dest} ${src}
            DEPENDS ${src} VERBATIM)
    else()
        add_custom_command(OUTPUT ${dest}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${dest}
            DEPENDS ${src} VERBATIM)
    endif()
    list(APPEND brindle_deploy_outputs ${dest})
endmacro()
foreach(dll ${brindle_qt_dlls} ${brindle_qt_test_dlls})
    brindle_deploy_copy(${brindle_qt_bindir}/${dll} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll})
endforeach()
foreach(plugin ${brindle_qt_plugins} ${brindle_qt_test_plugins})
    brindle_deploy_copy(${brindle_qt_plugindir}/${plugin} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${plugin})
endforeach()
foreach(dll ${brindle_runtime_dlls})
    get_filename_component(name ${dll} NAME)
    brindle_deploy_copy(${dll} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
endforeach()
add_custom_target(brindle_windows_runtime ALL DEPENDS ${brindle_deploy_outputs})

# Installed beside brindle.exe and brindle-cli.exe (which CPACK_STRIP_FILES strips).
foreach(dll ${brindle_qt_dlls})
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll} DESTINATION bin)
endforeach()
foreach(plugin ${brindle_qt_plugins})
    get_filename_component(dir ${plugin} DIRECTORY)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${plugin} DESTINATION bin/${dir})
endforeach()
foreach(dll ${brindle_runtime_dlls})
    get_filename_component(name ${dll} NAME)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name} DESTINATION bin)
endforeach()

# The licence and the notices of what the packages bundle, in the installation folder.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/resources/notices/THIRD-PARTY-NOTICES.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/notices/LGPL-3.0.txt
              ${PROJECT_SOURCE_DIR}/resources/notices/GPL-3.0.txt
              ${PROJECT_SOURCE_DIR}/resources/notices/GCC-RUNTIME-LIBRARY-EXCEPTION-3.1.txt
              ${PROJECT_SOURCE_DIR}/resources/notices/winpthreads.txt
        DESTINATION licenses)

# brindle_windows_resources(TARGET NAME DESCRIPTION): the icon, the version information and the
# manifest (per-monitor DPI awareness, UTF-8 code page, supported Windows versions) of a program.
function(brindle_windows_resources target name description)
    set(BRINDLE_RC_NAME ${name})
    set(BRINDLE_RC_DESCRIPTION ${description})
    set(BRINDLE_RC_MANIFEST ${PROJECT_BINARY_DIR}/resources/${name}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/resources/windows.manifest.in ${BRINDLE_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/brindle.rc.in ${PROJECT_BINARY_DIR}/resources/${name}.rc @ONLY)
    target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/resources/${name}.rc)
    set_property(SOURCE ${PROJECT_BINARY_DIR}/resources/${name}.rc APPEND PROPERTY OBJECT_DEPENDS ${BRINDLE_RC_MANIFEST})
    if(MSVC)
        # The resource script carries the manifest; the linker must not add a second one.
        target_link_options(${target} PRIVATE /MANIFEST:NO)
    endif()
endfunction()
