# Desktop integration and the Debian package: `cmake --build build --target package`
# (or `cpack --config build/CPackConfig.cmake`) makes trawl_<version>_<arch>.deb holding
# trawl, the bundled catalogue server its default addresses point at, the menu entry,
# the icon and the AppStream metainfo.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/data/trawl.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/trawl.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/trawl.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(TRAWL_PACKAGE_MAINTAINER "Trawl developers <trawl@localhost>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trawl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Trawl")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast desktop picture downloader")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRAWL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; this is the long text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trawl fetches an XML picture catalogue, lists its entries with checkboxes and
downloads the checked pictures one after another in the background, marking each
saved JPEG with a large diagonal text. The bundled trawl-catalogue-server publishes
a folder of pictures (or a generated sample set) as such a catalogue on 127.0.0.1.")
# The runtime libraries of Debian 12; libcpp-httplib0.11 is for the catalogue server.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libcurl4 (>= 7.88), libexpat1 (>= 2.5), libjpeg62-turbo, libjemalloc2, fonts-dejavu-core, libcpp-httplib0.11")

include(CPack)
