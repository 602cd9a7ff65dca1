# Build steps for the library's built-in QML modules.
#
# The scenes of a module are never stored in plain text in the library: each <Type>.qml is
# enciphered at build time with the scene key into <Type>.qml.enc. A module's files then go into
# two Qt resource blobs, compiled by rcc with compression off:
#   <Module>_qmldir   :/<Module>/qmldir
#   <Module>_files    :/<Module>/qml/<Module>/<Type>.qml.enc and :/<Module>/<asset path>, and
#                     scripts minified by terser at build time under their own paths
# Their initialisers are qInitResources_<Module>_qmldir() and qInitResources_<Module>_files().

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(SORVANE_ENCIPHER_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/../tools/encipher.py")
cmake_path(NORMAL_PATH SORVANE_ENCIPHER_SCRIPT)

# Writes a .qrc file listing FILES (pairs of resource alias and file path) under PREFIX, and adds
# the rcc step that turns it into <OUTPUT_DIR>/qrc_<NAME>.cpp. The .qrc is rewritten only when
# its content changes.
function(_sorvane_rcc_blob)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;PREFIX;OUTPUT_DIR;CPP_VAR;QRC_VAR" "FILES")
  set(entries "")
  set(depends "")
  set(files ${arg_FILES})
  while(files)
    list(POP_FRONT files alias path)
    string(APPEND entries "    <file alias=\"${alias}\" compression-algorithm=\"none\">${path}</file>\n")
    list(APPEND depends "${path}")
  endwhile()

  set(qrc "${arg_OUTPUT_DIR}/${arg_NAME}.qrc")
  set(cpp "${arg_OUTPUT_DIR}/qrc_${arg_NAME}.cpp")
  file(CONFIGURE OUTPUT "${qrc}" CONTENT
"<!DOCTYPE RCC>
<RCC version=\"1.0\">
  <qresource prefix=\"${arg_PREFIX}\">
${entries}  </qresource>
</RCC>
" @ONLY)
  add_custom_command(
    OUTPUT "${cpp}"
    COMMAND Qt6::rcc --name "${arg_NAME}" --no-compress --format-version 3
            --output "${cpp}" "${qrc}"
    DEPENDS "${qrc}" ${depends}
    COMMENT "Compiling resources ${arg_NAME}"
    VERBATIM)
  set_source_files_properties("${cpp}" PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
  set(${arg_CPP_VAR} "${cpp}" PARENT_SCOPE)
  set(${arg_QRC_VAR} "${qrc}" PARENT_SCOPE)
endfunction()

# sorvane_qml_module_resources(
#     MODULE <name>          module name; its resources live under :/<name>/
#     SOURCE_DIR <dir>       the module's tree: qmldir, qml/<name>/<Type>.qml, assets
#     KEY_FILE <file>        file holding the scene key
#     [SCENES <type>...]     scene types, read from <dir>/qml/<name>/<Type>.qml
#     [ASSETS <path>...]     further files, relative to <dir>, stored as they are under the same path
#     [SCRIPTS <path> <source>...]  pairs: JavaScript stored minified (terser) under <path>, from
#                            the readable <source>, both relative to <dir>
#     SOURCES_VAR <var>      receives the two generated C++ sources
#     [QRC_VAR <var>])       receives the two generated .qrc files
#
# Must be called in the directory of the target that compiles the returned sources, since the
# rules that generate them belong to that directory.
function(sorvane_qml_module_resources)
  cmake_parse_arguments(PARSE_ARGV 0 arg ""
    "MODULE;SOURCE_DIR;KEY_FILE;SOURCES_VAR;QRC_VAR" "SCENES;ASSETS;SCRIPTS")
  foreach(required MODULE SOURCE_DIR KEY_FILE SOURCES_VAR)
    if(NOT arg_${required})
      message(FATAL_ERROR "sorvane_qml_module_resources: ${required} is required")
    endif()
  endforeach()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "sorvane_qml_module_resources: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()

  set(module "${arg_MODULE}")
  set(src "${arg_SOURCE_DIR}")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/qml_resources/${module}")
  file(MAKE_DIRECTORY "${out}/qml/${module}")

  set(files "")
  foreach(scene IN LISTS arg_SCENES)
    set(alias "qml/${module}/${scene}.qml.enc")
    set(plain "${src}/qml/${module}/${scene}.qml")
    if(NOT EXISTS "${plain}")
      message(FATAL_ERROR "sorvane_qml_module_resources: no scene ${plain}")
    endif()
    add_custom_command(
      OUTPUT "${out}/${alias}"
      COMMAND Python3::Interpreter "${SORVANE_ENCIPHER_SCRIPT}" "${arg_KEY_FILE}" "${plain}" "${out}/${alias}"
      DEPENDS "${plain}" "${arg_KEY_FILE}" "${SORVANE_ENCIPHER_SCRIPT}"
      COMMENT "Enciphering ${module}/${scene}.qml"
      VERBATIM)
    list(APPEND files "${alias}" "${out}/${alias}")
  endforeach()
  foreach(asset IN LISTS arg_ASSETS)
    if(NOT EXISTS "${src}/${asset}")
      message(FATAL_ERROR "sorvane_qml_module_resources: no asset ${src}/${asset}")
    endif()
    list(APPEND files "${asset}" "${src}/${asset}")
  endforeach()
  set(scripts ${arg_SCRIPTS})
  if(scripts)
    find_program(SORVANE_TERSER terser REQUIRED)
  endif()
  while(scripts)
    list(POP_FRONT scripts alias source)
    if(NOT EXISTS "${src}/${source}")
      message(FATAL_ERROR "sorvane_qml_module_resources: no script ${src}/${source}")
    endif()
    cmake_path(GET alias PARENT_PATH alias_dir)
    file(MAKE_DIRECTORY "${out}/${alias_dir}")
    add_custom_command(
      OUTPUT "${out}/${alias}"
      COMMAND "${SORVANE_TERSER}" "${src}/${source}" --compress --mangle --output "${out}/${alias}"
      DEPENDS "${src}/${source}"
      COMMENT "Minifying ${module}/${source}"
      VERBATIM)
    list(APPEND files "${alias}" "${out}/${alias}")
  endwhile()

  _sorvane_rcc_blob(NAME "${module}_qmldir" PREFIX "/${module}" OUTPUT_DIR "${out}"
    FILES qmldir "${src}/qmldir" CPP_VAR qmldir_cpp QRC_VAR qmldir_qrc)
  _sorvane_rcc_blob(NAME "${module}_files" PREFIX "/${module}" OUTPUT_DIR "${out}"
    FILES ${files} CPP_VAR files_cpp QRC_VAR files_qrc)

  set(${arg_SOURCES_VAR} "${qmldir_cpp}" "${files_cpp}" PARENT_SCOPE)
  if(arg_QRC_VAR)
    set(${arg_QRC_VAR} "${qmldir_qrc}" "${files_qrc}" PARENT_SCOPE)
  endif()
endfunction()
