# The libraries' layers, kept by the compiler. A project header is included by its folder
# ("firmware/fits.h"), and each library puts on the include path only its own folder, as a link
# under the build tree (include/TARGET/FOLDER -> FOLDER): a library sees the folders of the
# libraries it links and no others, so an include that reaches up a layer does not compile.
#   brindle_export_folder(TARGET FOLDER)
function(brindle_export_folder target folder)
    set(dir ${PROJECT_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${dir})
    else()
        target_include_directories(${target} PUBLIC ${dir})
    endif()
endfunction()
