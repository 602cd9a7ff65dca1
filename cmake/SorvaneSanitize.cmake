# SORVANE_SANITIZE: every target of the project (library, tests, examples, benchmarks) is built
# with AddressSanitizer and UndefinedBehaviorSanitizer. tools/test-sanitized.sh builds this into
# build-asan/ and runs the suite with the options of tools/sanitizers/.
#
# The runtime is linked as a shared library by both compilers (GCC's default; -shared-libsan for
# clang), so that libsorvane.so.0 can name it and keep linking with --no-undefined, and so that
# the executables and the library share one runtime.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  message(FATAL_ERROR "SORVANE_SANITIZE needs GCC or clang, not ${CMAKE_CXX_COMPILER_ID}")
endif()
if(SORVANE_BUILD_FUZZERS)
  message(FATAL_ERROR "SORVANE_SANITIZE and SORVANE_BUILD_FUZZERS are separate builds; "
                      "the fuzz targets carry their own sanitizers")
endif()

set(SORVANE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer)
add_compile_options(${SORVANE_SANITIZER_FLAGS})
add_link_options(-fsanitize=address,undefined)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_link_options(-shared-libsan)
  # clang does not record where its shared runtime lives; the test programs find it through
  # their RUNPATH.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
    OUTPUT_VARIABLE sorvane_sanitizer_runtime_dir OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(sorvane_sanitizer_runtime_dir)
    add_link_options("-Wl,-rpath,${sorvane_sanitizer_runtime_dir}")
  endif()
endif()
