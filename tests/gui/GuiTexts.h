// The texts a technician sees, written out as the program must show them. They are kept here,
// apart from the program's own text table, so that a wrong entry there fails a test.
#pragma once

namespace gui
{

const wchar_t kMainCaption[] = L"VQ4600Utility V2.4.19";
const wchar_t kProgramCaption[] = L"VQ4600Utility";

// COM Set dialog
const wchar_t kComSetCaption[] = L"串口设置";
const wchar_t kOpenPortCaption[] = L"打开串口";
const wchar_t kOk[] = L"确定";
const wchar_t kCancel[] = L"取消";

// Search dialogs
const wchar_t kSearchCaption[] = L"模块搜索";
const wchar_t kSearchPrompt[] = L"输入从00到FF的搜索起始地址(HEX格式)";
const wchar_t kSearchBadAddress[] = L"搜索起始地址输入错误！";
const wchar_t kProgressCaption[] = L"模块搜索信息";
const wchar_t kProgressLabel[] = L"当前搜索地址(Hex):";
const wchar_t kStop[] = L"停止";

// Main window
const wchar_t kNoSelection[] = L"搜索列表中没有被选择的项";

} // namespace gui
