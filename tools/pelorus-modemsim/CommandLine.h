#pragma once
// A command line as V.250 reads it: what follows "AT", split into basic commands (E0, V1, &F,
// S7=60, D...) and extended ones (+CMGL=4) joined by ";". Spaces outside quotes do not count.
#include <string>
#include <vector>

namespace modemsim {

struct AtCommand {
    enum class Form { Action, Read, Test, Set };
    std::string name;  // upper case, without "+": "E", "&F", "S", "CMGL", "^SYSINFO"
    Form form = Form::Action;
    std::string args;   // after "=" (case kept), a basic command's number, or "S7"'s register
    std::string value;  // S-registers only: the value after "="
};

// The commands of the text after "AT"; false when it breaks the syntax (the line gets ERROR).
bool ParseCommandLine(const std::string& body, std::vector<AtCommand>& out);

// Arguments split at commas outside quotes, each with its quotes and outer spaces removed.
std::vector<std::string> SplitArgs(const std::string& args);

std::string Upper(std::string s);
// A decimal number of at most six digits, or -1.
int Decimal(const std::string& text);

}  // namespace modemsim
