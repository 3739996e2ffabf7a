# Shared compile settings, applied to every target of this project through
# lumi_target_defaults() so that third-party code keeps its own flags.
add_library(lumi_flags INTERFACE)
target_compile_options(lumi_flags INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
target_compile_definitions(lumi_flags INTERFACE QT_NO_KEYWORDS)
if(LUMI_WERROR)
    target_compile_options(lumi_flags INTERFACE -Werror)
endif()
if(LUMI_SANITIZE)
    target_compile_options(lumi_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                -fno-sanitize-recover=undefined)
    target_link_options(lumi_flags INTERFACE -fsanitize=address,undefined)
endif()

function(lumi_target_defaults target)
    target_link_libraries(${target} PRIVATE lumi_flags)
endfunction()

# One test binary per layer (pass GUI for suites that need widgets); each test case is registered with CTest and runs
# with the offscreen platform so widget tests need no display.
function(lumi_add_test_binary name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} "${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp")
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    if(ARG_GUI)
        target_compile_definitions(${name} PRIVATE LUMI_TEST_GUI)
        target_link_libraries(${name} PRIVATE Qt6::Widgets)
    endif()
    lumi_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock Qt6::Test)
    target_compile_definitions(${name} PRIVATE
        LUMI_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        LUMI_SAMPLE_DIR="${CMAKE_SOURCE_DIR}/data"
        LUMI_BIN_DIR="${LUMI_INSTALL_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0" TIMEOUT 300)
endfunction()
