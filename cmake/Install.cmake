# Installation: one application folder holding the executables, the two settings
# files, the machine database, the demo programs and the help tree, as the program
# expects them beside itself. On Linux that folder is /opt/zavrin, with a launcher
# in the desktop menu; CPack makes a Debian package of it.
if(WIN32)
  set(ZAVRIN_APP_DIR .)
else()
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /opt/zavrin CACHE PATH "Installation folder" FORCE)
  endif()
  set(ZAVRIN_APP_DIR .)
endif()
set(ZAVRIN_INSTALLED_DIR ${CMAKE_INSTALL_PREFIX})

foreach(program zavrin zavrin-cnc zavrin-newdb)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${ZAVRIN_APP_DIR})
  endif()
endforeach()

# Settings and database are written by the program at run time (settings windows,
# machine registration), so they stay writable on a shop-floor workstation.
set(ZAVRIN_WRITABLE OWNER_READ OWNER_WRITE GROUP_READ GROUP_WRITE WORLD_READ WORLD_WRITE)
set(ZAVRIN_INSTALL_DATA ${CMAKE_BINARY_DIR}/install-data)
file(MAKE_DIRECTORY ${ZAVRIN_INSTALL_DATA})
set(ZAVRIN_DEMO_DATABASE ${ZAVRIN_INSTALLED_DIR}/demo/machines.db)
configure_file(${PROJECT_SOURCE_DIR}/resources/demo/Zavrin.ini.in ${ZAVRIN_INSTALL_DATA}/Zavrin.ini @ONLY)
add_custom_command(OUTPUT ${ZAVRIN_INSTALL_DATA}/machines.db
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZAVRIN_INSTALL_DATA}/machines.db
  COMMAND $<TARGET_FILE:zavrin-newdb> ${ZAVRIN_INSTALL_DATA}/machines.db --demo --root ${ZAVRIN_INSTALLED_DIR}/demo
  DEPENDS zavrin-newdb
  COMMENT "Creating the machine database for installation")
add_custom_target(zavrin_install_data ALL DEPENDS ${ZAVRIN_INSTALL_DATA}/machines.db)

install(FILES ${ZAVRIN_INSTALL_DATA}/Zavrin.ini ${PROJECT_SOURCE_DIR}/resources/demo/ZavrinEditCNC.ini
        DESTINATION ${ZAVRIN_APP_DIR} PERMISSIONS ${ZAVRIN_WRITABLE})
install(FILES ${ZAVRIN_INSTALL_DATA}/machines.db DESTINATION ${ZAVRIN_APP_DIR}/demo PERMISSIONS ${ZAVRIN_WRITABLE})
install(DIRECTORY ${ZAVRIN_RUN_DIR}/demo/programs ${ZAVRIN_RUN_DIR}/demo/machines
        DESTINATION ${ZAVRIN_APP_DIR}/demo
        FILE_PERMISSIONS ${ZAVRIN_WRITABLE}
        DIRECTORY_PERMISSIONS ${ZAVRIN_WRITABLE} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
install(DIRECTORY ${ZAVRIN_RUN_DIR}/Help DESTINATION ${ZAVRIN_APP_DIR})

if(UNIX AND NOT APPLE)
  configure_file(${PROJECT_SOURCE_DIR}/resources/linux/zavrin.desktop.in ${ZAVRIN_INSTALL_DATA}/zavrin.desktop @ONLY)
  install(FILES ${ZAVRIN_INSTALL_DATA}/zavrin.desktop DESTINATION /usr/share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/zavrin.png
          DESTINATION /usr/share/icons/hicolor/256x256/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/zavrin-48.png
          DESTINATION /usr/share/icons/hicolor/48x48/apps RENAME zavrin.png)
endif()

set(CPACK_PACKAGE_NAME zavrin)
set(CPACK_PACKAGE_VENDOR "Zavrin")
set(CPACK_PACKAGE_CONTACT "Zavrin developers <zavrin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DNC workstation for CNC machine shops")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
include(CPack)
