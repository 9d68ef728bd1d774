# Run by `cmake --install`: after a plain install, rebuild the shared MIME
# database and the desktop entries' MIME cache under the prefix, so that .000
# files are known and open in Mender at once. A staged install (DESTDIR set,
# as when CPack builds the package) leaves that to the target system, whose
# package triggers do it.
if("$ENV{DESTDIR}" STREQUAL "")
  set(datadir "${CMAKE_INSTALL_PREFIX}/${CARVER_INSTALL_DATADIR}")
  find_program(update_mime update-mime-database)
  find_program(update_desktop update-desktop-database)
  if(update_mime)
    execute_process(COMMAND ${update_mime} "${datadir}/mime")
  endif()
  if(update_desktop)
    execute_process(COMMAND ${update_desktop} -q "${datadir}/applications")
  endif()
endif()
