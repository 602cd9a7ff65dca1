# Makes the class reference that the extension hands to the editor's help, at build time:
#   - every class file of doc_classes/ that inherits Control gets the members every view node has
#     (doc_classes/view_members.xml) added to its <methods>, <members> and <signals>;
#   - the merged files go to OUTPUT_DIR (the tests compare them with the registered classes);
#   - OUTPUT_CPP holds them as string literals (class_reference.h declares them).
#
#   cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DOUTPUT_CPP=... -P class_reference.cmake
file(GLOB class_files LIST_DIRECTORIES false "${SOURCE_DIR}/*.xml")
list(REMOVE_ITEM class_files "${SOURCE_DIR}/view_members.xml")
list(SORT class_files)
file(READ "${SOURCE_DIR}/view_members.xml" common)

set(common_sections)
foreach(section methods members signals)
  string(REGEX MATCH "<${section}>(.*)</${section}>" matched "${common}")
  if(NOT matched)
    message(FATAL_ERROR "view_members.xml has no <${section}> section")
  endif()
  set(common_${section} "${CMAKE_MATCH_1}")
endforeach()

file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
set(cpp "// Made by godot/cmake/class_reference.cmake from godot/doc_classes/: do not edit.\n")
string(APPEND cpp "#include \"class_reference.h\"\n\nnamespace sorvane_godot {\n\nconst char* const class_reference[] = {\n")
foreach(file ${class_files})
  get_filename_component(name "${file}" NAME)
  file(READ "${file}" text)
  if(text MATCHES "inherits=\"Control\"")
    foreach(section methods members signals)
      if(NOT text MATCHES "</${section}>")
        message(FATAL_ERROR "${name}: a view node's class file needs a <${section}> section (it may be empty)")
      endif()
      string(REPLACE "</${section}>" "${common_${section}}</${section}>" text "${text}")
    endforeach()
  endif()
  if(text MATCHES "\\)sorvane_xml\"")
    message(FATAL_ERROR "${name} holds the literal's closing delimiter")
  endif()
  file(WRITE "${OUTPUT_DIR}/${name}" "${text}")
  string(APPEND cpp "    R\"sorvane_xml(${text})sorvane_xml\",\n")
endforeach()
string(APPEND cpp "    nullptr,\n};\n\n}  // namespace sorvane_godot\n")
file(WRITE "${OUTPUT_CPP}.tmp" "${cpp}")
file(COPY_FILE "${OUTPUT_CPP}.tmp" "${OUTPUT_CPP}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT_CPP}.tmp")
