# Installing and packaging.
#
# `cmake --install build --prefix P` puts the program in a folder of its own,
# P/lib/sorvane/sorvane (its settings, history and favourites are kept beside it, or in
# the user's store when that folder is read-only), the command P/bin/sorvane as a link to
# it, a desktop entry and the icon. `cpack` in the build folder makes a portable archive
# holding the executable alone (it carries everything else) and a .deb for /usr.

set(SORVANE_PROGRAM_DIR "lib/sorvane" CACHE STRING
  "The program's own folder, relative to the install prefix (or absolute)")
set(_sorvane_packaging ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS sorvane RUNTIME DESTINATION ${SORVANE_PROGRAM_DIR} COMPONENT program)
install(FILES ${_sorvane_packaging}/sorvane.svg DESTINATION share/icons/hicolor/scalable/apps COMPONENT program)
# The link and the desktop entry name the prefix the install goes to, known only then.
install(CODE "set(SORVANE_PROGRAM_DIR \"${SORVANE_PROGRAM_DIR}\")
              set(SORVANE_DESKTOP_IN \"${_sorvane_packaging}/sorvane.desktop.in\")"
        COMPONENT program)
install(SCRIPT ${_sorvane_packaging}/install-launcher.cmake COMPONENT program)

# The portable archive: a folder holding the executable alone; unpacked, the folder is the
# program's own, where it keeps its files.
install(TARGETS sorvane RUNTIME DESTINATION sorvane COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME sorvane)
set(CPACK_PACKAGE_VENDOR "Sorvane")
set(CPACK_PACKAGE_CONTACT "Sorvane developers <sorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sorvane浏览器: a small single-window web browser with a Chinese interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${_sorvane_packaging}/cpack-generators.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The engine's helper process and its resources are packages of their own that linking
# does not name; dpkg-shlibdeps, where it is at hand, adds the libraries with their versions.
set(_sorvane_engine_parts "libqt6webenginecore6-bin (>= 6.4), libqt6webengine6-data (>= 6.4)")
find_program(SORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SORVANE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${_sorvane_engine_parts}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginewidgets6 (>= 6.4), libqt6webenginecore6 (>= 6.4), \
${_sorvane_engine_parts}, libqt6printsupport6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), \
libqt6core6 (>= 6.4), libstdc++6, libc6")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-frontend-qt6, fcitx5-chinese-addons")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)
