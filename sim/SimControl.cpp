#include "sim/SimControl.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vqsim
{

namespace
{

bool parseAddress(const std::string& text, uint8_t& address)
{
    return text.size() == 2 && parseHex2(text, 0, address);
}

bool runVerb(Bus& bus, const std::string& verb, const std::vector<std::string>& args,
             ControlResult& result)
{
    uint8_t address = 0;
    if (verb == "reset")
    {
        std::vector<ModuleDef> defs;
        for (const std::string& arg : args)
        {
            ModuleDef def;
            if (!parseModuleDef(arg, def, result.error))
                return false;
            defs.push_back(def);
        }
        bus.reset(defs);
        return true;
    }
    if (verb == "fault")
        return args.size() == 1 ? bus.addFault(args[0], result.error)
                                : (result.error = "fault takes one RULE", false);
    if (verb == "quit")
    {
        result.quit = true;
        return true;
    }
    if (verb == "unplug" || verb == "plug")
    {
        if (!args.empty())
            return (result.error = verb + " takes no arguments", false);
        result.line = verb == "plug" ? LineChange::Plug : LineChange::Unplug;
        return true;
    }
    if (args.empty() || !parseAddress(args[0], address))
    {
        result.error = verb + ": expected a two-digit hex address";
        return false;
    }
    if (verb == "clear" && args.size() == 1)
    {
        bus.clearFaults(address);
        return true;
    }
    if (verb == "inputs" && args.size() == 2)
    {
        uint8_t value = 0;
        if (!parseAddress(args[1], value))
        {
            result.error = "inputs: the value must be two hex digits";
            return false;
        }
        if (!bus.setInputs(address, value))
        {
            result.error = "inputs: no digital module at " + args[0];
            return false;
        }
        return true;
    }
    if (verb == "analog" && args.size() == 3)
    {
        char* end = nullptr;
        const unsigned long ch = std::strtoul(args[1].c_str(), &end, 10);
        const bool chOk = !args[1].empty() && *end == '\0' && ch < 8;
        const double value = std::strtod(args[2].c_str(), &end);
        if (!chOk || args[2].empty() || *end != '\0')
        {
            result.error = "analog: expected ADDR CH(0-7) VALUE";
            return false;
        }
        if (!bus.holdAnalog(address, static_cast<unsigned>(ch), value))
        {
            result.error = "analog: no analog module at " + args[0];
            return false;
        }
        return true;
    }
    if (verb == "ramp" && args.size() == 1)
    {
        if (!bus.releaseAnalog(address))
        {
            result.error = "ramp: no analog module at " + args[0];
            return false;
        }
        return true;
    }
    result.error = "unknown or malformed command \"" + verb + "\"";
    return false;
}

} // namespace

ControlResult runControlLine(Bus& bus, const std::string& line)
{
    ControlResult result;
    std::istringstream in(line);
    std::string verb;
    std::vector<std::string> args;
    in >> result.seq >> verb;
    for (std::string arg; in >> arg;)
        args.push_back(arg);
    if (verb.empty())
    {
        result.ok = false;
        result.error = "expected SEQ VERB ARGS...";
        return result;
    }
    result.ok = runVerb(bus, verb, args, result);
    return result;
}

bool ControlDir::open(const std::string& dir, std::string& error)
{
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    {
        error = "--control " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    {
        error = "--control " + dir + " is not a directory";
        return false;
    }
    m_dir = dir;
    for (const char* name : {"ready", "ack", "state", "commands"})
        unlink((m_dir + "/" + name).c_str());
    m_offset = 0;
    m_partial.clear();
    return true;
}

void ControlDir::markReady()
{
    writeAtomically("ready", "ready\n");
}

void ControlDir::unmarkReady()
{
    if (isOpen())
        unlink((m_dir + "/ready").c_str());
}

std::vector<std::string> ControlDir::takeLines()
{
    std::vector<std::string> lines;
    if (!isOpen())
        return lines;
    FILE* f = std::fopen((m_dir + "/commands").c_str(), "rb");
    if (!f)
        return lines;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    if (size < m_offset)
    {
        // The file was replaced or truncated: start again from its beginning.
        m_offset = 0;
        m_partial.clear();
    }
    std::fseek(f, m_offset, SEEK_SET);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    {
        m_offset += static_cast<long>(n);
        m_partial.append(buf, n);
    }
    std::fclose(f);
    size_t start = 0;
    for (size_t nl; (nl = m_partial.find('\n', start)) != std::string::npos; start = nl + 1)
    {
        std::string line = m_partial.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            lines.push_back(line);
    }
    m_partial.erase(0, start);
    return lines;
}

void ControlDir::writeAck(const std::string& seq)
{
    writeAtomically("ack", seq + "\n");
}

void ControlDir::writeState(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    writeAtomically("state", text);
}

bool ControlDir::writeAtomically(const char* name, const std::string& text)
{
    if (!isOpen())
        return false;
    const std::string path = m_dir + "/" + name;
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok)
        return false;
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

} // namespace vqsim
