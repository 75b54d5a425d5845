// The program's version, kept here and nowhere else: the version resource, the About box, the
// main window's caption, the information text of the module list and scripts/package read it.
// Plain preprocessor lines, so that the resource compiler and a shell script can read them.
#pragma once

#define VQ_VERSION_MAJOR 2
#define VQ_VERSION_MINOR 4
#define VQ_VERSION_PATCH 19
#define VQ_VERSION_DATE "2023.9.8"

#define VQ_VERSION_STR2(x) #x
#define VQ_VERSION_STR(x) VQ_VERSION_STR2(x)
// "2.4.19"
#define VQ_VERSION_TEXT                                                                            \
    VQ_VERSION_STR(VQ_VERSION_MAJOR)                                                               \
    "." VQ_VERSION_STR(VQ_VERSION_MINOR) "." VQ_VERSION_STR(VQ_VERSION_PATCH)
// "VQ4600Utility V2.4.19": the main window's caption and the About box's version line.
#define VQ_VERSION_TITLE "VQ4600Utility V" VQ_VERSION_TEXT
