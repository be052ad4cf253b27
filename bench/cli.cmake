# brindle-cli's write beside a bare Qt Core read-and-write program (included from
# bench/CMakeLists.txt when the command-line companion is built). Run: bench_cli [runs].
if(TARGET brindle-cli)
    add_executable(bench_cli ${CMAKE_CURRENT_LIST_DIR}/bench_cli.cpp)
    target_include_directories(bench_cli PRIVATE ${PROJECT_SOURCE_DIR}/firmware ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(bench_cli PRIVATE Qt6::Core)
    target_compile_definitions(bench_cli PRIVATE BRINDLE_CLI_PATH="$<TARGET_FILE:brindle-cli>")
    add_dependencies(bench_cli brindle-cli)
endif()
