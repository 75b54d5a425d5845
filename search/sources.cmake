# Portable sources go to VQ_CORE_SOURCES, Win32 sources to VQ_WIN32_SOURCES.
list(APPEND VQ_CORE_SOURCES search/ModuleList.cpp search/SearchScan.cpp search/SearchListImage.cpp)
list(APPEND VQ_WIN32_SOURCES search/ModuleSearch.cpp search/SearchStartDlg.cpp search/SearchProgressDlg.cpp
    search/SearchListFile.cpp)
