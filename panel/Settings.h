// The three per-user settings: reading them into the controls, saving them, restoring the defaults.
#pragma once

#include <optional>
#include <string>

#include "APIcalls/APIcalls.h"
#include "common/PanelState.h"

namespace trawlix {

// The section every read and write of the program uses: the one character of code 0.
inline const std::string kSettingsSection(1, '\0');

inline constexpr const char* kKeyDownloads = "ndownloads";
inline constexpr const char* kKeyInterval = "interval";
inline constexpr const char* kKeyTimeUnit = "timeunit";
inline const PanelTexts kDefaultTexts{"3", "10", "Minutes"};

// Registry key below HKEY_CURRENT_USER for an application and section. The section of code 0
// is the application's own key, so every access of the program reaches Software\<app>.
std::string settingsKeyPath(const std::string& app, const std::string& section);

// A stored value as text. Strings read up to their first NUL; whole numbers (REG_DWORD, REG_QWORD)
// read as their decimal text; other types and texts far longer than any field read as missing.
std::optional<std::string> decodeSettingValue(const RegistryValue& value);

std::string ReadSetting(APIcalls& api, const std::string& app, const std::string& section, const std::string& key,
                        const std::string& defaultText);
void WriteSetting(APIcalls& api, const std::string& app, const std::string& section, const std::string& key,
                  const std::string& value);

PanelTexts loadSettings(APIcalls& api);
void saveSettings(APIcalls& api, const PanelTexts& texts);
// Writes the defaults, then reads all three back as loading does.
PanelTexts restoreDefaultSettings(APIcalls& api);

}  // namespace trawlix
