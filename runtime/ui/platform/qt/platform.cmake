# The Qt 6 platform: Gui for fonts and text rendering, Widgets for windows and controls,
# and xcb to ask the X server which keys are held (over Qt's own connection). Included
# by runtime/ui/CMakeLists.txt when TRAWL_PLATFORM is qt; a file not listed here is not
# built.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)

set(platform_text_sources
  ${CMAKE_CURRENT_LIST_DIR}/qt_font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text_render.cpp)
set(platform_text_libraries Qt6::Gui)

set(platform_window_sources
  ${CMAKE_CURRENT_LIST_DIR}/qt_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_gadgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_requesters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_statusbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_toolbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_window.cpp)
set(platform_window_libraries Qt6::Widgets PkgConfig::XCB)
