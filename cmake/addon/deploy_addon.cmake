# Install-time part of the "addon" component (cmake/SorvaneAddon.cmake): fills the addon folder,
# whose root is the install prefix and where libsorvane.so.0 has just been installed, with the
# Qt runtime the library needs on a machine without Qt:
#
#   <prefix>/libsorvane.so.0 ...                          RUNPATH $ORIGIN/linux_x86_64-runtime/lib
#   <prefix>/licenses/                                    licence texts of everything bundled
#   <prefix>/linux_x86_64-runtime/lib/                    Qt and the other libraries, RUNPATH $ORIGIN,
#                                                         and libsorvane_load_filter.so
#                                 plugins/<type>/         the Qt plugins the library uses
#                                 qml/                    the QML modules its scenes import
#                                 libexec/QtWebEngineProcess, libexec/qt.conf
#                                 resources/              the web engine's resources
#                                 resources/locales -> ../translations/qtwebengine_locales
#                                 translations/qtwebengine_locales/   en-US and SORVANE_ADDON_LOCALES
#
# Runs in script mode after Qt's deploy support (qt_generate_deploy_script) has been included;
# the variables SORVANE_ADDON_* come from the generated script.

cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/system_libraries.cmake")

set(prefix "${QT_DEPLOY_PREFIX}")
set(runtime_name "${SORVANE_ADDON_RUNTIME}")
set(runtime "${prefix}/${runtime_name}")
set(library "${prefix}/${SORVANE_ADDON_LIBRARY}")
if(NOT EXISTS "${library}")
  message(FATAL_ERROR "addon: ${library} was not installed")
endif()
foreach(tool QMLIMPORTSCANNER PATCHELF OBJCOPY READELF)
  if(NOT EXISTS "${SORVANE_ADDON_${tool}}")
    string(TOLOWER "${tool}" name)
    message(FATAL_ERROR "addon: ${name} not found (was '${SORVANE_ADDON_${tool}}'); it is needed to make the addon folder")
  endif()
endforeach()

# The folder is made anew each time, so nothing of an earlier build stays behind.
file(REMOVE_RECURSE "${runtime}" "${prefix}/licenses")
file(MAKE_DIRECTORY "${runtime}/lib" "${runtime}/plugins" "${runtime}/qml")

# Source files of everything copied, for the licence step: one list of "source|destination".
set(copied "")

# --- QML modules --------------------------------------------------------------------------------
# Qt's import scanner reads the library's scene sources (and a file naming the modules Qt's own
# code imports at run time) and lists every module they need, directly or through other modules.

# Copies a module's directory without the modules nested in it (each has its own qmldir and is
# copied only when it is imported) and without Qt Design Studio's "designer" data.
function(copy_qml_module_dir source destination)
  file(MAKE_DIRECTORY "${destination}")
  file(GLOB entries LIST_DIRECTORIES true "${source}/*")
  foreach(entry IN LISTS entries)
    get_filename_component(name "${entry}" NAME)
    if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
      if(EXISTS "${entry}/qmldir" OR name STREQUAL "designer")
        continue()
      endif()
      copy_qml_module_dir("${entry}" "${destination}/${name}")
    else()
      file(COPY "${entry}" DESTINATION "${destination}")
    endif()
  endforeach()
endfunction()

set(scan_args "")
foreach(root IN LISTS SORVANE_ADDON_QML_ROOTS)
  list(APPEND scan_args -rootPath "${root}")
endforeach()
execute_process(
  COMMAND "${SORVANE_ADDON_QMLIMPORTSCANNER}" ${scan_args} -importPath "${SORVANE_ADDON_QT_QML}"
  OUTPUT_VARIABLE imports
  ERROR_VARIABLE scan_errors
  RESULT_VARIABLE scan_result)
if(NOT scan_result EQUAL 0)
  message(FATAL_ERROR "addon: qmlimportscanner failed (${scan_result}): ${scan_errors}")
