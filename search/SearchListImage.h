// The search-list file ("sli") as an image in memory: a fixed 230408-byte layout of a version,
// a record count and the packed module records, little-endian. Portable; the main thread
// builds it from the module list before a save and parses a loaded file back into it.
#pragma once

#include "search/ModuleList.h"

#include <cstdint>

const uint32_t SLI_FILE_SIZE = 230408;
const uint32_t SLI_HEADER_SIZE = 8;
const uint32_t SLI_RECORD_SIZE = 294;
const uint32_t SLI_VERSION = 1;

// Result of fnFileParse.
enum SliParseResult : uint32_t
{
    SliParseOk = 0,
    SliParseBadVersion = 1,
    SliParseBadCount = 2,   // outside 1..768
    SliParseBadVariant = 3, // a record's variant-letter count above 3
    SliParseShort = 4,      // the file ends before its last record (fnLoadRead only)
};

class SearchListImage
{
  public:
    SearchListImage();

    uint8_t m_abyImage[SLI_FILE_SIZE];
    uint32_t m_dwCursor;
    uint32_t m_dwVersion; // version read; 1 at start
    uint32_t m_dwCount;   // record count read
    ModuleRecord m_astModule[MODULE_LIST_MAX];

    // Write or read at the cursor and advance it. Nothing outside the image is touched: a
    // write past its end is dropped and a read past it gives zeros.
    void fnPutDword(uint32_t dwValue);
    void fnPutByte(uint8_t byValue);
    uint32_t fnGetDword();
    uint8_t fnGetByte();

    // A load read only dwRead bytes: the rest of the image reads as zeros.
    void fnClearFrom(uint32_t dwRead);

    // Version 1, the count and the first m_dwCount records from offset 0; nothing for an empty
    // list. The image beyond the records is left as it was.
    void fnListToFile(const ModuleList& stList);

    // Reads the image from offset 0 into the records read; an SliParseResult.
    uint32_t fnFileParse();

    // A load that read dwRead bytes into the image: the rest reads as zeros, then fnFileParse.
    // A file shorter than its own header and records is refused (SliParseShort) rather than
    // taken with zeros for the missing bytes.
    uint32_t fnLoadRead(uint32_t dwRead);

    // Replaces the list with the records read by a successful fnFileParse.
    void fnFileToList(ModuleList& stList) const;

  private:
    void fnPutBytes(const void* pvData, uint32_t dwCount);
    void fnGetBytes(void* pvData, uint32_t dwCount);
    void fnPutRecord(const ModuleRecord& stRecord);
    void fnGetRecord(ModuleRecord& stRecord);
};
