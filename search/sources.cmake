# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
