# Per generator: the zip alone gets the empty plinkaro.ini (the portable convention), from a
# component that a whole install leaves out; the setup program keeps settings under
# %APPDATA%.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_COMPONENTS_ALL program portable)
  set(CPACK_COMPONENTS_ALL_IN_ONE_PACKAGE ON)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-portable")
else()
  set(CPACK_MONOLITHIC_INSTALL ON)
endif()
