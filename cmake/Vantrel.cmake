# Helpers that keep every folder's CMakeLists.txt to a line or two.
# Each leaf folder under src/ is one library whose sources are the folder's .cpp files.

function(vantrel_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM_LIBS})
    set_property(GLOBAL APPEND PROPERTY VANTREL_LIBRARIES ${name})
endfunction()

# One GoogleTest executable per test folder; every .cpp in the folder belongs to it.
function(vantrel_test name)
    if(NOT VANTREL_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    # A suite whose first sources are still being written must not stop everyone's
    # configure step.
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vantrel_test_support GTest::gtest GTest::gmock
                                          GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VANTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT "VANTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# libFuzzer target; only built with -DVANTREL_FUZZ=ON under clang.
function(vantrel_fuzzer name source)
    if(NOT VANTREL_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# Google Benchmark kernel; only built with -DVANTREL_BENCH=ON (use a Release build).
function(vantrel_benchmark name source)
    if(NOT VANTREL_BENCH)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# The desktop program's libraries (Qt 6 Widgets). Only folders above the engine use
# these; nothing under platform, device, fs, engine, viewers/core or cli links Qt.
function(vantrel_qt_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;QT" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Widgets Svg ${ARG_QT})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set(qt_targets Qt6::Widgets Qt6::Svg)
    foreach(component ${ARG_QT})
        list(APPEND qt_targets Qt6::${component})
    endforeach()
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${qt_targets})
    set_property(GLOBAL APPEND PROPERTY VANTREL_QT_LIBRARIES ${name})
endfunction()

# One Qt Test executable per folder, run on the offscreen platform. Screenshots go to
# build/test/screenshots (VANTREL_SCREENSHOT_DIR).
function(vantrel_qt_test name)
    if(NOT VANTREL_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test)
    target_compile_definitions(${name} PRIVATE
        VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VANTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;VANTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR};VANTREL_SCREENSHOT_DIR=${PROJECT_BINARY_DIR}/screenshots")
endfunction()
