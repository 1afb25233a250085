# The install layout, relative to the prefix. The programs find the data
# folder, the private library and the screen saver relative to their own
# folder, so an installed tree works under any prefix (and inside the .deb's
# staging folder, whose prefix differs from the configured one).
include(GNUInstallDirs)
set(PELLIMORE_DATA_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/wallpaper-pellimore")
# libNoticon.so is used by our programs only: a private folder of the
# library folder, reached through the programs' RUNPATH. On multiarch systems
# it is the architecture's folder for every prefix (GNUInstallDirs picks it
# for /usr only), so the .deb made from a /usr/local build has the layout of
# a /usr one and no ldconfig run for a library ldconfig need not know.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    set(PELLIMORE_LIB_INSTALL_DIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}/wallpaper-pellimore")
else()
    set(PELLIMORE_LIB_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/wallpaper-pellimore")
endif()
# xscreensaver and mate-screensaver run hacks from here only.
set(PELLIMORE_SAVER_INSTALL_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver")
# The screen saver's name there, as xscreensaver's lists and config files
# expect a hack's name (one word, lower case).
set(PELLIMORE_SAVER_HACK_NAME "wallpaper-pellimore")

function(pellimore_relative_path out from to)
    file(RELATIVE_PATH relative "/prefix/${from}" "/prefix/${to}")
    set(${out} "${relative}" PARENT_SCOPE)
endfunction()
pellimore_relative_path(PELLIMORE_DATA_FROM_BIN "${CMAKE_INSTALL_BINDIR}" "${PELLIMORE_DATA_INSTALL_DIR}")
pellimore_relative_path(PELLIMORE_DATA_FROM_SAVER "${PELLIMORE_SAVER_INSTALL_DIR}" "${PELLIMORE_DATA_INSTALL_DIR}")
pellimore_relative_path(PELLIMORE_LIB_FROM_BIN "${CMAKE_INSTALL_BINDIR}" "${PELLIMORE_LIB_INSTALL_DIR}")
pellimore_relative_path(PELLIMORE_SAVER_FROM_BIN "${CMAKE_INSTALL_BINDIR}"
    "${PELLIMORE_SAVER_INSTALL_DIR}/${PELLIMORE_SAVER_HACK_NAME}")
