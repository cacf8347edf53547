# `cmake --install` lays the game out as a Linux desktop game: a launcher in games/, the
# program in lib/games/vexmoor/, its media and fonts in share/games/vexmoor/, plus the
# desktop entry, the icons and the AppStream metainfo.
set(VEXMOOR_INSTALL_GAMESDIR "games" CACHE STRING "Folder of the launcher, relative to the prefix")
set(VEXMOOR_INSTALL_LIBDIR "lib/games/vexmoor" CACHE STRING "Folder of the program, relative to the prefix")
set(VEXMOOR_INSTALL_DATADIR "share/games/vexmoor" CACHE STRING "Folder of media/ and fonts/, relative to the prefix")

# The launcher finds the program and the data from its own place.
file(RELATIVE_PATH VEXMOOR_LAUNCHER_TO_DATA /prefix/${VEXMOOR_INSTALL_GAMESDIR} /prefix/${VEXMOOR_INSTALL_DATADIR})
file(RELATIVE_PATH VEXMOOR_LAUNCHER_TO_BINARY /prefix/${VEXMOOR_INSTALL_GAMESDIR} /prefix/${VEXMOOR_INSTALL_LIBDIR}/vexmoor)
# The installed program, started without the launcher, finds the data the same way.
file(RELATIVE_PATH VEXMOOR_PROGRAM_TO_DATA /prefix/${VEXMOOR_INSTALL_LIBDIR} /prefix/${VEXMOOR_INSTALL_DATADIR})
target_compile_definitions(vexmoor PRIVATE VEXMOOR_PROGRAM_TO_DATA="${VEXMOOR_PROGRAM_TO_DATA}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/vexmoor.in ${PROJECT_BINARY_DIR}/packaging/vexmoor @ONLY)

install(TARGETS vexmoor RUNTIME DESTINATION ${VEXMOOR_INSTALL_LIBDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/vexmoor DESTINATION ${VEXMOOR_INSTALL_GAMESDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/media/ DESTINATION ${VEXMOOR_INSTALL_DATADIR}/media
        FILES_MATCHING PATTERN "*.3ds" PATTERN "*.ogg" REGEX "/arenas/[^/]*\\.txt$")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/fonts/ DESTINATION ${VEXMOOR_INSTALL_DATADIR}/fonts
        FILES_MATCHING PATTERN "*.xml" PATTERN "*.png" PATTERN "LICENSE*")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/vexmoor.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vexmoor.metainfo.xml DESTINATION share/metainfo)
foreach(size 256 128 64 48 32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/vexmoor_${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vexmoor.png)
endforeach()