endif()
string(JSON import_count LENGTH "${imports}")
set(qml_modules "")
set(qml_plugins "")
math(EXPR last "${import_count} - 1")
foreach(i RANGE 0 ${last})
  string(JSON type ERROR_VARIABLE no_type GET "${imports}" ${i} type)
  string(JSON path ERROR_VARIABLE no_path GET "${imports}" ${i} path)
  string(JSON relative ERROR_VARIABLE no_relative GET "${imports}" ${i} relativePath)
  # Modules without a path are the library's own (compiled in) or other platforms' styles.
  if(NOT type STREQUAL "module" OR no_path OR no_relative OR NOT IS_DIRECTORY "${path}")
    continue()
  endif()
  copy_qml_module_dir("${path}" "${runtime}/qml/${relative}")
  # Type descriptions for tools (qmllint, editors); the QML engine never reads them.
  file(GLOB_RECURSE type_descriptions "${runtime}/qml/${relative}/*.qmltypes")
  if(type_descriptions)
    file(REMOVE ${type_descriptions})
  endif()
  list(APPEND copied "${path}/qmldir|${runtime_name}/qml/${relative}")
  string(REPLACE "/" "." module "${relative}")
  list(APPEND qml_modules "${module}")
  file(GLOB module_plugins "${path}/*.so")
  list(APPEND qml_plugins ${module_plugins})
endforeach()
list(LENGTH qml_modules qml_module_count)
message(STATUS "addon: ${qml_module_count} QML modules: ${qml_modules}")

# --- Qt plugins ---------------------------------------------------------------------------------
set(plugin_files "")
foreach(entry IN LISTS SORVANE_ADDON_PLUGINS)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 relative)
  list(GET parts 1 source)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "addon: the Qt plugin ${relative} is not installed (looked for ${source})")
  endif()
  get_filename_component(type_dir "${relative}" DIRECTORY)
  file(COPY "${source}" DESTINATION "${runtime}/plugins/${type_dir}")
  list(APPEND plugin_files "${source}")
  list(APPEND copied "${source}|${runtime_name}/plugins/${relative}")
endforeach()

# --- The web engine's process, resources and locales ---------------------------------------------
# Qt WebEngine's own deployment step copies them while the libraries are deployed (below), to
# these places in the runtime directory, where the library's start points the web engine.
set(QT_DEPLOY_LIBEXEC_DIR "${runtime_name}/libexec")
set(QT_DEPLOY_DATA_DIR "${runtime_name}")
set(QT_DEPLOY_WEBENGINECORE_RESOURCES_DIR "resources")
set(QT_DEPLOY_TRANSLATIONS_DIR "${runtime_name}/translations")
set(webengine_process "${SORVANE_ADDON_QT_LIBEXECS}/QtWebEngineProcess")
list(APPEND copied "${webengine_process}|${runtime_name}/libexec/QtWebEngineProcess")
file(GLOB webengine_resources LIST_DIRECTORIES false "${SORVANE_ADDON_QT_DATA}/resources/*")
foreach(file IN LISTS webengine_resources)
  get_filename_component(name "${file}" NAME)
  list(APPEND copied "${file}|${runtime_name}/resources/${name}")
endforeach()
set(kept_locales en-US ${SORVANE_ADDON_LOCALES})
list(REMOVE_DUPLICATES kept_locales)
foreach(locale IN LISTS kept_locales)
  list(APPEND copied "${SORVANE_ADDON_QT_TRANSLATIONS}/qtwebengine_locales/${locale}.pak|${runtime_name}/translations/qtwebengine_locales")
endforeach()

# --- Libraries ----------------------------------------------------------------------------------
# Qt's deployment resolves what the library, the plugins, the QML modules and the helper process
# load, recursively, and copies it into lib/, except what the player's machine provides
# (system_libraries.cmake), which is neither copied nor looked into. Nothing else is excluded:
# by default Qt also skips libraries found under /lib, where a merged-/usr system has them all.
set(QT_DEPLOY_LIB_DIR "${runtime_name}/lib")
set(QT_DEPLOY_PLUGINS_DIR "${runtime_name}/plugins")
set(QT_DEPLOY_IGNORED_LIB_DIRS "")
set(pre_exclude "")
foreach(regex IN LISTS SORVANE_ADDON_SYSTEM_LIBRARIES)
  list(APPEND pre_exclude "^${regex}$")
