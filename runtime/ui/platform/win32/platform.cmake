# The native Win32 platform: user32 and the common controls (comctl32 6, chosen by the
# program's manifest) for windows and controls, gdi32 for fonts and text masks, the shell
# and COM for the user's folders and the folder chooser. Included by
# runtime/ui/CMakeLists.txt when TRAWL_PLATFORM is win32; a file not listed here is not
# built.
set(platform_text_sources
  ${CMAKE_CURRENT_LIST_DIR}/win32_font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_text_render.cpp)
set(platform_text_libraries gdi32 user32)

set(platform_window_sources
  ${CMAKE_CURRENT_LIST_DIR}/win32_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_gadgets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_requesters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_statusbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_toolbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_window.cpp)
set(platform_window_libraries comctl32 user32 gdi32 shell32 ole32 uuid dwmapi)
