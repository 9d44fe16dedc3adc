# Run by cmake --install: writes the desktop entry with the launcher's
# installed path and installs it. ROOFRIDER_DESKTOP_TEMPLATE and
# ROOFRIDER_DESKTOP_FILE are set by the install rules before this runs.
#
# The Exec value is quoted; inside quotes a desktop entry escapes the
# characters " ` $ and \ with a backslash.
set(exec "${CMAKE_INSTALL_PREFIX}/bin/roofrider")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
set(ROOFRIDER_DESKTOP_EXEC "${exec}")
configure_file("${ROOFRIDER_DESKTOP_TEMPLATE}" "${ROOFRIDER_DESKTOP_FILE}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${ROOFRIDER_DESKTOP_FILE}")
