# Install rules and the Debian package. Included by the top-level
# CMakeLists.txt after all subsystems, so every target exists here.
#
# Layout under the prefix:
#   bin/tivano                         the program
#   <libdir>/tivano/<viewer module>    found by the program relative to bin/
#   share/tivano/tivano.hlp, LKZ.txt   the installed data folder
#   share/applications/tivano.desktop, share/icons/hicolor/.../tivano.*
include(GNUInstallDirs)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/TivanoWindowsInstall.cmake)
    return()
endif()

if(NOT DEFINED TIVANO_INSTALL_MODULEDIR)
    set(TIVANO_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/tivano)
endif()
if(NOT DEFINED TIVANO_INSTALL_DATADIR)
    set(TIVANO_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tivano)
endif()

if(TARGET tivano)
    install(TARGETS tivano RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET tivanohelpviewer)
    install(TARGETS tivanohelpviewer LIBRARY DESTINATION ${TIVANO_INSTALL_MODULEDIR})
endif()
if(DEFINED TIVANO_HELP_FILE)
    install(FILES ${TIVANO_HELP_FILE} DESTINATION ${TIVANO_INSTALL_DATADIR})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/LKZ.txt)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/LKZ.txt DESTINATION ${TIVANO_INSTALL_DATADIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/tivano.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tivano.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/tivano-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME tivano.png)
endforeach()

# Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME tivano)
set(CPACK_PACKAGE_VENDOR "Korvano Software")
set(CPACK_PACKAGE_CONTACT "Korvano Software <tivano@korvano.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Race timing at the finish line")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tivano is the race clock for the one operator at a finish line: START, a finish\n"
    "for every competitor (mouse, F4 or a light barrier on a serial port), STOPP.\n"
    "Every finish lands at once in the results protocol, which is saved as text,\n"
    "web page or workbook and printed. German user interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.korvano.example/tivano")
# dpkg-shlibdeps adds every shared library the program and the module link;
# the list names them as well, plus what is only loaded or called at run time
# (the SQLite driver of the help engine, Qt's German texts, the fonts the display
# asks for, the desktop's open action).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6help6 (>= 6.4), libqt6sql6-sqlite (>= 6.4), libxlsxwriter4, libzip4, qt6-translations-l10n, fonts-liberation2, xdg-utils")
include(CPack)

if(TIVANO_BUILD_TESTS AND TARGET tivano AND TARGET tivanohelpviewer)
    # Installs into a temporary prefix and checks that every file landed.
    option(TIVANO_INSTALL_TEST_RUNS_PROGRAM
        "The install test also starts the installed program with --version" ON)
    add_test(NAME help_install
        COMMAND ${CMAKE_COMMAND}
            -DBUILD_DIR=${PROJECT_BINARY_DIR}
            -DPREFIX=${PROJECT_BINARY_DIR}/install-test
            -DBINDIR=${CMAKE_INSTALL_BINDIR}
            -DMODULEDIR=${TIVANO_INSTALL_MODULEDIR}
            -DDATADIR=${TIVANO_INSTALL_DATADIR}
            -DSHAREDIR=${CMAKE_INSTALL_DATADIR}
            -DMODULE_FILE=$<TARGET_FILE_NAME:tivanohelpviewer>
            -DVERSION=${PROJECT_VERSION}
            -DRUN_PROGRAM=${TIVANO_INSTALL_TEST_RUNS_PROGRAM}
            -P ${PROJECT_SOURCE_DIR}/tests/help/InstallTree.cmake)
    set_tests_properties(help_install PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT 120)
endif()
