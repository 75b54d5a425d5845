// Control-directory client of the bus simulator for the Win32 tests. The sim replaces DIR/ack
// and DIR/state by rename while we read them; a read that misses one is simply repeated.
#include "tests/win32/SimBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "tests/win32/SearchTestSupport.h"

namespace
{
const DWORD ACK_TIMEOUT_MS = 3000;
}

std::string fnUnixToWinePath(const std::string& sUnix)
{
    if (sUnix.empty() || (sUnix.size() > 1 && sUnix[1] == ':'))
        return sUnix; // nothing, or already a Windows path
    std::string sWin = "Z:" + sUnix;
    for (char& ch : sWin)
        ch = ch == '/' ? '\\' : ch;
    return sWin;
}

SimBus::SimBus() : m_nCom(0), m_lSeq(0)
{
    const char* pchDir = getenv("VQ_SIM_CONTROL");
    if (pchDir != nullptr)
        m_sDir = fnUnixToWinePath(pchDir);
    const char* pchCom = getenv("VQ_TEST_COM");
    if (pchCom != nullptr)
        m_nCom = atoi(pchCom);
    m_lSeq = std::max(ReadAck(), 0L);
}

bool SimBus::Available() const
{
    return !m_sDir.empty() && m_nCom > 0 &&
           GetFileAttributesA((m_sDir + "\\ready").c_str()) != INVALID_FILE_ATTRIBUTES;
}

long SimBus::ReadAck() const
{
    const std::string sAck = m_sDir.empty() ? "" : fnReadAll(m_sDir + "\\ack");
    return sAck.empty() ? -1 : strtol(sAck.c_str(), nullptr, 10);
}

bool SimBus::Command(const char* pchFormat, ...)
{
    const long lSeq = ++m_lSeq;
    char achLine[256];
    int n = snprintf(achLine, sizeof(achLine), "%ld ", lSeq);
    va_list pArgs;
    va_start(pArgs, pchFormat);
    vsnprintf(achLine + n, sizeof(achLine) - n - 1, pchFormat, pArgs);
    va_end(pArgs);
    strcat(achLine, "\n");
    FILE* pFile = m_sDir.empty() ? nullptr : fopen((m_sDir + "\\commands").c_str(), "ab");
    bool bWritten = pFile != nullptr && fputs(achLine, pFile) >= 0;
    if (pFile != nullptr && fclose(pFile) != 0)
        bWritten = false;
    if (!bWritten)
    {
        ADD_FAILURE() << "cannot append to the simulator's commands in \"" << m_sDir << "\"";
        return false;
    }
    if (!fnWaitUntil([&] { return ReadAck() == lSeq; }, ACK_TIMEOUT_MS))
    {
        ADD_FAILURE() << "the simulator did not acknowledge \"" << achLine << "\" within "
                      << ACK_TIMEOUT_MS << " ms";
        return false;
    }
    return true;
}

std::string SimBus::StateOf(uint8_t chAddress) const
{
    char achPrefix[8];
    snprintf(achPrefix, sizeof(achPrefix), "\n%02X,", chAddress);
    const std::string sState = "\n" + (m_sDir.empty() ? "" : fnReadAll(m_sDir + "\\state"));
    const size_t nAt = sState.find(achPrefix);
    if (nAt == std::string::npos)
        return "";
    const std::string sLine = sState.substr(nAt + 1, sState.find('\n', nAt + 1) - nAt - 1);
    return sLine.empty() || sLine.back() != '\r' ? sLine : sLine.substr(0, sLine.size() - 1);
}
