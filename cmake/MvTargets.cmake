# Helpers shared by every folder: one static library per runtime library, one test
# executable per test folder.

# mv_library(<target> SOURCES <files...> [DEPS <targets...>])
function(mv_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# mv_test(<target> SOURCES <files...> [DEPS <targets...>] [TIMEOUT <seconds>])
# Registers every case with ctest; discovery runs just before the tests. Every test
# executable sets its own headless environment (tests/test_environment.cpp), so that Qt
# and SDL tests never need a display or a card, whoever runs them. Every case has a
# timeout (TIMEOUT, 120 s when not given), so that a hung event loop fails the run.
set(MV_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy")
function(mv_test target)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${target} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/test_environment.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                                            Threads::Threads)
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    add_dependencies(mv_tests ${target})
endfunction()