endforeach()
# The library's own load-time filter (src/platform/load_filter.cpp) goes into lib/ beside Qt,
# where the library's RUNPATH finds it; the search for dependencies leaves it to this copy.
file(COPY "${SORVANE_ADDON_LOAD_FILTER}" DESTINATION "${runtime}/lib")
list(APPEND pre_exclude "^libsorvane_load_filter\\.so$")
qt_deploy_runtime_dependencies(
  EXECUTABLE "${webengine_process}"
  ADDITIONAL_LIBRARIES "${library}"
  ADDITIONAL_MODULES ${plugin_files} ${qml_plugins}
  LIB_DIR "${runtime_name}/lib"
  PLUGINS_DIR "${runtime_name}/plugins"
  PRE_EXCLUDE_REGEXES ${pre_exclude}
  NO_TRANSLATIONS)
foreach(part "libexec/QtWebEngineProcess" "resources/qtwebengine_resources.pak"
             "translations/qtwebengine_locales/en-US.pak")
  if(NOT EXISTS "${runtime}/${part}")
    message(FATAL_ERROR "addon: Qt's deployment did not bring ${runtime_name}/${part}")
  endif()
endforeach()

# Qt's deployment copies every locale of the web engine; only the chosen ones stay.
file(GLOB locale_files "${runtime}/translations/qtwebengine_locales/*.pak")
set(dropped_locales 0)
foreach(file IN LISTS locale_files)
  get_filename_component(locale "${file}" NAME_WE)
  if(NOT locale IN_LIST kept_locales)
    file(REMOVE "${file}")
    math(EXPR dropped_locales "${dropped_locales} + 1")
  endif()
endforeach()
foreach(locale IN LISTS kept_locales)
  if(NOT EXISTS "${runtime}/translations/qtwebengine_locales/${locale}.pak")
    message(FATAL_ERROR "addon: the web engine has no locale ${locale} (SORVANE_ADDON_LOCALES)")
  endif()
endforeach()
message(STATUS "addon: web engine locales ${kept_locales} (${dropped_locales} others left out)")

# The web engine's helper process, as it starts (its zygote), looks for a folder "locales" beside
# the resources and creates it, empty, where there is none: in the game's installation, which the
# library must leave as it is (and which may be read-only). The locales lie in translations/; this
# link points there, so the folder is found and nothing is written.
file(CREATE_LINK "../translations/qtwebengine_locales" "${runtime}/resources/locales" SYMBOLIC)

# The helper process is a Qt application of its own, started from libexec/: this qt.conf makes
# Qt's own paths there (plugins, QML, data, translations) those of this folder, not those of a
# Qt that may be installed on the player's machine. The library runs in the engine's process,
# where Qt is pointed at the folder through the environment the library sets at start.
qt_deploy_qt_conf("${runtime}/libexec/qt.conf" PREFIX "..")

# --- Debug information, RUNPATH -----------------------------------------------------------------
if(DEFINED ENV{SORVANE_ADDON_DEBUG_DIR})
  set(debug_dir "$ENV{SORVANE_ADDON_DEBUG_DIR}")
else()
  set(debug_dir "${SORVANE_ADDON_DEBUG_DIR_DEFAULT}")
endif()
file(REMOVE_RECURSE "${debug_dir}")

function(is_elf file out_var)
  set(${out_var} FALSE PARENT_SCOPE)
  if(IS_SYMLINK "${file}" OR IS_DIRECTORY "${file}")
    return()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    set(${out_var} TRUE PARENT_SCOPE)
  endif()
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "addon: ${command} failed (${result}): ${output}")
  endif()
endfunction()

