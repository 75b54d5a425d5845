# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_CORE_SOURCES io/DigitalDecode.cpp io/DigitalIo.cpp
     io/AnalogDecode.cpp io/TrendHistory.cpp io/TrendLayout.cpp)
# IO control windows and their worker pairs (Win32).
list(APPEND VQ_WIN32_SOURCES io/IoTarget.cpp io/IoPortQuiet.cpp io/IoTitle.cpp io/IoLamps.cpp
     io/DigitalWorker.cpp io/AnalogWorker.cpp io/TrendChart.cpp io/ModuleIODigital.cpp
     io/ModuleIOAnalog.cpp io/IoDlgDigital.cpp io/IoDlgAnalog.cpp)
