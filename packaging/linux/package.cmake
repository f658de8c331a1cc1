# Installed as the Linux desktop expects: the programs, a menu entry, its icons and
# software-centre data, manuals, and the copyright and changelog a Debian package carries.
# `packaging/linux/make-deb` builds the package as Debian's own builds do; the tests
# package.* check it with lintian and appstreamcli.
include(GNUInstallDirs)

# Who makes the package and where the project lives, once for the package, its copyright
# file and the software-centre data.
set(BRIMLOCK_DEVELOPERS "Brimlock developers")
set(BRIMLOCK_MAINTAINER "Brimlock maintainers <maintainers@users.noreply.c-seed-607753b8.example>")
set(BRIMLOCK_HOMEPAGE "https://c-seed-607753b8.example/brimlock")
set(BRIMLOCK_APPSTREAM_ID "example.c_seed_607753b8.brimlock")
# No licence has been granted: every right stays with the developers.
set(BRIMLOCK_LICENSE_SPDX "LicenseRef-proprietary")

install(TARGETS brimlock brimlock-card brimlock-encoder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES src/resources/brimlock.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 128)
  install(FILES src/resources/icons/brimlock-${size}.png RENAME brimlock.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES src/resources/icons/brimlock.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(BRIMLOCK_METAINFO ${CMAKE_BINARY_DIR}/generated/${BRIMLOCK_APPSTREAM_ID}.metainfo.xml)
configure_file(src/resources/brimlock.metainfo.xml.in ${BRIMLOCK_METAINFO} @ONLY)
install(FILES ${BRIMLOCK_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manuals and the changelog go in compressed, as Debian's packages have them; -n leaves
# out the time, so the same source gives the same package.
set(doc ${CMAKE_INSTALL_DATADIR}/doc/brimlock)
configure_file(packaging/linux/copyright.in ${CMAKE_BINARY_DIR}/generated/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/copyright DESTINATION ${doc})
set(changelog ${CMAKE_BINARY_DIR}/generated/changelog)
configure_file(packaging/linux/changelog ${changelog} COPYONLY)
add_custom_command(OUTPUT ${changelog}.gz COMMAND gzip -9nkf ${changelog} DEPENDS ${changelog} VERBATIM)
install(FILES ${changelog}.gz DESTINATION ${doc})
set(compressed ${changelog}.gz)
foreach(page brimlock brimlock-card brimlock-encoder)
  set(man ${CMAKE_BINARY_DIR}/man/${page}.1)
  configure_file(doc/man/${page}.1.in ${man} @ONLY)
  add_custom_command(OUTPUT ${man}.gz COMMAND gzip -9nkf ${man} DEPENDS ${man} VERBATIM)
  list(APPEND compressed ${man}.gz)
  install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
# Where bash-completion looks for a command's completion when it is first typed.
install(FILES tools/card/brimlock-card.bash-completion RENAME brimlock-card
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# `cmake --build <dir> --target package` makes the Debian package; its dependencies are read
# from the libraries the programs link (Qt 6, unixODBC, ICU; Debian's libqt6gui6 carries
# the X11 platform plugin itself). Every caption of the window is Chinese, and a minimal
# system's one font has none: without one of these fonts the buttons show rows of boxes.
# The ODBC drivers serve the lookup alone, so they stay recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimlock)
set(CPACK_PACKAGE_CONTACT "${BRIMLOCK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator's window for a magnetic-stripe card encoder on a serial line")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reads a card into the Track 1 field, writes the Track 1 text onto a card,
or resets the encoder, each with one button, on a serial port at 9600 8N1.
brimlock-card does the same from a shell, with verified writes, resumable
batches and the ticket lookup. brimlock-encoder is a virtual encoder on a
pseudo-terminal, for demonstrations and training.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BRIMLOCK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc, tdsodbc")
# The programs go in stripped. Those in the build directory keep their symbols and debug
# information, under the same build id, for reading a crash report. (CPack's own -dbgsym
# package is left out: its md5sums name the build's paths, which lintian rightly refuses.)
set(CPACK_STRIP_FILES ON)
# Whatever the builder's umask, the package's folders are 755 like every other package's.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
