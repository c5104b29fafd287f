# Read by cpack once per generator: the zip and the installer get different
# names, both from the project version.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "varnok-${CPACK_PACKAGE_VERSION}-win64")
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "varnok-${CPACK_PACKAGE_VERSION}-setup")
endif()
