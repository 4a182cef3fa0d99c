#pragma once
// The two ordered collections that carry messages across cycles: SendCollection (MsgToSend) and
// RecCollection (ReceivedMsg). Records keep their insertion order and are addressed by position
// from 1 (item) or by index from 0 (at); a message is identified by its MsgID, compared as exact
// text, and a message already held is never added twice. Lookups by MsgID go through a hash, so
// loading a large send backlog costs one hash probe per row.
//
// Records are changed in place through the references handed out (status, attempts, flags); the
// MsgID of a held record is its key and must not be changed while it is held.
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "settings/Records.h"

template <typename Record>
class MsgCollection {
public:
    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }

    // Appends the record unless one with the same MsgID is held; then the held one keeps its
    // state, the new copy is dropped and the result is false.
    bool add(Record record);

    Record& item(int position) { return at(position - 1); }
    const Record& item(int position) const { return at(position - 1); }
    Record& at(int index) { return *entries_[static_cast<size_t>(index)].record; }
    const Record& at(int index) const { return *entries_[static_cast<size_t>(index)].record; }

    // The held record with this MsgID, or nullptr.
    Record* find(const QString& msgId) const { return byId_.value(msgId, nullptr); }
    bool contains(const QString& msgId) const { return byId_.contains(msgId); }

    // Removes the record at a position from 1; later records move up by one.
    void remove(int position);
    void clear();

    // Walks the records in order, calling visit(record) on each; a record for which it returns
    // true is removed at once and the walk goes on with the record that moved into its place.
    // The count is read again at every step, so records added during the walk are visited too.
    // Returns the number of records removed.
    template <typename Visit>
    int removeIf(Visit visit) {
        int removed = 0;
        for (int index = 0; index < count(); ++index) {
            if (visit(at(index))) {
                remove(index + 1);
                --index;
                ++removed;
            }
        }
        return removed;
    }

private:
    struct Entry {
        QString key;  // the MsgID the record was added under
        std::unique_ptr<Record> record;
    };
    std::vector<Entry> entries_;
    QHash<QString, Record*> byId_;
};

extern template class MsgCollection<MsgToSend>;
extern template class MsgCollection<ReceivedMsg>;

using SendCollection = MsgCollection<MsgToSend>;
using RecCollection = MsgCollection<ReceivedMsg>;
