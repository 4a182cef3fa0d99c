// The message service settings: format, storages, notices, centre, text-mode parameters.
#include "ModemState.h"

namespace modemsim {

namespace {
using Form = AtCommand::Form;

Reply Format(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({std::string("+CMGF: ") + (s.textMode ? "1" : "0")});
    if (c.form == Form::Test)
        return Lines({"+CMGF: (0,1)"});
    const int mode = c.form == Form::Set ? Decimal(c.args) : 0;
    if (mode != 0 && mode != 1)
        return Failed(Final::Cms, 302);
    s.textMode = mode == 1;
    return Lines({});
}

std::string Counts(const ModemState& s, const std::string& name, bool named) {
    const Storage& st = s.storages.at(name);
    return (named ? "\"" + name + "\"," : "") + std::to_string(st.messages.size()) + "," +
           std::to_string(st.capacity);
}

// AT+CPMS=<mem1>[,<mem2>[,<mem3>]]: each given storage replaces its own, the others stay
// (gammu at-statemachine.c, AT+CPMS="SM","SM" -> "+CPMS: 1,20,1,20,1,20"; the read form as
// gammu atgen/test-cpms-three-param.c, AT+CPMS? -> "+CPMS: "SM",3,30,"SM",3,30,"SM",3,30").
Reply Storages(ModemState& s, const AtCommand& c) {
    std::string all;
    for (const auto& [name, st] : s.storages)
        all += (all.empty() ? "\"" : ",\"") + name + "\"";
    if (c.form == Form::Test)
        return Lines({"+CPMS: (" + all + "),(" + all + "),(" + all + ")"});
    if (c.form == Form::Read)
        return Lines({"+CPMS: " + Counts(s, s.mem[0], true) + "," + Counts(s, s.mem[1], true) +
                      "," + Counts(s, s.mem[2], true)});
    const std::vector<std::string> names = SplitArgs(c.args);
    if (c.form != Form::Set || names.size() > 3)
        return Failed(Final::Cms, 302);
    std::array<std::string, 3> chosen = s.mem;
    for (size_t i = 0; i < names.size(); ++i) {
        // python-gsmmodem test_cpmsNotSupported: "+CMS ERROR: 302" for a storage it lacks.
        if (s.storages.count(Upper(names[i])) == 0)
            return Failed(Final::Cms, 302);
        chosen[i] = Upper(names[i]);
    }
    s.mem = chosen;
    return Lines({"+CPMS: " + Counts(s, s.mem[0], false) + "," + Counts(s, s.mem[1], false) + "," +
                  Counts(s, s.mem[2], false)});
}

// AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr> is kept; gammu at-cnmi/02.dump gives the test form.
Reply Notices(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read) {
        std::string line = "+CNMI: ";
        for (size_t i = 0; i < s.cnmi.size(); ++i)
            line += (i ? "," : "") + std::to_string(s.cnmi[i]);
        return Lines({line});
    }
    if (c.form == Form::Test)
        return Lines({"+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)"});
    static const int kMax[] = {2, 3, 3, 2, 1};
    const std::vector<std::string> a = SplitArgs(c.args);
    std::array<int, 5> chosen = s.cnmi;
    for (size_t i = 0; c.form == Form::Set && i < a.size() && i < 5; ++i) {
        const int v = a[i].empty() ? chosen[i] : Decimal(a[i]);
        if (v < 0 || v > kMax[i])
            return Failed(Final::Cms, 303);
        chosen[i] = v;
    }
    if (c.form != Form::Set || a.size() > 5)
        return Failed(Final::Cms, 302);
    s.cnmi = chosen;
    return Lines({});
}

Reply Service(ModemState&, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({"+CSMS: 0,1,1,1"});
    if (c.form == Form::Test)
        return Lines({"+CSMS: (0,1)"});
    return c.form == Form::Set && Decimal(c.args) >= 0 && Decimal(c.args) <= 1
               ? Lines({"+CSMS: 1,1,1"})
               : Failed(Final::Cms, 302);
}

// gammu at-smsc/02.dump, AT+CSCA?: "+CSCA: "+79168999100",145".
Reply Centre(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read) {
        const bool plus = !s.options.smsc.empty() && s.options.smsc[0] == '+';
        return Lines({"+CSCA: \"" + s.options.smsc + "\"," + (plus ? "145" : "129")});
    }
    if (c.form == Form::Test)
        return Lines({});
    if (c.form != Form::Set || SplitArgs(c.args).front().empty())
        return Failed(Final::Cms, 302);
    s.options.smsc = SplitArgs(c.args).front();
    return Lines({});
}

// python-gsmmodem fakemodems.py#NokiaN79, AT+CSMP?: "+CSMP: 49,167,0,0".
Reply TextParameters(ModemState&, const AtCommand& c) {
    return c.form == Form::Read ? Lines({"+CSMP: 17,167,0,0"}) : Lines({});
}

Reply TextHeaders(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({std::string("+CSDH: ") + (s.showTextHeaders ? "1" : "0")});
    if (c.form == Form::Test)
        return Lines({"+CSDH: (0,1)"});
    s.showTextHeaders = c.args == "1";
    return Lines({});
}

Reply Acknowledge(ModemState&, const AtCommand&) {
    return Lines({});
}
}  // namespace

void AddSmsCommands(CommandTable& t) {
    t["CMGF"] = Format;
    t["CPMS"] = Storages;
    t["CNMI"] = Notices;
    t["CSMS"] = Service;
    t["CSCA"] = Centre;
    t["CSMP"] = TextParameters;
    t["CSDH"] = TextHeaders;
    t["CNMA"] = Acknowledge;
}

}  // namespace modemsim
