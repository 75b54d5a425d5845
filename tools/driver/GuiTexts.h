// The texts a technician sees come from the program's own table (res/texts.tsv, GBK); the
// drivers read windows as UTF-16, so they compare against the table's entries turned to UTF-16.
#pragma once

#include "res/Texts.h"

#include <string>

namespace gui
{

// A GBK text of the table as a window shows it.
std::wstring fnText(const char* gbk);

const wchar_t kProgramCaption[] = L"VQ4600Utility";
const wchar_t kCreditCaption[] = L"Secret";

} // namespace gui
