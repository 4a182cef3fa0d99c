#include "ModemState.h"

namespace modemsim {

Reply Lines(std::vector<std::string> lines) {
    Reply r;
    r.lines = std::move(lines);
    return r;
}

Reply Failed(Final kind, int code) {
    Reply r;
    r.final = kind;
    r.code = code;
    return r;
}

ModemState::ModemState(EngineOptions o) : options(std::move(o)) {
    if (!has(Quirk::NoMeStorage))
        storages["ME"].capacity = 50;
    storages["SM"].capacity = 30;
    pinLocked = !options.pin.empty();
    nextReference = options.firstReference;
    reset();
}

void ModemState::reset() {
    const std::string first = storages.count("ME") ? "ME" : "SM";
    mem = {first, first, first};
    echo = true;
    verbose = true;
    quiet = false;
    cmee = 0;
    textMode = has(Quirk::TextModeAtStart);
    showTextHeaders = false;
    charset = "GSM";
    cnmi = {};
    creg = cgreg = 0;
    copsFormat = 0;
    sRegisters = {{0, 0}, {3, 13}, {4, 10}, {5, 8}, {7, 50}};
}

std::string ModemState::storageName(const std::string& name) const {
    const std::string n = Upper(name);
    if (storages.count(n))
        return n;
    return n == "ME" && has(Quirk::NoMeStorage) ? "SM" : "";
}

int ModemState::store(const std::string& storage, const Message& m) {
    auto it = storages.find(storage);
    if (it == storages.end())
        return -1;
    for (int index = firstIndex(); index < firstIndex() + it->second.capacity; ++index) {
        if (it->second.messages.count(index) == 0) {
            it->second.messages[index] = m;
            return index;
        }
    }
    return -1;
}

void ModemState::notice(const std::string& line) const {
    if (sinks.notice)
        sinks.notice(line);
}

int ModemState::takeReference() {
    const int r = nextReference;
    nextReference = (nextReference + 1) % 256;
    return r;
}

}  // namespace modemsim
