// What the tool reads from files and how it tells of the settings it could not save.
#pragma once

#include "CtlOptions.h"
#include "CtlRunner.h"

#include "model/ProfileRecord.h"

namespace quorvik::ctl {

// The profile a command works on: a slot (default the current one) or a file, read into a copy
// so that the user's slots stay as they are. False, with the reason on the error stream, when the
// file cannot be read as a profile.
bool loadProfile(const CtlOptions& options, CtlContext& context, model::ProfileRecord& profile);

} // namespace quorvik::ctl
