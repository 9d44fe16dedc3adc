# The installed game: `cmake --install build --prefix P` gives
#
#   P/lib/roofrider/                 roofrider, roofrider-demo and the asset
#                                    folders bmp, sound, soundeffect, data
#                                    (the program reads its files beside itself)
#   P/bin/roofrider                  a launcher that starts the real program
#   P/share/applications/roofrider.desktop
#   P/share/icons/hicolor/128x128/apps/roofrider.png   made from the portrait
#
# The launcher finds the program relative to itself, so a moved prefix
# still runs; the desktop entry names the launcher by its installed path.

set(ROOFRIDER_INSTALL_GAME_DIR lib/roofrider)

# The icon: the evaluation screen's portrait (128 x 128), as PNG.
add_executable(roofrider_bmp_to_png ${CMAKE_SOURCE_DIR}/packaging/bmp_to_png.cpp)
target_link_libraries(roofrider_bmp_to_png PRIVATE roofrider_platform)
set(ROOFRIDER_ICON ${CMAKE_BINARY_DIR}/packaging/roofrider.png)
add_custom_command(
  OUTPUT ${ROOFRIDER_ICON}
  COMMAND roofrider_bmp_to_png ${ROOFRIDER_GENERATED_DIR}/pictures/portrait.bmp ${ROOFRIDER_ICON}
  DEPENDS roofrider_bmp_to_png ${ROOFRIDER_GENERATED_DIR}/pictures/portrait.bmp
  COMMENT "Making the desktop icon from the portrait"
  VERBATIM)
add_custom_target(roofrider_icon ALL DEPENDS ${ROOFRIDER_ICON})

# The launcher, with the way from bin to the game's folder written in.
file(RELATIVE_PATH ROOFRIDER_LAUNCHER_TO_GAME /bin /${ROOFRIDER_INSTALL_GAME_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/roofrider.in ${CMAKE_BINARY_DIR}/packaging/roofrider @ONLY)

if(TARGET roofrider)
  install(TARGETS roofrider RUNTIME DESTINATION ${ROOFRIDER_INSTALL_GAME_DIR})
endif()
if(TARGET roofrider-demo)
  install(TARGETS roofrider-demo RUNTIME DESTINATION ${ROOFRIDER_INSTALL_GAME_DIR})
endif()
install(DIRECTORY ${ROOFRIDER_GAME_DIR}/bmp ${ROOFRIDER_GAME_DIR}/sound ${ROOFRIDER_GAME_DIR}/soundeffect
                  ${ROOFRIDER_GAME_DIR}/data
        DESTINATION ${ROOFRIDER_INSTALL_GAME_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/roofrider DESTINATION bin)
install(FILES ${ROOFRIDER_ICON} DESTINATION share/icons/hicolor/128x128/apps)

# The desktop entry is written when it is installed: only then is the
# prefix known (cmake --install --prefix).
install(CODE "set(ROOFRIDER_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/packaging/roofrider.desktop.in\")
set(ROOFRIDER_DESKTOP_FILE \"${CMAKE_BINARY_DIR}/packaging/roofrider.desktop\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/desktop_entry.cmake)

# The install test runs cmake --install itself.
function(roofrider_install_link_tests)
  if(TARGET roofrider_tests)
    add_dependencies(roofrider_tests roofrider_icon)
    target_compile_definitions(roofrider_tests PRIVATE ROOFRIDER_CMAKE_COMMAND="${CMAKE_COMMAND}")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL roofrider_install_link_tests)
