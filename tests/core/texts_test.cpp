// The generated text table holds GBK bytes, not UTF-8. Expected bytes come from a GBK code chart.
#include "res/Texts.h"

#include <gtest/gtest.h>

namespace
{

TEST(Texts, AreGbkBytes)
{
    const struct
    {
        const char* pchText;
        const char* pchGbk;
    } aCases[] = {
        {TXT_OK, "\xC8\xB7\xB6\xA8"},
        {TXT_CANCEL, "\xC8\xA1\xCF\xFB"},
        {TXT_MODEL_UNSUPPORTED,
         "\xB1\xBE\xC8\xED\xBC\xFE\xB2\xBB\xD6\xA7\xB3\xD6\xB8\xC3\xD0\xCD\xBA\xC5"},
        // Full-width comma and exclamation mark.
        {TXT_SLI_LIST_EMPTY,
         "\xCB\xD1\xCB\xF7\xC1\xD0\xB1\xED\xCE\xAA\xBF\xD5\xA3\xAC\xCE\xDE\xB7\xA8\xB1\xA3\xB4\xE6"
         "\xA3\xA1"},
        // An escaped CR LF first.
        {TXT_SET_RTU_BAUD_OK, "\r\n\xC4\xA3\xBF\xE9\xB2\xA8\xCC\xD8\xC2\xCA\xBA\xCD\xD0\xAD\xD2\xE9"
                              "\xC9\xE8\xD6\xC3\xB3\xC9\xB9\xA6\xA3\xA1"},
    };
    for (const auto& stCase : aCases)
        EXPECT_STREQ(stCase.pchGbk, stCase.pchText);
}

} // namespace
