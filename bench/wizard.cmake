# The wizard's start-up beside a bare QDialog (included from bench/CMakeLists.txt when the GUI
# is built). Run: bench_wizard [runs].
if(TARGET brindle_ui)
    add_executable(bench_wizard ${CMAKE_CURRENT_LIST_DIR}/bench_wizard.cpp)
    target_include_directories(bench_wizard PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(bench_wizard PRIVATE brindle_ui)
endif()
