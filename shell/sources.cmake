# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
# shell/WinMain.cpp is compiled into the program itself (cmake/win32.cmake), not into vqwin.
list(APPEND VQ_WIN32_SOURCES
    shell/MainWindow.cpp
    shell/FeatureCommands.cpp
    shell/StatusPanel.cpp
    shell/ToolbarPanel.cpp
    shell/ListPanel.cpp)
# About box and credit window.
list(APPEND VQ_WIN32_SOURCES shell/AboutDlg.cpp shell/CreditDlg.cpp shell/DialogEnd.cpp)
