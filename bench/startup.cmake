# Start-up, from process start to the main window shown with its first product filled, against a
# bare Qt program; each measured as a child process of bench_startup.
find_package(nlohmann_json 3.10 REQUIRED)
# The tool's own entry code, unchanged, with a watch on its first painting. Built beside the tool,
# where the build registers the demo catalogue, and with the tool's version block.
add_executable(vk_startup_probe ${PROJECT_SOURCE_DIR}/app/main.cpp ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
target_link_libraries(vk_startup_probe PRIVATE Veskor::app)
veskor_embed_version(vk_startup_probe)
add_executable(vk_startup_floor ${CMAKE_CURRENT_LIST_DIR}/startup_floor.cpp)
target_link_libraries(vk_startup_floor PRIVATE Qt6::Widgets Veskor::common)
veskor_add_bench(NAME bench_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp
  LIBS Veskor::testsupport Qt6::Widgets nlohmann_json::nlohmann_json)
target_compile_definitions(bench_startup PRIVATE
  VESKOR_STARTUP_PROBE="$<TARGET_FILE:vk_startup_probe>" VESKOR_STARTUP_FLOOR="$<TARGET_FILE:vk_startup_floor>")
add_dependencies(bench_startup vk_startup_probe vk_startup_floor)

# The probe must see the tool's window painted with its first product, or the start-up rows
# measure nothing: checked with the tests (the tool's own start-up changes under it).
if(VESKOR_BUILD_TESTS)
  add_test(NAME startup_probe_reports COMMAND vk_startup_probe)
  set_tests_properties(startup_probe_reports PROPERTIES TIMEOUT 60
    PASS_REGULAR_EXPRESSION "SHOWN\t[0-9]+\t[0-9]+\t[0-9]+\t[0-9]+\t[0-9]+\tok"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-xdg-home;XDG_DATA_DIRS=${CMAKE_BINARY_DIR}/test-xdg-dirs")
endif()
