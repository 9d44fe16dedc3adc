# Run by cmake --install, once the prefix is known: links the asset folders
# beside the program when they live elsewhere, and writes the desktop entry
# and the manual page with the installed paths. The install rules
# (cmake/install.cmake) set the ROOFRIDER_* variables before this runs.
#
# file(INSTALL) honours DESTDIR by itself; the links are made under it here.

set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# The program reads bmp, sound, soundeffect and data beside itself.
if(NOT ROOFRIDER_INSTALL_DATA_DIR STREQUAL ROOFRIDER_INSTALL_GAME_DIR)
  foreach(folder ${ROOFRIDER_ASSET_FOLDERS})
    set(link "${root}/${ROOFRIDER_INSTALL_GAME_DIR}/${folder}")
    message(STATUS "Installing: ${link} -> ${ROOFRIDER_GAME_TO_DATA}/${folder}")
    file(REMOVE "${link}")
    file(CREATE_LINK "${ROOFRIDER_GAME_TO_DATA}/${folder}" "${link}" SYMBOLIC)
  endforeach()
endif()

# The desktop entry's Exec value is quoted; inside quotes a desktop entry
# escapes the characters " ` $ and \ with a backslash.
set(exec "${CMAKE_INSTALL_PREFIX}/${ROOFRIDER_INSTALL_BIN_DIR}/roofrider")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
set(ROOFRIDER_DESKTOP_EXEC "${exec}")
configure_file("${ROOFRIDER_SOURCE_DIR}/packaging/roofrider.desktop.in" "${ROOFRIDER_OUTPUT_DIR}/roofrider.desktop"
               @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${ROOFRIDER_OUTPUT_DIR}/roofrider.desktop")

# The manual page names the folders; in roff a backslash is written "\e"
# and a hyphen in a path "\-".
foreach(dir GAME DATA BIN)
  set(path "${CMAKE_INSTALL_PREFIX}/${ROOFRIDER_INSTALL_${dir}_DIR}")
  string(REPLACE "\\" "\\e" path "${path}")
  string(REPLACE "-" "\\-" path "${path}")
  set(ROOFRIDER_MAN_${dir}_DIR "${path}")
endforeach()
configure_file("${ROOFRIDER_SOURCE_DIR}/packaging/roofrider.6.in" "${ROOFRIDER_OUTPUT_DIR}/roofrider.6" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/man/man6" TYPE FILE
     FILES "${ROOFRIDER_OUTPUT_DIR}/roofrider.6")
