# Benchmarks (Windows build): bench/run runs them under Wine.
add_executable(scan_bench bench/scan_bench.cpp)
target_link_libraries(scan_bench vqwin)

add_executable(gui_bench bench/gui_bench.cpp ${VQ_GUI_DRIVER_SOURCES})
target_link_libraries(gui_bench user32 kernel32)
add_dependencies(gui_bench vq_probe_hook)
