// The search-list file commands: load a saved module list from an "sli" file and save the list
// to one, through the common open and save dialogs and synchronous file I/O on the main thread.
// The file image itself is the portable SearchListImage; this object adds the dialogs and the
// file handle. Nothing here is touched by a worker thread.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <cstdint>

#include "search/SearchListImage.h"

const uint32_t SLI_PATH_MAX = 1024;       // the shared path buffer
const uint32_t SLI_DIALOG_NAME_MAX = 260; // what a dialog may write into it
const uint32_t SLI_FILTER_MAX = 16;
const uint32_t SLI_TEMP_SUFFIX_MAX = 8; // ".tmp" and its NUL, with room to spare
const uint32_t SLI_TITLE_MAX = 64;      // a dialog title in UTF-16

// Result of fnFileOpen.
enum SliOpenResult : uint32_t
{
    SliOpenOk = 0,
    SliOpenCancelled = 1,
    SliOpenNotOpened = 2,
    SliOpenNotRead = 3,
    SliOpenInvalid = 4,
};

// Result of fnFileSaveAs.
enum SliSaveResult : uint32_t
{
    SliSaveOk = 0,
    SliSaveCancelled = 1,
    SliSaveNotCreated = 2,
    SliSaveNotWritten = 3,
};

class SearchListFile
{
  public:
    SearchListFile();

    // Paths are UTF-16 so that a folder name of any language opens on any code page.
    wchar_t m_awchPath[SLI_PATH_MAX]; // shared by both dialogs: each opens with the last name
    HANDLE m_hFile;                   // left open by the last load until the next file operation
    wchar_t m_awchOpenFilter[SLI_FILTER_MAX];
    wchar_t m_awchOpenTitle[SLI_TITLE_MAX];
    OPENFILENAMEW m_stOpen;
    wchar_t m_awchSaveFilter[SLI_FILTER_MAX];
    wchar_t m_awchSaveTitle[SLI_TITLE_MAX];
    OPENFILENAMEW m_stSave;
    SearchListImage m_stImage; // image, cursor, version, count and records read

    HWND m_hOwner;   // owner of both dialogs and of the save messages (the main window)
    HWND m_hListBox; // the module listbox a load refills (control 1008 of the list panel)
    DWORD m_dwRead;  // bytes the last load read
    wchar_t m_awchTempPath[SLI_PATH_MAX + SLI_TEMP_SUFFIX_MAX]; // where a save writes first

    void fnFileInit(HWND hOwner);
    uint32_t fnFileOpen();   // an SliOpenResult
    uint32_t fnFileSaveAs(); // an SliSaveResult; shows its own messages; old file kept on failure
    void fnCloseFile();
    void fnFillListBox() const;

  private:
    void fnInitDialog(OPENFILENAMEW& stDialog, wchar_t* pwchFilter, wchar_t* pwchTitle,
                      const char* pchGbkTitle, const wchar_t* pwchDefExt);
    uint32_t fnReadImage();
    void fnMakeTempPath();
    bool fnWriteImage();
};

extern SearchListFile gstSearchListFile;

// Load command: 0 when a list was loaded, 1 otherwise (cancelled or after its message).
uint32_t Idm_SearchListLoad(HWND hOwner);
// Save command: 0 when the file was written, 1 otherwise.
uint32_t Idm_SearchListSave(HWND hOwner);

// Tests answer the file dialogs instead of the user: the hook gets the prepared dialog record
// (open or save), may write a name into its lpstrFile and returns what the dialog would.
typedef BOOL (*FileDialogHook)(OPENFILENAMEW* pstDialog);
void fnSetFileDialogHook(FileDialogHook pfnHook);
// A full disk cannot be had on demand: tests may stand in for the WriteFile of a save (same
// arguments and result); nullptr restores the real one.
typedef BOOL (*FileWriteHook)(HANDLE hFile, const void* pvData, DWORD dwSize, DWORD* pdwWritten);
void fnSetFileWriteHook(FileWriteHook pfnHook);
