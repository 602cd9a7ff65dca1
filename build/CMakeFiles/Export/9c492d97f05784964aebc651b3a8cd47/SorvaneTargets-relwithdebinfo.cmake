#----------------------------------------------------------------
# Generated CMake target import file for configuration "RelWithDebInfo".
#----------------------------------------------------------------

# Commands may need to know the format version.
set(CMAKE_IMPORT_FILE_VERSION 1)

# Import target "Sorvane::sorvane" for configuration "RelWithDebInfo"
set_property(TARGET Sorvane::sorvane APPEND PROPERTY IMPORTED_CONFIGURATIONS RELWITHDEBINFO)
set_target_properties(Sorvane::sorvane PROPERTIES
  IMPORTED_LINK_DEPENDENT_LIBRARIES_RELWITHDEBINFO "Qt6::Core;Qt6::Gui;Qt6::Widgets;Qt6::Network;Qt6::Qml;Qt6::Quick;Qt6::WebEngineCore;Qt6::WebEngineQuick;Qt6::WebChannel;Qt6::Multimedia"
  IMPORTED_LOCATION_RELWITHDEBINFO "${_IMPORT_PREFIX}/lib/libsorvane.so.0.1.3"
  IMPORTED_SONAME_RELWITHDEBINFO "libsorvane.so.0"
  )

list(APPEND _cmake_import_check_targets Sorvane::sorvane )
list(APPEND _cmake_import_check_files_for_Sorvane::sorvane "${_IMPORT_PREFIX}/lib/libsorvane.so.0.1.3" )

# Commands beyond this point should not need to know the version.
set(CMAKE_IMPORT_FILE_VERSION)
