// The user's port and baud choice and the steps of the COM Set dialog that edit it. The dialog
// works on the pending copy (m_dwNew...) and only Commit moves it into the committed copy, which
// the port code and the worker threads read. Everything here runs on the main thread.
#include "serial/CommSettings.h"

#include "protocol/Protocol.h"
#include "res/GbkText.h"

#include <cstdio>

CommSettings gstCommSettings;

CommSettings::CommSettings()
    : m_hDlg(nullptr), m_hPortList(nullptr),
      m_hBaudList(nullptr), m_aachPortNames{}, m_aachBaudNames{}, m_dwPortIndex(0),
      m_dwBaudIndex(BAUD_INDEX_DEFAULT), m_dwNewPortIndex(0), m_dwNewBaudIndex(BAUD_INDEX_DEFAULT)
{
    for (uint32_t i = 0; i < COM_PORT_COUNT; ++i)
        snprintf(m_aachPortNames[i], sizeof(m_aachPortNames[i]), "COM%u", i + 1);
    static const char* const s_apchBaud[BAUD_INDEX_COUNT] = {"1200",  "2400",  "4800",  "9600",
                                                             "19200", "38400", "57600", "115200"};
    for (uint32_t i = 0; i < BAUD_INDEX_COUNT; ++i)
        snprintf(m_aachBaudNames[i], sizeof(m_aachBaudNames[i]), "%s", s_apchBaud[i]);
}

void CommSettings::GetDevicePath(char achOut[32]) const
{
    snprintf(achOut, 32, "\\\\.\\COM%u", m_dwPortIndex + 1);
}

void CommSettings::GetPortName(char achOut[32]) const
{
    snprintf(achOut, 32, "COM%u", m_dwPortIndex + 1);
}

uint32_t CommSettings::GetBaudRate() const
{
    return fnBaudRate(m_dwBaudIndex.load());
}

void CommSettings::SetDefaults()
{
    m_dwPortIndex = 0;
    m_dwBaudIndex = BAUD_INDEX_DEFAULT;
}

void CommSettings::FillLists()
{
    SendMessageW(m_hPortList, CB_RESETCONTENT, 0, 0);
    for (uint32_t i = 0; i < COM_PORT_COUNT; ++i)
        fnSendTextGbk(m_hPortList, CB_ADDSTRING, m_aachPortNames[i]);
    SendMessageW(m_hBaudList, CB_RESETCONTENT, 0, 0);
    for (uint32_t i = 0; i < BAUD_INDEX_COUNT; ++i)
        fnSendTextGbk(m_hBaudList, CB_ADDSTRING, m_aachBaudNames[i]);
}

void CommSettings::BeginEdit()
{
    m_dwNewPortIndex = m_dwPortIndex;
    m_dwNewBaudIndex = m_dwBaudIndex.load();
}

void CommSettings::ShowSelection()
{
    SendMessageW(m_hPortList, CB_SETCURSEL, m_dwNewPortIndex, 0);
    SendMessageW(m_hBaudList, CB_SETCURSEL, m_dwNewBaudIndex, 0);
}

void CommSettings::ReadSelection()
{
    // A list without a selection keeps the pending index, so no index outside the tables can
    // reach the committed copy.
    LRESULT lPort = SendMessageW(m_hPortList, CB_GETCURSEL, 0, 0);
    if (lPort >= 0 && lPort < static_cast<LRESULT>(COM_PORT_COUNT))
        m_dwNewPortIndex = static_cast<uint32_t>(lPort);
    LRESULT lBaud = SendMessageW(m_hBaudList, CB_GETCURSEL, 0, 0);
    if (lBaud >= 0 && lBaud < static_cast<LRESULT>(BAUD_INDEX_COUNT))
        m_dwNewBaudIndex = static_cast<uint32_t>(lBaud);
}

void CommSettings::Commit()
{
    m_dwPortIndex = m_dwNewPortIndex;
    m_dwBaudIndex = m_dwNewBaudIndex;
}
