// Load and save of the search-list file on the main thread: a common dialog picks the name, one
// synchronous ReadFile or WriteFile moves the whole 230408-byte image, and the portable
// SearchListImage packs or checks the records. A failed load leaves the module list and its
// listbox as they were, because the records are parsed into the image's own array first.
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
const char FILTER_TEXT[] = "*.sli";
const char DEFAULT_EXT[] = "sli";

const char LOAD_OPEN_ERROR[] = "INF:Idm_SearchListLoad()_01 Open sli-file error!";
const char LOAD_READ_ERROR[] = "INF:Idm_SearchListLoad()_02 Read data from sli-file error!";
const char LOAD_CONTENT_ERROR[] = "INF:Idm_SearchListLoad()_03 There are errors in sli-file!";
const char SAVE_CREATE_ERROR[] = "INF:fnFileSaveAs()_02 CreateFile() return INVALID_HANDLE_VALUE! ";
const char SAVE_WRITE_ERROR[] =
    "INF:fnFileSaveAs()_01 Save As sli File Error. WriteFile() Return FALSE!";

FileDialogHook g_pfnFileDialogHook = nullptr;

BOOL fnRunDialog(OPENFILENAMEA& stDialog, bool bSave)
{
    if (g_pfnFileDialogHook != nullptr)
        return g_pfnFileDialogHook(&stDialog);
    return bSave ? GetSaveFileNameA(&stDialog) : GetOpenFileNameA(&stDialog);
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

SearchListFile::SearchListFile()
    : m_achPath(), m_hFile(INVALID_HANDLE_VALUE), m_achOpenFilter(), m_stOpen(), m_achSaveFilter(),
      m_stSave(), m_stImage(), m_hOwner(NULL), m_hListBox(NULL), m_dwRead(0)
{
}

// The filter is a pair of NUL-terminated strings ending in an empty one: "*.sli\0*.sli\0\0".
void SearchListFile::fnInitDialog(OPENFILENAMEA& stDialog, char* pchFilter, const char* pchTitle,
                                  const char* pchDefExt)
{
    const size_t nLen = sizeof FILTER_TEXT; // with its NUL
    std::memset(pchFilter, 0, SLI_FILTER_MAX);
    std::memcpy(pchFilter, FILTER_TEXT, nLen);
    std::memcpy(pchFilter + nLen, FILTER_TEXT, nLen);

    std::memset(&stDialog, 0, sizeof stDialog);
    stDialog.lStructSize = sizeof stDialog;
    stDialog.hwndOwner = m_hOwner;
    stDialog.lpstrFilter = pchFilter;
    stDialog.nFilterIndex = 1;
    stDialog.lpstrFile = m_achPath;
    stDialog.nMaxFile = SLI_DIALOG_NAME_MAX;
    stDialog.lpstrTitle = pchTitle;
    stDialog.lpstrDefExt = pchDefExt;
    stDialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
}

void SearchListFile::fnFileInit(HWND hOwner)
{
    m_hOwner = hOwner;
    fnInitDialog(m_stOpen, m_achOpenFilter, TXT_SLI_OPEN_TITLE, nullptr);
    fnInitDialog(m_stSave, m_achSaveFilter, TXT_SLI_SAVE_TITLE, DEFAULT_EXT);
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
    m_stImage.fnClearFrom(m_dwRead);
    m_stImage.m_dwCursor = 0;
    if (m_stImage.fnFileParse() != SliParseOk)
        return SliOpenInvalid;
    if (m_dwRead < SLI_HEADER_SIZE + m_stImage.m_dwCount * SLI_RECORD_SIZE)
        return SliOpenInvalid;
    return SliOpenOk;
}

uint32_t SearchListFile::fnFileOpen()
{
    m_stOpen.hwndOwner = m_hOwner;
    if (!fnRunDialog(m_stOpen, false))
        return SliOpenCancelled;
    fnCloseFile();
    m_hFile = CreateFileA(m_achPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return SliOpenNotOpened;
    return fnReadImage();
}

uint32_t SearchListFile::fnFileSaveAs()
{
    m_stSave.hwndOwner = m_hOwner;
    if (!fnRunDialog(m_stSave, true))
        return SliSaveCancelled;
    fnCloseFile();
    m_hFile = CreateFileA(m_achPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        fnError(m_hOwner, SAVE_CREATE_ERROR, SAVE_CAPTION);
        return SliSaveNotCreated;
    }
    DWORD dwWritten = 0;
    uint32_t dwResult = SliSaveOk;
    if (!WriteFile(m_hFile, m_stImage.m_abyImage, SLI_FILE_SIZE, &dwWritten, NULL) ||
        dwWritten != SLI_FILE_SIZE)
    {
        fnError(m_hOwner, SAVE_WRITE_ERROR, SAVE_CAPTION);
        dwResult = SliSaveNotWritten;
    }
    else
    {
        FlushFileBuffers(m_hFile);
    }
    fnCloseFile();
    return dwResult;
}

void SearchListFile::fnFillListBox() const
{
    if (m_hListBox == NULL)
        return;
    SendMessageA(m_hListBox, LB_RESETCONTENT, 0, 0);
    const uint32_t dwCount = gstModuleList.m_dwCount.load();
    for (uint32_t i = 0; i < dwCount; ++i)
        SendMessageA(m_hListBox, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(gstModuleList.m_astModule[i].m_achListText));
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
