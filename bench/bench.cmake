# Benchmarks and the soak tool (Windows build): bench/run and scripts/soak run them under Wine.
add_executable(scan_bench bench/scan_bench.cpp)
target_link_libraries(scan_bench vqwin)

set(VQ_SOAK_DRIVER_SOURCES tests/gui/GuiDriver.cpp tests/gui/GuiSteps.cpp tests/gui/SimControl.cpp
                           tests/soak/ResourceProbe.cpp tests/soak/SoakSteps.cpp res/Texts.cpp)
add_executable(vq_soak tests/soak/soak_main.cpp ${VQ_SOAK_DRIVER_SOURCES})
target_link_libraries(vq_soak user32 kernel32)
add_dependencies(vq_soak vq_probe_hook)

add_executable(gui_bench bench/gui_bench.cpp ${VQ_SOAK_DRIVER_SOURCES})
target_link_libraries(gui_bench user32 kernel32)
add_dependencies(gui_bench vq_probe_hook)
