# Runs at install time: writes the desktop entry into the installed folder, naming that folder's
# own console and icon, wherever the folder was put (cmake --install --prefix).
# Quoted, as the folder's path may hold blanks.
set(CORVANE_EXEC "\"${CMAKE_INSTALL_PREFIX}/corvane\"")
set(CORVANE_ICON "${CMAKE_INSTALL_PREFIX}/icons/hicolor/128x128/apps/corvane.png")
configure_file("${CORVANE_DESKTOP_TEMPLATE}" "${CORVANE_DESKTOP_STAGE}/corvane.desktop" @ONLY)
file(INSTALL "${CORVANE_DESKTOP_STAGE}/corvane.desktop" DESTINATION "${CMAKE_INSTALL_PREFIX}")
