# Additional clean files
cmake_minimum_required(VERSION 3.16)

if("${CONFIG}" STREQUAL "" OR "${CONFIG}" STREQUAL "RelWithDebInfo")
  file(REMOVE_RECURSE
  "src/CMakeFiles/sorvane_objects_autogen.dir/AutogenUsed.txt"
  "src/CMakeFiles/sorvane_objects_autogen.dir/ParseCache.txt"
  "src/sorvane_objects_autogen"
  )
endif()
