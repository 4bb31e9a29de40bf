#include <gtest/gtest.h>

#include "FakeDesktop.h"
#include "panel/Settings.h"

namespace trawlix {
namespace {

const std::string kKey = "Software\\Trawlix";

RegistryValue raw(std::uint32_t type, std::vector<unsigned char> data) { return RegistryValue{type, std::move(data)}; }

TEST(Settings, FirstStartReadsDefaultsAndWritesNothing) {
    test::FakeDesktop desktop;
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"3", "10", "Minutes"}));
    EXPECT_TRUE(desktop.registry.empty());
}

TEST(Settings, SavedTextsComeBackExactlyAsTheyStood) {
    test::FakeDesktop desktop;
    saveSettings(desktop, {"5", "2", "Hours"});
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"5", "2", "Hours"}));
    EXPECT_EQ(desktop.storedString(kKey, "ndownloads"), "5");
    EXPECT_EQ(desktop.storedString(kKey, "interval"), "2");
    EXPECT_EQ(desktop.storedString(kKey, "timeunit"), "Hours");

    // An emptied box and a unit outside the list are kept, not replaced by the defaults.
    saveSettings(desktop, {"", "12a", "hours"});
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"", "12a", "hours"}));
}

TEST(Settings, WritesInTheFixedOrder) {
    struct OrderRecorder : test::FakeDesktop {
        std::vector<std::string> names;
        void WriteRegistryString(const std::string& subKey, const std::string& name,
                                 const std::string& value) override {
            names.push_back(name);
            FakeDesktop::WriteRegistryString(subKey, name, value);
        }
    } desktop;
    saveSettings(desktop, {"1", "2", "Minutes"});
    EXPECT_EQ(desktop.names, (std::vector<std::string>{"ndownloads", "interval", "timeunit"}));
}

TEST(Settings, RestoringDefaultsResetsStoreAndControls) {
    test::FakeDesktop desktop;
    saveSettings(desktop, {"9", "99", "Seconds"});
    EXPECT_EQ(restoreDefaultSettings(desktop), (PanelTexts{"3", "10", "Minutes"}));
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"3", "10", "Minutes"}));
}

TEST(Settings, TheNulSectionIsTheApplicationsOwnKey) {
    EXPECT_EQ(settingsKeyPath("Trawlix", kSettingsSection), kKey);
    EXPECT_EQ(settingsKeyPath("Trawlix", "Other"), kKey + "\\Other");
}

TEST(Settings, DamagedValuesReadAsTextOrAsMissing) {
    // Strings stop at their first NUL and need none at the end.
    EXPECT_EQ(decodeSettingValue(raw(1, {'4', '2'})), "42");
    EXPECT_EQ(decodeSettingValue(raw(1, {'7', 0, 'x', 0})), "7");
    EXPECT_EQ(decodeSettingValue(raw(1, {})), "");
    EXPECT_EQ(decodeSettingValue(raw(2, {'H', 'o', 'u', 'r', 's', 0})), "Hours");
    // Numbers stored by hand read as their decimal text.
    EXPECT_EQ(decodeSettingValue(raw(4, {5, 0, 0, 0})), "5");
    EXPECT_EQ(decodeSettingValue(raw(4, {0xff, 0xff, 0xff, 0xff})), "4294967295");
    EXPECT_EQ(decodeSettingValue(raw(11, {0, 1, 0, 0, 0, 0, 0, 0})), "256");
    // Bytes, lists and malformed numbers are not texts.
    EXPECT_EQ(decodeSettingValue(raw(3, {'1', '0', 0})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(7, {'a', 0, 0})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(4, {1, 2})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(4, {5, 0, 0, 0, 0})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(4, {5, 0, 0, 0, 1, 0, 0, 0})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(11, {5, 0, 0, 0})), std::nullopt);
    EXPECT_EQ(decodeSettingValue(raw(0, {})), std::nullopt);
    // Characters outside ASCII pass through as the ANSI bytes they are.
    EXPECT_EQ(decodeSettingValue(raw(1, {'M', 0xe9, 'n', 0})), "M\xe9n");
}

TEST(Settings, DamagedStoreFallsBackToDefaultsAndIsOverwrittenOnSave) {
    test::FakeDesktop desktop;
    desktop.registry[kKey + "|ndownloads"] = raw(3, {1, 2, 3});
    desktop.registry[kKey + "|interval"] = raw(1, std::vector<unsigned char>(100000, '7'));
    desktop.registry[kKey + "|timeunit"] = raw(4, {60, 0, 0, 0});
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"3", "10", "60"}));

    saveSettings(desktop, {"4", "15", "Minutes"});
    EXPECT_EQ(desktop.registry[kKey + "|ndownloads"].type, 1u);
    EXPECT_EQ(loadSettings(desktop), (PanelTexts{"4", "15", "Minutes"}));
}

TEST(Settings, LongestAcceptedTextStillReads) {
    test::FakeDesktop desktop;
    std::string longest(4096, '1');
    saveSettings(desktop, {longest, longest + "1", "Minutes"});
    PanelTexts texts = loadSettings(desktop);
    EXPECT_EQ(texts.numberdl, longest);
    EXPECT_EQ(texts.interval, "10");
}

}  // namespace
}  // namespace trawlix
