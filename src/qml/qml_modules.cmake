# The library's built-in QML modules, compiled into sorvane_objects. Per module:
#   - a static QML engine extension plugin, <Module>Plugin, generated from module_plugin.cpp.in,
#     with its module registration and the exported qml_register_types_<Module>();
#   - its two resource blobs, with the scenes enciphered (cmake/SorvaneQmlScenes.cmake).
# Everything registers itself while the library is loaded.
#
# Included from src/CMakeLists.txt once sorvane_objects exists; resources/ must have been added
# before, it declares the modules' files and reads the scene key.

if(NOT DEFINED SORVANE_QML_MODULES)
  message(FATAL_ERROR "qml_modules.cmake: add_subdirectory(resources) must come first")
endif()

include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/SorvaneQmlScenes.cmake")

target_sources(sorvane_objects PRIVATE "${CMAKE_CURRENT_LIST_DIR}/qml_modules.h")

set(SORVANE_RESOURCE_QRC "")
foreach(module IN LISTS SORVANE_QML_MODULES)
  sorvane_qml_module_resources(
    MODULE ${module}
    SOURCE_DIR "${SORVANE_RESOURCES_DIR}/${module}"
    KEY_FILE "${SORVANE_SCENE_KEY_FILE}"
    SCENES ${SORVANE_QML_${module}_SCENES}
    ASSETS ${SORVANE_QML_${module}_ASSETS}
    SCRIPTS ${SORVANE_QML_${module}_SCRIPTS}
    SOURCES_VAR resource_sources
    QRC_VAR resource_qrc)
  list(APPEND SORVANE_RESOURCE_QRC ${resource_qrc})

  # moc options apply to a whole target under AUTOMOC, and every plugin needs its own "uri"
  # metadata, so each plugin source gets a moc run of its own.
  set(SORVANE_QML_MODULE ${module})
  set(plugin_source "${CMAKE_CURRENT_BINARY_DIR}/qml/${module}Plugin.cpp")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/module_plugin.cpp.in" "${plugin_source}" @ONLY)
  set_source_files_properties("${plugin_source}" PROPERTIES
    SKIP_AUTOMOC ON
    COMPILE_DEFINITIONS QT_STATICPLUGIN)
  # moc's command line is set here, so a change to this file runs moc again.
  qt6_wrap_cpp(plugin_moc "${plugin_source}" TARGET sorvane_objects
    OPTIONS "-Muri=${module}"
    DEPENDS "${CMAKE_CURRENT_LIST_FILE}")

  target_sources(sorvane_objects PRIVATE "${plugin_source}" ${resource_sources})
endforeach()
unset(SORVANE_QML_MODULE)
