# Common settings for every target of our own.
if(LUMAROLL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LUMAROLL_FUZZ)
  # Coverage and the sanitizers on every library, so that a fuzzer is guided
  # by the code it drives; the fuzz targets themselves link libFuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LUMAROLL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Warnings as errors on our code. -Wpedantic stays off: the design's globals
# keep their '$' suffix, which GCC and Clang accept as an extension.
function(lumaroll_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-dollar-in-identifier-extension)
endfunction()

# Adds a static library for one folder of src/, with the repository's src/ as include root.
function(lumaroll_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(L_DEPS)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  endif()
  lumaroll_target(${name})
endfunction()
