# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_WIN32_SOURCES serial/CommPort.cpp serial/CommSettings.cpp serial/ComSetDlg.cpp)
list(APPEND VQ_WIN32_SOURCES serial/CommTRC.cpp serial/CommIo.cpp serial/CommLife.cpp)
