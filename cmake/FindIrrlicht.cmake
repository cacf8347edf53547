# Finds Debian's Irrlicht (libirrlicht-dev), which ships no CMake or pkg-config file.
# Defines the imported target Irrlicht::Irrlicht; its headers are system headers so that
# our -Wall -Wextra build is not flooded by warnings from the engine.
find_path(Irrlicht_INCLUDE_DIR irrlicht.h PATH_SUFFIXES irrlicht)
find_library(Irrlicht_LIBRARY NAMES Irrlicht)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Irrlicht REQUIRED_VARS Irrlicht_LIBRARY Irrlicht_INCLUDE_DIR)
if(Irrlicht_FOUND AND NOT TARGET Irrlicht::Irrlicht)
  add_library(Irrlicht::Irrlicht UNKNOWN IMPORTED)
  set_target_properties(Irrlicht::Irrlicht PROPERTIES
    IMPORTED_LOCATION "${Irrlicht_LIBRARY}"
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${Irrlicht_INCLUDE_DIR}"
    INTERFACE_INCLUDE_DIRECTORIES "${Irrlicht_INCLUDE_DIR}")
endif()
