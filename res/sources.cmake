list(APPEND VQ_CORE_SOURCES res/Texts.cpp res/PixelScale.cpp)
list(APPEND VQ_WIN32_SOURCES res/GbkText.cpp res/DialogScale.cpp)
