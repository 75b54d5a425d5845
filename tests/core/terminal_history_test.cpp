// Command history of the terminal: order after each send, the lost ninth entry, empty texts.
#include "terminal/TerminalHistory.h"
#include "terminal/TerminalSetting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
void fnSend(TerminalSetting& st, const char* pchText)
{
    strcpy(st.m_aachCommand[0], pchText);
    fnHistoryInsert(st.m_aachCommand);
}

std::vector<std::string> fnHistory(const TerminalSetting& st)
{
    std::vector<std::string> v;
    for (uint32_t k = 1; k < TERMINAL_SLOTS; ++k)
        v.push_back(st.m_aachCommand[k]);
    return v;
}
} // namespace

TEST(TerminalHistory, OrderAfterSends)
{
    struct Row
    {
        std::vector<const char*> vSends;
        std::vector<std::string> vHistory;
    } astRows[] = {
        {{"A"}, {"A", "", "", "", "", "", "", ""}},
        {{"A", "B", "A"}, {"A", "B", "", "", "", "", "", ""}},
        {{"A", "A"}, {"A", "", "", "", "", "", "", ""}},
        {{"a", "A"}, {"A", "a", "", "", "", "", "", ""}},
        {{"A", "A "}, {"A ", "A", "", "", "", "", "", ""}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {"9", "8", "7", "6", "5", "4", "3", "2"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "1"}, {"1", "8", "7", "6", "5", "4", "3", "2"}},
        {{"1", "2", "3", "2"}, {"2", "3", "1", "", "", "", "", ""}},
        // An empty command is a text like any other: it matches the empty slot 2 and moves up.
        {{"A", ""}, {"", "A", "", "", "", "", "", ""}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", ""}, {"", "8", "7", "6", "5", "4", "3", "2"}},
    };
    for (const Row& r : astRows)
    {
        auto pst = std::make_unique<TerminalSetting>();
        for (const char* pch : r.vSends)
            fnSend(*pst, pch);
        EXPECT_EQ(r.vHistory, fnHistory(*pst)) << r.vSends.size();
    }
}

TEST(TerminalHistory, UnterminatedSlotIsCutNotOverread)
{
    auto pst = std::make_unique<TerminalSetting>();
    memset(pst->m_aachCommand[0], 'x', TERMINAL_COMMAND_MAX);
    fnHistoryInsert(pst->m_aachCommand);
    EXPECT_EQ(TERMINAL_COMMAND_MAX - 1, strlen(pst->m_aachCommand[1]));
}
