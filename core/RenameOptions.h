#pragma once

#include "AttributeSet.h"
#include "LocalDateTime.h"

#include <string>

namespace tarvolin {

// The values a rename reads from the option controls, taken when the user presses
// "Start" or "Change". Values are used whether or not their controls are enabled.
struct RenameOptions {
    std::string baseName;
    int startNumber = 0;
    bool replaceExtension = false;
    std::string extension;

    bool setAttributes = false;
    AttributeSet attributes = 0; // within kFourAttributes

    bool setCreationTime = false;
    LocalDateTime creationDate;
    LocalDateTime creationTime;

    bool setModifyTime = false;
    LocalDateTime modifyDate;
    LocalDateTime modifyTime;
};

} // namespace tarvolin
