#include "RenameJob.h"

#include "FileOps.h"
#include "NameRules.h"

#include <utility>

namespace tarvolin {

namespace {

bool ReportFailure(RenameOutlets& outlets, int position, const std::string& path,
                   const char* text) {
    outlets.RowChanged(position, path);
    outlets.ShowError(text);
    return false;
}

// Renames the file at `position` to `newPath`, then gives it the attributes and times the
// options ask for, in that fixed order. The time writers need the file open for writing,
// so a run that makes files read-only and also sets a time fails on the first file.
bool ApplyOptionsToFile(std::vector<std::string>& fileNames, int position, std::string newPath,
                        const RenameOptions& options, RenameOutlets& outlets) {
    const std::string& oldPath = fileNames[static_cast<std::size_t>(position)];
    if (!RenameOnDisk(oldPath, newPath))
        return ReportFailure(outlets, position, oldPath, kRenameErrorText);
    fileNames[static_cast<std::size_t>(position)] = std::move(newPath);
    const std::string& path = fileNames[static_cast<std::size_t>(position)];

    if (options.setAttributes &&
        !ApplyAttributes(path, options.readOnly, options.hidden, options.system, options.archive))
        return ReportFailure(outlets, position, path, kAttributesErrorText);
    if (options.setCreationTime &&
        !SetCreationTime(path, options.creationDate, options.creationTime))
        return ReportFailure(outlets, position, path, kCreateTimeErrorText);
    if (options.setModifyTime && !SetModifyTime(path, options.modifyDate, options.modifyTime))
        return ReportFailure(outlets, position, path, kModifyTimeErrorText);

    outlets.RowChanged(position, path);
    return true;
}

} // namespace

bool CheckFilesListed(const std::vector<std::string>& fileNames, RenameOutlets& outlets) {
    if (!fileNames.empty())
        return true;
    outlets.ShowError(kNoFilesListedText);
    return false;
}

void RunRenameJob(std::vector<std::string>& fileNames, const RenameOptions& options,
                  RenameOutlets& outlets) {
    if (!CheckFilesListed(fileNames, outlets))
        return;
    const int count = static_cast<int>(fileNames.size());
    // The position is left alone: the gauge keeps the previous run's value, lowered into
    // the new range, until the first file is done.
    outlets.SetGaugeRange(0, count - 1);
    for (int position = 0; position < count; ++position) {
        std::string newPath =
            ComposeBatchName(fileNames[static_cast<std::size_t>(position)], position, options);
        if (!ApplyOptionsToFile(fileNames, position, std::move(newPath), options, outlets))
            return;
        outlets.SetGaugePosition(position);
    }
}

void ChangeSingleFile(std::vector<std::string>& fileNames, int position,
                      const RenameOptions& options, RenameOutlets& outlets) {
    if (!CheckFilesListed(fileNames, outlets))
        return;
    if (position < 0 || static_cast<std::size_t>(position) >= fileNames.size())
        return;
    std::string newPath = ComposeSingleName(fileNames[static_cast<std::size_t>(position)], options);
    ApplyOptionsToFile(fileNames, position, std::move(newPath), options, outlets);
}

} // namespace tarvolin
