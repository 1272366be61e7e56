// The clean-up choices' defaults and keys.
#include "app/settings/CleanupChoices.h"

#include <cstring>

#include "app/settings/SettingsKeys.h"
#include "resources/orvane/pages.h"

const CleanupKey kCleanupKeys[4] = {
    {Keys::kStraighten, &CleanupChoices::straighten},
    {Keys::kEachDocument, &CleanupChoices::eachDocument},
    {Keys::kDeskew, &CleanupChoices::deskew},
    {Keys::kLeaveOutBlank, &CleanupChoices::leaveOutBlank},
};

CleanupChoices DefaultCleanup(const char* section) {
  CleanupChoices choices;
  choices.deskew = section && std::strcmp(section, Keys::kOcrSetting) == 0;
  return choices;
}

const int kCleanupBoxIds[4] = {IDC_STRAIGHTEN, IDC_EACH_DOCUMENT, IDC_DESKEW, IDC_LEAVE_OUT_BLANK};
