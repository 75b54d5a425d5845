# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_CORE_SOURCES io/DigitalDecode.cpp io/DigitalIo4652.cpp io/DigitalIo4618.cpp
     io/AnalogDecode.cpp io/TrendHistory.cpp io/TrendLayout.cpp)
