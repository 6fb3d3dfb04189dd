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

foreach(program zavrin zavrin-cnc zavrin-newdb zavrin-dnc)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${ZAVRIN_APP_DIR})
  endif()
endforeach()

install(DIRECTORY ${ZAVRIN_RUN_DIR}/Help DESTINATION ${ZAVRIN_APP_DIR})

# Settings, database, demo programs and launcher are written at install time
# (cmake/InstallData.cmake): they name the installation folder, which
# `cmake --install --prefix` chooses only then, and an installation over an existing
# one keeps the shop's settings, machines and programs. The program writes them while
# it runs, so they are writable by every user of the workstation.
install(CODE "
  set(ZAVRIN_NEWDB \"$<TARGET_FILE:zavrin-newdb>\")
  set(ZAVRIN_INI_IN \"${PROJECT_SOURCE_DIR}/resources/demo/Zavrin.ini.in\")
  set(ZAVRIN_EDITCNC_INI \"${PROJECT_SOURCE_DIR}/resources/demo/ZavrinEditCNC.ini\")
  set(ZAVRIN_DEMO_DIR \"${ZAVRIN_RUN_DIR}/demo\")
  set(ZAVRIN_DESKTOP_IN \"${PROJECT_SOURCE_DIR}/resources/linux/zavrin.desktop.in\")
  set(ZAVRIN_DNC_UNIT_IN \"${PROJECT_SOURCE_DIR}/resources/linux/zavrin-dnc.service.in\")
  set(ZAVRIN_ICON_256 \"${PROJECT_SOURCE_DIR}/resources/pictures/zavrin.png\")
  set(ZAVRIN_ICON_48 \"${PROJECT_SOURCE_DIR}/resources/pictures/zavrin-48.png\")
  set(ZAVRIN_UNIX $<AND:$<BOOL:${UNIX}>,$<NOT:$<BOOL:${APPLE}>>>)
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallData.cmake)

# The package's postinst puts the settings, the demo programs and the database in
# place from defaults/ where nothing is there yet.
configure_file(${PROJECT_SOURCE_DIR}/resources/linux/postinst.in ${CMAKE_BINARY_DIR}/debian/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postinst)
include(CPack)
