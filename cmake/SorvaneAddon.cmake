# The addon folder a game project carries: libsorvane.so.0 and, under linux_x86_64-runtime/,
# everything of Qt it needs on a player's machine without Qt (cmake/addon/deploy_addon.cmake).
# An install component of its own, left out of a plain install:
#
#   cmake --install <build> --component addon --prefix <game-project>/addons/webview
#
# tools/package-addon.sh wraps it and packs the split-off debug information.

set(SORVANE_ADDON_RUNTIME "linux_x86_64-runtime")

find_program(SORVANE_PATCHELF patchelf)
if(TARGET Qt6::qmlimportscanner)
  set(addon_qmlimportscanner "$<TARGET_FILE:Qt6::qmlimportscanner>")
else()
  set(addon_qmlimportscanner "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}/qmlimportscanner")
endif()

# The Qt plugins the library uses, as "<type>/<file>|<source>". Where Qt's CMake package knows a
# plugin, its imported target gives the file; Debian ships some plugins without one.
set(addon_plugins "")
function(sorvane_addon_plugin relative target)
  if(TARGET Qt6::${target})
    set(source "$<TARGET_FILE:Qt6::${target}>")
  else()
    set(source "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/${relative}")
  endif()
  set(addon_plugins ${addon_plugins} "${relative}|${source}" PARENT_SCOPE)
endfunction()
# The X display connection (the host's VkInstance is adopted on xcb), and OpenGL contexts on it
# for the web engine's compositing.
sorvane_addon_plugin(platforms/libqxcb.so QXcbIntegrationPlugin)
sorvane_addon_plugin(xcbglintegrations/libqxcb-glx-integration.so QXcbGlxIntegrationPlugin)
sorvane_addon_plugin(xcbglintegrations/libqxcb-egl-integration.so QXcbEglIntegrationPlugin)
# Images in QML scenes (PNG is built into Qt), the SVG icons of the Multimedia scenes.
sorvane_addon_plugin(imageformats/libqgif.so QGifPlugin)
sorvane_addon_plugin(imageformats/libqico.so QICOPlugin)
sorvane_addon_plugin(imageformats/libqjpeg.so QJpegPlugin)
sorvane_addon_plugin(imageformats/libqsvg.so QSvgPlugin)
sorvane_addon_plugin(iconengines/libqsvgicon.so QSvgIconPlugin)
# TLS for Qt Network (the web engine has its own).
sorvane_addon_plugin(tls/libqopensslbackend.so QTlsBackendOpenSSLPlugin)
sorvane_addon_plugin(tls/libqcertonlybackend.so QTlsBackendCertOnlyPlugin)
# The media backend the library selects (QT_MEDIA_BACKEND=ffmpeg).
sorvane_addon_plugin(multimedia/libffmpegmediaplugin.so QFFmpegMediaPlugin)

# The web engine's locales the folder keeps (each about 0.5 MiB; all 53 of them are 35 MiB). They
# hold the engine's own texts (error pages, form validation messages, dialogs); for any other
# language of the player's machine the engine falls back to en-US, which is always kept.
set(SORVANE_ADDON_LOCALES "en-US" CACHE STRING
  "The web engine locales the addon folder carries (a list such as en-US;de;fr; en-US is always kept)")

set(SORVANE_ADDON_DEBUG_DIR "${CMAKE_BINARY_DIR}/addon-debug" CACHE PATH
  "Where the addon component puts the debug information it strips off (SORVANE_ADDON_DEBUG_DIR in the environment overrides it at install time)")

install(TARGETS sorvane
  LIBRARY DESTINATION . COMPONENT addon NAMELINK_COMPONENT addon
  EXCLUDE_FROM_ALL)
# The queue-lock layer and its manifest, which the engine extension points the Vulkan loader at
# (docs/engine-integration.md, "The shared queue"). It needs only libc and libstdc++.
install(TARGETS sorvane_queue_lock
  LIBRARY DESTINATION vulkan-layers COMPONENT addon
  EXCLUDE_FROM_ALL)
install(FILES ${SORVANE_LAYER_DIR}/VkLayer_sorvane_queue_lock.json
  DESTINATION vulkan-layers COMPONENT addon
  EXCLUDE_FROM_ALL)

# What the install-time script needs to know, generated beside it (generator expressions in
# the plugin list are resolved then).
set(addon_settings "${CMAKE_BINARY_DIR}/addon/addon_settings.cmake")
file(GENERATE OUTPUT "${addon_settings}" CONTENT "
set(SORVANE_ADDON_RUNTIME \"${SORVANE_ADDON_RUNTIME}\")
set(SORVANE_ADDON_LIBRARY \"$<TARGET_FILE_NAME:sorvane>\")
set(SORVANE_ADDON_EXTENSION \"$<$<TARGET_EXISTS:sorvane_godot>:$<TARGET_FILE_NAME:sorvane_godot>>\")
set(SORVANE_ADDON_LOAD_FILTER \"$<TARGET_FILE:sorvane_load_filter>\")
set(SORVANE_ADDON_PLUGINS \"${addon_plugins}\")
set(SORVANE_ADDON_LOCALES \"${SORVANE_ADDON_LOCALES}\")
set(SORVANE_ADDON_QML_ROOTS \"${PROJECT_SOURCE_DIR}/resources;${PROJECT_SOURCE_DIR}/cmake/addon/runtime_imports\")
set(SORVANE_ADDON_QT_QML \"${QT6_INSTALL_PREFIX}/${QT6_INSTALL_QML}\")
set(SORVANE_ADDON_QT_LIBEXECS \"${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}\")
set(SORVANE_ADDON_QT_DATA \"${QT6_INSTALL_PREFIX}/${QT6_INSTALL_DATA}\")
set(SORVANE_ADDON_QT_TRANSLATIONS \"${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}\")
set(SORVANE_ADDON_QMLIMPORTSCANNER \"${addon_qmlimportscanner}\")
set(SORVANE_ADDON_PATCHELF \"${SORVANE_PATCHELF}\")
set(SORVANE_ADDON_OBJCOPY \"${CMAKE_OBJCOPY}\")
set(SORVANE_ADDON_READELF \"${CMAKE_READELF}\")
set(SORVANE_ADDON_DEBUG_DIR_DEFAULT \"${SORVANE_ADDON_DEBUG_DIR}\")
")

# Qt's deploy support (qt_deploy_runtime_dependencies, qt_deploy_qt_conf) is included first by
# the script Qt generates here.
qt_generate_deploy_script(
  TARGET sorvane
  NAME sorvane_addon
  OUTPUT_SCRIPT addon_deploy_script
  CONTENT "
include(\"${addon_settings}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/addon/deploy_addon.cmake\")
")
install(SCRIPT "${addon_deploy_script}" COMPONENT addon EXCLUDE_FROM_ALL)
