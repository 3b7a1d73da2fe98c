# Read by cpack for each package it makes.
if(CPACK_GENERATOR STREQUAL "TGZ")
  # Portable: a folder with the executable alone.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_ARCHIVE_PORTABLE_FILE_NAME "sorvane-${CPACK_PACKAGE_VERSION}-portable-linux-x86_64")
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_COMPONENTS_ALL program)
endif()
