#include "db/StatementWatch.h"

#include <dlfcn.h>

#include <QSqlDriver>
#include <QVariant>
#include <chrono>

namespace {

// From the Firebird client library the driver has loaded (ibase.h: fb_cancel_operation,
// fb_cancel_raise); no headers of its own are needed.
using CancelOperation = long (*)(long* status, unsigned int* db, unsigned short option);
constexpr unsigned short kCancelRaise = 3;

CancelOperation FirebirdCancel() {
    static const CancelOperation cancel = [] {
        void* library = dlopen("libfbclient.so.2", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<CancelOperation>(dlsym(library, "fb_cancel_operation"))
                       : nullptr;
    }();
    return cancel;
}

}  // namespace

StatementWatch::StatementWatch(const QSqlDatabase& db, int seconds) {
    if (db.driverName() != QLatin1String("QIBASE") || !db.driver() || !FirebirdCancel())
        return;
    const unsigned int handle = db.driver()->handle().toUInt();
    thread_ = std::thread([this, handle, seconds] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (finished_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; }))
            return;
        long status[20] = {};
        unsigned int attachment = handle;
        FirebirdCancel()(status, &attachment, kCancelRaise);
    });
}

StatementWatch::~StatementWatch() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    finished_.notify_one();
    thread_.join();
}
