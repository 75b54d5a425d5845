// Load and save of the search-list file on the main thread: a common dialog picks the name, one
// synchronous ReadFile or WriteFile moves the whole 230408-byte image, and the portable
// SearchListImage packs or checks the records. A failed load leaves the module list and its
// listbox as they were, because the records are parsed into the image's own array first; a
// save writes a temporary file beside the target and renames it over the target when whole.
#include "search/SearchListFile.h"

#include <cstring>

#include "res/GbkText.h"
#include "res/Texts.h"
#include "search/ModuleList.h"

SearchListFile gstSearchListFile;

namespace
{
const char APP_CAPTION[] = "VQ4600Utility";
const char SAVE_CAPTION[] = "VQ4600_TITLE";
const wchar_t FILTER_TEXT[] = L"*.sli";
const wchar_t DEFAULT_EXT[] = L"sli";
const wchar_t TEMP_SUFFIX[] = L".tmp";

const char LOAD_OPEN_ERROR[] = "INF:Idm_SearchListLoad()_01 Open sli-file error!";
const char LOAD_READ_ERROR[] = "INF:Idm_SearchListLoad()_02 Read data from sli-file error!";
const char LOAD_CONTENT_ERROR[] = "INF:Idm_SearchListLoad()_03 There are errors in sli-file!";
const char SAVE_CREATE_ERROR[] = "INF:fnFileSaveAs()_02 CreateFile() return INVALID_HANDLE_VALUE! ";
const char SAVE_WRITE_ERROR[] =
    "INF:fnFileSaveAs()_01 Save As sli File Error. WriteFile() Return FALSE!";

FileDialogHook g_pfnFileDialogHook = nullptr;
FileWriteHook g_pfnFileWriteHook = nullptr;

BOOL fnRunDialog(OPENFILENAMEW& stDialog, bool bSave)
{
    if (g_pfnFileDialogHook != nullptr)
        return g_pfnFileDialogHook(&stDialog);
    return bSave ? GetSaveFileNameW(&stDialog) : GetOpenFileNameW(&stDialog);
}

void fnError(HWND hOwner, const char* pchText, const char* pchCaption)
{
    fnMessageBoxGbk(hOwner, pchText, pchCaption, MB_OK | MB_ICONHAND);
}
} // namespace

void fnSetFileDialogHook(FileDialogHook pfnHook)
{
    g_pfnFileDialogHook = pfnHook;
}

void fnSetFileWriteHook(FileWriteHook pfnHook)
{
    g_pfnFileWriteHook = pfnHook;
}

SearchListFile::SearchListFile()
    : m_awchPath(), m_hFile(INVALID_HANDLE_VALUE), m_awchOpenFilter(), m_awchOpenTitle(),
      m_stOpen(), m_awchSaveFilter(), m_awchSaveTitle(), m_stSave(), m_stImage(), m_hOwner(NULL),
      m_hListBox(NULL), m_dwRead(0), m_awchTempPath()
{
}

// The filter is a pair of NUL-terminated strings ending in an empty one: "*.sli\0*.sli\0\0".
void SearchListFile::fnInitDialog(OPENFILENAMEW& stDialog, wchar_t* pwchFilter, wchar_t* pwchTitle,
                                  const char* pchGbkTitle, const wchar_t* pwchDefExt)
{
    const size_t nLen = sizeof FILTER_TEXT / sizeof FILTER_TEXT[0]; // with its NUL
    std::memset(pwchFilter, 0, SLI_FILTER_MAX * sizeof pwchFilter[0]);
    std::memcpy(pwchFilter, FILTER_TEXT, sizeof FILTER_TEXT);
    std::memcpy(pwchFilter + nLen, FILTER_TEXT, sizeof FILTER_TEXT);
    fnGbkToWide(pchGbkTitle, pwchTitle, SLI_TITLE_MAX);

    std::memset(&stDialog, 0, sizeof stDialog);
    stDialog.lStructSize = sizeof stDialog;
    stDialog.hwndOwner = m_hOwner;
    stDialog.lpstrFilter = pwchFilter;
    stDialog.nFilterIndex = 1;
    stDialog.lpstrFile = m_awchPath;
    stDialog.nMaxFile = SLI_DIALOG_NAME_MAX;
    stDialog.lpstrTitle = pwchTitle;
    stDialog.lpstrDefExt = pwchDefExt;
    stDialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
}

void SearchListFile::fnFileInit(HWND hOwner)
{
    m_hOwner = hOwner;
    fnInitDialog(m_stOpen, m_awchOpenFilter, m_awchOpenTitle, TXT_SLI_OPEN_TITLE, nullptr);
    fnInitDialog(m_stSave, m_awchSaveFilter, m_awchSaveTitle, TXT_SLI_SAVE_TITLE, DEFAULT_EXT);
}

