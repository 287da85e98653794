# Windows installation and packages: an NSIS installer and a ZIP, each with both programs
# and the MySQL client library in one folder of their own under Program Files.
#
# Included from the top-level CMakeLists.txt when WIN32, after the targets
# calendar-import and calendar-import-cli exist. CALENDAR_WINDOWS_CLIENT_DIR is the folder
# that scripts/lib/build-windows-client fills: libmysql.dll, COPYING.LIB, include/.
#
# The configuration file quorvel.ini belongs to the site, not to the package: nothing here
# installs, creates or overwrites it, and packaging stops if a file of that name is
# among the files to be packaged.

set(CALENDAR_WINDOWS_CLIENT_DIR "" CACHE PATH
    "Folder holding the Windows build of the MySQL client library (libmysql.dll)")
if(NOT EXISTS "${CALENDAR_WINDOWS_CLIENT_DIR}/libmysql.dll")
  message(FATAL_ERROR "CALENDAR_WINDOWS_CLIENT_DIR must name the folder that holds libmysql.dll "
                      "(scripts/lib/build-windows-client makes it); it is "
                      "\"${CALENDAR_WINDOWS_CLIENT_DIR}\"")
endif()

# One flat folder: the programs find libmysql.dll beside themselves.
install(TARGETS calendar-import calendar-import-cli RUNTIME DESTINATION .)
install(FILES "${CALENDAR_WINDOWS_CLIENT_DIR}/libmysql.dll" DESTINATION .)
# The client library is LGPL; its licence travels with it.
if(EXISTS "${CALENDAR_WINDOWS_CLIENT_DIR}/COPYING.LIB")
  install(FILES "${CALENDAR_WINDOWS_CLIENT_DIR}/COPYING.LIB" DESTINATION .
          RENAME libmysql-COPYING.LIB.txt)
endif()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME calendar-import)
set(CPACK_PACKAGE_VENDOR "Calendar Import")
set(CPACK_PACKAGE_CONTACT "calendar-import maintainers <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Writes the 2008 calendar into every tenant database on a MySQL server")
# MinGW is not MSVC, so CPack would call the package win32 and install into the 32-bit
# Program Files.
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Calendar Import")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Calendar Import")
set(CPACK_STRIP_FILES ON)
# Nothing may be installed outside the package's own folder (the configuration file's
# folder above all).
set(CPACK_ERROR_ON_ABSOLUTE_INSTALL_DESTINATION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/windows-check-staging.cmake
                            ${CMAKE_CURRENT_LIST_DIR}/windows-sign-staging.cmake)

# The installer: a 64-bit NSIS program (so it sees the 64-bit Program Files and registry
# as the programs do), a Start-menu entry for the window program, no change to PATH, no
# licence page (the project has no licence text of its own to show).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Calendar Import")
set(CPACK_NSIS_DISPLAY_NAME "Calendar Import")
set(CPACK_NSIS_MENU_LINKS calendar-import.exe "Calendar Import")
set(CPACK_NSIS_INSTALLED_ICON_NAME calendar-import.exe)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
# The installer keeps its folder in HKLM\Software\<vendor>\<key>; the uninstaller removes
# only the inner key, and would leave the vendor's key empty behind it. These commands
# run before that removal, so they remove the inner key themselves, then the vendor's
# key if nothing else is in it.
# (NSIS's single quotes, and each backslash doubled once more: CPack writes the value into
# its configuration file unescaped.)
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "  DeleteRegKey SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}'
  DeleteRegKey /ifempty SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}'")

# "Apps" reads the uninstall key's NoModify and NoRepair as numbers; CPack's template
# writes them as strings, so they are written again, as DWORDs, once the template is done.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "  WriteRegDWORD SHCTX 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}' 'NoModify' 1
  WriteRegDWORD SHCTX 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}' 'NoRepair' 1")

include(CPack)
