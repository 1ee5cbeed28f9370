
# Paths of the build machine handed to tests. Under Wine the machine's root is drive Z:,
# and a test that changes its working folder to another drive must still find them.
if(WIN32 AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
    set(TIVANO_TEST_ROOT "Z:")
else()
    set(TIVANO_TEST_ROOT "")
endif()

# What every test runs with besides the offscreen platform. Without a console window, Qt on
# Windows logs to the debugger; the test output must reach the console instead. The
# offscreen platform on Windows reads its fonts from one folder: the metric twins of Arial,
# Times New Roman and Courier New that the Linux tests get through fontconfig.
if(WIN32)
    set(TIVANO_TEST_ENVIRONMENT
        "QT_FORCE_STDERR_LOGGING=1;QT_QPA_FONTDIR=${TIVANO_TEST_ROOT}/usr/share/fonts/truetype/liberation2")
else()
    set(TIVANO_TEST_ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endif()

# tivano_add_test(<name> SOURCES <files...> LIBS <targets...> [LAUNCHER <command...>])
# Builds one QtTest executable and registers it with CTest on the offscreen platform. A
# launcher runs the test (and the emulator of a cross build) as its command.
function(tivano_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LAUNCHER" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    if(ARG_LAUNCHER)
        add_test(NAME ${name} COMMAND ${ARG_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${TIVANO_TEST_ENVIRONMENT}"
        TIMEOUT 300)
endfunction()

# tivano_add_bench(<name> SOURCES <files...> LIBS <targets...>)
# Benchmarks print figures; they are built but never run by CTest.
function(tivano_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
endfunction()
