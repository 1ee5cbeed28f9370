# The Windows program folder, laid out as Qt's own deployment does: the program with
# every DLL it loads beside it, Qt's plugins and German texts in their folders, the
# country codes and the help. packaging/windows/make-installer.sh packs it into the
# setup program.
#
#   tivano.exe, Qt6*.dll, MinGW runtime, zlib1.dll, libzip.dll, libxlsxwriter.dll
#   plugins/platforms/qwindows.dll, plugins/styles/qwindowsvistastyle.dll
#   translations/qtbase_de.qm, qt.conf, LKZ.txt, tivano.hlp

install(TARGETS tivano RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/LKZ.txt DESTINATION .)
if(DEFINED TIVANO_HELP_FILE)
    install(FILES ${TIVANO_HELP_FILE} DESTINATION . OPTIONAL)
endif()

foreach(module Core Gui Widgets PrintSupport)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/qt.conf DESTINATION .)

# Qt's German texts for its own dialogs, from the host's translations (the files are the
# same on every platform).
find_file(TIVANO_QT_GERMAN qtbase_de.qm
    PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${TIVANO_QT_GERMAN} DESTINATION translations)

# What the compiler's runtime and the workbook libraries bring.
set(tivano_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND tivano_runtime_dlls ${path})
endforeach()
foreach(dll libwinpthread-1.dll zlib1.dll libzip.dll libxlsxwriter.dll)
    # Below the cross roots: the MinGW sysroot and the cross-built prefix.
    find_file(TIVANO_DLL_${dll} ${dll} PATHS / PATH_SUFFIXES bin lib NO_DEFAULT_PATH REQUIRED)
    list(APPEND tivano_runtime_dlls ${TIVANO_DLL_${dll}})
endforeach()
install(FILES ${tivano_runtime_dlls} DESTINATION .)
