#pragma once

#include "RtcWakeSetting.h"

#include <string>

namespace tarvik::kestrom {

// The state file of the wake by time (RtcWakeSetting). Every load reads the file anew, so that all
// processes of the machine see one setting; every save replaces it atomically (a temporary file
// beside it, flushed, renamed over it), so that a power cut leaves the old or the new setting.
class RtcWakeStore {
public:
    // path empty: nowhere to keep the setting; loads give the defaults and saves fail.
    explicit RtcWakeStore(std::string path);

    // The stored setting; the defaults when the file is missing. A damaged or unreadable file also
    // gives the defaults, with one diagnostic line (once per store) naming it.
    RtcWakeSetting load();
    // Creates the folder when missing (owner only). False, leaving the old file, when it cannot.
    bool save(const RtcWakeSetting& setting);

    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool reportedDamage_ = false;
};

} // namespace tarvik::kestrom