file(GLOB_RECURSE all_files LIST_DIRECTORIES false "${prefix}/*")
set(elf_files "")
foreach(file IN LISTS all_files)
  is_elf("${file}" elf)
  if(elf)
    list(APPEND elf_files "${file}")
  endif()
endforeach()

set(debug_files "")
foreach(file IN LISTS elf_files)
  file(RELATIVE_PATH relative "${prefix}" "${file}")
  get_filename_component(dir "${file}" DIRECTORY)
  # Debug information goes into a separate file beside the folder, linked by name and checksum
  # (.gnu_debuglink), so a debugger finds it when it is put back.
  execute_process(COMMAND "${SORVANE_ADDON_READELF}" -S --wide "${file}" OUTPUT_VARIABLE sections)
  if(sections MATCHES "\\.debug_info")
    set(debug_file "${debug_dir}/${relative}.debug")
    get_filename_component(debug_file_dir "${debug_file}" DIRECTORY)
    file(MAKE_DIRECTORY "${debug_file_dir}")
    run("${SORVANE_ADDON_OBJCOPY}" --only-keep-debug "${file}" "${debug_file}")
    run("${SORVANE_ADDON_OBJCOPY}" --strip-debug --strip-unneeded "--add-gnu-debuglink=${debug_file}" "${file}")
    list(APPEND debug_files "${relative}")
  endif()
  # Every binary finds its libraries in lib/, relative to where it lies.
  if(file STREQUAL library)
    set(origin "$ORIGIN/${runtime_name}/lib")
  elseif(SORVANE_ADDON_EXTENSION AND file STREQUAL "${prefix}/${SORVANE_ADDON_EXTENSION}")
    # The Godot extension finds the library beside it; in an exported game Godot puts the
    # extension beside the executable, with the addon folder below it.
    set(origin "$ORIGIN:$ORIGIN/addons/webview")
  else()
    file(RELATIVE_PATH to_lib "${dir}" "${runtime}/lib")
    if(to_lib STREQUAL "")
      set(origin "$ORIGIN")
    else()
      set(origin "$ORIGIN/${to_lib}")
    endif()
  endif()
  run("${SORVANE_ADDON_PATCHELF}" --set-rpath "${origin}" "${file}")
endforeach()
list(LENGTH debug_files debug_count)
if(debug_count GREATER 0)
  message(STATUS "addon: debug information of ${debug_count} file(s) in ${debug_dir}: ${debug_files}")
endif()

# --- Check: every library a binary asks for is in lib/ or provided by the system -----------------
set(missing "")
foreach(file IN LISTS elf_files)
  execute_process(COMMAND "${SORVANE_ADDON_PATCHELF}" --print-needed "${file}"
    OUTPUT_VARIABLE needed RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "addon: cannot read the libraries ${file} needs")
  endif()
  string(REGEX REPLACE "\n$" "" needed "${needed}")
  string(REPLACE "\n" ";" needed "${needed}")
  foreach(name IN LISTS needed)
    if(EXISTS "${runtime}/lib/${name}" OR EXISTS "${prefix}/${name}")
      continue()
    endif()
    set(system FALSE)
    foreach(regex IN LISTS pre_exclude)
      if(name MATCHES "${regex}")
        set(system TRUE)
        break()
      endif()
    endforeach()
    if(NOT system)
      file(RELATIVE_PATH relative "${prefix}" "${file}")
      list(APPEND missing "${relative} needs ${name}")
    endif()
  endforeach()
endforeach()
if(missing)
  list(JOIN missing "\n  " missing)
  message(FATAL_ERROR "addon: libraries neither bundled nor provided by the system:\n  ${missing}")
endif()

# --- Licences -----------------------------------------------------------------------------------
# The licence texts of the Debian packages everything bundled was taken from, with the common
# licence texts their copyright files refer to.
file(GLOB bundled_libraries LIST_DIRECTORIES false "${runtime}/lib/*")
foreach(file IN LISTS bundled_libraries)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  get_filename_component(name "${file}" NAME)
  list(APPEND copied "*/${name}|${runtime_name}/lib/${name}")
