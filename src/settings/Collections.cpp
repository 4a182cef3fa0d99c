#include "settings/Collections.h"

template <typename Record>
bool MsgCollection<Record>::add(Record record) {
    const QString key = record.MsgID();
    if (byId_.contains(key))
        return false;
    auto held = std::make_unique<Record>(std::move(record));
    byId_.insert(key, held.get());
    entries_.push_back(Entry{key, std::move(held)});
    return true;
}

template <typename Record>
void MsgCollection<Record>::remove(int position) {
    if (position < 1 || position > count())
        return;
    const auto where = entries_.begin() + (position - 1);
    byId_.remove(where->key);
    entries_.erase(where);
}

template <typename Record>
void MsgCollection<Record>::clear() {
    entries_.clear();
    byId_.clear();
}

template class MsgCollection<MsgToSend>;
template class MsgCollection<ReceivedMsg>;
