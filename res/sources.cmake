list(APPEND VQ_CORE_SOURCES res/Texts.cpp)
list(APPEND VQ_WIN32_SOURCES res/GbkText.cpp)