endforeach()
set(licenses "${prefix}/licenses")
file(MAKE_DIRECTORY "${licenses}")
find_program(DPKG_QUERY dpkg-query)
if(NOT DPKG_QUERY)
  message(WARNING "addon: no dpkg-query here, so the licence texts of the bundled files are not gathered; "
                  "add them to ${licenses} by hand before shipping")
  file(WRITE "${licenses}/README.txt" "The licence texts of the bundled files were not gathered (no Debian package database).\n")
else()
  set(queries "")
  foreach(entry IN LISTS copied)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 source)
    if(NOT source MATCHES "^\\*")
      file(REAL_PATH "${source}" source)
    endif()
    list(APPEND queries "${source}")
  endforeach()
  list(REMOVE_DUPLICATES queries)
  execute_process(COMMAND "${DPKG_QUERY}" -S ${queries} OUTPUT_VARIABLE owners ERROR_VARIABLE unowned)
  string(REPLACE "\n" ";" owners "${owners}")
  set(packages "")
  set(index "")
  foreach(line IN LISTS owners)
    if(NOT line MATCHES "^([^ ]+): (.+)$")
      continue()
    endif()
    string(REPLACE "," ";" line_packages "${CMAKE_MATCH_1}")
    set(path "${CMAKE_MATCH_2}")
    foreach(package IN LISTS line_packages)
      string(STRIP "${package}" package)
      string(REGEX REPLACE ":[a-z0-9]+$" "" package "${package}")
      list(APPEND packages "${package}")
      list(APPEND index "${package}: ${path}")
    endforeach()
  endforeach()
  if(unowned)
    message(WARNING "addon: files of no Debian package, whose licences are not gathered:\n${unowned}")
  endif()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)
  list(REMOVE_DUPLICATES index)
  list(SORT index)
  set(common "")
  foreach(package IN LISTS packages)
    set(copyright "/usr/share/doc/${package}/copyright")
    if(NOT EXISTS "${copyright}")
      message(WARNING "addon: ${package} has no ${copyright}")
      continue()
    endif()
    file(READ "${copyright}" text)
    file(WRITE "${licenses}/${package}/copyright" "${text}")
    string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9.+_-]+" referenced "${text}")
    list(APPEND common ${referenced})
  endforeach()
  list(REMOVE_DUPLICATES common)
  foreach(path IN LISTS common)
    string(REGEX REPLACE "[.]$" "" path "${path}")
    get_filename_component(name "${path}" NAME)
    if(EXISTS "${path}" AND NOT IS_DIRECTORY "${path}")
      file(READ "${path}" text)
      file(WRITE "${licenses}/common-licenses/${name}" "${text}")
    endif()
  endforeach()
  list(JOIN index "\n" index)
  list(LENGTH packages package_count)
  file(WRITE "${licenses}/README.txt"
    "Licence texts of the software bundled in this folder: one directory per Debian package the\n"
    "files were taken from, holding that package's copyright file, and common-licenses/ with the\n"
    "full texts those files refer to (on Debian systems they lie in /usr/share/common-licenses).\n"
    "The copyright file of the web engine (libqt6webenginecore6) lists the licences of Chromium and\n"
    "its third-party components.\n\n"
    "${package_count} packages; which bundled file (as it lies in the build machine's system) came from which:\n\n"
    "${index}\n")
  message(STATUS "addon: licence texts of ${package_count} packages in ${licenses}")
endif()

# --- Size ---------------------------------------------------------------------------------------
file(GLOB_RECURSE all_files LIST_DIRECTORIES false "${prefix}/*")
set(total 0)
foreach(file IN LISTS all_files)
  if(NOT IS_SYMLINK "${file}")
    file(SIZE "${file}" size)
    math(EXPR total "${total} + ${size}")
  endif()
endforeach()
math(EXPR total_mib "${total} / 1048576")
list(LENGTH all_files file_count)
message(STATUS "addon: ${prefix}: ${total_mib} MiB in ${file_count} files")
