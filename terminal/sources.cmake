# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_CORE_SOURCES terminal/TerminalSetting.cpp terminal/TerminalHistory.cpp
     terminal/TerminalCompose.cpp terminal/TerminalDisplay.cpp)
list(APPEND VQ_WIN32_SOURCES terminal/TerminalComm.cpp terminal/TerminalDlg.cpp)
