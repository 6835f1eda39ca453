# Desktop integration and the Debian package: `cmake --build build --target package`
# (or `cpack --config build/CPackConfig.cmake`) makes trawl_<version>_<arch>.deb holding
# trawl, the bundled catalogue server its default addresses point at, the menu entry,
# the icons, the AppStream metainfo, the manual pages, the copyright file and the
# changelog. scripts/package-check.sh judges it with Debian's own tools.
include(GNUInstallDirs)

set(TRAWL_APP_ID "org.example.trawl" CACHE STRING
    "Reverse-DNS id of the menu entry and the AppStream metainfo")
set(TRAWL_PACKAGE_MAINTAINER "Trawl developers <trawl@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
# A build for one picture site (TRAWL_SITE_NAME, see app/CMakeLists.txt) is packed as
# trawl-NAME, which takes the place of any other Trawl package, and says which site it
# is for.
if(TRAWL_SITE_NAME STREQUAL "")
  set(trawl_package_name trawl)
else()
  set(trawl_package_name trawl-${TRAWL_SITE_NAME})
endif()
# Build folders from before keep the former default, whose host lintian refuses.
if(TRAWL_PACKAGE_MAINTAINER STREQUAL "Trawl developers <trawl@localhost>")
  set_property(CACHE TRAWL_PACKAGE_MAINTAINER PROPERTY VALUE "Trawl developers <trawl@example.org>")
endif()

# The changelog's newest entry names the version and the release date; the build stops
# when its version is not the project's, so that a release changes both together.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/changelog changelog_head LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/data/changelog changelog_trailers REGEX "^ -- ")
list(GET changelog_trailers 0 changelog_trailer)
if(NOT changelog_head MATCHES "^trawl \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/changelog must start with an entry for ${PROJECT_VERSION}: ${changelog_head}")
endif()
if(NOT changelog_trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "data/changelog: no date in \"${changelog_trailer}\"")
endif()
set(release_day ${CMAKE_MATCH_1})
set(release_year ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} release_month)
math(EXPR release_month "${release_month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${release_month}" month_digits)
string(LENGTH "${release_day}" day_digits)
if(month_digits EQUAL 1)
  set(release_month "0${release_month}")
endif()
if(day_digits EQUAL 1)
  set(release_day "0${release_day}")
endif()
set(TRAWL_RELEASE_DATE "${release_year}-${release_month}-${release_day}")

set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/data/trawl.desktop ${packaging_dir}/${TRAWL_APP_ID}.desktop
               COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/trawl.metainfo.xml.in
               ${packaging_dir}/${TRAWL_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/trawl.1.in ${packaging_dir}/trawl.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/trawl-catalogue-server.1.in
               ${packaging_dir}/trawl-catalogue-server.1 @ONLY)

# The copyright file in Debian's machine-readable form, made from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${packaging_dir}/LICENSE COPYONLY)  # reconfigure on change
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n")
  message(FATAL_ERROR "LICENSE names no copyright holder")
endif()
set(copyright_holder "${CMAKE_MATCH_1}")
string(FIND "${license}" "Permission is hereby granted" license_start)
string(SUBSTRING "${license}" ${license_start} -1 license_text)
string(STRIP "${license_text}" license_text)
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " license_text "${license_text}")
file(CONFIGURE OUTPUT ${packaging_dir}/copyright CONTENT [=[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Trawl

Files: *
Copyright: @copyright_holder@
License: Expat
 @license_text@
]=] @ONLY)

# Debian wants manual pages and the changelog compressed at the highest level, without
# a time stamp in them.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(source packaging/trawl.1 packaging/trawl-catalogue-server.1 data/changelog)
  if(source MATCHES "^data/")
    set(input ${PROJECT_SOURCE_DIR}/${source})
  else()
    set(input ${PROJECT_BINARY_DIR}/${source})
  endif()
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${packaging_dir}/${name}.gz
                     COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${GZIP} ${input}
                             ${packaging_dir}/${name}.gz
                     DEPENDS ${input} VERBATIM)
  list(APPEND compressed ${packaging_dir}/${name}.gz)
endforeach()
add_custom_target(trawl_package_files ALL DEPENDS ${compressed})

# The installed programs resolve every symbol at start and keep their tables read-only
# afterwards, as Debian's own builds do.
foreach(program trawl trawl-catalogue-server)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE LINKER:-z,relro,-z,now)
  endif()
endforeach()

install(FILES ${packaging_dir}/${TRAWL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/${TRAWL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${packaging_dir}/trawl.1.gz ${packaging_dir}/trawl-catalogue-server.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_dir}/copyright ${packaging_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${trawl_package_name})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${trawl_package_name})
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
    "Trawl fetches an XML picture catalogue, lists its entries with checkboxes
and downloads the checked pictures one after another in the background,
marking each saved JPEG with a large diagonal text. The bundled
trawl-catalogue-server publishes a folder of pictures (or a generated
sample set) as such a catalogue on 127.0.0.1.")
# The libraries come from dpkg-shlibdeps; the mark's font is loaded by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
if(NOT TRAWL_SITE_NAME STREQUAL "")
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "
.
This build is for the picture site ${TRAWL_SITE_URL}: its catalogue
addresses and pair templates point there.")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_PACKAGE_DESCRIPTION_SUMMARY} for ${TRAWL_SITE_NAME}")
  foreach(field CONFLICTS PROVIDES REPLACES)
    set(CPACK_DEBIAN_PACKAGE_${field} trawl)
  endforeach()
endif()

include(CPack)
