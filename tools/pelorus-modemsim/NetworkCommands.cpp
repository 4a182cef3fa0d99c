// The network and the signal: registration, operator, attach, caller id, levels.
#include "ModemState.h"

namespace modemsim {

namespace {
using Form = AtCommand::Form;

// AT+CREG / AT+CGREG: n=0 "+CREG: 0,1"; n=2 with LAC and cell as gammu at-creg/siemens.dump.
Reply Registration(const std::string& name, int& n, const AtCommand& c) {
    if (c.form == Form::Read) {
        std::string line = "+" + name + ": " + std::to_string(n) + ",1";
        return Lines({n == 2 ? line + ",\"5E25\",\"605F\"" : line});
    }
    if (c.form == Form::Test)
        return Lines({"+" + name + ": (0-2)"});
    const int mode = c.form == Form::Set ? Decimal(c.args) : 0;
    if (mode < 0 || mode > 2)
        return Failed(Final::Cme, 50);
    n = mode;
    return Lines({});
}
Reply Creg(ModemState& s, const AtCommand& c) {
    return Registration("CREG", s.creg, c);
}
Reply Cgreg(ModemState& s, const AtCommand& c) {
    return Registration("CGREG", s.cgreg, c);
}

// AT+COPS: automatic selection; "AT+COPS=3,2" picks the numeric name for the read form.
Reply Operator(ModemState& s, const AtCommand& c) {
    static const char* kNames[] = {"\"Pelorus Net\"", "\"Pelorus\"", "\"25099\""};
    if (c.form == Form::Read)
        return Lines({"+COPS: 0," + std::to_string(s.copsFormat) + "," + kNames[s.copsFormat]});
    if (c.form == Form::Test)
        return Lines({"+COPS: (2,\"Pelorus Net\",\"Pelorus\",\"25099\"),,(0-4),(0-2)"});
    const std::vector<std::string> a = SplitArgs(c.args);
    const int mode = Decimal(a[0]);
    const int format = a.size() > 1 ? Decimal(a[1]) : s.copsFormat;
    if (c.form != Form::Set || mode < 0 || mode > 4 || format < 0 || format > 2)
        return Failed(Final::Cme, 50);
    s.copsFormat = format;
    return Lines({});
}

// A read-only value with its test form: AT+CGATT?, AT+CLIP?, AT+CSQ, AT+CBC, AT+CPAS.
Reply Value(const AtCommand& c, const std::string& value, const std::string& range) {
    if (c.form == Form::Test)
        return Lines({range});
    if (c.form == Form::Set)
        return Lines({});
    return Lines({value});
}
Reply Attach(ModemState&, const AtCommand& c) {
    return Value(c, "+CGATT: 1", "+CGATT: (0,1)");
}
Reply CallerId(ModemState&, const AtCommand& c) {
    return Value(c, "+CLIP: 0,1", "+CLIP: (0,1)");
}
// python-gsmmodem test_signalStrength, AT+CSQ: "+CSQ: 18,99".
Reply Signal(ModemState&, const AtCommand& c) {
    return Value(c, "+CSQ: 18,99", "+CSQ: (0-31,99),(0-7,99)");
}
Reply Battery(ModemState&, const AtCommand& c) {
    return Value(c, "+CBC: 0,85", "+CBC: (0-3),(0-100)");
}
Reply Activity(ModemState&, const AtCommand& c) {
    return Value(c, "+CPAS: 0", "+CPAS: (0-5)");
}
}  // namespace

void AddNetworkCommands(CommandTable& t) {
    t["CREG"] = Creg;
    t["CGREG"] = Cgreg;
    t["COPS"] = Operator;
    t["CGATT"] = Attach;
    t["CLIP"] = CallerId;
    t["CSQ"] = Signal;
    t["CBC"] = Battery;
    t["CPAS"] = Activity;
}

}  // namespace modemsim
