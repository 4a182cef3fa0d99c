#include "CommandLine.h"

#include <cctype>

namespace modemsim {

namespace {
bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// V.250: spaces are ignored except inside quotes (a dial string ignores them too).
std::string WithoutSpaces(const std::string& body) {
    std::string out;
    bool quoted = false;
    for (char c : body) {
        if (c == '"')
            quoted = !quoted;
        if (quoted || c != ' ')
            out += c;
    }
    return out;
}

std::string DigitsAt(const std::string& s, size_t& at) {
    const size_t from = at;
    while (at < s.size() && IsDigit(s[at]))
        ++at;
    return s.substr(from, at - from);
}

// An extended command from at (just after "+" or "^") up to its ";" or the end.
bool ReadExtended(const std::string& s, size_t& at, const std::string& prefix, AtCommand& c) {
    const size_t from = at;
    while (at < s.size() && (std::isalnum(static_cast<unsigned char>(s[at])) || s[at] == '_'))
        ++at;
    if (at == from)
        return false;
    c.name = prefix + Upper(s.substr(from, at - from));
    if (s.compare(at, 2, "=?") == 0) {
        c.form = AtCommand::Form::Test;
        at += 2;
    } else if (at < s.size() && s[at] == '?') {
        c.form = AtCommand::Form::Read;
        ++at;
    } else if (at < s.size() && s[at] == '=') {
        c.form = AtCommand::Form::Set;
        bool quoted = false;
        for (++at; at < s.size() && (quoted || s[at] != ';'); ++at) {
            quoted = s[at] == '"' ? !quoted : quoted;
            c.args += s[at];
        }
    }
    return at >= s.size() || s[at] == ';';
}

// A basic command: a letter or "&" and a letter, with an optional number; S-registers.
bool ReadBasic(const std::string& s, size_t& at, AtCommand& c) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(s[at])));
    if (letter == '&') {
        if (++at >= s.size() || !IsLetter(s[at]))
            return false;
        c.name = "&" + std::string(1, static_cast<char>(std::toupper(s[at++])));
        c.args = DigitsAt(s, at);
        return true;
    }
    if (!IsLetter(letter))
        return false;
    ++at;
    c.name = std::string(1, letter);
    if (letter == 'D') {
        c.args = s.substr(at);
        at = s.size();
        return true;
    }
    c.args = DigitsAt(s, at);
    if (letter != 'S')
        return true;
    if (c.args.empty())
        return false;
    if (at < s.size() && s[at] == '?') {
        c.form = AtCommand::Form::Read;
        ++at;
    } else if (at < s.size() && s[at] == '=') {
        c.form = AtCommand::Form::Set;
        ++at;
        c.value = DigitsAt(s, at);
    }
    return true;
}
}  // namespace

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int Decimal(const std::string& text) {
    if (text.empty() || text.size() > 6)
        return -1;
    for (char c : text)
        if (!IsDigit(c))
            return -1;
    return std::stoi(text);
}

bool ParseCommandLine(const std::string& body, std::vector<AtCommand>& out) {
    const std::string s = WithoutSpaces(body);
    size_t at = 0;
    while (at < s.size()) {
        if (s[at] == ';') {
            ++at;
            continue;
        }
        AtCommand c;
        const char first = s[at];
        const bool ok = first == '+' || first == '^' || first == '%' || first == '$'
                            ? ReadExtended(s, ++at, first == '+' ? "" : std::string(1, first), c)
                            : ReadBasic(s, at, c);
        if (!ok)
            return false;
        out.push_back(c);
    }
    return true;
}

std::vector<std::string> SplitArgs(const std::string& args) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : args) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out.emplace_back();
        else if (quoted || c != ' ')
            out.back() += c;
    }
    return out;
}

}  // namespace modemsim
