# The Debian package corvane-logger_VERSION_ARCH.deb (scripts/package): what
# the install rules put under /usr, with the library packages it needs
# computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
# The licence as Debian wants it: a machine-readable copyright file in the
# package's documentation folder (the full text is in LICENSE).
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane-logger)
set(CPACK_PACKAGE_NAME corvane-logger)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane Data Logger maintainers <maintainers@users.noreply.c-seed-ff3cb7ac.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data logger for a laboratory heat engine")
# Debian wants description lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
  "Captures cylinder pressure and flywheel tachometer samples of a small
laboratory heat engine through a Measurement Computing USB data-acquisition
board, finds the engine speed, draws the pressure-volume diagram and measures
indicated power; in Dyna mode it derives shaft torque and power from the
flywheel's acceleration. Runs on a simulated engine when no board is
configured. Comes with its command-line tools (batch evaluation, simulated
captures), the HTML manual and a udev rule that lets members of the plugdev
group open the board.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugin at run time, so no library link names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
