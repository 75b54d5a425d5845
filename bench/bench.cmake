# Benchmarks and the soak tool (Windows build): bench/run and scripts/soak run them under Wine.
add_executable(scan_bench bench/scan_bench.cpp)
target_link_libraries(scan_bench vqwin)

# The resource probe the soak tool and the GUI benchmark load into the program.
add_library(vq_soak_hook SHARED tests/soak/hook/SoakProbeHook.cpp)
set_target_properties(vq_soak_hook PROPERTIES PREFIX "")
if(NOT MSVC)
    target_link_options(vq_soak_hook PRIVATE -static -static-libgcc -static-libstdc++)
endif()
target_link_libraries(vq_soak_hook psapi user32 gdi32 kernel32)

set(VQ_SOAK_DRIVER_SOURCES tests/gui/GuiDriver.cpp tests/gui/GuiSteps.cpp tests/gui/SimControl.cpp
                           tests/soak/ResourceProbe.cpp tests/soak/SoakSteps.cpp res/Texts.cpp)
add_executable(vq_soak tests/soak/soak_main.cpp ${VQ_SOAK_DRIVER_SOURCES})
target_link_libraries(vq_soak user32 kernel32)
add_dependencies(vq_soak vq_soak_hook)

add_executable(gui_bench bench/gui_bench.cpp ${VQ_SOAK_DRIVER_SOURCES})
target_link_libraries(gui_bench user32 kernel32)
add_dependencies(gui_bench vq_soak_hook)
