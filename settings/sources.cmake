# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_CORE_SOURCES settings/ModuleSetReply.cpp settings/ModuleSetPlan.cpp
     settings/ModuleSetInput.cpp)
list(APPEND VQ_WIN32_SOURCES settings/ModuleSet.cpp settings/ModuleSetDlg.cpp)
