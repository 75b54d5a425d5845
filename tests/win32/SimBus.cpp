// Control-directory client of the bus simulator for the Win32 tests. Files are opened with
// full sharing because the sim replaces DIR/ack and DIR/state by rename while we read them.
#include "tests/win32/SimBus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string fnUnixToWinePath(const std::string& sUnix)
{
    if (sUnix.empty())
        return sUnix;
    if (sUnix.size() > 1 && sUnix[1] == ':')
        return sUnix; // already a Windows path
    std::string sWin = "Z:" + sUnix;
    for (char& ch : sWin)
        if (ch == '/')
            ch = '\\';
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
    long lAck = ReadAck();
    m_lSeq = lAck > 0 ? lAck : 0;
}

bool SimBus::Available() const
{
    if (m_sDir.empty() || m_nCom <= 0)
        return false;
    DWORD dwAttr = GetFileAttributesA((m_sDir + "\\ready").c_str());
    return dwAttr != INVALID_FILE_ATTRIBUTES;
}

int SimBus::ComNumber() const
{
    return m_nCom;
}

std::string SimBus::ReadFile(const char* pchName) const
{
    if (m_sDir.empty())
        return "";
    std::string sPath = m_sDir + "\\" + pchName;
    HANDLE hFile = CreateFileA(sPath.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return "";
    std::string sText;
    char achBuf[4096];
    DWORD dwRead = 0;
    while (::ReadFile(hFile, achBuf, sizeof(achBuf), &dwRead, nullptr) && dwRead > 0)
        sText.append(achBuf, dwRead);
    CloseHandle(hFile);
    return sText;
}

long SimBus::ReadAck() const
{
    std::string sAck = ReadFile("ack");
    return sAck.empty() ? -1 : strtol(sAck.c_str(), nullptr, 10);
}

bool SimBus::Command(const std::string& sVerbAndArgs)
{
    if (m_sDir.empty())
    {
        ADD_FAILURE() << "VQ_SIM_CONTROL is not set";
        return false;
    }
    long lSeq = ++m_lSeq;
    char achSeq[24];
    snprintf(achSeq, sizeof(achSeq), "%ld ", lSeq);
    std::string sLine = achSeq + sVerbAndArgs + "\n";

    std::string sPath = m_sDir + "\\commands";
    HANDLE hFile = CreateFileA(sPath.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        ADD_FAILURE() << "cannot open " << sPath << ", error " << GetLastError();
        return false;
    }
    DWORD dwWritten = 0;
    BOOL bOk =
        WriteFile(hFile, sLine.data(), static_cast<DWORD>(sLine.size()), &dwWritten, nullptr);
    CloseHandle(hFile);
    if (!bOk || dwWritten != sLine.size())
    {
        ADD_FAILURE() << "cannot append to " << sPath;
        return false;
    }

    DWORD dwStart = GetTickCount();
    while (ReadAck() != lSeq)
    {
        if (GetTickCount() - dwStart > ACK_TIMEOUT_MS)
        {
            ADD_FAILURE() << "the simulator did not acknowledge \"" << sVerbAndArgs << "\" within "
                          << ACK_TIMEOUT_MS << " ms";
            return false;
        }
        Sleep(5);
    }
    return true;
}

bool SimBus::Reset(const std::string& sModules)
{
    return Command("reset " + sModules);
}

bool SimBus::Fault(const std::string& sRule)
{
    return Command("fault " + sRule);
}

bool SimBus::Clear(uint8_t chAddress)
{
    char ach[16];
    snprintf(ach, sizeof(ach), "clear %02X", chAddress);
    return Command(ach);
}

bool SimBus::Inputs(uint8_t chAddress, uint8_t chInputs)
{
    char ach[24];
    snprintf(ach, sizeof(ach), "inputs %02X %02X", chAddress, chInputs);
    return Command(ach);
}

bool SimBus::Analog(uint8_t chAddress, int nChannel, double dValue)
{
    char ach[64];
    snprintf(ach, sizeof(ach), "analog %02X %d %.4f", chAddress, nChannel, dValue);
    return Command(ach);
}

std::string SimBus::State() const
{
    return ReadFile("state");
}

std::string SimBus::StateOf(uint8_t chAddress) const
{
    char achPrefix[4];
    snprintf(achPrefix, sizeof(achPrefix), "%02X,", chAddress);
    std::string sState = State();
    size_t nPos = 0;
    while (nPos < sState.size())
    {
        size_t nEnd = sState.find('\n', nPos);
        if (nEnd == std::string::npos)
            nEnd = sState.size();
        std::string sLine = sState.substr(nPos, nEnd - nPos);
        if (!sLine.empty() && sLine.back() == '\r')
            sLine.pop_back();
        if (sLine.size() >= 3 && _strnicmp(sLine.c_str(), achPrefix, 3) == 0)
            return sLine;
        nPos = nEnd + 1;
    }
    return "";
}
