# `make package`: a Debian package of everything `cmake --install` installs,
# its library dependencies worked out by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CARVER_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "${CARVER_DEVELOPER}")
set(CPACK_PACKAGE_CONTACT "${CARVER_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${CARVER_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split a large file into numbered pieces and join them again")
# One line of the package's description each, as Debian wants them: under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Carver cuts a file that is larger than the media at hand into a numbered
split set: a join-info file NAME.000 and pieces NAME.001, NAME.002 ... of a
chosen size, written disk by disk on removable drives. Mender joins the pieces
back into the file. Both come as desktop windows and as the commands
carver-cli and mender-cli.")
# The programs are stripped as Debian strips them, of everything a program
# does not need to run (CPack's own stripping keeps the compiler's notes).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripPrograms.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(CARVER_WITH_QT)
  # Qt loads its display plugins and theme at run time, which dpkg-shlibdeps
  # cannot see; the windows' texts need a Japanese font, and xdg-open opens
  # the folder afterwards.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-gtk-platformtheme, xdg-utils")
endif()

include(CPack)
