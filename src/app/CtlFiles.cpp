#include "CtlFiles.h"

#include "model/ProfileFile.h"

#include <ostream>

namespace quorvik::ctl {

bool loadProfile(const CtlOptions& options, std::ostream& err, model::ProfileRecord& profile) {
    if (options.profileFile.empty()) {
        profile = model::Profile(options.slot.value_or(model::CurrentSlot()));
        return true;
    }
    const std::string& path = options.profileFile;
    // Profile files are opened for reading and writing, as the program does. Only a regular file
    // of a profile's size is read: a pipe or a device is refused at once.
    model::FileProblem problem;
    if (model::ReadProfileRecord(profile, path, model::ReadAccess::ReadWrite, &problem))
        return true;
    if (problem.fault == model::FileFault::Damaged)
        err << "quorvikctl: " << path << " is not a complete profile file\n";
    else if (problem.fault == model::FileFault::NoAccess)
        err << "quorvikctl: cannot open profile file " << path
            << " for reading and writing: " << model::FileProblemText(problem) << "\n";
    else
        err << "quorvikctl: cannot read profile file " << path << ": " << model::FileProblemText(problem) << "\n";
    return false;
}

SaveFailureReport::SaveFailureReport(std::ostream& err) {
    previous_ = model::SetSaveFailureHandler([this, &err](const model::SaveFailure& failure) {
        failed_ = true;
        if (!failure.repeated)
            err << "quorvikctl: cannot save " << failure.path << ": " << model::FileProblemText(failure.problem)
                << "\n";
    });
}

SaveFailureReport::~SaveFailureReport() {
    model::SetSaveFailureHandler(std::move(previous_));
}

} // namespace quorvik::ctl
