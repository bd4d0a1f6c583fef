# The Debian package: `cpack -G DEB` in the build folder makes orbcalender_<version>_<arch>.deb
# from the install tree. Depends comes from the libraries the program links (dpkg-shlibdeps).

# The Debian revision: a package of our own, not a native Debian one, so its changelog is
# changelog.Debian.gz and the version carries "-1".
set(ORB_DEBIAN_RELEASE 1)
set(orb_debian_version "${PROJECT_VERSION}-${ORB_DEBIAN_RELEASE}")
set(orb_packaging ${PROJECT_SOURCE_DIR}/packaging)

# A bumped project version without its changelog entry would make lintian fail much later.
file(READ ${orb_packaging}/changelog orb_changelog_head LIMIT 200)
string(REGEX MATCH "^[^\n]*" orb_changelog_head "${orb_changelog_head}")
if(NOT orb_changelog_head MATCHES "^orbcalender \\(${orb_debian_version}\\) ")
    message(FATAL_ERROR "packaging/changelog starts with \"${orb_changelog_head}\"; "
                        "its first entry must be orbcalender (${orb_debian_version})")
endif()

if(ORB_BUILD_GUI AND UNIX AND NOT APPLE)
    # gzip -n leaves out the name and time, so the package is the same on every build.
    find_program(ORB_GZIP gzip REQUIRED)
    set(orb_gzipped)
    foreach(pair "changelog:changelog.Debian" "orbcalender.1:orbcalender.1")
        string(REPLACE ":" ";" pair "${pair}")
        list(GET pair 0 source)
        list(GET pair 1 target)
        set(copy ${CMAKE_BINARY_DIR}/packaging/${target})
        add_custom_command(OUTPUT ${copy}.gz
                           COMMAND ${CMAKE_COMMAND} -E copy ${orb_packaging}/${source} ${copy}
                           COMMAND ${ORB_GZIP} -9nf ${copy}
                           DEPENDS ${orb_packaging}/${source}
                           VERBATIM)
        list(APPEND orb_gzipped ${copy}.gz)
    endforeach()
    add_custom_target(orb_packaging_files ALL DEPENDS ${orb_gzipped})

    set(orb_doc ${CMAKE_INSTALL_DATADIR}/doc/orbcalender)
    install(FILES ${orb_packaging}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${orb_doc})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/orbcalender.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    # Tags that do not apply to this package, each with its reason.
    install(FILES ${orb_packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME orbcalender)

    # Included last, so these run after every program is installed (policy CMP0082).
    set(orb_program_places ${CMAKE_INSTALL_BINDIR}/orbcalender ${CMAKE_INSTALL_LIBEXECDIR}/orbcalender lib/orbcalender
                           ${CMAKE_INSTALL_LIBDIR}/orbcalender)
    install(CODE "set(ORB_OBJCOPY \"${CMAKE_OBJCOPY}\")
set(ORB_PROGRAM_PLACES \"${orb_program_places}\")")
    install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/OrbStripNotes.cmake)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbcalender)
set(CPACK_PACKAGE_VENDOR "The OrbCalender developers")
set(CPACK_PACKAGE_CONTACT "The OrbCalender developers <orbcalender@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Google Calendar and Google Tasks on the desktop")
# One line of the control file each: lintian refuses lines over 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "OrbCalender shows your Google calendars, events, task lists and tasks in two\n"
       "borderless desktop windows, a multi-column tree and a month grid, with a tray\n"
       "icon. Every change you make is sent to Google at once. The data of the last\n"
       "load is kept in a local cache, shown at start and while Google cannot be\n"
       "reached, and events and tasks remind through the desktop's notifications.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORB_DEBIAN_RELEASE})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Korean texts of the program need a font that has them; a session with Wayland alone
# runs the program through Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-nanum, qt6-wayland")
include(CPack)
