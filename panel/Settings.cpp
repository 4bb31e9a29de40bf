#include "Settings.h"

#include <cstdint>

#include "common/AppInfo.h"

namespace trawlix {

namespace {
constexpr std::uint32_t REG_SZ_TYPE = 1;
constexpr std::uint32_t REG_EXPAND_SZ_TYPE = 2;
constexpr std::uint32_t REG_DWORD_TYPE = 4;
constexpr std::uint32_t REG_QWORD_TYPE = 11;
// No field needs more; a longer value is damage, not input.
constexpr std::size_t kMaxSettingLength = 4096;

std::uint64_t littleEndian(const std::vector<unsigned char>& data, std::size_t bytes) {
    std::uint64_t number = 0;
    for (std::size_t i = bytes; i-- > 0;) number = (number << 8) | data[i];
    return number;
}
}  // namespace

std::string settingsKeyPath(const std::string& app, const std::string& section) {
    std::string path = "Software\\" + app;
    if (section != kSettingsSection && !section.empty()) path += "\\" + section;
    return path;
}

std::optional<std::string> decodeSettingValue(const RegistryValue& value) {
    switch (value.type) {
    case REG_SZ_TYPE:
    case REG_EXPAND_SZ_TYPE: {
        std::string text(value.data.begin(), value.data.end());
        text = text.substr(0, text.find('\0'));
        if (text.size() > kMaxSettingLength) return std::nullopt;
        return text;
    }
    case REG_DWORD_TYPE:
        if (value.data.size() != 4) return std::nullopt;
        return std::to_string(littleEndian(value.data, 4));
    case REG_QWORD_TYPE:
        if (value.data.size() != 8) return std::nullopt;
        return std::to_string(littleEndian(value.data, 8));
    default:
        return std::nullopt;
    }
}

std::string ReadSetting(APIcalls& api, const std::string& app, const std::string& section, const std::string& key,
                        const std::string& defaultText) {
    auto stored = api.ReadRegistryValue(settingsKeyPath(app, section), key);
    if (!stored) return defaultText;
    return decodeSettingValue(*stored).value_or(defaultText);
}

void WriteSetting(APIcalls& api, const std::string& app, const std::string& section, const std::string& key,
                  const std::string& value) {
    api.WriteRegistryString(settingsKeyPath(app, section), key, value);
}

PanelTexts loadSettings(APIcalls& api) {
    PanelTexts texts;
    texts.numberdl = ReadSetting(api, kAppName, kSettingsSection, kKeyDownloads, kDefaultTexts.numberdl);
    texts.interval = ReadSetting(api, kAppName, kSettingsSection, kKeyInterval, kDefaultTexts.interval);
    texts.timeunits = ReadSetting(api, kAppName, kSettingsSection, kKeyTimeUnit, kDefaultTexts.timeunits);
    return texts;
}

void saveSettings(APIcalls& api, const PanelTexts& texts) {
    WriteSetting(api, kAppName, kSettingsSection, kKeyDownloads, texts.numberdl);
    WriteSetting(api, kAppName, kSettingsSection, kKeyInterval, texts.interval);
    WriteSetting(api, kAppName, kSettingsSection, kKeyTimeUnit, texts.timeunits);
}

PanelTexts restoreDefaultSettings(APIcalls& api) {
    saveSettings(api, kDefaultTexts);
    return loadSettings(api);
}

}  // namespace trawlix