void SearchListFile::fnCloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

// One ReadFile of the whole image. A short file reads as zeros past its end, and a file
// shorter than its own header and records is refused rather than filled up with zeros.
uint32_t SearchListFile::fnReadImage()
{
    m_dwRead = 0;
    if (!ReadFile(m_hFile, m_stImage.m_abyImage, SLI_FILE_SIZE, &m_dwRead, NULL))
        return SliOpenNotRead;
    if (m_stImage.fnLoadRead(m_dwRead) != SliParseOk)
        return SliOpenInvalid;
    return SliOpenOk;
}

uint32_t SearchListFile::fnFileOpen()
{
    m_stOpen.hwndOwner = m_hOwner;
    if (!fnRunDialog(m_stOpen, false))
        return SliOpenCancelled;
    fnCloseFile();
    m_hFile = CreateFileW(m_awchPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return SliOpenNotOpened;
    return fnReadImage();
}

// The temporary file beside the target: its name with TEMP_SUFFIX.
void SearchListFile::fnMakeTempPath()
{
    lstrcpynW(m_awchTempPath, m_awchPath, SLI_PATH_MAX);
    lstrcatW(m_awchTempPath, TEMP_SUFFIX);
}

// The whole image into the open temporary file, flushed to the disk. A full disk shows at the
// write or at the flush; either is a failed write.
bool SearchListFile::fnWriteImage()
{
    DWORD dwWritten = 0;
    const BOOL bOk =
        g_pfnFileWriteHook != nullptr
            ? g_pfnFileWriteHook(m_hFile, m_stImage.m_abyImage, SLI_FILE_SIZE, &dwWritten)
            : WriteFile(m_hFile, m_stImage.m_abyImage, SLI_FILE_SIZE, &dwWritten, NULL);
    if (!bOk)
        return false;
    return dwWritten == SLI_FILE_SIZE && FlushFileBuffers(m_hFile);
}

// The image goes to a temporary file first, which replaces the target only once it is whole and
// flushed: a failed save or a crash in the middle never leaves a half-written list behind, and
// the file that was there stays as it was.
uint32_t SearchListFile::fnFileSaveAs()
{
    m_stSave.hwndOwner = m_hOwner;
    if (!fnRunDialog(m_stSave, true))
        return SliSaveCancelled;
    fnCloseFile();
    fnMakeTempPath();
    m_hFile = CreateFileW(m_awchTempPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        fnError(m_hOwner, SAVE_CREATE_ERROR, SAVE_CAPTION);
        return SliSaveNotCreated;
    }
    const bool bWritten = fnWriteImage();
    fnCloseFile();
    if (!bWritten)
    {
        DeleteFileW(m_awchTempPath);
        fnError(m_hOwner, SAVE_WRITE_ERROR, SAVE_CAPTION);
        return SliSaveNotWritten;
    }
    if (!MoveFileExW(m_awchTempPath, m_awchPath,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileW(m_awchTempPath);
        fnError(m_hOwner, SAVE_CREATE_ERROR, SAVE_CAPTION);
        return SliSaveNotCreated;
    }
    return SliSaveOk;
}

void SearchListFile::fnFillListBox() const
{
    if (m_hListBox == NULL)
        return;
    SendMessageW(m_hListBox, LB_RESETCONTENT, 0, 0);
    const uint32_t dwCount = gstModuleList.m_dwCount.load();
    for (uint32_t i = 0; i < dwCount; ++i)
        fnSendTextGbk(m_hListBox, LB_ADDSTRING, gstModuleList.m_astModule[i].m_achListText);
}

uint32_t Idm_SearchListLoad(HWND hOwner)
{
    SearchListFile& stFile = gstSearchListFile;
    switch (stFile.fnFileOpen())
    {
    case SliOpenOk:
        stFile.m_stImage.fnFileToList(gstModuleList);
        stFile.fnFillListBox();
        return 0;
    case SliOpenNotOpened:
        fnError(hOwner, LOAD_OPEN_ERROR, APP_CAPTION);
        return 1;
    case SliOpenNotRead:
        fnError(hOwner, LOAD_READ_ERROR, APP_CAPTION);
        return 1;
    case SliOpenInvalid:
        fnError(hOwner, LOAD_CONTENT_ERROR, APP_CAPTION);
        return 1;
    default:
        return 1;
    }
}

uint32_t Idm_SearchListSave(HWND hOwner)
{
    if (gstModuleList.m_dwCount.load() == 0)
    {
        fnMessageBoxGbk(hOwner, TXT_SLI_LIST_EMPTY, APP_CAPTION, MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    gstSearchListFile.m_stImage.fnListToFile(gstModuleList);
    return gstSearchListFile.fnFileSaveAs() == SliSaveOk ? 0 : 1;
}
