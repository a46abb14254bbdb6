# What `cmake --install` puts under the prefix, and the Debian package CPack makes of it:
#   bin/pelnoria
#   share/applications/pelnoria.desktop
#   share/icons/hicolor/{scalable,48x48,128x128,256x256}/apps/pelnoria.{svg,png}
#   share/metainfo/pelnoria.metainfo.xml
include(GNUInstallDirs)

install(TARGETS pelnoria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/desktop/pelnoria.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/pelnoria.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/icons/pelnoria.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/icons/pelnoria-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME pelnoria.png)
endforeach()

# The package: scripts/package runs `cpack` in a build of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelnoria)
# Debian versions have three parts; the program calls itself 2.0.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "looks a web novel up on six novel sites and downloads it")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Pelnoria looks a web novel up by its title on six Chinese novel sites at once, shows what
each site found as a strip of cover thumbnails, and downloads the novel you pick chapter by
chapter into one GBK text file. The sites are named in a site file, pelnoria.ini; without
one it serves embedded demo sites on loopback.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pelnoria maintainers <maintainers@pelnoria.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # pelnoria_2.0.0_amd64.deb
# The libraries it needs, from the binary itself (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are Chinese; without a CJK font they show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
include(CPack)
