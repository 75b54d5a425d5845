# Fuzz targets of the portable core: clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, native. Included by tests/fuzz/CMakeLists.txt with VQ_ROOT set;
# scripts/fuzz configures it in its own build directory. Each folder tests/fuzz/<target>/ holds
# <target>_fuzz.cpp and its seed corpus.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "the fuzz targets need clang (CMAKE_CXX_COMPILER=clang++-14)")
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra -Werror -g -O1 -fno-omit-frame-pointer
                    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
add_link_options(-fsanitize=fuzzer,address,undefined)
include_directories(${VQ_ROOT})

set(VQ_CORE_SOURCES)
set(VQ_WIN32_SOURCES)
foreach(dir protocol res serial search settings terminal io shell)
    include(${VQ_ROOT}/${dir}/sources.cmake)
endforeach()
list(TRANSFORM VQ_CORE_SOURCES PREPEND ${VQ_ROOT}/)
add_library(vqcore_fuzz STATIC ${VQ_CORE_SOURCES})

set(VQ_FUZZ_TARGETS search_reply settings_reply digital_reply analog_reply hex_text
    terminal_compose sli_loader)
foreach(target ${VQ_FUZZ_TARGETS})
    add_executable(fuzz_${target} ${VQ_ROOT}/tests/fuzz/${target}/${target}_fuzz.cpp)
    target_link_libraries(fuzz_${target} vqcore_fuzz)
endforeach()
