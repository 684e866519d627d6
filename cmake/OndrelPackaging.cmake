# What `cmake --install` puts on a desktop, and the Debian package CPack
# builds of it (`cpack -G DEB` in a build tree).
include(GNUInstallDirs)

set(ONDREL_APP_ID org.ondrel.Ondrel)
set(ONDREL_RELEASE 0.57a)

install(TARGETS ondrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${ONDREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${ONDREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icons/${ONDREL_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/hicolor/${size}x${size}/apps/${ONDREL_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian wants the manual page and the changelog compressed, without a
# time stamp, so that two builds of one source give one package.
find_program(GZIP gzip REQUIRED)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
foreach(name ondrel.1 changelog)
  add_custom_command(OUTPUT ${packaging_out}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/${name} > ${packaging_out}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${name} VERBATIM)
endforeach()
add_custom_target(ondrel_packaging_files ALL DEPENDS ${packaging_out}/ondrel.1.gz ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/ondrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_out}/changelog.gz packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondrel)
set(CPACK_PACKAGE_VERSION ${ONDREL_RELEASE})
set(CPACK_PACKAGE_VENDOR "The Ondrel developers")
set(CPACK_PACKAGE_CONTACT "The Ondrel developers <developers@ondrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serverless voice phone for the desktop")
# The package's long description; the summary above is its first line.
set(CPACK_PACKAGE_DESCRIPTION "Ondrel calls another computer directly over UDP, with no account and no
server. It keeps a list of clients with their presence, rings, answers and
streams voice both ways in GSM, G.711, PCM or Speex, and is driven from a
small window, a tray icon, keys and remote-control commands.")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ondrel.org/)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from what the program links (dpkg-shlibdeps). Qt's
# window-system plugin is loaded at run time, so no link names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)
