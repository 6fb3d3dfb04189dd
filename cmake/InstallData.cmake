# Run by `cmake --install` (and by CPack, with DESTDIR set): writes the launcher,
# which names the folder the program is installed in (`--prefix` may choose it only
# now), and lays out the shop's data. The settings and the demo database name their
# files relative to the application folder, so the folder can be copied or moved. What is there already is kept: an existing Zavrin.ini,
# ZavrinEditCNC.ini, machine database or program folder holds the shop's settings,
# machines and programs, and a reinstallation or an upgrade must not replace them.
#
# Set before this script runs: ZAVRIN_NEWDB, ZAVRIN_INI_IN, ZAVRIN_EDITCNC_INI,
# ZAVRIN_DEMO_DIR, ZAVRIN_DESKTOP_IN, ZAVRIN_ICON_256, ZAVRIN_ICON_48, ZAVRIN_UNIX,
# ZAVRIN_DNC_UNIT_IN.
set(app "${CMAKE_INSTALL_PREFIX}")
if(NOT IS_ABSOLUTE "${app}")
  get_filename_component(app "${app}" ABSOLUTE)
endif()
set(root "$ENV{DESTDIR}${app}")
set(writable OWNER_READ OWNER_WRITE GROUP_READ GROUP_WRITE WORLD_READ WORLD_WRITE)
set(writableDir ${writable} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)

if(NOT "$ENV{DESTDIR}" STREQUAL "")
  # Packaging: the package carries the first settings and the demo programs in
  # defaults/, and its postinst copies each into place only where nothing is there
  # yet and creates the database. The package never owns the live files, so an
  # upgrade or a removal leaves the shop's settings, machines and programs alone.
  set(ZAVRIN_INI_DATABASE "demo/machines.db")
  configure_file("${ZAVRIN_INI_IN}" "${root}/defaults/Zavrin.ini" @ONLY)
  file(COPY "${ZAVRIN_EDITCNC_INI}" DESTINATION "${root}/defaults")
  file(COPY "${ZAVRIN_DEMO_DIR}/programs" "${ZAVRIN_DEMO_DIR}/machines" DESTINATION "${root}/defaults/demo")
else()
  # SQLite writes its journal beside the database: the folder must be writable too.
  if(NOT EXISTS "${root}/demo")
    file(MAKE_DIRECTORY "${root}/demo")
    file(CHMOD "${root}/demo" PERMISSIONS ${writableDir})
  endif()

  if(EXISTS "${root}/Zavrin.ini")
    message(STATUS "Kept: ${root}/Zavrin.ini")
  else()
    set(ZAVRIN_INI_DATABASE "demo/machines.db")
    configure_file("${ZAVRIN_INI_IN}" "${root}/Zavrin.ini" @ONLY)
    file(CHMOD "${root}/Zavrin.ini" PERMISSIONS ${writable})
    message(STATUS "Installing: ${root}/Zavrin.ini")
  endif()

  if(EXISTS "${root}/ZavrinEditCNC.ini")
    message(STATUS "Kept: ${root}/ZavrinEditCNC.ini")
  else()
    file(COPY "${ZAVRIN_EDITCNC_INI}" DESTINATION "${root}" FILE_PERMISSIONS ${writable})
    message(STATUS "Installing: ${root}/ZavrinEditCNC.ini")
  endif()

  # The demo programs and machine folders, then the database that points at them.
  foreach(folder programs machines)
    if(EXISTS "${root}/demo/${folder}")
      message(STATUS "Kept: ${root}/demo/${folder}")
    else()
      file(COPY "${ZAVRIN_DEMO_DIR}/${folder}" DESTINATION "${root}/demo"
           FILE_PERMISSIONS ${writable} DIRECTORY_PERMISSIONS ${writableDir})
      message(STATUS "Installing: ${root}/demo/${folder}")
    endif()
  endforeach()
  if(EXISTS "${root}/demo/machines.db")
    message(STATUS "Kept: ${root}/demo/machines.db")
  else()
    execute_process(COMMAND "${ZAVRIN_NEWDB}" "${root}/demo/machines.db" --demo --root demo
                    RESULT_VARIABLE result OUTPUT_QUIET)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "The machine database ${root}/demo/machines.db could not be created (${result}).")
    endif()
    file(CHMOD "${root}/demo/machines.db" PERMISSIONS ${writable})
    message(STATUS "Installing: ${root}/demo/machines.db")
  endif()
endif()

# The launcher and its icon: in the system's menu for a system folder (and for a
# package), otherwise inside the folder itself, to be copied to
# ~/.local/share/applications by whoever wants it in their menu.
if(ZAVRIN_UNIX)
  if(NOT "$ENV{DESTDIR}" STREQUAL "" OR app MATCHES "^/(opt|usr)/")
    set(share "$ENV{DESTDIR}/usr/share")
  else()
    set(share "${root}/share")
  endif()
  set(ZAVRIN_INSTALLED_DIR "${app}")
  configure_file("${ZAVRIN_DESKTOP_IN}" "${share}/applications/zavrin.desktop" @ONLY)
  file(COPY "${ZAVRIN_ICON_256}" DESTINATION "${share}/icons/hicolor/256x256/apps")
  file(MAKE_DIRECTORY "${share}/icons/hicolor/48x48/apps")
  configure_file("${ZAVRIN_ICON_48}" "${share}/icons/hicolor/48x48/apps/zavrin.png" COPYONLY)
  message(STATUS "Installing: ${share}/applications/zavrin.desktop")
endif()

# The systemd unit of zavrin-dnc: where systemd finds it for a system folder and a package,
# otherwise inside the folder, to be copied by whoever wants it. Nothing enables it.
if(ZAVRIN_UNIX AND DEFINED ZAVRIN_DNC_UNIT_IN)
  if(NOT "$ENV{DESTDIR}" STREQUAL "" OR app MATCHES "^/(opt|usr)/")
    set(units "$ENV{DESTDIR}/lib/systemd/system")
  else()
    set(units "${root}/share/systemd")
  endif()
  set(ZAVRIN_INSTALLED_DIR "${app}")
  configure_file("${ZAVRIN_DNC_UNIT_IN}" "${units}/zavrin-dnc.service" @ONLY)
  file(CHMOD "${units}/zavrin-dnc.service" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  message(STATUS "Installing: ${units}/zavrin-dnc.service")
endif()
