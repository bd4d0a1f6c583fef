# The Debian package: `cpack -G DEB` in the build folder makes orbcalender_<version>_<arch>.deb
# from the install tree. Depends comes from the libraries the program links (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbcalender)
set(CPACK_PACKAGE_VENDOR "The OrbCalender developers")
set(CPACK_PACKAGE_CONTACT "The OrbCalender developers <orbcalender@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Google Calendar and Google Tasks on the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "OrbCalender shows your Google calendars, events, task lists and tasks in two borderless "
    "desktop windows, a multi-column tree and a month grid, with a tray icon. Every change "
    "you make is sent to Google at once.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Korean texts of the program need a font that has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-nanum")
include(CPack)
