# Benchmarks of the web subsystem. Each links the shared library as a host does and drives it
# through the stand-in host; see the top of each source for what it measures and its options.
foreach(bench web_first_pixels_bench web_res_bench web_animation_bench web_memory_bench)
  add_executable(${bench} ${CMAKE_CURRENT_SOURCE_DIR}/${bench}.cpp)
  target_link_libraries(${bench} PRIVATE sorvane standin_host Threads::Threads)
endforeach()
