# Run at install time: the command in bin/ and the desktop entry, both naming the prefix
# the install goes to (CMAKE_INSTALL_PREFIX then, DESTDIR before it when packaging).
set(_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
if(IS_ABSOLUTE "${SORVANE_PROGRAM_DIR}")
  set(_program "${SORVANE_PROGRAM_DIR}/sorvane")
  set(_link_target "${_program}")
else()
  set(_program "${CMAKE_INSTALL_PREFIX}/${SORVANE_PROGRAM_DIR}/sorvane")
  set(_link_target "../${SORVANE_PROGRAM_DIR}/sorvane")
endif()

file(MAKE_DIRECTORY "${_root}/bin")
file(REMOVE "${_root}/bin/sorvane")
message(STATUS "Installing: ${_root}/bin/sorvane -> ${_link_target}")
file(CREATE_LINK "${_link_target}" "${_root}/bin/sorvane" SYMBOLIC)

# The desktop's launcher starts the command by its full path; quoted when it holds a blank.
set(SORVANE_EXEC "${CMAKE_INSTALL_PREFIX}/bin/sorvane")
if(SORVANE_EXEC MATCHES "[ \t]")
  set(SORVANE_EXEC "\"${SORVANE_EXEC}\"")
endif()
message(STATUS "Installing: ${_root}/share/applications/sorvane.desktop")
configure_file("${SORVANE_DESKTOP_IN}" "${_root}/share/applications/sorvane.desktop" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_root}/bin/sorvane" "${_root}/share/applications/sorvane.desktop")
