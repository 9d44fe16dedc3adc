# The installed game. `cmake --install build --prefix P` gives, with the
# default folders below:
#
#   P/lib/roofrider/                 roofrider (and roofrider-demo, when the
#                                    developer tools are built) with the asset
#                                    folders bmp, sound, soundeffect, data
#                                    (the program reads its files beside itself)
#   P/bin/roofrider                  a launcher that starts the real program
#   P/share/applications/roofrider.desktop
#   P/share/icons/hicolor/NxN/apps/roofrider.png   48, 64, 128 and 256 px,
#                                    made from the portrait
#   P/share/metainfo/ID.metainfo.xml the software centres' description
#   P/share/man/man6/roofrider.6     the manual page
#
# The Debian package puts the program in lib/games/roofrider, the asset
# folders in share/games/roofrider (linked from beside the program) and the
# launcher in games (debian/rules sets the three folders below).
#
# The launcher finds the program relative to itself, so a moved prefix
# still runs; the desktop entry and the manual page name the installed
# paths, so they are written when the prefix is known (at install time).

set(ROOFRIDER_INSTALL_GAME_DIR lib/roofrider CACHE STRING "Folder of the program, under the prefix")
set(ROOFRIDER_INSTALL_DATA_DIR "" CACHE STRING
    "Folder of the asset folders, under the prefix (empty: beside the program; else linked from there)")
set(ROOFRIDER_INSTALL_BIN_DIR bin CACHE STRING "Folder of the roofrider command, under the prefix")
# The AppStream component: its id never changes once published.
set(ROOFRIDER_APP_ID example.roofrider.RoofRider)
# Where the README's screenshots are published, for the metainfo.
set(ROOFRIDER_SCREENSHOTS_URL ${PROJECT_HOMEPAGE_URL}/docs/screenshots)
# No licence has been granted yet (debian/copyright says so in words).
set(ROOFRIDER_LICENSE_SPDX LicenseRef-proprietary)
set(ROOFRIDER_ICON_SIZES 48 64 128 256)

set(data_dir ${ROOFRIDER_INSTALL_DATA_DIR})
if(NOT data_dir)
  set(data_dir ${ROOFRIDER_INSTALL_GAME_DIR})
endif()
set(ROOFRIDER_ASSET_FOLDERS bmp sound soundeffect data)

# --- Built files: the icons, the launcher, the metainfo. --------------------
# The icons: the evaluation screen's portrait (128 x 128) at every size.
add_executable(roofrider_bmp_to_png ${CMAKE_SOURCE_DIR}/packaging/bmp_to_png.cpp)
target_link_libraries(roofrider_bmp_to_png PRIVATE roofrider_platform)
set(ROOFRIDER_ICONS)
foreach(size ${ROOFRIDER_ICON_SIZES})
  set(icon ${CMAKE_BINARY_DIR}/packaging/icons/${size}/roofrider.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}
    COMMAND roofrider_bmp_to_png ${ROOFRIDER_GENERATED_DIR}/pictures/portrait.bmp ${icon} ${size}
    DEPENDS roofrider_bmp_to_png ${ROOFRIDER_GENERATED_DIR}/pictures/portrait.bmp
    COMMENT "Making the ${size} px desktop icon from the portrait"
    VERBATIM)
  list(APPEND ROOFRIDER_ICONS ${icon})
endforeach()
add_custom_target(roofrider_icon ALL DEPENDS ${ROOFRIDER_ICONS})

# The launcher, with the way from its folder to the program's written in.
file(RELATIVE_PATH ROOFRIDER_LAUNCHER_TO_GAME /${ROOFRIDER_INSTALL_BIN_DIR} /${ROOFRIDER_INSTALL_GAME_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/roofrider.in ${CMAKE_BINARY_DIR}/packaging/roofrider @ONLY)

set(ROOFRIDER_METAINFO ${CMAKE_BINARY_DIR}/packaging/${ROOFRIDER_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/packaging/metainfo.xml.in ${ROOFRIDER_METAINFO} @ONLY)

# --- What goes where. ---------------------------------------------------------
if(TARGET roofrider)
  install(TARGETS roofrider RUNTIME DESTINATION ${ROOFRIDER_INSTALL_GAME_DIR})
endif()
if(TARGET roofrider-demo)
  install(TARGETS roofrider-demo RUNTIME DESTINATION ${ROOFRIDER_INSTALL_GAME_DIR})
endif()
foreach(folder ${ROOFRIDER_ASSET_FOLDERS})
  install(DIRECTORY ${ROOFRIDER_GAME_DIR}/${folder} DESTINATION ${data_dir})
endforeach()
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/roofrider DESTINATION ${ROOFRIDER_INSTALL_BIN_DIR})
foreach(size ${ROOFRIDER_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/icons/${size}/roofrider.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${ROOFRIDER_METAINFO} DESTINATION share/metainfo)

# The links beside the program to the asset folders (relative, so that an
# unpacked or moved tree still finds them), the desktop entry and the manual
# page: written by packaging/install_time_files.cmake.
file(RELATIVE_PATH game_to_data /${ROOFRIDER_INSTALL_GAME_DIR} /${data_dir})
install(CODE "
set(ROOFRIDER_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
set(ROOFRIDER_OUTPUT_DIR \"${CMAKE_BINARY_DIR}/packaging\")
set(ROOFRIDER_INSTALL_GAME_DIR \"${ROOFRIDER_INSTALL_GAME_DIR}\")
set(ROOFRIDER_INSTALL_DATA_DIR \"${data_dir}\")
set(ROOFRIDER_INSTALL_BIN_DIR \"${ROOFRIDER_INSTALL_BIN_DIR}\")
set(ROOFRIDER_GAME_TO_DATA \"${game_to_data}\")
set(ROOFRIDER_ASSET_FOLDERS \"${ROOFRIDER_ASSET_FOLDERS}\")
set(ROOFRIDER_VERSION \"${PROJECT_VERSION}\")
set(ROOFRIDER_RELEASE_DATE \"${ROOFRIDER_RELEASE_DATE}\")
set(ROOFRIDER_HOMEPAGE \"${PROJECT_HOMEPAGE_URL}\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/install_time_files.cmake)

# The install test runs cmake --install itself.
function(roofrider_install_link_tests)
  if(TARGET roofrider_tests)
    add_dependencies(roofrider_tests roofrider_icon)
    target_compile_definitions(roofrider_tests PRIVATE ROOFRIDER_CMAKE_COMMAND="${CMAKE_COMMAND}"
                                                       ROOFRIDER_APP_ID="${ROOFRIDER_APP_ID}"
                                                       ROOFRIDER_VERSION="${PROJECT_VERSION}")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL roofrider_install_link_tests)
