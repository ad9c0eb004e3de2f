# Install rules and the Debian package (cpack -G DEB in the build directory).
# Laid out as Debian lays out games: the binary in games/, its data in
# share/games/vell/. The game finds its font.bmp at <games>/../share/games/vell,
# so the two keep that relation wherever the install lands.

set(CMAKE_INSTALL_DOCDIR share/doc/vell CACHE PATH "Documentation directory")
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The manual page and the changelog, versioned and compressed the Debian way
# (gzip -n: no name or time stamp, so the bytes depend on the text alone).
set(VELL_GEN ${CMAKE_BINARY_DIR}/install)
configure_file(data/vell.6 ${VELL_GEN}/vell.6 @ONLY)
configure_file(data/debian/changelog ${VELL_GEN}/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
foreach(name vell.6 changelog)
  add_custom_command(OUTPUT ${VELL_GEN}/${name}.gz
    COMMAND ${GZIP} -9nf -k ${VELL_GEN}/${name}
    DEPENDS ${VELL_GEN}/${name} VERBATIM)
  list(APPEND VELL_GZ ${VELL_GEN}/${name}.gz)
endforeach()
add_custom_target(vell_install_files ALL DEPENDS ${VELL_GZ})

install(TARGETS vell RUNTIME DESTINATION games)
# A stripped install (cmake --install --strip, and the package) also drops
# the compiler's notes, as Debian's own packages do.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/vell\")
endif()")
install(FILES data/font.bmp DESTINATION share/games/vell)
install(FILES data/vell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${VELL_GEN}/vell.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES README.md data/debian/copyright ${VELL_GEN}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vell)
set(CPACK_PACKAGE_VENDOR "The Vell developers")
set(CPACK_PACKAGE_CONTACT "The Vell developers <vell@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small roguelike of chaos and order in a window")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vell is a single-player roguelike drawn with OpenGL in a window of its own.
Monsters keep arriving at the edges of a map of grass and dirt paths; the
player fights them in melee and with arrows, gathers gold, arrows, health,
gems and scrolls of order, and spends magic on twelve chaos effects, each of
which also corrupts the glyphs the game is drawn with. Order copies them
back.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the SDL2, OpenGL and C++ runtime packages the binary
# links; SDL opens libGL itself, at run time, so that one is named here.
# Mesa's drivers give OpenGL where there is no other.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
