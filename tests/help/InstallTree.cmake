# Installs the build into a fresh prefix and checks that the program, the
# viewer module, the help file, the country codes, the desktop entry and the
# icons landed where the program and the desktop look for them.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DMODULEDIR=... -DDATADIR=...
#         -DSHAREDIR=... -DMODULE_FILE=... -DVERSION=... -DRUN_PROGRAM=ON|OFF -P InstallTree.cmake
foreach(variable BUILD_DIR PREFIX BINDIR MODULEDIR DATADIR SHAREDIR MODULE_FILE VERSION)
    if(NOT DEFINED ${variable} OR "${${variable}}" STREQUAL "")
        message(FATAL_ERROR "InstallTree.cmake: ${variable} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
execute_process(
    COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(missing "")
function(expect_file path)
    if(NOT EXISTS ${PREFIX}/${path} OR IS_DIRECTORY ${PREFIX}/${path})
        set(missing "${missing}\n  ${path}" PARENT_SCOPE)
    endif()
endfunction()

expect_file(${BINDIR}/tivano)
expect_file(${MODULEDIR}/${MODULE_FILE})
expect_file(${DATADIR}/tivano.hlp)
expect_file(${DATADIR}/LKZ.txt)
expect_file(${SHAREDIR}/applications/tivano.desktop)
expect_file(${SHAREDIR}/icons/hicolor/scalable/apps/tivano.svg)
expect_file(${SHAREDIR}/icons/hicolor/48x48/apps/tivano.png)
expect_file(${SHAREDIR}/icons/hicolor/256x256/apps/tivano.png)
if(missing)
    message(FATAL_ERROR "Not installed:${missing}\ncmake --install said:\n${output}")
endif()

# The program must be executable and the help file a compiled help file, not
# a copy of a page source.
find_program(installed_program NAMES tivano PATHS ${PREFIX}/${BINDIR} NO_DEFAULT_PATH NO_CACHE)
if(NOT installed_program)
    message(FATAL_ERROR "${BINDIR}/tivano is not executable")
endif()
file(READ ${PREFIX}/${DATADIR}/tivano.hlp header LIMIT 16)
if(NOT header MATCHES "^SQLite format 3")
    message(FATAL_ERROR "${DATADIR}/tivano.hlp is no compiled help file")
endif()
file(STRINGS ${PREFIX}/${SHAREDIR}/applications/tivano.desktop exec_line REGEX "^Exec=")
if(NOT exec_line STREQUAL "Exec=tivano")
    message(FATAL_ERROR "the desktop entry does not start tivano: ${exec_line}")
endif()

if(RUN_PROGRAM)
    execute_process(
        COMMAND ${PREFIX}/${BINDIR}/tivano --version
        RESULT_VARIABLE result
        OUTPUT_VARIABLE version_output
        ERROR_VARIABLE version_error
        TIMEOUT 30)
    if(NOT result EQUAL 0 OR NOT version_output MATCHES "${VERSION}")
        message(FATAL_ERROR "tivano --version gave ${result}: ${version_output}${version_error}")
    endif()
endif()
message(STATUS "Installed into ${PREFIX}: all files present")
