# The scenarios of tests/scenario, built for Windows against the real program: deskhost's
# Windows sources with the harness that drives them, the real KVSETTNG.DLL loaded through its
# registration, GoogleTest compiled by the cross compiler from Debian's sources. Every case
# runs under Wine in its own process, all on one virtual display.
set(KV_GOOGLETEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources (Debian package googletest)")
if(NOT EXISTS ${KV_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(STATUS "No GoogleTest sources at ${KV_GOOGLETEST_SOURCE}: the scenarios are not built for Windows")
    return()
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${KV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# A resource library of a version too old for the extension, as the scenarios on winsim use.
set(KV_WINE_TOO_OLD_RLB ${CMAKE_CURRENT_BINARY_DIR}/tooold.RLB)
kv_resource_library(${KV_WINE_TOO_OLD_RLB} RC ${PROJECT_SOURCE_DIR}/tests/library/fixtures/library.rc
                    DEFINE FORMAT=2 OLDEST=2 CURRENT=1 EXTRA=0L)
add_custom_target(wine_fixture_libraries DEPENDS ${KV_WINE_TOO_OLD_RLB})

file(GLOB KV_SCENARIO_SOURCES ${CMAKE_SOURCE_DIR}/tests/scenario/*_test.cpp)
add_executable(wine_scenarios ${KV_SCENARIO_SOURCES} ${CMAKE_SOURCE_DIR}/deskhost/deskhost.rc)
target_include_directories(wine_scenarios PRIVATE ${CMAKE_SOURCE_DIR}/deskhost/include)
target_link_libraries(wine_scenarios PRIVATE deskhost_windows GTest::gtest_main)
target_link_options(wine_scenarios PRIVATE -static -static-libgcc -static-libstdc++)
target_compile_definitions(wine_scenarios PRIVATE KV_TOO_OLD_RLB="${KV_WINE_TOO_OLD_RLB}"
                           KV_DEFAULT_SESSION="Z:${CMAKE_SOURCE_DIR}/sessions/default.session"
                           KV_NATIVE_SESSION="Z:${CMAKE_SOURCE_DIR}/sessions/native.session")
add_dependencies(wine_scenarios wine_fixture_libraries)
set_target_properties(wine_scenarios PROPERTIES
                      CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}")

# GoogleTest needs std::mutex: these targets are built with the POSIX-threads variant of the
# cross compiler, like deskhost_windows (the rest of the build keeps the win32-threads one).
kv_use_posix_threads(gtest gtest_main wine_scenarios)

add_test(NAME wine.display_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-display-fixture.sh start ${CMAKE_BINARY_DIR})
add_test(NAME wine.display_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-display-fixture.sh stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine.display_start PROPERTIES FIXTURES_SETUP wine_display LABELS wine)
set_tests_properties(wine.display_stop PROPERTIES FIXTURES_CLEANUP wine_display LABELS wine)
# The whole suite once reporting Windows 98 and once reporting Windows 95: users run both.
# Listing the cases runs the program under Wine, so a machine that cannot run Wine lists none
# and has one case that tells why, counted as skipped. The first listing makes the Wine
# prefix, which takes minutes on a busy machine.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-check.sh OUTPUT_VARIABLE kv_wine_missing
                RESULT_VARIABLE kv_wine_unusable OUTPUT_STRIP_TRAILING_WHITESPACE)
if(kv_wine_unusable)
    message(STATUS "The scenarios under Wine are skipped: ${kv_wine_missing}")
    add_test(NAME wine.scenarios COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}
                                         $<TARGET_FILE:wine_scenarios>)
    set_tests_properties(wine.scenarios PROPERTIES LABELS wine)
else()
    # A third time with the sheet owned by a captioned window, as the Control Panel opens it.
    foreach(run IN ITEMS win98 win95 owned)
        set(prefix wine.)
        set(environment KV_PANEL_PLATFORM=${run})
        if(run STREQUAL win95)
            set(prefix wine95.)
        elseif(run STREQUAL owned)
            set(prefix wineowned.)
            set(environment "KV_PANEL_SHEET_OWNER=Control Panel")
        endif()
        # The soak cases drag for long under Wine: each case may take minutes.
        gtest_discover_tests(wine_scenarios TEST_PREFIX ${prefix} DISCOVERY_TIMEOUT 900
                             PROPERTIES LABELS wine-${run} FIXTURES_REQUIRED wine_display TIMEOUT 300
                                        SKIP_RETURN_CODE 77 ENVIRONMENT ${environment})
    endforeach()
endif()

# The default session under Wine and on winsim, compared step by step.
add_test(NAME wine.session_tells_as_on_winsim
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/session_trace_test.sh $<TARGET_FILE:kvsession> ${KV_SIM_KVSESSION}
                 ${CMAKE_BINARY_DIR})
set_tests_properties(wine.session_tells_as_on_winsim PROPERTIES LABELS wine FIXTURES_REQUIRED wine_display TIMEOUT 180)
