# The headless Qt platform, a static platform plugin built into the library, and the probes that
# find out before the start which platform can run.
target_sources(sorvane_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/platform.h
  ${CMAKE_CURRENT_LIST_DIR}/platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/display_probe.h
  ${CMAKE_CURRENT_LIST_DIR}/display_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quiet_messages.h
  ${CMAKE_CURRENT_LIST_DIR}/quiet_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_integration.h
  ${CMAKE_CURRENT_LIST_DIR}/headless_integration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_screen.h
  ${CMAKE_CURRENT_LIST_DIR}/headless_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_window.h
  ${CMAKE_CURRENT_LIST_DIR}/headless_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_backing_store.h
  ${CMAKE_CURRENT_LIST_DIR}/headless_backing_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_vulkan_instance.h
  ${CMAKE_CURRENT_LIST_DIR}/headless_vulkan_instance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless_plugin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless.json
)
# moc turns the plugin's metadata into a static plugin only with QT_STATICPLUGIN defined.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/headless_plugin.cpp PROPERTIES
  COMPILE_DEFINITIONS QT_STATICPLUGIN)
