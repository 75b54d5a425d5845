# Native Linux build: the portable core, its unit tests, the bus simulator and its tests.
if(VQ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VQ_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(vqcore STATIC ${VQ_CORE_SOURCES})

enable_testing()

file(GLOB VQ_CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(vq_core_tests ${VQ_CORE_TEST_SOURCES})
target_link_libraries(vq_core_tests vqcore gtest_main)
add_test(NAME core_tests COMMAND vq_core_tests)

# The portable core must never reach for the platform.
add_test(NAME core_is_portable
         COMMAND ${CMAKE_COMMAND} -DFILES="${VQ_CORE_SOURCES}" -P ${CMAKE_SOURCE_DIR}/cmake/check-portable.cmake)

include(sim/sources.cmake)
add_library(vqsim STATIC ${VQ_SIM_SOURCES})
add_executable(vqbus-sim sim/main.cpp)
target_link_libraries(vqbus-sim vqsim)

file(GLOB VQ_SIM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/sim/*.cpp)
if(VQ_SIM_TEST_SOURCES)
    add_executable(vq_sim_tests ${VQ_SIM_TEST_SOURCES})
    target_link_libraries(vq_sim_tests vqsim gtest_main)
    add_test(NAME sim_tests COMMAND vq_sim_tests)
endif()

# scripts/run --device with a pseudo-terminal for the adapter (links only; no Wine, no build).
add_test(NAME run_device_link
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/scripts/run_device_test.py ${CMAKE_SOURCE_DIR})
