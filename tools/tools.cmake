# Programs and code the GUI tests, the soak check, the benchmarks and the screenshots share
# (Windows build): the window driver, the simulator client and the resource probe.
set(VQ_GUI_DRIVER_SOURCES
    tools/driver/GuiDriver.cpp tools/driver/GuiSteps.cpp tools/driver/SimControl.cpp
    tools/driver/ResourceProbe.cpp tools/driver/SoakSteps.cpp res/Texts.cpp)
# The simulator client and the file helpers it uses, which the Win32 tests link as well.
set(VQ_SIM_CLIENT_SOURCES tools/driver/SimControl.cpp tools/driver/GuiDriver.cpp)

# The probe hook the driver loads into the program (tools/driver/ResourceProbe.h): its resource
# figures and its menu tree.
add_library(vq_probe_hook SHARED tools/hook/ProbeHook.cpp)
set_target_properties(vq_probe_hook PROPERTIES PREFIX "")
if(NOT MSVC)
    target_link_options(vq_probe_hook PRIVATE -static -static-libgcc -static-libstdc++)
endif()
target_link_libraries(vq_probe_hook psapi user32 gdi32 kernel32)

# The screenshot run that scripts/screens drives.
add_executable(vq_shots tools/shots/shots_main.cpp tools/shots/ShotRun.cpp ${VQ_GUI_DRIVER_SOURCES})
target_link_libraries(vq_shots user32 kernel32)
