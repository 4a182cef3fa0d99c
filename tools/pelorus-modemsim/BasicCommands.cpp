// V.250 basic commands, identification, the error form and the SIM PIN.
#include <algorithm>

#include "ModemState.h"

namespace modemsim {

namespace {
using Form = AtCommand::Form;

// A basic command taking 0 or 1 (E, V, Q): sets the flag, ERROR on anything else.
Reply Flag(const AtCommand& c, bool& flag) {
    if (c.args.size() > 1 || (!c.args.empty() && c.args != "0" && c.args != "1"))
        return Failed(Final::Error, 0);
    flag = c.args == "1";
    return Lines({});
}

Reply Reset(ModemState& s, const AtCommand&) {
    s.reset();
    return Lines({});
}
Reply Echo(ModemState& s, const AtCommand& c) {
    return Flag(c, s.echo);
}
Reply Verbose(ModemState& s, const AtCommand& c) {
    return Flag(c, s.verbose);
}
Reply Quiet(ModemState& s, const AtCommand& c) {
    return Flag(c, s.quiet);
}
Reply Accept(ModemState&, const AtCommand&) {
    return Lines({});
}

// S-registers: "S3?" answers three digits, "S7=60" stores.
Reply Register(ModemState& s, const AtCommand& c) {
    const int reg = Decimal(c.args);
    if (reg < 0 || reg > 255)
        return Failed(Final::Error, 0);
    if (c.form == Form::Read) {
        std::string v = std::to_string(s.sRegisters[reg]);
        return Lines({std::string(3 - std::min<size_t>(3, v.size()), '0') + v});
    }
    const int value = Decimal(c.value);
    if (c.form != Form::Set || value < 0 || value > 255)
        return Failed(Final::Error, 0);
    s.sRegisters[reg] = value;
    return Lines({});
}

// An identification command: its text, OK to the test form. Shapes as ModemManager's devids
// table (AT+CGMI / AT+GMI: the bare value on one line).
Reply Identity(const AtCommand& c, const std::string& value) {
    return c.form == Form::Test ? Lines({}) : Lines({value});
}
Reply Maker(ModemState&, const AtCommand& c) {
    return Identity(c, "Pelorus");
}
Reply Model(ModemState&, const AtCommand& c) {
    return Identity(c, "ModemSim");
}
Reply Revision(ModemState&, const AtCommand& c) {
    return Identity(c, "1.0");
}
Reply Serial(ModemState&, const AtCommand& c) {
    return Identity(c, "356938035643809");
}
Reply Subscriber(ModemState&, const AtCommand& c) {
    return Identity(c, "250991234567890");
}
// ModemManager devids[Huawei E1550], ATI: "+GCAP: +CGSM,+FCLASS,+DS".
Reply Capabilities(ModemState&, const AtCommand&) {
    return Lines({"+GCAP: +CGSM,+DS"});
}
Reply Information(ModemState&, const AtCommand&) {
    return Lines({"Pelorus virtual GSM modem"});
}

Reply ErrorForm(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({"+CMEE: " + std::to_string(s.cmee)});
    if (c.form == Form::Test)
        return Lines({"+CMEE: (0-2)"});
    const int mode = c.form == Form::Set ? Decimal(c.args) : 0;
    if (mode < 0 || mode > 2)
        return Failed(Final::Cme, 50);
    s.cmee = mode;
    return Lines({});
}

// python-gsmmodem fakemodems.py#WavecomMultiband900E1800 and gammu at-dispatch.c, AT+CPIN?:
// "+CPIN: READY" (those two leave out the OK; this modem sends it).
Reply Pin(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({s.pinLocked ? "+CPIN: SIM PIN" : "+CPIN: READY"});
    if (c.form == Form::Test)
        return Lines({});
    if (c.form != Form::Set)
        return Failed(Final::Cme, 50);
    if (!s.pinLocked)
        return Failed(Final::Cme, 3);
    if (SplitArgs(c.args).front() != s.options.pin)
        return Failed(Final::Cme, 16);
    s.pinLocked = false;
    s.notice("pin accepted");
    return Lines({});
}

// python-gsmmodem fakemodems.py#WavecomMultiband900E1800, AT+CFUN=1 -> OK; the read form as
// TS 27.007 gives it (the ZTE fake answers it with the test form instead).
Reply Functionality(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({"+CFUN: " + std::to_string(s.cfun)});
    if (c.form == Form::Test)
        return Lines({"+CFUN: (0,1,4),(0-1)"});
    const int fun = c.form == Form::Set ? Decimal(SplitArgs(c.args).front()) : -1;
    if (fun != 0 && fun != 1 && fun != 4)
        return Failed(Final::Cme, 50);
    s.cfun = fun;
    return Lines({});
}

// ModemManager test_cscs_icon225_support_response, AT+CSCS=?: ("IRA","GSM","UCS2").
Reply Charset(ModemState& s, const AtCommand& c) {
    if (c.form == Form::Read)
        return Lines({"+CSCS: \"" + s.charset + "\""});
    if (c.form == Form::Test)
        return Lines({"+CSCS: (\"IRA\",\"GSM\",\"UCS2\")"});
    const std::string set = Upper(SplitArgs(c.args).front());
    if (c.form != Form::Set || (set != "IRA" && set != "GSM" && set != "UCS2"))
        return Failed(Final::Cme, 4);
    s.charset = set;
    return Lines({});
}
}  // namespace

void AddBasicCommands(CommandTable& t) {
    t["Z"] = Reset;
    t["&F"] = Reset;
    t["E"] = Echo;
    t["V"] = Verbose;
    t["Q"] = Quiet;
    t["S"] = Register;
    for (const char* name : {"H", "D", "A", "O", "X", "L", "M", "T", "P", "&C", "&D", "&K", "&W"})
        t[name] = Accept;
    t["I"] = Information;
    t["CGMI"] = t["GMI"] = Maker;
    t["CGMM"] = t["GMM"] = Model;
    t["CGMR"] = t["GMR"] = Revision;
    t["CGSN"] = t["GSN"] = Serial;
    t["CIMI"] = Subscriber;
    t["GCAP"] = Capabilities;
    t["CMEE"] = ErrorForm;
    t["CPIN"] = Pin;
    t["CFUN"] = Functionality;
    t["CSCS"] = Charset;
}

}  // namespace modemsim
