// The module settings transaction without its threads: which frame each pass sends, the step
// states and result codes, and the report composed from them. The transmit thread of the
// settings feature owns one ModuleSetPlan (inside gstCommTRCModuleSet); the dialog arms it.
//
// Threading contract: the dialog (main thread) calls fnArm only while no exchange runs and
// before it sets the request event; from then on only the transmit thread calls
// fnBuildFrame, fnClassify and fnReportShown. The step and result words are atomic so the
// dialog may look at them at any time.
#pragma once

#include <atomic>
#include <cstdint>

// The values handed to the transaction: new address, BaudIndex, protocol index (0 VQASCII,
// 1 VQASCII-CHK, 2 Modbus RTU).
struct ModuleSetting
{
    uint8_t m_chAddress;
    uint32_t m_dwBaudIndex;
    uint32_t m_dwProtocolIndex;
};

// m_dwStepAscii and m_dwStepAsciiChk.
enum SetAsciiStep : uint32_t
{
    SetAsciiStepArmed = 1,
    SetAsciiStepDone = 2,
};

// m_dwStepRtu.
enum SetRtuStep : uint32_t
{
    SetRtuStepAddress = 1,
    SetRtuStepBaud = 2,
    SetRtuStepDone = 3,
};

// What the transmit thread does after fnClassify.
enum ModuleSetOutcome : uint32_t
{
    ModuleSetIdle = 0,     // nothing was armed for this protocol: clear the trigger, no report
    ModuleSetNextStep = 1, // RTU address step done; the trigger stays set and step 2 follows
    ModuleSetReport = 2,   // show m_achResultText, then call fnReportShown
};

const uint32_t SET_RESULT_TEXT_MAX = 512;
const uint32_t SET_REPLY_WINDOW_MS = 1000; // no end-of-reply detection: the window is the reply
const uint32_t SET_WRITE_SLICE_MS = 800;   // a pending write is awaited in slices of this

class ModuleSetPlan
{
  public:
    ModuleSetPlan(); // the initial values, as fnArm sets them
    ModuleSetPlan(const ModuleSetPlan&) = delete;
    ModuleSetPlan& operator=(const ModuleSetPlan&) = delete;

    std::atomic<uint32_t> m_dwStepAscii;
    std::atomic<uint32_t> m_dwStepAsciiChk;
    std::atomic<uint32_t> m_dwStepRtu;
    std::atomic<uint32_t> m_dwResultAscii;
    std::atomic<uint32_t> m_dwResultAsciiChk;
    std::atomic<uint32_t> m_dwResultRtuAddress;
    std::atomic<uint32_t> m_dwResultRtuBaud;
    char m_achResultText[SET_RESULT_TEXT_MAX]; // GBK; written by the transmit thread only

    // Steps 1, 1, 1; results 3, 3, 5, 6 (each the no-reply code of its table).
    void fnArm();

    // The frame of this pass for a module of ProtocolId dwProtocol at chAddress (its current
    // address, from the module list). Returns its length, or 0 when no frame is due: a protocol
    // without settings frames (Modbus ASCII, unknown ids) or an exchange already done.
    // pbyFrame holds at least FRAME_MAX bytes.
    uint32_t fnBuildFrame(uint32_t dwProtocol, uint8_t chAddress, const ModuleSetting& stSetting,
                          uint8_t* pbyFrame) const;

    // Classifies what the reply window collected (dwLen may be 0) for the step that was sent,
    // stores the result and, when a report is due, composes m_achResultText.
    uint32_t fnClassify(uint32_t dwProtocol, const ModuleSetting& stSetting,
                        const uint8_t* pbyReply, uint32_t dwLen);

    // After the user closed the report box: the exchange of dwProtocol is done.
    void fnReportShown(uint32_t dwProtocol);

  private:
    void fnComposeText(const char* pchFirst, const char* pchSecond);
};
