# Benchmarks of the databinding subsystem. It reaches into the web view to publish its raw
# baseline object on the same page's channel, so it compiles the library in (sorvane_internal).
add_executable(databinding_bench ${CMAKE_CURRENT_SOURCE_DIR}/databinding_bench.cpp)
target_link_libraries(databinding_bench PRIVATE sorvane_internal standin_host Threads::Threads)
