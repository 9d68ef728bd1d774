# What `cmake --install` puts where: the programs, and what the desktop needs
# to find them (menu entries, icons, the join-info file type, AppStream
# metainfo), man pages, bash completion and the licence. Paths follow
# GNUInstallDirs, relative to the prefix, so CPack can reuse them.

set(carver_data ${PROJECT_SOURCE_DIR}/data)
set(carver_generated ${PROJECT_BINARY_DIR}/data)

install(TARGETS carver-cli mender-cli)
set(man_pages carver-cli mender-cli)
if(CARVER_WITH_QT)
  install(TARGETS carver mender)
  list(APPEND man_pages carver mender)

  install(FILES ${carver_data}/applications/${CARVER_APP_ID}.Carver.desktop
                ${carver_data}/applications/${CARVER_APP_ID}.Mender.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The file manager's service menus (KDE): "Split with Carver" on any file,
  # "Join with Mender" on a .000 or .001 file. (Only menus a user puts in
  # their own folder need to be executable.)
  install(FILES ${carver_data}/kde/${CARVER_APP_ID}.split.desktop ${carver_data}/kde/${CARVER_APP_ID}.join.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
  install(DIRECTORY ${carver_data}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  install(FILES ${carver_data}/mime/${CARVER_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  foreach(app Carver Mender)
    configure_file(${carver_data}/metainfo/${CARVER_APP_ID}.${app}.metainfo.xml.in
                   ${carver_generated}/metainfo/${CARVER_APP_ID}.${app}.metainfo.xml @ONLY)
    install(FILES ${carver_generated}/metainfo/${CARVER_APP_ID}.${app}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  endforeach()
endif()

include(${PROJECT_SOURCE_DIR}/cmake/PackageDocs.cmake)

# The pages carry the version and the release date: English in man1, Japanese
# in ja/man1 (man picks them by the locale). They are installed compressed.
foreach(section man1 ja/man1)
  foreach(page ${man_pages})
    configure_file(${carver_data}/man/${section}/${page}.1.in ${carver_generated}/man/${section}/${page}.1 @ONLY)
    carver_gzip(${carver_generated}/man/${section}/${page}.1)
    install(FILES ${carver_generated}/man/${section}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${section})
  endforeach()
endforeach()

install(FILES ${carver_data}/completion/carver-cli ${carver_data}/completion/mender-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The licence goes in the copyright file, as Debian keeps it.
install(FILES ${carver_generated}/doc/copyright ${carver_generated}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CARVER_PACKAGE_NAME})

# Last, so the caches see every file above.
if(CARVER_WITH_QT)
  install(CODE "set(CARVER_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/RefreshDesktopCaches.cmake)
endif()
