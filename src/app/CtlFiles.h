// What the tool reads from files and how it tells of the settings it could not save.
#pragma once

#include "CommandTable.h"
#include "CtlOptions.h"

#include "model/ProfileRecord.h"

#include <iosfwd>

namespace quorvik::ctl {

// The profile a command works on: a slot (default the current one) or a file, read into a copy
// so that the user's slots stay as they are. False, with the reason on the error stream, when the
// file cannot be read as a profile.
bool loadProfile(const CtlOptions& options, std::ostream& err, model::ProfileRecord& profile);

} // namespace quorvik::ctl
