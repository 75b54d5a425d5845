# Cross build for Windows: the program, the Win32 integration tests, the GUI tests and the tools.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VQ_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(vqcore STATIC ${VQ_CORE_SOURCES})
add_library(vqwin STATIC ${VQ_WIN32_SOURCES})
target_link_libraries(vqwin vqcore comctl32 comdlg32 gdi32 user32 kernel32)

# windres reports no dependencies: the script pulls in the feature fragments, the art and the
# manifest, so a change to any of them must rebuild the resources.
file(GLOB VQ_RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h
     ${CMAKE_SOURCE_DIR}/res/*.manifest ${CMAKE_SOURCE_DIR}/res/art/*)
set_source_files_properties(res/VQ4600Utility.rc PROPERTIES OBJECT_DEPENDS "${VQ_RC_INPUTS}")

add_executable(VQ4600Utility WIN32 shell/WinMain.cpp res/VQ4600Utility.rc)
target_link_libraries(VQ4600Utility vqwin)
# No thread_local: it would allocate per thread (cmake/check-no-tls.cmake).
add_custom_command(TARGET VQ4600Utility POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DEXE=$<TARGET_FILE:VQ4600Utility>
            -P ${CMAKE_SOURCE_DIR}/cmake/check-no-tls.cmake)

# The window driver, the probe hook and the screenshot run shared by the GUI tests, the soak
# check, the benchmarks and scripts/screens.
include(${CMAKE_SOURCE_DIR}/tools/tools.cmake)

file(GLOB VQ_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(VQ_WIN32_TEST_SOURCES)
    # The simulator client is the tools' one (tools/driver/SimControl.h).
    add_executable(vq_win32_tests ${VQ_WIN32_TEST_SOURCES} ${VQ_SIM_CLIENT_SOURCES}
                   res/VQ4600Utility.rc)
    target_link_libraries(vq_win32_tests vqwin gtest)
endif()

file(GLOB VQ_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
if(VQ_GUI_TEST_SOURCES)
    add_executable(vq_gui_tests ${VQ_GUI_TEST_SOURCES} ${VQ_GUI_DRIVER_SOURCES})
    target_link_libraries(vq_gui_tests gtest_main gtest user32 kernel32)
    add_dependencies(vq_gui_tests vq_probe_hook)
endif()

# The soak check (scripts/soak).
add_executable(vq_soak tests/soak/soak_main.cpp ${VQ_GUI_DRIVER_SOURCES})
target_link_libraries(vq_soak user32 kernel32)
add_dependencies(vq_soak vq_probe_hook)

# The benchmarks (bench/run).
include(${CMAKE_SOURCE_DIR}/bench/bench.cmake)
