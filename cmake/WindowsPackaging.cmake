# The Windows setup program (NSIS) and the portable zip: `cpack` in the mingw build, after
# building it with PLINKARO_SKINS_DIR naming a folder of skins painted by a host build of
# `make_skin --shipped` (a cross-build has no host tools). Both put the skins beside
# plinkaro.exe, where the program looks first.
set(PLINKARO_SKINS_DIR "" CACHE PATH "The skins painted by make_skin --shipped")
if(NOT PLINKARO_SKINS_DIR)
  return()
endif()

install(TARGETS plinkaro RUNTIME DESTINATION . COMPONENT program)
install(DIRECTORY ${PLINKARO_SKINS_DIR}/ DESTINATION . COMPONENT program FILES_MATCHING PATTERN "*.bmp")
# The README as Windows text: CRLF line ends and a .txt name that Notepad opens.
set(readme_text ${CMAKE_BINARY_DIR}/README.txt)
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${readme_text} "${readme}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
install(FILES ${readme_text} DESTINATION . COMPONENT program)
# Only the zip carries the empty settings file that keeps settings beside the program.
file(WRITE ${CMAKE_BINARY_DIR}/portable/plinkaro.ini "")
install(FILES ${CMAKE_BINARY_DIR}/portable/plinkaro.ini DESTINATION . COMPONENT portable
  EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME Plinkaro)
set(CPACK_PACKAGE_VENDOR Plinkaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Play MIDI on the computer keyboard and play MIDI files")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Plinkaro)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Plinkaro)
# 32-bit builds are "win32", 64-bit ones "win64", each with a setup program of its own width,
# so that the 64-bit one installs into the 64-bit Program Files and registry.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(windows_flavour win64)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
  set(windows_flavour win32)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()
set(CPACK_PACKAGE_FILE_NAME plinkaro-${PROJECT_VERSION}-${windows_flavour})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/WindowsPackagingPerGenerator.cmake)

set(CPACK_NSIS_PACKAGE_NAME Plinkaro)
set(CPACK_NSIS_DISPLAY_NAME Plinkaro)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/icon.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/icon.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME plinkaro.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The shortcut, "Open with" and the installed size: cmake/nsis/plinkaro.nsh, whose path is
# the only thing that goes through CPack's quoting.
if(windows_flavour STREQUAL win64)
  set(plinkaro_nsh ${CMAKE_CURRENT_LIST_DIR}/nsis/plinkaro-win64.nsh)
else()
  set(plinkaro_nsh ${CMAKE_CURRENT_LIST_DIR}/nsis/plinkaro.nsh)
endif()
set(CPACK_NSIS_DEFINES "!include '${plinkaro_nsh}'")
set(CPACK_NSIS_CREATE_ICONS_EXTRA "!insertmacro PlinkaroShortcut")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "!insertmacro PlinkaroRemoveShortcut")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro PlinkaroRegister")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro PlinkaroUnregister")
include(CPack)
